#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include "core/clanguagetable.h"
#include "core/cmainapp.h"
#include "core/labelid.h"
#include "core/loggerrecord.h"
#include "dialogs/cprompt.h"
#include "files/cfilemanager.h"
#include "files/regularfile.h"
#include "reports/creport.h"
#include "reports/csendemail.h"
#include "users/cuseradmin.h"
#include "views/chistogram.h"
#include "views/cplot.h"
#include "views/ctable.h"

namespace {

const QString kWarningHead = QStringLiteral("Warning!\n\n");

// A writer's reason without the heading of a box of its own.
QString withoutWarningHead(QString reason)
{
    if (reason.startsWith(kWarningHead))
        reason.remove(0, kWarningHead.size());
    return reason;
}

// The label's text stays first, as users know it; what went wrong follows.
void warnNotSaved(QWidget *parent, const QString &label, const QString &reason)
{
    CPrompt::warning(parent, label + QStringLiteral("\n\n") + withoutWarningHead(reason));
}

}

bool MainWindow::loadDataFile(const QString &path)
{
    return loadDataFiles({ path }) == 1;
}

// The list and the views are built once, for the last file a load opened:
// building them for every file made a load of many files cost as much as
// all the rows already open, file after file. The files refused are told
// together once the list shows the load: a box for each made hundreds of
// clicks of a folder of damaged files.
int MainWindow::loadDataFiles(const QStringList &paths)
{
    QHash<QString, quint64> openFiles = openFileRecords();
    quint64 shownId = 0;
    int opened = 0;
    QStringList refusals;
    for (const QString &path : paths) {
        const quint64 id = openDataFile(path, openFiles, refusals);
        if (id == 0)
            continue;
        shownId = id;
        ++opened;
    }
    const int row = rowOfRecordId(shownId);
    if (row >= 0) {
        selectTableRow(row);
        refreshSelectedLogger(row);
        updateActions();
    }
    tellFilesNotOpened(refusals, paths.size());
    return opened;
}

void MainWindow::tellFilesNotOpened(const QStringList &refusals, int chosen)
{
    if (refusals.size() == 1) {
        CPrompt::warning(this, refusals.first());
        return;
    }
    if (refusals.isEmpty())
        return;
    QStringList listed;
    for (const QString &refusal : refusals)
        listed << withoutWarningHead(refusal).simplified();
    CPrompt::warning(this, tr("Warning!\n\n%1 of the %2 files chosen were not opened; each is listed below "
                              "with the reason.").arg(refusals.size()).arg(chosen),
                     listed.join(QLatin1Char('\n')));
}

// The record of each data file open, by the file's absolute path.
QHash<QString, quint64> MainWindow::openFileRecords() const
{
    QHash<QString, quint64> files;
    for (const LoggerRecord &open : qAsConst(app->records))
        if (open.fromFile && !open.fileName.isEmpty())
            files.insert(QFileInfo(open.fileName).absoluteFilePath(), open.recordId);
    return files;
}

// The record that holds the file: the one it is open in already, or a new
// row read from it. 0 when it is not opened, with the reason added to
// refusals.
quint64 MainWindow::openDataFile(const QString &path, QHash<QString, quint64> &openFiles, QStringList &refusals)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const quint64 openId = openFiles.value(absolute);
    if (openId != 0) {
        const QString changed = keepRowOfChangedFile(rowOfRecordId(openId));
        if (!changed.isEmpty())
            refusals << changed;
        return openId;
    }

    LoggerRecord record;
    QString error;
    if (!app->fileManager->readDataFile(absolute, record, &error)) {
        if (error.isEmpty())
            error = tr("Warning!\n\nThe file %1 cannot be opened.")
                        .arg(QDir::toNativeSeparators(absolute));
        refusals << error;
        return 0;
    }
    record.portName.clear();
    record.fileName = absolute;
    record.fromFile = true;
    record.ready = true;
    record.commandLink = nullptr;
    record.dataLoaded = true;
    app->records.append(record);
    openFiles.insert(absolute, record.recordId);
    auditUserAction(QStringLiteral("Load File: ") + absolute);
    return record.recordId;
}

