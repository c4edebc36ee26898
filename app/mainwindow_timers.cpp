#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QFile>
#include <QScopedValueRollback>

#include "core/clanguagetable.h"
#include "core/ccomm.h"
#include "core/cmainapp.h"
#include "core/imagecodec.h"
#include "core/loggerrecord.h"
#include "core/memorymap.h"
#include "core/platform.h"
#include "dialogs/cprompt.h"
#include "files/cfilemanager.h"
#include "programming/calibrationtable.h"
#include "programming/cpass.h"
#include "programming/programimage.h"
#include "programming/programlimits.h"
#include "users/cuseradmin.h"

void MainWindow::Timer()
{
    // a nested tick under a box of this one must not end the outer's scope
    const QScopedValueRollback<bool> serving(servingTimer, true);
    const int tableRow = currentLoggerRow();
    int row = validRow(tableRow) ? tableRow : -1;
    // Steps that open a box or a dialog run the event loop, which may remove
    // or move records: after each, the row is that of the same record again.
    const quint64 held = row != -1 ? app->records.at(row).recordId : 0;
    const auto sameRecord = [&] { return row == -1 ? -1 : rowOfRecordId(held); };

    if (row != -1 && app->records.at(row).eepromReadState == 1) {
        app->storeEepromImage(row);   // a failed store warns
        row = sameRecord();
    }

    if (viewsDirty.exchange(false)) {
        if (row != -1) {
            rebuildViews(row);
            updateProgramForm();
            return;
        }
        // no row: the views of a record that was closed or unplugged go
        clearViews();
        if (!formLocked)
            showHomeWhenEmpty();
    }

    serveShowRecordRequest();   // may ask for the logger's password
    row = sameRecord();

    if (row != -1 && app->records.at(row).autoDelay != 0)
        --app->records[row].autoDelay;

    serveTemplateCheck();   // may warn of a template for another model
    row = sameRecord();

    if (row != -1 && !app->records.at(row).fromFile && app->records.at(row).autoDelay == 0)
        runAutomaticSteps(row);

    serveReportRequest();
}

// After an automatic download, each enabled step runs once for the record.
void MainWindow::runAutomaticSteps(int row)
{
    const CUserAdmin *users = app->userAdmin;
    const AppSettings &settings = app->settings;
    LoggerRecord &record = app->records[row];

    // a logger still taking a write waits for its download; it is not
    // marked as downloaded without one
    if (settings.autoDownloadLogger && record.ready && !record.autoDownloaded
        && (users->canDownload() || users->canConfigure())
        && !(users->enabled && users->currentUser == -1) && row == currentLoggerRow()
        && !loggerBusy(row)) {
        record.autoDownloaded = true;
        on_m_actionDownload_triggered();
    }
    LoggerRecord &current = app->records[row];
    if (!current.autoDownloaded || !current.dataLoaded)
        return;

    // A step that shows a box gives back the record's row again: the box's
    // event loop may remove records (warnKeepingRow).
    if (settings.autoSaveLogger && !current.autoSaved && users->canDownload()) {
        const QString path = app->nextDataFileName(current);
        app->records[row].autoSaved = true;
        if (!path.isEmpty()) {
            if (app->fileManager->writeDataFile(path, row))
                app->records[row].fileName = path;
            else
                row = warnKeepingRow(row, notWrittenText(path));
        }
    }
    if (row >= 0 && settings.autoGeneratePdf && !app->records.at(row).autoPdfDone) {
        app->records[row].autoPdfDone = true;
        row = generatePdfAutomatically(row);
    }
    if (row >= 0 && settings.autoGenerateTxt && !app->records.at(row).autoTxtDone) {
        app->records[row].autoTxtDone = true;
        row = exportAutomatically(row, QStringLiteral("txt"));
    }
    if (row >= 0 && settings.autoGenerateCsv && !app->records.at(row).autoCsvDone) {
        app->records[row].autoCsvDone = true;
        row = exportAutomatically(row, QStringLiteral("csv"));
    }
    mailAutomatically(row);
}

