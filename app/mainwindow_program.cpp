#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <array>
#include <cmath>

#include <QIcon>
#include <QProgressBar>

#include "core/clanguagetable.h"
#include "core/cmainapp.h"
#include "core/labelid.h"
#include "core/loggerrecord.h"
#include "core/loggertime.h"
#include "dialogs/cprompt.h"
#include "files/cfilemanager.h"
#include "programming/cpass.h"
#include "programming/programlimits.h"
#include "programming/templatecheck.h"
#include "views/cplot.h"

namespace {

// The widgets of one alarm tab, by the channel it sets.
struct AlarmPage {
    ViewChannel channel;
    QWidget *tab;
    QLineEdit *limits[4];
    QCheckBox *levels[4];
    QCheckBox *sensor;
    QLineEdit *consecutive;
    QLineEdit *total;
};

std::array<AlarmPage, 3> alarmPagesOf(const Ui::MainWindow *ui)
{
    return { {
        { ChannelInternal, ui->m_tabAlarmInt,
          { ui->m_lineEditLoggerHighHigh, ui->m_lineEditLoggerHigh, ui->m_lineEditLoggerLow,
            ui->m_lineEditLoggerLowLow },
          { ui->m_checkBoxLoggerAlarmHighHigh, ui->m_checkBoxLoggerAlarmHigh,
            ui->m_checkBoxLoggerAlarmLow, ui->m_checkBoxLoggerAlarmLowLow },
          ui->m_checkBoxLoggerAlarmSensorEnableIntTemp,
          ui->m_lineEditLoggerConsecutiveAlarmDelay, ui->m_lineEditLoggerTotalAlarmDelay },
        { ChannelHumidity, ui->m_tabAlarmIntHum,
          { ui->m_lineEditLoggerHighHighHum, ui->m_lineEditLoggerHighHum,
            ui->m_lineEditLoggerLowHum, ui->m_lineEditLoggerLowLowHum },
          { ui->m_checkBoxLoggerAlarmHighHighHum, ui->m_checkBoxLoggerAlarmHighHum,
            ui->m_checkBoxLoggerAlarmLowHum, ui->m_checkBoxLoggerAlarmLowLowHum },
          ui->m_checkBoxLoggerAlarmSensorEnableIntHum,
          ui->m_lineEditLoggerConsecutiveAlarmDelayHum, ui->m_lineEditLoggerTotalAlarmDelayHum },
        { ChannelExternal, ui->m_tabAlarmExtNtc,
          { ui->m_lineEditLoggerHighHighExt, ui->m_lineEditLoggerHighExt,
            ui->m_lineEditLoggerLowExt, ui->m_lineEditLoggerLowLowExt },
          { ui->m_checkBoxLoggerAlarmHighHighExt, ui->m_checkBoxLoggerAlarmHighExt,
            ui->m_checkBoxLoggerAlarmLowExt, ui->m_checkBoxLoggerAlarmLowLowExt },
          ui->m_checkBoxLoggerAlarmSensorEnableExtTemp,
          ui->m_lineEditLoggerConsecutiveAlarmDelayExt, ui->m_lineEditLoggerTotalAlarmDelayExt },
    } };
}

// Configuration bits of the four levels of each channel, and of its sensor.
quint32 levelBit(ViewChannel channel, int level)
{
    static const int shift[3] = { 0, 20, 16 };   // by ViewChannel
    return quint32(1) << (shift[channel] + level);
}

quint32 sensorBit(ViewChannel channel)
{
    static const quint32 bits[3] = { ConfigBits::InternalOn, ConfigBits::HumidityOn,
                                     ConfigBits::ExternalOn };
    return bits[channel];
}

void setBit(quint32 &word, quint32 bit, bool on)
{
    word = on ? (word | bit) : (word & ~bit);
}

using ProgramLimits::celsiusFromShown;
using ProgramLimits::limitText;

// A limit is taken from its field only when the field no longer shows the
// record's value, so that a value shown rounded (or in Fahrenheit) is not
// written back changed. False, with limit as it was, when the field holds
// no number.
bool readLimitField(const QLineEdit *field, bool temperature, bool celsius, double &limit)
{
    const QString text = field->text().trimmed();
    bool ok = false;
    const double typed = text.toDouble(&ok);
    if (!ok || !std::isfinite(typed))
        return false;
    // the field shows tenths: a limit typed finer is taken as it is shown
    if (text != limitText(limit, temperature, celsius))
        limit = celsiusFromShown(std::round(typed * 10.0) / 10.0, temperature, celsius);
    return true;
}

// A field the user is typing in is not rewritten under the cursor.
void showText(QLineEdit *field, const QString &text)
{
    if (!field->hasFocus() && field->text() != text)
        field->setText(text);
}

void showDateTime(QDateTimeEdit *editor, const QDateTime &value)
{
    if (!editor->hasFocus() && editor->dateTime() != value)
        editor->setDateTime(value);
}

QString durationText(const QString &dayFormat, quint32 seconds)
{
    return dayFormat.arg(seconds / 86400) + QLatin1Char(' ')
           + QTime(0, 0).addSecs(int(seconds % 86400)).toString(QStringLiteral("hh:mm:ss"));
}

// Share of the memory the program fills before it stops: a logger that
// keeps logging over a full memory, or never stops, fills all of it.
int memoryUsePercent(const LoggerRecord &r)
{
    const quint32 c = r.configWord;
    const bool stops = c & (ConfigBits::StopAfterReadings | ConfigBits::StopAt);
    if ((c & ConfigBits::Continuous) || !stops)
        return 100;
    const int capacity = ProgramLimits::maxReadings(r);
    if (capacity <= 0)
        return 0;
    return int(qMin<qint64>(100, qint64(qMax(0, r.stopReadingCount)) * 100 / capacity));
}

}

// ---- page fillers --------------------------------------------------------

QDateTime MainWindow::loggerNow() const
{
    return LoggerTime::toDateTime(app->currentLoggerTime());
}

// The texts the user types stay while the page shows the same record,
// which a save, a download or another row coming into the list leaves the
// same, and come back with the record when another was shown meanwhile
// (SettingsTexts). The serial number is the logger's own: a locked form
// keeps its program, never the identity of the logger it was locked on.
void MainWindow::fillSettingsFields(const LoggerRecord &record)
{
    QStringList texts;
    const bool otherRecord = settingsTexts.show(record, &texts);
    auto fill = [otherRecord](QLineEdit *field, const QString &shown, const QString &own) {
        if (otherRecord)
            showText(field, shown);
        else if (field->text().isEmpty())
            showText(field, own);
    };
    fill(ui->m_lineEditLoggerSerial, texts.value(0), record.serialNumber);
    if (!formLocked) {
        fill(ui->m_lineEditLoggerProduct, texts.value(1), record.productCode);
        fill(ui->m_lineEditLoggerDescription, texts.value(2), record.description);
    }
    showText(ui->m_lineEditLoggerNbTrip, QString::number(record.tripNumber));
    ui->m_lineEditLoggerRange->setText(ProgramLimits::rangeText(record, app->settings.modeCelsius != 0));
}

void MainWindow::fillAlarmFields(const LoggerRecord &record)
{
    retitleAlarmTabs(record);
    if (formLocked)
        return;   // the locked form keeps its program
    const bool celsius = app->settings.modeCelsius != 0;
    for (const AlarmPage &page : alarmPagesOf(ui)) {
        const bool temperature = page.channel != ChannelHumidity;
        for (int level = 0; level < 4; ++level) {
            showText(page.limits[level],
                     limitText(record.threshold(page.channel, AlarmLevel(level)), temperature, celsius));
            page.levels[level]->setChecked(record.levelEnabled(page.channel, AlarmLevel(level)));
        }
        const int group = limitGroupOf(page.channel);
        showText(page.consecutive, QString::number(record.consecutiveDelay[group]));
        showText(page.total, QString::number(record.totalDelay[group]));
    }
}

