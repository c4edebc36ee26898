#include <QScrollArea>
#include <QTableWidget>

#include "app/mainwindow.h"
#include "core/cmainapp.h"
#include "core/imagecodec.h"
#include "core/loggertime.h"
#include "files/cfilemanager.h"
#include "support/testenv.h"
#include "support/viewstest.h"
#include "support/windowtest.h"
#include "ui_mainwindow.h"
#include "views/cplot.h"
#include "views/zoomer.h"

namespace {

// A two-channel trip of a week, every five minutes, that went over its
// high limit once.
LoggerRecord sampleTrip()
{
    QVector<quint16> readings;
    for (int i = 0; i < 7 * 24 * 12; ++i) {
        const double t = 5.0 + 2.0 * qSin(i / 40.0) + (i > 900 && i < 960 ? 3.5 : 0.0);
        readings << ReadingWord::make(qRound(t * 10)) << ReadingWord::make(qRound((55.0 + 8.0 * qCos(i / 55.0)) * 10));
    }
    LoggerRecord r = ViewsTest::downloadedSet(
        QStringLiteral("QV0012345"), SensorBits::DigitalTempHum,
        ConfigBits::InternalOn | ConfigBits::HumidityOn | ConfigBits::Programmed | ConfigBits::StartAt
            | ConfigBits::StopAfterReadings | ConfigBits::IntHH | ConfigBits::IntH | ConfigBits::IntL
            | ConfigBits::IntLL | ConfigBits::HumH | ConfigBits::HumL | ConfigBits::ShowAlarms
            | ConfigBits::ShowTemperature,
        readings, 300, QDateTime(QDate(2026, 11, 2), QTime(8, 0)));
    r.productCode = QStringLiteral("QV-5D");
    r.description = QStringLiteral("Vaccines Lyon - Porto");
    ViewsTest::setLimits(r, ChannelInternal, 10.0, 8.0, 2.0, 0.0);
    ViewsTest::setLimits(r, ChannelHumidity, 80.0, 70.0, 30.0, 20.0);
    r.consecutiveDelay[GroupInternal] = 3;
    r.totalDelay[GroupInternal] = 12;
    r.tripNumber = 7;
    r.maxTrip = kUnlimitedTrips;
    r.memorySize = 0x10000;
    r.hasHeader = true;
    r.alarmStatus = AlarmStatusBits::H;
    r.imageRead = ImageCodec::encode(r, QByteArray(kImageSize, '\0'));
    return r;
}

}

class TestMainWindowShot : public QObject
{
    Q_OBJECT
private:
    // The page is on screen and the timers have built the views it shows.
    // A graph put into the visible page is shown by the layout one event
    // later: the picture waits for it.
    static bool pageShown(const MainWindow &window, const QWidget *page)
    {
        if (!page->isVisible() || window.viewsDirty)
            return false;
        return page != window.ui->m_tabGraph || (window.plot && window.plot->isVisible());
    }

    // At the window's default size: a day of the trip zoomed, with the
    // tracker over a reading, and the histogram page.
    void saveZoomAndHistogramShots(MainWindow &window, QString shot)
    {
        Ui::MainWindow *ui = window.ui;
        window.resize(1092, 732);
        ui->m_tabWidget->setCurrentWidget(ui->m_tabGraph);
        QTRY_VERIFY(pageShown(window, ui->m_tabGraph));
        Zoomer *zoomer = window.plot->zoomer();
        const QRectF base = zoomer->zoomBase();
        zoomer->zoom(QRectF(QPointF(860, base.top()), QPointF(1150, base.bottom())));
        QWidget *canvas = window.plot->canvas();
        QTest::mouseMove(canvas, QPoint(canvas->width() / 2, canvas->height() / 2));
        QCoreApplication::processEvents();
        QVERIFY(window.grab().save(QString(shot).replace(QStringLiteral(".png"), QStringLiteral("-graph-zoom.png"))));
        ui->m_tabWidget->setCurrentWidget(ui->m_tabHistogram);
        QTRY_VERIFY(pageShown(window, ui->m_tabHistogram));
        QVERIFY(window.grab().save(QString(shot).replace(QStringLiteral(".png"), QStringLiteral("-histogram.png"))));
    }

private slots:
    void loadedTripFillsTheLoggerPage()
    {
        PromptRecorder prompts;
        const QString path = TestEnv::home() + QStringLiteral("/QV0012345_0007_000.qlf");
        QVERIFY(CFileManager::writeDataFile(path, sampleTrip(), false));

        MainWindow::applyFormFont();
        MainWindow window;   // at the form's default size, 1092 x 732
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.loadDataFile(path));

        // the timers serve the view request: the graph page opens
        Ui::MainWindow *ui = window.ui;
        QTRY_VERIFY(ui->m_tabWidget->isTabEnabled(2));
        QCOMPARE(QStringList({ ui->m_lineEditLoggerSerial->text(), ui->m_lineEditLoggerDescription->text(),
                               ui->m_lineEditLoggerRange->text(), ui->m_lineEditLoggerHigh->text(),
                               ui->m_lineEditLoggerLowHum->text(), ui->m_lineEditLoggerTotalAlarmDelay->text() }),
                 QStringList({ "QV0012345", "Vaccines Lyon - Porto", "-40/85", "8.0", "30.0", "12" }));
        QVERIFY(ui->m_checkBoxLoggerAlarmHighHigh->isChecked() && !ui->m_checkBoxLoggerAlarmHighHighHum->isChecked());

        // the logger page's panels are each as wide as the page, and the
        // lowest of them can be scrolled to at this size
        ui->m_tabWidget->setCurrentWidget(ui->m_tabLogger);
        QTRY_VERIFY(ui->m_widgetPrg->isVisible());
        for (QWidget *panel : std::initializer_list<QWidget *>{ ui->m_groupBoxSettings, ui->m_tabWidgetAlarm, ui->m_groupBoxProgram,
                                ui->m_groupBoxAdmin })
            QCOMPARE(panel->width(), ui->m_widgetPrg->width());
        auto *scroll = qobject_cast<QScrollArea *>(ui->m_widgetPrg->parentWidget()->parentWidget());
        QVERIFY(scroll);
        scroll->ensureWidgetVisible(ui->m_pushButtonFactoryInit);
        const QRect shown(ui->m_pushButtonFactoryInit->mapTo(scroll->viewport(), QPoint(0, 0)),
                          ui->m_pushButtonFactoryInit->size());
        QVERIFY(scroll->viewport()->rect().contains(shown));
        scroll->ensureWidgetVisible(ui->m_groupBoxSettings);

        // MIRELDA_SCREENSHOT names where to keep a picture of the window
        const QString shot = qEnvironmentVariable("MIRELDA_SCREENSHOT");
        if (!shot.isEmpty()) {
            const std::pair<QWidget *, const char *> pages[] = {
                { ui->m_tabLogger, ".png" }, { ui->m_tabHome, "-home.png" },
                { ui->m_tabGraph, "-graph.png" }, { ui->m_tabTable, "-table.png" },
                { ui->m_tabSummary, "-summary.png" } };
            for (const auto &page : pages) {
                ui->m_tabWidget->setCurrentWidget(page.first);
                QTRY_VERIFY(pageShown(window, page.first));
                QVERIFY(window.grab().save(QString(shot).replace(QStringLiteral(".png"),
                                                                 QString::fromLatin1(page.second))));
            }
            saveZoomAndHistogramShots(window, shot);
        }
    }
};

MIRELDA_TEST_MAIN(TestMainWindowShot)
#include "tst_mainwindowshot.moc"
