#include "views/cplot.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QPalette>
#include <QPdfWriter>
#include <QPrinter>
#include <QSvgGenerator>
#include <qwt_legend.h>
#include <qwt_legend_label.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_plot_layout.h>
#include <qwt_plot_marker.h>
#include <qwt_scale_div.h>
#include <qwt_scale_widget.h>
#include <qwt_symbol.h>

#include "core/clanguagetable.h"
#include "core/cmainapp.h"
#include "core/labelid.h"
#include "core/loggertime.h"
#include "dialogs/cprompt.h"
#include "files/wholefile.h"
#include "views/axislabelfit.h"
#include "views/elapsedtimescaledraw.h"
#include "views/plotrenderer.h"
#include "views/rectitem.h"
#include "views/reducedcurve.h"
#include "views/timescaledraw.h"
#include "views/zoomer.h"

namespace {

constexpr quint16 kLastOneChannelVersion = 0x114;
const ViewChannel kChannelOrder[3] = { ChannelInternal, ChannelHumidity, ChannelExternal };

bool isTemperature(ViewChannel channel)
{
    return channel != ChannelHumidity;
}

// End of a set whose readings count from start: the time of its last sample.
QDateTime lastSampleTime(const LoggerRecord &record, const QDateTime &start)
{
    const int samples = record.sampleCount();
    if (samples == 0)
        return start;
    return start.addSecs(qint64(samples - 1) * record.interval);
}

QPen solidPen(const QColor &colour, qreal width)
{
    return QPen(QBrush(colour, Qt::SolidPattern), width, Qt::SolidLine, Qt::SquareCap,
                Qt::BevelJoin);
}

}

CPlot::CPlot(QWidget *parent)
    : QwtPlot(parent),
      ySamples(kSampleCapacity, 0.0),
      xSamples(kSampleCapacity, 0.0)
{
}

CPlot::~CPlot()
{
    // Markers of hidden channels are detached, so the plot no longer owns them.
    for (const auto &entry : markList)
        if (!entry.first->plot())
            delete entry.first;
    markList.clear();
    // Attached bands go with the plot's items.
    bands.clear();
}

void CPlot::setData(CMainApp *app, int recordIndex)
{
    m_app = app;
    m_recordIndex = recordIndex;
}

// Qwt gives an axis the border distances its labels need only when the
// axis moves. Labels that change in place, as on the first showing or
// after a fit to the width, would keep the borders of the old ones, and the
// scale would end short of the canvas until a zoom moved the axis.
void CPlot::updateLayout()
{
    QwtPlot::updateLayout();
    // A border changes the axis's length and so its labels' places: a few
    // passes settle it.
    for (int pass = 0; pass < 3 && takeBorderDistHints(); ++pass)
        QwtPlot::updateLayout();
}

bool CPlot::takeBorderDistHints()
{
    bool changed = false;
    for (int axis = 0; axis < axisCnt; ++axis) {
        if (!axisEnabled(axis))
            continue;
        QwtScaleWidget *scale = axisWidget(axis);
        int start = 0;
        int end = 0;
        scale->getBorderDistHint(start, end);
        if (start != scale->startBorderDist() || end != scale->endBorderDist()) {
            scale->setBorderDist(start, end);
            changed = true;
        }
    }
    return changed;
}

const LoggerRecord *CPlot::recordAt(int index) const
{
    return m_app ? m_app->tripAt(index) : nullptr;
}

bool CPlot::celsius() const
{
    return m_app->settings.modeCelsius != 0;
}

double CPlot::displayTemperature(double value) const
{
    return celsius() ? value : Units::celsiusToFahrenheit(value);
}

bool &CPlot::showFlag(ViewChannel channel)
{
    switch (channel) {
    case ChannelHumidity: return m_showHum;
    case ChannelExternal: return m_showExtTemp;
    default: return m_showIntTemp;
    }
}

