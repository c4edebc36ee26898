// A full reprogramming (every byte of the configuration block changed)
// through the logger simulator paced at 115,200 baud, as the program
// action sends it: wake, sixteen write frames each confirmed by its echo,
// commit, end (the logger sends its image back) and the clock. Reports the
// bytes on the line both ways and the time against the wire time of those
// bytes (10 bits a byte).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include "bench/benchsimulator.h"
#include "core/ccomm.h"
#include "core/memorymap.h"
#include "programming/programimage.h"

namespace {

constexpr double kBitsPerByte = 10.0;
constexpr double kBaud = 115200.0;
constexpr int kReplyWaitMs = 20000;

void BM_FullReprogramming(benchmark::State &state)
{
    QProcess sim;
    QString pty;
    if (!BenchSimulator::start(sim, { QStringLiteral("--version"), QStringLiteral("0x11A") }, pty)) {
        state.SkipWithError("cannot start the logger simulator");
        return;
    }
    CComm link(0, pty);
    link.start();
    link.sendCommand(MemoryMap::Command::Wake);
    link.sendCommand(MemoryMap::Command::End);
    LinkResult read;
    if (!BenchSimulator::waitFor(link, LinkResult::Image, kReplyWaitMs, &read)) {
        state.SkipWithError("no image from the simulator");
        return;
    }
    QByteArray image = read.data;

    quint64 bytes = 0;
    double seconds = 0.0;
    for (auto _ : state) {
        QByteArray target = image;
        for (int i = 0; i < MemoryMap::BlockSize; ++i)
            target[i] = char(~image.at(i));
        const quint64 before = link.bytesRead + link.bytesWritten;
        QElapsedTimer elapsed;
        elapsed.start();
        link.sendCommand(MemoryMap::Command::Wake);
        for (const ProgramImage::Span &span :
             ProgramImage::changedSpans(image, target, 0, MemoryMap::BlockSize))
            link.sendWriteMemory(span.address, span.data);
        link.sendCommand(MemoryMap::Command::Commit);
        link.sendCommand(MemoryMap::Command::End);
        link.sendCommand32(MemoryMap::Command::Clock, 0x20000000);
        if (!BenchSimulator::waitFor(link, LinkResult::Clock, kReplyWaitMs)) {
            state.SkipWithError("the reprogramming was not confirmed");
            break;
        }
        const double taken = elapsed.nsecsElapsed() / 1e9;
        state.SetIterationTime(taken);
        seconds += taken;
        bytes += link.bytesRead + link.bytesWritten - before;
        image = target;
    }
    const double runs = double(state.iterations());
    if (runs > 0) {
        const double lineBytes = double(bytes) / runs;
        const double wireSeconds = lineBytes * kBitsPerByte / kBaud;
        state.counters["line_bytes"] = lineBytes;
        state.counters["wire_ms"] = wireSeconds * 1e3;
        state.counters["taken_ms"] = seconds / runs * 1e3;
        state.counters["over_wire_pct"] = (seconds / runs / wireSeconds - 1.0) * 100.0;
    }
    link.stop();
    sim.kill();
    sim.waitForFinished(3000);
}

}

BENCHMARK(BM_FullReprogramming)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
