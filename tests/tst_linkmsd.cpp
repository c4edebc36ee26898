// The mass-storage logger: its data file on a drive (a directory here),
// read into a record, and the clock line written back.
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/cmainapp.h"
#include "core/cmsd.h"
#include "core/imagecodec.h"
#include "core/loggertime.h"
#include "core/memorymap.h"
#include "core/windowstate.h"
#include "dialogs/cprompt.h"
#include "users/cuseradmin.h"

namespace {

const QDateTime kStart(QDate(2026, 3, 1), QTime(6, 30), Qt::LocalTime);

quint16 readingAt(int i)
{
    return ReadingWord::make((i * 13) % 500 - 100, i % 50 == 0);
}

QByteArray driveFile(int readings, const QString &serial, int trailingBytes = 0)
{
    LoggerRecord r;
    r.versionWord = 0x11A;
    r.serialNumber = serial;
    r.configWord = ConfigBits::InternalOn | ConfigBits::Programmed;
    r.interval = 300;
    r.memorySize = quint32(kMaxReadings) * 2;
    r.startAt = kStart;
    r.alarmStatus = AlarmStatusBits::H | AlarmStatusBits::LL;
    QByteArray file = ImageCodec::encode(r, QByteArray(MemoryMap::ImageSize, '\0')).left(256);
    file += QByteArray(256, '\xEE');   // reserved
    for (int i = 0; i < readings; ++i) {
        const quint16 word = readingAt(i);
        file += char(word >> 8);
        file += char(word & 0xFF);
    }
    file += QByteArray(trailingBytes, '\x01');
    return file;
}

bool writeFile(const QString &path, const QByteArray &bytes, const QDateTime &modified = QDateTime())
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    if (modified.isValid())
        file.setFileTime(modified, QFileDevice::FileModificationTime);
    return true;
}

}

