#include <cmath>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <qwt_legend.h>
#include <qwt_legend_label.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_marker.h>
#include <qwt_scale_div.h>
#include <qwt_scale_map.h>

#include "core/loggertime.h"
#include "support/coretest.h"
#include "support/testenv.h"
#include "support/viewstest.h"
#include "views/chistogram.h"
#include "views/cplot.h"
#include "views/elapsedtimescaledraw.h"
#include "views/plotrenderer.h"
#include "views/rectitem.h"
#include "views/timescaledraw.h"
#include "views/zoomer.h"

namespace {

const QDateTime kStart(QDate(2016, 2, 9), QTime(10, 0, 0), Qt::LocalTime);
constexpr quint8 kNtc = SensorBits::InternalNtc;
constexpr quint8 kNtcExt = SensorBits::InternalNtc | SensorBits::ExternalProbe;
using ViewsTest::setLimits;
using ViewsTest::words;

LoggerRecord makeRecord(const QString &serial, quint8 sensors, quint32 config, const QVector<quint16> &words,
                        quint32 interval = 60, const QDateTime &start = kStart)
{
    return ViewsTest::downloadedSet(serial, sensors, config, words, interval, start);
}

QList<QwtPlotCurve *> curvesOf(const CPlot &plot)
{
    QList<QwtPlotCurve *> curves;
    for (QwtPlotItem *item : plot.itemList(QwtPlotItem::Rtti_PlotCurve))
        curves << static_cast<QwtPlotCurve *>(item);
    return curves;
}

// The colour the graph paints at a value, a third into the canvas.
QColor colourAt(CPlot &plot, double value)
{
    plot.resize(600, 400);
    plot.replot();
    QImage image(plot.size(), QImage::Format_ARGB32);
    image.fill(Qt::black);
    plot.render(&image);
    const QPoint origin = plot.canvas()->mapTo(&plot, QPoint(0, 0));
    return image.pixel(origin.x() + plot.canvas()->width() / 3,
                       origin.y() + int(plot.canvasMap(QwtPlot::yLeft).transform(value)));
}

int attachedMarks(const CPlot &plot)
{
    int attached = 0;
    for (const auto &mark : plot.markList)
        attached += mark.first->plot() ? 1 : 0;
    return attached;
}

// Pixels of a colour on the plot's canvas, as it renders off screen.
// The plot's canvas as rendered at 600 x 400.
QImage canvasImage(CPlot &plot)
{
    plot.resize(600, 400);
    plot.replot();
    QImage image(plot.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    plot.render(&image);
    return image.copy(QRect(plot.canvas()->mapTo(&plot, QPoint(0, 0)), plot.canvas()->size()));
}

int canvasPixelsOf(CPlot &plot, const QColor &colour, int column = -1)
{
    const QImage canvas = canvasImage(plot);
    int count = 0;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = column < 0 ? 0 : column; x <= (column < 0 ? canvas.width() - 1 : column); ++x)
            count += canvas.pixel(x, y) == colour.rgb() ? 1 : 0;
    return count;
}

}

class TestPlot : public QObject, CoreFixture
{
    Q_OBJECT

    CPlot *build(QList<int> selection, int current = -1)
    {
        app->selection = selection;
        auto *plot = new CPlot;
        plot->setData(app, current >= 0 ? current : selection.value(0, 0));
        plot->setupPlot();
        return plot;
    }

private slots:
    void init() { renewCore(); }

