// Time per operation of the readings table, the summary and the graph at
// the largest sizes a user meets: 65,536 readings per set, several sets.
#include <cstdio>
#include <functional>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTableView>
#include <QTableWidget>

#include "core/cmainapp.h"
#include "core/windowstate.h"
#include "views/cplot.h"
#include "views/ctable.h"
#include "benchhome.h"
#include "benchtrip.h"

namespace {

void report(const char *name, int repeats, const std::function<void()> &operation)
{
    operation();   // warm-up: fonts, caches
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < repeats; ++i)
        operation();
    std::printf("%-58s %9.1f ms/op\n", name, double(timer.nsecsElapsed()) / 1e6 / repeats);
    std::fflush(stdout);
}

void buildAndRenderPlot(CMainApp &app, QList<int> selection)
{
    app.selection = selection;
    auto *plot = new CPlot;
    plot->setData(&app, selection.first());
    plot->setupPlot();
    plot->resize(1600, 900);
    QImage image(1600, 900, QImage::Format_ARGB32_Premultiplied);
    plot->render(&image);
    delete plot;
}

}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    BenchHome home;
    QApplication application(argc, argv);

    WindowState window;
    CMainApp app(&window);
    const QDateTime start(QDate(2026, 1, 5), QTime(8, 0, 0), Qt::LocalTime);
    app.records << benchTrip(QStringLiteral("T3A"), 3, 65535, start)
                << benchTrip(QStringLiteral("T3B"), 3, 65535, start.addSecs(20))
                << benchTrip(QStringLiteral("T3C"), 3, 65535, start.addSecs(40))
                << benchTrip(QStringLiteral("T1"), 1, 65536, start);
    app.settings.multiLinkSyncDateTime = true;

    QTableView table;
    table.resize(1200, 800);
    const int repeats = 5;
    report("readings table, 1 set x 65,535 readings (3 channels)", repeats,
           [&] { app.table->fillReadings(&table, { 0 }); });
    report("readings table, 3 sets x 65,535 readings merged by time", repeats,
           [&] { app.table->fillReadings(&table, { 0, 1, 2 }); });
    report("readings table, 1 set x 65,536 readings (1 channel)", repeats,
           [&] { app.table->fillReadings(&table, { 3 }); });

    report("export rows, 1 set x 65,536 readings (no table)", repeats,
           [&] { app.table->fillReadings(nullptr, { 3 }); });
    report("export rows, 3 sets x 65,535 readings merged (no table)", repeats,
           [&] { app.table->fillReadings(nullptr, { 0, 1, 2 }); });

    QTableWidget summary;
    report("summary, 1 set x 65,535 readings", repeats, [&] {
        app.table->initSummary(&summary, { 0 });
        app.table->fillSummary(&summary, { 0 }, false);
    });
    report("summary, 3 sets x 65,535 readings", repeats, [&] {
        app.table->initSummary(&summary, { 0, 1, 2 });
        app.table->fillSummary(&summary, { 0, 1, 2 }, false);
    });

    report("graph build + first render, 1 x 65,536 samples, 1600x900", repeats,
           [&] { buildAndRenderPlot(app, { 3 }); });
    report("graph build + first render, 3 x 21,845 samples, 1600x900", repeats,
           [&] { buildAndRenderPlot(app, { 0 }); });
    report("graph build + first render, 3 sets x 3 x 21,845 samples", repeats,
           [&] { buildAndRenderPlot(app, { 0, 1, 2 }); });
    return 0;
}
