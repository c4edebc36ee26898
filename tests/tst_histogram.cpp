#include <algorithm>
#include <cmath>
#include <qwt_legend.h>
#include <qwt_legend_label.h>
#include <qwt_scale_div.h>

#include "core/loggertime.h"
#include "support/coretest.h"
#include "support/testenv.h"
#include "support/viewstest.h"
#include "views/chistogram.h"
#include "views/cplot.h"
#include "views/histogram.h"

namespace {

const QDateTime kStart(QDate(2026, 3, 2), QTime(8, 0, 0), Qt::LocalTime);
constexpr quint8 kNtc = SensorBits::InternalNtc;
constexpr quint8 kDigitalExt = SensorBits::DigitalTempHum | SensorBits::ExternalProbe;
constexpr quint32 kTempHum = ConfigBits::InternalOn | ConfigBits::HumidityOn;

LoggerRecord makeSet(const QString &serial, quint8 sensors, quint32 config, const QVector<int> &tenths)
{
    return ViewsTest::downloadedSet(serial, sensors, config, ViewsTest::words(tenths), 60, kStart);
}

void setExtremes(LoggerRecord &record, ViewChannel channel, float low, float high)
{
    record.lowestValue[limitGroupOf(channel)] = low;
    record.highestValue[limitGroupOf(channel)] = high;
}

// Columns as "value:count" for every column that holds readings.
QString filled(const Histogram *series)
{
    QStringList columns;
    for (size_t i = 0; i < series->dataSize(); ++i) {
        const QwtIntervalSample sample = series->sample(int(i));
        if (sample.value != 0)
            columns << QStringLiteral("%1:%2").arg(sample.interval.minValue()).arg(sample.value);
    }
    return columns.join(QLatin1Char(' '));
}

QPair<double, double> bottomAxis(const CHistogram &view)
{
    const QwtScaleDiv &div = view.axisScaleDiv(QwtPlot::xBottom);
    return qMakePair(div.lowerBound(), div.upperBound());
}

void clickLegend(CHistogram &view, Histogram *series)
{
    QwtLegendLabel *label = CPlot::legendLabel(&view, view.legendWidget(), series);
    QVERIFY(label);
    QTest::mouseClick(label, Qt::LeftButton);
}

}

class TestHistogram : public QObject, CoreFixture
{
    Q_OBJECT

    CHistogram *build(QList<int> selection)
    {
        app->selection = selection;
        auto *view = new CHistogram;
        view->setData(app, selection.value(0, 0));
        view->setupPlot();
        return view;
    }

private slots:
    void init()
    {
        renewCore();
        app->settings.histogramShowFullRange = false;
    }

    void binsCountEveryReadingIncludingTheTopInCelsiusAndFahrenheit()
    {
        // -0.5 goes below zero, +0.5 to the bin of 0; the highest value has a bin of its own
        LoggerRecord record = makeSet("A", kNtc, ConfigBits::InternalOn, { -5, 5, 9, 10, 19, 25, 29 });
        setExtremes(record, ChannelInternal, -0.5f, 2.9f);
        LoggerRecord flat = makeSet("F", kNtc, ConfigBits::InternalOn, QVector<int>(50, 200));
        setExtremes(flat, ChannelInternal, 20.0f, 20.0f);
        // stored extremes that the readings pass (a file without them, say)
        LoggerRecord stale = makeSet("S", kNtc, ConfigBits::InternalOn, { -31, 150, 151 });
        app->records << record << flat << stale;

        QScopedPointer<CHistogram> view(build({ 0 }));
        QCOMPARE(view->series().size(), 1);
        QCOMPARE(filled(view->series().at(0)), QStringLiteral("-1:1 0:2 1:2 2:2"));
        QCOMPARE(view->m_minBin, -1);
        QCOMPARE(view->m_maxBin, 3);
        QCOMPARE(bottomAxis(*view), qMakePair(-1.0, 3.0));

        QScopedPointer<CHistogram> flatView(build({ 1 }));
        QCOMPARE(filled(flatView->series().at(0)), QStringLiteral("20:50"));

        QScopedPointer<CHistogram> staleView(build({ 2 }));
        QCOMPARE(filled(staleView->series().at(0)), QStringLiteral("-4:1 15:2"));
        QCOMPARE(bottomAxis(*staleView), qMakePair(-4.0, 16.0));

        // full range: the logger's range, widened by a reading beyond it
        app->settings.histogramShowFullRange = true;
        app->records[2].readings[0] = ReadingWord::make(-500);
        QScopedPointer<CHistogram> fullView(build({ 2 }));
        QCOMPARE(fullView->m_minBin, -50);
        QCOMPARE(fullView->m_maxBin, 86);
        QCOMPARE(bottomAxis(*fullView), qMakePair(-50.0, 86.0));

        // in °F every degree takes its own bin: 20.0 .. 21.7 °C are 68 .. 71.06 °F
        app->settings.modeCelsius = 0;
        app->settings.histogramShowFullRange = false;
        LoggerRecord fahrenheit = makeSet("A", kNtc, ConfigBits::InternalOn, { 200, 210, 211, 212, 216, 217 });
        setExtremes(fahrenheit, ChannelInternal, 20.0f, 21.7f);
        app->records << fahrenheit;
        QCOMPARE(filled(QScopedPointer<CHistogram>(build({ 3 }))->series().at(0)), QStringLiteral("68:1 69:2 70:2 71:1"));
    }

