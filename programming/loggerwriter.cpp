#include "programming/loggerwriter.h"

#include <QMessageBox>
#include <QProgressBar>

#include "core/ccomm.h"
#include "core/clanguagetable.h"
#include "core/cmainapp.h"
#include "core/imagecodec.h"
#include "core/labelid.h"
#include "core/loggerrecord.h"
#include "core/loggertime.h"
#include "core/memorymap.h"
#include "core/windowstate.h"
#include "dialogs/cprompt.h"
#include "files/regularfile.h"
#include "programming/calibrationtable.h"
#include "programming/programimage.h"
#include "programming/programlimits.h"
#include "programming/programminghost.h"
#include "users/cuseradmin.h"

namespace {

constexpr char kRedGradient[] =
    "QProgressBar::chunk { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, "
    "stop:0 rgb(255, 120, 120), stop:1 rgb(200, 0, 0)); }";

// Only what differs from what the logger holds goes over the line: from
// its image as last read, and wherever a write went out since, which a
// failed or cut transfer may or may not have left there.
void sendChangedSpans(LoggerRecord &record, const QByteArray &target, int begin, int end)
{
    const QList<ProgramImage::Span> spans =
        ProgramImage::changedSpans(record.imageRead, target, begin, end, record.writtenSinceRead);
    for (const ProgramImage::Span &span : spans)
        record.commandLink->sendWriteMemory(span.address, span.data);
    ProgramImage::markWritten(record.writtenSinceRead, spans);
}

// A write whose frames are not compared with the image changes the
// logger's memory from begin on.
void markWholeRange(LoggerRecord &record, int begin, int length)
{
    ProgramImage::markWritten(record.writtenSinceRead, { { begin, QByteArray(length, '\0') } });
}

}

LoggerWriter::LoggerWriter(ProgrammingHost &host)
    : host(host)
    , now(processSteadyClock())
{
}

bool LoggerWriter::refuseWhileTransferring()
{
    if (!host.state().transferInProgress && !transferWatch.running())
        return false;
    CPrompt::warning(host.promptParent(), tr("Warning!\n\nA transfer to a logger is still running.\n"
                                             "Wait until it has ended."));
    return true;
}

bool LoggerWriter::refuseWhileBusy(const LoggerRecord &record)
{
    if (refuseWhileTransferring())
        return true;
    if (!record.downloadRunning)
        return false;
    CPrompt::warning(host.promptParent(), busyLoggerText());
    return true;
}

QString LoggerWriter::busyLoggerText()
{
    return tr("Warning!\n\nThe selected logger is busy with a transfer; try again when it has ended.");
}

QString LoggerWriter::imageAwaitedText()
{
    return tr("Warning!\n\nThe selected logger has not sent its settings yet, its password among them.\n"
              "Wait until its serial number shows on the Program page, or double-click its row.");
}

// A locked logger written by anyone would take whatever program, clock or
// erasure was sent, its password included.
bool LoggerWriter::refuseWhileLocked(const LoggerRecord &record, const QString &action)
{
    if (host.core()->loggerOpenForWriting(record))
        return false;
    // the field as the page names it, in the user's language
    const QString field = host.core()->languageTable->text(LabelId::PasswordReadWrite);
    CPrompt::warning(host.promptParent(),
                     tr("Warning!\n\nThe logger %1 is password protected: %2 needs its password.\n"
                        "Type it into the field %3 of the Program page.\n"
                        "Nothing was written to the logger.")
                         .arg(record.serialNumber, action, field));
    return true;
}

// Every user action that writes to a logger passes here, so that the right
// to change a logger is checked in one place and before anything is queued.
LoggerRecord *LoggerWriter::recordToWrite(int row, const QString &action)
{
    LoggerRecord *record = loggerAt(row, action);
    if (!record)
        return nullptr;
    if (record->awaitsImage()) {
        CPrompt::warning(host.promptParent(), imageAwaitedText());
        return nullptr;
    }
    // canConfigure holds for an administrator, and for anybody while user
    // administration is off
    if (!host.core()->userAdmin->canConfigure()) {
        CPrompt::warning(host.promptParent(), tr("Warning!\n\n%1 needs the right to configure loggers.\n"
                                                 "The logger was not changed.")
                                                  .arg(action));
        return nullptr;
    }
    if (refuseWhileLocked(*record, action))
        return nullptr;
    return refuseWhileBusy(*record) ? nullptr : record;
}

