#include <cmath>
#include <QImage>
#include <qwt_legend.h>
#include <qwt_legend_label.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_marker.h>
#include <qwt_scale_div.h>
#include <qwt_scale_map.h>

#include "app/clanguagetable.h"
#include "core/cmainapp.h"
#include "core/loggertime.h"
#include "core/windowstate.h"
#include "support/testenv.h"
#include "views/cplot.h"
#include "views/elapsedtimescaledraw.h"
#include "views/rectitem.h"
#include "views/timescaledraw.h"

namespace {

const QDateTime kStart(QDate(2016, 2, 9), QTime(10, 0, 0), Qt::LocalTime);

LoggerRecord makeRecord(const QString &serial, quint8 sensors, quint32 config,
                        const QVector<quint16> &words, quint32 interval = 60,
                        const QDateTime &start = kStart)
{
    LoggerRecord record;
    record.serialNumber = serial;
    record.productCode = QStringLiteral("QV-2T");
    record.versionWord = 0x11A;
    record.sensorFlags = sensors;
    record.configWord = config;
    record.updateChannels();
    record.readings = words;
    record.readingCount = words.size();
    record.recordedCount = quint32(words.size());
    record.startTime = start;
    record.interval = interval;
    record.dataLoaded = true;
    record.rangeLow = -40;
    record.rangeHigh = 85;
    return record;
}

QVector<quint16> tenthsWords(const QVector<int> &tenths)
{
    QVector<quint16> words;
    for (int value : tenths)
        words << ReadingWord::make(value);
    return words;
}

void setLimits(LoggerRecord &record, ViewChannel channel, double hh, double h, double l, double ll)
{
    double *limits = record.alarmThresholds[limitGroupOf(channel)];
    limits[LevelHH] = hh;
    limits[LevelH] = h;
    limits[LevelL] = l;
    limits[LevelLL] = ll;
}

QList<QwtPlotCurve *> curvesOf(const CPlot &plot)
{
    QList<QwtPlotCurve *> curves;
    for (QwtPlotItem *item : plot.itemList(QwtPlotItem::Rtti_PlotCurve))
        curves << static_cast<QwtPlotCurve *>(item);
    return curves;
}

QwtLegendLabel *legendLabel(CPlot &plot, QwtPlotItem *item)
{
    return qobject_cast<QwtLegendLabel *>(plot.legendWidget()->legendWidget(plot.itemToInfo(item)));
}

struct Band
{
    double lower;
    double height;
    QColor colour;
};

}

class TestPlot : public QObject
{
    Q_OBJECT
private:
    WindowState window;
    CMainApp *app = nullptr;

    CPlot *build(QList<int> selection, int current = -1)
    {
        app->selection = selection;
        auto *plot = new CPlot;
        plot->setData(app, current >= 0 ? current : selection.value(0, 0));
        plot->setupPlot();
        return plot;
    }

private slots:
    void init()
    {
        app = new CMainApp(&window);
        app->settings = AppSettings();
        app->languageTable->texts[0][192] = QStringLiteral("Temperature");
        app->languageTable->texts[0][193] = QStringLiteral("Humidity");
        app->languageTable->texts[0][194] = QStringLiteral("Date & Time");
        app->languageTable->texts[0][195] = QStringLiteral("Elapsed Time");
    }

    void cleanup()
    {
        delete app;
        app = nullptr;
    }

    void timeAxisLabels()
    {
        TimeScaleDraw dayFirst(kStart, 1, 0);
        QCOMPARE(dayFirst.label(90).text(), QStringLiteral("09/02/2016\n 10:01:30"));
        TimeScaleDraw monthFirst(kStart, 1, 1);
        QCOMPARE(monthFirst.label(90).text(), QStringLiteral("02/09/2016\n 10:01:30"));
        TimeScaleDraw tenMinutes(kStart, 600, 0);
        QCOMPARE(tenMinutes.label(12.5).text(), QStringLiteral("09/02/2016\n 12:05:00"));

        const QDateTime base(QDate(2000, 1, 1), QTime(0, 0), Qt::LocalTime);
        ElapsedTimeScaleDraw elapsed(base, 1);
        QCOMPARE(elapsed.label(3600).text(), QStringLiteral("01:00:00"));
        QCOMPARE(elapsed.label(90061).text(), QStringLiteral("1d 01:01:01"));
        QCOMPARE(elapsed.label(40 * 86400 + 7200).text(), QStringLiteral("40d 02:00:00"));
        QCOMPARE(elapsed.label(1.9).text(), QStringLiteral("00:00:01"));
        QCOMPARE(ElapsedTimeScaleDraw(base, 600).label(12.5).text(), QStringLiteral("02:05:00"));
        // 65,535 readings twelve hours apart do not wrap.
        QCOMPARE(ElapsedTimeScaleDraw(base, 43199).label(65535).text().left(6), QStringLiteral("32766d"));
    }

