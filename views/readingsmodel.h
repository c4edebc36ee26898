#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <QStringList>

#include "views/readingrows.h"
#include "views/rowclock.h"

// The readings table as its view asks for it: only the cells on screen are
// ever made, so a selection of thousands of sets costs what its readings
// cost, not a table item per reading.
class ReadingsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ReadingsModel(QObject *parent = nullptr);

    // A column per header: timeColumns of them first, the date and time of
    // each row (its elapsed time when origin is invalid) and then its
    // elapsed time; then the columns of the rows.
    void show(const ReadingRows &rows, const QStringList &headers, int timeColumns, const QDateTime &origin,
              bool monthFirst);
    void clear();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString timeText(int row, int column) const;
    QVariant readingData(const ReadingRows::Cell &cell, int role) const;

    ReadingRows rows;
    QStringList headers;
    int timeColumns = 0;
    bool dated = false;
    mutable RowClock clock{ QDateTime(), false };
    mutable ReadingRows::ValueTexts texts;
};
