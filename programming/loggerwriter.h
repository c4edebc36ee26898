#pragma once

#include <QByteArray>
#include <QCoreApplication>

#include <functional>
#include <utility>

#include "core/steadyclock.h"
#include "programming/transferwatch.h"

class ProgrammingHost;
struct LoggerRecord;

// The write transfers to a logger: a programming with its re-emissions,
// the EEPROM image both ways and a calibration table, and how the window's
// 25 ms tick follows each of them to its end on the write progress bar.
class LoggerWriter
{
    Q_DECLARE_TR_FUNCTIONS(LoggerWriter)
public:
    explicit LoggerWriter(ProgrammingHost &host);

    // The program action: the user's attempt asks first and takes the
    // program from the page; a re-emission writes the same program again.
    void programAction();
    // Queues the program of programImage for the record at the transfer's
    // index; false when it was refused.
    bool programLogger();
    void readEeprom();
    void writeEeprom();
    // The clock buttons of the logger page.
    void readClock();
    void syncClock();
    // The table file names a whole table with its check sum; only its
    // bytes that differ from the logger's are written, and the table is
    // read back to be compared.
    void writeCalibrationTable(int address, const QString &path, int task);
    // Reads again how many readings the logger at row holds; once the
    // count is in the record, the tick hands the record to then. A logger
    // that does not answer is told.
    void readHeldReadings(int row, std::function<void(const LoggerRecord &)> then);
    // Sends Factory Init to the logger, and follows it to its echo.
    void initialise(LoggerRecord &logger);

    // one step of the 25 ms tick
    void serveWriteTransfer();
    // The download of the record's logger, as far as it went.
    void showDownloadProgress(const LoggerRecord &record);
    // The record whose transfer the bar shows (LoggerRecord::recordId), 0 for none.
    quint64 barRecord() const { return barRecordId; }
    // A failure box's text, naming the logger it is about: with several
    // loggers plugged in, the one selected may be another.
    static QString aboutLogger(const QString &text, const QString &serial);
    // The clock goes with the logger time of now, which it returns; its
    // reply is checked against now when it comes.
    quint32 sendClockTo(LoggerRecord &record);
    // A warning, and true, while a transfer to a logger runs.
    bool refuseWhileTransferring();
    // The same, and also while the record's logger sends its readings: a
    // download's transfer ends once its two frames have left, long before
    // the last reading has come.
    bool refuseWhileBusy(const LoggerRecord &record);
    // What the Download action and every write say of a logger that is busy.
    static QString busyLoggerText();
    static QString imageAwaitedText();
    // The record at row, when the user's action (named in the refusal) may
    // write to it: a logger is behind it, the user holds the configure
    // right (with user administration on), its password was given (or
    // writing without it chosen) and neither a transfer nor the logger's
    // download runs. Otherwise the user is told why, and nullptr.
    LoggerRecord *recordToWrite(int row, const QString &action);
    // The logout cuts a write under way (a programming, Factory Init, a
    // calibration table): its line goes to the trail while its user is
    // still logged in, saying whether the logger took it.
    void abandonProgramming();
    // Once the logout let the loggers go: a transfer it cut, a download
    // included, ends without a word to the next user, and the bar starts
    // afresh.
    void forgetTransfersAtLogout();

    const TransferWatch &watch() const { return transferWatch; }
    TransferWatch &watch() { return transferWatch; }
    // what the program action writes, kept for its re-emissions
    const QByteArray &programImage() const { return image; }
    // re-emissions made so far for the current programming
    int retryCount() const { return programRetryCount; }

    // Milliseconds on a steady clock, by which the watch times the replies
    // of a transfer. The default is the process's monotonic clock, which a
    // change of the computer's time does not move; tests hand in their own.
    using Clock = SteadyClock;
    void setClock(Clock clock) { now = std::move(clock); }

private:
    bool startProgramming(int row);
    // "" when the logger can run the program of programImage; otherwise the
    // warning that says why not.
    QString refusalOfProgram(const QByteArray &programImage, const QString &serial) const;
    // The record at row with its logger behind it. A record without one
    // gives nullptr, and the user is told why (withoutLoggerText).
    LoggerRecord *loggerAt(int row, const QString &action);
    // Why nothing reaches a logger from record: action names what was
    // asked, "" for the logger's clock.
    QString withoutLoggerText(const LoggerRecord &record, const QString &action) const;
    // The next clock reply of the record's logger settles the check.
    void armClockCheck(const LoggerRecord &record);
    void startTransfer(TransferWatch::Kind kind, int row, bool clockQueued, bool red);
    void endTransfer();
    void finishTransfer(const LoggerRecord &record);
    void retryOrFailProgramming();
    void readBackAfterFailedProgram();
    void warnTransferFailed(TransferWatch::Kind kind, const QString &serial);
    // The trail names a write once it is over (a programming's re-emissions
    // included) or cut, as the logger answered it: action + ": " when the
    // logger took it, " failed: " when it did not, and " not confirmed: "
    // when it was cut after what changes the logger had left.
    void expectAudit(TransferWatch::Kind kind, const QString &action, const QString &subject,
                     const LoggerRecord &record);
    void noteWhatTheLoggerSaid(const LoggerRecord &record);
    void auditWriteOutcome(bool succeeded, bool cut);
    void takeHeldReadings(LoggerRecord &record);
    // A warning, and true, while the record's logger is protected by a
    // password that was neither given nor waived for writing.
    bool refuseWhileLocked(const LoggerRecord &record, const QString &action);
    bool transferDataArrived(const LoggerRecord &record) const;
    // the table being written reads back from the logger as it was sent
    bool tableReadBack(const LoggerRecord &record) const;

    ProgrammingHost &host;
    TransferWatch transferWatch;
    QByteArray image;
    int programRetryCount = 0;
    bool reemittingProgram = false;
    struct WriteAudit {
        TransferWatch::Kind kind = TransferWatch::None;
        QString action;     // "" when no line is due
        QString subject;
        bool left = false;  // what changes the logger went out
        bool taken = false; // the logger echoed it, or read back as written
    };
    WriteAudit pendingAudit;
    // the link's counts when the audited write began
    int commandsSentAtStart = 0;
    int commandsEchoedAtStart = 0;
    int framesSentAtStart = 0;
    int memoryReadsAtStart = 0;   // the record's, for the count read
    int clockRepliesAtStart = 0;  // and its clock
    std::function<void(const LoggerRecord &)> afterHeldReadings;
    QByteArray expectedTable;   // a calibration table being written, as it must read back
    int expectedTableAddress = 0;
    int writesGivenUpAtStart = 0;   // the link's give-up count when the transfer began
    QString transferSerial;         // of the logger the transfer goes to
    quint64 barRecordId = 0;
    Clock now;
};
