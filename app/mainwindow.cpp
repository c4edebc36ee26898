#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>

#include "app/clanguagetable.h"
#include "core/appinfo.h"
#include "core/cmainapp.h"
#include "core/ccomm.h"
#include "core/loggerrecord.h"
#include "core/memorymap.h"
#include "dialogs/cprompt.h"
#include "files/cfilemanager.h"
#include "users/cuseradmin.h"
#include "views/cplot.h"
#include "views/ctable.h"

namespace {

// Shown on the home page unless "xZdrAdmin.ini" names another address.
// the built-in start page works without a network; "URL" in
// "xZdrAdmin.ini" replaces it
const char kStartPage[] = "qrc:/home/start.html";

// Pages of m_tabWidget in their fixed order.
enum Page { PageHome = 0, PageLogger, PageGraph, PageHistogram, PageTable, PageSummary };

const char kBallBlue[] = ":/Pictures/Ball Blue.png";
const char kBallGreen[] = ":/Pictures/Ball Green.png";
const char kBallRed[] = ":/Pictures/Ball Red.png";

const int kRowHeight = 24;
const int kColumnWidths[] = { 24, 24, 72, 110, 24, 24, 24, 24, 24 };

QTableWidgetItem *centredItem(const QString &text = QString(), const QIcon &icon = QIcon())
{
    auto *item = new QTableWidgetItem(icon, text);
    item->setData(Qt::TextAlignmentRole, int(Qt::AlignHCenter | Qt::AlignVCenter));
    return item;
}

QTableWidgetItem *leftItem(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setData(Qt::TextAlignmentRole, int(Qt::AlignLeft | Qt::AlignVCenter));
    return item;
}

QTableWidgetItem *ballItem(bool shown, const char *picture)
{
    return centredItem(QString(), shown ? QIcon(QString::fromLatin1(picture)) : QIcon());
}

// Temperatures are kept in Celsius and shown in the unit of the settings.
QString limitText(double value, bool temperature, bool celsius)
{
    if (temperature && !celsius)
        value = CMainApp::celsiusToFahrenheit(value);
    return QString::number(value, 'f', 1);
}


}

// ---- construction --------------------------------------------------------

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
    setWindowTitle(AppInfo::windowTitle());

    app = new CMainApp(this, this);
    connect(app, &CMainApp::downloadProgress, this, [this](int, int percent) {
        ui->m_progressBarWrite->setValue(percent);
    });

    ui->m_lineEditLoggerMemSize->setText(QStringLiteral(". Rec"));

    ui->m_comboBoxPrgDuration->addItem(app->languageTable->text(131));
    ui->m_comboBoxPrgDuration->addItem(tr("1 Day"));
    for (int days = 2; days <= 60; ++days)
        ui->m_comboBoxPrgDuration->addItem(tr("%1 Days").arg(days));

    showGraphProgress(false, 0);
    updateLoggerPage();
    updateActions();

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

    for (int page = PageLogger; page <= PageSummary; ++page)
        ui->m_tabWidget->setTabEnabled(page, false);
    ui->m_tabWidget->setCurrentWidget(ui->m_tabHome);
    ui->m_tabWidgetAlarm->setCurrentWidget(ui->m_tabAlarmInt);

    ui->m_lineEditLoggerPassword->setEchoMode(QLineEdit::Password);
    ui->m_actionEEpromRead->setVisible(false);
    ui->m_actionEEpromWrite->setVisible(false);

    ui->m_dateEditUserAdminDate->setDateTime(QDateTime::currentDateTime());

    ui->m_webView->load(QUrl(startPageAddress()));
}

MainWindow::~MainWindow()
{
    timer->stop();
    timer100ms->stop();
    // the core still reaches the window's flags while it shuts down, so it
    // goes before the window's own parts
    delete app;
    app = nullptr;
    delete ui;
}

QString MainWindow::startPageAddress() const
{
    const QString configured =
        CFileManager::readCsvTable(app->adminSettingsFilePath(), QStringLiteral("URL")).trimmed();
    return configured.isEmpty() ? QString::fromLatin1(kStartPage) : configured;
}

// Every downloaded logger that was not saved is offered; a save that is
// cancelled or fails keeps the window open, so no download is lost.
void MainWindow::closeEvent(QCloseEvent *event)
{
    for (int row = 0; row < app->records.size(); ++row) {
        const LoggerRecord &record = app->records.at(row);
        const bool unsaved = !record.fromFile && record.dataLoaded && record.fileName.isEmpty();
        if (!unsaved)
            continue;
        if (CPrompt::question(this, app->languageTable->text(183)) != QMessageBox::Yes)
            break;
        if (!saveRecordAs(row)) {
            event->ignore();
            return;
        }
    }
    QMainWindow::closeEvent(event);
}

// ---- small helpers -------------------------------------------------------

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

bool MainWindow::validRow(int row) const
{
    return row >= 0 && row < app->records.size();
}

LoggerRecord *MainWindow::recordAt(int row)
{
    return validRow(row) ? &app->records[row] : nullptr;
}

LoggerRecord *MainWindow::currentLoggerRecord()
{
    return recordAt(currentLoggerRow());
}

int MainWindow::currentLoggerRow() const
{
    return ui->m_tableWidgetLogger->currentRow();
}

MainWindow::Rights MainWindow::currentRights() const
{
    const CUserAdmin *users = app->userAdmin;
    Rights rights;
    rights.admin = users->isAdmin();
    rights.configure = users->canConfigure();
    rights.download = users->canDownload();
    rights.view = users->canView();
    return rights;
}

// ---- enabling of actions -------------------------------------------------

