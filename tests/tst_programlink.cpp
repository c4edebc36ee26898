// The programming page against the logger simulator on a pseudo-terminal:
// what a programming writes, how it survives lost echoes and ends against a
// silent logger, its refusals, the clock buttons, the passwords of protected
// loggers and what a logout does to a write.
#include "support/programstation.h"
#include "support/testenv.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QDeadlineTimer>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/ccomm.h"
#include "core/imagecodec.h"
#include "core/loggertime.h"
#include "core/memorymap.h"
#include "programming/calibrationtable.h"
#include "programming/cpass.h"
#include "programming/programlimits.h"
#include "support/useradmintest.h"
#include "support/viewstest.h"
#include "support/windowtest.h"
#include "tools/loggersim/loggersimpattern.h"
#include "ui_cpass.h"

using namespace ProgramStation;

namespace {

// The programming of serial stands in the trail as failed, in Ada's name,
// before her Logout or Auto Logout line.
bool failedInAdasName(const QString &serial)
{
    const QString audit = UserStoreFile::auditOfToday();
    const int failed = audit.indexOf(QStringLiteral("Configure failed: ") + serial);
    return failed > 0 && audit.lastIndexOf("User: ", failed) == audit.lastIndexOf("User: Ada", failed)
           && audit.indexOf(QStringLiteral("Logout"), failed) > failed;
}

}

