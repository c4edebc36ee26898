#pragma once

#include <atomic>
#include <QElapsedTimer>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThread>

#include "core/cgestionserie.h"

class QSerialPort;

// The link to one logger on one serial port, on its own thread. The GUI
// thread queues frames (sendCommand and friends); the thread sends them with
// fixed pauses, reads the replies and decodes them with its CGestionSerie.
// Decoded results wait in a mailbox that the core empties on the GUI thread
// (takeResults).
//
// A link with index -1 is the port scanner: one pass over the free ports,
// each asked to identify itself; a port that answers is reported by
// loggerFound.
class CComm : public QThread
{
    Q_OBJECT
public:
    CComm(int index, const QString &portName, QObject *parent = nullptr);
    ~CComm() override;   // stops and joins the thread

    static constexpr int ScannerIndex = -1;
    static constexpr int JigIndex = 1000;

    const int index;
    const QString portName;

    // Frames still to send, front first. Guarded by queueMutex: the GUI
    // thread appends while the link thread takes.
    QStringList commandQueue;
    mutable QMutex queueMutex;

    // Each returns the queue's new length.
    int sendCommand(int command);
    int sendCommand32(int command, quint32 value);
    int sendReadMemory(int address, int length);
    int sendWriteMemory(int address, const QByteArray &data);
    // Frames not yet sent (the queue's length).
    int queueLength() const;
    // The transfer under way failed or was cut: the replies it still
    // awaits are awaited no more, and its write still unconfirmed is sent
    // no more, from before the next frame that leaves. Its write can then
    // no longer be given up, which would empty the next transfer's queue.
    void forgetExpectedReplies();

    // Frame builders.
    static QString commandFrame(int command);
    static QString command32Frame(int command, quint32 value);
    static QString readMemoryFrame(int address, int length);
    // Frames of at most MemoryMap::MaxWriteFrameBytes bytes each.
    static QStringList writeMemoryFrames(int address, const QByteArray &data);

    // Scanner: ports that belong to other links, skipped by the next pass.
    void setBusyPorts(const QStringList &ports);

    QList<LinkResult> takeResults();
    // Stops the thread and waits for it.
    void stop();

    // Set once the port failed or disappeared (the PortLost result).
    std::atomic_bool portLost{false};

    // Writes given up so far. It counts up before the queue is emptied, so
    // whoever sees the emptied queue also sees the give-up, even before the
    // WriteFailed result has been taken.
    std::atomic<int> writesGivenUp{0};

    // Commands that change the whole logger at once: how many of them left
    // and how many the logger echoed. Counted on the link thread as it
    // happens, so a writer that stops watching (a logout) still knows
    // whether its command reached the logger.
    struct CommandTally {
        std::atomic<int> sent{0};
        std::atomic<int> echoed{0};
    };
    CommandTally commits;
    CommandTally factoryInits;
    // Clock sets that left, counted the same way.
    std::atomic<int> clockSetsSent{0};

    // Bytes read from and written to the port so far, and write-memory
    // frames sent (resends not counted), for measurements.
    std::atomic<quint64> bytesRead{0};
    std::atomic<quint64> bytesWritten{0};
    std::atomic<int> writeFramesSent{0};

signals:
    void loggerFound(const QString &portName);

protected:
    void run() override;

private:
    void runLink();
    void runScanner();
    bool probe(const QString &path);
    // The next frame, "" for none or while a write awaits its echo; forget
    // tells that the replies awaited before it are to be forgotten first
    // (the awaited write is dropped here).
    QString takeFrame(bool &forget);
    void appendFrames(const QStringList &frames);
    void sendFrame(QSerialPort &port, const QString &frame);
    void announceExpectedReply(const QString &frame);
    void readClockBeforeSet(QSerialPort &port);
    // true when anything arrived
    bool readReplies(QSerialPort &port, int firstByteWaitMs);
    void confirmWrites();
    void countCommandEchoes();
    CommandTally *tallyOf(int command);
    CommandTally *tallyOfFrame(const QString &frame);
    void giveUpWrite();
    void reportPortLost();
    bool mustGiveUpWrite(qint64 silentMs) const;
    void post(const QList<LinkResult> &results);

    CGestionSerie gestionSerie;

    // write confirmation, link thread only
    QString pendingWrite;       // the write frame whose echo is awaited
    QString lastConfirmed;      // body of the write confirmed before it
    bool resendNow = false;
    int resendCount = 0;
    int wrongEchoes = 0;
    QElapsedTimer sincePendingSent;   // since the last (re)send of pendingWrite
    QElapsedTimer pendingFor;         // since pendingWrite was first sent

    QMutex resultMutex;
    QList<LinkResult> results;
    QStringList busyPorts;      // set while the scanner is stopped
    bool forgetRequested = false;   // guarded by queueMutex
};
