#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QMouseEvent>

#include "core/cmainapp.h"
#include "core/loggerrecord.h"
#include "dialogs/cmessage.h"
#include "dialogs/cprompt.h"
#include "views/chistogram.h"
#include "views/cplot.h"
#include "views/ctable.h"

void MainWindow::showGraphProgress(bool visible, int value)
{
    ui->m_progressBarGraph->setVisible(visible);
    ui->m_progressBarGraph->setValue(value);
}

void MainWindow::fillReadingsTable(const QList<int> &rows)
{
    if (rows.isEmpty())
        return;
    for (int row : rows) {
        const LoggerRecord *record = recordAt(row);
        if (!record || !record->dataLoaded)
            return;
    }
    app->table->fillReadings(ui->m_tableWidgetTable, rows);
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

bool MainWindow::savePlotImage(QWidget *widget, const QString &fileName)
{
    if (!widget || fileName.isEmpty())
        return false;
    return widget->grab().save(fileName);
}

bool MainWindow::saveWindowImage(const QString &fileName)
{
    return savePlotImage(this, fileName);
}

// The image goes to the clipboard straight from the widget: no file in a
// directory that may not be writable.
bool MainWindow::copyViewUnder(QWidget *view, const QPoint &globalPosition)
{
    if (!view || !view->isVisible() || !view->rect().contains(view->mapFromGlobal(globalPosition)))
        return false;
    QApplication::clipboard()->setImage(view->grab().toImage());
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

void MainWindow::clearViews()
{
    delete plot;
    plot = nullptr;
    delete histogram;
    histogram = nullptr;
    ui->m_tableWidgetTable->setRowCount(0);
    ui->m_tableWidgetTableSummary->setRowCount(0);
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
    ui->m_tabWidget->setTabEnabled(PageLogger, app->selection.size() <= 1);
    const bool dataPages = rights.download || (rights.view && record.fromFile);
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
    const bool hasData = record.dataLoaded;
    if (hasData) {
        replaceGraph(row);
        replaceHistogram(row);
    }
    fillReadingsTable(app->selection);
    if (hasData)
        fillSummaryTable();
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

void MainWindow::on_m_actionGeneratPdf_triggered() { restartInactivityCountdown(); }

void MainWindow::on_m_actionPrintPreview_triggered() { restartInactivityCountdown(); }

void MainWindow::on_m_actionPrintPrint_triggered() { restartInactivityCountdown(); }

void MainWindow::on_m_actionSendByEmail_triggered() { restartInactivityCountdown(); }

void MainWindow::on_m_actionSend_Report_triggered()
{
    restartInactivityCountdown();
    ui->m_tabWidget->setCurrentWidget(ui->m_tabLogger);
    reportDialogPending = true;
}

void MainWindow::on_m_lineEditComment_textChanged(const QString &) {}

void MainWindow::on_m_lineEditComment_editingFinished() { restartInactivityCountdown(); }
