#include "views/zoomer.h"

#include <cmath>
#include <limits>
#include <QBrush>
#include <qwt_scale_draw.h>
#include <qwt_scale_widget.h>
#include <qwt_text.h>

#include "core/cmainapp.h"
#include "core/loggertime.h"
#include "views/cplot.h"

namespace {

const ViewChannel kChannelOrder[3] = { ChannelInternal, ChannelHumidity, ChannelExternal };
constexpr quint32 kNoInterval = 0xFFFFFFFFu;

// x truncated toward zero to a reading index; -1 outside any set.
int readingIndexAt(double x)
{
    if (!(x > -1.0) || x >= double(kMaxReadings))
        return -1;
    return int(x);
}

}

Zoomer::Zoomer(QWidget *canvas, CPlot *plot)
    : ScrollZoomer(canvas),
      ownerPlot(plot)
{
}

void Zoomer::rescale()
{
    QwtScaleWidget *scale = plot() ? plot()->axisWidget(yAxis()) : nullptr;
    if (scale) {
        QwtScaleDraw *draw = scale->scaleDraw();
        int extent = 0;
        if (zoomRectIndex() != 0) {
            // room for labels up to 1000 whatever the visible values are
            extent = int(draw->maxTickLength() + draw->spacing() + 1.0);
            extent = int(extent + draw->labelSize(scale->font(), 1000.0).width());
        }
        draw->setMinimumExtent(extent);
    }
    ScrollZoomer::rescale();
}

QwtText Zoomer::trackerTextF(const QPointF &pos) const
{
    QwtText text = ScrollZoomer::trackerTextF(pos);
    text.setBackgroundBrush(QBrush(Qt::white, Qt::SolidPattern));
    text.setText(readingText(pos));
    return text;
}

QString Zoomer::readingText(const QPointF &pos) const
{
    const QVector<Hit> hits = readingsAt(pos.x());
    if (hits.isEmpty())
        return QString();
    // Sets side by side all have a reading at x: the one whose curve lies
    // nearest the cursor is named.
    const Hit *chosen = &hits.first();
    double nearest = distanceTo(*chosen, pos.y());
    for (const Hit &hit : hits) {
        const double distance = distanceTo(hit, pos.y());
        if (distance < nearest) {
            nearest = distance;
            chosen = &hit;
        }
    }
    return describe(*chosen);
}

QVector<Zoomer::Hit> Zoomer::readingsAt(double x) const
{
    QVector<Hit> hits;
    if (!ownerPlot || !ownerPlot->m_app)
        return hits;
    const CMainApp *app = ownerPlot->m_app;
    auto addHit = [&](const LoggerRecord &record, qint64 index, const QDateTime &time) {
        const LoggerRecord viewed = CPlot::viewedRecord(record);
        if (index >= 0 && index < viewed.sampleCount())
            hits.append({ &record, int(index), time });
    };
    const quint32 minInterval = ownerPlot->minInterval;

    if (minInterval == kNoInterval) {
        // one set: x counts its readings
        const LoggerRecord *record = ownerPlot->recordAt(ownerPlot->m_recordIndex);
        const int index = readingIndexAt(x);
        if (record && index >= 0)
            addHit(*record, index, ownerPlot->currentSetStart.addSecs(qint64(index) * record->interval));
        return hits;
    }
    if (app->selection.size() >= 2 && app->settings.multiLinkSyncDateTime) {
        // sets placed by date: x counts seconds from the earliest start
        if (minInterval == 0 || !(x > -1.0) || x > 1.0e12)
            return hits;
        const qint64 step = qint64(x) / minInterval + 1;
        const QDateTime t = ownerPlot->earliestStart.addSecs(qint64(minInterval) * step);
        for (int index : app->selection) {
            const LoggerRecord *record = ownerPlot->recordAt(index);
            if (!record || record->interval == 0)
                continue;
            const int samples = CPlot::viewedRecord(*record).sampleCount();
            const QDateTime start = ownerPlot->readingStart(*record);
            const QDateTime end = start.addSecs(qint64(samples) * record->interval);
            if (samples == 0 || t < start || end < t)
                continue;
            const qint64 seconds = start.secsTo(t);
            // the first reading where the cursor time meets the set's start
            const qint64 reading = seconds == 0 ? 0 : (seconds - 1) / record->interval;
            // headed by the time the reading was taken, not the grid's
            addHit(*record, reading, start.addSecs(reading * record->interval));
        }
        // a time inside two or more sets names no single reading
        if (hits.size() > 1)
            hits.clear();
        return hits;
    }
    // sets side by side: x counts the readings of every set, or the
    // seconds from every set's start
    for (int recordIndex : app->selection) {
        const LoggerRecord *record = ownerPlot->recordAt(recordIndex);
        if (!record || (ownerPlot->elapsedSeconds && record->interval == 0))
            continue;
        const int index = readingIndexAt(ownerPlot->elapsedSeconds ? x / record->interval : x);
        if (index >= 0)
            addHit(*record, index, ownerPlot->readingStart(*record).addSecs(qint64(index) * record->interval));
    }
    return hits;
}

double Zoomer::distanceTo(const Hit &hit, double y) const
{
    const LoggerRecord record = CPlot::viewedRecord(*hit.record);
    const bool fahrenheit = ownerPlot->m_app->settings.modeCelsius == 0;
    double nearest = std::numeric_limits<double>::infinity();
    for (ViewChannel channel : kChannelOrder) {
        if (!ownerPlot->isShown(channel) || !record.isChannelOn(channel))
            continue;
        double value = ReadingWord::value(record.reading(channel, hit.index));
        if (fahrenheit && channel != ChannelHumidity)
            value = Units::celsiusToFahrenheit(value);
        nearest = qMin(nearest, std::abs(value - y));
    }
    return nearest;
}

QString Zoomer::describe(const Hit &hit) const
{
    const LoggerRecord record = CPlot::viewedRecord(*hit.record);
    if (record.readingCount == 0)
        return QString();
    const bool fahrenheit = ownerPlot->m_app->settings.modeCelsius == 0;
    const QString degrees = fahrenheit ? QStringLiteral("°F") : QStringLiteral("°C");
    const bool twoProbes = CPlot::isTwoProbeModel(record);

    QString text = QStringLiteral("#%1-%2").arg(hit.index + 1).arg(hit.time.toString(QStringLiteral("hh:mm:ss")));
    for (ViewChannel channel : kChannelOrder) {
        const int position = record.channelPosition(channel);
        if (!ownerPlot->isShown(channel) || position < 0 || position >= record.channelCount)
            continue;
        double value = ReadingWord::value(record.reading(channel, hit.index));
        QString label;
        QString unit = degrees;
        switch (channel) {
        case ChannelInternal:
            label = twoProbes ? QStringLiteral("extTL") : QStringLiteral("intT");
            break;
        case ChannelHumidity:
            label = QStringLiteral("intH");
            unit = QStringLiteral("%");
            break;
        case ChannelExternal:
            label = twoProbes ? QStringLiteral("extTR") : QStringLiteral("extT");
            break;
        }
        if (fahrenheit && channel != ChannelHumidity)
            value = Units::celsiusToFahrenheit(value);
        text += QStringLiteral("  %1:%2%3").arg(label, QString::asprintf("%3.1f", value), unit);
    }
    return text;
}
