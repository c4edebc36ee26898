#pragma once

#include <QDate>
#include <QDateTime>
#include <QFileDevice>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

#include "users/userrecord.h"

class CMainApp;

// The user administration: the user store ".ua.bin" with its active and
// removed users, login and rights, the inactivity logout and the audit trail.
// One object, owned by the core; everything runs on the GUI thread.
class CUserAdmin : public QObject
{
    Q_OBJECT
public:
    explicit CUserAdmin(CMainApp *app);
    ~CUserAdmin() override;

    // The user directory of the home this process runs with.
    static QString homeUserAdminDir();

    // Users who can log in and be edited; a user index indexes this list.
    QList<UserRecord> users;
    // Removed users stay in the store so their logins and numbers stay taken.
    QList<UserRecord> removedUsers;
    QString userAdminDir;         // home + "/.QuorvaneUA"
    QString storePath;            // userAdminDir + "/.ua.bin"
    bool enabled = false;         // user administration on for the whole run
    bool logoutRequested = false;
    bool autoLogout = false;      // the pending logout came from inactivity
    int currentUser = -1;         // -1: nobody logged in
    int logoutMinutes = 3;        // 0 switches the inactivity logout off
    // the longest time-out whose seconds still fit the countdown
    static constexpr int kMaxLogoutMinutes = 2147483647 / 60;
    int logoutCountdown = 180;    // seconds left before the inactivity logout

    // ---- store
    // False when the file cannot be opened or was not read whole.
    bool loadUsers(const QString &path);
    // False when the file could not be written whole; the previous file is
    // then left as it was.
    bool saveUsers(const QString &path);
    bool addUser(const QString &login);
    // Combined index: users first, then removed users; -1 when none.
    int indexOfLogin(const QString &login) const;
    int indexOfEmployeeNumber(int number) const;
    bool isUserComplete(int index) const;
    // The employee numbers user index may take: its own once chosen (then
    // *chosen is true), else every free one from 1 to 99.
    QStringList employeeNumberChoices(int index, bool *chosen = nullptr) const;

    // ---- login and rights
    int checkLogin(const QString &login, const QString &password) const;
    void setCurrentUser(int index);
    // With nobody logged in these give "" and 0.
    QString currentUserLogin() const;
    QString currentUserShortName() const;
    QString currentUserFullName() const;
    int currentEmployeeNumber() const;
    bool isAdmin() const;
    bool canView() const;
    bool canDownload() const;
    bool canConfigure() const;
    static bool isPasswordValid(const QString &password);
    void resetLogoutCountdown();

    // ---- audit trail
    QString auditFilePath(const QDate &date) const;
    // Appends an entry to the day's file; false when it could not be written.
    // The user is told of a failure through the window (warnUser), once until
    // an entry is written again.
    bool addAuditEntry(const QString &text);
    bool addAuditEntry(const QString &text, const QDateTime &at);
    // An entry about user index made before that user is logged in (a
    // password changed at the login): its header names that user.
    bool addAuditEntryFor(int index, const QString &text);
    // Entries written while an Action lives name the user logged in when it
    // was made, also after a box inside the action let a logout and the
    // next login happen; one made inside another keeps the outer's user. A
    // SessionChange's entries (a logout and the next login) name whoever is
    // logged in as each is written.
    class ActingUser
    {
    public:
        enum Kind { Action, SessionChange };
        explicit ActingUser(CUserAdmin *users, Kind kind = Action);
        ~ActingUser();
        ActingUser(const ActingUser &) = delete;
        ActingUser &operator=(const ActingUser &) = delete;

    private:
        CUserAdmin *users;
        std::optional<QString> previous;
    };
    // The day's trail; "" for a day without entries. ok is false only when an
    // existing file could not be read.
    QString readAuditFile(const QDate &date, bool *ok = nullptr) const;

    // ---- backup and restore of the user directory
    // Copies every file of the user directory into targetDir under its
    // visible name and writes "check.txt" there; false, with the reason in
    // error, when a file or the check file could not be written whole, or
    // targetDir is the user directory, or when a restore would refuse the
    // folder (other files in it, a store that cannot be read). A backup cut
    // short has no new "check.txt".
    bool backup(const QString &targetDir, QString *error = nullptr);
    // Whether the files of sourceDir match its "check.txt"; false without a
    // readable check value.
    bool verifyBackup(const QString &sourceDir) const;
    // Copies a verified backup back under hidden names and reads the store
    // again. False, with the reason in error and the user directory as it
    // was, when a file cannot be read, the check fails, the backup's store
    // does not read as one, sourceDir is the user directory, or a file
    // cannot be written.
    bool restore(const QString &sourceDir, QString *error = nullptr);
    // Writes the value whole as upper-case hexadecimal; false, with the
    // reason, when it could not be written.
    static bool writeCheckFile(const QString &path, unsigned value, QString *error = nullptr);
    // The hexadecimal value of the file's first line; 0xFFFFFFFF when the
    // file cannot be read. valid tells whether it held such a value at all.
    static unsigned readCheckFile(const QString &path, bool *valid = nullptr);
    static QString visibleName(const QString &name);
    static QString hiddenName(const QString &name);

    // Makes a file of the user directory private to its owner. Some file
    // systems (vfat) refuse, and the file is then kept as it is; tests put a
    // refusing one here.
    using PermissionSetter = bool (*)(QFileDevice &file, QFileDevice::Permissions permissions);
    static PermissionSetter permissionSetter;

private:
    const UserRecord *loggedInUser() const;
    bool hasRight(quint16 right) const;
    const UserRecord *recordAt(int combinedIndex) const;
    void createUserDir();
    void openStore();
    bool isStorePath(const QString &path) const;
    void warnUser(const QString &text) const;
    QString auditUserName() const;
    static QString auditNameOf(const UserRecord *user);
    bool writeAuditEntry(const QString &text, const QDateTime &at, const QString &name);
    void noteAuditWrite(bool written, const QString &path);
    bool isUserDir(const QString &dir) const;
    void reloadAfterRestore();

    CMainApp *app;
    // Set when the store exists but could not be read whole: it is then never
    // overwritten during this run, so that nothing in it is lost.
    bool storeProtected = false;
    // The user was told that the trail cannot be written, and no entry has
    // been written since.
    bool auditFailureShown = false;
    // The name entries carry while an action holds its user (ActingUser).
    std::optional<QString> actingName;
};
