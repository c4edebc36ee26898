// A downloaded trip against the logger simulator: the page sets up the
// logger's next trip and the logger takes it, while the readings already
// downloaded stay shown, reported and saved with the program they were
// recorded under.
#include "support/testenv.h"

#include <QTemporaryDir>

#include "core/loggertime.h"
#include "files/cfilemanager.h"
#include "support/windowtest.h"
#include "tools/loggersim/loggersimpattern.h"
#include "views/elapsedtimescaledraw.h"

// A check made in a helper ends the test where it failed.
#define CHECKED(call)                                                                        \
    do {                                                                                     \
        call;                                                                                \
        if (QTest::currentTestFailed())                                                      \
            return;                                                                          \
    } while (false)

namespace {

constexpr int kFoundMs = 8000;
constexpr int kReplyMs = 8000;
constexpr int kProgramMs = 15000;

// 300 samples of internal temperature and humidity, a minute apart from
// 05/01/2026 08:00; its readings pass the HH and H limits of the logger.
const QStringList kTwoChannelTrip{ "--serial", "TRIP-0001", "--readings", "600", "--sensors", "5" };
const QString kRecordedDescription = QStringLiteral("Simulated logger");
const QString kNextDescription = QStringLiteral("Next trip to Porto");
const QString kLastSampleTime = QStringLiteral("05/01/2026 12:59:00");
constexpr quint32 kRecordedAlarms = AlarmStatusBits::HH | AlarmStatusBits::H;

struct Station : WindowTest::SimulatedStation
{
    explicit Station(const QStringList &more = {}) : SimulatedStation(kTwoChannelTrip + more)
    {
        prompts.answer = QMessageBox::Yes;
        window.app->settings.dateFormat = 0;
    }

    // The views of the current row built again, as another row's selection
    // and back, or a changed setting, build them.
    bool viewsRebuilt()
    {
        window.viewsDirty = true;
        return QTest::qWaitFor([this] { return !window.viewsDirty; }, kReplyMs);
    }

    QString lastRowTime() const
    {
        const QTableWidget *table = ui->m_tableWidgetTable;
        const int rows = table->rowCount();
        return rows > 0 && table->item(rows - 1, 0) ? table->item(rows - 1, 0)->text() : QString();
    }

    QStringList summaryValues() const
    {
        QStringList values;
        const QTableWidget *table = ui->m_tableWidgetTableSummary;
        for (int row = 0; row < table->rowCount(); ++row)
            if (const QTableWidgetItem *item = table->item(row, 1))
                values << item->text();
        return values;
    }

    // What every view of the trip shows, with its own program.
    void checkViewsShowTheRecordedTrip()
    {
        QVERIFY(viewsRebuilt());
        QCOMPARE(ui->m_tableWidgetTable->rowCount(), 300);
        QCOMPARE(ui->m_tableWidgetTable->columnCount(), 4);   // time, elapsed, T, H
        QCOMPARE(lastRowTime(), kLastSampleTime);
        const QStringList summary = summaryValues();
        QVERIFY2(summary.contains(kRecordedDescription), qPrintable(summary.join(QLatin1Char('|'))));
        QVERIFY(!summary.contains(kNextDescription));
        QVERIFY(summary.contains(ElapsedTimeScaleDraw::formatElapsed(LoggerSimPattern::kInterval)));
        QVERIFY(summary.contains(QStringLiteral("300")));
        QCOMPARE(record().trip().alarmStatus & kRecordedAlarms, kRecordedAlarms);
        QVERIFY(!(record().trip().configWord & ConfigBits::StartDelay));
    }

