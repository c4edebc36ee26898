// Downloads 65,536 readings from the logger simulator (no baud pacing) over
// a pseudo-terminal and prints the time against the bytes on the line; then
// the fixed cost of a download (one reading: the wake pause and the turns
// of the link, no line time to speak of).
//
// bench_download --fixed-only prints only the fixed cost, in seconds.

#include <cstdio>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include "bench/benchsimulator.h"
#include "core/ccomm.h"
#include "core/memorymap.h"
#include "benchhome.h"

namespace {

// One download; returns its milliseconds and the bytes read, or -1.
qint64 downloadOnce(const QString &pty, quint64 &bytes, int &readings)
{
    CComm link(0, pty);
    link.start();
    QElapsedTimer elapsed;
    elapsed.start();
    link.sendCommand(MemoryMap::Command::Wake);
    link.sendCommand(MemoryMap::Command::Download);
    LinkResult done;
    if (!BenchSimulator::waitFor(link, LinkResult::DownloadDone, 60000, &done))
        return -1;
    const qint64 ms = elapsed.elapsed();
    bytes = link.bytesRead;
    readings = done.readings.size();
    return ms;
}

bool startSimulator(QProcess &sim, int readings, QString &pty)
{
    const QStringList arguments = { QStringLiteral("--readings"), QString::number(readings),
                                    QStringLiteral("--version"), QStringLiteral("0x11A"),
                                    QStringLiteral("--no-pacing") };
    if (BenchSimulator::start(sim, arguments, pty))
        return true;
    std::fprintf(stderr, "bench_download: cannot start %s\n", qPrintable(BenchSimulator::path()));
    return false;
}

// Mean milliseconds of a download of one reading, -1 on failure.
double fixedCostMs()
{
    constexpr int kRuns = 20;
    QProcess sim;
    QString pty;
    if (!startSimulator(sim, 1, pty))
        return -1;
    qint64 total = 0;
    for (int run = 0; run < kRuns; ++run) {
        quint64 bytes = 0;
        int readings = 0;
        const qint64 ms = downloadOnce(pty, bytes, readings);
        if (ms < 0 || readings != 1) {
            total = -1;
            break;
        }
        total += ms;
    }
    sim.kill();
    sim.waitForFinished(3000);
    return total < 0 ? -1 : double(total) / kRuns;
}

}

int main(int argc, char *argv[])
{
    BenchHome home;
    QCoreApplication app(argc, argv);
    if (app.arguments().contains(QStringLiteral("--fixed-only"))) {
        const double ms = fixedCostMs();
        if (ms < 0)
            return 1;
        std::printf("%.6f\n", ms / 1e3);
        return 0;
    }
    QProcess sim;
    QString pty;
    if (!startSimulator(sim, 65536, pty))
        return 1;
    constexpr int kRuns = 5;
    std::printf("download of 65536 readings from the simulator (no pacing)\n");
    qint64 total = 0;
    for (int run = 0; run < kRuns; ++run) {
        quint64 bytes = 0;
        int readings = 0;
        const qint64 ms = downloadOnce(pty, bytes, readings);
        if (ms < 0 || readings != 65536) {
            std::fprintf(stderr, "bench_download: download failed\n");
            sim.kill();
            return 1;
        }
        total += ms;
        std::printf("run %d: %lld ms, %llu bytes on the line, %.1f MB/s; at 115200 baud the "
                    "line alone takes %.1f s\n",
                    run + 1, static_cast<long long>(ms), static_cast<unsigned long long>(bytes),
                    ms > 0 ? double(bytes) / 1e3 / double(ms) : 0.0, double(bytes) * 10.0 / 115200.0);
    }
    std::printf("mean: %.1f ms per download\n", double(total) / kRuns);
    sim.kill();
    sim.waitForFinished(3000);
    const double fixed = fixedCostMs();
    if (fixed < 0) {
        std::fprintf(stderr, "bench_download: download of one reading failed\n");
        return 1;
    }
    std::printf("fixed cost: %.1f ms per download (one reading)\n", fixed);
    return 0;
}
