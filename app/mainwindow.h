#pragma once

#include <functional>

#include <QDateTime>
#include <QHash>
#include <QMainWindow>
#include <QMessageBox>
#include <QModelIndex>
#include <QPair>
#include <QSet>
#include <QString>
#include <QVector>

#include "core/windowstate.h"
#include "programming/loggerwriter.h"
#include "programming/productionpanel.h"
#include "programming/programminghost.h"
#include "programming/settingstexts.h"

class CHelp;
class CHistogram;
class CMainApp;
class CPlot;
class CUpdate;
class QAbstractButton;
class QCheckBox;
class QHBoxLayout;
class QLineEdit;
class QRadioButton;
class QTableWidget;
class QTableWidgetItem;
class QThread;
class QTimer;
struct LoggerRecord;
struct UserRecord;

namespace Ui {
class MainWindow;
}

// The one top-level window: the logger and file table on the left, the
// pages of the selected record on the right. It owns the core, serves the
// core's and the threads' requests in its two timer slots, and decides in
// updateActions which actions the record and the user's rights allow.
class MainWindow : public QMainWindow, public WindowState, public ProgrammingHost
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Pages of m_tabWidget in their fixed order.
    enum Page { PageHome = 0, PageLogger, PageGraph, PageHistogram, PageTable, PageSummary };

    CMainApp *app = nullptr;
    CPlot *plot = nullptr;
    CHistogram *histogram = nullptr;
    QHBoxLayout *graphLayout = nullptr;
    QHBoxLayout *histogramLayout = nullptr;
    QTimer *timer = nullptr;
    QTimer *timer100ms = nullptr;
    CHelp *help = nullptr;
    // the flags live in WindowState
    int lastSelectedRow = -1;
    QString templateFileName;
    Ui::MainWindow *ui = nullptr;

    // Everything updateActions reads, gathered so that the decision itself
    // is a pure function that can be checked case by case.
    struct ActionInputs {
        bool hasRow = false;
        bool fromFile = false;
        quint32 passwordWord = 0;
        bool passwordAccepted = false;
        bool passwordMatches = false;   // checkLoggerPassword with the entered password
        bool ready = false;
        bool dataLoaded = false;
        bool autoDownloaded = false;
        bool massStorage = false;
        bool loggerGone = false;
        bool awaitsImage = false;
        // the row and every selected one were read from a data file
        bool dataFromFiles = false;
        // opened without the password, as the user chose and the word allows
        bool readWithoutPassword = false;
        bool writeWithoutPassword = false;
        int selectionCount = 0;
        bool autoDownloadSetting = false;
        bool formLocked = false;
        bool startAt = false;
        bool startWait = false;
        bool sensorIntTemp = false;
        bool sensorIntHum = false;
        bool sensorExtTemp = false;
        bool adminEnabled = false;
        bool loggedIn = false;
        bool isAdmin = false;
        bool canConfigure = false;
        bool canDownload = false;
        bool canView = false;
    };
    struct ActionStates {
        bool closeSelectedFile = false;
        bool closeAllFiles = false;
        bool program = false;
        bool programButton = false;
        bool download = false;
        bool generatePdf = false;
        bool printPrint = false;
        bool printPreview = false;
        bool loadTemplate = false;
        bool saveTemplate = false;
        bool lock = false;
        bool save = false;
        bool saveAs = false;
        bool load = true;
        bool options = true;
        bool logoutVisible = false;
        bool backupRestoreVisible = false;
        // What talks to the row's logger (its clock, Factory Init, its
        // calibration tables, Disconnect): off on a row whose trip's logger
        // is gone, which no right can bring back.
        bool loggerCommands = true;
        QString programToolTip;
    };
    static ActionStates computeActionStates(const ActionInputs &in);
    // The forms are laid out for compact 8-point text; call before the
    // first window is built.
    static void applyFormFont();
    ActionInputs gatherActionInputs() const;

    // window services the core and the dialogs call
    void fillLoggerTable(bool force) override;
    void updateActions() override;
    void refreshSelectedLogger(int row) override;
    void updateLoggerPage() override;
    void showLoggerStatus() override;
    void addAudit(const QString &text) override;
    void warnUser(const QString &text) override;
    int currentLoggerRow() const override;
    void selectTableRow(int row) override;

    // Opens a data file as a new row (or makes its row current when it is
    // open already). False, with a message to the user, when it cannot be read.
    bool loadDataFile(const QString &path);
    // Opens each file as loadDataFile does, then makes the last one's row
    // current. The number of files open afterwards; those refused are told.
    int loadDataFiles(const QStringList &paths);
    // The data file named when the program was started, once somebody is
    // logged in: opened as the Load action would for a user who may load
    // files; any other user is told that it was not opened.
    void openStartFile(const QString &path);
    void showGraphProgress(bool visible, int value) override;
    void fillReadingsTable(const QList<int> &rows);
    // The readings table of the selection, refilled only when a rebuild or
    // another selection has made it stale.
    void showReadingsTable();
    // Lock icon and read-only state of the settings fields, by formLocked.
    void setFormLocked();
    // Today's or another day's audit trail in the user-administration page.
    void showAuditTrail(const QDate &date);

    // ---- report ----
    // "PDF saved: " and the path, closing itself after five seconds.
    void createPdf(const QString &path);
    // Writes the report of a record as a PDF file while the window shows
    // that it is busy. False, after telling the user why, when the file
    // cannot be written.
    bool writePdfReport(const LoggerRecord &record, const QString &path);

    // graph and histogram images: the format follows the file's extension
    // ("plot.jpg" is a JPEG); false, with the reason in error, when nothing
    // could be written
    bool savePlotImage(QWidget *widget, const QString &fileName, QString *error = nullptr);
    bool saveWindowImage(const QString &fileName, QString *error = nullptr);
    // options dialog
    // main() turns it on: the options dialog of a first start then opens
    // while the window is built. Windows built by tests open none.
    static bool openOptionsAtStart;
    // ---- user administration: login and the user page
    void fillUserList();
    // The employee-number choice of user index; the combo's slot ignores
    // what the fill changes.
    void fillUserCombo(int index);
    void fillUserAdminPage();
    // Copies the page into the selected user and saves the store; false when
    // nothing was applied.
    bool applyUserAdminEdit();
    // While user administration is on: hides the window until somebody has
    // logged in. A cancelled login ends the program.
    void login();
    // Replaces what a cancelled login does (end the program); for tests.
    static void setLoginCancelHandler(std::function<void()> handler);

    // ---- e-mail of records and the send-report dialog ----
    // Writes record (found again by rowOfRecord) in the form extension names:
    // "qlf" the data file, "txt" / "csv" its readings, "pdf" its report,
    // "jpg" its graph, as directory/<serial>.<extension>. The path written, or
    // "" with the reason in error.
    QString exportSelectedFile(const QString &extension, const QString &directory,
                               const LoggerRecord &record, QString *error) override;
    // The graph page's picture, and the window's; false with the reason in
    // error.
    bool writeGraphImage(const QString &path, QString *error);
    bool writeWindowImage(const QString &path, QString *error);
    // ---- programming page and production ---------------------------------
    // Fills the whole logger page (settings, alarm tabs by the logger's
    // sensors, program panel) from the selected record.
    void showLoggerRecord();
    void updateProgramForm();
    // Copies the page's editable fields into the selected record.
    void readProgramForm() override;
    QString typedLoggerPassword() const override;
    void checkAlarmLimits();
    void warnLimit(const QString &range);
    void checkTemplateCompatibility();
    // Fills the record and the page from the template of templateFileName
    // and locks the form; otherwise leaves both and says why.
    QString applyTemplate();
    void fillJigPortCombo(const QString &port, const QStringList &ports);
    void listJigPortsAway(const QString &port);
    QThread *jigPortLister = nullptr;
    int countEnabledSensors();

    // the write transfers to a logger and the production functions
    LoggerWriter loggerWriter{ *this };
    ProductionPanel production{ *this, loggerWriter };
    // taken when the form is locked: the program it holds
    quint32 lockedConfigWord = 0;
    quint32 lockedMemorySize = 0;
    qint32 lockedReadingCount = 0;

    // Readings never saved whose trip was not answered for in this round
    // of closing questions.
    static bool awaitsAnswer(const LoggerRecord &record, const QSet<quint64> &answeredTrips);

