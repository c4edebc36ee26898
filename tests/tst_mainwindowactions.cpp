#include <QPushButton>

#include "support/testenv.h"
#include "support/windowtest.h"
#include "users/cuseradmin.h"

using Inputs = MainWindow::ActionInputs;
using States = MainWindow::ActionStates;
using namespace WindowTest;

namespace {

// A connected, ready logger with a start and a sensor chosen: programmable.
Inputs readyLogger()
{
    Inputs in;
    in.hasRow = in.ready = in.passwordMatches = in.startAt = in.sensorIntTemp = true;
    in.selectionCount = 1;
    return in;
}

Inputs downloadedLogger()
{
    Inputs in = readyLogger();
    in.dataLoaded = true;
    return in;
}

// A logger protected by a password the user has not given.
Inputs lockedLogger()
{
    Inputs in = readyLogger();
    in.passwordWord = 0x0A5A1234;
    in.passwordMatches = false;
    return in;
}

Inputs fileRow()
{
    Inputs in;
    in.hasRow = in.fromFile = in.ready = in.dataLoaded = in.passwordMatches = true;
    in.selectionCount = 1;
    return in;
}

template<typename Change>
Inputs with(Inputs in, Change change)
{
    change(in);
    return in;
}

// A user logged in with the rights named by letters: a admin, c configure,
// d download, v view.
Inputs loggedIn(Inputs in, const char *rights)
{
    const QByteArray r(rights);
    in.adminEnabled = in.loggedIn = true;
    in.isAdmin = r.contains('a');
    in.canConfigure = r.contains('c');
    in.canDownload = r.contains('d');
    in.canView = r.contains('v');
    return in;
}

// One letter per action, upper case when enabled:
// P program, B program button, D download, F pdf, S save, A save as, R print,
// V preview, C close selected, X close all, T load template, U save template,
// K lock, L load, O options.
QString summary(const States &s)
{
    const bool on[] = { s.program,  s.programButton,     s.download,      s.generatePdf,  s.save,
                        s.saveAs,   s.printPrint,        s.printPreview,  s.closeSelectedFile,
                        s.closeAllFiles, s.loadTemplate, s.saveTemplate,  s.lock, s.load, s.options };
    QString text = QStringLiteral("pbdfsarvcxtuklo");
    for (int i = 0; i < text.size(); ++i)
        if (on[i])
            text[i] = text[i].toUpper();
    return text;
}

const QString kFileReasons = QStringLiteral("This is not a Logger\rNo start condition selected\rNo sensor selected\r");

}

Q_DECLARE_METATYPE(MainWindow::ActionInputs)

class TestMainWindowActions : public QObject
{
    Q_OBJECT
private slots:
    void actionStates_data()
    {
        QTest::addColumn<Inputs>("in");
        QTest::addColumn<QString>("enabled");
        QTest::addColumn<QString>("toolTip");
        auto row = [](const char *name, const Inputs &in, const char *enabled, const QString &tip = QString()) {
            QTest::newRow(name) << in << QString::fromLatin1(enabled) << tip;
        };
        row("no row", Inputs(), "pbdfsarvcxtukLO");
        row("ready logger", readyLogger(), "PBDfsarvcXTUKLO");
        row("downloaded logger", downloadedLogger(), "PBDFSARVcXTUKLO");
        row("file row, nothing chosen", fileRow(), "pbdFSARVCXTUKLO", kFileReasons);
        row("two files selected", with(fileRow(), [](Inputs &in) { in.selectionCount = 2; }), "pbdfSARVCXTUKLO",
            kFileReasons);
        row("no start", with(readyLogger(), [](Inputs &in) { in.startAt = false; }), "pbDfsarvcXTUKLO",
            "No start condition selected\r");
        row("no sensor", with(readyLogger(), [](Inputs &in) { in.sensorIntTemp = false; }), "pbDfsarvcXTUKLO",
            "No sensor selected\r");
        row("wait start, external sensor", with(readyLogger(), [](Inputs &in) {
                in.startAt = in.sensorIntTemp = false;
                in.startWait = in.sensorExtTemp = true;
            }), "PBDfsarvcXTUKLO");
        row("locked logger", with(lockedLogger(), [](Inputs &in) { in.startAt = false; }), "pbdfsarvcXTUKLO",
            "Password protected\r");
        row("password accepted", with(lockedLogger(), [](Inputs &in) { in.passwordAccepted = true; }),
            "PBDfsarvcXTUKLO");
        row("write without password", with(lockedLogger(), [](Inputs &in) { in.writeWithoutPassword = true; }),
            "PBdfsarvcxtukLO");
        row("not ready", with(readyLogger(), [](Inputs &in) { in.ready = false; }), "pbDfsarvcXTUKLO",
            "Logger not ready yet...");
        row("auto download pending",
            with(readyLogger(), [](Inputs &in) { in.ready = false; in.autoDownloadSetting = true; }),
            "pbDfsarvcXTUKLO", "Downloading\r");
        row("download running", with(downloadedLogger(), [](Inputs &in) { in.transferInProgress = true; }),
            "PBdFSARVcXTUKLO");
        row("auto download running",
            with(readyLogger(), [](Inputs &in) { in.autoDownloadSetting = in.autoDownloaded = true; }),
            "pbdfsarvcXTUKLO", "Downloading\r");

        // rights of a logged-in user on a downloaded logger
        row("administrator", loggedIn(downloadedLogger(), "a"), "PBDFSARVcXTUKLO");
        row("viewer only", loggedIn(downloadedLogger(), "v"), "pbdFSARVcXtukLo");
        row("configure only", loggedIn(downloadedLogger(), "c"), "PBdfsarvcxTUklo");
        row("download only", loggedIn(downloadedLogger(), "d"), "pbDFSARVcxtuklo");
        row("no rights at all", loggedIn(downloadedLogger(), ""), "pbdfSArvcxtuklo");
        row("nobody logged in yet", with(downloadedLogger(), [](Inputs &in) { in.adminEnabled = true; }),
            "PBDFSARVcXTUKLO");

        // a right never re-enables what the record's state disabled
        row("download right on a file", loggedIn(fileRow(), "cdv"), "pbdFSARVCXTUKLo", kFileReasons);
        row("administrator on a locked logger", loggedIn(lockedLogger(), "acdv"), "pbdfsarvcXTUKLO",
            "Password protected\r");
        row("administrator without a row", loggedIn(Inputs(), "acdv"), "pbdfsarvcxtukLO");
    }