    // Trips of ± 8 °C around 5 °C and around 0 °F: each bin holds the
    // readings from its value up to the next whole value, counted here by
    // comparing with the bin's ends.
    void binsHoldOneWholeUnitAcrossZero_data()
    {
        QTest::addColumn<bool>("inFahrenheit");
        QTest::addColumn<int>("middle");
        QTest::newRow("5 °C") << false << 50;
        QTest::newRow("0 °F") << true << -178;
    }

    void binsHoldOneWholeUnitAcrossZero()
    {
        QFETCH(bool, inFahrenheit);
        QFETCH(int, middle);
        QVector<int> tenths;
        for (int i = 0; i < 2000; ++i)
            tenths << int(std::lround(middle + 80 * std::sin(i / 37.0)));
        LoggerRecord record = makeSet("T", kNtc, ConfigBits::InternalOn, tenths);
        setExtremes(record, ChannelInternal, (middle - 80) / 10.0f, (middle + 80) / 10.0f);
        app->settings.modeCelsius = inFahrenheit ? 0 : 1;
        app->records << record;
        QScopedPointer<CHistogram> view(build({ 0 }));
        const Histogram *series = view->series().value(0);
        QVERIFY(series);

        // a value in fiftieths of a °F is 9 t + 1600 for t tenths of a °C
        auto inBin = [inFahrenheit](int t, int bin) {
            return inFahrenheit ? bin * 50 <= 9 * t + 1600 && 9 * t + 1600 < (bin + 1) * 50
                                : bin * 10 <= t && t < (bin + 1) * 10;
        };
        int counted = 0;
        for (size_t i = 0; i < series->dataSize(); ++i) {
            const QwtIntervalSample sample = series->sample(int(i));
            const int bin = int(sample.interval.minValue());
            QCOMPARE(sample.interval.maxValue(), bin + 1.0);
            const int expected = int(std::count_if(tenths.cbegin(), tenths.cend(),
                                                   [&](int t) { return inBin(t, bin); }));
            QVERIFY2(int(sample.value) == expected,
                     qPrintable(QStringLiteral("bin %1: %2, expected %3").arg(bin).arg(sample.value).arg(expected)));
            counted += int(sample.value);
        }
        QCOMPARE(counted, tenths.size());
    }

    void channelsAndTheirSeries()
    {
        // internal, humidity and external interleaved
        LoggerRecord record = makeSet("T3", kDigitalExt, kTempHum | ConfigBits::ExternalOn,
                                      { 50, 400, -20, 55, 410, -25 });
        LoggerRecord empty = makeSet("E", kDigitalExt, kTempHum, {});
        empty.recordedCount = 0;
        LoggerRecord cold = makeSet("C", kNtc, ConfigBits::InternalOn, { -180, -150 });
        setExtremes(cold, ChannelInternal, -18.0f, -15.0f);
        app->records << record << empty << cold;
        QScopedPointer<CHistogram> view(build({ 0 }));
        const QList<Histogram *> series = view->series();
        QCOMPARE(series.size(), 3);
        QCOMPARE(filled(series.at(0)), QStringLiteral("5:2"));
        QCOMPARE(filled(series.at(1)), QStringLiteral("40:1 41:1"));
        QCOMPARE(filled(series.at(2)), QStringLiteral("-3:1 -2:1"));
        QVERIFY(QScopedPointer<CHistogram>(build({ 1 }))->series().isEmpty());

        // several sets: every one stays in view
        setExtremes(app->records[0], ChannelHumidity, 40.0f, 41.0f);
        QScopedPointer<CHistogram> both(build({ 2, 0 }));
        QCOMPARE(both->series().size(), 4);
        QCOMPARE(bottomAxis(*both), qMakePair(-18.0, 42.0));
    }

