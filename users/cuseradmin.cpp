#include "users/cuseradmin.h"

#include <algorithm>

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include "core/appinfo.h"
#include "core/cmainapp.h"
#include "core/windowstate.h"
#include "files/cfilemanager.h"
#include "files/wholefile.h"

namespace {

// The store is read and written in the layout of stream version 12, big-endian:
// later versions lay dates out differently.
constexpr QDataStream::Version kStoreStreamVersion = QDataStream::Qt_4_8;

const QString kUserDirName = QStringLiteral(".QuorvaneUA");
const QString kStoreName = QStringLiteral(".ua.bin");
const QString kAuditName = QStringLiteral(".QuorvaneAudit");
const QString kBuiltInAdmin = QStringLiteral("admin");

// Passwords are stored in plain text, so only the owner may enter the
// directory or read its files.
constexpr QFileDevice::Permissions kPrivateDir =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions kPrivateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

void prepareStream(QDataStream &stream)
{
    stream.setVersion(kStoreStreamVersion);
    stream.setByteOrder(QDataStream::BigEndian);
}

bool setPermissionsOf(QFileDevice &file, QFileDevice::Permissions permissions)
{
    return file.setPermissions(permissions);
}

// A file system that keeps no permissions (vfat) refuses the change; the
// file is still written, as nothing would be gained by losing it.
void makePrivate(QFileDevice &file)
{
    if (!CUserAdmin::permissionSetter(file, kPrivateFile))
        qWarning("Could not make %s private to its owner: %s", qPrintable(file.fileName()),
                 qPrintable(file.errorString()));
}

// Writes the file whole under its name, private to its owner, or leaves the
// earlier file as it was.
bool writePrivateFile(const QString &path, const QByteArray &bytes, QString *reason)
{
    return WholeFile::write(path, bytes, reason, [](QFileDevice &file) {
        makePrivate(file);
        return true;
    });
}

// The users of a store, active and removed; false when the stream does not
// read as a store. The count includes entries that were skipped on writing,
// so a store may end before it is reached; it must not end inside a record.
bool readStore(QDataStream &in, QList<UserRecord> *active, QList<UserRecord> *removed)
{
    prepareStream(in);
    QString title, version, formatDate;
    quint16 count = 0;
    in >> title >> version >> formatDate >> count;
    if (in.status() != QDataStream::Ok)
        return false;
    for (int i = 0; i < count && !in.atEnd(); ++i) {
        const UserRecord user = UserRecord::readFrom(in);
        if (in.status() != QDataStream::Ok)
            return false;
        if (user.login.isEmpty())
            continue;
        (user.has(UserRecord::UserRemoved) ? removed : active)->append(user);
    }
    return true;
}

// Creates a missing file empty and private, so that an entry never lands in
// a file others can read where the file system allows it.
bool ensurePrivateFile(const QString &path)
{
    if (QFileInfo::exists(path))
        return true;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    makePrivate(file);
    file.close();
    return true;
}

}

CUserAdmin::PermissionSetter CUserAdmin::permissionSetter = setPermissionsOf;

CUserAdmin::CUserAdmin(CMainApp *app)
    : QObject(app), app(app)
{
    userAdminDir = homeUserAdminDir();
    storePath = userAdminDir + QLatin1Char('/') + kStoreName;
    createUserDir();
    openStore();
    resetLogoutCountdown();
}

CUserAdmin::~CUserAdmin() = default;

QString CUserAdmin::homeUserAdminDir()
{
    return QDir::homePath() + QLatin1Char('/') + kUserDirName;
}

// ---- store -----------------------------------------------------------------

// The leading dot of the name is what hides the directory here; there is no
// separate hidden attribute to set.
void CUserAdmin::createUserDir()
{
    if (QFileInfo::exists(userAdminDir))
        return;
    if (QDir().mkdir(userAdminDir))
        QFile::setPermissions(userAdminDir, kPrivateDir);
}

void CUserAdmin::openStore()
{
    if (!QFileInfo::exists(storePath)) {
        users.clear();
        if (!addUser(kBuiltInAdmin))
            warnUser(tr("Warning!\n\nThe user file\n%1\ncould not be written.").arg(storePath));
        return;
    }
    if (!loadUsers(storePath)) {
        storeProtected = true;
        warnUser(tr("Warning!\n\nThe user file\n%1\ncould not be read. It has been left as it "
                    "is, and changes to the users will not be saved until it is repaired or "
                    "removed.").arg(storePath));
    }
}

