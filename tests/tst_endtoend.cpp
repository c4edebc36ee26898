// The whole road with a simulated logger on a pseudo-terminal and a TLS
// mail server on loopback: the automatic chain after a download, a program
// that the logger then records by, and user administration around both.
#include "support/testenv.h"
#include "support/mailtestserver.h"
#include "support/useradmintest.h"
#include "support/windowtest.h"

#include <QDesktopServices>
#include <QDir>
#include <QJsonArray>
#include <QPointer>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QUrl>

#include "core/imagecodec.h"
#include "core/loggertime.h"
#include "files/cfilemanager.h"
#include "programming/programlimits.h"
#include "views/cplot.h"

namespace {

constexpr int kLinkMs = 30000;
constexpr int kTransferMs = 30000;
const QString kUser = QStringLiteral("mailer@example.org");


// User administration on, the administrator logged in, the simulator's
// logger downloaded into dataDir (by the automatic steps, when automatic);
// a logout lets the logger go and it comes back as a new record.
struct UserAdministrationOn
{
    UserAdministrationOn()
    {
        QDir(UserStoreFile::userDir()).removeRecursively();
        WindowTest::setUserAdministration(true);
    }
    ~UserAdministrationOn() { WindowTest::setUserAdministration(false); }
};
struct LoginStation : UserAdministrationOn, WindowTest::SimulatedStation
{
    LoginStation(const QStringList &simArguments, const QString &dataDir, bool automatic)
        : WindowTest::SimulatedStation(simArguments), automatic(automatic)
    {
        AppSettings &settings = window.app->settings;
        settings.defaultPath = dataDir;
        settings.autoDownloadLogger = settings.autoSaveLogger = automatic;
        prompts.logins = { { "admin", "" }, { "admin", "" } };
        window.login();
    }
    int loggerRow() const
    {
        for (int row = 0; row < records.size(); ++row)
            if (!records.at(row).portName.isEmpty())
                return row;
        return -1;
    }
    const LoggerRecord &logger() const { return records.at(loggerRow()); }
    // its download in, and the automatic steps, if any, past their turn
    bool downloaded() const
    {
        const LoggerRecord *r = loggerRow() < 0 ? nullptr : &logger();
        return r && r->dataLoaded && !r->downloadRunning
               && (!r->autoDownloaded || (r->autoDownloadArrived && r->autoDelay == 0 && !window.viewsDirty));
    }
    void download()
    {
        QTRY_COMPARE_WITH_TIMEOUT(ui->m_tableWidgetLogger->rowCount(), records.size(), kLinkMs);
        window.selectTableRow(loggerRow());
        QTRY_VERIFY_WITH_TIMEOUT(logger().ready, kLinkMs);
        if (!automatic)
            ui->m_actionDownload->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(downloaded(), kTransferMs);
    }
    // A trip of a sample a minute, begun a minute on, recorded sixty times
    // faster, with a few samples in.
    void programARecordingTrip()
    {
        QTRY_VERIFY_WITH_TIMEOUT(ui->m_groupBoxProgram->isEnabled(), kLinkMs);
        ui->m_dateTimeEditPrgInterval->setDateTime(ProgramLimits::intervalToEditor(60));
        ui->m_radioButtonPrgStartWait->click();
        ui->m_dateTimeEditPrgStartWait->setTime(QTime(0, 1));
        QVERIFY(sim.command(QStringLiteral("fast 60")));
        QTRY_VERIFY_WITH_TIMEOUT(ui->m_actionProgram->isEnabled(), kLinkMs);
        prompts.answer = QMessageBox::Yes;
        ui->m_actionProgram->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(transferOver(), kTransferMs);
        prompts.answer = QMessageBox::No;
        LoggerRecord held;
        QTRY_VERIFY_WITH_TIMEOUT((ImageCodec::decode(sim.memory(), held), held.recordedCount >= 4), kTransferMs);
    }
    // Closes the window answering No: the number of trips offered.
    int tripsOfferedAtExit()
    {
        prompts.boxes.clear();
        prompts.answer = QMessageBox::No;
        window.show();
        return window.close() ? prompts.boxes.size() : -1;
    }

    const bool automatic;
};

}

