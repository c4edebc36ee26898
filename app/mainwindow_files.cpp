#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QFileInfo>

#include "app/clanguagetable.h"
#include "core/cmainapp.h"
#include "core/loggerrecord.h"
#include "dialogs/cprompt.h"
#include "files/cfilemanager.h"
#include "views/ctable.h"

bool MainWindow::loadDataFile(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (int row = 0; row < app->records.size(); ++row) {
        const LoggerRecord &open = app->records.at(row);
        if (open.fromFile && !open.fileName.isEmpty()
            && QFileInfo(open.fileName).absoluteFilePath() == absolute) {
            selectTableRow(row);
            return true;
        }
    }

    LoggerRecord record;
    QString error;
    if (!app->fileManager->readDataFile(absolute, record, &error)) {
        if (error.isEmpty())
            error = tr("Warning!\n\nThe file %1 cannot be opened.")
                        .arg(QDir::toNativeSeparators(absolute));
        CPrompt::warning(this, error);
        return false;
    }
    record.portName.clear();
    record.fileName = absolute;
    record.fromFile = true;
    record.ready = true;
    record.commandLink = nullptr;
    app->records.append(record);
    auditUserAction(QStringLiteral("Load File: ") + absolute);

    const int row = app->records.size() - 1;
    fillLoggerTable(false);
    ui->m_tableWidgetLogger->setCurrentCell(row, 0);
    app->records[row].dataLoaded = true;
    refreshSelectedLogger(row);
    updateActions();
    return true;
}

bool MainWindow::writeDataFileFor(int row, const QString &path)
{
    if (!app->fileManager->writeDataFile(path, row)) {
        CPrompt::warning(this, app->languageTable->text(188));
        return false;
    }
    app->records[row].fileName = path;
    loggerTableDirty = true;
    auditUserAction(QStringLiteral("Save File: ") + path);
    return true;
}

bool MainWindow::saveRecordAs(int row)
{
    if (!validRow(row))
        return false;
    const LoggerRecord record = app->records.at(row);
    QString suggestion = dialogStartDirectory();
    if (!record.serialNumber.trimmed().isEmpty())
        suggestion += QLatin1Char('/') + record.serialNumber.trimmed() + QStringLiteral(".qlf");
    QString path = CPrompt::saveFileName(
        this, tr("Save As"), suggestion,
        tr("Data file (*.qlf);;Text file (*.txt);;CSV file (*.csv)"));
    if (path.isEmpty())
        return false;
    // the timers run while the dialog is open: the logger may have gone
    row = rowOfRecord(record);
    if (row < 0) {
        CPrompt::warning(this, tr("Warning!\n\nThe logger was disconnected; nothing was saved."));
        return false;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix.isEmpty())
        path += QStringLiteral(".qlf");
    else if (suffix == QLatin1String("txt") || suffix == QLatin1String("csv"))
        return exportReadings(row, path);
    else if (suffix != QLatin1String("qlf")) {
        CPrompt::warning(this, tr("Warning!\n\nFiles of type .%1 cannot be written here.")
                                   .arg(suffix));
        return false;
    }
    return writeDataFileFor(row, path);
}

bool MainWindow::exportReadings(int row, const QString &path)
{
    const QList<int> rows = app->selection.contains(row) ? app->selection : QList<int>{ row };
    if (!app->records.at(row).dataLoaded) {
        CPrompt::warning(this, tr("Warning!\n\nThis logger holds no readings to export yet."));
        return false;
    }
    app->table->fillReadings(ui->m_tableWidgetTable, rows);
    if (!writeTextExport(path, rows.size())) {
        warnNotWritten(path);
        return false;
    }
    auditUserAction(QStringLiteral("Save File: ") + path);
    return true;
}

void MainWindow::on_m_actionLoad_triggered()
{
    restartInactivityCountdown();
    const QStringList paths = CPrompt::openFileNames(this, tr("Load"), dialogStartDirectory(),
                                                     tr("Data files (*.qlf)"));
    for (const QString &path : paths)
        loadDataFile(path);
}

void MainWindow::on_m_actionSave_triggered()
{
    restartInactivityCountdown();
    const int row = currentLoggerRow();
    LoggerRecord *record = recordAt(row);
    if (!record)
        return;
    // only a path we wrote or read ourselves is written again without asking
    if (app->selection.size() == 1 && QFileInfo(record->fileName).isAbsolute())
        writeDataFileFor(row, record->fileName);
    else
        saveRecordAs(row);
}

void MainWindow::on_m_actionSaveAs_triggered()
{
    restartInactivityCountdown();
    saveRecordAs(currentLoggerRow());
}

void MainWindow::removeRecord(int index)
{
    app->removeRecord(index);
    lastSelectedRow = -1;
}

void MainWindow::on_m_actionCloseSelectedFile_triggered()
{
    restartInactivityCountdown();
    const int row = currentLoggerRow();
    // a connected logger's record belongs to its link; only files close here
    if (!validRow(row) || !app->records.at(row).fromFile)
        return;
    removeRecord(row);
    fillLoggerTable(false);
    viewsDirty = true;
}

void MainWindow::on_m_actionCloseAllFiles_triggered()
{
    restartInactivityCountdown();
    for (int row = app->records.size() - 1; row >= 0; --row)
        if (app->records.at(row).fromFile)
            removeRecord(row);
    fillLoggerTable(false);
    if (app->records.isEmpty())
        app->currentRecord = -1;
    viewsDirty = true;
}

// The row of the record that was record (or a copy of it) when a modal
// dialog opened: rows shift when a logger is unplugged meanwhile, and a
// logger's record may have become a file row. -1 when it is gone.
int MainWindow::rowOfRecord(const LoggerRecord &record) const
{
    for (int row = 0; row < app->records.size(); ++row)
        if (app->records.at(row).recordId == record.recordId)
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
    LoggerRecord *current = currentLoggerRecord();
    if (!current)
        return;
    // the whole page goes into the template, so that loading it restores the page
    readProgramForm();
    // a copy: the record may go while the file dialog is open
    const LoggerRecord record = *current;

    QString path = CPrompt::saveFileName(this, tr("Save Template Program"),
                                         dialogStartDirectory(), tr("Program template (*.xtp)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".xtp");
    if (!CFileManager::saveTemplate(path, record))
        CPrompt::warning(this, app->languageTable->text(188));
}

// The export takes the report's name with its own extension, at the first
// counter where neither the report nor an earlier export stands, so no
// earlier trip's export is overwritten. The record's fileName keeps the data
// file's path, so a later Save never writes a data file over the export.
int MainWindow::exportAutomatically(int row, const QString &extension)
{
    const QString path = app->nextExportFileName(app->records.at(row), extension);
    if (path.isEmpty())
        return row;
    app->records[row].exportFileName = path;
    app->table->fillReadings(ui->m_tableWidgetTable, QList<int>{ row });
    if (!writeTextExport(path, 1))
        return warnKeepingRow(row, notWrittenText(path));
    return row;
}

QString MainWindow::notWrittenText(const QString &path) const
{
    return tr("Warning!\n\nThe file %1 could not be written.").arg(QDir::toNativeSeparators(path));
}

void MainWindow::warnNotWritten(const QString &path)
{
    CPrompt::warning(this, notWrittenText(path));
}

bool MainWindow::writeTextExport(const QString &path, int selectedCount)
{
    const CTable *table = app->table;
    return CFileManager::exportText(path, table->rowTimes, table->rowValues,
                                    app->settings.multiLinkSyncDateTime, selectedCount,
                                    table->valueHeaders);
}
