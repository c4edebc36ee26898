// The logger link against the simulator over a real pseudo-terminal:
// detection, image, downloads, unplugging, writes behind a download or
// never landing, and the logger password.
#include "support/testenv.h"

#include "core/ccomm.h"
#include "core/cmainapp.h"
#include "core/imagecodec.h"
#include "core/loggertime.h"
#include "core/memorymap.h"
#include "core/windowstate.h"
#include "tools/loggersim/loggersimpattern.h"
#include "support/loggersimprocess.h"
#include "support/viewstest.h"

namespace {

// Generous: a loaded machine scans, answers and downloads slowly.
constexpr int kFoundMs = 20000;
constexpr int kReplyMs = 10000;
constexpr int kDownloadMs = 60000;

// A core with one simulated logger found and its image decoded, as the
// window makes it when the new row is selected (wake, then end).
struct Bench
{
    explicit Bench(const QStringList &simArguments, bool pacing = false)
        : sim(simArguments, pacing)
    {
    }
    bool start()
    {
        if (!sim.start())
            return false;
        LoggerSimProcess::exposePorts({ sim.ptyPath() });
        app.reset(new CMainApp(&window));
        return true;
    }
    CComm *link() const
    {
        return app->records.isEmpty() ? nullptr : app->records.first().commandLink;
    }
    LoggerRecord &record() { return app->records.first(); }

    LoggerSimProcess sim;
    WindowState window;
    QScopedPointer<CMainApp> app;
};

// Waits until the port scanner has ended count passes from now, polling
// the core as its one-second timer does, only sooner. The scanner's finds
// reach the core queued before the end of their pass, so the core has acted
// on every one of them by then.
bool waitForScannerPasses(CMainApp &app, int count)
{
    int passes = 0;
    QObject receiver;
    QObject::connect(app.scanner, &QThread::finished, &receiver, [&passes] { ++passes; });
    return QTest::qWaitFor([&app, &passes, count] {
        app.pollLoggers();
        return passes >= count;
    }, kFoundMs);
}

// Polls, without the event loop (the core's timers would take the link's
// results), until the simulator has sent at least atLeast bytes from now,
// has no reply in progress, and the link has read them all. The line must
// be quiet when it starts. (The simulator also counts what the port scanner
// read from it, hence the differences.)
class LineWatch
{
public:
    LineWatch(LoggerSimProcess &sim, CComm &link)
        : sim(sim), link(link), sentBefore(sim.bytesSent()), readBefore(link.bytesRead)
    {
    }
    bool waitUntilAllRead(qint64 atLeast)
    {
        QElapsedTimer waited;
        waited.start();
        while (sentBefore >= 0 && waited.elapsed() < kDownloadMs) {
            bool busy = true;
            const qint64 sent = sim.bytesSent(&busy) - sentBefore;
            if (!busy && sent >= atLeast && quint64(sent) == link.bytesRead - readBefore)
                return true;
        }
        return false;
    }

private:
    LoggerSimProcess &sim;
    CComm &link;
    const qint64 sentBefore;
    const quint64 readBefore;
};

#define START_WITH_IMAGE(bench)                                                              \
    do {                                                                                     \
        QVERIFY(bench.start());                                                              \
        QTRY_COMPARE_WITH_TIMEOUT(bench.app->records.size(), 1, kFoundMs);                   \
        bench.link()->sendCommand(MemoryMap::Command::Wake);                                 \
        bench.link()->sendCommand(MemoryMap::Command::End);                                  \
        QTRY_VERIFY_WITH_TIMEOUT(bench.record().versionWord != 0, kReplyMs);                 \
    } while (false)

}

