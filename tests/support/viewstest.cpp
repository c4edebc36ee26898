#include "support/viewstest.h"

#include <QXmlStreamReader>

#include <algorithm>

#include "core/loggertime.h"
#include "support/testenv.h"

namespace ViewsTest {

QVector<quint16> words(const QVector<int> &tenths)
{
    QVector<quint16> result;
    result.reserve(tenths.size());
    for (int value : tenths)
        result << ReadingWord::make(value);
    return result;
}

LoggerRecord downloadedSet(const QString &serial, quint8 sensors, quint32 config,
                           const QVector<quint16> &readings, quint32 interval,
                           const QDateTime &start)
{
    LoggerRecord record;
    record.serialNumber = serial;
    record.productCode = QStringLiteral("QV-2T");
    record.versionWord = 0x11A;
    record.sensorFlags = sensors;
    record.configWord = config;
    record.updateChannels();
    record.readings = readings;
    record.readingCount = readings.size();
    record.recordedCount = quint32(readings.size());
    record.startTime = start;
    record.interval = interval;
    record.dataLoaded = true;
    record.rangeLow = -40;
    record.rangeHigh = 85;
    return record;
}

LoggerRecord openedSet(const QString &serial, const QVector<int> &tenths, quint32 interval,
                       const QDateTime &start)
{
    LoggerRecord record = downloadedSet(serial, SensorBits::InternalNtc, ConfigBits::InternalOn, words(tenths),
                                        interval, start);
    record.fromFile = true;
    return record;
}

void setLimits(LoggerRecord &record, ViewChannel channel, double hh, double h, double l, double ll)
{
    double *limits = record.alarmThresholds[limitGroupOf(channel)];
    limits[LevelHH] = hh;
    limits[LevelH] = h;
    limits[LevelL] = l;
    limits[LevelLL] = ll;
}

namespace {

QList<QPair<QString, QRectF>> pdfWordsWith(QStringList arguments, const QString &pdf, int page)
{
    if (page > 0)
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
                  << QString::number(page);
    arguments << pdf << QStringLiteral("-");
    QList<QPair<QString, QRectF>> words;
    QXmlStreamReader xml(TestEnv::programOutput(QStringLiteral("pdftotext"), arguments));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("word"))
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        auto number = [&a](const char *name) { return a.value(QLatin1String(name)).toDouble(); };
        const QRectF box(QPointF(number("xMin"), number("yMin")), QPointF(number("xMax"), number("yMax")));
        words.append({ xml.readElementText(), box });
    }
    return words;
}

}

QList<QPair<QString, QRectF>> pdfWords(const QString &pdf, int page)
{
    return pdfWordsWith({ QStringLiteral("-bbox") }, pdf, page);
}

QList<QPair<QString, QRectF>> pdfWordsAsDrawn(const QString &pdf, int page)
{
    return pdfWordsWith({ QStringLiteral("-bbox"), QStringLiteral("-raw") }, pdf, page);
}

QList<float> readingExtremes(const LoggerRecord &record)
{
    QList<float> extremes;
    for (const ViewChannel channel : { ChannelInternal, ChannelHumidity, ChannelExternal }) {
        QVector<double> values;
        for (int sample = 0; record.channelPosition(channel) >= 0 && sample < record.sampleCount(); ++sample)
            values << ReadingWord::value(record.reading(channel, sample));
        const auto range = std::minmax_element(values.cbegin(), values.cend());
        extremes << (values.isEmpty() ? 0.0f : float(*range.first))
                 << (values.isEmpty() ? 0.0f : float(*range.second));
    }
    return extremes;
}

QList<float> keptExtremes(const LoggerRecord &record)
{
    QList<float> extremes;
    for (const ViewChannel channel : { ChannelInternal, ChannelHumidity, ChannelExternal })
        extremes << record.lowestValue[limitGroupOf(channel)] << record.highestValue[limitGroupOf(channel)];
    return extremes;
}

}