    // A data file of the trip, read back as a new start would read it.
    void checkSavedAsRecorded(const QString &path)
    {
        prompts.filesToChoose = QStringList{ path };
        ui->m_actionSaveAs->trigger();
        LoggerRecord saved;
        QString error;
        QVERIFY2(CFileManager::readDataFile(path, saved, false, &error), qPrintable(error));
        QCOMPARE(saved.interval, LoggerSimPattern::kInterval);
        QCOMPARE(saved.channelCount, 2);
        QCOMPARE(saved.sampleCount(), 300);
        QCOMPARE(saved.description, kRecordedDescription);
        QCOMPARE(saved.alarmStatus & kRecordedAlarms, kRecordedAlarms);
        QVERIFY(!(saved.configWord & ConfigBits::StartDelay));
        QCOMPARE(saved.startTime, LoggerTime::toDateTime(LoggerSimPattern::startSeconds()));
    }
};

}

class TestDownloadedTrip : public QObject
{
    Q_OBJECT
private slots:
    void programmingTheNextTripLeavesTheDownloadedOneAsRecorded()
    {
        Station s;
        QTemporaryDir folder;
        QVERIFY(s.plugInAndSelect(kFoundMs));
        QTRY_VERIFY_WITH_TIMEOUT(s.record().ready, kReplyMs);
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_groupBoxProgram->isEnabled(), kReplyMs);
        s.ui->m_actionDownload->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(s.record().dataLoaded, kReplyMs);
        CHECKED(s.checkViewsShowTheRecordedTrip());

        // the next trip set up on the page, nothing sent yet
        s.ui->m_dateTimeEditPrgInterval->setTime(QTime(0, 5));
        s.ui->m_checkBoxLoggerAlarmSensorEnableIntHum->click();
        QVERIFY(!s.ui->m_checkBoxLoggerAlarmSensorEnableIntHum->isChecked());
        s.ui->m_lineEditLoggerDescription->setText(kNextDescription);
        s.ui->m_radioButtonPrgStartWait->click();
        s.window.readProgramForm();
        QCOMPARE(s.record().interval, 300u);
        CHECKED(s.checkViewsShowTheRecordedTrip());
        CHECKED(s.checkSavedAsRecorded(folder.filePath(QStringLiteral("before.qlf"))));

