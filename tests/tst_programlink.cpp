// The programming page against the logger simulator on a pseudo-terminal:
// what a programming writes, how it survives lost echoes and ends against a
// silent logger, its refusals, the clock buttons, the EEPROM and production.
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

namespace {

constexpr int kFoundMs = 8000;
constexpr int kReplyMs = 8000;
constexpr int kProgramMs = 15000;

// A window with one simulated logger that answers questions with Yes.
struct Station : WindowTest::SimulatedStation
{
    explicit Station(const QStringList &simArguments, bool pacing = false) : SimulatedStation(simArguments, pacing)
    {
        prompts.answer = QMessageBox::Yes;
    }
    CComm *link() { return record().commandLink; }
    // A round trip to the logger and through the window's timers: a clock
    // read queued now is answered after every frame queued before it, and
    // applied by the timer that serves the transfers. What has not happened
    // by then does not follow from what came before.
    bool roundTrip()
    {
        record().loggerClockSeconds = 0;
        link()->sendCommand(MemoryMap::Command::Clock);
        return QTest::qWaitFor([this] { return record().loggerClockSeconds != 0; }, kReplyMs);
    }
    // For a logger that has gone silent: the transfer's clock moves past
    // every reply time at each tick of the window, so that what follows
    // from the silence comes at once instead of after the real waits.
    void makeEveryReplyOverdue()
    {
        const qint64 step = qMax(TransferWatch::ClockReplyMs, TransferWatch::DataReplyMs) + 1;
        window.loggerWriter.setClock([step, nowMs = qint64(0)]() mutable { return nowMs += step; });
    }
    // F6, until the readings are in.
    bool download()
    {
        const QDateTime before = record().downloadTime;
        ui->m_actionDownload->trigger();
        return QTest::qWaitFor([&] { return !record().downloadRunning && record().downloadTime != before; },
                               kReplyMs);
    }
    bool clockReaches(qint64 seconds)
    {
        return QTest::qWaitFor([&] { return roundTrip() && record().loggerClockSeconds >= seconds; }, kProgramMs);
    }
    // Ada, an administrator, is logged in; next may log in after her.
    CUserAdmin *logInAda(const UserRecord &next)
    {
        CUserAdmin *users = window.app->userAdmin;
        users->users = { UserStoreFile::user("ada", "Ada1pass", "1", UserRecord::RightAdmin), next };
        users->enabled = true;
        users->currentUser = 0;
        return users;
    }
    // Ada's Logout, chosen or automatic, and the login of next as typed.
    void logOutFor(bool automatic, const QPair<QString, QString> &next)
    {
        CUserAdmin *users = window.app->userAdmin;
        prompts.logins = { next };
        users->logoutRequested = users->autoLogout = automatic;
        if (!automatic)
            window.on_m_actionLogout_triggered();
        window.Timer100ms();
    }
    // The logger's image as it stands.
    LoggerRecord loggerImage()
    {
        LoggerRecord image;
        ImageCodec::decode(sim.memory(), image);
        return image;
    }
};

// The programming of serial stands in the trail as failed, in Ada's name,
// before her Logout or Auto Logout line.
bool failedInAdasName(const QString &serial)
{
    const QString audit = UserStoreFile::auditOfToday();
    const int failed = audit.indexOf(QStringLiteral("Configure failed: ") + serial);
    return failed > 0 && audit.lastIndexOf("User: ", failed) == audit.lastIndexOf("User: Ada", failed)
           && audit.indexOf(QStringLiteral("Logout"), failed) > failed;
}

// Starts the write to the selected logger that write names: sync,
// program, eeprom, internal, external or init.
void startWriteNamed(WindowTest::Harness &h, const QString &write)
{
    if (write == QLatin1String("sync"))
        h.ui->m_pushButtonLoggerSyncTime->click();
    else if (write == QLatin1String("program"))
        h.window.on_m_actionProgram_triggered();   // as the window's program() signal
    else if (write == QLatin1String("eeprom"))
        h.window.on_m_actionEEpromWrite_triggered();
    else if (write == QLatin1String("internal"))
        h.window.on_m_pushButtonAdminWriteIntTable_clicked();
    else if (write == QLatin1String("external"))
        h.window.on_m_pushButtonAdminWriteExtTable_clicked();
    else
        h.ui->m_pushButtonFactoryInit->click();
}

// Every write finds what it takes in dataDir, made the data path: image
// as "eeprom.bin", and a calibration table for both sensors that leaves
// the image's sensor flags as they are, whose path comes back ("" when a
// file could not be written).
QString giveWritesTheirFiles(Station &s, const QTemporaryDir &dataDir, const QByteArray &image)
{
    s.window.app->settings.defaultPath = dataDir.path();
    QVector<qint16> points(CalibrationTable::PointCount, 100);
    points[CalibrationTable::SensorFlagsPoint] = qint16(0x0100 | quint8(image.at(MemoryMap::SensorFlags)));
    const QString table = dataDir.filePath(QStringLiteral("table.bin"));
    if (!TestEnv::writeFile(dataDir.filePath(QStringLiteral("eeprom.bin")), image)
        || !TestEnv::writeFile(table, CalibrationTable::make(-20, 60, -200, 5, points)))
        return QString();
    s.ui->m_lineEditAdminIntCalFile->setText(table);
    s.ui->m_lineEditAdminExtCalFile->setText(table);
    return table;
}

// Writes into a FIFO when the window still waits there long after it was
// asked to read it, so that a test of a window that waits fails instead of
// hanging.
class FifoWatchdog
{
public:
    explicit FifoWatchdog(const QString &fifo)
        : thread([this, name = QFile::encodeName(fifo)] {
              if (over.tryAcquire(1, 30000))
                  return;
              rescued = true;
              const int handle = ::open(name.constData(), O_WRONLY);
              if (handle >= 0 && ::write(handle, "x", 1) >= 0)
                  ::close(handle);
          })
    {
    }
    ~FifoWatchdog() { stop(); }
    // True when the window had to be freed.
    bool stop()
    {
        if (thread.joinable()) {
            over.release();
            thread.join();
        }
        return rescued;
    }

private:
    QSemaphore over;
    std::atomic_bool rescued{ false };
    std::thread thread;
};

// Plugs the logger in and selects it; its page is filled and open.
#define START_SELECTED(station)                                                              \
    do {                                                                                     \
        QVERIFY(station.plugInAndSelect(kFoundMs));                                          \
        QTRY_VERIFY_WITH_TIMEOUT(station.record().ready, kReplyMs);                          \
        QTRY_COMPARE_WITH_TIMEOUT(station.ui->m_lineEditLoggerSerial->text(),                \
                                  station.record().serialNumber, kReplyMs);                  \
        /* the page opens once the views of the new row are built */                        \
        QTRY_VERIFY_WITH_TIMEOUT(station.ui->m_groupBoxProgram->isEnabled(), kReplyMs);      \
    } while (false)

// Checks "Wait" and programs until the logger confirmed it.
#define PROGRAM_CONFIRMED(station)                                                           \
    do {                                                                                     \
        if (!station.ui->m_radioButtonPrgStartWait->isChecked())                             \
            station.ui->m_radioButtonPrgStartWait->click();                                  \
        QTRY_VERIFY_WITH_TIMEOUT(station.ui->m_actionProgram->isEnabled(), kReplyMs);        \
        station.ui->m_actionProgram->trigger();                                              \
        QVERIFY(station.window.transferInProgress);                                          \
        QTRY_VERIFY_WITH_TIMEOUT(station.transferOver(), kProgramMs);                        \
        QCOMPARE(station.ui->m_progressBarWrite->styleSheet(), QString());                   \
    } while (false)

// The logger-password dialog is answered as a user does: typed goes into
// its field, then the button of choice is pressed.
void answerPasswordDialog(PromptRecorder &prompts, CPass::Choice choice, const QString &typed = QString())
{
    prompts.otherDialogs = [choice, typed](QDialog *dialog) {
        auto *pass = qobject_cast<CPass *>(dialog);
        if (!pass)
            return int(QDialog::Rejected);
        QPushButton *const buttons[] = { pass->ui->m_pushButtonCancel, pass->ui->m_pushButtonRead,
                                         pass->ui->m_pushButtonWrite, pass->ui->m_pushButtonReadWithout,
                                         pass->ui->m_pushButtonWriteWithout };
        pass->ui->m_lineEditPassword->setText(typed);
        if (buttons[choice]->isEnabled())
            buttons[choice]->click();
        return pass->result();
    };
}

// The download is offered and runs: no transfer holds the logger any more.
#define DOWNLOAD_RUNS(station)                                                               \
    do {                                                                                     \
        QVERIFY(station.ui->m_actionDownload->isEnabled());                                  \
        station.prompts.boxes.clear();                                                       \
        station.ui->m_actionDownload->trigger();                                             \
        QVERIFY(station.prompts.boxes.isEmpty());                                            \
        QTRY_VERIFY_WITH_TIMEOUT(station.record().dataLoaded, kReplyMs);                     \
    } while (false)

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

