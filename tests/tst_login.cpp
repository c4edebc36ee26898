#include "support/testenv.h"
#include "support/useradmintest.h"
#include "support/windowtest.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>

#include "core/cmsd.h"
#include "dialogs/coption.h"
#include "dialogs/cuseradminnewpass.h"
#include "files/cfilemanager.h"
#include "ui_coption.h"

using WindowTest::setUserAdministration;

Q_DECLARE_METATYPE(LoggerRecord)

namespace {

constexpr quint16 kAdmin = UserRecord::RightAdmin | UserRecord::UnlockAdmin;

QLineEdit *field(QDialog &dialog, const char *name)
{
    return dialog.findChild<QLineEdit *>(QLatin1String(name));
}

// An administrator and a viewer, each with a password of the rule.
void writeAdminAndViewer()
{
    UserStoreFile::write({ UserStoreFile::user("admin", "Adm1npass", "1", kAdmin),
                           UserStoreFile::user("vera", "Pass1word", "7", UserRecord::RightViewer) });
}

// A downloaded trip that was never saved, standing as a file row once its
// logger is gone.
LoggerRecord unsavedTrip(const QString &serial, bool loggerGone = true)
{
    LoggerRecord trip = WindowTest::downloadedTrip(serial, { 40, 50, 60 });
    trip.portName = QStringLiteral("ttyUSB7");
    trip.ready = trip.dataLoaded = trip.unsavedReadings = true;
    if (loggerGone)
        trip.standWithoutLogger();
    return trip;
}

}

