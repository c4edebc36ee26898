#pragma once

#include <QDateTime>

struct AppSettings;

// Logger time is counted in seconds since 2000-01-01 00:00:00 of the
// logger's own clock, which runs on local (or configured zone) wall time.
// The conversions therefore treat that wall time as such: no zone shift.
namespace LoggerTime {
QDateTime epoch();
QDateTime toDateTime(quint32 seconds);
quint32 fromDateTime(const QDateTime &dateTime);
// The last second the logger's clock holds: it counts seconds from 2000 in
// 32 bits, up to 2136-02-07 06:28:15. A program, a trip or a file with a
// time beyond it is no logger's.
QDateTime lastClockTime();
// The origin from which the reading times of a trip begun at start are
// laid out. A logger set by a zone chosen in the options runs on that
// zone's fixed offset, so its readings keep it through the PC's
// daylight-saving changes; one on local time follows the PC's zone.
QDateTime readingOrigin(const QDateTime &start, const AppSettings &settings);
}

// A reading word: bits 0-10 a signed value in tenths, bit 11 the mark.
namespace ReadingWord {
int tenths(quint16 word);
double value(quint16 word);
bool mark(quint16 word);
quint16 make(int tenths, bool mark = false);
}

namespace Units {
double celsiusToFahrenheit(double celsius);
// A value with that many decimals; one that rounds to zero reads "0.0",
// whichever side of zero it came from (0 °F held as -17.8 °C).
QString decimalText(double value, int decimals);
}