bool MainWindow::writeDataFileFor(int row, const QString &path)
{
    QString reason;
    if (!app->fileManager->writeDataFile(path, row, &reason)) {
        warnNotSaved(this, app->languageTable->text(LabelId::FileNotWritableWarning), reason);
        return false;
    }
    loggerTableDirty = true;
    auditSavedFile(app->records.at(row), path);
    return true;
}

bool MainWindow::saveIntoOwnFile(int row)
{
    const LoggerRecord record = app->records.at(row);
    QString notAFile;
    if (!RegularFile::mayReplace(record.fileName, &notAFile)) {
        CFileManager::fileLost(app->records[row]);
        CPrompt::warning(this, tr("Warning!\n\nThe file %1 that this row read or wrote is gone: what stands "
                                  "there now %2.\nThe data of %3 was not saved: save it under another name "
                                  "with Save As.")
                                   .arg(QDir::toNativeSeparators(record.fileName), notAFile,
                                        record.trip().serialNumber));
        return false;
    }
    if (CFileManager::fileStateSince(record.fileName, record.fileDigest) == CFileManager::FileState::Changed) {
        const QMessageBox::StandardButton answer = CPrompt::question(
            this, tr("Warning!\n\nThe file %1 changed since this row read or wrote it: it holds what "
                     "was saved there since.\nDo you want to replace it with the data of %2?")
                      .arg(QDir::toNativeSeparators(record.fileName), record.trip().serialNumber));
        // the question's event loop may have moved the trip to another row
        row = rowOfTrip(record);
        if (row < 0)
            return false;
        if (answer != QMessageBox::Yes) {
            CFileManager::fileLost(app->records[row]);
            return false;
        }
    }
    return writeDataFileFor(row, record.fileName);
}

// The row keeps the trip it read: reading the file again over it would
// lose that trip, whose file no longer holds it. Why the file is not read
// again; empty when it still holds what the row read.
QString MainWindow::keepRowOfChangedFile(int row)
{
    if (!validRow(row))
        return QString();
    LoggerRecord &record = app->records[row];
    if (CFileManager::fileStateSince(record.fileName, record.fileDigest) != CFileManager::FileState::Changed)
        return QString();
    CFileManager::fileLost(record);
    return tr("Warning!\n\nThe file %1 changed since its row read or wrote it.\n"
              "The row still shows the data it held then: close the row and load the "
              "file again to see what the file holds now.")
        .arg(QDir::toNativeSeparators(record.fileName));
}

void MainWindow::auditSavedFile(const LoggerRecord &record, const QString &path)
{
    const LoggerRecord &trip = record.trip();
    QString line = QStringLiteral("Save File: ") + path + QStringLiteral(" (") + trip.serialNumber;
    if (trip.startTime.isValid())
        line += QStringLiteral(", trip started ") + trip.startTime.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    auditUserAction(line + QLatin1Char(')'));
}