class TestLogin : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setUserAdministration(true); }
    void cleanupTestCase() { setUserAdministration(false); }

    void newPasswordDialogEnablesOkOnlyForAFreshConfirmedPassword_data()
    {
        QTest::addColumn<QString>("old");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("repeated");
        QTest::addColumn<bool>("newFieldsOpen");
        QTest::addColumn<bool>("okEnabled");
        QTest::addColumn<bool>("warned");
        QTest::addColumn<QString>("result");
        QTest::newRow("all right") << "Cur1pass" << "New1pass" << "New1pass" << true << true << false << "New1pass";
        QTest::newRow("old wrong") << "cur1pass" << "New1pass" << "New1pass" << false << false << false << "New1pass";
        QTest::newRow("repeat differs") << "Cur1pass" << "New1pass" << "New1pasS" << true << false << false << "";
        QTest::newRow("current again") << "Cur1pass" << "Cur1pass" << "Cur1pass" << true << false << false << "Cur1pass";
        QTest::newRow("previous again") << "Cur1pass" << "Prev1pass" << "Prev1pass" << true << false << true << "Prev1pass";
        QTest::newRow("nothing new") << "Cur1pass" << "" << "" << true << false << false << "";
    }

    void newPasswordDialogEnablesOkOnlyForAFreshConfirmedPassword()
    {
        QFETCH(QString, old);
        QFETCH(QString, typed);
        QFETCH(QString, repeated);
        PromptRecorder prompts;
        CUserAdminNewPass dialog(nullptr, "kim", "Cur1pass", "Prev1pass");
        QSignalSpy warnings(&dialog, &CUserAdminNewPass::warningRaised);
        field(dialog, "m_lineEditNewPassword")->setText(typed);
        field(dialog, "m_lineEditNewPassword_2")->setText(repeated);
        field(dialog, "m_lineEditOldPassword")->setText(old);
        QPushButton *ok = dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        QTEST(field(dialog, "m_lineEditNewPassword_2")->isEnabled(), "newFieldsOpen");
        QTEST(ok->isEnabled(), "okEnabled");
        QTEST(!warnings.isEmpty(), "warned");
        QVERIFY(prompts.boxes.isEmpty());   // the window shows the warning, not the dialog
        for (const QList<QVariant> &warning : qAsConst(warnings))
            QVERIFY(warning.at(0).toString().contains("different from the two previews ones"));
        QTEST(dialog.newPassword(), "result");
    }

    // Inactive, expired, removed and unknown accounts lead back to the login
    // dialog; a due password is changed before the login, and only a change
    // that keeps the rule is taken. The login dialog reads its fields when it
    // is accepted: the recorder types and accepts without editing signals.
    void refusedAccountsAndADuePasswordBeforeTheLogin()
    {
        UserRecord inactive = UserStoreFile::user("ina", "Pass1word", "2", UserRecord::RightViewer);
        inactive.rights &= quint16(~UserRecord::UserActive);
        UserRecord expired = UserStoreFile::user("exp", "Pass1word", "3", UserRecord::RightViewer);
        expired.expiry = QDateTime::currentDateTime().addSecs(-60);
        UserRecord removed = UserStoreFile::user("rem", "Pass1word", "4", UserRecord::RightViewer);
        removed.rights |= UserRecord::UserRemoved;
        UserRecord kim = UserStoreFile::user("kim", "Old1pass", "12", UserRecord::RightViewer);
        kim.previousPassword = "Prev1pass";
        kim.renewalDate = QDate::currentDate();
        UserStoreFile::write({ kim, UserStoreFile::user("admin", "Adm1npass", "1", kAdmin), inactive, expired,
                               removed });

        PromptRecorder prompts;
        prompts.logins = { { "ghost", "Pass1word" }, { "ina", "Pass1word" }, { "exp", "Pass1word" },
                           { "rem", "Pass1word" }, { "admin", "" }, { "kim", "Old1pass" },
                           { "kim", "Old1pass" }, { "kim", "Old1pass" }, { "kim", "Old1pass" } };
        prompts.passwordChanges = { { "Old1pass", "Prev1pass", "Prev1pass" },  // warned, no OK
                                    { "Old1pass", "New2pass", "other" },       // cancelled
                                    { "Old1pass", "weakpass", "weakpass" },    // breaks the rule
                                    { "Old1pass", "New2pass", "New2pass" } };
        MainWindow window;
        QCOMPARE(prompts.loginDialogs, 9);
        QCOMPARE(prompts.passwordDialogs, 4);
        QVERIFY(prompts.sawBoxContaining("at least 6 characters"));
        QVERIFY(prompts.sawBoxContaining("different from the two previews ones"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Mirelda 1.16.34 User: kim (#12)"));
        QVERIFY(!window.ui->m_tabUserAdmin->isEnabled());   // no administrator
        QVERIFY(!window.ui->m_actionBackup->isVisible());

        const UserRecord stored = UserStoreFile::read().at(0);
        QCOMPARE(stored.password, QStringLiteral("New2pass"));
        QCOMPARE(stored.previousPassword, QStringLiteral("Old1pass"));
        QCOMPARE(stored.renewalDate, QDate::currentDate().addDays(365));
        const QString audit = UserStoreFile::auditOfToday();
        // written before kim is logged in, under kim's name all the same
        const int change = audit.lastIndexOf(" - User: Kim Test\r\nUser: kim Change password: **** --> ****");
        QVERIFY(change != -1);
        QVERIFY(change < audit.lastIndexOf("\r\nLogin\r\n"));
        QVERIFY(!audit.contains("New2pass"));
    }

    // The Logout action ends in the login dialog: the files close, every
    // logger is let go, the drive logger is no longer looked for, and a
    // description typed for a row that stays is not kept for the next user.
    // Cancel there ends the program only while no trip never saved is held.
    void logoutClosesFilesAndWaitsForTheNextLogin()
    {
        QDir(UserStoreFile::userDir()).removeRecursively();
        PromptRecorder prompts;
        prompts.logins = { { "", "" }, { "admin", "" } };   // a first start
        MainWindow window;
        QCOMPARE(prompts.passwordDialogs, 0);
        QCOMPARE(window.windowTitle(), QStringLiteral("Mirelda 1.16.34 User: admin (#1)"));
        QVERIFY(window.isVisible() && window.ui->m_tabUserAdmin->isEnabled());
        CMainApp *app = window.app;
        app->records << WindowTest::fileRecord("/tmp/trip.qlf", "F1") << unsavedTrip("U1");
        window.fillLoggerTable(true);
        window.selectTableRow(1);
        window.ui->m_lineEditLoggerDescription->setText(QStringLiteral("Typed by admin"));

        window.on_m_actionLogout_triggered();
        prompts.logins = { { QString(), QString() }, { "admin", "" } };
        window.Timer100ms();
        QCOMPARE(prompts.loginCancels, 0);
        QCOMPARE(prompts.boxesContaining("The data of U1, its trip started "), 1);
        QVERIFY(prompts.sawBoxContaining("kept for a user who may save them"));
        QCOMPARE(app->records.size(), 1);   // the download saved nowhere stays
        QCOMPARE(app->records.at(0).serialNumber, QStringLiteral("U1"));
        QVERIFY(window.ui->m_lineEditLoggerDescription->text().isEmpty());
        window.selectTableRow(0);
        QVERIFY(window.ui->m_lineEditLoggerDescription->text().isEmpty());

        window.selectTableRow(0);
        window.on_m_actionCloseSelectedFile_triggered();   // not to be saved
        QVERIFY(app->records.isEmpty());
        window.on_m_actionLogout_triggered();
        window.Timer100ms();
        QCOMPARE(prompts.loginCancels, 1);
        QCOMPARE(prompts.boxes.size(), 2);   // none at this Cancel
        QVERIFY(!window.isVisible());
        QCOMPARE(app->userAdmin->currentUser, -1);
        QCOMPARE(app->msd->state.load(), int(CMsd::Idle));
        QVERIFY(app->msd->paused);
        QVERIFY(!UserStoreFile::auditOfToday().contains("Auto Logout"));
    }

    // The window tells of an audit file that cannot be written once, on
    // every road an entry takes (a page line, Logout, Auto Logout, Login).
    void auditThatCannotBeWrittenIsToldOnce()
    {
        QDir(UserStoreFile::userDir()).removeRecursively();
        PromptRecorder prompts;
        prompts.logins = { { "admin", "" }, { "admin", "" } };
        MainWindow window;
        CUserAdmin *users = window.app->userAdmin;
        const QString today = users->auditFilePath(QDate::currentDate());
        BlockedUserDir blocked;
        QVERIFY(blocked.blocked());

        window.addAudit("Message: lost");
        window.on_m_actionLogout_triggered();
        users->autoLogout = true;
        window.Timer100ms();
        QCOMPARE(prompts.loginDialogs, 2);
        QCOMPARE(prompts.boxesContaining(today), 1);
    }

    // The box about the trail runs the event loop, where the timer ticks
    // again: that tick must not serve the same logout a second time.
    void warningDuringAutoLogoutServesItOnce()
    {
        QDir(UserStoreFile::userDir()).removeRecursively();
        PromptRecorder prompts;
        prompts.logins = { { "admin", "" }, { "admin", "" }, { "admin", "" } };
        MainWindow window;
        int boxes = 0;
        CPrompt::setBoxHandler([&](CPrompt::Kind, const QString &, QMessageBox::StandardButtons) {
            if (boxes++ == 0)
                window.Timer100ms();
            return QMessageBox::Ok;
        });
        BlockedUserDir blocked;
        QVERIFY(blocked.blocked());
        window.app->userAdmin->logoutRequested = true;
        window.app->userAdmin->autoLogout = true;
        window.Timer100ms();
        QCOMPARE(boxes, 1);
        QCOMPARE(prompts.loginDialogs, 2);
    }

    // What the user left open when the automatic logout comes closes as its
    // Cancel would before the next user logs in: she never gets to press the
    // options' OK (the previewed colour goes back too). A box or a chooser
    // that answers after the logout anyway acts for nobody: neither the exit
    // question's Yes nor the Save As chooser's file.
    void whatIsLeftOpenAtLogoutActsForNobody()
    {
        writeAdminAndViewer();
        PromptRecorder prompts;
        prompts.logins = { { "admin", "Adm1npass" }, { "vera", "Pass1word" }, { "admin", "Adm1npass" },
                           { "vera", "Pass1word" }, { "vera", "Pass1word" } };
        MainWindow window;
        CMainApp *app = window.app;
        CUserAdmin *users = app->userAdmin;
        auto logoutMeanwhile = [&] {
            users->logoutRequested = users->autoLogout = true;
            window.Timer100ms();
        };
        app->settings.defaultPath = TestEnv::home() + "/trips";
        QVERIFY(app->fileManager->writeSettings(app->settingsFilePath()));
        const QByteArray fileBefore = TestEnv::readFile(app->settingsFilePath());
        const QColor colorBefore = app->settings.graphBackground;
        CPrompt::setColorHandler([](const QColor &) { return QColor(0, 0, 255); });
        const auto noColors = qScopeGuard([] { CPrompt::setColorHandler(nullptr); });
        int oksPressed = 0;
        prompts.otherDialogs = [&](QDialog *dialog) {
            auto *options = qobject_cast<COption *>(dialog);
            Ui_COption *f = options->form();
            QTimer::singleShot(0, options, [&, f] {
                QTest::mouseClick(f->m_checkBoxGeneralAutoDownloadLogger, Qt::LeftButton);
                QTest::mouseClick(f->m_pushButtonViewGraphBackground, Qt::LeftButton);
                users->logoutRequested = users->autoLogout = true;
            });
            QTimer viewer;
            connect(&viewer, &QTimer::timeout, options, [&, f] {
                if (users->currentUserLogin() == "vera" && options->isVisible()) {
                    ++oksPressed;
                    f->m_buttonBox->button(QDialogButtonBox::Ok)->click();
                }
            });
            viewer.start(20);
            QTimer::singleShot(30000, options, &QDialog::reject);
            return options->exec();
        };
        window.on_m_actionOptions_triggered();
        QCOMPARE(users->currentUserLogin(), QStringLiteral("vera"));
        QCOMPARE(oksPressed, 0);
        QCOMPARE(TestEnv::readFile(app->settingsFilePath()), fileBefore);
        QVERIFY(!app->settings.autoDownloadLogger);
        QCOMPARE(app->settings.graphBackground, colorBefore);

        logoutMeanwhile();   // the administrator again
        app->records << unsavedTrip("D1");
        window.fillLoggerTable(true);
        window.selectTableRow(0);
        window.show();
        const QString path = TestEnv::home() + "/D1-at-logout.qlf";
        CPrompt::setBoxHandler([&](CPrompt::Kind, const QString &, QMessageBox::StandardButtons) {
            logoutMeanwhile();
            return QMessageBox::Yes;
        });
        QVERIFY(!window.close());
        QVERIFY(window.isVisible());
        QVERIFY(prompts.fileCaptions.isEmpty());
        CPrompt::setFileHandler([&](const QString &, const QString &, const QString &, const QString &) {
            logoutMeanwhile();
            return QStringList{ path };
        });
        window.selectTableRow(0);
        window.on_m_actionSaveAs_triggered();
        QCOMPARE(prompts.loginDialogs, 5);
        QVERIFY(!QFile::exists(path));
        QVERIFY(app->records.at(0).unsavedReadings);
    }

    // The program ends after a restore once its box is answered. The box
    // that the automatic logout closes was read by nobody: the next user is
    // told before the window closes under them.
    void restartAfterARestoreIsToldToWhoeverIsThere()
    {
        writeAdminAndViewer();
        PromptRecorder prompts;
        prompts.logins = { { "admin", "Adm1npass" }, { "vera", "Pass1word" } };
        MainWindow window;
        CUserAdmin *users = window.app->userAdmin;
        QTemporaryDir backup;
        QVERIFY(users->backup(backup.path()));
        prompts.filesToChoose = QStringList{ backup.path() };
        QStringList toldTo;
        CPrompt::setBoxHandler([&](CPrompt::Kind, const QString &text, QMessageBox::StandardButtons) {
            if (text.contains("Restart the Application...")) {
                toldTo << users->currentUserLogin();
                if (toldTo.size() == 1) {
                    users->logoutRequested = users->autoLogout = true;
                    window.Timer100ms();
                }
            }
            return QMessageBox::Ok;
        });
        window.on_m_actionRestore_triggered();
        QCOMPARE(toldTo, QStringList({ "admin", "vera" }));
        QVERIFY(!window.isVisible());
    }

    // A restore whose store lacks the user who restored it ends that
    // session, also when the exit is cancelled to keep a trip never saved:
    // its Logout stands in the trail, and the next user logs in.
    void aSessionTheRestoreEndedIsLoggedOut_data()
    {
        QTest::addColumn<bool>("userInBackup");
        QTest::newRow("the user gone from the restored store") << false;
        QTest::newRow("the user still in it") << true;
    }
    void aSessionTheRestoreEndedIsLoggedOut()
    {
        QFETCH(bool, userInBackup);
        const UserRecord admin = UserStoreFile::user("admin", "Adm1npass", "1", kAdmin);
        const UserRecord ada = UserStoreFile::user("ada", "Ada1pass", "2", kAdmin);
        UserStoreFile::write({ admin, ada });
        PromptRecorder prompts;
        prompts.logins = { { "ada", "Ada1pass" }, { "admin", "Adm1npass" } };
        MainWindow window;
        CUserAdmin *users = window.app->userAdmin;
        QCOMPARE(users->currentUserLogin(), QStringLiteral("ada"));
        QTemporaryDir backup;
        if (!userInBackup)
            UserStoreFile::write({ admin });
        QVERIFY(users->backup(backup.path()));
        UserStoreFile::write({ admin, ada });
        window.app->records << unsavedTrip("U1");
        window.fillLoggerTable(true);

        prompts.filesToChoose = QStringList{ backup.path() };
        CPrompt::setBoxHandler([](CPrompt::Kind, const QString &text, QMessageBox::StandardButtons) {
            return text.contains("Restart the Application...") ? QMessageBox::Ok : QMessageBox::Cancel;
        });
        window.ui->m_actionRestore->trigger();
        window.Timer100ms();
        QVERIFY(window.isVisible());
        QCOMPARE(window.app->records.size(), 1);
        QCOMPARE(users->currentUserLogin(), QString(userInBackup ? "ada" : "admin"));
        QCOMPARE(prompts.loginDialogs, userInBackup ? 1 : 2);
        const QString audit = UserStoreFile::auditOfToday();
        const int restored = audit.lastIndexOf("Restore Audit Trail: ");
        QVERIFY(restored > 0);
        QCOMPARE(audit.indexOf("User: Ada Test\r\nLogout\r\n", restored) > 0, !userInBackup);
        QCOMPARE(audit.indexOf("Logout", restored) > 0, !userInBackup);
    }

    // A viewer sees the data pages of what was read from a file, not of a
    // download, whichever road brought it to a row of its own.
    void aViewerSeesTheDataOfFilesOnly_data()
    {
        QTest::addColumn<LoggerRecord>("record");
        QTest::addColumn<bool>("dataPages");
        LoggerRecord file = WindowTest::fileRecord("/tmp/edited.qlf", "F1");
        file.unsavedReadings = true;   // its comment changed: it stays through the logout
        QTest::newRow("unplugged") << unsavedTrip("T1") << false;
        QTest::newRow("kept apart") << unsavedTrip("T1", false).tripApart() << false;
        QTest::newRow("let go at the logout") << unsavedTrip("T1", false) << false;
        QTest::newRow("opened from a file") << file << true;
    }
    void aViewerSeesTheDataOfFilesOnly()
    {
        writeAdminAndViewer();
        PromptRecorder prompts;
        prompts.logins = { { "admin", "Adm1npass" }, { "vera", "Pass1word" } };
        MainWindow window;
        QFETCH(LoggerRecord, record);
        window.app->records << record;
        window.app->userAdmin->logoutRequested = window.app->userAdmin->autoLogout = true;
        window.Timer100ms();
        QCOMPARE(window.app->userAdmin->currentUserLogin(), QStringLiteral("vera"));
        window.selectTableRow(0);
        window.viewsDirty = true;
        window.Timer();
        for (int page = MainWindow::PageGraph; page <= MainWindow::PageSummary; ++page)
            QTEST(window.ui->m_tabWidget->isTabEnabled(page), "dataPages");
    }

    // A viewer reaches the data of files alone: no report, print, save or
    // export of a download's readings, nor of a file's row with one selected
    // beside it, whose data pages stay closed too, nor its alarm lights in
    // the list; a No at the exit drops no such trip, kept for a user who
    // may save it. A file opened still prints.
    void aViewerGetsNoRoadToADownloadsData_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("road");
        for (const char *kind : { "unplugged", "kept apart", "beside a file", "file" })
            for (const char *road : { "pdf", "print", "preview", "save", "save as", "exit", "pages", "lights" })
                QTest::addRow("%s, %s", kind, road) << kind << road;
    }
    void aViewerGetsNoRoadToADownloadsData()
    {
        QFETCH(QString, kind);
        QFETCH(QString, road);
        writeAdminAndViewer();
        PromptRecorder prompts;
        prompts.logins = { { "vera", "Pass1word" } };
        MainWindow window;
        Ui::MainWindow *ui = window.ui;
        LoggerRecord file = WindowTest::fileRecord("/tmp/edited.qlf", "F1");
        file.unsavedReadings = true;
        QList<LoggerRecord> &records = window.app->records;
        records << (kind == "unplugged"    ? unsavedTrip("T1")
                    : kind == "kept apart" ? unsavedTrip("T1", false).tripApart()
                                           : file);
        if (kind == "beside a file")
            records << unsavedTrip("T2");
        for (LoggerRecord &record : records)
            record.tripForChange().alarmStatus = AlarmStatusBits::H | AlarmStatusBits::HH;
        window.fillLoggerTable(true);
        window.selectTableRow(0);
        ui->m_tableWidgetLogger->selectAll();
        window.viewsDirty = true;
        window.Timer();
        const QMap<QString, QAction *> actions{ { "pdf", ui->m_actionGeneratPdf }, { "print", ui->m_actionPrintPrint },
                                                { "preview", ui->m_actionPrintPreview }, { "save", ui->m_actionSave },
                                                { "save as", ui->m_actionSaveAs } };
        window.show();
        QTableWidget *list = ui->m_tableWidgetLogger;
        const auto lit = [list](int column) { return !list->item(list->rowCount() - 1, column)->icon().isNull(); };
        const bool open = road == "exit"     ? window.close()   // No to every question
                          : road == "pages"  ? ui->m_tabWidget->isTabEnabled(MainWindow::PageGraph)
                          : road == "lights" ? lit(7) || lit(8)
                                             : actions.value(road)->isEnabled();
        QCOMPARE(open, kind == "file");
    }

    // The list's alarm lights follow whoever logs in: a viewer sees none of
    // a kept download's, the administrator after them all of them again.
    void theListsLightsFollowWhoeverLogsIn()
    {
        writeAdminAndViewer();
        PromptRecorder prompts;
        prompts.logins = { { "admin", "Adm1npass" } };
        MainWindow window;
        LoggerRecord trip = unsavedTrip("T1");
        trip.tripForChange().alarmStatus = AlarmStatusBits::HH;
        window.app->records << trip;
        for (const QString user : { "vera", "admin" }) {
            prompts.logins = { { user, user == "vera" ? "Pass1word" : "Adm1npass" } };
            window.on_m_actionLogout_triggered();
            window.Timer100ms();
            QCOMPARE(window.ui->m_tableWidgetLogger->item(0, 8)->icon().isNull(), user == "vera");
        }
    }

    // What the options at a first start, a data file named at start and
    // the exit's offer to save do follows the rights of the user logged in.
    void firstStartFileAtStartAndExitFollowTheRights_data()
    {
        QTest::addColumn<quint16>("rights");
        QTest::addColumn<int>("optionsOpened");
        QTest::addColumn<bool>("fileOpened");
        QTest::addColumn<bool>("savedAtExit");
        QTest::newRow("administrator") << quint16(kAdmin) << 2 << true << true;
        QTest::newRow("viewer") << quint16(UserRecord::RightViewer) << 0 << true << false;
        QTest::newRow("download only") << quint16(UserRecord::RightDownload) << 0 << false << true;
        QTest::newRow("configure only") << quint16(UserRecord::RightConfigure) << 0 << false << false;
    }
    void firstStartFileAtStartAndExitFollowTheRights()
    {
        QFETCH(quint16, rights);
        QFETCH(bool, fileOpened);
        QFETCH(bool, savedAtExit);
        UserStoreFile::write({ UserStoreFile::user("kim", "Pass1word", "5", rights) });
        QFile::remove(TestEnv::settingsDir() + "xZdr.ini");
        const QString given = TestEnv::home() + "/given.qlf";
        LoggerRecord givenTrip = WindowTest::downloadedTrip("G1", { 40, 50 });
        WindowTest::giveLoggerHeader(givenTrip);
        QVERIFY(CFileManager::writeDataFile(given, givenTrip, true));
        const QString saved = TestEnv::home() + "/kept.qlf";
        QFile::remove(saved);

        PromptRecorder prompts;
        prompts.logins = { { "kim", "Pass1word" } };
        int optionsOpened = 0;
        prompts.otherDialogs = [&](QDialog *dialog) {
            optionsOpened += qobject_cast<COption *>(dialog) ? 1 : 0;
            return int(QDialog::Rejected);
        };
        MainWindow::openOptionsAtStart = true;
        const auto noOptions = qScopeGuard([] { MainWindow::openOptionsAtStart = false; });
        MainWindow window;
        QTEST(optionsOpened, "optionsOpened");

        window.openStartFile(given);
        QCOMPARE(window.app->records.size(), fileOpened ? 1 : 0);
        QCOMPARE(prompts.boxesContaining("was not opened"), fileOpened ? 0 : 1);

        window.app->records << unsavedTrip("K1");
        window.fillLoggerTable(true);
        window.show();
        prompts.answer = QMessageBox::Yes;
        prompts.filesToChoose = QStringList{ saved };
        QCOMPARE(window.close(), savedAtExit);
        QCOMPARE(QFile::exists(saved), savedAtExit);
        QCOMPARE(prompts.fileCaptions.isEmpty(), !savedAtExit);
        QCOMPARE(prompts.boxesContaining("do not let you save"), savedAtExit ? 0 : 1);
        QCOMPARE(window.app->records.last().unsavedReadings, !savedAtExit);
    }
};

MIRELDA_TEST_MAIN(TestLogin)
#include "tst_login.moc"
