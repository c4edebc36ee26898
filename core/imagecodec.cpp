#include "core/imagecodec.h"

#include <cmath>

#include "core/byteorder.h"
#include "core/loggerrecord.h"
#include "core/loggertime.h"
#include "core/memorymap.h"

using namespace MemoryMap;

namespace {

const int kThresholdOffsets[3] = { ThresholdsInternal, ThresholdsExternal, ThresholdsHumidity };

double hundredths(const QByteArray &image, int offset)
{
    return qint16(ByteOrder::getBE16(image, offset)) / 100.0;
}

// Clamped before rounding: a huge value would not fit the rounding, and a
// value that is not a number is stored as 0.
void putHundredths(QByteArray &image, int offset, double value)
{
    const double scaled = std::isfinite(value) ? qBound(-32768.0, value * 100.0, 32767.0) : 0.0;
    ByteOrder::putBE16(image, offset, quint16(qint16(qRound(scaled))));
}

QDateTime loggerDateTime(quint32 seconds)
{
    return seconds ? LoggerTime::toDateTime(seconds) : QDateTime();
}

quint8 decodeSensorFlags(const QByteArray &image, quint16 version)
{
    if (version <= LastInternalOnlyVersion)
        return SensorBits::InternalNtc;
    const quint8 flags = quint8(image.at(SensorFlags));
    return (flags & 0xF8) ? SensorBits::InternalNtc : flags;
}

}

