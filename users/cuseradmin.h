#pragma once

#include <QObject>
#include <QString>

class CMainApp;

// User administration: users, login, rights, inactivity logout, audit trail.
// (Skeleton: the members the core and the settings file use.)
class CUserAdmin : public QObject
{
    Q_OBJECT
public:
    explicit CUserAdmin(CMainApp *app);

    bool enabled = false;
    int logoutMinutes = 3;
    int logoutCountdown = 0;
    int currentUser = -1;
    bool logoutRequested = false;
    bool autoLogout = false;

    bool addAuditEntry(const QString &text);

private:
    CMainApp *app;
};
