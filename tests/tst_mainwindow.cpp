#include <QLineEdit>
#include <QScopeGuard>
#include <QTimer>
#include <QWebFrame>
#include <QWebPage>
#include <QWebView>

#include "core/platform.h"
#include "core/clanguagetable.h"
#include "core/imagecodec.h"
#include "views/chistogram.h"
#include "views/cplot.h"
#include "files/cfilemanager.h"
#include "files/wholefile.h"
#include "reports/cprint.h"
#include "support/testenv.h"
#include "support/useradmintest.h"
#include "support/viewstest.h"
#include "support/windowtest.h"
#include "users/cuseradmin.h"

using namespace WindowTest;

namespace {

QString adminIniPath()
{
    return TestEnv::settingsDir() + QStringLiteral("xZdrAdmin.ini");
}

// The warning users know for a file that could not be saved, before its path
// and reason.
const QString kNotWritable = QStringLiteral("Warning!\n\nFailed to open file, is it writable?\n\n");

// A trip of a one-minute interval from 1 March 2026, 10:00, as a data file
// holds it.
LoggerRecord fileTrip(const char *serial, const QVector<quint16> &readings)
{
    LoggerRecord source = downloadedTrip(QString::fromLatin1(serial), readings);
    source.sensorFlags = SensorBits::InternalNtc;
    source.configWord = ConfigBits::InternalOn;
    source.interval = 60;
    source.startTime = QDateTime(QDate(2026, 3, 1), QTime(10, 0));
    source.imageRead = ImageCodec::encode(source, QByteArray(kImageSize, '\0'));
    return source;
}

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(16, 16).toImage();
}

QImage picture(const char *name)
{
    return iconImage(QIcon(QStringLiteral(":/Pictures/") + QString::fromLatin1(name)));
}

// The ball each alarm cell (columns 4..8: LL, L, OK, H, HH) of a row shows:
// b blue, g green, r red, ? another picture, - none.
QString ballsOf(QTableWidget *table, int row)
{
    const QList<QPair<QImage, QChar>> balls = { { picture("Ball Blue.png"), QLatin1Char('b') },
                                                { picture("Ball Green.png"), QLatin1Char('g') },
                                                { picture("Ball Red.png"), QLatin1Char('r') } };
    QString shown;
    for (int column = 4; column <= 8; ++column) {
        const QIcon icon = table->item(row, column)->icon();
        QChar ball = icon.isNull() ? QLatin1Char('-') : QLatin1Char('?');
        for (const auto &known : balls)
            if (!icon.isNull() && iconImage(icon) == known.first)
                ball = known.second;
        shown += ball;
    }
    return shown;
}

// Runs a function at every event of a type that reaches a widget.
class EventWatch : public QObject
{
public:
    EventWatch(QWidget *widget, QEvent::Type type, std::function<void()> seen)
        : type(type), seen(std::move(seen))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == type)
            seen();
        return QObject::eventFilter(watched, event);
    }

private:
    QEvent::Type type;
    std::function<void()> seen;
};

bool shownOnScreen(MainWindow &window)
{
    window.resize(1200, 800);
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}

LoggerRecord openedTrip(const QString &serial, const QVector<int> &tenths)
{
    LoggerRecord trip = ViewsTest::openedSet(serial, tenths);
    trip.ready = true;
    return trip;
}

// A trip the automatic download of its logger just brought.
LoggerRecord autoDownloadedTrip(const QString &serial, const QVector<int> &tenths)
{
    LoggerRecord logger = openedTrip(serial, tenths);
    logger.fromFile = false;
    logger.autoDownloaded = logger.autoDownloadArrived = true;
    logger.autoDelay = 0;
    return logger;
}