LoggerRecord *LoggerWriter::loggerAt(int row, const QString &action)
{
    LoggerRecord *record = host.recordAt(row);
    if (!record || record->commandLink)
        return record;
    CPrompt::warning(host.promptParent(), withoutLoggerText(*record, action));
    return nullptr;
}

QString LoggerWriter::withoutLoggerText(const LoggerRecord &record, const QString &action) const
{
    // The mass-storage logger is plugged in, but only its drive is reached:
    // its clock line goes into the drive's command file when it is read,
    // and the drive takes nothing else.
    if (record.massStorage && action.isEmpty())
        return tr("Warning!\n\nThis logger is read from its drive: its clock cannot be read or set "
                  "from here. The program sets it through the drive each time it reads the logger.");
    if (record.massStorage)
        return tr("Warning!\n\nThis logger is read from its drive: %1 cannot be done through the drive.\n"
                  "Nothing was written to the logger.")
            .arg(action);
    if (record.loggerGone)
        return tr("Warning!\n\nThis row holds a trip whose logger is not connected to it: nothing can be "
                  "read from the logger or written to it through this row.\nA connected logger has a row of its own.");
    return tr("Warning!\n\nNo logger is connected to this record: it was opened from a file.");
}

// ---- programming ---------------------------------------------------------

// A re-emission after an unconfirmed attempt writes the same program again
// to the same logger, wherever the selection is by then.
void LoggerWriter::programAction()
{
    WindowState &state = host.state();
    if (!reemittingProgram) {
        host.restartInactivityCountdown();
        if (!startProgramming(state.currentLoggerRow()))
            return;
        // counted from before the first frame: the commit may leave at once
        const LoggerRecord *record = host.recordAt(state.transferRecordIndex);
        if (record && record->commandLink)
            expectAudit(TransferWatch::Programming, QStringLiteral("Configure"), record->serialNumber, *record);
    }
    // a refused re-emission ends the programming, and the tick that asked
    // for it writes its line
    if (!programLogger() && !reemittingProgram)
        pendingAudit = WriteAudit();
}

void LoggerWriter::expectAudit(TransferWatch::Kind kind, const QString &action, const QString &subject,
                               const LoggerRecord &record)
{
    pendingAudit = WriteAudit();
    pendingAudit.kind = kind;
    pendingAudit.action = action;
    pendingAudit.subject = subject;
    const CComm *link = record.commandLink;
    const CComm::CommandTally *tally =
        kind == TransferWatch::Programming ? &link->commits : &link->factoryInits;
    commandsSentAtStart = kind == TransferWatch::ClockSet ? link->clockSetsSent.load() : tally->sent.load();
    commandsEchoedAtStart = tally->echoed;
    framesSentAtStart = link->writeFramesSent;
}

// Noted at every tick: once the logger is gone, its link can no longer be
// asked.
void LoggerWriter::noteWhatTheLoggerSaid(const LoggerRecord &record)
{
    const CComm *link = record.commandLink;
    if (pendingAudit.action.isEmpty() || !link)
        return;
    if (pendingAudit.kind == TransferWatch::CalibrationTable) {
        pendingAudit.left = pendingAudit.left || link->writeFramesSent > framesSentAtStart;
        pendingAudit.taken = pendingAudit.taken || tableReadBack(record);
        return;
    }
    // the logger took the time once its clock read back as set
    if (pendingAudit.kind == TransferWatch::ClockSet) {
        const WindowState &state = host.state();
        pendingAudit.left = pendingAudit.left || link->clockSetsSent > commandsSentAtStart;
        pendingAudit.taken = pendingAudit.taken
                             || (state.clockConfirmed && !state.clockCheckPending
                                 && state.clockCheckRecordId == record.recordId);
        return;
    }
    const CComm::CommandTally &tally =
        pendingAudit.kind == TransferWatch::Programming ? link->commits : link->factoryInits;
    pendingAudit.left = pendingAudit.left || tally.sent > commandsSentAtStart;
    pendingAudit.taken = pendingAudit.taken || tally.echoed > commandsEchoedAtStart;
}