MainWindow::ActionInputs MainWindow::gatherActionInputs() const
{
    ActionInputs in;
    const int row = currentLoggerRow();
    in.hasRow = validRow(row);
    if (in.hasRow) {
        const LoggerRecord &r = app->records.at(row);
        in.fromFile = r.fromFile;
        in.passwordWord = r.passwordWord;
        in.passwordAccepted = r.passwordAccepted;
        in.passwordMatches =
            CMainApp::checkLoggerPassword(r.passwordWord, quint16(app->enteredLoggerPassword));
        in.ready = r.ready;
        in.dataLoaded = r.dataLoaded;
        in.autoDownloaded = r.autoDownloaded;
        in.massStorage = r.massStorage;
    }
    in.writeWithoutPassword = app->writeWithoutPasswordChosen;
    in.selectionCount = app->selection.size();
    in.autoDownloadSetting = app->settings.autoDownloadLogger;
    in.formLocked = formLocked;
    in.startAt = ui->m_radioButtonPrgStartAt->isChecked();
    in.startWait = ui->m_radioButtonPrgStartWait->isChecked();
    in.sensorIntTemp = ui->m_checkBoxLoggerAlarmSensorEnableIntTemp->isChecked();
    in.sensorIntHum = ui->m_checkBoxLoggerAlarmSensorEnableIntHum->isChecked();
    in.sensorExtTemp = ui->m_checkBoxLoggerAlarmSensorEnableExtTemp->isChecked();
    in.adminEnabled = app->userAdmin->enabled;
    in.loggedIn = app->userAdmin->currentUser != -1;
    const Rights rights = currentRights();
    in.isAdmin = rights.admin;
    in.canConfigure = rights.configure;
    in.canDownload = rights.download;
    in.canView = rights.view;
    return in;
}

// The state of the current record decides first; the user's rights can
// only take away from that, never give back what the record's state
// refused (a file is never downloaded or programmed, a locked logger never
// downloaded).
MainWindow::ActionStates MainWindow::computeActionStates(const ActionInputs &in)
{
    ActionStates s;
    QString reasons;
    bool programAllowed = false;

    if (in.hasRow) {
        s.closeSelectedFile = in.fromFile;
        s.closeAllFiles = true;
        s.lock = true;
        s.loadTemplate = true;
        s.saveTemplate = true;

        const bool locked = (in.passwordWord & 0x0FFFFFFF) != 0 && !in.passwordMatches
                            && !in.passwordAccepted && !in.writeWithoutPassword;
        if (locked) {
            reasons += QStringLiteral("Password protected\r");
        } else {
            programAllowed = true;
            if (in.fromFile) {
                reasons += QStringLiteral("This is not a Logger\r");
                programAllowed = false;
            }
            if (!in.startAt && !in.startWait) {
                reasons += QStringLiteral("No start condition selected\r");
                programAllowed = false;
            }
            if (!in.sensorIntTemp && !in.sensorIntHum && !in.sensorExtTemp) {
                reasons += QStringLiteral("No sensor selected\r");
                programAllowed = false;
            }
            s.download = !in.fromFile && !in.writeWithoutPassword;
        }

        if (in.autoDownloadSetting) {
            if (!in.dataLoaded && !in.formLocked && in.passwordMatches) {
                reasons += QStringLiteral("Downloading\r");
                programAllowed = false;
            }
        } else if (!in.ready && !in.formLocked) {
            reasons += QStringLiteral("Logger not ready yet...");
            programAllowed = false;
        }
    }

    s.program = programAllowed;
    s.programButton = programAllowed;
    s.programToolTip = reasons;
    s.generatePdf = in.selectionCount == 1;

    if (in.hasRow) {
        if (in.selectionCount > 0 && in.dataLoaded) {
            s.save = s.saveAs = s.printPrint = s.printPreview = true;
        }
        const bool writeOnly = in.passwordWord != 0 && !in.passwordAccepted
                               && in.writeWithoutPassword && !in.massStorage;
        if (writeOnly) {
            s.closeSelectedFile = s.closeAllFiles = s.download = s.generatePdf = false;
            s.save = s.saveAs = s.printPrint = s.printPreview = false;
            s.loadTemplate = s.saveTemplate = s.lock = false;
        }
        if (in.autoDownloaded && !in.dataLoaded) {
            s.programButton = s.download = s.generatePdf = false;
        }
    }

    s.logoutVisible = in.adminEnabled;
    s.backupRestoreVisible = in.adminEnabled && in.isAdmin;
    if (in.adminEnabled && in.loggedIn) {
        const bool a = in.isAdmin;
        const bool c = a || in.canConfigure;
        const bool d = a || in.canDownload;
        const bool v = a || in.canView;
        s.generatePdf = s.generatePdf && (a || d || (v && !c));
        s.program = s.program && c;
        s.programButton = s.programButton && c;
        s.loadTemplate = s.loadTemplate && c;
        s.saveTemplate = s.saveTemplate && c;
        s.lock = s.lock && c && (v || d);
        s.download = s.download && d;
        s.printPrint = s.printPrint && (d || v);
        s.printPreview = s.printPreview && (d || v);
        s.closeSelectedFile = s.closeSelectedFile && v;
        s.closeAllFiles = s.closeAllFiles && v;
        s.load = v;
        s.save = s.save && (v || d || !c);
        s.saveAs = s.saveAs && (v || d || !c);
        s.options = a;
    }

    if (!in.hasRow) {
        s.generatePdf = s.printPrint = s.printPreview = s.download = false;
    } else if (!in.dataLoaded) {
        s.generatePdf = false;
    }
    return s;
}