void MainWindow::Timer100ms()
{
    const QScopedValueRollback<bool> serving(servingTimer, true);
    serveContextHelp();
    serveCalibrationTables();
    serveWriteTransfer();
    showLoggerClock();
    serveLogout();
    if (loggerTimeWrong.exchange(false))
        CPrompt::warning(this,
                         tr("Warning!\n\nLogger Time/Date is wrong.\nRestart the Configuration."));
    if (programFailed.exchange(false))
        CPrompt::warning(this,
                         tr("Warning!\n\nProgram unsuccessful reconnect logger and try again."));
    if (downloadFailed.exchange(false))
        CPrompt::warning(this, tr("Warning!\n\nThe download was incomplete and nothing was kept.\n"
                                  "Reconnect the logger and download again."));
}

// ---- programming page and production -------------------------------------

void MainWindow::serveShowRecordRequest()
{
    if (!showRecordPending.exchange(false))
        return;
    settingsFieldsOwner.clear();   // the page shows what the logger now holds
    showLoggerRecord();
    calibrationTablesDue = true;   // the listing follows the logger's image
    askLoggerPasswordIfNeeded();
}

void MainWindow::serveTemplateCheck()
{
    if (templateCheckPending.exchange(false))
        checkTemplateCompatibility();
}

void MainWindow::serveCalibrationTables()
{
    if (calibrationTablesDue.exchange(false))
        showCalibrationTables();
}

// Write transfers to a logger (programming, EEPROM image, calibration
// tables) and the production functions of the logger page.

namespace {

constexpr char kRedGradient[] =
    "QProgressBar::chunk { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, "
    "stop:0 rgb(255, 120, 120), stop:1 rgb(200, 0, 0)); }";

}

// ---- programming ---------------------------------------------------------

bool MainWindow::refuseWhileTransferring()
{
    if (!transferInProgress && !transferWatch.running())
        return false;
    CPrompt::warning(this, tr("Warning!\n\nA transfer to a logger is still running.\n"
                              "Wait until it has ended."));
    return true;
}

// The user's attempt asks first and takes the program from the page; a
// re-emission after an unconfirmed attempt writes the same program again
// to the same logger, wherever the selection is by then.
void MainWindow::on_m_actionProgram_triggered()
{
    if (!reemittingProgram) {
        restartInactivityCountdown();
        if (refuseWhileTransferring() || !startProgramming(currentLoggerRow()))
            return;
    }
    const LoggerRecord *record = recordAt(transferRecordIndex);
    if (record)
        auditUserAction(QStringLiteral("Configure: ") + record->serialNumber);
    programLogger();
}

bool MainWindow::startProgramming(int row)
{
    const LoggerRecord *record = recordAt(row);
    if (!record || !record->commandLink)
        return false;
    const LoggerRecord asked = *record;
    if (CPrompt::question(this, app->languageTable->text(187)) != QMessageBox::Yes)
        return false;
    // the timers ran while the question was open
    row = rowOfRecord(asked);
    if (row < 0 || row != currentLoggerRow()) {
        CPrompt::warning(this, tr("Warning!\n\nThe logger was disconnected; nothing was written."));
        return false;
    }
    readProgramForm();
    LoggerRecord &r = app->records[row];
    if (app->userAdmin->enabled)
        r.configuredBy = app->userAdmin->currentUserShortName();
    programImage = ProgramImage::build(r, r.imageRead);
    programRetryCount = 0;
    transferRecordIndex = row;
    return true;
}

void MainWindow::on_m_pushButtonProgram_clicked()
{
    on_m_actionProgram_triggered();
}