    // The clock of an image write is confirmed before the image goes out.
    // A link that gives the image up empties its queue at once, while its
    // WriteFailed result waits for the core's next timer tick: the window's
    // transfer step must not take that empty queue for a finished write.
    void aGivenUpImageWriteIsNotTakenForASuccess()
    {
        QTemporaryDir dataDir;
        // lost echoes: the link gives up only after seconds of silence, long
        // after the clock's reply has been taken
        Station s({ "--drop-echo", "1000" });
        START_SELECTED(s);
        s.window.app->settings.defaultPath = dataDir.path();
        QVERIFY(TestEnv::writeFile(dataDir.filePath(QStringLiteral("eeprom.bin")), s.sim.memory()));
        CComm *link = s.window.app->records.at(s.window.currentLoggerRow()).commandLink;
        QVERIFY(link);
        s.window.on_m_actionEEpromWrite_triggered();
        QVERIFY(s.window.transferInProgress);
        QTRY_VERIFY_WITH_TIMEOUT(s.window.clockConfirmed, kReplyMs);

        // no event is served from here on, so the core takes no result
        QDeadlineTimer deadline(40000);
        while ((link->writesGivenUp == 0 || link->queueLength() > 0) && !deadline.hasExpired())
            QThread::msleep(1);
        QVERIFY(link->writesGivenUp > 0);
        QVERIFY(s.window.transferInProgress);
        QVERIFY(!s.prompts.sawBoxContaining(QStringLiteral("did not confirm the write")));
        s.window.loggerWriter.serveWriteTransfer();
        QVERIFY(!s.window.transferInProgress);
        QVERIFY(s.prompts.sawBoxContaining(QStringLiteral("did not confirm the write")));
        QVERIFY(s.transferOver());
    }

