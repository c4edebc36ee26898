#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/afterfirstpaint.h"
#include "app/focusedwheelfilter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <memory>
#include <utility>

#include "core/appinfo.h"
#include "core/ccomm.h"
#include "core/clanguagetable.h"
#include "core/cmainapp.h"
#include "views/ctable.h"
#include "core/labelid.h"
#include "core/loggerrecord.h"
#include "core/memorymap.h"
#include "core/platform.h"
#include "dialogs/cabout.h"
#include "dialogs/chelp.h"
#include "dialogs/coption.h"
#include "dialogs/cprompt.h"
#include "dialogs/cupdate.h"
#include "dialogs/textfit.h"
#include "files/cfilemanager.h"
#include "programming/programlimits.h"
#include "users/cuseradmin.h"

namespace {

// The built-in start page works without a network; "URL" in
// "xZdrAdmin.ini" replaces it.
const char kStartPage[] = "qrc:/home/start.html";

// A layout takes in what its widgets need only when it is next activated,
// innermost first; the panels' width is read as soon as their texts change.
void activateLayouts(QWidget *root)
{
    const auto widgets = root->findChildren<QWidget *>();
    for (auto it = widgets.crbegin(); it != widgets.crend(); ++it)
        if ((*it)->layout())
            (*it)->layout()->activate();
    root->layout()->activate();
}

}

// The pictures are compiled into the static library, whose resource
// initialiser the linker would otherwise drop.
static void initPictures()
{
    Q_INIT_RESOURCE(mirelda);
}

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent, Qt::WindowFlags())
{
    initPictures();
    ui = new Ui::MainWindow;
    ui->setupUi(this);
    fitUserPage();
    // the wheel scrolls the logger page past its fields
    FocusedWheelFilter::install(ui->m_widgetPrg);
    setWindowTitle(AppInfo::windowTitle());
    placeLoggerPanels();

    app = new CMainApp(this, this);
    connect(app, &CMainApp::downloadProgress, this,
            [this](int row, int) { showDownloadProgress(row); });
    help = new CHelp(this);
    help->setTextEdit(ui->m_textBrowserHelp);

    ui->m_lineEditLoggerMemSize->setText(QStringLiteral(". Rec"));

    ui->m_comboBoxPrgDuration->addItem(app->languageTable->text(LabelId::UserDefined));
    ui->m_comboBoxPrgDuration->addItem(tr("1 Day"));
    for (int days = 2; days <= 60; ++days)
        ui->m_comboBoxPrgDuration->addItem(tr("%1 Days").arg(days));
    // the logger's clock ends in 2136: no start or stop is typed beyond it
    for (QDateTimeEdit *editor : { ui->m_dateTimeEditPrgStartAt, ui->m_dateTimeEditPrgStopAt })
        editor->setMaximumDateTime(ProgramLimits::lastLoggerTime());

    showGraphProgress(false, 0);
    updateLoggerPage();
    updateActions();
    updateProgramForm();
    listJigPortsAway(app->jigPort);

    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &MainWindow::Timer);
    timer->start(10);
    timer100ms = new QTimer(this);
    connect(timer100ms, &QTimer::timeout, this, &MainWindow::Timer100ms);
    timer100ms->start(25);

    connect(this, &MainWindow::program, this, &MainWindow::on_m_actionProgram_triggered);
    connect(this, &MainWindow::setStartAndEndTime, this,
            &MainWindow::on_m_radioButtonPrgStartAt_clicked);

    setAttribute(Qt::WA_MouseTracking);

    graphLayout = new QHBoxLayout(ui->m_widgetGraph);
    histogramLayout = new QHBoxLayout(ui->m_widgetHistogram);
    app->table->clearReadings(ui->m_tableWidgetTable);

    for (int page = PageLogger; page <= PageSummary; ++page)
        ui->m_tabWidget->setTabEnabled(page, false);
    ui->m_tabWidget->setCurrentWidget(ui->m_tabHome);
    ui->m_tabWidgetAlarm->setCurrentWidget(ui->m_tabAlarmInt);

    ui->m_lineEditLoggerPassword->setEchoMode(QLineEdit::Password);
    ui->m_actionEEpromRead->setVisible(false);
    ui->m_actionEEpromWrite->setVisible(false);
    disableUnservedFields();
    showRecordComment();

    fillUserList();
    fillUserAdminPage();
    login();

    ui->m_dateEditUserAdminDate->setDateTime(QDateTime::currentDateTime());

    if (openOptionsAtStart)
        openOptionsAtFirstStart();

    // the web engine takes a while to set up: the window's first frame
    // does not wait for it
    AfterFirstPaint::run(this, [this] { ui->m_webView->load(QUrl(startPageAddress())); });
    startUpdateCheck(false);
}