void LoggerWriter::auditWriteOutcome(bool succeeded, bool cut)
{
    if (pendingAudit.action.isEmpty())
        return;
    const WriteAudit audit = std::exchange(pendingAudit, WriteAudit());
    QString outcome = QStringLiteral(": ");
    if (!succeeded && !audit.taken)
        outcome = cut && audit.left ? QStringLiteral(" not confirmed: ") : QStringLiteral(" failed: ");
    host.auditUserAction(audit.action + outcome + audit.subject);
}

// Whatever the transfer's end brings later (a box of it may be open now)
// finds the outcome written.
void LoggerWriter::abandonProgramming()
{
    if (const LoggerRecord *record = host.recordAt(host.state().transferRecordIndex))
        noteWhatTheLoggerSaid(*record);
    auditWriteOutcome(false, true);
}

void LoggerWriter::forgetTransfersAtLogout()
{
    if (transferWatch.running())
        endTransfer();
    // a Factory Init question waiting for its count is the leaving user's
    afterHeldReadings = nullptr;
    programRetryCount = 0;
    WindowState &state = host.state();
    state.programFailed = false;
    state.loggerTimeWrong = false;
    state.downloadFailed = false;
    state.failedDownloads.clear();
    barRecordId = 0;
    QProgressBar *bar = host.writeProgressBar();
    bar->setStyleSheet(QString());
    bar->setFormat(QStringLiteral("%p%"));
    bar->setValue(bar->minimum());
}

bool LoggerWriter::startProgramming(int row)
{
    const LoggerRecord *record = recordToWrite(row, tr("Programming"));
    if (!record)
        return false;
    CMainApp *app = host.core();
    const LoggerRecord asked = *record;
    const QString question = app->languageTable->text(LabelId::ProgramLoggerQuestion);
    if (CPrompt::question(host.promptParent(), question) != QMessageBox::Yes)
        return false;
    // the timers ran while the question was open
    row = host.rowOfRecord(asked);
    if (row < 0 || row != host.state().currentLoggerRow()) {
        CPrompt::warning(host.promptParent(),
                         tr("Warning!\n\nThe logger was disconnected; nothing was written."));
        return false;
    }
    // an automatic download may have begun while the question was open
    if (refuseWhileBusy(app->records.at(row)))
        return false;
    // The typed texts go into the record for a program that is written: a
    // refused one leaves the record as the logger holds it (its reports and
    // mails say so), and the page as it was typed.
    LoggerRecord &r = app->records[row];
    const LoggerRecord beforeForm = r;
    host.readProgramForm();
    if (app->userAdmin->enabled)
        r.configuredBy = app->userAdmin->currentUserShortName();
    const QByteArray built = ProgramImage::build(r, r.imageRead);
    QString refusal = ProgramLimits::passwordRefusal(host.typedLoggerPassword());
    if (refusal.isEmpty())
        refusal = ProgramLimits::textTheLoggerCannotHold(r);
    if (refusal.isEmpty())
        refusal = ProgramLimits::timesTheLoggerCannotHold(r);
    if (refusal.isEmpty())
        refusal = refusalOfProgram(built, r.serialNumber);
    if (!refusal.isEmpty()) {
        r = beforeForm;
        CPrompt::warning(host.promptParent(), refusal);
        return false;
    }
    image = built;
    programRetryCount = 0;
    host.state().transferRecordIndex = row;
    return true;
}

