#include <QPushButton>

#include "support/testenv.h"

#include "core/clanguagetable.h"
#include "support/useradmintest.h"
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
    in.hasRow = in.fromFile = in.ready = in.dataLoaded = in.passwordMatches = in.dataFromFiles = true;
    in.selectionCount = 1;
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
    // Rows of the enabling rules: the record's state alone (nobody logged
    // in), then a logged-in user's rights over it. Where the rights would
    // enable an action on a row that cannot serve it, the row says which.
    void actionStates_data()
    {
        QTest::addColumn<Inputs>("in");
        QTest::addColumn<QString>("enabled");
        QTest::addColumn<QString>("toolTip");
        auto row = [](const char *name, const Inputs &in, const char *enabled, const QString &tip = QString()) {
            QTest::newRow(name) << in << QString::fromLatin1(enabled) << tip;
        };
        auto set = [](Inputs in, auto change) { change(in); return in; };

        // the record's state
        row("no row: every record action off, no reason", Inputs(), "pbdfsarvcxtukLO");
        row("ready logger", readyLogger(), "PBDfsarvcXTUKLO");
        row("downloaded logger", downloadedLogger(), "PBDFSARVcXTUKLO");
        row("file row, no start and no sensor", fileRow(), "pbdFSARVCXTUKLO", kFileReasons);
        row("two files selected: no pdf", set(fileRow(), [](Inputs &in) { in.selectionCount = 2; }),
            "pbdfSARVCXTUKLO", kFileReasons);
        row("no start condition", set(readyLogger(), [](Inputs &in) { in.startAt = false; }), "pbDfsarvcXTUKLO",
            "No start condition selected\r");
        row("no sensor", set(readyLogger(), [](Inputs &in) { in.sensorIntTemp = false; }), "pbDfsarvcXTUKLO",
            "No sensor selected\r");
        row("wait start, humidity sensor", set(readyLogger(), [](Inputs &in) {
                in.startAt = in.sensorIntTemp = false;
                in.startWait = in.sensorIntHum = true;
            }), "PBDfsarvcXTUKLO");
        row("wrong password, whatever the page holds", set(lockedLogger(), [](Inputs &in) {
                in.startAt = in.sensorIntTemp = false;
            }), "pbdfsarvcXTUKLO", "Password protected\r");
        row("wrong password, image not read", set(lockedLogger(), [](Inputs &in) { in.ready = false; }),
            "pbdfsarvcXTUKLO", "Password protected\rLogger not ready yet...");
        row("password accepted", set(lockedLogger(), [](Inputs &in) { in.passwordAccepted = true; }),
            "PBDfsarvcXTUKLO");
        row("write without password: program only", set(lockedLogger(), [](Inputs &in) {
                in.writeWithoutPassword = true;
            }), "PBdfsarvcxtukLO");
        row("read without password: download, never program", set(lockedLogger(), [](Inputs &in) {
                in.readWithoutPassword = true;
            }), "pbDfsarvcXTUKLO", "Password protected\r");
        row("write without password, drive logger", set(lockedLogger(), [](Inputs &in) {
                in.writeWithoutPassword = in.massStorage = in.fromFile = in.dataLoaded = true;
            }), "pbdFSARVCXTUKLO", QStringLiteral("This is not a Logger\r"));
        row("not ready", set(readyLogger(), [](Inputs &in) { in.ready = false; }), "pbDfsarvcXTUKLO",
            "Logger not ready yet...");
        row("image not come yet: no download, whatever the rights",
            set(readyLogger(), [](Inputs &in) { in.ready = false; in.awaitsImage = true; }), "pbdfsarvcXTUKLO",
            "Logger not ready yet...");
        row("image not come yet, administrator",
            loggedIn(set(readyLogger(), [](Inputs &in) { in.ready = false; in.awaitsImage = true; }), "a"),
            "pbdfsaRVcXTUKLO", "Logger not ready yet...");
        row("not ready, form locked", set(readyLogger(), [](Inputs &in) { in.ready = false; in.formLocked = true; }),
            "PBDfsarvcXTUKLO");
        row("automatic download awaited",
            set(readyLogger(), [](Inputs &in) { in.ready = false; in.autoDownloadSetting = true; }),
            "pbDfsarvcXTUKLO", "Downloading\r");
        row("automatic download under way",
            set(readyLogger(), [](Inputs &in) { in.autoDownloadSetting = in.autoDownloaded = true; }),
            "pbdfsarvcXTUKLO", "Downloading\r");
        row("automatic download, password not given",
            set(lockedLogger(), [](Inputs &in) { in.autoDownloadSetting = true; }),
            "pbdfsarvcXTUKLO", "Password protected\r");
        row("nobody logged in yet", set(downloadedLogger(), [](Inputs &in) { in.adminEnabled = true; }),
            "PBDFSARVcXTUKLO");

        // rights of a logged-in user on a downloaded logger
        row("administrator", loggedIn(downloadedLogger(), "a"), "PBDFSARVcXTUKLO");
        row("viewer only", loggedIn(downloadedLogger(), "v"), "pbdfsarvcXtukLo");
        row("viewer only on a file", loggedIn(fileRow(), "v"), "pbdFSARVCXtukLo", kFileReasons);
        row("configure only", loggedIn(downloadedLogger(), "c"), "PBdfsarvcxTUklo");
        row("download only", loggedIn(downloadedLogger(), "d"), "pbDFSARVcxtuklo");
        row("configure and view: no pdf", loggedIn(downloadedLogger(), "cv"), "PBdfsarvcXTUKLo");
        row("no right at all", loggedIn(downloadedLogger(), ""), "pbdfSArvcxtuklo");

        // the rights enable again what the state disabled, except where the
        // row cannot serve the action: download of a file or of a logger
        // whose password was not given, the button of a refused program,
        // closing a logger's row as a file
        row("download right on a file", loggedIn(fileRow(), "cdv"), "pbdFSARVCXTUKLo", kFileReasons);
        row("administrator, wrong password", loggedIn(lockedLogger(), "a"), "pbdfsaRVcXTUKLO",
            "Password protected\r");
        row("administrator, write without password",
            loggedIn(set(lockedLogger(), [](Inputs &in) { in.writeWithoutPassword = true; }), "a"),
            "PBdfsaRVcXTUKLO");
        row("administrator, read without password",
            loggedIn(set(lockedLogger(), [](Inputs &in) { in.readWithoutPassword = true; }), "a"),
            "pbDfsaRVcXTUKLO", "Password protected\r");
        row("administrator, automatic download under way",
            loggedIn(set(readyLogger(), [](Inputs &in) { in.autoDownloadSetting = in.autoDownloaded = true; }), "a"),
            "pbDfsaRVcXTUKLO", "Downloading\r");

        // no row: the user's rights alone, never program, download, pdf or print
        row("administrator without a row", loggedIn(Inputs(), "a"), "pbdfsarvCXTUKLO");
        row("viewer without a row", loggedIn(Inputs(), "v"), "pbdfsarvCXtukLo");
        row("configure without a row", loggedIn(Inputs(), "c"), "pbdfsarvcxTUklo");
        row("download without a row", loggedIn(Inputs(), "d"), "pbdfsarvcxtuklo");

        // two selected: the rights give the pdf back, unless the row has no readings
        row("two files, viewer", loggedIn(set(fileRow(), [](Inputs &in) { in.selectionCount = 2; }), "v"),
            "pbdFSARVCXtukLo", kFileReasons);
        row("two files, configure and view",
            loggedIn(set(fileRow(), [](Inputs &in) { in.selectionCount = 2; }), "cv"),
            "pbdfSARVCXTUKLo", kFileReasons);
        row("two selected, row without readings",
            loggedIn(set(readyLogger(), [](Inputs &in) { in.selectionCount = 2; }), "a"), "PBDfsaRVcXTUKLO");
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

    // A row that keeps a trip of a logger gone from it (here one kept apart
    // when its logger brought the next; tst_mainwindowlink unplugs one)
    // offers nothing that talks to a logger, and says so, in the user's
    // language, when asked anyway. A logger's row and a file's row keep
    // what they had; no right brings the commands back on a kept trip.
    void aKeptTripOffersNothingThatNeedsItsLogger()
    {
        Harness h;
        // the page itself opens once the views are built
        QWidget *page = h.ui->m_tabLogger;
        const auto commandsOn = [&h, page] {
            return QVector<bool>{ h.ui->m_pushButtonLoggerReadTime->isEnabledTo(page),
                                  h.ui->m_pushButtonLoggerSyncTime->isEnabledTo(page),
                                  h.ui->m_pushButtonFactoryInit->isEnabledTo(page),
                                  h.ui->m_pushButtonAdminWriteIntTable->isEnabledTo(page),
                                  h.ui->m_pushButtonAdminWriteExtTable->isEnabledTo(page),
                                  h.ui->m_actionDisconnect_Logger->isEnabled() };
        };
        const QVector<bool> allOn(6, true);
        const QVector<bool> allOff(6, false);
        LoggerRecord logger = downloadedTrip(QStringLiteral("K-1"), QVector<quint16>(30, 250));
        logger.portName = QStringLiteral("ttyS9");
        logger.ready = logger.dataLoaded = logger.unsavedReadings = true;
        logger.keepAsTrip();
        h.addAndSelect(logger);
        QCOMPARE(commandsOn(), allOn);

        h.addAndSelect(logger.tripApart());
        QCOMPARE(commandsOn(), allOff);
        h.window.loggerWriter.readClock();
        h.window.loggerWriter.syncClock();
        QCOMPARE(h.prompts.boxes.size(), 2);
        for (const auto &box : h.prompts.boxes)
            QVERIFY(box.text.contains(QStringLiteral("holds a trip whose logger is not connected")));
        QVERIFY(!h.prompts.sawBoxContaining(QStringLiteral("opened from a file")));

        h.addAndSelect(fileRecord(QStringLiteral("/tmp/a.qlf"), QStringLiteral("F1")));
        QCOMPARE(commandsOn(), allOn);
        h.prompts.boxes.clear();
        h.window.on_m_pushButtonLoggerReadTime_clicked();
        QVERIFY(h.prompts.sawBoxContaining(QStringLiteral("opened from a file")));

        Inputs kept = fileRow();
        kept.loggerGone = true;
        QVERIFY(!MainWindow::computeActionStates(loggedIn(kept, "a")).loggerCommands);
        QVERIFY(MainWindow::computeActionStates(loggedIn(fileRow(), "a")).loggerCommands);
    }

    // What the rights enable on a row that cannot serve it tells the user
    // what is missing; nothing else happens.
    void actionsOnNothingSaySo()
    {
        setUserAdministration(true);
        UserStoreFile::write({ UserStoreFile::user("boss", "Boss1pass", "1", UserRecord::RightAdmin) });
        PromptRecorder prompts;
        prompts.logins = { { "boss", "Boss1pass" } };
        MainWindow window;
        setUserAdministration(false);
        Ui::MainWindow *ui = window.ui;
        QVERIFY(ui->m_actionCloseSelectedFile->isEnabled() && ui->m_actionLoadTemplateProgram->isEnabled());
        QVERIFY(!ui->m_pushButtonProgram->isEnabled());

        ui->m_actionCloseSelectedFile->trigger();
        QVERIFY(prompts.sawBoxContaining(QStringLiteral("No data file is selected")));
        ui->m_actionCloseAllFiles->trigger();
        QVERIFY(prompts.sawBoxContaining(QStringLiteral("No data file is open")));
        ui->m_actionLoadTemplateProgram->trigger();
        ui->m_actionSaveProgramTemplate->trigger();
        QCOMPARE(prompts.boxesContaining(QStringLiteral("No logger or file is selected")), 2);
        QVERIFY(prompts.fileCaptions.isEmpty());

        // a logger that holds no readings yet, busy with a write
        LoggerRecord logger = loggerRecord(QStringLiteral("ttyS9"), QStringLiteral("L1"));
        logger.ready = true;
        logger.versionWord = 0x11A;   // its image came
        window.app->records << logger;
        window.selectTableRow(0);
        window.transferInProgress = true;
        window.transferRecordIndex = 0;
        window.updateActions();
        QVERIFY(ui->m_actionPrintPreview->isEnabled() && ui->m_actionDownload->isEnabled());
        ui->m_actionPrintPrint->trigger();
        ui->m_actionPrintPreview->trigger();
        QCOMPARE(prompts.boxesContaining(QStringLiteral("holds no readings yet")), 2);
        ui->m_actionDownload->trigger();
        QVERIFY(prompts.sawBoxContaining(QStringLiteral("busy with a transfer")));
        QVERIFY(!window.app->records.at(0).downloadRunning);
        window.transferInProgress = false;
    }

    // The production pages write calibration tables and initialise loggers:
    // with user administration on, a production station shows them to an
    // administrator only.
    void productionPagesFollowTheLoggedInUser()
    {
        setUserAdministration(true);
        UserStoreFile::write({ UserStoreFile::user("kim", "Kim1pass", "12", UserRecord::RightViewer),
                               UserStoreFile::user("boss", "Boss1pass", "1", UserRecord::RightAdmin) });
        PromptRecorder prompts;
        prompts.logins = { { "kim", "Kim1pass" }, { "boss", "Boss1pass" } };
        MainWindow window;
        setUserAdministration(false);
        QTabWidget *tabs = window.ui->m_tabWidget;
        window.app->jigPort = QStringLiteral("ttyS0");
        window.updateLoggerPage();
        QCOMPARE(tabs->indexOf(window.ui->m_tabAdmin), -1);
        QCOMPARE(tabs->indexOf(window.ui->m_tabProduction), -1);

        window.on_m_actionLogout_triggered();
        window.Timer100ms();
        QCOMPARE(prompts.loginDialogs, 2);
        QCOMPARE(tabs->indexOf(window.ui->m_tabAdmin), 7);
        QCOMPARE(tabs->indexOf(window.ui->m_tabProduction), 8);
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
