#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

#include "core/loggertime.h"
#include "support/testenv.h"
#include "support/viewstest.h"
#include "support/windowtest.h"
#include "views/chistogram.h"
#include "views/cplot.h"

namespace {

LoggerRecord fileSet()
{
    LoggerRecord record = ViewsTest::downloadedSet(
        QStringLiteral("IMG1"), SensorBits::InternalNtc, ConfigBits::InternalOn,
        ViewsTest::words({ 10, 25, 40, 35, 20 }), 60, QDateTime(QDate(2026, 3, 2), QTime(8, 0)));
    record.fromFile = true;
    return record;
}

}

class TestGraphImage : public QObject
{
    Q_OBJECT
private slots:
    void imagesOfTheViewsAndTheWindow()
    {
        WindowTest::Harness harness;
        harness.window.resize(1092, 732);
        harness.addAndSelect(fileSet());
        harness.window.viewsDirty = true;
        QTRY_VERIFY(harness.window.plot && harness.window.histogram);
        harness.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&harness.window));
        harness.ui->m_tabWidget->setCurrentWidget(harness.ui->m_tabGraph);
        QTRY_VERIFY(harness.window.plot->isVisible());

        QTemporaryDir dir;
        const QString plotJpg = dir.filePath(QStringLiteral("plot.jpg"));
        QVERIFY(harness.window.savePlotImage(harness.window.plot, plotJpg));
        QImageReader plotReader(plotJpg);
        QCOMPARE(plotReader.format(), QByteArray("jpeg"));
        QCOMPARE(plotReader.size(), harness.window.plot->size());

        const QString windowPng = dir.filePath(QStringLiteral("program.png"));
        QVERIFY(harness.window.saveWindowImage(windowPng));
        QCOMPARE(QImage(windowPng).size(), harness.window.size());

        // the senders learn of a failure
        QVERIFY(!harness.window.savePlotImage(harness.window.plot, dir.filePath(QStringLiteral("no/such/plot.jpg"))));
        QVERIFY(!harness.window.savePlotImage(nullptr, plotJpg));
        QVERIFY(!harness.window.saveWindowImage(dir.filePath(QStringLiteral("program.unknownformat"))));
    }
};

MIRELDA_TEST_MAIN(TestGraphImage)
#include "tst_graphimage.moc"