    // Factory Init asks first and says when readings would be lost; a
    // cancelled one leaves the logger as it was.
    void factoryInitAsksAndSaysWhatIsLost()
    {
        Station s({ "--serial", "INI-0001", "--readings", "300" });
        START_SELECTED(s);
        const QByteArray before = s.sim.memory();
        QVERIFY(before.size() == MemoryMap::ImageSize);

        CUserAdmin *users = s.window.app->userAdmin;
        users->users = { UserStoreFile::user("cho", "Cho1pass", "13", UserRecord::RightConfigure) };
        users->enabled = true;
        users->currentUser = 0;
        s.prompts.answer = QMessageBox::No;
        s.ui->m_pushButtonFactoryInit->click();   // asked once the logger said what it holds
        QTRY_COMPARE_WITH_TIMEOUT(s.prompts.boxes.size(), 1, kReplyMs);
        QCOMPARE(s.prompts.boxes.first().kind, CPrompt::Question);
        QVERIFY(s.prompts.boxes.first().text.contains(QStringLiteral("logger #INI-0001")));
        QVERIFY(s.prompts.boxes.first().text.contains(
            QStringLiteral("300 readings now, 300 of them never downloaded")));
        QVERIFY(s.roundTrip());
        QCOMPARE(s.sim.memory(), before);
        QVERIFY(!UserStoreFile::auditOfToday().contains(QStringLiteral("Factory Init: INI-0001")));

        // downloaded first: nothing is said of lost readings
        users->enabled = false;
        s.ui->m_actionDownload->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(s.record().dataLoaded, kReplyMs);
        users->enabled = true;
        s.prompts.boxes.clear();
        s.prompts.answer = QMessageBox::Yes;
        s.ui->m_pushButtonFactoryInit->click();
        QTRY_COMPARE_WITH_TIMEOUT(s.prompts.boxes.size(), 1, kReplyMs);
        QVERIFY(!s.prompts.boxes.first().text.contains(QStringLiteral("never downloaded")));
        QTRY_COMPARE_WITH_TIMEOUT(s.record().recordedCount, 0u, kReplyMs);
        QVERIFY(s.sim.memory() != before);
        QTRY_VERIFY_WITH_TIMEOUT(UserStoreFile::auditOfToday().contains(QStringLiteral("Factory Init: INI-0001")),
                                 kReplyMs);
        users->enabled = false;
    }