bool LoggerWriter::programLogger()
{
    WindowState &state = host.state();
    state.updatingForm = false;
    const int row = state.transferRecordIndex;
    LoggerRecord *record = host.recordAt(row);
    QWidget *parent = host.promptParent();
    if (!record || !record->commandLink) {
        CPrompt::warning(parent, tr("Warning!\n\nThe logger was disconnected; nothing was written."));
        return false;
    }
    // a re-emission comes later: its start time may have passed meanwhile
    const QString refusal = refusalOfProgram(image, record->serialNumber);
    if (!refusal.isEmpty()) {
        CPrompt::warning(parent, refusal);
        return false;
    }

    CComm *link = record->commandLink;
    link->sendCommand(MemoryMap::Command::Wake);
    sendChangedSpans(*record, image, 0, MemoryMap::BlockSize);
    link->sendCommand(MemoryMap::Command::Commit);
    link->sendCommand(MemoryMap::Command::End);
    record->imageToWrite = image;
    record->programSentSinceDownload = true;
    // success is the image the logger sends back, programmed and holding
    // the program (the mark shows the image is the one sent after it)
    record->configWord &= ~ConfigBits::Programmed;
    sendClockTo(*record);
    startTransfer(TransferWatch::Programming, row, true, true);
    return true;
}

QString LoggerWriter::refusalOfProgram(const QByteArray &programImage, const QString &serial) const
{
    LoggerRecord program;
    ImageCodec::decode(programImage, program);
    const CLanguageTable *labels = host.core()->languageTable;
    const QDateTime loggerNow = host.loggerNow();
    if ((program.configWord & ConfigBits::StartAt) && ProgramLimits::startTimePassed(program.startAt, loggerNow))
        return labels->text(LabelId::StartTimePassedWarning).arg(serial);
    if (ProgramLimits::noProgramsLeft(program.tripNumber, program.maxTrip))
        return labels->text(LabelId::CannotBeProgrammedWarning).arg(serial);
    // limits come from a template, a locked form or the logger itself, not
    // only from the fields that checked them as they were typed
    const int misplaced = ProgramLimits::groupWithMisplacedLimit(program);
    if (misplaced >= 0)
        return labels->text(LabelId::ThresholdsOutsideRangeWarning)
                   .arg(ProgramLimits::limitRangeText(program, LimitGroup(misplaced),
                                                      host.core()->settings.modeCelsius != 0))
               + tr("\nNothing was written to the logger.");
    return ProgramLimits::unrunnableProgram(program, loggerNow);
}

quint32 LoggerWriter::sendClockTo(LoggerRecord &record)
{
    const quint32 now = host.core()->currentLoggerTime();
    armClockCheck(record);
    record.commandLink->sendCommand32(MemoryMap::Command::Clock, now);
    record.clockSetsSinceDownload.sent();
    return now;
}

void LoggerWriter::readClock()
{
    host.restartInactivityCountdown();
    if (const LoggerRecord *record = loggerAt(host.state().currentLoggerRow(), QString()))
        record->commandLink->sendCommand(MemoryMap::Command::Clock);
}

void LoggerWriter::syncClock()
{
    host.restartInactivityCountdown();
    const int row = host.state().currentLoggerRow();
    // the drive logger is told about its clock as Read tells it
    if (!loggerAt(row, QString()))
        return;
    LoggerRecord *record = recordToWrite(row, tr("Sync"));
    if (!record)
        return;
    // the trail says what the logger answered, once it has
    expectAudit(TransferWatch::ClockSet, QStringLiteral("Sync Time"), QString(), *record);
    const QDateTime set = LoggerTime::toDateTime(sendClockTo(*record));
    pendingAudit.subject =
        record->serialNumber + QLatin1Char(' ') + set.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    startTransfer(TransferWatch::ClockSet, row, true, false);
}

void LoggerWriter::armClockCheck(const LoggerRecord &record)
{
    WindowState &state = host.state();
    state.clockConfirmed = false;
    state.clockCheckPending = true;
    state.clockCheckRecordId = record.recordId;
}