// Listing the serial ports asks the system about every device, some
// milliseconds that the window's start does not wait for: a worker lists
// them and hands the list back to the window's thread.
void MainWindow::listJigPortsAway(const QString &port)
{
    jigPortLister = QThread::create([this, port] {
        const QStringList ports = Platform::serialPorts();
        QMetaObject::invokeMethod(this, [this, port, ports] { fillJigPortCombo(port, ports); },
                                  Qt::QueuedConnection);
    });
    jigPortLister->start();
}

MainWindow::~MainWindow()
{
    // its list would come back to a window that is gone
    if (jigPortLister) {
        jigPortLister->wait();
        delete jigPortLister;
    }
    timer->stop();
    timer100ms->stop();
    delete updateCheck;
    delete help;
    // the core still reaches the window's flags while it shuts down, so it
    // goes before the window's own parts
    delete app;
    app = nullptr;
    delete ui;
}

// The logger page's panels stand one under the other without gaps, each
// as wide as the page, at the heights the form gives them. At the default
// window size they are taller than the page: a scroll area keeps the
// lower ones (Program button, Admin panel) reachable.
void MainWindow::placeLoggerPanels()
{
    QWidget *page = ui->m_widgetPrg;
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    QWidget *const panels[] = { ui->m_groupBoxSettings, ui->m_tabWidgetAlarm,
                                ui->m_groupBoxProgram, ui->m_groupBoxAdmin };
    for (QWidget *panel : panels) {
        panel->setFixedHeight(qMax(panel->height(), panel->minimumSizeHint().height()));
        column->addWidget(panel);
    }
    column->addStretch(1);

    auto *scroll = new QScrollArea(ui->m_tabLogger);
    scroll->setObjectName(QStringLiteral("m_scrollAreaPrg"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setSizePolicy(page->sizePolicy());
    delete ui->gridLayout_2->replaceWidget(page, scroll);
    // Of the page's width the panels take what they need first and the help
    // pane the rest; the pane's minimum comes before the panels' need.
    ui->gridLayout_2->setColumnStretch(0, 1000);
    ui->gridLayout_2->setColumnStretch(1, 1);
    page->setMinimumHeight(column->minimumSize().height());
    scroll->setWidget(page);
    fitLoggerPanelsWidth();
}

// The panels are as wide as their texts need in the current language, and
// the scroll area as wide as they where the page has room. The help pane
// is never narrower than the longest word of its pages, as a word broken
// in the middle cannot be read: where both do not fit, the panels give way
// and scroll sideways.
void MainWindow::fitLoggerPanelsWidth()
{
    QWidget *page = ui->m_widgetPrg;
    activateLayouts(page);
    TextFit::widenTo(page, page->layout()->minimumSize().width());
    auto *scroll = qobject_cast<QScrollArea *>(page->parentWidget()->parentWidget());
    const int bar = scroll->verticalScrollBar()->sizeHint().width();
    scroll->setMaximumWidth(page->maximumWidth() + bar);
    if (help)
        ui->m_textBrowserHelp->setMinimumWidth(help->widthForWholeWords(app->languageTable->language));
}

// The production station's jig test, database push, table reads and its
// path and identity fields have no routine behind them here; they are shown
// disabled so that nothing on the page looks usable and does nothing.
void MainWindow::disableUnservedFields()
{
    QWidget *unserved[] = {
        ui->m_lineEditAdminSerial, ui->m_pushButtonStartInit, ui->m_pushButtonFullInit,
        ui->m_comboBoxAdminJigCom, ui->m_pushButtonAdminRefreshCommJig,
        ui->m_pushButtonAdminTestJig, ui->m_pushButtonAdminTestPushDB,
        ui->m_lineEditAdminTesterName, ui->m_checkBoxAdminAutoProgram,
        ui->m_pushButtonAdminReadIntTable, ui->m_pushButtonAdminLoadIntTable,
        ui->m_pushButtonAdminReadExtTable, ui->m_pushButtonAdminLoadExtTable,
        ui->m_lineEditAdminTemplate, ui->m_pushButtonAdminTemplate,
        ui->m_lineEditAdminDefaultPath, ui->m_pushButtonAdminDefaultPath,
        ui->m_radioButtonHardwareTest, ui->m_lineEditProdPath, ui->m_pushButtonProdPath,
        ui->m_lineEditProdUser, ui->m_lineEditProdCustomer, ui->m_lineEditProdOrder,
    };
    for (QWidget *widget : unserved)
        widget->setEnabled(false);
}

QString MainWindow::startPageAddress() const
{
    const QString configured =
        CFileManager::readCsvTable(app->adminSettingsFilePath(), QStringLiteral("URL")).trimmed();
    return configured.isEmpty() ? QString::fromLatin1(kStartPage) : configured;
}

namespace {

// The records holding readings never saved whose trip was not answered
// for, in the list's order.
QList<LoggerRecord> unansweredUnsaved(const QList<LoggerRecord> &records, const QSet<quint64> &answeredTrips)
{
    QList<LoggerRecord> unanswered;
    for (const LoggerRecord &record : records)
        if (MainWindow::awaitsAnswer(record, answeredTrips))
            unanswered << record;
    return unanswered;
}

}

// Every record whose downloaded readings were never written to a data file
// is offered, also one whose logger has gone since; a save that is
// cancelled or fails keeps the window open, so no download is lost. A
// question runs the timers: the logger's next trip may come into a row
// meanwhile and set the trip before it apart in a row of its own, so the
// rows are looked at again after each answer. A trip is asked for until it
// is in a data file, wherever it stands since: one whose file a later save
// took is asked about again, one exported as text or a report is asked
// once, and No answers for every trip unsaved when it was asked, not for
// one that came while it was open.
void MainWindow::closeEvent(QCloseEvent *event)
{
    storeEditedComment();
    QSet<quint64> answeredTrips;
    for (QList<LoggerRecord> unsaved = unansweredUnsaved(app->records, answeredTrips); !unsaved.isEmpty();
         unsaved = unansweredUnsaved(app->records, answeredTrips)) {
        const LoggerRecord &asked = unsaved.first();
        const UnsavedOutcome outcome =
            offerUnsavedReadings(asked, app->languageTable->text(LabelId::SaveBeforeClosingQuestion));
        if (outcome == UnsavedOutcome::NotSaved || outcome == UnsavedOutcome::Cancelled) {
            event->ignore();
            return;
        }
        if (!answeredFor(outcome, asked))
            continue;
        const QList<LoggerRecord> answered =
            outcome == UnsavedOutcome::Declined ? unsaved : QList<LoggerRecord>{ asked };
        // a No drops no trip that the user may not save: that one is kept
        for (const LoggerRecord &record : answered)
            if (record.trip().tripId == asked.trip().tripId
                || !savingRefused(currentRights(), record.readFromFile()))
                answeredTrips.insert(record.trip().tripId);
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::restartInactivityCountdown()
{
    if (servingTimer)
        return;
    app->userAdmin->resetLogoutCountdown();
}

void MainWindow::mouseMoveEvent(QMouseEvent *event)
{
    restartInactivityCountdown();
    QMainWindow::mouseMoveEvent(event);
}

// The core and the user administration report here what they cannot show
// themselves; the box stands over the window even while it is hidden for a
// login.
void MainWindow::warnUser(const QString &text)
{
    CPrompt::warning(this, text);
}

void MainWindow::on_m_actionDisconnect_Logger_triggered()
{
    restartInactivityCountdown();
    if (LoggerRecord *record = currentLoggerRecord())
        record->disconnectRequested = true;
}

void MainWindow::retitleFromLabelTable()
{
    const CLanguageTable *labels = app->languageTable;
    auto t = [labels](int id) { return labels->text(id); };
    const bool celsius = app->settings.modeCelsius != 0;

    ui->menuFile->setTitle(t(LabelId::FileMenu));
    ui->menuLogger->setTitle(t(LabelId::LoggerMenu));
    const int tabIds[] = { LabelId::Home,      LabelId::Program, LabelId::Graph,
                           LabelId::Histogram, LabelId::Table,   LabelId::Summary };
    for (int page = PageHome; page <= PageSummary; ++page)
        ui->m_tabWidget->setTabText(page, t(tabIds[page]));
    ui->m_labelMainList->setText(t(LabelId::LoggerFileList));

    ui->m_actionLoad->setText(t(LabelId::Load));
    ui->m_actionSave->setText(t(LabelId::Save));
    ui->m_actionSaveAs->setText(t(LabelId::SaveAs));
    ui->m_actionCloseSelectedFile->setText(t(LabelId::CloseSelectedFiles));
    ui->m_actionCloseAllFiles->setText(t(LabelId::CloseAllFiles));
    ui->m_actionOptions->setText(t(LabelId::Options));
    ui->m_actionLoadTemplateProgram->setText(t(LabelId::LoadTemplateProgram));
    ui->m_actionSaveProgramTemplate->setText(t(LabelId::SaveTemplateProgram));
    ui->m_actionGeneratPdf->setText(t(LabelId::GeneratePdfFile));
    ui->m_actionCheckForUpdate->setText(t(LabelId::CheckForUpdates));
    ui->m_actionAbout->setText(t(LabelId::About));
    ui->m_actionExit->setText(t(LabelId::Exit));
    ui->m_actionProgram->setText(t(LabelId::Program));
    ui->m_actionDownload->setText(t(LabelId::Download));
    ui->m_actionLock->setText(t(LabelId::Lock));
    ui->m_actionPrintPrint->setText(t(LabelId::Print));
    ui->m_actionPrintPreview->setText(t(LabelId::PrintPreview));

    ui->m_groupBoxSettings->setTitle(t(LabelId::LoggerSettings));
    ui->m_labelMainPrgPassRW->setText(t(LabelId::PasswordReadWrite));
    ui->m_checkBoxLoggerAllowWrite->setText(t(LabelId::AllowWrite));
    ui->m_checkBoxLoggerAllowRead->setText(t(LabelId::AllowRead));
    ui->m_labelMainPrgSerial->setText(t(LabelId::SerialNumber));
    ui->m_labelMainPrgProduct->setText(t(LabelId::ProductNumber));
    ui->m_labelMainPrgMemSize->setText(t(LabelId::MemorySize));
    ui->m_labelMainPrgTrip->setText(t(LabelId::TripAndTimeZone));
    ui->m_labelRange->setText(t(celsius ? LabelId::RangeCelsius : LabelId::RangeFahrenheit));
    ui->m_labelMainPrgDescription->setText(t(LabelId::Description));

    // level labels: temperature pages in the display unit, humidity in %
    const int tempIds[] = { celsius ? LabelId::HighHighCelsius : LabelId::HighHighFahrenheit,
                            celsius ? LabelId::HighCelsius : LabelId::HighFahrenheit,
                            celsius ? LabelId::LowCelsius : LabelId::LowFahrenheit,
                            celsius ? LabelId::LowLowCelsius : LabelId::LowLowFahrenheit };
    ui->m_labelAlarmHighHigh->setText(t(tempIds[0]));
    ui->m_labelAlarmHigh->setText(t(tempIds[1]));
    ui->m_labelAlarmLow->setText(t(tempIds[2]));
    ui->m_labelAlarmLowLow->setText(t(tempIds[3]));
    ui->m_labelAlarmHighHighExt->setText(t(tempIds[0]));
    ui->m_labelAlarmHighExt->setText(t(tempIds[1]));
    ui->m_labelAlarmLowExt->setText(t(tempIds[2]));
    ui->m_labelAlarmLowLowExt->setText(t(tempIds[3]));
    ui->m_labelAlarmHighHighHum->setText(t(LabelId::HighHighPercent));
    ui->m_labelAlarmHighHum->setText(t(LabelId::HighPercent));
    ui->m_labelAlarmLowHum->setText(t(LabelId::LowPercent));
    ui->m_labelAlarmLowLowHum->setText(t(LabelId::LowLowPercent));

    QCheckBox *levelBoxes[] = {
        ui->m_checkBoxLoggerAlarmHighHigh, ui->m_checkBoxLoggerAlarmHigh,
        ui->m_checkBoxLoggerAlarmLow, ui->m_checkBoxLoggerAlarmLowLow,
        ui->m_checkBoxLoggerAlarmHighHighHum, ui->m_checkBoxLoggerAlarmHighHum,
        ui->m_checkBoxLoggerAlarmLowHum, ui->m_checkBoxLoggerAlarmLowLowHum,
        ui->m_checkBoxLoggerAlarmHighHighExt, ui->m_checkBoxLoggerAlarmHighExt,
        ui->m_checkBoxLoggerAlarmLowExt, ui->m_checkBoxLoggerAlarmLowLowExt };
    for (QCheckBox *box : levelBoxes)
        box->setText(t(LabelId::Enable));
    ui->m_checkBoxLoggerAlarmSensorEnableIntTemp->setText(t(LabelId::EnableSensor));
    ui->m_checkBoxLoggerAlarmSensorEnableIntHum->setText(t(LabelId::EnableSensor));
    ui->m_checkBoxLoggerAlarmSensorEnableExtTemp->setText(t(LabelId::EnableSensor));
    ui->m_labelAlarmConDelay->setText(t(LabelId::ConsecutiveDelayBeforeAlarm));
    ui->m_labelAlarmConDelayHum->setText(t(LabelId::ConsecutiveDelayBeforeAlarm));
    ui->m_labelAlarmConDelayExt->setText(t(LabelId::ConsecutiveDelayBeforeAlarm));
    ui->m_labelAlarmTotDelay->setText(t(LabelId::TotalDelayBeforeAlarm));
    ui->m_labelAlarmTotoDelayHim->setText(t(LabelId::TotalDelayBeforeAlarm));
    ui->m_labelAlarmTotDelayExt->setText(t(LabelId::TotalDelayBeforeAlarm));
    ui->m_tabWidgetAlarm->setTabText(1, t(LabelId::InternalHumidityTab));
    ui->m_tabWidgetAlarm->setTabText(2, t(LabelId::ExternalTemperatureTab));

    ui->m_labelMainPrgStart->setText(t(LabelId::Start));
    ui->m_labelMainPrgInterval->setText(t(LabelId::Interval));
    ui->m_labelMainPrgStop->setText(t(LabelId::Stop));
    ui->m_radioButtonPrgStartAt->setText(t(LabelId::At));
    ui->m_radioButtonPrgStopAt->setText(t(LabelId::At));
    ui->m_radioButtonPrgStartWait->setText(t(LabelId::Wait));
    ui->m_radioButtonPrgStopReading->setText(t(LabelId::After));
    ui->m_pushButtonPrgStopAfterMax->setText(t(LabelId::Max));
    ui->m_labelPrgStopReading->setText(t(LabelId::RecordsShort));
    ui->m_checkBoxLoggerShowAlarm->setText(t(LabelId::ShowAlarms));
    ui->m_checkBoxLoggerShowTemp->setText(t(LabelId::ShowTemperatureOnLcd));
    ui->m_radioButtonPrgStopButonEnable->setText(t(LabelId::StopButtonEnable));
    ui->m_radioButtonPrgStopContinue->setText(t(LabelId::ContinuousLogging));
    ui->m_radioButtonPrgAutoRestartEnable->setText(t(LabelId::AutoResetEnabled));
    ui->m_labelMainPrgDurationOfTrip->setText(t(LabelId::DurationOfTripAtLeast));
    ui->m_labelMainPrgMemoryProgressBar->setText(t(LabelId::Memory));
    if (ui->m_comboBoxPrgDuration->count() > 1) {
        ui->m_comboBoxPrgDuration->setItemText(0, t(LabelId::UserDefined));
        ui->m_comboBoxPrgDuration->setItemText(1, t(LabelId::OneDay));
    }
    TextFit::fitTexts(this);
    fitLoggerPanelsWidth();
}

// Production pages show on a production station only (one with a jig
// port in "xZdrAdmin.ini"), and while user administration is on only to an
// administrator: they write calibration tables and initialise loggers. The
// user page shows only while user administration is on. Pages are put back
// in their fixed order.
void MainWindow::showPagesForMode()
{
    const bool production = !app->jigPort.isEmpty() && app->userAdmin->isAdmin();
    struct Optional {
        QWidget *page;
        QString title;
        bool wanted;
    };
    const Optional pages[] = {
        { ui->m_tabUserAdmin, QStringLiteral("User/Admin"), app->userAdmin->enabled },
        { ui->m_tabAdmin, QStringLiteral("Admin"), production },
        { ui->m_tabProduction, QStringLiteral("Production"), production },
    };
    bool inPlace = true;
    int expected = PageSummary + 1;
    for (const Optional &p : pages) {
        const int index = ui->m_tabWidget->indexOf(p.page);
        if (p.wanted ? index != expected++ : index != -1)
            inPlace = false;
    }
    if (inPlace)
        return;
    for (const Optional &p : pages) {
        const int index = ui->m_tabWidget->indexOf(p.page);
        if (index != -1)
            ui->m_tabWidget->removeTab(index);
    }
    for (const Optional &p : pages)
        if (p.wanted)
            ui->m_tabWidget->addTab(p.page, p.title);
}

void MainWindow::updateLoggerPage()
{
    updatingForm = true;
    retitleFromLabelTable();
    if (const LoggerRecord *record = currentLoggerRecord()) {
        fillSettingsFields(*record);
        fillAlarmFields(*record);
    }
    showPagesForMode();
    ui->m_textBrowserHelp->setVisible(app->settings.showHelp);
    // the page under the mouse stays; only an empty pane gets the heading
    if (!help || !help->pageShown())
        ui->m_textBrowserHelp->setPlainText(app->languageTable->text(LabelId::Help));
    showLoggerStatus();
    updatingForm = false;
}

void MainWindow::showLoggerStatus()
{
    updatingForm = true;
    if (const LoggerRecord *record = currentLoggerRecord()) {
        if (record->memorySize != 0) {
            ui->m_lineEditLoggerMemSize->setText(
                app->languageTable->text(LabelId::KiloRecordsFormat).arg(record->memoryReadings() / 1000));
        }
    }
    updatingForm = false;
}

void MainWindow::on_m_actionExit_triggered()
{
    close();
}

void MainWindow::on_m_tabWidget_currentChanged(int index)
{
    restartInactivityCountdown();
    if (index == PageLogger)
        updateLoggerPage();
    else if (index == PageTable)
        showReadingsTable();
}

void MainWindow::on_m_actionOptions_triggered()
{
    restartInactivityCountdown();
    runOptionsDialog();
}

bool MainWindow::openOptionsAtStart = false;

// OK and Cancel have done their work on the core when the dialog returns.
void MainWindow::runOptionsDialog()
{
    auto dialog = std::make_unique<COption>(this);
    CPrompt::exec(dialog.get());
    // a protected logger that was never opened with its password, nor for
    // reading without it, shows no views
    if (const LoggerRecord *record = recordAt(app->currentRecord))
        if (record->passwordWord != 0 && !record->passwordAccepted && !record->readableWithoutPassword())
            viewsDirty = false;
    applyDescriptionLock();
    updateLoggerPage();
    updateActions();
}

// The language is asked for until the dialog was confirmed once, and the
// data path until one is set. The options are an administrator's to set:
// the others work without them until one has.
void MainWindow::openOptionsAtFirstStart()
{
    if (!app->userAdmin->isAdmin())
        return;
    if (app->languageTable->firstInitLanguage != 0)
        runOptionsDialog();
    if (app->settings.defaultPath.isEmpty())
        runOptionsDialog();
}

// A download asked for while the logger sends, or while a write to it
// runs, would break the one that runs.
bool MainWindow::loggerBusy(int row) const
{
    return validRow(row)
           && (app->records.at(row).downloadRunning || (transferInProgress && transferRecordIndex == row));
}

void MainWindow::on_m_actionDownload_triggered()
{
    restartInactivityCountdown();
    const int row = currentLoggerRow();
    const LoggerRecord *record = recordAt(row);
    // the drive logger's data was read from its file: there is nothing to send
    if (record && record->massStorage)
        return;
    const QString refusal = downloadRefusal();
    if (!refusal.isEmpty()) {
        CPrompt::warning(this, refusal);
        return;
    }
    if (!record->commandLink)
        return;
    app->startDownload(row);
    updateActions();
    auditUserAction(QStringLiteral("Downloaded logger: ") + record->serialNumber);
}

// The rights may enable Download on a row that cannot be downloaded; the
// user is then told why instead of seeing nothing happen.
QString MainWindow::downloadRefusal() const
{
    const ActionInputs in = gatherActionInputs();
    if (!in.hasRow)
        return noRowText();
    if (in.fromFile)
        return tr("Warning!\n\nA data file is not downloaded: select a connected logger.");
    if (in.awaitsImage)
        return LoggerWriter::imageAwaitedText();
    if (downloadWithheld(in))
        return tr("Warning!\n\nThe selected logger is password protected: enter its password first.");
    if (loggerBusy(currentLoggerRow()))
        return LoggerWriter::busyLoggerText();
    return QString();
}

QString MainWindow::noRowText()
{
    return tr("Warning!\n\nNo logger or file is selected in the list.");
}

const LoggerRecord *MainWindow::currentRecordOrSay()
{
    const LoggerRecord *record = currentLoggerRecord();
    if (!record)
        CPrompt::warning(this, noRowText());
    return record;
}

const LoggerRecord *MainWindow::currentRecordWithReadingsOrSay()
{
    const LoggerRecord *record = currentRecordOrSay();
    if (record && !record->dataLoaded) {
        CPrompt::warning(this, tr("Warning!\n\nThe selected logger or file holds no readings yet."));
        return nullptr;
    }
    return record;
}

void MainWindow::applyFormFont()
{
    QFont font = QApplication::font();
    font.setPointSize(8);
    QApplication::setFont(font);
}

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