bool MainWindow::programLogger()
{
    updatingForm = false;
    const int row = transferRecordIndex;
    LoggerRecord *record = recordAt(row);
    if (!record || !record->commandLink) {
        CPrompt::warning(this, tr("Warning!\n\nThe logger was disconnected; nothing was written."));
        return false;
    }
    LoggerRecord program;
    ImageCodec::decode(programImage, program);
    const QString serial = record->serialNumber;
    if ((program.configWord & ConfigBits::StartAt)
        && ProgramLimits::startTimePassed(program.startAt, loggerNow())) {
        CPrompt::warning(this, app->languageTable->text(185).arg(serial));
        return false;
    }
    if (ProgramLimits::noProgramsLeft(program.tripNumber, program.maxTrip)) {
        CPrompt::warning(this, app->languageTable->text(186).arg(serial));
        return false;
    }

    CComm *link = record->commandLink;
    link->sendCommand(MemoryMap::Command::Wake);
    const QList<ProgramImage::Span> spans =
        ProgramImage::changedSpans(record->imageRead, programImage, 0, MemoryMap::BlockSize);
    for (const ProgramImage::Span &span : spans)
        link->sendWriteMemory(span.address, span.data);
    link->sendCommand(MemoryMap::Command::Commit);
    link->sendCommand(MemoryMap::Command::End);
    record->imageToWrite = programImage;
    // success is the programmed mark in the image the logger sends back
    record->configWord &= ~ConfigBits::Programmed;
    sendClockTo(*record);
    startTransfer(TransferWatch::Programming, row, true, true);
    return true;
}

// ---- the transfer as the 25 ms tick follows it ---------------------------

void MainWindow::startTransfer(TransferWatch::Kind kind, int row, bool clockQueued, bool red)
{
    const LoggerRecord *record = recordAt(row);
    const int frames = record && record->commandLink ? record->commandLink->queueLength() : 0;
    QProgressBar *bar = ui->m_progressBarWrite;
    bar->setFormat(QStringLiteral("%p%"));
    bar->setMaximum(qMax(1, frames));
    bar->setValue(0);
    if (red)
        bar->setStyleSheet(QString::fromLatin1(kRedGradient));
    transferRecordIndex = row;
    transferWatch.start(kind, clockQueued);
    transferInProgress = true;
}

void MainWindow::endTransfer()
{
    transferInProgress = false;
    transferWatch.finish();
    if (LoggerRecord *record = recordAt(transferRecordIndex)) {
        record->productionTask = 0;
        record->eepromTask = 0;
    }
}

bool MainWindow::transferDataArrived(const LoggerRecord &record) const
{
    switch (transferWatch.kind()) {
    case TransferWatch::EepromRead:
        return record.eepromReadState >= 1;
    case TransferWatch::CalibrationTable:
        return record.imageRead.mid(expectedTableAddress, expectedTable.size()) == expectedTable;
    default:
        return false;
    }
}

void MainWindow::serveWriteTransfer()
{
    const bool dropped = transferWriteFailed.exchange(false);
    QProgressBar *bar = ui->m_progressBarWrite;
    LoggerRecord *record = recordAt(transferRecordIndex);
    if (!transferWatch.running()) {
        // a transfer the core started on its own ends with its frames; a
        // download shows its own progress
        if (transferInProgress) {
            const int left = record && record->commandLink ? record->commandLink->queueLength() : 0;
            if (!record || !record->downloadRunning)
                bar->setValue(qMax(0, bar->maximum() - left));
            if (left == 0)
                transferInProgress = false;
        }
        return;
    }
    TransferWatch::Seen seen;
    seen.recordPresent = record && record->commandLink;
    seen.writeDropped = dropped;
    if (seen.recordPresent) {
        seen.queueLength = record->commandLink->queueLength();
        seen.programmedBit = record->configWord & ConfigBits::Programmed;
        seen.dataArrived = transferDataArrived(*record);
    }
    seen.clockConfirmed = clockConfirmed;
    seen.clockReplyPending = clockCheckPending;
    seen.nowMs = QDateTime::currentMSecsSinceEpoch();
    const TransferWatch::Kind kind = transferWatch.kind();
    switch (transferWatch.step(seen)) {
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
        retryOrFailProgramming();
        break;
    case TransferWatch::ClockWrong:
        endTransfer();
        loggerTimeWrong = true;
        break;
    case TransferWatch::Failed:
        endTransfer();
        warnTransferFailed(kind);
        break;
    case TransferWatch::RecordLost:
        endTransfer();
        CPrompt::warning(this, tr("Warning!\n\nThe logger was disconnected before the transfer "
                                  "ended.\nReconnect the logger and try again."));
        break;
    }
}

