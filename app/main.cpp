#include <QApplication>
#include <QMainWindow>

#include "core/appinfo.h"
#include "core/cmainapp.h"
#include "core/windowstate.h"

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(AppInfo::productTitle());
    QApplication::setApplicationVersion(AppInfo::version());
    QMainWindow window;
    WindowState state;
    CMainApp core(&state, &window);
    window.setWindowTitle(AppInfo::windowTitle());
    window.resize(1024, 700);
    window.show();
    return application.exec();
}