    void axisLabelDrawerFollowsTheSelection()
    {
        const QVector<quint16> words = tenthsWords({ 200, 210, 220 });
        app->records << makeRecord("A", SensorBits::InternalNtc, ConfigBits::InternalOn, words, 600)
                     << makeRecord("B", SensorBits::InternalNtc, ConfigBits::InternalOn, words, 60,
                                   kStart.addSecs(3600));
        app->settings.dateFormat = 1;
        QScopedPointer<CPlot> single(build({ 0 }));
        auto *time = dynamic_cast<const TimeScaleDraw *>(single->axisScaleDraw(QwtPlot::xBottom));
        QVERIFY(time);
        QCOMPARE(time->baseTime, kStart);
        QCOMPARE(time->secondsPerUnit, 600);
        QCOMPARE(time->monthFirst, 1);
        QCOMPARE(single->axisTitle(QwtPlot::xBottom).text(), QStringLiteral("Date & Time"));
        QCOMPARE(single->title().text(), QStringLiteral("A QV-2T"));

        QScopedPointer<CPlot> elapsed(build({ 0, 1 }));
        QVERIFY(dynamic_cast<const ElapsedTimeScaleDraw *>(elapsed->axisScaleDraw(QwtPlot::xBottom)));
        QCOMPARE(elapsed->axisTitle(QwtPlot::xBottom).text(), QStringLiteral("Elapsed Time"));
        QCOMPARE(elapsed->title().text(), QStringLiteral("Multi-Link"));

        app->settings.multiLinkSyncDateTime = true;
        QScopedPointer<CPlot> byDate(build({ 0, 1 }));
        time = dynamic_cast<const TimeScaleDraw *>(byDate->axisScaleDraw(QwtPlot::xBottom));
        QVERIFY(time);
        QCOMPARE(time->secondsPerUnit, 1);
        QCOMPARE(time->baseTime, kStart);

        app->settings.multiLinkSyncDateTime = false;
        app->settings.graphShowTime = false;
        QScopedPointer<CPlot> plain(build({ 0 }));
        QVERIFY(!dynamic_cast<const TimeScaleDraw *>(plain->axisScaleDraw(QwtPlot::xBottom)));
        QCOMPARE(plain->axisTitle(QwtPlot::xBottom).text(), QStringLiteral("Time"));
    }

    void curvesPerChannelWithMarksAndUnits()
    {
        // internal, humidity, external interleaved; the second sample marked
        QVector<quint16> words = { 0x00C8, 0x0190, 0x07FF, 0x08C8, 0x0191, 0x03FF, 0xF0C8, 0x0192, 0x0400 };
        app->records << makeRecord("A", SensorBits::DigitalTempHum | SensorBits::ExternalProbe,
                                   ConfigBits::InternalOn | ConfigBits::HumidityOn | ConfigBits::ExternalOn,
                                   words);
        app->settings.modeCelsius = 0;
        QScopedPointer<CPlot> plot(build({ 0 }));
        const QList<QwtPlotCurve *> curves = curvesOf(*plot);
        QCOMPARE(curves.size(), 3);
        QCOMPARE(curves.at(0)->title().text(), QStringLiteral("A Int.Temp.(Digital)"));
        QCOMPARE(curves.at(1)->title().text(), QStringLiteral("A Int.Hum.(Digital)"));
        QCOMPARE(curves.at(2)->title().text(), QStringLiteral("A Ext.Temp.(NTC)"));
        QCOMPARE(curves.at(0)->dataSize(), size_t(3));
        QCOMPARE(curves.at(0)->sample(0).y(), 68.0);
        QCOMPARE(curves.at(0)->sample(2).y(), 68.0);   // top four bits ignored
        QCOMPARE(curves.at(1)->sample(0).y(), 40.0);   // humidity never converted
        QVERIFY(std::fabs(curves.at(2)->sample(0).y() - Units::celsiusToFahrenheit(-0.1)) < 1e-9);
        QVERIFY(std::fabs(curves.at(2)->sample(1).y() - Units::celsiusToFahrenheit(102.3)) < 1e-9);
        QVERIFY(std::fabs(curves.at(2)->sample(2).y() - Units::celsiusToFahrenheit(-102.4)) < 1e-9);
        QCOMPARE(curves.at(2)->sample(2).x(), 2.0);
        QCOMPARE(plot->markList.size(), 1);
        QCOMPARE(plot->markList.at(0).second, int(ChannelInternal));
        QCOMPARE(plot->markList.at(0).first->xValue(), 1.0);
        QCOMPARE(plot->markList.at(0).first->yValue(), 68.0);
        QCOMPARE(plot->axisTitle(QwtPlot::yLeft).text(), QStringLiteral("Temperature (°F) / Humidity (%)"));
    }

