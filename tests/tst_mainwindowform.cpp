#include "support/testenv.h"

#include "ui_mainwindow.h"

#include <QMainWindow>
#include <QMetaProperty>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabBar>

// The main window's form built on a bare QMainWindow: the window's code reaches
// every widget through these names and binds its slots by them, so names,
// classes, order and start-up state are what must not drift.

namespace {

struct NamedClass
{
    const char *name;
    const char *className;
};

// Every object the form creates, in creation order.
const NamedClass kObjects[] = {
        {"m_actionLoad", "QAction"},
        {"m_actionSave", "QAction"},
        {"m_actionSaveAs", "QAction"},
        {"m_actionOptions", "QAction"},
        {"m_actionAbout", "QAction"},
        {"m_actionExit", "QAction"},
        {"m_actionDownload", "QAction"},
        {"m_actionAutoScan", "QAction"},
        {"m_actionProgram", "QAction"},
        {"m_actionPrint", "QAction"},
        {"m_actionSaveProgramTemplate", "QAction"},
        {"m_actionLoadTemplateProgram", "QAction"},
        {"m_actionCloseSelectedFile", "QAction"},
        {"m_actionGeneratPdf", "QAction"},
        {"m_actionCheckForUpdate", "QAction"},
        {"m_actionCloseAllFiles", "QAction"},
        {"m_actionLock", "QAction"},
        {"m_actionPrintPreview", "QAction"},
        {"m_actionPrintPrint", "QAction"},
        {"m_actionLogout", "QAction"},
        {"actionLogout", "QAction"},
        {"m_actionBackup", "QAction"},
        {"m_actionRestore", "QAction"},
        {"m_actionSend_Report", "QAction"},
        {"m_actionSendByEmail", "QAction"},
        {"m_actionSendByFtp", "QAction"},
        {"m_actionEEpromRead", "QAction"},
        {"m_actionEEpromWrite", "QAction"},
        {"m_actionDisconnect_Logger", "QAction"},
        {"centralWidget", "QWidget"},
        {"gridLayout_32", "QGridLayout"},
        {"gridLayout_16", "QGridLayout"},
        {"m_labelMainList", "QLabel"},
        {"m_tableWidgetLogger", "QTableWidget"},
        {"m_progressBarWrite", "QProgressBar"},
        {"m_tabWidget", "QTabWidget"},
        {"m_tabHome", "QWidget"},
        {"gridLayout_35", "QGridLayout"},
        {"m_webView", "QWebView"},
        {"m_tabLogger", "QWidget"},
        {"gridLayout_2", "QGridLayout"},
        {"m_textBrowserHelp", "QTextBrowser"},
        {"m_plainTextEditInfo", "QPlainTextEdit"},
        {"m_widgetPrg", "QWidget"},
        {"m_groupBoxSettings", "QGroupBox"},
        {"gridLayout_13", "QGridLayout"},
        {"m_labelFirmwareVersion", "QLabel"},
        {"gridLayout_17", "QGridLayout"},
        {"m_labelMainPrgPassRW", "QLabel"},
        {"m_lineEditLoggerPassword", "QLineEdit"},
        {"gridLayout_36", "QGridLayout"},
        {"m_checkBoxLoggerAllowRead", "QCheckBox"},
        {"m_checkBoxLoggerAllowWrite", "QCheckBox"},
        {"gridLayout_3", "QGridLayout"},
        {"m_labelMainPrgSerial", "QLabel"},
        {"m_lineEditLoggerSerial", "QLineEdit"},
        {"gridLayout_6", "QGridLayout"},
        {"m_labelMainPrgMemSize", "QLabel"},
        {"m_lineEditLoggerMemSize", "QLineEdit"},
        {"gridLayout_4", "QGridLayout"},
        {"m_labelMainPrgProduct", "QLabel"},
        {"m_lineEditLoggerProduct", "QLineEdit"},
        {"gridLayout_7", "QGridLayout"},
        {"m_labelMainPrgTrip", "QLabel"},
        {"m_lineEditLoggerNbTrip", "QLineEdit"},
        {"m_labelLoggerTime", "QLabel"},
        {"m_pushButtonLoggerReadTime", "QPushButton"},
        {"m_pushButtonLoggerSyncTime", "QPushButton"},
        {"m_gridLayoutRange", "QGridLayout"},
        {"m_labelRange", "QLabel"},
        {"m_lineEditLoggerRange", "QLineEdit"},
        {"gridLayout_8", "QGridLayout"},
        {"m_labelMainPrgDescription", "QLabel"},
        {"m_lineEditLoggerDescription", "QLineEdit"},
        {"m_groupBoxProgram", "QGroupBox"},
        {"gridLayout_10", "QGridLayout"},
        {"gridLayout_24", "QGridLayout"},
        {"m_radioButtonPrgStopReading", "QRadioButton"},
        {"m_lineEditPrgStopReading", "QLineEdit"},
        {"m_pushButtonPrgStopAfterMax", "QPushButton"},
        {"m_labelPrgStopReading", "QLabel"},
        {"gridLayout_5", "QGridLayout"},
        {"m_radioButtonPrgStopContinue", "QRadioButton"},
        {"m_radioButtonPrgAutoRestartEnable", "QRadioButton"},
        {"m_radioButtonPrgStopButonEnable", "QRadioButton"},
        {"gridLayout_26", "QGridLayout"},
        {"m_labelMainPrgDurationOfTrip", "QLabel"},
        {"m_comboBoxPrgDuration", "QComboBox"},
        {"m_labelPrgDuration", "QLabel"},
        {"gridLayout_27", "QGridLayout"},
        {"m_labelMainPrgMemoryProgressBar", "QLabel"},
        {"m_progressBarMem", "QProgressBar"},
        {"gridLayout_15", "QGridLayout"},
        {"m_labelMainPrgInterval", "QLabel"},
        {"m_dateTimeEditPrgInterval", "QDateTimeEdit"},
        {"gridLayout_22", "QGridLayout"},
        {"m_radioButtonPrgStartAt", "QRadioButton"},
        {"m_dateTimeEditPrgStartAt", "QDateTimeEdit"},
        {"line", "QFrame"},
        {"m_labelMainPrgStart", "QLabel"},
        {"m_labelMainPrgStop", "QLabel"},
        {"m_labelBattery", "QLabel"},
        {"m_pushButtonPrgStartNow", "QPushButton"},
        {"m_checkBoxLoggerShowAlarm", "QCheckBox"},
        {"m_checkBoxLoggerShowTemp", "QCheckBox"},
        {"gridLayout_25", "QGridLayout"},
        {"m_radioButtonPrgStopAt", "QRadioButton"},
        {"m_dateTimeEditPrgStopAt", "QDateTimeEdit"},
        {"m_pushButtonProgram", "QPushButton"},
        {"gridLayout_20", "QGridLayout"},
        {"m_radioButtonPrgStartWait", "QRadioButton"},
        {"m_dateTimeEditPrgStartWait", "QDateTimeEdit"},
        {"m_groupBoxAdmin", "QGroupBox"},
        {"horizontalLayout", "QHBoxLayout"},
        {"gridLayout_12", "QGridLayout"},
        {"label_8", "QLabel"},
        {"m_lineEditLoggerMaxTrip", "QLineEdit"},
        {"m_radioButtonHardwareTest", "QRadioButton"},
        {"m_pushButtonFactoryInit", "QPushButton"},
        {"m_tabWidgetAlarm", "QTabWidget"},
        {"m_tabAlarmInt", "QWidget"},
        {"gridLayout_47", "QGridLayout"},
        {"m_gridLayoutIntTempHH", "QGridLayout"},
        {"m_labelAlarmHighHigh", "QLabel"},
        {"m_lineEditLoggerHighHigh", "QLineEdit"},
        {"m_checkBoxLoggerAlarmHighHigh", "QCheckBox"},
        {"m_checkBoxLoggerAlarmSensorEnableIntTemp", "QCheckBox"},
        {"m_gridLayoutIntTempH", "QGridLayout"},
        {"m_labelAlarmHigh", "QLabel"},
        {"m_lineEditLoggerHigh", "QLineEdit"},
        {"m_checkBoxLoggerAlarmHigh", "QCheckBox"},
        {"m_gridLayoutIntTempConDelay", "QGridLayout"},
        {"m_lineEditLoggerConsecutiveAlarmDelay", "QLineEdit"},
        {"m_labelAlarmConDelay", "QLabel"},
        {"m_gridLayoutIntTempL", "QGridLayout"},
        {"m_labelAlarmLow", "QLabel"},
        {"m_lineEditLoggerLow", "QLineEdit"},
        {"m_checkBoxLoggerAlarmLow", "QCheckBox"},
        {"m_gridLayoutIntTempTotDelay", "QGridLayout"},
        {"m_lineEditLoggerTotalAlarmDelay", "QLineEdit"},
        {"m_labelAlarmTotDelay", "QLabel"},
        {"m_gridLayoutIntTempLL", "QGridLayout"},
        {"m_labelAlarmLowLow", "QLabel"},
        {"m_lineEditLoggerLowLow", "QLineEdit"},
        {"m_checkBoxLoggerAlarmLowLow", "QCheckBox"},
        {"m_tabAlarmIntHum", "QWidget"},
        {"gridLayout_48", "QGridLayout"},
        {"m_gridLayoutIntHumHH", "QGridLayout"},
        {"m_labelAlarmHighHighHum", "QLabel"},
        {"m_lineEditLoggerHighHighHum", "QLineEdit"},
        {"m_checkBoxLoggerAlarmHighHighHum", "QCheckBox"},
        {"m_checkBoxLoggerAlarmSensorEnableIntHum", "QCheckBox"},
        {"m_gridLayoutIntHumH", "QGridLayout"},
        {"m_labelAlarmHighHum", "QLabel"},
        {"m_lineEditLoggerHighHum", "QLineEdit"},
        {"m_checkBoxLoggerAlarmHighHum", "QCheckBox"},
        {"m_gridLayoutIntHumConDelay", "QGridLayout"},
        {"m_lineEditLoggerConsecutiveAlarmDelayHum", "QLineEdit"},
        {"m_labelAlarmConDelayHum", "QLabel"},
        {"m_gridLayoutIntHumL", "QGridLayout"},
        {"m_labelAlarmLowHum", "QLabel"},
        {"m_lineEditLoggerLowHum", "QLineEdit"},
        {"m_checkBoxLoggerAlarmLowHum", "QCheckBox"},
        {"m_gridLayoutIntHumTotDelay", "QGridLayout"},
        {"m_lineEditLoggerTotalAlarmDelayHum", "QLineEdit"},
        {"m_labelAlarmTotoDelayHim", "QLabel"},
        {"m_gridLayoutIntHumLL", "QGridLayout"},
        {"m_labelAlarmLowLowHum", "QLabel"},
        {"m_lineEditLoggerLowLowHum", "QLineEdit"},
        {"m_checkBoxLoggerAlarmLowLowHum", "QCheckBox"},
        {"m_tabAlarmExtNtc", "QWidget"},
        {"gridLayout_23", "QGridLayout"},
        {"m_gridLayoutExtTempHH", "QGridLayout"},
        {"m_labelAlarmHighHighExt", "QLabel"},
        {"m_lineEditLoggerHighHighExt", "QLineEdit"},
        {"m_checkBoxLoggerAlarmHighHighExt", "QCheckBox"},
        {"m_checkBoxLoggerAlarmSensorEnableExtTemp", "QCheckBox"},
        {"m_gridLayoutExtTempH", "QGridLayout"},
        {"m_labelAlarmHighExt", "QLabel"},
        {"m_lineEditLoggerHighExt", "QLineEdit"},
        {"m_checkBoxLoggerAlarmHighExt", "QCheckBox"},
        {"m_gridLayoutExtTempConDelay", "QGridLayout"},
        {"m_lineEditLoggerConsecutiveAlarmDelayExt", "QLineEdit"},
        {"m_labelAlarmConDelayExt", "QLabel"},
        {"m_gridLayoutExtTempL", "QGridLayout"},
        {"m_labelAlarmLowExt", "QLabel"},
        {"m_lineEditLoggerLowExt", "QLineEdit"},
        {"m_checkBoxLoggerAlarmLowExt", "QCheckBox"},
        {"m_gridLayoutExtTempTotDelay", "QGridLayout"},
        {"m_lineEditLoggerTotalAlarmDelayExt", "QLineEdit"},
        {"m_labelAlarmTotDelayExt", "QLabel"},
        {"m_gridLayoutExtTempLL", "QGridLayout"},
        {"m_labelAlarmLowLowExt", "QLabel"},
        {"m_lineEditLoggerLowLowExt", "QLineEdit"},
        {"m_checkBoxLoggerAlarmLowLowExt", "QCheckBox"},
        {"m_tabGraph", "QWidget"},
        {"gridLayout_34", "QGridLayout"},
        {"m_widgetGraph", "QWidget"},
        {"m_lineEditComment", "QLineEdit"},
        {"m_progressBarGraph", "QProgressBar"},
        {"m_tabHistogram", "QWidget"},
        {"gridLayout_21", "QGridLayout"},
        {"m_widgetHistogram", "QWidget"},
        {"m_tabTable", "QWidget"},
        {"gridLayout_9", "QGridLayout"},
        {"m_tableWidgetTable", "QTableWidget"},
        {"m_tabSummary", "QWidget"},
        {"gridLayout", "QGridLayout"},
        {"m_tableWidgetTableSummary", "QTableWidget"},
        {"m_tabUserAdmin", "QWidget"},
        {"gridLayout_28", "QGridLayout"},
        {"groupBox_2", "QGroupBox"},
        {"gridLayout_81", "QGridLayout"},
        {"gridLayout_19", "QGridLayout"},
        {"m_pushButtonUserAdminNew", "QPushButton"},
        {"m_pushButtonUserAdminRemove", "QPushButton"},
        {"m_listWidgetUserAdminList", "QListWidget"},
        {"gridLayout_79", "QGridLayout"},
        {"label", "QLabel"},
        {"m_lineEditUserAdminUserName", "QLineEdit"},
        {"label_2", "QLabel"},
        {"m_lineEditUserAdminFirstName", "QLineEdit"},
        {"label_3", "QLabel"},
        {"m_lineEditUserAdminLastName", "QLineEdit"},
        {"label_4", "QLabel"},
        {"m_lineEditUserAdminPassword", "QLineEdit"},
        {"label_5", "QLabel"},
        {"m_lineEditUserAdminPassword2", "QLineEdit"},
        {"label_6", "QLabel"},
        {"m_labelUserAdminPassExp", "QLabel"},
        {"m_dateTimeEditUserAdminPassExp", "QDateTimeEdit"},
        {"label_12", "QLabel"},
        {"m_checkBoxUserAdminAccessAdmin", "QCheckBox"},
        {"m_checkBoxUserAdminAccessViewer", "QCheckBox"},
        {"m_checkBoxUserAdminAccessDownload", "QCheckBox"},
        {"m_checkBoxUserAdminAccessConfigure", "QCheckBox"},
        {"label_10", "QLabel"},
        {"m_radioButtonUserAdminActiveYes", "QRadioButton"},
        {"m_radioButtonUserAdminActiveNo", "QRadioButton"},
        {"m_comboBoxUserAdminEmployeeNb", "QComboBox"},
        {"label_13", "QLabel"},
        {"m_spinBoxUserAdminPassDuration", "QSpinBox"},
        {"gridLayout_80", "QGridLayout"},
        {"m_labelUAUnlock", "QLabel"},
        {"m_radioButtonUserAdminUnlockUser", "QRadioButton"},
        {"m_radioButtonUserAdminUnlockAdmin", "QRadioButton"},
        {"groupBox_3", "QGroupBox"},
        {"gridLayout_18", "QGridLayout"},
        {"horizontalLayout_2", "QHBoxLayout"},
        {"label_16", "QLabel"},
        {"m_dateEditUserAdminDate", "QDateEdit"},
        {"m_plainTextEditUserAdminAudit", "QPlainTextEdit"},
        {"groupBox_4", "QGroupBox"},
        {"gridLayout_14", "QGridLayout"},
        {"horizontalLayout_3", "QHBoxLayout"},
        {"label_19", "QLabel"},
        {"m_lineEditUserAdminTimeOut", "QLineEdit"},
        {"label_20", "QLabel"},
        {"m_plainTextEditUserAdminMessage", "QPlainTextEdit"},
        {"m_pushButtonUserAdminAddAuditMessage", "QPushButton"},
        {"m_tabAdmin", "QWidget"},
        {"gridLayout_11", "QGridLayout"},
        {"m_listWidgetAdminInfo", "QListWidget"},
        {"gridLayout_41", "QGridLayout"},
        {"label_21", "QLabel"},
        {"m_lineEditAdminSerial", "QLineEdit"},
        {"m_pushButtonStartInit", "QPushButton"},
        {"m_pushButtonFullInit", "QPushButton"},
        {"gridLayout_42", "QGridLayout"},
        {"label_22", "QLabel"},
        {"m_comboBoxAdminJigCom", "QComboBox"},
        {"m_pushButtonAdminRefreshCommJig", "QPushButton"},
        {"m_pushButtonAdminTestJig", "QPushButton"},
        {"m_pushButtonAdminTestPushDB", "QPushButton"},
        {"gridLayout_43", "QGridLayout"},
        {"label_23", "QLabel"},
        {"m_lineEditAdminTesterName", "QLineEdit"},
        {"m_checkBoxAdminAuto", "QCheckBox"},
        {"groupBox", "QGroupBox"},
        {"gridLayout_39", "QGridLayout"},
        {"gridLayout_30", "QGridLayout"},
        {"label_9", "QLabel"},
        {"m_listWidgetAdminIntTable", "QListWidget"},
        {"m_pushButtonAdminReadIntTable", "QPushButton"},
        {"m_pushButtonAdminWriteIntTable", "QPushButton"},
        {"gridLayout_29", "QGridLayout"},
        {"label_17", "QLabel"},
        {"m_lineEditAdminIntCalFile", "QLineEdit"},
        {"m_pushButtonAdminLoadIntTable", "QToolButton"},
        {"gridLayout_31", "QGridLayout"},
        {"label_11", "QLabel"},
        {"m_listWidgetAdminExtTable", "QListWidget"},
        {"m_pushButtonAdminReadExtTable", "QPushButton"},
        {"m_pushButtonAdminWriteExtTable", "QPushButton"},
        {"gridLayout_38", "QGridLayout"},
        {"label_15", "QLabel"},
        {"m_lineEditAdminExtCalFile", "QLineEdit"},
        {"m_pushButtonAdminLoadExtTable", "QToolButton"},
        {"verticalLayout_2", "QVBoxLayout"},
        {"gridLayout_40", "QGridLayout"},
        {"label_18", "QLabel"},
        {"m_lineEditAdminTemplate", "QLineEdit"},
        {"m_pushButtonAdminTemplate", "QToolButton"},
        {"gridLayout_37", "QGridLayout"},
        {"label_14", "QLabel"},
        {"m_lineEditAdminDefaultPath", "QLineEdit"},
        {"m_pushButtonAdminDefaultPath", "QToolButton"},
        {"m_checkBoxAdminAutoProgram", "QCheckBox"},
        {"m_tabProduction", "QWidget"},
        {"gridLayout_44", "QGridLayout"},
        {"groupBox_5", "QGroupBox"},
        {"gridLayout_33", "QGridLayout"},
        {"m_checkBoxProdEnable", "QCheckBox"},
        {"horizontalLayout_7", "QHBoxLayout"},
        {"label_7", "QLabel"},
        {"m_lineEditProdPath", "QLineEdit"},
        {"m_pushButtonProdPath", "QPushButton"},
        {"horizontalLayout_8", "QHBoxLayout"},
        {"label_24", "QLabel"},
        {"m_lineEditProdUser", "QLineEdit"},
        {"horizontalLayout_9", "QHBoxLayout"},
        {"label_25", "QLabel"},
        {"m_lineEditProdCustomer", "QLineEdit"},
        {"horizontalLayout_10", "QHBoxLayout"},
        {"label_26", "QLabel"},
        {"m_lineEditProdOrder", "QLineEdit"},
        {"menuBar", "QMenuBar"},
        {"menuFile", "QMenu"},
        {"menuLogger", "QMenu"},
        {"menuHelp", "QMenu"},
        {"statusBar", "QStatusBar"},
        {"m_mainToolBar", "QToolBar"},
};

const char *const kTabOrder[] = {
    "m_lineEditLoggerPassword", "m_checkBoxLoggerAllowRead", "m_checkBoxLoggerAllowWrite",
    "m_lineEditLoggerSerial", "m_lineEditLoggerProduct", "m_pushButtonLoggerReadTime",
    "m_pushButtonLoggerSyncTime", "m_lineEditLoggerDescription", "m_lineEditLoggerMemSize",
    "m_lineEditLoggerNbTrip", "m_lineEditLoggerRange", "m_tabWidgetAlarm", "m_lineEditLoggerHighHigh",
    "m_lineEditLoggerHigh", "m_lineEditLoggerLow", "m_lineEditLoggerLowLow", "m_checkBoxLoggerAlarmHighHigh",
    "m_checkBoxLoggerAlarmHigh", "m_checkBoxLoggerAlarmLow", "m_checkBoxLoggerAlarmLowLow",
    "m_checkBoxLoggerAlarmSensorEnableIntTemp", "m_lineEditLoggerConsecutiveAlarmDelay",
    "m_lineEditLoggerTotalAlarmDelay", "m_lineEditLoggerHighHighHum", "m_lineEditLoggerHighHum",
    "m_lineEditLoggerLowHum", "m_lineEditLoggerLowLowHum", "m_checkBoxLoggerAlarmHighHighHum",
    "m_checkBoxLoggerAlarmHighHum", "m_checkBoxLoggerAlarmLowHum", "m_checkBoxLoggerAlarmLowLowHum",
    "m_checkBoxLoggerAlarmSensorEnableIntHum", "m_lineEditLoggerConsecutiveAlarmDelayHum",
    "m_lineEditLoggerTotalAlarmDelayHum", "m_lineEditLoggerHighHighExt", "m_lineEditLoggerHighExt",
    "m_lineEditLoggerLowExt", "m_lineEditLoggerLowLowExt", "m_checkBoxLoggerAlarmHighHighExt",
    "m_checkBoxLoggerAlarmHighExt", "m_checkBoxLoggerAlarmLowExt", "m_checkBoxLoggerAlarmLowLowExt",
    "m_checkBoxLoggerAlarmSensorEnableExtTemp", "m_lineEditLoggerConsecutiveAlarmDelayExt",
    "m_lineEditLoggerTotalAlarmDelayExt", "m_dateTimeEditPrgInterval", "m_radioButtonPrgStartAt",
    "m_dateTimeEditPrgStartAt", "m_radioButtonPrgStartWait", "m_dateTimeEditPrgStartWait",
    "m_checkBoxLoggerShowAlarm", "m_pushButtonPrgStartNow", "m_checkBoxLoggerShowTemp",
    "m_radioButtonPrgStopAt", "m_dateTimeEditPrgStopAt", "m_radioButtonPrgStopReading",
    "m_lineEditPrgStopReading", "m_pushButtonPrgStopAfterMax", "m_radioButtonPrgStopButonEnable",
    "m_radioButtonPrgStopContinue", "m_radioButtonPrgAutoRestartEnable", "m_comboBoxPrgDuration",
    "m_pushButtonProgram", "m_lineEditLoggerMaxTrip", "m_radioButtonHardwareTest", "m_pushButtonFactoryInit",
    "m_plainTextEditInfo", "m_textBrowserHelp", "m_listWidgetUserAdminList", "m_tableWidgetTableSummary",
    "m_pushButtonAdminLoadIntTable", "m_pushButtonAdminReadExtTable", "m_pushButtonAdminWriteExtTable",
    "m_pushButtonAdminWriteIntTable", "m_listWidgetAdminIntTable", "m_pushButtonAdminReadIntTable",
    "m_listWidgetAdminExtTable", "m_webView", "m_tableWidgetTable", "m_listWidgetAdminInfo",
    "m_lineEditAdminSerial", "m_pushButtonStartInit", "m_pushButtonFullInit", "m_comboBoxAdminJigCom",
    "m_pushButtonAdminRefreshCommJig", "m_pushButtonAdminTestJig", "m_pushButtonAdminTestPushDB",
    "m_lineEditAdminTesterName", "m_checkBoxAdminAuto", "m_lineEditAdminIntCalFile",
    "m_lineEditAdminExtCalFile", "m_pushButtonAdminLoadExtTable", "m_lineEditAdminTemplate",
    "m_pushButtonAdminTemplate", "m_lineEditAdminDefaultPath", "m_pushButtonAdminDefaultPath",
    "m_pushButtonUserAdminRemove", "m_lineEditComment", "m_lineEditUserAdminPassword",
    "m_lineEditUserAdminPassword2", "m_lineEditUserAdminLastName", "m_checkBoxUserAdminAccessViewer",
    "m_radioButtonUserAdminActiveYes", "m_pushButtonUserAdminNew", "m_pushButtonUserAdminAddAuditMessage",
    "m_dateEditUserAdminDate", "m_plainTextEditUserAdminAudit", "m_lineEditUserAdminTimeOut",
    "m_plainTextEditUserAdminMessage", "m_checkBoxUserAdminAccessDownload", "m_radioButtonUserAdminActiveNo",
    "m_radioButtonUserAdminUnlockUser", "m_radioButtonUserAdminUnlockAdmin", "m_tableWidgetLogger",
    "m_tabWidget", "m_lineEditUserAdminUserName", "m_lineEditUserAdminFirstName",
    "m_checkBoxUserAdminAccessAdmin", "m_checkBoxUserAdminAccessConfigure", "m_dateTimeEditUserAdminPassExp",
    "m_spinBoxUserAdminPassDuration", "m_comboBoxUserAdminEmployeeNb", "m_checkBoxAdminAutoProgram",
};

const char *const kPictures[] = {
    "kelpra.png", "folder_download.png", "floppy.png", "control-center.png", "FAQ.png", "kchart.png",
    "Undock.png", "acrord.png", "lock_open.png", "lock_closed.png", "PrintPreview2.png", "printer.png",
    "logout.png", "1385547187_email-send.png", "FullBattery.png", "Ball Blue.png", "Ball Green.png",
    "Ball Red.png", "file_001.ico",
};

struct Form
{
    QMainWindow window;
    Ui_MainWindow ui;
    Form() { ui.setupUi(&window); }