bool MainWindow::saveRecordAs(int row)
{
    if (!validRow(row))
        return false;
    const LoggerRecord record = app->records.at(row);
    QString suggestion = dialogStartDirectory();
    const QString serial = record.trip().serialNumber;
    if (!serial.trimmed().isEmpty())
        suggestion += QLatin1Char('/') + CFileManager::fileBaseName(serial) + QStringLiteral(".qlf");
    const QString pdfType = tr("PDF report (*.pdf)");
    const QStringList types = { tr("Data file (*.qlf)"), tr("Text file (*.txt)"),
                                tr("CSV file (*.csv)"), pdfType };
    QString chosenType;
    QString path = CPrompt::saveFileName(this, tr("Save As"), suggestion,
                                         types.join(QStringLiteral(";;")), &chosenType);
    if (path.isEmpty())
        return false;
    // the timers run while the dialog is open: the logger may have gone, or
    // brought its next trip into the row; the file is for the trip chosen
    row = rowOfTrip(record);
    if (row < 0) {
        CPrompt::warning(this, rowOfRecord(record) < 0
                                   ? tr("Warning!\n\nThe logger was disconnected; nothing was saved.")
                                   : tr("Warning!\n\nThe logger's next trip arrived while the file was "
                                        "chosen and its row now holds that trip; nothing was saved."));
        return false;
    }
    QString suffix = QFileInfo(path).suffix().toLower();
    // a name typed without an extension takes the chosen type's
    if (suffix.isEmpty()) {
        suffix = chosenType == types.at(1)   ? QStringLiteral("txt")
                 : chosenType == types.at(2) ? QStringLiteral("csv")
                 : chosenType == pdfType     ? QStringLiteral("pdf")
                                             : QStringLiteral("qlf");
        path += QLatin1Char('.') + suffix;
    }
    if (suffix == QLatin1String("txt") || suffix == QLatin1String("csv"))
        return exportReadings(row, path);
    if (suffix == QLatin1String("pdf"))
        return saveReportAs(row, path);
    if (suffix != QLatin1String("qlf")) {
        CPrompt::warning(this, tr("Warning!\n\nFiles of type .%1 cannot be written here.")
                                   .arg(suffix));
        return false;
    }
    return writeDataFileFor(row, path);
}

// The report draws the record's own graph and histogram, whatever the
// window shows. A failure is told once the window's own views are back: a
// box's event loop runs the timers, whose rebuild would delete the
// stand-ins.
bool MainWindow::saveReportAs(int row, const QString &path)
{
    if (!app->records.at(row).dataLoaded) {
        CPrompt::warning(this, tr("Warning!\n\nThis logger holds no readings to report yet."));
        return false;
    }
    QString error;
    if (!withViewsOf(row, [&] { return writeReportPdf(app->records.at(row).trip(), path, &error); })) {
        CPrompt::warning(this, tr("Warning!\n\n") + error);
        return false;
    }
    auditSavedFile(app->records.at(row), path);
    return true;
}

bool MainWindow::exportReadings(int row, const QString &path)
{
    const QList<int> rows = app->selection.contains(row) ? app->selection : QList<int>{ row };
    if (!app->records.at(row).dataLoaded) {
        CPrompt::warning(this, tr("Warning!\n\nThis logger holds no readings to export yet."));
        return false;
    }
    app->table->collectReadings(rows);
    QString reason;
    if (!writeTextExport(path, rows.size(), &reason)) {
        warnNotWritten(path, reason);
        return false;
    }
    auditSavedFile(app->records.at(row), path);
    return true;
}

void MainWindow::openStartFile(const QString &path)
{
    if (computeActionStates(gatherActionInputs()).load) {
        loadDataFile(path);
        return;
    }
    CPrompt::warning(this, tr("Warning!\n\nThe file %1 was not opened: your rights do not let you load files.")
                               .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())));
}

void MainWindow::on_m_actionLoad_triggered()
{
    restartInactivityCountdown();
    const QStringList paths = CPrompt::openFileNames(this, tr("Load"), dialogStartDirectory(),
                                                     tr("Data files (*.qlf)"));
    loadDataFiles(paths);
}

void MainWindow::on_m_actionSave_triggered()
{
    restartInactivityCountdown();
    storeEditedComment();
    const int row = currentLoggerRow();
    LoggerRecord *record = recordAt(row);
    if (!record)
        return;
    // only a path we wrote or read ourselves is written again without asking
    if (app->selection.size() == 1 && record->hasDataFile())
        saveIntoOwnFile(row);
    else
        saveRecordAs(row);
}