    void curveTitlesOfTheModels()
    {
        LoggerRecord record = makeRecord("S", SensorBits::InternalNtc | SensorBits::ExternalProbe,
                                         ConfigBits::InternalOn | ConfigBits::ExternalOn, {});
        record.productCode = QStringLiteral("  Qv-7T plus ");
        QCOMPARE(CPlot::curveTitle(record, ChannelInternal), QStringLiteral("S Left Ext Temp.(NTC)"));
        QCOMPARE(CPlot::curveTitle(record, ChannelExternal), QStringLiteral("S Right Ext.Temp.(NTC)"));
        record.productCode = QStringLiteral("QV-5D1");
        QCOMPARE(CPlot::curveTitle(record, ChannelInternal), QStringLiteral("S Int/Ext.Temp.(NTC)"));
        record.productCode = QStringLiteral("qv-5d1");
        QCOMPARE(CPlot::curveTitle(record, ChannelInternal), QStringLiteral("S Int.Temp.(NTC)"));
    }

    void oldLoggerAndOddSets()
    {
        // An old logger draws one internal curve over all its readings.
        LoggerRecord old = makeRecord("O", SensorBits::DigitalTempHum,
                                      ConfigBits::HumidityOn, tenthsWords({ 10, 20, 30, 40 }));
        old.versionWord = 0x114;
        old.channelCount = 0;
        // A set with one reading, one with no channel, and one with no interval.
        LoggerRecord one = makeRecord("1", SensorBits::InternalNtc, ConfigBits::InternalOn, tenthsWords({ 55 }));
        LoggerRecord none = makeRecord("N", 0, 0, tenthsWords({ 1, 2 }), 0);
        none.channelCount = 0;
        app->records << old << one << none;

        QScopedPointer<CPlot> oldPlot(build({ 0 }));
        QList<QwtPlotCurve *> curves = curvesOf(*oldPlot);
        QCOMPARE(curves.size(), 1);
        QCOMPARE(curves.at(0)->title().text(), QStringLiteral("O Int.Temp.(NTC)"));
        QCOMPARE(curves.at(0)->dataSize(), size_t(4));
        QVERIFY(oldPlot->m_showIntTemp && !oldPlot->m_showHum && !oldPlot->m_showExtTemp);

        QScopedPointer<CPlot> onePlot(build({ 1 }));
        curves = curvesOf(*onePlot);
        QCOMPARE(curves.at(0)->dataSize(), size_t(2));
        QCOMPARE(curves.at(0)->sample(1).y(), 5.5);
        QCOMPARE(onePlot->axisScaleDiv(QwtPlot::xBottom).upperBound(), 0.0);

        app->settings.multiLinkSyncDateTime = true;
        QScopedPointer<CPlot> mixed(build({ 2, 1, 0 }, 2));
        QCOMPARE(curvesOf(*mixed).size(), 2);
        QCOMPARE(mixed->alarmBands().size(), 0);
        mixed->setCanvasGradient();
        QImage image(400, 300, QImage::Format_ARGB32);
        mixed->resize(400, 300);
        mixed->render(&image);
    }

    void samplesStopAtTheBuffer()
    {
        LoggerRecord big = makeRecord("B", SensorBits::InternalNtc, ConfigBits::InternalOn, {});
        big.readings = QVector<quint16>(200000, ReadingWord::make(100));
        big.readingCount = 200000;
        big.recordedCount = 200000;
        app->records << big;
        QScopedPointer<CPlot> plot(build({ 0 }));
        QCOMPARE(curvesOf(*plot).at(0)->dataSize(), size_t(CPlot::kSampleCapacity));
    }

