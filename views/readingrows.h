#pragma once

#include <QString>
#include <QVector>

#include "views/ctable.h"

// The rows of the readings table of one selection: a row per moment on the
// table's time line, a column per channel of each set. A cell is read from
// its set's readings when it is asked for, so the rows cost a few bytes per
// reading whatever the number of sets laid side by side.
class ReadingRows
{
public:
    // A reading as the table shows it; a set without a reading at a row's
    // time leaves its cell absent.
    struct Cell
    {
        qint16 tenths = 0;
        quint8 level = CTable::LevelNormal;
        bool present = false;
        bool mark = false;
        bool fahrenheit = false;
    };

    // Adds a set of samples readings of stride words each; its readings
    // are shared with the record they come from. The set's number.
    int addSet(const QVector<quint16> &words, int stride, int samples);
    // Adds a column of the set's channel at position among its words; a
    // position of -1 gives a column that stays empty.
    void addColumn(int set, int position, bool fahrenheit, const CTable::LevelRule &rule);
    // Appends a row at a time on the table's time line; its number.
    int addRow(qint64 time);
    // Puts the set's next sample into the row. Samples come in their order.
    void placeNextSample(int set, int row);
    // Frees what the placing needed once every sample has its row.
    void squeeze();

    int rowCount() const { return times.size(); }
    int columnCount() const { return columns.size(); }
    qint64 timeOf(int row) const { return times.at(row); }
    Cell cell(int row, int column) const;

    // The texts of reading values. A trip repeats a few hundred values over
    // tens of thousands of rows: each is formatted once, and the rows share it.
    class ValueTexts
    {
    public:
        const QString &of(const Cell &cell);

    private:
        static constexpr int kLowest = 1024;   // readings hold 11-bit signed tenths
        QVector<QString> texts[2] = { QVector<QString>(2 * kLowest), QVector<QString>(2 * kLowest) };
    };

private:
    struct Set
    {
        QVector<quint16> words;
        int stride = 0;
        int samples = 0;
        // The row of each sample; once squeezed, empty while the samples
        // stand in rows that follow each other from firstRow.
        QVector<int> rowOfSample;
        int firstRow = 0;
        int sampleAt(int row) const;
    };
    struct Column
    {
        int set = 0;
        int position = -1;
        bool fahrenheit = false;
        CTable::LevelRule rule;
    };

    QVector<qint64> times;
    QVector<Set> sets;
    QVector<Column> columns;
};