// Deliberately does not restart the inactivity countdown: the core calls it
// from its timer, and a countdown restarted on every tick would never let
// the automatic logout fire. User actions restart it in their own slots.
void MainWindow::updateActions()
{
    const ActionInputs in = gatherActionInputs();
    if (!in.hasRow)
        app->selection.clear();
    const ActionStates s = computeActionStates(in);

    ui->m_actionSend_Report->setVisible(false);
    ui->m_actionSendByEmail->setVisible(false);
    ui->m_actionSendByFtp->setVisible(false);

    ui->m_actionCloseSelectedFile->setEnabled(s.closeSelectedFile);
    ui->m_actionCloseAllFiles->setEnabled(s.closeAllFiles);
    ui->m_actionProgram->setEnabled(s.program);
    ui->m_pushButtonProgram->setEnabled(s.programButton);
    ui->m_actionDownload->setEnabled(s.download);
    ui->m_actionGeneratPdf->setEnabled(s.generatePdf);
    ui->m_actionPrintPrint->setEnabled(s.printPrint);
    ui->m_actionPrintPreview->setEnabled(s.printPreview);
    ui->m_actionLoadTemplateProgram->setEnabled(s.loadTemplate);
    ui->m_actionSaveProgramTemplate->setEnabled(s.saveTemplate);
    ui->m_actionLock->setEnabled(s.lock);
    ui->m_actionSave->setEnabled(s.save);
    ui->m_actionSaveAs->setEnabled(s.saveAs);
    ui->m_actionLoad->setEnabled(s.load);
    ui->m_actionOptions->setEnabled(s.options);
    ui->m_actionLogout->setVisible(s.logoutVisible);
    ui->m_actionBackup->setVisible(s.backupRestoreVisible);
    ui->m_actionRestore->setVisible(s.backupRestoreVisible);

    ui->m_plainTextEditInfo->setVisible(false);
    ui->m_actionProgram->setToolTip(s.programToolTip);
    ui->m_pushButtonProgram->setToolTip(s.programToolTip);
}

// ---- logger and file table -----------------------------------------------

void MainWindow::fillLoggerTable(bool force)
{
    QTableWidget *table = ui->m_tableWidgetLogger;
    const int count = app->records.size();
    const bool sameCount = table->rowCount() == count;

    if (!force && sameCount) {
        if (!loggerTableDirty.exchange(false))
            return;
        fillingLoggerTable = true;
    } else {
        loggerTableDirty = false;
        fillingLoggerTable = true;
        if (table->rowCount() > 0) {
            table->setCurrentCell(-1, -1);
            table->clear();
        }
        QString serialHeader = app->languageTable->text(4);
        serialHeader.remove(QStringLiteral(" #"));
        const QStringList headers = { QStringLiteral("#"), QStringLiteral("T"),
                                      app->languageTable->text(80), serialHeader,
                                      QStringLiteral("LL"), QStringLiteral("L"),
                                      QStringLiteral("OK"), QStringLiteral("H"),
                                      QStringLiteral("HH") };
        table->setColumnCount(headers.size());
        table->horizontalHeader()->setMinimumSectionSize(kColumnWidths[0]);
        table->verticalHeader()->setMinimumSectionSize(kRowHeight);
        table->verticalHeader()->hide();
        table->setHorizontalHeaderLabels(headers);
        for (int column = 0; column < headers.size(); ++column)
            table->setColumnWidth(column, kColumnWidths[column]);
        table->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        table->setRowCount(count);
    }

    for (int row = 0; row < count; ++row) {
        const LoggerRecord &r = app->records.at(row);
        const bool logger = !r.portName.isEmpty();
        table->setItem(row, 0, centredItem(QString::number(row + 1)));
        table->setRowHeight(row, kRowHeight);
        table->setItem(row, 1, centredItem(QString(),
                                           QIcon(logger ? QStringLiteral(":/Pictures/kelpra.png")
                                                        : QStringLiteral(":/Pictures/file_001.ico"))));
        // a file record keeps its path; the table shows the name only
        table->setItem(row, 2, leftItem(logger ? r.portName : QFileInfo(r.fileName).fileName()));
        table->setItem(row, 3, leftItem(r.serialNumber));
        const bool known = !r.serialNumber.isEmpty();
        const quint32 status = r.alarmStatus;
        const quint32 anyLevel =
            AlarmStatusBits::HH | AlarmStatusBits::H | AlarmStatusBits::L | AlarmStatusBits::LL;
        table->setItem(row, 4, ballItem(known && (status & AlarmStatusBits::LL), kBallBlue));
        table->setItem(row, 5, ballItem(known && (status & AlarmStatusBits::L), kBallBlue));
        table->setItem(row, 6, ballItem(known && !(status & anyLevel), kBallGreen));
        table->setItem(row, 7, ballItem(known && (status & AlarmStatusBits::H), kBallRed));
        table->setItem(row, 8, ballItem(known && (status & AlarmStatusBits::HH), kBallRed));
    }

    fillingLoggerTable = false;
    updateActions();
}

void MainWindow::selectTableRow(int row)
{
    fillLoggerTable(false);
    ui->m_tableWidgetLogger->setCurrentCell(row, 0);
}

void MainWindow::refreshSelectedLogger(int row)
{
    restartInactivityCountdown();
    lastSelectedRow = row;
    if (!formLocked) {
        updatingForm = false;
        ui->m_lineEditLoggerSerial->clear();
        ui->m_lineEditLoggerProduct->clear();
        ui->m_lineEditLoggerDescription->clear();
    }
    if (!validRow(row))
        return;
    app->currentRecord = row;
    const LoggerRecord &record = app->records.at(row);
    if (!record.portName.isEmpty() && !record.dataLoaded) {
        // the logger answers with its memory image; the decoder then asks
        // for the table and the page to be refreshed
        requestMemoryImage(record);
        viewsDirty = false;
        return;
    }
    app->recalcProgramTiming(row, 1);
    updateLoggerPage();
    viewsDirty = true;
}