void MainWindow::on_m_actionSaveAs_triggered()
{
    restartInactivityCountdown();
    storeEditedComment();
    saveRecordAs(currentLoggerRow());
}

void MainWindow::removeRecord(int index)
{
    app->removeRecord(index);
    lastSelectedRow = -1;
}

// Escape and the box's close button answer Cancel: the way back never
// throws a trip away. A user who may not save it may not throw it away
// either: it stays as at a logout, for the next user.
MainWindow::UnsavedOutcome MainWindow::offerUnsavedReadings(const LoggerRecord &record,
                                                            const QString &question)
{
    if (savingRefused(currentRights(), record.readFromFile())) {
        CPrompt::warning(this, keptUnsavedText(record));
        return UnsavedOutcome::Cancelled;
    }
    const QMessageBox::StandardButton answer =
        CPrompt::question(this, question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::No)
        return UnsavedOutcome::Declined;
    if (answer != QMessageBox::Yes)
        return UnsavedOutcome::Cancelled;
    // the question's event loop may have moved the row, or the trip asked for
    const int row = rowOfTrip(record);
    return row >= 0 && saveRecordAs(row) ? UnsavedOutcome::Saved : UnsavedOutcome::NotSaved;
}

QString MainWindow::closingRowQuestion(const LoggerRecord &record) const
{
    return tr("Warning!\n\n%1.\nDo you want to save it before its row is closed?").arg(neverSavedText(record));
}

QString MainWindow::keptUnsavedText(const LoggerRecord &record) const
{
    return tr("Warning!\n\n%1, and your rights do not let you save it.\nIt stays as it is for the "
              "next user: log out to let in a user who may save it.")
        .arg(neverSavedText(record));
}

// A trip saved once may be in no file again (its file was changed or
// written over since), or its file may hold it as it was before a comment
// or readings came.
QString MainWindow::neverSavedText(const LoggerRecord &record) const
{
    const LoggerRecord &trip = record.trip();
    QString what;
    if (!record.lostFileName.isEmpty())
        what = tr("was saved in %1, but that file no longer holds it: it was changed or written over since")
                   .arg(QDir::toNativeSeparators(record.lostFileName));
    else if (record.hasDataFile())
        what = tr("was saved in %1, but has changed since: a comment was typed or readings were "
                  "downloaded after that save")
                   .arg(QDir::toNativeSeparators(record.fileName));
    else
        what = tr("was never saved");
    return tr("The data of %1, its trip started %2, %3")
        .arg(trip.serialNumber, app->table->dateTimeText(trip.startTime), what);
}

// A trip whose logger went before it was saved stands as a file; its
// readings exist nowhere else. False when the row stays: its trip was not
// saved after all, or the closing was given up.
bool MainWindow::closeFileRecord(int row)
{
    const LoggerRecord record = app->records.at(row);
    if (record.unsavedReadings) {
        const UnsavedOutcome outcome = offerUnsavedReadings(record, closingRowQuestion(record));
        if (outcome == UnsavedOutcome::NotSaved || outcome == UnsavedOutcome::Cancelled)
            return false;
    }
    row = rowOfRecord(record);
    if (row >= 0)
        removeRecord(row);
    return true;
}

void MainWindow::on_m_actionCloseSelectedFile_triggered()
{
    restartInactivityCountdown();
    storeEditedComment();
    const int row = currentLoggerRow();
    // a connected logger's record belongs to its link; only files close here
    if (!validRow(row) || !app->records.at(row).fromFile) {
        CPrompt::warning(this, tr("Warning!\n\nNo data file is selected in the list."));
        return;
    }
    closeFileRecord(row);
    fillLoggerTable(false);
    viewsDirty = true;
}

