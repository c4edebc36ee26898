#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QIcon>

#include "core/cmainapp.h"
#include "core/loggerrecord.h"
#include "core/memorymap.h"

namespace {

// Temperatures are kept in Celsius and shown in the unit of the settings.
QString limitText(double value, bool temperature, bool celsius)
{
    if (temperature && !celsius)
        value = CMainApp::celsiusToFahrenheit(value);
    return QString::number(value, 'f', 1);
}

} // namespace

void MainWindow::fillSettingsFields(const LoggerRecord &record)
{
    if (!formLocked) {
        ui->m_lineEditLoggerSerial->setText(record.serialNumber);
        ui->m_lineEditLoggerProduct->setText(record.productCode);
        ui->m_lineEditLoggerDescription->setText(record.description);
    }
    ui->m_lineEditLoggerNbTrip->setText(QString::number(record.tripNumber));
    ui->m_lineEditLoggerRange->setText(
        QStringLiteral("%1/%2").arg(record.rangeLow).arg(record.rangeHigh));
}

void MainWindow::fillAlarmFields(const LoggerRecord &record)
{
    const bool celsius = app->settings.modeCelsius != 0;
    struct Page {
        ViewChannel channel;
        QLineEdit *limits[4];
        QCheckBox *levels[4];
        QLineEdit *consecutive;
        QLineEdit *total;
    };
    const Page pages[] = {
        { ChannelInternal,
          { ui->m_lineEditLoggerHighHigh, ui->m_lineEditLoggerHigh, ui->m_lineEditLoggerLow,
            ui->m_lineEditLoggerLowLow },
          { ui->m_checkBoxLoggerAlarmHighHigh, ui->m_checkBoxLoggerAlarmHigh,
            ui->m_checkBoxLoggerAlarmLow, ui->m_checkBoxLoggerAlarmLowLow },
          ui->m_lineEditLoggerConsecutiveAlarmDelay, ui->m_lineEditLoggerTotalAlarmDelay },
        { ChannelHumidity,
          { ui->m_lineEditLoggerHighHighHum, ui->m_lineEditLoggerHighHum,
            ui->m_lineEditLoggerLowHum, ui->m_lineEditLoggerLowLowHum },
          { ui->m_checkBoxLoggerAlarmHighHighHum, ui->m_checkBoxLoggerAlarmHighHum,
            ui->m_checkBoxLoggerAlarmLowHum, ui->m_checkBoxLoggerAlarmLowLowHum },
          ui->m_lineEditLoggerConsecutiveAlarmDelayHum, ui->m_lineEditLoggerTotalAlarmDelayHum },
        { ChannelExternal,
          { ui->m_lineEditLoggerHighHighExt, ui->m_lineEditLoggerHighExt,
            ui->m_lineEditLoggerLowExt, ui->m_lineEditLoggerLowLowExt },
          { ui->m_checkBoxLoggerAlarmHighHighExt, ui->m_checkBoxLoggerAlarmHighExt,
            ui->m_checkBoxLoggerAlarmLowExt, ui->m_checkBoxLoggerAlarmLowLowExt },
          ui->m_lineEditLoggerConsecutiveAlarmDelayExt, ui->m_lineEditLoggerTotalAlarmDelayExt },
    };
    const AlarmLevel levels[] = { LevelHH, LevelH, LevelL, LevelLL };
    for (const Page &page : pages) {
        const bool temperature = page.channel != ChannelHumidity;
        for (int i = 0; i < 4; ++i) {
            page.limits[i]->setText(
                limitText(record.threshold(page.channel, levels[i]), temperature, celsius));
            page.levels[i]->setChecked(record.levelEnabled(page.channel, levels[i]));
        }
        const int group = limitGroupOf(page.channel);
        page.consecutive->setText(QString::number(record.consecutiveDelay[group]));
        page.total->setText(QString::number(record.totalDelay[group]));
    }
}