// How a plain push button with the text and font of button draws, beside
// it on the same page.
QImage plainButtonLook(const QPushButton *button, bool enabled)
{
    QPushButton plain(button->text(), button->parentWidget());
    plain.setFont(button->font());
    plain.resize(button->size());
    plain.setEnabled(enabled);
    return plain.grab().toImage();
}

}

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        QFile::remove(adminIniPath());
    }

    void everyNamedSlotMatchesAWidgetSignal()
    {
        MainWindow window;
        QCOMPARE(unboundSlots(&window), QStringList());
    }

    // A button with no routine behind it draws as any disabled button does;
    // the red of Full Init is for a button that can be pressed.
    void buttonsWithNoRoutineLookDisabled()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.ui;
        QPushButton *const unserved[] = { ui->m_pushButtonStartInit, ui->m_pushButtonFullInit,
                                          ui->m_pushButtonAdminRefreshCommJig, ui->m_pushButtonAdminTestJig,
                                          ui->m_pushButtonAdminTestPushDB, ui->m_pushButtonAdminReadIntTable,
                                          ui->m_pushButtonAdminReadExtTable, ui->m_pushButtonProdPath };
        for (QPushButton *button : unserved) {
            // its own look first: drawing it settles its size
            const QImage look = button->grab().toImage();
            QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
            QVERIFY2(look == plainButtonLook(button, false), qPrintable(button->objectName()));
        }
        QPushButton *fullInit = ui->m_pushButtonFullInit;
        fullInit->setEnabled(true);
        QVERIFY(fullInit->grab().toImage() != plainButtonLook(fullInit, true));
    }

    void startPageComesFromAdminSettings_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("url");
        QTest::newRow("no file") << QByteArray() << "qrc:/home/start.html";
        QTest::newRow("empty value") << QByteArray("[SETTINGS]\r\nURL=\r\n") << "qrc:/home/start.html";
        QTest::newRow("address holding =") << QByteArray("[SETTINGS]\r\nURL=file:///tmp/start-page.html?a=b\r\n")
                                           << "file:///tmp/start-page.html?a=b";
    }
    void startPageComesFromAdminSettings()
    {
        QFETCH(QByteArray, ini);
        if (!ini.isEmpty())
            QVERIFY(TestEnv::writeFile(adminIniPath(), ini));
        MainWindow window;
        QVERIFY(shownOnScreen(window));
        QFETCH(QString, url);
        QTRY_COMPARE(window.ui->m_webView->page()->mainFrame()->requestedUrl().toString(), url);
    }

    // The jig's ports are listed away from the window's thread and arrive
    // in its list; the configured jig port stays chosen while unplugged.
    void jigPortsArriveFromTheirWorker()
    {
        const QStringList earlierPorts = Platform::extraPorts();
        const auto restorePorts = qScopeGuard([earlierPorts] { Platform::setExtraPorts(earlierPorts); });
        Platform::setExtraPorts({ "/dev/pts/mirelda-a", "/dev/pts/mirelda-b" });
        QVERIFY(TestEnv::writeFile(adminIniPath(), "[SETTINGS]\r\nADMIN_JIG_PORT=/dev/ttyJIG9\r\n"));
        MainWindow window;
        QComboBox *combo = window.ui->m_comboBoxAdminJigCom;
        QTRY_COMPARE(combo->currentText(), QStringLiteral("/dev/ttyJIG9"));
        QCOMPARE(combo->findText("/dev/ttyJIG9"), combo->count() - 1);
        QVERIFY(combo->findText("/dev/pts/mirelda-a") >= 0);
        QVERIFY(combo->findText("/dev/pts/mirelda-b") >= 0);
    }

    void tableShowsRecordsWithBalls()
    {
        Harness h;
        QTableWidget *table = h.ui->m_tableWidgetLogger;
        h.records << loggerRecord("ttyUSB0", "A100")
                  << loggerRecord("ttyUSB1", "A101", AlarmStatusBits::LL | AlarmStatusBits::HH)
                  << loggerRecord("ttyUSB2", "A102", 0x01) << loggerRecord("ttyUSB3", QString(), AlarmStatusBits::H)
                  << fileRecord("/data/trips/A103_0001_000.qlf", "A103",
                                AlarmStatusBits::HH | AlarmStatusBits::H | AlarmStatusBits::L);
        h.window.selectTableRow(3);
        QCOMPARE(table->rowCount(), 5);
        QCOMPARE(table->item(0, 2)->text(), QStringLiteral("ttyUSB0"));
        QCOMPARE(table->item(4, 2)->text(), QStringLiteral("A103_0001_000.qlf"));
        QCOMPARE(table->item(4, 3)->text(), QStringLiteral("A103"));
        QCOMPARE(ballsOf(table, 0), QStringLiteral("--g--"));
        QCOMPARE(ballsOf(table, 1), QStringLiteral("b---r"));
        QCOMPARE(ballsOf(table, 2), QStringLiteral("--g--"));   // bit 0x01 plays no part
        QCOMPARE(ballsOf(table, 3), QStringLiteral("-----"));   // no serial yet: no balls
        QCOMPARE(ballsOf(table, 4), QStringLiteral("-b-rr"));
        // a status the logger did not give lights nothing, not even green
        for (quint32 status : { quint32(0), AlarmStatusBits::HH }) {
            h.records[0].alarmStatus = status;
            h.records[0].alarmStatusUnknown = true;
            h.window.loggerTableDirty = true;
            h.window.fillLoggerTable(false);
            QCOMPARE(ballsOf(table, 0), QStringLiteral("-----"));
        }
        h.records[0].alarmStatus = 0;
        h.records[0].alarmStatusUnknown = false;

        // the image arrives: the row is refreshed in place, still current
        h.records[3].serialNumber = QStringLiteral("B200");
        h.window.loggerTableDirty = true;
        h.window.fillLoggerTable(false);
        QVERIFY(!h.window.loggerTableDirty);
        QCOMPARE(table->item(3, 3)->text(), QStringLiteral("B200"));
        QCOMPARE(ballsOf(table, 3), QStringLiteral("---r-"));
        QCOMPARE(table->currentRow(), 3);
        // a change of the count rebuilds everything; the chosen row stays current
        h.records << loggerRecord("ttyUSB5", "B201");
        h.window.fillLoggerTable(false);
        QCOMPARE(table->rowCount(), 6);
        QCOMPARE(table->item(5, 3)->text(), QStringLiteral("B201"));
        QCOMPARE(table->currentRow(), 3);
    }

    // Rows come and go beside the one the user chose (a logger plugged, a
    // trip kept apart, a row above closed): the same record stays chosen,
    // with what was typed for it, its actions and the rows selected beside
    // it. The kept trip, with the same texts, shows its own, and what was
    // typed comes back with its record. Once it is gone nothing is current
    // and the page shows no logger's identity.
    void theChosenRecordStaysChosenWhileRowsComeAndGo()
    {
        Harness h;
        QTableWidget *table = h.ui->m_tableWidgetLogger;
        h.records << fileRecord("/data/trips/A1.qlf", "A1");
        LoggerRecord chosen = downloadedTrip(QStringLiteral("B2"), { 250, 251 });
        chosen.portName = QStringLiteral("ttyUSB1");
        chosen.configWord = ConfigBits::InternalOn | ConfigBits::StartDelay;
        chosen.description = QStringLiteral("Before");
        chosen.ready = chosen.dataLoaded = chosen.unsavedReadings = true;
        chosen.keepAsTrip();
        h.addAndSelect(chosen);
        h.window.Timer();
        h.ui->m_tabWidget->setCurrentWidget(h.ui->m_tabLogger);
        QLineEdit *description = h.ui->m_lineEditLoggerDescription;
        description->selectAll();
        QTest::keyClicks(description, QStringLiteral("Typed for B2"));

        h.records << loggerRecord("ttyUSB2", QString());   // a logger plugged in
        h.window.fillLoggerTable(false);
        h.records << h.records.at(1).tripApart();          // its trip kept apart
        h.window.fillLoggerTable(false);
        h.window.app->removeRecord(0);                      // the file above closed
        h.window.fillLoggerTable(false);
        h.window.Timer();
        h.window.updateLoggerPage();
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(table->currentRow(), 0);
        QCOMPARE(h.window.app->selection, QList<int>({ 0 }));
        QCOMPARE(h.window.lastSelectedRow, 0);   // a press on it is no new choice
        QCOMPARE(h.ui->m_lineEditLoggerSerial->text(), QStringLiteral("B2"));
        QCOMPARE(description->text(), QStringLiteral("Typed for B2"));
        QVERIFY(h.ui->m_actionSave->isEnabled() && h.ui->m_actionDownload->isEnabled()
                && h.ui->m_actionProgram->isEnabled());
        table->setCurrentCell(2, 0);
        QCOMPARE(description->text(), QStringLiteral("Before"));
        table->setCurrentCell(0, 0);
        QCOMPARE(description->text(), QStringLiteral("Typed for B2"));

        // the kept trip selected beside it; the logger between them goes
        table->selectionModel()->select(table->model()->index(2, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(h.window.app->selection, QList<int>({ 0, 2 }));
        h.window.app->removeRecord(1);
        h.window.fillLoggerTable(false);
        QCOMPARE(table->currentRow(), 0);
        QCOMPARE(h.window.app->selection, QList<int>({ 0, 1 }));
        QCOMPARE(table->selectionModel()->selectedRows().size(), 2);
        h.window.Timer();

        // the chosen record goes, the kept trip stays
        h.window.app->removeRecord(0);
        h.window.fillLoggerTable(false);
        h.window.Timer();
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->currentRow(), -1);
        QVERIFY(table->selectionModel()->selectedRows().isEmpty());
        QVERIFY(h.ui->m_lineEditLoggerSerial->text().isEmpty());
        QVERIFY(description->text().isEmpty());
        QVERIFY(!h.ui->m_actionSave->isEnabled() && !h.ui->m_actionProgram->isEnabled());
    }

    // The chosen logger, above three data files, unplugged once its comment
    // was typed and saved, with the data folder gone: the comment field,
    // disabled with the views, hands the focus to the list, which shows no
    // row chosen, the report actions off; a report of a file draws its views.
    void noRowLooksChosenWithoutItsViews()
    {
        Harness h;
        QVERIFY(shownOnScreen(h.window));
        LoggerRecord logger = fileTrip("L1", QVector<quint16>(40, 0x00C8));
        logger.portName = QStringLiteral("ttyUSB1");
        logger.ready = logger.dataLoaded = true;
        h.records << logger << openedTrip("F1", { 200, 210 }) << openedTrip("F2", { 200 }) << openedTrip("F3", { 200 });
        h.window.selectTableRow(0);
        h.window.Timer();
        h.ui->m_tabWidget->setCurrentWidget(h.ui->m_tabGraph);
        h.ui->m_lineEditComment->setFocus();
        QTest::keyClicks(h.ui->m_lineEditComment, QStringLiteral("Cold chain"));
        h.prompts.filesToChoose = QStringList{ h.homePath("L1.qlf") };
        h.ui->m_actionSave->trigger();
        QVERIFY(QFile::exists(h.homePath("L1.qlf")) && h.ui->m_lineEditComment->hasFocus());
        h.window.app->settings.defaultPath = h.homePath("gone");
        h.records[0].disconnectRequested = true;   // its port lost
        h.window.app->pollLoggers();
        h.window.fillLoggerTable(false);
        h.window.Timer();
        QTableWidget *table = h.ui->m_tableWidgetLogger;
        QTRY_VERIFY(table->hasFocus());
        h.window.updateActions();
        QCOMPARE(qMakePair(table->rowCount(), table->currentRow()), qMakePair(3, -1));
        QVERIFY(table->selectionModel()->selectedRows().isEmpty() && !h.ui->m_actionGeneratPdf->isEnabled()
                && !h.ui->m_actionPrintPrint->isEnabled() && !h.ui->m_actionPrintPreview->isEnabled());

        const QString pdf = h.homePath("F1.pdf");
        QVERIFY(!h.window.plot && CPrint(&h.window).printPdf(pdf, h.records.at(0)));
        for (const char *page : { "1", "2" })   // the graph's legend, the histogram's
            QVERIFY(TestEnv::programOutput("pdftotext", { "-f", page, "-l", page, pdf, "-" }).contains("F1 Int.Temp.(NTC)"));
    }

    // Without rows the window shows its home page; a file opens the views,
    // and closing it takes them and their pages away, while a connected
    // logger is never dropped by the close-file actions.
    void viewsFollowTheFilesOpenedAndClosed()
    {
        Harness h;
        QTabWidget *tabs = h.ui->m_tabWidget;
        tabs->setTabEnabled(2, true);
        tabs->setCurrentWidget(h.ui->m_tabGraph);
        h.window.viewsDirty = true;
        h.window.Timer();
        QCOMPARE(tabs->currentWidget(), h.ui->m_tabHome);
        QVERIFY(!tabs->isTabEnabled(2));

        h.records << loggerRecord("ttyUSB0", "L1");
        h.addAndSelect(fileRecord("/tmp/a.qlf", "F1"));
        h.window.app->selection = { 1 };
        h.window.viewsDirty = true;
        h.window.Timer();
        for (int page = 1; page <= 5; ++page)
            QVERIFY(tabs->isTabEnabled(page));
        QCOMPARE(tabs->currentWidget(), h.ui->m_tabGraph);
        QVERIFY(h.ui->m_tableWidgetTableSummary->columnCount() > 0);

        h.window.selectTableRow(0);
        h.window.on_m_actionCloseSelectedFile_triggered();
        QCOMPARE(h.records.size(), 2);
        h.window.selectTableRow(1);
        h.ui->m_actionCloseSelectedFile->trigger();
        QCOMPARE(h.records.size(), 1);
        QCOMPARE(h.ui->m_tableWidgetLogger->rowCount(), 1);
        QVERIFY(!h.window.app->selection.contains(1));
        h.window.Timer();
        QCOMPARE(h.ui->m_tableWidgetTableSummary->columnCount(), 0);
        for (int page = MainWindow::PageGraph; page <= MainWindow::PageSummary; ++page)
            QVERIFY(!tabs->isTabEnabled(page));

        h.records << fileRecord("/tmp/b.qlf", "F2") << loggerRecord("ttyUSB1", "L2");
        h.window.selectTableRow(1);
        h.window.viewsDirty = false;
        h.ui->m_actionCloseAllFiles->trigger();
        QCOMPARE(h.records.size(), 2);
        QCOMPARE(h.ui->m_tableWidgetLogger->item(1, 2)->text(), QStringLiteral("ttyUSB1"));
        QVERIFY(h.window.viewsDirty);
    }

    // The graph's first frame does not wait for the readings table, which
    // is filled right after it, once: a visit of its page with nothing
    // changed keeps what it holds; a rebuild or another selection refills
    // it, and an export of another record leaves it alone.
    void readingsTableFollowsTheGraphOncePerRebuild()
    {
        Harness h;
        QVERIFY(shownOnScreen(h.window));
        QAbstractItemModel *table = h.ui->m_tableWidgetTable->model();
        QTabWidget *tabs = h.ui->m_tabWidget;
        h.addAndSelect(openedTrip("A1", { 200, 210, 220 }));
        h.window.Timer();
        QVERIFY(h.window.plot);
        QCOMPARE(tabs->currentWidget(), h.ui->m_tabGraph);
        int rowsAtFirstPaint = -1;
        EventWatch firstPaint(h.window.plot->canvas(), QEvent::Paint, [&] {
            if (rowsAtFirstPaint < 0)
                rowsAtFirstPaint = table->rowCount();
        });
        QTRY_VERIFY(rowsAtFirstPaint >= 0);
        QCOMPARE(rowsAtFirstPaint, 0);
        QTRY_COMPARE(table->rowCount(), 3);
        QCOMPARE(table->index(2, 2).data().toString(), QStringLiteral("22.0"));

        QSignalSpy refills(table, &QAbstractItemModel::modelReset);
        const auto keepsMarkedItems = [&] { return refills.isEmpty(); };
        tabs->setCurrentWidget(h.ui->m_tabTable);
        tabs->setCurrentWidget(h.ui->m_tabSummary);
        tabs->setCurrentWidget(h.ui->m_tabTable);
        QVERIFY(keepsMarkedItems());

        // a rebuild while the table is shown fills it at once
        h.window.app->settings.modeCelsius = 0;
        h.window.viewsDirty = true;
        h.window.Timer();
        QVERIFY(!keepsMarkedItems());
        QCOMPARE(table->index(2, 2).data().toString(), QStringLiteral("71.6"));

        // the text export of another record is not shown in the table
        h.records << openedTrip("B2", { 100, 110 });
        h.window.fillLoggerTable(false);
        h.window.selectTableRow(0);
        refills.clear();
        QString error;
        const QString written = h.window.exportSelectedFile("txt", TestEnv::home(), h.records.at(1), &error);
        QVERIFY2(!written.isEmpty(), qPrintable(error));
        QVERIFY(TestEnv::readFile(written).contains("\t50.0\r\n"));
        QVERIFY(keepsMarkedItems());
        QCOMPARE(table->rowCount(), 3);

        // another selection that no rebuild follows still shows at the visit
        h.records << WindowTest::loggerRecord("ttyUSB9", "C3");
        h.window.fillLoggerTable(false);
        h.window.selectTableRow(2);
        h.window.viewsDirty = false;
        tabs->setCurrentWidget(h.ui->m_tabSummary);
        tabs->setCurrentWidget(h.ui->m_tabTable);
        QCOMPARE(table->rowCount(), 0);

        // a closed file's rows never show under the record that took its row
        h.window.selectTableRow(1);
        h.window.Timer();
        QCOMPARE(table->rowCount(), 2);
        tabs->setCurrentWidget(h.ui->m_tabSummary);
        h.ui->m_actionCloseSelectedFile->trigger();
        h.window.selectTableRow(1);   // the logger, which asks for its image
        QCOMPARE(h.records.at(1).serialNumber, QStringLiteral("C3"));
        QVERIFY(!h.window.viewsDirty);
        tabs->setCurrentWidget(h.ui->m_tabTable);
        QCOMPARE(table->rowCount(), 0);
    }

    // A window closed between the graph's first frame and the table's fill
    // spends no time on a table nobody will see.
    void readingsTableIsNotFilledForAClosedWindow()
    {
        Harness h;
        QVERIFY(shownOnScreen(h.window));
        h.addAndSelect(openedTrip("A1", QVector<int>(500, 200)));
        h.window.Timer();
        QVERIFY(h.window.plot);
        bool closeAsked = false;
        // installed after the window's own watch, so it sees the paint first
        // and its close is queued before the fill
        EventWatch closeAtPaint(h.window.plot->canvas(), QEvent::Paint, [&] {
            if (!closeAsked)
                QMetaObject::invokeMethod(&h.window, &QWidget::close, Qt::QueuedConnection);
            closeAsked = true;
        });
        QTRY_VERIFY(closeAsked && !h.window.isVisible());
        QCoreApplication::processEvents();
        QCOMPARE(h.ui->m_tableWidgetTable->model()->rowCount(), 0);
        // its page shown again, the table is filled
        h.window.show();
        h.ui->m_tabWidget->setCurrentWidget(h.ui->m_tabTable);
        QCOMPARE(h.ui->m_tableWidgetTable->model()->rowCount(), 500);
    }

    void pressSelectsOrOpensTheContextMenu()
    {
        Harness h;
        QVERIFY(shownOnScreen(h.window));
        QTableWidget *table = h.ui->m_tableWidgetLogger;
        h.records << fileRecord("/tmp/a.qlf", "F1") << fileRecord("/tmp/b.qlf", "F2");
        h.window.fillLoggerTable(false);

        const QPoint second = table->visualItemRect(table->item(1, 2)).center();
        // the press itself selects, before any release
        QTest::mousePress(table->viewport(), Qt::LeftButton, Qt::NoModifier, second);
        QCOMPARE(h.window.lastSelectedRow, 1);
        QCOMPARE(h.window.app->currentRecord, 1);
        QTest::mouseRelease(table->viewport(), Qt::LeftButton, Qt::NoModifier, second);
        QTest::mouseClick(table->viewport(), Qt::RightButton, Qt::NoModifier, second);
        QCOMPARE(h.prompts.menus, (QList<QStringList>{ { "m_actionProgram", "m_actionDownload", "m_actionSave",
            "m_actionCloseSelectedFile", "m_actionCloseAllFiles", "m_actionDisconnect_Logger" } }));
    }

    void optionalPagesFollowTheMode()
    {
        Harness h;
        QTabWidget *tabs = h.ui->m_tabWidget;
        QCOMPARE(tabs->count(), 6);
        h.window.app->userAdmin->enabled = true;
        h.window.updateLoggerPage();
        QCOMPARE(tabs->indexOf(h.ui->m_tabUserAdmin), 6);

        // without user administration a production station (a jig port)
        // gets its two pages, in order
        h.window.app->jigPort = QStringLiteral("ttyS0");
        h.window.app->userAdmin->enabled = false;
        h.window.updateLoggerPage();
        QCOMPARE(tabs->indexOf(h.ui->m_tabUserAdmin), -1);
        QCOMPARE(tabs->indexOf(h.ui->m_tabAdmin), 6);
        QCOMPARE(tabs->indexOf(h.ui->m_tabProduction), 7);
    }

    // A data file opens as a row once, its views are built (and rebuilt
    // without leaving the old ones behind), it saves without loss and
    // exports; a bad one (the reader's refusals are the data file tests') is
    // told about while the window keeps what it had.
    void dataFilesOpenOnceShowAndSaveWithoutLoss()
    {
        Harness h;
        LoggerRecord source = fileTrip("Q12345", QVector<quint16>{ 0x00C8, 0x00D2, 0x00DC });
        const QString path = h.homePath("Q12345_0001_000.qlf");
        QVERIFY(CFileManager::writeDataFile(path, source, false));

        QVERIFY(h.window.loadDataFile(path));
        QVERIFY(h.prompts.boxes.isEmpty());
        QCOMPARE(h.records.size(), 1);
        QVERIFY(h.records.first().fromFile && h.records.first().dataLoaded);
        QCOMPARE(h.ui->m_tableWidgetLogger->currentRow(), 0);
        QCOMPARE(h.ui->m_tableWidgetLogger->item(0, 2)->text(), QStringLiteral("Q12345_0001_000.qlf"));
        QVERIFY(h.window.viewsDirty);
        h.window.Timer();
        QVERIFY(h.window.plot && h.window.histogram);
        QPointer<QWidget> first = h.window.plot, firstHistogram = h.window.histogram;
        h.window.viewsDirty = true;
        h.window.Timer();
        QVERIFY(first.isNull() && firstHistogram.isNull());
        QCOMPARE(h.ui->m_widgetGraph->findChildren<CPlot *>().size(), 1);

        // the same file again only selects its row
        h.ui->m_tableWidgetLogger->setCurrentCell(-1, -1);
        QVERIFY(h.window.loadDataFile(path));
        QCOMPARE(h.records.size(), 1);
        QCOMPARE(h.ui->m_tableWidgetLogger->currentRow(), 0);

        const QString bad = h.homePath("bad.qlf");
        QVERIFY(TestEnv::writeFile(bad, QByteArray()));
        QVERIFY(!h.window.loadDataFile(bad));
        QCOMPARE(h.prompts.boxes.size(), 1);
        QCOMPARE(h.prompts.boxes.first().kind, CPrompt::Warning);
        QVERIFY(h.prompts.boxes.first().text.contains(QLatin1String("bad.qlf")));
        QCOMPARE(h.records.size(), 1);
        QCOMPARE(h.ui->m_tableWidgetLogger->rowCount(), 1);
        QCOMPARE(h.ui->m_tableWidgetLogger->currentRow(), 0);
        QVERIFY(QFile::exists(bad));
        h.prompts.boxes.clear();

        // with no data path set yet, the choosers open at home
        h.prompts.filesToChoose.clear();
        h.ui->m_actionSaveAs->trigger();
        h.ui->m_actionSaveProgramTemplate->trigger();
        h.ui->m_actionLoad->trigger();
        QCOMPARE(h.prompts.fileDirectories.size(), 3);
        for (const QString &directory : qAsConst(h.prompts.fileDirectories))
            QVERIFY2(directory.startsWith(QDir::homePath()), qPrintable(directory));
        h.prompts.fileCaptions.clear();

        // Save writes the same file without asking, with the comment typed
        // over the graph
        h.ui->m_lineEditComment->setText(QStringLiteral("edited"));
        h.ui->m_lineEditComment->setModified(true);
        h.ui->m_actionSave->trigger();
        QVERIFY(h.prompts.fileCaptions.isEmpty());
        LoggerRecord reread;
        QVERIFY(CFileManager::readDataFile(path, reread, false, nullptr));
        QCOMPARE(reread.comment, QStringLiteral("edited"));

        // Save As into a folder that does not exist: a clear message, and the
        // record keeps the file it came from
        const QByteArray before = TestEnv::readFile(path);
        h.prompts.filesToChoose = QStringList{ h.homePath("missing/dir/x.qlf") };
        h.ui->m_actionSaveAs->trigger();
        QCOMPARE(h.prompts.boxes.size(), 1);
        QVERIFY(h.prompts.boxes.first().text.startsWith(kNotWritable));
        QVERIFY(h.prompts.boxes.first().text.contains(h.homePath("missing/dir/x.qlf")));
        QCOMPARE(h.records.at(0).fileName, path);
        QCOMPARE(TestEnv::readFile(path), before);

        // another type than a data file is refused rather than written wrongly
        h.prompts.filesToChoose = QStringList{ h.homePath("x.doc") };
        h.ui->m_actionSaveAs->trigger();
        QCOMPARE(h.prompts.boxes.size(), 2);
        QVERIFY(!QFile::exists(h.homePath("x.doc")));

        // a name without a suffix becomes a data file
        h.prompts.filesToChoose = QStringList{ h.homePath("copy") };
        h.ui->m_actionSaveAs->trigger();
        QVERIFY(CFileManager::readDataFile(h.homePath("copy.qlf"), reread, false, nullptr));
        QCOMPARE(reread.readings.mid(0, 3), source.readings);

        // and a .csv name writes the readings export: a header and three readings
        h.prompts.filesToChoose = QStringList{ h.homePath("Q.csv") };
        h.ui->m_actionSaveAs->trigger();
        const QStringList lines = QString::fromUtf8(TestEnv::readFile(h.homePath("Q.csv"))).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines.at(1).startsWith(QStringLiteral("1,")) && lines.at(3).contains(QStringLiteral("22.0")));
        QCOMPARE(h.prompts.boxes.size(), 2);
        QCOMPARE(h.records.at(0).fileName, h.homePath("copy.qlf"));   // still the data file
    }

    // A save the disk cannot take names the file and the reason after the
    // words users know, and leaves the file that was there.
    void aFailedSaveSaysWhereAndWhy()
    {
        const auto noFault = qScopeGuard([] { WholeFile::failNextForTests(WholeFile::Stage::None); });
        Harness h;
        LoggerRecord source = fileTrip("Q12345", QVector<quint16>{ 0x00C8, 0x00D2, 0x00DC });
        const QString path = h.homePath("Q12345.qlf");
        QVERIFY(CFileManager::writeDataFile(path, source, false));
        QVERIFY(h.window.loadDataFile(path));
        const QString template_ = h.homePath("kept.xtp");
        QVERIFY(TestEnv::writeFile(template_, "[TEMPLATE]\r\n"));
        const QByteArray dataBefore = TestEnv::readFile(path);
        h.records[0].comment = QStringLiteral("edited");

        WholeFile::failNextForTests(WholeFile::Stage::Flush);
        h.ui->m_actionSave->trigger();
        WholeFile::failNextForTests(WholeFile::Stage::Sync);
        h.prompts.filesToChoose = QStringList{ template_ };
        h.ui->m_actionSaveProgramTemplate->trigger();

        QCOMPARE(h.prompts.boxes.size(), 2);
        const QStringList paths{ path, template_ };
        for (int i = 0; i < paths.size(); ++i) {
            const QString text = h.prompts.boxes.at(i).text;
            QCOMPARE(h.prompts.boxes.at(i).kind, CPrompt::Warning);
            QVERIFY2(text.startsWith(kNotWritable), qPrintable(text));
            QVERIFY2(text.contains(paths.at(i)) && text.contains("No space left on device"), qPrintable(text));
        }
        QCOMPARE(TestEnv::readFile(path), dataBefore);
        QCOMPARE(TestEnv::readFile(template_), QByteArray("[TEMPLATE]\r\n"));
    }

    // A failed readings export, asked for or automatic, tells the file and
    // the system's reason, and an earlier export stays as it was.
    void aFailedExportSaysWhereAndWhy()
    {
        const auto noFault = qScopeGuard([] { WholeFile::failNextForTests(WholeFile::Stage::None); });
        Harness h;
        const QString dir = h.homePath("exports");
        QVERIFY(QDir().mkpath(dir));
        const QString csv = dir + QStringLiteral("/asked.csv");
        QVERIFY(TestEnv::writeFile(csv, "earlier export"));
        h.addAndSelect(openedTrip("E1", { 40, 50 }));
        WholeFile::failNextForTests(WholeFile::Stage::Flush);
        h.prompts.filesToChoose = QStringList{ csv };
        h.ui->m_actionSaveAs->trigger();

        AppSettings &settings = h.window.app->settings;
        settings.defaultPath = dir;
        settings.autoSaveLogger = true;
        settings.autoGenerateTxt = true;
        h.addAndSelect(autoDownloadedTrip("E2", { 60, 70 }));
        h.window.viewsDirty = false;
        WholeFile::failNextForTests(WholeFile::Stage::Sync, 2);
        h.window.Timer();
        QVERIFY(h.records.at(1).autoSaved && h.records.at(1).autoTxtDone);
        QVERIFY(h.records.at(1).fileName.isEmpty());   // nothing was saved
        const QString txt = h.records.at(1).exportFileName;
        QVERIFY2(txt.endsWith(".txt"), qPrintable(txt));
        const QString qlf = QFileInfo(txt).path() + QLatin1Char('/') + QFileInfo(txt).completeBaseName() + ".qlf";

        QCOMPARE(h.prompts.boxes.size(), 3);
        const QStringList paths{ csv, qlf, txt };
        for (int i = 0; i < paths.size(); ++i) {
            const QString text = h.prompts.boxes.at(i).text;
            QCOMPARE(h.prompts.boxes.at(i).kind, CPrompt::Warning);
            QVERIFY2(text.startsWith("Warning!\n\nThe file " + QDir::toNativeSeparators(paths.at(i))
                                     + " could not be written.\n\n"),
                     qPrintable(text));
            QVERIFY2(text.contains("No space left on device"), qPrintable(text));
        }
        QCOMPARE(TestEnv::readFile(csv), QByteArray("earlier export"));
        QVERIFY(!QFile::exists(txt) && !QFile::exists(qlf));
    }

    // The graph page's comment field edits the comment of the record in the
    // current row: the data file keeps it and the report prints it. Typing
    // not finished when the row changes goes to the record it was typed for.
    void commentIsEditedSavedReopenedAndReported()
    {
        Harness h;
        QLineEdit *field = h.ui->m_lineEditComment;
        QVERIFY(field->isVisibleTo(h.ui->m_tabGraph));
        QVERIFY(!field->isEnabledTo(h.ui->m_tabGraph));

        LoggerRecord source = fileTrip("Q777", QVector<quint16>(40, 0x00C8));
        source.comment = QStringLiteral("loaded at dock 4");
        const QString path = h.homePath("Q777.qlf");
        QVERIFY(CFileManager::writeDataFile(path, source, false));
        QVERIFY(h.window.loadDataFile(path));
        h.window.Timer();   // builds the views and enables their pages
        QCOMPARE(field->text(), QStringLiteral("loaded at dock 4"));
        QVERIFY(field->isEnabled());

        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("Cold chain kept, 2-8 C"));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(h.records.at(0).comment, QStringLiteral("Cold chain kept, 2-8 C"));
        QVERIFY(h.records.at(0).unsavedReadings);   // offered for saving
        h.ui->m_actionSave->trigger();
        QVERIFY(!h.records.at(0).unsavedReadings);

        h.ui->m_actionCloseAllFiles->trigger();
        QVERIFY(h.records.isEmpty());
        h.window.Timer();
        QVERIFY(field->text().isEmpty() && !field->isEnabledTo(h.ui->m_tabGraph));
        QVERIFY(h.window.loadDataFile(path));
        QCOMPARE(field->text(), QStringLiteral("Cold chain kept, 2-8 C"));

        // a rebuild of the same record's views while a word is mended in the
        // middle leaves the typing where it is
        h.window.Timer();
        field->setCursorPosition(4);
        QTest::keyClicks(field, QStringLiteral(","));
        h.window.viewsDirty = true;
        h.window.Timer();
        QTest::keyClicks(field, QStringLiteral(" the"));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(h.records.at(0).comment, QStringLiteral("Cold, the chain kept, 2-8 C"));

        // Save from the toolbar or its shortcut leaves the typing unfinished
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("Cold chain kept"));
        h.ui->m_actionSave->trigger();
        LoggerRecord reread;
        QVERIFY(CFileManager::readDataFile(path, reread, false, nullptr));
        QCOMPARE(reread.comment, QStringLiteral("Cold chain kept"));

        // Save As a PDF report, which prints the comment
        const QString pdf = h.homePath("Q777 report.pdf");
        h.prompts.filesToChoose = QStringList{ pdf };
        h.ui->m_actionSaveAs->trigger();
        QVERIFY(h.prompts.boxes.isEmpty());
        const QString text = QString::fromUtf8(TestEnv::programOutput("pdftotext", { pdf, "-" }));
        QVERIFY2(text.contains(QStringLiteral("Cold chain kept")), qPrintable(text));
        QCOMPARE(h.records.at(0).fileName, path);   // the record still saves to its data file

        // typing left unfinished when another row becomes current
        LoggerRecord other = source;
        other.comment = QStringLiteral("second trip");
        const QString otherPath = h.homePath("Q778.qlf");
        QVERIFY(CFileManager::writeDataFile(otherPath, other, false));
        h.window.Timer();
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("half typed"));
        QVERIFY(h.window.loadDataFile(otherPath));
        QCOMPARE(h.records.at(0).comment, QStringLiteral("half typed"));
        QCOMPARE(field->text(), QStringLiteral("second trip"));
        QCOMPARE(h.records.at(1).comment, QStringLiteral("second trip"));
    }

    // Save As writes a PDF report by its type; a record without readings has
    // no report, and a folder that is missing is told.
    void saveAsWritesThePdfReport()
    {
        Harness h;
        LoggerRecord logger = loggerRecord(QStringLiteral("ttyS7"), QStringLiteral("L7"));
        logger.ready = true;
        h.addAndSelect(logger);
        h.prompts.filesToChoose = QStringList{ h.homePath("L7.pdf") };
        h.window.on_m_actionSaveAs_triggered();
        QVERIFY(h.prompts.sawBoxContaining(QStringLiteral("no readings")));
        QVERIFY(!QFile::exists(h.homePath("L7.pdf")));

        h.records[0].readings = QVector<quint16>(10, 0x00C8);
        h.records[0].readingCount = 10;
        h.records[0].sensorFlags = SensorBits::InternalNtc;
        h.records[0].configWord = ConfigBits::InternalOn;
        h.records[0].updateChannels();
        h.records[0].interval = 60;
        h.records[0].dataLoaded = true;
        h.prompts.boxes.clear();
        // the box's event loop runs the timers, as a real box does: a tick
        // that rebuilds the views meanwhile meets the window's own views
        CPrompt::setBoxHandler([&h](CPrompt::Kind kind, const QString &text, QMessageBox::StandardButtons) {
            h.prompts.boxes.append({ kind, text });
            h.window.viewsDirty = true;
            h.window.Timer();
            return QMessageBox::Ok;
        });
        h.prompts.filesToChoose = QStringList{ h.homePath("gone/L7.pdf") };
        h.window.on_m_actionSaveAs_triggered();
        QCOMPARE(h.prompts.boxes.size(), 1);
        QVERIFY(!QFile::exists(h.homePath("gone/L7.pdf")));
        QVERIFY(h.window.plot && h.window.plot->m_recordIndex == 0);

        h.prompts.filesToChoose = QStringList{ h.homePath("L7.PDF") };
        h.window.on_m_actionSaveAs_triggered();
        QCOMPARE(h.prompts.boxes.size(), 1);
        QVERIFY(TestEnv::programOutput("pdfinfo", { h.homePath("L7.PDF") }).contains("Pages:"));
    }

    // A file written by a step after a download stands in the trail as one
    // saved by hand does.
    void automaticFilesAreInTheTrail_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::newRow("data file") << "qlf";
        QTest::newRow("PDF report") << "pdf";
        QTest::newRow("TXT export") << "txt";
        QTest::newRow("CSV export") << "csv";
    }

    void automaticFilesAreInTheTrail()
    {
        QFETCH(QString, extension);
        Harness h;
        const QString dir = h.homePath("trail");
        QVERIFY(QDir().mkpath(dir));
        AppSettings &settings = h.window.app->settings;
        settings.defaultPath = dir;
        settings.autoSaveLogger = extension == "qlf";
        settings.autoGeneratePdf = extension == "pdf";
        settings.autoGenerateTxt = extension == "txt";
        settings.autoGenerateCsv = extension == "csv";
        CUserAdmin *users = h.window.app->userAdmin;
        users->users = { UserStoreFile::user("dora", "Dora1pass", "8", UserRecord::RightDownload) };
        users->enabled = true;
        users->currentUser = 0;
        const auto off = qScopeGuard([users] { users->enabled = false; });
        h.addAndSelect(autoDownloadedTrip("AU9", { 60, 70 }));
        h.window.viewsDirty = false;
        h.window.Timer();

        const LoggerRecord &done = h.records.at(0);
        const QString written = extension == "qlf" ? done.fileName : done.exportFileName;
        QVERIFY2(written.endsWith("." + extension) && QFile::exists(written), qPrintable(written));
        QCOMPARE(UserStoreFile::auditOfToday().count(QStringLiteral("Save File: ") + written), 1);
        QVERIFY(h.prompts.boxes.isEmpty());
    }

    // The automatic save and exports after a download, and the storing of
    // an EEPROM image read once.
    void automaticStepsRunOnceAfterAnAutomaticDownload()
    {
        Harness h;
        const QString dir = h.homePath("auto");
        QDir().mkpath(dir);
        AppSettings &settings = h.window.app->settings;
        settings.defaultPath = dir;
        settings.autoDownloadLogger = true;
        settings.autoSaveLogger = true;
        settings.autoGenerateCsv = true;
        // an export of an earlier trip is never overwritten
        QVERIFY(TestEnv::writeFile(dir + QStringLiteral("/S77_0003_000.csv"), "earlier trip"));
        LoggerRecord logger = loggerRecord("ttyUSB0", "S77");
        logger.ready = true;
        logger.versionWord = 0x115;   // its image came
        logger.tripNumber = 3;
        logger.eepromImage = QByteArray(kImageSize, '\x5A');
        logger.eepromReadState = 1;
        h.addAndSelect(logger);
        h.window.viewsDirty = false;

        h.window.Timer();
        QVERIFY(h.records.at(0).autoDownloaded);
        QVERIFY(!h.records.at(0).autoSaved);   // no readings yet
        const QString eeprom = dir + QStringLiteral("/eeprom.bin");
        QCOMPARE(TestEnv::readFile(eeprom), QByteArray(kImageSize, '\x5A'));
        QCOMPARE(h.records.at(0).eepromReadState, 2);
        QFile::remove(eeprom);

        // the readings arrive
        LoggerRecord &record = h.records[0];
        record.readings = { 0x0064, 0x0065 };
        record.readingCount = 2;
        record.dataLoaded = record.autoDownloadArrived = true;
        h.window.Timer();
        const QString saved = dir + QStringLiteral("/S77_0003_000.qlf");
        QVERIFY(QFile::exists(saved));
        QVERIFY(h.records.at(0).autoSaved);
        QCOMPARE(h.records.at(0).fileName, saved);
        QCOMPARE(TestEnv::readFile(dir + QStringLiteral("/S77_0003_000.csv")), QByteArray("earlier trip"));
        QVERIFY(QFile::exists(dir + QStringLiteral("/S77_0003_001.csv")));
        QCOMPARE(h.records.at(0).exportFileName, dir + QStringLiteral("/S77_0003_001.csv"));
        h.window.Timer();
        QVERIFY(!QFile::exists(eeprom));

        // a file never gets automatic steps
        h.addAndSelect(fileRecord(saved, "S77"));
        h.window.Timer();
        QVERIFY(!h.records.at(1).autoDownloaded);

        // a logger whose password was not given waits without a word until
        // it is: no tick shows the Download action's refusal
        LoggerRecord locked = loggerRecord("ttyUSB1", "S78");
        locked.ready = true;
        locked.versionWord = 0x115;
        locked.passwordWord = 0x0A5A1234;
        h.addAndSelect(locked);
        h.prompts.boxes.clear();
        for (int tick = 0; tick < 3; ++tick)
            h.window.Timer();
        QVERIFY(h.prompts.boxes.isEmpty());
        QVERIFY(!h.records.at(2).autoDownloaded);
        h.records[2].passwordAccepted = true;
        h.window.Timer();
        QVERIFY(h.records.at(2).autoDownloaded);
        QVERIFY(h.prompts.boxes.isEmpty());
    }

    // Save never writes over what was saved into its row's file since the
    // row read or wrote it. Another row's Save As takes the file from the
    // row that held it, whose Save then asks for a name; a file replaced
    // from outside is told when it is loaded again, and its Save asks
    // first. Readings whose file was written over are offered as never
    // saved, and the trail names the trip saved with the file.
    void saveNeverWritesOverANewerFile_data()
    {
        QTest::addColumn<bool>("fromOutside");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("lastSaved");    // the trip the file holds in the end
        QTest::addColumn<QString>("savedByRow");   // the trip of the last "Save File:" line
        QTest::newRow("another row's Save As") << false << int(QMessageBox::Yes) << "N2" << "N2";
        QTest::newRow("from outside, kept") << true << int(QMessageBox::No) << "N2" << "";
        QTest::newRow("from outside, replaced") << true << int(QMessageBox::Yes) << "F1" << "F1";
    }

    void saveNeverWritesOverANewerFile()
    {
        QFETCH(bool, fromOutside);
        QFETCH(int, answer);
        QFETCH(QString, lastSaved);
        QFETCH(QString, savedByRow);
        QDir(UserStoreFile::userDir()).removeRecursively();
        const auto restore = qScopeGuard([] { setUserAdministration(false); });
        setUserAdministration(true);
        Harness h;
        h.prompts.logins = { { "admin", "" } };
        h.window.login();
        const QString path = h.homePath("F.qlf");
        const QString other = h.homePath("N.qlf");
        QVERIFY(CFileManager::writeDataFile(path, fileTrip("F1", QVector<quint16>(1000, 0x00C8)), true));
        QVERIFY(CFileManager::writeDataFile(other, fileTrip("N2", QVector<quint16>(600, 0x00D2)), true));
        QVERIFY(h.window.loadDataFile(path));
        if (fromOutside) {
            QVERIFY(QFile::remove(path) && QFile::copy(other, path));
            QVERIFY(h.window.loadDataFile(path));
            QCOMPARE(h.records.size(), 1);
            QVERIFY(h.prompts.sawBoxContaining(QDir::toNativeSeparators(path)
                                               + " changed since its row read or wrote it"));
        } else {
            QVERIFY(h.window.loadDataFile(other));
            h.prompts.filesToChoose = QStringList{ path };
            h.ui->m_actionSaveAs->trigger();
            h.window.selectTableRow(0);
        }
        h.prompts.answer = QMessageBox::StandardButton(answer);
        h.prompts.filesToChoose.clear();
        h.prompts.fileCaptions.clear();
        h.ui->m_actionSave->trigger();

        LoggerRecord inFile;
        QVERIFY(CFileManager::readDataFile(path, inFile, true, nullptr));
        QCOMPARE(inFile.serialNumber, lastSaved);
        QCOMPARE(h.records.at(0).unsavedReadings, lastSaved != "F1");
        // the row's own file is asked about; a row without one asks for a name
        QCOMPARE(h.prompts.sawBoxContaining(" changed since this row read or wrote it"), fromOutside);
        QCOMPARE(h.prompts.fileCaptions, fromOutside ? QStringList() : QStringList{ "Save As" });
        const QString audit = UserStoreFile::auditOfToday();
        const int line = audit.lastIndexOf("Save File: ");
        QCOMPARE(line < 0 ? QString() : audit.mid(line).section("\r\n", 0, 0),
                 savedByRow.isEmpty() ? QString()
                                      : "Save File: " + path + " (" + savedByRow + ", trip started 2026/03/01 10:00:00)");
        // closing the row says where its trip was saved, not that it never was
        h.prompts.boxes.clear();
        h.prompts.answer = QMessageBox::Cancel;
        h.ui->m_actionCloseSelectedFile->trigger();
        QCOMPARE(h.prompts.sawBoxContaining(", was saved in " + QDir::toNativeSeparators(path)
                                            + ", but that file no longer holds it: it was changed or written over since."),
                 lastSaved != "F1");
        QVERIFY(!h.prompts.sawBoxContaining("was never saved"));
    }

    // A trip given a comment after its save is in its file as it was
    // before: closing its row says so, not that it was never saved.
    void closingATripChangedAfterItsSaveSaysWhereItWasSaved()
    {
        Harness h;
        const QString path = h.homePath("C.qlf");
        QVERIFY(CFileManager::writeDataFile(path, fileTrip("C1", QVector<quint16>(10, 0x00C8)), false));
        QVERIFY(h.window.loadDataFile(path));
        h.ui->m_lineEditComment->setText(QStringLiteral("Door left open"));
        h.ui->m_lineEditComment->setModified(true);
        h.prompts.answer = QMessageBox::Cancel;
        h.ui->m_actionCloseSelectedFile->trigger();
        QCOMPARE(h.prompts.boxes.size(), 1);
        QVERIFY2(h.prompts.boxes.first().text.contains(", was saved in " + QDir::toNativeSeparators(path)
                                                       + ", but has changed since"),
                 qPrintable(h.prompts.boxes.first().text));
        QCOMPARE(h.records.size(), 1);
    }

    // Where a folder now stands at the row's file, Save says so instead of
    // asking to replace a save there, and writes nothing.
    void saveSaysWhatStandsAtTheRowsFile()
    {
        Harness h;
        const QString path = h.homePath("G.qlf");
        QVERIFY(CFileManager::writeDataFile(path, fileTrip("G1", QVector<quint16>(10, 0x00C8)), false));
        QVERIFY(h.window.loadDataFile(path));
        QVERIFY(QFile::remove(path) && QDir().mkdir(path));
        h.prompts.answer = QMessageBox::Yes;
        h.ui->m_actionSave->trigger();
        QCOMPARE(h.prompts.boxes.size(), 1);
        QVERIFY2(h.prompts.boxes.first().text.contains("The file " + path + " that this row read or wrote is gone: "
                                                       "what stands there now is a folder, not a file."),
                 qPrintable(h.prompts.boxes.first().text));
        QVERIFY(h.records.at(0).unsavedReadings && QFileInfo(path).isDir());
    }

    void closingOffersEveryTripNeverSaved()
    {
        Harness h;
        LoggerRecord logger = loggerRecord("ttyUSB0", "D1");
        logger.dataLoaded = logger.unsavedReadings = true;
        // a trip whose logger was unplugged since: a row named by its serial
        LoggerRecord orphan = loggerRecord(QString(), "D2");
        orphan.fromFile = orphan.dataLoaded = orphan.unsavedReadings = true;
        h.records << logger << fileRecord("/tmp/f.qlf", "F1") << orphan;
        h.window.fillLoggerTable(false);
        QCOMPARE(h.ui->m_tableWidgetLogger->item(2, 2)->text(), QStringLiteral("D2"));
        h.window.show();
        h.window.close();
        QCOMPARE(h.prompts.boxes.size(), 1);
        QCOMPARE(h.prompts.boxes.first().kind, CPrompt::Question);
        QCOMPARE(h.prompts.boxes.first().text, h.window.app->languageTable->text(183));
        QVERIFY(!h.window.isVisible());

        // "Yes" and then no file chosen: the window stays, the download is kept
        h.window.show();
        h.prompts.answer = QMessageBox::Yes;
        h.prompts.filesToChoose.clear();
        QVERIFY(!h.window.close());
        QVERIFY(h.window.isVisible());

        // every unsaved trip is offered, not only the first, and is then
        // saved, each into a file of its own: a second trip saved into the
        // first one's file would leave the first in none
        h.records[0].versionWord = h.records[2].versionWord = 0x115;
        int chosen = 0;
        CPrompt::setFileHandler([&](const QString &, const QString &, const QString &, const QString &) {
            return QStringList{ h.homePath(QStringLiteral("D%1.qlf").arg(++chosen)) };
        });
        h.prompts.boxes.clear();
        QVERIFY(h.window.close());
        QCOMPARE(h.prompts.boxes.size(), 2);
        QVERIFY(!h.records.at(0).unsavedReadings && !h.records.at(2).unsavedReadings);
    }

    // The real box: Escape, or its close button, is the way back, at exit
    // and when a row is closed; the trip stays unsaved and offered.
    void escapingTheQuestionKeepsTheTrip()
    {
        Harness h;
        LoggerRecord orphan = loggerRecord(QString(), "D4");
        orphan.fromFile = orphan.dataLoaded = orphan.unsavedReadings = true;
        h.addAndSelect(orphan);
        h.window.show();
        CPrompt::setBoxHandler(nullptr);
        QStringList asked;
        bool byCloseButton = false;
        QTimer answering;
        connect(&answering, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            asked << box->text();
            if (byCloseButton)
                box->close();
            else
                QTest::keyClick(box, Qt::Key_Escape);
        });
        answering.start(20);
        for (bool closeButton : { false, true }) {
            byCloseButton = closeButton;
            QVERIFY(!h.window.close());
            QVERIFY(h.window.isVisible());
            h.ui->m_actionCloseSelectedFile->trigger();
            QCOMPARE(h.records.size(), 1);
            QVERIFY(h.records.first().unsavedReadings);
        }
        QCOMPARE(asked.size(), 4);
        QCOMPARE(asked.first(), h.window.app->languageTable->text(183));
    }

    // A trip whose logger went before it was saved stands as a file row:
    // closing it, alone or with all files, offers it as exit does.
    void closingAFileOffersItsTripNeverSaved()
    {
        Harness h;
        LoggerRecord orphan = loggerRecord(QString(), "D3");
        orphan.fromFile = orphan.dataLoaded = orphan.unsavedReadings = true;
        orphan.versionWord = 0x115;
        orphan.startTime = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7));
        h.records << fileRecord("/tmp/f.qlf", "F1");
        h.addAndSelect(orphan);
        h.prompts.answer = QMessageBox::Yes;
        h.prompts.filesToChoose.clear();   // the save is cancelled: the trip stays
        h.ui->m_actionCloseSelectedFile->trigger();
        h.ui->m_actionCloseAllFiles->trigger();
        QCOMPARE(h.records.size(), 1);
        QCOMPARE(h.records.first().serialNumber, QStringLiteral("D3"));
        QCOMPARE(h.prompts.boxes.size(), 2);
        // the question names the row's trip; only the exit's asks about the application
        const QString question = h.prompts.boxes.first().text;
        QVERIFY2(question.contains(QStringLiteral("D3")) && question.contains(QStringLiteral("04/03/2026 05:06:07"))
                     && question != h.window.app->languageTable->text(183),
                 qPrintable(question));

        // "Cancel" keeps the row, and ends a closing of all files there
        h.records.prepend(fileRecord("/tmp/g.qlf", "F2"));
        h.window.fillLoggerTable(false);
        h.prompts.answer = QMessageBox::Cancel;
        h.ui->m_tableWidgetLogger->setCurrentCell(1, 0);
        h.ui->m_actionCloseSelectedFile->trigger();
        QCOMPARE(h.records.size(), 2);
        h.records.append(fileRecord("/tmp/h.qlf", "F3"));
        h.ui->m_actionCloseAllFiles->trigger();
        QCOMPARE(h.records.size(), 2);
        QCOMPARE(h.records.at(0).serialNumber, QStringLiteral("D3"));
        QVERIFY(h.records.at(0).unsavedReadings);
        QCOMPARE(h.records.at(1).serialNumber, QStringLiteral("F3"));
        h.records.removeLast();
        h.window.fillLoggerTable(false);
        h.prompts.answer = QMessageBox::Yes;

        const QString path = h.homePath("D3.qlf");
        h.prompts.filesToChoose = QStringList{ path };
        h.ui->m_tableWidgetLogger->setCurrentCell(0, 0);
        h.ui->m_actionCloseSelectedFile->trigger();
        QVERIFY(h.records.isEmpty());
        QVERIFY(QFile::exists(path));

        // "No" lets it go
        h.addAndSelect(orphan);
        h.prompts.answer = QMessageBox::No;
        h.ui->m_actionCloseAllFiles->trigger();
        QVERIFY(h.records.isEmpty());
    }

    // Two trips never saved, both saved onto one file: the first is in no
    // file then, and is asked about again before the window or its row
    // closes. Cancel on it keeps its row and the rows after it.
    void aTripIsAskedForUntilItIsInAFile_data()
    {
        QTest::addColumn<bool>("atExit");
        QTest::addColumn<bool>("keptAtLast");
        QTest::newRow("exit") << true << false;
        QTest::newRow("close all files") << false << false;
        QTest::newRow("close all files, the trip asked again kept") << false << true;
    }
    void aTripIsAskedForUntilItIsInAFile()
    {
        QFETCH(bool, atExit);
        QFETCH(bool, keptAtLast);
        Harness h;
        for (const char *serial : { "D1", "D2" }) {
            LoggerRecord trip = downloadedTrip(serial, { 40, 50, 60 });
            giveLoggerHeader(trip);
            trip.dataLoaded = trip.unsavedReadings = true;
            trip.standWithoutLogger();
            h.records << trip;
        }
        h.window.fillLoggerTable(false);
        QTemporaryDir folder;
        const QString same = folder.filePath("same.qlf"), other = folder.filePath("other.qlf");
        QStringList chosen{ same, same, other };
        CPrompt::setFileHandler([&](const QString &, const QString &, const QString &, const QString &) {
            return QStringList{ chosen.takeFirst() };
        });
        QStringList asked;
        CPrompt::setBoxHandler([&](CPrompt::Kind, const QString &text, QMessageBox::StandardButtons) {
            asked << text;
            return asked.size() == 3 && keptAtLast ? QMessageBox::Cancel : QMessageBox::Yes;
        });
        if (atExit) {
            h.window.show();
            QVERIFY(h.window.close());
        } else {
            h.ui->m_actionCloseAllFiles->trigger();
        }
        QCOMPARE(asked.size(), 3);
        const auto serialIn = [](const QString &path) {
            LoggerRecord saved;
            return CFileManager::readDataFile(path, saved, false, nullptr) ? saved.serialNumber : QString();
        };
        QCOMPARE(serialIn(same), QStringLiteral("D2"));
        QCOMPARE(serialIn(other), keptAtLast ? QString() : QStringLiteral("D1"));
        QStringList unsaved;
        for (const LoggerRecord &record : qAsConst(h.records))
            if (record.unsavedReadings)
                unsaved << record.serialNumber;
        QCOMPARE(unsaved, keptAtLast ? QStringList{ "D1" } : QStringList());
        QCOMPARE(h.records.size(), atExit || keptAtLast ? 2 : 0);
    }

    // A box inside a timer step runs the event loop, in which the core's
    // tick may remove records: the step goes on with its own record.
    void timerStepsFindTheirRecordAgainAfterABox()
    {
        Harness h;
        AppSettings &settings = h.window.app->settings;
        settings.defaultPath = h.homePath("missing");   // nothing can be written there
        LoggerRecord logger = loggerRecord("ttyUSB0", "T9");
        logger.eepromReadState = 1;
        h.records << fileRecord("/tmp/above.qlf", "F1");
        h.addAndSelect(logger);
        int boxes = 0;
        CPrompt::setBoxHandler([&](CPrompt::Kind, const QString &, QMessageBox::StandardButtons) {
            ++boxes;
            if (h.records.size() == 2)
                h.window.app->removeRecord(0);
            return QMessageBox::Ok;
        });
        // the EEPROM image cannot be stored, then the views are rebuilt
        h.window.viewsDirty = true;
        h.window.Timer();
        QCOMPARE(boxes, 1);
        QCOMPARE(h.records.size(), 1);
        QCOMPARE(h.records.at(0).eepromReadState, 0);
        QCOMPARE(h.records.at(0).autoDelay, 2);

        // the automatic steps after a download, each failing with a box
        settings.autoSaveLogger = settings.autoGenerateTxt = settings.autoGenerateCsv = true;
        h.records.prepend(fileRecord("/tmp/above.qlf", "F1"));
        LoggerRecord &record = h.records[1];
        record.autoDownloaded = record.autoDownloadArrived = record.dataLoaded = true;
        record.versionWord = 0x115;
        record.readings = { 0x0064 };
        record.readingCount = 1;
        record.autoDelay = 0;
        h.window.Timer();
        QCOMPARE(boxes, 4);
        QCOMPARE(h.records.size(), 1);
        QCOMPARE(h.records.at(0).serialNumber, QStringLiteral("T9"));
        QVERIFY(h.records.at(0).autoSaved && h.records.at(0).autoTxtDone && h.records.at(0).autoCsvDone);
    }

    void saveAsFindsItsRecordAfterTheDialog()
    {
        Harness h;
        h.records << fileRecord("/tmp/first.qlf", "A1");
        h.addAndSelect(fileRecord("/tmp/second.qlf", "B2"));
        h.records[1].versionWord = 0x115;
        giveLoggerHeader(h.records[1]);
        h.records[0].comment = QStringLiteral("first");
        h.records[1].comment = QStringLiteral("second");
        // the row above goes while the file dialog is open
        const QString path = h.homePath("B2.qlf");
        CPrompt::setFileHandler([&](const QString &, const QString &, const QString &, const QString &) {
            h.records.removeAt(0);
            return QStringList{ path };
        });
        h.ui->m_actionSaveAs->trigger();
        LoggerRecord written;
        QVERIFY(CFileManager::readDataFile(path, written, false, nullptr));
        QCOMPARE(written.comment, QStringLiteral("second"));

        // the record itself goes: nothing is written, the user is told
        QFile::remove(path);
        CPrompt::setFileHandler([&](const QString &, const QString &, const QString &, const QString &) {
            h.records.clear();
            return QStringList{ path };
        });
        h.addAndSelect(fileRecord("/tmp/third.qlf", "C3"));
        h.ui->m_actionSaveAs->trigger();
        QVERIFY(!QFile::exists(path));
        QVERIFY(h.prompts.sawBoxContaining(QStringLiteral("disconnected")));
    }
};

MIRELDA_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
