#include <QAction>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "app/mainwindow.h"
#include "core/cmainapp.h"
#include "support/testenv.h"
#include "support/windowtest.h"
#include "ui_mainwindow.h"
#include "users/cuseradmin.h"

using Inputs = MainWindow::ActionInputs;
using States = MainWindow::ActionStates;

namespace {

// A connected, ready logger with a start and a sensor chosen: programmable.
Inputs readyLogger()
{
    Inputs in;
    in.hasRow = true;
    in.ready = true;
    in.passwordMatches = true;
    in.selectionCount = 1;
    in.startAt = true;
    in.sensorIntTemp = true;
    return in;
}

Inputs fileRow()
{
    Inputs in;
    in.hasRow = true;
    in.fromFile = true;
    in.ready = true;
    in.dataLoaded = true;
    in.passwordMatches = true;
    in.selectionCount = 1;
    return in;
}

Inputs loggedIn(Inputs in, bool admin, bool configure, bool download, bool view)
{
    in.adminEnabled = true;
    in.loggedIn = true;
    in.isAdmin = admin;
    in.canConfigure = configure;
    in.canDownload = download;
    in.canView = view;
    return in;
}

// One letter per action, upper case when enabled:
// P program, B program button, D download, F pdf, S save, A save as, R print,
// V preview, C close selected, X close all, T load template, U save template,
// K lock, L load, O options.
QString summary(const States &s)
{
    const struct {
        bool on;
        char letter;
    } all[] = { { s.program, 'p' },      { s.programButton, 'b' }, { s.download, 'd' },
                { s.generatePdf, 'f' },  { s.save, 's' },          { s.saveAs, 'a' },
                { s.printPrint, 'r' },   { s.printPreview, 'v' },  { s.closeSelectedFile, 'c' },
                { s.closeAllFiles, 'x' }, { s.loadTemplate, 't' }, { s.saveTemplate, 'u' },
                { s.lock, 'k' },         { s.load, 'l' },          { s.options, 'o' } };
    QString text;
    for (const auto &a : all)
        text += a.on ? QChar(a.letter).toUpper() : QChar(a.letter);
    return text;
}

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

        QTest::newRow("no row") << Inputs() << "pbdfsarvcxtukLO" << "";
        QTest::newRow("ready logger") << readyLogger() << "PBDfsarvcXTUKLO" << "";
        {
            Inputs in = readyLogger();
            in.dataLoaded = true;
            QTest::newRow("downloaded logger") << in << "PBDFSARVcXTUKLO" << "";
        }
        {
            Inputs in = fileRow();
            QTest::newRow("file row, nothing chosen")
                << in << "pbdFSARVCXTUKLO"
                << "This is not a Logger\rNo start condition selected\rNo sensor selected\r";
        }
        {
            Inputs in = readyLogger();
            in.startAt = false;
            QTest::newRow("no start") << in << "pbDfsarvcXTUKLO" << "No start condition selected\r";
        }
        {
            Inputs in = readyLogger();
            in.sensorIntTemp = false;
            QTest::newRow("no sensor") << in << "pbDfsarvcXTUKLO" << "No sensor selected\r";
        }
        {
            Inputs in = readyLogger();
            in.startAt = false;
            in.startWait = true;
            in.sensorIntTemp = false;
            in.sensorExtTemp = true;
            QTest::newRow("wait start, external sensor") << in << "PBDfsarvcXTUKLO" << "";
        }
        {
            Inputs in = readyLogger();
            in.passwordWord = 0x0A5A1234;
            in.passwordMatches = false;
            in.startAt = false;
            QTest::newRow("locked logger") << in << "pbdfsarvcXTUKLO" << "Password protected\r";
        }
        {
            Inputs in = readyLogger();
            in.passwordWord = 0x0A5A1234;
            in.passwordMatches = false;
            in.passwordAccepted = true;
            QTest::newRow("password accepted") << in << "PBDfsarvcXTUKLO" << "";
        }
        {
            Inputs in = readyLogger();
            in.passwordWord = 0x0A5A1234;
            in.passwordMatches = false;
            in.writeWithoutPassword = true;
            QTest::newRow("write without password") << in << "PBdfsarvcxtukLO" << "";
        }
        {
            Inputs in = readyLogger();
            in.ready = false;
            QTest::newRow("not ready") << in << "pbDfsarvcXTUKLO" << "Logger not ready yet...";
        }
        {
            Inputs in = readyLogger();
            in.ready = false;
            in.autoDownloadSetting = true;
            QTest::newRow("auto download pending") << in << "pbDfsarvcXTUKLO" << "Downloading\r";
        }
        {
            Inputs in = readyLogger();
            in.autoDownloadSetting = true;
            in.autoDownloaded = true;
            QTest::newRow("auto download running") << in << "pbdfsarvcXTUKLO" << "Downloading\r";
        }
        {
            Inputs in = fileRow();
            in.selectionCount = 2;
            QTest::newRow("two files selected") << in << "pbdfSARVCXTUKLO"
                << "This is not a Logger\rNo start condition selected\rNo sensor selected\r";
        }

