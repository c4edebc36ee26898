#include "core/instancelock.h"

#include <QCoreApplication>
#include <QDir>
#include <QSysInfo>

#include "core/appinfo.h"

InstanceLock::InstanceLock(const QString &settingsDir)
    : lockFile(QDir(settingsDir).filePath(QStringLiteral("Mirelda.lock")))
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
    return leftByThisProcessId() && lockFile.removeStaleLockFile() && lockFile.tryLock(0);
}

// A copy that ended without unlocking (a cancelled login ends on the spot,
// a crash or a power cut too) names its process id in the lock. When this
// process has been given the same id, the process of that id and name that
// runs is this one, which holds nothing yet: the lock is a leftover.
bool InstanceLock::leftByThisProcessId() const
{
    qint64 pid = 0;
    QString hostName;
    QString appName;
    if (!lockFile.getLockInfo(&pid, &hostName, &appName))
        return false;
    return pid == QCoreApplication::applicationPid()
           && (hostName.isEmpty() || hostName == QSysInfo::machineHostName());
}

QString InstanceLock::alreadyRunningText()
{
    return QCoreApplication::translate("InstanceLock", "%1 is already running.")
        .arg(AppInfo::productTitle());
}