class TestEndToEnd : public QObject
{
    Q_OBJECT
public slots:
    // the desktop's handler of files: what the program asks to open
    void openFile(const QUrl &url) { opened << url.toLocalFile(); }

private slots:
    void initTestCase()
    {
        QVERIFY(MailTestServer::makeTrustedCertificates(certDir.path()));
        TestEnv::useTempDir(tempRoot.path());
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openFile");
    }

    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    // Every automatic step on: one download, the four files under the
    // trip's names, the report opened once and one e-mail with each chosen
    // attachment once, however often the row is selected afterwards.
    void automaticChainRunsOncePerDownload()
    {
        QTemporaryDir outDir, dataDir;
        MailTestServer server;
        QVERIFY(server.startSmtp(certDir.path(), outDir.path(), kUser, QStringLiteral("pw")));
        WindowTest::SimulatedStation h({ "--serial", "E2E-0001", "--readings", "600", "--sensors", "5" });
        AppSettings &settings = h.window.app->settings;
        settings.defaultPath = dataDir.path();
        settings.autoDownloadLogger = settings.autoSaveLogger = true;
        settings.autoGeneratePdf = settings.autoOpenPdf = true;
        settings.autoGenerateTxt = settings.autoGenerateCsv = true;
        settings.smtpServerAddress = QStringLiteral("127.0.0.1");
        settings.smtpServerPort = server.port();
        settings.smtpUserName = kUser;
        settings.smtpPassword = QStringLiteral("pw");
        settings.smtpSenderEmail = QStringLiteral("desk@example.org");
        settings.smtpRecipientEmail = QStringLiteral("rita@example.org");
        settings.smtpAttachedFiles = AttachBits::DataFile | AttachBits::Txt | AttachBits::Csv
                                     | AttachBits::Pdf | AttachBits::GraphImage;
        settings.smtpServerAuto = 1;
        opened.clear();

        QVERIFY(h.plugInAndSelect(kLinkMs));
        QTRY_COMPARE_WITH_TIMEOUT(MailTestServer::messageCount(outDir.path()), 1, kTransferMs);
        QTRY_VERIFY_WITH_TIMEOUT(h.window.app->emailSender.isNull(), kTransferMs);

        const QString base = dataDir.filePath(QStringLiteral("E2E-0001_0001_"));
        const QStringList expected{ "E2E-0001_0001_000.pdf", "E2E-0001_0001_000.qlf",
                                    "E2E-0001_0001_001.csv", "E2E-0001_0001_001.txt" };
        QCOMPARE(QDir(dataDir.path()).entryList(QDir::Files, QDir::Name), expected);
        QCOMPARE(opened, QStringList{ base + QStringLiteral("000.pdf") });
        LoggerRecord saved;
        QVERIFY(CFileManager::readDataFile(base + QStringLiteral("000.qlf"), saved, false, nullptr));
        QCOMPARE(saved.readingCount, 600);
        for (const QString &text : { QStringLiteral("001.txt"), QStringLiteral("001.csv") })
            QCOMPARE(TestEnv::readFile(base + text).count('\n'), 1 + saved.sampleCount());

        // selected again, and its image read again: no step runs twice
        for (int round = 0; round < 2; ++round) {
            QPointer<CPlot> shown = h.window.plot;
            if (round == 0) {
                h.ui->m_tableWidgetLogger->setCurrentCell(-1, -1);
                h.ui->m_tableWidgetLogger->setCurrentCell(0, 0);
            } else {
                h.window.on_m_tableWidgetLogger_doubleClicked(QModelIndex());
            }
            QTRY_VERIFY_WITH_TIMEOUT(shown.isNull() && h.window.plot, kLinkMs);
            for (int tick = 0; tick < 4; ++tick)
                h.window.Timer();
            QVERIFY(h.window.app->emailSender.isNull());
        }
        QCOMPARE(QDir(dataDir.path()).entryList(QDir::Files, QDir::Name), expected);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(MailTestServer::messageCount(outDir.path()), 1);
        QVERIFY(h.prompts.boxes.isEmpty());

        QStringList attached;
        const QJsonArray parts = MailTestServer::message(outDir.path(), 1).value(QStringLiteral("parts")).toArray();
        for (const QJsonValue &part : parts) {
            attached << part.toObject().value(QStringLiteral("filename")).toString();
            if (attached.last().endsWith(QLatin1String(".csv")))   // the readings the download brought
                QCOMPARE(MailTestServer::payload(part.toObject()).count('\n'), 1 + saved.sampleCount());
        }
        attached.removeAll(QString());   // the body
        attached.sort();
        QCOMPARE(attached, (QStringList{ "E2E-0001.csv", "E2E-0001.jpg", "E2E-0001.pdf", "E2E-0001.qlf",
                                         "E2E-0001.txt" }));
    }