void MainWindow::setFormLocked()
{
    ui->m_actionLock->setIcon(QIcon(formLocked ? QStringLiteral(":/Pictures/lock_closed.png")
                                               : QStringLiteral(":/Pictures/lock_open.png")));
    QLineEdit *fields[] = { ui->m_lineEditLoggerPassword, ui->m_lineEditLoggerSerial,
                            ui->m_lineEditLoggerProduct, ui->m_lineEditLoggerNbTrip,
                            ui->m_lineEditLoggerDescription };
    for (QLineEdit *field : fields)
        field->setReadOnly(formLocked);
    ui->m_checkBoxLoggerAllowRead->setEnabled(!formLocked);
    ui->m_checkBoxLoggerAllowWrite->setEnabled(!formLocked);
}

void MainWindow::on_m_actionLock_triggered()
{
    restartInactivityCountdown();
    formLocked = !formLocked;
    updateLoggerPage();
    setFormLocked();
}

void MainWindow::on_m_actionProgram_triggered() { restartInactivityCountdown(); }

void MainWindow::on_m_actionEEpromRead_triggered() { restartInactivityCountdown(); }

void MainWindow::on_m_actionEEpromWrite_triggered() { restartInactivityCountdown(); }

void MainWindow::on_m_lineEditLoggerPassword_textChanged(const QString &text)
{
    if (updatingForm)
        return;
    restartInactivityCountdown();
    bool ok = false;
    quint32 value = text.trimmed().toUInt(&ok, 10);
    if (!ok || value > 0xFFFF)
        value = 0;
    if (LoggerRecord *record = currentLoggerRecord()) {
        const quint32 stored = record->passwordWord & PasswordBits::PasswordMask;
        if (stored == 0 || (app->enteredLoggerPassword & PasswordBits::PasswordMask) == stored)
            record->passwordWord = value;
    }
    app->enteredLoggerPassword = value;
    updateLoggerPage();
    updateActions();
}

void MainWindow::on_m_checkBoxLoggerAllowRead_clicked(bool) { restartInactivityCountdown(); }

void MainWindow::on_m_checkBoxLoggerAllowWrite_clicked(bool) { restartInactivityCountdown(); }

void MainWindow::on_m_lineEditLoggerSerial_editingFinished() { restartInactivityCountdown(); }

void MainWindow::on_m_lineEditLoggerProduct_editingFinished() { restartInactivityCountdown(); }

void MainWindow::on_m_lineEditLoggerNbTrip_textChanged(const QString &)
{
    if (updatingForm)
        return;
    restartInactivityCountdown();
}

void MainWindow::on_m_lineEditLoggerRange_textChanged(const QString &)
{
    if (updatingForm)
        return;
    restartInactivityCountdown();
}

void MainWindow::on_m_pushButtonLoggerReadTime_clicked() { restartInactivityCountdown(); }

void MainWindow::on_m_pushButtonLoggerSyncTime_clicked() { restartInactivityCountdown(); }

void MainWindow::on_m_radioButtonPrgStopReading_clicked(bool) { restartInactivityCountdown(); }

void MainWindow::on_m_lineEditPrgStopReading_textChanged(const QString &)
{
    if (updatingProgramForm)
        return;
    restartInactivityCountdown();
}

void MainWindow::on_m_pushButtonPrgStopAfterMax_clicked() { restartInactivityCountdown(); }

void MainWindow::on_m_radioButtonPrgStopContinue_clicked(bool) { restartInactivityCountdown(); }

void MainWindow::on_m_radioButtonPrgAutoRestartEnable_clicked(bool) { restartInactivityCountdown(); }

void MainWindow::on_m_radioButtonPrgStopButonEnable_clicked(bool) { restartInactivityCountdown(); }

void MainWindow::on_m_comboBoxPrgDuration_currentIndexChanged(int)
{
    if (updatingProgramForm)
        return;
    restartInactivityCountdown();
}

void MainWindow::on_m_dateTimeEditPrgInterval_dateTimeChanged(const QDateTime &)
{
    if (updatingProgramForm)
        return;
    restartInactivityCountdown();
}

void MainWindow::on_m_radioButtonPrgStartAt_clicked(bool)
{
    restartInactivityCountdown();
    updateActions();
}

void MainWindow::on_m_dateTimeEditPrgStartAt_dateTimeChanged(const QDateTime &)
{
    if (updatingForm || updatingProgramForm)
        return;
    restartInactivityCountdown();
}

void MainWindow::on_m_pushButtonPrgStartNow_clicked() { restartInactivityCountdown(); }

