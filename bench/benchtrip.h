#pragma once

#include <cmath>
#include <QDateTime>
#include <QString>

#include "core/loggerrecord.h"
#include "core/loggertime.h"

// The trip the benchmarks measure on, of one channel or three: its
// channels wander across every alarm level, with a few marks.
inline LoggerRecord benchTrip(const QString &serial, int channels, int readings, const QDateTime &start)
{
    LoggerRecord record;
    record.serialNumber = serial;
    record.productCode = QStringLiteral("QV-2T");
    record.versionWord = 0x11A;
    record.sensorFlags = channels == 1 ? SensorBits::InternalNtc
                                       : SensorBits::DigitalTempHum | SensorBits::ExternalProbe;
    record.configWord = ConfigBits::InternalOn | ConfigBits::IntHH | ConfigBits::IntH | ConfigBits::IntL
                        | ConfigBits::IntLL;
    if (channels == 3)
        record.configWord |= ConfigBits::HumidityOn | ConfigBits::ExternalOn | ConfigBits::HumH
                             | ConfigBits::ExtL;
    record.updateChannels();
    for (int group = 0; group < 3; ++group) {
        record.alarmThresholds[group][LevelHH] = 30;
        record.alarmThresholds[group][LevelH] = 25;
        record.alarmThresholds[group][LevelL] = 5;
        record.alarmThresholds[group][LevelLL] = 0;
    }
    record.readings.resize(readings);
    for (int i = 0; i < readings; ++i) {
        const int tenths = int(150 + 200 * std::sin(i / 700.0) + (i * 7919 % 23) - 11);
        record.readings[i] = ReadingWord::make(tenths, i % 5000 == 17);
    }
    record.readingCount = readings;
    record.recordedCount = quint32(readings);
    record.startTime = start;
    record.interval = 60;
    record.rangeLow = -40;
    record.rangeHigh = 85;
    // the memory of the loggers of 64k readings: a data file of more
    // readings than its logger holds does not open
    record.memorySize = quint32(kMaxReadings) * 2;
    record.dataLoaded = true;
    return record;
}
