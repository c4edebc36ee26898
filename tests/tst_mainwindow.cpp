#include <QAction>
#include <QDir>
#include <QFile>
#include <QMetaMethod>
#include <QPointer>
#include <QTableWidget>
#include <QWebFrame>
#include <QWebPage>
#include <QWebView>
#include <QtTest>

#include "app/clanguagetable.h"
#include "app/mainwindow.h"
#include "core/cmainapp.h"
#include "core/imagecodec.h"
#include "views/cplot.h"
#include "files/cfilemanager.h"
#include "support/testenv.h"
#include "support/windowtest.h"
#include "ui_mainwindow.h"
#include "users/cuseradmin.h"

using namespace WindowTest;

namespace {

QString adminIniPath()
{
    return TestEnv::settingsDir() + QStringLiteral("xZdrAdmin.ini");
}

void writeAdminIni(const QByteArray &content)
{
    QFile file(adminIniPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(16, 16).toImage();
}

QImage picture(const char *path)
{
    const QImage image = iconImage(QIcon(QString::fromLatin1(path)));
    if (image.isNull())
        qWarning("picture %s is missing", path);
    return image;
}

// Which ball cells (columns 4..8: LL, L, OK, H, HH) of a row show a ball.
QString ballsOf(QTableWidget *table, int row)
{
    QString shown;
    for (int column = 4; column <= 8; ++column)
        shown += table->item(row, column)->icon().isNull() ? QLatin1Char('-') : QLatin1Char('o');
    return shown;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
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
        MessageCatcher catcher;
        MainWindow window;
        for (const QString &message : MessageCatcher::messages)
            QVERIFY2(!message.contains(QLatin1String("No matching signal")), qPrintable(message));

        // and the other way round: each on_<object>_<signal> slot names a
        // child of the window that has that very signal
        const QMetaObject *meta = window.metaObject();
        int slotCount = 0;
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            const QString name = QString::fromLatin1(method.name());
            if (!name.startsWith(QLatin1String("on_")))
                continue;
            ++slotCount;
            const int split = name.lastIndexOf(QLatin1Char('_'));
            const QString objectName = name.mid(3, split - 3);
            const QByteArray signal =
                name.mid(split + 1).toLatin1() + method.methodSignature().mid(method.name().size());
            QObject *child = window.findChild<QObject *>(objectName);
            QVERIFY2(child, qPrintable(objectName));
            QVERIFY2(child->metaObject()->indexOfSignal(signal.constData()) >= 0,
                     qPrintable(objectName + QLatin1Char(' ') + QString::fromLatin1(signal)));
        }
        QVERIFY(slotCount > 100);
    }

    void startUpState()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.ui;
        QCOMPARE(window.windowTitle(), QStringLiteral("Mirelda 1.16.34"));
        QCOMPARE(ui->m_tabWidget->currentWidget(), ui->m_tabHome);
        QVERIFY(ui->m_tabWidget->isTabEnabled(0));
        for (int page = 1; page <= 5; ++page)
            QVERIFY2(!ui->m_tabWidget->isTabEnabled(page), qPrintable(QString::number(page)));
        QCOMPARE(ui->m_tabWidgetAlarm->currentWidget(), ui->m_tabAlarmInt);

        QComboBox *duration = ui->m_comboBoxPrgDuration;
        QCOMPARE(duration->count(), 61);
        QCOMPARE(duration->itemText(0), window.app->languageTable->text(131));
        QCOMPARE(duration->itemText(2), QStringLiteral("2 Days"));
        QCOMPARE(duration->itemText(60), QStringLiteral("60 Days"));

