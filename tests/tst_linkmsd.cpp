// The mass-storage logger: its data file on a drive (a directory here),
// read into a record, and the clock line written back.
#include "support/testenv.h"

#include "core/cmsd.h"
#include "core/imagecodec.h"
#include "core/loggertime.h"
#include "core/memorymap.h"
#include "files/cfilemanager.h"
#include "support/coretest.h"
#include "support/envguard.h"
#include "support/useradmintest.h"
#include "support/windowtest.h"
#include "users/cuseradmin.h"

namespace {

const QDateTime kStart(QDate(2026, 3, 1), QTime(6, 30), Qt::LocalTime);

quint16 readingAt(int i)
{
    return ReadingWord::make((i * 13) % 500 - 100, i % 50 == 0);
}

LoggerRecord driveHeader(const QString &serial, quint32 interval = 300,
                         quint32 memorySize = quint32(kMaxReadings) * 2, const QDateTime &start = kStart)
{
    LoggerRecord r;
    r.versionWord = 0x11A;
    r.serialNumber = serial;
    r.configWord = ConfigBits::InternalOn | ConfigBits::Programmed;
    r.interval = interval;
    r.memorySize = memorySize;
    r.rangeLow = -40;
    r.rangeHigh = 85;
    r.startAt = start;
    r.alarmStatus = AlarmStatusBits::H | AlarmStatusBits::LL;
    return r;
}

QByteArray driveFileOf(const LoggerRecord &r, int readings, int trailingBytes = 0)
{
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

QByteArray driveFile(int readings, const QString &serial, int trailingBytes = 0, quint32 interval = 300,
                     quint32 memorySize = quint32(kMaxReadings) * 2, const QDateTime &start = kStart)
{
    return driveFileOf(driveHeader(serial, interval, memorySize, start), readings, trailingBytes);
}

bool writeFile(const QString &path, const QByteArray &bytes, const QDateTime &modified = QDateTime())
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        return false;   // flushed first: a write after the time is set moves it again
    return !modified.isValid() || file.setFileTime(modified, QFileDevice::FileModificationTime);
}

// A folder standing for the drive of the first logger, with its data
// file; moved away, the drive is unplugged.
struct DriveFolder
{
    QTemporaryDir base;
    const QString path = base.filePath(QStringLiteral("drive"));
    const QString away = base.filePath(QStringLiteral("unplugged"));

    bool plugIn(int readings) const
    {
        return QDir().mkpath(path)
               && writeFile(path + QStringLiteral("/MSD1.QLF"), driveFile(readings, QStringLiteral("FIRST")));
    }
    // True once the worker looks for the drive again.
    bool unplug(const CMsd *msd) const
    {
        return QDir().rename(path, away) && QTest::qWaitFor([msd] { return msd->state == CMsd::Looking; }, 5000);
    }
};

// A core whose drive logger looks in this folder.
struct DriveRoot
{
    explicit DriveRoot(const QString &root) : guard("MIRELDA_MSD_ROOT", root.toLocal8Bit()) {}
    EnvGuard guard;
};
struct Drive : DriveRoot, RecordingCore
{
    explicit Drive(const QString &root) : DriveRoot(root) { app.msd->pollMs = 20; }
    int state() const { return app.msd->state.load(); }
    // Waits until the worker has looked count more times, and lets the
    // core act on what those looks reported.
    bool waitForPolls(int count)
    {
        const int target = app.msd->polls + count;
        const bool done = QTest::qWaitFor([this, target] { return app.msd->polls >= target; }, 5000);
        QCoreApplication::processEvents();
        return done;
    }
};

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
        QCOMPARE(QList<int>({ r.readingCount, int(r.recordedCount), r.channelCount }), QList<int>({ 1000, 1000, 1 }));
        QCOMPARE(r.readings.at(0), readingAt(0));
        QCOMPARE(r.readings.at(999), readingAt(999));
        QCOMPARE(r.startTime, kStart);
        QCOMPARE(r.stopTime, kStart.addSecs(999 * 300));
        QCOMPARE(r.alarmStatus, AlarmStatusBits::H | AlarmStatusBits::LL);
        QVERIFY(r.fromFile && r.massStorage && r.dataLoaded && r.portName.isEmpty());
        QCOMPARE(r.fileName, QStringLiteral("LOG00001.QLF"));

