// A downloaded trip against the logger simulator: the page sets up the
// logger's next trip and the logger takes it, while the readings already
// downloaded stay shown, reported and saved with the program they were
// recorded under.
#include "support/testenv.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include "core/byteorder.h"
#include "core/cgestionserie.h"
#include "core/imagecodec.h"
#include "core/loggertime.h"
#include "core/memorymap.h"
#include "core/tripcontinuity.h"
#include "files/cfilemanager.h"
#include "support/windowtest.h"
#include "tools/loggersim/loggersimpattern.h"
#include "views/chistogram.h"
#include "views/ctable.h"
#include "views/elapsedtimescaledraw.h"
#include "views/histogram.h"

namespace {

constexpr int kFoundMs = 30000;
constexpr int kReplyMs = 20000;
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
        const QAbstractItemModel *table = ui->m_tableWidgetTable->model();
        const int rows = table->rowCount();
        return rows > 0 ? table->index(rows - 1, 0).data().toString() : QString();
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

    // The alarm balls a row of the logger list shows.
    QStringList lights(int row) const { return WindowTest::alarmLights(ui, row); }

    // Readings per curve of the histogram.
    QList<double> histogramCounts() const
    {
        QList<double> counts;
        for (const Histogram *series : window.histogram->series()) {
            double count = 0;
            for (size_t i = 0; i < series->dataSize(); ++i)
                count += series->sample(int(i)).value;
            counts << count;
        }
        return counts;
    }

    // The views of the row of the list, made current, built again.
    bool showRow(int row)
    {
        window.selectTableRow(row);
        return viewsRebuilt();
    }

    // What every view of the trip shows, with its own program.
    void checkViewsShowTheRecordedTrip(int row = 0)
    {
        QVERIFY(showRow(row));
        QCOMPARE(ui->m_tableWidgetTable->model()->rowCount(), 300);
        QCOMPARE(ui->m_tableWidgetTable->model()->columnCount(), 4);   // time, elapsed, T, H
        QCOMPARE(lastRowTime(), kLastSampleTime);
        const QStringList summary = summaryValues();
        QVERIFY2(summary.contains(kRecordedDescription), qPrintable(summary.join(QLatin1Char('|'))));
        QVERIFY(!summary.contains(kNextDescription));
        QVERIFY(summary.contains(ElapsedTimeScaleDraw::formatElapsed(LoggerSimPattern::kInterval)));
        QVERIFY(summary.contains(QStringLiteral("300")));
        QCOMPARE(histogramCounts(), (QList<double>{ 300, 300 }));   // temperature, humidity
        const LoggerRecord &trip = records.at(row).trip();
        QCOMPARE(trip.alarmStatus & kRecordedAlarms, kRecordedAlarms);
        QVERIFY(!(trip.configWord & ConfigBits::StartDelay));
        QCOMPARE(lights(row), (QStringList{ "H", "HH" }));
    }

    // The logger found, selected, and its Program page open.
    void plugInReadyToProgram()
    {
        QVERIFY(plugInAndSelect(kFoundMs));
        QTRY_VERIFY_WITH_TIMEOUT(record().ready, kReplyMs);
        QTRY_VERIFY_WITH_TIMEOUT(ui->m_groupBoxProgram->isEnabled(), kReplyMs);
    }

    // The next trip set up on the page of the current row: nothing sent yet.
    void setUpTheNextTrip()
    {
        ui->m_dateTimeEditPrgInterval->setTime(QTime(0, 5));
        if (ui->m_checkBoxLoggerAlarmSensorEnableIntHum->isChecked())
            ui->m_checkBoxLoggerAlarmSensorEnableIntHum->click();
        ui->m_lineEditLoggerDescription->setText(kNextDescription);
        ui->m_radioButtonPrgStartWait->click();
        window.readProgramForm();
    }

    // F5 on the current row, confirmed by the logger: a trip that begins a
    // minute on (a second at the simulator's pace), or after the wait set.
    void program()
    {
        if (!ui->m_radioButtonPrgStartWait->isChecked() && !ui->m_radioButtonPrgStartAt->isChecked()) {
            ui->m_radioButtonPrgStartWait->click();
            ui->m_dateTimeEditPrgStartWait->setTime(QTime(0, 1));
        }
        QTRY_VERIFY_WITH_TIMEOUT(ui->m_actionProgram->isEnabled(), kReplyMs);
        programmedAt = QDateTime::currentDateTime();
        ui->m_actionProgram->trigger();
        QVERIFY(window.transferInProgress);
        QTRY_VERIFY_WITH_TIMEOUT(transferOver(), kProgramMs);
        QVERIFY(!prompts.sawBoxContaining(QStringLiteral("Warning")));
    }

