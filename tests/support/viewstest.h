#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QRectF>
#include <QVector>

#include "core/loggerrecord.h"

// Data sets for the table and graph tests.
namespace ViewsTest {
// Reading words of values in tenths.
QVector<quint16> words(const QVector<int> &tenths);
// A downloaded set: its channels from sensors and config, readings
// interleaved internal, humidity, external as the record stores them.
LoggerRecord downloadedSet(const QString &serial, quint8 sensors, quint32 config,
                           const QVector<quint16> &readings, quint32 interval,
                           const QDateTime &start);
// A set of the internal sensor alone, opened from a file: a reading a
// minute from 1 March 2026, 10:00, unless told otherwise.
LoggerRecord openedSet(const QString &serial, const QVector<int> &tenths, quint32 interval = 60,
                       const QDateTime &start = QDateTime(QDate(2026, 3, 1), QTime(10, 0)));
// The four alarm limits of a channel, HH, H, L, LL.
void setLimits(LoggerRecord &record, ViewChannel channel, double hh, double h, double l, double ll);
// The words of a PDF with their boxes in points, as pdftotext finds them:
// of every page, or of the one page counted from 1.
QList<QPair<QString, QRectF>> pdfWords(const QString &pdf, int page = 0);
// The same words in the order they were drawn: each text drawn gives its
// words one after another, wherever it overlaps another.
QList<QPair<QString, QRectF>> pdfWordsAsDrawn(const QString &pdf, int page = 0);

// Each channel's lowest and highest reading, internal, humidity, external,
// as the readings hold them (0 and 0 for a channel not recorded), and as
// the record keeps them from the logger's image.
QList<float> readingExtremes(const LoggerRecord &record);
QList<float> keptExtremes(const LoggerRecord &record);
}