    // Factory Init's question counts the readings the logger holds when it
    // asks, read from the logger again, and how many of them no download
    // brought: here the logger recorded on after its download.
    void factoryInitCountsWhatTheLoggerHoldsNow()
    {
        constexpr quint32 kHeld = 1000;
        Station s({ "--serial", "CNT-0001", "--fast", "600" });
        START_SELECTED(s);
        s.ui->m_dateTimeEditPrgInterval->setTime(QTime(0, 0, 5));
        s.ui->m_radioButtonPrgStopReading->click();
        WindowTest::finishEditing(s.ui->m_lineEditPrgStopReading, QString::number(kHeld));
        PROGRAM_CONFIRMED(s);
        QTRY_VERIFY_WITH_TIMEOUT(s.loggerImage().recordedCount > 0, kProgramMs);
        DOWNLOAD_RUNS(s);
        const quint32 downloaded = quint32(s.record().trip().readingCount);
        QTRY_COMPARE_WITH_TIMEOUT(s.loggerImage().recordedCount, kHeld, 30000);
        QVERIFY2(downloaded > 0 && downloaded < kHeld, qPrintable(QString::number(downloaded)));

        s.prompts.boxes.clear();
        s.prompts.answer = QMessageBox::No;
        s.ui->m_pushButtonFactoryInit->click();
        QTRY_COMPARE_WITH_TIMEOUT(s.prompts.boxes.size(), 1, kReplyMs);
        const QString question = s.prompts.boxes.first().text;
        QVERIFY2(question.contains(QStringLiteral("It holds %1 readings now, %2 of them never downloaded")
                                       .arg(kHeld)
                                       .arg(kHeld - downloaded)),
                 qPrintable(question));
        QCOMPARE(s.loggerImage().recordedCount, kHeld);   // No erased nothing
    }

    // Every write to a logger is the configure right's, and a protected
    // logger's needs its password: its allow bit alone opens nothing. A
    // refused write leaves the logger's memory and clock as they were and
    // no audit line; with the password typed on the page it goes out, and
    // its line names the logger.
    void aWriteNeedsTheConfigureRightAndThePassword_data()
    {
        QTest::addColumn<QString>("write");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<bool>("allowWrite");
        QTest::addColumn<QString>("audit");
        QTest::newRow("sync") << "sync" << "WR-0001" << false << "Sync Time: WR-0001 ";
        QTest::newRow("program") << "program" << "WR-0002" << true << "Configure: WR-0002";
        QTest::newRow("eeprom write") << "eeprom" << "WR-0003" << true << "EEPROM Write: WR-0003";
        QTest::newRow("internal table") << "internal" << "WR-0004" << false << "Write calibration table: WR-0004 ";
        QTest::newRow("external table") << "external" << "WR-0005" << true << "Write calibration table: WR-0005 ";
        QTest::newRow("factory init") << "init" << "WR-0006" << false << "Factory Init: WR-0006";
    }