        // the logger takes it and is read again with it
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_actionProgram->isEnabled(), kReplyMs);
        s.ui->m_actionProgram->trigger();
        QVERIFY(s.window.transferInProgress);
        QTRY_VERIFY_WITH_TIMEOUT(s.transferOver(), kProgramMs);
        QVERIFY(!s.prompts.sawBoxContaining(QStringLiteral("Warning")));
        QTRY_COMPARE_WITH_TIMEOUT(s.record().description, kNextDescription, kReplyMs);
        QTRY_VERIFY_WITH_TIMEOUT(s.record().configWord & ConfigBits::StartDelay, kReplyMs);
        QCOMPARE(s.record().interval, 300u);
        QCOMPARE(s.record().channelCount, 1);
        QCOMPARE(s.ui->m_lineEditLoggerDescription->text(), kNextDescription);

        CHECKED(s.checkViewsShowTheRecordedTrip());
        CHECKED(s.checkSavedAsRecorded(folder.filePath(QStringLiteral("after.qlf"))));
        // the report too
        const QString pdf = folder.filePath(QStringLiteral("after.pdf"));
        s.prompts.filesToChoose = QStringList{ pdf };
        s.ui->m_actionSaveAs->trigger();
        const QString text = QString::fromUtf8(
            TestEnv::programOutput(QStringLiteral("pdftotext"), { QStringLiteral("-layout"), pdf, QStringLiteral("-") }));
        QVERIFY(text.contains(kRecordedDescription));
        QVERIFY(!text.contains(kNextDescription));
        QVERIFY(text.contains(kLastSampleTime.left(6) + QStringLiteral("26 12:59:00")));
    }

    // Downloading the same trip again brings it again; a logger that began
    // its next trip brings that one, and the earlier trip, never saved,
    // stays as a row of its own, offered for saving as an unplugged
    // logger's trip is.
    void theNextTripDownloadedLeavesTheUnsavedOneApart()
    {
        Station s({ "--fast", "60" });
        QVERIFY(s.plugInAndSelect(kFoundMs));
        QTRY_VERIFY_WITH_TIMEOUT(s.record().ready, kReplyMs);
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_groupBoxProgram->isEnabled(), kReplyMs);
        const QDateTime recordedStart = LoggerTime::toDateTime(LoggerSimPattern::startSeconds());
        for (int round = 0; round < 2; ++round) {
            s.ui->m_actionDownload->trigger();
            QTRY_VERIFY_WITH_TIMEOUT(!s.record().downloadRunning && s.record().dataLoaded, kReplyMs);
            QCOMPARE(s.records.size(), 1);
            QCOMPARE(s.record().trip().startTime, recordedStart);
        }

        s.ui->m_radioButtonPrgStartWait->click();
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_actionProgram->isEnabled(), kReplyMs);
        s.ui->m_actionProgram->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(s.transferOver(), kProgramMs);
        QVERIFY(!s.prompts.sawBoxContaining(QStringLiteral("Warning")));
        s.ui->m_actionDownload->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(s.records.size() == 2 && !s.record().downloadRunning, kReplyMs);

        const LoggerRecord &next = s.record();
        QVERIFY(next.trip().startTime > recordedStart);
        QVERIFY(next.unsavedReadings && !next.fromFile);
        const LoggerRecord &earlier = s.records.at(1);
        QVERIFY(earlier.fromFile && earlier.unsavedReadings && earlier.portName.isEmpty());
        QVERIFY(earlier.recordId != next.recordId);
        QCOMPARE(earlier.startTime, recordedStart);
        QCOMPARE(earlier.sampleCount(), 300);
        QCOMPARE(earlier.interval, LoggerSimPattern::kInterval);
        QTRY_COMPARE_WITH_TIMEOUT(s.ui->m_tableWidgetLogger->rowCount(), 2, kReplyMs);
        QCOMPARE(s.ui->m_tableWidgetLogger->item(1, 2)->text(), QStringLiteral("TRIP-0001"));

        // exit offers each for saving
        QTemporaryDir folder;
        s.prompts.boxes.clear();
        s.prompts.filesToChoose = QStringList{ folder.filePath(QStringLiteral("trip.qlf")) };
        s.window.show();
        QVERIFY(s.window.close());
        QCOMPARE(s.prompts.boxes.size(), 2);
        QVERIFY(!s.records.at(0).unsavedReadings && !s.records.at(1).unsavedReadings);
    }

    // The comment over the graph is the trip's: typed after the program was
    // set up, it is saved with the trip's readings, and the logger takes it
    // with its next program.
    void theCommentLineEditsTheTrip()
    {
        Station s;
        QTemporaryDir folder;
        QVERIFY(s.plugInAndSelect(kFoundMs));
        QTRY_VERIFY_WITH_TIMEOUT(s.record().ready, kReplyMs);
        s.ui->m_actionDownload->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(s.record().dataLoaded, kReplyMs);
        QVERIFY(s.viewsRebuilt());

        s.ui->m_lineEditComment->setText(QStringLiteral("Door left open at 10:00"));
        s.ui->m_lineEditComment->setModified(true);
        s.ui->m_dateTimeEditPrgInterval->setTime(QTime(0, 2));
        const QString path = folder.filePath(QStringLiteral("commented.qlf"));
        s.prompts.filesToChoose = QStringList{ path };
        s.ui->m_actionSaveAs->trigger();
        LoggerRecord saved;
        QVERIFY(CFileManager::readDataFile(path, saved, false, nullptr));
        QCOMPARE(saved.comment, QStringLiteral("Door left open at 10:00"));
        QCOMPARE(saved.interval, LoggerSimPattern::kInterval);
        QCOMPARE(s.record().comment, QStringLiteral("Door left open at 10:00"));
        QVERIFY(s.viewsRebuilt());
        QCOMPARE(s.ui->m_lineEditComment->text(), QStringLiteral("Door left open at 10:00"));
    }
};

QTEST_MAIN(TestDownloadedTrip)
#include "tst_downloadedtrip.moc"
