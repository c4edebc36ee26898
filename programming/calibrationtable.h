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

// The logger's sensor flags share the external table's block: from
// firmware 0x115 on, its byte 0x85 (image byte 645, the low byte of point
// 63) is the flags, not a point.
constexpr int SensorFlagsByte = 0x85;
constexpr int SensorFlagsPoint = 63;
bool holdsSensorFlags(int address, quint16 versionWord);
// Written at address of a logger whose image is loggerImage, the table
// would change its sensor flags.
bool overwritesSensorFlags(const QByteArray &table, int address, const QByteArray &loggerImage,
                           quint16 versionWord);

quint16 storedCheck(const QByteArray &table);
quint16 computedCheck(const QByteArray &table);
// 256 bytes whose stored sum matches its bytes.
bool isValid(const QByteArray &table);
// The lines of the production page's listing: the check is the one of the
// bytes listed, and the stored one beside it when it differs.
QStringList listing(const QByteArray &table, bool withSensorFlags = false);
// A table with these values and its sum.
QByteArray make(int rangeLow, int rangeHigh, int lowRange, int lowDivision,
                const QVector<qint16> &points);

}
