// The logger / file list: its rows, and the records the user chose in it.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "core/ccomm.h"
#include "core/clanguagetable.h"
#include "core/cmainapp.h"
#include "core/labelid.h"
#include "core/loggerrecord.h"
#include "core/memorymap.h"
#include "dialogs/cprompt.h"

namespace {

const char kBallBlue[] = ":/Pictures/Ball Blue.png";
const char kBallGreen[] = ":/Pictures/Ball Green.png";
const char kBallRed[] = ":/Pictures/Ball Red.png";

const int kRowHeight = 24;
// the type icon and the alarm lights
const int kIconColumnWidth = 24;

// Row numbers of four digits, the icon and the lights at their size, and the
// name and the serial number sharing what the list has left while its
// vertical scroll bar is shown: nothing is cut however far it scrolls.
QVector<int> listColumnWidths(const QTableWidget *table)
{
    const QStyle *style = table->style();
    const int textMargin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1;
    const int gridLine = 1;
    const int number = qMax(kIconColumnWidth, table->fontMetrics().horizontalAdvance(QStringLiteral("8888"))
                                                  + 2 * textMargin + gridLine);
    const int shown = table->minimumWidth() - 2 * table->frameWidth()
                      - style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, table->verticalScrollBar());
    const int texts = shown - number - 6 * kIconColumnWidth;
    // the name's share of the two as it always was: 72 of 182
    const int name = texts * 72 / 182;
    const int icon = kIconColumnWidth;
    return { number, icon, name, texts - name, icon, icon, icon, icon, icon };
}

QTableWidgetItem *centredItem(const QString &text = QString(), const QIcon &icon = QIcon())
{
    auto *item = new QTableWidgetItem(icon, text);
    item->setData(Qt::TextAlignmentRole, int(Qt::AlignHCenter | Qt::AlignVCenter));
    return item;
}

QTableWidgetItem *leftItem(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setData(Qt::TextAlignmentRole, int(Qt::AlignLeft | Qt::AlignVCenter));
    return item;
}

QTableWidgetItem *ballItem(bool shown, const char *picture)
{
    return centredItem(QString(), shown ? QIcon(QString::fromLatin1(picture)) : QIcon());
}

}

bool MainWindow::validRow(int row) const
{
    return row >= 0 && row < app->records.size();
}

LoggerRecord *MainWindow::recordAt(int row)
{
    return validRow(row) ? &app->records[row] : nullptr;
}

LoggerRecord *MainWindow::currentLoggerRecord()
{
    return recordAt(currentLoggerRow());
}

int MainWindow::currentLoggerRow() const
{
    return ui->m_tableWidgetLogger->currentRow();
}