void MainWindow::retitleAlarmTabs(const LoggerRecord &record)
{
    QTabWidget *tabs = ui->m_tabWidgetAlarm;
    if (record.sensorFlags & SensorBits::DigitalTempHum) {
        tabs->setTabText(0, QStringLiteral("Int. Temp.(Digital)"));
    } else if (record.sensorFlags & SensorBits::InternalNtc) {
        if (CPlot::isTwoProbeModel(record)) {
            tabs->setTabText(0, QStringLiteral("Left Ext.Temp.(NTC)"));
            tabs->setTabText(2, QStringLiteral("Right Ext.Temp.(NTC)"));
        } else {
            tabs->setTabText(0, QStringLiteral("Int/Ext.Temp.(NTC)"));
        }
    }
}

// A page is open for each sensor the record has, a file's too, showing its
// limits; its fields edit while its sensor is on, a file's never. A current
// page that closes gives way to the record's first (Qt's choice: the next).
void MainWindow::enableAlarmTabs(const LoggerRecord &record)
{
    const bool file = record.fromFile || record.massStorage || record.isFile();
    const quint8 sensors = record.sensorFlags;
    const bool pageOn[3] = { bool(sensors & (SensorBits::InternalNtc | SensorBits::DigitalTempHum)),
                             bool(sensors & SensorBits::DigitalTempHum), bool(sensors & SensorBits::ExternalProbe) };
    QTabWidget *tabs = ui->m_tabWidgetAlarm;   // its pages in the order of the channels
    if (!pageOn[qBound(0, tabs->currentIndex(), 2)])
        tabs->setCurrentWidget(pageOn[ChannelInternal] ? ui->m_tabAlarmInt : ui->m_tabAlarmExtNtc);
    for (const AlarmPage &page : alarmPagesOf(ui)) {
        tabs->setTabEnabled(tabs->indexOf(page.tab), pageOn[page.channel]);
        if (!formLocked)
            page.sensor->setChecked(record.configWord & sensorBit(page.channel));
        page.sensor->setEnabled(!file && !formLocked);
        const bool fieldsOn = pageOn[page.channel] && !file && page.sensor->isChecked();
        for (int level = 0; level < 4; ++level) {
            page.limits[level]->setEnabled(fieldsOn);
            page.levels[level]->setEnabled(fieldsOn && !formLocked);
        }
        page.consecutive->setEnabled(fieldsOn);
        page.total->setEnabled(fieldsOn);
    }
}

void MainWindow::showLoggerRecord()
{
    restartInactivityCountdown();
    updateLoggerPage();
    const LoggerRecord *record = currentLoggerRecord();
    if (!record)
        return;
    const bool wasUpdating = updatingForm;
    updatingForm = true;
    enableAlarmTabs(*record);
    updatingForm = wasUpdating;
    updateProgramForm();
}

void MainWindow::updateProgramForm()
{
    updatingProgramForm = true;
    restartInactivityCountdown();
    if (const LoggerRecord *record = currentLoggerRecord()) {
        const bool wasUpdating = updatingForm;
        updatingForm = true;
        if (!formLocked) {
            fillProgramPanel(*record);
            showProgramSummary(*record);
        }
        showLoggerFacts(*record);
        updatingForm = wasUpdating;
    }
    updatingProgramForm = false;
}

void MainWindow::fillProgramPanel(const LoggerRecord &r)
{
    const quint32 c = r.configWord;
    const QDateTime now = ProgramLimits::toWholeMinutes(loggerNow());
    showDateTime(ui->m_dateTimeEditPrgInterval, ProgramLimits::intervalToEditor(r.interval));
    ui->m_radioButtonPrgStartAt->setChecked(c & ConfigBits::StartAt);
    showDateTime(ui->m_dateTimeEditPrgStartAt, r.startAt.isValid() ? r.startAt : now);
    ui->m_radioButtonPrgStartWait->setChecked(c & ConfigBits::StartDelay);
    showDateTime(ui->m_dateTimeEditPrgStartWait, ProgramLimits::delayToEditor(r.startDelay));
    // The editor of the start the logger will use is on: with both checked
    // the logger would start at the time and ignore the wait.
    const ProgramLimits::StartChoice start = ProgramLimits::startChoice(c);
    ui->m_dateTimeEditPrgStartAt->setEnabled(c & ConfigBits::StartAt);
    ui->m_dateTimeEditPrgStartWait->setEnabled(start == ProgramLimits::StartChoice::Wait);
    ui->m_radioButtonPrgStopAt->setChecked(c & ConfigBits::StopAt);
    showDateTime(ui->m_dateTimeEditPrgStopAt, r.stopAt.isValid() ? r.stopAt : now);
    ui->m_radioButtonPrgStopReading->setChecked(c & ConfigBits::StopAfterReadings);
    showText(ui->m_lineEditPrgStopReading, QString::number(r.stopReadingCount));
    ui->m_radioButtonPrgStopButonEnable->setChecked(c & ConfigBits::StopButton);
    ui->m_radioButtonPrgStopContinue->setChecked(c & ConfigBits::Continuous);
    ui->m_radioButtonPrgAutoRestartEnable->setChecked(c & ConfigBits::AutoRestart);
    ui->m_checkBoxLoggerShowAlarm->setChecked(c & ConfigBits::ShowAlarms);
    ui->m_checkBoxLoggerShowTemp->setChecked(c & ConfigBits::ShowTemperature);
    ui->m_checkBoxLoggerShowAlarm->setEnabled(r.hasHeader && !formLocked);
    ui->m_checkBoxLoggerShowTemp->setEnabled(r.hasHeader && !formLocked);
    showText(ui->m_lineEditLoggerMaxTrip, QString::number(r.maxTrip));
    ui->m_checkBoxLoggerAllowRead->setChecked(r.passwordWord & PasswordBits::ReadWithout);
    ui->m_checkBoxLoggerAllowWrite->setChecked(r.passwordWord & PasswordBits::WriteWithout);
}

void MainWindow::showProgramSummary(const LoggerRecord &r)
{
    const quint32 days = r.duration / 86400;
    const bool wholeDays = r.duration % 86400 == 0 && days >= 1
                           && int(days) < ui->m_comboBoxPrgDuration->count();
    ui->m_comboBoxPrgDuration->setCurrentIndex(wholeDays ? int(days) : 0);
    ui->m_labelPrgDuration->setText(durationText(app->languageTable->text(LabelId::DaysFormat), r.duration));
    ui->m_progressBarMem->setRange(0, 100);
    ui->m_progressBarMem->setValue(memoryUsePercent(r));
}

void MainWindow::showLoggerFacts(const LoggerRecord &r)
{
    if (r.versionWord != 0) {
        ui->m_labelFirmwareVersion->setText(
            tr("%1  Firmware %2.%3")
                .arg(r.productCode)
                .arg(r.versionWord >> 8)
                .arg(QString::number(r.versionWord & 0xFF, 16).toUpper().rightJustified(2, QLatin1Char('0'))));
    }
    ui->m_labelBattery->setToolTip(
        QStringLiteral("%1 %2 %").arg(app->languageTable->text(LabelId::Battery)).arg(r.battery));
}