// ---- the transfer as the 25 ms tick follows it ---------------------------

void LoggerWriter::startTransfer(TransferWatch::Kind kind, int row, bool clockQueued, bool red)
{
    const LoggerRecord *record = host.recordAt(row);
    const int frames = record && record->commandLink ? record->commandLink->queueLength() : 0;
    QProgressBar *bar = host.writeProgressBar();
    bar->setFormat(QStringLiteral("%p%"));
    bar->setMaximum(qMax(1, frames));
    bar->setValue(0);
    if (red)
        bar->setStyleSheet(QString::fromLatin1(kRedGradient));
    host.state().transferRecordIndex = row;
    transferSerial = record ? record->serialNumber : QString();
    barRecordId = record ? record->recordId : 0;
    writesGivenUpAtStart = record && record->commandLink ? record->commandLink->writesGivenUp.load() : 0;
    transferWatch.start(kind, clockQueued);
    host.state().transferInProgress = true;
    host.state().updateActions();
}

// Every end, successful or not, gives the actions back what the transfer
// took from them (the download first of all).
void LoggerWriter::endTransfer()
{
    host.state().transferInProgress = false;
    transferWatch.finish();
    if (LoggerRecord *record = host.recordAt(host.state().transferRecordIndex)) {
        record->productionTask = 0;
        record->eepromTask = 0;
    }
    host.state().updateActions();
}

bool LoggerWriter::tableReadBack(const LoggerRecord &record) const
{
    return record.imageRead.mid(expectedTableAddress, expectedTable.size()) == expectedTable;
}

bool LoggerWriter::transferDataArrived(const LoggerRecord &record) const
{
    switch (transferWatch.kind()) {
    case TransferWatch::EepromRead:
        return record.eepromReadState >= 1;
    case TransferWatch::CalibrationTable:
        return tableReadBack(record);
    case TransferWatch::FactoryInit:
        return record.commandLink->factoryInits.echoed > commandsEchoedAtStart;
    case TransferWatch::HeldReadingsRead:
        return record.memoryReadsArrived > memoryReadsAtStart && record.clockRepliesArrived > clockRepliesAtStart;
    default:
        return false;
    }
}

void LoggerWriter::serveWriteTransfer()
{
    WindowState &state = host.state();
    QProgressBar *bar = host.writeProgressBar();
    LoggerRecord *record = host.recordAt(state.transferRecordIndex);
    if (!transferWatch.running()) {
        // a transfer the core started on its own ends with its frames; a
        // download shows its own progress
        if (state.transferInProgress) {
            const int left = record && record->commandLink ? record->commandLink->queueLength() : 0;
            if (!record || !record->downloadRunning)
                bar->setValue(qMax(0, bar->maximum() - left));
            if (left == 0) {
                state.transferInProgress = false;
                state.updateActions();
            }
        }
        return;
    }
    TransferWatch::Seen seen;
    seen.recordPresent = record && record->commandLink;
    if (seen.recordPresent) {
        noteWhatTheLoggerSaid(*record);
        // The link empties its queue when it gives a write up: an empty
        // queue must not pass for a finished transfer before the failure
        // has come through the core. Its count since this transfer began
        // tells of this one, not of an attempt before it.
        seen.writeDropped = record->commandLink->writesGivenUp != writesGivenUpAtStart;
        seen.queueLength = record->commandLink->queueLength();
        seen.programReadBack = (record->configWord & ConfigBits::Programmed)
                               && ProgramImage::holdsProgram(record->imageRead, image);
        seen.dataArrived = transferDataArrived(*record);
    }
    seen.clockConfirmed = state.clockConfirmed;
    seen.clockReplyPending = state.clockCheckPending;
    seen.nowMs = now();
    const TransferWatch::Kind kind = transferWatch.kind();
    const TransferWatch::Verdict verdict = transferWatch.step(seen);
    switch (verdict) {
    case TransferWatch::Waiting:
        break;
    case TransferWatch::Progress:
        bar->setValue(bar->maximum() - seen.queueLength);
        break;
    case TransferWatch::SendClock:
        sendClockTo(*record);
        transferWatch.clockSent();
        bar->setValue(bar->maximum() - 1);
        break;
    case TransferWatch::Succeeded:
        finishTransfer(*record);
        break;
    case TransferWatch::Unconfirmed:
        endTransfer();
        record->commandLink->forgetExpectedReplies();
        retryOrFailProgramming();
        break;
    case TransferWatch::ClockWrong:
        endTransfer();
        state.transferFailedSerial = transferSerial;
        state.loggerTimeWrong = true;
        break;
    // the line goes first: a logout while the box is open must not find
    // the write still unanswered
    case TransferWatch::Failed:
        endTransfer();
        record->commandLink->forgetExpectedReplies();
        auditWriteOutcome(false, false);
        warnTransferFailed(kind, transferSerial);
        break;
    case TransferWatch::RecordLost:
        endTransfer();
        auditWriteOutcome(false, true);
        CPrompt::warning(host.promptParent(),
                         aboutLogger(tr("Warning!\n\nThe logger was disconnected before the transfer "
                                        "ended.\nReconnect the logger and try again."),
                                     transferSerial));
        break;
    }
    // a programming tried again runs on, though the core may just have taken
    // the give-up of its attempt before; any other end is its outcome
    if (transferWatch.running())
        state.transferInProgress = true;
    else
        auditWriteOutcome(verdict == TransferWatch::Succeeded, verdict == TransferWatch::RecordLost);
    if (kind == TransferWatch::HeldReadingsRead && verdict == TransferWatch::Succeeded)
        takeHeldReadings(*record);
}