void MainWindow::fillLoggerTable(bool force)
{
    QTableWidget *table = ui->m_tableWidgetLogger;
    const int count = app->records.size();
    const bool sameCount = table->rowCount() == count;
    const QList<quint64> chosen = chosenRecordIds();

    if (!force && sameCount) {
        if (!loggerTableDirty.exchange(false))
            return;
        fillingLoggerTable = true;
    } else {
        loggerTableDirty = false;
        fillingLoggerTable = true;
        if (table->rowCount() > 0) {
            table->setCurrentCell(-1, -1);
            table->clear();
        }
        QString serialHeader = app->languageTable->text(LabelId::SerialNumber);
        serialHeader.remove(QStringLiteral(" #"));
        const QStringList headers = { QStringLiteral("#"), QStringLiteral("T"),
                                      app->languageTable->text(LabelId::Name), serialHeader,
                                      QStringLiteral("LL"), QStringLiteral("L"),
                                      QStringLiteral("OK"), QStringLiteral("H"),
                                      QStringLiteral("HH") };
        table->setColumnCount(headers.size());
        table->horizontalHeader()->setMinimumSectionSize(kIconColumnWidth);
        table->verticalHeader()->setMinimumSectionSize(kRowHeight);
        table->verticalHeader()->hide();
        table->setHorizontalHeaderLabels(headers);
        const QVector<int> widths = listColumnWidths(table);
        for (int column = 0; column < headers.size(); ++column)
            table->setColumnWidth(column, widths.at(column));
        table->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        table->setRowCount(count);
    }

    const Rights rights = currentRights();
    for (int row = 0; row < count; ++row) {
        const LoggerRecord &r = app->records.at(row);
        const bool logger = !r.portName.isEmpty();
        QTableWidgetItem *number = centredItem(QString::number(row + 1));
        number->setData(Qt::UserRole, r.recordId);
        table->setItem(row, 0, number);
        table->setRowHeight(row, kRowHeight);
        table->setItem(row, 1, centredItem(QString(),
                                           QIcon(logger ? QStringLiteral(":/Pictures/kelpra.png")
                                                        : QStringLiteral(":/Pictures/file_001.ico"))));
        // a file record keeps its path; the table shows the name only, and
        // a trip never saved (its logger gone) its serial number
        const QString name = logger              ? r.portName
                             : r.fileName.isEmpty() ? r.serialNumber
                                                    : QFileInfo(r.fileName).fileName();
        table->setItem(row, 2, leftItem(name));
        table->setItem(row, 3, leftItem(r.serialNumber));
        // the alarms of the trip the row shows; before a download, the
        // logger's own: a summary of data, off for whom its pages are off
        const quint32 status = r.trip().alarmStatus;
        // no light for a status the logger did not give: green would say no alarm
        const bool known = !r.serialNumber.isEmpty() && !r.trip().alarmStatusUnknown
                           && seesData(rights, r.readFromFile());
        const quint32 anyLevel =
            AlarmStatusBits::HH | AlarmStatusBits::H | AlarmStatusBits::L | AlarmStatusBits::LL;
        table->setItem(row, 4, ballItem(known && (status & AlarmStatusBits::LL), kBallBlue));
        table->setItem(row, 5, ballItem(known && (status & AlarmStatusBits::L), kBallBlue));
        table->setItem(row, 6, ballItem(known && !(status & anyLevel), kBallGreen));
        table->setItem(row, 7, ballItem(known && (status & AlarmStatusBits::H), kBallRed));
        table->setItem(row, 8, ballItem(known && (status & AlarmStatusBits::HH), kBallRed));
    }

    keepChosenRecords(chosen);
    // Qt makes the first row current when the table next takes the focus
    // (from the comment field disabled with the views of a record gone),
    // unless a current row was set since its rows were rebuilt: a row nobody
    // chose would look chosen, its views never built.
    if (table->currentRow() < 0)
        table->setCurrentCell(-1, -1);
    fillingLoggerTable = false;
    updateActions();
}

// The records of the current row, then of the other selected rows, as the
// table showed them: the records may have moved since.
QList<quint64> MainWindow::chosenRecordIds() const
{
    const QTableWidget *table = ui->m_tableWidgetLogger;
    const auto shownId = [table](int row) {
        const QTableWidgetItem *item = table->item(row, 0);
        return item ? item->data(Qt::UserRole).toULongLong() : 0;
    };
    const int current = table->currentRow();
    const quint64 currentId = shownId(current);
    if (currentId == 0)
        return {};
    QList<quint64> ids{ currentId };
    for (const QModelIndex &index : table->selectionModel()->selectedRows())
        if (index.row() != current && shownId(index.row()) != 0)
            ids << shownId(index.row());
    return ids;
}