// With no record selected the page holds nothing and is off, as the view
// pages are: nothing on it would act on anything, and the next record's
// page is filled from that record alone. A locked form keeps its program.
void MainWindow::clearProgramPage()
{
    const bool wasUpdating = updatingForm;
    updatingForm = true;
    updatingProgramForm = true;
    if (formLocked)
        settingsTexts.forgetShown();
    else
        setSettingsTextsAside();
    for (QLineEdit *field : { ui->m_lineEditLoggerSerial, ui->m_lineEditLoggerProduct,
                              ui->m_lineEditLoggerMemSize, ui->m_lineEditLoggerNbTrip,
                              ui->m_lineEditLoggerRange, ui->m_lineEditLoggerPassword })
        field->clear();
    ui->m_labelFirmwareVersion->clear();
    ui->m_labelLoggerTime->clear();
    shownClockSeconds = 0;
    if (!formLocked)
        clearProgramFields();
    ui->m_tabWidget->setTabEnabled(PageLogger, false);
    updatingProgramForm = false;
    updatingForm = wasUpdating;
}

void MainWindow::setSettingsTextsAside()
{
    QLineEdit *const fields[] = { ui->m_lineEditLoggerSerial, ui->m_lineEditLoggerProduct,
                                  ui->m_lineEditLoggerDescription };
    QStringList shown;
    for (QLineEdit *field : fields) {
        shown << field->text();
        field->clear();
    }
    settingsTexts.setAside(shown);
}

void MainWindow::clearProgramFields()
{
    ui->m_lineEditLoggerDescription->clear();
    for (const AlarmPage &page : alarmPagesOf(ui)) {
        for (int level = 0; level < 4; ++level) {
            page.limits[level]->clear();
            page.levels[level]->setChecked(false);
        }
        page.sensor->setChecked(false);
        page.consecutive->clear();
        page.total->clear();
    }
    QAbstractButton *const choices[] = {
        ui->m_radioButtonPrgStartAt, ui->m_radioButtonPrgStartWait,
        ui->m_radioButtonPrgStopAt, ui->m_radioButtonPrgStopReading,
        ui->m_radioButtonPrgStopButonEnable, ui->m_radioButtonPrgStopContinue,
        ui->m_radioButtonPrgAutoRestartEnable, ui->m_checkBoxLoggerShowAlarm,
        ui->m_checkBoxLoggerShowTemp, ui->m_checkBoxLoggerAllowRead, ui->m_checkBoxLoggerAllowWrite,
    };
    for (QAbstractButton *button : choices)
        button->setChecked(false);
    const QDateTime zero = ProgramLimits::intervalToEditor(0);
    for (QDateTimeEdit *editor : { ui->m_dateTimeEditPrgInterval, ui->m_dateTimeEditPrgStartAt,
                                   ui->m_dateTimeEditPrgStartWait, ui->m_dateTimeEditPrgStopAt })
        editor->setDateTime(zero);
    ui->m_lineEditPrgStopReading->clear();
    ui->m_lineEditLoggerMaxTrip->clear();
    ui->m_comboBoxPrgDuration->setCurrentIndex(0);
    ui->m_labelPrgDuration->clear();
    ui->m_progressBarMem->setValue(0);
}

// The clock the logger gave last, as soon as its reply is in.
void MainWindow::showLoggerClock()
{
    const LoggerRecord *record = currentLoggerRecord();
    const quint32 seconds = record && record->loggerClock.isValid() ? record->loggerClockSeconds : 0;
    if (seconds == shownClockSeconds)
        return;
    shownClockSeconds = seconds;
    ui->m_labelLoggerTime->setText(
        seconds ? record->loggerClock.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) : QString());
}

int MainWindow::countEnabledSensors()
{
    LoggerRecord *record = currentLoggerRecord();
    if (!record)
        return 0;
    record->updateChannels();
    return record->channelCount;
}

// ---- reading the page ----------------------------------------------------

void MainWindow::readProgramForm()
{
    LoggerRecord *record = currentLoggerRecord();
    if (!record)
        return;
    record->serialNumber = ui->m_lineEditLoggerSerial->text().trimmed();
    record->productCode = ui->m_lineEditLoggerProduct->text().trimmed();
    record->description = ui->m_lineEditLoggerDescription->text();
    bool ok = false;
    const int trip = ui->m_lineEditLoggerNbTrip->text().trimmed().toInt(&ok);
    if (ok)
        record->tripNumber = qBound(0, trip, ProgramLimits::MaxTrips);
    const int maxTrip = ui->m_lineEditLoggerMaxTrip->text().trimmed().toInt(&ok);
    if (ok)
        record->maxTrip = ProgramLimits::clampMaxTrips(maxTrip);
    readAlarmTabs(*record);
    readProgramPanel(*record);
}

QString MainWindow::typedLoggerPassword() const
{
    return ui->m_lineEditLoggerPassword->text();
}

void MainWindow::readAlarmTabs(LoggerRecord &r)
{
    const bool celsius = app->settings.modeCelsius != 0;
    for (const AlarmPage &page : alarmPagesOf(ui)) {
        const bool temperature = page.channel != ChannelHumidity;
        const int group = limitGroupOf(page.channel);
        for (int level = 0; level < 4; ++level) {
            readLimitField(page.limits[level], temperature, celsius, r.alarmThresholds[group][level]);
            setBit(r.configWord, levelBit(page.channel, level), page.levels[level]->isChecked());
        }
        bool ok = false;
        const int consecutive = page.consecutive->text().trimmed().toInt(&ok);
        if (ok)
            r.consecutiveDelay[group] = quint16(ProgramLimits::clampDelay(consecutive));
        const int total = page.total->text().trimmed().toInt(&ok);
        if (ok)
            r.totalDelay[group] = quint16(ProgramLimits::clampDelay(total));
        setBit(r.configWord, sensorBit(page.channel), page.sensor->isChecked());
    }
}

// The schedule editors are read for the start and stop modes chosen; the
// others keep the record's values, so that a mode not in use changes
// nothing in the logger.
void MainWindow::readProgramPanel(LoggerRecord &r)
{
    quint32 &c = r.configWord;
    setBit(c, ConfigBits::StartAt, ui->m_radioButtonPrgStartAt->isChecked());
    setBit(c, ConfigBits::StartDelay, ui->m_radioButtonPrgStartWait->isChecked());
    setBit(c, ConfigBits::StopAt, ui->m_radioButtonPrgStopAt->isChecked());
    setBit(c, ConfigBits::StopAfterReadings, ui->m_radioButtonPrgStopReading->isChecked());
    setBit(c, ConfigBits::StopButton, ui->m_radioButtonPrgStopButonEnable->isChecked());
    setBit(c, ConfigBits::Continuous, ui->m_radioButtonPrgStopContinue->isChecked());
    setBit(c, ConfigBits::AutoRestart, ui->m_radioButtonPrgAutoRestartEnable->isChecked());
    if (r.hasHeader) {
        setBit(c, ConfigBits::ShowAlarms, ui->m_checkBoxLoggerShowAlarm->isChecked());
        setBit(c, ConfigBits::ShowTemperature, ui->m_checkBoxLoggerShowTemp->isChecked());
    }
    const int interval = ProgramLimits::editorToInterval(ui->m_dateTimeEditPrgInterval->dateTime());
    if (ProgramLimits::intervalToEditor(r.interval) != ui->m_dateTimeEditPrgInterval->dateTime())
        r.interval = quint32(ProgramLimits::clampInterval(interval));
    const QDateTime startAt = ProgramLimits::toWholeMinutes(ui->m_dateTimeEditPrgStartAt->dateTime());
    if ((c & ConfigBits::StartAt) && startAt != ProgramLimits::toWholeMinutes(r.startAt))
        r.startAt = startAt;
    const quint32 delay = ProgramLimits::editorToDelay(ui->m_dateTimeEditPrgStartWait->dateTime());
    if ((c & ConfigBits::StartDelay) && delay != r.startDelay)
        r.startDelay = qMin<quint32>(delay, quint32(ProgramLimits::maxStartDelayDays(r)) * 86400);
    const QDateTime stopAt = ProgramLimits::toWholeMinutes(ui->m_dateTimeEditPrgStopAt->dateTime());
    if ((c & ConfigBits::StopAt) && stopAt != ProgramLimits::toWholeMinutes(r.stopAt))
        r.stopAt = stopAt;
    bool ok = false;
    const int count = ui->m_lineEditPrgStopReading->text().trimmed().toInt(&ok);
    if ((c & ConfigBits::StopAfterReadings) && ok)
        r.stopReadingCount = qBound(1, count, ProgramLimits::maxReadings(r));
}

