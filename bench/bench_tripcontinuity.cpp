// Tells whether a download of 65,536 readings goes on with the trip a row
// holds, as each download does before its readings are kept: by the
// readings alone, as after a clock set, the same trip with more readings,
// the same trip gone round the memory, a trip begun afresh, and readings
// that repeat all but their last (the longest search); and as a download
// mostly tells it, by its start, a trip gone round the memory.
#include <benchmark/benchmark.h>

#include "core/loggerrecord.h"
#include "core/loggertime.h"
#include "core/tripcontinuity.h"

namespace {

constexpr int kChannels = 3;

// Readings that repeat no run of theirs elsewhere, so that the place a
// memory gone round goes on at is told by them.
QVector<quint16> pattern(int first, int count)
{
    QVector<quint16> readings(count);
    for (int i = 0; i < count; ++i)
        readings[i] = ReadingWord::make(int((quint32(first + i) * 2654435761u) >> 21) - 1024);
    return readings;
}

void run(benchmark::State &state, const QVector<quint16> &earlier, const QVector<quint16> &later,
         bool roundTheMemory)
{
    int ahead = -1;
    for (auto _ : state)
        benchmark::DoNotOptimize(ahead = TripContinuity::readingsBefore(earlier, later, kChannels, roundTheMemory));
    state.counters["goes_on"] = ahead >= 0;
}

void BM_SameTripMoreReadings(benchmark::State &state)
{
    run(state, pattern(0, kMaxReadings - 3000), pattern(0, kMaxReadings), false);
}

void BM_SameTripRoundTheMemory(benchmark::State &state)
{
    run(state, pattern(0, kMaxReadings), pattern(kMaxReadings / 2 / kChannels * kChannels, kMaxReadings), true);
}

void BM_TripBegunAfresh(benchmark::State &state)
{
    run(state, pattern(0, kMaxReadings), pattern(5, kMaxReadings), true);
}

void BM_RepeatedReadings(benchmark::State &state)
{
    QVector<quint16> earlier(kMaxReadings, ReadingWord::make(40));
    earlier.last() = ReadingWord::make(41);
    run(state, earlier, QVector<quint16>(kMaxReadings, ReadingWord::make(40)), true);
}

void BM_SameTripToldByItsStart(benchmark::State &state)
{
    LoggerRecord trip;
    trip.configWord = ConfigBits::InternalOn | ConfigBits::HumidityOn | ConfigBits::ExternalOn
                      | ConfigBits::Continuous;
    trip.sensorFlags = SensorBits::DigitalTempHum | SensorBits::ExternalProbe;
    trip.updateChannels();
    trip.interval = 60;
    trip.memorySize = quint32(kMaxReadings) * 2;
    trip.readings = pattern(0, kMaxReadings);
    trip.readingCount = kMaxReadings;
    trip.startTime = LoggerTime::toDateTime(0);
    const int dropped = kMaxReadings / 2 / kChannels * kChannels;
    const TripContinuity::Download later{ pattern(dropped, kMaxReadings), quint32(dropped / kChannels * 60), true, {} };
    int ahead = -1;
    for (auto _ : state)
        benchmark::DoNotOptimize(ahead = TripContinuity::readingsBefore(trip, trip, later));
    state.counters["goes_on"] = ahead >= 0;
}

}

BENCHMARK(BM_SameTripMoreReadings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SameTripRoundTheMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TripBegunAfresh)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepeatedReadings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SameTripToldByItsStart)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