void CUserAdmin::warnUser(const QString &text) const
{
    if (app && app->mainWindow)
        app->mainWindow->warnUser(text);
    else
        qWarning("%s", qPrintable(text));
}

bool CUserAdmin::loadUsers(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QDataStream in(&file);
    QList<UserRecord> loaded, loadedRemoved;
    // a store that fails part-way leaves the lists as they were
    if (!readStore(in, &loaded, &loadedRemoved))
        return false;
    users = loaded;
    removedUsers = loadedRemoved;
    return true;
}

bool CUserAdmin::isStorePath(const QString &path) const
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath())
           == QDir::cleanPath(QFileInfo(storePath).absoluteFilePath());
}

bool CUserAdmin::saveUsers(const QString &path)
{
    if (storeProtected && isStorePath(path))
        return false;

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    prepareStream(out);
    out << AppInfo::productTitle() << AppInfo::version() << AppInfo::buildDate()
        << quint16(users.size() + removedUsers.size());
    for (const QList<UserRecord> *list : { &users, &removedUsers }) {
        for (const UserRecord &user : *list)
            if (user.isStorable())
                user.writeTo(out);
    }
    if (out.status() != QDataStream::Ok)
        return false;
    // a store the disk could not take whole must not replace the one that
    // lets everybody log in
    return writePrivateFile(path, bytes, nullptr);
}

bool CUserAdmin::addUser(const QString &login)
{
    UserRecord user;
    user.login = login;
    if (login == kBuiltInAdmin)
        user.employeeNumber = QStringLiteral("1");
    user.expiry = QDateTime::currentDateTime().addYears(10);
    user.rights = UserRecord::RightAdmin | UserRecord::UnlockAdmin | UserRecord::UserActive;
    users.append(user);
    return saveUsers(storePath);
}

const UserRecord *CUserAdmin::recordAt(int combinedIndex) const
{
    if (combinedIndex < 0)
        return nullptr;
    if (combinedIndex < users.size())
        return &users.at(combinedIndex);
    const int removedIndex = combinedIndex - users.size();
    return removedIndex < removedUsers.size() ? &removedUsers.at(removedIndex) : nullptr;
}

int CUserAdmin::indexOfLogin(const QString &login) const
{
    const int total = users.size() + removedUsers.size();
    for (int i = 0; i < total; ++i)
        if (recordAt(i)->login == login)
            return i;
    return -1;
}

int CUserAdmin::indexOfEmployeeNumber(int number) const
{
    const int total = users.size() + removedUsers.size();
    for (int i = 0; i < total; ++i)
        if (recordAt(i)->employeeNumberValue() == number)
            return i;
    return -1;
}

bool CUserAdmin::isUserComplete(int index) const
{
    if (index < 0 || index >= users.size())
        return false;
    const UserRecord &user = users.at(index);
    if (user.login == kBuiltInAdmin)
        return true;
    if (user.login == QLatin1String("New User"))
        return false;
    return !user.firstName.isEmpty() && !user.lastName.isEmpty()
           && !user.employeeNumber.isEmpty() && !user.password.isEmpty();
}

QStringList CUserAdmin::employeeNumberChoices(int index, bool *chosen) const
{
    if (chosen)
        *chosen = false;
    if (index < 0 || index >= users.size())
        return {};
    const QString number = users.at(index).employeeNumber;
    if (!number.isEmpty() && number != QLatin1String("0")) {
        if (chosen)
            *chosen = true;
        return { number };   // a chosen number is kept for good
    }
    QStringList free;
    for (int n = 1; n <= 99; ++n)
        if (indexOfEmployeeNumber(n) == -1)
            free << QString::number(n);
    return free;
}

// ---- login and rights ------------------------------------------------------

int CUserAdmin::checkLogin(const QString &login, const QString &password) const
{
    // An empty password opens the built-in administrator only, and only while
    // its stored password is empty too.
    if (password.isEmpty() && login != kBuiltInAdmin)
        return -1;
    const QDateTime now = QDateTime::currentDateTime();
    for (int i = 0; i < users.size(); ++i) {
        const UserRecord &user = users.at(i);
        if (user.login == login && user.password == password && user.isOpenAt(now))
            return i;
    }
    return -1;
}

void CUserAdmin::setCurrentUser(int index)
{
    currentUser = index;
}

const UserRecord *CUserAdmin::loggedInUser() const
{
    if (currentUser < 0 || currentUser >= users.size())
        return nullptr;
    return &users.at(currentUser);
}