    template<typename T = QObject>
    T *find(const QString &name) const { return window.findChild<T *>(name); }
};

QStringList entryNames(const QList<QAction *> &actions)
{
    QStringList names;
    for (const QAction *action : actions)
        names << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    return names;
}

// Enum and flag properties come back as their own meta-types; compare their int value.
int asInt(const QVariant &value)
{
    if (value.canConvert<int>())
        return value.toInt();
    return *static_cast<const int *>(value.constData());
}

} // namespace

class TestMainWindowForm : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        Q_INIT_RESOURCE(mirelda);
    }

    void everyObjectExistsOnceWithItsClass_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        for (const NamedClass &object : kObjects)
            QTest::newRow(object.name) << QString::fromLatin1(object.name) << QString::fromLatin1(object.className);
    }
    void everyObjectExistsOnceWithItsClass()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        Form form;
        const QList<QObject *> found = form.window.findChildren<QObject *>(name);
        QCOMPARE(found.size(), 1);
        QCOMPARE(QString::fromLatin1(found.first()->metaObject()->className()), className);
    }

    void noStrayNamedObjects()
    {
        Form form;
        QStringList known;
        for (const NamedClass &object : kObjects)
            known << QString::fromLatin1(object.name);
        QStringList stray;
        for (const QObject *object : form.window.findChildren<QObject *>()) {
            const QString name = object->objectName();
            // Qt names its own parts (scroll areas, tab bars and their scroll buttons).
            if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || name.startsWith(QLatin1Char('_'))
                || qobject_cast<const QTabBar *>(object->parent()))
                continue;
            if (!known.contains(name))
                stray << name + QLatin1Char(':') + QLatin1String(object->metaObject()->className());
        }
        QCOMPARE(stray.join(QLatin1Char(',')), QString());
    }

    void siblingsAreCreatedInOrder()
    {
        Form form;
        QHash<const QObject *, QList<const QObject *>> byParent;
        for (const NamedClass &object : kObjects) {
            const QObject *found = form.find(QString::fromLatin1(object.name));
            QVERIFY2(found, object.name);
            // A stack raises its current page, which reorders its children; page order is checked on its own.
            if (!qobject_cast<const QStackedWidget *>(found->parent()))
                byParent[found->parent()] << found;
        }
        for (auto it = byParent.cbegin(); it != byParent.cend(); ++it) {
            const QObjectList &children = it.key()->children();
            int last = -1;
            for (const QObject *child : it.value()) {
                const int position = children.indexOf(const_cast<QObject *>(child));
                QVERIFY2(position > last, qPrintable(child->objectName()));
                last = position;
            }
        }
    }

    void windowFrame()
    {
        Form form;
        QCOMPARE(form.window.objectName(), QStringLiteral("MainWindow"));
        QCOMPARE(form.window.size(), QSize(1092, 732));
        QCOMPARE(form.window.windowModality(), Qt::WindowModal);
        QCOMPARE(form.window.windowTitle(), QStringLiteral("MainWindow"));
        QVERIFY(!form.window.windowIcon().isNull());
        QCOMPARE(form.window.centralWidget(), form.ui.centralWidget);
        QCOMPARE(form.window.menuBar(), form.ui.menuBar);
        QCOMPARE(form.window.statusBar(), form.ui.statusBar);

        QMainWindow named;
        named.setObjectName(QStringLiteral("Mine"));
        Ui_MainWindow ui;
        ui.setupUi(&named);
        QCOMPARE(named.objectName(), QStringLiteral("Mine"));

        int row, column, rowSpan, columnSpan;
        QGridLayout *grid = form.ui.gridLayout_32;
        grid->getItemPosition(grid->indexOf(form.ui.m_tabWidget), &row, &column, &rowSpan, &columnSpan);
        QCOMPARE(QPoint(column, row), QPoint(1, 0));
        const QGridLayout *column0 = form.ui.gridLayout_16;
        QCOMPARE(column0->itemAtPosition(0, 0)->widget(), form.ui.m_labelMainList);
        QCOMPARE(column0->itemAtPosition(1, 0)->widget(), form.ui.m_tableWidgetLogger);
        QCOMPARE(column0->itemAtPosition(2, 0)->widget(), form.ui.m_progressBarWrite);
    }

    void tabPagesInOrder()
    {
        Form form;
        const QStringList pages = {"m_tabHome", "m_tabLogger", "m_tabGraph", "m_tabHistogram", "m_tabTable",
                                   "m_tabSummary", "m_tabUserAdmin", "m_tabAdmin", "m_tabProduction"};
        const QStringList titles = {"Home", "Program", "Graph", "Histogram", "Table", "Summary", "User/Admin",
                                    "Admin", "Production"};
        QTabWidget *tabs = form.ui.m_tabWidget;
        QCOMPARE(tabs->count(), pages.size());
        for (int i = 0; i < tabs->count(); ++i) {
            QCOMPARE(tabs->widget(i)->objectName(), pages.at(i));
            QCOMPARE(tabs->tabText(i), titles.at(i));
        }
        QCOMPARE(tabs->currentWidget(), form.ui.m_tabLogger);
        QCOMPARE(tabs->tabPosition(), QTabWidget::North);
        QVERIFY(!tabs->documentMode());

        QTabWidget *alarms = form.ui.m_tabWidgetAlarm;
        const QStringList alarmPages = {"m_tabAlarmInt", "m_tabAlarmIntHum", "m_tabAlarmExtNtc"};
        const QStringList alarmTitles = {"Int. Temp (NTC)", "Int. Hum", "Ext. Temp (NTC)"};
        QCOMPARE(alarms->count(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(alarms->widget(i)->objectName(), alarmPages.at(i));
            QCOMPARE(alarms->tabText(i), alarmTitles.at(i));
        }
        QCOMPARE(alarms->currentIndex(), 0);
        QCOMPARE(alarms->elideMode(), Qt::ElideNone);
        QCOMPARE(alarms->tabShape(), QTabWidget::Rounded);
        QVERIFY(!alarms->tabsClosable());
        QVERIFY(!alarms->documentMode());
    }

    void layoutsKeepSpacingAndMargins()
    {
        Form form;
        int layouts = 0;
        for (const NamedClass &object : kObjects) {
            QLayout *layout = form.find<QLayout>(QString::fromLatin1(object.name));
            if (!layout)
                continue;
            ++layouts;
            QCOMPARE(layout->spacing(), 6);
            const bool ownsWidget = layout->parentWidget() && layout->parentWidget()->layout() == layout;
            const int margin = ownsWidget ? 11 : 0;
            QVERIFY2(layout->contentsMargins() == QMargins(margin, margin, margin, margin), object.name);
        }
        QCOMPARE(layouts, 76);
        // Hosts that the window fills itself carry no layout of their own.
        QVERIFY(!form.ui.m_widgetPrg->layout());
        QVERIFY(!form.ui.m_widgetGraph->layout());
        QVERIFY(!form.ui.m_widgetHistogram->layout());
    }

    void maximumLengths_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("maxLength");
        const QList<QPair<const char *, int>> limits = {
            {"m_lineEditLoggerPassword", 8}, {"m_lineEditLoggerSerial", 16}, {"m_lineEditLoggerProduct", 16},
            {"m_lineEditLoggerDescription", 32}, {"m_lineEditComment", 58}, {"m_lineEditUserAdminUserName", 16},
            {"m_lineEditUserAdminFirstName", 16}, {"m_lineEditUserAdminLastName", 16},
            {"m_lineEditUserAdminPassword", 16}, {"m_lineEditUserAdminPassword2", 16},
            {"m_lineEditUserAdminTimeOut", 4}, {"m_lineEditAdminSerial", 16}};
        QStringList limited;
        for (const auto &limit : limits) {
            QTest::newRow(limit.first) << QString::fromLatin1(limit.first) << limit.second;
            limited << QString::fromLatin1(limit.first);
        }
        // Every other field keeps the line edit's own limit.
        for (const NamedClass &object : kObjects) {
            if (qstrcmp(object.className, "QLineEdit") == 0 && !limited.contains(QString::fromLatin1(object.name)))
                QTest::newRow(object.name) << QString::fromLatin1(object.name) << 32767;
        }
    }
    void maximumLengths()
    {
        QFETCH(QString, name);
        QFETCH(int, maxLength);
        Form form;
        QLineEdit *edit = form.find<QLineEdit>(name);
        QVERIFY(edit);
        QCOMPARE(edit->maxLength(), maxLength);
        QVERIFY(!edit->validator());
        QVERIFY(edit->inputMask().isEmpty());
        QVERIFY(edit->text().isEmpty());
        QVERIFY(edit->isEnabled());
    }

    void typingStopsAtTheLimits()
    {
        Form form;
        const QList<QPair<QLineEdit *, int>> fields = {
            {form.ui.m_lineEditLoggerPassword, 8}, {form.ui.m_lineEditLoggerSerial, 16},
            {form.ui.m_lineEditLoggerProduct, 16}, {form.ui.m_lineEditLoggerDescription, 32},
            {form.ui.m_lineEditComment, 58}, {form.ui.m_lineEditUserAdminTimeOut, 4},
            {form.ui.m_lineEditAdminSerial, 16}};
        for (const auto &field : fields) {
            QTest::keyClicks(field.first, QString(field.second + 3, QLatin1Char('7')));
            QCOMPARE(field.first->text().size(), field.second);
        }
        // Password fields never show what was typed.
        for (QLineEdit *secret : {form.ui.m_lineEditLoggerPassword, form.ui.m_lineEditUserAdminPassword,
                                  form.ui.m_lineEditUserAdminPassword2}) {
            QTest::keyClicks(secret, QStringLiteral("Ab1"));
            QCOMPARE(secret->echoMode(), QLineEdit::Password);
            QVERIFY(!secret->displayText().contains(QLatin1String("Ab1")));
        }
        // Fields the user cannot type into.
        QTest::keyClicks(form.ui.m_lineEditLoggerMemSize, QStringLiteral("12"));
        QTest::keyClicks(form.ui.m_lineEditLoggerRange, QStringLiteral("12"));
        QVERIFY(form.ui.m_lineEditLoggerMemSize->text().isEmpty());
        QVERIFY(form.ui.m_lineEditLoggerRange->text().isEmpty());
        QVERIFY(form.ui.m_plainTextEditUserAdminAudit->isReadOnly());
        QVERIFY(form.ui.m_plainTextEditInfo->isReadOnly());

        QSpinBox *days = form.ui.m_spinBoxUserAdminPassDuration;
        days->setValue(365);
        QCOMPARE(days->value(), 365);
        days->setValue(366);
        QCOMPARE(days->value(), 365);
        days->setValue(-1);
        QCOMPARE(days->value(), 0);
    }

    void radioButtonsAreIndependent()
    {
        Form form;
        const QList<QRadioButton *> radios = form.window.findChildren<QRadioButton *>();
        QCOMPARE(radios.size(), 12);
        for (QRadioButton *radio : radios) {
            QVERIFY2(!radio->autoExclusive(), qPrintable(radio->objectName()));
            QVERIFY(!radio->isChecked());
        }
        // Only the window's slots keep pairs opposite; the form leaves both checked.
        for (auto pair : {qMakePair(form.ui.m_radioButtonPrgStartAt, form.ui.m_radioButtonPrgStartWait),
                          qMakePair(form.ui.m_radioButtonUserAdminActiveYes, form.ui.m_radioButtonUserAdminActiveNo),
                          qMakePair(form.ui.m_radioButtonUserAdminUnlockUser,
                                    form.ui.m_radioButtonUserAdminUnlockAdmin),
                          qMakePair(form.ui.m_radioButtonPrgStopContinue, form.ui.m_radioButtonPrgStopButonEnable)}) {
            pair.first->click();
            pair.second->click();
            QVERIFY(pair.first->isChecked());
            QVERIFY(pair.second->isChecked());
        }
    }

    void startsEmptyAndEnabled()
    {
        Form form;
        for (QWidget *widget : form.window.findChildren<QWidget *>()) {
            if (widget->objectName().isEmpty() || widget->objectName().startsWith(QLatin1String("qt_")))
                continue;
            QVERIFY2(widget->isEnabled(), qPrintable(widget->objectName()));
        }
        for (QCheckBox *box : form.window.findChildren<QCheckBox *>())
            QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
        QCOMPARE(form.window.findChildren<QCheckBox *>().size(), 26);
        for (QComboBox *combo : form.window.findChildren<QComboBox *>())
            QCOMPARE(combo->count(), 0);
        for (QListWidget *list : form.window.findChildren<QListWidget *>())
            QCOMPARE(list->count(), 0);
        for (QTableWidget *table : form.window.findChildren<QTableWidget *>()) {
            QCOMPARE(table->rowCount(), 0);
            QCOMPARE(table->columnCount(), 0);
            QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
            QVERIFY(table->alternatingRowColors());
            QCOMPARE(table->selectionBehavior(), QAbstractItemView::SelectRows);
        }
        for (QProgressBar *bar : form.window.findChildren<QProgressBar *>())
            QCOMPARE(bar->value(), 0);
        QCOMPARE(form.ui.m_spinBoxUserAdminPassDuration->value(), 0);
        QCOMPARE(form.ui.m_labelFirmwareVersion->text(), QStringLiteral("..."));
        QCOMPARE(form.ui.m_plainTextEditInfo->toPlainText(), QStringLiteral("..."));
        QVERIFY(form.ui.m_labelLoggerTime->text().isEmpty());
        QVERIFY(form.ui.m_labelPrgDuration->text().isEmpty());
        QVERIFY(form.ui.m_webView->url().isEmpty());
    }

    void tablesRefuseEditing()
    {
        Form form;
        QTableWidget *table = form.ui.m_tableWidgetTable;
        table->setRowCount(1);
        table->setColumnCount(1);
        table->setItem(0, 0, new QTableWidgetItem(QStringLiteral("20.0")));
        form.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form.window));
        form.ui.m_tabWidget->setCurrentWidget(form.ui.m_tabTable);
        const QRect cell = table->visualItemRect(table->item(0, 0));
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        table->setCurrentCell(0, 0);
        QTest::keyClick(table, Qt::Key_F2);
        QTest::keyClicks(table, QStringLiteral("9"));
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("20.0"));
    }

    void tabOrderChain()
    {
        Form form;
        QList<QWidget *> chain;
        for (const char *name : kTabOrder) {
            QWidget *widget = form.find<QWidget>(QString::fromLatin1(name));
            QVERIFY2(widget, name);
            chain << widget;
        }
        QCOMPARE(chain.size(), 123);
        // Placing the tab widget right after the logger table moves the tab widget, together with every
        // field of its pages ordered so far, behind the table: Tab runs from the table into the tab
        // widget, through the pages' fields in the listed order, then on with the rest of the list.
        const int table = chain.indexOf(form.ui.m_tableWidgetLogger);
        QList<QWidget *> effective = {form.ui.m_tableWidgetLogger, form.ui.m_tabWidget};
        effective << chain.mid(0, table) << chain.mid(table + 2);
        QCOMPARE(effective.size(), chain.size());
        const QSet<QWidget *> listed(chain.cbegin(), chain.cend());
        QStringList walked;
        QWidget *widget = effective.first();
        for (int guard = 0; walked.size() < effective.size() && guard < 100000; ++guard) {
            if (listed.contains(widget))
                walked << widget->objectName();
            widget = widget->nextInFocusChain();
        }
        QStringList wanted;
        for (QWidget *entry : effective)
            wanted << entry->objectName();
        QCOMPARE(walked, wanted);
    }

    void tabKeyWalksTheLoggerPage()
    {
        Form form;
        form.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&form.window));
        QCOMPARE(form.ui.m_tabWidget->currentWidget(), form.ui.m_tabLogger);
        const QList<QWidget *> expected = {
            form.ui.m_lineEditLoggerPassword, form.ui.m_checkBoxLoggerAllowRead, form.ui.m_checkBoxLoggerAllowWrite,
            form.ui.m_lineEditLoggerSerial, form.ui.m_lineEditLoggerProduct, form.ui.m_pushButtonLoggerReadTime,
            form.ui.m_pushButtonLoggerSyncTime, form.ui.m_lineEditLoggerDescription,
            form.ui.m_lineEditLoggerMemSize, form.ui.m_lineEditLoggerNbTrip, form.ui.m_lineEditLoggerRange,
            form.ui.m_tabWidgetAlarm, form.ui.m_lineEditLoggerHighHigh, form.ui.m_lineEditLoggerHigh,
            form.ui.m_lineEditLoggerLow, form.ui.m_lineEditLoggerLowLow, form.ui.m_checkBoxLoggerAlarmHighHigh,
            form.ui.m_checkBoxLoggerAlarmHigh, form.ui.m_checkBoxLoggerAlarmLow,
            form.ui.m_checkBoxLoggerAlarmLowLow, form.ui.m_checkBoxLoggerAlarmSensorEnableIntTemp,
            form.ui.m_lineEditLoggerConsecutiveAlarmDelay, form.ui.m_lineEditLoggerTotalAlarmDelay,
            // The humidity and probe pages are hidden, so focus goes on to the program panel.
            form.ui.m_dateTimeEditPrgInterval};
        expected.first()->setFocus();
        for (int i = 0; i < expected.size(); ++i) {
            QWidget *focus = QApplication::focusWidget();
            QVERIFY2(focus && (focus == expected.at(i) || expected.at(i)->isAncestorOf(focus)),
                     qPrintable(QStringLiteral("step %1: %2").arg(i).arg(focus ? focus->objectName() : QString())));
            QTest::keyClick(focus, Qt::Key_Tab);
        }
    }

    void actions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("hasIcon");
        QTest::addColumn<QString>("shortcut");
        QTest::newRow("m_actionLoad") << "m_actionLoad" << "Load" << true << "";
        QTest::newRow("m_actionSave") << "m_actionSave" << "Save" << true << "";
        QTest::newRow("m_actionSaveAs") << "m_actionSaveAs" << "Save As..." << false << "";
        QTest::newRow("m_actionOptions") << "m_actionOptions" << "Options" << true << "";
        QTest::newRow("m_actionAbout") << "m_actionAbout" << "About" << true << "";
        QTest::newRow("m_actionExit") << "m_actionExit" << "Exit" << false << "";
        QTest::newRow("m_actionDownload") << "m_actionDownload" << "Download" << true << "F6";
        QTest::newRow("m_actionAutoScan") << "m_actionAutoScan" << "Auto Scan" << false << "";
        QTest::newRow("m_actionProgram") << "m_actionProgram" << "Program" << true << "F5";
        QTest::newRow("m_actionPrint") << "m_actionPrint" << "Print" << false << "";
        QTest::newRow("m_actionSaveProgramTemplate") << "m_actionSaveProgramTemplate" << "Save Template Program"
                                                     << false << "";
        QTest::newRow("m_actionLoadTemplateProgram") << "m_actionLoadTemplateProgram" << "Load Template Program"
                                                     << false << "";
        QTest::newRow("m_actionCloseSelectedFile") << "m_actionCloseSelectedFile" << "Close Selected File" << false
                                                   << "";
        QTest::newRow("m_actionGeneratPdf") << "m_actionGeneratPdf" << "Generate PDF file" << true << "";
        QTest::newRow("m_actionCheckForUpdate") << "m_actionCheckForUpdate" << "Check for Update" << false << "";
        QTest::newRow("m_actionCloseAllFiles") << "m_actionCloseAllFiles" << "Close All Files" << false << "";
        QTest::newRow("m_actionLock") << "m_actionLock" << "Lock" << true << "";
        QTest::newRow("m_actionPrintPreview") << "m_actionPrintPreview" << "Print preview" << true << "";
        QTest::newRow("m_actionPrintPrint") << "m_actionPrintPrint" << "Print" << true << "";
        QTest::newRow("m_actionLogout") << "m_actionLogout" << "Logout" << true << "";
        QTest::newRow("actionLogout") << "actionLogout" << "Logout" << false << "";
        QTest::newRow("m_actionBackup") << "m_actionBackup" << "User/Admin Backup" << false << "";
        QTest::newRow("m_actionRestore") << "m_actionRestore" << "User/Admin Restore" << false << "";
        QTest::newRow("m_actionSend_Report") << "m_actionSend_Report" << "Send Report" << false << "";
        QTest::newRow("m_actionSendByEmail") << "m_actionSendByEmail" << "Send  by E-Mail" << true << "";
        QTest::newRow("m_actionSendByFtp") << "m_actionSendByFtp" << "Send by FTP" << false << "";
        QTest::newRow("m_actionEEpromRead") << "m_actionEEpromRead" << "EEprom Read" << false << "";
        QTest::newRow("m_actionEEpromWrite") << "m_actionEEpromWrite" << "EEprom Write" << false << "";
        QTest::newRow("m_actionDisconnect_Logger") << "m_actionDisconnect_Logger" << "Disconnect Logger" << false
                                                   << "F7";
    }
    void actions()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(bool, hasIcon);
        QFETCH(QString, shortcut);
        Form form;
        QAction *action = form.find<QAction>(name);
        QVERIFY(action);
        QCOMPARE(action->parent(), &form.window);
        QCOMPARE(action->text(), text);
        QCOMPARE(!action->icon().isNull(), hasIcon);
        if (hasIcon)
            QVERIFY(!action->icon().pixmap(32, 32).isNull());
        QCOMPARE(action->shortcut(), QKeySequence(shortcut));
        // Qt disables a hidden action, so that its shortcut cannot fire.
        QCOMPARE(action->isVisible(), name != QLatin1String("m_actionLogout"));
        action->setVisible(true);
        QVERIFY(action->isEnabled());
        QCOMPARE(action->isCheckable(), name == QLatin1String("m_actionAutoScan"));
        QVERIFY(!action->isChecked());
        QVERIFY(action->statusTip().isEmpty());
        if (name == QLatin1String("m_actionLogout"))
            QCOMPARE(action->toolTip(), QStringLiteral("Logout"));
    }

    void actionsAreCreatedInOrder()
    {
        Form form;
        QStringList names;
        for (const QAction *action : form.window.findChildren<QAction *>(QString(), Qt::FindDirectChildrenOnly))
            names << action->objectName();
        QStringList expected;
        for (int i = 0; i < 29; ++i)
            expected << QString::fromLatin1(kObjects[i].name);
        QCOMPARE(names, expected);
    }

    void menusAndToolBar()
    {
        Form form;
        QStringList menus;
        for (const QAction *entry : form.ui.menuBar->actions())
            menus << entry->menu()->objectName() + QLatin1Char('=') + entry->text();
        QCOMPARE(menus, QStringList({"menuFile=File", "menuLogger=Logger", "menuHelp=Help"}));

        QCOMPARE(entryNames(form.ui.menuFile->actions()),
                 QStringList({"m_actionLoad", "m_actionSave", "m_actionSaveAs", "m_actionCloseSelectedFile",
                              "m_actionCloseAllFiles", "m_actionOptions", "-", "m_actionLoadTemplateProgram",
                              "m_actionSaveProgramTemplate", "-", "m_actionBackup", "m_actionRestore", "-",
                              "m_actionGeneratPdf", "m_actionPrintPreview", "m_actionPrintPrint", "-",
                              "m_actionCheckForUpdate", "m_actionExit"}));
        QCOMPARE(entryNames(form.ui.menuLogger->actions()),
                 QStringList({"m_actionProgram", "m_actionDownload", "m_actionLock", "m_actionSendByEmail",
                              "m_actionSendByFtp", "m_actionEEpromRead", "m_actionEEpromWrite",
                              "m_actionDisconnect_Logger"}));
        QCOMPARE(entryNames(form.ui.menuHelp->actions()), QStringList({"m_actionAbout", "m_actionSend_Report"}));

        QToolBar *bar = form.ui.m_mainToolBar;
        QCOMPARE(entryNames(bar->actions()),
                 QStringList({"m_actionLoad", "m_actionSave", "-", "m_actionProgram", "m_actionDownload",
                              "m_actionGeneratPdf", "-", "m_actionOptions", "m_actionLock", "-",
                              "m_actionPrintPrint", "m_actionPrintPreview", "-", "m_actionSendByEmail",
                              "m_actionLogout", "-", "m_actionAbout"}));
        QVERIFY(!bar->isMovable());
        QCOMPARE(bar->iconSize(), QSize(32, 32));
        QCOMPARE(bar->minimumSize(), QSize(0, 0));
        QCOMPARE(form.window.toolBarArea(bar), Qt::TopToolBarArea);
        QVERIFY(bar->windowTitle().isEmpty());

        // Actions kept out of every menu and bar.
        for (QAction *hidden : {form.ui.m_actionAutoScan, form.ui.m_actionPrint, form.ui.actionLogout})
            QVERIFY(hidden->associatedWidgets().isEmpty());

        // An action in a menu and on the bar is one object: hiding shows in both.
        form.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form.window));
        QVERIFY(!bar->widgetForAction(form.ui.m_actionLogout)->isVisible());
        form.ui.m_actionLogout->setVisible(true);
        QTRY_VERIFY(bar->widgetForAction(form.ui.m_actionLogout)->isVisible());
        for (QWidget *shown : form.ui.m_actionLogout->associatedWidgets())
            QVERIFY(shown == bar || shown->isAncestorOf(bar) || bar->isAncestorOf(shown));
    }

    void shortcutsTriggerTheirActions()
    {
        Form form;
        form.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&form.window));
        const QList<QPair<QAction *, Qt::Key>> keys = {{form.ui.m_actionProgram, Qt::Key_F5},
                                                        {form.ui.m_actionDownload, Qt::Key_F6},
                                                        {form.ui.m_actionDisconnect_Logger, Qt::Key_F7}};
        for (const auto &key : keys) {
            QSignalSpy triggered(key.first, &QAction::triggered);
            QTest::keyClick(&form.window, key.second);
            QCOMPARE(triggered.count(), 1);
            key.first->setEnabled(false);
            QTest::keyClick(&form.window, key.second);
            QCOMPARE(triggered.count(), 1);
        }
    }

    void picturesLoad_data()
    {
        QTest::addColumn<QString>("path");
        for (const char *picture : kPictures)
            QTest::newRow(picture) << QStringLiteral(":/Pictures/") + QString::fromLatin1(picture);
    }
    void picturesLoad()
    {
        QFETCH(QString, path);
        QPixmap pixmap(path);
        QVERIFY(!pixmap.isNull());
        QVERIFY(pixmap.width() >= 16);
    }

    void pictureWidgets()
    {
        Form form;
        QVERIFY(!form.ui.m_labelBattery->pixmap(Qt::ReturnByValue).isNull());
        QVERIFY(form.ui.m_labelBattery->text().isEmpty());
        QVERIFY(!form.ui.m_pushButtonProgram->icon().isNull());
        QVERIFY(form.ui.m_pushButtonProgram->text().isEmpty());
        QCOMPARE(form.ui.m_pushButtonProgram->icon().cacheKey(), form.ui.m_actionProgram->icon().cacheKey());
        QVERIFY(!form.ui.m_actionLock->icon().pixmap(32, 32).isNull());
    }

    void properties_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("expected");
        auto row = [](const char *name, const char *property, const QVariant &value) {
            QTest::addRow("%s.%s", name, property) << QString::fromLatin1(name) << QByteArray(property) << value;
        };
        // Texts, odd spellings included: the label table and the help map look them up as they stand.
        row("m_labelMainList", "text", "Logger / File List");
        row("m_groupBoxSettings", "title", "Logger Settings");
        row("m_labelMainPrgPassRW", "text", "Pass.R/W");
        row("m_checkBoxLoggerAllowRead", "text", "Allow RD");
        row("m_checkBoxLoggerAllowWrite", "text", "Allow WR");
        row("m_labelMainPrgSerial", "text", "Serial #");
        row("m_lineEditLoggerSerial", "toolTip", "Serial Number");
        row("m_labelMainPrgMemSize", "text", "Mem. Size");
        row("m_labelMainPrgProduct", "text", "Product #");
        row("m_labelMainPrgTrip", "text", "Trip #");
        row("m_pushButtonLoggerReadTime", "text", "Read");
        row("m_pushButtonLoggerSyncTime", "text", "Sync");
        row("m_labelRange", "text", "Range");
        row("m_labelMainPrgDescription", "text", "Description");
        row("m_groupBoxProgram", "title", "Program");
        row("m_labelMainPrgStart", "text", "Start");
        row("m_labelMainPrgStop", "text", "Stop");
        row("m_labelMainPrgInterval", "text", "Interval");
        row("m_radioButtonPrgStartAt", "text", "At");
        row("m_radioButtonPrgStopAt", "text", "At");
        row("m_radioButtonPrgStartWait", "text", "Wait");
        row("m_radioButtonPrgStopReading", "text", "After");
        row("m_pushButtonPrgStopAfterMax", "text", "Max");
        row("m_labelPrgStopReading", "text", "rec.");
        row("m_checkBoxLoggerShowAlarm", "text", "Show Alarms");
        row("m_pushButtonPrgStartNow", "text", "Now");
        row("m_radioButtonPrgStopButonEnable", "text", "Stop Button Enable");
        row("m_radioButtonPrgStopContinue", "text", "Continuous logging");
        row("m_radioButtonPrgAutoRestartEnable", "text", "Auto-Reset Enable");
        row("m_checkBoxLoggerShowTemp", "text", "Show Temp on LCD");
        row("m_labelMainPrgDurationOfTrip", "text", "Duration of trip, at least");
        row("m_labelMainPrgMemoryProgressBar", "text", "Memory");
        row("m_groupBoxAdmin", "title", "Admin");
        row("label_8", "text", "maxTrip(9999=MU)");
        row("m_radioButtonHardwareTest", "text", "HardwareTest");
        row("m_pushButtonFactoryInit", "text", "Factory Init");
        row("m_labelAlarmHighHigh", "text", "HHigh");
        row("m_labelAlarmHigh", "text", "High");
        row("m_labelAlarmLow", "text", "Low");
        row("m_labelAlarmLowLow", "text", "LLow");
        row("m_labelAlarmHighHighHum", "text", "HHigh(%)");
        row("m_labelAlarmHighHum", "text", "High(%)");
        row("m_labelAlarmLowHum", "text", "Low(%)");
        row("m_labelAlarmLowLowHum", "text", "LLow(%)");
        row("m_labelAlarmHighHighExt", "text", "HHigh");
        row("m_labelAlarmLowLowExt", "text", "LLow");
        row("m_checkBoxLoggerAlarmHighHighExt", "text", "Enable");
        row("m_checkBoxLoggerAlarmSensorEnableIntHum", "text", "Enable Sensor");
        row("m_labelAlarmConDelayExt", "text", "Consecutive delay before alarm");
        row("m_labelAlarmTotoDelayHim", "text", "Total delay before alarm");
        row("m_labelAlarmTotDelayExt", "text", "Total delay before alarm");
        row("label", "text", "Username:");
        row("label_2", "text", "First name:");
        row("label_3", "text", "Last name:");
        row("label_4", "text", "Password");
        row("label_5", "text", "Re-enter passworrd:");
        row("label_6", "text", "Employee ID:(1-99)");
        row("m_labelUserAdminPassExp", "text", "Account expires:");
        row("label_13", "text", "Pass. expires (days):");
        row("label_12", "text", "Access level:");
        row("label_10", "text", "Active ?");
        row("m_labelUAUnlock", "text", "After the password expires, the account can be unblocked by:");
        row("m_radioButtonUserAdminUnlockAdmin", "text", "Administrator");
        row("m_lineEditUserAdminPassword2", "toolTip",
            "Password should have at least 6 characters, including minimum 1 digit and 1 capital letter.");
        row("groupBox_2", "title", "Users");
        row("groupBox_3", "title", "Audit Trail");
        row("groupBox_4", "title", "General");
        row("label_16", "text", "Date:");
        row("label_19", "text", "Time out before logout (min)");
        row("label_20", "text", "Add message in audit trail");
        row("m_pushButtonUserAdminAddAuditMessage", "text", "Add");
        row("m_pushButtonStartInit", "text", "Start Init.");
        row("m_pushButtonFullInit", "text", "Full Init");
        row("m_pushButtonAdminRefreshCommJig", "text", "Refresh");
        row("m_pushButtonAdminTestJig", "text", "TestJig");
        row("m_pushButtonAdminTestPushDB", "text", "PushDB");
        row("m_checkBoxAdminAutoProgram", "text", "Auto Program");
        row("groupBox", "title", "Lookup Table");
        row("label_9", "text", "Internal Sensor");
        row("label_11", "text", "External Sensor");
        row("label_17", "text", "Int");
        row("label_15", "text", "Ext");
        row("m_pushButtonAdminLoadExtTable", "text", "...");
        row("label_18", "text", "Template");
        row("label_14", "text", "Defalut Path");
        row("m_lineEditAdminSerial", "toolTip", "Serial Number");
        row("m_lineEditAdminTesterName", "toolTip", "");
        row("groupBox_5", "title", "First Configuration");
        row("label_7", "text", "Production Path");
        row("m_pushButtonProdPath", "text", "...");
        row("label_25", "text", "Customer");
        row("label_26", "text", "Order #");

        // Display formats and ranges of the editors.
        row("m_dateTimeEditPrgInterval", "displayFormat", "HH'h'mm'm'ss's'");
        row("m_dateTimeEditPrgInterval", "maximumTime", QTime(23, 59, 59));
        row("m_dateTimeEditPrgStartAt", "displayFormat", "yyyy/MM/dd HH:mm");
        row("m_dateTimeEditPrgStopAt", "displayFormat", "yyyy/MM/dd HH:mm");
        row("m_dateTimeEditPrgStartWait", "displayFormat", "yy'd' HH':'mm");
        row("m_dateTimeEditUserAdminPassExp", "displayFormat", "hh:mm dd/MM/yyyy");
        row("m_dateEditUserAdminDate", "displayFormat", "dd/MM/yyyy");
        row("m_spinBoxUserAdminPassDuration", "minimum", 0);
        row("m_spinBoxUserAdminPassDuration", "maximum", 365);

        // Looks the window's code and the users rely on.
        row("m_labelFirmwareVersion", "styleSheet", "color: rgb(0, 128, 0);");
        row("m_textBrowserHelp", "styleSheet", "background-color: rgb(254, 255, 155);");
        row("m_textBrowserHelp", "lineWrapMode", int(QTextEdit::WidgetWidth));
        row("m_plainTextEditInfo", "styleSheet", "color: rgb(255, 0, 0);\nbackground-color: rgb(228, 228, 228);\n");
        row("m_pushButtonFullInit", "styleSheet", "color: rgb(255, 0, 4);");
        row("m_lineEditLoggerDescription", "autoFillBackground", false);
        row("m_lineEditLoggerMemSize", "readOnly", true);
        row("m_lineEditLoggerRange", "readOnly", true);
        row("m_lineEditLoggerNbTrip", "readOnly", false);
        row("m_lineEditLoggerMemSize", "alignment", int(Qt::AlignCenter));
        row("m_lineEditLoggerNbTrip", "alignment", int(Qt::AlignCenter));
        row("m_lineEditLoggerRange", "alignment", int(Qt::AlignCenter));
        row("m_lineEditComment", "alignment", int(Qt::AlignCenter));
        row("m_labelMainPrgSerial", "alignment", int(Qt::AlignRight | Qt::AlignTrailing | Qt::AlignVCenter));
        row("m_labelAlarmConDelay", "alignment", int(Qt::AlignRight | Qt::AlignTrailing | Qt::AlignVCenter));
        row("m_labelPrgStopReading", "alignment", int(Qt::AlignLeading | Qt::AlignLeft | Qt::AlignVCenter));
        row("m_labelBattery", "alignment", int(Qt::AlignCenter));
        row("m_progressBarMem", "alignment", int(Qt::AlignCenter));
        row("m_progressBarWrite", "alignment", int(Qt::AlignCenter));
        row("m_progressBarGraph", "orientation", int(Qt::Horizontal));
        row("m_labelPrgDuration", "frameShape", int(QFrame::StyledPanel));
        row("line", "frameShape", int(QFrame::VLine));
        row("line", "frameShadow", int(QFrame::Sunken));
        row("m_tableWidgetTable", "horizontalScrollBarPolicy", int(Qt::ScrollBarAlwaysOn));
        row("m_tableWidgetTable", "verticalScrollBarPolicy", int(Qt::ScrollBarAsNeeded));
        row("m_tableWidgetTable", "horizontalScrollMode", int(QAbstractItemView::ScrollPerItem));
        row("m_tableWidgetTable", "wordWrap", true);
        row("m_tableWidgetTableSummary", "selectionMode", int(QAbstractItemView::ExtendedSelection));
        row("m_tableWidgetTableSummary", "textElideMode", int(Qt::ElideRight));
    }
    void properties()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, property);
        QFETCH(QVariant, expected);
        Form form;
        QObject *object = form.find(name);
        QVERIFY(object);
        const QVariant actual = object->property(property.constData());
        QVERIFY(actual.isValid());
        if (expected.type() == QVariant::Int)
            QCOMPARE(asInt(actual), expected.toInt());
        else
            QCOMPARE(actual, expected);
    }

    void fontsAndCursor()
    {
        Form form;
        QFont list = form.ui.m_labelMainList->font();
        QCOMPARE(list.pointSize(), 11);
        QVERIFY(list.bold());
        QFont info = form.ui.m_plainTextEditInfo->font();
        QCOMPARE(info.family(), QStringLiteral("Calibri"));
        QCOMPARE(info.pointSize(), 14);
        QVERIFY(info.bold());
        QVERIFY(!form.ui.m_labelFirmwareVersion->font().bold());
        QCOMPARE(form.ui.m_lineEditComment->font().pointSize(), 12);
        QVERIFY(!form.ui.m_lineEditComment->font().bold());
        QCOMPARE(form.ui.m_tableWidgetTable->font().family(), QStringLiteral("Courier New"));
        QVERIFY(form.ui.m_tableWidgetTable->font().bold());
        QCOMPARE(form.ui.m_tableWidgetTable->horizontalHeader()->minimumSectionSize(), 3);
        for (QWidget *courier : {static_cast<QWidget *>(form.ui.m_listWidgetAdminInfo),
                                 static_cast<QWidget *>(form.ui.m_listWidgetAdminIntTable),
                                 static_cast<QWidget *>(form.ui.m_listWidgetAdminExtTable)}) {
            QCOMPARE(courier->font().family(), QStringLiteral("Courier New"));
            QCOMPARE(courier->font().pointSize(), 8);
        }
        QVERIFY(form.ui.m_pushButtonFullInit->font().bold());
        QCOMPARE(form.ui.m_progressBarMem->cursor().shape(), Qt::CrossCursor);
        // The help pane opens on its heading.
        QVERIFY(form.ui.m_textBrowserHelp->toPlainText().startsWith(QLatin1String("Help")));
    }

    void editorsShowTheirFormats()
    {
        Form form;
        form.ui.m_dateTimeEditPrgInterval->setTime(QTime(0, 15));
        QCOMPARE(form.ui.m_dateTimeEditPrgInterval->text(), QStringLiteral("00h15m00s"));
        form.ui.m_dateTimeEditPrgStartWait->setDateTime(QDateTime(QDate(2001, 1, 1), QTime(2, 30)));
        QCOMPARE(form.ui.m_dateTimeEditPrgStartWait->text(), QStringLiteral("01d 02:30"));
        form.ui.m_dateTimeEditPrgStartAt->setDateTime(QDateTime(QDate(2024, 3, 5), QTime(8, 7, 6)));
        QCOMPARE(form.ui.m_dateTimeEditPrgStartAt->text(), QStringLiteral("2024/03/05 08:07"));
    }

    void sizesAndPolicies_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("minWidth");
        QTest::addColumn<int>("maxWidth");
        QTest::addColumn<int>("horizontal");
        QTest::addColumn<int>("vertical");
        const int any = -1;
        const int big = QWIDGETSIZE_MAX;
        auto row = [](const char *name, int minW, int maxW, int h, int v) {
            QTest::newRow(name) << QString::fromLatin1(name) << minW << maxW << h << v;
        };
        using P = QSizePolicy;
        row("m_tableWidgetLogger", 352, any, P::Fixed, P::Expanding);
        row("m_progressBarWrite", 352, any, P::Fixed, P::Fixed);
        row("m_widgetPrg", 384, any, any, any);
        row("m_labelMainPrgPassRW", 64, 64, any, any);
        row("m_labelMainPrgDescription", 64, 64, any, any);
        row("m_pushButtonLoggerReadTime", any, 48, any, any);
        row("m_labelMainPrgInterval", any, 151, any, any);
        row("m_dateTimeEditPrgInterval", 100, any, any, any);
        row("m_radioButtonPrgStartAt", 48, 48, any, any);
        row("m_radioButtonPrgStopReading", 48, 48, any, any);
        row("m_dateTimeEditPrgStartWait", 110, any, any, any);
        row("m_lineEditPrgStopReading", 44, 44, any, any);
        row("m_pushButtonPrgStopAfterMax", any, 32, any, any);
        row("m_pushButtonPrgStartNow", any, 48, any, any);
        row("m_radioButtonPrgStopContinue", 54, any, any, any);
        row("m_labelBattery", any, 32, any, any);
        row("m_checkBoxLoggerShowTemp", 150, any, any, any);
        row("m_labelMainPrgDurationOfTrip", 61, 155, any, any);
        row("m_comboBoxPrgDuration", any, 88, any, any);
        row("m_labelPrgDuration", 110, 88, any, any);
        row("label_8", 92, 61, any, any);
        row("m_lineEditLoggerMaxTrip", any, 64, any, any);
        row("m_radioButtonHardwareTest", 48, any, any, any);
        row("m_labelAlarmHighHighHum", 54, any, P::Minimum, P::Preferred);
        row("m_lineEditLoggerLowLowExt", any, 40, any, any);
        row("m_labelAlarmTotoDelayHim", 160, any, P::Minimum, P::Preferred);
        row("m_lineEditLoggerConsecutiveAlarmDelayExt", 24, big, any, any);
        row("m_widgetGraph", any, any, P::Expanding, P::Expanding);
        row("m_listWidgetUserAdminList", any, 158, P::Fixed, P::Expanding);
        row("m_labelUAUnlock", any, any, P::Expanding, P::Preferred);
        row("groupBox_3", any, any, P::Expanding, P::Expanding);
        row("groupBox_4", any, any, P::Preferred, P::Expanding);
        row("label_19", any, any, P::Expanding, P::Preferred);
        row("m_lineEditUserAdminTimeOut", any, 64, P::Fixed, P::Fixed);
        row("m_listWidgetAdminInfo", 240, any, P::Expanding, P::Expanding);
        row("groupBox", any, any, P::Expanding, P::Expanding);
        row("m_listWidgetAdminExtTable", any, any, P::Preferred, P::Expanding);
        row("label_21", any, 64, P::Expanding, P::Fixed);
        row("m_comboBoxAdminJigCom", any, any, P::Expanding, P::Fixed);
        row("label_23", any, any, P::Minimum, P::Fixed);
        row("m_lineEditAdminTesterName", 132, any, P::Expanding, P::Fixed);
        row("m_lineEditAdminDefaultPath", 512, any, any, any);
        row("label_14", any, any, P::Expanding, P::Fixed);
        row("label_26", 100, any, P::Minimum, P::Preferred);
        row("m_pushButtonProdPath", any, 32, any, any);
    }
    void sizesAndPolicies()
    {
        QFETCH(QString, name);
        QFETCH(int, minWidth);
        QFETCH(int, maxWidth);
        QFETCH(int, horizontal);
        QFETCH(int, vertical);
        Form form;
        QWidget *widget = form.find<QWidget>(name);
        QVERIFY(widget);
        if (minWidth >= 0)
            QCOMPARE(widget->minimumWidth(), minWidth);
        if (maxWidth >= 0)
            QCOMPARE(widget->maximumWidth(), maxWidth);
        if (horizontal >= 0)
            QCOMPARE(int(widget->sizePolicy().horizontalPolicy()), horizontal);
        if (vertical >= 0)
            QCOMPARE(int(widget->sizePolicy().verticalPolicy()), vertical);
    }

    void gridCells_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QRect>("cell"); // x = column, y = row, width = column span, height = row span
        auto row = [](const char *layout, const char *item, int r, int c, int rs = 1, int cs = 1) {
            QTest::addRow("%s in %s", item, layout) << QString::fromLatin1(layout) << QString::fromLatin1(item)
                                                    << QRect(c, r, cs, rs);
        };
        row("gridLayout_2", "m_widgetPrg", 0, 0, 2, 1);
        row("gridLayout_2", "m_textBrowserHelp", 0, 1);
        row("gridLayout_2", "m_plainTextEditInfo", 1, 1);
        row("gridLayout_13", "m_labelFirmwareVersion", 0, 0, 1, 4);
        row("gridLayout_13", "gridLayout_36", 1, 3);
        row("gridLayout_13", "gridLayout_8", 5, 0, 1, 4);
        row("gridLayout_13", "m_pushButtonLoggerSyncTime", 4, 2);
        row("gridLayout_10", "m_labelMainPrgStart", 0, 0);
        row("gridLayout_10", "gridLayout_15", 0, 2, 1, 3);
        row("gridLayout_10", "m_labelMainPrgStop", 0, 6);
        row("gridLayout_10", "gridLayout_22", 1, 0, 1, 3);
        row("gridLayout_10", "line", 1, 3, 3, 1);
        row("gridLayout_10", "gridLayout_25", 1, 4, 1, 3);
        row("gridLayout_10", "gridLayout_20", 2, 0, 1, 3);
        row("gridLayout_10", "gridLayout_24", 2, 4, 1, 3);
        row("gridLayout_10", "m_checkBoxLoggerShowAlarm", 3, 0, 1, 2);
        row("gridLayout_10", "m_pushButtonPrgStartNow", 3, 2);
        row("gridLayout_10", "gridLayout_5", 3, 4, 2, 2);
        row("gridLayout_10", "m_labelBattery", 3, 6, 2, 1);
        row("gridLayout_10", "m_checkBoxLoggerShowTemp", 4, 0, 1, 3);
        row("gridLayout_10", "gridLayout_26", 5, 0, 1, 7);
        row("gridLayout_10", "gridLayout_27", 6, 0, 1, 6);
        row("gridLayout_10", "m_pushButtonProgram", 6, 6);
        row("gridLayout_5", "m_radioButtonPrgStopButonEnable", 1, 0);
        row("gridLayout_5", "m_radioButtonPrgAutoRestartEnable", 3, 0);
        row("gridLayout_24", "m_labelPrgStopReading", 0, 3);
        row("gridLayout_23", "m_gridLayoutExtTempLL", 3, 0);
        row("gridLayout_48", "m_checkBoxLoggerAlarmSensorEnableIntHum", 0, 1);
        row("gridLayout_48", "m_gridLayoutIntHumTotDelay", 2, 1);
        row("m_gridLayoutIntHumTotDelay", "m_labelAlarmTotoDelayHim", 0, 0);
        row("m_gridLayoutIntTempConDelay", "m_lineEditLoggerConsecutiveAlarmDelay", 0, 1);
        row("m_gridLayoutExtTempHH", "m_checkBoxLoggerAlarmHighHighExt", 0, 2);
        row("gridLayout_34", "m_lineEditComment", 0, 0);
        row("gridLayout_34", "m_widgetGraph", 2, 0);
        row("gridLayout_28", "groupBox_3", 0, 1, 2, 1);
        row("gridLayout_81", "gridLayout_80", 1, 0, 1, 2);
        row("gridLayout_19", "m_listWidgetUserAdminList", 0, 0, 1, 2);
        row("gridLayout_79", "m_comboBoxUserAdminEmployeeNb", 5, 1);
        row("gridLayout_79", "m_spinBoxUserAdminPassDuration", 7, 1);
        row("gridLayout_79", "m_checkBoxUserAdminAccessConfigure", 11, 1, 1, 2);
        row("gridLayout_79", "m_radioButtonUserAdminActiveNo", 12, 2);
        row("gridLayout_80", "m_radioButtonUserAdminUnlockAdmin", 1, 1);
        row("gridLayout_14", "m_plainTextEditUserAdminMessage", 2, 0, 1, 2);
        row("gridLayout_14", "m_pushButtonUserAdminAddAuditMessage", 3, 1);
        row("gridLayout_11", "m_listWidgetAdminInfo", 0, 0, 4, 1);
        row("gridLayout_11", "m_pushButtonFullInit", 0, 4, 1, 2);
        row("gridLayout_11", "gridLayout_43", 2, 1, 1, 4);
        row("gridLayout_11", "m_checkBoxAdminAutoProgram", 2, 6);
        row("gridLayout_11", "groupBox", 3, 1, 1, 7);
        row("gridLayout_11", "verticalLayout_2", 4, 0, 1, 8);
        row("gridLayout_30", "gridLayout_29", 3, 0, 1, 2);
        row("gridLayout_38", "m_pushButtonAdminLoadExtTable", 0, 2);
        row("gridLayout_33", "horizontalLayout_10", 4, 0);
        row("gridLayout_44", "groupBox_5", 0, 0);
    }
    void gridCells()
    {
        QFETCH(QString, layout);
        QFETCH(QString, item);
        QFETCH(QRect, cell);
        Form form;
        QGridLayout *grid = form.find<QGridLayout>(layout);
        QVERIFY(grid);
        int index = -1;
        for (int i = 0; i < grid->count(); ++i) {
            QLayoutItem *entry = grid->itemAt(i);
            const QObject *object = entry->widget() ? static_cast<QObject *>(entry->widget())
                                                    : static_cast<QObject *>(entry->layout());
            if (object && object->objectName() == item)
                index = i;
        }
        QVERIFY(index >= 0);
        int row, column, rowSpan, columnSpan;
        grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        QCOMPARE(QRect(column, row, columnSpan, rowSpan), cell);
    }

    void spacers()
    {
        Form form;
        struct Expect { QLayout *layout; int row; int column; QSize hint; bool horizontal; };
        const QList<Expect> expected = {
            {form.ui.gridLayout_10, 0, 1, {60, 20}, true},   {form.ui.gridLayout_10, 0, 5, {47, 20}, true},
            {form.ui.gridLayout_47, 3, 1, {20, 40}, false},  {form.ui.gridLayout_48, 3, 1, {188, 47}, false},
            {form.ui.gridLayout_23, 3, 1, {178, 47}, false}, {form.ui.gridLayout_11, 0, 7, {19, 20}, true},
            {form.ui.gridLayout_11, 1, 7, {106, 20}, true},  {form.ui.gridLayout_33, 5, 0, {20, 117}, false},
            {form.ui.gridLayout_44, 1, 0, {20, 287}, false}};
        for (const Expect &e : expected) {
            QLayoutItem *item = static_cast<QGridLayout *>(e.layout)->itemAtPosition(e.row, e.column);
            QVERIFY(item);
            QSpacerItem *spacer = item->spacerItem();
            QVERIFY2(spacer, qPrintable(e.layout->objectName()));
            QCOMPARE(spacer->sizeHint(), e.hint);
            QCOMPARE(spacer->expandingDirections(), e.horizontal ? Qt::Horizontal : Qt::Vertical);
        }
    }

    void loggerPanelsStackWithoutGaps()
    {
        Form form;
        const QList<QWidget *> panels = {form.ui.m_groupBoxSettings, form.ui.m_tabWidgetAlarm,
                                         form.ui.m_groupBoxProgram, form.ui.m_groupBoxAdmin};
        int top = 0;
        for (QWidget *panel : panels) {
            QCOMPARE(panel->parentWidget(), form.ui.m_widgetPrg);
            QCOMPARE(panel->x(), 0);
            QCOMPARE(panel->y(), top);
            QCOMPARE(panel->width(), panels.first()->width());
            top += panel->height();
        }
        QCOMPARE(form.ui.m_widgetPrg->minimumSize(), QSize(384, 550));
    }

    void windowLayoutHolds()
    {
        Form form;
        form.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form.window));
        QCOMPARE(form.ui.m_tableWidgetLogger->width(), 352);
        QVERIFY(form.ui.m_plainTextEditInfo->height() <= 256);
        QVERIFY(form.ui.m_widgetPrg->width() >= 384);
        QVERIFY(form.ui.m_widgetPrg->height() >= 550);
        const int tableHeight = form.ui.m_tableWidgetLogger->height();
        const int barHeight = form.ui.m_progressBarWrite->height();
        form.window.resize(form.window.width() + 200, form.window.height() + 200);
        QTRY_VERIFY(form.ui.m_tableWidgetLogger->height() > tableHeight);
        QCOMPARE(form.ui.m_tableWidgetLogger->width(), 352);
        QCOMPARE(form.ui.m_progressBarWrite->height(), barHeight);
        QVERIFY(form.ui.m_tabWidget->x() > form.ui.m_tableWidgetLogger->geometry().right());
    }
};

MIRELDA_TEST_MAIN(TestMainWindowForm)
#include "tst_mainwindowform.moc"