LoggerRecord CPlot::viewedRecord(const LoggerRecord &record)
{
    LoggerRecord viewed = record;
    if (record.versionWord <= kLastOneChannelVersion) {
        viewed.channelCount = 1;
        viewed.sensorFlags = quint8((viewed.sensorFlags | SensorBits::InternalNtc)
                                    & ~(SensorBits::ExternalProbe | SensorBits::DigitalTempHum));
        viewed.configWord |= ConfigBits::InternalOn;
    }
    return viewed;
}

QDateTime CPlot::readingStart(const LoggerRecord &record) const
{
    return m_app ? LoggerTime::readingOrigin(record.startTime, m_app->settings) : record.startTime;
}

bool CPlot::isTwoProbeModel(const LoggerRecord &record)
{
    return record.productCode.toLower().trimmed().contains(QLatin1String("qv-7t"));
}

QString CPlot::curveTitle(const LoggerRecord &record, ViewChannel channel, TitleStyle style)
{
    const bool dotted = style == HistogramTitles;
    QString label;
    switch (channel) {
    case ChannelHumidity:
        label = QStringLiteral(" Int.Hum.(Digital)");
        break;
    case ChannelExternal:
        if (!isTwoProbeModel(record))
            label = QStringLiteral(" Ext.Temp.(NTC)");
        else
            label = dotted ? QStringLiteral(" Right.Ext.Temp.(NTC)") : QStringLiteral(" Right Ext.Temp.(NTC)");
        break;
    case ChannelInternal:
        if (!(record.sensorFlags & SensorBits::InternalNtc))
            label = QStringLiteral(" Int.Temp.(Digital)");
        else if (isTwoProbeModel(record))
            label = dotted ? QStringLiteral(" Left.Ext.Temp.(NTC)") : QStringLiteral(" Left Ext Temp.(NTC)");
        else if (record.productCode.startsWith(QLatin1String("QV-5D")))
            label = QStringLiteral(" Int/Ext.Temp.(NTC)");
        else
            label = QStringLiteral(" Int.Temp.(NTC)");
        break;
    }
    return record.serialNumber + label;
}

void CPlot::setupPlot()
{
    if (!m_app)
        return;
    const QList<int> selection = m_app->selection;
    setYScale(selection);

    setAutoFillBackground(true);
    setPalette(QPalette(m_app->settings.graphBackground));

    const LoggerRecord *record = recordAt(m_recordIndex);
    if (selection.size() > 1)
        setTitle(QStringLiteral("Multi-Link"));
    else if (record)   // a serial is text as typed, never markup
        setTitle(QwtText(tr("%1 %2").arg(record->serialNumber, record->productCode), QwtText::PlainText));

    setAxisTitle(xBottom, QStringLiteral("Time"));
    setAxisScale(xBottom, 0, 100);
    // The axes end at the canvas's edges: the last reading is drawn at its
    // right edge, a label standing out past an axis's end overhangs beside
    // the canvas, and the alarm bands, which span the axes, fill it.
    plotLayout()->setAlignCanvasToScales(true);
    new AxisLabelFit(this);

    auto *grid = new QwtPlotGrid;
    grid->setMajorPen(QPen(Qt::darkGray, 0, Qt::SolidLine));
    grid->enableY(m_app->settings.graphShowHGrid);
    grid->enableX(m_app->settings.graphShowVGrid);
    grid->attach(this);

    minInterval = 0xFFFFFFFFu;
    buildCurves(selection);
    buildAlarmBands();

    m_legend = new QwtLegend;
    m_legend->setDefaultItemMode(QwtLegendData::Checkable);
    insertLegend(m_legend, QwtPlot::BottomLegend);
    connect(m_legend, &QwtLegend::checked, this, &CPlot::legendChecked);

    for (QwtPlotItem *curve : curves()) {
        setLegendChecked(curve, true);
        curve->setVisible(true);
    }
    createZoomer();
}

