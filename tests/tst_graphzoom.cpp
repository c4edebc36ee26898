#include <cmath>
#include <QPainter>
#include <qwt_legend_label.h>
#include <qwt_plot_curve.h>
#include <qwt_scale_map.h>
#include <qwt_plot_layout.h>
#include <qwt_scale_draw.h>
#include <qwt_scale_widget.h>

#include "core/loggertime.h"
#include "support/coretest.h"
#include "support/testenv.h"
#include "support/viewstest.h"
#include "views/cplot.h"
#include "views/reducedcurve.h"
#include "views/scrollbar.h"
#include "views/zoomer.h"

namespace {

const QDateTime kStart(QDate(2026, 3, 2), QTime(8, 0, 0), Qt::LocalTime);
constexpr quint32 kTempHum = ConfigBits::InternalOn | ConfigBits::HumidityOn;

QString tail(const QString &text)
{
    return text.mid(text.indexOf(QLatin1Char(' ')));
}

// The boxes of the bottom axis's labels where Qwt draws them; empty when
// two of them touch or one leaves the axis, with the faults in why.
QList<QRect> labelBoxesApart(const QwtPlot &plot, QString *why)
{
    const QwtScaleWidget *axis = plot.axisWidget(QwtPlot::xBottom);
    const QwtScaleDraw *draw = axis->scaleDraw();
    QList<QRect> boxes;
    for (double tick : draw->scaleDiv().ticks(QwtScaleDiv::MajorTick))
        boxes << draw->boundingLabelRect(axis->font(), tick);
    std::sort(boxes.begin(), boxes.end(), [](const QRect &a, const QRect &b) { return a.left() < b.left(); });
    QStringList faults;
    for (int i = 0; i < boxes.size(); ++i) {
        if (!axis->rect().contains(boxes.at(i)))
            faults << QStringLiteral("label %1 leaves the axis").arg(i);
        if (i > 0 && boxes.at(i).left() <= boxes.at(i - 1).right() + 1)
            faults << QStringLiteral("labels %1 and %2 touch").arg(i - 1).arg(i);
    }
    *why = QStringLiteral("axis %1 wide: %2").arg(axis->width()).arg(faults.join(QStringLiteral(", ")));
    return faults.isEmpty() ? boxes : QList<QRect>();
}

}

int differingPixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return INT_MAX;
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

// Every sample on its whole pixel, in one line: the picture to match.
class EveryPointCurve : public QwtPlotCurve
{
protected:
    void drawSeries(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap, const QRectF &,
                    int from, int to) const override
    {
        QPolygonF points;
        for (int i = from; i <= (to < 0 ? int(dataSize()) - 1 : to); ++i)
            points << QPointF(qRound(xMap.transform(sample(i).x())), qRound(yMap.transform(sample(i).y())));
        painter->setPen(pen());
        painter->drawPolyline(points);
    }
};

class TestGraphZoom : public QObject, CoreFixture
{
    Q_OBJECT

    CPlot *build(QList<int> selection, const QSize &size = QSize(800, 500))
    {
        app->selection = selection;
        auto *plot = new CPlot;
        plot->setData(app, selection.value(0, 0));
        plot->setupPlot();
        plot->resize(size);
        plot->show();
        if (!QTest::qWaitForWindowExposed(plot))
            qWarning("plot not exposed");
        return plot;
    }

private slots:
    void init() { renewCore(); }

