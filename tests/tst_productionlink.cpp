// The writes of the Admin page against the logger simulator on a
// pseudo-terminal (Factory Init, the calibration tables, the EEPROM), the
// rights and password every write needs, the trail line of each write, and
// the file fields they read.
#include "support/programstation.h"
#include "support/testenv.h"

#include <QRegularExpression>
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

}

class TestProductionLink : public QObject
{
    Q_OBJECT
private slots:
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
    // brought: a logger that recorded on to its count after its download,
    // one that went on round its full memory, whose count stayed, and one
    // whose stop button began its next trip, whose count fell.
    void factoryInitCountsWhatTheLoggerHoldsNow_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<QString>("fast");
        QTest::newRow("stopped at its count") << "count" << "600";
        QTest::newRow("round a full memory") << "round" << "60000";
        QTest::newRow("restarted by its button") << "restart" << "600";
    }

    void factoryInitCountsWhatTheLoggerHoldsNow()
    {
        QFETCH(QString, road);
        QFETCH(QString, fast);
        const bool continuous = road == QLatin1String("round");
        const bool restart = road == QLatin1String("restart");
        constexpr quint32 kCount = 1000;
        Station s({ "--serial", "CNT-0001", "--fast", fast });
        START_SELECTED(s);
        s.ui->m_dateTimeEditPrgInterval->setTime(QTime(0, 0, 5));
        if (continuous) {
            s.ui->m_radioButtonPrgStopContinue->click();
        } else {
            s.ui->m_radioButtonPrgStopReading->click();
            WindowTest::finishEditing(s.ui->m_lineEditPrgStopReading, QString::number(kCount));
        }
        if (restart) {
            s.ui->m_radioButtonPrgStopButonEnable->click();
            s.ui->m_radioButtonPrgAutoRestartEnable->click();
        }
        PROGRAM_CONFIRMED(s);
        const quint32 held = continuous ? quint32(ProgramLimits::maxReadings(s.record())) : kCount;
        if (road == QLatin1String("count"))
            QTRY_VERIFY_WITH_TIMEOUT(s.loggerImage().recordedCount > 0, kProgramMs);
        else   // full
            QTRY_COMPARE_WITH_TIMEOUT(s.loggerImage().recordedCount, held, 30000);
        DOWNLOAD_RUNS(s);
        const quint32 downloaded = quint32(s.record().trip().readingCount);
        const qint64 newest = LoggerTime::fromDateTime(s.record().trip().stopTime);
        if (restart)
            QVERIFY(s.sim.command(QStringLiteral("button")));
        else
            QTRY_COMPARE_WITH_TIMEOUT(s.loggerImage().recordedCount, held, 30000);
        QVERIFY2(downloaded > 0 && (road == QLatin1String("count") ? downloaded < held : downloaded == held),
                 qPrintable(QString::number(downloaded)));
        // a memory gone round took a sample each 5 s of the logger's clock
        const auto takenBy = [&](qint64 clock) { return quint32(qMin<qint64>(held, (clock - newest) / 5)); };
        QVERIFY(s.roundTrip());
        const quint32 atLeast = continuous ? takenBy(s.record().loggerClockSeconds) : held - downloaded;
        s.record().loggerClock = QDateTime();   // the question reads the clock itself
        s.record().loggerClockSeconds = 0;

        s.prompts.boxes.clear();
        s.prompts.answer = QMessageBox::No;
        s.ui->m_pushButtonFactoryInit->click();
        QTRY_COMPARE_WITH_TIMEOUT(s.prompts.boxes.size(), 1, kReplyMs);
        QVERIFY(s.roundTrip());
        const quint32 atMost = continuous ? takenBy(s.record().loggerClockSeconds) : held - downloaded;
        const QString question = s.prompts.boxes.first().text;
        const QRegularExpressionMatch told =
            QRegularExpression(QStringLiteral("It holds (\\d+) readings now, (\\d+) of them never downloaded")).match(question);
        QVERIFY2(told.hasMatch(), qPrintable(question));
        const quint32 now = told.captured(1).toUInt();
        const quint32 lost = told.captured(2).toUInt();
        if (restart) {   // all it holds is the trip begun since
            QVERIFY2(lost == now && now > 0 && now < downloaded, qPrintable(question));
            return;
        }
        QCOMPARE(now, held);
        QVERIFY2(lost > 0 && lost >= atLeast && lost <= atMost,
                 qPrintable(QStringLiteral("%1 <= %2 <= %3").arg(atLeast).arg(lost).arg(atMost)));
        QCOMPARE(s.loggerImage().recordedCount, held);   // No erased nothing
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
        QTest::newRow("init, logout at its failure box")
            << "init" << plain << "logout at its failure box" << " failed: " << false;
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

        const bool atFailureBox = moment == QLatin1String("logout at its failure box");
        const bool silent = moment == QLatin1String("silent") || atFailureBox || moment.endsWith(QLatin1String("left"));
        const bool unplug = moment.startsWith(QLatin1String("unplug"));
        const bool logout = unplug || (moment.startsWith(QLatin1String("logout")) && !atFailureBox);
        if (moment == QLatin1String("silent") || atFailureBox)
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
            // the box's event loop serves the logout
            if (atFailureBox && kind == CPrompt::Warning && text.contains(QLatin1String("did not confirm"))) {
                s.prompts.logins = { { "dora", "Dora1pass" } };
                s.window.on_m_actionLogout_triggered();
                s.window.Timer100ms();
            }
            return QMessageBox::Yes;
        });
        startWriteNamed(s, write.section(QLatin1Char(' '), 0, 0));
        if (unplug) {
            QTRY_VERIFY_WITH_TIMEOUT(s.records.isEmpty() && s.transferOver(), kProgramMs);
            QVERIFY(reachedAtLogout && transferRanAtLogout);
        } else if (logout || atFailureBox) {
            QTRY_COMPARE_WITH_TIMEOUT(users->currentUserLogin(), QStringLiteral("dora"), kProgramMs);
            QVERIFY(atFailureBox || (reachedAtLogout && transferRanAtLogout));
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
            QVERIFY(s.prompts.sawBoxContaining(QStringLiteral("try again.\n\nLogger: ") + serial));
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
        QTest::newRow("eeprom image, fifo") << "eeprom" << "fifo" << "is a pipe or a device, not a file.";
    }

    void aFileFieldTakesFilesOnly()
    {
        QFETCH(QString, road);
        QFETCH(QString, named);
        QFETCH(QString, told);
        QTemporaryDir dir;
        // the EEPROM write reads the image of the data folder
        QString path = dir.filePath(road == QLatin1String("eeprom") ? QStringLiteral("eeprom.bin")
                                                                   : QStringLiteral("table.bin"));
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
        s.window.app->settings.defaultPath = dir.path();
        if (road == QLatin1String("table"))
            s.window.on_m_pushButtonAdminWriteExtTable_clicked();
        else if (road == QLatin1String("eeprom"))
            s.window.on_m_actionEEpromWrite_triggered();
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

MIRELDA_TEST_MAIN(TestProductionLink)
#include "tst_productionlink.moc"