    void aWriteNeedsTheConfigureRightAndThePassword()
    {
        QFETCH(QString, write);
        QFETCH(QString, serial);
        QFETCH(bool, allowWrite);
        QFETCH(QString, audit);
        QTemporaryDir dataDir;
        Station s(QStringList{ "--serial", serial, "--clock-offset", "3600", "--password", "4321" }
                  + (allowWrite ? QStringList{ "--allow", "write" } : QStringList()));
        answerPasswordDialog(s.prompts, CPass::Cancelled);
        QVERIFY(s.plugInAndSelect(kFoundMs));
        QTRY_VERIFY_WITH_TIMEOUT(s.record().passwordAsked, kReplyMs);
        const QByteArray before = s.sim.memory();
        QByteArray image = before;
        image.replace(MemoryMap::Description, 9, QByteArray("From file"));
        QVERIFY(!giveWritesTheirFiles(s, dataDir, image).isEmpty());
        const auto startWrite = [&s, &write] { startWriteNamed(s, write); };
        const auto clockOffset = [&s] {
            return qint64(s.record().loggerClockSeconds) - qint64(s.window.app->currentLoggerTime());
        };

        CUserAdmin *users = s.window.app->userAdmin;
        users->users = { UserStoreFile::user("kim", "Kim1pass", "12", UserRecord::RightViewer),
                         UserStoreFile::user("cho", "Cho1pass", "13", UserRecord::RightConfigure) };
        users->enabled = true;
        for (int user : { 0, 1 }) {   // the viewer, then the configure user
            users->currentUser = user;
            s.prompts.boxes.clear();
            startWrite();
            QCOMPARE(s.prompts.boxes.size(), 1);
            QVERIFY(s.prompts.boxes.first().text.contains(user == 0 ? "needs the right to configure"
                                                                     : "is password protected: "));
            QVERIFY(s.transferOver());
            QVERIFY(s.roundTrip());
            QVERIFY(qAbs(clockOffset() - 3600) < 10);
            QCOMPARE(s.sim.memory(), before);
            QVERIFY(!UserStoreFile::auditOfToday().contains(serial));
        }
        QVERIFY(s.prompts.boxes.first().text.contains(QStringLiteral("Type it into the field Pass: R/W")));

        s.ui->m_lineEditLoggerPassword->setText(QStringLiteral("4321"));
        QTRY_VERIFY_WITH_TIMEOUT(s.ui->m_groupBoxProgram->isEnabled(), kReplyMs);
        s.ui->m_radioButtonPrgStartWait->click();
        s.prompts.boxes.clear();
        startWrite();
        QTRY_VERIFY_WITH_TIMEOUT(s.transferOver(), kProgramMs);
        QVERIFY(!s.prompts.sawBoxContaining(QStringLiteral("Warning")));
        QVERIFY(UserStoreFile::auditOfToday().contains(audit));
        // what each write does to the logger is shown above and below
        if (write == QLatin1String("sync")) {
            QTRY_VERIFY_WITH_TIMEOUT(s.window.clockConfirmed, kReplyMs);
            QVERIFY(qAbs(clockOffset()) < 10);
        }
        QCOMPARE(s.prompts.sawBoxContaining(QStringLiteral("will no longer be protected")), write == "init");
        users->enabled = false;
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

    // A write's line in the trail follows what the logger answered: done
    // once it echoed the command that changes it (or read back as written),
    // failed when that never reached it, and not confirmed when a logout
    // or an unplug cut the write after that command had left. The logger's
    // memory tells what it took.
    void theTrailSaysWhatTheLoggerTook_data()
    {
        QTest::addColumn<QString>("write");
        QTest::addColumn<QStringList>("simArguments");
        QTest::addColumn<QString>("moment");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<bool>("taken");
        const QStringList plain;
        QTest::newRow("program, logout after the commit's echo")
            << "program" << plain << "logout after the echo" << ": " << true;
        QTest::newRow("program, logout after the commit left")
            << "program again" << plain << "logout after it left" << " not confirmed: " << false;
        QTest::newRow("program, logout before the commit left")
            << "program" << plain << "logout before it left" << " failed: " << false;
        QTest::newRow("program, clock that stays wrong")
            << "program" << QStringList{ "--clock-skew", "600" } << "answered" << ": " << true;
        QTest::newRow("init, answered") << "init" << plain << "answered" << ": " << true;
        QTest::newRow("init, silent logger") << "init" << plain << "silent" << " failed: " << false;
        QTest::newRow("init, logout after the echo") << "init" << plain << "logout after the echo" << ": " << true;
        QTest::newRow("init, logout after it left")
            << "init" << plain << "logout after it left" << " not confirmed: " << false;
        QTest::newRow("program, unplug after the commit left")
            << "program again" << plain << "unplug after it left" << " not confirmed: " << false;
        QTest::newRow("table, answered") << "external" << plain << "answered" << ": " << true;
        QTest::newRow("table, echoes lost")
            << "external" << QStringList{ "--drop-echo", "1000" } << "answered" << " failed: " << false;
    }

    void theTrailSaysWhatTheLoggerTook()
    {
        QFETCH(QString, write);
        QFETCH(QStringList, simArguments);
        QFETCH(QString, moment);
        QFETCH(QString, outcome);
        QFETCH(bool, taken);
        const QString serial = QStringLiteral("TRL-0001");
        QTemporaryDir dataDir;
        Station s(QStringList{ "--serial", serial } + simArguments);
        CUserAdmin *users = s.window.app->userAdmin;
        users->users = { UserStoreFile::user("ada", "Ada1pass", "1", UserRecord::RightAdmin),
                         UserStoreFile::user("dora", "Dora1pass", "8", UserRecord::RightDownload) };
        users->enabled = true;
        users->currentUser = 0;
        const auto off = qScopeGuard([users] { users->enabled = false; });
        START_SELECTED(s);
        const QString table = giveWritesTheirFiles(s, dataDir, s.sim.memory());
        QVERIFY(!table.isEmpty());
        if (write == QLatin1String("program again"))
            PROGRAM_CONFIRMED(s);   // the page holds what the logger holds: no write frame
        else if (write == QLatin1String("program"))
            s.ui->m_radioButtonPrgStartWait->click();

        const bool silent = moment == QLatin1String("silent") || moment.endsWith(QLatin1String("left"));
        const bool unplug = moment.startsWith(QLatin1String("unplug"));
        const bool logout = unplug || moment.startsWith(QLatin1String("logout"));
        if (moment == QLatin1String("silent"))
            s.makeEveryReplyOverdue();
        const QByteArray before = s.sim.memory();
        const int trailBefore = UserStoreFile::auditOfToday().size();
        const CComm::CommandTally &tally = write == QLatin1String("init") ? s.link()->factoryInits : s.link()->commits;
        const int sentBefore = tally.sent, echoedBefore = tally.echoed, framesBefore = s.link()->writeFramesSent;
        const auto reached = [&] {
            if (moment.contains(QLatin1String("echo")))
                return tally.echoed > echoedBefore;
            if (moment.contains(QLatin1String("before")))
                return s.link()->writeFramesSent > framesBefore;
            return tally.sent > sentBefore;
        };
        // The logout comes right after the write's frames were queued, at
        // the moment named: no event is served while it waits, so the
        // window's tick cannot end the write before.
        bool reachedAtLogout = false, transferRanAtLogout = false;
        const auto logoutAtTheMoment = [&] {
            QDeadlineTimer deadline(kProgramMs);
            while (!reached() && !deadline.hasExpired())
                QThread::msleep(1);
            reachedAtLogout = reached();
            transferRanAtLogout = !s.transferOver();
            if (unplug) {
                s.sim.command(QStringLiteral("unplug"));
                return;
            }
            s.prompts.logins = { { "dora", "Dora1pass" } };
            s.window.on_m_actionLogout_triggered();
            s.window.Timer100ms();
        };
        CPrompt::setBoxHandler([&](CPrompt::Kind kind, const QString &text, QMessageBox::StandardButtons) {
            s.prompts.boxes.append({ kind, text });
            // the logger stops answering once the user said Yes
            if (kind == CPrompt::Question && silent)
                s.sim.command(QStringLiteral("silent on"));
            if (kind == CPrompt::Question && logout)
                QTimer::singleShot(0, &s.window, logoutAtTheMoment);
            return QMessageBox::Yes;
        });
        startWriteNamed(s, write.section(QLatin1Char(' '), 0, 0));
        if (unplug) {
            QTRY_VERIFY_WITH_TIMEOUT(s.records.isEmpty() && s.transferOver(), kProgramMs);
            QVERIFY(reachedAtLogout && transferRanAtLogout);
        } else if (logout) {
            QTRY_COMPARE_WITH_TIMEOUT(users->currentUserLogin(), QStringLiteral("dora"), kProgramMs);
            QVERIFY(reachedAtLogout && transferRanAtLogout);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(s.transferOver() && s.record().productionTask == 0, 40000);
        }
        const QString subject = write == QLatin1String("external") ? serial + QLatin1Char(' ') + table : serial;
        const QString action = write.startsWith(QLatin1String("program")) ? QStringLiteral("Configure")
                               : write == QLatin1String("init")          ? QStringLiteral("Factory Init")
                                                                          : QStringLiteral("Write calibration table");
        const QString trail = UserStoreFile::auditOfToday().mid(trailBefore);
        QVERIFY2(trail.count(action + outcome + subject) == 1, qPrintable(trail));
        QVERIFY2(trail.count(action) == 1, qPrintable(trail));
        if (unplug)
            return;   // the logger is gone with its memory
        QVERIFY(s.sim.command(QStringLiteral("silent off")));
        QCOMPARE(s.sim.memory() != before, taken);
        // a write that failed on its own is told
        if (outcome == QLatin1String(" failed: ") && !logout)
            QVERIFY(s.prompts.sawBoxContaining(QStringLiteral("did not confirm")));
    }

    void eepromReadGivesTheLoggersMemory()
    {
        QTemporaryDir dataDir;
        Station s({ "--serial", "EE-0001", "--sensors", "3" });
        START_SELECTED(s);
        s.window.app->settings.defaultPath = dataDir.path();
        s.window.on_m_actionEEpromRead_triggered();
        QTRY_VERIFY_WITH_TIMEOUT(s.transferOver(), kReplyMs);
        const QByteArray stored = TestEnv::readFile(dataDir.path() + QStringLiteral("/eeprom.bin"));
        QCOMPARE(stored.size(), 768);
        QCOMPARE(stored, s.sim.memory());

        // and back, with the clock set on the way
        QByteArray changed = stored;
        changed.replace(MemoryMap::Description, 9, QByteArray("From file"));
        QVERIFY(TestEnv::writeFile(dataDir.path() + QStringLiteral("/eeprom.bin"), changed));
        s.window.on_m_actionEEpromWrite_triggered();
        QVERIFY(s.window.transferInProgress);
        QTRY_VERIFY_WITH_TIMEOUT(s.transferOver(), kProgramMs);
        QCOMPARE(s.sim.memory(), changed);
        QVERIFY(s.window.clockConfirmed);
        QVERIFY(s.prompts.boxes.isEmpty());

        // a file of another size is refused before anything is sent
        const int framesBefore = s.link()->writeFramesSent;
        QVERIFY(TestEnv::writeFile(dataDir.path() + QStringLiteral("/eeprom.bin"), changed.left(100)));
        s.window.on_m_actionEEpromWrite_triggered();
        QVERIFY(s.prompts.sawBoxContaining(QStringLiteral("768 bytes expected.")));
        QVERIFY(s.transferOver());
        QVERIFY(s.roundTrip());
        QCOMPARE(s.link()->writeFramesSent, framesBefore);
    }

    // A calibration-table field, a data file or a template that names no
    // regular file is refused with what it names, before anything is sent
    // and without waiting on it.
    void aFileFieldTakesFilesOnly_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("told");
        QTest::newRow("table, missing") << "table" << "missing" << "is missing.";
        QTest::newRow("table, folder") << "table" << "folder" << "is a folder, not a file.";
        QTest::newRow("table, fifo") << "table" << "fifo" << "is a pipe or a device, not a file.";
        QTest::newRow("table, device") << "table" << "device" << "is a pipe or a device, not a file.";
        QTest::newRow("data file, fifo") << "data" << "fifo" << "is a pipe or a device, not a file.";
        QTest::newRow("template, fifo") << "template" << "fifo" << "is a pipe or a device, not a file.";
    }