    void setsPlacedByDate()
    {
        const QVector<quint16> words = tenthsWords({ 10, 20, 30, 40 });
        app->records << makeRecord("A", SensorBits::InternalNtc, ConfigBits::InternalOn, words, 60)
                     << makeRecord("B", SensorBits::InternalNtc, ConfigBits::InternalOn, words, 60,
                                   kStart.addSecs(3600));
        app->settings.multiLinkSyncDateTime = true;
        QScopedPointer<CPlot> plot(build({ 0, 1 }));
        const QList<QwtPlotCurve *> curves = curvesOf(*plot);
        QCOMPARE(curves.at(1)->sample(0).x(), 3600.0);
        QCOMPARE(curves.at(1)->sample(3).x(), 3600.0 + 180.0);
        QCOMPARE(plot->xSpan, 3600.0 + 180.0);
        QCOMPARE(plot->minInterval, 60u);

        // Intervals times readings beyond 32 bits stay exact.
        LoggerRecord slow = makeRecord("S", SensorBits::InternalNtc, ConfigBits::InternalOn, {}, 43199,
                                       kStart.addSecs(7200));
        slow.readings = QVector<quint16>(65535, ReadingWord::make(100));
        slow.readingCount = slow.recordedCount = 65535;
        app->records << slow;
        QScopedPointer<CPlot> wide(build({ 0, 2 }));
        const QwtPlotCurve *last = curvesOf(*wide).at(1);
        QCOMPARE(last->sample(65534).x(), 7200.0 + 65534.0 * 43199.0);
        QCOMPARE(wide->xSpan, 7200.0 + 65534.0 * 43199.0);

        // Not placed by date, both sets start at 0.
        app->settings.multiLinkSyncDateTime = false;
        QScopedPointer<CPlot> side(build({ 0, 1 }));
        QCOMPARE(curvesOf(*side).at(1)->sample(0).x(), 0.0);
    }

    void valueAxisFullRangeAndFitted()
    {
        LoggerRecord hum = makeRecord("H", SensorBits::DigitalTempHum, ConfigBits::HumidityOn,
                                      tenthsWords({ 400, 500 }));
        setLimits(hum, ChannelHumidity, 90, 80, 20, 10);
        LoggerRecord ext = makeRecord("E", SensorBits::InternalNtc | SensorBits::ExternalProbe,
                                      ConfigBits::ExternalOn,
                                      tenthsWords({ 100, 150 }));
        setLimits(ext, ChannelExternal, 30, 25, 5, 0);
        ext.lowestValue[GroupExternal] = 10.0f;
        ext.highestValue[GroupExternal] = 15.0f;
        LoggerRecord other = makeRecord("O", SensorBits::InternalNtc, ConfigBits::InternalOn,
                                        tenthsWords({ 100 }));
        other.rangeLow = -60;
        other.rangeHigh = 70;
        app->records << hum << ext << other;
        app->settings.modeCelsius = 0;

        QScopedPointer<CPlot> humPlot(build({ 0 }));
        QCOMPARE(humPlot->axisScaleDiv(QwtPlot::yLeft).lowerBound(), 0.0);
        QCOMPARE(humPlot->axisScaleDiv(QwtPlot::yLeft).upperBound(), 100.0);
        QCOMPARE(humPlot->m_limitHH, 90.0);
        QCOMPARE(humPlot->m_limitLL, 10.0);

        QScopedPointer<CPlot> extPlot(build({ 1 }));
        QCOMPARE(extPlot->m_limitHH, 86.0);
        QCOMPARE(extPlot->m_limitLL, 32.0);
        QCOMPARE(extPlot->m_rangeBottom, -40.0);
        QCOMPARE(extPlot->m_rangeTop, 185.0);
        QCOMPARE(extPlot->axisScaleDiv(QwtPlot::yLeft).upperBound(), 185.0);

        app->settings.modeCelsius = 1;
        QScopedPointer<CPlot> two(build({ 1, 2 }));
        QCOMPARE(two->m_limitHH, 1000.0);
        QCOMPARE(two->m_limitLL, -1000.0);
        QCOMPARE(two->axisScaleDiv(QwtPlot::yLeft).lowerBound(), -60.0);
        QCOMPARE(two->axisScaleDiv(QwtPlot::yLeft).upperBound(), 85.0);

        app->settings.graphShowFullRange = false;
        QScopedPointer<CPlot> fitted(build({ 1 }));
        QCOMPARE(fitted->axisScaleDiv(QwtPlot::yLeft).lowerBound(), 9.0);
        QCOMPARE(fitted->axisScaleDiv(QwtPlot::yLeft).upperBound(), 16.0);
        // A one-sensor logger uses its internal extremes.
        app->records[2].recordedChannels = 1;
        app->records[2].lowestValue[GroupInternal] = -3.0f;
        app->records[2].highestValue[GroupInternal] = 4.0f;
        QScopedPointer<CPlot> internal(build({ 2 }));
        QCOMPARE(internal->axisScaleDiv(QwtPlot::yLeft).lowerBound(), -4.0);
        QCOMPARE(internal->axisScaleDiv(QwtPlot::yLeft).upperBound(), 5.0);
    }

