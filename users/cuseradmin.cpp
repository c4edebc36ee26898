#include "users/cuseradmin.h"

#include "core/cmainapp.h"

CUserAdmin::CUserAdmin(CMainApp *app)
    : QObject(app), app(app)
{
}

bool CUserAdmin::addAuditEntry(const QString &)
{
    return true;
}