void MainWindow::on_m_tableWidgetLogger_itemSelectionChanged()
{
    restartInactivityCountdown();
    if (fillingLoggerTable)
        return;
    QList<int> rows;
    const auto ranges = ui->m_tableWidgetLogger->selectedRanges();
    for (const QTableWidgetSelectionRange &range : ranges)
        for (int row = range.topRow(); row <= range.bottomRow(); ++row)
            if (!rows.contains(row))
                rows.append(row);
    std::sort(rows.begin(), rows.end());
    app->selection = rows;
    refreshSelectedLogger(currentLoggerRow());
    updateActions();
}

void MainWindow::on_m_tableWidgetLogger_itemPressed(QTableWidgetItem *)
{
    restartInactivityCountdown();
    if (fillingLoggerTable)
        return;
    const int row = currentLoggerRow();
    const Qt::MouseButtons buttons = QApplication::mouseButtons();
    if (buttons == Qt::LeftButton && row != lastSelectedRow) {
        lastSelectedRow = row;
        refreshSelectedLogger(row);
    }
    if (buttons == Qt::RightButton) {
        QMenu menu(ui->m_tableWidgetLogger);
        menu.addAction(ui->m_actionProgram);
        menu.addAction(ui->m_actionDownload);
        menu.addAction(ui->m_actionSave);
        menu.addAction(ui->m_actionCloseSelectedFile);
        menu.addAction(ui->m_actionCloseAllFiles);
        menu.addAction(ui->m_actionDisconnect_Logger);
        CPrompt::execMenu(&menu, QCursor::pos());
    }
}

void MainWindow::on_m_tableWidgetLogger_doubleClicked(const QModelIndex &)
{
    if (fillingLoggerTable)
        return;
    restartInactivityCountdown();
    if (const LoggerRecord *record = currentLoggerRecord())
        if (!record->portName.isEmpty())
            requestMemoryImage(*record);
    viewsDirty = true;
}

void MainWindow::requestMemoryImage(const LoggerRecord &record)
{
    if (!record.commandLink)
        return;
    record.commandLink->sendCommand(MemoryMap::Command::Wake);
    record.commandLink->sendCommand(MemoryMap::Command::End);
}

// ---- data files ----------------------------------------------------------

bool MainWindow::loadDataFile(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (int row = 0; row < app->records.size(); ++row) {
        const LoggerRecord &open = app->records.at(row);
        if (open.fromFile && !open.fileName.isEmpty()
            && QFileInfo(open.fileName).absoluteFilePath() == absolute) {
            selectTableRow(row);
            return true;
        }
    }

    LoggerRecord record;
    QString error;
    if (!app->fileManager->readDataFile(absolute, record, &error)) {
        if (error.isEmpty())
            error = tr("Warning!\n\nThe file %1 cannot be opened.")
                        .arg(QDir::toNativeSeparators(absolute));
        CPrompt::warning(this, error);
        return false;
    }
    record.portName.clear();
    record.fileName = absolute;
    record.fromFile = true;
    record.ready = true;
    record.commandLink = nullptr;
    app->records.append(record);
    auditUserAction(QStringLiteral("Load File: ") + absolute);

    const int row = app->records.size() - 1;
    fillLoggerTable(false);
    ui->m_tableWidgetLogger->setCurrentCell(row, 0);
    app->records[row].dataLoaded = true;
    refreshSelectedLogger(row);
    updateActions();
    return true;
}

bool MainWindow::writeDataFileFor(int row, const QString &path)
{
    if (!app->fileManager->writeDataFile(path, row)) {
        CPrompt::warning(this, app->languageTable->text(188));
        return false;
    }
    app->records[row].fileName = path;
    loggerTableDirty = true;
    auditUserAction(QStringLiteral("Save File: ") + path);
    return true;
}

bool MainWindow::saveRecordAs(int row)
{
    if (!validRow(row))
        return false;
    const LoggerRecord record = app->records.at(row);
    QString suggestion = app->settings.defaultPath;
    if (!record.serialNumber.trimmed().isEmpty())
        suggestion += QLatin1Char('/') + record.serialNumber.trimmed() + QStringLiteral(".qlf");
    QString path = CPrompt::saveFileName(
        this, tr("Save As"), suggestion,
        tr("Data file (*.qlf);;Text file (*.txt);;CSV file (*.csv)"));
    if (path.isEmpty())
        return false;
    // the timers run while the dialog is open: the logger may have gone
    row = rowOfRecord(record);
    if (row < 0) {
        CPrompt::warning(this, tr("Warning!\n\nThe logger was disconnected; nothing was saved."));
        return false;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix.isEmpty())
        path += QStringLiteral(".qlf");
    else if (suffix == QLatin1String("txt") || suffix == QLatin1String("csv"))
        return exportReadings(row, path);
    else if (suffix != QLatin1String("qlf")) {
        CPrompt::warning(this, tr("Warning!\n\nFiles of type .%1 cannot be written here.")
                                   .arg(suffix));
        return false;
    }
    return writeDataFileFor(row, path);
}

bool MainWindow::exportReadings(int row, const QString &path)
{
    const QList<int> rows = app->selection.contains(row) ? app->selection : QList<int>{ row };
    if (!app->records.at(row).dataLoaded) {
        CPrompt::warning(this, tr("Warning!\n\nThis logger holds no readings to export yet."));
        return false;
    }
    app->table->fillReadings(ui->m_tableWidgetTable, rows);
    if (!writeTextExport(path, rows.size())) {
        warnNotWritten(path);
        return false;
    }
    auditUserAction(QStringLiteral("Save File: ") + path);
    return true;
}

void MainWindow::on_m_actionLoad_triggered()
{
    restartInactivityCountdown();
    const QStringList paths = CPrompt::openFileNames(this, tr("Load"), app->settings.defaultPath,
                                                     tr("Data files (*.qlf)"));
    for (const QString &path : paths)
        loadDataFile(path);
}