// ---- alarm limits --------------------------------------------------------

void MainWindow::checkAlarmLimits()
{
    LoggerRecord *record = currentLoggerRecord();
    if (!record)
        return;
    updatingForm = true;
    const bool celsius = app->settings.modeCelsius != 0;
    QStringList corrections;
    for (const AlarmPage &page : alarmPagesOf(ui)) {
        const bool temperature = page.channel != ChannelHumidity;
        const int group = limitGroupOf(page.channel);
        double limits[4];
        bool enabled[4];
        bool unreadable = false;
        for (int level = 0; level < 4; ++level) {
            limits[level] = record->alarmThresholds[group][level];
            // an unreadable field keeps the record's value, which is shown again
            if (!readLimitField(page.limits[level], temperature, celsius, limits[level]))
                unreadable = true;
            enabled[level] = page.levels[level]->isChecked();
        }
        double low = 0, high = 0;
        ProgramLimits::limitRange(*record, LimitGroup(group), low, high);
        const bool corrected = ProgramLimits::correctAlarmLimits(limits, enabled, low, high);
        for (int level = 0; level < 4; ++level) {
            record->alarmThresholds[group][level] = limits[level];
            setBit(record->configWord, levelBit(page.channel, level), enabled[level]);
            if (corrected || unreadable)
                page.limits[level]->setText(limitText(limits[level], temperature, celsius));
        }
        if (corrected || unreadable)
            corrections << ProgramLimits::limitRangeText(*record, LimitGroup(group), celsius);
    }
    updatingForm = false;
    corrections.removeDuplicates();
    if (!corrections.isEmpty())
        warnLimit(corrections.join(QStringLiteral(", ")));
}

void MainWindow::warnLimit(const QString &range)
{
    CPrompt::warning(this, app->languageTable->text(LabelId::ThresholdsOutsideRangeWarning).arg(range));
}

void MainWindow::warnOutOfRange(const QString &what, qint64 low, qint64 high)
{
    CPrompt::warning(this, tr("Warning!\n\n%1 has to be between %2 and %3.\nIt was brought into that range.")
                               .arg(what)
                               .arg(low)
                               .arg(high));
}

// ---- form lock -----------------------------------------------------------

void MainWindow::takeLockedCopies()
{
    if (const LoggerRecord *record = currentLoggerRecord()) {
        lockedConfigWord = record->configWord;
        lockedMemorySize = record->memorySize;
        lockedReadingCount = record->stopReadingCount;
    }
}

void MainWindow::setFormLocked()
{
    restartInactivityCountdown();
    QString style;
    if (!formLocked) {
        ui->m_actionLock->setIcon(QIcon(QStringLiteral(":/Pictures/lock_open.png")));
    } else {
        ui->m_actionLock->setIcon(QIcon(QStringLiteral(":/Pictures/lock_closed.png")));
        style = tr("color:rgb(170,0,0);");
        takeLockedCopies();
    }
    ui->m_groupBoxProgram->setStyleSheet(style);
    applyDescriptionLock();

    for (const AlarmPage &page : alarmPagesOf(ui)) {
        page.tab->setStyleSheet(style);
        for (QLineEdit *field : page.limits)
            field->setReadOnly(formLocked);
        page.consecutive->setReadOnly(formLocked);
        page.total->setReadOnly(formLocked);
        for (QCheckBox *box : page.levels)
            box->setEnabled(!formLocked);
        page.sensor->setEnabled(!formLocked);
    }

    ui->m_lineEditPrgStopReading->setReadOnly(formLocked);
    QDateTimeEdit *readOnlyEditors[] = { ui->m_dateTimeEditPrgInterval, ui->m_dateTimeEditPrgStartAt,
                                         ui->m_dateTimeEditPrgStopAt, ui->m_dateTimeEditPrgStartWait };
    for (QDateTimeEdit *editor : readOnlyEditors)
        editor->setReadOnly(formLocked);

    QWidget *disabled[] = {
        ui->m_checkBoxLoggerShowTemp, ui->m_checkBoxLoggerShowAlarm,
        ui->m_radioButtonPrgStartAt, ui->m_radioButtonPrgStopAt, ui->m_radioButtonPrgStartWait,
        ui->m_radioButtonPrgStopReading, ui->m_radioButtonPrgStopButonEnable,
        ui->m_radioButtonPrgStopContinue, ui->m_radioButtonPrgAutoRestartEnable,
        ui->m_comboBoxPrgDuration, ui->m_pushButtonPrgStopAfterMax, ui->m_pushButtonPrgStartNow,
    };
    for (QWidget *widget : disabled)
        widget->setEnabled(!formLocked);
}

// Also run when the options closed: the option may have changed while the
// form stays locked.
void MainWindow::applyDescriptionLock()
{
    const bool locked = formLocked && app->settings.lockDescription;
    ui->m_lineEditLoggerDescription->setReadOnly(locked);
    ui->m_lineEditLoggerDescription->setStyleSheet(locked ? ui->m_groupBoxProgram->styleSheet() : QString());
}

void MainWindow::on_m_actionLock_triggered()
{
    restartInactivityCountdown();
    formLocked = !formLocked;
    updateLoggerPage();
    updateProgramForm();
    setFormLocked();
}

// ---- templates -----------------------------------------------------------

void MainWindow::on_m_actionLoadTemplateProgram_triggered()
{
    restartInactivityCountdown();
    // the template goes into the selected record
    if (!currentRecordOrSay())
        return;
    const QStringList chosen = CPrompt::openFileNames(
        this, app->languageTable->text(LabelId::LoadTemplateProgram), app->settings.defaultPath,
        tr("Program template (*.xtp)"));
    templateFileName = chosen.value(0);
    if (templateFileName.isEmpty())
        return;
    // the template goes into the record still selected after the chooser
    if (!currentLoggerRecord()) {
        templateFileName.clear();
        return;
    }
    const QString refusal = applyTemplate();
    if (!refusal.isEmpty()) {
        CPrompt::warning(this, refusal);
        templateFileName.clear();
        return;
    }
    auditUserAction(QStringLiteral("Load Template: ") + templateFileName);
    templateCheckPending = true;
}

// A template passes every check its values would meet typed on the page,
// for the logger it goes to: its range, memory and sensors.
QString MainWindow::templateRefusal(const LoggerRecord &record, LoggerRecord &applied) const
{
    auto notApplied = [this](const QString &why) {
        return tr("Warning!\n\nThe program template %1 was not applied: %2.\n"
                  "The Program page is unchanged.")
            .arg(templateFileName, why);
    };
    // every key is the template's own once it is read: its model and
    // sensors too
    applied = record;
    QString why;
    if (!CFileManager::readTemplate(templateFileName, applied, &why))
        return notApplied(why);
    // a template of another model never reaches the page
    if (!record.isFile()) {
        const QString lacking = TemplateCheck::whyItDoesNotSuit(templateFileName, applied, record);
        if (!lacking.isEmpty())
            return lacking;
    }
    // the product code names the model it was made for; the logger keeps its own
    applied.productCode = record.productCode;
    why = TemplateCheck::valueRefused(applied, app->settings.modeCelsius != 0);
    return why.isEmpty() ? QString() : notApplied(why);
}

