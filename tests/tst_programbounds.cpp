// What reaches a logger from the Program page is what its fields would
// take, whichever road the program came by: typed, a template, or the
// logger's own. Each case reads the simulator's memory after the write, or
// after the write was refused.
#include "support/testenv.h"

#include "core/ccomm.h"
#include "core/imagecodec.h"
#include "core/loggertime.h"
#include "core/memorymap.h"
#include "files/cfilemanager.h"
#include "programming/programlimits.h"
#include "support/windowtest.h"

namespace {

constexpr int kFoundMs = 30000;
constexpr int kReplyMs = 20000;
constexpr int kProgramMs = 15000;

struct Station : WindowTest::SimulatedStation
{
    explicit Station(const QStringList &simArguments) : SimulatedStation(simArguments)
    {
        prompts.answer = QMessageBox::Yes;
    }
    LoggerRecord memory()
    {
        LoggerRecord image;
        ImageCodec::decode(sim.memory(), image);
        return image;
    }
    CComm *link() { return record().commandLink; }
    QString templatePath() const { return homePath(QStringLiteral("edited.xtp")); }
    // Plugged in, selected, its page filled and open.
    bool pageOpen()
    {
        return plugInAndSelect(kFoundMs)
               && QTest::qWaitFor([this] { return record().ready && ui->m_groupBoxProgram->isEnabled(); },
                                  kReplyMs);
    }
    // F5 until its transfer is over; true when the logger confirmed it.
    bool programmed()
    {
        prompts.boxes.clear();
        const QByteArray before = sim.memory().left(256);
        ui->m_actionProgram->trigger();
        return window.transferInProgress && QTest::qWaitFor([this] { return transferOver(); }, kProgramMs)
               && sim.memory().left(256) != before && !prompts.sawBoxContaining(QStringLiteral("Warning"));
    }
    // F5 refused with a box that says told; nothing of the logger changed.
    bool refused(const QString &told)
    {
        prompts.boxes.clear();
        const QByteArray before = sim.memory().left(256);
        ui->m_actionProgram->trigger();
        return !window.transferInProgress && prompts.sawBoxContaining(told) && sim.memory().left(256) == before;
    }
    // Saves the page as a template, sets the keys of edits ("KEY=value")
    // in it, ORs modeBits into its MODE and loads it again.
    void loadTemplateWith(const QStringList &edits, quint32 modeBits = 0)
    {
        const QString path = templatePath();
        prompts.filesToChoose = QStringList{ path };
        ui->m_actionSaveProgramTemplate->trigger();
        QStringList lines = QString::fromUtf8(TestEnv::readFile(path)).split(QStringLiteral("\r\n"));
        for (QString &line : lines) {
            const QString key = line.section(QLatin1Char('='), 0, 0);
            if (key == QLatin1String("MODE"))
                line = QStringLiteral("MODE=%1").arg(line.section(QLatin1Char('='), 1).toUInt(nullptr, 16) | modeBits, 0, 16);
            for (const QString &edit : edits)
                if (edit.section(QLatin1Char('='), 0, 0) == key)
                    line = edit;
        }
        QVERIFY(TestEnv::writeFile(path, lines.join(QStringLiteral("\r\n")).toUtf8()));
        prompts.boxes.clear();
        window.on_m_actionLoadTemplateProgram_triggered();
    }
};

}

