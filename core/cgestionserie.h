#pragma once

#include <optional>
#include <utility>

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QVector>

#include "core/measuredclockset.h"
#include "core/steadyclock.h"

class CMainApp;
struct LoggerRecord;

// One decoded reply of a logger, handed from its link thread to the GUI
// thread, where CGestionSerie::applyResult writes it into the record.
struct LinkResult
{
    enum Kind {
        Image,            // data: the 768-byte image sent after command 0x0C
        MemoryRead,       // address, data: a range asked by a read-memory command
        Clock,            // value: logger seconds since 2000-01-01
        AlarmStatus,      // value: alarm status word
        DownloadProgress, // value: readings received so far
        DownloadDone,     // readings (oldest first), start, end, wentRound
        DownloadFailed,   // value: readings received, address: readings announced
        WriteFailed,      // a write was never confirmed; the rest of the transfer is dropped
        PortLost          // the port failed or disappeared
    };
    Kind kind = Image;
    int address = 0;
    QByteArray data;
    quint32 value = 0;
    QVector<quint16> readings;
    quint32 start = 0;
    quint32 end = 0;
    // The logger's memory went round: its oldest readings were written over.
    bool wentRound = false;
    // DownloadDone: the alarm status word the logger's memory held just
    // before the readings; none when its read went unanswered.
    std::optional<quint32> alarmStatus;
    // Clock: the reply of a clock set, with what the set moved the clock
    // by when its link read the clock just before.
    bool clockSet = false;
    std::optional<qint64> clockMoved;
};

// Assembles a logger's reply frames across reads and turns them into
// LinkResults. Lives on the link thread and touches no record: the records
// belong to the GUI thread, which applies the results (applyResult).
class CGestionSerie
{
public:
    CGestionSerie();

    // Milliseconds on a steady clock; a reply's frames are judged stale by
    // it. The default is the process's monotonic clock; tests hand in
    // their own.
    using Clock = SteadyClock;
    void setClock(Clock clock) { now = std::move(clock); }

    // Feeds bytes as read from the port; frames may be split anywhere.
    void dispatchReply(const QByteArray &bytes);

    // The link announces a memory range it asked for: a read-memory
    // command (image false) or the end command, which sends the whole image.
    void expectMemory(int address, int length, bool image);
    // The link sent the download command: the readings blocks that follow
    // belong to a new download.
    void expectDownload();
    // The link reads the logger's alarm status word from its memory ahead
    // of a download: the download carries it. Without it the readings are
    // kept all the same, their alarm status not known.
    void expectAlarmStatus();
    // The link reads the logger's clock just before it sets it: that reply
    // is the clock the set moves, and the set's reply says by how much.
    void expectClockRead() { clockSet.readSent(); }
    bool clockReadAwaited() const { return clockSet.readAwaited(); }
    void giveUpClockRead() { clockSet.readGivenUp(now()); }
    void expectClockSet(quint32 value) { clockSet.setSent(value, now()); }
    // The transfer that asked for them failed or was cut: the memory ranges
    // and the clock it awaits are no longer awaited, and no reply to a later
    // command is taken for theirs.
    void forgetExpectedReplies();

    // True while the bytes fed so far end inside a frame or a raw block:
    // more of the same reply is on its way.
    bool midFrame() const { return !pending.isEmpty() || rawRemaining > 0; }

    QList<LinkResult> takeResults();
    // Write-memory echoes received, without CR LF, for write confirmation.
    QStringList takeEchoes();
    // Codes of the commit and Factory Init echoes received.
    QList<int> takeCommandEchoes();

    // GUI thread: writes one result into record (index recordIndex of app)
    // and sets the window's flags it implies.
    static void applyResult(const LinkResult &result, int recordIndex, CMainApp &app);

private:
    struct Expectation {
        int address = 0;
        int length = 0;
        bool image = false;
        QByteArray data;
        QByteArray covered;   // one byte per address, 1 once received
        int missing = 0;
        int nextAddress = 0;  // end of the last frame received
        qint64 lastFrameMs = 0;
        bool announced = true;
        bool alarmWord = false;   // the alarm status read of a download
    };

    void dispatchFrame(const QByteArray &line);
    void onClockFrame(quint32 value);
    void onMemoryFrame(const QByteArray &payload);
    int requestFor(int address, int length);
    void onIndexFrame(const QByteArray &payload);
    void storeBlock(quint32 index);
    void finishDownload(const QByteArray &payload);
    void dropAlarmWordRead();
    void post(const LinkResult &result);

    Clock now;
    QByteArray pending;        // bytes not yet assembled into a frame
    int rawRemaining = 0;      // bytes of an announced raw block still to come
    QByteArray rawBlock;
    bool rawBlockReady = false;
    QVector<quint16> download; // readings received so far, by index
    QByteArray arrived;        // one byte per index, 1 once received
    int downloadReceived = 0;  // distinct readings received
    bool downloadExpected = false; // from the download command to its last reply
    std::optional<quint32> downloadAlarmStatus;
    QList<Expectation> expectations;
    MeasuredClockSet clockSet;
    QList<LinkResult> results;
    QStringList echoes;
    QList<int> commandEchoes;
};