class TestLinkDevice : public QObject
{
    Q_OBJECT
private slots:
    void foundLoggerGetsItsRecordAndImage()
    {
        Bench bench({ "--serial", "QA-0042", "--version", "0x11A", "--sensors", "5" });
        QVERIFY(bench.start());
        QTRY_COMPARE_WITH_TIMEOUT(bench.app->records.size(), 1, kFoundMs);
        // the clock read queued on detection arrives
        QTRY_VERIFY_WITH_TIMEOUT(bench.record().loggerClockSeconds != 0, kReplyMs);
        QVERIFY(qAbs(qint64(bench.record().loggerClockSeconds) - qint64(bench.app->currentLoggerTime())) < 5);

        bench.window.showRecordPending = false;
        bench.link()->sendCommand(MemoryMap::Command::Wake);
        bench.link()->sendCommand(MemoryMap::Command::End);
        QTRY_VERIFY_WITH_TIMEOUT(bench.record().ready, kReplyMs);
        const LoggerRecord &r = bench.record();
        // the HH limit is a field of the second layout
        QCOMPARE(QStringList({ r.serialNumber, QString::number(r.versionWord, 16), r.productCode,
                               QString::number(r.interval), QString::number(r.alarmThresholds[GroupInternal][LevelHH]),
                               QString::number(r.channelCount) }),
                 QStringList({ "QA-0042", "11a", "QV-5D", QString::number(LoggerSimPattern::kInterval), "30", "2" }));
        // its readings cross the enabled HH and H limits, never the lower ones
        QCOMPARE(r.alarmStatus, AlarmStatusBits::HH | AlarmStatusBits::H);

        // the scanner leaves a port in use alone: still one record after
        // two passes, the second begun with the record there
        QVERIFY(waitForScannerPasses(*bench.app, 2));
        QCOMPARE(bench.app->records.size(), 1);
    }

