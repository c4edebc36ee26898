#pragma once

#include <QtGlobal>

// What the logger simulator holds, so that tests can tell the values that
// must arrive: reading i of its memory (oldest first), its recording start
// and its interval.
namespace LoggerSimPattern {
quint16 reading(int index);
quint32 startSeconds();        // logger seconds of the first sample
constexpr quint32 kInterval = 60;
constexpr int kBlockReadings = 512;
}
