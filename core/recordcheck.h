#pragma once

#include <QDateTime>
#include <QString>

struct LoggerRecord;

// Plain checks that a foreign or damaged file fails before its header is
// taken for a trip: drive files and data files alike.
namespace RecordCheck {

// The reason a header describing `readings` readings, the first taken at
// firstReading, cannot be a logger's own; "" when it may be. An invalid
// firstReading (a logger started without a start time) is not checked.
QString implausibleHeader(const LoggerRecord &record, qint64 readings, const QDateTime &firstReading);

// The reason a data file's own version word and that of the memory image it
// carries cannot be a logger's; "" when they may be.
QString implausibleVersion(quint16 fileVersion, quint16 imageVersion);

// The reason the measuring range of the header cannot be a logger's.
QString implausibleRange(const LoggerRecord &record);

// The reason readings cannot be shown: no channel of the record's sensors
// is on, so they would belong to none.
QString implausibleChannels(const LoggerRecord &record, qint64 readings);

// The version, header and range checks, in the order a reader meets them:
// the reason a trip read from a file (a data file, or a drive logger's,
// whose one version word stands for both) cannot be a logger's; "" when it
// may be.
QString implausibleTrip(const LoggerRecord &record, quint16 fileVersion, qint64 readings,
                        const QDateTime &firstReading);

}
