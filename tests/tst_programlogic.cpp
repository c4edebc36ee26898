// The programming logic that needs no logger: what goes on the line, the
// bounds of a program, how a transfer ends, templates and tables.
#include "support/testenv.h"

#include "core/imagecodec.h"
#include "core/loggerrecord.h"
#include "core/loggertime.h"
#include "core/memorymap.h"
#include "programming/calibrationtable.h"
#include "programming/programimage.h"
#include "programming/productionpanel.h"
#include "programming/programlimits.h"
#include "programming/templatecheck.h"
#include "programming/transferwatch.h"

namespace {

LoggerRecord programmedLogger(quint16 version)
{
    LoggerRecord r;
    r.versionWord = version;
    r.sensorFlags = SensorBits::DigitalTempHum;
    r.configWord = ConfigBits::InternalOn | ConfigBits::HumidityOn | ConfigBits::StartDelay;
    r.interval = 300;
    r.productCode = QStringLiteral("QV-5D");
    r.description = QStringLiteral("Vaccines to Porto");
    r.serialNumber = QStringLiteral("LOGIC-01");
    r.alarmThresholds[GroupInternal][LevelHH] = 8.0;
    r.memorySize = 0x10000 + 768;
    r.hasHeader = true;
    r.imageRead = ImageCodec::encode(r, QByteArray(MemoryMap::ImageSize, '\0'));
    return r;
}

int coveredBytes(const QList<ProgramImage::Span> &spans)
{
    int n = 0;
    for (const ProgramImage::Span &span : spans)
        n += span.data.size();
    return n;
}

TransferWatch::Seen emptyQueue(qint64 nowMs)
{
    TransferWatch::Seen seen;
    seen.nowMs = nowMs;
    return seen;
}

}

class TestProgramLogic : public QObject
{
    Q_OBJECT
private slots:
    void aProgramTheLoggerCannotRunSaysWhatToChange_data()
    {
        QTest::addColumn<quint32>("configWord");
        QTest::addColumn<quint32>("interval");
        QTest::addColumn<int>("stopAfterStartMinutes");   // Stop At from the start, in minutes
        QTest::addColumn<QString>("advice");              // "" when the logger can run it
        const quint32 at = ConfigBits::StartAt | ConfigBits::InternalOn;
        const quint32 wait = ConfigBits::StartDelay | ConfigBits::HumidityOn;
        QTest::newRow("runs at a time") << at << 600u << 0 << "";
        QTest::newRow("runs after a wait") << wait << 5u << 0 << "";
        QTest::newRow("stops after its time start") << (at | ConfigBits::StopAt) << 600u << 60 << "";
        QTest::newRow("stops after its wait") << (wait | ConfigBits::StopAt) << 600u << 60 << "";
        QTest::newRow("interval 4 s") << at << 4u << 0 << "between 00h00m05s and 11h59m59s";
        QTest::newRow("interval over 12 h") << wait << 43200u << 0 << "between 00h00m05s and 11h59m59s";
        QTest::newRow("no start") << ConfigBits::ExternalOn << 600u << 0 << "Check At (a date and time) or Wait";
        QTest::newRow("no sensor") << ConfigBits::StartDelay << 600u << 0 << "Check Enable Sensor";
        QTest::newRow("two starts") << (at | wait) << 600u << 0 << "Uncheck the start you do not want";
        QTest::newRow("stop before the start time") << (at | ConfigBits::StopAt) << 600u << -10
                                                    << "Set Stop At later";
        QTest::newRow("stop at the start time") << (at | ConfigBits::StopAt) << 600u << 0
                                                << "Set Stop At later";
        QTest::newRow("stop within the wait") << (wait | ConfigBits::StopAt) << 600u << -1
                                              << "Set Stop At later";
    }

