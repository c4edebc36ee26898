// The programming page without a logger on the line: what the user types is
// brought into what a logger accepts, templates, the form lock, the
// logger-password dialog and a transfer whose logger went.
#include "support/testenv.h"

#include <QScrollArea>
#include <QScrollBar>

#include "app/mainwindow.h"
#include "core/cmainapp.h"
#include "core/imagecodec.h"
#include "core/loggertime.h"
#include "core/memorymap.h"
#include "files/cfilemanager.h"
#include "programming/cpass.h"
#include "programming/programlimits.h"
#include "support/windowtest.h"
#include "ui_cpass.h"
#include "ui_mainwindow.h"
#include "views/ctable.h"

using WindowTest::Harness;
using WindowTest::finishEditing;
using WindowTest::turnWheel;

namespace {

LoggerRecord twoChannelLogger()
{
    LoggerRecord r = WindowTest::loggerRecord(QStringLiteral("/dev/ttyTEST0"), QStringLiteral("PAGE-77"));
    r.versionWord = 0x11A;
    r.sensorFlags = SensorBits::DigitalTempHum;
    r.configWord = ConfigBits::InternalOn | ConfigBits::HumidityOn | ConfigBits::StartDelay
                   | ConfigBits::IntHH | ConfigBits::IntH;
    r.productCode = QStringLiteral("QV-5D");
    r.description = QStringLiteral("Before");
    r.rangeLow = -40;
    r.rangeHigh = 85;
    r.interval = 600;
    r.memorySize = 0x10000 + 768;
    r.hasHeader = true;
    r.alarmThresholds[GroupInternal][LevelHH] = 10.0;
    r.alarmThresholds[GroupInternal][LevelH] = 8.0;
    r.consecutiveDelay[GroupInternal] = 2;
    r.totalDelay[GroupInternal] = 5;
    r.totalDelay[GroupHumidity] = 4;
    r.ready = true;
    r.dataLoaded = true;   // downloaded: selecting it fills the page at once
    r.imageRead = ImageCodec::encode(r, QByteArray(MemoryMap::ImageSize, '\0'));
    r.updateChannels();
    return r;
}

// A window whose logger clock stands where the test puts it.
class ClockedWindow : public MainWindow
{
public:
    QDateTime clock;

private:
    QDateTime loggerNow() const override { return clock; }
};

QImage lockPicture(const char *name)
{
    return QIcon(QStringLiteral(":/Pictures/") + QLatin1String(name)).pixmap(16).toImage();
}

}

class TestProgramPage : public QObject
{
    Q_OBJECT
private slots:
    void typedValuesAreBroughtIntoRangeWithAWord()
    {
        Harness h;
        h.addAndSelect(twoChannelLogger());
        LoggerRecord &r = h.records[0];

        finishEditing(h.ui->m_lineEditLoggerHighHigh, QStringLiteral("120"));
        QCOMPARE(r.alarmThresholds[GroupInternal][LevelHH], 85.0);
        QCOMPARE(h.ui->m_lineEditLoggerHighHigh->text(), QStringLiteral("85.0"));
        QVERIFY(h.prompts.sawBoxContaining(QStringLiteral("inside Logger's range -40/85")));
        h.prompts.boxes.clear();
        finishEditing(h.ui->m_lineEditLoggerHigh, QStringLiteral("99"));   // over HH as well
        QCOMPARE(r.alarmThresholds[GroupInternal][LevelH], 85.0);
        h.prompts.boxes.clear();
        finishEditing(h.ui->m_lineEditLoggerHigh, QStringLiteral("12.5"));
        QCOMPARE(r.alarmThresholds[GroupInternal][LevelH], 12.5);
        QVERIFY(h.prompts.boxes.isEmpty());
        finishEditing(h.ui->m_lineEditLoggerHigh, QStringLiteral("24.96"));   // taken as it is shown
        QCOMPARE(r.alarmThresholds[GroupInternal][LevelH], 25.0);
        QCOMPARE(h.ui->m_lineEditLoggerHigh->text(), QStringLiteral("25.0"));

        h.ui->m_lineEditLoggerConsecutiveAlarmDelay->setText(QStringLiteral("300"));
        QCOMPARE(r.consecutiveDelay[GroupInternal], quint16(254));
        QCOMPARE(h.ui->m_lineEditLoggerConsecutiveAlarmDelay->text(), QStringLiteral("254"));
        QVERIFY(h.prompts.sawBoxContaining(QStringLiteral("between 1 and 254")));
        h.ui->m_lineEditLoggerTotalAlarmDelayHum->setText(QStringLiteral("0"));
        QCOMPARE(r.totalDelay[GroupHumidity], quint16(1));

        h.prompts.boxes.clear();
        h.ui->m_dateTimeEditPrgInterval->setTime(QTime(13, 0));
        QCOMPARE(r.interval, 43199u);
        QCOMPARE(h.ui->m_dateTimeEditPrgInterval->time(), QTime(11, 59, 59));
        QVERIFY(h.prompts.sawBoxContaining(QStringLiteral("11h59m59s")));
        h.ui->m_dateTimeEditPrgInterval->setTime(QTime(0, 0, 2));
        QCOMPARE(r.interval, 5u);

        h.ui->m_lineEditLoggerMaxTrip->setText(QStringLiteral("12000"));
        QCOMPARE(r.maxTrip, 9999);
        QCOMPARE(h.ui->m_lineEditLoggerMaxTrip->text(), QStringLiteral("9999"));
    }

