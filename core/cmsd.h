#pragma once

#include <atomic>
#include <QHash>
#include <QMutex>
#include <QString>
#include <QThread>

#include "core/steadyclock.h"

struct LoggerRecord;

// The mass-storage logger (volume KelpraUSB): a worker thread that looks for
// its drive once a second, reports the logger's data file on it (again when
// that file changes), and writes the clock line into the drive's command
// file when the core asks.
class CMsd : public QThread
{
    Q_OBJECT
public:
    explicit CMsd(QObject *parent = nullptr);
    ~CMsd() override;   // stops and joins the thread

    enum State { Looking = 0, Found = 1, ClockPending = 2, Idle = 3 };

    // 0 looking for the drive, 1 drive found, 2 a clock line waits for
    // "CMD.TXT", 3 idle (watching the data file read for a change). The
    // window sets 3 on logout and 0 on login.
    std::atomic_int state{Looking};
    // Set by the core while user administration is on and nobody is logged
    // in: the worker then does nothing.
    std::atomic_bool paused{false};
    // Time between two looks at the drive; polls counts the looks so far
    // (paused ones too), so that a test can wait for the worker's next ones.
    std::atomic_int pollMs{1000};
    std::atomic_int polls{0};
    // Nobody is logged in: the worker rests (state Idle) until resume, which
    // looks for the drive again, as the logout closed its record.
    void pause();
    void resume();

    static QString volumeLabel();
    // The logger's data file in directory: the newest "*.QLF" that is not
    // passed over and not a data file of this program (a copy saved onto
    // the drive); "" when none.
    QString loggerDataFile(const QString &directory);
    // Reads a drive data file: a 512-byte header (block 0 of the image and
    // 256 reserved bytes), then big-endian readings to the end of the file.
    // What a data file may not hold, the drive file may not either.
    static bool readDataFile(const QString &path, LoggerRecord &record, QString *error = nullptr);
    static QString clockLine(quint32 loggerSeconds);

    // The core has read the data file: write the clock line next, with the
    // logger time it is then, counted on from loggerSeconds.
    void requestClockLine(quint32 loggerSeconds);
    // The core could not read the data file: look again, but pass over
    // that file until it changes or the drive goes.
    void readFailed(const QString &dataFilePath);
    // The clock that counts how long a clock line waits (tests set their own).
    void setSteadyClock(const SteadyClock &clock);
    void stop();

signals:
    // The drive and a data file on it were found (state is 1).
    void massStorageFound(const QString &dataFilePath);
    // The clock line could not be written to the drive at driveRoot, for
    // reason; said once while the drive stays plugged in.
    void clockLineFailed(const QString &driveRoot, const QString &reason);
    // The drive at driveRoot went before the clock line was written, and
    // no failure of that line was said.
    void clockLineDropped(const QString &driveRoot);

protected:
    void run() override;

private:
    void step();
    void lookAt(const QString &root);
    void writePendingLine(const QString &root);
    bool dataFileChanged(const QString &root);
    void driveGone();
    bool moveState(State from, State to);
    static bool writeClockLine(const QString &root, quint32 seconds, QString *reason);
    static QString fileStamp(const QString &path);
    bool isLoggersFile(const QString &path);
    static bool isSavedDataFile(const QString &path);

    QMutex mutex;
    struct SeenFile
    {
        QString stamp;
        bool loggers;   // false: passed over
    };
    QHash<QString, SeenFile> seenFiles;   // by path, while the drive stays plugged in
    QString readRoot;                     // the drive it was on, kept after the drive goes
    QString readFile;                     // path and stamp of the file last reported
    QString readStamp;
    quint32 pendingClock = 0;
    qint64 pendingSince = 0;
    bool clockFailureTold = false;
    SteadyClock steadyClock = processSteadyClock();
};