    void aProgramTheLoggerCannotRunSaysWhatToChange()
    {
        QFETCH(quint32, configWord);
        QFETCH(quint32, interval);
        QFETCH(int, stopAfterStartMinutes);
        QFETCH(QString, advice);
        const QDateTime now(QDate(2026, 3, 1), QTime(10, 0));
        LoggerRecord program;
        program.configWord = configWord;
        program.interval = interval;
        program.startAt = now.addSecs(3600);
        program.startDelay = 7200;   // the wait starts at the earliest now
        const QDateTime start = (configWord & ConfigBits::StartAt) ? program.startAt : now.addSecs(7200);
        program.stopAt = start.addSecs(60 * stopAfterStartMinutes);
        const QString refusal = ProgramLimits::unrunnableProgram(program, now);
        if (advice.isEmpty())
            QCOMPARE(refusal, QString());
        else
            QVERIFY2(refusal.startsWith(QStringLiteral("Warning!\n\n")) && refusal.contains(advice),
                     qPrintable(refusal));
    }

    // Factory Init warns of readings the station has not got yet.
    void readingsNotDownloadedAreThoseBeyondTheDownload()
    {
        LoggerRecord r;
        QVERIFY(!ProductionPanel::holdsReadingsNotDownloaded(r));   // an empty memory
        r.recordedCount = 300;
        QVERIFY(ProductionPanel::holdsReadingsNotDownloaded(r));
        r.dataLoaded = true;
        r.readingCount = 300;
        QVERIFY(!ProductionPanel::holdsReadingsNotDownloaded(r));
        r.recordedCount = 320;   // it went on recording after the download
        QVERIFY(ProductionPanel::holdsReadingsNotDownloaded(r));
        QVERIFY(ProductionPanel::factoryInitQuestion(r).contains(QStringLiteral("320 readings")));
        QCOMPARE(ProductionPanel::readingsNotDownloaded(r), 20u);
        r.programSentSinceDownload = true;   // all it holds is a trip begun since
        QCOMPARE(ProductionPanel::readingsNotDownloaded(r), 320u);
    }

    // The simulator's tests program layout 2 over an image read; here
    // layout 1, and a logger whose image was never read.
    void onlyChangedBytesGoOnTheLine()
    {
        LoggerRecord r = programmedLogger(0x115);
        const QByteArray logger = ProgramImage::build(r, r.imageRead);
        QVERIFY(ProgramImage::changedSpans(logger, logger, 0, 256).isEmpty());
        r.description = QStringLiteral("Xaccines to Porto, cold room 12");
        const QByteArray target = ProgramImage::build(r, logger);
        const QList<ProgramImage::Span> spans = ProgramImage::changedSpans(logger, target, 0, 256);
        QVERIFY(!spans.isEmpty() && spans.size() <= 2);
        QByteArray applied = logger;
        for (const ProgramImage::Span &span : spans)
            applied.replace(span.address, span.data.size(), span.data);
        QCOMPARE(applied, target);

        const QList<ProgramImage::Span> all = ProgramImage::changedSpans(QByteArray(), target, 0, 256);
        QCOMPARE(all.size(), 16);
        QCOMPARE(coveredBytes(all), 256);
    }

    // The image read back holds the program written whatever the logger
    // keeps itself (a new trip's count, alarms, extremes, battery), not
    // with a byte of the program changed.
    void aReadBackHoldsTheProgram()
    {
        LoggerRecord r = programmedLogger(0x11A);
        const QByteArray program = ProgramImage::build(r, r.imageRead);
        QByteArray held = program;
        for (int address : { MemoryMap::RecordedCount + 3, MemoryMap::AlarmStatus, MemoryMap::LowestValues,
                             MemoryMap::HighestValues + 5, MemoryMap::Battery })
            held[address] = char(held.at(address) ^ 0x5A);
        QVERIFY(ProgramImage::holdsProgram(held, program));
        held[MemoryMap::Description] = 'X';
        QVERIFY(!ProgramImage::holdsProgram(held, program));
        QVERIFY(!ProgramImage::holdsProgram(QByteArray(), program));
    }

