#include "support/testenv.h"

#include "core/byteorder.h"
#include "core/loggerrecord.h"
#include "core/loggertime.h"

class TestLoggerRecord : public QObject
{
    Q_OBJECT
private slots:

    void loggerSecondsRoundTrip()
    {
        QCOMPARE(LoggerTime::toDateTime(0), QDateTime(QDate(2000, 1, 1), QTime(0, 0), Qt::LocalTime));
        // inside a DST gap in Paris
        const quint32 s = LoggerTime::fromDateTime(QDateTime(QDate(2026, 3, 29), QTime(2, 30), Qt::UTC));
        QCOMPARE(LoggerTime::toDateTime(s).time(), QTime(2, 30));
        QCOMPARE(LoggerTime::toDateTime(86400 + 3661), QDateTime(QDate(2000, 1, 2), QTime(1, 1, 1), Qt::LocalTime));
        QCOMPARE(LoggerTime::fromDateTime(QDateTime(QDate(2000, 1, 2), QTime(1, 1, 1))), quint32(86400 + 3661));
        QCOMPARE(LoggerTime::fromDateTime(QDateTime()), quint32(0));
    }

    void packedDateTime()
    {
        const QDateTime t(QDate(2023, 7, 13), QTime(23, 59, 58));
        const quint32 packed = LoggerTime::pack(t);
        QCOMPARE(packed >> 27, quint32(23));
        QCOMPARE(packed & 0x3F, quint32(23));
        QCOMPARE(LoggerTime::unpack(packed), t);
    }

    void byteOrder()
    {
        QByteArray data(6, '\0');
        ByteOrder::putBE32(data, 0, 0x01020304);
        QCOMPARE(data.left(4), QByteArray("\x01\x02\x03\x04", 4));
        QCOMPARE(ByteOrder::getLE32(data, 0), quint32(0x04030201));
        ByteOrder::swap16(data, 0);
        QCOMPARE(ByteOrder::getBE16(data, 0), quint16(0x0201));
        // out of range: no read or write past the end
        ByteOrder::putBE32(data, 4, 0xFFFFFFFF);
        QCOMPARE(data.mid(4), QByteArray(2, '\0'));
        QCOMPARE(ByteOrder::getBE32(data, 4), quint32(0));
        QCOMPARE(ByteOrder::getBE16(data, -1), quint16(0));
    }

    void channelsFromSensorsAndConfig()
    {
        LoggerRecord r;
        r.sensorFlags = SensorBits::DigitalTempHum | SensorBits::ExternalProbe;
        r.configWord = ConfigBits::InternalOn | ConfigBits::HumidityOn | ConfigBits::ExternalOn;
        r.updateChannels();
        QCOMPARE(r.recordedChannels, quint32(2));
        QCOMPARE(r.channelCount, 3);
        QCOMPARE(r.channelPosition(ChannelInternal), 0);
        QCOMPARE(r.channelPosition(ChannelHumidity), 1);
        QCOMPARE(r.channelPosition(ChannelExternal), 2);

        r.configWord = ConfigBits::HumidityOn | ConfigBits::ExternalOn;   // internal off
        r.updateChannels();
        QCOMPARE(r.channelCount, 2);
        QCOMPARE(r.channelPosition(ChannelInternal), -1);
        QCOMPARE(r.channelPosition(ChannelHumidity), 0);
        QCOMPARE(r.channelPosition(ChannelExternal), 1);

        r.readings = { 1, 2, 3, 4 };
        r.readingCount = 4;
        QCOMPARE(r.sampleCount(), 2);
        QCOMPARE(r.reading(ChannelExternal, 1), quint16(4));
        QCOMPARE(r.reading(ChannelInternal, 0), quint16(0));   // off channel
    }
};

MIRELDA_TEST_MAIN(TestLoggerRecord)
#include "tst_loggerrecord.moc"
