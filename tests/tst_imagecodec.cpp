// The logger's configuration block in both layouts and a few wire frames,
// against bytes written out by hand from the memory map: the codec and the
// frame builders are checked against what a logger holds and sends, not
// against themselves (the simulator uses the same codec).
#include "support/testenv.h"

#include "core/ccomm.h"
#include "core/cgestionserie.h"
#include "core/imagecodec.h"
#include "core/loggerrecord.h"

namespace {

QByteArray text(const char *value, int length)
{
    QByteArray field(value);
    return field + QByteArray(length - field.size(), '\0');
}

// The text fields and the bytes between them are the same in both layouts.
QByteArray block0Tail()
{
    return QByteArray::fromHex("D8" "55" "57" "01" "FD" "01")   // 0x60 range -40/85, battery 87 %, Fahrenheit, UTC-3, header
           + QByteArray(10, '\0')                               // 0x66 unused
           + text("QV-5D", 16)                                  // 0x70 product code
           + text("Vaccines Lyon - Porto", 32)                  // 0x80 description
           + text("QA-0042", 16)                                // 0xA0 serial number
           + text("Checked at dock 3", 32)                      // 0xB0 comment
           + text("jdupont", 16)                                // 0xD0 configured by
           + QByteArray(32, '\0');                              // 0xE0 unused
}

// Layout 1 (firmware 0x118): every field big-endian.
QByteArray layout1Block0()
{
    return QByteArray::fromHex(
               "0118" "0205" "05000013" "8A5A1267"              // 0x00 version, model, configuration, password 4711
               "0000012C" "30FB6208" "31027F20" "00000E10"      // 0x0C interval 300 s, start, stop, start delay 1 h
               "00003E80" "00020000" "0007" "270F"              // 0x1C stop after 16000, memory 128 KiB, trip 7 of 9999
               "000004D2" "00000006"                            // 0x28 recorded 1234, alarm status HH and H
               "0BB8" "0320" "00C8" "FDDA"                      // 0x30 internal 30.00 8.00 2.00 -5.50
               "0FA0" "09F6" "FC18" "F817"                      // 0x38 external 40.00 25.50 -10.00 -20.25
               "2328" "1D4C" "0BB8" "03E8"                      // 0x40 humidity 90.00 75.00 30.00 10.00
               "0003" "0005" "00FE"                             // 0x48 consecutive delays
               "000C" "0014" "0064"                             // 0x4E total delays
               "FF83" "F448" "04E2"                             // 0x54 lowest -1.25 -30.00 12.50
               "03E7" "157C" "22B0")                            // 0x5A highest 9.99 55.00 88.80
           + block0Tail();
}

// Layout 2 (firmware 0x11A): the same values with the numeric fields
// little-endian, except the version word and the alarm status.
QByteArray layout2Block0()
{
    return QByteArray::fromHex(
               "011A" "0502" "13000005" "67125A8A"
               "2C010000" "0862FB30" "207F0231" "100E0000"
               "803E0000" "00000200" "0700" "0F27"
               "D2040000" "00000006"
               "B80B" "2003" "C800" "DAFD"
               "A00F" "F609" "18FC" "17F8"
               "2823" "4C1D" "B80B" "E803"
               "0300" "0500" "FE00"
               "0C00" "1400" "6400"
               "83FF" "48F4" "E204"
               "E703" "7C15" "B022")
           + block0Tail();
}

// The whole image: block 0, empty calibration tables, and the sensor flags
// (internal NTC and digital sensor) at 0x285.
QByteArray image(const QByteArray &block0)
{
    QByteArray whole = block0 + QByteArray(512, '\0');
    whole[0x285] = '\x05';
    return whole;
}

QDateTime wallTime(int year, int month, int day, int hour, int minute)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::LocalTime);
}

// The record the hand-written blocks describe.
LoggerRecord describedLogger(quint16 version)
{
    LoggerRecord r;
    r.versionWord = version;
    r.modelWord = 0x0205;
    r.configWord = 0x05000013;
    r.passwordWord = 0x8A5A1267;
    r.interval = 300;
    r.startAt = wallTime(2026, 1, 15, 8, 30);
    r.stopAt = wallTime(2026, 1, 20, 18, 0);
    r.startDelay = 3600;
    r.stopReadingCount = 16000;
    r.memorySize = 0x20000;
    r.tripNumber = 7;
    r.maxTrip = 9999;
    r.recordedCount = 1234;
    r.alarmStatus = 0x06;
    const double thresholds[3][4] = { { 30.0, 8.0, 2.0, -5.5 }, { 40.0, 25.5, -10.0, -20.25 }, { 90.0, 75.0, 30.0, 10.0 } };
    const quint16 consecutive[3] = { 3, 5, 254 };
    const quint16 total[3] = { 12, 20, 100 };
    const float lowest[3] = { -1.25f, -30.0f, 12.5f };
    const float highest[3] = { 9.99f, 55.0f, 88.8f };
    for (int g = 0; g < 3; ++g) {
        for (int level = 0; level < 4; ++level)
            r.alarmThresholds[g][level] = thresholds[g][level];
        r.consecutiveDelay[g] = consecutive[g];
        r.totalDelay[g] = total[g];
        r.lowestValue[g] = lowest[g];
        r.highestValue[g] = highest[g];
    }
    r.rangeLow = -40;
    r.rangeHigh = 85;
    r.battery = 87;
    r.unitProgrammed = 1;
    r.timeZoneProgrammed = -3;
    r.hasHeader = true;
    r.productCode = QStringLiteral("QV-5D");
    r.description = QStringLiteral("Vaccines Lyon - Porto");
    r.serialNumber = QStringLiteral("QA-0042");
    r.comment = QStringLiteral("Checked at dock 3");
    r.configuredBy = QStringLiteral("jdupont");
    r.sensorFlags = 0x05;
    return r;
}

