#include "support/testenv.h"

#include "ui_mainwindow.h"

#include <QMainWindow>
#include <QSignalSpy>

// The main window's form built on a bare QMainWindow: the window's code reaches
// widgets by these names and binds its slots by them, so names, classes, texts
// looked up as they stand, and the order the user walks through must not drift.

namespace {

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

} // namespace

class TestMainWindowForm : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The pictures sit in a static library, which links them only when asked for by name.
        Q_INIT_RESOURCE(mirelda);
    }

    void tabPagesInOrder()
    {
        Form form;
        const QList<QPair<QTabWidget *, QStringList>> tabs = {
            {form.ui.m_tabWidget,
             {"m_tabHome=Home", "m_tabLogger=Program", "m_tabGraph=Graph", "m_tabHistogram=Histogram",
              "m_tabTable=Table", "m_tabSummary=Summary", "m_tabUserAdmin=User/Admin", "m_tabAdmin=Admin",
              "m_tabProduction=Production"}},
            {form.ui.m_tabWidgetAlarm,
             {"m_tabAlarmInt=Int. Temp (NTC)", "m_tabAlarmIntHum=Int. Hum", "m_tabAlarmExtNtc=Ext. Temp (NTC)"}}};
        for (const auto &tab : tabs) {
            QStringList pages;
            for (int i = 0; i < tab.first->count(); ++i)
                pages << tab.first->widget(i)->objectName() + QLatin1Char('=') + tab.first->tabText(i);
            QCOMPARE(pages, tab.second);
        }
    }

    // A representative set of the names the window binds to, odd spellings included.
    void boundObjectsExistOnceWithTheirClass_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        const char *const objects[][2] = {
            {"m_actionLoad", "QAction"}, {"m_actionGeneratPdf", "QAction"}, {"m_actionSend_Report", "QAction"},
            {"m_actionSendByEmail", "QAction"}, {"m_actionDisconnect_Logger", "QAction"},
            {"m_actionEEpromRead", "QAction"}, {"actionLogout", "QAction"}, {"m_actionLogout", "QAction"},
            {"m_tableWidgetLogger", "QTableWidget"}, {"m_progressBarWrite", "QProgressBar"},
            {"m_webView", "QWebView"}, {"m_widgetPrg", "QWidget"}, {"m_lineEditLoggerPassword", "QLineEdit"},
            {"m_radioButtonPrgStopButonEnable", "QRadioButton"}, {"m_radioButtonPrgAutoRestartEnable", "QRadioButton"},
            {"m_comboBoxPrgDuration", "QComboBox"}, {"m_dateTimeEditPrgInterval", "QDateTimeEdit"},
            {"m_dateTimeEditPrgStartWait", "QDateTimeEdit"}, {"m_pushButtonProgram", "QPushButton"},
            {"m_labelBattery", "QLabel"}, {"m_labelAlarmTotoDelayHim", "QLabel"},
            {"m_lineEditLoggerConsecutiveAlarmDelayHum", "QLineEdit"},
            {"m_checkBoxLoggerAlarmSensorEnableExtTemp", "QCheckBox"}, {"m_widgetGraph", "QWidget"},
            {"m_widgetHistogram", "QWidget"}, {"m_tableWidgetTable", "QTableWidget"},
            {"m_tableWidgetTableSummary", "QTableWidget"}, {"m_listWidgetUserAdminList", "QListWidget"},
            {"m_dateEditUserAdminDate", "QDateEdit"}, {"m_spinBoxUserAdminPassDuration", "QSpinBox"},
            {"m_plainTextEditUserAdminAudit", "QPlainTextEdit"}, {"m_labelUAUnlock", "QLabel"},
            {"m_pushButtonAdminLoadIntTable", "QToolButton"}, {"m_pushButtonAdminDefaultPath", "QToolButton"},
            {"m_pushButtonProdPath", "QPushButton"}, {"m_mainToolBar", "QToolBar"}};
        for (const auto &object : objects)
            QTest::newRow(object[0]) << QString::fromLatin1(object[0]) << QString::fromLatin1(object[1]);
    }
    void boundObjectsExistOnceWithTheirClass()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        Form form;
        const QList<QObject *> found = form.window.findChildren<QObject *>(name);
        QCOMPARE(found.size(), 1);
        QCOMPARE(QString::fromLatin1(found.first()->metaObject()->className()), className);
    }

    void textsLookedUpAsTheyStand()
    {
        Form form;
        QCOMPARE(form.ui.m_actionSendByEmail->text(), QStringLiteral("Send  by E-Mail"));
        QCOMPARE(form.ui.m_actionGeneratPdf->text(), QStringLiteral("Generate PDF file"));
        QCOMPARE(form.ui.label_14->text(), QStringLiteral("Defalut Path"));
        QCOMPARE(form.ui.label_5->text(), QStringLiteral("Re-enter passworrd:"));
        QCOMPARE(form.ui.m_labelAlarmTotoDelayHim->text(), QStringLiteral("Total delay before alarm"));
        QCOMPARE(form.ui.m_radioButtonPrgStopButonEnable->text(), QStringLiteral("Stop Button Enable"));
        QCOMPARE(form.ui.m_labelAlarmHighHighHum->text(), QStringLiteral("HHigh(%)"));
    }

    void lineEditsStopAtTheirLimits_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("maxLength");
        const QList<QPair<const char *, int>> limits = {
            {"m_lineEditLoggerPassword", 8}, {"m_lineEditLoggerSerial", 16}, {"m_lineEditLoggerProduct", 16},
            {"m_lineEditLoggerDescription", 32}, {"m_lineEditComment", 58}, {"m_lineEditUserAdminUserName", 16},
            {"m_lineEditUserAdminFirstName", 16}, {"m_lineEditUserAdminLastName", 16},
            {"m_lineEditUserAdminPassword", 16}, {"m_lineEditUserAdminPassword2", 16},
            {"m_lineEditUserAdminTimeOut", 4}, {"m_lineEditAdminSerial", 16}};
        for (const auto &limit : limits)
            QTest::newRow(limit.first) << QString::fromLatin1(limit.first) << limit.second;
    }
    void lineEditsStopAtTheirLimits()
    {
        QFETCH(QString, name);
        QFETCH(int, maxLength);
        Form form;
        QLineEdit *edit = form.find<QLineEdit>(name);
        QVERIFY(edit);
        QTest::keyClicks(edit, QString(maxLength + 3, QLatin1Char('7')));
        QCOMPARE(edit->text().size(), maxLength);
        // Password fields never show what was typed.
        if (name.contains(QLatin1String("Password")))
            QVERIFY(!edit->displayText().contains(QLatin1Char('7')));
    }

    void tabKeyWalksTheLoggerPage()
    {
        Form form;
        form.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&form.window));
        QCOMPARE(form.ui.m_tabWidget->currentWidget(), form.ui.m_tabLogger);
        const QStringList chain = {
            "m_lineEditLoggerPassword", "m_checkBoxLoggerAllowRead", "m_checkBoxLoggerAllowWrite",
            "m_lineEditLoggerSerial", "m_lineEditLoggerProduct", "m_pushButtonLoggerReadTime",
            "m_pushButtonLoggerSyncTime", "m_lineEditLoggerDescription", "m_lineEditLoggerMemSize",
            "m_lineEditLoggerNbTrip", "m_lineEditLoggerRange", "m_tabWidgetAlarm", "m_lineEditLoggerHighHigh",
            "m_lineEditLoggerHigh", "m_lineEditLoggerLow", "m_lineEditLoggerLowLow",
            "m_checkBoxLoggerAlarmHighHigh", "m_checkBoxLoggerAlarmHigh", "m_checkBoxLoggerAlarmLow",
            "m_checkBoxLoggerAlarmLowLow", "m_checkBoxLoggerAlarmSensorEnableIntTemp",
            "m_lineEditLoggerConsecutiveAlarmDelay", "m_lineEditLoggerTotalAlarmDelay",
            // The humidity and probe pages are hidden, so focus goes on to the program panel.
            "m_dateTimeEditPrgInterval"};
        form.ui.m_lineEditLoggerPassword->setFocus();
        for (const QString &name : chain) {
            QWidget *expected = form.find<QWidget>(name);
            QWidget *focus = QApplication::focusWidget();
            QVERIFY2(focus && (focus == expected || expected->isAncestorOf(focus)),
                     qPrintable(name + QLatin1String(" expected, got ") + (focus ? focus->objectName() : QString())));
            QTest::keyClick(focus, Qt::Key_Tab);
        }
    }

    void everyPictureLoads_data()
    {
        QTest::addColumn<QString>("path");
        const char *const pictures[] = {
            "kelpra.png", "folder_download.png", "floppy.png", "control-center.png", "FAQ.png", "kchart.png",
            "Undock.png", "acrord.png", "lock_open.png", "lock_closed.png", "PrintPreview2.png", "printer.png",
            "logout.png", "1385547187_email-send.png", "FullBattery.png", "Ball Blue.png", "Ball Green.png",
            "Ball Red.png", "file_001.ico"};
        for (const char *picture : pictures)
            QTest::newRow(picture) << QStringLiteral(":/Pictures/") + QString::fromLatin1(picture);
    }
    void everyPictureLoads()
    {
        QFETCH(QString, path);
        QVERIFY(!QPixmap(path).isNull());
    }

    void menusAndToolBarListTheirActionsInOrder()
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
        QCOMPARE(entryNames(form.ui.m_mainToolBar->actions()),
                 QStringList({"m_actionLoad", "m_actionSave", "-", "m_actionProgram", "m_actionDownload",
                              "m_actionGeneratPdf", "-", "m_actionOptions", "m_actionLock", "-",
                              "m_actionPrintPrint", "m_actionPrintPreview", "-", "m_actionSendByEmail",
                              "m_actionLogout", "-", "m_actionAbout"}));
    }

    void shortcutsTriggerOnlyEnabledActions()
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
};

MIRELDA_TEST_MAIN(TestMainWindowForm)
#include "tst_mainwindowform.moc"
