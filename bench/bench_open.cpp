// Opening a data file of 65,536 readings as the Load action does, in a
// shown window, until the frame that holds the file's graph is painted.
//
//   bench_open --write DIR   writes the trip measured: DIR/trip.qlf, and
//                            its readings exported as DIR/trip.csv
//   bench_open FILE          opens FILE and prints the seconds to the
//                            graph's frame on stdout; on stderr, the time
//                            until the readings table was filled, and that
//                            of a later visit of the table page
#include <cstdio>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
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

int writeTrip(const QString &directory)
{
    WindowState window;
    CMainApp app(&window);
    LoggerRecord trip = benchTrip(QStringLiteral("OPEN-1"), 1, 65536,
                                  QDateTime(QDate(2026, 1, 5), QTime(8, 0, 0), Qt::LocalTime));
    trip.imageRead = ImageCodec::encode(trip, QByteArray(MemoryMap::ImageSize, '\0'));
    QString error;
    if (!CFileManager::writeDataFile(QDir(directory).filePath(QStringLiteral("trip.qlf")), trip, false, &error)) {
        std::fprintf(stderr, "the data file was not written: %s\n", qPrintable(error));
        return 1;
    }
    app.records << trip;
    app.table->fillReadings(nullptr, { 0 });
    const CTable *table = app.table;
    if (!CFileManager::exportText(QDir(directory).filePath(QStringLiteral("trip.csv")), table->rowTimes,
                                  table->rowValues, false, 1, table->valueHeaders)) {
        std::fprintf(stderr, "the CSV export was not written\n");
        return 1;
    }
    return 0;
}

double milliseconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

bool readingsTableFilled(const QTableView *table)
{
    const QAbstractItemModel *model = table->model();
    const int last = model->rowCount() - 1;
    return last >= 0 && model->index(last, model->columnCount() - 1).data().isValid();
}

int openTrip(const QString &path)
{
    CPrompt::setDialogHandler([](QDialog *) { return 0; });
    CPrompt::setBoxHandler([](CPrompt::Kind, const QString &text, QMessageBox::StandardButtons) {
        std::fprintf(stderr, "box: %s\n", qPrintable(text));
        return QMessageBox::Ok;
    });
    MainWindow window;
    window.resize(1600, 900);
    FrameWatcher frames(&window);
    window.show();
    frames.awaitFrame();

    QElapsedTimer timer;
    timer.start();
    if (!window.loadDataFile(path))
        return 1;
    frames.awaitFrameWith([&](QObject *painted) { return window.plot && painted == window.plot->canvas(); });
    const double graph = milliseconds(timer);
    QTableView *table = window.ui->m_tableWidgetTable;
    FrameWatcher::awaitCondition([&] { return readingsTableFilled(table); });
    const double filled = milliseconds(timer);

    timer.restart();
    window.ui->m_tabWidget->setCurrentWidget(window.ui->m_tabTable);
    frames.awaitFrameWith([&](QObject *painted) { return painted == table->viewport(); });
    const double tableVisit = milliseconds(timer);
    window.ui->m_tabWidget->setCurrentWidget(window.ui->m_tabGraph);
    frames.awaitFrame();
    timer.restart();
    window.ui->m_tabWidget->setCurrentWidget(window.ui->m_tabTable);
    frames.awaitFrameWith([&](QObject *painted) { return painted == table->viewport(); });
    const double secondVisit = milliseconds(timer);

    std::fprintf(stderr, "graph painted %.1f ms, readings table filled %.1f ms, first table visit %.1f ms, "
                 "next visit %.1f ms\n", graph, filled, tableVisit, secondVisit);
    std::printf("%.6f\n", graph / 1000.0);
    return 0;
}

}

int main(int argc, char *argv[])
{
    return runWindowBenchmark(argc, argv, [](const QStringList &arguments) {
        if (arguments.size() == 2 && arguments.at(0) == QLatin1String("--write"))
            return writeTrip(arguments.at(1));
        if (arguments.size() == 1)
            return openTrip(arguments.at(0));
        std::fprintf(stderr, "usage: bench_open --write DIR | bench_open FILE\n");
        return 2;
    });
}
