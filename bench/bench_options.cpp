// Opening the options dialog over a full settings file: construction,
// refresh of every widget and the first paint. It should stay well under
// 100 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include "core/clanguagetable.h"
#include "app/mainwindow.h"
#include "core/cmainapp.h"
#include "dialogs/coption.h"
#include "files/cfilemanager.h"
#include "benchhome.h"

namespace {

MainWindow *window = nullptr;

// Every setting away from its default, as a long-used station has them.
void fillSettings(CMainApp *app, const QString &dataDir)
{
    AppSettings &s = app->settings;
    s.graphBackground = QColor(250, 250, 240);
    s.graphThresholdHH = QColor(180, 0, 0);
    s.graphLineThickness = 2;
    s.graphShowThresholdLine = true;
    s.defaultPath = dataDir;
    s.autoDownloadLogger = s.autoSaveLogger = s.autoGenerateTxt = s.autoGenerateCsv = true;
    s.autoGeneratePdf = s.autoOpenPdf = true;
    s.modeCelsius = 0;
    s.mktActivationEnergy = 91.25;
    s.timeZone = 5.75f;
    s.timeZoneIndex = 66;
    s.timeZoneDaylight = 2;
    s.dateFormat = 1;
    s.smtpServerAddress = QStringLiteral("smtp.example.org");
    s.smtpUserName = QStringLiteral("station-7@example.org");
    s.smtpPassword = QStringLiteral("station password");
    s.smtpSenderName = QStringLiteral("Station 7");
    s.smtpSenderEmail = QStringLiteral("station-7@example.org");
    s.smtpRecipientName = QStringLiteral("Quality");
    s.smtpRecipientEmail = QStringLiteral("quality@example.org");
    s.smtpSubject = QStringLiteral("Trip data");
    s.smtpServerAuto = 1;
    s.smtpAttachedFiles = 31;
    s.lockDescription = true;
    app->languageTable->language = 1;
    app->languageTable->firstInitLanguage = 0;
    app->fileManager->writeSettings(app->settingsFilePath());
    app->fileManager->readSettings(app->settingsFilePath());
}

void BM_OpenOptionsDialog(benchmark::State &state)
{
    for (auto _ : state) {
        COption dialog(window);
        dialog.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(dialog.isVisible());
    }
}

}

BENCHMARK(BM_OpenOptionsDialog)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    BenchHome home;
    QTemporaryDir data;
    QApplication application(argc, argv);
    MainWindow::applyFormFont();
    window = new MainWindow;
    fillSettings(window->app, data.path());

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    delete window;
    return 0;
}