        QCOMPARE(ui->m_lineEditLoggerPassword->echoMode(), QLineEdit::Password);
        QVERIFY(!ui->m_actionEEpromRead->isVisible());
        QVERIFY(!ui->m_actionEEpromWrite->isVisible());
        QVERIFY(!ui->m_actionLogout->isVisible());
        QVERIFY(!ui->m_actionSendByFtp->isVisible());
        QVERIFY(!ui->m_actionDownload->isEnabled());
        QVERIFY(!ui->m_actionProgram->isEnabled());
        QVERIFY(ui->m_actionLoad->isEnabled());
        QVERIFY(window.timer->isActive());
        QCOMPARE(window.timer->interval(), 10);
        QCOMPARE(window.timer100ms->interval(), 25);
        QCOMPARE(window.lastSelectedRow, -1);
        QVERIFY(window.testAttribute(Qt::WA_MouseTracking));
        // the user page only shows while user administration is on
        QCOMPARE(ui->m_tabWidget->indexOf(ui->m_tabUserAdmin), -1);
    }

    void startPageComesFromAdminSettings_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<bool>("ours");
        QTest::newRow("no file") << QByteArray() << true;
        QTest::newRow("empty value") << QByteArray("[SETTINGS]\r\nURL=\r\n") << true;
        QTest::newRow("address") << QByteArray("[SETTINGS]\r\nURL=file:///tmp/start-page.html\r\n")
                                 << false;
    }

    void startPageComesFromAdminSettings()
    {
        QFETCH(QByteArray, ini);
        QFETCH(bool, ours);
        if (!ini.isEmpty())
            writeAdminIni(ini);
        MainWindow window;
        const QUrl requested = window.ui->m_webView->page()->mainFrame()->requestedUrl();
        if (ours)
            QCOMPARE(requested, QUrl(QStringLiteral("https://example.com/")));
        else
            QCOMPARE(requested, QUrl(QStringLiteral("file:///tmp/start-page.html")));
    }

    void tableShowsRecordsWithBalls()
    {
        MainWindow window;
        QTableWidget *table = window.ui->m_tableWidgetLogger;
        auto &records = window.app->records;
        records.append(loggerRecord(QStringLiteral("ttyUSB0"), QStringLiteral("A100"), 0));
        records.append(loggerRecord(QStringLiteral("ttyUSB1"), QStringLiteral("A101"),
                                    AlarmStatusBits::LL | AlarmStatusBits::HH));
        records.append(loggerRecord(QStringLiteral("ttyUSB2"), QStringLiteral("A102"), 0x01));
        records.append(loggerRecord(QStringLiteral("ttyUSB3"), QString(), AlarmStatusBits::H));
        records.append(fileRecord(QStringLiteral("/data/trips/A103_0001_000.qlf"),
                                  QStringLiteral("A103"),
                                  AlarmStatusBits::HH | AlarmStatusBits::H | AlarmStatusBits::L));
        window.fillLoggerTable(false);

        QCOMPARE(table->rowCount(), 5);
        QCOMPARE(table->columnCount(), 9);
        QStringList headers;
        for (int c = 0; c < 9; ++c)
            headers << table->horizontalHeaderItem(c)->text();
        QString serialHeader = window.app->languageTable->text(4);
        serialHeader.remove(QStringLiteral(" #"));
        QCOMPARE(headers, (QStringList{ "#", "T", window.app->languageTable->text(80),
                                        serialHeader, "LL", "L", "OK", "H", "HH" }));
        const int widths[] = { 24, 24, 72, 110, 24, 24, 24, 24, 24 };
        for (int c = 0; c < 9; ++c)
            QCOMPARE(table->columnWidth(c), widths[c]);
        QVERIFY(table->verticalHeader()->isHidden());
        QCOMPARE(table->rowHeight(0), 24);

        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("1"));
        QCOMPARE(table->item(4, 0)->text(), QStringLiteral("5"));
        QCOMPARE(table->item(0, 2)->text(), QStringLiteral("ttyUSB0"));
        QCOMPARE(table->item(4, 2)->text(), QStringLiteral("A103_0001_000.qlf"));
        QCOMPARE(table->item(4, 3)->text(), QStringLiteral("A103"));
        QCOMPARE(iconImage(table->item(0, 1)->icon()), picture(":/Pictures/kelpra.png"));
        QCOMPARE(iconImage(table->item(4, 1)->icon()), picture(":/Pictures/file_001.ico"));
        QCOMPARE(table->item(0, 2)->data(Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignLeft | Qt::AlignVCenter));
        QCOMPARE(table->item(0, 4)->data(Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignHCenter | Qt::AlignVCenter));

        QCOMPARE(ballsOf(table, 0), QStringLiteral("--o--"));
        QCOMPARE(ballsOf(table, 1), QStringLiteral("o---o"));
        QCOMPARE(ballsOf(table, 2), QStringLiteral("--o--"));   // bit 0x01 plays no part
        QCOMPARE(ballsOf(table, 3), QStringLiteral("-----"));   // no serial yet: no balls
        QCOMPARE(ballsOf(table, 4), QStringLiteral("-o-oo"));
        QCOMPARE(iconImage(table->item(1, 4)->icon()), picture(":/Pictures/Ball Blue.png"));
        QCOMPARE(iconImage(table->item(1, 8)->icon()), picture(":/Pictures/Ball Red.png"));
        QCOMPARE(iconImage(table->item(0, 6)->icon()), picture(":/Pictures/Ball Green.png"));
        QVERIFY(!picture(":/Pictures/Ball Green.png").isNull());
        QVERIFY(picture(":/Pictures/Ball Red.png") != picture(":/Pictures/Ball Blue.png"));
    }

    void tableRefreshesInPlaceOrRebuilds()
    {
        PromptRecorder prompts;
        MainWindow window;
        QTableWidget *table = window.ui->m_tableWidgetLogger;
        auto &records = window.app->records;

        // nothing to show and nothing asked: the call does nothing
        window.fillLoggerTable(false);
        QCOMPARE(table->columnCount(), 0);

        records.append(loggerRecord(QStringLiteral("ttyUSB0"), QString(), 0));
        records.append(fileRecord(QStringLiteral("/tmp/a.qlf"), QStringLiteral("F1"), 0));
        window.fillLoggerTable(false);
        table->setCurrentCell(0, 0);
        QCOMPARE(ballsOf(table, 0), QStringLiteral("-----"));

        // the image arrives: same count, only the dirty flag refreshes the row
        records[0].serialNumber = QStringLiteral("B200");
        records[0].alarmStatus = AlarmStatusBits::H;
        window.fillLoggerTable(false);
        QCOMPARE(table->item(0, 3)->text(), QString());
        window.loggerTableDirty = true;
        window.fillLoggerTable(false);
        QVERIFY(!window.loggerTableDirty);
        QCOMPARE(table->item(0, 3)->text(), QStringLiteral("B200"));
        QCOMPARE(ballsOf(table, 0), QStringLiteral("---o-"));
        QCOMPARE(table->currentRow(), 0);

        // a change of the count rebuilds everything and leaves no row current
        records.append(loggerRecord(QStringLiteral("ttyUSB1"), QStringLiteral("B201"), 0));
        window.fillLoggerTable(false);
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(table->currentRow(), -1);
        QVERIFY(!window.fillingLoggerTable);

        // closing the last file keeps the loggers
        window.selectTableRow(1);
        QCOMPARE(table->currentRow(), 1);
        window.ui->m_actionCloseAllFiles->trigger();
        QCOMPARE(records.size(), 2);
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(1, 2)->text(), QStringLiteral("ttyUSB1"));
        QVERIFY(window.viewsDirty);
    }

    void pressSelectsOrOpensTheContextMenu()
    {
        PromptRecorder prompts;
        MainWindow window;
        window.resize(1200, 800);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTableWidget *table = window.ui->m_tableWidgetLogger;
        window.app->records.append(fileRecord(QStringLiteral("/tmp/a.qlf"), QStringLiteral("F1"), 0));
        window.app->records.append(fileRecord(QStringLiteral("/tmp/b.qlf"), QStringLiteral("F2"), 0));
        window.fillLoggerTable(false);

        const QPoint second = table->visualItemRect(table->item(1, 2)).center();
        QTest::mousePress(table->viewport(), Qt::LeftButton, Qt::NoModifier, second);
        QCOMPARE(window.lastSelectedRow, 1);
        QCOMPARE(window.app->currentRecord, 1);
        QTest::mouseRelease(table->viewport(), Qt::LeftButton, Qt::NoModifier, second);

        QTest::mousePress(table->viewport(), Qt::RightButton, Qt::NoModifier, second);
        QTest::mouseRelease(table->viewport(), Qt::RightButton, Qt::NoModifier, second);
        QCOMPARE(prompts.menus.size(), 1);
        QCOMPARE(prompts.menus.first(),
                 (QStringList{ "m_actionProgram", "m_actionDownload", "m_actionSave",
                               "m_actionCloseSelectedFile", "m_actionCloseAllFiles",
                               "m_actionDisconnect_Logger" }));
    }

    void closeSelectedFileKeepsLoggers()
    {
        PromptRecorder prompts;
        MainWindow window;
        auto &records = window.app->records;
        records.append(loggerRecord(QStringLiteral("ttyUSB0"), QStringLiteral("L1"), 0));
        records.append(fileRecord(QStringLiteral("/tmp/a.qlf"), QStringLiteral("F1"), 0));
        window.fillLoggerTable(false);

        // a connected logger is never dropped by the close-file action
        window.ui->m_tableWidgetLogger->setCurrentCell(0, 0);
        window.on_m_actionCloseSelectedFile_triggered();
        QCOMPARE(records.size(), 2);

        window.ui->m_tableWidgetLogger->setCurrentCell(1, 0);
        QVERIFY(window.ui->m_actionCloseSelectedFile->isEnabled());
        window.ui->m_actionCloseSelectedFile->trigger();
        QCOMPARE(records.size(), 1);
        QCOMPARE(records.first().portName, QStringLiteral("ttyUSB0"));
        QCOMPARE(window.ui->m_tableWidgetLogger->rowCount(), 1);
        QVERIFY(!window.app->selection.contains(1));
    }

    void viewRequestWithoutRowsShowsHome()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.ui;
        ui->m_tabWidget->setTabEnabled(2, true);
        ui->m_tabWidget->setCurrentWidget(ui->m_tabGraph);
        window.viewsDirty = true;
        window.Timer();
        QVERIFY(!window.viewsDirty);
        QCOMPARE(ui->m_tabWidget->currentWidget(), ui->m_tabHome);
        QVERIFY(!ui->m_tabWidget->isTabEnabled(2));
    }

    void viewRequestWithAFileRowOpensItsPages()
    {
        PromptRecorder prompts;
        MainWindow window;
        Ui::MainWindow *ui = window.ui;
        window.app->records.append(fileRecord(QStringLiteral("/tmp/a.qlf"), QStringLiteral("F1"), 0));
        window.selectTableRow(0);
        window.app->selection = { 0 };
        window.viewsDirty = true;
        window.Timer();
        for (int page = 1; page <= 5; ++page)
            QVERIFY(ui->m_tabWidget->isTabEnabled(page));
        QCOMPARE(ui->m_tabWidget->currentWidget(), ui->m_tabGraph);
        QCOMPARE(window.app->records.at(0).autoDelay, 2);
        window.Timer();
        QCOMPARE(window.app->records.at(0).autoDelay, 1);
    }

    void warningsOfTheFastTimerShowOnce()
    {
        PromptRecorder prompts;
        MainWindow window;
        window.programFailed = true;
        window.loggerTimeWrong = true;
        window.Timer100ms();
        window.Timer100ms();
        QCOMPARE(prompts.boxes.size(), 2);
        QCOMPARE(prompts.boxes.at(0).text,
                 QStringLiteral("Warning!\n\nLogger Time/Date is wrong.\nRestart the Configuration."));
        QCOMPARE(prompts.boxes.at(1).text,
                 QStringLiteral("Warning!\n\nProgram unsuccessful reconnect logger and try again."));
        QCOMPARE(prompts.boxes.at(1).kind, CPrompt::Warning);
    }

    void labelsFollowTheLanguage()
    {
        MainWindow window;
        CLanguageTable *labels = window.app->languageTable;
        labels->language = 1;
        window.updateLoggerPage();
        QCOMPARE(window.ui->m_actionLoad->text(), labels->text(48));
        QCOMPARE(window.ui->m_tabWidget->tabText(1), labels->text(0));
        QCOMPARE(window.ui->m_labelMainList->text(), labels->text(44));
        QCOMPARE(window.ui->m_groupBoxSettings->title(), labels->text(11));
        QCOMPARE(window.ui->m_checkBoxLoggerAlarmHighHighExt->text(), labels->text(17));
        QVERIFY(!window.updatingForm);
    }

    void optionalPagesFollowTheMode()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.ui;
        QTabWidget *tabs = ui->m_tabWidget;
        QCOMPARE(tabs->count(), 6);

        window.app->userAdmin->enabled = true;
        window.updateLoggerPage();
        QCOMPARE(tabs->indexOf(ui->m_tabUserAdmin), 6);
        QCOMPARE(tabs->tabText(6), QStringLiteral("User/Admin"));

        // a production station (a jig port) also gets its two pages, in order
        window.app->jigPort = QStringLiteral("ttyS0");
        window.updateLoggerPage();
        QCOMPARE(tabs->count(), 9);
        QCOMPARE(tabs->indexOf(ui->m_tabAdmin), 7);
        QCOMPARE(tabs->indexOf(ui->m_tabProduction), 8);

        window.app->userAdmin->enabled = false;
        window.updateLoggerPage();
        QCOMPARE(tabs->indexOf(ui->m_tabUserAdmin), -1);
        QCOMPARE(tabs->indexOf(ui->m_tabAdmin), 6);
        QCOMPARE(tabs->indexOf(ui->m_tabProduction), 7);
    }

    void lockTwiceReturnsToOpen()
    {
        MainWindow window;
        const QImage open = picture(":/Pictures/lock_open.png");
        window.on_m_actionLock_triggered();
        QVERIFY(window.formLocked);
        QCOMPARE(iconImage(window.ui->m_actionLock->icon()), picture(":/Pictures/lock_closed.png"));
        QVERIFY(window.ui->m_lineEditLoggerSerial->isReadOnly());
        window.on_m_actionLock_triggered();
        QVERIFY(!window.formLocked);
        QCOMPARE(iconImage(window.ui->m_actionLock->icon()), open);
        QVERIFY(!window.ui->m_lineEditLoggerSerial->isReadOnly());
    }

    void badFilesAreRefusedAndNothingIsLost_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("truncated") << QByteArray::fromHex("0115000000");
        QTest::newRow("foreign") << QByteArray("%PDF-1.4\nthis is not a data file\n");
        QTest::newRow("empty") << QByteArray();
    }

    void badFilesAreRefusedAndNothingIsLost()
    {
        QFETCH(QByteArray, content);
        PromptRecorder prompts;
        MainWindow window;
        window.app->records.append(fileRecord(QStringLiteral("/tmp/kept.qlf"), QStringLiteral("K1"), 0));
        window.selectTableRow(0);

        const QString path = TestEnv::home() + QStringLiteral("/bad.qlf");
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        QVERIFY(!window.loadDataFile(path));
        QCOMPARE(prompts.boxes.size(), 1);
        QCOMPARE(prompts.boxes.first().kind, CPrompt::Warning);
        QVERIFY(prompts.boxes.first().text.startsWith(QLatin1String("Warning!\n\n")));
        QVERIFY(prompts.boxes.first().text.contains(QLatin1String("bad.qlf")));
        QCOMPARE(window.app->records.size(), 1);
        QCOMPARE(window.ui->m_tableWidgetLogger->rowCount(), 1);
        QCOMPARE(window.ui->m_tableWidgetLogger->currentRow(), 0);
        QCOMPARE(fileBytes(path), content);
    }

    void eepromImageIsStoredOnce()
    {
        MainWindow window;
        const QString dir = TestEnv::home() + QStringLiteral("/eeprom");
        QDir().mkpath(dir);
        window.app->settings.defaultPath = dir;
        LoggerRecord logger = loggerRecord(QStringLiteral("ttyUSB0"), QStringLiteral("E1"), 0);
        logger.eepromImage = QByteArray(kImageSize, '\x5A');
        logger.eepromReadState = 1;
        window.app->records.append(logger);
        window.selectTableRow(0);

        window.Timer();
        const QString path = dir + QStringLiteral("/eeprom.bin");
        QCOMPARE(fileBytes(path), QByteArray(kImageSize, '\x5A'));
        QCOMPARE(window.app->records.at(0).eepromReadState, 2);
        QFile::remove(path);
        window.Timer();
        QVERIFY(!QFile::exists(path));
    }

    void automaticSaveRunsOnceAfterAnAutomaticDownload()
    {
        PromptRecorder prompts;
        MainWindow window;
        const QString dir = TestEnv::home() + QStringLiteral("/auto");
        QDir().mkpath(dir);
        AppSettings &settings = window.app->settings;
        settings.defaultPath = dir;
        settings.autoDownloadLogger = true;
        settings.autoSaveLogger = true;
        LoggerRecord logger = loggerRecord(QStringLiteral("ttyUSB0"), QStringLiteral("S77"), 0);
        logger.ready = true;
        logger.tripNumber = 3;
        window.app->records.append(logger);
        window.selectTableRow(0);
        window.viewsDirty = false;

        // nobody logged in while user administration is on: no download
        window.app->userAdmin->enabled = true;
        window.Timer();
        QVERIFY(!window.app->records.at(0).autoDownloaded);
        window.app->userAdmin->enabled = false;

        window.Timer();
        QVERIFY(window.app->records.at(0).autoDownloaded);
        QVERIFY(!window.app->records.at(0).autoSaved);   // no readings yet

        // the readings arrive
        LoggerRecord &record = window.app->records[0];
        record.versionWord = 0x115;
        record.readings = { 0x0064, 0x0065 };
        record.readingCount = 2;
        record.dataLoaded = true;
        window.Timer();
        const QString saved = dir + QStringLiteral("/S77_0003_000.qlf");
        QVERIFY(QFile::exists(saved));
        QVERIFY(window.app->records.at(0).autoSaved);
        QCOMPARE(window.app->records.at(0).fileName, saved);
        window.Timer();
        QVERIFY(!QFile::exists(dir + QStringLiteral("/S77_0003_001.qlf")));

        // a file never gets automatic steps
        window.app->records.append(fileRecord(saved, QStringLiteral("S77"), 0));
        window.selectTableRow(1);
        window.Timer();
        QVERIFY(!window.app->records.at(1).autoDownloaded);
    }

    void saveWritesTheSamePathAndAFailedSaveLosesNothing()
    {
        PromptRecorder prompts;
        LoggerRecord source = loggerRecord(QString(), QStringLiteral("R1"), 0);
        source.versionWord = 0x115;
        source.readings = { 0x0010, 0x0020 };
        source.readingCount = 2;
        const QString path = TestEnv::home() + QStringLiteral("/R1.qlf");
        QVERIFY(CFileManager::writeDataFile(path, source, false));

        MainWindow window;
        QVERIFY(window.loadDataFile(path));
        window.app->records[0].comment = QStringLiteral("edited");
        window.ui->m_actionSave->trigger();
        QVERIFY(prompts.fileCaptions.isEmpty());   // no chooser: the same file
        LoggerRecord reread;
        QVERIFY(CFileManager::readDataFile(path, reread, false, nullptr));
        QCOMPARE(reread.comment, QStringLiteral("edited"));

        // Save As into a folder that does not exist: a clear message, and the
        // record keeps the file it came from
        const QByteArray before = fileBytes(path);
        prompts.filesToChoose = QStringList{ TestEnv::home() + QStringLiteral("/missing/dir/x.qlf") };
        window.ui->m_actionSaveAs->trigger();
        QCOMPARE(prompts.boxes.size(), 1);
        QCOMPARE(prompts.boxes.first().text, window.app->languageTable->text(188));
        QCOMPARE(window.app->records.at(0).fileName, path);
        QCOMPARE(fileBytes(path), before);

        // another type than a data file is refused rather than written wrongly
        prompts.filesToChoose = QStringList{ TestEnv::home() + QStringLiteral("/x.doc") };
        window.ui->m_actionSaveAs->trigger();
        QCOMPARE(prompts.boxes.size(), 2);
        QVERIFY(!QFile::exists(TestEnv::home() + QStringLiteral("/x.doc")));
    }

    void viewsAreRebuiltFromALoadedFileAndExported()
    {
        PromptRecorder prompts;
        LoggerRecord source = loggerRecord(QString(), QStringLiteral("V1"), 0);
        source.versionWord = 0x115;
        source.sensorFlags = SensorBits::InternalNtc;
        source.configWord = ConfigBits::InternalOn;
        source.interval = 60;
        source.startTime = QDateTime(QDate(2026, 3, 1), QTime(10, 0));
        source.imageRead = ImageCodec::encode(source, QByteArray(kImageSize, '\0'));
        source.readings = { 0x00C8, 0x00D2, 0x00DC };
        source.readingCount = 3;
        const QString path = TestEnv::home() + QStringLiteral("/V1.qlf");
        QVERIFY(CFileManager::writeDataFile(path, source, false));

        MainWindow window;
        Ui::MainWindow *ui = window.ui;
        QVERIFY(window.loadDataFile(path));
        window.Timer();
        QVERIFY(window.plot);
        QCOMPARE(window.plot->parentWidget(), ui->m_widgetGraph);
        QCOMPARE(ui->m_tableWidgetTable->rowCount(), 3);
        QCOMPARE(ui->m_tableWidgetTableSummary->rowCount(), 64);

        // a second rebuild frees the graph it replaces
        QPointer<QWidget> first = window.plot;
        window.viewsDirty = true;
        window.Timer();
        QVERIFY(first.isNull());
        QCOMPARE(ui->m_widgetGraph->findChildren<CPlot *>().size(), 1);

        // Save As with a .csv name writes the readings export
        const QString csv = TestEnv::home() + QStringLiteral("/V1.csv");
        prompts.filesToChoose = QStringList{ csv };
        ui->m_actionSaveAs->trigger();
        QVERIFY(prompts.boxes.isEmpty());
        const QStringList lines = QString::fromUtf8(fileBytes(csv)).split(QStringLiteral("\r\n"),
                                                                         Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);   // a header and three readings
        QVERIFY(lines.at(1).startsWith(QStringLiteral("1,")));
        QVERIFY(lines.at(3).contains(QStringLiteral("22.0")));
        QCOMPARE(window.app->records.at(0).fileName, path);   // still the data file
    }

    void templateSaveTakesThePageFields()
    {
        PromptRecorder prompts;
        MainWindow window;
        window.app->records.append(fileRecord(QStringLiteral("/tmp/t.qlf"), QStringLiteral("T1"), 0));
        window.selectTableRow(0);
        window.ui->m_lineEditLoggerProduct->setText(QStringLiteral("QV-5D"));
        window.ui->m_lineEditLoggerDescription->setText(QStringLiteral("Cold chain"));
        const QString path = TestEnv::home() + QStringLiteral("/program");
        prompts.filesToChoose = QStringList{ path };
        window.ui->m_actionSaveProgramTemplate->trigger();
        QCOMPARE(window.app->records.at(0).productCode, QStringLiteral("QV-5D"));
        LoggerRecord read;
        QVERIFY(CFileManager::readTemplate(path + QStringLiteral(".xtp"), read));
        QCOMPARE(read.description, QStringLiteral("Cold chain"));
        QVERIFY(prompts.boxes.isEmpty());
    }

    void closingOffersToSaveADownloadedLogger()
    {
        PromptRecorder prompts;
        MainWindow window;
        LoggerRecord logger = loggerRecord(QStringLiteral("ttyUSB0"), QStringLiteral("D1"), 0);
        logger.dataLoaded = true;
        window.app->records.append(logger);
        window.app->records.append(fileRecord(QStringLiteral("/tmp/f.qlf"), QStringLiteral("F1"), 0));
        window.show();
        window.close();
        QCOMPARE(prompts.boxes.size(), 1);
        QCOMPARE(prompts.boxes.first().kind, CPrompt::Question);
        QCOMPARE(prompts.boxes.first().text, window.app->languageTable->text(183));
    }

    void goodFileOpensAsARowOnce()
    {
        PromptRecorder prompts;
        LoggerRecord source = loggerRecord(QString(), QStringLiteral("Q12345"), AlarmStatusBits::H);
        source.versionWord = 0x115;
        source.imageRead = QByteArray(kImageSize, '\0');
        source.readings = { 0x00C8, 0x00D2, 0x00DC };
        source.readingCount = 3;
        source.recordedCount = 3;
        const QString path = TestEnv::home() + QStringLiteral("/Q12345_0001_000.qlf");
        if (!CFileManager::writeDataFile(path, source, false))
            QSKIP("this build cannot write data files yet");

        MainWindow window;
        QVERIFY(window.loadDataFile(path));
        QVERIFY(prompts.boxes.isEmpty());
        QCOMPARE(window.app->records.size(), 1);
        const LoggerRecord &loaded = window.app->records.first();
        QVERIFY(loaded.fromFile);
        QVERIFY(loaded.dataLoaded);
        QVERIFY(loaded.portName.isEmpty());
        QCOMPARE(window.ui->m_tableWidgetLogger->currentRow(), 0);
        QCOMPARE(window.ui->m_tableWidgetLogger->item(0, 2)->text(),
                 QStringLiteral("Q12345_0001_000.qlf"));
        QVERIFY(window.viewsDirty);

        // the same file again only selects its row
        window.ui->m_tableWidgetLogger->setCurrentCell(-1, -1);
        QVERIFY(window.loadDataFile(path));
        QCOMPARE(window.app->records.size(), 1);
        QCOMPARE(window.ui->m_tableWidgetLogger->currentRow(), 0);

        // and Save As writes it again elsewhere
        window.app->selection = { 0 };
        window.updateActions();
        QVERIFY(window.ui->m_actionSaveAs->isEnabled());
        const QString copy = TestEnv::home() + QStringLiteral("/copy");
        prompts.filesToChoose = QStringList{ copy };
        window.ui->m_actionSaveAs->trigger();
        QVERIFY(QFile::exists(copy + QStringLiteral(".qlf")));
        LoggerRecord reread;
        QVERIFY(CFileManager::readDataFile(copy + QStringLiteral(".qlf"), reread, false, nullptr));
        QCOMPARE(reread.readings.mid(0, 3), source.readings);
    }
};

MIRELDA_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