        // rights of a logged-in user, on a downloaded logger and on a file
        Inputs downloaded = readyLogger();
        downloaded.dataLoaded = true;
        QTest::newRow("administrator")
            << loggedIn(downloaded, true, false, false, false) << "PBDFSARVcXTUKLO" << "";
        QTest::newRow("viewer only")
            << loggedIn(downloaded, false, false, false, true) << "pbdFSARVcXtukLo" << "";
        QTest::newRow("configure only")
            << loggedIn(downloaded, false, true, false, false) << "PBdfsarvcxTUklo" << "";
        QTest::newRow("download only")
            << loggedIn(downloaded, false, false, true, false) << "pbDFSARVcxtuklo" << "";
        QTest::newRow("viewer and configure")
            << loggedIn(downloaded, false, true, false, true) << "PBdfSARVcXTUKLo" << "";
        QTest::newRow("no rights at all")
            << loggedIn(downloaded, false, false, false, false) << "pbdfSArvcxtuklo" << "";
        QTest::newRow("nobody logged in yet")
            << [&] { Inputs in = downloaded; in.adminEnabled = true; return in; }()
            << "PBDFSARVcXTUKLO" << "";

        // a right never brings back what the record's state refused
        QTest::newRow("download right on a file")
            << loggedIn(fileRow(), false, true, true, true) << "pbdFSARVCXTUKLo"
            << "This is not a Logger\rNo start condition selected\rNo sensor selected\r";
        {
            Inputs in = readyLogger();
            in.passwordWord = 0x0A5A1234;
            in.passwordMatches = false;
            QTest::newRow("administrator on a locked logger")
                << loggedIn(in, true, true, true, true) << "pbdfsarvcXTUKLO" << "Password protected\r";
        }
        {
            Inputs in = readyLogger();
            in.passwordWord = 0x0A5A1234;
            in.passwordMatches = false;
            in.writeWithoutPassword = true;
            QTest::newRow("administrator on a write-only logger")
                << loggedIn(in, true, true, true, true) << "PBdfsarvcxtukLO" << "";
        }
        QTest::newRow("administrator without a row")
            << loggedIn(Inputs(), true, true, true, true) << "pbdfsarvcxtukLO" << "";
    }

    void actionStates()
    {
        QFETCH(Inputs, in);
        QFETCH(QString, enabled);
        QFETCH(QString, toolTip);
        const States s = MainWindow::computeActionStates(in);
        QCOMPARE(summary(s), enabled);
        QCOMPARE(s.programToolTip, toolTip);
    }

    void userActionsOnlyVisibility()
    {
        States s = MainWindow::computeActionStates(Inputs());
        QVERIFY(!s.logoutVisible);
        QVERIFY(!s.backupRestoreVisible);
        s = MainWindow::computeActionStates(loggedIn(Inputs(), false, true, true, true));
        QVERIFY(s.logoutVisible);
        QVERIFY(!s.backupRestoreVisible);
        s = MainWindow::computeActionStates(loggedIn(Inputs(), true, false, false, false));
        QVERIFY(s.backupRestoreVisible);
    }

    void windowAppliesTheStates()
    {
        PromptRecorder prompts;
        MainWindow window;
        Ui::MainWindow *ui = window.ui;
        window.app->records.append(WindowTest::fileRecord(QStringLiteral("/tmp/a.qlf"),
                                                          QStringLiteral("F1"), 0));
        window.fillLoggerTable(false);
        ui->m_tableWidgetLogger->setCurrentCell(0, 0);
        QCOMPARE(window.app->selection, QList<int>{ 0 });

        QVERIFY(!ui->m_actionProgram->isEnabled());
        QVERIFY(!ui->m_pushButtonProgram->isEnabled());
        QVERIFY(!ui->m_actionDownload->isEnabled());
        QVERIFY(ui->m_actionCloseSelectedFile->isEnabled());
        QVERIFY(ui->m_actionSave->isEnabled());
        QVERIFY(ui->m_actionGeneratPdf->isEnabled());
        QCOMPARE(ui->m_actionProgram->toolTip(),
                 QStringLiteral("This is not a Logger\rNo start condition selected\rNo sensor selected\r"));
        QCOMPARE(ui->m_pushButtonProgram->toolTip(), ui->m_actionProgram->toolTip());
        QVERIFY(!ui->m_plainTextEditInfo->isVisibleTo(&window));
        QVERIFY(!ui->m_actionSend_Report->isVisible());
        QVERIFY(!ui->m_actionSendByEmail->isVisible());

        // choosing a start and a sensor is seen at once in the reasons
        ui->m_radioButtonPrgStartAt->setChecked(true);
        ui->m_radioButtonPrgStartAt->clicked(true);
        ui->m_checkBoxLoggerAlarmSensorEnableIntTemp->setChecked(true);
        ui->m_checkBoxLoggerAlarmSensorEnableIntTemp->clicked(true);
        QCOMPARE(ui->m_actionProgram->toolTip(), QStringLiteral("This is not a Logger\r"));

        // no row: everything record-related off and the selection emptied
        ui->m_tableWidgetLogger->setCurrentCell(-1, -1);
        window.updateActions();
        QVERIFY(window.app->selection.isEmpty());
        QVERIFY(!ui->m_actionCloseSelectedFile->isEnabled());
        QVERIFY(!ui->m_actionSave->isEnabled());
        QVERIFY(ui->m_pushButtonProgram->toolTip().isEmpty());
    }

    void onlyUserActionsRestartTheInactivityCountdown()
    {
        PromptRecorder prompts;
        MainWindow window;
        CUserAdmin *users = window.app->userAdmin;
        users->enabled = true;
        users->currentUser = 0;
        users->logoutMinutes = 3;
        window.app->records.append(WindowTest::fileRecord(QStringLiteral("/tmp/a.qlf"),
                                                          QStringLiteral("F1"), 0));
        window.fillLoggerTable(false);
        window.ui->m_tableWidgetLogger->setCurrentCell(0, 0);

        // what the timers do on their own is no activity
        users->logoutCountdown = 5;
        window.updateActions();
        window.fillLoggerTable(false);
        window.viewsDirty = true;
        window.Timer();
        window.Timer100ms();
        QCOMPARE(users->logoutCountdown, 5);

        // so the core's countdown can reach zero and ask for the logout
        for (int tick = 0; tick < 5; ++tick)
            window.app->Timer1Sec();
        QVERIFY(users->logoutRequested);
        QVERIFY(users->autoLogout);

        // a user action starts it again
        users->logoutRequested = false;
        users->logoutCountdown = 5;
        window.ui->m_actionLock->trigger();
        QCOMPARE(users->logoutCountdown, 180);
        users->logoutCountdown = 5;
        window.ui->m_tabWidget->setCurrentIndex(0);
        window.ui->m_tabWidget->setCurrentIndex(1);
        QCOMPARE(users->logoutCountdown, 180);
    }
};

MIRELDA_TEST_MAIN(TestMainWindowActions)
#include "tst_mainwindowactions.moc"
