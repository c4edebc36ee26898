#include <cmath>

#include "support/testenv.h"
#include "views/cmktcalculator.h"

class TestMkt : public QObject
{
    Q_OBJECT
private slots:
    void energyIsConvertedToKelvin()
    {
        CMktCalculator mkt(83);
        QCOMPARE(mkt.activationEnergy, 83);
        QVERIFY(std::fabs(mkt.energyOverR - 9982.68) < 0.005);
        QCOMPARE(mkt.sampleCount, 0);
        QCOMPARE(mkt.mkt, 0.0);
    }

    void constantSeriesIsItsOwnTemperature()
    {
        CMktCalculator mkt(83);
        for (int i = 0; i < 1000; ++i)
            mkt.add(25.0);
        QVERIFY(std::fabs(mkt.result() - 25.0) < 1e-9);
        QCOMPARE(mkt.mkt, mkt.result());
        QCOMPARE(mkt.sampleCount, 1000);
    }

    void warmerReadingWeighsMore()
    {
        CMktCalculator mkt(83);
        mkt.add(20.0);
        mkt.add(30.0);
        const double result = mkt.result();
        QVERIFY2(std::fabs(result - 26.2578) <= 0.0005, qPrintable(QString::number(result, 'f', 6)));
        QCOMPARE(mkt.resultText(), QStringLiteral("26.26"));
        // Asking again changes nothing.
        QCOMPARE(mkt.result(), result);
    }

    void emptySeriesShowsADash()
    {
        CMktCalculator mkt(83);
        QVERIFY(std::isnan(mkt.result()));
        QVERIFY(mkt.isEmpty());
        QCOMPARE(mkt.resultText(), QStringLiteral("-"));
    }

    void energyChangesTheWeighting()
    {
        CMktCalculator low(40);
        CMktCalculator high(120);
        for (double t : { 2.0, 8.0, 30.0 }) {
            low.add(t);
            high.add(t);
        }
        QVERIFY(high.result() > low.result());
        QVERIFY(low.result() > (2.0 + 8.0 + 30.0) / 3.0);
    }
};

MIRELDA_TEST_MAIN(TestMkt)
#include "tst_mkt.moc"