namespace ImageCodec {

bool usesLayout2(quint16 versionWord)
{
    return versionWord > LastLayout1Version;
}

void swapLayout2Fields(QByteArray &image)
{
    for (int offset : kSwap16)
        ByteOrder::swap16(image, offset);
    for (int offset : kSwap32)
        ByteOrder::swap32(image, offset);
}

QString textField(const QByteArray &image, int offset, int length)
{
    QByteArray bytes = image.mid(offset, length);
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    return QString::fromLatin1(bytes).trimmed();
}

void putTextField(QByteArray &image, int offset, int length, const QString &text)
{
    const QByteArray bytes = text.toLatin1().left(length);
    for (int i = 0; i < length && offset + i < image.size(); ++i)
        image[offset + i] = i < bytes.size() ? bytes.at(i) : '\0';
}

void decode(const QByteArray &source, LoggerRecord &r)
{
    QByteArray image = source.left(ImageSize);
    if (image.size() < ImageSize)
        image.append(QByteArray(ImageSize - image.size(), '\0'));
    r.imageRead = image;

    r.versionWord = ByteOrder::getBE16(image, Version);
    if (usesLayout2(r.versionWord))
        swapLayout2Fields(image);   // from here on every field reads big-endian

    r.modelWord = ByteOrder::getBE16(image, Model);
    r.configWord = ByteOrder::getBE32(image, Config);
    const quint32 password = ByteOrder::getBE32(image, Password);
    r.passwordWord = (password & PasswordBits::MarkerMask) == PasswordBits::Marker ? password : 0;
    r.interval = ByteOrder::getBE32(image, Interval);
    r.startAt = loggerDateTime(ByteOrder::getBE32(image, StartAt));
    r.stopAt = loggerDateTime(ByteOrder::getBE32(image, StopAt));
    r.startDelay = ByteOrder::getBE32(image, StartDelay);
    r.stopReadingCount = qint32(ByteOrder::getBE32(image, StopReadingCount));
    r.memorySize = ByteOrder::getBE32(image, MemorySize);
    r.tripNumber = ByteOrder::getBE16(image, Trip);
    r.maxTrip = ByteOrder::getBE16(image, MaxTrip);
    r.recordedCount = ByteOrder::getBE32(image, RecordedCount);
    r.alarmStatus = ByteOrder::getBE32(image, AlarmStatus);
    for (int g = 0; g < 3; ++g) {
        for (int level = 0; level < 4; ++level)
            r.alarmThresholds[g][level] = hundredths(image, kThresholdOffsets[g] + 2 * level);
        r.consecutiveDelay[g] = ByteOrder::getBE16(image, ConsecutiveDelays + 2 * g);
        r.totalDelay[g] = ByteOrder::getBE16(image, TotalDelays + 2 * g);
        r.lowestValue[g] = float(hundredths(image, LowestValues + 2 * g));
        r.highestValue[g] = float(hundredths(image, HighestValues + 2 * g));
    }
    r.rangeLow = qint8(image.at(RangeLow));
    r.rangeHigh = qint8(image.at(RangeHigh));
    r.battery = quint8(image.at(Battery));
    r.unitProgrammed = quint8(image.at(UnitProgrammed));
    r.timeZoneProgrammed = qint8(image.at(TimeZoneProgrammed));
    r.hasHeader = quint8(image.at(MemoryFlags)) & MemoryHasHeader;
    r.productCode = textField(image, ProductCode, ProductCodeLength);
    r.description = textField(image, Description, DescriptionLength);
    r.serialNumber = textField(image, SerialNumber, SerialNumberLength);
    r.comment = textField(image, Comment, CommentLength);
    r.configuredBy = textField(image, ConfiguredBy, ConfiguredByLength);
    r.sensorFlags = decodeSensorFlags(image, r.versionWord);
    r.updateChannels();
    // the image holds no duration: the trip lasts what its count takes
    r.duration = r.durationOf(r.stopReadingCount);
}

QByteArray encode(const LoggerRecord &r, const QByteArray &base)
{
    QByteArray image = base.left(ImageSize);
    if (image.size() < ImageSize)
        image.append(QByteArray(ImageSize - image.size(), '\0'));
    // Work on big-endian fields, whatever layout base is in.
    const bool layout2 = usesLayout2(r.versionWord);
    if (usesLayout2(ByteOrder::getBE16(image, Version)))
        swapLayout2Fields(image);

    ByteOrder::putBE16(image, Version, r.versionWord);
    ByteOrder::putBE16(image, Model, r.modelWord);
    ByteOrder::putBE32(image, Config, r.configWord);
    ByteOrder::putBE32(image, Password, r.passwordWord);
    ByteOrder::putBE32(image, Interval, r.interval);
    ByteOrder::putBE32(image, StartAt, LoggerTime::fromDateTime(r.startAt));
    ByteOrder::putBE32(image, StopAt, LoggerTime::fromDateTime(r.stopAt));
    ByteOrder::putBE32(image, StartDelay, r.startDelay);
    ByteOrder::putBE32(image, StopReadingCount, quint32(r.stopReadingCount));
    ByteOrder::putBE32(image, MemorySize, r.memorySize);
    ByteOrder::putBE16(image, Trip, quint16(r.tripNumber));
    ByteOrder::putBE16(image, MaxTrip, quint16(r.maxTrip));
    ByteOrder::putBE32(image, RecordedCount, r.recordedCount);
    ByteOrder::putBE32(image, AlarmStatus, r.alarmStatus);
    for (int g = 0; g < 3; ++g) {
        for (int level = 0; level < 4; ++level)
            putHundredths(image, kThresholdOffsets[g] + 2 * level, r.alarmThresholds[g][level]);
        ByteOrder::putBE16(image, ConsecutiveDelays + 2 * g, r.consecutiveDelay[g]);
        ByteOrder::putBE16(image, TotalDelays + 2 * g, r.totalDelay[g]);
        putHundredths(image, LowestValues + 2 * g, r.lowestValue[g]);
        putHundredths(image, HighestValues + 2 * g, r.highestValue[g]);
    }
    image[RangeLow] = char(qint8(r.rangeLow));
    image[RangeHigh] = char(qint8(r.rangeHigh));
    image[Battery] = char(quint8(r.battery));
    image[UnitProgrammed] = char(quint8(r.unitProgrammed));
    image[TimeZoneProgrammed] = char(qint8(r.timeZoneProgrammed));
    image[MemoryFlags] = char(r.hasHeader ? MemoryHasHeader : 0);
    putTextField(image, ProductCode, ProductCodeLength, r.productCode);
    putTextField(image, Description, DescriptionLength, r.description);
    putTextField(image, SerialNumber, SerialNumberLength, r.serialNumber);
    putTextField(image, Comment, CommentLength, r.comment);
    putTextField(image, ConfiguredBy, ConfiguredByLength, r.configuredBy);
    if (r.versionWord > LastInternalOnlyVersion)
        image[SensorFlags] = char(r.sensorFlags);

    if (layout2)
        swapLayout2Fields(image);
    return image;
}

}
