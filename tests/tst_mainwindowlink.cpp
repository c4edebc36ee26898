// The window with a simulated logger on a pseudo-terminal: the logger shows
// up as a row, selecting it reads its image, the download fills the views,
// and unplugging it keeps the downloaded readings until they are saved.
// A download cut short and a foreign file on the drive logger are reported.
#include "support/testenv.h"

#include <QTableWidget>

#include "core/clanguagetable.h"
#include "files/cfilemanager.h"
#include "support/viewstest.h"
#include "support/windowtest.h"
#include "tools/loggersim/loggersimpattern.h"
#include "views/cplot.h"

namespace {
constexpr int kLinkMs = 30000;
constexpr int kDownloadMs = 60000;

QString summaryValue(Ui::MainWindow *ui, const QString &label)
{
    QTableWidget *summary = ui->m_tableWidgetTableSummary;
    for (int row = 0; row < summary->rowCount(); ++row)
        if (summary->item(row, 0) && summary->item(row, 0)->text().trimmed() == label.trimmed())
            return summary->item(row, 1) ? summary->item(row, 1)->text() : QString();
    return QStringLiteral("(no row %1)").arg(label);
}
}

class TestMainWindowLink : public QObject
{
    Q_OBJECT
private slots:
    void loggerIsFoundDownloadedAndKeptUntilSaved()
    {
        WindowTest::SimulatedStation s({ "--serial", "WIN-0042", "--readings", "500", "--sensors", "5" });
        MainWindow &window = s.window;
        Ui::MainWindow *ui = s.ui;
        window.app->settings.graphShowFullRange = false;
        QVERIFY(s.plugInAndSelect(kLinkMs));
        QCOMPARE(ui->m_tableWidgetLogger->item(0, 2)->text(), s.sim.ptyPath());

        // selecting the new row asks for the image; the row then shows the
        // serial and the alarms the logger latched
        QTRY_COMPARE_WITH_TIMEOUT(ui->m_tableWidgetLogger->item(0, 3)->text(),
                                  QStringLiteral("WIN-0042"), kLinkMs);
        QVERIFY(!ui->m_tableWidgetLogger->item(0, 8)->icon().isNull());   // HH
        QVERIFY(ui->m_tableWidgetLogger->item(0, 6)->icon().isNull());    // not OK
        QTRY_VERIFY_WITH_TIMEOUT(ui->m_actionDownload->isEnabled(), kLinkMs);

        // while it runs, asking again is refused with a word, not sent twice
        QSignalSpy progress(window.app, &CMainApp::downloadProgress);
        ui->m_actionDownload->trigger();
        ui->m_actionDownload->trigger();
        QCOMPARE(progress.size(), 1);
        QCOMPARE(s.prompts.boxes.size(), 1);
        QVERIFY(s.prompts.sawBoxContaining(QStringLiteral("busy with a transfer")));
        s.prompts.boxes.clear();
        QTRY_VERIFY_WITH_TIMEOUT(window.app->records.at(0).dataLoaded, kDownloadMs);
        QTRY_VERIFY_WITH_TIMEOUT(window.plot != nullptr, kLinkMs);
        QCOMPARE(window.app->records.at(0).readingCount, 500);
        // the graph fitted to the data spans the temperatures and humidities
        // read, one unit beyond
        const QList<float> extremes = ViewsTest::readingExtremes(window.app->records.at(0).trip());
        const QList<double> fitted{ qMin(extremes.at(0), extremes.at(2)) - 1.0,
                                    qMax(extremes.at(1), extremes.at(3)) + 1.0 };
        const auto valueAxis = [&window] {
            const QwtInterval axis = window.plot ? window.plot->axisInterval(QwtPlot::yLeft) : QwtInterval();
            return QList<double>{ axis.minValue(), axis.maxValue() };
        };
        QTRY_COMPARE_WITH_TIMEOUT(valueAxis(), fitted, kLinkMs);
        QCOMPARE(ui->m_progressBarWrite->value(), 100);
        QVERIFY(ui->m_tabWidget->isTabEnabled(2));
        QCOMPARE(ui->m_tableWidgetTableSummary->rowCount(), 64);
        QCOMPARE(summaryValue(ui, window.app->languageTable->text(135)), QStringLiteral("°C"));

        // a second download works without selecting the row again
        QTRY_VERIFY_WITH_TIMEOUT(ui->m_actionDownload->isEnabled(), kLinkMs);
        progress.clear();
        ui->m_actionDownload->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty() && progress.last().at(1).toInt() == 100,
                                 kDownloadMs);

