#pragma once

#include <QLockFile>
#include <QString>

// Holds a folder for one running copy of the program: its settings folder,
// and its user directory, which copies with different settings folders share
// when they share a home. Two copies on one folder would each keep their own
// settings, counters or user list in memory and overwrite what the other
// saved. The hold goes with the object; a lock left by a copy that died is
// taken over, since its process is gone.
class InstanceLock
{
public:
    static QString settingsLockPath(const QString &settingsDir);
    // Beside the directory, not in it: a backup copies every file in it.
    static QString userDirLockPath(const QString &userDir);

    explicit InstanceLock(const QString &lockPath);
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // False when a running copy holds the folder; nothing is written then.
    bool acquire();
    void release();

    // Why acquire() gave up, for the user: a copy on another computer is
    // named, with the file to remove once it is closed.
    QString refusalText() const;

private:
    bool isLeftover() const;
    bool leftByThisProcessId(qint64 pid, const QString &hostName) const;
    bool isOldEnoughToBeAbandoned() const;
    QString otherComputerHoldingIt() const;
    static bool isThisComputer(const QString &hostName);

    const QString path;
    QLockFile lockFile;
};