void MainWindow::on_m_actionCloseAllFiles_triggered()
{
    restartInactivityCountdown();
    storeEditedComment();
    const bool anyFile = std::any_of(app->records.cbegin(), app->records.cend(),
                                     [](const LoggerRecord &record) { return record.fromFile; });
    if (!anyFile) {
        CPrompt::warning(this, tr("Warning!\n\nNo data file is open."));
        return;
    }
    closeAllFileRecords();
    fillLoggerTable(false);
    if (app->records.isEmpty())
        app->currentRecord = -1;
    viewsDirty = true;
}

// A question runs the timers: a logger's next trip sets the one before it
// apart, an unplugged logger's trip stands as a file. Every file row there
// is until the end is closed; a row the user keeps ends the closing, the
// rows before it close and the rest stay as they are. The rows stay until
// every trip is answered for: a later save onto the file of a trip saved
// before takes that trip out of it, and it is asked about again.
void MainWindow::closeAllFileRecords()
{
    QSet<quint64> answeredTrips;
    auto firstUnanswered = [this, &answeredTrips] {
        for (int row = 0; row < app->records.size(); ++row) {
            const LoggerRecord &record = app->records.at(row);
            if (record.fromFile && awaitsAnswer(record, answeredTrips))
                return row;
        }
        return -1;
    };
    for (int row = firstUnanswered(); row >= 0; row = firstUnanswered()) {
        const LoggerRecord asked = app->records.at(row);
        const UnsavedOutcome outcome = offerUnsavedReadings(asked, closingRowQuestion(asked));
        if (outcome == UnsavedOutcome::NotSaved || outcome == UnsavedOutcome::Cancelled) {
            const int kept = rowOfRecord(asked);
            closeSettledFileRecords(answeredTrips, kept < 0 ? 0 : kept);
            return;
        }
        if (answeredFor(outcome, asked))
            answeredTrips.insert(asked.trip().tripId);
    }
    closeSettledFileRecords(answeredTrips, app->records.size());
}

// The file rows above beforeRow whose trip is in a file, or was answered for.
void MainWindow::closeSettledFileRecords(const QSet<quint64> &answeredTrips, int beforeRow)
{
    for (int row = qMin(beforeRow, app->records.size()) - 1; row >= 0; --row) {
        const LoggerRecord &record = app->records.at(row);
        if (record.fromFile && !awaitsAnswer(record, answeredTrips))
            removeRecord(row);
    }
}

bool MainWindow::awaitsAnswer(const LoggerRecord &record, const QSet<quint64> &answeredTrips)
{
    return record.unsavedReadings && !answeredTrips.contains(record.trip().tripId);
}

// A trip saved into a data file is not answered for: should a later save
// take that file, it is unsaved again and asked about again. One exported
// as text or as a report stays unsaved, answered.
bool MainWindow::answeredFor(UnsavedOutcome outcome, const LoggerRecord &asked) const
{
    if (outcome != UnsavedOutcome::Saved)
        return outcome == UnsavedOutcome::Declined;
    const int row = rowOfTrip(asked);
    return row >= 0 && app->records.at(row).unsavedReadings;
}

// The row of the record that was record (or a copy of it) when a modal
// dialog opened: rows shift when a logger is unplugged meanwhile, and a
// logger's record may have become a file row. -1 when it is gone.
int MainWindow::rowOfRecord(const LoggerRecord &record) const
{
    return rowOfRecordId(record.recordId);
}

int MainWindow::rowOfRecordId(quint64 recordId) const
{
    return app->indexOfRecord(recordId);
}

int MainWindow::rowOfTrip(const LoggerRecord &record) const
{
    return rowOfTrip(record.recordId, record.trip().tripId);
}

int MainWindow::rowOfTrip(quint64 recordId, quint64 tripId) const
{
    const int own = rowOfRecordId(recordId);
    if (own >= 0 && app->records.at(own).trip().tripId == tripId)
        return own;
    for (int row = 0; row < app->records.size(); ++row)
        if (app->records.at(row).trip().tripId == tripId)
            return row;
    return -1;
}