signals:
    void program();
    void setStartAndEndTime(bool checked);

public slots:
    void Timer();
    void Timer100ms();

    // frame and actions
    void on_m_actionLoad_triggered();
    void on_m_actionSave_triggered();
    void on_m_actionSaveAs_triggered();
    void on_m_actionOptions_triggered();
    void on_m_actionAbout_triggered();
    void on_m_actionExit_triggered();
    void on_m_actionDownload_triggered();
    void on_m_actionProgram_triggered();
    void on_m_actionSaveProgramTemplate_triggered();
    void on_m_actionLoadTemplateProgram_triggered();
    void on_m_actionCloseSelectedFile_triggered();
    void on_m_actionGeneratPdf_triggered();
    void on_m_actionCheckForUpdate_triggered();
    void on_m_actionCloseAllFiles_triggered();
    void on_m_actionLock_triggered();
    void on_m_actionPrintPreview_triggered();
    void on_m_actionPrintPrint_triggered();
    void on_m_actionLogout_triggered();
    void on_m_actionBackup_triggered();
    void on_m_actionRestore_triggered();
    void on_m_actionSend_Report_triggered();
    void on_m_actionSendByEmail_triggered();
    void on_m_actionEEpromRead_triggered();
    void on_m_actionEEpromWrite_triggered();
    void on_m_actionDisconnect_Logger_triggered();
    void on_m_tableWidgetLogger_itemSelectionChanged();
    void on_m_tableWidgetLogger_itemPressed(QTableWidgetItem *item);
    void on_m_tableWidgetLogger_doubleClicked(const QModelIndex &index);
    void on_m_tabWidget_currentChanged(int index);

    // settings panel
    void on_m_lineEditLoggerPassword_textChanged(const QString &text);
    void on_m_checkBoxLoggerAllowRead_clicked(bool checked);
    void on_m_checkBoxLoggerAllowWrite_clicked(bool checked);
    void on_m_lineEditLoggerSerial_editingFinished();
    void on_m_lineEditLoggerProduct_editingFinished();
    void on_m_lineEditLoggerNbTrip_textChanged(const QString &text);
    void on_m_lineEditLoggerRange_textChanged(const QString &text);
    void on_m_pushButtonLoggerReadTime_clicked();
    void on_m_pushButtonLoggerSyncTime_clicked();

    // program and admin panels
    void on_m_radioButtonPrgStopReading_clicked(bool checked);
    void on_m_lineEditPrgStopReading_textChanged(const QString &text);
    void on_m_pushButtonPrgStopAfterMax_clicked();
    void on_m_radioButtonPrgStopContinue_clicked(bool checked);
    void on_m_radioButtonPrgAutoRestartEnable_clicked(bool checked);
    void on_m_radioButtonPrgStopButonEnable_clicked(bool checked);
    void on_m_comboBoxPrgDuration_currentIndexChanged(int index);
    void on_m_dateTimeEditPrgInterval_dateTimeChanged(const QDateTime &value);
    void on_m_radioButtonPrgStartAt_clicked(bool checked);
    void on_m_dateTimeEditPrgStartAt_dateTimeChanged(const QDateTime &value);
    void on_m_pushButtonPrgStartNow_clicked();
    void on_m_checkBoxLoggerShowAlarm_clicked();
    void on_m_checkBoxLoggerShowTemp_clicked();
    void on_m_radioButtonPrgStopAt_clicked(bool checked);
    void on_m_dateTimeEditPrgStopAt_dateTimeChanged(const QDateTime &value);
    void on_m_pushButtonProgram_clicked();
    void on_m_radioButtonPrgStartWait_clicked(bool checked);
    void on_m_dateTimeEditPrgStartWait_editingFinished();
    void on_m_lineEditLoggerMaxTrip_textChanged(const QString &text);
    void on_m_pushButtonFactoryInit_clicked();

    // alarm tabs
    void on_m_tabWidgetAlarm_currentChanged(int index);
    void on_m_checkBoxLoggerAlarmHighHigh_clicked(bool checked);
    void on_m_checkBoxLoggerAlarmHigh_clicked(bool checked);
    void on_m_checkBoxLoggerAlarmLow_clicked(bool checked);
    void on_m_checkBoxLoggerAlarmLowLow_clicked(bool checked);
    void on_m_checkBoxLoggerAlarmHighHighHum_clicked(bool checked);
    void on_m_checkBoxLoggerAlarmHighHum_clicked(bool checked);
    void on_m_checkBoxLoggerAlarmLowHum_clicked(bool checked);
    void on_m_checkBoxLoggerAlarmLowLowHum_clicked(bool checked);
    void on_m_checkBoxLoggerAlarmHighHighExt_clicked(bool checked);
    void on_m_checkBoxLoggerAlarmHighExt_clicked(bool checked);
    void on_m_checkBoxLoggerAlarmLowExt_clicked(bool checked);
    void on_m_checkBoxLoggerAlarmLowLowExt_clicked(bool checked);
    void on_m_checkBoxLoggerAlarmSensorEnableIntTemp_clicked(bool checked);
    void on_m_checkBoxLoggerAlarmSensorEnableIntHum_clicked(bool checked);
    void on_m_checkBoxLoggerAlarmSensorEnableExtTemp_clicked(bool checked);
    void on_m_lineEditLoggerHighHigh_editingFinished();
    void on_m_lineEditLoggerHigh_editingFinished();
    void on_m_lineEditLoggerLow_editingFinished();
    void on_m_lineEditLoggerLowLow_editingFinished();
    void on_m_lineEditLoggerHighHighHum_editingFinished();
    void on_m_lineEditLoggerHighHum_editingFinished();
    void on_m_lineEditLoggerLowHum_editingFinished();
    void on_m_lineEditLoggerLowLowHum_editingFinished();
    void on_m_lineEditLoggerHighHighExt_editingFinished();
    void on_m_lineEditLoggerHighExt_editingFinished();
    void on_m_lineEditLoggerLowExt_editingFinished();
    void on_m_lineEditLoggerLowLowExt_editingFinished();
    void on_m_lineEditLoggerConsecutiveAlarmDelay_textChanged(const QString &text);
    void on_m_lineEditLoggerConsecutiveAlarmDelayHum_textChanged(const QString &text);
    void on_m_lineEditLoggerConsecutiveAlarmDelayExt_textChanged(const QString &text);
    void on_m_lineEditLoggerTotalAlarmDelay_textChanged(const QString &text);
    void on_m_lineEditLoggerTotalAlarmDelayHum_textChanged(const QString &text);
    void on_m_lineEditLoggerTotalAlarmDelayExt_textChanged(const QString &text);
    void on_m_lineEditLoggerTotalAlarmDelay_editingFinished();

    // graph and user-administration pages
    void on_m_lineEditComment_textChanged(const QString &text);
    void on_m_lineEditComment_editingFinished();
    void on_m_listWidgetUserAdminList_itemSelectionChanged();
    void on_m_listWidgetUserAdminList_doubleClicked(const QModelIndex &index);
    void on_m_pushButtonUserAdminNew_clicked();
    void on_m_pushButtonUserAdminRemove_clicked();
    void on_m_pushButtonUserAdminAddAuditMessage_clicked();
    void on_m_lineEditUserAdminUserName_editingFinished();
    void on_m_lineEditUserAdminFirstName_editingFinished();
    void on_m_lineEditUserAdminLastName_editingFinished();
    void on_m_lineEditUserAdminPassword2_editingFinished();
    void on_m_lineEditUserAdminTimeOut_editingFinished();
    void on_m_lineEditUserAdminPassword_editingFinished();
    void on_m_lineEditUserAdminPassword_textChanged(const QString &text);
    void on_m_dateTimeEditUserAdminPassExp_dateTimeChanged(const QDateTime &value);
    void on_m_dateEditUserAdminDate_dateTimeChanged(const QDateTime &value);
    void on_m_checkBoxUserAdminAccessAdmin_clicked(bool checked);
    void on_m_checkBoxUserAdminAccessViewer_clicked(bool checked);
    void on_m_checkBoxUserAdminAccessDownload_clicked(bool checked);
    void on_m_checkBoxUserAdminAccessConfigure_clicked(bool checked);
    void on_m_radioButtonUserAdminActiveYes_clicked();
    void on_m_radioButtonUserAdminActiveNo_clicked();
    void on_m_radioButtonUserAdminUnlockUser_clicked();
    void on_m_radioButtonUserAdminUnlockAdmin_clicked();
    void on_m_comboBoxUserAdminEmployeeNb_currentIndexChanged(const QString &text);
    void on_m_spinBoxUserAdminPassDuration_valueChanged(int value);
    void on_m_plainTextEditUserAdminMessage_textChanged();

    // admin and production pages
    void on_m_pushButtonStartInit_clicked();
    void on_m_pushButtonFullInit_clicked();
    void on_m_comboBoxAdminJigCom_currentIndexChanged(const QString &text);
    void on_m_pushButtonAdminRefreshCommJig_clicked();
    void on_m_pushButtonAdminTestJig_clicked();
    void on_m_pushButtonAdminTestPushDB_clicked();
    void on_m_lineEditAdminTesterName_textChanged(const QString &text);
    void on_m_pushButtonAdminReadIntTable_clicked();
    void on_m_pushButtonAdminWriteIntTable_clicked();
    void on_m_pushButtonAdminLoadIntTable_clicked();
    void on_m_pushButtonAdminReadExtTable_clicked();
    void on_m_pushButtonAdminWriteExtTable_clicked();
    void on_m_pushButtonAdminLoadExtTable_clicked();
    void on_m_lineEditAdminIntCalFile_editingFinished();
    void on_m_lineEditAdminExtCalFile_editingFinished();
    void on_m_lineEditAdminTemplate_editingFinished();
    void on_m_lineEditAdminDefaultPath_editingFinished();
    void on_m_pushButtonAdminTemplate_clicked();
    void on_m_pushButtonAdminDefaultPath_clicked();
    void on_m_lineEditProdPath_editingFinished();
    void on_m_lineEditProdUser_editingFinished();
    void on_m_lineEditProdCustomer_editingFinished();
    void on_m_lineEditProdOrder_editingFinished();
    void on_m_pushButtonProdPath_clicked();

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    // A double-click over the graph or the histogram copies its image.
    void mousePressEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

    // ---- context help, update check and about box ------------------------
