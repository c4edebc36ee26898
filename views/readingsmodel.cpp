#include "views/readingsmodel.h"

#include <QBrush>

#include "views/elapsedtimescaledraw.h"

ReadingsModel::ReadingsModel(QObject *parent) : QAbstractTableModel(parent) {}

void ReadingsModel::show(const ReadingRows &shown, const QStringList &columnHeaders, int timeColumnCount,
                         const QDateTime &origin, bool monthFirst)
{
    beginResetModel();
    rows = shown;
    headers = columnHeaders;
    timeColumns = timeColumnCount;
    dated = origin.isValid();
    clock = RowClock(origin, monthFirst);
    endResetModel();
}

void ReadingsModel::clear()
{
    beginResetModel();
    rows = ReadingRows();
    headers.clear();
    timeColumns = 0;
    endResetModel();
}

int ReadingsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows.rowCount();
}

int ReadingsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : headers.size();
}

QVariant ReadingsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return QVariant();
    if (index.column() < timeColumns)
        return role == Qt::DisplayRole ? QVariant(timeText(index.row(), index.column())) : QVariant();
    return readingData(rows.cell(index.row(), index.column() - timeColumns), role);
}

QString ReadingsModel::timeText(int row, int column) const
{
    const qint64 time = rows.timeOf(row);
    if (column == 0 && dated)
        return clock.text(time);
    return ElapsedTimeScaleDraw::formatElapsed(time);
}

// Right-aligned, in the colours of the alarm level, grey when marked;
// normal readings keep the table's own (alternating) look.
QVariant ReadingsModel::readingData(const ReadingRows::Cell &cell, int role) const
{
    if (!cell.present)
        return QVariant();
    const auto level = CTable::Level(cell.level);
    switch (role) {
    case Qt::DisplayRole:
        return texts.of(cell);
    case Qt::TextAlignmentRole:
        return int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        return level == CTable::LevelNormal ? QVariant() : QVariant(QBrush(CTable::levelTextColor(level)));
    case Qt::BackgroundRole: {
        if (cell.mark)
            return QBrush(QColor(200, 200, 200));
        const QColor back = CTable::levelBackColor(level);
        return back == QColor(Qt::white) ? QVariant() : QVariant(QBrush(back));
    }
    default:
        return QVariant();
    }
}

QVariant ReadingsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    return headers.at(section);
}
