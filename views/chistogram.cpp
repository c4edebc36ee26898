#include "views/chistogram.h"

#include <cmath>
#include <QPalette>
#include <qwt_legend.h>
#include <qwt_legend_label.h>
#include <qwt_plot_grid.h>
#include <qwt_plot_layout.h>

#include "core/clanguagetable.h"
#include "core/cmainapp.h"
#include "core/labelid.h"
#include "core/loggertime.h"
#include "views/cplot.h"
#include "views/histogram.h"

namespace {

const ViewChannel kChannelOrder[3] = { ChannelInternal, ChannelHumidity, ChannelExternal };
constexpr int kTenthsValues = 2048;   // an 11-bit reading

}

CHistogram::CHistogram(QWidget *parent)
    : QwtPlot(parent)
{
}

void CHistogram::setData(CMainApp *app, int recordIndex)
{
    m_app = app;
    m_recordIndex = recordIndex;
}

const LoggerRecord *CHistogram::recordAt(int index) const
{
    return m_app ? m_app->tripAt(index) : nullptr;
}

bool CHistogram::fahrenheit() const
{
    return m_app->settings.modeCelsius == 0;
}

bool &CHistogram::showFlag(ViewChannel channel)
{
    switch (channel) {
    case ChannelHumidity: return m_showHumidity;
    case ChannelExternal: return m_showExternal;
    default: return m_showTemperature;
    }
}

namespace {

// Rounds toward minus infinity, so that a bin holds the readings of one
// whole unit on either side of zero.
int floorDivide(int value, int divisor)
{
    const int quotient = value / divisor;
    return value % divisor < 0 ? quotient - 1 : quotient;
}

}

int CHistogram::wholeValue(int tenths, bool fahrenheit)
{
    if (!fahrenheit)
        return floorDivide(tenths, 10);
    // 9 t / 50 + 32 in fiftieths of a degree: exact, so every Fahrenheit
    // degree gets its readings.
    return floorDivide(9 * tenths + 1600, 50);
}

QVector<CHistogram::ChannelCounts> CHistogram::countReadings(const LoggerRecord &record, bool fahrenheit)
{
    QVector<ChannelCounts> result;
    const int stride = record.channelCount;
    const int available = qMin(record.readingCount, record.readings.size());
    const quint16 *words = record.readings.constData();
    for (ViewChannel channel : kChannelOrder) {
        const int position = record.channelPosition(channel);
        if (position < 0 || position >= stride)
            continue;
        // humidity stays in percent whatever the temperature unit
        const bool inFahrenheit = fahrenheit && channel != ChannelHumidity;
        // Tally the raw values first: a reading has only 2048 of them.
        int tally[kTenthsValues] = {};
        for (int i = position; i < available; i += stride)
            ++tally[words[i] & 0x7FF];

        ChannelCounts counts;
        counts.channel = channel;
        int low = 0;
        int high = -1;
        for (int raw = 0; raw < kTenthsValues; ++raw) {
            if (!tally[raw])
                continue;
            const int whole = wholeValue(ReadingWord::tenths(quint16(raw)), inFahrenheit);
            if (low > high) {
                low = high = whole;
            } else {
                low = qMin(low, whole);
                high = qMax(high, whole);
            }
        }
        if (low <= high) {
            counts.first = low;
            counts.counts.fill(0, high - low + 1);
            for (int raw = 0; raw < kTenthsValues; ++raw)
                if (tally[raw])
                    counts.counts[wholeValue(ReadingWord::tenths(quint16(raw)), inFahrenheit) - low] += tally[raw];
        }
        result.append(counts);
    }
    return result;
}

