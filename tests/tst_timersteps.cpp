// The window's 10 ms steps where a box, a missing set or a running write
// could make them act on the wrong record.
#include "support/testenv.h"
#include "support/viewstest.h"
#include "support/windowtest.h"

#include <QTemporaryDir>

#include "core/ccomm.h"
#include "core/cgestionserie.h"
#include "users/cuseradmin.h"

using namespace WindowTest;

class TestTimerSteps : public QObject
{
    Q_OBJECT
private slots:
    // A logger row above goes while the password dialog or the template
    // warning is open: the automatic part serves the record it started
    // with, not the one that moved into its row.
    void boxOfAStepLeavesNoStaleRow_data()
    {
        QTest::addColumn<bool>("passwordDialog");
        QTest::newRow("logger password") << true;
        QTest::newRow("template of another model") << false;
    }

    void boxOfAStepLeavesNoStaleRow()
    {
        QFETCH(bool, passwordDialog);
        Harness h;
        h.window.app->settings.autoDownloadLogger = true;
        h.records << fileRecord("/tmp/above.qlf", "ABOVE");
        LoggerRecord asked = loggerRecord("ttyUSB0", "ASKED");
        asked.versionWord = 0x11A;
        asked.sensorFlags = SensorBits::InternalNtc;
        LoggerRecord below = loggerRecord("ttyUSB1", "BELOW");
        below.ready = true;
        h.records << asked << below;
        h.window.selectTableRow(1);
        h.window.viewsDirty = false;
        int shown = 0;
        const auto removeAbove = [&] {
            ++shown;
            h.window.app->removeRecord(0);
        };
        if (passwordDialog) {
            h.records[1].passwordWord = PasswordBits::Marker | 1234;
            CPrompt::setDialogHandler([&](QDialog *) {
                removeAbove();
                return int(QDialog::Rejected);
            });
            h.window.showRecordPending = true;
        } else {
            h.window.formLocked = true;
            h.window.lockedConfigWord = ConfigBits::ExternalOn;   // this logger has no probe
            CPrompt::setBoxHandler([&](CPrompt::Kind, const QString &, QMessageBox::StandardButtons) {
                removeAbove();
                return QMessageBox::Ok;
            });
            h.window.templateCheckPending = true;
        }
        h.window.Timer();
        QCOMPARE(shown, 1);
        QCOMPARE(h.records.at(1).serialNumber, QStringLiteral("BELOW"));
        QVERIFY(!h.records.at(1).autoDownloaded);
    }

    // Selecting a logger that holds no readings yet, or a selection with
    // one, shows no graph, histogram or readings of the set shown before.
    void rebuildWithoutReadingsKeepsNoViewsOfAnotherSet()
    {
        Harness h;
        LoggerRecord trip = ViewsTest::openedSet("SHOWN", { 200, 210, 220 });
        trip.ready = true;
        h.addAndSelect(trip);
        h.window.Timer();
        QVERIFY(h.window.plot && h.window.histogram);
        QCOMPARE(h.ui->m_tableWidgetTable->model()->rowCount(), 3);

        h.addAndSelect(loggerRecord("ttyUSB0", "EMPTY"));
        h.window.viewsDirty = true;   // as when its image arrives
        h.window.Timer();
        QVERIFY(!h.window.plot && !h.window.histogram);
        QCOMPARE(h.ui->m_tableWidgetTable->model()->rowCount(), 0);
        QCOMPARE(h.ui->m_tableWidgetTableSummary->rowCount(), 0);

        h.window.selectTableRow(0);
        h.window.Timer();
        QCOMPARE(h.ui->m_tableWidgetTable->model()->rowCount(), 3);
        h.window.app->selection = { 0, 1 };
        h.window.viewsDirty = true;
        h.window.Timer();
        QVERIFY(h.window.plot);
        QCOMPARE(h.ui->m_tableWidgetTable->model()->rowCount(), 0);
    }

    // The automatic report draws the downloaded record's graph, also while
    // the window shows none.
    void automaticReportDrawsItsOwnGraph()
    {
        Harness h;
        QTemporaryDir dataDir;
        h.window.app->settings.defaultPath = dataDir.path();
        h.window.app->settings.autoGeneratePdf = true;
        LoggerRecord trip = ViewsTest::openedSet("OWN-1", { 200, 210, 220 });
        trip.fromFile = false;   // downloaded from a logger
        trip.productCode = QStringLiteral("QV-2T");
        trip.portName = QStringLiteral("ttyUSB0");
        trip.ready = trip.autoDownloaded = trip.autoDownloadArrived = true;
        h.addAndSelect(trip);
        h.window.viewsDirty = false;
        h.window.Timer();
        QVERIFY(!h.window.plot);
        QVERIFY(TestEnv::programOutput("pdftotext", { dataDir.filePath("OWN-1_0000_000.pdf"), "-" })
                    .contains("OWN-1 QV-2T"));
    }