    // The automatic download ticked for a logger downloaded before: the
    // steps wait for the readings it brings and then run once for them,
    // never on the readings held before it.
    void automaticStepsFollowTheDownloadTheyStarted()
    {
        QTemporaryDir dataDir;
        WindowTest::SimulatedStation h({ "--serial", "AUT-0001", "--readings", "40" });
        AppSettings &settings = h.window.app->settings;
        settings.defaultPath = dataDir.path();
        settings.autoSaveLogger = settings.autoGenerateCsv = true;
        QVERIFY(h.plugInAndSelect(kLinkMs));
        QTRY_VERIFY_WITH_TIMEOUT(h.ui->m_actionDownload->isEnabled(), kLinkMs);
        h.ui->m_actionDownload->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(h.records.at(0).dataLoaded && !h.records.at(0).downloadRunning, kTransferMs);
        QTRY_VERIFY_WITH_TIMEOUT(!h.window.viewsDirty && h.records.at(0).autoDelay == 0, kLinkMs);
        // the logger has recorded on since: what the row holds is the
        // first half of what it holds now
        LoggerRecord &held = h.records[0];
        for (LoggerRecord *part : { &held, &held.tripForChange() }) {
            part->readings.resize(20);
            part->readingCount = 20;
        }

        settings.autoDownloadLogger = true;
        h.window.Timer();
        QVERIFY(h.records.at(0).autoDownloaded && h.records.at(0).downloadRunning);
        QVERIFY(QDir(dataDir.path()).isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(h.records.at(0).autoCsvDone, kTransferMs);
        const QStringList saved = QDir(dataDir.path()).entryList({ "*.qlf" }, QDir::Files);
        QCOMPARE(saved.size(), 1);
        LoggerRecord file;
        QVERIFY(CFileManager::readDataFile(dataDir.filePath(saved.first()), file, false, nullptr));
        QCOMPARE(file.readingCount, 40);
        const QStringList csv = QDir(dataDir.path()).entryList({ "*.csv" }, QDir::Files);
        QCOMPARE(csv.size(), 1);
        QCOMPARE(TestEnv::readFile(dataDir.filePath(csv.first())).count('\n'), 1 + file.sampleCount());
        QVERIFY(h.prompts.boxes.isEmpty());
    }

    // Interval, limits and description typed on the page reach the logger;
    // what it then records comes back with them.
    void programmedLoggerRecordsByItsProgram()
    {
        WindowTest::SimulatedStation h({ "--serial", "PRG-E2E", "--sensors", "5" });
        h.prompts.answer = QMessageBox::Yes;
        Ui::MainWindow *ui = h.ui;
        QVERIFY(h.plugInAndSelect(kLinkMs));
        QTRY_VERIFY_WITH_TIMEOUT(h.records.at(0).ready && ui->m_groupBoxProgram->isEnabled(), kLinkMs);

        ui->m_dateTimeEditPrgInterval->setDateTime(ProgramLimits::intervalToEditor(30));
        ui->m_lineEditLoggerHighHigh->setText(QStringLiteral("22.5"));
        ui->m_lineEditLoggerHigh->setText(QStringLiteral("21.0"));
        ui->m_lineEditLoggerHighHighHum->setText(QStringLiteral("75.0"));
        ui->m_lineEditLoggerDescription->setText(QStringLiteral("Pharma run 12 to Porto"));
        ui->m_radioButtonPrgStartWait->click();
        QTRY_VERIFY_WITH_TIMEOUT(ui->m_actionProgram->isEnabled(), kLinkMs);
        // the logger's clock runs fast: two readings a second at 30 s
        QVERIFY(h.sim.command(QStringLiteral("fast 60")));
        ui->m_actionProgram->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(h.transferOver(), kTransferMs);
        QCOMPARE(ui->m_progressBarWrite->styleSheet(), QString());   // confirmed

        LoggerRecord held;
        QTRY_VERIFY_WITH_TIMEOUT((ImageCodec::decode(h.sim.memory(), held), held.recordedCount >= 8), kTransferMs);
        ui->m_actionDownload->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(h.records.at(0).dataLoaded, kTransferMs);
        QCOMPARE(ui->m_progressBarWrite->value(), ui->m_progressBarWrite->maximum());
        QCOMPARE(ui->m_progressBarWrite->text(), QStringLiteral("100%"));

        const LoggerRecord &trip = h.records.at(0);
        QVERIFY(trip.sampleCount() >= 4);
        QCOMPARE(trip.interval, 30u);
        QCOMPARE(trip.startTime.secsTo(trip.stopTime), qint64(trip.sampleCount() - 1) * 30);
        QCOMPARE(trip.alarmThresholds[GroupInternal][LevelHH], 22.5);
        QCOMPARE(trip.alarmThresholds[GroupInternal][LevelH], 21.0);
        QCOMPARE(trip.alarmThresholds[GroupHumidity][LevelHH], 75.0);
        QCOMPARE(trip.description, QStringLiteral("Pharma run 12 to Porto"));
        for (int sample = 0; sample < trip.sampleCount(); ++sample) {
            const double humidity = ReadingWord::value(trip.reading(ChannelHumidity, sample));
            QVERIFY2(humidity >= 0 && humidity <= 100, qPrintable(QString::number(humidity)));
        }
        QTRY_COMPARE_WITH_TIMEOUT(ui->m_tableWidgetTable->model()->rowCount(), trip.sampleCount(), kLinkMs);
        QVERIFY(!h.prompts.sawBoxContaining(QStringLiteral("Warning")));
    }

    // Nobody logged in: the logger is found but not downloaded. Once a user
    // logs in it is; the automatic logout is audited, closes the files, lets
    // the logger go and shows the login again.
    void downloadsFollowTheLogin()
    {
        QTemporaryDir dataDir;
        QDir(UserStoreFile::userDir()).removeRecursively();
        const auto restore = qScopeGuard([] { WindowTest::setUserAdministration(false); });
        WindowTest::setUserAdministration(true);
        WindowTest::SimulatedStation h({ "--serial", "UA-0001", "--readings", "300" });
        QCOMPARE(h.prompts.loginCancels, 1);
        CMainApp *app = h.window.app;
        app->settings.defaultPath = dataDir.path();
        app->settings.autoDownloadLogger = app->settings.autoSaveLogger = true;

        QVERIFY(h.plugInAndSelect(kLinkMs));
        QTRY_VERIFY_WITH_TIMEOUT(h.records.at(0).ready, kLinkMs);
        for (int tick = 0; tick < 4; ++tick)
            h.window.Timer();
        QVERIFY(!h.records.at(0).autoDownloaded && !h.records.at(0).downloadRunning);

        h.prompts.logins = { { "admin", "" } };
        h.window.login();
        QTRY_VERIFY_WITH_TIMEOUT(h.records.at(0).autoSaved, kTransferMs);
        const QString saved = dataDir.filePath(QStringLiteral("UA-0001_0001_000.qlf"));
        QVERIFY(h.window.loadDataFile(saved));
        QCOMPARE(h.records.size(), 2);

        app->userAdmin->logoutCountdown = 1;
        QTRY_COMPARE_WITH_TIMEOUT(h.prompts.loginCancels, 2, kLinkMs);
        QVERIFY(h.records.isEmpty());
        QVERIFY(!app->userAdmin->logoutRequested && !app->userAdmin->autoLogout);
        const QString audit = UserStoreFile::auditOfToday();
        QVERIFY(audit.lastIndexOf("Auto Logout") > audit.lastIndexOf("Login"));
    }

    // A logout lets the logger go and it comes back as a new record: its
    // download of the same trip is that trip again, in one row, with the
    // file its automatic steps wrote, which they do not write again.
    void aLoggerThatNeverLeftKeepsItsTripThroughALogout_data()
    {
        QTest::addColumn<bool>("automatic");
        QTest::newRow("downloaded, never saved") << false;
        QTest::newRow("saved and exported by the automatic steps") << true;
    }
    void aLoggerThatNeverLeftKeepsItsTripThroughALogout()
    {
        QFETCH(bool, automatic);
        QTemporaryDir dataDir;
        LoginStation h({ "--serial", "UA-0002", "--readings", "300" }, dataDir.path(), automatic);
        h.window.app->settings.autoGenerateTxt = h.window.app->settings.autoGenerateCsv = automatic;

        QVERIFY(h.plugInAndSelect(kLinkMs));
        CHECKED(h.download());
        const QStringList files = QDir(dataDir.path()).entryList(QDir::Files);
        QCOMPARE(files.size(), automatic ? 3 : 0);
        const quint64 tripId = h.logger().trip().tripId;

        h.ui->m_actionLogout->trigger();
        // logged in again, the logger found again
        QTRY_VERIFY_WITH_TIMEOUT(h.prompts.logins.isEmpty() && h.window.app->userAdmin->currentUser != -1, kLinkMs);
        QCOMPARE(h.records.size(), automatic ? 0 : 1);
        QTRY_VERIFY_WITH_TIMEOUT(h.loggerRow() >= 0, kLinkMs);
        CHECKED(h.download());
        QCOMPARE(h.records.size(), 1);
        const LoggerRecord &logger = h.logger();
        QCOMPARE(logger.trip().tripId, tripId);
        QCOMPARE(logger.unsavedReadings, !automatic);
        QCOMPARE(files.contains(QFileInfo(logger.fileName).fileName()), automatic);
        QCOMPARE(QDir(dataDir.path()).entryList(QDir::Files), files);
        QCOMPARE(h.tripsOfferedAtExit(), automatic ? 0 : 1);
    }

    // The trip taken back after a logout is whole in its file, saved by
    // hand or by the automatic steps: Save writes it there again without a
    // question, and the exit offers nothing. A clock set before the logout
    // moved the start of the trip the logger records: it is still that trip.
    void aTripTakenBackAfterALogoutKnowsItsFile_data()
    {
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<bool>("synced");
        QTest::newRow("saved by hand") << false << false;
        QTest::newRow("saved by the automatic steps") << true << false;
        QTest::newRow("saved by hand, its clock set before the logout") << false << true;
    }
    void aTripTakenBackAfterALogoutKnowsItsFile()
    {
        QFETCH(bool, automatic);
        QFETCH(bool, synced);
        QTemporaryDir dataDir;
        LoginStation h({ "--serial", "UA-0003", "--readings", "300" }, dataDir.path(), automatic);
        QVERIFY(h.plugInAndSelect(kLinkMs));
        if (synced)
            CHECKED(h.programARecordingTrip());
        CHECKED(h.download());
        QString path = dataDir.filePath(QStringLiteral("UA-0003_0001_000.qlf"));
        if (!automatic) {
            path = dataDir.filePath(QStringLiteral("by-hand.qlf"));
            h.prompts.filesToChoose = QStringList{ path };
            h.ui->m_actionSave->trigger();
        }
        QVERIFY(!h.logger().unsavedReadings);
        QCOMPARE(h.logger().fileName, path);
        if (synced) {
            h.ui->m_pushButtonLoggerSyncTime->click();
            QTRY_VERIFY_WITH_TIMEOUT(!h.window.clockCheckPending && h.transferOver(), kLinkMs);
            QVERIFY(h.logger().clockSetsSinceDownload.known() && h.logger().clockSetsSinceDownload.moved != 0);
        }

        h.ui->m_actionLogout->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(h.prompts.logins.isEmpty() && h.loggerRow() >= 0, kLinkMs);
        CHECKED(h.download());
        QCOMPARE(h.records.size(), 1);
        QCOMPARE(h.logger().fileName, path);
        h.prompts.boxes.clear();
        h.prompts.fileCaptions.clear();
        h.ui->m_actionSave->trigger();
        QVERIFY2(h.prompts.boxes.isEmpty(), qPrintable(h.prompts.boxes.value(0).text));
        QVERIFY(h.prompts.fileCaptions.isEmpty());
        LoggerRecord saved;
        QVERIFY(CFileManager::readDataFile(path, saved, true, nullptr));
        QCOMPARE(saved.readingCount, h.logger().readingCount);
        QCOMPARE(h.tripsOfferedAtExit(), 0);
    }

private:
    QTemporaryDir certDir;
    QTemporaryDir tempRoot;
    QStringList opened;
};

MIRELDA_TEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
