// Writes the PDF report of the largest records a logger holds: 65,536
// single-channel readings (658 pages) and 21,845 three-channel samples
// (221 pages). Counters: file size, image objects stored in the file (the
// logo must be stored once, however many pages show it) and how much the peak memory of the process rose
// while the report was written. The small report runs first, so the rise
// of the large one shows whether memory grows with the page count.
#include <benchmark/benchmark.h>

#include <cmath>
#include <sys/resource.h>
#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include "app/mainwindow.h"
#include "core/cmainapp.h"
#include "core/loggertime.h"
#include "dialogs/cprompt.h"
#include "reports/cprint.h"
#include "benchhome.h"
#include "benchtrip.h"

namespace {

MainWindow *window = nullptr;
QTemporaryDir *folder = nullptr;

LoggerRecord makeTrip(const QString &serial, int channels, int readings)
{
    LoggerRecord record =
        benchTrip(serial, channels, readings, QDateTime(QDate(2026, 1, 5), QTime(8, 0, 0), Qt::LocalTime));
    record.fromFile = true;
    record.fileName = QStringLiteral("/bench/") + serial + QStringLiteral(".qlf");
    return record;
}

long peakKilobytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int storedImages(const QString &pdf)
{
    QProcess list;
    list.start(QStringLiteral("pdfimages"), { QStringLiteral("-list"), pdf });
    if (!list.waitForFinished(60000))
        return -1;
    // two lines of column heads, then one line per image drawn, with the
    // number of the object that holds it in columns 11 and 12
    QSet<QByteArray> objects;
    const QList<QByteArray> lines = list.readAllStandardOutput().trimmed().split('\n');
    for (int i = 2; i < lines.size(); ++i) {
        const QList<QByteArray> columns = lines.at(i).simplified().split(' ');
        if (columns.size() > 11)
            objects.insert(columns.at(10) + ' ' + columns.at(11));
    }
    return objects.size();
}

void writeReport(benchmark::State &state, int channels, int readings)
{
    const LoggerRecord record = makeTrip(QStringLiteral("B%1x%2").arg(channels).arg(readings),
                                         channels, readings);
    window->app->records = { record };
    window->selectTableRow(0);
    window->viewsDirty = true;
    window->Timer();   // builds the graph the first page shows
    const QString path = folder->filePath(QStringLiteral("report.pdf"));
    const long peakBefore = peakKilobytes();
    for (auto _ : state) {
        CPrint report(window);
        if (!report.printPdf(path, record))
            state.SkipWithError("the PDF was not written");
    }
    state.counters["pages"] = CPrint::pageCountOf(record);
    state.counters["file_MB"] = QFileInfo(path).size() / 1e6;
    state.counters["peak_rise_MB"] = (peakKilobytes() - peakBefore) / 1024.0;
    state.counters["images"] = storedImages(path);
}

void BM_ReportPdf_1ch_1000(benchmark::State &state) { writeReport(state, 1, 1000); }
void BM_ReportPdf_1ch_65536(benchmark::State &state) { writeReport(state, 1, 65536); }
void BM_ReportPdf_3ch_21845(benchmark::State &state) { writeReport(state, 3, 3 * 21845); }

}

BENCHMARK(BM_ReportPdf_1ch_1000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReportPdf_1ch_65536)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ReportPdf_3ch_21845)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char *argv[])
{
    BenchHome home;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // no dialog waits for a click: the options dialog of a first start is passed over
    CPrompt::setDialogHandler([](QDialog *) { return 0; });
    CPrompt::setBoxHandler([](CPrompt::Kind, const QString &, QMessageBox::StandardButtons) {
        return QMessageBox::Ok;
    });
    QTemporaryDir output;
    folder = &output;
    MainWindow mainWindow;
    window = &mainWindow;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