    void alarmBandsForEachCombinationOfLevels()
    {
        const AppSettings colours;
        const double top = 85, bottom = -40, hh = 30, h = 25, l = 5, ll = 0;
        for (int levels = 0; levels < 16; ++levels) {
            const bool bHH = levels & 1, bH = levels & 2, bL = levels & 4, bLL = levels & 8;
            LoggerRecord record = makeRecord("A", SensorBits::InternalNtc,
                                             ConfigBits::InternalOn | quint32(levels), tenthsWords({ 100, 110 }));
            setLimits(record, ChannelInternal, hh, h, l, ll);
            app->records = { record };
            QScopedPointer<CPlot> plot(build({ 0 }));

            QList<Band> expected;
            const bool any = levels != 0;
            if (bHH)
                expected << Band { hh, top - hh, colours.graphThresholdHH };
            if (bH)
                expected << Band { h, (bHH ? hh : top) - h, colours.graphThresholdH };
            expected << (any ? Band { l, h - l, colours.graphThresholdNormal }
                             : Band { bottom, top - bottom, colours.graphThresholdNormal });
            if (bL)
                expected << Band { bLL ? ll : bottom, l - (bLL ? ll : bottom), colours.graphThresholdL };
            if (bLL)
                expected << Band { bottom, ll - bottom, colours.graphThresholdLL };

            const QList<RectItem *> bands = plot->alarmBands();
            QCOMPARE(bands.size(), expected.size());
            for (int i = 0; i < bands.size(); ++i) {
                const QRectF rect = bands.at(i)->rect();
                QCOMPARE(rect.x(), -100.0);
                QCOMPARE(rect.width(), 1000.0);   // few samples: the minimum width
                QCOMPARE(rect.y(), expected.at(i).lower);
                QCOMPARE(rect.height(), expected.at(i).height);
                QCOMPARE(bands.at(i)->brush().color(), expected.at(i).colour);
                QCOMPARE(bands.at(i)->plot(), plot.data());
                QCOMPARE(bands.at(i)->z(), 0.0);
            }
        }

        // No channel on: no band. Two sets: the normal band in the multi-link colour.
        LoggerRecord off = makeRecord("X", SensorBits::InternalNtc, 0, tenthsWords({ 1 }));
        LoggerRecord on = makeRecord("Y", SensorBits::InternalNtc, ConfigBits::InternalOn | ConfigBits::IntH,
                                     tenthsWords({ 1 }));
        app->records = { off, on };
        QScopedPointer<CPlot> none(build({ 0 }));
        QCOMPARE(none->alarmBands().size(), 0);
        QScopedPointer<CPlot> multi(build({ 1, 0 }, 1));
        QCOMPARE(multi->alarmBands().size(), 2);
        QCOMPARE(multi->alarmBands().at(1)->brush().color(), colours.graphThresholdMultiLink);
        QCOMPARE(multi->alarmBands().at(1)->rect().y(), -1000.0);
        QCOMPARE(multi->alarmBands().at(1)->rect().height(), 2000.0);
    }

    void bandsPaintBehindTheCurves()
    {
        LoggerRecord record = makeRecord("A", SensorBits::InternalNtc,
                                         ConfigBits::InternalOn | ConfigBits::IntHH | ConfigBits::IntLL,
                                         tenthsWords({ 100, 110, 120 }));
        setLimits(record, ChannelInternal, 30, 25, 5, 0);
        app->records << record;
        QScopedPointer<CPlot> plot(build({ 0 }));
        plot->resize(800, 600);
        plot->replot();
        QImage image(800, 600, QImage::Format_ARGB32);
        image.fill(Qt::black);
        plot->render(&image);
        const QWidget *canvas = plot->canvas();
        const QwtScaleMap yMap = plot->canvasMap(QwtPlot::yLeft);
        const QPoint origin = canvas->mapTo(plot.data(), QPoint(0, 0));
        const int x = origin.x() + canvas->width() / 3;
        const int yHH = origin.y() + int(yMap.transform(57.0));
        const int yLL = origin.y() + int(yMap.transform(-17.0));
        QCOMPARE(QColor(image.pixel(x, yHH)), AppSettings().graphThresholdHH);
        QCOMPARE(QColor(image.pixel(x, yLL)), AppSettings().graphThresholdLL);

        RectItem empty;
        empty.setRect(QRectF(0, 0, 10, -1));
        QPainter painter(&image);
        const QColor before = image.pixel(10, 10);
        empty.setBrush(QBrush(Qt::green));
        empty.draw(&painter, QwtScaleMap(), QwtScaleMap(), QRectF());
        QCOMPARE(QColor(image.pixel(10, 10)), before);
    }

