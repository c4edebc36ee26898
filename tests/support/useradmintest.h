#pragma once

#include <QStringList>

#include "core/cmainapp.h"
#include "core/windowstate.h"
#include "users/cuseradmin.h"

// A window that keeps what the core and the user administration tell the
// user, instead of showing it.
struct RecordingWindow : WindowState
{
    QStringList warnings;
    void warnUser(const QString &text) override { warnings << text; }
};

// A core whose window records its warnings.
struct RecordingCore
{
    RecordingWindow window;
    CMainApp app{ &window };
};

// A core on a fresh user directory, for the user-administration tests.
struct UserAdminFixture
{
    RecordingWindow window;
    CMainApp *app = nullptr;
    CUserAdmin *ua = nullptr;

    // Removes the user directory and builds the core, which writes the
    // store of a first start; message boxes only warn.
    void start();
    ~UserAdminFixture();
};

// Puts a plain file where the user directory was, so that no file in it can
// be opened, for as long as it lives; the directory comes back even when the
// test fails.
class BlockedUserDir
{
public:
    BlockedUserDir();
    ~BlockedUserDir();
    bool blocked() const { return isBlocked; }
    // Lets the directory back in; false when it could not be.
    bool release();
    BlockedUserDir(const BlockedUserDir &) = delete;
    BlockedUserDir &operator=(const BlockedUserDir &) = delete;

private:
    bool isBlocked = false;
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
