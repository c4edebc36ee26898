#include "programming/calibrationtable.h"

#include <QVector>

#include "core/byteorder.h"
#include "core/memorymap.h"

namespace CalibrationTable {

namespace {
constexpr int kRangeLow = 0;
constexpr int kRangeHigh = 1;
constexpr int kLowRange = 2;
constexpr int kLowDivision = 4;
constexpr int kPoints = 6;
constexpr int kCheck = Size - 2;
}

bool holdsSensorFlags(int address, quint16 versionWord)
{
    return address == MemoryMap::ExternalTable && versionWord > MemoryMap::LastInternalOnlyVersion;
}

bool overwritesSensorFlags(const QByteArray &table, int address, const QByteArray &loggerImage,
                           quint16 versionWord)
{
    return holdsSensorFlags(address, versionWord) && table.size() > SensorFlagsByte
           && loggerImage.size() > MemoryMap::SensorFlags
           && table.at(SensorFlagsByte) != loggerImage.at(MemoryMap::SensorFlags);
}

quint16 storedCheck(const QByteArray &table)
{
    return ByteOrder::getBE16(table, kCheck);
}

quint16 computedCheck(const QByteArray &table)
{
    quint16 sum = 0;
    for (int i = 0; i < kCheck && i < table.size(); ++i)
        sum = quint16(sum + quint8(table.at(i)));
    return sum;
}

bool isValid(const QByteArray &table)
{
    return table.size() == Size && storedCheck(table) == computedCheck(table);
}

QStringList listing(const QByteArray &table, bool withSensorFlags)
{
    QStringList lines;
    if (table.size() < Size)
        return lines;
    lines << QStringLiteral("Range %1/%2").arg(qint8(table.at(kRangeLow))).arg(qint8(table.at(kRangeHigh)));
    lines << QStringLiteral("LowRange %1").arg(qint16(ByteOrder::getBE16(table, kLowRange)));
    lines << QStringLiteral("LowDiv   %1").arg(qint16(ByteOrder::getBE16(table, kLowDivision)));
    for (int i = 0; i < PointCount; ++i) {
        if (withSensorFlags && i == SensorFlagsPoint)
            lines << QString::asprintf("Sensor flags %02X", unsigned(quint8(table.at(SensorFlagsByte))));
        else
            lines << QString::asprintf("%3d : %6d", i, int(qint16(ByteOrder::getBE16(table, kPoints + 2 * i))));
    }
    QString check = QString::asprintf("Check:  %04X", unsigned(computedCheck(table)));
    if (storedCheck(table) != computedCheck(table))
        check += QString::asprintf(" (stored %04X)", unsigned(storedCheck(table)));
    lines << check;
    return lines;
}

QByteArray make(int rangeLow, int rangeHigh, int lowRange, int lowDivision,
                const QVector<qint16> &points)
{
    QByteArray table(Size, '\0');
    table[kRangeLow] = char(qint8(rangeLow));
    table[kRangeHigh] = char(qint8(rangeHigh));
    ByteOrder::putBE16(table, kLowRange, quint16(qint16(lowRange)));
    ByteOrder::putBE16(table, kLowDivision, quint16(qint16(lowDivision)));
    for (int i = 0; i < PointCount && i < points.size(); ++i)
        ByteOrder::putBE16(table, kPoints + 2 * i, quint16(points.at(i)));
    ByteOrder::putBE16(table, kCheck, computedCheck(table));
    return table;
}

}