void MainWindow::on_m_actionSave_triggered()
{
    restartInactivityCountdown();
    const int row = currentLoggerRow();
    LoggerRecord *record = recordAt(row);
    if (!record)
        return;
    // only a path we wrote or read ourselves is written again without asking
    if (app->selection.size() == 1 && QFileInfo(record->fileName).isAbsolute())
        writeDataFileFor(row, record->fileName);
    else
        saveRecordAs(row);
}

void MainWindow::on_m_actionSaveAs_triggered()
{
    restartInactivityCountdown();
    saveRecordAs(currentLoggerRow());
}

void MainWindow::removeRecord(int index)
{
    app->removeRecord(index);
    lastSelectedRow = -1;
}

void MainWindow::on_m_actionCloseSelectedFile_triggered()
{
    restartInactivityCountdown();
    const int row = currentLoggerRow();
    // a connected logger's record belongs to its link; only files close here
    if (!validRow(row) || !app->records.at(row).fromFile)
        return;
    removeRecord(row);
    fillLoggerTable(false);
    viewsDirty = true;
}

void MainWindow::on_m_actionCloseAllFiles_triggered()
{
    restartInactivityCountdown();
    for (int row = app->records.size() - 1; row >= 0; --row)
        if (app->records.at(row).fromFile)
            removeRecord(row);
    fillLoggerTable(false);
    if (app->records.isEmpty())
        app->currentRecord = -1;
    viewsDirty = true;
}

// The row of the record that was record when a modal dialog opened: rows
// shift when a logger is unplugged meanwhile. -1 when it is gone.
int MainWindow::rowOfRecord(const LoggerRecord &record) const
{
    for (int row = 0; row < app->records.size(); ++row) {
        const LoggerRecord &candidate = app->records.at(row);
        if (candidate.commandLink == record.commandLink && candidate.portName == record.portName
            && candidate.fileName == record.fileName
            && candidate.serialNumber == record.serialNumber)
            return row;
    }
    return -1;
}

