#pragma once

#include <QByteArray>
#include <QStringList>
#include <QVector>

// A sensor's calibration table as the logger holds it (256 bytes at 0x100
// for the internal sensor, 0x200 for the external probe): range low and
// high, low range, low division, 124 points, and a 16-bit sum of the bytes
// before it.
namespace CalibrationTable {

constexpr int Size = 256;
constexpr int PointCount = 124;

quint16 storedCheck(const QByteArray &table);
quint16 computedCheck(const QByteArray &table);
// 256 bytes whose stored sum matches its bytes.
bool isValid(const QByteArray &table);
// The lines of the production page's listing.
QStringList listing(const QByteArray &table);
// A table with these values and its sum.
QByteArray make(int rangeLow, int rangeHigh, int lowRange, int lowDivision,
                const QVector<qint16> &points);

}