// The bar counted a write's frames, and may still show its clock or its
// failure: a download counts in percent on a plain bar.
void MainWindow::showDownloadProgress(int percent)
{
    QProgressBar *bar = ui->m_progressBarWrite;
    if (bar->maximum() != 100 || bar->format() != QLatin1String("%p%") || !bar->styleSheet().isEmpty()) {
        bar->setStyleSheet(QString());
        bar->setFormat(QStringLiteral("%p%"));
        bar->setRange(0, 100);
    }
    bar->setValue(percent);
}

void MainWindow::finishTransfer(const LoggerRecord &record)
{
    QProgressBar *bar = ui->m_progressBarWrite;
    const bool setClock = transferWatch.needsClock();
    bar->setValue(bar->maximum());
    endTransfer();
    bar->setStyleSheet(QString());
    programRetryCount = 0;
    if (setClock)
        bar->setFormat(QString::asprintf(
            "%s %%p%%", qPrintable(record.loggerClock.toString(QStringLiteral("hh:mm:ss dd/MM/yyyy")))));
    updateActions();
}

// A programming runs at most ten times: the user's attempt and nine
// re-emissions.
void MainWindow::retryOrFailProgramming()
{
    if (programRetryCount <= 8) {
        ++programRetryCount;
        reemittingProgram = true;
        emit program();
        reemittingProgram = false;
    } else {
        programRetryCount = 0;
        programFailed = true;
    }
}

void MainWindow::warnTransferFailed(TransferWatch::Kind kind)
{
    if (kind == TransferWatch::EepromRead)
        CPrompt::warning(this, tr("Warning!\n\nThe logger's memory could not be read.\n"
                                  "Reconnect the logger and try again."));
    else
        CPrompt::warning(this, tr("Warning!\n\nThe logger did not confirm the write.\n"
                                  "Reconnect the logger and try again."));
}

// ---- EEPROM image --------------------------------------------------------

void MainWindow::on_m_actionEEpromRead_triggered()
{
    restartInactivityCountdown();
    const int row = currentLoggerRow();
    const LoggerRecord *record = recordAt(row);
    if (!record || !record->commandLink || refuseWhileTransferring())
        return;
    if (app->eepromFilePath().isEmpty()) {
        CPrompt::warning(this, tr("Warning!\n\nThe memory image is written as eeprom.bin into the "
                                  "default path.\nChoose a default path in the options first."));
        return;
    }
    app->currentRecord = row;
    app->readEeprom();
    startTransfer(TransferWatch::EepromRead, row, false, true);
    auditUserAction(QStringLiteral("EEPROM Read: ") + record->serialNumber);
}

void MainWindow::on_m_actionEEpromWrite_triggered()
{
    restartInactivityCountdown();
    const int row = currentLoggerRow();
    const LoggerRecord *record = recordAt(row);
    if (!record || !record->commandLink || refuseWhileTransferring())
        return;
    app->currentRecord = row;
    // the core sends the clock before the image
    clockConfirmed = false;
    clockCheckPending = true;
    if (!app->writeEeprom()) {
        clockCheckPending = false;
        return;
    }
    startTransfer(TransferWatch::EepromWrite, row, true, true);
    auditUserAction(QStringLiteral("EEPROM Write: ") + record->serialNumber);
}