class TestProgramLink : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!qEnvironmentVariableIsEmpty("MIRELDA_PROGRAM_SCREENSHOT"))
            MainWindow::applyFormFont();
    }

    void pageShowsTheSelectedLoggersProgram()
    {
        Station s({ "--serial", "PAGE-0001", "--readings", "300", "--sensors", "5" });
        START_SELECTED(s);
        QTRY_VERIFY_WITH_TIMEOUT(!s.ui->m_labelLoggerTime->text().isEmpty(), kReplyMs);
        QTRY_COMPARE_WITH_TIMEOUT(s.ui->m_tableWidgetLogger->item(0, 3)->text(),
                                  QStringLiteral("PAGE-0001"), kReplyMs);
        // MIRELDA_PROGRAM_SCREENSHOT names where to keep a picture of the page
        const QString shot = qEnvironmentVariable("MIRELDA_PROGRAM_SCREENSHOT");
        if (!shot.isEmpty()) {
            s.window.resize(1092, 732);
            s.window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&s.window));
            s.ui->m_tabWidget->setCurrentWidget(s.ui->m_tabLogger);
            QTRY_VERIFY(s.ui->m_widgetPrg->isVisible());
            QVERIFY(s.window.grab().save(shot));
        }

        s.ui->m_actionDownload->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(s.record().dataLoaded, kReplyMs);
        s.ui->m_tableWidgetLogger->setCurrentCell(-1, -1);
        s.ui->m_tableWidgetLogger->setCurrentCell(0, 0);

        const LoggerRecord &r = s.record();
        QVERIFY(r.stopAt.isValid());
        QCOMPARE(s.ui->m_dateTimeEditPrgInterval->time(),
                 QTime(0, 0).addSecs(int(LoggerSimPattern::kInterval)));
        QCOMPARE(s.ui->m_dateTimeEditPrgStartAt->dateTime(),
                 LoggerTime::toDateTime(LoggerSimPattern::startSeconds()));
        QCOMPARE(s.ui->m_dateTimeEditPrgStopAt->dateTime(), r.stopAt);
        QCOMPARE(s.ui->m_lineEditLoggerMemSize->text(), QStringLiteral("65k Rec."));
        QVERIFY(s.ui->m_checkBoxLoggerAlarmSensorEnableIntTemp->isChecked());
        QVERIFY(s.ui->m_checkBoxLoggerAlarmSensorEnableIntHum->isChecked());
        QVERIFY(!s.ui->m_checkBoxLoggerAlarmSensorEnableExtTemp->isChecked());
        QVERIFY(!s.ui->m_tabWidgetAlarm->isTabEnabled(2));   // no probe on this model
        QCOMPARE(s.ui->m_tabWidgetAlarm->tabText(0), QStringLiteral("Int. Temp.(Digital)"));
        QVERIFY(s.ui->m_labelFirmwareVersion->text().contains(QStringLiteral("1.1A")));
    }

    // The first write frames lose their echoes or come back garbled; the
    // programming still ends confirmed.
    void programmingWritesTheChangedBytesOnly()
    {
        Station s({ "--serial", "PRG-0001", "--drop-echo", "2", "--bad-echo", "2" });
        START_SELECTED(s);
        PROGRAM_CONFIRMED(s);
        QCOMPARE(s.sim.memory().left(256), s.window.loggerWriter.programImage().left(256));
        QVERIFY(s.record().configWord & ConfigBits::StartDelay);   // read back from the logger

        // a new description alone goes in two frames at the most
        const int framesBefore = s.link()->writeFramesSent;
        s.ui->m_lineEditLoggerDescription->setText(QStringLiteral("Cold room 4 to Lisbon"));
        PROGRAM_CONFIRMED(s);
        QVERIFY(s.link()->writeFramesSent - framesBefore <= 2);
        QVERIFY(s.link()->writeFramesSent - framesBefore >= 1);
        QCOMPARE(s.sim.memory().left(256), s.window.loggerWriter.programImage().left(256));
        QCOMPARE(s.record().description, QStringLiteral("Cold room 4 to Lisbon"));
        QVERIFY(s.ui->m_progressBarWrite->format().contains(QLatin1Char(':')));   // the logger's clock
        QCOMPARE(s.window.loggerWriter.retryCount(), 0);
        QVERIFY(!s.prompts.sawBoxContaining(QStringLiteral("Warning")));
    }

    // In °F the range is shown in °F under its °F label; the field gives
    // the record Celsius back, so a range typed in °F, and the range shown
    // again, reach the logger's image in Celsius.
    void theRangeIsShownInItsUnitAndWrittenInCelsius()
    {
        Station s({ "--serial", "RNG-0001" });
        s.window.app->settings.modeCelsius = 0;
        START_SELECTED(s);
        QCOMPARE(s.ui->m_labelRange->text(), QStringLiteral("Range (\u00B0F)"));
        QCOMPARE(s.ui->m_lineEditLoggerRange->text(), QStringLiteral("-40/185"));
        const auto imageRange = [&s] {
            LoggerRecord image;
            ImageCodec::decode(s.sim.memory(), image);
            return qMakePair(image.rangeLow, image.rangeHigh);
        };

        s.ui->m_lineEditLoggerRange->setText(QStringLiteral("-4/122"));
        PROGRAM_CONFIRMED(s);
        QCOMPARE(imageRange(), qMakePair(-20, 50));
        QTRY_COMPARE_WITH_TIMEOUT(s.ui->m_lineEditLoggerRange->text(), QStringLiteral("-4/122"), kReplyMs);

        s.ui->m_lineEditLoggerRange->setText(QStringLiteral("-40/185"));
        PROGRAM_CONFIRMED(s);
        QCOMPARE(imageRange(), qMakePair(-40, 85));
        QCOMPARE(qMakePair(s.record().rangeLow, s.record().rangeHigh), qMakePair(-40, 85));
    }

    // A trip the logger records after its program keeps each channel's
    // extremes in the image as it goes, as the preloaded one does.
    void aRecordedTripKeepsItsExtremes()
    {
        Station s({ "--serial", "REC-0001", "--sensors", "5", "--fast", "600" });
        START_SELECTED(s);
        s.ui->m_radioButtonPrgStopReading->click();
        WindowTest::finishEditing(s.ui->m_lineEditPrgStopReading, QStringLiteral("40"));
        PROGRAM_CONFIRMED(s);
        QTRY_COMPARE_WITH_TIMEOUT(s.loggerImage().recordedCount, 40u, kProgramMs);
        DOWNLOAD_RUNS(s);
        const LoggerRecord &trip = s.record().trip();
        QCOMPARE(trip.readingCount, 40);
        QCOMPARE(ReadingWord::value(trip.readings.at(2)), ReadingWord::value(LoggerSimPattern::recorded(1, 0)));
        QCOMPARE(ViewsTest::keptExtremes(s.loggerImage()), ViewsTest::readingExtremes(trip));
    }

    // A programmed trip begins when the clock, as the program set it,
    // reaches its start, and holds the readings from its start on. The
    // logger's clock stands four hours ahead until the program sets it, so
    // the start already lies behind it when the program comes; a clock set
    // while the trip waits leaves its start where it is. A Now start begins
    // with its program.
    void aProgrammedTripBeginsAtItsStart_data()
    {
        QTest::addColumn<QString>("start");
        QTest::newRow("at") << "at";
        QTest::newRow("wait") << "wait";
        QTest::newRow("now") << "now";
    }

    void aProgrammedTripBeginsAtItsStart()
    {
        QFETCH(QString, start);
        constexpr qint64 hour = 3600;
        Station s({ "--serial", "START-001", "--fast", "1", "--clock-offset", QString::number(4 * hour) });
        START_SELECTED(s);
        s.ui->m_radioButtonPrgStopReading->click();
        WindowTest::finishEditing(s.ui->m_lineEditPrgStopReading, QStringLiteral("40"));
        const qint64 programmedFrom = s.window.app->currentLoggerTime();
        const QDateTime at = ProgramLimits::toWholeMinutes(LoggerTime::toDateTime(programmedFrom + 2 * hour));
        if (start == QLatin1String("now")) {   // the page programs no Now start: a program's frames
            LoggerRecord program;
            ImageCodec::decode(s.sim.memory(), program);
            program.configWord = (program.configWord & ~(ConfigBits::StartAt | ConfigBits::StartDelay))
                                 | ConfigBits::StopAfterReadings;
            program.stopReadingCount = 40;
            s.link()->sendCommand(MemoryMap::Command::Wake);
            s.link()->sendWriteMemory(0, ImageCodec::encode(program, s.sim.memory()).left(MemoryMap::BlockSize));
            s.link()->sendCommand(MemoryMap::Command::Commit);
            s.link()->sendCommand(MemoryMap::Command::End);
            s.link()->sendCommand32(MemoryMap::Command::Clock, s.window.app->currentLoggerTime());
            QVERIFY(s.roundTrip());
        } else {
            if (start == QLatin1String("at")) {
                s.ui->m_radioButtonPrgStartAt->click();
                s.ui->m_dateTimeEditPrgStartAt->setDateTime(at);
            } else {
                s.ui->m_radioButtonPrgStartWait->click();
                s.ui->m_dateTimeEditPrgStartWait->setTime(QTime(2, 0));
            }
            QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_actionProgram->isEnabled(), kReplyMs);
            s.ui->m_actionProgram->trigger();
            QTRY_VERIFY_WITH_TIMEOUT(s.transferOver(), kProgramMs);
            QCOMPARE(s.ui->m_progressBarWrite->styleSheet(), QString());
        }
        const qint64 programmedTo = s.window.app->currentLoggerTime();

        if (start != QLatin1String("now")) {
            QVERIFY(s.download());
            QCOMPARE(s.record().sampleCount(), 0);
            // the clock runs a quarter of an hour on and is set back
            QVERIFY(s.sim.command(QStringLiteral("fast 600")));
            QVERIFY(s.clockReaches(programmedTo + hour / 4));
            QVERIFY(s.sim.command(QStringLiteral("fast 1")));
            s.ui->m_pushButtonLoggerSyncTime->click();
            QTRY_VERIFY_WITH_TIMEOUT(s.window.clockConfirmed, kReplyMs);
            QVERIFY(s.download());
            QCOMPARE(s.record().sampleCount(), 0);
        }

        QVERIFY(s.sim.command(QStringLiteral("fast 6000")));
        QTRY_COMPARE_WITH_TIMEOUT(s.loggerImage().recordedCount, 40u, kProgramMs);
        QVERIFY(s.download());
        const LoggerRecord &trip = s.record().trip();
        const qint64 began = LoggerTime::fromDateTime(trip.startTime);
        if (start == QLatin1String("at"))
            QCOMPARE(trip.startTime, at);
        else {
            const qint64 wait = start == QLatin1String("wait") ? 2 * hour : 0;
            QVERIFY2(began >= programmedFrom + wait - 5 && began <= programmedTo + wait,
                     qPrintable(trip.startTime.toString(Qt::ISODate)));
        }
        QCOMPARE(trip.sampleCount(), 40);
        QCOMPARE(trip.startTime.secsTo(trip.stopTime), qint64(39 * LoggerSimPattern::kInterval));
        QCOMPARE(trip.readings.first(), LoggerSimPattern::recorded(0, ChannelInternal));
        QCOMPARE(trip.readings.last(), LoggerSimPattern::recorded(39, ChannelInternal));
    }

    // What the user typed stays on the page for the logger it was typed
    // for while its trip is saved, the page is left and found again, and a
    // second logger comes into the list with its image; the first logger's
    // row stays chosen with its actions, F6 downloads it and F5 programs
    // the typed description.
    void typedTextsStayWithTheChosenLoggerUntilProgrammed()
    {
        Station s({ "--serial", "KEEP-0001", "--readings", "40" });
        START_SELECTED(s);
        DOWNLOAD_RUNS(s);
        QTabWidget *tabs = s.ui->m_tabWidget;
        tabs->setCurrentWidget(s.ui->m_tabLogger);
        QLineEdit *description = s.ui->m_lineEditLoggerDescription;
        const QString typed = QStringLiteral("Cold room 7");
        description->selectAll();
        QTest::keyClicks(description, typed);

        const QString path = s.homePath(QStringLiteral("keep.qlf"));
        s.prompts.filesToChoose = QStringList{ path };
        s.ui->m_actionSave->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(s.record().fileName, path, kReplyMs);
        QVERIFY(tabs->isTabEnabled(MainWindow::PageGraph));
        tabs->setCurrentIndex(MainWindow::PageGraph);
        tabs->setCurrentWidget(s.ui->m_tabLogger);
        QCOMPARE(description->text(), typed);

        LoggerSimProcess second({ "--serial", "KEEP-0002" });
        QVERIFY(second.start());
        LoggerSimProcess::exposePorts({ s.sim.ptyPath(), second.ptyPath() });
        QTableWidget *table = s.ui->m_tableWidgetLogger;
        QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 2, kFoundMs);
        QTRY_VERIFY_WITH_TIMEOUT(s.records.at(1).loggerClockSeconds != 0 && !s.window.showRecordPending,
                                 kReplyMs);
        s.window.updateLoggerPage();
        QCOMPARE(table->currentRow(), 0);
        QCOMPARE(s.ui->m_lineEditLoggerSerial->text(), QStringLiteral("KEEP-0001"));
        QCOMPARE(description->text(), typed);
        QVERIFY(s.ui->m_actionSave->isEnabled());

        QSignalSpy progress(s.window.app, &CMainApp::downloadProgress);
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_actionDownload->isEnabled(), kReplyMs);
        s.ui->m_actionDownload->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty() && progress.last().at(1).toInt() == 100, kReplyMs);
        QCOMPARE(description->text(), typed);

        PROGRAM_CONFIRMED(s);
        LoggerRecord programmed;
        ImageCodec::decode(s.sim.memory(), programmed);
        QCOMPARE(programmed.serialNumber, QStringLiteral("KEEP-0001"));
        QCOMPARE(programmed.description, typed);
        QVERIFY(!s.prompts.sawBoxContaining(QStringLiteral("Warning")));
    }

    // The trail names a programming once, as confirmed or as failed after
    // its last re-emission, never as the frames are queued.
    void silentLoggerEndsInTheFailureAfterNineReemissions()
    {
        Station s({ "--serial", "FAIL-0001" });
        START_SELECTED(s);
        CUserAdmin *users = s.window.app->userAdmin;
        users->users = { UserStoreFile::user("cho", "Cho1pass", "13", UserRecord::RightConfigure) };
        users->enabled = true;
        users->currentUser = 0;
        PROGRAM_CONFIRMED(s);   // the page now holds what the logger holds
        QVERIFY(s.sim.command(QStringLiteral("silent on")));
        s.makeEveryReplyOverdue();
        QSignalSpy reemissions(&s.window, &MainWindow::program);
        s.ui->m_actionProgram->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(s.prompts.sawBoxContaining(QStringLiteral("Program unsuccessful")), 60000);
        QCOMPARE(reemissions.count(), 9);
        QCOMPARE(s.window.loggerWriter.retryCount(), 0);
        QVERIFY(s.transferOver());
        QVERIFY(s.sim.command(QStringLiteral("silent off")));
        QVERIFY(s.roundTrip());
        QCOMPARE(s.prompts.boxesContaining(QStringLiteral("Program unsuccessful")), 1);
        QVERIFY(s.prompts.sawBoxContaining(QStringLiteral("try again.\n\nLogger: FAIL-0001")));
        QCOMPARE(UserStoreFile::auditOfToday().count(QStringLiteral("Configure: FAIL-0001")), 1);
        QCOMPARE(UserStoreFile::auditOfToday().count(QStringLiteral("Configure failed: FAIL-0001")), 1);
        users->enabled = false;
    }

    void lateStartAndUsedUpTripsAreRefused()
    {
        Station s({ "--serial", "REF-0001" });
        START_SELECTED(s);
        s.ui->m_radioButtonPrgStartAt->click();
        QVERIFY(s.record().configWord & ConfigBits::StartAt);
        const QDateTime soon = ProgramLimits::toWholeMinutes(
            LoggerTime::toDateTime(s.window.app->currentLoggerTime()).addSecs(120));
        s.ui->m_dateTimeEditPrgStartAt->setDateTime(soon);
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_actionProgram->isEnabled(), kReplyMs);
        const int framesBefore = s.link()->writeFramesSent;
        CUserAdmin *users = s.window.app->userAdmin;
        users->users = { UserStoreFile::user("cho", "Cho1pass", "13", UserRecord::RightConfigure) };
        users->enabled = true;
        users->currentUser = 0;
        s.ui->m_actionProgram->trigger();
        QVERIFY(s.prompts.sawBoxContaining(QStringLiteral("serial #REF-0001 can not be programmed. \n The start time has passed")));
        QVERIFY(s.transferOver());
        // the audit trail names only what was written
        QVERIFY(!UserStoreFile::auditOfToday().contains(QStringLiteral("Configure: REF-0001")));
        users->enabled = false;

        s.ui->m_dateTimeEditPrgStartAt->setDateTime(soon.addSecs(3600));
        s.ui->m_lineEditLoggerMaxTrip->setText(QStringLiteral("1"));   // the logger is at trip 1
        s.ui->m_actionProgram->trigger();
        QVERIFY(s.prompts.sawBoxContaining(QStringLiteral("no longer capable of recieving new program")));
        QVERIFY(s.transferOver());
        QVERIFY(s.roundTrip());
        QCOMPARE(s.link()->writeFramesSent, framesBefore);
    }

    // Nothing reaches a logger that could not run the program; the word
    // says what to change.
    void aProgramTheLoggerCannotRunIsNotWritten()
    {
        Station s({ "--serial", "RUN-0001" });
        START_SELECTED(s);
        const QByteArray before = s.sim.memory();
        const int framesBefore = s.link()->writeFramesSent;
        const auto refused = [&s](const QString &advice) {
            s.prompts.boxes.clear();
            s.ui->m_actionProgram->trigger();
            return s.prompts.sawBoxContaining(advice) && s.transferOver();
        };

        s.ui->m_radioButtonPrgStartWait->click();
        s.record().interval = 0;   // as a logger after its factory init holds it
        s.window.updateProgramForm();
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_actionProgram->isEnabled(), kReplyMs);
        QVERIFY(refused(QStringLiteral("Set an interval between 00h00m05s and 11h59m59s")));

        s.ui->m_dateTimeEditPrgInterval->setTime(QTime(0, 10));
        s.ui->m_radioButtonPrgStartAt->click();   // beside Wait: this logger has a header
        QVERIFY(s.ui->m_radioButtonPrgStartWait->isChecked());
        QVERIFY(refused(QStringLiteral("Uncheck the start you do not want")));

        s.ui->m_radioButtonPrgStartWait->click();
        s.ui->m_radioButtonPrgStopAt->click();
        s.ui->m_dateTimeEditPrgStopAt->setDateTime(s.ui->m_dateTimeEditPrgStartAt->dateTime().addSecs(-3600));
        QVERIFY(refused(QStringLiteral("Set Stop At later")));

        // the clock is read after anything queued before it
        s.record().loggerClockSeconds = 0;
        s.ui->m_pushButtonLoggerReadTime->click();
        QTRY_VERIFY_WITH_TIMEOUT(s.record().loggerClockSeconds != 0, kReplyMs);
        QCOMPARE(s.link()->writeFramesSent, framesBefore);
        QCOMPARE(s.sim.memory(), before);
    }

    void readAndSyncSetTheLoggersClock()
    {
        Station s({ "--clock-offset", "3600" });
        START_SELECTED(s);
        const qint64 now = s.window.app->currentLoggerTime();
        s.record().loggerClockSeconds = 0;
        s.ui->m_pushButtonLoggerReadTime->click();
        QTRY_VERIFY_WITH_TIMEOUT(s.record().loggerClockSeconds != 0, kReplyMs);
        QVERIFY(qAbs(qint64(s.record().loggerClockSeconds) - now - 3600) < 10);
        QTRY_COMPARE_WITH_TIMEOUT(s.ui->m_labelLoggerTime->text(),
                                  s.record().loggerClock.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")),
                                  kReplyMs);

        s.ui->m_pushButtonLoggerSyncTime->click();
        QTRY_VERIFY_WITH_TIMEOUT(s.window.clockConfirmed, kReplyMs);
        QVERIFY(qAbs(qint64(s.record().loggerClockSeconds) - qint64(s.window.app->currentLoggerTime())) < 10);

        // a record opened from a file has no clock behind it
        s.addAndSelect(WindowTest::fileRecord(QStringLiteral("/tmp/trip.qlf"), QStringLiteral("F1")));
        s.prompts.boxes.clear();
        s.ui->m_pushButtonLoggerReadTime->click();
        s.ui->m_pushButtonLoggerSyncTime->click();
        QCOMPARE(s.prompts.boxesContaining(QStringLiteral("No logger is connected")), 2);

        // the mass-storage logger is plugged in, though only its drive is reached
        LoggerRecord drive = WindowTest::fileRecord(QStringLiteral("/media/KelpraUSB/D1.QLF"), QStringLiteral("D1"));
        drive.massStorage = true;
        s.addAndSelect(drive);
        s.prompts.boxes.clear();
        s.ui->m_pushButtonLoggerReadTime->click();
        s.ui->m_pushButtonLoggerSyncTime->click();
        QCOMPARE(s.prompts.boxesContaining(QStringLiteral("clock cannot be read or set from here")), 2);
        QCOMPARE(s.prompts.boxesContaining(QStringLiteral("No logger is connected")), 0);
    }

    // The read just before a Sync's set, missed by a logger silent at that
    // moment: the set's reply is still the set's, so the window shows the
    // clock set and its check settles, and the move is measured all the same.
    void aSyncWhoseReadTheLoggerMissedIsAnswered()
    {
        Station s({ "--clock-offset", "-600" });
        START_SELECTED(s);
        QVERIFY(s.sim.command(QStringLiteral("silent on")));
        s.ui->m_pushButtonLoggerSyncTime->click();
        // the link took the set: its read is on the line, unanswered
        QTRY_COMPARE_WITH_TIMEOUT(s.link()->queueLength(), 0, kReplyMs);
        QVERIFY(s.sim.command(QStringLiteral("silent off")));
        QTRY_VERIFY_WITH_TIMEOUT(!s.window.clockCheckPending, kReplyMs);
        QVERIFY(s.window.clockConfirmed);
        QVERIFY(qAbs(qint64(s.record().loggerClockSeconds) - qint64(s.window.app->currentLoggerTime())) < 10);
        QVERIFY(s.record().clockSetsSinceDownload.known());
        QVERIFY(qAbs(s.record().clockSetsSinceDownload.moved - 600) < 10);
    }

    // The drive logger takes no write: each names what was asked and says
    // that the drive cannot take it, and nothing is marked as sent.
    void theDriveLoggerSaysWhichWriteItCannotTake_data()
    {
        QTest::addColumn<QString>("write");
        QTest::addColumn<QString>("named");
        QTest::newRow("factory init") << "init" << "Factory Init";
        QTest::newRow("program") << "program" << "Programming";
        QTest::newRow("eeprom write") << "eeprom" << "EEPROM Write";
        QTest::newRow("internal table") << "internal" << "Writing a calibration table";
        QTest::newRow("external table") << "external" << "Writing a calibration table";
    }

    void theDriveLoggerSaysWhichWriteItCannotTake()
    {
        QFETCH(QString, write);
        QFETCH(QString, named);
        WindowTest::Harness h;
        h.prompts.answer = QMessageBox::Yes;
        LoggerRecord drive = WindowTest::fileRecord(QStringLiteral("MSD1.QLF"), QStringLiteral("D1"));
        drive.massStorage = true;
        h.addAndSelect(drive);
        // the page opens once the views of the row are built
        QTRY_VERIFY_WITH_TIMEOUT(h.ui->m_groupBoxProgram->isEnabled(), kReplyMs);
        h.ui->m_radioButtonPrgStartWait->click();
        startWriteNamed(h, write);
        QCOMPARE(h.prompts.boxes.size(), 1);
        const QString text = h.prompts.boxes.first().text;
        QVERIFY2(text.contains(named + QStringLiteral(" cannot be done through the drive")), qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("clock")), qPrintable(text));
        QVERIFY(!h.records.first().programSentSinceDownload && !h.window.transferInProgress);
    }

    void aClockThatStaysWrongIsReported()
    {
        Station s({ "--clock-skew", "600" });
        START_SELECTED(s);
        s.ui->m_radioButtonPrgStartWait->click();
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_actionProgram->isEnabled(), kReplyMs);
        QSignalSpy reemissions(&s.window, &MainWindow::program);
        s.ui->m_actionProgram->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(s.prompts.sawBoxContaining(QStringLiteral("Logger Time/Date is wrong")),
                                 kProgramMs);
        QVERIFY(s.transferOver());
        QCOMPARE(reemissions.count(), 0);
        QCOMPARE(s.sim.memory().left(256), s.window.loggerWriter.programImage().left(256));   // the program went in
        QVERIFY(s.roundTrip());
        QCOMPARE(s.prompts.boxesContaining(QStringLiteral("Time/Date is wrong")), 1);
        DOWNLOAD_RUNS(s);
    }

    // A transfer that fails leaves the logger free for a download, also
    // when the logger garbles or loses every write or stops answering.
    void aFailedTransferLeavesTheLoggerFree_data()
    {
        QTest::addColumn<QStringList>("simArguments");
        QTest::addColumn<QString>("transfer");
        QTest::addColumn<QString>("warning");
        QTest::newRow("garbled echoes, calibration table")
            << QStringList({ "--bad-echo", "1000" }) << "table" << "did not confirm the write";
        QTest::newRow("lost echoes, calibration table")
            << QStringList({ "--drop-echo", "1000" }) << "table" << "did not confirm the write";
        QTest::newRow("silent logger, image read")
            << QStringList() << "eeprom read" << "memory could not be read";
    }

    void aFailedTransferLeavesTheLoggerFree()
    {
        QFETCH(QStringList, simArguments);
        QFETCH(QString, transfer);
        QFETCH(QString, warning);
        QTemporaryDir dataDir;
        Station s(simArguments);
        START_SELECTED(s);
        s.window.app->settings.defaultPath = dataDir.path();
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_actionDownload->isEnabled(), kReplyMs);
        if (transfer == QLatin1String("table")) {
            QVector<qint16> points(CalibrationTable::PointCount, 100);
            const QString path = dataDir.filePath(QStringLiteral("int.bin"));
            QVERIFY(TestEnv::writeFile(path, CalibrationTable::make(-20, 60, -200, 5, points)));
            s.ui->m_lineEditAdminIntCalFile->setText(path);
            s.window.on_m_pushButtonAdminWriteIntTable_clicked();
        } else {
            QVERIFY(s.sim.command(QStringLiteral("silent on")));
            s.makeEveryReplyOverdue();
            s.window.on_m_actionEEpromRead_triggered();
        }
        QVERIFY(s.window.transferInProgress);
        QTRY_VERIFY_WITH_TIMEOUT(s.prompts.sawBoxContaining(warning), 40000);
        QVERIFY(s.transferOver());
        QVERIFY(s.sim.command(QStringLiteral("silent off")));
        DOWNLOAD_RUNS(s);
    }

    // A download that begins while the question is open (the automatic one
    // runs from the window's timer) holds the logger: the answer Yes then
    // writes nothing.
    void aDownloadBegunDuringTheQuestionHoldsTheLogger_data()
    {
        QTest::addColumn<bool>("program");
        QTest::newRow("program") << true;
        QTest::newRow("factory init") << false;
    }

    void aDownloadBegunDuringTheQuestionHoldsTheLogger()
    {
        QFETCH(bool, program);
        QStringList warnings;   // outlives the window, whose close may still ask
        bool asked = false;
        Station s({ "--serial", "BSY-0001", "--readings", "300" });
        START_SELECTED(s);
        s.ui->m_radioButtonPrgStartWait->click();
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_actionProgram->isEnabled(), kReplyMs);
        const QByteArray before = s.sim.memory();
        const int framesBefore = s.link()->writeFramesSent;
        CPrompt::setBoxHandler([&](CPrompt::Kind kind, const QString &text, QMessageBox::StandardButtons) {
            if (kind != CPrompt::Question)
                warnings << text;
            else if (!asked) {
                asked = true;
                s.window.app->startDownload(0);
            }
            return QMessageBox::Yes;
        });
        if (program)
            s.ui->m_actionProgram->trigger();
        else
            s.ui->m_pushButtonFactoryInit->click();
        QTRY_COMPARE_WITH_TIMEOUT(warnings.size(), 1, kReplyMs);
        QVERIFY2(warnings.first().contains(QStringLiteral("still running")), qPrintable(warnings.first()));
        QTRY_VERIFY_WITH_TIMEOUT(s.record().dataLoaded, kProgramMs);
        QVERIFY(s.roundTrip());
        QCOMPARE(s.link()->writeFramesSent, framesBefore);
        QCOMPARE(s.sim.memory(), before);
        QCOMPARE(s.record().recordedCount, 300u);
    }

    // While its readings come, long after the download's frames have left,
    // the logger takes no write: each says so as Download does, and nothing
    // reaches the logger. Once the readings are in, a write goes.
    void aDownloadingLoggerRefusesEveryWrite()
    {
        QTemporaryDir dataDir;
        Station s({ "--serial", "DLW-0001", "--readings", "20000" }, true);
        START_SELECTED(s);
        const QString table = giveWritesTheirFiles(s, dataDir, s.sim.memory());
        QVERIFY(!table.isEmpty());
        s.ui->m_radioButtonPrgStartWait->click();
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_actionProgram->isEnabled(), kReplyMs);
        const QByteArray before = s.sim.memory();
        const int framesBefore = s.link()->writeFramesSent;

        s.ui->m_actionDownload->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!s.window.transferInProgress && s.ui->m_progressBarWrite->value() > 0, kProgramMs);
        for (const char *write : { "sync", "program", "eeprom", "internal", "external", "init" }) {
            s.prompts.boxes.clear();
            startWriteNamed(s, QString::fromLatin1(write));
            QVERIFY2(s.record().downloadRunning, write);   // the refusal was for the download
            QCOMPARE(s.prompts.boxes.size(), 1);
            QVERIFY2(s.prompts.boxes.first().text.contains(QStringLiteral("busy with a transfer")),
                     qPrintable(s.prompts.boxes.first().text));
            QVERIFY(s.transferOver());
        }
        QTRY_VERIFY_WITH_TIMEOUT(s.record().dataLoaded && !s.record().downloadRunning, 60000);
        QCOMPARE(s.record().readingCount, 20000);
        QVERIFY(s.roundTrip());
        QCOMPARE(s.link()->writeFramesSent, framesBefore);
        QCOMPARE(s.sim.memory(), before);

        s.prompts.boxes.clear();
        startWriteNamed(s, QStringLiteral("internal"));
        QTRY_VERIFY_WITH_TIMEOUT(s.transferOver(), kProgramMs);
        QVERIFY(s.prompts.boxes.isEmpty());
        QCOMPARE(s.sim.memory().mid(MemoryMap::InternalTable, CalibrationTable::Size),
                 TestEnv::readFile(table));
    }

    // Another logger unplugged while one takes a write moves that one's row
    // up: its clock reply still settles the write, which is confirmed once,
    // neither written again nor reported as failed.
    void aWriteOutlivesAnotherLoggerUnplugged_data()
    {
        QTest::addColumn<QString>("write");
        QTest::newRow("program") << "program";
        QTest::newRow("eeprom write") << "eeprom";
    }

    void aWriteOutlivesAnotherLoggerUnplugged()
    {
        QFETCH(QString, write);
        QTemporaryDir dataDir;
        Station s({ "--serial", "GONE-0001" });
        START_SELECTED(s);
        LoggerSimProcess written({ "--serial", "KEPT-0002" });
        QVERIFY(written.start());
        LoggerSimProcess::exposePorts({ s.sim.ptyPath(), written.ptyPath() });
        QTRY_COMPARE_WITH_TIMEOUT(s.ui->m_tableWidgetLogger->rowCount(), 2, kFoundMs);
        s.ui->m_tableWidgetLogger->setCurrentCell(1, 0);
        QTRY_VERIFY_WITH_TIMEOUT(s.records.at(1).ready, kReplyMs);
        QTRY_COMPARE_WITH_TIMEOUT(s.ui->m_lineEditLoggerSerial->text(), QStringLiteral("KEPT-0002"), kReplyMs);
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_groupBoxProgram->isEnabled(), kReplyMs);
        QByteArray image = written.memory();
        image.replace(MemoryMap::Description, 9, QByteArray("From file"));
        QVERIFY(!giveWritesTheirFiles(s, dataDir, image).isEmpty());
        s.ui->m_radioButtonPrgStartWait->click();
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_actionProgram->isEnabled(), kReplyMs);

        CComm *goneLink = s.records.at(0).commandLink;
        QSignalSpy reemissions(&s.window, &MainWindow::program);
        s.prompts.boxes.clear();
        startWriteNamed(s, write);
        QVERIFY(s.window.transferInProgress);
        // The first logger goes before any reply of the other is taken: no
        // event is served until the core has let it go.
        QVERIFY(s.sim.command(QStringLiteral("unplug")));
        QDeadlineTimer deadline(kReplyMs);
        while (!goneLink->isFinished() && !deadline.hasExpired())
            QThread::msleep(1);
        QVERIFY(goneLink->isFinished());
        s.window.app->pollLoggers();
        QCOMPARE(s.records.size(), 1);

        QTRY_VERIFY_WITH_TIMEOUT(s.transferOver(), kProgramMs);
        QCOMPARE(reemissions.count(), 0);
        QVERIFY(!s.prompts.sawBoxContaining(QStringLiteral("Warning")));
        QCOMPARE(s.ui->m_progressBarWrite->styleSheet(), QString());   // confirmed
        if (write == QLatin1String("program"))
            QCOMPARE(written.memory().left(256), s.window.loggerWriter.programImage().left(256));
        else
            QCOMPARE(written.memory().mid(MemoryMap::Description, 9), QByteArray("From file"));
    }

    // The logger keeps its texts in Latin-1: a program with a character
    // beyond it is refused before anything is written, naming the field; the
    // record keeps the logger's texts and the page the typed ones. Accented
    // Latin-1 letters go in and come back.
    void textTheLoggerCannotHoldIsNotWritten()
    {
        Station s({ "--serial", "TXT-0001" });
        START_SELECTED(s);
        const QByteArray before = s.sim.memory();
        const QString loggersDescription = s.record().description;
        const int framesBefore = s.link()->writeFramesSent;
        s.ui->m_radioButtonPrgStartWait->click();
        const QString typed = QStringLiteral("Walk test \u2013 Lyon");
        s.ui->m_lineEditLoggerDescription->setText(typed);
        s.record().comment = QStringLiteral("Ice \U0001F9CA, 3 \u20AC");
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_actionProgram->isEnabled(), kReplyMs);
        s.ui->m_actionProgram->trigger();
        QCOMPARE(s.prompts.boxes.size(), 2);   // the question, then the refusal
        const QString refusal = s.prompts.boxes.last().text;
        QVERIFY2(refusal.contains(QStringLiteral("Description: \u2013\n")), qPrintable(refusal));
        QVERIFY2(refusal.contains(QStringLiteral("Comment: \U0001F9CA\u20AC\n")), qPrintable(refusal));
        QVERIFY(!refusal.contains(QStringLiteral("Serial")));
        QVERIFY(s.transferOver());
        QVERIFY(s.roundTrip());
        QCOMPARE(s.link()->writeFramesSent, framesBefore);
        QCOMPARE(s.sim.memory(), before);
        QCOMPARE(s.record().description, loggersDescription);
        s.window.showLoggerRecord();
        QCOMPARE(s.ui->m_lineEditLoggerDescription->text(), typed);

        // the short name of who configures goes into the logger too
        s.ui->m_lineEditLoggerDescription->setText(QStringLiteral("Walk test - Gen\u00E8ve"));
        s.record().comment = QStringLiteral("Ice, 3 EUR");
        CUserAdmin *users = s.window.app->userAdmin;
        UserRecord configurer = UserStoreFile::user("cho", "Cho1pass", "13", UserRecord::RightConfigure);
        configurer.lastName = QStringLiteral("Wi\u015Bniewski");
        users->users = { configurer };
        users->enabled = true;
        users->currentUser = 0;
        const QString loggersConfigurer = s.record().configuredBy;
        s.prompts.boxes.clear();
        s.ui->m_actionProgram->trigger();
        QVERIFY2(s.prompts.boxes.last().text.contains(QStringLiteral("Configured by: \u015B\n")),
                 qPrintable(s.prompts.boxes.last().text));
        QVERIFY(s.transferOver());
        QCOMPARE(s.record().configuredBy, loggersConfigurer);

        configurer.lastName = QStringLiteral("M\u00FCller");
        users->users = { configurer };
        s.prompts.boxes.clear();
        PROGRAM_CONFIRMED(s);
        users->enabled = false;
        QVERIFY(!s.prompts.sawBoxContaining(QStringLiteral("Warning")));
        QCOMPARE(s.record().description, QStringLiteral("Walk test - Gen\u00E8ve"));
        QCOMPARE(s.record().configuredBy, QStringLiteral("C.M\u00FCller"));
    }

    // Opened for writing without its password, as its word allows, a
    // protected logger takes a program and offers nothing of its readings,
    // nor the files, templates or lock; its own password stays in it.
    void aLoggerOpenedForWritingOnlyTakesAProgram()
    {
        Station s({ "--serial", "WRO-0001", "--password", "1234", "--allow", "write" });
        answerPasswordDialog(s.prompts, CPass::WriteWithout);
        QVERIFY(s.plugInAndSelect(kFoundMs));
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_groupBoxProgram->isEnabled(), kReplyMs);
        s.ui->m_lineEditLoggerDescription->setText(QStringLiteral("Written without its password"));
        PROGRAM_CONFIRMED(s);
        const LoggerRecord image = s.loggerImage();
        QCOMPARE(image.description, QStringLiteral("Written without its password"));
        QCOMPARE(image.passwordWord, PasswordBits::Marker | PasswordBits::WriteWithout | 1234u);
        QVERIFY(s.ui->m_actionProgram->isEnabled());
        for (const QAction *action : { s.ui->m_actionDownload, s.ui->m_actionSave, s.ui->m_actionSaveAs,
                                       s.ui->m_actionPrintPrint, s.ui->m_actionPrintPreview,
                                       s.ui->m_actionGeneratPdf, s.ui->m_actionLoadTemplateProgram,
                                       s.ui->m_actionSaveProgramTemplate, s.ui->m_actionLock,
                                       s.ui->m_actionCloseAllFiles })
            QVERIFY2(!action->isEnabled(), qPrintable(action->objectName()));
    }

    // Opened for reading without its password, as its word allows, a
    // protected logger is downloaded, viewed and saved; its programming
    // waits for the password, typed on the page.
    void aLoggerOpenedForReadingOnlyIsDownloadedNotProgrammed()
    {
        Station s({ "--serial", "RDO-0001", "--password", "1234", "--allow", "read", "--readings", "300" });
        answerPasswordDialog(s.prompts, CPass::ReadWithout);
        QVERIFY(s.plugInAndSelect(kFoundMs));
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_groupBoxProgram->isEnabled(), kReplyMs);
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_actionDownload->isEnabled(), kReplyMs);
        DOWNLOAD_RUNS(s);
        QTRY_VERIFY_WITH_TIMEOUT(s.window.plot && s.ui->m_tableWidgetTableSummary->columnCount() > 0,
                                 kReplyMs);
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("read-only.qlf"));
        s.prompts.filesToChoose = QStringList{ file };
        s.ui->m_actionSave->trigger();
        QVERIFY(!TestEnv::readFile(file).isEmpty());

        if (!s.ui->m_radioButtonPrgStartWait->isChecked())
            s.ui->m_radioButtonPrgStartWait->click();
        QVERIFY(!s.ui->m_actionProgram->isEnabled());
        QCOMPARE(s.ui->m_actionProgram->toolTip(), QStringLiteral("Password protected\r"));
        s.ui->m_lineEditLoggerPassword->setText(QStringLiteral("1234"));
        s.ui->m_lineEditLoggerDescription->setText(QStringLiteral("Read, then written with it"));
        PROGRAM_CONFIRMED(s);
        QCOMPARE(s.loggerImage().description, QStringLiteral("Read, then written with it"));
    }

    // After a wrong password, or Cancel, the password field on the logger's
    // page takes the password, which then opens the logger as the dialog
    // does: downloaded and programmed.
    void aPasswordNotGivenCanBeTypedAgain_data()
    {
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("wrong password") << false;
        QTest::newRow("cancelled") << true;
    }

    void aPasswordNotGivenCanBeTypedAgain()
    {
        QFETCH(bool, cancelled);
        Station s({ "--serial", "TRY-0001", "--password", "1234" });
        if (cancelled)
            answerPasswordDialog(s.prompts, CPass::Cancelled);
        else
            answerPasswordDialog(s.prompts, CPass::Read, QStringLiteral("4321"));
        QVERIFY(s.plugInAndSelect(kFoundMs));
        QTRY_VERIFY_WITH_TIMEOUT(s.record().passwordAsked, kReplyMs);
        QCOMPARE(s.prompts.sawBoxContaining(QStringLiteral("Type it into the Pass. field")), !cancelled);
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_lineEditLoggerPassword->isEnabled(), kReplyMs);
        QVERIFY(!s.ui->m_actionDownload->isEnabled() && !s.ui->m_actionProgram->isEnabled());
        s.ui->m_lineEditLoggerPassword->clear();
        QTest::keyClicks(s.ui->m_lineEditLoggerPassword, QStringLiteral("1234"));
        QTRY_VERIFY_WITH_TIMEOUT(s.record().passwordAccepted && s.record().ready, kReplyMs);
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_actionDownload->isEnabled(), kReplyMs);
        DOWNLOAD_RUNS(s);
        s.ui->m_lineEditLoggerDescription->setText(QStringLiteral("Typed again on the page"));
        PROGRAM_CONFIRMED(s);
        const LoggerRecord image = s.loggerImage();
        QCOMPARE(image.description, QStringLiteral("Typed again on the page"));
        QCOMPARE(image.passwordWord, PasswordBits::Marker | 1234u);
    }

    // A password the logger cannot hold is refused with the range, and
    // nothing is written; one inside it is programmed.
    void aPasswordOutOfRangeIsNotProgrammed()
    {
        Station s({ "--serial", "PWR-0001", "--password", "1234" });
        answerPasswordDialog(s.prompts, CPass::Write, QStringLiteral("1234"));
        QVERIFY(s.plugInAndSelect(kFoundMs));
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_groupBoxProgram->isEnabled(), kReplyMs);
        s.ui->m_radioButtonPrgStartWait->click();
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_actionProgram->isEnabled(), kReplyMs);
        const QByteArray before = s.sim.memory();
        const int framesBefore = s.link()->writeFramesSent;
        for (const char *typed : { "70000", "65536", "0", "12a" }) {
            s.ui->m_lineEditLoggerPassword->setText(QLatin1String(typed));
            s.prompts.boxes.clear();
            s.ui->m_actionProgram->trigger();
            QVERIFY2(s.prompts.sawBoxContaining(QStringLiteral("a number from 1 to 65535")), typed);
            QVERIFY(s.transferOver());
        }
        QVERIFY(s.roundTrip());
        QCOMPARE(s.link()->writeFramesSent, framesBefore);
        QCOMPARE(s.sim.memory(), before);

        s.ui->m_lineEditLoggerPassword->setText(QStringLiteral("65535"));
        PROGRAM_CONFIRMED(s);
        QCOMPARE(s.loggerImage().passwordWord, PasswordBits::Marker | 65535u);
    }

    // Two protected loggers, each opened with its own password: the one
    // opened first stays open through its next image, read after the other
    // was given its password, and the Pass. field shows the selected
    // logger's own password.
    void eachLoggerKeepsThePasswordGivenForIt()
    {
        Station s({ "--serial", "PWA-0001", "--password", "1111" });
        answerPasswordDialog(s.prompts, CPass::Write, QStringLiteral("1111"));
        START_SELECTED(s);
        LoggerSimProcess other({ "--serial", "PWB-0002", "--password", "2222" });
        QVERIFY(other.start());
        answerPasswordDialog(s.prompts, CPass::Write, QStringLiteral("2222"));
        LoggerSimProcess::exposePorts({ s.sim.ptyPath(), other.ptyPath() });
        QTRY_COMPARE_WITH_TIMEOUT(s.ui->m_tableWidgetLogger->rowCount(), 2, kFoundMs);
        s.ui->m_tableWidgetLogger->setCurrentCell(1, 0);
        QTRY_VERIFY_WITH_TIMEOUT(s.records.at(1).passwordAccepted && s.records.at(1).ready, kReplyMs);
        QTRY_COMPARE_WITH_TIMEOUT(s.ui->m_lineEditLoggerPassword->text(), QStringLiteral("2222"), kReplyMs);

        s.ui->m_tableWidgetLogger->setCurrentCell(0, 0);
        QTRY_COMPARE_WITH_TIMEOUT(s.ui->m_lineEditLoggerSerial->text(), QStringLiteral("PWA-0001"), kReplyMs);
        QCOMPARE(s.ui->m_lineEditLoggerPassword->text(), QStringLiteral("1111"));
        s.ui->m_lineEditLoggerDescription->setText(QStringLiteral("Kept its own password"));
        PROGRAM_CONFIRMED(s);   // confirmed by the image the logger sends back
        QVERIFY(s.record().passwordAccepted);
        QVERIFY(s.ui->m_groupBoxProgram->isEnabled() && s.ui->m_actionDownload->isEnabled());
        QCOMPARE(s.loggerImage().passwordWord, PasswordBits::Marker | 1111u);
        QCOMPARE(s.ui->m_lineEditLoggerPassword->text(), QStringLiteral("1111"));
    }

    // A logout, chosen or automatic, forgets the password given in the
    // session: the next user is asked again and gets neither Download nor
    // Program until it is given; a programming it cut stands in the trail
    // as failed, in the leaving user's name. The Pass. field shows nothing
    // of a logger gone.
    void aLogoutForgetsTheLoggerPasswords_data()
    {
        QTest::addColumn<bool>("automatic");
        QTest::newRow("chosen") << false;
        QTest::newRow("automatic") << true;
    }

    void aLogoutForgetsTheLoggerPasswords()
    {
        QFETCH(bool, automatic);
        const QString serial = automatic ? QStringLiteral("OUT-0002") : QStringLiteral("OUT-0001");
        Station s({ "--serial", serial, "--password", "1234" });
        CUserAdmin *users = s.logInAda(UserStoreFile::user("dora", "Dora1pass", "8", UserRecord::RightDownload));
        answerPasswordDialog(s.prompts, CPass::Write, QStringLiteral("1234"));
        START_SELECTED(s);
        s.ui->m_radioButtonPrgStartWait->click();
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_actionProgram->isEnabled(), kReplyMs);
        s.ui->m_actionProgram->trigger();

        answerPasswordDialog(s.prompts, CPass::Cancelled);
        s.logOutFor(automatic, { "dora", "Dora1pass" });
        QVERIFY(users->currentUserLogin() == "dora" && s.ui->m_lineEditLoggerPassword->text().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_tableWidgetLogger->rowCount() == 1, kFoundMs);
        s.ui->m_tableWidgetLogger->setCurrentCell(0, 0);
        QTRY_VERIFY_WITH_TIMEOUT(s.record().passwordAsked, kReplyMs);
        QVERIFY(!s.ui->m_actionDownload->isEnabled() && !s.ui->m_actionProgram->isEnabled());
        QVERIFY(failedInAdasName(serial));

        s.ui->m_lineEditLoggerPassword->setText(QStringLiteral("1234"));
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_actionDownload->isEnabled(), kReplyMs);
        QVERIFY(s.sim.command(QStringLiteral("unplug")));
        QTRY_VERIFY_WITH_TIMEOUT(s.records.isEmpty(), kReplyMs);
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_lineEditLoggerPassword->text().isEmpty(), kReplyMs);
        users->enabled = false;
    }

    // A transfer that a logout cuts, a programming or a download, is told
    // to nobody: the next user, a viewer here, gets no box of it and the bar
    // starts afresh. The programming stands in the trail as failed, in the
    // leaving user's name before their last line; the logger, silent then,
    // took nothing of it.
    void aTransferCutByALogoutIsToldToNobody_data()
    {
        QTest::addColumn<QString>("transfer");
        QTest::addColumn<bool>("automatic");
        QTest::newRow("programming, chosen") << "program" << false;
        QTest::newRow("programming, automatic") << "program" << true;
        QTest::newRow("download, chosen") << "download" << false;
        QTest::newRow("download, automatic") << "download" << true;
    }

    void aTransferCutByALogoutIsToldToNobody()
    {
        QFETCH(QString, transfer);
        QFETCH(bool, automatic);
        const QString serial = QStringLiteral("CUT-%1%2").arg(transfer == "program" ? 1 : 2).arg(int(automatic));
        Station s({ "--serial", serial, "--readings", "3000" });
        CUserAdmin *users = s.logInAda(UserStoreFile::user("vera", "Vera1pass", "7", UserRecord::RightViewer));
        START_SELECTED(s);
        const QByteArray before = s.sim.memory();
        if (transfer == "program") {
            QVERIFY(s.sim.command(QStringLiteral("silent on")));
            s.ui->m_radioButtonPrgStartWait->click();
            QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_actionProgram->isEnabled(), kReplyMs);
            s.ui->m_actionProgram->trigger();
            QVERIFY(s.window.loggerWriter.watch().running());
        } else {
            s.ui->m_actionDownload->trigger();
            QVERIFY(s.record().downloadRunning);
        }

        s.logOutFor(automatic, { "vera", "Vera1pass" });
        QCOMPARE(users->currentUserLogin(), QStringLiteral("vera"));
        QVERIFY(s.sim.command(QStringLiteral("silent off")));
        // found again: the window's ticks after the login have run
        QTRY_COMPARE_WITH_TIMEOUT(s.ui->m_tableWidgetLogger->rowCount(), 1, kFoundMs);
        QVERIFY(s.transferOver());
        QVERIFY(!s.prompts.sawBoxContaining("disconnected") && !s.prompts.sawBoxContaining("incomplete"));
        QCOMPARE(s.ui->m_progressBarWrite->styleSheet(), QString());
        QCOMPARE(s.ui->m_progressBarWrite->value(), s.ui->m_progressBarWrite->minimum());
        QCOMPARE(s.sim.memory(), before);
        QCOMPARE(failedInAdasName(serial), transfer == "program");
        users->enabled = false;
    }
};

MIRELDA_TEST_MAIN(TestProgramLink)
#include "tst_programlink.moc"