QString MainWindow::applyTemplate()
{
    LoggerRecord *record = currentLoggerRecord();
    if (!record || templateFileName.isEmpty())
        return QString();
    LoggerRecord applied;
    const QString refusal = templateRefusal(*record, applied);
    if (!refusal.isEmpty())
        return refusal;
    *record = applied;
    recalcAfterSensorsOrInterval(currentLoggerRow());
    settingsTexts.forgetShown();
    formLocked = false;   // so that the page takes the template
    showLoggerRecord();
    formLocked = true;
    setFormLocked();
    return QString();
}

// Run after a template was loaded and whenever a logger's image came in:
// the program on the locked form goes to this logger too, unless it was
// made for another model or holds what this logger cannot take.
void MainWindow::checkTemplateCompatibility()
{
    viewsDirty = true;
    const LoggerRecord *record = currentLoggerRecord();
    if (!formLocked || !record || record->isFile() || record->versionWord == 0)
        return;
    QString refusal;
    if (!templateFileName.isEmpty()) {
        refusal = applyTemplate();
        if (!refusal.isEmpty())
            refusal += tr("\nThe form is unlocked.");
    } else if (!TemplateCheck::lockedProgramSuits(lockedConfigWord, lockedMemorySize, lockedReadingCount,
                                                  *record)) {
        refusal = tr("Warning!\n\nThe program on the form is for another logger model "
                     "than the logger %1.\nThe form is unlocked.")
                      .arg(record->serialNumber);
    }
    if (refusal.isEmpty())
        return;
    formLocked = false;
    setFormLocked();
    templateFileName.clear();
    CPrompt::warning(this, refusal);
    showLoggerRecord();
}

// ---- settings panel ------------------------------------------------------

void MainWindow::on_m_lineEditLoggerPassword_textChanged(const QString &text)
{
    if (updatingForm)
        return;
    restartInactivityCountdown();
    const quint32 value = ProgramLimits::parsePassword(text);
    if (LoggerRecord *record = currentLoggerRecord()) {
        const quint32 stored = record->passwordWord & PasswordBits::PasswordMask;
        if (stored == 0 || (app->passwordTypedFor(*record) & PasswordBits::PasswordMask) == stored)
            record->passwordWord = (record->passwordWord & ~PasswordBits::PasswordMask) | value;
        record->typedPassword = value;
    }
    app->enteredLoggerPassword = value;
    updateLoggerPage();
    updateActions();
}

// "Allow RD" and "Allow WR" exclude each other; the access goes into the
// record unless the record holds another password than the one typed.
void MainWindow::setPasswordAccess(quint32 bit, bool checked, QCheckBox *other)
{
    restartInactivityCountdown();
    LoggerRecord *record = currentLoggerRecord();
    if (!record)
        return;
    quint32 word = record->typedPassword & 0x0FFFFFFF;
    setBit(word, bit, checked);
    app->enteredLoggerPassword = word;
    record->typedPassword = word;
    const quint32 stored = record->passwordWord & PasswordBits::PasswordMask;
    if (stored == 0 || stored == (word & PasswordBits::PasswordMask))
        record->passwordWord = word;
    other->setChecked(false);
}

void MainWindow::on_m_checkBoxLoggerAllowRead_clicked(bool checked)
{
    setPasswordAccess(PasswordBits::ReadWithout, checked, ui->m_checkBoxLoggerAllowWrite);
}

void MainWindow::on_m_checkBoxLoggerAllowWrite_clicked(bool checked)
{
    setPasswordAccess(PasswordBits::WriteWithout, checked, ui->m_checkBoxLoggerAllowRead);
}

void MainWindow::on_m_lineEditLoggerSerial_editingFinished() { restartInactivityCountdown(); }

void MainWindow::on_m_lineEditLoggerProduct_editingFinished() { restartInactivityCountdown(); }

void MainWindow::on_m_lineEditLoggerNbTrip_textChanged(const QString &text)
{
    LoggerRecord *record = currentLoggerRecord();
    if (!record || updatingForm)
        return;
    restartInactivityCountdown();
    bool ok = false;
    const int trip = text.trimmed().toInt(&ok);
    if (!ok)
        return;
    record->tripNumber = qBound(0, trip, ProgramLimits::MaxTrips);
    if (trip != record->tripNumber) {
        ui->m_lineEditLoggerNbTrip->setText(QString::number(record->tripNumber));
        warnOutOfRange(app->languageTable->text(LabelId::TripAndTimeZone), 0, ProgramLimits::MaxTrips);
    }
}

void MainWindow::on_m_lineEditLoggerRange_textChanged(const QString &text)
{
    LoggerRecord *record = currentLoggerRecord();
    if (!record || updatingForm || record->fromFile || record->massStorage)
        return;
    restartInactivityCountdown();
    const QStringList parts = text.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.size() != 2)
        return;
    // the field speaks the settings' unit, the record keeps Celsius
    const bool celsius = app->settings.modeCelsius != 0;
    bool okLow = false, okHigh = false;
    const int low = qRound(celsiusFromShown(parts.at(0).trimmed().toInt(&okLow), true, celsius));
    const int high = qRound(celsiusFromShown(parts.at(1).trimmed().toInt(&okHigh), true, celsius));
    // the range is stored in one signed byte each
    if (okLow && okHigh && low >= -128 && high <= 127) {
        record->rangeLow = low;
        record->rangeHigh = high;
    }
}

void MainWindow::on_m_lineEditLoggerMaxTrip_textChanged(const QString &text)
{
    if (updatingForm)
        return;
    restartInactivityCountdown();
    LoggerRecord *record = currentLoggerRecord();
    if (!record)
        return;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        return;
    record->maxTrip = ProgramLimits::clampMaxTrips(value);
    if (value > ProgramLimits::MaxTrips) {
        updatingForm = true;
        ui->m_lineEditLoggerMaxTrip->setText(QString::number(ProgramLimits::MaxTrips));
        updatingForm = false;
        warnOutOfRange(QStringLiteral("maxTrip"), 0, ProgramLimits::MaxTrips);
    }
    updateProgramForm();
}

void MainWindow::on_m_checkBoxLoggerShowAlarm_clicked()
{
    if (updatingForm)
        return;
    restartInactivityCountdown();
    LoggerRecord *record = currentLoggerRecord();
    if (record && record->hasHeader)
        setBit(record->configWord, ConfigBits::ShowAlarms, ui->m_checkBoxLoggerShowAlarm->isChecked());
}

void MainWindow::on_m_checkBoxLoggerShowTemp_clicked()
{
    if (updatingForm)
        return;
    restartInactivityCountdown();
    LoggerRecord *record = currentLoggerRecord();
    if (record && record->hasHeader)
        setBit(record->configWord, ConfigBits::ShowTemperature, ui->m_checkBoxLoggerShowTemp->isChecked());
}

void MainWindow::on_m_pushButtonLoggerReadTime_clicked() { loggerWriter.readClock(); }

void MainWindow::on_m_pushButtonLoggerSyncTime_clicked() { loggerWriter.syncClock(); }

// ---- program panel -------------------------------------------------------

void MainWindow::on_m_pushButtonPrgStartNow_clicked()
{
    restartInactivityCountdown();
    ui->m_dateTimeEditPrgStartAt->setDateTime(ProgramLimits::toWholeMinutes(loggerNow()));
}

