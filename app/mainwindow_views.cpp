#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/afterfirstpaint.h"

#include <algorithm>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <qwt_widget_overlay.h>

#include "core/cmainapp.h"
#include "core/heaptrim.h"
#include "core/loggerrecord.h"
#include "dialogs/cmessage.h"
#include "dialogs/cprompt.h"
#include "files/wholefile.h"
#include "reports/cprint.h"
#include "views/chistogram.h"
#include "views/cplot.h"
#include "views/ctable.h"

void MainWindow::showGraphProgress(bool visible, int value)
{
    ui->m_progressBarGraph->setVisible(visible);
    ui->m_progressBarGraph->setValue(value);
}

// Readings of another selection never stay under this one: while a
// selected record holds none, the table is empty.
void MainWindow::fillReadingsTable(const QList<int> &rows)
{
    const bool allLoaded = !rows.isEmpty() && std::all_of(rows.begin(), rows.end(), [this](int row) {
        const LoggerRecord *record = recordAt(row);
        return record && record->dataLoaded;
    });
    if (allLoaded)
        app->table->fillReadings(ui->m_tableWidgetTable, rows);
    else
        app->table->clearReadings(ui->m_tableWidgetTable);
    readingsTablePending = false;
    readingsTableRecords = recordIdsOf(rows);
}

void MainWindow::showReadingsTable()
{
    if (readingsTablePending || readingsTableRecords != recordIdsOf(app->selection))
        fillReadingsTable(app->selection);
}

QList<quint64> MainWindow::recordIdsOf(const QList<int> &rows) const
{
    QList<quint64> ids;
    for (int row : rows)
        ids << (validRow(row) ? app->records.at(row).recordId : 0);
    return ids;
}

// Tens of thousands of readings take a while to lay out as table items;
// the graph's first frame does not wait for them. The table is filled
// right after the new graph has been painted, or as soon as its own page
// is shown, whichever comes first. A window that shows neither (hidden,
// or on another page) fills it at once or at the visit of its page.
void MainWindow::fillReadingsTableSoon()
{
    readingsTablePending = true;
    if (!isVisible() || ui->m_tabWidget->currentWidget() == ui->m_tabTable) {
        fillReadingsTable(app->selection);
        return;
    }
    // a window closed (or hidden for a login) right after the paint has
    // nobody to show the table to: its page's next visit fills it
    if (plot && ui->m_widgetGraph->isVisible())
        AfterFirstPaint::run(plot->canvas(), [this] {
            if (readingsTablePending && isVisible())
                fillReadingsTable(app->selection);
        });
}

// The previous view is destroyed with the layout that held it, so a
// rebuild never leaves the old widget behind.
void MainWindow::placeView(QWidget *page, QHBoxLayout *&layout, QWidget *previous, QWidget *view)
{
    delete layout;
    layout = nullptr;
    delete previous;
    layout = new QHBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    // the view fits the page it is given: its axes' and legend's wishes
    // must not widen the window past the screen
    view->setMinimumSize(1, 1);
    layout->addWidget(view, 0);
}

void MainWindow::replaceGraph(int row)
{
    auto *newPlot = new CPlot;
    newPlot->setData(app, row);
    newPlot->setupPlot();
    placeView(ui->m_widgetGraph, graphLayout, plot, newPlot);
    plot = newPlot;
}

void MainWindow::replaceHistogram(int row)
{
    auto *newHistogram = new CHistogram;
    newHistogram->setData(app, row);
    newHistogram->setupPlot();
    placeView(ui->m_widgetHistogram, histogramLayout, histogram, newHistogram);
    histogram = newHistogram;
}

// A view as it stands, without what the mouse draws over it: the value
// label under the pointer and the zoom's rubber band are no part of it.
QPixmap MainWindow::pictureOf(QWidget *view)
{
    QList<QWidget *> hidden;
    for (QWidget *child : view->findChildren<QWidget *>())
        if (child->isVisible() && dynamic_cast<QwtWidgetOverlay *>(child)) {
            child->hide();
            hidden << child;
        }
    const QPixmap picture = view->grab();
    for (QWidget *overlay : qAsConst(hidden))
        overlay->show();
    return picture;
}

// The picture is encoded in memory first, so that its file is written whole
// or not at all.
bool MainWindow::savePlotImage(QWidget *widget, const QString &fileName, QString *error)
{
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (!widget)
        return fail(tr("There is no view to take a picture of."));
    const QString suffix = QFileInfo(fileName).suffix();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (suffix.isEmpty() || !buffer.open(QIODevice::WriteOnly)
        || !pictureOf(widget).save(&buffer, suffix.toLatin1().constData()))
        return fail(tr("No picture of the type .%1 can be made.").arg(suffix));
    return WholeFile::write(fileName, bytes, error);
}

bool MainWindow::saveWindowImage(const QString &fileName, QString *error)
{
    return savePlotImage(this, fileName, error);
}