    void builtImageKeepsThePasswordAsThePageStoresIt()
    {
        LoggerRecord r = programmedLogger(0x11A);
        r.passwordWord = 4711 | PasswordBits::WriteWithout;   // as the page stores it
        LoggerRecord back;
        ImageCodec::decode(ProgramImage::build(r, r.imageRead), back);
        QCOMPARE(back.passwordWord & PasswordBits::PasswordMask, 4711u);
        QVERIFY(back.passwordWord & PasswordBits::WriteWithout);

        r.passwordWord = 0;
        ImageCodec::decode(ProgramImage::build(r, r.imageRead), back);
        QCOMPARE(back.passwordWord, 0u);
    }

    void alarmLimitsAreBroughtIntoRangeAndOrder()
    {
        const bool all[4] = { true, true, true, true };
        double limits[4] = { 90.0, 25.0, 30.0, -60.0 };   // HH over the range, L over H, LL under
        QVERIFY(ProgramLimits::correctAlarmLimits(limits, all, -40, 85));
        QCOMPARE(limits[0], 85.0);
        QCOMPARE(limits[1], 25.0);
        QCOMPARE(limits[2], 25.0);
        QCOMPARE(limits[3], -40.0);

        // a level that is off takes no part in the order
        const bool noH[4] = { true, false, true, true };
        double spare[4] = { 10.0, 99.0, 5.0, 0.0 };
        QVERIFY(ProgramLimits::correctAlarmLimits(spare, noH, 0, 100) == false);
        QCOMPARE(spare[1], 99.0);

        double fine[4] = { 8.0, 6.0, 2.0, 1.0 };
        QVERIFY(!ProgramLimits::correctAlarmLimits(fine, all, -40, 85));
        double unknownRange[4] = { 500.0, 6.0, 2.0, 1.0 };
        QVERIFY(!ProgramLimits::correctAlarmLimits(unknownRange, all, 0, 0));
    }

    void programBounds()
    {
        QCOMPARE(ProgramLimits::parsePassword(QStringLiteral("65535")), quint16(65535));
        QCOMPARE(ProgramLimits::parsePassword(QStringLiteral("65536")), quint16(0));
        QCOMPARE(ProgramLimits::parsePassword(QStringLiteral("12ab")), quint16(0));

        const quint32 delay = 22 * 86400 + 3 * 3600 + 15 * 60;
        QCOMPARE(ProgramLimits::delayToEditor(delay).toString(QStringLiteral("yy'd' HH':'mm")),
                 QStringLiteral("22d 03:15"));
        QCOMPARE(ProgramLimits::editorToDelay(ProgramLimits::delayToEditor(delay)), delay);

        const QDateTime now(QDate(2026, 3, 1), QTime(12, 0));
        QVERIFY(ProgramLimits::startTimePassed(now.addSecs(300), now));
        QVERIFY(!ProgramLimits::startTimePassed(now.addSecs(301), now));
        QVERIFY(ProgramLimits::startTimePassed(QDateTime(), now));
        QVERIFY(!ProgramLimits::noProgramsLeft(12000, 9999));   // no maximum
        QCOMPARE(ProgramLimits::clampInterval(4), 5);
        QCOMPARE(ProgramLimits::clampInterval(5), 5);

        LoggerRecord small;
        small.memorySize = 4096;
        QCOMPARE(ProgramLimits::maxReadings(small), 2048);
        QCOMPARE(ProgramLimits::maxStartDelayDays(small), 22);
        small.hasHeader = true;
        QCOMPARE(ProgramLimits::maxReadings(small), (4096 - 768) / 2);
    }