    void scrollBarMapsValuesOntoTicks()
    {
        qRegisterMetaType<Qt::Orientation>();
        ScrollBar bar(Qt::Horizontal, nullptr);
        QVERIFY(!bar.isInverted() && ScrollBar(nullptr).isInverted());
        QSignalSpy moved(&bar, &ScrollBar::valueChanged);
        bar.setBase(0.0, 100.0);
        bar.moveSlider(25.0, 50.0);
        QCOMPARE(QList<int>({ bar.minimum(), bar.maximum(), bar.singleStep(), bar.pageStep(), bar.value() }),
                 QList<int>({ 125000, 875000, 1250, 250000, 375000 }));
        QCOMPARE(qMakePair(bar.minSliderValue(), bar.maxSliderValue()), qMakePair(25.0, 50.0));
        bar.setBase(0.0, 100.0);
        QCOMPARE(moved.count(), 0);   // what the owner sets never comes back

        // inverted, the same window stands at the mirrored tick
        bar.setInverted(true);
        bar.moveSlider(25.0, 50.0);
        QCOMPARE(bar.value(), 625000);
        double min = 0.0, max = 0.0;
        bar.sliderRange(625000, min, max);
        QCOMPARE(qMakePair(min, max), qMakePair(25.0, 50.0));
        QCOMPARE(moved.count(), 0);

        // the user's moves are told in values
        bar.triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.at(0).at(0).value<Qt::Orientation>(), Qt::Horizontal);
        QCOMPARE(moved.at(0).at(1).toDouble(), 50.0);
        QCOMPARE(moved.at(0).at(2).toDouble(), 75.0);