// ---- calibration tables and factory initialisation -------------------------

void MainWindow::on_m_pushButtonAdminWriteIntTable_clicked()
{
    writeCalibrationTable(MemoryMap::InternalTable, ui->m_lineEditAdminIntCalFile, 4);
}

void MainWindow::on_m_pushButtonAdminWriteExtTable_clicked()
{
    writeCalibrationTable(MemoryMap::ExternalTable, ui->m_lineEditAdminExtCalFile, 7);
}

// The table file names a whole table with its check sum; only its bytes
// that differ from the logger's are written, and the table is read back
// to be listed and compared.
void MainWindow::writeCalibrationTable(int address, QLineEdit *fileField, int task)
{
    restartInactivityCountdown();
    const int row = currentLoggerRow();
    LoggerRecord *record = recordAt(row);
    if (!record || !record->commandLink || refuseWhileTransferring())
        return;
    const QString path = fileField->text().trimmed();
    QByteArray table;
    QFile file(path);
    if (!path.isEmpty() && file.open(QIODevice::ReadOnly))
        table = file.read(CalibrationTable::Size + 1);
    if (!CalibrationTable::isValid(table)) {
        CPrompt::warning(this, tr("Warning!\n\n%1\nis not a calibration table (%2 bytes ending "
                                  "with their check sum).")
                                   .arg(path.isEmpty() ? fileField->objectName() : path)
                                   .arg(CalibrationTable::Size));
        return;
    }
    QByteArray target = record->imageRead;
    target.replace(address, CalibrationTable::Size, table);
    // the sensor flags of the logger share the external table's block
    if (address == MemoryMap::ExternalTable)
        target[MemoryMap::SensorFlags] = record->imageRead.at(MemoryMap::SensorFlags);
    CComm *link = record->commandLink;
    link->sendCommand(MemoryMap::Command::Wake);
    const QList<ProgramImage::Span> spans = ProgramImage::changedSpans(
        record->imageRead, target, address, address + CalibrationTable::Size);
    for (const ProgramImage::Span &span : spans)
        link->sendWriteMemory(span.address, span.data);
    link->sendReadMemory(address, CalibrationTable::Size);
    expectedTable = target.mid(address, CalibrationTable::Size);
    expectedTableAddress = address;
    record->imageToWrite = target;
    record->productionTask = task;
    startTransfer(TransferWatch::CalibrationTable, row, false, false);
    auditUserAction(QStringLiteral("Write calibration table: ") + path);
}

void MainWindow::showCalibrationTables()
{
    restartInactivityCountdown();
    const bool wasUpdating = updatingForm;
    updatingForm = true;
    ui->m_listWidgetAdminIntTable->clear();
    ui->m_listWidgetAdminExtTable->clear();
    // before the logger's image has come there is no table to list
    const LoggerRecord *record = currentLoggerRecord();
    if (record && record->imageRead.size() >= MemoryMap::ImageSize) {
        const QByteArray image = record->imageRead;
        ui->m_listWidgetAdminIntTable->addItems(
            CalibrationTable::listing(image.mid(MemoryMap::InternalTable, CalibrationTable::Size)));
        ui->m_listWidgetAdminExtTable->addItems(
            CalibrationTable::listing(image.mid(MemoryMap::ExternalTable, CalibrationTable::Size)));
    }
    updatingForm = wasUpdating;
}

void MainWindow::on_m_pushButtonFactoryInit_clicked()
{
    restartInactivityCountdown();
    const LoggerRecord *record = currentLoggerRecord();
    if (!record || !record->commandLink)
        return;
    record->commandLink->sendCommand(MemoryMap::Command::Wake);
    record->commandLink->sendCommand(MemoryMap::Command::FactoryInit);
    // the logger sends its image again, so that the page shows it as it now is
    record->commandLink->sendCommand(MemoryMap::Command::End);
    auditUserAction(QStringLiteral("Factory Init: ") + record->serialNumber);
}