void MainWindow::on_m_actionSaveProgramTemplate_triggered()
{
    restartInactivityCountdown();
    LoggerRecord *current = currentLoggerRecord();
    if (!current)
        return;
    bool ok = false;
    const int trip = ui->m_lineEditLoggerNbTrip->text().trimmed().toInt(&ok);
    if (ok)
        current->tripNumber = trip;
    current->productCode = ui->m_lineEditLoggerProduct->text();
    current->description = ui->m_lineEditLoggerDescription->text();
    // a copy: the record may go while the file dialog is open
    const LoggerRecord record = *current;

    QString path = CPrompt::saveFileName(this, tr("Save Template Program"),
                                         app->settings.defaultPath, tr("Program template (*.xtp)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".xtp");
    if (!CFileManager::saveTemplate(path, record))
        CPrompt::warning(this, app->languageTable->text(188));
}

void MainWindow::on_m_actionDisconnect_Logger_triggered()
{
    restartInactivityCountdown();
    if (LoggerRecord *record = currentLoggerRecord())
        record->disconnectRequested = true;
}

void MainWindow::addAudit(const QString &text)
{
    app->userAdmin->addAuditEntry(text);
    showAuditTrail(QDate::currentDate());
}

void MainWindow::auditUserAction(const QString &text)
{
    if (app->userAdmin->enabled && app->userAdmin->currentUser != -1)
        addAudit(text);
}

void MainWindow::showAuditTrail(const QDate &date)
{
    QPlainTextEdit *view = ui->m_plainTextEditUserAdminAudit;
    view->setPlainText(app->userAdmin->readAuditFile(date));
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
}

// ---- pages ---------------------------------------------------------------

void MainWindow::retitleFromLabelTable()
{
    const CLanguageTable *labels = app->languageTable;
    auto t = [labels](int id) { return labels->text(id); };
    const bool celsius = app->settings.modeCelsius != 0;

    ui->menuFile->setTitle(t(47));
    ui->menuLogger->setTitle(t(63));
    const int tabIds[] = { 62, 0, 74, 75, 76, 77 };
    for (int page = PageHome; page <= PageSummary; ++page)
        ui->m_tabWidget->setTabText(page, t(tabIds[page]));
    ui->m_labelMainList->setText(t(44));

    ui->m_actionLoad->setText(t(48));
    ui->m_actionSave->setText(t(49));
    ui->m_actionSaveAs->setText(t(50));
    ui->m_actionCloseSelectedFile->setText(t(51));
    ui->m_actionCloseAllFiles->setText(t(52));
    ui->m_actionOptions->setText(t(53));
    ui->m_actionLoadTemplateProgram->setText(t(55));
    ui->m_actionSaveProgramTemplate->setText(t(56));
    ui->m_actionGeneratPdf->setText(t(57));
    ui->m_actionCheckForUpdate->setText(t(58));
    ui->m_actionAbout->setText(t(59));
    ui->m_actionExit->setText(t(60));
    ui->m_actionProgram->setText(t(0));
    ui->m_actionDownload->setText(t(64));
    ui->m_actionLock->setText(t(65));
    ui->m_actionPrintPrint->setText(t(198));
    ui->m_actionPrintPreview->setText(t(199));

    ui->m_groupBoxSettings->setTitle(t(11));
    ui->m_labelMainPrgPassRW->setText(t(2));
    ui->m_checkBoxLoggerAllowWrite->setText(t(3));
    ui->m_checkBoxLoggerAllowRead->setText(t(5));
    ui->m_labelMainPrgSerial->setText(t(4));
    ui->m_labelMainPrgProduct->setText(t(6));
    ui->m_labelMainPrgMemSize->setText(t(7));
    ui->m_labelMainPrgTrip->setText(t(8));
    ui->m_labelRange->setText(t(celsius ? 9 : 126));
    ui->m_labelMainPrgDescription->setText(t(10));

    // level labels: temperature pages in the display unit, humidity in %
    const int tempIds[] = { celsius ? 26 : 13, celsius ? 27 : 14, celsius ? 28 : 15,
                            celsius ? 29 : 16 };
    ui->m_labelAlarmHighHigh->setText(t(tempIds[0]));
    ui->m_labelAlarmHigh->setText(t(tempIds[1]));
    ui->m_labelAlarmLow->setText(t(tempIds[2]));
    ui->m_labelAlarmLowLow->setText(t(tempIds[3]));
    ui->m_labelAlarmHighHighExt->setText(t(tempIds[0]));
    ui->m_labelAlarmHighExt->setText(t(tempIds[1]));
    ui->m_labelAlarmLowExt->setText(t(tempIds[2]));
    ui->m_labelAlarmLowLowExt->setText(t(tempIds[3]));
    ui->m_labelAlarmHighHighHum->setText(t(22));
    ui->m_labelAlarmHighHum->setText(t(23));
    ui->m_labelAlarmLowHum->setText(t(24));
    ui->m_labelAlarmLowLowHum->setText(t(25));

    QCheckBox *levelBoxes[] = {
        ui->m_checkBoxLoggerAlarmHighHigh, ui->m_checkBoxLoggerAlarmHigh,
        ui->m_checkBoxLoggerAlarmLow, ui->m_checkBoxLoggerAlarmLowLow,
        ui->m_checkBoxLoggerAlarmHighHighHum, ui->m_checkBoxLoggerAlarmHighHum,
        ui->m_checkBoxLoggerAlarmLowHum, ui->m_checkBoxLoggerAlarmLowLowHum,
        ui->m_checkBoxLoggerAlarmHighHighExt, ui->m_checkBoxLoggerAlarmHighExt,
        ui->m_checkBoxLoggerAlarmLowExt, ui->m_checkBoxLoggerAlarmLowLowExt };
    for (QCheckBox *box : levelBoxes)
        box->setText(t(17));
    ui->m_checkBoxLoggerAlarmSensorEnableIntTemp->setText(t(18));
    ui->m_checkBoxLoggerAlarmSensorEnableIntHum->setText(t(18));
    ui->m_checkBoxLoggerAlarmSensorEnableExtTemp->setText(t(18));
    ui->m_labelAlarmConDelay->setText(t(19));
    ui->m_labelAlarmConDelayHum->setText(t(19));
    ui->m_labelAlarmConDelayExt->setText(t(19));
    ui->m_labelAlarmTotDelay->setText(t(20));
    ui->m_labelAlarmTotoDelayHim->setText(t(20));
    ui->m_labelAlarmTotDelayExt->setText(t(20));
    ui->m_tabWidgetAlarm->setTabText(1, t(21));
    ui->m_tabWidgetAlarm->setTabText(2, t(30));

    ui->m_labelMainPrgStart->setText(t(31));
    ui->m_labelMainPrgInterval->setText(t(32));
    ui->m_labelMainPrgStop->setText(t(33));
    ui->m_radioButtonPrgStartAt->setText(t(34));
    ui->m_radioButtonPrgStopAt->setText(t(34));
    ui->m_radioButtonPrgStartWait->setText(t(35));
    ui->m_radioButtonPrgStopReading->setText(t(36));
    ui->m_pushButtonPrgStopAfterMax->setText(t(37));
    ui->m_labelPrgStopReading->setText(t(38));
    ui->m_checkBoxLoggerShowAlarm->setText(t(39));
    ui->m_checkBoxLoggerShowTemp->setText(t(40));
    ui->m_radioButtonPrgStopButonEnable->setText(t(41));
    ui->m_radioButtonPrgStopContinue->setText(t(42));
    ui->m_radioButtonPrgAutoRestartEnable->setText(t(43));
    ui->m_labelMainPrgDurationOfTrip->setText(t(45));
    ui->m_labelMainPrgMemoryProgressBar->setText(t(78));
    if (ui->m_comboBoxPrgDuration->count() > 1) {
        ui->m_comboBoxPrgDuration->setItemText(0, t(131));
        ui->m_comboBoxPrgDuration->setItemText(1, t(46));
    }
}

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

// Production pages show on a production station only (one with a jig
// port in "xZdrAdmin.ini"); the user page only while user administration
// is on. Pages are put back in their fixed order.
void MainWindow::showPagesForMode()
{
    const bool production = !app->jigPort.isEmpty();
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
    ui->m_textBrowserHelp->setPlainText(app->languageTable->text(1));
    showLoggerStatus();
    updatingForm = false;
}

void MainWindow::showLoggerStatus()
{
    updatingForm = true;
    if (const LoggerRecord *record = currentLoggerRecord()) {
        if (record->memorySize != 0) {
            const quint32 readings = record->hasHeader
                ? (record->memorySize > 768 ? (record->memorySize - 768) / 2 : 0)
                : record->memorySize / 2;
            ui->m_lineEditLoggerMemSize->setText(
                app->languageTable->text(190).arg(readings / 1000));
        }
    }
    updatingForm = false;
}

void MainWindow::showGraphProgress(bool visible, int value)
{
    ui->m_progressBarGraph->setVisible(visible);
    ui->m_progressBarGraph->setValue(value);
}

void MainWindow::fillReadingsTable(const QList<int> &rows)
{
    if (rows.isEmpty())
        return;
    for (int row : rows) {
        const LoggerRecord *record = recordAt(row);
        if (!record || !record->dataLoaded)
            return;
    }
    app->table->fillReadings(ui->m_tableWidgetTable, rows);
}

// The previous graph is destroyed with the layout that held it, so a
// rebuild never leaves the old widget behind.
void MainWindow::replaceGraph(int row)
{
    auto *newPlot = new CPlot;
    newPlot->setData(app, row);
    newPlot->setupPlot();
    if (graphLayout) {
        delete graphLayout;
        graphLayout = nullptr;
    }
    delete plot;
    plot = newPlot;
    graphLayout = new QHBoxLayout(ui->m_widgetGraph);
    graphLayout->setContentsMargins(0, 0, 0, 0);
    graphLayout->addWidget(plot, 0);
}

void MainWindow::clearViews()
{
    delete plot;
    plot = nullptr;
    ui->m_tableWidgetTable->setRowCount(0);
    ui->m_tableWidgetTableSummary->setRowCount(0);
}

void MainWindow::fillSummaryTable()
{
    app->table->initSummary(ui->m_tableWidgetTableSummary, app->selection);
    app->table->fillSummary(ui->m_tableWidgetTableSummary, app->selection, false);
}

// ---- timers --------------------------------------------------------------

void MainWindow::rebuildViews(int row)
{
    const LoggerRecord record = app->records.at(row);
    const Rights rights = currentRights();
    ui->m_tabWidget->setTabEnabled(PageLogger, app->selection.size() <= 1);
    const bool dataPages = rights.download || (rights.view && record.fromFile);
    for (int page = PageGraph; page <= PageSummary; ++page)
        ui->m_tabWidget->setTabEnabled(page, dataPages);

    const bool choosePage = ui->m_tabWidget->currentIndex() <= 0
                            || (formLocked && ui->m_checkBoxProdEnable->isChecked());
    if (choosePage) {
        if (dataPages)
            ui->m_tabWidget->setCurrentWidget(ui->m_tabGraph);
        else if (rights.configure)
            ui->m_tabWidget->setCurrentWidget(ui->m_tabLogger);
    }
    const bool hasData = record.dataLoaded;
    if (hasData)
        replaceGraph(row);
    fillReadingsTable(app->selection);
    if (hasData)
        fillSummaryTable();
    app->records[row].autoDelay = 2;
}

void MainWindow::showHomeWhenEmpty()
{
    if (app->records.isEmpty()) {
        if (app->jigTestStep == 0 && !ui->m_checkBoxAdminAuto->isChecked())
            ui->m_tabWidget->setCurrentWidget(ui->m_tabHome);
        for (int page = PageLogger; page <= PageSummary; ++page)
            ui->m_tabWidget->setTabEnabled(page, false);
    } else {
        ui->m_tabWidget->setCurrentWidget(ui->m_tabLogger);
    }
}

void MainWindow::Timer()
{
    servingTimer = true;
    const int tableRow = currentLoggerRow();
    const int row = validRow(tableRow) ? tableRow : -1;

    if (row != -1 && app->records.at(row).eepromReadState == 1)
        app->storeEepromImage(row);

    if (viewsDirty.exchange(false)) {
        if (row != -1) {
            rebuildViews(row);
            servingTimer = false;
            return;
        }
        // no row: the views of a record that was closed or unplugged go
        clearViews();
        if (!formLocked)
            showHomeWhenEmpty();
    }

    if (showRecordPending.exchange(false))
        updateLoggerPage();

    if (row != -1 && app->records.at(row).autoDelay != 0)
        --app->records[row].autoDelay;

    if (row != -1 && !app->records.at(row).fromFile && app->records.at(row).autoDelay == 0)
        runAutomaticSteps(row);
    servingTimer = false;
}

// After an automatic download, each enabled step runs once for the record.
void MainWindow::runAutomaticSteps(int row)
{
    const CUserAdmin *users = app->userAdmin;
    const AppSettings &settings = app->settings;
    LoggerRecord &record = app->records[row];

    if (settings.autoDownloadLogger && record.ready && !record.autoDownloaded
        && (users->canDownload() || users->canConfigure())
        && !(users->enabled && users->currentUser == -1)) {
        record.autoDownloaded = true;
        on_m_actionDownload_triggered();
    }
    LoggerRecord &current = app->records[row];
    if (!current.autoDownloaded || !current.dataLoaded)
        return;

    if (settings.autoSaveLogger && !current.autoSaved && users->canDownload()) {
        const QString path = app->nextDataFileName(current);
        app->records[row].autoSaved = true;
        if (!path.isEmpty()) {
            if (app->fileManager->writeDataFile(path, row))
                app->records[row].fileName = path;
            else
                warnNotWritten(path);
        }
    }
    if (settings.autoGenerateTxt && !app->records.at(row).autoTxtDone) {
        app->records[row].autoTxtDone = true;
        exportAutomatically(row, QStringLiteral("txt"));
    }
    if (settings.autoGenerateCsv && !app->records.at(row).autoCsvDone) {
        app->records[row].autoCsvDone = true;
        exportAutomatically(row, QStringLiteral("csv"));
    }
    if (settings.smtpServerAuto != 0 && !app->records.at(row).autoMailStarted) {
        app->records[row].autoMailStarted = true;
        ui->m_actionSendByEmail->setEnabled(false);
        app->startEmail(row);
    }
}

// The export takes the report's name with its own extension, at the first
// counter where neither the report nor an earlier export stands, so no
// earlier trip's export is overwritten. The record's fileName keeps the data
// file's path, so a later Save never writes a data file over the export.
void MainWindow::exportAutomatically(int row, const QString &extension)
{
    const QString path = app->nextExportFileName(app->records.at(row), extension);
    if (path.isEmpty())
        return;
    app->records[row].exportFileName = path;
    app->table->fillReadings(ui->m_tableWidgetTable, QList<int>{ row });
    if (!writeTextExport(path, 1))
        warnNotWritten(path);
}

void MainWindow::warnNotWritten(const QString &path)
{
    CPrompt::warning(this, tr("Warning!\n\nThe file %1 could not be written.")
                               .arg(QDir::toNativeSeparators(path)));
}

bool MainWindow::writeTextExport(const QString &path, int selectedCount)
{
    const CTable *table = app->table;
    return CFileManager::exportText(path, table->rowTimes, table->rowValues,
                                    app->settings.multiLinkSyncDateTime, selectedCount,
                                    table->valueHeaders);
}

void MainWindow::Timer100ms()
{
    servingTimer = true;
    if (loggerTimeWrong.exchange(false))
        CPrompt::warning(this,
                         tr("Warning!\n\nLogger Time/Date is wrong.\nRestart the Configuration."));
    if (programFailed.exchange(false))
        CPrompt::warning(this,
                         tr("Warning!\n\nProgram unsuccessful reconnect logger and try again."));
    if (downloadFailed.exchange(false))
        CPrompt::warning(this, tr("Warning!\n\nThe download was incomplete and nothing was kept.\n"
                                  "Reconnect the logger and download again."));
    servingTimer = false;
}

// ---- the other actions ---------------------------------------------------

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
        fillReadingsTable(app->selection);
}

void MainWindow::on_m_actionOptions_triggered() { restartInactivityCountdown(); }
void MainWindow::on_m_actionAbout_triggered() { restartInactivityCountdown(); }
void MainWindow::on_m_actionDownload_triggered()
{
    restartInactivityCountdown();
    const LoggerRecord *record = currentLoggerRecord();
    // the drive logger's data was read from its file: there is nothing to send
    if (!record || record->massStorage || !record->commandLink)
        return;
    record->commandLink->sendCommand(MemoryMap::Command::Wake);
    record->commandLink->sendCommand(MemoryMap::Command::Download);
    ui->m_progressBarWrite->setValue(0);
    auditUserAction(QStringLiteral("Downloaded logger: ") + record->serialNumber);
}
void MainWindow::on_m_actionProgram_triggered() { restartInactivityCountdown(); }
void MainWindow::on_m_actionLoadTemplateProgram_triggered() { restartInactivityCountdown(); }
void MainWindow::on_m_actionGeneratPdf_triggered() { restartInactivityCountdown(); }
void MainWindow::on_m_actionCheckForUpdate_triggered() { restartInactivityCountdown(); }
void MainWindow::on_m_actionPrintPreview_triggered() { restartInactivityCountdown(); }
void MainWindow::on_m_actionPrintPrint_triggered() { restartInactivityCountdown(); }
void MainWindow::on_m_actionLogout_triggered() { restartInactivityCountdown(); }
void MainWindow::on_m_actionBackup_triggered() { restartInactivityCountdown(); }
void MainWindow::on_m_actionRestore_triggered() { restartInactivityCountdown(); }
void MainWindow::on_m_actionSendByEmail_triggered() { restartInactivityCountdown(); }
void MainWindow::on_m_actionEEpromRead_triggered() { restartInactivityCountdown(); }
void MainWindow::on_m_actionEEpromWrite_triggered() { restartInactivityCountdown(); }

void MainWindow::on_m_actionSend_Report_triggered()
{
    restartInactivityCountdown();
    ui->m_tabWidget->setCurrentWidget(ui->m_tabLogger);
    reportDialogPending = true;
}

// ---- settings panel ------------------------------------------------------

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

// ---- program and admin panels --------------------------------------------

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

// ---- alarm tabs ----------------------------------------------------------

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

// ---- graph, user-administration, admin and production pages -------------

void MainWindow::on_m_lineEditComment_textChanged(const QString &) {}
void MainWindow::on_m_lineEditComment_editingFinished() { restartInactivityCountdown(); }
void MainWindow::on_m_listWidgetUserAdminList_itemSelectionChanged() {}
void MainWindow::on_m_listWidgetUserAdminList_doubleClicked(const QModelIndex &) {}
void MainWindow::on_m_pushButtonUserAdminNew_clicked() { restartInactivityCountdown(); }
void MainWindow::on_m_pushButtonUserAdminRemove_clicked() { restartInactivityCountdown(); }
void MainWindow::on_m_pushButtonUserAdminAddAuditMessage_clicked() { restartInactivityCountdown(); }
void MainWindow::on_m_lineEditUserAdminUserName_editingFinished() {}
void MainWindow::on_m_lineEditUserAdminFirstName_editingFinished() {}
void MainWindow::on_m_lineEditUserAdminLastName_editingFinished() {}
void MainWindow::on_m_lineEditUserAdminPassword2_editingFinished() {}
void MainWindow::on_m_lineEditUserAdminTimeOut_editingFinished() {}
void MainWindow::on_m_lineEditUserAdminPassword_editingFinished() {}
void MainWindow::on_m_lineEditUserAdminPassword_textChanged(const QString &) {}
void MainWindow::on_m_dateTimeEditUserAdminPassExp_dateTimeChanged(const QDateTime &) {}
void MainWindow::on_m_dateEditUserAdminDate_dateTimeChanged(const QDateTime &) {}
void MainWindow::on_m_checkBoxUserAdminAccessAdmin_clicked(bool) {}
void MainWindow::on_m_checkBoxUserAdminAccessViewer_clicked(bool) {}
void MainWindow::on_m_checkBoxUserAdminAccessDownload_clicked(bool) {}
void MainWindow::on_m_checkBoxUserAdminAccessConfigure_clicked(bool) {}
void MainWindow::on_m_radioButtonUserAdminActiveYes_clicked() {}
void MainWindow::on_m_radioButtonUserAdminActiveNo_clicked() {}
void MainWindow::on_m_radioButtonUserAdminUnlockUser_clicked() {}
void MainWindow::on_m_radioButtonUserAdminUnlockAdmin_clicked() {}
void MainWindow::on_m_comboBoxUserAdminEmployeeNb_currentIndexChanged(const QString &) {}
void MainWindow::on_m_spinBoxUserAdminPassDuration_valueChanged(int) {}
void MainWindow::on_m_plainTextEditUserAdminMessage_textChanged() {}

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

void MainWindow::applyFormFont()
{
    QFont font = QApplication::font();
    font.setPointSize(8);
    QApplication::setFont(font);
}