    void download_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("channels");
        QTest::newRow("1 reading") << QStringList{ "--readings", "1" } << 1 << 1;
        QTest::newRow("100 readings, 16-bit index")
            << QStringList{ "--readings", "100", "--version", "0x114" } << 100 << 1;
        QTest::newRow("100 readings, roll-over, two channels")
            << QStringList{ "--readings", "100", "--rollover", "38", "--sensors", "5" } << 100 << 2;
        QTest::newRow("65536 readings, roll-over")
            << QStringList{ "--readings", "65536", "--rollover", "40000", "--version", "0x119" }
            << 65536 << 1;
    }
    void download()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, count);
        QFETCH(int, channels);
        Bench bench(arguments);
        START_WITH_IMAGE(bench);
        QSignalSpy progress(bench.app.data(), &CMainApp::downloadProgress);
        bench.link()->sendCommand(MemoryMap::Command::Wake);
        bench.link()->sendCommand(MemoryMap::Command::Download);
        QTRY_VERIFY_WITH_TIMEOUT(bench.record().dataLoaded, kDownloadMs);

        const LoggerRecord &r = bench.record();
        QCOMPARE(QList<int>({ r.readingCount, int(r.recordedCount), r.readings.size() }), QList<int>({ count, count, count }));
        const quint8 sensors = arguments.contains("--sensors") ? 5 : 1;
        int wrong = 0;
        for (int i = 0; i < count; ++i)
            if (r.readings.at(i) != LoggerSimPattern::reading(i, sensors))
                ++wrong;
        QCOMPARE(wrong, 0);
        for (int sample = 0; sample < r.sampleCount(); ++sample) {
            const double humidity = ReadingWord::value(r.reading(ChannelHumidity, sample));
            QVERIFY2(humidity >= 0.0 && humidity <= 100.0, qPrintable(QString::number(humidity)));
        }
        QCOMPARE(r.startTime, LoggerTime::toDateTime(LoggerSimPattern::startSeconds()));
        QCOMPARE(r.stopTime, r.startTime.addSecs(qint64(count / channels - 1) * LoggerSimPattern::kInterval));
        QCOMPARE(progress.isEmpty() ? -1 : progress.last().at(1).toInt(), 100);
        // the logger keeps each channel's extremes, which the fitted graph reads
        QCOMPARE(ViewsTest::keptExtremes(r.trip()), ViewsTest::readingExtremes(r.trip()));
    }

    void downloadAskedAgainWhileRunningIsIgnored()
    {
        Bench bench({ "--readings", "3000" });
        START_WITH_IMAGE(bench);
        bench.app->startDownload(0);
        const int queued = bench.link()->queueLength();
        bench.app->startDownload(0);
        QCOMPARE(bench.link()->queueLength(), queued);
        QTRY_VERIFY_WITH_TIMEOUT(bench.record().dataLoaded, kDownloadMs);
        QCOMPARE(bench.record().readingCount, 3000);
        QVERIFY(!bench.window.transferInProgress && !bench.window.downloadFailed);
    }

    void unpluggedLoggerIsRemoved()
    {
        Bench bench({});
        START_WITH_IMAGE(bench);
        // a file record before it, selected with it
        LoggerRecord file;
        file.fileName = QStringLiteral("a.qlf");
        bench.app->records.prepend(file);
        bench.app->selection = { 0, 1 };
        bench.app->currentRecord = 1;
        bench.window.viewsDirty = false;
        QVERIFY(bench.sim.command(QStringLiteral("unplug")));
        QVERIFY(bench.sim.waitForExit());
        QTRY_COMPARE_WITH_TIMEOUT(bench.app->records.size(), 1, kFoundMs);
        QCOMPARE(bench.app->records.first().fileName, QStringLiteral("a.qlf"));
        QCOMPARE(bench.app->selection, QList<int>({ 0 }));
        QCOMPARE(bench.app->currentRecord, -1);
        QVERIFY(bench.window.viewsDirty);
        QVERIFY(bench.app->disconnectedPorts.isEmpty());   // lost, not disconnected
    }

    void downloadFinishedJustBeforeTheDisconnectIsKept()
    {
        Bench bench({ "--readings", "500" });
        START_WITH_IMAGE(bench);
        LineWatch line(bench.sim, *bench.link());
        bench.link()->sendCommand(MemoryMap::Command::Download);
        // no event loop: the finished download waits in the link's mailbox;
        // its reply holds two bytes a reading at least
        QVERIFY(line.waitUntilAllRead(2 * 500));
        QVERIFY(!bench.record().dataLoaded);
        bench.record().disconnectRequested = true;
        bench.app->pollLoggers();
        QCOMPARE(bench.app->records.size(), 1);
        QVERIFY(bench.record().dataLoaded);
        QCOMPARE(bench.record().readingCount, 500);
        QVERIFY(bench.record().isFile());
    }

    void disconnectedLoggerStaysDisconnected()
    {
        Bench bench({});
        START_WITH_IMAGE(bench);
        const QString port = bench.sim.ptyPath();
        bench.record().disconnectRequested = true;
        QTRY_COMPARE_WITH_TIMEOUT(bench.app->records.size(), 0, kFoundMs);
        QVERIFY(bench.app->disconnectedPorts.contains(port));
        QVERIFY(waitForScannerPasses(*bench.app, 2));
        QCOMPARE(bench.app->records.size(), 0);
        // once the port is gone it is forgotten
        QVERIFY(bench.sim.command(QStringLiteral("unplug")));
        QVERIFY(bench.sim.waitForExit());
        QTRY_VERIFY_WITH_TIMEOUT(bench.app->disconnectedPorts.isEmpty(), kFoundMs);
    }

    void writesQueuedBehindAPacedDownloadStillLand()
    {
        // at 115200 baud the download keeps the line busy for about 3.5 s,
        // far longer than the echo of a write normally takes
        Bench bench({ "--readings", "20000" }, true);
        START_WITH_IMAGE(bench);
        LoggerRecord &r = bench.record();
        r.description = QStringLiteral("After the download");
        r.imageToWrite = ImageCodec::encode(r, r.imageRead);
        bench.link()->sendCommand(MemoryMap::Command::Download);
        bench.app->writeLoggerBlock0(0);
        bench.link()->sendCommand(MemoryMap::Command::End);
        QTRY_VERIFY_WITH_TIMEOUT(bench.record().dataLoaded, kDownloadMs);
        QCOMPARE(bench.record().readingCount, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(bench.record().imageRead.left(256), r.imageToWrite.left(256), 10000);
    }

    // A logger that stops answering, or one that garbles every echo (the
    // line then never goes quiet), fails the write without holding the
    // queue, and stays connected with a link that still works.
    void writeThatNeverLandsFails_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::newRow("silent logger") << true;
        QTest::newRow("every echo garbled") << false;
    }
    void writeThatNeverLandsFails()
    {
        QFETCH(bool, silent);
        Bench bench(silent ? QStringList() : QStringList{ "--bad-echo", "100000" });
        START_WITH_IMAGE(bench);
        QVERIFY(!silent || bench.sim.command(QStringLiteral("silent on")));
        bench.record().imageToWrite = bench.record().imageRead;
        bench.record().eepromTask = 1;
        bench.app->writeLoggerBlock0(0);
        QVERIFY(bench.window.transferInProgress && bench.link()->queueLength() > 0);
        QTRY_VERIFY_WITH_TIMEOUT(bench.link()->writesGivenUp > 0 && !bench.window.transferInProgress, 20000);
        QVERIFY(!bench.window.programFailed);   // the window decides what the transfer was
        QTRY_COMPARE_WITH_TIMEOUT(bench.link()->queueLength(), 0, kReplyMs);
        QVERIFY(!bench.window.transferInProgress);
        QCOMPARE(bench.record().eepromTask, 0);
        QCOMPARE(bench.app->records.size(), 1);
        QVERIFY(!silent || bench.sim.command(QStringLiteral("silent off")));
        bench.record().versionWord = 0;
        bench.link()->sendCommand(MemoryMap::Command::End);
        QTRY_VERIFY_WITH_TIMEOUT(bench.record().versionWord != 0, kReplyMs);
    }

    // A transfer the window ended (its clock came too late, say) while one
    // of its writes still awaited an echo: that write is dropped, and its
    // give-up cannot empty the next transfer's queue or be counted for it.
    void aWriteOfAnEndedTransferLeavesTheNextOneAlone()
    {
        Bench bench({ "--drop-echo", "100000" });
        START_WITH_IMAGE(bench);
        bench.link()->sendWriteMemory(MemoryMap::Description, QByteArray(16, 'W'));
        QTRY_VERIFY_WITH_TIMEOUT(bench.link()->writeFramesSent > 0, kReplyMs);
        bench.link()->forgetExpectedReplies();
        bench.record().versionWord = 0;
        bench.link()->sendCommand(MemoryMap::Command::End);
        QTRY_VERIFY_WITH_TIMEOUT(bench.record().versionWord != 0, kReplyMs);
        QCOMPARE(bench.link()->writesGivenUp.load(), 0);
    }

    void protectedLoggerWaitsForItsPassword()
    {
        Bench bench({ "--password", "4711" });
        START_WITH_IMAGE(bench);
        QCOMPARE(bench.record().passwordWord & PasswordBits::PasswordMask, 4711u);
        QVERIFY(!bench.record().ready && !bench.record().passwordAccepted);
        bench.app->enteredLoggerPassword = 1234;
        bench.app->Timer();   // the core's check of the entered password
        QVERIFY(!bench.record().ready);
        bench.window.loggerTableDirty = false;
        bench.app->enteredLoggerPassword = 4711;
        QTRY_VERIFY_WITH_TIMEOUT(bench.record().ready, 1000);
        QVERIFY(bench.record().passwordAccepted && bench.window.loggerTableDirty);
    }
};

MIRELDA_TEST_MAIN(TestLinkDevice)
#include "tst_linkdevice.moc"