    // A limit that rounds to zero reads "0.0", never "-0.0" (0 °F is held as
    // -17.8 °C), on the page, in the summary and as a reading; a limit
    // brought into range is told with the range of its own page, each range
    // once.
    void limitsReadAsTheyStand_data()
    {
        QTest::addColumn<bool>("celsius");
        QTest::addColumn<double>("heldHH");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("range");
        QTest::newRow("0 °F held as -17.8 °C") << false << -17.8 << "m_lineEditLoggerHighHigh" << QString()
                                                 << "0.0" << QString();
        QTest::newRow("-0.04 °C") << true << -0.04 << "m_lineEditLoggerHighHigh" << QString() << "0.0" << QString();
        QTest::newRow("humidity under its range, °F") << false << 10.0 << "m_lineEditLoggerLowHum" << "-5"
                                                      << "0.0" << "0/100 %";
        QTest::newRow("temperature over its range, °F") << false << 10.0 << "m_lineEditLoggerHighHigh" << "300"
                                                        << "185.0" << "-40/185 °F";
        QTest::newRow("both pages out of range") << true << 90.0 << "m_lineEditLoggerHighHighHum" << "101"
                                                 << "100.0" << "-40/85 °C, 0/100 %";
    }
    void limitsReadAsTheyStand()
    {
        QFETCH(bool, celsius);
        QFETCH(double, heldHH);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, range);
        Harness h;
        h.window.app->settings.modeCelsius = celsius ? 1 : 0;
        LoggerRecord logger = twoChannelLogger();
        logger.alarmThresholds[GroupInternal][LevelHH] = heldHH;
        logger.alarmThresholds[GroupInternal][LevelH] = qMin(heldHH, 8.0);
        h.addAndSelect(logger);
        auto *edit = h.window.findChild<QLineEdit *>(field);
        if (!typed.isEmpty())
            finishEditing(edit, typed);
        QCOMPARE(edit->text(), shown);
        if (typed.isEmpty()) {   // the summary and a reading of it read it as the page does
            QCOMPARE(CTable::valueText(qRound(heldHH * 10), !celsius), shown);
            h.window.viewsDirty = true;
            h.window.Timer();
            const int limitRow = CTable::summaryRow(CTable::SummaryItem::LimitHH, ChannelInternal);
            QCOMPARE(h.ui->m_tableWidgetTableSummary->item(limitRow, 1)->text(),
                     shown + (celsius ? QStringLiteral(" °C") : QStringLiteral(" °F")));
        }
        QCOMPARE(h.prompts.boxes.size(), range.isEmpty() ? 0 : 1);
        QVERIFY(range.isEmpty() || h.prompts.sawBoxContaining(QStringLiteral("inside Logger's range ") + range + '\n'));
    }

    // At and Wait as their slots leave them, and which start the page
    // shows in use: the editor of the start the logger would ignore is off.
    void startAtAndStartWait_data()
    {
        QTest::addColumn<bool>("header");
        QTest::newRow("memory with header") << true;
        QTest::newRow("memory without header") << false;
    }

    void startAtAndStartWait()
    {
        QFETCH(bool, header);
        Harness h;
        LoggerRecord logger = twoChannelLogger();   // starts with Wait
        logger.hasHeader = header;
        h.addAndSelect(logger);
        h.window.Timer();
        const LoggerRecord &r = h.records[0];
        QAbstractButton *at = h.ui->m_radioButtonPrgStartAt;
        QAbstractButton *wait = h.ui->m_radioButtonPrgStartWait;
        QVERIFY(wait->isChecked() && !at->isChecked());
        QVERIFY(h.ui->m_dateTimeEditPrgStartWait->isEnabled());
        QVERIFY(!h.ui->m_dateTimeEditPrgStartAt->isEnabled());

        at->click();
        QVERIFY(at->isChecked() && (r.configWord & ConfigBits::StartAt));
        QVERIFY(h.ui->m_dateTimeEditPrgStartAt->isEnabled());
        QVERIFY(!h.ui->m_dateTimeEditPrgStartWait->isEnabled());   // not used beside At
        // only a memory without header loses the wait at once
        QCOMPARE(wait->isChecked(), header);
        QCOMPARE(bool(r.configWord & ConfigBits::StartDelay), header);
        QVERIFY(r.startAt > LoggerTime::toDateTime(h.window.app->currentLoggerTime()));

        at->click();   // unchecked: it stays the start unless Wait is checked
        QCOMPARE(at->isChecked(), !header);
        QCOMPARE(bool(r.configWord & ConfigBits::StartAt), !header);
        QCOMPARE(wait->isChecked(), header);
        QCOMPARE(h.ui->m_dateTimeEditPrgStartWait->isEnabled(), header);

        if (!header) {
            wait->click();   // checked beside At: both, which no logger runs
            QVERIFY(at->isChecked() && wait->isChecked());
            QVERIFY(!h.ui->m_dateTimeEditPrgStartWait->isEnabled());
            wait->click();   // unchecked while At is checked
            QVERIFY(!wait->isChecked() && !(r.configWord & ConfigBits::StartDelay));
        }
    }

    // A start at the very minute the logger's clock stands at has passed by
    // the time it is written, at second 00 as at any other.
    void atChosenAtTheTurnOfAMinuteMovesTheStartAhead()
    {
        PromptRecorder prompts;
        ClockedWindow window;
        window.clock = ProgramLimits::toWholeMinutes(QDateTime::currentDateTime());
        window.app->records.append(twoChannelLogger());
        window.selectTableRow(0);
        window.Timer();
        window.ui->m_dateTimeEditPrgStartAt->setDateTime(window.clock);
        window.ui->m_radioButtonPrgStartAt->click();
        QCOMPARE(window.ui->m_dateTimeEditPrgStartAt->dateTime(), window.clock.addSecs(600));
        QCOMPARE(window.app->records.at(0).startAt, window.clock.addSecs(600));
    }

    // A closed file leaves nothing of its program on the page, which is
    // off like the view pages until a record is selected, and then shows
    // that record only.
    void closingAFileEmptiesThePage()
    {
        Harness h;
        const LoggerRecord logger = twoChannelLogger();
        h.records << logger;
        LoggerRecord file = WindowTest::fileRecord(QStringLiteral("/tmp/closed.qlf"), QStringLiteral("FILE-9"));
        file.configWord = ConfigBits::InternalOn | ConfigBits::StartAt | ConfigBits::StopAt;
        file.startAt = QDateTime(QDate(2025, 4, 1), QTime(8, 0));
        file.stopAt = QDateTime(QDate(2025, 4, 9), QTime(17, 30));
        file.interval = 900;
        file.description = QStringLiteral("Closed trip");
        h.addAndSelect(file);
        h.window.Timer();
        QVERIFY(h.ui->m_radioButtonPrgStopAt->isChecked());
        const QDateTime fileStop = h.ui->m_dateTimeEditPrgStopAt->dateTime();
        QCOMPARE(h.ui->m_lineEditLoggerSerial->text(), QStringLiteral("FILE-9"));

        h.ui->m_actionCloseSelectedFile->trigger();
        h.window.Timer();
        QCOMPARE(h.records.size(), 1);
        QVERIFY(!h.ui->m_tabWidget->isTabEnabled(MainWindow::PageLogger));
        const QWidget *unused[] = { h.ui->m_pushButtonLoggerReadTime, h.ui->m_pushButtonLoggerSyncTime,
                                    h.ui->m_pushButtonPrgStartNow, h.ui->m_dateTimeEditPrgInterval,
                                    h.ui->m_radioButtonPrgStartAt, h.ui->m_radioButtonPrgStopAt };
        for (const QWidget *widget : unused)
            QVERIFY2(!widget->isEnabled(), qPrintable(widget->objectName()));
        QVERIFY(h.ui->m_lineEditLoggerSerial->text().isEmpty());
        QVERIFY(h.ui->m_lineEditLoggerDescription->text().isEmpty());
        QVERIFY(!h.ui->m_radioButtonPrgStopAt->isChecked() && !h.ui->m_radioButtonPrgStartAt->isChecked());
        QVERIFY(h.ui->m_dateTimeEditPrgStopAt->dateTime() != fileStop);

        h.window.selectTableRow(0);
        h.window.Timer();
        QVERIFY(h.ui->m_tabWidget->isTabEnabled(MainWindow::PageLogger));
        QVERIFY(h.ui->m_pushButtonPrgStartNow->isEnabled());
        QCOMPARE(h.ui->m_lineEditLoggerSerial->text(), logger.serialNumber);
        QCOMPARE(h.ui->m_lineEditLoggerDescription->text(), logger.description);
        QVERIFY(h.ui->m_radioButtonPrgStartWait->isChecked() && !h.ui->m_radioButtonPrgStopAt->isChecked());
        QVERIFY(h.ui->m_dateTimeEditPrgStopAt->dateTime() != fileStop);
        QCOMPARE(h.ui->m_dateTimeEditPrgInterval->time(), QTime(0, 10));
    }

    // A saved trip's page opens at the first tab of its own channels, with
    // its limits, whatever tab the row before left current; the tabs of
    // its channels open, a probe it lacks not, and nothing edits a file.
    void aSavedTripOpensAtItsOwnLimits_data()
    {
        QTest::addColumn<int>("tabBefore");
        QTest::addColumn<bool>("fromFile");
        QTest::newRow("file, after the probe's tab") << 2 << true;
        QTest::newRow("file, after the humidity tab") << 1 << true;
        QTest::newRow("logger, after the probe's tab") << 2 << false;
    }
    void aSavedTripOpensAtItsOwnLimits()
    {
        QFETCH(int, tabBefore);
        QFETCH(bool, fromFile);
        Harness h;
        LoggerRecord probeLogger = twoChannelLogger();
        probeLogger.sensorFlags |= SensorBits::ExternalProbe;
        h.addAndSelect(probeLogger);
        h.ui->m_tabWidgetAlarm->setCurrentIndex(tabBefore);
        LoggerRecord trip = twoChannelLogger();
        trip.fromFile = fromFile;
        h.addAndSelect(trip);
        h.window.Timer();
        const QTabWidget *tabs = h.ui->m_tabWidgetAlarm;
        QCOMPARE(tabs->currentIndex(), tabBefore == 2 ? 0 : tabBefore);
        QVERIFY(tabs->isTabEnabled(0) && tabs->isTabEnabled(1) && !tabs->isTabEnabled(2));
        QCOMPARE(h.ui->m_lineEditLoggerHighHigh->text(), QStringLiteral("10.0"));
        for (const QWidget *edit : std::initializer_list<const QWidget *>{
                 h.ui->m_lineEditLoggerHighHigh, h.ui->m_checkBoxLoggerAlarmHighHigh,
                 h.ui->m_checkBoxLoggerAlarmSensorEnableIntTemp, h.ui->m_lineEditLoggerTotalAlarmDelayHum })
            QVERIFY2(edit->isEnabled() != fromFile, qPrintable(edit->objectName()));
    }

    // The wheel turned over a field scrolls the page and leaves the field
    // as it was; a field clicked or tabbed into takes the wheel.
    void theWheelScrollsThePageUnlessAFieldHasTheFocus()
    {
        Harness h;
        h.window.resize(1092, 560);
        h.addAndSelect(twoChannelLogger());
        h.window.Timer();
        h.ui->m_radioButtonPrgStopAt->click();
        h.ui->m_tabWidget->setCurrentWidget(h.ui->m_tabLogger);
        h.window.show();
        h.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&h.window));
        auto *scroll = h.window.findChild<QScrollArea *>(QStringLiteral("m_scrollAreaPrg"));
        QScrollBar *bar = scroll->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);

        // each with what it sets and a turn of the wheel it can follow
        const LoggerRecord &r = h.records.at(0);
        struct Field {
            QWidget *widget;
            std::function<QString()> value;
            int notches;
        };
        const Field fields[] = {
            { h.ui->m_dateTimeEditPrgInterval, [&] { return QString::number(r.interval); }, 1 },
            { h.ui->m_dateTimeEditPrgStopAt, [&] { return r.stopAt.toString(); }, 1 },
            { h.ui->m_comboBoxPrgDuration, [&] { return h.ui->m_comboBoxPrgDuration->currentText(); }, -1 },
        };
        for (const Field &field : fields) {
            const QByteArray name = field.widget->objectName().toLatin1();
            scroll->ensureWidgetVisible(field.widget);
            bar->setValue(qMin(bar->value(), bar->maximum() - 1));   // room to scroll down
            const QString before = field.value();
            const int scrolled = bar->value();
            turnWheel(field.widget, -1);
            QVERIFY2(bar->value() > scrolled, name);
            QVERIFY2(field.value() == before && !field.widget->hasFocus(), name);

            scroll->ensureWidgetVisible(field.widget);
            field.widget->setFocus(Qt::TabFocusReason);
            const int still = bar->value();
            turnWheel(field.widget, field.notches);
            QVERIFY2(field.value() != before, name);
            QCOMPARE(bar->value(), still);
        }
    }

    void programPanelLayoutKeepsItsName()
    {
        Harness h;
        QCOMPARE(h.window.findChild<QLayout *>(QStringLiteral("gridLayout_10")), h.ui->m_groupBoxProgram->layout());
    }

    void theLastSensorStaysOn()
    {
        Harness h;
        h.addAndSelect(twoChannelLogger());
        h.window.Timer();   // the page opens with the views of the row
        LoggerRecord &r = h.records[0];
        h.ui->m_checkBoxLoggerAlarmSensorEnableIntHum->click();
        QVERIFY(!(r.configWord & ConfigBits::HumidityOn));
        QCOMPARE(r.channelCount, 1);
        h.ui->m_checkBoxLoggerAlarmSensorEnableIntTemp->click();
        QVERIFY(r.configWord & ConfigBits::InternalOn);
        QVERIFY(h.ui->m_checkBoxLoggerAlarmSensorEnableIntTemp->isChecked());
    }

    void templateRoundTripRestoresThePage()
    {
        Harness h;
        h.addAndSelect(twoChannelLogger());
        h.window.Timer();
        h.ui->m_lineEditLoggerDescription->setText(QStringLiteral("Template trip"));
        finishEditing(h.ui->m_lineEditLoggerLowLow, QStringLiteral("-5.5"));
        h.ui->m_checkBoxLoggerAlarmLowLow->click();
        h.ui->m_dateTimeEditPrgInterval->setTime(QTime(0, 15));
        const QString path = h.homePath(QStringLiteral("trip.xtp"));
        h.prompts.filesToChoose = QStringList{ path };
        h.ui->m_actionSaveProgramTemplate->trigger();
        QVERIFY(QFileInfo::exists(path));

        h.ui->m_lineEditLoggerDescription->setText(QStringLiteral("Something else"));
        finishEditing(h.ui->m_lineEditLoggerLowLow, QStringLiteral("-20"));
        h.ui->m_checkBoxLoggerAlarmLowLow->click();
        h.ui->m_dateTimeEditPrgInterval->setTime(QTime(1, 0));
        h.prompts.boxes.clear();
        h.window.on_m_actionLoadTemplateProgram_triggered();
        QCOMPARE(h.ui->m_lineEditLoggerDescription->text(), QStringLiteral("Template trip"));
        QCOMPARE(h.ui->m_lineEditLoggerLowLow->text(), QStringLiteral("-5.5"));
        QVERIFY(h.ui->m_checkBoxLoggerAlarmLowLow->isChecked());
        QCOMPARE(h.ui->m_dateTimeEditPrgInterval->time(), QTime(0, 15));
        QVERIFY(h.window.formLocked);
        QVERIFY(h.ui->m_lineEditLoggerLowLow->isReadOnly());
        QVERIFY(h.prompts.boxes.isEmpty());

        // a template with a value it cannot take, cut short or with too long
        // a description is refused, naming the key, and leaves the page alone
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray template_ = saved.readAll();
        saved.close();
        const QList<QPair<QByteArray, QString>> faults {
            { QByteArray(template_).replace("PRG_INTERVAL=900", "PRG_INTERVAL=-5")
                                   .replace("DESCRIPTION=Template trip", "DESCRIPTION=Another trip"),
              QStringLiteral("PRG_INTERVAL=-5") },
            { template_.left(template_.indexOf("PRG_INTERVAL")), QStringLiteral("PRG_INTERVAL is missing") },
            { QByteArray(template_).replace("Template trip", "Template trip of more than 32 chars"),
              QStringLiteral("DESCRIPTION holds 35 characters") },
        };
        const QString bad = h.homePath(QStringLiteral("bad.xtp"));
        for (const auto &fault : faults) {
            QFile file(bad);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(fault.first) == fault.first.size());
            file.close();
            h.ui->m_lineEditLoggerDescription->setText(QStringLiteral("Typed here"));
            h.prompts.boxes.clear();
            h.prompts.filesToChoose = QStringList{ bad };
            h.window.on_m_actionLoadTemplateProgram_triggered();
            QVERIFY2(h.prompts.sawBoxContaining(fault.second), qPrintable(fault.second));
            QCOMPARE(h.ui->m_lineEditLoggerDescription->text(), QStringLiteral("Typed here"));
            QCOMPARE(h.records.at(0).interval, 900u);
        }
        h.ui->m_lineEditLoggerDescription->setText(QStringLiteral("Template trip"));

        // a template of another model is refused and leaves the page alone
        QFile other(h.homePath(QStringLiteral("other.xtp")));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write(QByteArray(template_).replace("PRODUCTION_CODE=", "PRODUCTION_CODE=QV-7T\r\nX="));
        other.close();
        h.window.on_m_actionLock_triggered();
        h.prompts.filesToChoose = QStringList{ other.fileName() };
        h.window.on_m_actionLoadTemplateProgram_triggered();
        QVERIFY(h.prompts.sawBoxContaining(QStringLiteral("for another logger model")));
        QCOMPARE(h.ui->m_lineEditLoggerDescription->text(), QStringLiteral("Template trip"));
        QCOMPARE(h.records.at(0).interval, 900u);
        QVERIFY(!h.window.formLocked);
    }

    // A template refused for the logger in hand says what the logger lacks.
    void aTemplateForAnotherLoggerNamesWhatItLacks_data()
    {
        QTest::addColumn<quint8>("sensors");
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("told");
        QTest::newRow("no humidity sensor") << quint8(SensorBits::InternalNtc) << "QV-5D"
                                            << "switches on the humidity sensor, which the logger OTHER-1 does not have";
        QTest::newRow("another model") << quint8(SensorBits::DigitalTempHum) << "QV-7T"
                                       << "is for another logger model (QV-5D)";
    }

    void aTemplateForAnotherLoggerNamesWhatItLacks()
    {
        QFETCH(quint8, sensors);
        QFETCH(QString, product);
        QFETCH(QString, told);
        Harness h;
        const QString path = h.homePath(QStringLiteral("humid.xtp"));
        QVERIFY(CFileManager::saveTemplate(path, twoChannelLogger()));
        LoggerRecord other = twoChannelLogger();
        other.serialNumber = QStringLiteral("OTHER-1");
        other.sensorFlags = sensors;
        other.productCode = product;
        h.addAndSelect(other);
        h.prompts.filesToChoose = QStringList{ path };
        h.window.on_m_actionLoadTemplateProgram_triggered();
        QVERIFY2(h.prompts.sawBoxContaining(told), qPrintable(h.prompts.boxes.value(0).text));
    }

    void lockFollowsItsFieldsAndTheDescriptionSetting()
    {
        Harness h;
        h.addAndSelect(twoChannelLogger());
        for (bool lockDescription : { false, true }) {
            h.window.app->settings.lockDescription = lockDescription;
            h.window.on_m_actionLock_triggered();
            QVERIFY(h.ui->m_lineEditPrgStopReading->isReadOnly());
            QVERIFY(h.ui->m_dateTimeEditPrgStartWait->isReadOnly());
            QVERIFY(!h.ui->m_pushButtonPrgStartNow->isEnabledTo(h.ui->m_groupBoxProgram));
            QVERIFY(!h.ui->m_checkBoxLoggerAlarmSensorEnableExtTemp->isEnabledTo(h.ui->m_tabAlarmExtNtc));
            QCOMPARE(h.ui->m_groupBoxProgram->styleSheet(), QStringLiteral("color:rgb(170,0,0);"));
            QCOMPARE(h.ui->m_lineEditLoggerDescription->isReadOnly(), lockDescription);
            QCOMPARE(h.window.lockedConfigWord, h.records.at(0).configWord);
            QCOMPARE(h.ui->m_actionLock->icon().pixmap(16).toImage(), lockPicture("lock_closed.png"));
            QVERIFY(!h.ui->m_lineEditLoggerSerial->isReadOnly());   // the logger's identity is never locked
            h.window.on_m_actionLock_triggered();
            QCOMPARE(h.ui->m_actionLock->icon().pixmap(16).toImage(), lockPicture("lock_open.png"));
            QVERIFY(!h.ui->m_lineEditPrgStopReading->isReadOnly());
            QVERIFY(h.ui->m_pushButtonPrgStartNow->isEnabledTo(h.ui->m_groupBoxProgram));
            QVERIFY(h.ui->m_groupBoxProgram->styleSheet().isEmpty());
            QVERIFY(!h.ui->m_lineEditLoggerDescription->isReadOnly());
        }
    }

    void protectedLoggerAsksForItsPasswordOnce()
    {
        Harness h;
        LoggerRecord r = twoChannelLogger();
        r.passwordWord = PasswordBits::Marker | PasswordBits::WriteWithout | 4711;
        r.ready = false;
        h.addAndSelect(r);
        int shown = 0;
        CPrompt::setDialogHandler([&shown](QDialog *dialog) {
            auto *pass = qobject_cast<CPass *>(dialog);
            ++shown;
            if (!pass->ui->m_pushButtonWriteWithout->isEnabled()
                || pass->ui->m_pushButtonReadWithout->isEnabled())
                return 0;
            pass->ui->m_lineEditPassword->setText(QStringLiteral("4711"));
            pass->ui->m_pushButtonRead->click();
            return pass->result();
        });
        h.window.showRecordPending = true;
        h.window.Timer();
        h.window.showRecordPending = true;
        h.window.Timer();
        QCOMPARE(shown, 1);
        QCOMPARE(h.window.app->enteredLoggerPassword, 4711u);
        QVERIFY(h.prompts.boxes.isEmpty());
    }

    void aTransferWhoseLoggerWentEndsWithAWord()
    {
        Harness h;
        h.addAndSelect(twoChannelLogger());
        h.window.loggerWriter.watch().start(TransferWatch::Programming, true);
        h.window.transferInProgress = true;
        h.window.transferRecordIndex = -1;   // as the core leaves it when the logger goes
        h.window.Timer100ms();
        QVERIFY(h.prompts.sawBoxContaining(QStringLiteral("disconnected before the transfer ended")));
        QVERIFY(!h.window.loggerWriter.watch().running());
        QVERIFY(!h.window.transferInProgress);
        QVERIFY(!h.window.programFailed);
    }
};

MIRELDA_TEST_MAIN(TestProgramPage)
#include "tst_programpage.moc"
