#include <cstdio>
#include <cstdlib>
#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include "app/mainwindow.h"
#include "core/appinfo.h"
#include "core/cmainapp.h"
#include "core/instancelock.h"
#include "dialogs/cmessage.h"
#include "dialogs/cprompt.h"
#include "users/cuseradmin.h"

namespace {

// The data file named on the command line, "" when there is none.
QString dataFileArgument()
{
    const QStringList arguments = QApplication::arguments();
    return arguments.size() > 1 ? arguments.at(1) : QString();
}

// A start from a file manager's "open with" would otherwise seem to have
// done nothing with the file.
QString notOpenedText(const QString &dataFile)
{
    return QCoreApplication::translate(
               "main", "The file \"%1\" was not opened: open it in the running copy with File > Load.")
        .arg(QDir::toNativeSeparators(QFileInfo(dataFile).absoluteFilePath()));
}

// The notice closes by itself, so that a start with nobody at the screen
// still ends; stderr keeps the reason for a start from a script.
void tellAlreadyRunning(QString text)
{
    const QString dataFile = dataFileArgument();
    // the notice does not wrap: a sentence a line keeps it within the screen
    if (!dataFile.isEmpty())
        text += QLatin1Char('\n') + notOpenedText(dataFile);
    std::fprintf(stderr, "%s\n", qPrintable(text));
    CMessage notice(nullptr, text, 5);
    CPrompt::exec(&notice);
}

// The user directory is held whether user administration is on or not:
// every copy makes the store there at a first start and ends by writing its
// Logout line to the trail. The user directory comes first: a copy started
// on another settings folder in the same home then ends without having
// touched its own folder. "" once both are held; else why not, with neither
// held any more, so that the notice keeps no other start out.
QString holdFolders(InstanceLock &userDir, InstanceLock &settings)
{
    for (InstanceLock *lock : { &userDir, &settings }) {
        if (!lock->acquire()) {
            const QString refusal = lock->refusalText();
            userDir.release();
            settings.release();
            return refusal;
        }
    }
    return QString();
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
    InstanceLock userDirLock(InstanceLock::userDirLockPath(CUserAdmin::homeUserAdminDir()));
    InstanceLock settingsLock(InstanceLock::settingsLockPath(CMainApp::resolveSettingsDir()));
    const QString refusal = holdFolders(userDirLock, settingsLock);
    if (!refusal.isEmpty()) {
        tellAlreadyRunning(refusal);
        return EXIT_FAILURE;
    }

    MainWindow::openOptionsAtStart = true;
    MainWindow window;
    window.show();
    const QString dataFile = dataFileArgument();
    if (!dataFile.isEmpty())
        window.openStartFile(dataFile);
    return application.exec();
}
