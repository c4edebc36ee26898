#include <QApplication>

#include "app/mainwindow.h"
#include "core/appinfo.h"

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(AppInfo::productTitle());
    QApplication::setApplicationVersion(AppInfo::version());

    MainWindow::applyFormFont();
    MainWindow::openOptionsAtStart = true;
    MainWindow window;
    window.show();
    // a data file named on the command line opens as the Load action would
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        window.loadDataFile(arguments.at(1));
    return application.exec();
}