    // In °F the temperatures move to their Fahrenheit bins while the
    // humidity keeps its percent: 21.5 °C is 70.7 °F, 45 % stays 45, and
    // the axis spans the two instead of reaching 113 (45 taken for °C).
    void humidityStaysInPercentInFahrenheit()
    {
        app->settings.modeCelsius = 0;
        LoggerRecord record = makeSet("TH", kDigitalExt, kTempHum, { 215, 450, 216, 455, 215, 460 });
        setExtremes(record, ChannelInternal, 21.5f, 21.6f);
        setExtremes(record, ChannelHumidity, 45.0f, 46.0f);
        app->records << record;
        QScopedPointer<CHistogram> view(build({ 0 }));
        const QList<Histogram *> series = view->series();
        QCOMPARE(series.size(), 2);
        QCOMPARE(filled(series.at(0)), QStringLiteral("70:3"));
        QCOMPARE(filled(series.at(1)), QStringLiteral("45:2 46:1"));
        QCOMPARE(bottomAxis(*view), qMakePair(45.0, 71.0));
    }

    // The humidity of a trip beside the current one is named, as is that
    // of the current trip.
    void bottomTitleNamesHumidityOfAnyTripDrawn()
    {
        const QString both = QStringLiteral("Temperature (°C) / Humidity (%)");
        app->records << makeSet("T", kNtc, ConfigBits::InternalOn, { 150, 160 })
                     << makeSet("H", SensorBits::DigitalTempHum, kTempHum, { 150, 500 });
        QCOMPARE(QScopedPointer<CHistogram>(build({ 0, 1 }))->axisTitle(QwtPlot::xBottom).text(), both);
        QCOMPARE(QScopedPointer<CHistogram>(build({ 1 }))->axisTitle(QwtPlot::xBottom).text(), both);
        QCOMPARE(QScopedPointer<CHistogram>(build({ 0 }))->axisTitle(QwtPlot::xBottom).text(),
                 QStringLiteral("Temperature (°C)"));
    }

    void legendHidesASeriesAndRescales()
    {
        // humidity and external probe, no internal temperature: each check
        // box speaks for its own channel
        LoggerRecord record = makeSet("HE", kDigitalExt, ConfigBits::HumidityOn | ConfigBits::ExternalOn,
                                      { 450, 50, 600, 80 });
        setExtremes(record, ChannelHumidity, 45.0f, 60.0f);
        setExtremes(record, ChannelExternal, 5.0f, 8.0f);
        app->records << record;
        QScopedPointer<CHistogram> view(build({ 0 }));
        QList<Histogram *> series = view->series();
        QCOMPARE(series.size(), 2);
        QCOMPARE(bottomAxis(*view), qMakePair(5.0, 61.0));

        clickLegend(*view, series.at(0));
        QVERIFY(!series.at(0)->isVisible());
        QVERIFY(!view->m_showHumidity);
        QVERIFY(view->m_showExternal);
        QCOMPARE(bottomAxis(*view), qMakePair(5.0, 9.0));

        // with nothing shown the axis keeps its place instead of turning over
        clickLegend(*view, series.at(1));
        QVERIFY(!series.at(1)->isVisible());
        QCOMPARE(bottomAxis(*view), qMakePair(5.0, 9.0));
        clickLegend(*view, series.at(0));
        QVERIFY(series.at(0)->isVisible());
        QCOMPARE(bottomAxis(*view), qMakePair(45.0, 61.0));
    }
};

MIRELDA_TEST_MAIN(TestHistogram)
#include "tst_histogram.moc"
