#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <utility>

#include "core/appinfo.h"
#include "core/cmainapp.h"
#include "dialogs/cabout.h"
#include "dialogs/chelp.h"
#include "dialogs/cprompt.h"
#include "dialogs/cupdate.h"

// Only the fields of the internal-temperature page ask for the limit
// topics; the delay fields of all three pages share theirs. The fields do
// not overlap, so at most one is under the mouse.
void MainWindow::serveContextHelp()
{
    if (!app->settings.showHelp)
        return;
    const std::pair<const QWidget *, int> fieldTopics[] = {
        { ui->m_lineEditLoggerSerial, 1 },
        { ui->m_lineEditLoggerProduct, 2 },
        { ui->m_lineEditLoggerMemSize, 3 },
        { ui->m_lineEditLoggerNbTrip, 4 },
        { ui->m_lineEditLoggerHighHigh, 6 },
        { ui->m_lineEditLoggerHigh, 7 },
        { ui->m_lineEditLoggerLow, 8 },
        { ui->m_lineEditLoggerLowLow, 9 },
        { ui->m_checkBoxLoggerAlarmHighHigh, 10 },
        { ui->m_checkBoxLoggerAlarmHigh, 11 },
        { ui->m_checkBoxLoggerAlarmLow, 12 },
        { ui->m_checkBoxLoggerAlarmLowLow, 13 },
        { ui->m_lineEditLoggerConsecutiveAlarmDelay, 14 },
        { ui->m_lineEditLoggerTotalAlarmDelay, 15 },
        { ui->m_lineEditLoggerConsecutiveAlarmDelayHum, 14 },
        { ui->m_lineEditLoggerTotalAlarmDelayHum, 15 },
        { ui->m_lineEditLoggerConsecutiveAlarmDelayExt, 14 },
        { ui->m_lineEditLoggerTotalAlarmDelayExt, 15 },
        { ui->m_dateTimeEditPrgInterval, 16 },
        { ui->m_radioButtonPrgStartAt, 17 },
        { ui->m_dateTimeEditPrgStartAt, 18 },
        { ui->m_radioButtonPrgStopAt, 19 },
        { ui->m_dateTimeEditPrgStopAt, 20 },
        { ui->m_radioButtonPrgStartWait, 21 },
        { ui->m_dateTimeEditPrgStartWait, 22 },
        { ui->m_radioButtonPrgStopReading, 23 },
        { ui->m_lineEditPrgStopReading, 24 },
        { ui->m_pushButtonPrgStopAfterMax, 25 },
        { ui->m_radioButtonPrgStopButonEnable, 26 },
        { ui->m_radioButtonPrgStopContinue, 27 },
        { ui->m_radioButtonPrgAutoRestartEnable, 28 },
        { ui->m_comboBoxPrgDuration, 29 },
        { ui->m_labelPrgDuration, 30 },
        { ui->m_progressBarMem, 31 },
        { ui->m_lineEditLoggerPassword, 32 },
        { ui->m_checkBoxLoggerAllowRead, 33 },
        { ui->m_checkBoxLoggerAllowWrite, 34 },
        { ui->m_labelFirmwareVersion, 35 },
        { ui->m_lineEditLoggerDescription, 36 },
        { ui->m_lineEditLoggerRange, 37 },
        { ui->m_checkBoxLoggerShowTemp, 38 },
        { ui->m_checkBoxLoggerShowAlarm, 39 },
    };
    int topic = 0;
    for (const auto &field : fieldTopics)
        if (field.first->testAttribute(Qt::WA_UnderMouse))
            topic = field.second;
    if (topic != 0)
        help->showHelp(topic);
}

void MainWindow::startUpdateCheck(bool shown)
{
    delete updateCheck;
    updateCheck = new CUpdate(this);
    updateCheck->setServer(CUpdate::serverFromSettings(app->adminSettingsFilePath()));
    if (shown)
        updateCheck->show();
    updateCheck->setFolder(AppInfo::productTitle(), AppInfo::version(), AppInfo::buildDate());
}

void MainWindow::on_m_actionCheckForUpdate_triggered()
{
    restartInactivityCountdown();
    startUpdateCheck(true);
}

void MainWindow::on_m_actionAbout_triggered()
{
    restartInactivityCountdown();
    CAbout about(this);
    CPrompt::exec(&about);
}
