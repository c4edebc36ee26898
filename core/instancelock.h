#pragma once

#include <QLockFile>
#include <QString>

// Holds a settings folder for one running copy of the program. Two copies
// on the same folder would each keep their own settings, counters and user
// list in memory and overwrite what the other saved. The hold goes with the
// object; a lock left by a copy that died is taken over, since its process
// is gone.
class InstanceLock
{
public:
    explicit InstanceLock(const QString &settingsDir);
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // False when a running copy holds the folder; nothing is written then.
    bool acquire();

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