    void aFileFieldTakesFilesOnly()
    {
        QFETCH(QString, road);
        QFETCH(QString, named);
        QFETCH(QString, told);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("table.bin"));
        if (named == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(path));
        else if (named == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (named == QLatin1String("device"))
            path = QStringLiteral("/dev/zero");
        Station s({ "--serial", "CAL-0002" });
        START_SELECTED(s);
        const int framesBefore = s.link()->writeFramesSent;
        s.ui->m_lineEditAdminExtCalFile->setText(path);
        s.prompts.filesToChoose = QStringList{ path };
        FifoWatchdog watchdog(named == QLatin1String("fifo") ? path : QString());
        if (road == QLatin1String("table"))
            s.window.on_m_pushButtonAdminWriteExtTable_clicked();
        else if (road == QLatin1String("data"))
            s.ui->m_actionLoad->trigger();
        else
            s.ui->m_actionLoadTemplateProgram->trigger();
        QVERIFY2(!watchdog.stop(), "the window waited on the FIFO");
        QCOMPARE(s.prompts.boxes.size(), 1);
        const QString text = s.prompts.boxes.first().text;
        QVERIFY2(text.contains(QFileInfo(path).fileName()) && text.contains(told), qPrintable(text));
        QVERIFY(s.transferOver());
        QVERIFY(s.roundTrip());
        QCOMPARE(s.link()->writeFramesSent, framesBefore);
    }

