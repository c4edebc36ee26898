// Downloads 65,536 readings from the logger simulator (no baud pacing) over
// a pseudo-terminal and prints the time against the bytes on the line; then
// the fixed cost of a download (one reading: the wake pause and the turns
// of the link, no line time to speak of).
//
// bench_download --fixed-only prints only the fixed cost, in seconds.

#include <algorithm>
#include <cstdio>
#include <numeric>

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
double downloadOnce(const QString &pty, quint64 &bytes, int &readings)
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
    const double ms = double(elapsed.nsecsElapsed()) / 1e6;
    bytes = link.bytesRead;
    readings = done.readings.size();
    return ms;
}

// Milliseconds of runs downloads of readings readings from a fresh
// simulator, empty on failure; each run printed when printRuns is set.
QVector<double> downloadTimes(int readings, int runs, bool printRuns)
{
    QProcess sim;
    QString pty;
    const QStringList arguments = { QStringLiteral("--readings"), QString::number(readings),
                                    QStringLiteral("--version"), QStringLiteral("0x11A"),
                                    QStringLiteral("--no-pacing") };
    if (!BenchSimulator::start(sim, arguments, pty)) {
        std::fprintf(stderr, "bench_download: cannot start %s\n", qPrintable(BenchSimulator::path()));
        return {};
    }
    QVector<double> times;
    for (int run = 0; run < runs; ++run) {
        quint64 bytes = 0;
        int received = 0;
        const double ms = downloadOnce(pty, bytes, received);
        if (ms < 0 || received != readings) {
            std::fprintf(stderr, "bench_download: download of %d readings failed\n", readings);
            times.clear();
            break;
        }
        times << ms;
        if (printRuns)
            std::printf("run %d: %.1f ms, %llu bytes on the line, %.1f MB/s; at 115200 baud the "
                        "line alone takes %.1f s\n",
                        run + 1, ms, static_cast<unsigned long long>(bytes),
                        ms > 0 ? double(bytes) / 1e3 / ms : 0.0, double(bytes) * 10.0 / 115200.0);
    }
    sim.kill();
    sim.waitForFinished(3000);
    return times;
}

// One reading: the wake pause and the turns of the link, no line time to
// speak of. The median of 21 downloads, so that a few delayed by other
// work on the machine do not count; -1 on failure.
double fixedCostMs()
{
    QVector<double> times = downloadTimes(1, 21, false);
    if (times.isEmpty())
        return -1;
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
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
    std::printf("download of 65536 readings from the simulator (no pacing)\n");
    const QVector<double> times = downloadTimes(65536, 5, true);
    if (times.isEmpty())
        return 1;
    std::printf("mean: %.1f ms per download\n", std::accumulate(times.begin(), times.end(), 0.0) / times.size());
    const double fixed = fixedCostMs();
    if (fixed < 0)
        return 1;
    std::printf("fixed cost: %.1f ms per download (one reading, median)\n", fixed);
    return 0;
}