    void legendClicksShowAndHideChannels()
    {
        LoggerRecord record = makeRecord("A", SensorBits::InternalNtc | SensorBits::ExternalProbe,
                                         ConfigBits::InternalOn | ConfigBits::ExternalOn | ConfigBits::IntH
                                             | ConfigBits::ExtL,
                                         { 0x00C8, 0x0064, 0x08C8, 0x0865 });
        setLimits(record, ChannelInternal, 30, 25, 5, 0);
        app->records << record;
        QScopedPointer<CPlot> plot(build({ 0 }));
        const QList<QwtPlotCurve *> curves = curvesOf(*plot);
        QCOMPARE(curves.size(), 2);
        QwtLegendLabel *intLabel = legendLabel(*plot, curves.at(0));
        QwtLegendLabel *extLabel = legendLabel(*plot, curves.at(1));
        QVERIFY(intLabel && extLabel);
        QVERIFY(intLabel->isChecked() && extLabel->isChecked());
        const int bandCount = plot->alarmBands().size();
        QCOMPARE(bandCount, 4);   // per channel: one level band and the normal band
        QCOMPARE(plot->markList.size(), 2);

        // Hiding the external curve leaves one channel: its limits and bands.
        QTest::mouseClick(extLabel, Qt::LeftButton);
        QVERIFY(!extLabel->isChecked());
        QVERIFY(!curves.at(1)->isVisible());
        QVERIFY(!plot->m_showExtTemp && plot->m_showIntTemp);
        QCOMPARE(plot->m_limitH, 25.0);
        QCOMPARE(plot->alarmBands().size(), bandCount);
        QCOMPARE(plot->alarmBands().at(1)->brush().color(), AppSettings().graphThresholdNormal);
        int attached = 0;
        for (const auto &mark : plot->markList)
            attached += mark.first->plot() ? 1 : 0;
        QCOMPARE(attached, 1);

        // The last checked curve cannot be unchecked.
        QTest::mouseClick(intLabel, Qt::LeftButton);
        QVERIFY(intLabel->isChecked());
        QVERIFY(curves.at(0)->isVisible());
        QVERIFY(plot->m_showIntTemp);

        // Showing it again brings the marker back, still without extra bands.
        QTest::mouseClick(extLabel, Qt::LeftButton);
        QVERIFY(extLabel->isChecked());
        QVERIFY(curves.at(1)->isVisible());
        QCOMPARE(plot->alarmBands().size(), bandCount);
        attached = 0;
        for (const auto &mark : plot->markList)
            attached += mark.first->plot() ? 1 : 0;
        QCOMPARE(attached, 2);

        // A plot deleted with a marker detached frees it (checked under ASan).
        QTest::mouseClick(extLabel, Qt::LeftButton);
        plot.reset();
    }

    void thresholdLinesWhenAsked()
    {
        LoggerRecord record = makeRecord("A", SensorBits::InternalNtc, ConfigBits::InternalOn,
                                         tenthsWords({ 100, 110 }));
        setLimits(record, ChannelInternal, 30, 25, 5, 0);
        app->records << record;
        app->settings.graphShowThresholdLine = true;
        QScopedPointer<CPlot> plot(build({ 0 }));
        QList<double> lines;
        for (QwtPlotItem *item : plot->itemList(QwtPlotItem::Rtti_PlotMarker)) {
            auto *marker = static_cast<QwtPlotMarker *>(item);
            if (marker->lineStyle() == QwtPlotMarker::HLine)
                lines << marker->yValue();
        }
        QCOMPARE(lines, QList<double>({ 30, 25, 5, 0 }));
    }
};

MIRELDA_TEST_MAIN(TestPlot)
#include "tst_plot.moc"