        // more readings than a data file holds: refused, not cut to fit
        QVERIFY(writeFile(path, driveFile(70000, QStringLiteral("B"))));
        QString error;
        QVERIFY(!CMsd::readDataFile(path, r, &error));
        QVERIFY2(error.contains(QStringLiteral("70000 readings")), qPrintable(error));
    }

    // Saved as a data file and opened again, the drive's trip keeps its
    // channel, so every reading comes back as a sample, and its start.
    void aSavedDriveTripReopensWhole_data()
    {
        QTest::addColumn<QDateTime>("start");
        QTest::newRow("started at a time") << kStart;
        QTest::newRow("started without a start time") << QDateTime();
    }
    void aSavedDriveTripReopensWhole()
    {
        QFETCH(QDateTime, start);
        QTemporaryDir dir;
        const QString drivePath = dir.filePath(QStringLiteral("LOG00002.QLF"));
        QVERIFY(writeFile(drivePath, driveFile(100, QStringLiteral("KU-9"), 0, 300, quint32(kMaxReadings) * 2, start)));
        LoggerRecord drive;
        QVERIFY(CMsd::readDataFile(drivePath, drive));
        const QString saved = dir.filePath(QStringLiteral("saved.qlf"));
        QString error;
        QVERIFY2(CFileManager::writeDataFile(saved, drive, false, &error), qPrintable(error));

        LoggerRecord reopened;
        QVERIFY2(CFileManager::readDataFile(saved, reopened, false, &error), qPrintable(error));
        QCOMPARE(QList<int>({ reopened.sampleCount(), reopened.channelCount, int(reopened.sensorFlags) }),
                 QList<int>({ drive.sampleCount(), drive.channelCount, int(drive.sensorFlags) }));
        QCOMPARE(reopened.sampleCount(), 100);
        QCOMPARE(reopened.readings, drive.readings);
        QCOMPARE(drive.startTime, start);
        QCOMPARE(reopened.startTime, drive.startTime);
        QCOMPARE(reopened.stopTime, drive.stopTime);
    }

    // A file too short, or whose header cannot be a logger's (another
    // program's file under the drive's pattern, or one a data file could
    // not hold), gives no record, with the reason.
    void refusesBadOrForeignFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        // a memory larger than any data file
        const auto with = [](auto change, int readings = 300) {
            LoggerRecord header = driveHeader(QStringLiteral("X"), 300, 0x40000);
            change(header);
            return driveFileOf(header, readings);
        };
        QTest::newRow("inverted range") << with([](LoggerRecord &r) { std::swap(r.rangeLow, r.rangeHigh); });
        QTest::newRow("empty range") << with([](LoggerRecord &r) { r.rangeLow = r.rangeHigh = 0; });
        QTest::newRow("version word 0") << with([](LoggerRecord &r) { r.versionWord = 0; });
        QTest::newRow("no channel on") << with([](LoggerRecord &r) { r.configWord = ConfigBits::Programmed; });
        QTest::newRow("external sensor only")
            << with([](LoggerRecord &r) { r.configWord = ConfigBits::ExternalOn | ConfigBits::Programmed; });
        QTest::newRow("more readings than a data file") << with([](LoggerRecord &) {}, 70000);
        QTest::newRow("more readings than a first logger's data file")
            << with([](LoggerRecord &r) { r.versionWord = 0x114; }, kMaxReadings);
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("short") << QByteArray(300, '\0');
        QTest::newRow("more readings than memory") << driveFile(2000, "X", 0, 300, 2000);
        QTest::newRow("no interval") << driveFile(10, "X", 0, 0);
        QTest::newRow("interval of days") << driveFile(10, "X", 0, 8932u * 86400u);
        QTest::newRow("last reading past the clock")
            << driveFile(1000, "X", 0, 80000, 0x20000, QDateTime(QDate(2135, 6, 1), QTime(0, 0)));
    }
    void refusesBadOrForeignFiles()
    {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("X.QLF"));
        QVERIFY(file.isEmpty() || writeFile(path, file));
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
        QVERIFY(writeFile(dir.filePath("OLD.QLF"), driveFile(5, QStringLiteral("OLD")), now.addSecs(-3600)));
        QVERIFY(writeFile(dir.filePath("NEW.QLF"), driveFile(7, QStringLiteral("NEW")), now.addSecs(-60)));
        QVERIFY(writeFile(dir.filePath("other.txt"), "x", now));
        QCOMPARE(QFileInfo(CMsd().loggerDataFile(dir.path())).fileName(), QStringLiteral("NEW.QLF"));

        Drive drive(dir.path());
        QTRY_COMPARE_WITH_TIMEOUT(drive.app.records.size(), 1, 5000);
        const LoggerRecord &r = drive.app.records.first();
        QCOMPARE(r.serialNumber, QStringLiteral("NEW"));
        QCOMPARE(r.readingCount, 7);
        QVERIFY(r.massStorage && r.fromFile && r.dataLoaded);
        QCOMPARE(drive.app.currentRecord, 0);
        QVERIFY(drive.window.showRecordPending);

        QTRY_COMPARE_WITH_TIMEOUT(drive.state(), int(CMsd::Idle), 5000);
        const QByteArray line = TestEnv::readFile(dir.filePath("CMD.TXT"));
        QVERIFY(line.startsWith("TIME=") && line.endsWith("\r\n"));
        QCOMPARE(line.size(), 15);
        QVERIFY(qAbs(qint64(line.mid(5, 8).toUInt(nullptr, 16)) - qint64(drive.app.currentLoggerTime())) < 5);

        // idle: the drive is not read again
        QVERIFY(drive.waitForPolls(3));
        QCOMPARE(drive.app.records.size(), 1);
    }

    // The drive logger's row stays when its drive goes. A drive that comes
    // back is the row it was, holding what the drive holds now; another
    // logger's drive is a row of its own.
    void aDriveThatComesBackIsItsRowAndAnotherIsNew()
    {
        DriveFolder folder;
        const QString &path = folder.path, &away = folder.away;
        QVERIFY(folder.plugIn(3));
        Drive drive(path);
        QTRY_COMPARE_WITH_TIMEOUT(drive.app.records.size(), 1, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(drive.state(), int(CMsd::Idle), 5000);
        const quint64 id = drive.app.records.first().recordId;
        const quint64 trip = drive.app.records.first().tripId;
        const auto unplug = [&] { return folder.unplug(drive.app.msd); };

        drive.app.records.first().tripForChange().comment = QStringLiteral("Pallet 7");
        QVERIFY(unplug());
        QCOMPARE(drive.app.records.size(), 1);
        QVERIFY(writeFile(away + QStringLiteral("/MSD1.QLF"), driveFile(5, QStringLiteral("FIRST"))));
        QVERIFY(QDir().rename(away, path));
        QTRY_COMPARE_WITH_TIMEOUT(drive.app.records.first().readingCount, 5, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(drive.state(), int(CMsd::Idle), 5000);
        QCOMPARE(drive.app.records.size(), 1);
        QCOMPARE(drive.app.records.first().recordId, id);
        QCOMPARE(drive.app.records.first().tripId, trip);
        QCOMPARE(drive.app.records.first().trip().comment, QStringLiteral("Pallet 7"));
        QCOMPARE(drive.app.currentRecord, 0);

        QVERIFY(unplug());
        QVERIFY(QDir().mkpath(path));
        QVERIFY(writeFile(path + QStringLiteral("/B.QLF"), driveFile(4, QStringLiteral("SECOND"))));
        QTRY_COMPARE_WITH_TIMEOUT(drive.app.records.size(), 2, 5000);
        QCOMPARE(drive.app.records.last().serialNumber, QStringLiteral("SECOND"));
        QCOMPARE(drive.app.records.first().readingCount, 5);

        // the same logger back with its next trip, shorter than the one its
        // row holds: the row keeps its five readings, the trip comes beside it
        QVERIFY(QDir(away).removeRecursively() && unplug());
        QVERIFY(QDir().mkpath(path));
        QVERIFY(writeFile(path + QStringLiteral("/MSD1.QLF"),
                          driveFile(2, QStringLiteral("FIRST"), 0, 300, quint32(kMaxReadings) * 2,
                                    kStart.addDays(1))));
        QTRY_COMPARE_WITH_TIMEOUT(drive.app.records.size(), 3, 5000);
        QCOMPARE(drive.app.records.at(0).recordId, id);
        QCOMPARE(drive.app.records.at(0).readingCount, 5);
        QCOMPARE(drive.app.records.at(2).serialNumber, QStringLiteral("FIRST"));
        QCOMPARE(drive.app.records.at(2).readingCount, 2);
    }

    // In the window, the drive back with the same trip is still that trip:
    // its comment shows and is saved, a comment being typed stays, and a
    // chooser open meanwhile writes the trip it was opened for.
    void aDriveBackWithItsTripKeepsItsCommentInTheWindow()
    {
        DriveFolder folder;
        int readings = 3;
        QVERIFY(folder.plugIn(readings));
        DriveRoot root(folder.path);
        WindowTest::Harness h;
        CMsd *msd = h.window.app->msd;
        msd->pollMs = 20;
        QTRY_VERIFY_WITH_TIMEOUT(h.records.size() == 1 && msd->state == CMsd::Idle, 5000);
        // unplugged, and back with one reading more of its trip
        const auto replug = [&] {
            return folder.unplug(msd) && QDir(folder.away).removeRecursively() && folder.plugIn(++readings)
                   && QTest::qWaitFor([&] { return h.records.first().readingCount == readings
                                                   && msd->state == CMsd::Idle; }, 5000);
        };
        const auto savedComment = [](const QString &file) {
            LoggerRecord saved;
            QString error;
            return CFileManager::readDataFile(file, saved, false, &error) ? saved.comment : error;
        };
        h.window.Timer();
        QLineEdit *comment = h.ui->m_lineEditComment;
        QTest::keyClicks(comment, QStringLiteral("Pallet 7"));
        QTest::keyClick(comment, Qt::Key_Return);
        QVERIFY(replug());
        h.window.Timer();
        QCOMPARE(comment->text(), QStringLiteral("Pallet 7"));
        QVERIFY(h.records.first().unsavedReadings);
        h.prompts.filesToChoose = QStringList{ h.homePath(QStringLiteral("pallet.qlf")) };
        h.ui->m_actionSave->trigger();
        QCOMPARE(savedComment(h.homePath(QStringLiteral("pallet.qlf"))), QStringLiteral("Pallet 7"));

        comment->selectAll();
        QTest::keyClicks(comment, QStringLiteral("Door open 10:00"));
        QVERIFY(replug());
        h.window.Timer();
        QCOMPARE(comment->text(), QStringLiteral("Door open 10:00"));
        const QString door = h.homePath(QStringLiteral("door.qlf"));
        CPrompt::setFileHandler([&](const QString &, const QString &, const QString &, const QString &) {
            return replug() ? QStringList{ door } : QStringList();
        });
        h.ui->m_actionSaveAs->trigger();
        QVERIFY2(h.prompts.boxes.isEmpty(), qPrintable(h.prompts.boxes.value(0).text));
        QCOMPARE(savedComment(door), QStringLiteral("Door open 10:00"));
    }

    // A drive trip is in a file while its drive holds it. Once the drive
    // holds the logger's next trip, the one before is held nowhere else:
    // the exit offers it, whether the drive is still plugged in or not.
    void aTripItsDriveNoLongerHoldsIsOfferedAtExit_data()
    {
        QTest::addColumn<bool>("savedBefore");
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<bool>("unplugged");
        QTest::addColumn<int>("offered");
        QTest::newRow("its file replaced, then unplugged") << false << true << true << 1;
        QTest::newRow("its file replaced, still plugged in") << false << true << false << 1;
        QTest::newRow("saved, then its file replaced") << true << true << true << 0;
        QTest::newRow("unplugged holding it") << false << false << true << 0;
    }
    void aTripItsDriveNoLongerHoldsIsOfferedAtExit()
    {
        QFETCH(bool, savedBefore);
        QFETCH(bool, replaced);
        QFETCH(bool, unplugged);
        QFETCH(int, offered);
        DriveFolder folder;
        QVERIFY(folder.plugIn(800));
        DriveRoot root(folder.path);
        WindowTest::Harness h;
        CMsd *msd = h.window.app->msd;
        msd->pollMs = 20;
        QTRY_VERIFY_WITH_TIMEOUT(h.records.size() == 1 && msd->state == CMsd::Idle, 5000);
        if (savedBefore) {
            h.prompts.filesToChoose = QStringList{ folder.base.filePath(QStringLiteral("saved.qlf")) };
            h.ui->m_actionSaveAs->trigger();
        }
        if (replaced) {
            QVERIFY(writeFile(folder.path + QStringLiteral("/MSD1.QLF"),
                              driveFile(5, QStringLiteral("FIRST"), 0, 300, quint32(kMaxReadings) * 2,
                                        kStart.addDays(1))));
            QTRY_VERIFY_WITH_TIMEOUT(h.records.size() == 2 && msd->state == CMsd::Idle, 5000);
        }
        if (unplugged)
            QVERIFY(folder.unplug(msd));

        const QString atExit = folder.base.filePath(QStringLiteral("at-exit.qlf"));
        h.prompts.boxes.clear();
        h.prompts.answer = QMessageBox::Yes;
        h.prompts.filesToChoose = QStringList{ atExit };
        h.window.show();
        QVERIFY(h.window.close());
        QCOMPARE(h.prompts.boxes.size(), offered);
        LoggerRecord saved;
        QCOMPARE(CFileManager::readDataFile(atExit, saved, false, nullptr), offered > 0);
        if (offered > 0) {
            QCOMPARE(saved.readingCount, 800);
            QCOMPARE(saved.startTime, kStart);
        }
    }

    void anUnreadableFileDoesNotEndTheSearch()
    {
        QTemporaryDir dir;
        const QDateTime now = QDateTime::currentDateTime();
        QVERIFY(writeFile(dir.filePath("BAD.QLF"), QByteArray(100, '\0'), now.addSecs(-60)));
        Drive drive(dir.path());
        const QStringList &warnings = drive.window.warnings;
        QTRY_COMPARE_WITH_TIMEOUT(warnings.size(), 1, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(drive.state(), int(CMsd::Looking), 5000);
        QVERIFY(drive.waitForPolls(3));   // the same bad file is not read again
        QCOMPARE(warnings.size(), 1);
        QCOMPARE(drive.app.records.size(), 0);

        QVERIFY(writeFile(dir.filePath("GOOD.QLF"), driveFile(6, QStringLiteral("GOOD")), now));
        QTRY_COMPARE_WITH_TIMEOUT(drive.app.records.size(), 1, 5000);
        QCOMPARE(drive.app.records.first().serialNumber, QStringLiteral("GOOD"));
    }

    // The logger's own file is read whatever newer file the drive holds: a
    // data file this program saved onto it is passed over without a word,
    // a file the reader refuses is told once.
    void theLoggersFileIsFoundAmongTheDrivesFiles_data()
    {
        QTest::addColumn<bool>("savedCopy");
        QTest::addColumn<int>("told");
        QTest::newRow("a data file saved onto the drive") << true << 0;
        QTest::newRow("a file that is not a logger's") << false << 1;
    }
    void theLoggersFileIsFoundAmongTheDrivesFiles()
    {
        QFETCH(bool, savedCopy);
        QFETCH(int, told);
        QTemporaryDir dir;
        const QString logger = dir.filePath(QStringLiteral("LOG00003.QLF"));
        QVERIFY(writeFile(logger, driveFile(9, QStringLiteral("LOGGER")), QDateTime::currentDateTime().addSecs(-3600)));
        const QString newer = dir.filePath(QStringLiteral("copy.qlf"));
        LoggerRecord copy;
        QVERIFY(CMsd::readDataFile(logger, copy));
        QVERIFY(savedCopy ? CFileManager::writeDataFile(newer, copy, false) : writeFile(newer, QByteArray(2000, '.')));

        Drive drive(dir.path());
        QTRY_COMPARE_WITH_TIMEOUT(drive.app.records.size(), 1, 5000);
        QCOMPARE(drive.app.records.first().serialNumber, QStringLiteral("LOGGER"));
        QTRY_COMPARE_WITH_TIMEOUT(drive.state(), int(CMsd::Idle), 5000);
        QVERIFY(drive.waitForPolls(3));
        QCOMPARE(drive.window.warnings.size(), told);
        QCOMPARE(drive.app.records.size(), 1);
    }

    // A clock line waits while the drive is full. Unplugged meanwhile, the
    // drive leaves no line behind: the next drive plugged in is read and
    // gets a line of its own. A line that lands late carries the time it
    // is written.
    void aClockLineIsTheDrivesItIsWrittenTo_data()
    {
        QTest::addColumn<QString>("next");   // the logger plugged in after; "" the drive stays
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("readings");
        QTest::addColumn<int>("lateBy");     // seconds past the read's time
        QTest::newRow("the drive stays until it takes the line") << QString() << 1 << 3 << 3600;
        QTest::newRow("another logger plugged in") << QStringLiteral("SECOND") << 2 << 5 << 0;
        QTest::newRow("the same logger back") << QStringLiteral("FIRST") << 1 << 5 << 0;
    }
    void aClockLineIsTheDrivesItIsWrittenTo()
    {
        QFETCH(QString, next);
        QFETCH(int, rows);
        QFETCH(int, readings);
        QFETCH(int, lateBy);
        if (!QFileInfo::exists(QStringLiteral("/dev/full")))
            QSKIP("no /dev/full to stand for a full drive");
        DriveFolder folder;
        QVERIFY(folder.plugIn(3));
        const QString command = folder.path + QStringLiteral("/CMD.TXT");
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), command));
        std::atomic<qint64> steadyMs{ 0 };
        Drive drive(folder.path);
        drive.app.msd->setSteadyClock([&steadyMs] { return steadyMs.load(); });
        QTRY_COMPARE_WITH_TIMEOUT(drive.state(), int(CMsd::ClockPending), 5000);
        steadyMs += 3600 * 1000;
        QVERIFY(drive.waitForPolls(2));

        if (next.isEmpty()) {
            QVERIFY(QFile::remove(command));
        } else {
            QVERIFY(folder.unplug(drive.app.msd));
            QVERIFY(QDir().mkpath(folder.path));
            QVERIFY(writeFile(folder.path + QStringLiteral("/MSD1.QLF"), driveFile(5, next)));
        }
        QTRY_COMPARE_WITH_TIMEOUT(drive.app.records.size(), rows, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(drive.app.records.last().readingCount, readings, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(drive.state(), int(CMsd::Idle), 5000);
        const QByteArray line = TestEnv::readFile(command);
        const qint64 written = line.startsWith("TIME=") ? line.mid(5, 8).toUInt(nullptr, 16) : 0;
        QVERIFY2(qAbs(written - qint64(drive.app.currentLoggerTime()) - lateBy) < 5, line.constData());
    }

    // A drive that takes no clock line is told once, naming the drive, while
    // the line is tried again; a data file that changes while the drive
    // stays plugged in is read again.
    void aDriveWithoutItsClockSetIsToldOnce_data()
    {
        QTest::addColumn<QString>("commandFile");   // what "CMD.TXT" is: "" none yet, "dir" a folder, or a link to it
        QTest::addColumn<int>("told");
        QTest::newRow("a drive that takes the line") << QString() << 0;
        QTest::newRow("the command file cannot be made") << QStringLiteral("dir") << 1;
        QTest::newRow("a full drive") << QStringLiteral("/dev/full") << 1;
    }
    void aDriveWithoutItsClockSetIsToldOnce()
    {
        QFETCH(QString, commandFile);
        QFETCH(int, told);
        if (commandFile.startsWith(QLatin1Char('/')) && !QFileInfo::exists(commandFile))
            QSKIP("no such device here");
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("LOG00004.QLF"));
        QVERIFY(writeFile(data, driveFile(3, QStringLiteral("RO")), QDateTime::currentDateTime().addSecs(-60)));
        const QString command = dir.filePath(QStringLiteral("CMD.TXT"));
        if (commandFile == QStringLiteral("dir"))
            QVERIFY(QDir().mkpath(command));
        else if (!commandFile.isEmpty())
            QVERIFY(QFile::link(commandFile, command));

        Drive drive(dir.path());
        QTRY_COMPARE_WITH_TIMEOUT(drive.app.records.size(), 1, 5000);
        QVERIFY(drive.waitForPolls(5));
        const QStringList &warnings = drive.window.warnings;
        QCOMPARE(warnings.size(), told);
        if (told)
            QVERIFY2(warnings.first().contains(QStringLiteral("was not set"))
                         && warnings.first().contains(QDir::toNativeSeparators(dir.path())),
                     qPrintable(warnings.first()));

        // the logger recorded more meanwhile
        QVERIFY(writeFile(data, driveFile(6, QStringLiteral("RO"))));
        QTRY_COMPARE_WITH_TIMEOUT(drive.app.records.first().readingCount, 6, 5000);
        QVERIFY(drive.waitForPolls(5));
        QCOMPARE(warnings.size(), told);
        QCOMPARE(drive.app.records.size(), 1);
    }

    // A drive unplugged before its clock line landed is told, naming the
    // drive, once also when the line's failure was told already.
    void aDriveGoneBeforeItsClockLineIsTold_data()
    {
        QTest::addColumn<QString>("command");   // "" none: unplugged as soon as it is read; else a link to it
        QTest::newRow("unplugged as soon as it is read") << QString();
        QTest::newRow("a full drive unplugged") << QStringLiteral("/dev/full");
    }
    void aDriveGoneBeforeItsClockLineIsTold()
    {
        QFETCH(QString, command);
        if (!command.isEmpty() && !QFileInfo::exists(command))
            QSKIP("no such device here");
        DriveFolder folder;
        QVERIFY(folder.plugIn(3));
        QVERIFY(command.isEmpty() || QFile::link(command, folder.path + "/CMD.TXT"));
        Drive drive(folder.path);
        if (command.isEmpty()) {
            drive.app.msd->pollMs = 1000;   // its next look comes well after the unplug
            QObject::connect(drive.app.msd, &CMsd::massStorageFound, &drive.app,
                             [&] { QDir().rename(folder.path, folder.away); }, Qt::QueuedConnection);
        }
        const QStringList &warnings = drive.window.warnings;
        QTRY_VERIFY_WITH_TIMEOUT(drive.app.records.size() == 1 && (command.isEmpty() || warnings.size() == 1), 5000);
        QVERIFY(QFileInfo::exists(folder.away) || QDir().rename(folder.path, folder.away));
        QTRY_COMPARE_WITH_TIMEOUT(drive.state(), int(CMsd::Looking), 5000);
        drive.app.msd->pollMs = 20;
        QVERIFY(drive.waitForPolls(3));
        QCOMPARE(warnings.size(), 1);
        QVERIFY(warnings.last().contains("was not set") && warnings.last().contains('"' + folder.path + '"'));
    }

    void clockLineIsWrittenAgainUntilItLands()
    {
        if (!QFileInfo::exists(QStringLiteral("/dev/full")))
            QSKIP("no /dev/full to stand for a full drive");
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("A.QLF"), driveFile(3, QStringLiteral("A"))));
        const QString command = dir.filePath(QStringLiteral("CMD.TXT"));
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), command));
        Drive drive(dir.path());
        QTRY_COMPARE_WITH_TIMEOUT(drive.app.records.size(), 1, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(drive.state(), int(CMsd::ClockPending), 5000);
        QVERIFY(drive.waitForPolls(3));   // each failing
        QCOMPARE(drive.state(), int(CMsd::ClockPending));

        QVERIFY(QFile::remove(command));
        QTRY_COMPARE_WITH_TIMEOUT(drive.state(), int(CMsd::Idle), 5000);
        QVERIFY(TestEnv::readFile(command).startsWith("TIME="));
    }

    void nothingWhileNobodyIsLoggedIn()
    {
        QTemporaryDir dir;
        Drive drive(dir.path());
        drive.app.userAdmin->enabled = true;
        drive.app.userAdmin->currentUser = -1;
        QTRY_VERIFY(drive.app.msd->paused);   // the core's poll pauses the worker
        QVERIFY(writeFile(dir.filePath("A.QLF"), driveFile(3, QStringLiteral("A"))));
        QVERIFY(drive.waitForPolls(3));
        QCOMPARE(drive.app.records.size(), 0);
        drive.app.userAdmin->currentUser = 0;
        QTRY_COMPARE_WITH_TIMEOUT(drive.app.records.size(), 1, 5000);
    }
};

MIRELDA_TEST_MAIN(TestLinkMsd)
#include "tst_linkmsd.moc"
