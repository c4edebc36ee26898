#include "support/testenv.h"

#include "core/byteorder.h"
#include "core/imagecodec.h"
#include "core/loggertime.h"
#include "core/memorymap.h"
#include "files/cfilemanager.h"
#include "support/coretest.h"

namespace {

LoggerRecord makeRecord(quint16 version, int readings)
{
    LoggerRecord r;
    r.versionWord = version;
    r.serialNumber = "QV123456";
    r.productCode = "QV-5D";
    r.description = "Pharma cold chain";
    r.comment = "Truck 12 (jdoe)";
    r.configWord = ConfigBits::InternalOn | ConfigBits::HumidityOn | ConfigBits::IntH | ConfigBits::HumHH;
    r.sensorFlags = version > MemoryMap::LastInternalOnlyVersion ? SensorBits::DigitalTempHum : 1;
    r.interval = 60;
    r.memorySize = quint32(kMaxReadings) * 2;
    r.rangeLow = -40;
    r.rangeHigh = 85;
    r.tripNumber = 7;
    r.alarmThresholds[GroupInternal][LevelH] = 8.5;
    r.alarmThresholds[GroupHumidity][LevelHH] = 95.25;
    r.consecutiveDelay[GroupInternal] = 3;
    r.totalDelay[GroupHumidity] = 250;
    r.alarmStatus = AlarmStatusBits::H | AlarmStatusBits::LL;
    r.passwordWord = PasswordBits::Marker | 4321;
    r.imageRead = ImageCodec::encode(r, QByteArray(MemoryMap::ImageSize, '\0'));
    r.readings.resize(readings);
    for (int i = 0; i < readings; ++i)
        r.readings[i] = ReadingWord::make((i * 37) % 2000 - 1000, i % 97 == 0);
    r.readingCount = readings;
    r.startTime = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5));
    return r;
}

// What a data file or template keeps of a record, as one list to compare.
QStringList kept(const LoggerRecord &r)
{
    return { QString::number(r.versionWord), r.serialNumber, r.productCode, r.description, r.comment,
             QString::number(r.configWord), QString::number(r.passwordWord), QString::number(r.alarmStatus),
             QString::number(r.interval), QString::number(r.alarmThresholds[GroupInternal][LevelH]),
             QString::number(r.alarmThresholds[GroupHumidity][LevelHH]), QString::number(r.totalDelay[GroupHumidity]) };
}

}

class TestDataFile : public QObject
{
    Q_OBJECT
private:
    QString dir = TestEnv::home() + "/data";

private slots:
    void initTestCase() { QDir().mkpath(dir); }

    void loggerTimeAndBytes()
    {
        QCOMPARE(LoggerTime::toDateTime(86400 + 3661), QDateTime(QDate(2000, 1, 2), QTime(1, 1, 1), Qt::LocalTime));
        QCOMPARE(LoggerTime::fromDateTime(QDateTime(QDate(2000, 1, 2), QTime(1, 1, 1))), quint32(86400 + 3661));
        QCOMPARE(LoggerTime::fromDateTime(QDateTime()), quint32(0));
        // inside a DST gap in Paris
        const quint32 s = LoggerTime::fromDateTime(QDateTime(QDate(2026, 3, 29), QTime(2, 30), Qt::UTC));
        QCOMPARE(LoggerTime::toDateTime(s).time(), QTime(2, 30));
        QVERIFY(LoggerTime::toDateTime(s).isValid());
        QCOMPARE(LoggerTime::fromDateTime(LoggerTime::toDateTime(s)), s);

        QByteArray data(6, '\0');
        ByteOrder::putBE32(data, 0, 0x01020304);
        QCOMPARE(data.left(4), QByteArray("\x01\x02\x03\x04", 4));
        QCOMPARE(ByteOrder::getLE32(data, 0), quint32(0x04030201));
        // out of range: no read or write past the end
        ByteOrder::putBE32(data, 4, 0xFFFFFFFF);
        QCOMPARE(data.mid(4), QByteArray(2, '\0'));
        QCOMPARE(ByteOrder::getBE32(data, 4), quint32(0));
        QCOMPARE(ByteOrder::getBE16(data, -1), quint16(0));
    }