// The bar counted a write's frames, and may still show its clock or its
// failure: a download counts in percent on a plain bar. Until its first
// readings come, a silent logger would leave it at 0 % saying nothing.
void LoggerWriter::showDownloadProgress(const LoggerRecord &record)
{
    QProgressBar *bar = host.writeProgressBar();
    if (!bar->styleSheet().isEmpty())
        bar->setStyleSheet(QString());
    bar->setRange(0, 100);
    barRecordId = record.recordId;
    const bool waiting = record.downloadRunning && record.downloadPercent < 0;
    const QString waitingText = record.serialNumber.isEmpty() ? tr("Waiting for the logger")
                                                              : tr("Waiting for logger %1").arg(record.serialNumber);
    bar->setFormat(waiting ? waitingText : QStringLiteral("%p%"));
    bar->setValue(qMax(0, record.downloadPercent));
}

void LoggerWriter::finishTransfer(const LoggerRecord &record)
{
    QProgressBar *bar = host.writeProgressBar();
    const bool setClock = transferWatch.needsClock();
    bar->setValue(bar->maximum());
    endTransfer();
    bar->setStyleSheet(QString());
    programRetryCount = 0;
    if (setClock)
        bar->setFormat(QString::asprintf(
            "%s %%p%%", qPrintable(record.loggerClock.toString(QStringLiteral("hh:mm:ss dd/MM/yyyy")))));
}

// A programming runs at most ten times: the user's attempt and nine
// re-emissions.
void LoggerWriter::retryOrFailProgramming()
{
    if (programRetryCount <= 8) {
        ++programRetryCount;
        reemittingProgram = true;
        host.reemitProgram();
        reemittingProgram = false;
    } else {
        programRetryCount = 0;
        host.state().transferFailedSerial = transferSerial;
        host.state().programFailed = true;
        readBackAfterFailedProgram();
    }
}

// The attempts may have left part of the program in the logger: its image
// is asked for again, so that the page and the record show what it holds.
void LoggerWriter::readBackAfterFailedProgram()
{
    const LoggerRecord *record = host.recordAt(host.state().transferRecordIndex);
    if (!record || !record->commandLink)
        return;
    record->commandLink->sendCommand(MemoryMap::Command::Wake);
    record->commandLink->sendCommand(MemoryMap::Command::End);
}

