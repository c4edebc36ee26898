#include "core/tripcontinuity.h"

#include <algorithm>
#include <vector>

#include "core/loggerrecord.h"

namespace TripContinuity {

namespace {

bool sameLimits(const LoggerRecord &a, const LoggerRecord &b)
{
    for (int g = 0; g < 3; ++g) {
        if (a.consecutiveDelay[g] != b.consecutiveDelay[g] || a.totalDelay[g] != b.totalDelay[g])
            return false;
        if (!std::equal(std::begin(a.alarmThresholds[g]), std::end(a.alarmThresholds[g]),
                        std::begin(b.alarmThresholds[g])))
            return false;
    }
    return true;
}

// Lengths of every suffix of earlier that is also a prefix of later,
// longest first, found as the borders of later + separator + earlier (the
// prefix function): one pass over both, whatever the readings repeat.
std::vector<int> overlapsOf(const QVector<quint16> &earlier, const QVector<quint16> &later)
{
    std::vector<int> text;
    text.reserve(size_t(later.size() + 1 + earlier.size()));
    text.insert(text.end(), later.cbegin(), later.cend());
    text.push_back(-1);   // no reading: no overlap runs across it
    text.insert(text.end(), earlier.cbegin(), earlier.cend());
    std::vector<int> border(text.size(), 0);
    for (size_t i = 1; i < text.size(); ++i) {
        int k = border[i - 1];
        while (k > 0 && text[i] != text[size_t(k)])
            k = border[size_t(k - 1)];
        border[i] = text[i] == text[size_t(k)] ? k + 1 : 0;
    }
    std::vector<int> lengths;
    for (int k = border.back(); k > 0; k = border[size_t(k - 1)])
        lengths.push_back(k);
    return lengths;
}

}

bool sameProgram(const LoggerRecord &a, const LoggerRecord &b)
{
    return a.versionWord == b.versionWord && a.serialNumber == b.serialNumber
           && a.configWord == b.configWord && a.passwordWord == b.passwordWord
           && a.sensorFlags == b.sensorFlags && a.interval == b.interval && a.startAt == b.startAt
           && a.stopAt == b.stopAt && a.startDelay == b.startDelay
           && a.stopReadingCount == b.stopReadingCount && a.tripNumber == b.tripNumber
           && a.maxTrip == b.maxTrip && a.description == b.description
           && a.productCode == b.productCode && a.configuredBy == b.configuredBy
           && a.unitProgrammed == b.unitProgrammed && a.timeZoneProgrammed == b.timeZoneProgrammed
           && sameLimits(a, b);
}

bool readingsGoOn(const QVector<quint16> &earlier, const QVector<quint16> &later, int channels,
                  bool roundTheMemory)
{
    if (earlier.isEmpty())
        return false;
    if (!roundTheMemory)
        return later.size() >= earlier.size() && std::equal(earlier.cbegin(), earlier.cend(), later.cbegin());
    const int sample = qMax(1, channels);
    for (int overlap : overlapsOf(earlier, later))
        if (overlap >= sample && (earlier.size() - overlap) % sample == 0)
            return true;
    return false;
}

bool sameTrip(const LoggerRecord &earlier, const LoggerRecord &laterProgram,
              const QVector<quint16> &laterReadings)
{
    if (!sameProgram(earlier, laterProgram))
        return false;
    // a trip that had not begun yet goes on in whatever its logger recorded since
    const QVector<quint16> before = earlier.readings.mid(0, earlier.readingCount);
    if (before.isEmpty())
        return true;
    return readingsGoOn(before, laterReadings, earlier.channelCount,
                        earlier.configWord & ConfigBits::Continuous);
}

}
