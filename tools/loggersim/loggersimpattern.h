#pragma once

#include <QtGlobal>

// What the logger simulator holds, so that tests can tell the values that
// must arrive: reading i of its memory (oldest first), its recording start
// and its interval.
namespace LoggerSimPattern {
// Reading index of a logger with these sensor flags (SensorBits): its
// humidity readings stay within 0 to 100 %.
quint16 reading(int index, quint8 sensors = 1);
quint32 startSeconds();        // logger seconds of the first sample
// What a logger records after a new program: sample's reading of a channel
// (0 internal, 1 humidity, 2 external), temperatures within 4.0 to 23.9
// degrees, -10.0 to 19.9 on the probe, humidity within 30.0 to 79.9 %.
quint16 recorded(int sample, int channel);
constexpr quint32 kInterval = 60;
constexpr int kBlockReadings = 512;
}
