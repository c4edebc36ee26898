#include "views/readingrows.h"

#include <algorithm>

#include "core/loggertime.h"

int ReadingRows::addSet(const QVector<quint16> &words, int stride, int samples)
{
    Set set;
    set.words = words;
    set.stride = stride;
    set.samples = samples;
    set.rowOfSample.reserve(samples);
    sets.append(set);
    return sets.size() - 1;
}

void ReadingRows::addColumn(int set, int position, bool fahrenheit, const CTable::LevelRule &rule)
{
    columns.append({ set, position, fahrenheit, rule });
}

int ReadingRows::addRow(qint64 time)
{
    times.append(time);
    return times.size() - 1;
}

void ReadingRows::placeNextSample(int set, int row)
{
    sets[set].rowOfSample.append(row);
}

void ReadingRows::squeeze()
{
    for (Set &set : sets) {
        const QVector<int> &rows = set.rowOfSample;
        set.firstRow = rows.isEmpty() ? 0 : rows.first();
        const bool consecutive = rows.isEmpty() || rows.last() - rows.first() == rows.size() - 1;
        if (consecutive)
            set.rowOfSample = QVector<int>();
        else
            set.rowOfSample.squeeze();
    }
    times.squeeze();
}

// -1 when the set has no sample in the row.
int ReadingRows::Set::sampleAt(int row) const
{
    if (rowOfSample.isEmpty()) {
        const int sample = row - firstRow;
        return sample >= 0 && sample < samples ? sample : -1;
    }
    const auto found = std::lower_bound(rowOfSample.begin(), rowOfSample.end(), row);
    return found != rowOfSample.end() && *found == row ? int(found - rowOfSample.begin()) : -1;
}

ReadingRows::Cell ReadingRows::cell(int row, int column) const
{
    Cell cell;
    const Column &where = columns.at(column);
    if (where.position < 0)
        return cell;
    const Set &set = sets.at(where.set);
    const int sample = set.sampleAt(row);
    if (sample < 0)
        return cell;
    const quint16 word = set.words.at(sample * set.stride + where.position);
    cell.tenths = qint16(ReadingWord::tenths(word));
    cell.level = quint8(where.rule.levelOf(cell.tenths));
    cell.present = true;
    cell.mark = ReadingWord::mark(word);
    cell.fahrenheit = where.fahrenheit;
    return cell;
}

const QString &ReadingRows::ValueTexts::of(const Cell &cell)
{
    QString &text = texts[cell.fahrenheit ? 1 : 0][cell.tenths + kLowest];
    if (text.isNull())
        text = CTable::valueText(cell.tenths, cell.fahrenheit);
    return text;
}