QString LoggerWriter::aboutLogger(const QString &text, const QString &serial)
{
    return serial.isEmpty() ? text : text + QStringLiteral("\n\n") + tr("Logger: %1").arg(serial);
}

void LoggerWriter::warnTransferFailed(TransferWatch::Kind kind, const QString &serial)
{
    QString text;
    if (kind == TransferWatch::EepromRead)
        text = tr("Warning!\n\nThe logger's memory could not be read.\n"
                  "Reconnect the logger and try again.");
    else if (kind == TransferWatch::HeldReadingsRead)
        text = tr("Warning!\n\nThe logger did not say how many readings it holds; "
                  "nothing was sent to it.\nReconnect the logger and try again.");
    else if (kind == TransferWatch::FactoryInit)
        text = tr("Warning!\n\nThe logger did not confirm Factory Init: it may not "
                  "have been initialised.\nReconnect the logger and try again.");
    else if (kind == TransferWatch::ClockSet)
        text = tr("Warning!\n\nThe logger did not answer the clock setting: its clock "
                  "may not have been set.\nReconnect the logger and try again.");
    else
        text = tr("Warning!\n\nThe logger did not confirm the write.\n"
                  "Reconnect the logger and try again.");
    CPrompt::warning(host.promptParent(), aboutLogger(text, serial));
}

// ---- EEPROM image --------------------------------------------------------

void LoggerWriter::readEeprom()
{
    host.restartInactivityCountdown();
    CMainApp *app = host.core();
    const int row = host.state().currentLoggerRow();
    const LoggerRecord *record = host.recordAt(row);
    if (!record || !record->commandLink || refuseWhileBusy(*record))
        return;
    if (app->eepromFilePath().isEmpty()) {
        CPrompt::warning(host.promptParent(),
                         tr("Warning!\n\nThe memory image is written as eeprom.bin into the "
                            "default path.\nChoose a default path in the options first."));
        return;
    }
    app->currentRecord = row;
    app->readEeprom();
    startTransfer(TransferWatch::EepromRead, row, false, true);
    host.auditUserAction(QStringLiteral("EEPROM Read: ") + record->serialNumber);
}

void LoggerWriter::writeEeprom()
{
    host.restartInactivityCountdown();
    WindowState &state = host.state();
    const int row = state.currentLoggerRow();
    LoggerRecord *record = recordToWrite(row, tr("EEPROM Write"));
    if (!record)
        return;
    CMainApp *app = host.core();
    app->currentRecord = row;
    // the core sends the clock before the image
    armClockCheck(*record);
    if (!app->writeEeprom()) {
        state.clockCheckPending = false;
        return;
    }
    // the image carries a program: the logger may begin its next trip
    record->programSentSinceDownload = true;
    markWholeRange(*record, 0, MemoryMap::ImageSize);
    startTransfer(TransferWatch::EepromWrite, row, true, true);
    host.auditUserAction(QStringLiteral("EEPROM Write: ") + record->serialNumber);
}

// ---- calibration tables --------------------------------------------------