    void programmingEndsOnlyWithTheLoggersConfirmation()
    {
        TransferWatch watch;
        watch.start(TransferWatch::Programming, true);
        TransferWatch::Seen seen = emptyQueue(1000);
        seen.queueLength = 4;
        QCOMPARE(watch.step(seen), TransferWatch::Progress);
        seen = emptyQueue(1000);
        seen.clockReplyPending = true;
        QCOMPARE(watch.step(seen), TransferWatch::Waiting);
        seen.clockReplyPending = false;
        seen.clockConfirmed = true;
        QCOMPARE(watch.step(seen), TransferWatch::Unconfirmed);   // the image came back unmarked
        seen.programReadBack = true;
        QCOMPARE(watch.step(seen), TransferWatch::Succeeded);

        // a logger that does not answer the clock is no confirmation
        watch.start(TransferWatch::Programming, true);
        seen = emptyQueue(0);
        seen.clockReplyPending = true;
        QCOMPARE(watch.step(seen), TransferWatch::Waiting);
        seen.nowMs = TransferWatch::ClockReplyMs + 1;
        QCOMPARE(watch.step(seen), TransferWatch::Unconfirmed);
        watch.start(TransferWatch::EepromWrite, true);
        seen.nowMs = 0;
        QCOMPARE(watch.step(seen), TransferWatch::Waiting);
        seen.nowMs = TransferWatch::ClockReplyMs + 1;
        QCOMPARE(watch.step(seen), TransferWatch::Failed);
    }

    void eachKindEndsItsOwnWay()
    {
        TransferWatch watch;
        TransferWatch::Seen dropped = emptyQueue(0);
        dropped.writeDropped = true;
        watch.start(TransferWatch::Programming, true);
        QCOMPARE(watch.step(dropped), TransferWatch::Unconfirmed);
        watch.start(TransferWatch::CalibrationTable, false);
        QCOMPARE(watch.step(dropped), TransferWatch::Failed);

        // a read never sets the clock: it ends when its data is in, or fails
        watch.start(TransferWatch::EepromRead, false);
        TransferWatch::Seen seen = emptyQueue(0);
        QCOMPARE(watch.step(seen), TransferWatch::Waiting);
        seen.nowMs = TransferWatch::DataReplyMs + 1;
        QCOMPARE(watch.step(seen), TransferWatch::Failed);
        watch.start(TransferWatch::EepromRead, false);
        seen = emptyQueue(0);
        seen.dataArrived = true;
        QCOMPARE(watch.step(seen), TransferWatch::Succeeded);
    }

    // A limit is taken from a template only as its field, in the unit the
    // page shows, would write it back.
    void aLimitIsOneItsFieldHolds_data()
    {
        QTest::addColumn<double>("limit");
        QTest::addColumn<bool>("temperature");
        QTest::addColumn<bool>("celsius");
        QTest::addColumn<bool>("held");
        QTest::newRow("25.0 °C") << 25.0 << true << true << true;
        QTest::newRow("24.99 °C, shown 25.0") << 24.99 << true << true << false;
        QTest::newRow("24.987, beyond hundredths") << 24.987 << true << false << false;
        QTest::newRow("25.06 typed as 77.1 °F") << 25.06 << true << false << true;
        QTest::newRow("25.06 in °C, shown 25.1") << 25.06 << true << true << false;
        QTest::newRow("55.5 % in a °F page") << 55.5 << false << false << true;
    }

    void aLimitIsOneItsFieldHolds()
    {
        QFETCH(double, limit);
        QFETCH(bool, temperature);
        QFETCH(bool, celsius);
        QFETCH(bool, held);
        QCOMPARE(ProgramLimits::limitFieldHolds(limit, temperature, celsius), held);
    }

    void templatesSuitTheirModel()
    {
        const LoggerRecord logger = programmedLogger(0x11A);
        LoggerRecord templ;
        templ.configWord = ConfigBits::InternalOn | ConfigBits::HumidityOn;
        templ.productCode = QStringLiteral("QV-5D ");
        QVERIFY(TemplateCheck::suits(templ, logger));
        // the model is the code as the logger stores it
        for (const char *code : { "qv-5d", "", "QV-7T" }) {
            templ.productCode = QLatin1String(code);
            QVERIFY2(!TemplateCheck::suits(templ, logger), code);
        }
        templ.productCode = logger.productCode;
        templ.configWord |= ConfigBits::ExternalOn;   // no probe on this logger
        QVERIFY(!TemplateCheck::suits(templ, logger));

        const quint32 counted = ConfigBits::InternalOn | ConfigBits::StopAfterReadings;
        QVERIFY(TemplateCheck::lockedProgramSuits(counted, logger.memorySize, 60000, logger));
        LoggerRecord small = logger;
        small.memorySize = 8192 + 768;
        QVERIFY(!TemplateCheck::lockedProgramSuits(counted, logger.memorySize, 60000, small));
    }

