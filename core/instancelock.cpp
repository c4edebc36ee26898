#include "core/instancelock.h"

#include <QCoreApplication>
#include <QDir>

#include "core/appinfo.h"

InstanceLock::InstanceLock(const QString &settingsDir)
    : lockFile(QDir(settingsDir).filePath(QStringLiteral("Mirelda.lock")))
{
    // a running copy holds the lock for its whole life, however long: only
    // a dead holder makes it stale
    lockFile.setStaleLockTime(0);
}

bool InstanceLock::acquire()
{
    return lockFile.tryLock(0);
}

QString InstanceLock::alreadyRunningText()
{
    return QCoreApplication::translate("InstanceLock", "%1 is already running.")
        .arg(AppInfo::productTitle());
}