    // A logger started in the hour that the PC's clock skips: the file
    // keeps the logger's own seconds and the trip reopens at that time.
    void startInTheSkippedHourIsKept()
    {
        const quint32 start = LoggerTime::fromDateTime(QDateTime(QDate(2026, 3, 29), QTime(2, 30), Qt::UTC));
        LoggerRecord r = makeRecord(0x115, 4);
        r.startTime = LoggerTime::toDateTime(start);
        const QString path = dir + "/skipped.qlf";
        QVERIFY(CFileManager::writeDataFile(path, r, false));
        const QByteArray b = TestEnv::readFile(path);
        QCOMPARE(ByteOrder::getBE32(b, 6 + int(ByteOrder::getBE32(b, 2)) + 6 + 768), start);

        LoggerRecord loaded;
        QVERIFY(CFileManager::readDataFile(path, loaded, false, nullptr));
        QVERIFY(loaded.startTime.isValid());
        QCOMPARE(loaded.startTime.toString("yyyy-MM-dd hh:mm:ss"), QString("2026-03-29 02:30:00"));
        QCOMPARE(loaded.stopTime, loaded.startTime.addSecs(qint64(loaded.sampleCount() - 1) * 60));
    }

    void roundTrip_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("checkValue");
        QTest::newRow("0x114, 32-bit readings, most it holds") << 0x114 << 65535 << false;
        QTest::newRow("0x115, 16-bit readings, full memory") << 0x115 << 65536 << false;
        QTest::newRow("0x11A, layout 2, with check value") << 0x11A << 65536 << true;
        QTest::newRow("no readings") << 0x115 << 0 << true;
    }
    void roundTrip()
    {
        QFETCH(int, version);
        QFETCH(int, count);
        QFETCH(bool, checkValue);
        const LoggerRecord original = makeRecord(quint16(version), count);
        const QString path = dir + "/round.qlf";
        QString error;
        QVERIFY2(CFileManager::writeDataFile(path, original, checkValue, &error), qPrintable(error));

        LoggerRecord loaded;
        QVERIFY2(CFileManager::readDataFile(path, loaded, checkValue, &error), qPrintable(error));
        QCOMPARE(kept(loaded), kept(original));
        QCOMPARE(loaded.readingCount, count);
        QCOMPARE(loaded.readings, original.readings);
        QCOMPARE(loaded.startTime, original.startTime);
        QCOMPARE(loaded.imageRead, original.imageRead);
        QVERIFY(loaded.fromFile && loaded.dataLoaded && loaded.portName.isEmpty());
        QCOMPARE(loaded.fileName, QString("round.qlf"));
        if (loaded.sampleCount() > 1)
            QCOMPARE(loaded.stopTime, original.startTime.addSecs(qint64(loaded.sampleCount() - 1) * 60));
        // the check value is not asked for while user administration is off
        if (checkValue)
            QVERIFY(CFileManager::readDataFile(path, loaded, false, nullptr));
    }

    // Read by hand, as another program would read it.
    void layoutOfTheFile()
    {
        const LoggerRecord r = makeRecord(0x115, 3);
        const QString path = dir + "/layout.qlf";
        QVERIFY(CFileManager::writeDataFile(path, r, true));
        const QByteArray b = TestEnv::readFile(path);
        QCOMPARE(ByteOrder::getBE16(b, 0), quint16(0x115));
        int at = 6 + int(ByteOrder::getBE32(b, 2));   // past the texts
        QCOMPARE(ByteOrder::getBE32(b, at), r.alarmStatus);
        QCOMPARE(ByteOrder::getBE16(b, at + 4), quint16(768));
        at += 6 + 768;
        QCOMPARE(ByteOrder::getBE32(b, at), LoggerTime::fromDateTime(r.startTime));
        QCOMPARE(ByteOrder::getBE32(b, at + 4), quint32(3));
        QCOMPARE(ByteOrder::getBE16(b, at + 8), r.readings[0]);
        // the check value is the byte sum of all that comes before it
        quint32 sum = 0;
        for (int i = 0; i < b.size() - 2; ++i)
            sum += quint8(b[i]);
        QCOMPARE(ByteOrder::getBE16(b, b.size() - 2), quint16(sum));

        // more readings than an old logger's file can hold: nothing written
        QString error;
        QVERIFY(!CFileManager::writeDataFile(dir + "/old.qlf", makeRecord(0x114, 65536), false, &error));
        QVERIFY(!error.isEmpty() && !QFile::exists(dir + "/old.qlf"));
    }

    void badFilesAreRefusedWithAMessage_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("checkValue");
        QTest::newRow("truncated in the readings") << "truncate-readings" << false;
        QTest::newRow("truncated in the image") << "truncate-image" << false;
        QTest::newRow("a text file") << "foreign" << false;
        QTest::newRow("count above 65,536") << "count" << false;
        QTest::newRow("flipped byte, check value on") << "flip" << true;
        QTest::newRow("no check value while required") << "strip" << true;
        QTest::newRow("huge string length") << "string" << false;
        // a file of the right shape whose header no logger writes
        QTest::newRow("version unlike its image's") << "image-version" << false;
        QTest::newRow("40 flipped header bytes") << "flip-header" << false;
        QTest::newRow("no reading interval") << "interval" << false;
        QTest::newRow("recorded past the logger's clock") << "start" << false;
    }
    void badFilesAreRefusedWithAMessage()
    {
        QFETCH(QString, damage);
        QFETCH(bool, checkValue);
        const QString path = dir + "/bad.qlf";
        QVERIFY(CFileManager::writeDataFile(path, makeRecord(0x115, 100), checkValue && damage != "strip"));
        QByteArray b = TestEnv::readFile(path);
        const int imageAt = 6 + int(ByteOrder::getBE32(b, 2)) + 6;
        const int countAt = imageAt + 768 + 4;
        if (damage == "truncate-readings")
            b.truncate(countAt + 4 + 50);
        else if (damage == "truncate-image")
            b.truncate(100);
        else if (damage == "foreign")
            b = "Date;Time;Value\r\n01/01/2026;10:00;5.0\r\n";
        else if (damage == "count")
            ByteOrder::putBE32(b, countAt, 65537);
        else if (damage == "flip")
            b[countAt + 10] = char(b[countAt + 10] ^ 0x40);
        else if (damage == "string")
            ByteOrder::putBE32(b, 2, 0x7FFFFFF0);
        else if (damage == "image-version")
            ByteOrder::putBE16(b, 0, 0x11A);
        else if (damage == "flip-header")   // over the limits, the lowest and highest values and the range
            for (int i = 0; i < 40; ++i)
                b[imageAt + MemoryMap::ThresholdsHumidity + i] = char(b[imageAt + MemoryMap::ThresholdsHumidity + i] ^ 0xFF);
        else if (damage == "interval")
            ByteOrder::putBE32(b, imageAt + MemoryMap::Interval, 0);
        else if (damage == "start")
            ByteOrder::putBE32(b, countAt - 4, 0xFFFFFF00);
        QVERIFY(TestEnv::writeFile(path, b));

        LoggerRecord loaded;
        loaded.serialNumber = "untouched";
        QString error;
        QVERIFY(!CFileManager::readDataFile(path, loaded, checkValue, &error));
        QVERIFY(error.startsWith("Warning!\n\n") && error.contains("bad.qlf"));
        QCOMPARE(loaded.serialNumber, QString("untouched"));
    }

    // The last header a logger can write loads; one step past it does not.
    void headerAtTheLoggersLimits_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("memoryBytes");
        QTest::addColumn<bool>("loads");
        QTest::newRow("as many readings as its memory holds") << 0x115 << 200 << true;
        QTest::newRow("one reading more than its memory holds") << 0x115 << 198 << false;
        QTest::newRow("the last version word of the family") << 0x1FF << 200 << true;
        QTest::newRow("the first version word past it") << 0x200 << 200 << false;
    }
    void headerAtTheLoggersLimits()
    {
        QFETCH(int, version);
        QFETCH(int, memoryBytes);
        QFETCH(bool, loads);
        LoggerRecord r = makeRecord(quint16(version), 100);
        r.memorySize = quint32(memoryBytes);
        r.imageRead = ImageCodec::encode(r, r.imageRead);
        const QString path = dir + "/limits.qlf";
        QVERIFY(CFileManager::writeDataFile(path, r, false));

        LoggerRecord loaded;
        QString error;
        QCOMPARE(CFileManager::readDataFile(path, loaded, false, &error), loads);
        QCOMPARE(error.isEmpty(), loads);
        if (loads)
            QCOMPARE(loaded.readings, r.readings);
    }

    // A save that cannot write its file leaves the previous one as it was
    // and no partial file beside it, and says so; whoever runs the test.
    void failedSaveKeepsThePreviousFile()
    {
        const QString path = dir + "/keep.qlf";
        QVERIFY(CFileManager::writeDataFile(path, makeRecord(0x115, 10), false));
        const QByteArray before = TestEnv::readFile(path);
        const QStringList entries = QDir(dir).entryList(QDir::Files);
        bool written = true;
        QString error;
        {
            NoNewFiles noFiles;
            QVERIFY(noFiles.active());
            written = CFileManager::writeDataFile(path, makeRecord(0x115, 20), false, &error);
        }
        QVERIFY(!written);
        QVERIFY(error.contains("keep.qlf"));
        QCOMPARE(TestEnv::readFile(path), before);
        QCOMPARE(QDir(dir).entryList(QDir::Files), entries);

        // a path under a file
        QVERIFY(!CFileManager::writeDataFile(path + "/under-a-file.qlf", makeRecord(0x115, 20), false));
        QCOMPARE(TestEnv::readFile(path), before);
    }

    void nextFileNames()
    {
        TestCore core;
        CMainApp &app = core.app;
        LoggerRecord r = makeRecord(0x115, 1);
        QCOMPARE(app.nextDataFileName(r), QString());      // no default path yet
        const QString names = dir + "/names/QV123456_0007_";
        app.settings.defaultPath = dir + "/names";
        QDir().mkpath(app.settings.defaultPath);
        QCOMPARE(app.nextDataFileName(r), names + "000.qlf");
        for (const char *taken : { "000.qlf", "001.qlf", "000.txt", "001.pdf" })
            QVERIFY(TestEnv::writeFile(names + taken, ""));
        QCOMPARE(app.nextDataFileName(r), names + "002.qlf");
        QCOMPARE(app.nextPdfFileName(r), names + "000.pdf");
        // an export skips counters taken by its own kind or by a report
        QCOMPARE(app.nextExportFileName(r, "txt"), names + "002.txt");
        r.tripNumber = kUnlimitedTrips;
        QCOMPARE(app.nextDataFileName(r), app.settings.defaultPath + "/QV123456_000.qlf");
        r.serialNumber.clear();
        QCOMPARE(app.nextDataFileName(r), QString());
    }

    // The serial number is read from the logger or a drive file: whatever
    // it holds, the names made from it stay in the data folder, visible.
    void serialNumbersNeverSteerANameOutOfTheDataFolder_data()
    {
        QTest::addColumn<QString>("serial");
        QTest::newRow("parent folders") << "../../escaped";
        QTest::newRow("absolute path") << "/etc/passwd";
        QTest::newRow("back slashes and drive") << "C:\\Windows\\x";
        QTest::newRow("NUL and control characters") << QString::fromLatin1("QV\0\t\x01\x7F", 6);
        QTest::newRow("hidden file") << ".hidden";
        QTest::newRow("only dots") << "..";
        QTest::newRow("characters a file system refuses") << "a*b?c\"d<e>f|g";
    }
    void serialNumbersNeverSteerANameOutOfTheDataFolder()
    {
        QFETCH(QString, serial);
        TestCore core;
        CMainApp &app = core.app;
        QTemporaryDir steered(dir + "/steered-XXXXXX");
        app.settings.defaultPath = steered.filePath("data");
        QVERIFY(QDir().mkpath(app.settings.defaultPath));
        LoggerRecord r = makeRecord(0x115, 10);
        r.serialNumber = serial;
        app.records.append(r);
        const QStringList names{ app.nextDataFileName(r), app.nextPdfFileName(r),
                                 app.nextExportFileName(r, "txt"), app.nextExportFileName(r, "csv") };
        for (const QString &name : names) {
            const QFileInfo info(name);
            QCOMPARE(info.absolutePath(), QDir(app.settings.defaultPath).absolutePath());
            QVERIFY2(!info.fileName().startsWith('.'), qPrintable(name));
            for (const QChar c : info.fileName())
                QVERIFY2(c.isPrint() && !QStringLiteral("\\:*?\"<>|").contains(c), qPrintable(name));
        }
        QVERIFY(app.fileManager->writeDataFile(names.first(), 0));
        QCOMPARE(QDir(app.settings.defaultPath).entryList(QDir::Files | QDir::Hidden),
                 QStringList{ QFileInfo(names.first()).fileName() });
        QVERIFY(QDir(steered.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    void textExports()
    {
        const QStringList times{ "02/01/2026 03:04:05", "02/01/2026 03:05:05" };
        const QList<QStringList> values{ { "5.0", "45.1" }, { "-0.1", "a,b" } };
        const QString txt = dir + "/export.txt";
        QVERIFY(CFileManager::exportText(txt, times, values, true, 1, { "Temperature", "Humidity" }));
        QCOMPARE(TestEnv::readFile(txt), QByteArray("No.\tDate Time\tTemperature\tHumidity\r\n"
                                                    "1\t02/01/2026 03:04:05\t5.0\t45.1\r\n"
                                                    "2\t02/01/2026 03:05:05\t-0.1\ta,b\r\n"));
        const QString csv = dir + "/export.csv";
        QVERIFY(CFileManager::exportText(csv, times, values, true, 1));
        QCOMPARE(TestEnv::readFile(csv),
                 QByteArray("1,02/01/2026 03:04:05,5.0,45.1\r\n2,02/01/2026 03:05:05,-0.1,\"a,b\"\r\n"));
        QVERIFY(!CFileManager::exportText(dir + "/no/such/dir.csv", times, values, true, 1));
    }

    // The page's template round trip checks what it shows; here the fields
    // it does not, and never the password.
    void templatesRoundTrip()
    {
        LoggerRecord r = makeRecord(0x11A, 0);
        r.startAt = QDateTime(QDate(2026, 5, 1), QTime(8, 0));
        r.stopAt = QDateTime(QDate(2026, 5, 3), QTime(8, 0));
        r.startDelay = 600;
        r.stopReadingCount = 2880;
        r.duration = 172800;
        r.maxTrip = 50;
        const QString path = dir + "/program.xtp";
        QVERIFY(CFileManager::saveTemplate(path, r));
        QVERIFY(!TestEnv::readFile(path).contains("4321"));
        LoggerRecord t;
        QVERIFY(CFileManager::readTemplate(path, t));
        QCOMPARE(kept(t).mid(8), kept(r).mid(8));
        QCOMPARE(QList<QDateTime>({ t.startAt, t.stopAt }), QList<QDateTime>({ r.startAt, r.stopAt }));
        QCOMPARE(QList<qint64>({ t.startDelay, t.stopReadingCount, t.duration, t.maxTrip, t.passwordWord }),
                 QList<qint64>({ 600, 2880, 172800, 50, 0 }));

        // a template with a value its field cannot hold, a key missing or a
        // description longer than the logger's is refused whole, naming the
        // key: the record keeps every value it had
        const QByteArray saved = TestEnv::readFile(path);
        const QList<QPair<QByteArray, QByteArray>> faults {
            { "PRG_INTERVAL=60", "PRG_INTERVAL=-5" },
            { "ALARM_LOW=", "ALARM_LOW=abc\r\nX=" },
            { "MAX_TRIP=50", "MAX_TRIP=nan" },
            { "TOTAL_ALARM_DELAY_HUM=", "TOTAL_ALARM_DELAY_HUM=70000\r\nX=" },
            { "MODE=", "MODE=xyz\r\nX=" },
            { "PRG_START_DATE=", "PRG_START_DATE=someday\r\nX=" },
            { "DESCRIPTION=", "DESCRIPTION=Vaccines, cold room 4, shelf 12 of 20\r\nX=" },
        };
        for (const auto &fault : faults) {
            QByteArray edited = saved;
            QVERIFY2(edited.contains(fault.first), fault.first.constData());
            edited.replace(fault.first, fault.second);
            QVERIFY(TestEnv::writeFile(path, edited));
            LoggerRecord odd = t;
            odd.interval = 77;
            odd.description = QStringLiteral("The page's own");
            const QStringList before = kept(odd);
            QString why;
            QVERIFY2(!CFileManager::readTemplate(path, odd, &why), fault.second.constData());
            QVERIFY2(why.contains(QString::fromLatin1(fault.second.left(fault.second.indexOf('=')))), qPrintable(why));
            QCOMPARE(kept(odd), before);
            QCOMPARE(odd.maxTrip, t.maxTrip);
        }
        QVERIFY(TestEnv::writeFile(path, saved.left(saved.indexOf("PRG_INTERVAL"))));
        QString why;
        LoggerRecord cut = t;
        QVERIFY(!CFileManager::readTemplate(path, cut, &why));
        QVERIFY2(why.contains(QLatin1String("PRG_INTERVAL is missing")), qPrintable(why));
        LoggerRecord odd = t;
        // an image never wraps a limit it cannot hold
        odd.alarmThresholds[GroupInternal][LevelH] = 1e10;
        odd.alarmThresholds[GroupInternal][LevelL] = -1e10;
        LoggerRecord decoded;
        ImageCodec::decode(ImageCodec::encode(odd, QByteArray(768, '\0')), decoded);
        QCOMPARE(decoded.alarmThresholds[GroupInternal][LevelH], 327.67);
        QCOMPARE(decoded.alarmThresholds[GroupInternal][LevelL], -327.68);

        QVERIFY(TestEnv::writeFile(path, "not a template\r\n"));
        LoggerRecord untouched;
        QVERIFY(!CFileManager::readTemplate(path, untouched));
    }
};

MIRELDA_TEST_MAIN(TestDataFile)
#include "tst_datafile.moc"