    void timeAxisFollowsTheSelection()
    {
        QCOMPARE(ElapsedTimeScaleDraw(kStart, 1).label(90061.9).text(), QStringLiteral("1d 01:01:01"));
        // 65,535 readings twelve hours apart do not wrap.
        QCOMPARE(ElapsedTimeScaleDraw(kStart, 43199).label(65535).text().left(6), QStringLiteral("32766d"));
        app->records << makeRecord("A", kNtc, ConfigBits::InternalOn, words({ 1, 2, 3, 4 }), 600)
                     << makeRecord("B", kNtc, ConfigBits::InternalOn, words({ 1, 2, 3, 4 }), 60, kStart.addSecs(3600))
                     << makeRecord("S", kNtc, ConfigBits::InternalOn, QVector<quint16>(65535, 100), 43199,
                                   kStart.addSecs(7200));
        app->settings.dateFormat = 1;
        QScopedPointer<CPlot> single(build({ 0 }));
        QCOMPARE(single->axisScaleDraw(QwtPlot::xBottom)->label(12.5).text(), QStringLiteral("02/09/2016\n 12:05:00"));
        QCOMPARE(single->axisTitle(QwtPlot::xBottom).text(), QStringLiteral("Date & Time"));

        // Side by side, every set starts at 0 on an elapsed axis.
        QScopedPointer<CPlot> side(build({ 0, 1 }));
        QVERIFY(dynamic_cast<const ElapsedTimeScaleDraw *>(side->axisScaleDraw(QwtPlot::xBottom)));
        QCOMPARE(side->title().text(), QStringLiteral("Multi-Link"));
        QCOMPARE(curvesOf(*side).at(1)->sample(0).x(), 0.0);
        // the axis spans the longest set, whichever comes last
        QScopedPointer<CPlot> longFirst(build({ 2, 0 }));
        QCOMPARE(longFirst->axisScaleDiv(QwtPlot::xBottom).upperBound(), 65534.0 * 43199.0);

        app->settings.multiLinkSyncDateTime = true;
        QScopedPointer<CPlot> byDate(build({ 0, 1 }));
        QCOMPARE(byDate->axisScaleDraw(QwtPlot::xBottom)->label(90).text(), QStringLiteral("02/09/2016\n 10:01:30"));
        QCOMPARE(curvesOf(*byDate).at(1)->sample(3).x(), 3600.0 + 180.0);
        // Intervals times readings beyond 32 bits stay exact.
        QScopedPointer<CPlot> wide(build({ 0, 2 }));
        QCOMPARE(curvesOf(*wide).at(1)->sample(65534).x(), 7200.0 + 65534.0 * 43199.0);
        QCOMPARE(wide->xSpan, 7200.0 + 65534.0 * 43199.0);
        // a set without readings does not move the others' time base
        LoggerRecord empty = makeRecord("E", kNtc, ConfigBits::InternalOn, {}, 60, kStart.addSecs(-60));
        empty.recordedCount = 0;
        app->records << empty;
        QScopedPointer<CPlot> withEmpty(build({ 3, 1 }));
        QCOMPARE(curvesOf(*withEmpty).at(0)->sample(0).x(), 3660.0);
        QCOMPARE(withEmpty->axisScaleDraw(QwtPlot::xBottom)->label(60).text(), QStringLiteral("02/09/2016\n 10:00:00"));
    }

    // With a zone chosen in the options, the time axis and the places of
    // sets by date count at that zone's offset, through the PC's change.
    void timeAxisKeepsAChosenZone()
    {
        app->settings.timeZone = 1.0f;
        app->settings.timeZoneIndex = 34;
        const QDateTime night(QDate(2026, 3, 29), QTime(0, 0), Qt::LocalTime);
        app->records << makeRecord("M", kNtc, ConfigBits::InternalOn, words({ 1, 2, 3, 4, 5 }), 3600, night)
                     << makeRecord("N", kNtc, ConfigBits::InternalOn, words({ 1, 2 }), 3600, night.addSecs(7200));
        QScopedPointer<CPlot> single(build({ 0 }));
        QCOMPARE(single->axisScaleDraw(QwtPlot::xBottom)->label(2).text(), QStringLiteral("29/03/2026\n 02:00:00"));
        app->settings.multiLinkSyncDateTime = true;
        QScopedPointer<CPlot> byDate(build({ 0, 1 }));
        QCOMPARE(curvesOf(*byDate).at(1)->sample(0).x(), 3.0 * 3600);
        QCOMPARE(byDate->axisScaleDraw(QwtPlot::xBottom)->label(4 * 3600).text(), QStringLiteral("29/03/2026\n 04:00:00"));
    }