private:
    // Shows the help page of the logger-page field under the mouse.
    void serveContextHelp();
    // A fresh update check; shown lists its progress, hidden asks only its
    // questions.
    void startUpdateCheck(bool shown);
    CUpdate *updateCheck = nullptr;
    // ---- end of context help, update check and about box ----------------

private:
    struct Rights {
        bool admin = false;
        bool configure = false;
        bool download = false;
        bool view = false;
    };
    Rights currentRights() const;
    // A viewer sees the data of files; a download's data is for a user who
    // may download. dataFromFiles: what is shown was read from files.
    static bool seesData(const Rights &rights, bool dataFromFiles);
    // The row at row and the selection were read from data files.
    bool shownDataFromFiles(int row) const;
    // A user who may only configure loggers writes no readings anywhere, and
    // a viewer none of a download: Save, Save As and the exit's offer to
    // save follow this.
    static bool savingRefused(const Rights &rights, bool dataFromFiles);
    // The rights stage of computeActionStates: closableAsFile and
    // downloadable say what the row allows whatever the rights.
    static void applyRights(const ActionInputs &in, ActionStates &s, bool closableAsFile,
                            bool downloadable);
    static bool passwordWithheld(const ActionInputs &in);
    static bool downloadWithheld(const ActionInputs &in);
    // set while a timer slot runs: what it does on its own is no user activity
    bool servingTimer = false;

    // The inactivity countdown restarts on what the user does, never on a
    // timer tick; otherwise the automatic logout could never fire.
    void restartInactivityCountdown() override;
    // audit line of a user action, written while somebody is logged in
    void auditUserAction(const QString &text) override;
    // what the programming classes reach of the window
    WindowState &state() override { return *this; }
    CMainApp *core() const override { return app; }
    QWidget *promptParent() override { return this; }
    void reemitProgram() override { emit program(); }
    QProgressBar *writeProgressBar() override;
    ProductionWidgets productionWidgets() override;
    bool validRow(int row) const;
    QList<quint64> chosenRecordIds() const;
    void keepChosenRecords(const QList<quint64> &chosen);
    LoggerRecord *recordAt(int row) override;
    LoggerRecord *currentLoggerRecord();
    void retitleFromLabelTable();
    void showPagesForMode();
    void fillAlarmFields(const LoggerRecord &record);
    void fillSettingsFields(const LoggerRecord &record);
    void setSettingsTextsAside();
    void removeRecord(int index);
    bool saveRecordAs(int row);
    // The answer to "save before closing?" for a record whose readings were
    // never saved: NotSaved when a save was asked for and did not happen.
    // Saved, not to be saved (No), not saved after all (its chooser
    // cancelled, its write failed), or the closing given up (Cancel, or the
    // box closed without an answer).
    enum class UnsavedOutcome { Saved, Declined, NotSaved, Cancelled };
    UnsavedOutcome offerUnsavedReadings(const LoggerRecord &record, const QString &question);
    QString closingRowQuestion(const LoggerRecord &record) const;
    QString keptUnsavedText(const LoggerRecord &record) const;
    QString neverSavedText(const LoggerRecord &record) const;
    // Closes the file record at row; one holding readings never saved is
    // offered first and stays when its save does not happen.
    bool closeFileRecord(int row);
    void closeAllFileRecords();
    void closeSettledFileRecords(const QSet<quint64> &answeredTrips, int beforeRow);
    // Whether the answer stands for the trip asked about, or the trip is to
    // be asked about again should it be unsaved once more.
    bool answeredFor(UnsavedOutcome outcome, const LoggerRecord &asked) const;
    bool writeDataFileFor(int row, const QString &path);
    // Save of a row into the file it read or wrote, which is asked for
    // first when it changed since.
    bool saveIntoOwnFile(int row);
    QString keepRowOfChangedFile(int row);
    // One box for every file of a load that was not opened.
    void tellFilesNotOpened(const QStringList &refusals, int chosen);
    // every file written, by hand or by the steps after a download, with the
    // trip it holds
    void auditSavedFile(const LoggerRecord &record, const QString &path);
    QString startPageAddress() const;
    void disableUnservedFields();
    void placeLoggerPanels();
    void fitLoggerPanelsWidth();
    void rebuildViews(int row);
    void fillReadingsTableSoon();
    // set by a rebuild until the readings table holds its selection
    bool readingsTablePending = false;
    // The records the readings table shows, by id: rows move when a record
    // before them goes, and another record may then stand at the same row.
    QList<quint64> readingsTableRecords;
    QList<quint64> recordIdsOf(const QList<int> &rows) const;
    void runAutomaticSteps(int row);
    // the row of the record after the export's warning, -1 when it went;
    // an export no name was found for is added to unnamed
    int exportAutomatically(int row, const QString &extension, QStringList &unnamed);
    // reason, when known, follows the text users know
    QString notWrittenText(const QString &path, const QString &reason = QString()) const;
    // Why no counted name could be given to the files listed ("the PDF
    // report"): no data folder, or no counter left.
    QString noFreeNameText(const QStringList &files) const;
    void warnNotWritten(const QString &path, const QString &reason);
    int rowOfRecord(const LoggerRecord &record) const override;
    int rowOfRecordId(quint64 recordId) const;
    QHash<QString, quint64> openFileRecords() const;
    quint64 openDataFile(const QString &path, QHash<QString, quint64> &openFiles, QStringList &refusals);
    // The row that holds the trip record held when a modal dialog opened:
    // its own while it holds it still, else the row the trip was set apart
    // into when the logger's next trip came meanwhile; -1 when in none.
    int rowOfTrip(const LoggerRecord &record) const;
    int rowOfTrip(quint64 recordId, quint64 tripId) const;
    bool loggerBusy(int row) const;
    // What keeps the current row's logger from being downloaded now; ""
    // when nothing.
    QString downloadRefusal() const;
    static QString noRowText();
    // The current row's record; null after telling the user that no row is
    // current (or that its record holds no readings).
    const LoggerRecord *currentRecordOrSay();
    const LoggerRecord *currentRecordWithReadingsOrSay();
    // Every box shown from a timer step that holds a row goes through it.
    int warnKeepingRow(int row, const QString &text);
    // Where file dialogs open: the data path, or home until one is set.
    QString dialogStartDirectory() const;
    bool writeTextExport(const QString &path, int selectedCount, QString *error);
    bool exportReadings(int row, const QString &path);
    bool saveReportAs(int row, const QString &path);
    void replaceGraph(int row);
    void requestMemoryImage(const LoggerRecord &record);
    void fillSummaryTable();
    void clearViews();
    void showRecordComment();
    void storeEditedComment();
    quint64 commentRecordId = 0;   // the record whose comment the graph page's field shows
    quint64 commentTripId = 0;     // and the trip of it shown there
    void clearProgramPage();
    void clearProgramFields();
    void dropViews();
    void emptyTable(QTableWidget *table);
    void showHomeWhenEmpty();

    // ---- report ----
    friend class CPrint;   // finds the printed record's row through rowOfRecord
    int generatePdfAutomatically(int row, QStringList &unnamed);
    void showReportProgress(int page, int pageCount);

    // graph and histogram views, image copies
    void placeView(QWidget *page, QHBoxLayout *&layout, QWidget *previous, QWidget *view);
    void replaceHistogram(int row);
    // options dialog
    void runOptionsDialog();
    void openOptionsAtFirstStart();
    // ---- user administration: login, logout and the user page
    void fitUserPage();
    int selectedUserIndex() const;
    int editedUserIndex();
    bool renewPasswordIfDue(int index);
    void completeLogin(int index);
    void serveLogout();
    void dropEditsInProgress();
    bool sessionTakesEdits() const;
    bool keepUnsavedTripsAtLogin();
    void closeFilesAtLogout();
    void releaseLoggersAtLogout();
    void saveUserStore();
    void warnUserStoreNotSaved();
    // An applied edit stores the expiry edit's moment only once the
    // administrator changed it: the edit holds a stand-in for a user without
    // an expiry, and no other field's edit may move a user's expiry.
    bool expiryEditedOnPage = false;
    void showExpiryOf(const UserRecord &user);
    QVector<QPair<QAbstractButton *, quint16>> rightsWidgets() const;
    quint16 rightsFromPage() const;
    void applyNameEdit(QLineEdit *field, QString UserRecord::*name, const QString &change);
    // A rights check box, its bit and its name in the trail.
    struct RightBox {
        QCheckBox *box;
        quint16 bit;
        QString name;
    };
    QVector<RightBox> rightBoxes() const;
    void applyRightClick(QCheckBox *box, bool checked);
    bool passwordFieldsDisagree() const;
    QString passwordChangedOnPage(int index) const;
    bool editRefusedForPasswords();
    void applyActiveClick(QRadioButton *clicked, QRadioButton *other);
    void applyUnlockClick(QRadioButton *clicked, QRadioButton *other);
    QString chooseUserDirFolder(const QString &auditText, const QString &caption);
    void showRestoredUsers();
    bool copyViewUnder(QWidget *view, const QPoint &globalPosition);
    static QPixmap pictureOf(QWidget *view);

    // ---- e-mail of records and the send-report dialog ----
    void startEmailOf(int row);
    void mailAutomatically(int row);
    void serveReportRequest();
    bool writeReadingsExport(int row, const QString &path, QString *error);
    bool withViewsOf(int row, const std::function<bool()> &write);
    // The graph and the histogram shown are those of the row's record alone.
    bool showsViewsOf(int row) const;
    bool writePicture(QWidget *view, const QString &path, const QString &notWritten, QString *error);
    // The PDF report of a record; false with the reason in error.
    bool writeReportPdf(const LoggerRecord &record, const QString &path, QString *error);
    // ---- programming page and production ---------------------------------
    void serveShowRecordRequest();
    void serveTemplateCheck();
    void serveCalibrationTables();
    void showLoggerClock();
    void askLoggerPasswordIfNeeded();
    void openLoggerPasswordField();
    // null: no logger is selected, and the field shows nothing
    void showTypedLoggerPassword(const LoggerRecord *record);
    // The logout takes away what the leaving user gave the loggers and the
    // texts they typed for them on the Program page.
    void forgetLoggerSessionAtLogout();
    void fillProgramPanel(const LoggerRecord &record);
    void showProgramSummary(const LoggerRecord &record);
    void showLoggerFacts(const LoggerRecord &record);
    void enableAlarmTabs(const LoggerRecord &record);
    void retitleAlarmTabs(const LoggerRecord &record);
    void readAlarmTabs(LoggerRecord &record);
    void readProgramPanel(LoggerRecord &record);
    void storeDelay(QLineEdit *field, int group, bool consecutive, const QString &text);
    void onSensorClicked(quint32 bit, bool checked);
    void setPasswordAccess(quint32 bit, bool checked, QCheckBox *other);
    void onLevelClicked();
    void onLimitEdited();
    void recalcAfterSensorsOrInterval(int row);
    void showDurationUserDefined();
    // The description follows the lock and the Lock Description option.
    void applyDescriptionLock();
    // Why the template of templateFileName cannot go onto record ("" when
    // it can); applied then holds the record as the template leaves it.
    QString templateRefusal(const LoggerRecord &record, LoggerRecord &applied) const;
    // The bar is the current row's: another logger's download goes on unseen.
    void showDownloadProgress(int row);
    // Each download that failed or was cut goes into the trail, in the name
    // of the user who asked for it, then into a box naming its logger.
    void serveFailedDownloads();
    void auditFailedDownload(const QString &serial);
    // A logout cuts the downloads under way: their lines come before it.
    void endDownloadsAtLogout();
    void warnOutOfRange(const QString &what, qint64 low, qint64 high);
    QDateTime loggerNow() const override;
    void takeLockedCopies();
    quint32 shownClockSeconds = 0;
    // whose texts the settings fields show, and what was typed for others
    SettingsTexts settingsTexts;
};