void CHistogram::setupPlot()
{
    if (!m_app)
        return;
    const AppSettings &settings = m_app->settings;
    setAutoFillBackground(true);
    setPalette(QPalette(settings.histogramBackground));
    setCanvasBackground(QBrush(settings.histogramBack));
    plotLayout()->setAlignCanvasToScales(true);

    const CLanguageTable *labels = m_app->languageTable;
    setAxisTitle(yLeft, labels->text(LabelId::NumberOfRecords));
    for (int index : m_app->selection)
        buildHistograms(index);

    // Humidity is named for the current trip's channel and for any trip's
    // humidity series beside it.
    QString bottomTitle = fahrenheit() ? tr("%1 (°F)").arg(labels->text(LabelId::Temperature))
                                       : tr("%1 (°C)").arg(labels->text(LabelId::Temperature));
    const LoggerRecord *current = recordAt(m_recordIndex);
    bool namesHumidity = current && current->isChannelOn(ChannelHumidity);
    for (const Series &entry : m_series)
        namesHumidity = namesHumidity || entry.channel == ChannelHumidity;
    if (namesHumidity)
        bottomTitle += tr(" / %1 (%)").arg(labels->text(LabelId::Humidity));
    setAxisTitle(xBottom, bottomTitle);
    coverShownSeries();

    m_legend = new QwtLegend;
    m_legend->setDefaultItemMode(QwtLegendData::Checkable);
    insertLegend(m_legend, QwtPlot::BottomLegend);
    connect(m_legend, &QwtLegend::checked, this, &CHistogram::legendChecked);
    for (const Series &entry : m_series) {
        if (QwtLegendLabel *label = CPlot::legendLabel(this, m_legend, entry.item))
            label->setChecked(true);
        entry.item->setVisible(true);
    }
    replot();
}

void CHistogram::buildHistograms(int recordIndex)
{
    const LoggerRecord *source = recordAt(recordIndex);
    if (!source)
        return;
    // A grid per record would draw the same lines again on every paint.
    if (itemList(QwtPlotItem::Rtti_PlotGrid).isEmpty()) {
        const AppSettings &settings = m_app->settings;
        auto *grid = new QwtPlotGrid;
        grid->enableX(settings.histogramShowVGrid);
        grid->enableY(settings.histogramShowHGrid);
        grid->enableXMin(false);
        grid->enableYMin(false);
        grid->setMajorPen(QPen(Qt::black, 0, Qt::DotLine));
        grid->attach(this);
    }

    const LoggerRecord record = *source;
    setXScale(record, m_minBin, m_maxBin, m_binCount);
    if (record.recordedCount == 0)
        return;

    // Readings outside the stored extremes or the logger's range widen the
    // bins: no reading is left out of the picture.
    const QVector<ChannelCounts> channels = countReadings(record, fahrenheit());
    int low = m_binCount > 0 ? m_minBin : INT_MAX;
    int high = m_binCount > 0 ? m_maxBin - 1 : INT_MIN;
    for (const ChannelCounts &counts : channels) {
        if (counts.counts.isEmpty())
            continue;
        low = qMin(low, counts.first);
        high = qMax(high, counts.last());
    }
    if (low > high || high - low + 1 > kMaxBins)
        return;
    m_minBin = low;
    m_maxBin = high + 1;
    m_binCount = m_maxBin - m_minBin;

    for (const ChannelCounts &counts : channels)
        addSeries(record, counts, channels.size());
}

void CHistogram::addSeries(const LoggerRecord &record, const ChannelCounts &counts, int channels)
{
    const AppSettings &settings = m_app->settings;
    QColor colour;
    switch (counts.channel) {
    case ChannelHumidity: colour = settings.graphLineHumColor; break;
    case ChannelExternal: colour = settings.graphLineExtColor; break;
    default: colour = channels == 1 ? settings.histogramLineColor : settings.graphLineColor; break;
    }
    QVector<int> bins(m_binCount, 0);
    for (int i = 0; i < counts.counts.size(); ++i)
        bins[counts.first - m_minBin + i] = counts.counts.at(i);

    auto *series = new Histogram(CPlot::curveTitle(record, counts.channel, CPlot::HistogramTitles), colour);
    series->setValues(m_binCount, bins.constData(), m_minBin, 1);
    series->attach(this);
    const bool filled = !counts.counts.isEmpty();
    m_series.append({ series, counts.channel, filled ? counts.first : 0, filled ? counts.last() : -1 });
}

