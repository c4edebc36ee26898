#include "support/testenv.h"

#include <QDir>
#include <QFile>

#include "core/byteorder.h"
#include "core/cmainapp.h"
#include "core/imagecodec.h"
#include "core/loggertime.h"
#include "core/memorymap.h"
#include "core/windowstate.h"
#include "files/cfilemanager.h"

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

QByteArray fileBytes(const QString &path)
{
    return TestEnv::readFile(path);
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QVERIFY(TestEnv::writeFile(path, bytes));
}

}

class TestDataFile : public QObject
{
    Q_OBJECT
private:
    QString dir = TestEnv::home() + "/data";

private slots:
    void initTestCase() { QDir().mkpath(dir); }

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
        QCOMPARE(loaded.versionWord, original.versionWord);
        QCOMPARE(loaded.readingCount, count);
        QCOMPARE(loaded.readings, original.readings);
        QCOMPARE(loaded.startTime, original.startTime);
        QCOMPARE(loaded.serialNumber, QString("QV123456"));
        QCOMPARE(loaded.productCode, QString("QV-5D"));
        QCOMPARE(loaded.description, QString("Pharma cold chain"));
        QCOMPARE(loaded.comment, QString("Truck 12 (jdoe)"));
        QCOMPARE(loaded.configWord, original.configWord);
        QCOMPARE(loaded.passwordWord, original.passwordWord);
        QCOMPARE(loaded.alarmStatus, original.alarmStatus);
        QCOMPARE(loaded.interval, quint32(60));
        QCOMPARE(loaded.alarmThresholds[GroupInternal][LevelH], 8.5);
        QCOMPARE(loaded.alarmThresholds[GroupHumidity][LevelHH], 95.25);
        QCOMPARE(loaded.totalDelay[GroupHumidity], quint16(250));
        QCOMPARE(loaded.imageRead, original.imageRead);
        QVERIFY(loaded.fromFile && loaded.dataLoaded);
        QVERIFY(loaded.portName.isEmpty());
        QCOMPARE(loaded.fileName, QString("round.qlf"));
        if (loaded.sampleCount() > 1)
            QCOMPARE(loaded.stopTime, original.startTime.addSecs(qint64(loaded.sampleCount() - 1) * 60));
    }

    void layoutOfTheFile()
    {
        const LoggerRecord r = makeRecord(0x115, 3);
        const QString path = dir + "/layout.qlf";
        QVERIFY(CFileManager::writeDataFile(path, r, true));
        const QByteArray b = fileBytes(path);
        QCOMPARE(ByteOrder::getBE16(b, 0), quint16(0x115));
        const quint32 textBytes = ByteOrder::getBE32(b, 2);
        int at = 6 + int(textBytes);
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
    }

    void tooManyReadingsForAnOldLogger()
    {
        const LoggerRecord r = makeRecord(0x114, 65536);
        QString error;
        const QString path = dir + "/old.qlf";
        QFile::remove(path);
        QVERIFY(!CFileManager::writeDataFile(path, r, false, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(path));
    }

    void badFilesAreRefusedWithAMessage_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("checkValue");
        QTest::newRow("truncated in the readings") << "truncate-readings" << false;
        QTest::newRow("truncated in the image") << "truncate-image" << false;
        QTest::newRow("empty") << "empty" << false;
        QTest::newRow("a text file") << "foreign" << false;
        QTest::newRow("count above 65,536") << "count" << false;
        QTest::newRow("flipped byte, check value on") << "flip" << true;
        QTest::newRow("no check value while required") << "strip" << true;
        QTest::newRow("huge string length") << "string" << false;
    }
    void badFilesAreRefusedWithAMessage()
    {
        QFETCH(QString, damage);
        QFETCH(bool, checkValue);
        const LoggerRecord r = makeRecord(0x115, 100);
        const QString path = dir + "/bad.qlf";
        QVERIFY(CFileManager::writeDataFile(path, r, checkValue && damage != "strip"));
        QByteArray b = fileBytes(path);
        const int countAt = 6 + int(ByteOrder::getBE32(b, 2)) + 6 + 768 + 4;
        if (damage == "truncate-readings")
            b.truncate(countAt + 4 + 50);
        else if (damage == "truncate-image")
            b.truncate(100);
        else if (damage == "empty")
            b.clear();
        else if (damage == "foreign")
            b = "Date;Time;Value\r\n01/01/2026;10:00;5.0\r\n";
        else if (damage == "count")
            ByteOrder::putBE32(b, countAt, 65537);
        else if (damage == "flip")
            b[countAt + 10] = char(b[countAt + 10] ^ 0x40);
        else if (damage == "string")
            ByteOrder::putBE32(b, 2, 0x7FFFFFF0);
        writeBytes(path, b);

        LoggerRecord loaded;
        loaded.serialNumber = "untouched";
        QString error;
        QVERIFY(!CFileManager::readDataFile(path, loaded, checkValue, &error));
        QVERIFY(error.startsWith("Warning!\n\n"));
        QVERIFY(error.contains("bad.qlf"));
        QCOMPARE(loaded.serialNumber, QString("untouched"));
    }

    void checkValueIgnoredWhileAdministrationIsOff()
    {
        const LoggerRecord r = makeRecord(0x115, 10);
        const QString path = dir + "/sum.qlf";
        QVERIFY(CFileManager::writeDataFile(path, r, true));
        LoggerRecord loaded;
        QVERIFY(CFileManager::readDataFile(path, loaded, false, nullptr));
        QCOMPARE(loaded.readings, r.readings);
    }

    void failedSaveKeepsThePreviousFile()
    {
        const QString path = dir + "/keep.qlf";
        QVERIFY(CFileManager::writeDataFile(path, makeRecord(0x115, 10), false));
        const QByteArray before = fileBytes(path);
        // a read-only directory makes the new write fail
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
        const bool written = CFileManager::writeDataFile(path, makeRecord(0x115, 20), false);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (written)
            QSKIP("running with rights that ignore directory permissions");
        QCOMPARE(fileBytes(path), before);
    }

    void coreSavesWithTheRecordIndex()
    {
        WindowState w;
        CMainApp app(&w);
        app.records << makeRecord(0x115, 5);
        const QString path = dir + "/core.qlf";
        QVERIFY(app.fileManager->writeDataFile(path, 0));
        QVERIFY(!app.fileManager->writeDataFile(path, 1));
        LoggerRecord loaded;
        QVERIFY(app.fileManager->readDataFile(path, loaded));
        QCOMPARE(loaded.readingCount, 5);
    }

    void nextFileNames()
    {
        WindowState w;
        CMainApp app(&w);
        LoggerRecord r = makeRecord(0x115, 1);
        QCOMPARE(app.nextDataFileName(r), QString());      // no default path yet
        app.settings.defaultPath = dir + "/names";
        QDir().mkpath(app.settings.defaultPath);
        QCOMPARE(app.nextDataFileName(r), app.settings.defaultPath + "/QV123456_0007_000.qlf");
        QFile(app.settings.defaultPath + "/QV123456_0007_000.qlf").open(QIODevice::WriteOnly);
        QFile(app.settings.defaultPath + "/QV123456_0007_001.qlf").open(QIODevice::WriteOnly);
        QCOMPARE(app.nextDataFileName(r), app.settings.defaultPath + "/QV123456_0007_002.qlf");
        QCOMPARE(app.nextPdfFileName(r), app.settings.defaultPath + "/QV123456_0007_000.pdf");
        // an export skips counters taken by its own kind or by a report
        QFile(app.settings.defaultPath + "/QV123456_0007_000.txt").open(QIODevice::WriteOnly);
        QFile(app.settings.defaultPath + "/QV123456_0007_001.pdf").open(QIODevice::WriteOnly);
        QCOMPARE(app.nextExportFileName(r, "txt"), app.settings.defaultPath + "/QV123456_0007_002.txt");
        r.tripNumber = kUnlimitedTrips;
        QCOMPARE(app.nextDataFileName(r), app.settings.defaultPath + "/QV123456_000.qlf");
        r.serialNumber.clear();
        QCOMPARE(app.nextDataFileName(r), QString());
    }

    void textExports()
    {
        const QStringList times{ "02/01/2026 03:04:05", "02/01/2026 03:05:05" };
        const QList<QStringList> values{ { "5.0", "45.1" }, { "-0.1", "a,b" } };
        const QString txt = dir + "/export.txt";
        QVERIFY(CFileManager::exportText(txt, times, values, true, 1, { "Temperature", "Humidity" }));
        QCOMPARE(QString::fromUtf8(fileBytes(txt)),
                 QString("No.\tDate Time\tTemperature\tHumidity\r\n"
                         "1\t02/01/2026 03:04:05\t5.0\t45.1\r\n"
                         "2\t02/01/2026 03:05:05\t-0.1\ta,b\r\n"));
        const QString csv = dir + "/export.csv";
        QVERIFY(CFileManager::exportText(csv, times, values, true, 1));
        QCOMPARE(QString::fromUtf8(fileBytes(csv)),
                 QString("1,02/01/2026 03:04:05,5.0,45.1\r\n2,02/01/2026 03:05:05,-0.1,\"a,b\"\r\n"));
        QVERIFY(!CFileManager::exportText(dir + "/no/such/dir.csv", times, values, true, 1));
    }

    void templatesRoundTrip()
    {
        LoggerRecord r = makeRecord(0x11A, 0);
        r.startAt = QDateTime(QDate(2026, 5, 1), QTime(8, 0));
        r.stopAt = QDateTime(QDate(2026, 5, 3), QTime(8, 0));
        r.startDelay = 600;
        r.stopReadingCount = 2880;
        r.duration = 172800;
        r.maxTrip = 50;
        r.alarmThresholds[GroupExternal][LevelLL] = -18.5;
        const QString path = dir + "/program.xtp";
        QVERIFY(CFileManager::saveTemplate(path, r));
        QVERIFY(fileBytes(path).startsWith("[TEMPLATE]\r\nPRODUCTION_CODE=QV-5D\r\n"));
        QVERIFY(!fileBytes(path).contains("4321"));     // the password never goes into a template

        LoggerRecord t;
        QVERIFY(CFileManager::readTemplate(path, t));
        QCOMPARE(t.productCode, r.productCode);
        QCOMPARE(t.description, r.description);
        QCOMPARE(t.configWord, r.configWord);
        QCOMPARE(t.alarmThresholds[GroupExternal][LevelLL], -18.5);
        QCOMPARE(t.alarmThresholds[GroupHumidity][LevelHH], 95.25);
        QCOMPARE(t.totalDelay[GroupHumidity], quint16(250));
        QCOMPARE(t.interval, quint32(60));
        QCOMPARE(t.startAt, r.startAt);
        QCOMPARE(t.stopAt, r.stopAt);
        QCOMPARE(t.startDelay, quint32(600));
        QCOMPARE(t.stopReadingCount, 2880);
        QCOMPARE(t.duration, quint32(172800));
        QCOMPARE(t.maxTrip, 50);
        QCOMPARE(t.passwordWord, quint32(0));

        // values a field cannot hold keep the record's own
        writeBytes(path, "[TEMPLATE]\r\nALARM_HIGH=1e10\r\nPRG_INTERVAL=-5\r\nMAX_TRIP=nan\r\n"
                         "TOTAL_ALARM_DELAY_HUM=70000\r\nPRG_STOP_READING=12\r\n");
        LoggerRecord odd = t;
        QVERIFY(CFileManager::readTemplate(path, odd));
        QCOMPARE(odd.alarmThresholds[GroupInternal][LevelH], t.alarmThresholds[GroupInternal][LevelH]);
        QCOMPARE(odd.interval, t.interval);
        QCOMPARE(odd.maxTrip, t.maxTrip);
        QCOMPARE(odd.totalDelay[GroupHumidity], t.totalDelay[GroupHumidity]);
        QCOMPARE(odd.stopReadingCount, 12);
        // an image never wraps a limit it cannot hold
        odd.alarmThresholds[GroupInternal][LevelH] = 1e10;
        odd.alarmThresholds[GroupInternal][LevelL] = -1e10;
        LoggerRecord decoded;
        ImageCodec::decode(ImageCodec::encode(odd, QByteArray(768, '\0')), decoded);
        QCOMPARE(decoded.alarmThresholds[GroupInternal][LevelH], 327.67);
        QCOMPARE(decoded.alarmThresholds[GroupInternal][LevelL], -327.68);

        writeBytes(path, "not a template\r\n");
        LoggerRecord untouched;
        QVERIFY(!CFileManager::readTemplate(path, untouched));
    }
};

MIRELDA_TEST_MAIN(TestDataFile)
#include "tst_datafile.moc"
