#include "views/ctable.h"

#include "core/cmainapp.h"

CTable::CTable(CMainApp *app)
    : QObject(app), app(app)
{
}