void LoggerWriter::writeCalibrationTable(int address, const QString &path, int task)
{
    host.restartInactivityCountdown();
    const int row = host.state().currentLoggerRow();
    LoggerRecord *record = recordToWrite(row, tr("Writing a calibration table"));
    if (!record)
        return;
    // The table is written over the logger's image, and the external one
    // must leave the sensor flags of its block as they are there: before
    // the image has come, there is nothing to write over.
    if (record->imageRead.size() < MemoryMap::ImageSize) {
        CPrompt::warning(host.promptParent(),
                         tr("Warning!\n\nThe logger's memory has not been read yet.\n"
                            "Wait until its page is filled and try again."));
        return;
    }
    if (path.isEmpty()) {
        CPrompt::warning(host.promptParent(),
                         address == MemoryMap::ExternalTable
                             ? tr("Warning!\n\nNo calibration table file is given for the external sensor.")
                             : tr("Warning!\n\nNo calibration table file is given for the internal sensor."));
        return;
    }
    QByteArray table;
    QString why;
    if (!RegularFile::read(path, CalibrationTable::Size + 1, &table, &why)) {
        CPrompt::warning(host.promptParent(), tr("Warning!\n\n%1\n%2.").arg(path, why));
        return;
    }
    if (!CalibrationTable::isValid(table)) {
        CPrompt::warning(host.promptParent(),
                         tr("Warning!\n\n%1\nis not a calibration table (%2 bytes ending "
                            "with their check sum).")
                             .arg(path)
                             .arg(CalibrationTable::Size));
        return;
    }
    // Written over the flags, the table would change what the logger
    // records; with the flags put back, its check sum would no longer hold.
    if (CalibrationTable::overwritesSensorFlags(table, address, record->imageRead, record->versionWord)) {
        const auto hex = [](char byte) { return QString::asprintf("%02X", unsigned(quint8(byte))); };
        CPrompt::warning(host.promptParent(),
                         tr("Warning!\n\n%1\ncannot be written: the low byte of its point %2 is the byte "
                            "that holds the logger's sensor flags (%3 in the logger, %4 in the file).\n"
                            "Nothing was written to the logger.")
                             .arg(path)
                             .arg(CalibrationTable::SensorFlagsPoint)
                             .arg(hex(record->imageRead.at(MemoryMap::SensorFlags)),
                                  hex(table.at(CalibrationTable::SensorFlagsByte))));
        return;
    }
    QByteArray target = record->imageRead;
    target.replace(address, CalibrationTable::Size, table);
    expectedTable = target.mid(address, CalibrationTable::Size);
    expectedTableAddress = address;
    expectAudit(TransferWatch::CalibrationTable, QStringLiteral("Write calibration table"),
                record->serialNumber + QLatin1Char(' ') + path, *record);
    CComm *link = record->commandLink;
    link->sendCommand(MemoryMap::Command::Wake);
    sendChangedSpans(*record, target, address, address + CalibrationTable::Size);
    link->sendReadMemory(address, CalibrationTable::Size);
    record->imageToWrite = target;
    record->productionTask = task;
    startTransfer(TransferWatch::CalibrationTable, row, false, false);
}

// ---- Factory Init --------------------------------------------------------

void LoggerWriter::readHeldReadings(int row, std::function<void(const LoggerRecord &)> then)
{
    LoggerRecord *record = host.recordAt(row);
    afterHeldReadings = std::move(then);
    memoryReadsAtStart = record->memoryReadsArrived;
    clockRepliesAtStart = record->clockRepliesArrived;
    record->commandLink->sendCommand(MemoryMap::Command::Wake);
    // the clock tells what a memory gone round recorded since its download
    record->commandLink->sendCommand(MemoryMap::Command::Clock);
    record->commandLink->sendReadMemory(MemoryMap::RecordedCount, 4);
    startTransfer(TransferWatch::HeldReadingsRead, row, false, false);
}

void LoggerWriter::takeHeldReadings(LoggerRecord &record)
{
    LoggerRecord asRead;
    ImageCodec::decode(record.imageRead, asRead);
    record.recordedCount = asRead.recordedCount;
    if (const auto then = std::exchange(afterHeldReadings, nullptr))
        then(record);
}

void LoggerWriter::initialise(LoggerRecord &logger)
{
    const int row = host.rowOfRecord(logger);
    expectAudit(TransferWatch::FactoryInit, QStringLiteral("Factory Init"), logger.serialNumber, logger);
    logger.commandLink->sendCommand(MemoryMap::Command::Wake);
    logger.commandLink->sendCommand(MemoryMap::Command::FactoryInit);
    markWholeRange(logger, 0, MemoryMap::BlockSize);
    // the logger sends its image again, so that the page shows it as it now is
    logger.commandLink->sendCommand(MemoryMap::Command::End);
    // its trip is gone: whatever it records next is another
    logger.programSentSinceDownload = true;
    logger.productionTask = 1;
    startTransfer(TransferWatch::FactoryInit, row, false, true);
}
