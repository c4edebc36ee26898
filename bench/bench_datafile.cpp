// Saves and loads a data file of 65,536 readings and prints the time per
// operation.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "core/imagecodec.h"
#include "core/loggertime.h"
#include "core/memorymap.h"
#include "files/cfilemanager.h"
#include "benchhome.h"

namespace {

LoggerRecord fullRecord()
{
    LoggerRecord r;
    r.versionWord = 0x11A;
    r.serialNumber = "BENCH0001";
    r.sensorFlags = SensorBits::DigitalTempHum | SensorBits::ExternalProbe;
    r.configWord = ConfigBits::InternalOn | ConfigBits::HumidityOn | ConfigBits::ExternalOn;
    r.interval = 30;
    r.memorySize = quint32(kMaxReadings) * 2;
    r.rangeLow = -40;
    r.rangeHigh = 85;
    r.imageRead = ImageCodec::encode(r, QByteArray(MemoryMap::ImageSize, '\0'));
    r.readings.resize(kMaxReadings);
    for (int i = 0; i < kMaxReadings; ++i)
        r.readings[i] = ReadingWord::make(i % 1500 - 300);
    r.readingCount = kMaxReadings;
    r.startTime = QDateTime(QDate(2026, 1, 1), QTime(0, 0));
    return r;
}

void BM_SaveDataFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const LoggerRecord record = fullRecord();
    const QString path = dir.filePath("bench.qlf");
    for (auto _ : state)
        benchmark::DoNotOptimize(CFileManager::writeDataFile(path, record, true));
    state.SetItemsProcessed(state.iterations() * kMaxReadings);
}

void BM_LoadDataFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.qlf");
    CFileManager::writeDataFile(path, fullRecord(), true);
    for (auto _ : state) {
        LoggerRecord loaded;
        QString error;
        benchmark::DoNotOptimize(CFileManager::readDataFile(path, loaded, true, &error));
    }
    state.SetItemsProcessed(state.iterations() * kMaxReadings);
}

}

BENCHMARK(BM_SaveDataFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDataFile)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    BenchHome home;
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
