#pragma once

#include "core/cmainapp.h"
#include "core/windowstate.h"
#include "users/cuseradmin.h"

// A core on a fresh user directory, for the user-administration tests.
struct UserAdminFixture
{
    WindowState window;
    CMainApp *app = nullptr;
    CUserAdmin *ua = nullptr;

    // Removes the user directory and builds the core, which writes the
    // store of a first start; message boxes only warn.
    void start();
    ~UserAdminFixture();
};

// The user store and the audit trail of the test's home directory, read and
// written whole.
namespace UserStoreFile {
QString userDir();
QString path();
// A store of these users whose header counts count of them (all by default).
QByteArray bytes(const QList<UserRecord> &users, int count = -1);
// Replaces the store with these users (the directory is made when missing).
void write(const QList<UserRecord> &users);
QList<UserRecord> read();
// An active user with every field set, valid for a month.
UserRecord user(const QString &login, const QString &password, const QString &number,
                quint16 rights);
QString auditOfToday();
}