// The image goes to the clipboard straight from the widget: no file in a
// directory that may not be writable.
bool MainWindow::copyViewUnder(QWidget *view, const QPoint &globalPosition)
{
    if (!view || !view->isVisible() || !view->rect().contains(view->mapFromGlobal(globalPosition)))
        return false;
    QApplication::clipboard()->setImage(pictureOf(view).toImage());
    return true;
}

void MainWindow::mousePressEvent(QMouseEvent *event)
{
    const bool leftDoubleClick = event->type() == QEvent::MouseButtonDblClick
                                 && event->button() == Qt::LeftButton;
    if (leftDoubleClick) {
        if (copyViewUnder(plot, event->globalPos())) {
            CMessage message(this, tr("Copied to clipboard..."), 1);
            CPrompt::exec(&message);
        } else {
            copyViewUnder(histogram, event->globalPos());
        }
    }
    QMainWindow::mousePressEvent(event);
}

// With no current record the view pages hold nothing and are off, so no
// header of a closed set stays over an empty body.
void MainWindow::clearViews()
{
    dropViews();
    showRecordComment();
    for (int page = PageGraph; page <= PageSummary; ++page)
        ui->m_tabWidget->setTabEnabled(page, false);
}

// The views of closed files were what held their memory last.
void MainWindow::dropViews()
{
    delete plot;
    plot = nullptr;
    delete histogram;
    histogram = nullptr;
    app->table->clearReadings(ui->m_tableWidgetTable);
    readingsTablePending = false;
    readingsTableRecords.clear();
    emptyTable(ui->m_tableWidgetTableSummary);
    returnFreedMemory();
}

void MainWindow::emptyTable(QTableWidget *table)
{
    table->clear();
    table->setRowCount(0);
    table->setColumnCount(0);
}

void MainWindow::fillSummaryTable()
{
    app->table->initSummary(ui->m_tableWidgetTableSummary, app->selection);
    app->table->fillSummary(ui->m_tableWidgetTableSummary, app->selection, false);
}

void MainWindow::rebuildViews(int row)
{
    const LoggerRecord record = app->records.at(row);
    const Rights rights = currentRights();
    showRecordComment();
    ui->m_tabWidget->setTabEnabled(PageLogger, app->selection.size() <= 1);
    const bool dataPages = seesData(rights, shownDataFromFiles(row));
    for (int page = PageGraph; page <= PageSummary; ++page)
        ui->m_tabWidget->setTabEnabled(page, dataPages);

    const bool choosePage = ui->m_tabWidget->currentIndex() <= 0
                            || (formLocked && ui->m_checkBoxProdEnable->isChecked());
    if (choosePage) {
        if (dataPages)
            ui->m_tabWidget->setCurrentWidget(ui->m_tabGraph);
        else if (rights.configure)
            ui->m_tabWidget->setCurrentWidget(ui->m_tabLogger);
    }
    // a record without readings shows no views, not those of the last one
    if (record.dataLoaded) {
        replaceGraph(row);
        replaceHistogram(row);
        fillSummaryTable();
        fillReadingsTableSoon();
    } else {
        dropViews();
    }
    app->records[row].autoDelay = 2;
}

void MainWindow::showHomeWhenEmpty()
{
    if (app->records.isEmpty()) {
        if (app->jigTestStep == 0 && !ui->m_checkBoxAdminAuto->isChecked())
            ui->m_tabWidget->setCurrentWidget(ui->m_tabHome);
        for (int page = PageLogger; page <= PageSummary; ++page)
            ui->m_tabWidget->setTabEnabled(page, false);
    } else {
        ui->m_tabWidget->setCurrentWidget(ui->m_tabLogger);
    }
}

// Each report gets a name of its own: an earlier report of the same trip
// is never written over.
void MainWindow::on_m_actionGeneratPdf_triggered()
{
    restartInactivityCountdown();
    storeEditedComment();
    const int row = currentLoggerRow();
    const LoggerRecord *current = recordAt(row);
    if (!current)
        return;
    const LoggerRecord record = current->trip();
    const QString path = app->nextPdfFileName(record);
    if (path.isEmpty()) {
        CPrompt::warning(this, noFreeNameText({ tr("the PDF report") }));
        return;
    }
    app->records[row].exportFileName = path;
    if (!writePdfReport(record, path))
        return;
    auditSavedFile(record, path);
    createPdf(path);
}

void MainWindow::on_m_actionPrintPreview_triggered()
{
    restartInactivityCountdown();
    storeEditedComment();
    const LoggerRecord *record = currentRecordWithReadingsOrSay();
    if (!record)
        return;
    CPrint report(this);
    report.printPreview(record->trip());
}