void MainWindow::on_m_checkBoxLoggerShowAlarm_clicked()
{
    if (updatingForm)
        return;
    restartInactivityCountdown();
}

void MainWindow::on_m_checkBoxLoggerShowTemp_clicked()
{
    if (updatingForm)
        return;
    restartInactivityCountdown();
}

void MainWindow::on_m_radioButtonPrgStopAt_clicked(bool) { restartInactivityCountdown(); }

void MainWindow::on_m_dateTimeEditPrgStopAt_dateTimeChanged(const QDateTime &)
{
    if (updatingForm || updatingProgramForm)
        return;
    restartInactivityCountdown();
}

void MainWindow::on_m_pushButtonProgram_clicked() { on_m_actionProgram_triggered(); }

void MainWindow::on_m_radioButtonPrgStartWait_clicked(bool)
{
    restartInactivityCountdown();
    updateActions();
}

void MainWindow::on_m_dateTimeEditPrgStartWait_editingFinished()
{
    if (updatingForm)
        return;
    restartInactivityCountdown();
}

void MainWindow::on_m_lineEditLoggerMaxTrip_textChanged(const QString &)
{
    if (updatingForm)
        return;
    restartInactivityCountdown();
}

void MainWindow::on_m_pushButtonFactoryInit_clicked() { restartInactivityCountdown(); }

void MainWindow::on_m_tabWidgetAlarm_currentChanged(int)
{
    updateLoggerPage();
}

void MainWindow::on_m_checkBoxLoggerAlarmHighHigh_clicked(bool) { restartInactivityCountdown(); }

void MainWindow::on_m_checkBoxLoggerAlarmHigh_clicked(bool) { restartInactivityCountdown(); }

void MainWindow::on_m_checkBoxLoggerAlarmLow_clicked(bool) { restartInactivityCountdown(); }

void MainWindow::on_m_checkBoxLoggerAlarmLowLow_clicked(bool) { restartInactivityCountdown(); }

void MainWindow::on_m_checkBoxLoggerAlarmHighHighHum_clicked(bool) { restartInactivityCountdown(); }

void MainWindow::on_m_checkBoxLoggerAlarmHighHum_clicked(bool) { restartInactivityCountdown(); }

void MainWindow::on_m_checkBoxLoggerAlarmLowHum_clicked(bool) { restartInactivityCountdown(); }

void MainWindow::on_m_checkBoxLoggerAlarmLowLowHum_clicked(bool) { restartInactivityCountdown(); }

void MainWindow::on_m_checkBoxLoggerAlarmHighHighExt_clicked(bool) { restartInactivityCountdown(); }

void MainWindow::on_m_checkBoxLoggerAlarmHighExt_clicked(bool) { restartInactivityCountdown(); }

void MainWindow::on_m_checkBoxLoggerAlarmLowExt_clicked(bool) { restartInactivityCountdown(); }

void MainWindow::on_m_checkBoxLoggerAlarmLowLowExt_clicked(bool) { restartInactivityCountdown(); }

// A sensor choice changes whether the logger can be programmed.
void MainWindow::on_m_checkBoxLoggerAlarmSensorEnableIntTemp_clicked(bool)
{
    if (updatingForm || currentLoggerRow() < 0)
        return;
    restartInactivityCountdown();
    updateActions();
}

void MainWindow::on_m_checkBoxLoggerAlarmSensorEnableIntHum_clicked(bool)
{
    if (updatingForm || currentLoggerRow() < 0)
        return;
    restartInactivityCountdown();
    updateActions();
}

void MainWindow::on_m_checkBoxLoggerAlarmSensorEnableExtTemp_clicked(bool)
{
    if (updatingForm || currentLoggerRow() < 0)
        return;
    restartInactivityCountdown();
    updateActions();
}

void MainWindow::on_m_lineEditLoggerHighHigh_editingFinished() { restartInactivityCountdown(); }

void MainWindow::on_m_lineEditLoggerHigh_editingFinished() { restartInactivityCountdown(); }

void MainWindow::on_m_lineEditLoggerLow_editingFinished() { restartInactivityCountdown(); }

void MainWindow::on_m_lineEditLoggerLowLow_editingFinished() { restartInactivityCountdown(); }

