#include <cstdio>
#include <cstdlib>
#include <QApplication>

#include "app/mainwindow.h"
#include "core/appinfo.h"
#include "core/cmainapp.h"
#include "core/instancelock.h"
#include "dialogs/cmessage.h"
#include "dialogs/cprompt.h"

namespace {

// The notice closes by itself, so that a start with nobody at the screen
// still ends; stderr keeps the reason for a start from a script.
void tellAlreadyRunning()
{
    const QString text = InstanceLock::alreadyRunningText();
    std::fprintf(stderr, "%s\n", qPrintable(text));
    CMessage notice(nullptr, text, 5);
    CPrompt::exec(&notice);
}

}

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(AppInfo::productTitle());
    QApplication::setApplicationVersion(AppInfo::version());

    MainWindow::applyFormFont();
    // taken before anything reads or writes the settings and the user
    // store, and held until the window and its core are gone
    InstanceLock instanceLock(CMainApp::resolveSettingsDir());
    if (!instanceLock.acquire()) {
        tellAlreadyRunning();
        return EXIT_FAILURE;
    }

    MainWindow::openOptionsAtStart = true;
    MainWindow window;
    window.show();
    // a data file named on the command line opens as the Load action would
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        window.loadDataFile(arguments.at(1));
    return application.exec();
}