    // F6 on the logger's row, until its readings are in.
    void download()
    {
        // a write still followed (a Sync's clock set again) holds the logger
        QTRY_VERIFY_WITH_TIMEOUT(transferOver(), kProgramMs);
        window.selectTableRow(0);
        const QDateTime before = record().downloadTime;
        ui->m_actionDownload->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!record().downloadRunning && record().downloadTime != before, kReplyMs);
    }


    // Reads the logger's clock until it stands at moment.
    bool loggerClockReaches(const QDateTime &moment)
    {
        QElapsedTimer sinceAsked;
        return QTest::qWaitFor(
            [&] {
                if (!sinceAsked.isValid() || sinceAsked.elapsed() > 100) {
                    ui->m_pushButtonLoggerReadTime->click();
                    sinceAsked.start();
                }
                return record().loggerClock >= moment;
            },
            kProgramMs);
    }

    // Lets the logger record more than samples of the trip programmed last
    // (a minute on, a sample a minute: a second each at the simulator's
    // pace), and downloads it once.
    void downloadOnceRecorded(int samples)
    {
        QVERIFY(loggerClockReaches(programmedAt.addSecs(60 * (samples + 2))));
        CHECKED(download());
        QVERIFY(record().sampleCount() > samples);
    }

    QDateTime programmedAt;

    // Closes the window, answering Yes and saving each trip it offers into
    // a file of its own in the folder; the number of trips offered.
    int tripsOfferedAtExit(const QTemporaryDir &folder)
    {
        prompts.boxes.clear();
        prompts.answer = QMessageBox::Yes;
        CPrompt::setFileHandler([path = folder.path(), saved = 0](const QString &, const QString &, const QString &,
                                                                 const QString &) mutable {
            return QStringList{ QStringLiteral("%1/at-exit-%2.qlf").arg(path).arg(++saved) };
        });
        window.show();
        return window.close() ? prompts.boxes.size() : -1;
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

// Readings of a trip of internal temperature: first, first + 1, ... tenths
// of a degree.
QVector<quint16> tenthsFrom(int first, int count)
{
    QVector<quint16> readings(count);
    for (int i = 0; i < count; ++i)
        readings[i] = ReadingWord::make((first + i) % 1000);
    return readings;
}

// A logger whose memory holds memoryReadings readings, programmed for
// continuous logging of its internal temperature (with two channels, and
// humidity), a sample a minute. No link: the test hands its replies to the
// core.
LoggerRecord continuousLogger(int memoryReadings, quint16 version = 0x11A, int channels = 1)
{
    LoggerRecord r = WindowTest::loggerRecord(QStringLiteral("ttyS9"), QStringLiteral("ROUND-1"));
    r.versionWord = version;
    r.configWord = ConfigBits::Programmed | ConfigBits::Continuous | ConfigBits::InternalOn | ConfigBits::IntHH;
    if (channels == 2) {
        r.sensorFlags = SensorBits::DigitalTempHum;
        r.configWord |= ConfigBits::HumidityOn;
    }
    r.alarmThresholds[GroupInternal][LevelHH] = 30;
    r.interval = 60;
    r.memorySize = quint32(memoryReadings) * 2;
    r.rangeLow = -40;
    r.rangeHigh = 85;
    r.updateChannels();
    r.imageRead = ImageCodec::encode(r, QByteArray(kImageSize, '\0'));
    r.ready = true;
    return r;
}

// The logger's memory, oldest first, downloaded into the record at row as
// the core applies a download: the image the logger sent before it holds
// the readings' extremes, and the HH (30.0) they raised.
void downloadArrives(WindowTest::Harness &h, int row, const QVector<quint16> &memory, quint32 start,
                     bool wentRound)
{
    LoggerRecord logger;
    ImageCodec::decode(h.records.at(row).imageRead, logger);
    logger.lowestValue[GroupInternal] = float(ReadingWord::value(*std::min_element(memory.begin(), memory.end())));
    logger.highestValue[GroupInternal] = float(ReadingWord::value(*std::max_element(memory.begin(), memory.end())));
    logger.alarmStatus = logger.highestValue[GroupInternal] > 30.0f ? AlarmStatusBits::HH : 0;
    LinkResult image;
    image.kind = LinkResult::Image;
    image.data = ImageCodec::encode(logger, logger.imageRead);
    CGestionSerie::applyResult(image, row, *h.window.app);
    LinkResult done;
    done.kind = LinkResult::DownloadDone;
    done.readings = memory;
    done.start = start;
    done.end = start + quint32(qMax(0, memory.size() / h.records.at(row).channelCount - 1)) * 60;
    done.wentRound = wentRound;
    done.alarmStatus = logger.alarmStatus;   // the word its memory held
    CGestionSerie::applyResult(done, row, *h.window.app);
}

// File > Save of the current row: whether it asked for a name.
bool saveAskedForAName(WindowTest::Harness &h, const QString &path)
{
    h.prompts.fileCaptions.clear();
    h.prompts.filesToChoose = QStringList{ path };
    h.ui->m_actionSave->trigger();
    return !h.prompts.fileCaptions.isEmpty();
}

LoggerRecord readBack(const QString &path)
{
    LoggerRecord saved;
    QString error;
    if (!CFileManager::readDataFile(path, saved, false, &error))
        qWarning("%s", qPrintable(error));
    return saved;
}

constexpr quint32 kTripStart = 820497600;   // 31/12/2025 12:00 on the logger's clock
constexpr int kClockSetBy = 7;   // seconds a Sync moves the logger's clock by
// the clock sets since the trip was downloaded: none, one of kClockSetBy or
// of ten minutes, one whose move is not known
constexpr int NoSet = 0, Measured = 1, MeasuredTenMinutes = 2, NotMeasured = 3;

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
        s.setUpTheNextTrip();
        QVERIFY(!s.ui->m_checkBoxLoggerAlarmSensorEnableIntHum->isChecked());
        QCOMPARE(s.record().interval, 300u);
        CHECKED(s.checkViewsShowTheRecordedTrip());
        CHECKED(s.checkSavedAsRecorded(folder.filePath(QStringLiteral("before.qlf"))));

        // the logger takes it and is read again with it
        CHECKED(s.program());
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

        // a data file opened keeps its own program whatever its page sets up
        QVERIFY(s.window.loadDataFile(folder.filePath(QStringLiteral("after.qlf"))));
        QCOMPARE(s.records.size(), 2);
        s.setUpTheNextTrip();
        QCOMPARE(s.records.at(1).interval, 300u);
        CHECKED(s.checkViewsShowTheRecordedTrip(1));
    }

    // Downloading the same trip again brings it again, also once its
    // logger's clock was set; a logger that began its next trip brings that
    // one, and the earlier trip, never saved, stays as a row of its own,
    // offered for saving as an unplugged logger's trip is. A file belongs
    // to the trip saved in it.
    void theNextTripDownloadedLeavesTheUnsavedOneApart()
    {
        Station s({ "--fast", "60" });
        QTemporaryDir folder;
        CHECKED(s.plugInReadyToProgram());
        const QDateTime recordedStart = LoggerTime::toDateTime(LoggerSimPattern::startSeconds());
        CHECKED(s.download());
        QCOMPARE(s.record().trip().startTime, recordedStart);
        const QString firstFile = folder.filePath(QStringLiteral("first.qlf"));
        s.prompts.filesToChoose = QStringList{ firstFile };
        s.ui->m_actionSave->trigger();
        const QByteArray firstTrip = TestEnv::readFile(firstFile);
        QVERIFY(!firstTrip.isEmpty());
        // brought again without a reading more, it is still in its file
        CHECKED(s.download());
        QVERIFY(!s.record().unsavedReadings);

        // the next trip: until it is downloaded the row shows the first
        // one, with its alarms; its Save asks for a name, the first file stays
        CHECKED(s.program());
        QTRY_VERIFY_WITH_TIMEOUT(!(s.record().alarmStatus & kRecordedAlarms), kReplyMs);
        s.window.fillLoggerTable(false);
        QCOMPARE(s.lights(0), (QStringList{ "H", "HH" }));
        CHECKED(s.downloadOnceRecorded(0));
        QCOMPARE(s.records.size(), 1);   // the first trip is in its file
        QVERIFY(s.record().trip().startTime > recordedStart);
        QVERIFY(s.record().unsavedReadings && !s.record().fromFile);
        s.prompts.fileCaptions.clear();
        s.prompts.filesToChoose.clear();
        s.ui->m_actionSave->trigger();
        QCOMPARE(s.prompts.fileCaptions.size(), 1);
        QCOMPARE(TestEnv::readFile(firstFile), firstTrip);

        // the trip after it, even when it begins with the same readings,
        // leaves it, downloaded once and never saved, as a row of its own
        const int nextSamples = s.record().sampleCount();
        CHECKED(s.program());
        CHECKED(s.downloadOnceRecorded(nextSamples));
        QTRY_COMPARE_WITH_TIMEOUT(s.records.size(), 2, kReplyMs);
        const LoggerRecord &kept = s.records.at(1);
        QVERIFY(kept.fromFile && kept.unsavedReadings && kept.portName.isEmpty() && kept.fileName.isEmpty());
        QVERIFY(kept.recordId != s.record().recordId);
        QCOMPARE(kept.sampleCount(), nextSamples);
        QTRY_COMPARE_WITH_TIMEOUT(s.ui->m_tableWidgetLogger->rowCount(), 2, kReplyMs);
        QCOMPARE(s.ui->m_tableWidgetLogger->item(1, 2)->text(), QStringLiteral("TRIP-0001"));
        // its page sets up nothing it was recorded with
        QVERIFY(s.showRow(1));
        const QString keptLastReading = s.lastRowTime();
        QVERIFY(!keptLastReading.isEmpty());
        s.setUpTheNextTrip();
        QCOMPARE(s.records.at(1).interval, 300u);
        QVERIFY(s.viewsRebuilt());
        QCOMPARE(s.lastRowTime(), keptLastReading);
        QCOMPARE(s.records.at(1).trip().interval, LoggerSimPattern::kInterval);
        // the first trip's file opens as a row of its own
        QVERIFY(s.window.loadDataFile(firstFile));
        QCOMPARE(s.records.size(), 3);

        // the clock set moves the trip's start: the same trip, the same row
        s.window.selectTableRow(0);
        const QDateTime thirdStart = s.record().trip().startTime;
        s.ui->m_pushButtonLoggerSyncTime->click();
        QTRY_VERIFY_WITH_TIMEOUT(!s.window.clockCheckPending && s.transferOver(), kReplyMs);
        CHECKED(s.download());
        QVERIFY(s.record().trip().startTime != thirdStart);
        QCOMPARE(s.records.size(), 3);

        // a trip that has not begun is neither kept apart nor offered; the
        // one it follows is
        s.window.selectTableRow(0);
        s.ui->m_radioButtonPrgStartWait->click();
        s.ui->m_dateTimeEditPrgStartWait->setTime(QTime(23, 0));
        CHECKED(s.program());
        for (int round = 0; round < 2; ++round) {
            CHECKED(s.download());
            QCOMPARE(s.record().sampleCount(), 0);
            QVERIFY(!s.record().unsavedReadings);
        }
        QCOMPARE(s.records.size(), 4);
        QVERIFY(s.records.at(3).unsavedReadings);

        // closing a kept row offers it; so does exit, each kept trip
        s.ui->m_tableWidgetLogger->setCurrentCell(3, 0);
        s.prompts.boxes.clear();
        s.prompts.answer = QMessageBox::Cancel;
        s.ui->m_actionCloseSelectedFile->trigger();
        QCOMPARE(s.prompts.boxes.size(), 1);
        QCOMPARE(s.records.size(), 4);
        QCOMPARE(s.tripsOfferedAtExit(folder), 2);
    }

    // The alarms a trip raised are the logger's word at each download, not
    // the image read when its program was sent, before the trip began: the
    // list's lights, the trip and its file show all four the logger latched.
    void theLoggersAlarmsComeWithEveryDownload_data()
    {
        QTest::addColumn<int>("downloads");
        QTest::newRow("the first download") << 1;
        QTest::newRow("downloaded again") << 2;
    }
    void theLoggersAlarmsComeWithEveryDownload()
    {
        QFETCH(int, downloads);
        Station s({ "--fast", "60" });
        QTemporaryDir folder;
        CHECKED(s.plugInReadyToProgram());
        // HH H L LL of the internal readings, which rise from 4.0 by 1.3 a sample
        const QList<QLineEdit *> limits{ s.ui->m_lineEditLoggerHighHigh, s.ui->m_lineEditLoggerHigh,
                                         s.ui->m_lineEditLoggerLow, s.ui->m_lineEditLoggerLowLow };
        const QStringList values{ "20.0", "15.0", "8.0", "6.0" };
        for (int level = 0; level < limits.size(); ++level)
            limits.at(level)->setText(values.at(level));
        for (QCheckBox *level : { s.ui->m_checkBoxLoggerAlarmHighHigh, s.ui->m_checkBoxLoggerAlarmHigh,
                                  s.ui->m_checkBoxLoggerAlarmLow, s.ui->m_checkBoxLoggerAlarmLowLow })
            if (!level->isChecked())
                level->click();
        s.window.readProgramForm();
        CHECKED(s.program());
        constexpr quint32 allFour = AlarmStatusBits::HH | AlarmStatusBits::H | AlarmStatusBits::L | AlarmStatusBits::LL;
        QTRY_COMPARE_WITH_TIMEOUT(ByteOrder::getBE32(s.sim.memory(), MemoryMap::AlarmStatus) & allFour, allFour,
                                  4 * kProgramMs);
        for (int round = 0; round < downloads; ++round)
            CHECKED(s.download());

        QCOMPARE(s.record().trip().alarmStatus & allFour, allFour);
        QTRY_COMPARE_WITH_TIMEOUT(s.lights(0), (QStringList{ "LL", "L", "H", "HH" }), kReplyMs);
        const QString path = folder.filePath(QStringLiteral("alarms.qlf"));
        s.prompts.filesToChoose = QStringList{ path };
        s.ui->m_actionSaveAs->trigger();
        QCOMPARE(readBack(path).alarmStatus & allFour, allFour);
    }

    // A logger whose stop button resets it begins its next trip by itself,
    // with no program from here, and records the same readings again from
    // its first on: the download's start tells it from the trip saved, also
    // once a Sync moved that start with the clock.
    void aTripTheLoggerBeganByItselfIsAnother_data()
    {
        QTest::addColumn<bool>("synced");
        QTest::newRow("by its start") << false;
        QTest::newRow("by its start after a Sync") << true;
    }
    void aTripTheLoggerBeganByItselfIsAnother()
    {
        QFETCH(bool, synced);
        Station s({ "--fast", "60" });
        QTemporaryDir folder;
        CHECKED(s.plugInReadyToProgram());
        for (QRadioButton *option : { s.ui->m_radioButtonPrgStopContinue, s.ui->m_radioButtonPrgStopButonEnable,
                                      s.ui->m_radioButtonPrgAutoRestartEnable })
            if (!option->isChecked())
                option->click();
        CHECKED(s.program());
        CHECKED(s.downloadOnceRecorded(2));
        const LoggerRecord first = s.record().trip();
        const QString firstFile = folder.filePath(QStringLiteral("first.qlf"));
        s.prompts.filesToChoose = QStringList{ firstFile };
        s.ui->m_actionSave->trigger();
        const QByteArray firstTrip = TestEnv::readFile(firstFile);
        QVERIFY(!firstTrip.isEmpty() && !s.record().unsavedReadings);
        if (synced) {
            s.ui->m_pushButtonLoggerSyncTime->click();
            QTRY_VERIFY_WITH_TIMEOUT(!s.window.clockCheckPending && s.transferOver(), kReplyMs);
        }

        QVERIFY(s.sim.command(QStringLiteral("button")));
        const QDateTime clockBefore = s.record().loggerClock;
        s.ui->m_pushButtonLoggerReadTime->click();
        QTRY_VERIFY_WITH_TIMEOUT(s.record().loggerClock != clockBefore, kReplyMs);
        QVERIFY(s.loggerClockReaches(s.record().loggerClock.addSecs(60 * (first.sampleCount() + 2))));
        CHECKED(s.download());
        const LoggerRecord &next = s.record().trip();
        QVERIFY(next.sampleCount() > first.sampleCount());
        QCOMPARE(next.readings.mid(0, first.readingCount), first.readings.mid(0, first.readingCount));
        QVERIFY(synced || next.startTime > first.startTime);   // the Sync set the clock back
        QCOMPARE(s.records.size(), 1);   // the first trip is in its file
        QVERIFY(s.record().unsavedReadings);
        s.prompts.fileCaptions.clear();
        s.prompts.filesToChoose.clear();
        s.ui->m_actionSave->trigger();
        QCOMPARE(s.prompts.fileCaptions.size(), 1);
        QCOMPARE(TestEnv::readFile(firstFile), firstTrip);
    }

    // A trip the logger no longer records keeps its start when its clock
    // is set: the one it held from before, or one its stop button ended.
    // Downloaded again after a Sync it is the same trip, in its row and file.
    void aTripThatEndedStaysOneRowThroughASync_data()
    {
        QTest::addColumn<bool>("endedByTheButton");
        QTest::newRow("the trip the logger held") << false;
        QTest::newRow("a trip ended by the stop button") << true;
    }
    void aTripThatEndedStaysOneRowThroughASync()
    {
        QFETCH(bool, endedByTheButton);
        Station s({ "--fast", "60" });
        QTemporaryDir folder;
        CHECKED(s.plugInReadyToProgram());
        if (endedByTheButton) {
            if (!s.ui->m_radioButtonPrgStopButonEnable->isChecked())
                s.ui->m_radioButtonPrgStopButonEnable->click();
            if (s.ui->m_radioButtonPrgAutoRestartEnable->isChecked())
                s.ui->m_radioButtonPrgAutoRestartEnable->click();
            CHECKED(s.program());
            CHECKED(s.downloadOnceRecorded(2));
            QVERIFY(s.sim.command(QStringLiteral("button")));
        }
        CHECKED(s.download());
        const LoggerRecord trip = s.record().trip();
        const QString path = folder.filePath(QStringLiteral("trip.qlf"));
        QVERIFY(saveAskedForAName(s, path));

        // the logger's clock ten minutes ahead (and more at its pace), set back by the Sync
        QVERIFY(s.sim.command(QStringLiteral("skew 600")));
        s.ui->m_pushButtonLoggerSyncTime->click();
        QTRY_VERIFY_WITH_TIMEOUT(!s.window.clockCheckPending && s.transferOver(), kReplyMs);
        QVERIFY(s.sim.command(QStringLiteral("skew 0")));
        QVERIFY(s.record().clockSetsSinceDownload.known());
        QVERIFY(s.record().clockSetsSinceDownload.moved <= -600);
        CHECKED(s.download());

        QCOMPARE(s.records.size(), 1);
        QCOMPARE(s.record().trip().startTime, trip.startTime);
        QCOMPARE(s.record().trip().readings, trip.readings);
        QCOMPARE(s.record().fileName, path);
        QVERIFY(!s.record().unsavedReadings);
        QVERIFY(!saveAskedForAName(s, path));
        QCOMPARE(s.tripsOfferedAtExit(folder), 0);
    }

    // A logger of the first firmware whose memory holds a reading more than
    // its data file: its trip downloaded again unchanged stays in its row,
    // and Save says the file cannot hold it.
    void anOldLoggersTripBeyondItsFileStaysOneRow()
    {
        Station s({ "--serial", "OLD-0114", "--version", "0x114", "--readings", "65536" });
        QVERIFY(s.plugInAndSelect(kFoundMs));
        QTRY_VERIFY_WITH_TIMEOUT(s.record().ready, kReplyMs);
        for (int round = 0; round < 3; ++round) {
            CHECKED(s.download());
            QCOMPARE(s.records.size(), 1);
        }
        QCOMPARE(s.record().trip().readingCount, kMaxReadings);
        s.prompts.filesToChoose = QStringList{ s.homePath(QStringLiteral("old.qlf")) };
        s.ui->m_actionSave->trigger();
        QVERIFY(s.prompts.sawBoxContaining(QStringLiteral("at most 65,535 readings")));
        QVERIFY(!QFile::exists(s.prompts.filesToChoose.first()) && s.record().unsavedReadings);
    }

    // A continuous trip gone round the memory of a logger of 8 readings:
    // the row keeps the readings the logger dropped ahead of those it still
    // holds, saved or not, from the first sample's start, with the extremes
    // and alarms they raised, and Save writes them all into the trip's file.
    void aTripGoneRoundTheMemoryKeepsItsHead_data()
    {
        QTest::addColumn<bool>("savedBefore");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QVector<quint16>>("readings");   // the first two dropped
        QTest::newRow("saved before") << true << 1 << tenthsFrom(200, 10);
        QTest::newRow("never saved") << false << 1 << tenthsFrom(200, 10);
        QVector<quint16> cooling;   // temperature and humidity, from an HH on
        for (int tenths : { 302, 250, 299, 251, 298, 252, 297, 253, 296, 254 })
            cooling << ReadingWord::make(tenths);
        QTest::newRow("cooling past an HH, two channels") << false << 2 << cooling;
    }
    void aTripGoneRoundTheMemoryKeepsItsHead()
    {
        QFETCH(bool, savedBefore);
        QFETCH(int, channels);
        QFETCH(QVector<quint16>, readings);
        const int samples = readings.size() / channels;
        const quint32 lastSample = kTripStart + quint32(samples - 1) * 60;
        const auto [lowest, highest] = std::minmax_element(readings.cbegin(), readings.cend());
        const bool hh = ReadingWord::value(*highest) > 30.0;
        WindowTest::Harness h;
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("first.qlf"));
        h.addAndSelect(continuousLogger(8, 0x11A, channels));
        downloadArrives(h, 0, readings.mid(0, 8), kTripStart, false);
        if (savedBefore)
            QVERIFY(saveAskedForAName(h, path));

        // two readings on: the first two are no longer in the logger
        downloadArrives(h, 0, readings.mid(2), kTripStart + 2 / channels * 60, true);
        QCOMPARE(h.records.size(), 1);
        const LoggerRecord &trip = h.records.at(0).trip();
        QCOMPARE(trip.readings, readings);
        QCOMPARE(trip.sampleCount(), samples);
        QCOMPARE(trip.startTime, LoggerTime::toDateTime(kTripStart));
        QCOMPARE(trip.stopTime, LoggerTime::toDateTime(lastSample));
        QVERIFY(h.records.at(0).unsavedReadings);
        // the views count them all from that start, in a memory still full
        h.window.viewsDirty = true;
        QTRY_VERIFY_WITH_TIMEOUT(!h.window.viewsDirty, kReplyMs);
        QCOMPARE(h.ui->m_tableWidgetTable->model()->rowCount(), samples);
        const auto summary = [&h](CTable::SummaryItem item) {
            const QTableWidgetItem *cell = h.ui->m_tableWidgetTableSummary->item(CTable::summaryRow(item), 1);
            return cell ? cell->text() : QString();
        };
        QCOMPARE(summary(CTable::SummaryItem::RecordCount), QString::number(samples));
        QCOMPARE(summary(CTable::SummaryItem::MemoryUsed), QStringLiteral("100.0 %"));
        QCOMPARE(summary(CTable::SummaryItem::StartedTime),
                 h.window.app->table->dateTimeText(LoggerTime::toDateTime(kTripStart)));
        h.window.fillLoggerTable(false);
        QCOMPARE(!h.ui->m_tableWidgetLogger->item(0, 8)->icon().isNull(), hh);

        QCOMPARE(saveAskedForAName(h, path), !savedBefore);
        const LoggerRecord saved = readBack(path);
        QCOMPARE(saved.readings, readings);
        QCOMPARE(saved.startTime, LoggerTime::toDateTime(kTripStart));
        QCOMPARE(saved.stopTime, LoggerTime::toDateTime(lastSample));
        QCOMPARE(bool(saved.alarmStatus & AlarmStatusBits::HH), hh);
        // the graph of the file opened again fits every reading
        QCOMPARE(saved.lowestValue[GroupInternal], float(ReadingWord::value(*lowest)));
        QCOMPARE(saved.highestValue[GroupInternal], float(ReadingWord::value(*highest)));

        // brought again without a reading more, it is in its file
        downloadArrives(h, 0, readings.mid(2), kTripStart + 2 / channels * 60, true);
        QCOMPARE(h.records.at(0).trip().readings, readings);
        QVERIFY(!h.records.at(0).unsavedReadings);
    }

    // Past one data file a trip gone round the memory goes on in a new
    // row's worth: the readings held before stay where they are, in their
    // file, or never saved as a row of their own. One that fills a data file
    // (the first loggers' holds a reading less) is one row and one file.
    void aTripPastOneDataFileLeavesTheEarlierReadingsWhereTheyAre_data()
    {
        QTest::addColumn<bool>("savedBefore");
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("memory");
        QTest::newRow("saved before") << true << 0x11A << kMaxReadings;
        QTest::newRow("never saved") << false << 0x11A << kMaxReadings;
        QTest::newRow("filling the file") << false << 0x11A << kMaxReadings - 8;
        QTest::newRow("filling the first loggers' file") << false << 0x114 << kMaxReadings - 9;
    }
    void aTripPastOneDataFileLeavesTheEarlierReadingsWhereTheyAre()
    {
        QFETCH(bool, savedBefore);
        QFETCH(int, version);
        QFETCH(int, memory);
        WindowTest::Harness h;
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("first.qlf"));
        h.addAndSelect(continuousLogger(memory, quint16(version)));
        downloadArrives(h, 0, tenthsFrom(0, memory), kTripStart, false);
        if (savedBefore)
            QVERIFY(saveAskedForAName(h, path));
        const QByteArray firstFile = TestEnv::readFile(path);

        downloadArrives(h, 0, tenthsFrom(8, memory), kTripStart + 8 * 60, true);
        if (memory < kMaxReadings) {
            QCOMPARE(h.records.size(), 1);
            QVERIFY(saveAskedForAName(h, path));
            QCOMPARE(readBack(path).readings, tenthsFrom(0, memory + 8));
            return;
        }
        QCOMPARE(h.records.at(0).trip().readings, tenthsFrom(8, kMaxReadings));
        QCOMPARE(h.records.at(0).trip().startTime, LoggerTime::toDateTime(kTripStart + 8 * 60));
        QCOMPARE(h.records.size(), savedBefore ? 1 : 2);
        if (!savedBefore) {
            const LoggerRecord &kept = h.records.at(1);
            QVERIFY(kept.unsavedReadings && kept.portName.isEmpty());
            QCOMPARE(kept.trip().readings, tenthsFrom(0, kMaxReadings));
            QCOMPARE(kept.trip().startTime, LoggerTime::toDateTime(kTripStart));
        }
        h.window.selectTableRow(0);
        QVERIFY(saveAskedForAName(h, folder.filePath(QStringLiteral("second.qlf"))));
        QCOMPARE(TestEnv::readFile(path), firstFile);
    }

    // What the download says tells the trip, whatever its readings: a
    // start that stays, or moves by exactly the samples the memory dropped
    // going round (a memory just full may have gone round to its first
    // place), and by what a clock set moved the clock; after a clock set
    // the readings alone tell how many the memory dropped, or the trip is
    // kept apart. The same trip goes on in its row behind the readings
    // dropped; another leaves the one before, never saved, as a row of its own.
    void theDownloadTellsTheTrip_data()
    {
        QTest::addColumn<QVector<quint16>>("earlier");
        QTest::addColumn<QVector<quint16>>("later");
        QTest::addColumn<int>("startMoved");
        QTest::addColumn<bool>("wentRound");
        QTest::addColumn<int>("clockSet");
        QTest::addColumn<int>("ahead");   // -1: another trip
        const QVector<quint16> trip = tenthsFrom(200, 6);
        const QVector<quint16> onTheLastReading{ ReadingWord::make(202), ReadingWord::make(150),
                                                 ReadingWord::make(140), ReadingWord::make(130) };
        const QVector<quint16> steady(8, ReadingWord::make(200));
        QVector<quint16> takingTurns;
        for (int i = 0; i < 9; ++i)
            takingTurns << ReadingWord::make(200 + i % 2);
        QTest::newRow("more readings") << trip << tenthsFrom(200, 8) << 0 << false << NoSet << 0;
        QTest::newRow("the same readings, begun later") << trip << tenthsFrom(200, 8) << 600 << false << NoSet << -1;
        QTest::newRow("begun on the last reading") << tenthsFrom(200, 3) << onTheLastReading << 11 * 24 * 3600
                                                   << false << NoSet << -1;
        QTest::newRow("gone round") << trip << tenthsFrom(202, 8) << 120 << true << NoSet << 2;
        QTest::newRow("gone round, not by the start") << trip << tenthsFrom(202, 8) << 180 << true << NoSet << -1;
        QTest::newRow("gone round, off the interval") << trip << tenthsFrom(202, 8) << 150 << true << NoSet << -1;
        QTest::newRow("not gone round") << trip << tenthsFrom(202, 6) << 120 << false << NoSet << -1;
        QTest::newRow("round to the first place") << tenthsFrom(200, 10) << tenthsFrom(208, 8) << 480 << false
                                                  << NoSet << 8;
        const int set = kClockSetBy;
        QTest::newRow("clock set") << trip << tenthsFrom(202, 8) << 2 * 60 + set << true << Measured << 2;
        QTest::newRow("clock set, begun afresh") << trip << tenthsFrom(100, 8) << set << false << Measured << -1;
        QTest::newRow("clock set, the same readings begun later") << trip << tenthsFrom(200, 8) << 600 + set << false
                                                                  << Measured << -1;
        QTest::newRow("clock set, a steady value gone round") << steady << steady << 3 * 60 + set << true << Measured
                                                              << -1;
        // the start agrees with the first place they would go on at
        QTest::newRow("clock set, values taking turns gone round") << takingTurns.mid(0, 8) << takingTurns.mid(1)
                                                                   << 60 + set << true << Measured << -1;
        // a trip that ended (its stop button, the one it held before) keeps its start
        QTest::newRow("clock set, an ended trip's start stayed") << trip << tenthsFrom(200, 6) << 0 << false
                                                                 << MeasuredTenMinutes << 0;
        QTest::newRow("clock set, an ended trip gone round") << trip << tenthsFrom(202, 8) << 120 << true
                                                             << MeasuredTenMinutes << 2;
        QTest::newRow("clock set, a recording trip's start moved") << trip << tenthsFrom(200, 8) << 600 << false
                                                                   << MeasuredTenMinutes << 0;
        QTest::newRow("clock set, begun afresh half-way") << trip << tenthsFrom(200, 8) << 300 << false
                                                          << MeasuredTenMinutes << -1;
        QTest::newRow("clock set by a move not known") << trip << tenthsFrom(200, 8) << 20 << false << NotMeasured
                                                       << -1;
    }
    void theDownloadTellsTheTrip()
    {
        QFETCH(QVector<quint16>, earlier);
        QFETCH(QVector<quint16>, later);
        QFETCH(int, startMoved);
        QFETCH(bool, wentRound);
        QFETCH(int, clockSet);
        QFETCH(int, ahead);
        WindowTest::Harness h;
        h.addAndSelect(continuousLogger(8));
        downloadArrives(h, 0, earlier, kTripStart, false);
        if (clockSet != NoSet) {
            LinkResult set;
            set.kind = LinkResult::Clock;
            set.clockSet = true;
            if (clockSet != NotMeasured)
                set.clockMoved = clockSet == Measured ? kClockSetBy : 600;
            CGestionSerie::applyResult(set, 0, *h.window.app);
        }
        const quint32 laterStart = kTripStart + quint32(startMoved);
        downloadArrives(h, 0, later, laterStart, wentRound);
        QCOMPARE(h.records.size(), ahead < 0 ? 2 : 1);
        const LoggerRecord &trip = h.records.at(0).trip();
        QCOMPARE(trip.readings, earlier.mid(0, qMax(0, ahead)) + later);
        QCOMPARE(trip.startTime, LoggerTime::toDateTime(laterStart - quint32(qMax(0, ahead)) * 60));
        if (ahead < 0)
            QCOMPARE(h.records.at(1).trip().readings, earlier);
    }

    // A later download goes on with a trip when the trip's readings stand
    // again at its head: all of them, or, once a continuous trip went
    // round the memory, its newest ones from a whole sample on.
    void tellingTripsApart_data()
    {
        QTest::addColumn<QVector<quint16>>("earlier");
        QTest::addColumn<QVector<quint16>>("later");
        QTest::addColumn<bool>("roundTheMemory");
        QTest::addColumn<int>("ahead");   // -1: another trip
        const QVector<quint16> trip{ 1, 2, 3, 4, 5, 6 };   // three samples of two channels
        QTest::newRow("more readings") << trip << QVector<quint16>{ 1, 2, 3, 4, 5, 6, 7, 8 } << false << 0;
        QTest::newRow("fewer: a trip begun afresh") << trip << QVector<quint16>{ 1, 2, 3, 4 } << false << -1;
        QTest::newRow("other readings") << trip << QVector<quint16>{ 1, 2, 9, 4, 5, 6 } << false << -1;
        QTest::newRow("round the memory") << trip << QVector<quint16>{ 3, 4, 5, 6, 7, 8 } << true << 2;
        QTest::newRow("round, not continuous") << trip << QVector<quint16>{ 3, 4, 5, 6, 7, 8 } << false << -1;
        QTest::newRow("round, off by a channel") << trip << QVector<quint16>{ 4, 5, 6, 7, 8, 9 } << true << -1;
        QTest::newRow("round entirely") << trip << QVector<quint16>{ 7, 8, 9, 10, 11, 12 } << true << -1;
        // the longest overlap is off by a channel, a shorter one is whole
        QTest::newRow("repeated readings") << QVector<quint16>{ 5, 5, 5, 5, 5 } << QVector<quint16>{ 5, 5, 5, 5, 7, 7 }
                                           << true << 2;
    }
    void tellingTripsApart()
    {
        QFETCH(QVector<quint16>, earlier);
        QFETCH(QVector<quint16>, later);
        QFETCH(bool, roundTheMemory);
        QFETCH(int, ahead);
        QCOMPARE(TripContinuity::readingsBefore(earlier, later, 2, roundTheMemory), ahead);
    }

    // What a program sets makes the trip; what the logger counts while it
    // records, and the comment line, do not.
    void theProgramMakesTheTrip()
    {
        LoggerRecord earlier = WindowTest::downloadedTrip(QStringLiteral("P-1"), { 10, 20, 30, 40 });
        earlier.configWord |= ConfigBits::Continuous;
        LoggerRecord later = earlier;
        later.alarmStatus = AlarmStatusBits::HH;
        later.recordedCount += 9;
        later.highestValue[0] = 99;
        later.battery = 10;
        later.comment = QStringLiteral("typed on the graph page");
        // gone round the memory by one reading
        const TripContinuity::Download more{ { 20, 30, 40, 50 }, qMax<quint32>(1, earlier.interval), true, {} };
        QCOMPARE(TripContinuity::readingsBefore(earlier, later, more), 1);
        later.interval += 60;
        QCOMPARE(TripContinuity::readingsBefore(earlier, later, more), -1);
        later = earlier;
        later.alarmThresholds[GroupHumidity][LevelL] += 1;
        QCOMPARE(TripContinuity::readingsBefore(earlier, later, more), -1);
        // a trip that had not begun goes on in whatever came since
        earlier.readings.clear();
        earlier.readingCount = 0;
        QCOMPARE(TripContinuity::readingsBefore(earlier, earlier, more), 0);
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

MIRELDA_TEST_MAIN(TestDownloadedTrip)
#include "tst_downloadedtrip.moc"
