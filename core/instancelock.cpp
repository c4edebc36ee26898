#include "core/instancelock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

#include "core/appinfo.h"

namespace {

// A copy writes its lock's content right after making the file, so a lock
// that cannot be read this long after it was made never will be: a power
// cut between the two left it.
constexpr qint64 kUnreadableLockAgeMs = 5000;

// More links than this in a row are a loop.
constexpr int kMostLinksFollowed = 40;

// Copies that reach one folder through different symbolic links (a roaming
// or shared profile folder) meet at one lock: it follows the real path. A
// part of it not made yet keeps its name under its real parent.
QString realPathOf(const QString &path, int linksLeft = kMostLinksFollowed)
{
    const QFileInfo info(QDir::cleanPath(QDir(path).absolutePath()));
    if (info.exists())
        return info.canonicalFilePath();
    // a link to a folder not made yet
    if (info.isSymLink() && linksLeft > 0)
        return realPathOf(info.symLinkTarget(), linksLeft - 1);
    const QString parent = info.absolutePath();
    if (parent == info.absoluteFilePath())
        return parent;
    return QDir(realPathOf(parent, linksLeft)).filePath(info.fileName());
}

}

QString InstanceLock::settingsLockPath(const QString &settingsDir)
{
    return QDir(realPathOf(settingsDir)).absoluteFilePath(QStringLiteral("Mirelda.lock"));
}

QString InstanceLock::userDirLockPath(const QString &userDir)
{
    return realPathOf(userDir) + QStringLiteral(".lock");
}

InstanceLock::InstanceLock(const QString &lockPath)
    : path(QDir::cleanPath(QFileInfo(lockPath).absoluteFilePath()))
    , lockFile(path)
{
    // a running copy holds the lock for its whole life, however long: only
    // a dead holder makes it stale
    lockFile.setStaleLockTime(0);
}

// A folder where no lock can be made (read-only, or a full disk) is held by
// nobody: the copy runs as it did before there was a lock, and says so when
// it cannot save.
bool InstanceLock::acquire()
{
    if (lockFile.tryLock(0) || lockFile.error() != QLockFile::LockFailedError)
        return true;
    return isLeftover() && lockFile.removeStaleLockFile() && lockFile.tryLock(0);
}

void InstanceLock::release()
{
    lockFile.unlock();
}

// QLockFile itself takes over the lock of a dead process on this computer;
// the leftovers it keeps are a lock naming this very process and one it
// cannot read at all.
bool InstanceLock::isLeftover() const
{
    qint64 pid = 0;
    QString hostName;
    QString appName;
    if (!lockFile.getLockInfo(&pid, &hostName, &appName))
        return isOldEnoughToBeAbandoned();
    return leftByThisProcessId(pid, hostName);
}

// A copy that ended without unlocking (a cancelled login ends on the spot,
// a crash or a power cut too) names its process id in the lock. When this
// process has been given the same id, the process of that id and name that
// runs is this one, which holds nothing yet: the lock is a leftover.
bool InstanceLock::leftByThisProcessId(qint64 pid, const QString &hostName) const
{
    return pid == QCoreApplication::applicationPid() && isThisComputer(hostName);
}

// Counted either way from now: a clock set back after the power cut must
// not keep the lock young for hours.
bool InstanceLock::isOldEnoughToBeAbandoned() const
{
    const QDateTime made = QFileInfo(path).lastModified();
    return made.isValid()
           && qAbs(made.msecsTo(QDateTime::currentDateTime())) >= kUnreadableLockAgeMs;
}

// Whether a process runs on another computer cannot be seen from here (a
// home on a network share), so its lock is never taken over.
QString InstanceLock::otherComputerHoldingIt() const
{
    qint64 pid = 0;
    QString hostName;
    QString appName;
    if (!lockFile.getLockInfo(&pid, &hostName, &appName) || isThisComputer(hostName))
        return QString();
    return hostName;
}

bool InstanceLock::isThisComputer(const QString &hostName)
{
    return hostName.isEmpty() || hostName == QSysInfo::machineHostName();
}

QString InstanceLock::refusalText() const
{
    const QString otherComputer = otherComputerHoldingIt();
    if (otherComputer.isEmpty())
        return QCoreApplication::translate("InstanceLock", "%1 is already running.")
            .arg(AppInfo::productTitle());
    return QCoreApplication::translate(
               "InstanceLock",
               "%1 is already running on the computer \"%2\", or was when it last stopped.\n"
               "If no copy runs there any more, remove \"%3\" and start again.")
        .arg(AppInfo::productTitle(), otherComputer, QDir::toNativeSeparators(path));
}