    void calibrationTableListingAndCheck()
    {
        QVector<qint16> points;
        for (int i = 0; i < CalibrationTable::PointCount; ++i)
            points << qint16(-400 + 10 * i);
        QByteArray table = CalibrationTable::make(-40, 85, -400, 10, points);
        QVERIFY(CalibrationTable::isValid(table));
        const QStringList lines = CalibrationTable::listing(table);
        QCOMPARE(lines.size(), 3 + CalibrationTable::PointCount + 1);
        QCOMPARE(lines.at(0), QStringLiteral("Range -40/85"));
        QCOMPARE(lines.at(2), QStringLiteral("LowDiv   10"));
        QCOMPARE(lines.at(4), QStringLiteral("  1 :   -390"));
        // the 16-bit sum of the 254 bytes before it: -40, 85, -400, 10 and
        // the points -400, -390 ... 830, each big-endian
        QCOMPARE(lines.last(), QStringLiteral("Check:  68F3"));
        QCOMPARE(table.mid(254), QByteArray::fromHex("68F3"));
        table[20] = char(table.at(20) + 1);
        QVERIFY(!CalibrationTable::isValid(table));
        QVERIFY(!CalibrationTable::isValid(table.left(255)));
    }

    // From firmware 0x115 on, byte 645 of the image is the logger's sensor
    // flags and also the low byte of the external table's point 63: a table
    // that would change it is refused, and the listing shows the flags there,
    // under the check of the bytes the logger holds.
    void externalTableByteOfTheSensorFlags_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("pointLowByte");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("line63");
        QTest::newRow("external, flags kept") << MemoryMap::ExternalTable << 0x11A << 0x05 << false
                                              << "Sensor flags 05";
        QTest::newRow("external, flags changed") << MemoryMap::ExternalTable << 0x11A << 0x21 << true
                                                 << "Sensor flags 05";
        QTest::newRow("external, firmware without flags") << MemoryMap::ExternalTable << 0x114 << 0x21 << false
                                                          << " 63 :    289";
        QTest::newRow("internal") << MemoryMap::InternalTable << 0x11A << 0x21 << false << " 63 :    289";
    }

    void externalTableByteOfTheSensorFlags()
    {
        QFETCH(int, address);
        QFETCH(int, version);
        QFETCH(int, pointLowByte);
        QFETCH(bool, refused);
        QFETCH(QString, line63);
        QVector<qint16> points(CalibrationTable::PointCount, 7);
        points[CalibrationTable::SensorFlagsPoint] = qint16(0x0100 | pointLowByte);
        const QByteArray table = CalibrationTable::make(-40, 85, -400, 10, points);
        QByteArray image(MemoryMap::ImageSize, '\0');
        image[MemoryMap::SensorFlags] = char(0x05);
        QCOMPARE(CalibrationTable::overwritesSensorFlags(table, address, image, quint16(version)), refused);

        // what the logger holds: a table written as given, or (the fault
        // that the refusal prevents) one whose point took the flags
        QByteArray held = table;
        if (CalibrationTable::holdsSensorFlags(address, quint16(version)))
            held[CalibrationTable::SensorFlagsByte] = image.at(MemoryMap::SensorFlags);
        const QStringList lines =
            CalibrationTable::listing(held, CalibrationTable::holdsSensorFlags(address, quint16(version)));
        QCOMPARE(lines.at(3 + CalibrationTable::SensorFlagsPoint), line63);
        const QString check = QString::asprintf("Check:  %04X", unsigned(CalibrationTable::computedCheck(held)));
        const QString stored = QString::asprintf(" (stored %04X)", unsigned(CalibrationTable::storedCheck(table)));
        QCOMPARE(lines.last(), refused ? check + stored : check);
    }
};

MIRELDA_TEST_MAIN(TestProgramLogic)
#include "tst_programlogic.moc"