        // a base without width or a window of nothing stays finite and calm
        bar.setBase(5.0, 5.0);
        bar.moveSlider(5.0, 5.0);
        QVERIFY(qIsFinite(bar.minSliderValue()) && qIsFinite(bar.maxSliderValue()));
        bar.setBase(0.0, 1.0);
        bar.moveSlider(0.5, 0.5);
        QCOMPARE(qMakePair(bar.pageStep(), bar.singleStep()), qMakePair(0, 1));
    }

    void zoomShowsTheBarsItNeeds()
    {
        app->records << ViewsTest::openedSet("Z", QVector<int>(1000, 150), 60, kStart);
        QScopedPointer<CPlot> plot(build({ 0 }));
        Zoomer *zoomer = plot->zoomer();
        QVERIFY(zoomer);
        QwtPlotLayout *layout = plot->plotLayout();
        const int topMargin = layout->canvasMargin(QwtPlot::xTop);
        const QRectF base = zoomer->zoomBase();
        QVERIFY(!zoomer->horizontalScrollBar() && !zoomer->cornerWidget());

        // the user drags a rubber band, and zooms out again with the right button
        QWidget *canvas = plot->canvas();
        auto send = [canvas](QEvent::Type type, const QPoint &at, Qt::MouseButton button, Qt::MouseButtons held) {
            QMouseEvent event(type, at, canvas->mapToGlobal(at), button, held, Qt::NoModifier);
            QApplication::sendEvent(canvas, &event);
        };
        send(QEvent::MouseButtonPress, QPoint(100, 50), Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, QPoint(200, 150), Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseMove, QPoint(300, 250), Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, QPoint(300, 250), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(zoomer->zoomRectIndex(), 1u);
        QVERIFY(zoomer->zoomRect().width() < base.width() / 2);
        QTest::mouseClick(canvas, Qt::RightButton, Qt::NoModifier, QPoint(300, 250));
        QCOMPARE(zoomer->zoomRectIndex(), 0u);
        QCOMPARE(layout->canvasMargin(QwtPlot::xTop), topMargin);

        // narrower in x only: the bar on the top side, the margin with it
        zoomer->zoom(QRectF(QPointF(200, base.top()), QPointF(400, base.bottom())));
        ScrollBar *bar = zoomer->horizontalScrollBar();
        QVERIFY(bar && bar->isVisibleTo(plot->canvas()));
        QVERIFY(!zoomer->verticalScrollBar() || !zoomer->verticalScrollBar()->isVisibleTo(plot->canvas()));
        QCOMPARE(layout->canvasMargin(QwtPlot::xTop), topMargin + bar->extent());
        QCOMPARE(bar->y(), plot->canvas()->contentsRect().top());
        QVERIFY(plot->axisWidget(QwtPlot::yLeft)->scaleDraw()->minimumExtent() > 0);

        // the bar moves the zoom sideways and keeps its height
        QSignalSpy zoomed(zoomer, &QwtPlotZoomer::zoomed);
        const QRectF before = zoomer->zoomRect();
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(zoomed.count(), 1);
        QVERIFY(zoomer->zoomRect().left() > before.left());
        QCOMPARE(zoomer->zoomRect().translated(before.left() - zoomer->zoomRect().left(), 0), before);

        // back at the base the bar goes and gives its room back
        zoomer->zoom(0);
        QVERIFY(!bar->isVisibleTo(plot->canvas()));
        QCOMPARE(layout->canvasMargin(QwtPlot::xTop), topMargin);
        zoomer->zoom(0);
        QCOMPARE(layout->canvasMargin(QwtPlot::xTop), topMargin);
        QCOMPARE(plot->axisWidget(QwtPlot::yLeft)->scaleDraw()->minimumExtent(), 0.0);

        // smaller both ways: both bars and the corner between them
        zoomer->zoom(QRectF(QPointF(200, 10), QPointF(400, 20)));
        ScrollBar *vertical = zoomer->verticalScrollBar();
        QVERIFY(vertical && vertical->isVisibleTo(plot->canvas()) && vertical->isInverted());
        QVERIFY(zoomer->cornerWidget() && zoomer->cornerWidget()->isVisibleTo(plot->canvas()));
        QCOMPARE(bar->width(), plot->canvas()->contentsRect().width() - vertical->extent());
        QCOMPARE(zoomer->cornerWidget()->geometry(),
                 QRect(vertical->x(), bar->y(), vertical->extent(), bar->extent()));

        // a bar deleted from outside is made again when needed
        delete vertical;
        QVERIFY(!zoomer->verticalScrollBar());
        zoomer->zoom(0);
        zoomer->zoom(QRectF(QPointF(200, 10), QPointF(400, 20)));
        QVERIFY(zoomer->verticalScrollBar());
    }

    // A five-day trip by its dates, and two side by side by their elapsed
    // time, at the graph's size in the window's default 1092 x 732, on a
    // narrow graph, and zoomed in on that.
    void timeLabelsStandApartAtAnyWidth()
    {
        app->records << ViewsTest::openedSet("D", QVector<int>(720, 150), 600, kStart)
                     << ViewsTest::openedSet("E", QVector<int>(700, 160), 600, kStart);
        app->settings.multiLinkSyncElapsedTime = true;
        for (const QList<int> &selection : { QList<int>{ 0 }, QList<int>{ 0, 1 } }) {
            // shown narrow first, then at the size, narrower and back
            QScopedPointer<CPlot> plot(build(selection, QSize(500, 400)));
            QString why;
            QList<int> counts;
            for (const QSize &size : { QSize(500, 400), QSize(686, 519), QSize(360, 300), QSize(686, 519) }) {
                plot->resize(size);
                QTRY_VERIFY2_WITH_TIMEOUT(!labelBoxesApart(*plot, &why).isEmpty(), qPrintable(why), 10000);
                counts << labelBoxesApart(*plot, &why).size();
            }
            // as many as the room holds: fewer only where narrower, all back when wide again
            QVERIFY2(counts.at(1) >= 4 && counts.at(0) <= counts.at(1) && counts.at(2) < counts.at(1)
                         && counts.at(3) == counts.at(1),
                     qPrintable(QStringLiteral("%1 %2 %3 %4").arg(counts.at(0)).arg(counts.at(1))
                                    .arg(counts.at(2)).arg(counts.at(3))));
            // zoomed in step by step, each time on the later part
            plot->resize(420, 400);
            Zoomer *zoomer = plot->zoomer();
            for (int level = 0; level < 5; ++level) {
                const QRectF view = zoomer->zoomRect();
                const QPointF from(view.left() + view.width() * 0.3, view.top());
                zoomer->zoom(QRectF(from, view.bottomRight()));
                QTRY_VERIFY2_WITH_TIMEOUT(!labelBoxesApart(*plot, &why).isEmpty(), qPrintable(why), 10000);
            }
        }
    }

    // Trips of five days and a little more, shown first at the graph's size
    // in the window's default 1092 x 732: the last reading is drawn at the
    // canvas's right edge, and the time axis maps as after a zoom in and out
    // again. Every 12 minutes the last label stands at the axis's end; every
    // 6 minutes for 5 1/4 days its labels change in place on the first showing.
    void firstShowingFillsTheCanvasAsZoomedOut()
    {
        const QList<QPair<int, int>> trips = { { 601, 720 }, { 721, 600 }, { 1441, 300 }, { 1261, 360 } };
        for (const auto &trip : trips) {
            renewCore();
            const int last = trip.first - 1;
            app->records << ViewsTest::openedSet("F", QVector<int>(trip.first, 150), trip.second, kStart);
            QScopedPointer<CPlot> plot(build({ 0 }, QSize(686, 519)));
            auto mapped = [&plot] {
                const QwtScaleMap map = plot->canvasMap(QwtPlot::xBottom);
                return QList<double>({ map.p1(), map.p2(), map.s1(), map.s2() });
            };
            auto lastAt = [&plot, last] { return plot->canvasMap(QwtPlot::xBottom).transform(last); };
            auto edge = [&plot] { return plot->canvas()->contentsRect().right(); };
            QTRY_VERIFY2_WITH_TIMEOUT(std::abs(lastAt() - edge()) <= 1.0,
                                      qPrintable(QStringLiteral("every %1 s: last reading at %2, edge at %3")
                                                     .arg(trip.second).arg(lastAt()).arg(edge())),
                                      10000);
            const QList<double> first = mapped();
            Zoomer *zoomer = plot->zoomer();
            const QRectF base = zoomer->zoomBase();
            zoomer->zoom(QRectF(QPointF(base.left() + base.width() / 4, base.top()), base.bottomRight()));
            QTRY_VERIFY_WITH_TIMEOUT(mapped() != first, 10000);
            zoomer->zoom(0);
            QTRY_COMPARE_WITH_TIMEOUT(mapped(), first, 10000);
        }
    }

    void reducedCurveDrawsTheSamePicture()
    {
        // a noisy wave of 65,536 points, drawn whole and zoomed into spans
        QVector<double> xs;
        QVector<double> ys;
        for (int i = 0; i < 65536; ++i) {
            xs << i;
            ys << 15.0 + 20.0 * std::sin(i / 700.0) + (i * 7919 % 41) / 10.0;
        }
        auto render = [&](QwtPlotCurve *curve, double from, double to, int width) {
            QwtPlot plot;
            plot.setAxisScale(QwtPlot::xBottom, from, to);
            plot.setAxisScale(QwtPlot::yLeft, -10.0, 45.0);
            // the canvas reaching past the scale's ends, as while zoomed
            plot.axisWidget(QwtPlot::xBottom)->setMinBorderDist(40, 40);
            curve->setPen(QPen(QBrush(Qt::black), width, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
            curve->setSamples(xs, ys);
            curve->attach(&plot);
            plot.resize(1600, 900);
            plot.updateLayout();
            plot.replot();
            // inside the canvas frame, where the readings are drawn
            QWidget *canvas = plot.canvas();
            const QRect inside = canvas->contentsRect();
            return plot.grab(QRect(canvas->mapTo(&plot, inside.topLeft()), inside.size())).toImage();
        };
        for (int width : { 1, 3 }) {
            for (const auto &span : { qMakePair(0.0, 65535.0), qMakePair(20000.0, 36000.0),
                                      qMakePair(30000.0, 30900.0) }) {
                const QImage every = render(new EveryPointCurve, span.first, span.second, width);
                const QImage reduced = render(new ReducedCurve, span.first, span.second, width);
                // a wide line stroked in pieces may differ in a pixel or two
                // where a piece's outline is filled
                const int differing = differingPixels(every, reduced);
                QVERIFY2(differing <= (width == 1 ? 0 : 8),
                         qPrintable(QStringLiteral("width %1 from %2: %3 pixels").arg(width).arg(span.first).arg(differing)));
            }
        }
    }

    void legendKeepsTheZoomBaseOnTheValueAxis()
    {
        // humidity reaches 80 %, the temperature stays near 15 degrees
        QVector<quint16> words;
        for (int i = 0; i < 200; ++i)
            words << ReadingWord::make(150) << ReadingWord::make(800);
        LoggerRecord record = ViewsTest::downloadedSet("L", SensorBits::DigitalTempHum | SensorBits::ExternalProbe,
                                                       kTempHum, words, 60, kStart);
        record.lowestValue[GroupInternal] = record.highestValue[GroupInternal] = 15.0f;
        record.lowestValue[GroupHumidity] = record.highestValue[GroupHumidity] = 80.0f;
        app->records << record;
        app->settings.graphShowFullRange = false;
        QScopedPointer<CPlot> plot(build({ 0 }));
        Zoomer *zoomer = plot->zoomer();
        zoomer->zoom(QRectF(QPointF(50, zoomer->zoomBase().top()), QPointF(100, zoomer->zoomBase().bottom())));
        // hiding humidity fits the value axis to the temperature, also after zooming out
        QCOMPARE(plot->axisScaleDiv(QwtPlot::yLeft).upperBound(), 81.0);
        QwtPlotItem *humidity = plot->itemList(QwtPlotItem::Rtti_PlotCurve).at(1);
        QTest::mouseClick(CPlot::legendLabel(plot.data(), plot->legendWidget(), humidity), Qt::LeftButton);
        QVERIFY(!humidity->isVisible());
        zoomer->zoom(0);
        QCOMPARE(QList<double>({ zoomer->zoomBase().left(), zoomer->zoomBase().top(), zoomer->zoomBase().bottom() }),
                 QList<double>({ 0.0, 14.0, 16.0 }));
    }

    void trackerNamesTheReadingUnderTheCursor()
    {
        // internal temperature and humidity interleaved; bit 11 marks
        QVector<quint16> words;
        for (int i = 0; i < 20; ++i)
            words << ReadingWord::make(200 + i) << ReadingWord::make(500 + i, i == 11);
        words[22] = 0x07FF;
        app->records << ViewsTest::downloadedSet("T", SensorBits::DigitalTempHum, kTempHum, words, 60, kStart);
        QScopedPointer<CPlot> plot(build({ 0 }));
        Zoomer *zoomer = plot->zoomer();
        QCOMPARE(zoomer->readingText(QPointF(11.7, 0)), QStringLiteral("#12-08:11:00  intT:-0.1°C  intH:51.1%"));
        QCOMPARE(zoomer->trackerTextF(QPointF(0, 0)).text(), QStringLiteral("#1-08:00:00  intT:20.0°C  intH:50.0%"));
        QCOMPARE(zoomer->readingText(QPointF(-0.5, 0)).left(3), QStringLiteral("#1-"));
        QVERIFY(zoomer->readingText(QPointF(-1.0, 0)).isEmpty());
        QVERIFY(zoomer->readingText(QPointF(20.0, 0)).isEmpty());

        // a hidden channel is left out, the others keep their own labels
        plot->m_showIntTemp = false;
        QCOMPARE(tail(zoomer->readingText(QPointF(3, 0))), QStringLiteral("  intH:50.3%"));
        plot->m_showIntTemp = true;
        app->settings.modeCelsius = 0;
        QCOMPARE(tail(zoomer->readingText(QPointF(0, 0))), QStringLiteral("  intT:68.0°F  intH:50.0%"));
    }

    // A right click zooms out under a still pointer: the value axis narrows
    // and the canvas moves under it. The label names at once the reading
    // under the pointer, as it does after the pointer moves.
    void trackerFollowsThePointerThroughAZoomOut()
    {
        QVector<int> tenths;
        for (int i = 0; i < 24 * 60; ++i)
            tenths << 150 + i % 60;
        app->records << ViewsTest::openedSet("D", tenths, 60, kStart);
        QScopedPointer<CPlot> plot(build({ 0 }));
        Zoomer *zoomer = plot->zoomer();
        QWidget *canvas = plot->canvas();
        const QPoint at(canvas->width() / 2, canvas->height() / 2);
        const QRectF base = zoomer->zoomBase();
        zoomer->zoom(QRectF(QPointF(600, base.top()), QPointF(700, base.bottom())));
        QTest::mouseMove(canvas, at);
        QTRY_COMPARE(zoomer->trackerPosition(), at);
        const int canvasLeft = canvas->x();

        QTest::mouseClick(canvas, Qt::RightButton, Qt::NoModifier, at);
        QCOMPARE(zoomer->zoomRectIndex(), 0u);
        QCoreApplication::processEvents();
        QVERIFY(canvas->x() < canvasLeft);
        const QPoint pointer = canvas->mapFromGlobal(QCursor::pos());
        QCOMPARE(zoomer->trackerPosition(), pointer);
        const QPointF value(plot->invTransform(QwtPlot::xBottom, pointer.x()),
                            plot->invTransform(QwtPlot::yLeft, pointer.y()));
        const QString shown = static_cast<QwtPicker *>(zoomer)->trackerText(zoomer->trackerPosition()).text();
        QCOMPARE(shown, zoomer->readingText(value));
    }

    void trackerAmongSetsPlacedByDate()
    {
        // B starts ten minutes after A and overlaps it; A reads 10.0, B 30.0
        app->records << ViewsTest::openedSet("A", QVector<int>(30, 100), 60, kStart)
                     << ViewsTest::openedSet("B", QVector<int>(30, 300), 60, kStart.addSecs(600));
        app->settings.multiLinkSyncDateTime = true;
        QScopedPointer<CPlot> plot(build({ 0, 1 }));
        Zoomer *zoomer = plot->zoomer();
        // only A covers the start: its reading before the cursor, at the time it was taken
        QCOMPARE(zoomer->readingText(QPointF(130, 0)), QStringLiteral("#3-08:02:00  intT:10.0°C"));
        // a time inside both sets names no reading, wherever the cursor stands
        QVERIFY(zoomer->readingText(QPointF(1230, 9.0)).isEmpty());
        QVERIFY(zoomer->readingText(QPointF(1230, 28.0)).isEmpty());
        QVERIFY(zoomer->trackerTextF(QPointF(600, 10.0)).text().isEmpty());
        // the end of A counts as inside A
        QVERIFY(zoomer->readingText(QPointF(1799, 10.0)).isEmpty());
        // only B past A's end, nothing past B's
        QCOMPARE(zoomer->readingText(QPointF(1900, 10.0)).left(4), QStringLiteral("#22-"));
        QVERIFY(zoomer->readingText(QPointF(2500, 10.0)).isEmpty());
        // a trip read every ten minutes is headed by its reading's time, not
        // by the minute grid of the other trip
        app->records << ViewsTest::openedSet("C", QVector<int>(6, 200), 600, kStart.addSecs(7200));
        QScopedPointer<CPlot> slow(build({ 0, 2 }));
        QCOMPARE(slow->zoomer()->readingText(QPointF(7330, 20.0)), QStringLiteral("#1-10:00:00  intT:20.0°C"));
        QCOMPARE(slow->zoomer()->readingText(QPointF(7930, 20.0)), QStringLiteral("#2-10:10:00  intT:20.0°C"));

        // side by side every set starts at 0: the reading of the set nearer the cursor
        app->settings.multiLinkSyncDateTime = false;
        QScopedPointer<CPlot> side(build({ 0, 1 }));
        QCOMPARE(side->zoomer()->readingText(QPointF(2, 25.0)), QStringLiteral("#3-08:12:00  intT:30.0°C"));
        QCOMPARE(side->zoomer()->readingText(QPointF(2, 5.0)), QStringLiteral("#3-08:02:00  intT:10.0°C"));
    }
};

MIRELDA_TEST_MAIN(TestGraphZoom)
#include "tst_graphzoom.moc"
