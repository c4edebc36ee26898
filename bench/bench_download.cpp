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

// Mean milliseconds of runs downloads of readings readings from a fresh
// simulator, -1 on failure; each run printed when printRuns is set.
double meanDownloadMs(int readings, int runs, bool printRuns)
{
    QProcess sim;
    QString pty;
    const QStringList arguments = { QStringLiteral("--readings"), QString::number(readings),
                                    QStringLiteral("--version"), QStringLiteral("0x11A"),
                                    QStringLiteral("--no-pacing") };
    if (!BenchSimulator::start(sim, arguments, pty)) {
        std::fprintf(stderr, "bench_download: cannot start %s\n", qPrintable(BenchSimulator::path()));
        return -1;
    }
    qint64 total = 0;
    for (int run = 0; run < runs && total >= 0; ++run) {
        quint64 bytes = 0;
        int received = 0;
        const qint64 ms = downloadOnce(pty, bytes, received);
        if (ms < 0 || received != readings) {
            std::fprintf(stderr, "bench_download: download of %d readings failed\n", readings);
            total = -1;
        } else {
            total += ms;
        }
        if (printRuns && total >= 0)
            std::printf("run %d: %lld ms, %llu bytes on the line, %.1f MB/s; at 115200 baud the "
                        "line alone takes %.1f s\n",
                        run + 1, static_cast<long long>(ms), static_cast<unsigned long long>(bytes),
                        ms > 0 ? double(bytes) / 1e3 / double(ms) : 0.0, double(bytes) * 10.0 / 115200.0);
    }
    sim.kill();
    sim.waitForFinished(3000);
    return total < 0 ? -1 : double(total) / runs;
}

// One reading: the wake pause and the turns of the link, no line time to
// speak of.
double fixedCostMs()
{
    return meanDownloadMs(1, 20, false);
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
    const double mean = meanDownloadMs(65536, 5, true);
    if (mean < 0)
        return 1;
    std::printf("mean: %.1f ms per download\n", mean);
    const double fixed = fixedCostMs();
    if (fixed < 0)
        return 1;
    std::printf("fixed cost: %.1f ms per download (one reading)\n", fixed);
    return 0;
}
