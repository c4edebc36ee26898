#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QScopedValueRollback>

#include "core/cmainapp.h"
#include "core/loggerrecord.h"
#include "dialogs/cprompt.h"
#include "files/cfilemanager.h"
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
        // no row: the views and the page of a record that was closed or
        // unplugged go
        clearViews();
        clearProgramPage();
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

    // A logger the Download action would refuse (still taking a write, or
    // its password not given) waits, unmarked, until it can be downloaded:
    // the refusal's box is for a user who asked, never for a timer tick.
    if (settings.autoDownloadLogger && record.ready && !record.autoDownloaded
        && (users->canDownload() || users->canConfigure())
        && !(users->enabled && users->currentUser == -1) && row == currentLoggerRow()
        && downloadRefusal().isEmpty()) {
        record.autoDownloaded = true;
        on_m_actionDownload_triggered();
    }
    LoggerRecord &current = app->records[row];
    // a trip that has not begun holds nothing to save, report or mail: the
    // steps wait for a download that brings readings
    if (!current.autoDownloadArrived || !current.dataLoaded || current.trip().readingCount == 0)
        return;

    // A step that shows a box gives back the record's row again: the box's
    // event loop may remove records (warnKeepingRow). The steps that found
    // no name are told in one box, after the mail has started.
    QStringList unnamed;
    if (settings.autoSaveLogger && !current.autoSaved && users->canDownload()) {
        const QString path = app->nextDataFileName(current.trip());
        app->records[row].autoSaved = true;
        QString reason;
        if (path.isEmpty())
            unnamed << tr("the data file");
        else if (app->fileManager->writeDataFile(path, row, nullptr, &reason))
            auditSavedFile(app->records.at(row), path);
        else
            row = warnKeepingRow(row, notWrittenText(path, reason));
    }
    if (row >= 0 && settings.autoGeneratePdf && !app->records.at(row).autoPdfDone) {
        app->records[row].autoPdfDone = true;
        row = generatePdfAutomatically(row, unnamed);
    }
    if (row >= 0 && settings.autoGenerateTxt && !app->records.at(row).autoTxtDone) {
        app->records[row].autoTxtDone = true;
        row = exportAutomatically(row, QStringLiteral("txt"), unnamed);
    }
    if (row >= 0 && settings.autoGenerateCsv && !app->records.at(row).autoCsvDone) {
        app->records[row].autoCsvDone = true;
        row = exportAutomatically(row, QStringLiteral("csv"), unnamed);
    }
    mailAutomatically(row);
    if (row >= 0 && !unnamed.isEmpty())
        warnKeepingRow(row, noFreeNameText(unnamed));
}

void MainWindow::Timer100ms()
{
    const QScopedValueRollback<bool> serving(servingTimer, true);
    serveContextHelp();
    serveCalibrationTables();
    loggerWriter.serveWriteTransfer();
    showLoggerClock();
    serveLogout();
    if (loggerTimeWrong.exchange(false))
        CPrompt::warning(this, LoggerWriter::aboutLogger(
                                   tr("Warning!\n\nLogger Time/Date is wrong.\nRestart the Configuration."),
                                   transferFailedSerial));
    if (programFailed.exchange(false))
        CPrompt::warning(this, LoggerWriter::aboutLogger(
                                   tr("Warning!\n\nProgram unsuccessful reconnect logger and try again."),
                                   transferFailedSerial));
    serveFailedDownloads();
}

// The lines go first: a logout while a box is open must find them written.
void MainWindow::serveFailedDownloads()
{
    if (!downloadFailed.exchange(false))
        return;
    const QStringList serials = std::exchange(failedDownloads, {});
    for (const QString &serial : serials)
        auditFailedDownload(serial);
    for (const QString &serial : serials)
        CPrompt::warning(this, LoggerWriter::aboutLogger(
                                   tr("Warning!\n\nThe download was incomplete and nothing was kept.\n"
                                      "Reconnect the logger and download again."),
                                   serial));
}

void MainWindow::auditFailedDownload(const QString &serial)
{
    auditUserAction(QStringLiteral("Download failed, nothing kept: ") + serial);
}

void MainWindow::showDownloadProgress(int row)
{
    if (row == currentLoggerRow() && validRow(row) && !loggerWriter.watch().running())
        loggerWriter.showDownloadProgress(app->records.at(row));
}

// ---- programming page and production -------------------------------------

void MainWindow::serveShowRecordRequest()
{
    if (!showRecordPending.exchange(false))
        return;
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
        production.showCalibrationTables();
}