void MainWindow::on_m_lineEditLoggerHighHighHum_editingFinished() { restartInactivityCountdown(); }

void MainWindow::on_m_lineEditLoggerHighHum_editingFinished() { restartInactivityCountdown(); }

void MainWindow::on_m_lineEditLoggerLowHum_editingFinished() { restartInactivityCountdown(); }

void MainWindow::on_m_lineEditLoggerLowLowHum_editingFinished() { restartInactivityCountdown(); }

void MainWindow::on_m_lineEditLoggerHighHighExt_editingFinished() { restartInactivityCountdown(); }

void MainWindow::on_m_lineEditLoggerHighExt_editingFinished() { restartInactivityCountdown(); }

void MainWindow::on_m_lineEditLoggerLowExt_editingFinished() { restartInactivityCountdown(); }

void MainWindow::on_m_lineEditLoggerLowLowExt_editingFinished() { restartInactivityCountdown(); }

void MainWindow::on_m_lineEditLoggerConsecutiveAlarmDelay_textChanged(const QString &)
{
    if (updatingForm)
        return;
    restartInactivityCountdown();
}

void MainWindow::on_m_lineEditLoggerConsecutiveAlarmDelayHum_textChanged(const QString &)
{
    if (updatingForm)
        return;
    restartInactivityCountdown();
}

void MainWindow::on_m_lineEditLoggerConsecutiveAlarmDelayExt_textChanged(const QString &)
{
    if (updatingForm)
        return;
    restartInactivityCountdown();
}

void MainWindow::on_m_lineEditLoggerTotalAlarmDelay_textChanged(const QString &)
{
    if (updatingForm)
        return;
    restartInactivityCountdown();
}

void MainWindow::on_m_lineEditLoggerTotalAlarmDelayHum_textChanged(const QString &)
{
    if (updatingForm)
        return;
    restartInactivityCountdown();
}

void MainWindow::on_m_lineEditLoggerTotalAlarmDelayExt_textChanged(const QString &)
{
    if (updatingForm)
        return;
    restartInactivityCountdown();
}

void MainWindow::on_m_lineEditLoggerTotalAlarmDelay_editingFinished()
{
    if (updatingForm)
        return;
    restartInactivityCountdown();
}

void MainWindow::on_m_pushButtonStartInit_clicked() {}

void MainWindow::on_m_pushButtonFullInit_clicked() {}

void MainWindow::on_m_comboBoxAdminJigCom_currentIndexChanged(const QString &) {}

void MainWindow::on_m_pushButtonAdminRefreshCommJig_clicked() {}

void MainWindow::on_m_pushButtonAdminTestJig_clicked() {}

void MainWindow::on_m_pushButtonAdminTestPushDB_clicked() {}

void MainWindow::on_m_lineEditAdminTesterName_textChanged(const QString &) {}

void MainWindow::on_m_pushButtonAdminReadIntTable_clicked() {}

void MainWindow::on_m_pushButtonAdminWriteIntTable_clicked() {}

void MainWindow::on_m_pushButtonAdminLoadIntTable_clicked() {}

void MainWindow::on_m_pushButtonAdminReadExtTable_clicked() {}

void MainWindow::on_m_pushButtonAdminWriteExtTable_clicked() {}

void MainWindow::on_m_pushButtonAdminLoadExtTable_clicked() {}

void MainWindow::on_m_lineEditAdminIntCalFile_editingFinished() {}

void MainWindow::on_m_lineEditAdminExtCalFile_editingFinished() {}

void MainWindow::on_m_lineEditAdminTemplate_editingFinished() {}

void MainWindow::on_m_lineEditAdminDefaultPath_editingFinished() {}

void MainWindow::on_m_pushButtonAdminTemplate_clicked() {}

void MainWindow::on_m_pushButtonAdminDefaultPath_clicked() {}

void MainWindow::on_m_lineEditProdPath_editingFinished() {}

void MainWindow::on_m_lineEditProdUser_editingFinished() {}

void MainWindow::on_m_lineEditProdCustomer_editingFinished() {}

void MainWindow::on_m_lineEditProdOrder_editingFinished() {}

void MainWindow::on_m_pushButtonProdPath_clicked() {}