    void actionStates()
    {
        QFETCH(Inputs, in);
        const States s = MainWindow::computeActionStates(in);
        QTEST(summary(s), "enabled");
        QTEST(s.programToolTip, "toolTip");
    }

    void userActionsOnlyVisibility()
    {
        const States nobody = MainWindow::computeActionStates(Inputs());
        QVERIFY(!nobody.logoutVisible && !nobody.backupRestoreVisible);
        const States user = MainWindow::computeActionStates(loggedIn(Inputs(), "cdv"));
        QVERIFY(user.logoutVisible && !user.backupRestoreVisible);
        QVERIFY(MainWindow::computeActionStates(loggedIn(Inputs(), "a")).backupRestoreVisible);
    }

    void windowAppliesTheStates()
    {
        Harness h;
        h.addAndSelect(fileRecord("/tmp/a.qlf", "F1"));
        QCOMPARE(h.window.app->selection, QList<int>{ 0 });
        QVERIFY(!h.ui->m_actionProgram->isEnabled());
        QVERIFY(!h.ui->m_pushButtonProgram->isEnabled());
        QVERIFY(!h.ui->m_actionDownload->isEnabled());
        QVERIFY(h.ui->m_actionCloseSelectedFile->isEnabled());
        QVERIFY(h.ui->m_actionSave->isEnabled());
        QCOMPARE(h.ui->m_actionProgram->toolTip(), kFileReasons);
        QCOMPARE(h.ui->m_pushButtonProgram->toolTip(), kFileReasons);
        QVERIFY(!h.ui->m_actionSend_Report->isVisible());

        // choosing a start and a sensor is seen at once in the reasons
        h.ui->m_radioButtonPrgStartAt->setChecked(true);
        emit h.ui->m_radioButtonPrgStartAt->clicked(true);
        h.ui->m_checkBoxLoggerAlarmSensorEnableIntTemp->setChecked(true);
        emit h.ui->m_checkBoxLoggerAlarmSensorEnableIntTemp->clicked(true);
        QCOMPARE(h.ui->m_actionProgram->toolTip(), QStringLiteral("This is not a Logger\r"));

        // no row: everything record-related off and the selection emptied
        h.ui->m_tableWidgetLogger->setCurrentCell(-1, -1);
        h.window.updateActions();
        QVERIFY(h.window.app->selection.isEmpty());
        QVERIFY(!h.ui->m_actionCloseSelectedFile->isEnabled());
        QVERIFY(!h.ui->m_actionSave->isEnabled());
        QVERIFY(h.ui->m_pushButtonProgram->toolTip().isEmpty());
    }

    void timerTicksKeepTheInactivityCountdownAndUserActionsRestartIt()
    {
        Harness h;
        CUserAdmin *users = h.window.app->userAdmin;
        users->enabled = true;
        users->currentUser = 0;
        users->logoutMinutes = 3;
        h.addAndSelect(fileRecord("/tmp/a.qlf", "F1"));

        // what the timers do on their own is no activity
        users->logoutCountdown = 5;
        h.window.updateActions();
        h.window.fillLoggerTable(false);
        h.window.viewsDirty = true;
        h.window.Timer();
        h.window.Timer100ms();
        QCOMPARE(users->logoutCountdown, 5);

        // a user action starts it again
        h.ui->m_actionLock->trigger();
        QCOMPARE(users->logoutCountdown, 180);
        users->logoutCountdown = 5;
        h.ui->m_tabWidget->setCurrentIndex(0);
        h.ui->m_tabWidget->setCurrentIndex(1);
        QCOMPARE(users->logoutCountdown, 180);
    }
};

MIRELDA_TEST_MAIN(TestMainWindowActions)
#include "tst_mainwindowactions.moc"