// Rows come and go with loggers plugged and trips kept apart: the row the
// user chose stays chosen, as the same record, and so do the other
// selected ones that remain. When the chosen record is gone nothing is
// current, and the page and the views lose what they showed of it.
void MainWindow::keepChosenRecords(const QList<quint64> &chosen)
{
    if (chosen.isEmpty())
        return;
    QTableWidget *table = ui->m_tableWidgetLogger;
    const int current = rowOfRecordId(chosen.first());
    QList<int> rows;
    for (quint64 id : chosen) {
        const int row = rowOfRecordId(id);
        if (row >= 0)
            rows << row;
    }
    if (rows.size() != chosen.size())
        viewsDirty = true;
    std::sort(rows.begin(), rows.end());
    QList<int> shown;
    for (const QModelIndex &index : table->selectionModel()->selectedRows())
        shown << index.row();
    std::sort(shown.begin(), shown.end());
    if (table->currentRow() == current && shown == rows)
        return;
    lastSelectedRow = current;
    if (current < 0) {
        table->setCurrentCell(-1, -1);
        table->clearSelection();
        app->selection.clear();
        app->currentRecord = -1;
        return;
    }
    table->setCurrentCell(current, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    for (int row : qAsConst(rows))
        table->selectionModel()->select(table->model()->index(row, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    app->selection = rows;
    app->currentRecord = current;
}

// The row chosen shows, also the last of a thousand just listed.
void MainWindow::selectTableRow(int row)
{
    fillLoggerTable(false);
    QTableWidget *table = ui->m_tableWidgetLogger;
    table->setCurrentCell(row, 0);
    table->scrollToItem(table->item(row, 0));
}

void MainWindow::refreshSelectedLogger(int row)
{
    restartInactivityCountdown();
    lastSelectedRow = row;
    showRecordComment();
    if (!formLocked) {
        updatingForm = false;
        setSettingsTextsAside();
    }
    showTypedLoggerPassword(recordAt(row));
    if (!validRow(row))
        return;
    app->currentRecord = row;
    const LoggerRecord &record = app->records.at(row);
    // the bar follows the row: what it showed was another logger's
    if (!loggerWriter.watch().running() && loggerWriter.barRecord() != record.recordId)
        loggerWriter.showDownloadProgress(record);
    if (!record.portName.isEmpty() && !record.dataLoaded) {
        // the logger answers with its memory image; the decoder then asks
        // for the table and the page to be refreshed
        requestMemoryImage(record);
        viewsDirty = false;
        return;
    }
    app->recalcProgramTiming(row, 1);
    showLoggerRecord();
    viewsDirty = true;
}

void MainWindow::on_m_tableWidgetLogger_itemSelectionChanged()
{
    restartInactivityCountdown();
    if (fillingLoggerTable)
        return;
    QList<int> rows;
    const auto ranges = ui->m_tableWidgetLogger->selectedRanges();
    for (const QTableWidgetSelectionRange &range : ranges)
        for (int row = range.topRow(); row <= range.bottomRow(); ++row)
            if (!rows.contains(row))
                rows.append(row);
    std::sort(rows.begin(), rows.end());
    app->selection = rows;
    refreshSelectedLogger(currentLoggerRow());
    updateActions();
}

void MainWindow::on_m_tableWidgetLogger_itemPressed(QTableWidgetItem *)
{
    restartInactivityCountdown();
    if (fillingLoggerTable)
        return;
    const int row = currentLoggerRow();
    const Qt::MouseButtons buttons = QApplication::mouseButtons();
    if (buttons == Qt::LeftButton && row != lastSelectedRow) {
        lastSelectedRow = row;
        refreshSelectedLogger(row);
    }
    if (buttons == Qt::RightButton) {
        QMenu menu(ui->m_tableWidgetLogger);
        menu.addAction(ui->m_actionProgram);
        menu.addAction(ui->m_actionDownload);
        menu.addAction(ui->m_actionSave);
        menu.addAction(ui->m_actionCloseSelectedFile);
        menu.addAction(ui->m_actionCloseAllFiles);
        menu.addAction(ui->m_actionDisconnect_Logger);
        CPrompt::execMenu(&menu, QCursor::pos());
    }
}

void MainWindow::on_m_tableWidgetLogger_doubleClicked(const QModelIndex &)
{
    if (fillingLoggerTable)
        return;
    restartInactivityCountdown();
    if (const LoggerRecord *record = currentLoggerRecord())
        if (!record->portName.isEmpty())
            requestMemoryImage(*record);
    viewsDirty = true;
}

void MainWindow::requestMemoryImage(const LoggerRecord &record)
{
    if (!record.commandLink)
        return;
    record.commandLink->sendCommand(MemoryMap::Command::Wake);
    record.commandLink->sendCommand(MemoryMap::Command::End);
}