// A warning shown from inside a step that holds a row: the box runs the
// event loop, whose ticks may remove records. Gives the row of the same
// record afterwards, -1 when it went meanwhile.
int MainWindow::warnKeepingRow(int row, const QString &text)
{
    const LoggerRecord held = app->records.at(row);
    CPrompt::warning(this, text);
    return rowOfRecord(held);
}

QString MainWindow::dialogStartDirectory() const
{
    return app->settings.defaultPath.isEmpty() ? QDir::homePath() : app->settings.defaultPath;
}

void MainWindow::on_m_actionSaveProgramTemplate_triggered()
{
    restartInactivityCountdown();
    if (!currentRecordOrSay())
        return;
    // the whole page goes into the template, so that loading it restores the page
    readProgramForm();
    // a copy: the record may go while the file dialog is open
    const LoggerRecord record = *currentLoggerRecord();

    QString path = CPrompt::saveFileName(this, tr("Save Template Program"),
                                         dialogStartDirectory(), tr("Program template (*.xtp)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".xtp");
    QString reason;
    if (!CFileManager::saveTemplate(path, record, &reason))
        warnNotSaved(this, app->languageTable->text(LabelId::FileNotWritableWarning), reason);
}

// The export takes the report's name with its own extension, at the first
// counter where neither the report nor an earlier export stands, so no
// earlier trip's export is overwritten. The record's fileName keeps the data
// file's path, so a later Save never writes a data file over the export.
int MainWindow::exportAutomatically(int row, const QString &extension, QStringList &unnamed)
{
    const QString path = app->nextExportFileName(app->records.at(row).trip(), extension);
    if (path.isEmpty()) {
        unnamed << tr("the %1 export").arg(extension.toUpper());
        return row;
    }
    app->records[row].exportFileName = path;
    QString reason;
    if (!writeReadingsExport(row, path, &reason))
        return warnKeepingRow(row, notWrittenText(path, reason));
    auditSavedFile(app->records.at(row), path);
    return row;
}

QString MainWindow::notWrittenText(const QString &path, const QString &reason) const
{
    QString text = tr("Warning!\n\nThe file %1 could not be written.").arg(QDir::toNativeSeparators(path));
    if (!reason.isEmpty())
        text += QStringLiteral("\n\n") + withoutWarningHead(reason);
    return text;
}

// The first start's options, cancelled, leave no data folder.
QString MainWindow::noFreeNameText(const QStringList &files) const
{
    if (app->settings.defaultPath.isEmpty())
        return tr("Warning!\n\nNo data folder is chosen.\nChoose the Default Path in the Options.");
    QString listed = files.last();
    if (files.size() > 1)
        listed = tr("%1 and %2").arg(files.mid(0, files.size() - 1).join(QStringLiteral(", ")), listed);
    return tr("Warning!\n\nNo name is free for %1.\nChoose the default path in the options.").arg(listed);
}

void MainWindow::warnNotWritten(const QString &path, const QString &reason)
{
    CPrompt::warning(this, notWrittenText(path, reason));
}

bool MainWindow::writeTextExport(const QString &path, int selectedCount, QString *error)
{
    const CTable *table = app->table;
    return CFileManager::exportText(path, table->rowTimes, table->rowValues,
                                    app->settings.multiLinkSyncDateTime, selectedCount,
                                    table->valueHeaders, error);
}

QString MainWindow::exportSelectedFile(const QString &extension, const QString &directory,
                                       const LoggerRecord &record, QString *error)
{
    const QString path = QDir(directory).filePath(CFileManager::fileBaseName(record.trip().serialNumber)
                                                  + QLatin1Char('.') + extension);
    // the record may have moved to another row, or gone, since it was chosen
    const int row = rowOfRecord(record);
    QString reason;
    bool written = false;
    if (row < 0)
        reason = tr("The logger %1 is no longer connected.").arg(record.serialNumber.trimmed());
    else if (!app->records.at(row).dataLoaded)
        reason = tr("The logger %1 holds no readings yet.").arg(record.serialNumber.trimmed());
    else if (extension == QLatin1String("qlf"))
        written = CFileManager::writeDataFile(path, app->records.at(row).trip(), app->userAdmin->enabled,
                                              &reason);
    else if (extension == QLatin1String("txt") || extension == QLatin1String("csv")) {
        QString systemReason;
        written = writeReadingsExport(row, path, &systemReason);
        if (!written)
            reason = notWrittenText(path, systemReason);
    } else if (extension == QLatin1String("pdf"))
        written = withViewsOf(row, [&] { return writeReportPdf(app->records.at(row).trip(), path, &reason); });
    else if (extension == QLatin1String("jpg"))
        written = withViewsOf(row, [&] { return writeGraphImage(path, &reason); });
    else
        reason = tr("Files of type .%1 cannot be written here.").arg(extension);
    if (written)
        return path;

    if (reason.isEmpty())
        reason = tr("The file %1 could not be written.").arg(QDir::toNativeSeparators(path));
    if (error)
        *error = withoutWarningHead(reason);
    return QString();
}

bool MainWindow::writeReadingsExport(int row, const QString &path, QString *error)
{
    app->table->collectReadings({ row });
    return writeTextExport(path, 1, error);
}

bool MainWindow::writeGraphImage(const QString &path, QString *error)
{
    return writePicture(plot, path, tr("The picture of the graph could not be written to %1."), error);
}

bool MainWindow::writeWindowImage(const QString &path, QString *error)
{
    return writePicture(this, path, tr("The picture of the window could not be written to %1."), error);
}

// notWritten names the file with %1; the reason follows it.
bool MainWindow::writePicture(QWidget *view, const QString &path, const QString &notWritten, QString *error)
{
    QString reason;
    if (savePlotImage(view, path, &reason))
        return true;
    *error = notWritten.arg(QDir::toNativeSeparators(path)) + QStringLiteral("\n\n") + reason;
    return false;
}

// With other rows chosen beside it, the graph is theirs too (Multi-Link).
bool MainWindow::showsViewsOf(int row) const
{
    return plot && histogram && plot->m_recordIndex == row && histogram->m_recordIndex == row
           && app->selection == QList<int>{ row };
}

// The graph picture and the report draw the window's graph and histogram.
// When those do not show this record alone, views of it stand in for them,
// at the pages' size, while write runs; the views draw the selection, so it
// is this record meanwhile. Nothing in between lets the event loop run.
bool MainWindow::withViewsOf(int row, const std::function<bool()> &write)
{
    if (showsViewsOf(row))
        return write();

    const QList<int> selection = app->selection;
    CPlot *const shownPlot = plot;
    CHistogram *const shownHistogram = histogram;
    app->selection = QList<int>{ row };
    CPlot recordPlot;
    CHistogram recordHistogram;
    recordPlot.setData(app, row);
    recordPlot.setupPlot();
    recordHistogram.setData(app, row);
    recordHistogram.setupPlot();
    auto pageSize = [](const QWidget *page) {
        const QSize size = page->size();
        return size.width() >= 400 && size.height() >= 300 ? size : QSize(900, 560);
    };
    recordPlot.resize(pageSize(ui->m_widgetGraph));
    recordHistogram.resize(pageSize(ui->m_widgetHistogram));
    plot = &recordPlot;
    histogram = &recordHistogram;
    const bool written = write();
    plot = shownPlot;
    histogram = shownHistogram;
    app->selection = selection;
    return written;
}

void MainWindow::startEmailOf(int row)
{
    CSendEmail::sendFromWindow(this, row);
}

void MainWindow::mailAutomatically(int row)
{
    CSendEmail::mailAutomatically(this, row);
}

void MainWindow::serveReportRequest()
{
    CReport::serveRequest(this);
}