class TestProgramBounds : public QObject
{
    Q_OBJECT
private slots:
    // A template switching on no sensor never reaches the page, and F5
    // writes no program without a channel, whatever brought it.
    void aProgramRecordsAtLeastOneSensor_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("sensors");
        QTest::newRow("0x114, one sensor") << "0x114" << "1";
        QTest::newRow("0x115, internal and probe") << "0x115" << "3";
        QTest::newRow("0x11A, three sensors") << "0x11A" << "7";
    }

    void aProgramRecordsAtLeastOneSensor()
    {
        QFETCH(QString, version);
        QFETCH(QString, sensors);
        Station s({ "--version", version, "--sensors", sensors });
        QVERIFY(s.pageOpen());
        s.ui->m_radioButtonPrgStartWait->click();
        const quint32 sensorsOn = s.record().configWord & ConfigBits::Sensors;
        const QString noSensor = QStringLiteral("MODE=%1")
                                     .arg(s.record().configWord & ~ConfigBits::Sensors, 0, 16)
                                     .toUpper();
        s.loadTemplateWith({ noSensor });
        QVERIFY2(s.prompts.sawBoxContaining(noSensor + QStringLiteral(" switches on no sensor")),
                 qPrintable(s.prompts.boxes.value(0).text));
        QCOMPARE(s.record().configWord & ConfigBits::Sensors, sensorsOn);

        // a record left without one, as templates once left it
        s.record().configWord &= ~ConfigBits::Sensors;
        s.window.showLoggerRecord();
        QVERIFY(s.refused(QStringLiteral("Check Enable Sensor")));
    }

    // A duration the memory does not hold becomes what it holds, told, and
    // is what F5 writes.
    void theDurationIsWhatTheMemoryHolds_data()
    {
        QTest::addColumn<QString>("sensors");
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("days");
        QTest::addColumn<QString>("duration");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("told");
        QTest::addColumn<bool>("stopAt");   // the stop: At, or After
        QTest::newRow("60 days at 5 s, one channel") << "1" << 5 << 60 << "3 Day 19:01:20" << 65536 << true << false;
        QTest::newRow("30 days at 1 min, two channels")
            << "4" << 60 << 30 << "22 Day 18:08:00" << 65536 << true << false;
        QTest::newRow("1 day at 5 s, held whole") << "1" << 5 << 1 << "1 Day 00:00:00" << 17280 << false << false;
        QTest::newRow("60 days at 5 s, Stop At") << "1" << 5 << 60 << "3 Day 19:01:20" << 65536 << true << true;
    }

    void theDurationIsWhatTheMemoryHolds()
    {
        QFETCH(QString, sensors);
        QFETCH(int, interval);
        QFETCH(int, days);
        QFETCH(QString, duration);
        QFETCH(int, count);
        QFETCH(bool, told);
        QFETCH(bool, stopAt);
        Station s({ "--version", "0x11A", "--sensors", sensors });
        QVERIFY(s.pageOpen());
        s.ui->m_dateTimeEditPrgInterval->setTime(QTime(0, 0).addSecs(interval));
        s.ui->m_radioButtonPrgStartAt->click();
        const QDateTime start = ProgramLimits::toWholeMinutes(QDateTime::currentDateTime().addDays(1));
        s.ui->m_dateTimeEditPrgStartAt->setDateTime(start);
        (stopAt ? s.ui->m_radioButtonPrgStopAt : s.ui->m_radioButtonPrgStopReading)->click();
        s.prompts.boxes.clear();
        s.ui->m_comboBoxPrgDuration->setCurrentIndex(days);
        QCOMPARE(s.ui->m_labelPrgDuration->text(), duration);
        QCOMPARE(s.ui->m_lineEditPrgStopReading->text(), QString::number(count));
        // a full memory stops with its last reading
        const qint64 samples = count / (sensors == "4" ? 2 : 1);
        const QDateTime stop = start.addSecs(samples * interval - (told ? interval : 0));
        QCOMPARE(s.ui->m_dateTimeEditPrgStopAt->dateTime(), stop);
        QCOMPARE(s.prompts.sawBoxContaining(QStringLiteral("The memory is full after ") + duration), told);
        QVERIFY(s.programmed());
        QCOMPARE(s.memory().stopReadingCount, count);
        if (stopAt)
            QCOMPARE(s.memory().stopAt, stop);
    }

    // A template names the model by the logger's code and never changes it.
    void aTemplateLeavesTheProductCodeAlone_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("told");   // "": taken
        QTest::newRow("empty") << "" << "its PRODUCTION_CODE is empty";
        QTest::newRow("another case") << "Qv-5d" << "PRODUCTION_CODE=Qv-5d, the logger's is QV-5D";
        QTest::newRow("another model") << "ZZ-9X" << "PRODUCTION_CODE=ZZ-9X, the logger's is QV-5D";
        QTest::newRow("the logger's") << "QV-5D" << "";
        QTest::newRow("the logger's, with blanks") << " QV-5D " << "";
    }

    void aTemplateLeavesTheProductCodeAlone()
    {
        QFETCH(QString, code);
        QFETCH(QString, told);
        const bool taken = told.isEmpty();
        Station s({ "--version", "0x115" });
        QVERIFY(s.pageOpen());
        s.ui->m_radioButtonPrgStartWait->click();
        s.loadTemplateWith({ "PRODUCTION_CODE=" + code, QStringLiteral("DESCRIPTION=From a template") });
        QVERIFY(taken ? s.prompts.boxes.isEmpty() : s.prompts.sawBoxContaining(told));
        QCOMPARE(s.window.formLocked, taken);
        QCOMPARE(s.ui->m_lineEditLoggerProduct->text(), QStringLiteral("QV-5D"));
        QVERIFY(s.programmed());
        const LoggerRecord logger = s.memory();
        QCOMPARE(logger.productCode, QStringLiteral("QV-5D"));
        QCOMPARE(logger.description == QLatin1String("From a template"), taken);
    }

    // What the page would show other than it writes, or cannot show, is
    // refused naming its key; F5 then writes the page as it was.
    void aTemplatesValuesAreOnesTheFieldsHold_data()
    {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<quint32>("modeBits");
        QTest::addColumn<QString>("told");   // "": taken
        const QString withSeconds =
            QDateTime(QDate::currentDate().addDays(2), QTime(10, 15, 30)).toString("yyyy-MM-dd hh:mm:ss");
        QTest::newRow("consecutive delay 0") << QStringList{ "CONSECUTIVE_ALARM_DELAY=0" } << 0u
                                             << "CONSECUTIVE_ALARM_DELAY=0";
        QTest::newRow("humidity total delay 0") << QStringList{ "TOTAL_ALARM_DELAY_HUM=0" } << 0u
                                                << "TOTAL_ALARM_DELAY_HUM=0";
        QTest::newRow("total below consecutive")
            << QStringList{ "CONSECUTIVE_ALARM_DELAY=5", "TOTAL_ALARM_DELAY=3" } << 0u
            << "TOTAL_ALARM_DELAY=3 lies below CONSECUTIVE_ALARM_DELAY=5";
        QTest::newRow("stop after 0 readings") << QStringList{ "PRG_STOP_READING=0" } << 0u << "PRG_STOP_READING=0";
        QTest::newRow("start with seconds") << QStringList{ "PRG_START_DATE=" + withSeconds } << 0u
                                            << "PRG_START_DATE=" + withSeconds;
        QTest::newRow("limit in thousandths")
            << QStringList{ "ALARM_HIGH=24.987" } << 0u
            << "ALARM_HIGH=24.987 is not a limit its field holds: the page shows it as 25.0";
        QTest::newRow("limit shown rounded") << QStringList{ "ALARM_HIGH=24.99" } << 0u << "ALARM_HIGH=24.99";
        QTest::newRow("bits without a box") << QStringList() << 0xF0000000u << "holds bits (F0000000)";
        QTest::newRow("a limit of one decimal") << QStringList{ "ALARM_HIGH=24.9" } << 0u << "";
    }

    void aTemplatesValuesAreOnesTheFieldsHold()
    {
        QFETCH(QStringList, edits);
        QFETCH(quint32, modeBits);
        QFETCH(QString, told);
        Station s({ "--version", "0x11A" });
        QVERIFY(s.pageOpen());
        s.ui->m_radioButtonPrgStartAt->click();
        const QDateTime start = ProgramLimits::toWholeMinutes(QDateTime::currentDateTime().addDays(1));
        s.ui->m_dateTimeEditPrgStartAt->setDateTime(start);
        s.ui->m_radioButtonPrgStopReading->click();
        s.ui->m_lineEditPrgStopReading->setText(QStringLiteral("720"));
        const LoggerRecord page = s.record();
        s.loadTemplateWith(edits, modeBits);
        if (!told.isEmpty()) {
            QVERIFY2(s.prompts.sawBoxContaining(told), qPrintable(s.prompts.boxes.value(0).text));
            QVERIFY(!s.window.formLocked);
        }
        QVERIFY(s.programmed());
        const LoggerRecord logger = s.memory();
        QCOMPARE(QList<qint64>({ logger.consecutiveDelay[GroupInternal], logger.totalDelay[GroupInternal],
                                 logger.totalDelay[GroupHumidity], logger.stopReadingCount,
                                 logger.startAt.secsTo(start), logger.configWord & 0xF0000000u }),
                 QList<qint64>({ page.consecutiveDelay[GroupInternal], page.totalDelay[GroupInternal],
                                 page.totalDelay[GroupHumidity], 720, 0, 0 }));
        const double high = told.isEmpty() ? 24.9 : page.alarmThresholds[GroupInternal][LevelH];
        QCOMPARE(logger.alarmThresholds[GroupInternal][LevelH], high);
    }

    // the last edit is the value named
    void aTemplatesLimitsAreCheckedAsTypedOnes_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("sensors");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<quint32>("levelBits");
        QTest::addColumn<QString>("range");
        QTest::newRow("H above HH") << "0x11A" << "1" << QStringList{ "ALARM_HIGH_HIGH=35", "ALARM_HIGH=50" } << 0u
                                    << "-40/85 °C";
        QTest::newRow("HH above the range") << "0x115" << "1" << QStringList{ "ALARM_HIGH_HIGH=120" } << 0u
                                            << "-40/85 °C";
        QTest::newRow("LL below the range") << "0x114" << "1" << QStringList{ "ALARM_LOW_LOW=-60" } << 0u
                                            << "-40/85 °C";
        QTest::newRow("humidity H above HH")
            << "0x11A" << "4" << QStringList{ "ALARM_HIGH_HIGH_HUM=90", "ALARM_HIGH_HUM=95" } << ConfigBits::HumHH
            << "0/100 %";
    }

    void aTemplatesLimitsAreCheckedAsTypedOnes()
    {
        QFETCH(QString, version);
        QFETCH(QString, sensors);
        QFETCH(QStringList, edits);
        QFETCH(quint32, levelBits);
        QFETCH(QString, range);
        Station s({ "--version", version, "--sensors", sensors });
        QVERIFY(s.pageOpen());
        s.ui->m_radioButtonPrgStartWait->click();
        const LoggerRecord before = s.record();
        s.loadTemplateWith(edits, levelBits);
        QVERIFY2(s.prompts.sawBoxContaining(edits.last()), qPrintable(edits.last()));
        QVERIFY(!s.window.formLocked);
        QVERIFY(std::equal(&before.alarmThresholds[0][0], &before.alarmThresholds[0][0] + 12,
                           &s.record().alarmThresholds[0][0]));
        // limits that reached the page unchecked, as templates once did, stop at F5
        QVERIFY(CFileManager::readTemplate(s.templatePath(), s.record()));
        s.window.showLoggerRecord();
        QVERIFY(s.refused(QStringLiteral("inside Logger's range ") + range));
    }

    void aTemplatesNumbersAreOnesThePageShows_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::newRow("more readings than the memory") << "PRG_STOP_READING=999999";
        QTest::newRow("interval over 11h59m59s") << "PRG_INTERVAL=99999999";
        QTest::newRow("no interval") << "PRG_INTERVAL=0";
        QTest::newRow("wait of 100 days") << "PRG_START_WAIT=8640000";
        QTest::newRow("delay over 254") << "CONSECUTIVE_ALARM_DELAY=300";
        QTest::newRow("trips over 9999") << "MAX_TRIP=12000";
        QTest::newRow("two stops") << "MODE=10002C0";   // Stop At and Continuous logging
    }

    void aTemplatesNumbersAreOnesThePageShows()
    {
        QFETCH(QString, edit);
        Station s({ "--version", "0x115" });
        QVERIFY(s.pageOpen());
        s.ui->m_radioButtonPrgStopReading->click();
        s.ui->m_lineEditPrgStopReading->setText(QStringLiteral("720"));
        s.ui->m_radioButtonPrgStartWait->click();
        const quint32 interval = s.record().interval;
        s.loadTemplateWith({ edit });
        QVERIFY2(s.prompts.sawBoxContaining(edit), qPrintable(edit));
        QVERIFY(s.programmed());
        const LoggerRecord logger = s.memory();
        QCOMPARE(QList<qint64>({ logger.stopReadingCount, logger.interval, logger.startDelay,
                                 logger.consecutiveDelay[GroupInternal], logger.maxTrip }),
                 QList<qint64>({ 720, interval, 0, 1, kUnlimitedTrips }));
    }

    // The start editor ends where the logger's clock does, and the last of
    // N readings is taken N - 1 intervals after the first: what lies beyond
    // the clock, or a stop after the last reading a full memory holds, is
    // told at F5 to the second; what the logger can record is written, and
    // its trip, downloaded and saved, opens again.
    void aProgramKeepsToTheTimesTheLoggerHolds_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QDateTime>("stopAt");   // invalid: stop after count readings
        QTest::addColumn<int>("count");
        // >= 0: Stop At that many intervals after the last reading of a full memory
        QTest::addColumn<int>("pastFullMemory");
        QTest::addColumn<QString>("duration");   // "": not looked at
        // what F5 tells; "": it writes the program; "opens again": and the
        // trip, downloaded and saved, opens again
        QTest::addColumn<QString>("told");
        const QDateTime now = QDateTime::currentDateTime();
        const QDateTime tomorrow(now.date().addDays(1), QTime(now.time().hour(), now.time().minute()));
        const QDateTime clockEnd(QDate(2136, 2, 7), QTime(6, 28));
        QTest::newRow("start typed beyond 2136")
            << 5 << QDateTime(QDate(2140, 1, 1), QTime(0, 0)) << QDateTime() << 10 << -1 << ""
            << "lies beyond 2136/02/07 06:28:15";
        QTest::newRow("readings ending on the clock's last second")
            << 5 << clockEnd << QDateTime() << 4 << -1 << "" << "";
        QTest::newRow("readings ending a reading later")
            << 5 << clockEnd << QDateTime() << 5 << -1 << ""
            << "The end of the readings (2136/02/07 06:28:20) lies beyond 2136/02/07 06:28:15";
        QTest::newRow("readings ending beyond 2136")
            << 43199 << QDateTime(QDate(2100, 1, 1), QTime(0, 0)) << QDateTime() << 65536 << -1 << ""
            << "The end of the readings";
        QTest::newRow("stop beyond a full memory")
            << 5 << now.addDays(1) << QDateTime(QDate(2028, 10, 25), QTime(12, 0)) << 0 << -1 << "3 Day 19:01:20"
            << "The memory is full on";
        QTest::newRow("stop on the last reading of a full memory")
            << 60 << tomorrow << QDateTime() << 0 << 0 << "" << "";
        QTest::newRow("stop one interval after it")
            << 60 << tomorrow << QDateTime() << 0 << 1 << "" << "The memory is full on";
        QTest::newRow("a trip of 2070 opens again")
            << 5 << QDateTime(QDate(2070, 1, 1), QTime(0, 0)) << QDateTime() << 4 << -1 << "" << "opens again";
    }

    void aProgramKeepsToTheTimesTheLoggerHolds()
    {
        QFETCH(int, interval);
        QFETCH(QDateTime, start);
        QFETCH(QDateTime, stopAt);
        QFETCH(int, count);
        QFETCH(int, pastFullMemory);
        QFETCH(QString, duration);
        QFETCH(QString, told);
        Station s({ "--version", "0x11A", "--fast", "60" });
        QVERIFY(s.pageOpen());
        s.ui->m_dateTimeEditPrgInterval->setTime(QTime(0, 0).addSecs(interval));
        s.ui->m_radioButtonPrgStartAt->click();
        s.ui->m_dateTimeEditPrgStartAt->setDateTime(start);
        QVERIFY(s.ui->m_dateTimeEditPrgStartAt->dateTime() <= LoggerTime::lastClockTime());
        if (pastFullMemory >= 0)
            stopAt = start.addSecs(qint64(ProgramLimits::maxReadings(s.record()) - 1 + pastFullMemory) * interval);
        if (stopAt.isValid()) {
            s.ui->m_radioButtonPrgStopAt->click();
            s.ui->m_dateTimeEditPrgStopAt->setDateTime(stopAt);
        } else {
            s.ui->m_radioButtonPrgStopReading->click();
            s.ui->m_lineEditPrgStopReading->setText(QString::number(count));
        }
        if (!duration.isEmpty())
            QCOMPARE(s.ui->m_labelPrgDuration->text(), duration);
        const bool opensAgain = told == QLatin1String("opens again");
        if (!told.isEmpty() && !opensAgain) {
            QVERIFY(s.refused(told));
            return;
        }
        QVERIFY(s.programmed());
        QCOMPARE(s.memory().startAt, start);
        if (!opensAgain)
            return;
        // the logger's clock reaches the trip: its readings come and go to a file
        s.link()->sendCommand32(MemoryMap::Command::Clock, LoggerTime::fromDateTime(start) + 60);
        QTRY_COMPARE_WITH_TIMEOUT(s.memory().recordedCount, quint32(count), kReplyMs);
        s.ui->m_actionDownload->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(s.record().trip().readingCount, count, kReplyMs);
        const QString file = s.homePath(QStringLiteral("2070.qlf"));
        s.prompts.filesToChoose = QStringList{ file };
        s.ui->m_actionSave->trigger();
        QVERIFY(!s.record().unsavedReadings);
        // a copy: the file open in the logger's row would only be shown
        const QString copy = s.homePath(QStringLiteral("2070 copy.qlf"));
        QVERIFY(QFile::copy(file, copy));
        s.prompts.filesToChoose = QStringList{ copy };
        s.prompts.boxes.clear();
        s.ui->m_actionLoad->trigger();
        QVERIFY2(s.prompts.boxes.isEmpty(), qPrintable(s.prompts.boxes.value(0).text));
        QCOMPARE(s.records.size(), 2);
        QCOMPARE(s.records.last().trip().startTime, start);
        QCOMPARE(s.records.last().trip().readingCount, count);
    }

    // Stop After Max, saved as a template, loads back onto the same logger
    // and is written as it was: a count of the whole memory is the
    // logger's own, whatever its sensors.
    void theProgramsOwnTemplateLoadsBack_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("sensors");
        QTest::newRow("Stop After Max, one sensor") << "0x114" << "1";
        QTest::newRow("Stop After Max, two sensors") << "0x115" << "5";
        QTest::newRow("Stop After Max, three sensors") << "0x11A" << "7";
    }

    void theProgramsOwnTemplateLoadsBack()
    {
        QFETCH(QString, version);
        QFETCH(QString, sensors);
        Station s({ "--version", version, "--sensors", sensors });
        QVERIFY(s.pageOpen());
        s.ui->m_radioButtonPrgStartWait->click();
        s.ui->m_radioButtonPrgStopReading->click();
        s.ui->m_pushButtonPrgStopAfterMax->click();
        const QString whole = QString::number(ProgramLimits::maxReadings(s.record()));
        QCOMPARE(s.ui->m_lineEditPrgStopReading->text(), whole);
        s.prompts.filesToChoose = QStringList{ s.templatePath() };
        s.ui->m_actionSaveProgramTemplate->trigger();
        WindowTest::finishEditing(s.ui->m_lineEditPrgStopReading, QStringLiteral("720"));
        s.prompts.boxes.clear();
        s.window.on_m_actionLoadTemplateProgram_triggered();
        QVERIFY2(s.prompts.boxes.isEmpty(), qPrintable(s.prompts.boxes.value(0).text));
        QCOMPARE(s.ui->m_lineEditPrgStopReading->text(), whole);
        QVERIFY(s.programmed());
        QCOMPARE(QString::number(s.memory().stopReadingCount), whole);
    }

    void continuousLoggingIsTheOnlyStop_data()
    {
        QTest::addColumn<QString>("road");
        QTest::newRow("from Stop At") << "at";
        QTest::newRow("from Stop After") << "after";
        QTest::newRow("a logger holding two stops") << "held";
    }

    void continuousLoggingIsTheOnlyStop()
    {
        QFETCH(QString, road);
        Station s({ "--version", "0x11A" });
        QVERIFY(s.pageOpen());
        s.ui->m_radioButtonPrgStartWait->click();
        if (road == QLatin1String("held")) {
            s.record().configWord |= ConfigBits::StopAt | ConfigBits::Continuous;
            s.window.showLoggerRecord();
            QVERIFY(s.refused(QStringLiteral("stops one way only")));
            return;
        }
        (road == QLatin1String("at") ? s.ui->m_radioButtonPrgStopAt : s.ui->m_radioButtonPrgStopReading)->click();
        s.ui->m_radioButtonPrgStopContinue->click();
        QVERIFY(!s.ui->m_radioButtonPrgStopAt->isChecked() && !s.ui->m_radioButtonPrgStopReading->isChecked());
        QVERIFY(s.programmed());
        const quint32 stops = s.memory().configWord
                              & (ConfigBits::StopAt | ConfigBits::StopAfterReadings | ConfigBits::Continuous);
        QCOMPARE(stops, ConfigBits::Continuous);
    }

    // The box going back to User Defined after an interval change is no
    // choice of 0 days; a logger read afresh shows the duration its count
    // takes.
    void changingTheIntervalKeepsTheStopCount_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("duration");
        QTest::newRow("720 at 1 min to 2 min") << 720 << 60 << 120 << "1 Day 00:00:00";
        QTest::newRow("1440 at 1 min to 2 min") << 1440 << 60 << 120 << "2 Day 00:00:00";
        QTest::newRow("8 at 6 h to 3 h") << 8 << 21600 << 10800 << "1 Day 00:00:00";
    }

    void changingTheIntervalKeepsTheStopCount()
    {
        QFETCH(int, count);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, duration);
        Station s({ "--version", "0x11A" });
        QVERIFY(s.pageOpen());
        s.ui->m_radioButtonPrgStartWait->click();
        s.ui->m_radioButtonPrgStopReading->click();
        s.ui->m_dateTimeEditPrgInterval->setTime(QTime(0, 0).addSecs(from));
        s.ui->m_lineEditPrgStopReading->setText(QString::number(count));
        s.ui->m_dateTimeEditPrgInterval->setTime(QTime(0, 0).addSecs(to));
        QCOMPARE(s.ui->m_lineEditPrgStopReading->text(), QString::number(count));
        QVERIFY(s.programmed());
        QCOMPARE(s.memory().stopReadingCount, count);

        // read afresh, as a logger plugged in is: no duration of the page's
        s.record().duration = 0;
        s.ui->m_labelPrgDuration->clear();
        s.ui->m_tableWidgetLogger->setCurrentCell(-1, -1);
        s.ui->m_tableWidgetLogger->setCurrentCell(0, 0);
        QTRY_COMPARE_WITH_TIMEOUT(s.ui->m_labelPrgDuration->text(), duration, kReplyMs);
    }
};

MIRELDA_TEST_MAIN(TestProgramBounds)
#include "tst_programbounds.moc"
