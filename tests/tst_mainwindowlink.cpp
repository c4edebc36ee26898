// The window with a simulated logger on a pseudo-terminal: the logger shows
// up as a row, selecting it reads its image, the download fills the views,
// and unplugging it keeps the downloaded readings.
#include "support/testenv.h"

#include <QTableWidget>

#include "app/mainwindow.h"
#include "core/cmainapp.h"
#include "support/loggersimprocess.h"
#include "support/windowtest.h"
#include "ui_mainwindow.h"
#include "views/cplot.h"

class TestMainWindowLink : public QObject
{
    Q_OBJECT
private slots:
    void loggerIsFoundDownloadedAndRemoved()
    {
        PromptRecorder prompts;
        LoggerSimProcess sim({ QStringLiteral("--serial"), QStringLiteral("WIN-0042"),
                               QStringLiteral("--readings"), QStringLiteral("500"),
                               QStringLiteral("--sensors"), QStringLiteral("5") });
        QVERIFY(sim.start());
        LoggerSimProcess::exposePorts({ sim.ptyPath() });

        MainWindow window;
        Ui::MainWindow *ui = window.ui;
        QTRY_COMPARE_WITH_TIMEOUT(ui->m_tableWidgetLogger->rowCount(), 1, 8000);
        QCOMPARE(ui->m_tableWidgetLogger->item(0, 2)->text(), sim.ptyPath());

        // selecting the new row asks for the image; the row then shows the serial
        ui->m_tableWidgetLogger->setCurrentCell(0, 0);
        QTRY_COMPARE_WITH_TIMEOUT(ui->m_tableWidgetLogger->item(0, 3)->text(),
                                  QStringLiteral("WIN-0042"), 8000);
        QTRY_VERIFY_WITH_TIMEOUT(ui->m_actionDownload->isEnabled(), 5000);

        ui->m_actionDownload->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(window.app->records.at(0).dataLoaded, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(window.plot != nullptr, 5000);
        QCOMPARE(window.app->records.at(0).readingCount, 500);
        QCOMPARE(ui->m_progressBarWrite->value(), 100);
        QVERIFY(ui->m_tabWidget->isTabEnabled(2));
        QCOMPARE(ui->m_tableWidgetTableSummary->rowCount(), 64);

        // the unsaved download outlives its logger, as a row without a port
        QVERIFY(sim.command(QStringLiteral("unplug")));
        QTRY_VERIFY_WITH_TIMEOUT(window.app->records.at(0).isFile(), 8000);
        QCOMPARE(window.app->records.size(), 1);
        QCOMPARE(window.app->records.at(0).readingCount, 500);
        QTRY_COMPARE_WITH_TIMEOUT(ui->m_tableWidgetLogger->rowCount(), 1, 8000);
        QVERIFY(prompts.boxes.isEmpty());
    }
};

MIRELDA_TEST_MAIN(TestMainWindowLink)
#include "tst_mainwindowlink.moc"
