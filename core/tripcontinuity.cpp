#include "core/tripcontinuity.h"

#include <algorithm>
#include <vector>

#include "core/loggerrecord.h"
#include "core/loggertime.h"

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

// How far a start may lie from where a clock set's measured move puts it:
// the clock is read just before it is set and may tick meanwhile. Never
// half an interval, which would name another sample.
constexpr qint64 kClockSetSlack = 30;

qint64 clockSetSlack(qint64 interval)
{
    return qMin(kClockSetSlack, (interval - 1) / 2);
}

// A continuous trip that filled the memory may have gone round it to the
// very place it began, which its download cannot tell from a memory just
// full.
bool mayHaveGoneRound(const LoggerRecord &program, int readings)
{
    const int channels = qMax(1, program.channelCount);
    const int capacity = int(qMin<quint32>(program.memoryReadings(), quint32(kMaxReadings))) / channels * channels;
    return (program.configWord & ConfigBits::Continuous) && capacity > 0 && readings >= capacity;
}

}

void ClockSets::sent()
{
    any = true;
    ++unmeasured;
}

// A set that came back measured is measured; one that did not stays
// unmeasured, and a reply no set was counted for makes one.
void ClockSets::cameBack(std::optional<qint64> move)
{
    any = true;
    if (!move) {
        unmeasured = qMax(1, unmeasured);
        return;
    }
    unmeasured = qMax(0, unmeasured - 1);
    moved += *move;
}

ClockSets ClockSets::operator+(const ClockSets &later) const
{
    ClockSets both;
    both.any = any || later.any;
    both.unmeasured = unmeasured + later.unmeasured;
    both.moved = moved + later.moved;
    return both;
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

int readingsBefore(const QVector<quint16> &earlier, const QVector<quint16> &later, int channels,
                   bool roundTheMemory)
{
    if (earlier.isEmpty())
        return -1;
    if (!roundTheMemory)
        return later.size() >= earlier.size() && std::equal(earlier.cbegin(), earlier.cend(), later.cbegin())
                   ? 0
                   : -1;
    const int sample = qMax(1, channels);
    int ahead = -1;
    for (int overlap : overlapsOf(earlier, later)) {
        if (overlap < sample)
            break;   // longest first: no shorter one is a sample
        if ((earlier.size() - overlap) % sample != 0)
            continue;
        if (ahead >= 0)
            return -1;
        ahead = earlier.size() - overlap;
    }
    return ahead;
}

int readingsBefore(const LoggerRecord &earlier, const LoggerRecord &laterProgram, const Download &later)
{
    if (!sameProgram(earlier, laterProgram))
        return -1;
    // a trip that had not begun yet goes on in whatever its logger recorded since
    const QVector<quint16> before = earlier.readings.mid(0, earlier.readingCount);
    if (before.isEmpty())
        return 0;
    if (!later.clock.known())
        return -1;
    const int channels = qMax(1, earlier.channelCount);
    const bool round = later.wentRound || mayHaveGoneRound(laterProgram, later.readings.size());
    const qint64 interval = qMax<quint32>(1, earlier.interval);
    // how far the download's start lies from the trip's
    const qint64 moved = qint64(later.start) - qint64(LoggerTime::fromDateTime(earlier.startTime));
    if (later.clock.any) {
        const int ahead = readingsBefore(before, later.readings, channels, round);
        if (ahead < 0)
            return -1;
        const qint64 dropped = ahead / channels * interval;
        // a trip that ended keeps its start; one that records moves it with the clock
        const bool stayed = moved == dropped;
        const bool movedWithTheClock = qAbs(moved - later.clock.moved - dropped) <= clockSetSlack(interval);
        return stayed || movedWithTheClock ? ahead : -1;
    }
    if (moved < 0 || moved % interval != 0)
        return -1;
    const qint64 dropped = moved / interval * channels;
    // a memory that did not go round keeps its first reading; one that went
    // round past every reading downloaded before leaves nothing to go on
    if ((dropped > 0 && !round) || dropped >= before.size())
        return -1;
    const int ahead = int(dropped);
    if (later.readings.size() < before.size() - ahead
        || !std::equal(before.cbegin() + ahead, before.cend(), later.readings.cbegin()))
        return -1;
    return ahead;
}

}