    // A serial is text as typed: markup in it is drawn as its characters in
    // the graph's title and legend and in the histogram's legend, as every
    // other page shows it.
    void serialsAreDrawnAsTyped_data()
    {
        QTest::addColumn<bool>("histogram");
        QTest::addColumn<QString>("drawn");
        QTest::newRow("graph's title") << false << "<h1>BIG</h1> QV-1";
        QTest::newRow("graph's legend") << false << "<h1>BIG</h1> Int.Temp.(NTC)";
        QTest::newRow("histogram's legend") << true << "<h1>BIG</h1> Int.Temp.(NTC)";
    }
    void serialsAreDrawnAsTyped()
    {
        QFETCH(bool, histogram);
        QFETCH(QString, drawn);
        app->records << makeRecord(QStringLiteral("<h1>BIG</h1>"), kNtc, ConfigBits::InternalOn, words({ 200, 210 }));
        app->records[0].productCode = QStringLiteral("QV-1");
        app->selection = { 0 };
        QScopedPointer<QwtPlot> view(histogram ? static_cast<QwtPlot *>(new CHistogram) : build({ 0 }));
        if (auto *histogramView = qobject_cast<CHistogram *>(view.data())) {
            histogramView->setData(app, 0);
            histogramView->setupPlot();
        }
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("view.pdf"));
        {
            QPdfWriter writer(pdf);
            QPainter painter(&writer);
            PlotRenderer().render(view.data(), &painter, QRectF(0, 0, writer.width(), writer.height() / 2));
        }
        const QString text = QString::fromUtf8(TestEnv::programOutput("pdftotext", { pdf, "-" }));
        QVERIFY2(text.contains(drawn), qPrintable(text));
    }

    void curvesPerChannelWithMarksAndUnits()
    {
        // internal, humidity, external interleaved; the second sample marked
        const QVector<quint16> words = { 0x00C8, 0x0190, 0x07FF, 0x08C8, 0x0191, 0x03FF, 0xF0C8, 0x0192, 0x0400 };
        app->records << makeRecord("A", SensorBits::DigitalTempHum | SensorBits::ExternalProbe,
                                   ConfigBits::InternalOn | ConfigBits::HumidityOn | ConfigBits::ExternalOn, words);
        app->settings.modeCelsius = 0;
        QScopedPointer<CPlot> plot(build({ 0 }));
        const QList<QwtPlotCurve *> curves = curvesOf(*plot);
        QCOMPARE(curves.size(), 3);
        QCOMPARE(curves.at(0)->sample(0).y(), 68.0);
        QCOMPARE(curves.at(1)->sample(0).y(), 40.0);   // humidity never converted
        QVERIFY(std::fabs(curves.at(2)->sample(0).y() - Units::celsiusToFahrenheit(-0.1)) < 1e-9);
        QCOMPARE(plot->markList.size(), 1);
        QCOMPARE(plot->markList.at(0).first->value(), QPointF(1.0, 68.0));
        QCOMPARE(plot->axisTitle(QwtPlot::yLeft).text(), QStringLiteral("Temperature (°F) / Humidity (%)"));
    }

    void oddSetsDrawWithoutCrashing()
    {
        // An old logger draws one internal curve over all its readings.
        LoggerRecord old = makeRecord("O", SensorBits::DigitalTempHum, ConfigBits::HumidityOn, words({ 1, 2, 3, 4 }));
        old.versionWord = 0x114;
        old.channelCount = 0;
        LoggerRecord one = makeRecord("1", kNtc, ConfigBits::InternalOn, words({ 55 }));
        LoggerRecord none = makeRecord("N", 0, 0, words({ 1, 2 }), 0);   // no channel, no interval
        none.channelCount = 0;
        LoggerRecord big = makeRecord("B", kNtc, ConfigBits::InternalOn, QVector<quint16>(200000, 100));
        app->records << old << one << none << big;

        QScopedPointer<CPlot> oldPlot(build({ 0 }));
        QCOMPARE(curvesOf(*oldPlot).size(), 1);
        QCOMPARE(curvesOf(*oldPlot).at(0)->dataSize(), size_t(4));

        // A single reading still draws a line.
        QScopedPointer<CPlot> onePlot(build({ 1 }));
        QCOMPARE(curvesOf(*onePlot).at(0)->dataSize(), size_t(2));
        QCOMPARE(curvesOf(*onePlot).at(0)->sample(1).y(), 5.5);

        app->settings.multiLinkSyncDateTime = true;
        QScopedPointer<CPlot> mixed(build({ 2, 1, 0 }, 2));
        QCOMPARE(curvesOf(*mixed).size(), 2);
        QCOMPARE(mixed->alarmBands().size(), 0);
        // a set without channel or interval beside the others still draws:
        // the canvas is painted over all its width
        mixed->setCanvasGradient();
        QImage image(400, 300, QImage::Format_ARGB32);
        const QRgb unpainted = qRgb(255, 0, 255);
        image.fill(unpainted);
        mixed->resize(400, 300);
        mixed->replot();
        mixed->render(&image);
        const QRect canvas(mixed->canvas()->mapTo(mixed.data(), QPoint(0, 0)), mixed->canvas()->size());
        QVERIFY(canvas.width() > 200);
        int untouched = 0;
        for (int x = canvas.left(); x <= canvas.right(); ++x)
            untouched += image.pixel(x, canvas.center().y()) == unpainted ? 1 : 0;
        QCOMPARE(untouched, 0);

        QScopedPointer<CPlot> bigPlot(build({ 3 }));
        QCOMPARE(curvesOf(*bigPlot).at(0)->dataSize(), size_t(CPlot::kSampleCapacity));
    }

    void oneReadingTripShowsItsReadingAndItsTime()
    {
        const QColor dot(200, 0, 200);
        app->settings.graphLineExtColor = dot;
        app->settings.dateFormat = 1;
        app->records << makeRecord("1", SensorBits::ExternalProbe, ConfigBits::ExternalOn, words({ 55 }), 60,
                                   kStart.addSecs(1800))
                     << makeRecord("L", kNtc, ConfigBits::InternalOn, words(QVector<int>(61, 200)), 60);

        // alone: the reading stands inside the axis, its time under it
        QScopedPointer<CPlot> alone(build({ 0 }));
        const QwtScaleDiv &div = alone->axisScaleDiv(QwtPlot::xBottom);
        QVERIFY2(div.lowerBound() < 0.0 && div.upperBound() > 0.0,
                 qPrintable(QStringLiteral("%1..%2").arg(div.lowerBound()).arg(div.upperBound())));
        QVERIFY(div.ticks(QwtScaleDiv::MajorTick).contains(0.0));
        QCOMPARE(alone->axisScaleDraw(QwtPlot::xBottom)->label(0.0).text(), QStringLiteral("02/09/2016\n 10:30:00"));
        QVERIFY(canvasPixelsOf(*alone, dot) > 0);

        // beside a longer trip, side by side and placed by date
        QScopedPointer<CPlot> side(build({ 1, 0 }));
        QVERIFY(canvasPixelsOf(*side, dot) > 0);
        app->settings.multiLinkSyncDateTime = true;
        QScopedPointer<CPlot> byDate(build({ 1, 0 }));
        QVERIFY(canvasPixelsOf(*byDate, dot) > 0);

        // two of an hour's and half an hour's interval: the normal band
        // still reaches both edges of the axis widened around them
        app->settings.multiLinkSyncDateTime = false;
        const QColor normal(0, 200, 100);
        app->settings.graphThresholdMultiLink = normal;
        app->records << makeRecord("H", kNtc, ConfigBits::InternalOn, words({ 55 }), 3600)
                     << makeRecord("M", kNtc, ConfigBits::InternalOn, words({ 65 }), 1800);
        QScopedPointer<CPlot> hours(build({ 2, 3 }));
        const int height = canvasImage(*hours).height();
        for (int column : { 4, canvasImage(*hours).width() - 5 })
            QVERIFY2(canvasPixelsOf(*hours, normal, column) > height / 2, qPrintable(QString::number(column)));
    }

    void sideBySideElapsedTimeHoldsForEveryInterval()
    {
        app->records << makeRecord("F", kNtc, ConfigBits::InternalOn, words({ 100, 110, 120, 130 }), 60)
                     << makeRecord("S", kNtc, ConfigBits::InternalOn, words({ 200, 210, 220, 230 }), 600,
                                   kStart.addDays(1));
        QScopedPointer<CPlot> plot(build({ 0, 1 }));
        const QList<QwtPlotCurve *> curves = curvesOf(*plot);
        const QwtScaleDraw *axis = plot->axisScaleDraw(QwtPlot::xBottom);
        QCOMPARE(axis->label(curves.at(0)->sample(2).x()).text(), QStringLiteral("00:02:00"));
        QCOMPARE(axis->label(curves.at(1)->sample(2).x()).text(), QStringLiteral("00:20:00"));
        QCOMPARE(plot->axisScaleDiv(QwtPlot::xBottom).upperBound(), 1800.0);
        // the tracker names each trip's reading at that elapsed time
        QCOMPARE(plot->zoomer()->readingText(QPointF(150, 12.0)), QStringLiteral("#3-10:02:00  intT:12.0°C"));
        QCOMPARE(plot->zoomer()->readingText(QPointF(1250, 12.0)), QStringLiteral("#3-10:20:00  intT:22.0°C"));
    }

    void valueAxisFullRangeAndFitted()
    {
        LoggerRecord hum = makeRecord("H", SensorBits::DigitalTempHum, ConfigBits::HumidityOn, words({ 400, 500 }));
        LoggerRecord ext = makeRecord("E", kNtcExt, ConfigBits::ExternalOn, words({ 100, 150 }));
        setLimits(ext, ChannelExternal, 30, 25, 5, 0);
        ext.lowestValue[GroupExternal] = 10.0f;
        ext.highestValue[GroupExternal] = 15.0f;
        LoggerRecord other = makeRecord("O", kNtc, ConfigBits::InternalOn, words({ 100 }));
        other.rangeLow = -60;
        other.rangeHigh = 70;
        app->records << hum << ext << other;
        auto yRange = [](const CPlot &plot) {
            const QwtScaleDiv &div = plot.axisScaleDiv(QwtPlot::yLeft);
            return qMakePair(div.lowerBound(), div.upperBound());
        };

        app->settings.modeCelsius = 0;
        QCOMPARE(yRange(*QScopedPointer<CPlot>(build({ 0 }))), qMakePair(0.0, 100.0));
        QScopedPointer<CPlot> extPlot(build({ 1 }));
        QCOMPARE(extPlot->m_limitHH, 86.0);
        QCOMPARE(yRange(*extPlot), qMakePair(-40.0, 185.0));

        app->settings.modeCelsius = 1;   // two sets: the widest range
        QCOMPARE(yRange(*QScopedPointer<CPlot>(build({ 1, 2 }))), qMakePair(-60.0, 85.0));
        app->settings.graphShowFullRange = false;
        QCOMPARE(yRange(*QScopedPointer<CPlot>(build({ 1 }))), qMakePair(9.0, 16.0));
        // A one-sensor logger uses its internal extremes.
        app->records[2].recordedChannels = 1;
        app->records[2].lowestValue[GroupInternal] = -3.0f;
        app->records[2].highestValue[GroupInternal] = 4.0f;
        QCOMPARE(yRange(*QScopedPointer<CPlot>(build({ 2 }))), qMakePair(-4.0, 5.0));
        // a trip not yet begun beside one of 20 to 25 stretches nothing, of one sensor or two
        app->records[2].lowestValue[GroupInternal] = 20.0f;
        app->records[2].highestValue[GroupInternal] = 25.0f;
        for (quint32 probe : { 0u, ConfigBits::ExternalOn }) {
            app->records << makeRecord("0", kNtcExt, ConfigBits::InternalOn | probe, {});
            QCOMPARE(yRange(*QScopedPointer<CPlot>(build({ 2, app->records.size() - 1 }, 2))), qMakePair(19.0, 26.0));
        }
    }

    // The bands span the time axis; the fitted value axis stands a unit past
    // the readings, and the outermost bands reach its bounds: the bands fill
    // the canvas, whose edges the axes reach.
    void bandsReachTheAxesBounds()
    {
        app->settings.graphShowFullRange = app->settings.graphShowHGrid = app->settings.graphShowVGrid = false;
        LoggerRecord record = makeRecord("R", kNtc, ConfigBits::InternalOn | ConfigBits::IntHH | ConfigBits::IntLL,
                                         words({ 200, 210, 220 }));
        setLimits(record, ChannelInternal, 75, 70, -30, -35);
        record.lowestValue[GroupInternal] = -40.0f;
        record.highestValue[GroupInternal] = 85.0f;
        app->records << record;
        QScopedPointer<CPlot> plot(build({ 0 }));
        QCOMPARE(plot->axisInterval(QwtPlot::yLeft), QwtInterval(-41.0, 86.0));
        const QwtInterval time = plot->axisInterval(QwtPlot::xBottom);
        for (const RectItem *band : plot->alarmBands())
            QCOMPARE(qMakePair(band->rect().left(), band->rect().right()), qMakePair(time.minValue(), time.maxValue()));
        const QImage canvas = canvasImage(*plot);
        const int in = static_cast<QFrame *>(plot->canvas())->frameWidth();
        const QRect inside = canvas.rect().adjusted(in, in, -in, -in);
        const QwtScaleMap x = plot->canvasMap(QwtPlot::xBottom), y = plot->canvasMap(QwtPlot::yLeft);
        QCOMPARE(QRectF(QPointF(x.p1(), y.p2()), QPointF(x.p2(), y.p1())), QRectF(inside.topLeft(), inside.bottomRight()));
        for (const QPoint &corner : { inside.topLeft(), inside.topRight(), inside.bottomLeft(), inside.bottomRight() })
            QCOMPARE(QColor(canvas.pixel(corner)), corner.y() == in ? AppSettings().graphThresholdHH : AppSettings().graphThresholdLL);
    }

    // HH 30, H 25, L 5, LL 0 on a -40..85 range; bands from the top down.
    void alarmBandsForEachCombinationOfLevels_data()
    {
        QTest::addColumn<int>("levels");   // bits: HH, H, L, LL
        QTest::addColumn<QString>("bands");
        const QStringList expected = {
            "N -40 85", "HH 30 85|N 5 25",
            "H 25 85|N 5 25", "HH 30 85|H 25 30|N 5 25",
            "N 5 25|L -40 5", "HH 30 85|N 5 25|L -40 5",
            "H 25 85|N 5 25|L -40 5", "HH 30 85|H 25 30|N 5 25|L -40 5",
            "N 5 25|LL -40 0", "HH 30 85|N 5 25|LL -40 0",
            "H 25 85|N 5 25|LL -40 0", "HH 30 85|H 25 30|N 5 25|LL -40 0",
            "N 5 25|L 0 5|LL -40 0", "HH 30 85|N 5 25|L 0 5|LL -40 0",
            "H 25 85|N 5 25|L 0 5|LL -40 0", "HH 30 85|H 25 30|N 5 25|L 0 5|LL -40 0",
        };
        for (int levels = 0; levels < expected.size(); ++levels)
            QTest::addRow("levels %d", levels) << levels << expected.at(levels);
    }
    void alarmBandsForEachCombinationOfLevels()
    {
        QFETCH(int, levels);
        LoggerRecord record = makeRecord("A", kNtc, ConfigBits::InternalOn | quint32(levels), words({ 100, 110 }));
        setLimits(record, ChannelInternal, 30, 25, 5, 0);
        app->records = { record };
        QScopedPointer<CPlot> plot(build({ 0 }));
        const AppSettings colours;
        const QMap<QRgb, QString> names = {
            { colours.graphThresholdHH.rgb(), "HH" }, { colours.graphThresholdH.rgb(), "H" },
            { colours.graphThresholdNormal.rgb(), "N" }, { colours.graphThresholdL.rgb(), "L" },
            { colours.graphThresholdLL.rgb(), "LL" },
        };
        QStringList shown;
        for (const RectItem *band : plot->alarmBands())
            shown << QStringLiteral("%1 %2 %3").arg(names.value(band->brush().color().rgb(), "?"))
                         .arg(band->rect().top()).arg(band->rect().bottom());
        QTEST(shown.join('|'), "bands");
    }

    void twoSetsShareOneNormalBandInTheMultiLinkColour()
    {
        app->records << makeRecord("X", kNtc, ConfigBits::InternalOn, words({ 1 }))
                     << makeRecord("Y", kNtc, ConfigBits::InternalOn | ConfigBits::IntH, words({ 1 }));
        QScopedPointer<CPlot> multi(build({ 1, 0 }, 1));
        QCOMPARE(multi->alarmBands().size(), 2);
        QCOMPARE(multi->alarmBands().at(1)->brush().color(), AppSettings().graphThresholdMultiLink);

        // The bands really paint on the canvas.
        multi->resize(800, 600);
        multi->replot();
        QImage image(800, 600, QImage::Format_ARGB32);
        image.fill(Qt::black);
        multi->render(&image);
        const QPoint origin = multi->canvas()->mapTo(multi.data(), QPoint(0, 0));
        const int y = origin.y() + int(multi->canvasMap(QwtPlot::yLeft).transform(-17.0));
        QCOMPARE(QColor(image.pixel(origin.x() + multi->canvas()->width() / 3, y)),
                 AppSettings().graphThresholdMultiLink);
    }

    // A trip beside one without its second channel keeps that channel in
    // view, in the value axis and in the tracker.
    void eachTripKeepsTheChannelsItHas_data()
    {
        QTest::addColumn<quint8>("sensors");
        QTest::addColumn<quint32>("config");
        QTest::addColumn<bool>("fullRange");
        QTest::addColumn<QString>("reading");
        const quint32 tempHum = ConfigBits::InternalOn | ConfigBits::HumidityOn;
        const quint32 tempExt = ConfigBits::InternalOn | ConfigBits::ExternalOn;
        QTest::newRow("humidity, full range") << SensorBits::DigitalTempHum << tempHum << true << "intH:93.0%";
        QTest::newRow("humidity sensor alone, fitted") << SensorBits::DigitalTempHum << tempHum << false
                                                       << "intH:93.0%";
        QTest::newRow("humidity beside a probe, fitted")
            << quint8(SensorBits::DigitalTempHum | SensorBits::ExternalProbe) << tempHum << false << "intH:93.0%";
        QTest::newRow("external probe, fitted") << kNtcExt << tempExt << false << "extT:93.0°C";
    }
    void eachTripKeepsTheChannelsItHas()
    {
        QFETCH(quint8, sensors);
        QFETCH(quint32, config);
        LoggerRecord plain = makeRecord("T", kNtc, ConfigBits::InternalOn, words({ 100, 150, 200 }));
        LoggerRecord both = makeRecord("B", sensors, config, words({ 120, 700, 150, 930, 200, 800 }));
        const LimitGroup second = sensors == kNtcExt ? GroupExternal : GroupHumidity;
        plain.lowestValue[GroupInternal] = both.lowestValue[GroupInternal] = 10.0f;
        plain.highestValue[GroupInternal] = both.highestValue[GroupInternal] = 20.0f;
        both.lowestValue[second] = 70.0f;
        both.highestValue[second] = 93.0f;
        app->records << plain << both;
        QFETCH(bool, fullRange);
        app->settings.graphShowFullRange = fullRange;
        app->settings.graphShowHGrid = false;

        for (const QList<int> &order : { QList<int>{ 0, 1 }, QList<int>{ 1, 0 } }) {
            QScopedPointer<CPlot> plot(build(order, 0));
            const QwtScaleDiv &values = plot->axisScaleDiv(QwtPlot::yLeft);
            QCOMPARE(curvesOf(*plot).size(), 3);
            for (const QwtPlotCurve *curve : curvesOf(*plot))
                QVERIFY2(values.contains(curve->minYValue()) && values.contains(curve->maxYValue()),
                         qPrintable(curve->title().text()));
        }
        // the trip without the channel last, and current
        QScopedPointer<CPlot> plot(build({ 1, 0 }, 0));
        // the cursor on the second channel's reading names it
        QFETCH(QString, reading);
        const QString text = plot->zoomer()->readingText(QPointF(1.0, 93.0));
        QVERIFY2(text.contains(reading), qPrintable(text));
        // the bands reach as far as the humidity
        if (second == GroupHumidity)
            QCOMPARE(colourAt(*plot, 87.5), AppSettings().graphThresholdMultiLink);

        // its legend box, not the trip the window calls current, hides it
        QwtPlotItem *secondCurve = curvesOf(*plot).at(1);
        QTest::mouseClick(CPlot::legendLabel(plot.data(), plot->legendWidget(), secondCurve), Qt::LeftButton);
        QVERIFY(!plot->zoomer()->readingText(QPointF(1.0, 93.0)).contains(reading));
    }

    // With its second channel hidden, a logger's bands are those of a
    // logger of its first channel alone.
    void hiddenChannelLeavesTheBandsOfTheOneShown_data()
    {
        QTest::addColumn<quint8>("sensors");
        QTest::addColumn<quint32>("secondChannel");
        QTest::addColumn<quint32>("levels");
        const quint32 allLevels = ConfigBits::IntHH | ConfigBits::IntH | ConfigBits::IntL | ConfigBits::IntLL;
        QTest::newRow("humidity without levels") << SensorBits::DigitalTempHum << ConfigBits::HumidityOn << allLevels;
        QTest::newRow("external probe with L") << kNtcExt << (ConfigBits::ExternalOn | ConfigBits::ExtL)
                                               << (ConfigBits::IntHH | ConfigBits::IntH);
    }
    void hiddenChannelLeavesTheBandsOfTheOneShown()
    {
        QFETCH(quint8, sensors);
        QFETCH(quint32, secondChannel);
        QFETCH(quint32, levels);
        app->settings.graphShowHGrid = app->settings.graphShowVGrid = false;
        LoggerRecord two = makeRecord("A", sensors, ConfigBits::InternalOn | levels | secondChannel,
                                      words({ 150, 500, 150, 500 }));
        LoggerRecord one = makeRecord("B", kNtc, ConfigBits::InternalOn | levels, words({ 150, 150 }));
        setLimits(two, ChannelInternal, 30, 25, 5, 0);
        setLimits(one, ChannelInternal, 30, 25, 5, 0);
        app->records << two << one;
        QScopedPointer<CPlot> twoPlot(build({ 0 }));
        QwtPlotItem *second = curvesOf(*twoPlot).at(1);
        QTest::mouseClick(CPlot::legendLabel(twoPlot.data(), twoPlot->legendWidget(), second), Qt::LeftButton);
        QVERIFY(!second->isVisible());
        QScopedPointer<CPlot> onePlot(build({ 1 }));

        QCOMPARE(colourAt(*onePlot, 27.5), AppSettings().graphThresholdH);
        for (double value : { -30.0, 2.5, 10.0, 27.5, 50.0 })
            QCOMPARE(colourAt(*twoPlot, value), colourAt(*onePlot, value));
    }

    // Each axis title names every channel drawn, whichever trip came last.
    void axisTitlesNameEveryChannelDrawn()
    {
        app->records << makeRecord("H", SensorBits::DigitalTempHum, ConfigBits::InternalOn | ConfigBits::HumidityOn,
                                   words({ 150, 500 }))
                     << makeRecord("T", kNtc, ConfigBits::InternalOn, words({ 150 }))
                     << makeRecord("S", SensorBits::DigitalTempHum, ConfigBits::InternalOn, words({ 150 }));
        const QString both = QStringLiteral("Temperature (°C) / Humidity (%)");
        QCOMPARE(QScopedPointer<CPlot>(build({ 0, 1 }))->axisTitle(QwtPlot::yLeft).text(), both);
        // the humidity sensor with its channel off draws no humidity
        QCOMPARE(QScopedPointer<CPlot>(build({ 2 }))->axisTitle(QwtPlot::yLeft).text(),
                 QStringLiteral("Temperature (°C)"));
    }

    void legendClicksShowAndHideChannels()
    {
        LoggerRecord record = makeRecord("A", kNtcExt,
                                         ConfigBits::InternalOn | ConfigBits::ExternalOn | ConfigBits::IntH
                                             | ConfigBits::ExtL,
                                         { 0x00C8, 0x0064, 0x08C8, 0x0865 });
        setLimits(record, ChannelInternal, 30, 25, 5, 0);
        app->records << record;
        QScopedPointer<CPlot> plot(build({ 0 }));
        const QList<QwtPlotCurve *> curves = curvesOf(*plot);
        auto label = [&](int i) { return CPlot::legendLabel(plot.data(), plot->legendWidget(), curves.at(i)); };
        QVERIFY(label(0) && label(1) && label(0)->isChecked() && label(1)->isChecked());
        const int bandCount = plot->alarmBands().size();
        QCOMPARE(bandCount, 4);   // per channel: one level band and the normal band

        // Hiding the external curve leaves one channel: its limits and bands, not more.
        QTest::mouseClick(label(1), Qt::LeftButton);
        QVERIFY(!label(1)->isChecked() && !curves.at(1)->isVisible());
        QCOMPARE(plot->m_limitH, 25.0);
        QCOMPARE(plot->alarmBands().size(), 2);
        QCOMPARE(plot->alarmBands().at(1)->brush().color(), AppSettings().graphThresholdNormal);
        QCOMPARE(attachedMarks(*plot), 1);

        // The last checked curve cannot be unchecked.
        QTest::mouseClick(label(0), Qt::LeftButton);
        QVERIFY(label(0)->isChecked() && curves.at(0)->isVisible());

        QTest::mouseClick(label(1), Qt::LeftButton);
        QVERIFY(curves.at(1)->isVisible());
        QCOMPARE(plot->alarmBands().size(), bandCount);
        QCOMPARE(attachedMarks(*plot), 2);

        // A plot deleted with a marker detached deletes it once: a marker
        // left to both the plot and its list would be deleted twice here.
        QTest::mouseClick(label(1), Qt::LeftButton);
        QCOMPARE(attachedMarks(*plot), 1);
        plot.reset();
    }
};

MIRELDA_TEST_MAIN(TestPlot)
#include "tst_plot.moc"