void MainWindow::on_m_actionPrintPrint_triggered()
{
    restartInactivityCountdown();
    storeEditedComment();
    const LoggerRecord *current = currentRecordWithReadingsOrSay();
    if (!current)
        return;
    const LoggerRecord record = current->trip();
    CPrint report(this);
    if (report.print(record))
        auditUserAction(QStringLiteral("Print File: ") + record.serialNumber);
    else if (!report.errorText().isEmpty())
        CPrompt::warning(this, tr("Warning!\n\n") + report.errorText());
}

void MainWindow::createPdf(const QString &path)
{
    CMessage message(this, tr("PDF saved: ") + QDir::toNativeSeparators(path), 5);
    CPrompt::exec(&message);
}

bool MainWindow::writePdfReport(const LoggerRecord &record, const QString &path)
{
    QString error;
    const bool written = writeReportPdf(record, path, &error);
    if (!written)
        CPrompt::warning(this, tr("Warning!\n\n") + error);
    return written;
}

bool MainWindow::writeReportPdf(const LoggerRecord &record, const QString &path, QString *error)
{
    CPrint report(this);
    report.onPage = [this](int page, int pageCount) { showReportProgress(page, pageCount); };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool written = report.printPdf(path, record);
    QApplication::restoreOverrideCursor();
    ui->statusBar->clearMessage();
    if (!written && error)
        *error = report.errorText();
    return written;
}

// Painting a long report keeps the event loop waiting; the status line is
// repainted on its own so the user sees it advance.
void MainWindow::showReportProgress(int page, int pageCount)
{
    if (page != 1 && page % 20 != 0)
        return;
    ui->statusBar->showMessage(tr("Writing the PDF report: page %1 of %2").arg(page).arg(pageCount));
    ui->statusBar->repaint();
}

// An automatic report that cannot be written is said once; the marker is
// set before, so the step is not tried again. The report draws the record's
// own views, whatever the window shows by then; a failure's box runs the
// timers, so the row of the record is looked up again (-1 when it went).
int MainWindow::generatePdfAutomatically(int row, QStringList &unnamed)
{
    const LoggerRecord record = app->records.at(row).trip();
    const QString path = app->nextPdfFileName(record);
    app->records[row].exportFileName = path;
    if (path.isEmpty()) {
        unnamed << tr("the PDF report");
        return row;
    }
    QString error;
    if (!withViewsOf(row, [&] { return writeReportPdf(record, path, &error); }))
        return warnKeepingRow(row, tr("Warning!\n\n") + error);
    auditSavedFile(record, path);
    if (app->settings.autoOpenPdf)
        app->openFileUrl(path);
    return row;
}

void MainWindow::on_m_actionSendByEmail_triggered()
{
    restartInactivityCountdown();
    startEmailOf(currentLoggerRow());
}

void MainWindow::on_m_actionSend_Report_triggered()
{
    restartInactivityCountdown();
    ui->m_tabWidget->setCurrentWidget(ui->m_tabLogger);
    reportDialogPending = true;
}

void MainWindow::on_m_lineEditComment_textChanged(const QString &) {}

void MainWindow::on_m_lineEditComment_editingFinished()
{
    restartInactivityCountdown();
    storeEditedComment();
}

// The field shows the current record's comment. An edit not finished yet
// goes to the trip it was typed for before another one takes the field,
// so a row that changes under the typing loses nothing, and the logger's
// next trip coming into the row takes nothing typed for the one before. A
// rebuild of the same trip's views (a logger plugged in elsewhere, a
// download of more readings) leaves the typing and its cursor where they are.
void MainWindow::showRecordComment()
{
    QLineEdit *field = ui->m_lineEditComment;
    const LoggerRecord *record = currentLoggerRecord();
    if (record && record->recordId == commentRecordId && record->trip().tripId == commentTripId
        && field->isModified())
        return;
    storeEditedComment();
    commentRecordId = record ? record->recordId : 0;
    commentTripId = record ? record->trip().tripId : 0;
    field->setText(record ? record->trip().comment : QString());
    field->setModified(false);
    field->setEnabled(record != nullptr);
}

// A changed comment is a change of the data set: it is offered for saving
// as new readings are, and goes into the audit trail. Saving, reporting and
// closing take a comment still being typed: a toolbar button or a shortcut
// leaves the field without ending its editing.
void MainWindow::storeEditedComment()
{
    QLineEdit *field = ui->m_lineEditComment;
    // the trip may have been kept apart in a row of its own since
    const int row = rowOfTrip(commentRecordId, commentTripId);
    if (row < 0 || !field->isModified() || !sessionTakesEdits())
        return;
    field->setModified(false);
    LoggerRecord &record = app->records[row];
    const QString comment = field->text();
    const QString before = record.trip().comment;
    if (comment == before)
        return;
    auditUserAction(QStringLiteral("Change comment: ") + before + QStringLiteral(" --> ") + comment);
    // the logger takes the comment with its next program as well
    record.tripForChange().comment = comment;
    record.comment = comment;
    if (record.dataLoaded)
        record.unsavedReadings = true;
}