void MainWindow::on_m_radioButtonPrgStartAt_clicked(bool checked)
{
    restartInactivityCountdown();
    LoggerRecord *record = currentLoggerRecord();
    if (!record)
        return;
    if (checked) {
        // a start at this very minute has passed by the time it is written
        if (ui->m_dateTimeEditPrgStartAt->dateTime() <= loggerNow())
            ui->m_dateTimeEditPrgStartAt->setDateTime(
                ProgramLimits::toWholeMinutes(loggerNow().addSecs(600)));
        record = currentLoggerRecord();   // the editor's slot ran
        record->configWord |= ConfigBits::StartAt;
        // a memory without header holds one start condition only
        if (!record->hasHeader)
            record->configWord &= ~ConfigBits::StartDelay;
    } else if (ui->m_radioButtonPrgStartWait->isChecked()) {
        record->configWord &= ~ConfigBits::StartAt;
        record->startAt = QDateTime();
    } else {
        ui->m_radioButtonPrgStartAt->setChecked(true);
    }
    updateProgramForm();
    updateActions();
}

void MainWindow::on_m_radioButtonPrgStartWait_clicked(bool checked)
{
    restartInactivityCountdown();
    LoggerRecord *record = currentLoggerRecord();
    if (!record)
        return;
    if (checked)
        record->configWord |= ConfigBits::StartDelay;
    else if (ui->m_radioButtonPrgStartAt->isChecked())
        record->configWord &= ~ConfigBits::StartDelay;
    updateProgramForm();
    updateActions();
}

void MainWindow::on_m_dateTimeEditPrgStartAt_dateTimeChanged(const QDateTime &value)
{
    if (updatingForm || updatingProgramForm)
        return;
    restartInactivityCountdown();
    const int row = currentLoggerRow();
    LoggerRecord *record = recordAt(row);
    if (!record)
        return;
    QDateTime start = ProgramLimits::toWholeMinutes(value);
    const QDateTime now = ProgramLimits::toWholeMinutes(loggerNow());
    if (start < now)
        start = now;
    if (start == record->startAt)
        return;
    record->startAt = start;
    app->recalcProgramTiming(row, 2);
    updateProgramForm();
}

void MainWindow::on_m_dateTimeEditPrgStartWait_editingFinished()
{
    if (updatingForm)
        return;
    restartInactivityCountdown();
    LoggerRecord *record = currentLoggerRecord();
    if (!record)
        return;
    const quint32 delay = ProgramLimits::editorToDelay(ui->m_dateTimeEditPrgStartWait->dateTime());
    const int maxDays = ProgramLimits::maxStartDelayDays(*record);
    const quint32 limit = quint32(maxDays) * 86400;
    record->startDelay = qMin(delay, limit);
    if (delay > limit) {
        updatingProgramForm = true;
        ui->m_dateTimeEditPrgStartWait->setDateTime(ProgramLimits::delayToEditor(limit));
        updatingProgramForm = false;
        warnOutOfRange(app->languageTable->text(LabelId::Wait) + tr(" (days)"), 0, maxDays);
    }
}

void MainWindow::on_m_radioButtonPrgStopAt_clicked(bool checked)
{
    restartInactivityCountdown();
    const int row = currentLoggerRow();
    LoggerRecord *record = recordAt(row);
    if (!record)
        return;
    if (checked) {
        const QDateTime shown = ProgramLimits::toWholeMinutes(ui->m_dateTimeEditPrgStopAt->dateTime());
        record->stopAt = shown < loggerNow() ? ProgramLimits::toWholeMinutes(loggerNow().addSecs(60)) : shown;
        ui->m_radioButtonPrgStopReading->setChecked(false);
        ui->m_radioButtonPrgStopContinue->setChecked(false);
        record->configWord &= ~(ConfigBits::StopAfterReadings | ConfigBits::Continuous);
        record->configWord |= ConfigBits::StopAt;
        if (ui->m_radioButtonPrgStartAt->isChecked())
            app->recalcProgramTiming(row, 4);
    } else {
        record->configWord &= ~ConfigBits::StopAt;
    }
    updateProgramForm();
}

void MainWindow::on_m_dateTimeEditPrgStopAt_dateTimeChanged(const QDateTime &value)
{
    if (updatingForm || updatingProgramForm || !ui->m_radioButtonPrgStopAt->isChecked())
        return;
    restartInactivityCountdown();
    const int row = currentLoggerRow();
    LoggerRecord *record = recordAt(row);
    if (!record)
        return;
    const QDateTime stop = ProgramLimits::toWholeMinutes(value);
    if (stop == record->stopAt)
        return;
    record->stopAt = stop;
    if (ui->m_radioButtonPrgStartAt->isChecked())
        app->recalcProgramTiming(row, 4);
    updateProgramForm();
}

void MainWindow::on_m_radioButtonPrgStopReading_clicked(bool checked)
{
    restartInactivityCountdown();
    LoggerRecord *record = currentLoggerRecord();
    if (!record)
        return;
    if (checked) {
        ui->m_radioButtonPrgStopAt->setChecked(false);
        ui->m_radioButtonPrgStopContinue->setChecked(false);
        record->configWord &= ~(ConfigBits::StopAt | ConfigBits::Continuous);
        record->configWord |= ConfigBits::StopAfterReadings;
    } else {
        record->configWord &= ~ConfigBits::StopAfterReadings;
    }
    updateProgramForm();
}

void MainWindow::on_m_lineEditPrgStopReading_textChanged(const QString &text)
{
    if (updatingProgramForm)
        return;
    restartInactivityCountdown();
    const int row = currentLoggerRow();
    LoggerRecord *record = recordAt(row);
    if (!record)
        return;
    // a count of readings is a stop after readings: the other stops go
    ui->m_radioButtonPrgStopAt->setChecked(false);
    ui->m_radioButtonPrgStopContinue->setChecked(false);
    record->configWord &= ~(ConfigBits::StopAt | ConfigBits::Continuous);
    record->duration = 0;
    const int typed = text.trimmed().toInt();
    const int largest = ProgramLimits::maxReadings(*record);
    record->stopReadingCount = qBound(1, typed, largest);
    if (typed == 0)
        updateLoggerPage();
    app->recalcProgramTiming(row, 1);
    if (typed > largest) {
        updatingProgramForm = true;
        ui->m_lineEditPrgStopReading->setText(QString::number(largest));
        updatingProgramForm = false;
        warnOutOfRange(app->languageTable->text(LabelId::After), 1, largest);
    }
    updateProgramForm();
}

void MainWindow::on_m_pushButtonPrgStopAfterMax_clicked()
{
    restartInactivityCountdown();
    const int row = currentLoggerRow();
    LoggerRecord *record = recordAt(row);
    if (!record)
        return;
    record->duration = 0;
    record->stopReadingCount = ProgramLimits::maxReadings(*record);
    app->recalcProgramTiming(row, 1);
    updateProgramForm();
    showDurationUserDefined();
}

void MainWindow::on_m_radioButtonPrgStopButonEnable_clicked(bool checked)
{
    restartInactivityCountdown();
    if (LoggerRecord *record = currentLoggerRecord()) {
        setBit(record->configWord, ConfigBits::StopButton, checked);
        updateProgramForm();
    }
}

void MainWindow::on_m_radioButtonPrgAutoRestartEnable_clicked(bool checked)
{
    restartInactivityCountdown();
    if (LoggerRecord *record = currentLoggerRecord()) {
        setBit(record->configWord, ConfigBits::AutoRestart, checked);
        updateProgramForm();
    }
}

void MainWindow::on_m_radioButtonPrgStopContinue_clicked(bool checked)
{
    restartInactivityCountdown();
    LoggerRecord *record = currentLoggerRecord();
    if (!record)
        return;
    if (checked) {
        // logging over a full memory has no stop of any kind
        ui->m_radioButtonPrgStopAt->setChecked(false);
        ui->m_radioButtonPrgStopReading->setChecked(false);
        record->configWord &= ~(ConfigBits::StopAfterReadings | ConfigBits::StopAt);
        record->configWord |= ConfigBits::Continuous;
        record->duration = 0;   // nor an end
    } else {
        record->configWord &= ~ConfigBits::Continuous;
    }
    updateProgramForm();
}