QString CUserAdmin::currentUserLogin() const
{
    const UserRecord *user = loggedInUser();
    return user ? user->login : QString();
}

QString CUserAdmin::currentUserShortName() const
{
    const UserRecord *user = loggedInUser();
    return user ? user->shortName() : QString();
}

QString CUserAdmin::currentUserFullName() const
{
    const UserRecord *user = loggedInUser();
    return user ? user->fullName() : QString();
}

int CUserAdmin::currentEmployeeNumber() const
{
    const UserRecord *user = loggedInUser();
    return user ? user->employeeNumberValue() : 0;
}

bool CUserAdmin::hasRight(quint16 right) const
{
    if (!enabled)
        return true;
    const UserRecord *user = loggedInUser();
    return user && user->has(right | UserRecord::RightAdmin);
}

bool CUserAdmin::isAdmin() const
{
    return hasRight(UserRecord::RightAdmin);
}

bool CUserAdmin::canView() const
{
    return hasRight(UserRecord::RightViewer);
}

bool CUserAdmin::canDownload() const
{
    return hasRight(UserRecord::RightDownload);
}

bool CUserAdmin::canConfigure() const
{
    return hasRight(UserRecord::RightConfigure);
}

bool CUserAdmin::isPasswordValid(const QString &password)
{
    const QVector<uint> characters = password.toUcs4();
    bool capital = false;
    bool digit = false;
    for (const uint c : characters) {
        switch (QChar::category(c)) {
        case QChar::Letter_Uppercase:
            capital = true;
            break;
        case QChar::Number_DecimalDigit:
        case QChar::Number_Letter:
        case QChar::Number_Other:
            digit = true;
            break;
        default:
            break;
        }
    }
    return characters.size() >= 6 && capital && digit;
}

// A negative time-out from a hand-edited settings file switches the logout
// off like 0 does, instead of counting down forever.
void CUserAdmin::resetLogoutCountdown()
{
    logoutCountdown = qBound(0, logoutMinutes, kMaxLogoutMinutes) * 60;
}

// ---- audit trail -----------------------------------------------------------

QString CUserAdmin::auditFilePath(const QDate &date) const
{
    return QStringLiteral("%1/%2-%3.txt")
        .arg(userAdminDir, kAuditName, date.toString(QStringLiteral("yyMMdd")));
}

bool CUserAdmin::addAuditEntry(const QString &text)
{
    return addAuditEntry(text, QDateTime::currentDateTime());
}

bool CUserAdmin::addAuditEntry(const QString &text, const QDateTime &at)
{
    return writeAuditEntry(text, at, auditUserName());
}

bool CUserAdmin::addAuditEntryFor(int index, const QString &text)
{
    const UserRecord *user = index >= 0 && index < users.size() ? &users.at(index) : nullptr;
    return writeAuditEntry(text, QDateTime::currentDateTime(), auditNameOf(user));
}

bool CUserAdmin::writeAuditEntry(const QString &text, const QDateTime &at, const QString &name)
{
    // One moment names both the file and the header, so an entry written on
    // the stroke of midnight cannot land in the other day's file.
    const QString path = auditFilePath(at.date());
    const QString header = tr("%1 - User: %2\n")
                               .arg(at.toString(QStringLiteral("dd/MM/yy hh:mm:ss")), name);
    const QString entry = header + text + QLatin1String("\n\n");
    const bool written = ensurePrivateFile(path) && CFileManager::appendTextLine(path, entry);
    noteAuditWrite(written, path);
    return written;
}

CUserAdmin::ActingUser::ActingUser(CUserAdmin *users, Kind kind)
    : users(users), previous(users->actingName)
{
    if (kind == SessionChange)
        users->actingName.reset();
    else if (!users->actingName)
        users->actingName = users->auditUserName();
}

CUserAdmin::ActingUser::~ActingUser()
{
    users->actingName = previous;
}

// The acting user while an action holds one. A user without names (the
// built-in administrator as created) would otherwise stand in the trail as
// nobody.
QString CUserAdmin::auditUserName() const
{
    if (actingName)
        return *actingName;
    return auditNameOf(loggedInUser());
}

QString CUserAdmin::auditNameOf(const UserRecord *user)
{
    if (!user)
        return QString();
    const QString name = user->fullName();
    return name.trimmed().isEmpty() ? user->login : name;
}

