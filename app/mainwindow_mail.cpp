#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QDir>

#include "core/cmainapp.h"
#include "core/loggerrecord.h"
#include "dialogs/cprompt.h"
#include "files/cfilemanager.h"
#include "reports/creport.h"
#include "reports/csendemail.h"
#include "users/cuseradmin.h"
#include "views/chistogram.h"
#include "views/cplot.h"
#include "views/ctable.h"

namespace {

// File name of a record's exports: its serial number, made safe for a path.
QString exportBaseName(const LoggerRecord &record)
{
    static const QString unsafe = QStringLiteral("/\\:*?\"<>|");
    QString name = record.serialNumber.trimmed();
    for (QChar &c : name)
        if (c.unicode() < 0x20 || unsafe.contains(c))
            c = QLatin1Char('_');
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name = QStringLiteral("logger");
    return name;
}

}

QString MainWindow::exportSelectedFile(const QString &extension, const QString &directory,
                                       const LoggerRecord &record, QString *error)
{
    const QString path = QDir(directory).filePath(exportBaseName(record) + QLatin1Char('.') + extension);
    // the record may have moved to another row, or gone, since it was chosen
    const int row = rowOfRecord(record);
    QString reason;
    bool written = false;
    if (row < 0)
        reason = tr("The logger %1 is no longer connected.").arg(record.serialNumber.trimmed());
    else if (!app->records.at(row).dataLoaded)
        reason = tr("The logger %1 holds no readings yet.").arg(record.serialNumber.trimmed());
    else if (extension == QLatin1String("qlf"))
        written = CFileManager::writeDataFile(path, app->records.at(row), app->userAdmin->enabled, &reason);
    else if (extension == QLatin1String("txt") || extension == QLatin1String("csv"))
        written = writeReadingsExport(row, path);
    else if (extension == QLatin1String("pdf"))
        written = withViewsOf(row, [&] { return writeReportPdf(app->records.at(row), path, &reason); });
    else if (extension == QLatin1String("jpg"))
        written = withViewsOf(row, [&] { return writeGraphImage(path, &reason); });
    else
        reason = tr("Files of type .%1 cannot be written here.").arg(extension);
    if (written)
        return path;

    if (reason.isEmpty())
        reason = tr("The file %1 could not be written.").arg(QDir::toNativeSeparators(path));
    const QString warning = QStringLiteral("Warning!\n\n");
    if (reason.startsWith(warning))
        reason.remove(0, warning.size());
    if (error)
        *error = reason;
    return QString();
}

bool MainWindow::writeReadingsExport(int row, const QString &path)
{
    app->table->fillReadings(ui->m_tableWidgetTable, QList<int>{ row });
    const bool written = writeTextExport(path, 1);
    // the readings page shows the selection again, not the exported record
    if (app->selection != QList<int>{ row }) {
        ui->m_tableWidgetTable->setRowCount(0);
        fillReadingsTable(app->selection);
    }
    return written;
}

bool MainWindow::writeGraphImage(const QString &path, QString *error)
{
    if (savePlotImage(plot, path))
        return true;
    *error = tr("The picture of the graph could not be written to %1.").arg(QDir::toNativeSeparators(path));
    return false;
}

// The graph picture and the report draw the window's graph and histogram.
// When those do not show this record alone, views of it stand in for them,
// at the pages' size, while write runs; the views draw the selection, so it
// is this record meanwhile. Nothing in between lets the event loop run.
bool MainWindow::withViewsOf(int row, const std::function<bool()> &write)
{
    const QList<int> alone{ row };
    if (plot && histogram && plot->m_recordIndex == row && histogram->m_recordIndex == row
        && app->selection == alone)
        return write();

    const QList<int> selection = app->selection;
    CPlot *const shownPlot = plot;
    CHistogram *const shownHistogram = histogram;
    app->selection = alone;
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

// The action is offered again once this sending is over.
void MainWindow::startEmailOf(int row)
{
    ui->m_actionSendByEmail->setEnabled(false);
    app->startEmail(row);
    connect(app->emailSender, &CSendEmail::finished, this,
            [this] { ui->m_actionSendByEmail->setEnabled(true); });
}

// After an automatic download each record is mailed once.
void MainWindow::mailAutomatically(int row)
{
    if (!validRow(row) || app->settings.smtpServerAuto == 0 || app->records.at(row).autoMailStarted)
        return;
    app->records[row].autoMailStarted = true;
    startEmailOf(row);
}

void MainWindow::serveReportRequest()
{
    if (!reportDialogPending.exchange(false))
        return;
    CReport report(this);
    CPrompt::exec(&report);
}