void MainWindow::recalcAfterSensorsOrInterval(int row)
{
    countEnabledSensors();
    app->recalcProgramTiming(row, ui->m_radioButtonPrgStopAt->isChecked() ? 4 : 1);
}

void MainWindow::on_m_dateTimeEditPrgInterval_dateTimeChanged(const QDateTime &value)
{
    if (updatingProgramForm)
        return;
    restartInactivityCountdown();
    const int row = currentLoggerRow();
    LoggerRecord *record = recordAt(row);
    if (!record)
        return;
    const int typed = ProgramLimits::editorToInterval(value);
    const int interval = ProgramLimits::clampInterval(typed);
    record->duration = 0;
    record->interval = quint32(interval);
    recalcAfterSensorsOrInterval(row);
    if (interval != typed) {
        updatingProgramForm = true;
        ui->m_dateTimeEditPrgInterval->setDateTime(ProgramLimits::intervalToEditor(quint32(interval)));
        updatingProgramForm = false;
        CPrompt::warning(this, tr("Warning!\n\nThe interval has to be between 00h00m05s and "
                                  "11h59m59s.\nIt was set to %1.")
                                   .arg(ui->m_dateTimeEditPrgInterval->text()));
    }
    updateProgramForm();
    showDurationUserDefined();
}

// The box goes back to User Defined after a change of the count or the
// interval: that is no choice of 0 days, and the count stays.
void MainWindow::showDurationUserDefined()
{
    updatingProgramForm = true;
    ui->m_comboBoxPrgDuration->setCurrentIndex(0);
    updatingProgramForm = false;
}

void MainWindow::on_m_comboBoxPrgDuration_currentIndexChanged(int index)
{
    if (updatingProgramForm)
        return;
    restartInactivityCountdown();
    const int row = currentLoggerRow();
    LoggerRecord *record = recordAt(row);
    if (!record)
        return;
    const quint32 chosen = quint32(qMax(0, index)) * 86400;
    record->duration = chosen;
    app->recalcProgramTiming(row, 0);
    updateProgramForm();
    if (record->duration < chosen)
        CPrompt::warning(this, tr("Warning!\n\nThe memory is full after %1 (%2 readings).\n"
                                  "The trip was set to what the memory holds.")
                                   .arg(ui->m_labelPrgDuration->text())
                                   .arg(record->stopReadingCount));
}

// ---- alarm tabs ----------------------------------------------------------

void MainWindow::on_m_tabWidgetAlarm_currentChanged(int)
{
    updateLoggerPage();
}

void MainWindow::onLevelClicked()
{
    restartInactivityCountdown();
    checkAlarmLimits();
    showLoggerRecord();
}

void MainWindow::on_m_checkBoxLoggerAlarmHighHigh_clicked(bool) { onLevelClicked(); }

void MainWindow::on_m_checkBoxLoggerAlarmHigh_clicked(bool) { onLevelClicked(); }

void MainWindow::on_m_checkBoxLoggerAlarmLow_clicked(bool) { onLevelClicked(); }

void MainWindow::on_m_checkBoxLoggerAlarmLowLow_clicked(bool) { onLevelClicked(); }

void MainWindow::on_m_checkBoxLoggerAlarmHighHighHum_clicked(bool) { onLevelClicked(); }

void MainWindow::on_m_checkBoxLoggerAlarmHighHum_clicked(bool) { onLevelClicked(); }

void MainWindow::on_m_checkBoxLoggerAlarmLowHum_clicked(bool) { onLevelClicked(); }

void MainWindow::on_m_checkBoxLoggerAlarmLowLowHum_clicked(bool) { onLevelClicked(); }

void MainWindow::on_m_checkBoxLoggerAlarmHighHighExt_clicked(bool) { onLevelClicked(); }

void MainWindow::on_m_checkBoxLoggerAlarmHighExt_clicked(bool) { onLevelClicked(); }

void MainWindow::on_m_checkBoxLoggerAlarmLowExt_clicked(bool) { onLevelClicked(); }

void MainWindow::on_m_checkBoxLoggerAlarmLowLowExt_clicked(bool) { onLevelClicked(); }

void MainWindow::onLimitEdited()
{
    restartInactivityCountdown();
    checkAlarmLimits();
    updateLoggerPage();
}

void MainWindow::on_m_lineEditLoggerHighHigh_editingFinished() { onLimitEdited(); }

void MainWindow::on_m_lineEditLoggerHigh_editingFinished() { onLimitEdited(); }

void MainWindow::on_m_lineEditLoggerLow_editingFinished() { onLimitEdited(); }

void MainWindow::on_m_lineEditLoggerLowLow_editingFinished() { onLimitEdited(); }

void MainWindow::on_m_lineEditLoggerHighHighHum_editingFinished() { onLimitEdited(); }

void MainWindow::on_m_lineEditLoggerHighHum_editingFinished() { onLimitEdited(); }

void MainWindow::on_m_lineEditLoggerLowHum_editingFinished() { onLimitEdited(); }

void MainWindow::on_m_lineEditLoggerLowLowHum_editingFinished() { onLimitEdited(); }

void MainWindow::on_m_lineEditLoggerHighHighExt_editingFinished() { onLimitEdited(); }

void MainWindow::on_m_lineEditLoggerHighExt_editingFinished() { onLimitEdited(); }

void MainWindow::on_m_lineEditLoggerLowExt_editingFinished() { onLimitEdited(); }

void MainWindow::on_m_lineEditLoggerLowLowExt_editingFinished() { onLimitEdited(); }

// A delay is kept within 1..254. An empty field is still being typed: it
// counts as 1 but is left as it is. A value over 254 is put back into the
// field with a word to the user.
void MainWindow::storeDelay(QLineEdit *field, int group, bool consecutive, const QString &text)
{
    LoggerRecord *record = currentLoggerRecord();
    if (!record || updatingForm)
        return;
    restartInactivityCountdown();
    const QString trimmed = text.trimmed();
    const int typed = trimmed.toInt();
    const int value = ProgramLimits::clampDelay(typed);
    (consecutive ? record->consecutiveDelay : record->totalDelay)[group] = quint16(value);
    const bool below = consecutive && !trimmed.isEmpty() && typed < value;
    if (below || typed > value) {
        updatingForm = true;
        field->setText(QString::number(value));
        updatingForm = false;
    }
    if (typed > value)
        warnOutOfRange(app->languageTable->text(consecutive ? LabelId::ConsecutiveDelayBeforeAlarm
                                                            : LabelId::TotalDelayBeforeAlarm),
                       ProgramLimits::MinDelay,
                       ProgramLimits::MaxDelay);
    updateLoggerPage();
}

void MainWindow::on_m_lineEditLoggerConsecutiveAlarmDelay_textChanged(const QString &text)
{
    storeDelay(ui->m_lineEditLoggerConsecutiveAlarmDelay, GroupInternal, true, text);
}

void MainWindow::on_m_lineEditLoggerConsecutiveAlarmDelayHum_textChanged(const QString &text)
{
    storeDelay(ui->m_lineEditLoggerConsecutiveAlarmDelayHum, GroupHumidity, true, text);
}

void MainWindow::on_m_lineEditLoggerConsecutiveAlarmDelayExt_textChanged(const QString &text)
{
    storeDelay(ui->m_lineEditLoggerConsecutiveAlarmDelayExt, GroupExternal, true, text);
}

void MainWindow::on_m_lineEditLoggerTotalAlarmDelay_textChanged(const QString &text)
{
    storeDelay(ui->m_lineEditLoggerTotalAlarmDelay, GroupInternal, false, text);
}

void MainWindow::on_m_lineEditLoggerTotalAlarmDelayHum_textChanged(const QString &text)
{
    storeDelay(ui->m_lineEditLoggerTotalAlarmDelayHum, GroupHumidity, false, text);
}

