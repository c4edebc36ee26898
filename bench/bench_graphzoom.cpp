// Time per frame of the graph while the user zooms and scrolls, and time to
// build the histogram, at the largest sizes a user meets: three sets of
// 65,536 readings on a 1600 x 900 graph.
#include <benchmark/benchmark.h>

#include <cmath>
#include <QApplication>
#include <qwt_plot_canvas.h>

#include "core/cmainapp.h"
#include "core/loggertime.h"
#include "core/windowstate.h"
#include "views/chistogram.h"
#include "views/cplot.h"
#include "views/zoomer.h"
#include "benchhome.h"

namespace {

constexpr int kReadings = 65536;

LoggerRecord makeSet(const QString &serial, int phase, const QDateTime &start)
{
    LoggerRecord record;
    record.serialNumber = serial;
    record.productCode = QStringLiteral("QV-2T");
    record.versionWord = 0x11A;
    record.sensorFlags = SensorBits::InternalNtc;
    record.configWord = ConfigBits::InternalOn | ConfigBits::IntH | ConfigBits::IntL;
    record.updateChannels();
    record.readings.resize(kReadings);
    for (int i = 0; i < kReadings; ++i) {
        // a slow wave with noise, so that every pixel column spans values
        const int tenths = int(150 + 200 * std::sin((i + phase) / 700.0) + (i * 7919 % 41) - 20);
        record.readings[i] = ReadingWord::make(tenths, i % 9000 == 17);
    }
    record.readingCount = kReadings;
    record.recordedCount = kReadings;
    record.startTime = start;
    record.interval = 60;
    record.rangeLow = -40;
    record.rangeHigh = 85;
    record.lowestValue[GroupInternal] = -6.0f;
    record.highestValue[GroupInternal] = 36.0f;
    record.dataLoaded = true;
    return record;
}

struct Fixture {
    WindowState window;
    CMainApp app{ &window };
    Fixture()
    {
        const QDateTime start(QDate(2026, 1, 5), QTime(8, 0, 0), Qt::LocalTime);
        app.records << makeSet(QStringLiteral("A"), 0, start) << makeSet(QStringLiteral("B"), 300, start.addSecs(20))
                    << makeSet(QStringLiteral("C"), 600, start.addSecs(40));
        app.selection = { 0, 1, 2 };
        app.settings.multiLinkSyncDateTime = true;
    }
};

Fixture &fixture()
{
    static Fixture instance;
    return instance;
}

CPlot *shownPlot()
{
    auto *plot = new CPlot;
    plot->setData(&fixture().app, 0);
    plot->setupPlot();
    plot->resize(1600, 900);
    plot->show();
    QApplication::processEvents();
    return plot;
}

// One frame: the plot redrawn and painted, as the screen would get it.
void paintFrame(CPlot *plot)
{
    plot->canvas()->repaint();
}

// Scrolling a window of the given share of the data across it.
void BM_ScrollFrame(benchmark::State &state)
{
    CPlot *plot = shownPlot();
    Zoomer *zoomer = plot->zoomer();
    const QRectF base = zoomer->zoomBase();
    const double share = state.range(0) / 100.0;
    zoomer->zoom(QRectF(base.left(), base.top(), base.width() * share, base.height()));
    double x = base.left();
    const double step = base.width() * (1.0 - share) / 50.0;
    for (auto _ : state) {
        x += step;
        if (x + base.width() * share > base.right())
            x = base.left();
        zoomer->moveTo(QPointF(x, base.top()));
        paintFrame(plot);
    }
    delete plot;
}

// Zooming in and out: the whole graph, then a window, each frame.
void BM_ZoomFrame(benchmark::State &state)
{
    CPlot *plot = shownPlot();
    Zoomer *zoomer = plot->zoomer();
    const QRectF base = zoomer->zoomBase();
    bool in = false;
    for (auto _ : state) {
        in = !in;
        if (in)
            zoomer->zoom(QRectF(base.left() + base.width() * 0.3, base.top(), base.width() * 0.4, base.height()));
        else
            zoomer->zoom(0);
        paintFrame(plot);
    }
    delete plot;
}

void BM_HistogramBuild(benchmark::State &state)
{
    for (auto _ : state) {
        CHistogram histogram;
        histogram.setData(&fixture().app, 0);
        histogram.setupPlot();
    }
    state.SetItemsProcessed(state.iterations() * 3 * kReadings);
}

}

BENCHMARK(BM_ScrollFrame)->Arg(5)->Arg(25)->Arg(90)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistogramBuild)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    BenchHome home;
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