void CHistogram::valueRange(const LoggerRecord &record, double &low, double &high)
{
    const bool toFahrenheit = fahrenheit();
    auto temperature = [toFahrenheit](double celsius) {
        return toFahrenheit ? Units::celsiusToFahrenheit(celsius) : celsius;
    };
    const bool hasHumidity = record.isChannelOn(ChannelHumidity);
    if (m_app->settings.histogramShowFullRange) {
        high = temperature(record.rangeHigh);
        if (record.channelCount > 1 && record.recordedCount != 0 && hasHumidity && m_showHumidity)
            high = 100.0;
        const bool lowFromRange = m_showTemperature
                                  || (m_showExternal && (record.sensorFlags & SensorBits::ExternalProbe));
        low = lowFromRange ? temperature(record.rangeLow) : 0.0;
    } else if (record.channelCount == 1) {
        low = temperature(record.lowestValue[GroupInternal]);
        high = temperature(record.highestValue[GroupInternal]);
    } else {
        low = 1000.0;
        high = -1000.0;
        if (record.recordedCount == 0)
            return;
        for (ViewChannel channel : kChannelOrder) {
            if (!record.isChannelOn(channel) || !showFlag(channel))
                continue;
            const LimitGroup group = limitGroupOf(channel);
            const bool convert = channel != ChannelHumidity;
            low = qMin(low, convert ? temperature(record.lowestValue[group]) : double(record.lowestValue[group]));
            high = qMax(high, convert ? temperature(record.highestValue[group]) : double(record.highestValue[group]));
        }
    }
}

void CHistogram::setXScale(const LoggerRecord &record, int &minBin, int &maxBin, int &binCount)
{
    double low = 0.0;
    double high = 0.0;
    valueRange(record, low, high);
    minBin = int(std::floor(low));
    if (low > high) {
        // nothing to show: the axis stays rather than turn upside down
        maxBin = int(std::floor(high));
        binCount = maxBin - minBin;
        return;
    }
    // The bin of the highest whole value counts too.
    maxBin = int(std::floor(high)) + 1;
    binCount = maxBin - minBin;
    setBottomAxis(qMin(low, double(minBin)), qMax(high, double(maxBin)));
}

void CHistogram::setBottomAxis(double low, double high)
{
    m_axisLow = low;
    m_axisHigh = high;
    setAxisScale(xBottom, low, high);
}

// Every shown column stays in view, whichever record or range it came from.
void CHistogram::coverShownSeries()
{
    double low = m_axisLow;
    double high = m_axisHigh;
    bool widened = false;
    for (const Series &entry : m_series) {
        if (!entry.item->isVisible() || entry.firstFilled > entry.lastFilled)
            continue;
        if (entry.firstFilled < low) {
            low = entry.firstFilled;
            widened = true;
        }
        if (entry.lastFilled + 1 > high) {
            high = entry.lastFilled + 1;
            widened = true;
        }
    }
    if (widened)
        setBottomAxis(low, high);
}

QList<Histogram *> CHistogram::series() const
{
    QList<Histogram *> items;
    for (const Series &entry : m_series)
        items.append(entry.item);
    return items;
}

void CHistogram::legendChecked(const QVariant &itemInfo, bool on, int)
{
    ShowItem(infoToItem(itemInfo), on);
}

void CHistogram::ShowItem(QwtPlotItem *item, bool on)
{
    const LoggerRecord *record = item ? recordAt(m_recordIndex) : nullptr;
    if (!record)
        return;
    // A channel counts for the range while any of its series is checked.
    bool shown[3] = { false, false, false };
    for (const Series &entry : m_series) {
        const QwtLegendLabel *label = CPlot::legendLabel(this, m_legend, entry.item);
        if (label && label->isChecked())
            shown[entry.channel] = true;
    }
    for (ViewChannel channel : kChannelOrder)
        showFlag(channel) = shown[channel];

    int minBin = 0;
    int maxBin = 0;
    int binCount = 0;
    setXScale(*record, minBin, maxBin, binCount);
    item->setVisible(on);
    coverShownSeries();
    if (item->plot())
        item->plot()->replot();
}