// The decoded fields as text, hundredths rounded, for one comparison that
// names the field that differs.
QStringList fields(const LoggerRecord &r)
{
    QStringList out;
    const auto hex = [](quint64 value) { return QString::number(value, 16); };
    out << hex(r.versionWord) << hex(r.modelWord) << hex(r.configWord) << hex(r.passwordWord)
        << QString::number(r.interval) << r.startAt.toString(Qt::ISODate) << r.stopAt.toString(Qt::ISODate)
        << QString::number(r.startDelay) << QString::number(r.stopReadingCount) << hex(r.memorySize)
        << QString::number(r.tripNumber) << QString::number(r.maxTrip) << QString::number(r.recordedCount)
        << hex(r.alarmStatus);
    for (int g = 0; g < 3; ++g) {
        for (int level = 0; level < 4; ++level)
            out << QString::number(r.alarmThresholds[g][level], 'f', 2);
        out << QString::number(r.consecutiveDelay[g]) << QString::number(r.totalDelay[g])
            << QString::number(r.lowestValue[g], 'f', 2) << QString::number(r.highestValue[g], 'f', 2);
    }
    out << QString::number(r.rangeLow) << QString::number(r.rangeHigh) << QString::number(r.battery)
        << QString::number(r.unitProgrammed) << QString::number(r.timeZoneProgrammed)
        << QString::number(r.hasHeader) << r.productCode << r.description << r.serialNumber << r.comment
        << r.configuredBy << hex(r.sensorFlags);
    return out;
}

}

class TestImageCodec : public QObject
{
    Q_OBJECT
private slots:
    void handWrittenBlocks_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QByteArray>("golden");
        QTest::newRow("layout 1, big-endian") << 0x118 << image(layout1Block0());
        QTest::newRow("layout 2, little-endian fields") << 0x11A << image(layout2Block0());
    }
    void handWrittenBlocks()
    {
        QFETCH(int, version);
        QFETCH(QByteArray, golden);
        QCOMPARE(golden.size(), 768);

        LoggerRecord decoded;
        ImageCodec::decode(golden, decoded);
        QCOMPARE(fields(decoded), fields(describedLogger(quint16(version))));
        QCOMPARE(decoded.imageRead, golden);
        // internal temperature and humidity on, of a digital sensor
        QCOMPARE(decoded.channelCount, 2);

        const QByteArray encoded = ImageCodec::encode(describedLogger(quint16(version)), QByteArray(768, '\0'));
        for (int i = 0; i < golden.size(); ++i)
            QVERIFY2(encoded.at(i) == golden.at(i),
                     qPrintable(QStringLiteral("byte 0x%1: %2, expected %3")
                                    .arg(i, 3, 16, QLatin1Char('0'))
                                    .arg(quint8(encoded.at(i)), 2, 16, QLatin1Char('0'))
                                    .arg(quint8(golden.at(i)), 2, 16, QLatin1Char('0'))));
        QCOMPARE(encoded.size(), golden.size());
    }

    // A firmware up to 0x114 has the internal sensor only, whatever the
    // byte at 0x285 holds; a password word without its marker is none.
    void oldFirmwareAndUnmarkedPassword()
    {
        QByteArray golden = image(layout1Block0());
        golden[0x01] = '\x14';
        golden[0x08] = '\x80';
        golden[0x09] = '\x00';
        LoggerRecord decoded;
        ImageCodec::decode(golden, decoded);
        QCOMPARE(decoded.versionWord, quint16(0x114));
        QCOMPARE(decoded.sensorFlags, quint8(0x01));
        QCOMPARE(decoded.passwordWord, 0u);
        QCOMPARE(decoded.channelCount, 1);
    }

    // Frames as they go on the line, spelled out.
    void outgoingFrames()
    {
        QCOMPARE(CComm::commandFrame(0x0C), QStringLiteral(".0C\r\n"));
        QCOMPARE(CComm::command32Frame(0x06, 0x30FB6208), QStringLiteral(".0630FB6208\r\n"));
        QCOMPARE(CComm::readMemoryFrame(0x100, 0x40), QStringLiteral(".0301000040\r\n"));
        // twenty bytes at 0x00F8: sixteen, then four at 0x0108
        QByteArray bytes;
        for (int i = 0; i < 20; ++i)
            bytes += char(0xA0 + i);
        QCOMPARE(CComm::writeMemoryFrames(0xF8, bytes),
                 QStringList({ ".0400F810A0A1A2A3A4A5A6A7A8A9AAABACADAEAF\r\n", ".04010804B0B1B2B3\r\n" }));
    }

    // A logger's reply to the end command: its image in ".03" frames of 64
    // bytes, here the layout-2 block of the hand-written image with a frame
    // split across two reads, decoded into the record by the core.
    void imageReplyFromTheWire()
    {
        const QByteArray golden = image(layout2Block0());
        QByteArray wire;
        for (int at = 0; at < 768; at += 64)
            wire += ".03" + QByteArray::number(at, 16).toUpper().rightJustified(4, '0')
                    + golden.mid(at, 64).toHex().toUpper() + "\r\n";
        QVERIFY(wire.startsWith(".030000011A050213000005"));
        CGestionSerie decoder;
        decoder.expectMemory(0, 768, true);
        decoder.dispatchReply(wire.left(1000));
        decoder.dispatchReply(wire.mid(1000));
        const QList<LinkResult> results = decoder.takeResults();
        QCOMPARE(results.size(), 1);
        QCOMPARE(results.first().kind, LinkResult::Image);
        QCOMPARE(results.first().data, golden);
    }
};

MIRELDA_TEST_MAIN(TestImageCodec)
#include "tst_imagecodec.moc"