class TestLinkMsd : public QObject
{
    Q_OBJECT
private slots:
    void readsTheDriveFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("LOG00001.QLF"));
        QVERIFY(writeFile(path, driveFile(1000, QStringLiteral("KU-7"), 1)));   // odd byte left over
        LoggerRecord r;
        QVERIFY(CMsd::readDataFile(path, r));
        QCOMPARE(r.serialNumber, QStringLiteral("KU-7"));
        QCOMPARE(r.readingCount, 1000);
        QCOMPARE(r.recordedCount, 1000u);
        QCOMPARE(r.readings.at(0), readingAt(0));
        QCOMPARE(r.readings.at(999), readingAt(999));
        QCOMPARE(r.channelCount, 1);   // no sensor flags in the file: internal sensor
        QCOMPARE(r.startTime, kStart);
        QCOMPARE(r.stopTime, kStart.addSecs(999 * 300));
        QCOMPARE(r.alarmStatus, AlarmStatusBits::H | AlarmStatusBits::LL);
        QVERIFY(r.fromFile && r.massStorage && r.dataLoaded);
        QVERIFY(r.portName.isEmpty());
        QCOMPARE(r.fileName, QStringLiteral("LOG00001.QLF"));
    }

    void refusesBadFiles()
    {
        QTemporaryDir dir;
        LoggerRecord r;
        QString error;
        QVERIFY(!CMsd::readDataFile(dir.filePath(QStringLiteral("missing.QLF")), r, &error));
        const QString shortFile = dir.filePath(QStringLiteral("SHORT.QLF"));
        QVERIFY(writeFile(shortFile, QByteArray(300, '\0')));
        QVERIFY(!CMsd::readDataFile(shortFile, r, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(r.serialNumber.isEmpty());

        const QString bigFile = dir.filePath(QStringLiteral("BIG.QLF"));
        QVERIFY(writeFile(bigFile, driveFile(kMaxReadings + 10, QStringLiteral("B"))));
        QVERIFY(CMsd::readDataFile(bigFile, r));
        QCOMPARE(r.readingCount, kMaxReadings);
    }

    // A file whose header cannot be a logger's (another program's file
    // under the drive's pattern) gives no record, with the reason.
    void refusesAForeignFile_data()
    {
        QTest::addColumn<int>("readings");
        QTest::addColumn<quint32>("memorySize");
        QTest::addColumn<quint32>("interval");
        QTest::addColumn<QDateTime>("start");
        QTest::newRow("more readings than memory") << 2000 << 2000u << 300u << kStart;
        QTest::newRow("no interval") << 10 << 0x20000u << 0u << kStart;
        QTest::newRow("interval of days") << 10 << 0x20000u << 8932u * 86400u << kStart;
        QTest::newRow("last reading past the clock")
            << 1000 << 0x20000u << 80000u << QDateTime(QDate(2063, 6, 1), QTime(0, 0));
    }
    void refusesAForeignFile()
    {
        QFETCH(int, readings);
        QFETCH(quint32, memorySize);
        QFETCH(quint32, interval);
        QFETCH(QDateTime, start);
        QByteArray file = driveFile(readings, QStringLiteral("X"));
        LoggerRecord header;
        ImageCodec::decode(file.left(MemoryMap::BlockSize), header);
        header.memorySize = memorySize;
        header.interval = interval;
        header.startAt = start;
        file.replace(0, MemoryMap::BlockSize,
                     ImageCodec::encode(header, QByteArray(MemoryMap::ImageSize, '\0')).left(MemoryMap::BlockSize));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("X.QLF"));
        QVERIFY(writeFile(path, file));
        LoggerRecord r;
        QString error;
        QVERIFY(!CMsd::readDataFile(path, r, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(r.serialNumber.isEmpty());
    }

    void newestFileAndClockLine()
    {
        QTemporaryDir dir;
        const QDateTime now = QDateTime::currentDateTime();
        QVERIFY(writeFile(dir.filePath(QStringLiteral("OLD.QLF")), driveFile(5, QStringLiteral("OLD")),
                          now.addSecs(-3600)));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("NEW.QLF")), driveFile(7, QStringLiteral("NEW")),
                          now.addSecs(-60)));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("other.txt")), "x", now));
        QCOMPARE(QFileInfo(CMsd::newestDataFile(dir.path())).fileName(), QStringLiteral("NEW.QLF"));
        QCOMPARE(CMsd::clockLine(0x2F1A0B3C), QStringLiteral("TIME=2F1A0B3C\r\n"));

        qputenv("MIRELDA_MSD_ROOT", dir.path().toLocal8Bit());
        WindowState window;
        CMainApp app(&window);
        QTRY_COMPARE_WITH_TIMEOUT(app.records.size(), 1, 5000);
        const LoggerRecord &r = app.records.first();
        QCOMPARE(r.serialNumber, QStringLiteral("NEW"));
        QCOMPARE(r.readingCount, 7);
        QVERIFY(r.massStorage && r.fromFile && r.dataLoaded);
        QCOMPARE(app.currentRecord, 0);
        QVERIFY(window.showRecordPending);

        QTRY_COMPARE_WITH_TIMEOUT(app.msd->state.load(), int(CMsd::Idle), 5000);
        QFile command(dir.filePath(QStringLiteral("CMD.TXT")));
        QVERIFY(command.open(QIODevice::ReadOnly));
        const QByteArray line = command.readAll();
        QVERIFY(line.startsWith("TIME=") && line.endsWith("\r\n"));
        QCOMPARE(line.size(), 15);
        const quint32 written = line.mid(5, 8).toUInt(nullptr, 16);
        QVERIFY(qAbs(qint64(written) - qint64(app.currentLoggerTime())) < 5);

        // idle: the drive is not read again
        QTest::qWait(1500);
        QCOMPARE(app.records.size(), 1);
        qunsetenv("MIRELDA_MSD_ROOT");
    }

    void aSecondDriveIsReadAfterTheFirstGoes()
    {
        QTemporaryDir base;
        const QString drive = base.filePath(QStringLiteral("drive"));
        QVERIFY(QDir().mkpath(drive));
        QVERIFY(writeFile(drive + QStringLiteral("/A.QLF"), driveFile(3, QStringLiteral("FIRST"))));
        qputenv("MIRELDA_MSD_ROOT", drive.toLocal8Bit());
        WindowState window;
        CMainApp app(&window);
        QTRY_COMPARE_WITH_TIMEOUT(app.records.size(), 1, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(app.msd->state.load(), int(CMsd::Idle), 5000);

        QVERIFY(QDir().rename(drive, base.filePath(QStringLiteral("unplugged"))));
        QTRY_COMPARE_WITH_TIMEOUT(app.msd->state.load(), int(CMsd::Looking), 5000);
        QVERIFY(QDir().mkpath(drive));
        QVERIFY(writeFile(drive + QStringLiteral("/B.QLF"), driveFile(4, QStringLiteral("SECOND"))));
        QTRY_COMPARE_WITH_TIMEOUT(app.records.size(), 2, 5000);
        QCOMPARE(app.records.last().serialNumber, QStringLiteral("SECOND"));
        qunsetenv("MIRELDA_MSD_ROOT");
    }

    void anUnreadableFileDoesNotEndTheSearch()
    {
        QTemporaryDir dir;
        const QDateTime now = QDateTime::currentDateTime();
        QVERIFY(writeFile(dir.filePath(QStringLiteral("BAD.QLF")), QByteArray(100, '\0'), now.addSecs(-60)));
        QStringList warnings;
        CPrompt::setBoxHandler([&warnings](CPrompt::Kind, const QString &text, QMessageBox::StandardButtons) {
            warnings << text;
            return QMessageBox::Ok;
        });
        qputenv("MIRELDA_MSD_ROOT", dir.path().toLocal8Bit());
        WindowState window;
        CMainApp app(&window);
        QTRY_COMPARE_WITH_TIMEOUT(warnings.size(), 1, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(app.msd->state.load(), int(CMsd::Looking), 5000);
        QTest::qWait(2500);   // several polls: the same bad file is not read again
        QCOMPARE(warnings.size(), 1);
        QCOMPARE(app.records.size(), 0);

        QVERIFY(writeFile(dir.filePath(QStringLiteral("GOOD.QLF")), driveFile(6, QStringLiteral("GOOD")), now));
        QTRY_COMPARE_WITH_TIMEOUT(app.records.size(), 1, 5000);
        QCOMPARE(app.records.first().serialNumber, QStringLiteral("GOOD"));
        CPrompt::setBoxHandler(nullptr);
        qunsetenv("MIRELDA_MSD_ROOT");
    }

    void clockLineIsWrittenAgainUntilItLands()
    {
        if (!QFileInfo::exists(QStringLiteral("/dev/full")))
            QSKIP("no /dev/full to stand for a full drive");
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("A.QLF")), driveFile(3, QStringLiteral("A"))));
        const QString command = dir.filePath(QStringLiteral("CMD.TXT"));
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), command));
        qputenv("MIRELDA_MSD_ROOT", dir.path().toLocal8Bit());
        WindowState window;
        CMainApp app(&window);
        QTRY_COMPARE_WITH_TIMEOUT(app.records.size(), 1, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(app.msd->state.load(), int(CMsd::ClockPending), 5000);
        QTest::qWait(2500);   // several polls, each failing
        QCOMPARE(app.msd->state.load(), int(CMsd::ClockPending));

        QVERIFY(QFile::remove(command));
        QTRY_COMPARE_WITH_TIMEOUT(app.msd->state.load(), int(CMsd::Idle), 5000);
        QFile written(command);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().startsWith("TIME="));
        qunsetenv("MIRELDA_MSD_ROOT");
    }

    void nothingWhileNobodyIsLoggedIn()
    {
        QTemporaryDir dir;
        qputenv("MIRELDA_MSD_ROOT", dir.path().toLocal8Bit());
        WindowState window;
        CMainApp app(&window);
        app.userAdmin->enabled = true;
        app.userAdmin->currentUser = -1;
        QTRY_VERIFY(app.msd->paused);   // the core's poll pauses the worker
        QVERIFY(writeFile(dir.filePath(QStringLiteral("A.QLF")), driveFile(3, QStringLiteral("A"))));
        QTest::qWait(2200);
        QCOMPARE(app.records.size(), 0);
        app.userAdmin->currentUser = 0;
        QTRY_COMPARE_WITH_TIMEOUT(app.records.size(), 1, 5000);
        qunsetenv("MIRELDA_MSD_ROOT");
    }
};

MIRELDA_TEST_MAIN(TestLinkMsd)
#include "tst_linkmsd.moc"