// Every entry is tried, but the user hears of a failing file once, and
// again only when it failed anew after a success: a box per entry would
// stop all work while the folder cannot be written.
void CUserAdmin::noteAuditWrite(bool written, const QString &path)
{
    if (written) {
        auditFailureShown = false;
        return;
    }
    if (auditFailureShown)
        return;
    auditFailureShown = true;
    warnUser(tr("Warning!\n\nThe audit trail could not be written to\n%1\nThe entry is lost. "
                "Later entries are written again as soon as the file can be written.")
                 .arg(path));
}

QString CUserAdmin::readAuditFile(const QDate &date, bool *ok) const
{
    const QString path = auditFilePath(date);
    if (ok)
        *ok = true;
    if (!QFileInfo::exists(path))
        return QString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (ok)
            *ok = false;
        return QString();
    }
    QByteArray bytes = file.readAll();
    const int zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    // The trail is written in UTF-8, so it is read back the same way.
    return QString::fromUtf8(bytes);
}

// ---- backup and restore ------------------------------------------------------

namespace {

const QString kCheckFileName = QStringLiteral("check.txt");
// Restored files wait under this suffix until every one of them is copied.
const QString kRestoreSuffix = QStringLiteral(".restoring");

// Plain files only, hidden ones included, in name order. A symbolic link
// could lead anywhere, so it is neither backed up nor restored.
QStringList plainFiles(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Name);
}

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

bool readWhole(const QString &path, QByteArray *bytes, QString *error)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        *bytes = file.readAll();
        if (file.error() == QFileDevice::NoError)
            return true;
    }
    return fail(error, CUserAdmin::tr("The file %1 cannot be read: %2.").arg(nativePath(path), file.errorString()));
}

bool writeWhole(const QString &path, const QByteArray &bytes, QString *error)
{
    QString reason;
    if (writePrivateFile(path, bytes, &reason))
        return true;
    return fail(error, CUserAdmin::tr("The file %1 could not be written: %2.").arg(nativePath(path), reason));
}

// A folder's plain files, each read whole, so that what is checked is what
// is then written.
struct FolderFile
{
    QString name;
    QByteArray bytes;
};

bool readFolder(const QString &dir, QList<FolderFile> *files, QString *error)
{
    for (const QString &name : plainFiles(dir)) {
        FolderFile file{ name, QByteArray() };
        if (!readWhole(dir + QLatin1Char('/') + name, &file.bytes, error))
            return false;
        files->append(file);
    }
    return true;
}

// The check value's sum: every byte taken as a signed 8-bit value, wrapping
// at 32 bits.
quint32 byteSum(const QByteArray &bytes)
{
    quint32 total = 0;
    for (const char byte : bytes)
        total += quint32(qint32(qint8(byte)));
    return total;
}

// An audit file's entries, each with the empty line that ends it. An entry
// whose text holds an empty line is cut there too, the same way in every
// file, which is all the comparison of two files needs.
QList<QByteArray> auditEntries(const QByteArray &trail)
{
    static const QByteArray end("\r\n\r\n");
    QList<QByteArray> entries;
    int from = 0;
    while (from < trail.size()) {
        const int found = trail.indexOf(end, from);
        const int next = found < 0 ? trail.size() : found + end.size();
        entries << trail.mid(from, next - from);
        from = next;
    }
    return entries;
}

// The entries of current that restored does not hold, in their order: what
// was written since the backup was made, the restore's own line among them.
QByteArray entriesMissingFrom(const QByteArray &restored, const QByteArray &current)
{
    QHash<QByteArray, int> held;
    for (const QByteArray &entry : auditEntries(restored))
        ++held[entry];
    QByteArray missing;
    for (const QByteArray &entry : auditEntries(current)) {
        int &count = held[entry];
        if (count > 0)
            --count;
        else
            missing += entry;
    }
    return missing;
}

bool isAuditFile(const QString &name)
{
    return name.startsWith(kAuditName + QLatin1Char('-'));
}

// One file of the user directory that a restore replaces: what it gets, and
// what it held, to be put back when a later file cannot be replaced.
struct Replacement
{
    QString target;
    QByteArray bytes;
    QByteArray previous;
    bool existed = false;
};

// Puts back the files already replaced; false when one of them could not be.
bool putBack(const QList<Replacement> &replaced)
{
    bool all = true;
    for (const Replacement &file : replaced)
        all = (file.existed ? writeWhole(file.target, file.previous, nullptr) : QFile::remove(file.target)) && all;
    return all;
}

}