void MainWindow::on_m_lineEditLoggerTotalAlarmDelayExt_textChanged(const QString &text)
{
    storeDelay(ui->m_lineEditLoggerTotalAlarmDelayExt, GroupExternal, false, text);
}

void MainWindow::on_m_lineEditLoggerTotalAlarmDelay_editingFinished()
{
    LoggerRecord *record = currentLoggerRecord();
    if (!record || updatingForm)
        return;
    restartInactivityCountdown();
    const int consecutive = record->consecutiveDelay[GroupInternal];
    const int value = qMax(ProgramLimits::clampDelay(ui->m_lineEditLoggerTotalAlarmDelay->text().trimmed().toInt()),
                           consecutive);
    record->totalDelay[GroupInternal] = quint16(value);
    updatingForm = true;
    ui->m_lineEditLoggerTotalAlarmDelay->setText(QString::number(value));
    updatingForm = false;
    updateLoggerPage();
}

// The last sensor stays on: unchecking it is undone by the refresh.
void MainWindow::onSensorClicked(quint32 bit, bool checked)
{
    const int row = currentLoggerRow();
    LoggerRecord *record = recordAt(row);
    if (!record || updatingForm)
        return;
    restartInactivityCountdown();
    const int others = int(ui->m_checkBoxLoggerAlarmSensorEnableIntTemp->isChecked())
                       + int(ui->m_checkBoxLoggerAlarmSensorEnableIntHum->isChecked())
                       + int(ui->m_checkBoxLoggerAlarmSensorEnableExtTemp->isChecked());
    if (checked)
        record->configWord |= bit;
    else if (others > 0)
        record->configWord &= ~bit;
    recalcAfterSensorsOrInterval(row);
    showLoggerRecord();
    updateActions();
}

void MainWindow::on_m_checkBoxLoggerAlarmSensorEnableIntTemp_clicked(bool checked)
{
    onSensorClicked(ConfigBits::InternalOn, checked);
}

void MainWindow::on_m_checkBoxLoggerAlarmSensorEnableIntHum_clicked(bool checked)
{
    onSensorClicked(ConfigBits::HumidityOn, checked);
}

void MainWindow::on_m_checkBoxLoggerAlarmSensorEnableExtTemp_clicked(bool checked)
{
    onSensorClicked(ConfigBits::ExternalOn, checked);
}

// ---- logger password -----------------------------------------------------

// Asked once per connected logger, when its image shows a password that
// was not given yet. A logger left without it keeps its page open at the
// password field, where it can be typed again.
void MainWindow::askLoggerPasswordIfNeeded()
{
    LoggerRecord *record = currentLoggerRecord();
    if (!record || record->isFile() || record->versionWord == 0 || record->passwordAsked
        || !record->isPasswordProtected() || record->passwordAccepted
        || app->typedPasswordMatches(*record))
        return;
    record->passwordAsked = true;
    const LoggerRecord asked = *record;
    CPass dialog(this, app->languageTable, asked.serialNumber, asked.passwordWord);
    CPrompt::exec(&dialog);
    // the timers ran while the dialog was open
    record = recordAt(rowOfRecord(asked));
    if (!record)
        return;
    bool given = false;
    switch (dialog.choice()) {
    case CPass::Read:
    case CPass::Write:
        app->enteredLoggerPassword = dialog.password();
        record->typedPassword = dialog.password();
        if (rowOfRecord(asked) == currentLoggerRow())
            showTypedLoggerPassword(record);
        given = CMainApp::checkLoggerPassword(asked.passwordWord, dialog.password());
        if (!given)
            CPrompt::warning(this, tr("Warning!\n\nThe password does not match the logger's.\n"
                                      "Type it into the Pass. field to try again."));
        break;
    case CPass::ReadWithout:
        record->passwordWaiver = LoggerRecord::PasswordWaiver::Read;
        given = true;
        break;
    case CPass::WriteWithout:
        record->passwordWaiver = LoggerRecord::PasswordWaiver::Write;
        given = true;
        break;
    case CPass::Cancelled:
        break;
    }
    if (!given && rowOfRecord(asked) == currentLoggerRow())
        openLoggerPasswordField();
    updateActions();
}

// The Pass. field shows what was typed for the selected logger, never the
// password of another one.
void MainWindow::showTypedLoggerPassword(const LoggerRecord *record)
{
    const quint32 password = record ? record->typedPassword & PasswordBits::PasswordMask : 0;
    const bool wasUpdating = updatingForm;
    updatingForm = true;
    showText(ui->m_lineEditLoggerPassword, password != 0 ? QString::number(password) : QString());
    updatingForm = wasUpdating;
}

// The next user gives the passwords again, and finds the Program page's
// texts as the records hold them.
void MainWindow::forgetLoggerSessionAtLogout()
{
    app->forgetLoggerPasswords();
    showTypedLoggerPassword(nullptr);
    settingsTexts.forgetAll();
    updateLoggerPage();   // the texts of the row shown are its own again
}

void MainWindow::openLoggerPasswordField()
{
    ui->m_tabWidget->setTabEnabled(PageLogger, true);
    ui->m_tabWidget->setCurrentWidget(ui->m_tabLogger);
    ui->m_lineEditLoggerPassword->setFocus();
    ui->m_lineEditLoggerPassword->selectAll();
}

// ---- write transfers and production: the classes of programming/ ---------

QProgressBar *MainWindow::writeProgressBar()
{
    return ui->m_progressBarWrite;
}

ProgrammingHost::ProductionWidgets MainWindow::productionWidgets()
{
    ProductionWidgets widgets;
    widgets.internalTable = ui->m_listWidgetAdminIntTable;
    widgets.externalTable = ui->m_listWidgetAdminExtTable;
    widgets.internalTableFile = ui->m_lineEditAdminIntCalFile;
    widgets.externalTableFile = ui->m_lineEditAdminExtCalFile;
    widgets.jigPort = ui->m_comboBoxAdminJigCom;
    return widgets;
}

void MainWindow::on_m_actionProgram_triggered() { loggerWriter.programAction(); }

void MainWindow::on_m_pushButtonProgram_clicked() { on_m_actionProgram_triggered(); }

void MainWindow::on_m_actionEEpromRead_triggered() { loggerWriter.readEeprom(); }

void MainWindow::on_m_actionEEpromWrite_triggered() { loggerWriter.writeEeprom(); }

void MainWindow::on_m_pushButtonAdminWriteIntTable_clicked() { production.writeInternalTable(); }

void MainWindow::on_m_pushButtonAdminWriteExtTable_clicked() { production.writeExternalTable(); }

void MainWindow::on_m_pushButtonFactoryInit_clicked() { production.factoryInit(); }

void MainWindow::fillJigPortCombo(const QString &port, const QStringList &ports)
{
    production.fillJigPortCombo(port, ports);
}

// ---- admin and production slots that do nothing on this station -----------

void MainWindow::on_m_pushButtonStartInit_clicked() {}

void MainWindow::on_m_pushButtonFullInit_clicked() {}

void MainWindow::on_m_comboBoxAdminJigCom_currentIndexChanged(const QString &) {}

void MainWindow::on_m_pushButtonAdminRefreshCommJig_clicked() {}

void MainWindow::on_m_pushButtonAdminTestJig_clicked() {}

void MainWindow::on_m_pushButtonAdminTestPushDB_clicked() {}

void MainWindow::on_m_lineEditAdminTesterName_textChanged(const QString &) {}

void MainWindow::on_m_pushButtonAdminReadIntTable_clicked() {}

void MainWindow::on_m_pushButtonAdminLoadIntTable_clicked() {}

void MainWindow::on_m_pushButtonAdminReadExtTable_clicked() {}

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