    void productionWritesACalibrationTableAndInitialises()
    {
        QTemporaryDir dataDir;
        Station s({ "--serial", "CAL-0001" });
        START_SELECTED(s);
        // listed again once the image is in
        QListWidget *internal = s.ui->m_listWidgetAdminIntTable;
        const auto firstLine = [internal] { return internal->count() ? internal->item(0)->text() : QString(); };
        QTRY_COMPARE_WITH_TIMEOUT(firstLine(), QStringLiteral("Range -40/85"), kReplyMs);

        QVector<qint16> points;
        for (int i = 0; i < CalibrationTable::PointCount; ++i)
            points << qint16(-350 + 9 * i);
        const QByteArray table = CalibrationTable::make(-30, 70, -350, 9, points);
        const QString path = dataDir.path() + QStringLiteral("/int.bin");
        QVERIFY(TestEnv::writeFile(path, table));
        s.ui->m_lineEditAdminIntCalFile->setText(path);
        s.window.on_m_pushButtonAdminWriteIntTable_clicked();
        QCOMPARE(s.record().productionTask, 4);
        QTRY_VERIFY_WITH_TIMEOUT(s.transferOver(), kProgramMs);
        QCOMPARE(s.sim.memory().mid(MemoryMap::InternalTable, CalibrationTable::Size), table);
        QTRY_COMPARE_WITH_TIMEOUT(firstLine(), QStringLiteral("Range -30/70"), kReplyMs);
        QCOMPARE(s.record().productionTask, 0);

        // a file that is not a table is refused before anything is sent
        QVERIFY(TestEnv::writeFile(path, table.left(200)));
        s.window.on_m_pushButtonAdminWriteIntTable_clicked();
        QVERIFY(s.prompts.sawBoxContaining(path + QStringLiteral("\nis not a calibration table")));
        QVERIFY(s.transferOver());

        // an empty file field is told by the sensor it is for
        const int boxesBefore = s.prompts.boxes.size();
        s.ui->m_lineEditAdminIntCalFile->clear();
        s.ui->m_lineEditAdminExtCalFile->setText(QStringLiteral("  "));
        s.window.on_m_pushButtonAdminWriteIntTable_clicked();
        s.window.on_m_pushButtonAdminWriteExtTable_clicked();
        QCOMPARE(s.prompts.boxes.size(), boxesBefore + 2);
        QCOMPARE(s.prompts.boxes.at(boxesBefore).text,
                 QStringLiteral("Warning!\n\nNo calibration table file is given for the internal sensor."));
        QCOMPARE(s.prompts.boxes.at(boxesBefore + 1).text,
                 QStringLiteral("Warning!\n\nNo calibration table file is given for the external sensor."));
        QVERIFY(s.transferOver());

        // so is a table for a logger whose image has not come yet: the
        // external table's block also holds the sensor flags, which would be
        // written from nothing
        const QByteArray image = s.record().imageRead;
        const int framesBefore = s.link()->writeFramesSent;
        QVERIFY(TestEnv::writeFile(path, table));
        s.ui->m_lineEditAdminExtCalFile->setText(path);
        s.record().imageRead.clear();
        s.window.on_m_pushButtonAdminWriteExtTable_clicked();
        QVERIFY(s.prompts.sawBoxContaining(QStringLiteral("has not been read yet")));
        QVERIFY(s.transferOver());
        s.record().imageRead = image;
        QVERIFY(s.roundTrip());
        QCOMPARE(s.link()->writeFramesSent, framesBefore);
        QCOMPARE(s.sim.memory().at(MemoryMap::SensorFlags), image.at(MemoryMap::SensorFlags));

        // its byte 645 is the logger's sensor flags: a table that would
        // change them is refused, one that keeps them goes in as it is
        s.window.on_m_pushButtonAdminWriteExtTable_clicked();
        QVERIFY(s.prompts.sawBoxContaining(QStringLiteral("sensor flags (01 in the logger, D9 in the file)")));
        QVERIFY(s.transferOver());
        points[CalibrationTable::SensorFlagsPoint] = qint16(0x0101);
        const QByteArray agreeing = CalibrationTable::make(-30, 70, -350, 9, points);
        QVERIFY(TestEnv::writeFile(path, agreeing));
        s.window.on_m_pushButtonAdminWriteExtTable_clicked();
        QTRY_VERIFY_WITH_TIMEOUT(s.transferOver(), kProgramMs);
        QCOMPARE(s.sim.memory().mid(MemoryMap::ExternalTable, CalibrationTable::Size), agreeing);
        QListWidget *external = s.ui->m_listWidgetAdminExtTable;
        QTRY_COMPARE_WITH_TIMEOUT(external->item(external->count() - 1)->text(),
                                  QString::asprintf("Check:  %04X", unsigned(CalibrationTable::storedCheck(agreeing))),
                                  kReplyMs);
        QCOMPARE(external->item(3 + CalibrationTable::SensorFlagsPoint)->text(), QStringLiteral("Sensor flags 01"));

        s.ui->m_pushButtonFactoryInit->click();
        QTRY_VERIFY_WITH_TIMEOUT(s.prompts.sawBoxContaining(QStringLiteral("logger #CAL-0001")), kReplyMs);
        QTRY_COMPARE_WITH_TIMEOUT(s.record().description, QString(), kReplyMs);
        QCOMPARE(s.record().tripNumber, 0);
        QCOMPARE(s.record().serialNumber, QStringLiteral("CAL-0001"));
        QCOMPARE(s.sim.memory().mid(MemoryMap::InternalTable, CalibrationTable::Size), table);
    }
};

MIRELDA_TEST_MAIN(TestProgramLink)
#include "tst_programlink.moc"
