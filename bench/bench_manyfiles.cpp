// Loading many data files at once through File > Load, in a shown window,
// and the memory the window holds for them as the user looks at them.
//
//   bench_manyfiles --write DIR N   writes N data files DIR/tripNNNN.qlf of
//                                   300 to 65,536 readings, and each one's
//                                   readings exported as DIR/tripNNNN.csv
//   bench_manyfiles DIR [N]         loads the first N data files of DIR (all
//                                   by default) in one choice and prints the
//                                   seconds until every row is listed and the
//                                   graph of the row chosen is painted
//   bench_manyfiles --memory DIR    loads every data file of DIR, chooses all
//                                   rows, shows the Graph page, then the Table
//                                   page, then closes all files; prints the
//                                   resident memory in MB before the load,
//                                   at the Graph page, at the Table page and
//                                   after Close All Files
#include <cstdio>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QTableView>

#include "app/mainwindow.h"
#include "core/cmainapp.h"
#include "core/imagecodec.h"
#include "core/memorymap.h"
#include "core/windowstate.h"
#include "dialogs/cprompt.h"
#include "files/cfilemanager.h"
#include "ui_mainwindow.h"
#include "views/cplot.h"
#include "views/ctable.h"
#include "benchframe.h"
#include "benchhome.h"
#include "benchtrip.h"

namespace {

// Most trips are short, one in fifty fills a logger's memory.
int readingsOfTrip(int index)
{
    return index % 50 == 49 ? 65536 : 300 + (index * 7919) % 9000;
}

int writeTrips(const QString &directory, int count)
{
    const QDateTime start(QDate(2026, 1, 5), QTime(8, 0, 0), Qt::LocalTime);
    WindowState window;
    CMainApp app(&window);
    for (int i = 0; i < count; ++i) {
        const QString serial = QStringLiteral("MANY-%1").arg(i, 4, 10, QLatin1Char('0'));
        LoggerRecord trip = benchTrip(serial, i % 3 == 0 ? 3 : 1, readingsOfTrip(i), start.addSecs(600 * i));
        trip.imageRead = ImageCodec::encode(trip, QByteArray(MemoryMap::ImageSize, '\0'));
        const QString base = QDir(directory).filePath(QStringLiteral("trip%1").arg(i, 4, 10, QLatin1Char('0')));
        QString error;
        if (!CFileManager::writeDataFile(base + QStringLiteral(".qlf"), trip, false, &error)) {
            std::fprintf(stderr, "the data file was not written: %s\n", qPrintable(error));
            return 1;
        }
        app.records = { trip };
        app.table->collectReadings({ 0 });
        const CTable *table = app.table;
        if (!CFileManager::exportText(base + QStringLiteral(".csv"), table->rowTimes, table->rowValues, false, 1,
                                      table->valueHeaders)) {
            std::fprintf(stderr, "the CSV export was not written\n");
            return 1;
        }
    }
    return 0;
}

double megabytesResident()
{
    QFile status(QStringLiteral("/proc/self/statm"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = status.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toDouble() * 4096 / (1024.0 * 1024.0) : 0;
}

QStringList dataFilesOf(const QString &directory, int count)
{
    QStringList paths;
    const QDir dir(directory);
    for (const QString &name : dir.entryList({ QStringLiteral("*.qlf") }, QDir::Files, QDir::Name))
        paths << dir.filePath(name);
    return count > 0 ? paths.mid(0, count) : paths;
}

// A window whose boxes and choosers never block; the file chooser hands
// over the paths given.
struct Station
{
    explicit Station(const QStringList &paths)
    {
        CPrompt::setDialogHandler([](QDialog *) { return 0; });
        CPrompt::setBoxHandler([](CPrompt::Kind, const QString &text, QMessageBox::StandardButtons) {
            std::fprintf(stderr, "box: %s\n", qPrintable(text));
            return QMessageBox::No;
        });
        CPrompt::setFileHandler([paths](const QString &, const QString &, const QString &, const QString &) {
            return paths;
        });
        window.resize(1600, 900);
        window.show();
        frames.awaitFrame();
    }

    // File > Load of every path, until the chosen row's graph is painted.
    void load(int rows)
    {
        window.ui->m_actionLoad->trigger();
        awaitGraphOf(rows - 1);
    }

    void awaitGraphOf(int row)
    {
        frames.awaitFrameWith([&](QObject *painted) {
            return window.plot && window.plot->m_recordIndex == row && painted == window.plot->canvas();
        });
    }

    MainWindow window;
    FrameWatcher frames{ &window };
};

int loadTrips(const QStringList &paths)
{
    Station station(paths);
    QElapsedTimer timer;
    timer.start();
    station.load(paths.size());
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    if (station.window.app->records.size() != paths.size()) {
        std::fprintf(stderr, "%d of %d files listed\n", int(station.window.app->records.size()), int(paths.size()));
        return 1;
    }
    std::fprintf(stderr, "%d files loaded and shown in %.3f s, %.2f ms a file\n", int(paths.size()), seconds,
                 seconds * 1000 / paths.size());
    std::printf("%.6f\n", seconds);
    return 0;
}

int measureMemory(const QStringList &paths)
{
    Station station(paths);
    MainWindow &window = station.window;
    Ui::MainWindow *ui = window.ui;
    const double before = megabytesResident();
    station.load(paths.size());

    ui->m_tableWidgetLogger->selectAll();
    FrameWatcher::awaitCondition([&] { return window.app->selection.size() == paths.size(); });
    ui->m_tabWidget->setCurrentWidget(ui->m_tabGraph);
    station.awaitGraphOf(window.currentLoggerRow());
    const double graph = megabytesResident();

    QTableView *table = ui->m_tableWidgetTable;
    ui->m_tabWidget->setCurrentWidget(ui->m_tabTable);
    FrameWatcher::awaitCondition([&] { return table->model()->rowCount() > 0; });
    station.frames.awaitFrameWith([&](QObject *painted) { return painted == table->viewport(); });
    const double tablePage = megabytesResident();

    ui->m_actionCloseAllFiles->trigger();
    FrameWatcher::awaitCondition([&] { return window.app->records.isEmpty() && !window.plot; });
    station.frames.awaitFrame();
    const double closed = megabytesResident();

    std::fprintf(stderr, "%d files: %.0f MB before the load, %.0f MB at the Graph page, %.0f MB at the Table "
                 "page, %.0f MB after Close All Files\n", int(paths.size()), before, graph, tablePage, closed);
    std::printf("%.1f %.1f %.1f %.1f\n", before, graph, tablePage, closed);
    return 0;
}

int run(const QStringList &arguments)
{
    const QString first = arguments.value(0);
    if (first == QLatin1String("--write") && arguments.size() == 3)
        return writeTrips(arguments.at(1), arguments.at(2).toInt());
    if (first == QLatin1String("--memory") && arguments.size() == 2)
        return measureMemory(dataFilesOf(arguments.at(1), 0));
    if (!first.startsWith(QLatin1String("--")) && (arguments.size() == 1 || arguments.size() == 2)) {
        const QStringList paths = dataFilesOf(first, arguments.value(1).toInt());
        if (paths.isEmpty()) {
            std::fprintf(stderr, "no data file in %s\n", qPrintable(first));
            return 1;
        }
        return loadTrips(paths);
    }
    std::fprintf(stderr, "usage: bench_manyfiles --write DIR N | bench_manyfiles DIR [N] | "
                         "bench_manyfiles --memory DIR\n");
    return 2;
}

}

int main(int argc, char *argv[])
{
    return runWindowBenchmark(argc, argv, run);
}