        // the unsaved download outlives its logger, still selected, as a row
        // named by its serial
        QVERIFY(s.sim.command(QStringLiteral("unplug")));
        QTRY_VERIFY_WITH_TIMEOUT(!window.app->records.isEmpty() && window.app->records.at(0).isFile(), kLinkMs);
        QCOMPARE(window.app->records.size(), 1);
        const LoggerRecord &kept = window.app->records.at(0);
        QVERIFY(kept.fromFile && kept.dataLoaded && kept.unsavedReadings);
        QCOMPARE(kept.readingCount, 500);
        QCOMPARE(kept.readings.at(499), LoggerSimPattern::reading(499, 5));
        QCOMPARE(window.app->currentRecord, 0);
        QCOMPARE(window.app->selection, QList<int>({ 0 }));
        QTRY_COMPARE_WITH_TIMEOUT(ui->m_tableWidgetLogger->item(0, 2)->text(),
                                  QStringLiteral("WIN-0042"), kLinkMs);
        QVERIFY(s.prompts.boxes.isEmpty());
        // nothing on the row talks to a logger any more
        QVERIFY(!ui->m_pushButtonLoggerReadTime->isEnabled() && !ui->m_pushButtonLoggerSyncTime->isEnabled());
        QVERIFY(!ui->m_pushButtonFactoryInit->isEnabled() && !ui->m_actionDisconnect_Logger->isEnabled());
    }

    void downloadCutShortIsReported()
    {
        WindowTest::SimulatedStation s({ "--readings", "20000" }, true);
        Ui::MainWindow *ui = s.ui;
        QVERIFY(s.plugInAndSelect(kLinkMs));
        QTRY_VERIFY_WITH_TIMEOUT(ui->m_actionDownload->isEnabled(), kLinkMs);
        ui->m_actionDownload->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(ui->m_progressBarWrite->value() > 0, kDownloadMs);
        QVERIFY(s.sim.command(QStringLiteral("unplug")));
        QTRY_VERIFY_WITH_TIMEOUT(s.prompts.sawBoxContaining(QStringLiteral("nothing was kept")), kLinkMs);
        QCOMPARE(ui->m_progressBarWrite->value(), 0);
        QVERIFY(!s.window.transferInProgress);
        QTRY_COMPARE_WITH_TIMEOUT(ui->m_tableWidgetLogger->rowCount(), 0, kLinkMs);
        QCOMPARE(s.prompts.boxesContaining(QStringLiteral("nothing was kept")), 1);
    }

    void foreignFileOnTheDriveLoggerIsRefused()
    {
        QTemporaryDir drive;
        // a data file of this program, copied to the drive under its pattern
        LoggerRecord trip = WindowTest::downloadedTrip(QStringLiteral("F-1"),
                                                       QVector<quint16>(400, 250));
        const QString path = drive.filePath(QStringLiteral("COPY.QLF"));
        QVERIFY(CFileManager::writeDataFile(path, trip, false));
        EnvGuard driveRoot("MIRELDA_MSD_ROOT", drive.path().toLocal8Bit());
        WindowTest::Harness h;
        QTRY_VERIFY_WITH_TIMEOUT(h.prompts.sawBoxContaining(QStringLiteral("COPY.QLF")), kLinkMs);
        QVERIFY(h.prompts.boxes.first().text.startsWith(QStringLiteral("Warning!\n\n")));
        QCOMPARE(h.records.size(), 0);
    }
};

MIRELDA_TEST_MAIN(TestMainWindowLink)
#include "tst_mainwindowlink.moc"
