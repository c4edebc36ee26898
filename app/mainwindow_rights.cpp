// Which actions the current row, the page and the user's rights allow.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "core/cmainapp.h"
#include "core/loggerrecord.h"
#include "users/cuseradmin.h"

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

bool MainWindow::seesData(const Rights &rights, bool dataFromFiles)
{
    return rights.admin || rights.download || (rights.view && dataFromFiles);
}

bool MainWindow::shownDataFromFiles(int row) const
{
    if (!validRow(row) || !app->records.at(row).readFromFile())
        return false;
    for (int selected : app->selection)
        if (!validRow(selected) || !app->records.at(selected).readFromFile())
            return false;
    return true;
}

bool MainWindow::savingRefused(const Rights &rights, bool dataFromFiles)
{
    const bool configureOnly = !rights.admin && !rights.view && !rights.download && rights.configure;
    return configureOnly || (rights.view && !seesData(rights, dataFromFiles));
}

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
        in.passwordMatches = app->typedPasswordMatches(r);
        in.ready = r.ready;
        in.dataLoaded = r.dataLoaded;
        in.autoDownloaded = r.autoDownloaded;
        in.massStorage = r.massStorage;
        in.loggerGone = r.loggerGone;
        in.awaitsImage = r.awaitsImage();
        in.dataFromFiles = shownDataFromFiles(row);
        in.readWithoutPassword = r.readableWithoutPassword();
        in.writeWithoutPassword = r.writableWithoutPassword();
    }
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

// The record's state decides first; a logged-in user's rights come last
// and may enable again what the state disabled. What would act on the
// wrong thing stays off whatever the rights: a data file or a logger whose
// password was not given is never downloaded, programming that the state
// refuses is never offered on the button, and a connected logger's row is
// never closed as a file. Actions that the rights enable on a row that
// cannot serve them say so when triggered.
MainWindow::ActionStates MainWindow::computeActionStates(const ActionInputs &in)
{
    ActionStates s;
    QString reasons;
    bool programAllowed = false;

    if (in.hasRow) {
        s.closeSelectedFile = in.fromFile;
        s.closeAllFiles = true;
        s.lock = true;
        // nothing else would enable the templates again once a moment
        // without a row had disabled them
        s.loadTemplate = s.saveTemplate = true;

        const bool locked = passwordWithheld(in) && !in.writeWithoutPassword;
        if (locked) {
            reasons += QStringLiteral("Password protected\r");
            s.download = !in.fromFile && !downloadWithheld(in);
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
        if (in.selectionCount > 0 && in.dataLoaded)
            s.save = s.saveAs = s.printPrint = s.printPreview = s.lock = true;
        const bool writeOnly = in.passwordWord != 0 && !in.passwordAccepted
                               && in.writeWithoutPassword && !in.massStorage;
        if (writeOnly) {
            s.closeSelectedFile = s.closeAllFiles = s.download = s.generatePdf = false;
            s.save = s.saveAs = s.printPrint = s.printPreview = false;
            s.loadTemplate = s.saveTemplate = s.lock = false;
        }
        if (in.autoDownloaded && !in.dataLoaded)
            s.programButton = s.download = s.generatePdf = false;
    }

    s.logoutVisible = in.adminEnabled;
    s.backupRestoreVisible = in.adminEnabled && in.isAdmin;
    if (in.loggedIn) {
        const bool closableAsFile = !in.hasRow || in.fromFile;
        const bool downloadable = in.hasRow && !in.fromFile && !downloadWithheld(in);
        applyRights(in, s, closableAsFile, downloadable);
    }

    // whether a password withholds the readings is known from the image only
    if (!in.hasRow || in.awaitsImage)
        s.download = false;
    if (!in.hasRow) {
        s.generatePdf = s.printPrint = s.printPreview = false;
    } else if (!in.dataLoaded) {
        s.generatePdf = false;
    }
    s.loggerCommands = !(in.hasRow && in.loggerGone);
    return s;
}

// The logger has a password that the user neither typed nor had accepted.
bool MainWindow::passwordWithheld(const ActionInputs &in)
{
    return (in.passwordWord & 0x0FFFFFFF) != 0 && !in.passwordMatches && !in.passwordAccepted;
}

// ... and the user did not open it for reading without the password.
bool MainWindow::downloadWithheld(const ActionInputs &in)
{
    return passwordWithheld(in) && !in.readWithoutPassword;
}

// The program button keeps what the state gave it, like the program action.
void MainWindow::applyRights(const ActionInputs &in, ActionStates &s, bool closableAsFile,
                             bool downloadable)
{
    s.closeSelectedFile = closableAsFile;
    s.closeAllFiles = true;
    s.download = downloadable;
    s.load = true;
    s.loadTemplate = s.saveTemplate = true;
    s.lock = true;

    const bool a = in.isAdmin;
    const bool c = a || in.canConfigure;
    const bool d = a || in.canDownload;
    const bool v = a || in.canView;
    s.generatePdf = a || d || v;
    if (!c)
        s.program = s.programButton = s.loadTemplate = s.saveTemplate = s.lock = false;
    if (!d)
        s.download = s.printPrint = s.printPreview = false;
    if (!v)
        s.closeSelectedFile = s.closeAllFiles = s.load = false;
    const Rights rights{ a, in.canConfigure, in.canDownload, in.canView };
    if (savingRefused(rights, in.dataFromFiles))
        s.save = s.saveAs = false;
    s.options = a;
    if (v) {
        if (!d && c && !a)
            s.generatePdf = false;
        // no report of a download's data either
        const bool shown = seesData(rights, in.dataFromFiles);
        s.printPrint = s.printPreview = shown;
        s.generatePdf = s.generatePdf && shown;
    }
    if (!v && !d && c)
        s.lock = false;
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
    for (QPushButton *button : { ui->m_pushButtonLoggerReadTime, ui->m_pushButtonLoggerSyncTime,
                                 ui->m_pushButtonFactoryInit, ui->m_pushButtonAdminWriteIntTable,
                                 ui->m_pushButtonAdminWriteExtTable })
        button->setEnabled(s.loggerCommands);
    ui->m_actionDisconnect_Logger->setEnabled(s.loggerCommands);

    ui->m_plainTextEditInfo->setVisible(false);
    ui->m_actionProgram->setToolTip(s.programToolTip);
    ui->m_pushButtonProgram->setToolTip(s.programToolTip);
}