    // The automatic steps that find no name for their files say so in one
    // box, as the PDF button does; the steps that found one still write.
    void automaticStepsWithoutANameSaySoOnce_data()
    {
        QTest::addColumn<bool>("folderChosen");
        QTest::addColumn<QString>("said");
        QTest::newRow("no data folder") << false << "No data folder is chosen.";
        QTest::newRow("every counter taken")
            << true << "No name is free for the PDF report, the TXT export and the CSV export.";
    }

    void automaticStepsWithoutANameSaySoOnce()
    {
        QFETCH(bool, folderChosen);
        QFETCH(QString, said);
        Harness h;
        QTemporaryDir dataDir;
        AppSettings &settings = h.window.app->settings;
        settings.defaultPath = folderChosen ? dataDir.path() : QString();
        settings.autoSaveLogger = settings.autoGeneratePdf = true;
        settings.autoGenerateTxt = settings.autoGenerateCsv = true;
        for (int counter = 0; folderChosen && counter <= 999; ++counter)
            QVERIFY(TestEnv::writeFile(dataDir.filePath(QStringLiteral("FULL-1_0000_%1.pdf")
                                                            .arg(counter, 3, 10, QLatin1Char('0'))),
                                       "earlier report"));
        LoggerRecord trip = ViewsTest::openedSet("FULL-1", { 200, 210, 220 });
        trip.fromFile = false;
        trip.portName = QStringLiteral("ttyUSB0");
        trip.ready = trip.autoDownloaded = trip.autoDownloadArrived = true;
        h.addAndSelect(trip);
        h.window.viewsDirty = false;
        for (int tick = 0; tick < 3; ++tick)
            h.window.Timer();
        QCOMPARE(h.prompts.boxes.size(), 1);
        QVERIFY2(h.prompts.boxes.first().text.contains(said), qPrintable(h.prompts.boxes.first().text));
        QVERIFY(h.prompts.boxes.first().text.startsWith(QStringLiteral("Warning!\n\n")));
        QCOMPARE(QFile::exists(dataDir.filePath(QStringLiteral("FULL-1_0000_000.qlf"))), folderChosen);
    }

    // A download of a trip that has not begun runs no automatic step: the
    // steps wait for the download that brings readings, and run for it.
    void automaticStepsWaitForReadings()
    {
        Harness h;
        QTemporaryDir dataDir;
        AppSettings &settings = h.window.app->settings;
        settings.defaultPath = dataDir.path();
        settings.autoSaveLogger = settings.autoGeneratePdf = true;
        settings.autoGenerateTxt = settings.autoGenerateCsv = true;
        settings.smtpServerAuto = 1;
        LoggerRecord logger = loggerRecord("ttyUSB0", "WAIT-1");
        giveLoggerHeader(logger);
        logger.ready = logger.autoDownloaded = logger.autoDownloadArrived = true;
        h.addAndSelect(logger);
        const auto download = [&](const QVector<quint16> &readings) {
            LinkResult done;
            done.kind = LinkResult::DownloadDone;
            done.readings = readings;
            done.start = done.end = 800000000u;
            CGestionSerie::applyResult(done, 0, *h.window.app);
            for (int tick = 0; tick < 4; ++tick)
                h.window.Timer();
        };
        download({});
        QVERIFY(h.records.at(0).dataLoaded);
        QCOMPARE(QDir(dataDir.path()).entryList(QDir::Files), QStringList());
        QVERIFY(!h.records.at(0).autoMailStarted);

        settings.smtpServerAuto = 0;   // no server to mail to here
        download({ 200, 210 });
        QCOMPARE(QDir(dataDir.path()).entryList(QDir::Files).size(), 4);
    }

    // The automatic download of a logger that takes a write waits for the
    // write to end instead of being marked as done without a download.
    void automaticDownloadWaitsForAWriteToEnd()
    {
        Harness h;
        h.window.app->settings.autoDownloadLogger = true;
        LoggerRecord logger = loggerRecord("ttyUSB0", "BUSY");
        logger.ready = true;
        logger.versionWord = 0x11A;   // its image came
        logger.commandLink = new CComm(0, QStringLiteral("/nonexistent/tty"));   // the core deletes it
        h.addAndSelect(logger);
        h.window.transferRecordIndex = 0;
        h.window.transferInProgress = true;
        for (int tick = 0; tick < 4; ++tick)
            h.window.Timer();
        QVERIFY(!h.records.at(0).autoDownloaded);

        h.window.transferInProgress = false;
        h.window.Timer();
        QVERIFY(h.records.at(0).autoDownloaded);
        QVERIFY(h.records.at(0).downloadRunning);
    }
};

MIRELDA_TEST_MAIN(TestTimerSteps)
#include "tst_timersteps.moc"
