// Start-up to the first painted frame, offscreen, then the process ends at
// once: timed from outside (bench/compare/startup.sh), it is the time a
// user waits for the window.
//
//   bench_startup          the program's own start, as main() makes it, on
//                          settings of a station that has been set up
//   bench_startup --bare   a bare window with a table, in the same
//                          executable, so with the same libraries loaded
#include <cstdio>
#include <cstdlib>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QTableWidget>

#include "app/mainwindow.h"
#include "core/appinfo.h"
#include "benchframe.h"
#include "benchhome.h"

namespace {

[[noreturn]] void endAtFirstFrame(QWidget &window)
{
    FrameWatcher frames(&window);
    window.show();
    frames.awaitFrame();
    std::fflush(stdout);
    std::_Exit(0);   // start-up is measured, not the tear-down
}

// Language chosen and data path set: no dialog opens at start.
bool writeSettledSettings()
{
    const QString dir = qEnvironmentVariable("MIRELDA_SETTINGS_DIR");
    const QString data = QDir(dir).filePath(QStringLiteral("data"));
    QDir().mkpath(data);
    QFile settings(QDir(dir).filePath(QStringLiteral("xZdr.ini")));
    if (!settings.open(QIODevice::WriteOnly))
        return false;
    settings.write(QStringLiteral("[SETTINGS]\r\nGENERAL_DEFAULT_PATH=%1\r\nLANGUAGE=0\r\nFIRST_INIT_LANGUAGE=0\r\n")
                       .arg(data)
                       .toUtf8());
    return true;
}

}

int main(int argc, char *argv[])
{
    BenchHome home;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool bare = argc > 1 && QByteArray(argv[1]) == "--bare";
    if (!bare && !writeSettledSettings())
        return 1;

    QApplication application(argc, argv);
    if (bare) {
        QMainWindow window;
        window.setCentralWidget(new QTableWidget(10, 4));
        window.resize(1200, 800);
        endAtFirstFrame(window);
    }
    QApplication::setApplicationName(AppInfo::productTitle());
    QApplication::setApplicationVersion(AppInfo::version());
    MainWindow::applyFormFont();
    MainWindow::openOptionsAtStart = true;
    MainWindow window;
    endAtFirstFrame(window);
}