// Last, so that the zoom base is the graph as built.
void CPlot::createZoomer()
{
    auto *zoomer = new Zoomer(canvas(), this);
    zoomer->setRubberBandPen(QPen(QBrush(Qt::black), 2.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    zoomer->setTrackerMode(QwtPicker::AlwaysOn);
}

Zoomer *CPlot::zoomer() const
{
    return canvas() ? canvas()->findChild<Zoomer *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

bool CPlot::isShown(ViewChannel channel) const
{
    return const_cast<CPlot *>(this)->showFlag(channel);
}

int CPlot::channelCount(const LoggerRecord &record) const
{
    int shown = 0;
    for (ViewChannel channel : kChannelOrder)
        shown += showsChannelOf(record, channel) ? 1 : 0;
    return shown;
}

bool CPlot::showsChannelOf(const LoggerRecord &record, ViewChannel channel) const
{
    return record.isChannelOn(channel) && isShown(channel);
}

void CPlot::setYScale(QList<int> selection)
{
    double bottom = 1000.0;
    double top = -1000.0;
    for (int index : selection) {
        const LoggerRecord *source = recordAt(index);
        if (!source)
            continue;
        const LoggerRecord record = viewedRecord(*source);
        m_shownChannels = channelCount(record);
        const bool temperatureShown = showsChannelOf(record, ChannelInternal)
                                      || showsChannelOf(record, ChannelExternal);
        const double rangeHigh = temperatureShown ? displayTemperature(record.rangeHigh) : record.rangeHigh;
        const double rangeLow = temperatureShown ? displayTemperature(record.rangeLow) : record.rangeLow;

        if (m_shownChannels == 1 && selection.size() == 1) {
            const ViewChannel shown = showsChannelOf(record, ChannelInternal)   ? ChannelInternal
                                      : showsChannelOf(record, ChannelHumidity) ? ChannelHumidity
                                                                                : ChannelExternal;
            auto limit = [&](AlarmLevel level) {
                const double value = record.threshold(shown, level);
                return isTemperature(shown) ? displayTemperature(value) : value;
            };
            m_limitHH = limit(LevelHH);
            m_limitH = limit(LevelH);
            m_limitL = limit(LevelL);
            m_limitLL = limit(LevelLL);
            if (isTemperature(shown)) {
                m_rangeTop = rangeHigh;
                m_rangeBottom = rangeLow;
            } else {
                m_rangeTop = 100.0;
                m_rangeBottom = 0.0;
            }
        } else {
            // Out of view: no threshold line shows and the normal band
            // covers the whole value range.
            m_limitHH = m_limitH = 1000.0;
            m_limitL = m_limitLL = -1000.0;
            m_rangeTop = rangeHigh;
            m_rangeBottom = rangeLow;
        }
        if (showsChannelOf(record, ChannelHumidity)) {
            m_rangeTop = qMax(m_rangeTop, 100.0);
            m_rangeBottom = qMin(m_rangeBottom, 0.0);
        }
        bottom = qMin(bottom, m_rangeBottom);
        top = qMax(top, m_rangeTop);
    }
    // With no record there is no range: an inverted axis would show nothing.
    if (bottom <= top) {
        setAxisScale(yLeft, bottom, top);
        // The bands of several trips reach as far as the axis, whichever
        // trip came last.
        if (selection.size() > 1) {
            m_rangeBottom = bottom;
            m_rangeTop = top;
        }
    }
}

void CPlot::fitValueAxis(QList<int> selection)
{
    if (!m_app || m_app->settings.graphShowFullRange || selection.isEmpty())
        return;
    double bottom = 1000.0;
    double top = -1000.0;
    for (int index : selection) {
        const LoggerRecord *source = recordAt(index);
        if (!source)
            continue;
        // A trip not yet begun has only the zeros of extremes never read.
        if (source->recordedCount == 0)
            continue;
        const LoggerRecord record = viewedRecord(*source);
        double b = 1000.0;
        double t = -1000.0;
        // One sensor reads one temperature, unless it is the digital
        // sensor, whose humidity needs room too.
        if (record.recordedChannels == 1 && !record.isChannelOn(ChannelHumidity)) {
            b = displayTemperature(record.lowestValue[GroupInternal]);
            t = displayTemperature(record.highestValue[GroupInternal]);
        } else {
            for (ViewChannel channel : kChannelOrder) {
                if (!showsChannelOf(record, channel))
                    continue;
                const LimitGroup group = limitGroupOf(channel);
                double low = record.lowestValue[group];
                double high = record.highestValue[group];
                if (isTemperature(channel)) {
                    low = displayTemperature(low);
                    high = displayTemperature(high);
                }
                b = qMin(b, low);
                t = qMax(t, high);
            }
        }
        bottom = qMin(bottom, b);
        top = qMax(top, t);
    }
    // Nothing contributed: keep the axis rather than invert it.
    if (bottom <= top)
        setAxisScale(yLeft, bottom - 1.0, top + 1.0);
}

void CPlot::buildCurves(QList<int> selection)
{
    if (!m_app)
        return;
    const AppSettings &settings = m_app->settings;
    const bool severalSets = selection.size() >= 2;
    xSpan = 0.0;
    bool mixedIntervals = false;
    bool namesHumidity = false;

    if (severalSets) {
        bool first = true;
        for (int index : selection) {
            const LoggerRecord *record = recordAt(index);
            if (!record)
                continue;
            const QDateTime start = readingStart(*record);
            if (first) {
                earliestStart = latestEnd = start;
                minInterval = record->interval;
                first = false;
            }
            if (start < earliestStart)
                earliestStart = start;
            if (record->interval != minInterval)
                mixedIntervals = true;
            if (record->interval < minInterval)
                minInterval = record->interval;
            const QDateTime end = lastSampleTime(*record, start);
            if (latestEnd < end)
                latestEnd = end;
        }
    }
    // Reading numbers mean the same for every set; elapsed times only while
    // the sets share one interval.
    elapsedSeconds = severalSets && !settings.multiLinkSyncDateTime && settings.multiLinkSyncElapsedTime
                     && settings.graphShowTime && mixedIntervals;

    for (int index : selection) {
        currentSetIndex = index;
        const LoggerRecord *source = recordAt(index);
        if (!source)
            continue;
        if (!source->fromFile && !source->dataLoaded)
            continue;
        if (source->versionWord > kLastOneChannelVersion && source->channelCount == 0)
            continue;

        const LoggerRecord record = viewedRecord(*source);
        const int samples = qMin(record.sampleCount(), kSampleCapacity);
        const QDateTime start = readingStart(record);
        currentSetStart = start;

        const QString unit = settings.modeCelsius != 0 ? QStringLiteral("°C") : QStringLiteral("°F");
        const QString temperature = m_app->languageTable->text(LabelId::Temperature);
        // The title names the channels of every set drawn so far, not
        // those of the last one alone.
        namesHumidity = namesHumidity || record.isChannelOn(ChannelHumidity);
        if (namesHumidity)
            setAxisTitle(yLeft, tr("%1 (%2) / %3 (%)")
                                    .arg(temperature, unit, m_app->languageTable->text(LabelId::Humidity)));
        else
            setAxisTitle(yLeft, tr("%1 (%2)").arg(temperature, unit));

        if (start < earliestStart)
            earliestStart = start;

        double offset = 0.0;
        double step = 1.0;
        if (severalSets && settings.multiLinkSyncDateTime) {
            if (minInterval == 0xFFFFFFFFu) {
                earliestStart = start;
                minInterval = record.interval;
                latestEnd = lastSampleTime(record, start);
                xSpan = samples;
            } else {
                offset = double(earliestStart.secsTo(start));
                if (samples > 0 && latestEnd < lastSampleTime(record, start))
                    latestEnd = lastSampleTime(record, start);
                xSpan = double(earliestStart.secsTo(latestEnd));
            }
            step = record.interval;
            if (settings.graphShowTime) {
                // A set without readings installs no labels. It does not move
                // the time base either: the other sets keep their places.
                if (record.recordedCount != 0) {
                    setAxisScaleDraw(xBottom, new TimeScaleDraw(earliestStart, 1, settings.dateFormat));
                    setAxisTitle(xBottom, m_app->languageTable->text(LabelId::DateAndTime));
                }
            }
        } else {
            // Sets side by side: the axis spans the longest one, so no set is cut.
            if (elapsedSeconds) {
                step = record.interval;
                if (samples > 0)
                    xSpan = qMax(xSpan, double(samples - 1) * step + 1.0);
            } else {
                xSpan = qMax(xSpan, double(samples));
            }
            if (settings.graphShowTime && record.recordedCount != 0) {
                if (!severalSets) {
                    setAxisScaleDraw(xBottom, new TimeScaleDraw(start, int(record.interval),
                                                                settings.dateFormat));
                    setAxisTitle(xBottom, m_app->languageTable->text(LabelId::DateAndTime));
                } else if (settings.multiLinkSyncElapsedTime) {
                    setAxisScaleDraw(xBottom, new ElapsedTimeScaleDraw(
                                                  QDateTime(QDate(2000, 1, 1), QTime(0, 0), Qt::LocalTime),
                                                  elapsedSeconds ? 1 : int(record.interval)));
                    setAxisTitle(xBottom, m_app->languageTable->text(LabelId::ElapsedTime));
                }
            }
        }
        setAxisLabelAlignment(xBottom, Qt::AlignHCenter | Qt::AlignBottom);

        if (record.recordedCount != 0) {
            const double extent = minInterval == 0xFFFFFFFFu ? double(samples) : xSpan;
            const bool xInSeconds = elapsedSeconds || (severalSets && settings.multiLinkSyncDateTime);
            setTimeAxisRange(extent - 1.0, xInSeconds ? double(minInterval) : 1.0);
        }

        markList.clear();
        if (record.recordedCount != 0) {
            for (ViewChannel channel : kChannelOrder)
                if (record.isChannelOn(channel))
                    addCurve(record, channel, samples, offset, step);
        }

        fitValueAxis(m_app->selection);
        if (settings.graphShowThresholdLine)
            addThresholdLines();
    }
    replot();
}

void CPlot::addCurve(const LoggerRecord &record, ViewChannel channel, int samples, double offset,
                     double step)
{
    const int position = record.channelPosition(channel);
    const int stride = record.channelCount;
    if (position < 0 || position >= stride)
        return;   // flags and stored channel count disagree: nothing safe to read
    const AppSettings &settings = m_app->settings;
    const QColor colour = channel == ChannelInternal   ? settings.graphLineColor
                          : channel == ChannelHumidity ? settings.graphLineHumColor
                                                       : settings.graphLineExtColor;
    auto *curve = new ReducedCurve(curveTitle(record, channel));
    curve->setRenderHint(QwtPlotItem::RenderAntialiased, samples <= kAntialiasedSampleLimit);
    // Skip points that fall on the same pixel or outside the canvas.
    curve->setPaintAttribute(QwtPlotCurve::ClipPolygons, true);
    curve->setPaintAttribute(QwtPlotCurve::FilterPoints, true);
    curve->setLegendAttribute(QwtPlotCurve::LegendShowLine, true);
    curve->setPen(solidPen(colour, settings.graphLineThickness));
    curve->attach(this);
    curveChannels.append(qMakePair(static_cast<QwtPlotItem *>(curve), channel));

    const bool convert = isTemperature(channel) && settings.modeCelsius == 0;
    const quint16 *words = record.readings.constData();
    double *xs = xSamples.data();
    double *ys = ySamples.data();
    for (int i = 0; i < samples; ++i) {
        const quint16 word = words[position + i * stride];
        const double x = offset + double(i) * step;
        double y = ReadingWord::value(word);
        if (convert)
            y = Units::celsiusToFahrenheit(y);
        xs[i] = x;
        ys[i] = y;
        if (ReadingWord::mark(word)) {
            auto *marker = new QwtPlotMarker;
            marker->setXValue(x);
            marker->setYValue(y);
            marker->setSymbol(new QwtSymbol(QwtSymbol::Star2, QBrush(Qt::gray, Qt::SolidPattern),
                                            solidPen(Qt::yellow, 2.0), QSize(12, 12)));
            marker->attach(this);
            markList.append(qMakePair(marker, int(channel)));
        }
    }
    int count = samples;
    if (samples == 1) {
        xs[1] = xs[0];
        ys[1] = ys[0];
        count = 2;
        // A line between two points on one spot draws nothing: a dot in the
        // curve's colour shows the reading.
        const int size = qMax(7, 3 * settings.graphLineThickness);
        curve->setSymbol(new QwtSymbol(QwtSymbol::Ellipse, QBrush(colour, Qt::SolidPattern),
                                       solidPen(colour, 1.0), QSize(size, size)));
    }
    curve->setSamples(xs, ys, count);
}

void CPlot::setTimeAxisRange(double lastX, double unit)
{
    if (lastX > 0.0) {
        setAxisScale(xBottom, 0.0, lastX);
        return;
    }
    // An axis from 0 to 0 has no room for a reading nor for a label: one
    // interval either side puts the lone reading in the middle, its time
    // under it.
    const double half = qMax(1.0, unit);
    setAxisScale(xBottom, -half, half);
}

void CPlot::addThresholdLines()
{
    for (double limit : { m_limitHH, m_limitH, m_limitL, m_limitLL }) {
        auto *line = new QwtPlotMarker;
        line->setYValue(limit);
        line->setLineStyle(QwtPlotMarker::HLine);
        line->setLabelAlignment(Qt::AlignLeft | Qt::AlignTop);
        line->setLinePen(solidPen(Qt::black, 1.0));
        line->attach(this);
    }
}

void CPlot::clearAlarmBands()
{
    qDeleteAll(bands);   // a deleted item detaches itself
    bands.clear();
}

void CPlot::buildAlarmBands()
{
    clearAlarmBands();
    const LoggerRecord *source = recordAt(m_recordIndex);
    if (!source)
        return;
    const LoggerRecord record = viewedRecord(*source);
    m_shownChannels = channelCount(record);

    const AppSettings &settings = m_app->settings;
    const QColor normalColour = (m_shownChannels == 1 && m_app->selection.size() < 2)
                                    ? settings.graphThresholdNormal
                                    : settings.graphThresholdMultiLink;
    // by ViewChannel
    struct ChannelBits { quint32 on, hh, h, l, ll; };
    static const ChannelBits kChannels[3] = {
        { ConfigBits::InternalOn, ConfigBits::IntHH, ConfigBits::IntH, ConfigBits::IntL, ConfigBits::IntLL },
        { ConfigBits::HumidityOn, ConfigBits::HumHH, ConfigBits::HumH, ConfigBits::HumL, ConfigBits::HumLL },
        { ConfigBits::ExternalOn, ConfigBits::ExtHH, ConfigBits::ExtH, ConfigBits::ExtL, ConfigBits::ExtLL },
    };
    // The bands span the time axis, and the outermost ones reach the value
    // axis's bounds where it stands out past the range.
    updateAxes();   // the scales as last set, not as last drawn
    const QwtInterval time = timeAxisExtent();
    const QwtInterval values = axisScaleDiv(yLeft).interval().normalized();
    const double top = qMax(m_rangeTop, values.maxValue());
    const double bottom = qMin(m_rangeBottom, values.minValue());
    auto addBand = [&](double lower, double height, const QColor &colour) {
        auto *band = new RectItem;
        band->setRenderHint(QwtPlotItem::RenderAntialiased, true);
        band->setRect(QRectF(time.minValue(), lower, time.width(), height));
        band->setBrush(QBrush(colour, Qt::SolidPattern));
        band->attach(this);
        bands.append(band);
    };
    for (ViewChannel channel : kChannelOrder) {
        const ChannelBits &bits = kChannels[channel];
        const quint32 config = record.configWord;
        if (!(config & bits.on))
            continue;
        // A channel hidden in the legend would have its bands built at the
        // limits of the one still shown, and paint over its zones.
        if (record.isChannelOn(channel) && !isShown(channel))
            continue;
        const bool hh = config & bits.hh;
        const bool h = config & bits.h;
        const bool l = config & bits.l;
        const bool ll = config & bits.ll;
        const bool anyLevel = hh || h || l || ll;
        if (hh)
            addBand(m_limitHH, top - m_limitHH, settings.graphThresholdHH);
        if (h)
            addBand(m_limitH, (hh ? m_limitHH : top) - m_limitH, settings.graphThresholdH);
        if (anyLevel)
            addBand(m_limitL, m_limitH - m_limitL, normalColour);
        else
            addBand(bottom, top - bottom, normalColour);
        if (l) {
            const double lower = ll ? m_limitLL : bottom;
            addBand(lower, m_limitL - lower, settings.graphThresholdL);
        }
        if (ll)
            addBand(bottom, m_limitLL - bottom, settings.graphThresholdLL);
    }
}

QwtInterval CPlot::timeAxisExtent() const
{
    // A zoom shows part of the time axis; the legend's clicks leave it as built.
    if (const Zoomer *current = zoomer())
        return QwtInterval(current->zoomBase().left(), current->zoomBase().right()).normalized();
    return axisScaleDiv(xBottom).interval().normalized();
}

QList<QwtPlotItem *> CPlot::curves() const
{
    return itemList(QwtPlotItem::Rtti_PlotCurve);
}

QwtLegendLabel *CPlot::legendLabel(const QwtPlot *plot, const QwtLegend *legend, QwtPlotItem *item)
{
    if (!legend)
        return nullptr;
    return qobject_cast<QwtLegendLabel *>(legend->legendWidget(plot->itemToInfo(item)));
}

bool CPlot::isLegendChecked(QwtPlotItem *item) const
{
    const QwtLegendLabel *label = legendLabel(this, m_legend, item);
    return label && label->isChecked();
}

void CPlot::setLegendChecked(QwtPlotItem *item, bool on)
{
    if (QwtLegendLabel *label = legendLabel(this, m_legend, item))
        label->setChecked(on);
}

void CPlot::legendChecked(const QVariant &itemInfo, bool on, int)
{
    ShowItem(infoToItem(itemInfo), on);
}

void CPlot::ShowItem(QwtPlotItem *item, bool on)
{
    const LoggerRecord *current = item ? recordAt(m_recordIndex) : nullptr;
    if (!current)
        return;
    const QList<QwtPlotItem *> curveList = curves();

    if (!on) {
        int checked = 0;
        for (QwtPlotItem *curve : curveList)
            if (isLegendChecked(curve))
                ++checked;
        if (checked == 0) {
            // The last shown curve stays.
            setLegendChecked(item, true);
            return;
        }
    }

    // A channel is shown while the legend shows one of its curves, of
    // whichever trip. A channel without a curve keeps its flag.
    bool drawn[3] = { false, false, false };
    bool checked[3] = { false, false, false };
    for (const auto &entry : curveChannels) {
        if (!m_legend || !m_legend->legendWidget(itemToInfo(entry.first)))
            continue;
        drawn[entry.second] = true;
        checked[entry.second] = checked[entry.second] || isLegendChecked(entry.first);
    }
    for (ViewChannel channel : kChannelOrder)
        if (drawn[channel])
            showFlag(channel) = checked[channel];

    setYScale(m_app->selection);
    fitValueAxis(m_app->selection);
    buildAlarmBands();

    for (const auto &entry : markList) {
        entry.first->detach();
        if (showFlag(ViewChannel(entry.second)))
            entry.first->attach(this);
    }

    item->setVisible(on);
    if (item->plot())
        item->plot()->replot();
    followValueAxis();
}

// The value axis changed under the zoomer: its base takes the new axis, so
// that zooming out does not bring the old one back.
void CPlot::followValueAxis()
{
    Zoomer *current = zoomer();
    if (!current)
        return;
    const QwtScaleDiv &values = axisScaleDiv(yLeft);
    const QRectF base = current->zoomBase();
    const QRectF newBase(QPointF(base.left(), qMin(values.lowerBound(), values.upperBound())),
                         QPointF(base.right(), qMax(values.lowerBound(), values.upperBound())));
    if (newBase != base)
        current->setZoomBase(newBase);
}

QStringList CPlot::exportFilters()
{
    QStringList filters;
    filters << tr("PDF Documents (*.pdf)") << tr("SVG Documents (*.svg)");
    const QList<QByteArray> formats = QImageWriter::supportedImageFormats();
    if (!formats.isEmpty()) {
        QStringList patterns;
        for (const QByteArray &format : formats)
            patterns << QStringLiteral("*.") + QString::fromLatin1(format);
        filters << tr("Images (%1)").arg(patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

void CPlot::exportDocument()
{
    const QString fileName = CPrompt::saveFileName(this, tr("Export File Name"), QStringLiteral("bode.pdf"),
                                                   exportFilters().join(QStringLiteral(";;")));
    if (!fileName.isEmpty())
        exportDocument(fileName);
}

bool CPlot::exportDocument(const QString &fileName)
{
    QByteArray document;
    QString reason;
    // Rendered into memory first: the renderer tells nothing of a disk that
    // fills up under it, and the file is then written whole or not at all.
    const bool written = renderDocument(this, QFileInfo(fileName).suffix(), &document, &reason)
                         && WholeFile::write(fileName, document, &reason);
    if (!written)
        CPrompt::warning(this, tr("Warning!\n\nThe graph could not be written to\n%1\n%2")
                                   .arg(QDir::toNativeSeparators(fileName), reason));
    return written;
}

bool CPlot::renderDocument(QwtPlot *plot, const QString &format, QByteArray *document, QString *error)
{
    const QSizeF sizeMM(300.0, 200.0);
    const int resolution = 85;
    const QSizeF size = sizeMM / 25.4 * resolution;
    const QRectF documentRect(QPointF(0.0, 0.0), size);
    QString title = plot->title().text();
    if (title.isEmpty())
        title = QStringLiteral("Plot Document");

    QBuffer buffer(document);
    buffer.open(QIODevice::WriteOnly);
    // the renderer's defaults keep the background and the frames as on screen
    PlotRenderer renderer;
    const QString type = format.toLower();
    if (type == QLatin1String("pdf")) {
        QPdfWriter writer(&buffer);
        writer.setTitle(title);
        writer.setResolution(resolution);
        writer.setPageLayout(QPageLayout(QPageSize(sizeMM, QPageSize::Millimeter), QPageLayout::Portrait,
                                         QMarginsF()));
        QPainter painter(&writer);
        renderer.render(plot, &painter, documentRect);
    } else if (type == QLatin1String("svg")) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setTitle(title);
        generator.setResolution(resolution);
        generator.setViewBox(documentRect);
        QPainter painter(&generator);
        renderer.render(plot, &painter, documentRect);
    } else if (QImageWriter::supportedImageFormats().contains(type.toLatin1())) {
        const QRect imageRect = documentRect.toRect();
        const int dotsPerMeter = qRound(resolution / 25.4 * 1000.0);
        QImage image(imageRect.size(), QImage::Format_ARGB32);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        image.fill(Qt::white);
        QPainter painter(&image);
        renderer.render(plot, &painter, imageRect);
        painter.end();
        if (!image.save(&buffer, type.toLatin1().constData())) {
            if (error)
                *error = tr("The picture could not be encoded as %1.").arg(type);
            return false;
        }
    } else {
        if (error)
            *error = tr("Files of type .%1 cannot be written here.").arg(type);
        return false;
    }
    return true;
}

void CPlot::renderToPrinter(QPrinter &printer)
{
    PlotRenderer renderer;
    renderer.renderTo(this, printer);
}

void CPlot::setCanvasGradient()
{
    const double span = m_rangeTop - m_rangeBottom;
    QLinearGradient gradient(0.0, 0.0, 0.0, 1.0);
    gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
    gradient.setColorAt(0.0, QColor(255, 0, 0));
    if (span != 0.0) {
        gradient.setColorAt(qBound(0.0, 1.0 - (m_limitHH - m_rangeBottom) / span, 1.0), Qt::white);
        gradient.setColorAt(qBound(0.0, 1.0 - (m_limitL - m_rangeBottom) / span, 1.0), Qt::white);
    }
    gradient.setColorAt(1.0, QColor(0, 0, 255));

    QPalette palette(Qt::black);
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        palette.setBrush(QPalette::ColorGroup(group), QPalette::WindowText, QBrush(Qt::black));
        palette.setBrush(QPalette::ColorGroup(group), QPalette::Window, QBrush(gradient));
    }
    canvas()->setPalette(palette);
}