QString CUserAdmin::visibleName(const QString &name)
{
    QString visible = name;
    visible.replace(kAuditName, kAuditName.mid(1));
    visible.replace(QStringLiteral(".ua"), QStringLiteral("ua"));
    return visible;
}

QString CUserAdmin::hiddenName(const QString &name)
{
    return QLatin1Char('.') + visibleName(name);
}

bool CUserAdmin::writeCheckFile(const QString &path, unsigned value, QString *error)
{
    return writeWhole(path, QByteArray::number(value, 16).toUpper(), error);
}

unsigned CUserAdmin::readCheckFile(const QString &path, bool *valid)
{
    if (valid)
        *valid = false;
    QFile file(path);
    if (QFileInfo(path).isSymLink() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0xFFFFFFFFu;
    const QString line = QString::fromLatin1(file.readLine(64)).trimmed();
    // Only what backup writes counts: one to eight hexadecimal digits.
    static const QRegularExpression hexValue(QStringLiteral("^[0-9A-Fa-f]{1,8}$"));
    if (!hexValue.match(line).hasMatch())
        return 0xFFFFFFFFu;
    if (valid)
        *valid = true;
    return line.toUInt(nullptr, 16);
}

bool CUserAdmin::isUserDir(const QString &dir) const
{
    const QString canonical = QFileInfo(dir).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(userAdminDir).canonicalFilePath();
}

namespace {

// Whether the folder's files, as read, add up to its check value.
bool matchesCheck(const QString &sourceDir, const QList<FolderFile> &files)
{
    bool valid = false;
    const quint32 stored = CUserAdmin::readCheckFile(sourceDir + QLatin1Char('/') + kCheckFileName, &valid);
    quint32 sum = 0;
    for (const FolderFile &file : files)
        if (!CUserAdmin::hiddenName(file.name).contains(kCheckFileName))
            sum += byteSum(file.bytes);
    return valid && ~stored == sum;
}

// Only the built-in administrator logs in with an empty password.
bool anyoneMayLogIn(const QList<UserRecord> &users)
{
    const QDateTime now = QDateTime::currentDateTime();
    return std::any_of(users.begin(), users.end(), [&now](const UserRecord &user) {
        return user.isOpenAt(now) && (!user.password.isEmpty() || user.login == kBuiltInAdmin);
    });
}

// Every user file of the folder reads as the program reads its own store,
// and lets somebody in: one that does not would leave nobody able to log
// in once restored.
bool storesUsable(const QString &dir, const QList<FolderFile> &files, QString *error)
{
    for (const FolderFile &file : files) {
        if (CUserAdmin::hiddenName(file.name) != kStoreName)
            continue;
        const QString path = nativePath(dir + QLatin1Char('/') + file.name);
        QDataStream in(file.bytes);
        QList<UserRecord> active, removed;
        if (!readStore(in, &active, &removed))
            return fail(error, CUserAdmin::tr("The user file %1 cannot be read: restored, it would leave "
                                              "nobody able to log in.")
                                   .arg(path));
        if (!anyoneMayLogIn(active))
            return fail(error, CUserAdmin::tr("The user file %1 holds no account that is active and not "
                                              "expired: restored, it would leave nobody able to log in.")
                                   .arg(path));
    }
    return true;
}

// What a restore checks before it replaces anything.
bool restorable(const QString &dir, const QList<FolderFile> &files, QString *error)
{
    if (!matchesCheck(dir, files))
        return fail(error, CUserAdmin::tr("The files in %1 do not match its check file.").arg(nativePath(dir)));
    return storesUsable(dir, files, error);
}

// A backup is only a success once a restore would take it. A restore counts
// every file of the folder, so what else stands there is named, for the
// administrator to move away.
bool backupRestorable(const QString &targetDir, const QStringList &written, QString *error)
{
    QList<FolderFile> files;
    QString reason;
    const bool read = readFolder(targetDir, &files, &reason);
    if (read && restorable(targetDir, files, &reason))
        return true;
    QStringList others;
    for (const FolderFile &file : qAsConst(files))
        if (!written.contains(file.name))
            others << file.name;
    if (read && !others.isEmpty() && !matchesCheck(targetDir, files))
        reason = CUserAdmin::tr("The backup was written, but %1 also holds %2, which a restore counts with "
                                "the backup's files, so it would refuse this backup. Move these files out "
                                "of the folder, or choose an empty folder, and back up again.")
                     .arg(nativePath(targetDir), others.join(QStringLiteral(", ")));
    return fail(error, reason);
}

// Every file is first written whole beside its target, so a disk that
// cannot take them all fails before anything is replaced; only then do they
// replace the files, each in one step. A replacement that still fails puts
// back the files replaced before it.
bool installRestoredFiles(const QList<Replacement> &replacements, QString *error)
{
    QStringList staged;
    auto dropStaged = [&staged](int from) {
        for (int i = from; i < staged.size(); ++i)
            QFile::remove(staged.at(i));
    };
    for (const Replacement &file : replacements) {
        const QString copy = file.target + kRestoreSuffix;
        if (!writeWhole(copy, file.bytes, error)) {
            dropStaged(0);
            return false;
        }
        staged << copy;
    }
    for (int i = 0; i < replacements.size(); ++i) {
        QString reason;
        if (!WholeFile::replace(staged.at(i), replacements.at(i).target, &reason)) {
            dropStaged(i + 1);
            QString text = CUserAdmin::tr("The file %1 could not be replaced: %2.")
                               .arg(nativePath(replacements.at(i).target), reason);
            if (!putBack(replacements.mid(0, i)))
                text += QLatin1Char(' ') + CUserAdmin::tr("Files replaced before it could not all be put back.");
            return fail(error, text);
        }
    }
    return true;
}

}

// Each file is read whole and written whole, so the check value is taken
// from exactly the bytes that stand in the backup. The check file is written
// last: a backup cut short never gets one.
bool CUserAdmin::backup(const QString &targetDir, QString *error)
{
    if (isUserDir(targetDir))
        return fail(error, tr("The backup cannot be made into the user directory itself."));
    if (!QFileInfo(targetDir).isDir())
        return fail(error, tr("The folder %1 does not exist.").arg(nativePath(targetDir)));
    quint32 sum = 0;
    QStringList written{ kCheckFileName };
    for (const QString &name : plainFiles(userAdminDir)) {
        const QString visible = visibleName(name);
        if (visible.contains(kCheckFileName))
            continue;
        written << visible;
        const QString target = targetDir + QLatin1Char('/') + visible;
        if (QFileInfo(target).isSymLink())
            QFile::remove(target);
        QByteArray bytes;
        if (!readWhole(userAdminDir + QLatin1Char('/') + name, &bytes, error) || !writeWhole(target, bytes, error))
            return false;
        sum += byteSum(bytes);
    }
    const QString checkPath = targetDir + QLatin1Char('/') + kCheckFileName;
    if (QFileInfo(checkPath).isSymLink())
        QFile::remove(checkPath);
    return writeCheckFile(checkPath, ~sum, error) && backupRestorable(targetDir, written, error);
}

bool CUserAdmin::verifyBackup(const QString &sourceDir) const
{
    QList<FolderFile> files;
    return readFolder(sourceDir, &files, nullptr) && matchesCheck(sourceDir, files);
}

bool CUserAdmin::restore(const QString &sourceDir, QString *error)
{
    if (isUserDir(sourceDir))
        return fail(error, tr("A backup cannot be restored from the user directory itself."));
    QList<FolderFile> files;
    if (!readFolder(sourceDir, &files, error) || !restorable(sourceDir, files, error))
        return false;
    QList<Replacement> replacements;
    for (const FolderFile &file : qAsConst(files)) {
        Replacement replacement;
        replacement.target = userAdminDir + QLatin1Char('/') + hiddenName(file.name);
        replacement.existed = QFileInfo::exists(replacement.target);
        if (replacement.existed && !readWhole(replacement.target, &replacement.previous, error))
            return false;
        // the trail is only ever appended to: a restored day keeps what was
        // written since the backup, after the backup's entries
        replacement.bytes = file.bytes;
        if (isAuditFile(hiddenName(file.name)))
            replacement.bytes += entriesMissingFrom(file.bytes, replacement.previous);
        replacements << replacement;
    }
    if (!installRestoredFiles(replacements, error))
        return false;
    reloadAfterRestore();
    return true;
}

// The running session goes on with the restored users, so that a later edit
// saves over the restored store rather than the users it replaced.
void CUserAdmin::reloadAfterRestore()
{
    const QString login = currentUserLogin();
    storeProtected = !loadUsers(storePath);
    currentUser = -1;
    if (login.isEmpty())
        return;
    for (int i = 0; i < users.size() && currentUser == -1; ++i)
        if (users.at(i).login == login)
            currentUser = i;
}