void MainWindow::fillJigPortCombo(const QString &port)
{
    QComboBox *combo = ui->m_comboBoxAdminJigCom;
    const bool wasUpdating = updatingForm;
    updatingForm = true;
    combo->clear();
    combo->addItems(Platform::serialPorts());
    if (!port.isEmpty() && combo->findText(port) < 0)
        combo->addItem(port);
    combo->setCurrentIndex(combo->findText(port));
    updatingForm = wasUpdating;
}

// ---- logger password -----------------------------------------------------

// Asked once per connected logger, when its image shows a password that
// was not given yet.
void MainWindow::askLoggerPasswordIfNeeded()
{
    LoggerRecord *record = currentLoggerRecord();
    if (!record || record->isFile() || record->versionWord == 0 || record->passwordAsked
        || !record->isPasswordProtected() || record->passwordAccepted
        || app->writeWithoutPasswordChosen
        || CMainApp::checkLoggerPassword(record->passwordWord, quint16(app->enteredLoggerPassword)))
        return;
    record->passwordAsked = true;
    const LoggerRecord asked = *record;
    CPass dialog(this, app->languageTable, asked.serialNumber, asked.passwordWord);
    CPrompt::exec(&dialog);
    if (rowOfRecord(asked) < 0)
        return;
    switch (dialog.choice()) {
    case CPass::Read:
    case CPass::Write:
        app->enteredLoggerPassword = dialog.password();
        if (!CMainApp::checkLoggerPassword(asked.passwordWord, dialog.password()))
            CPrompt::warning(this, tr("Warning!\n\nThe password does not match the logger's.\n"
                                      "Type it into the Pass. field to try again."));
        break;
    case CPass::WriteWithout:
        app->writeWithoutPasswordChosen = true;
        break;
    case CPass::ReadWithout:
    case CPass::Cancelled:
        break;
    }
    updateActions();
}

// ---- admin and production slots that do nothing on this station -----------

void MainWindow::on_m_pushButtonStartInit_clicked() {}

void MainWindow::on_m_pushButtonFullInit_clicked() {}

void MainWindow::on_m_comboBoxAdminJigCom_currentIndexChanged(const QString &) {}

void MainWindow::on_m_pushButtonAdminRefreshCommJig_clicked() {}

void MainWindow::on_m_pushButtonAdminTestJig_clicked() {}

void MainWindow::on_m_pushButtonAdminTestPushDB_clicked() {}

void MainWindow::on_m_lineEditAdminTesterName_textChanged(const QString &) {}

void MainWindow::on_m_pushButtonAdminReadIntTable_clicked() {}

void MainWindow::on_m_pushButtonAdminLoadIntTable_clicked() {}

void MainWindow::on_m_pushButtonAdminReadExtTable_clicked() {}

void MainWindow::on_m_pushButtonAdminLoadExtTable_clicked() {}

void MainWindow::on_m_lineEditAdminIntCalFile_editingFinished() {}

void MainWindow::on_m_lineEditAdminExtCalFile_editingFinished() {}

void MainWindow::on_m_lineEditAdminTemplate_editingFinished() {}

void MainWindow::on_m_lineEditAdminDefaultPath_editingFinished() {}

void MainWindow::on_m_pushButtonAdminTemplate_clicked() {}

void MainWindow::on_m_pushButtonAdminDefaultPath_clicked() {}

void MainWindow::on_m_lineEditProdPath_editingFinished() {}

void MainWindow::on_m_lineEditProdUser_editingFinished() {}

void MainWindow::on_m_lineEditProdCustomer_editingFinished() {}

void MainWindow::on_m_lineEditProdOrder_editingFinished() {}

void MainWindow::on_m_pushButtonProdPath_clicked() {}
