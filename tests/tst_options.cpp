// The options dialog over a real window: what OK writes, what Cancel and
// Escape take back, the live preview in the graph, the enabling of the
// automatic steps, the time zone and its clock, the language, the first
// start, and the test e-mail against a real SMTP server on loopback and
// against servers that refuse or never answer.
#include <QTcpServer>

#include "core/clanguagetable.h"
#include "core/loggertime.h"
#include "dialogs/coption.h"
#include "files/cfilemanager.h"
#include "files/wholefile.h"
#include "support/mailtestserver.h"
#include "support/testenv.h"
#include "support/viewstest.h"
#include "support/windowtest.h"
#include "ui_coption.h"
#include "views/cplot.h"

using namespace WindowTest;

namespace {

QString iniPath()
{
    return TestEnv::settingsDir() + QStringLiteral("xZdr.ini");
}

// Runs the Options action; act gets the dialog as the user sees it.
void runOptions(Harness &h, const std::function<void(COption *, Ui_COption *)> &act)
{
    CPrompt::setDialogHandler([&act](QDialog *dialog) {
        auto *options = qobject_cast<COption *>(dialog);
        if (options)
            act(options, options->form());
        return 0;
    });
    h.ui->m_actionOptions->trigger();
    CPrompt::setDialogHandler([](QDialog *) { return 0; });
}

void pressOk(Ui_COption *f)
{
    QTest::mouseClick(f->m_buttonBox->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

AppSettings settingsReadBack()
{
    WindowState w;
    CMainApp reader(&w);
    reader.fileManager->readSettings(iniPath());
    return reader.settings;
}

void fillMailFields(Ui_COption *f, quint16 port)
{
    f->m_lineEditOptionSmtpAddress->setText(QStringLiteral("127.0.0.1"));
    f->m_lineEditOptionSmtpPort->setText(QString::number(port));
    f->m_lineEditOptionSmtpUser->setText(QStringLiteral("qa@example.org"));
    f->m_lineEditOptionSmtpPass->setText(QStringLiteral("s3cret"));
    f->m_lineEditOptionSmtpSenderEmail->setText(QStringLiteral("qa@example.org"));
    f->m_lineEditOptionSmtpSenderName->setText(QStringLiteral("QA Desk"));
    f->m_lineEditOptionSmtpRecipientEmail->setText(QStringLiteral("lead@example.org"));
    f->m_lineEditOptionSmtpRecipientName->setText(QStringLiteral("Team Lead"));
}

}

class TestOptions : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QFile::remove(iniPath());
        CPrompt::setColorHandler(nullptr);
    }

    void okWritesExactlyTheEditedValues()
    {
        Harness h;
        h.window.app->settings.defaultPath = h.homePath(QStringLiteral("trips"));
        h.window.app->settings.smtpServerAddress.clear();
        h.window.app->settings.smtpServerPort = 2525;
        // a logger protected by a password never entered keeps its views closed
        LoggerRecord locked = loggerRecord(QStringLiteral("ttyUSB0"), QStringLiteral("P1"));
        locked.passwordWord = 0x0A5A04D2;
        h.addAndSelect(locked);
        runOptions(h, [](COption *dialog, Ui_COption *f) {
            QCOMPARE(unboundSlots(dialog), QStringList());
            QTest::mouseClick(f->m_checkBoxGeneralAutoDownloadLogger, Qt::LeftButton);
            QTest::mouseClick(f->m_checkBoxGeneralAutoCsv, Qt::LeftButton);
            f->m_comboBoxGeneralDateFormat->setCurrentIndex(1);
            f->m_comboBoxGeneralTimeZone->setCurrentIndex(17);   // Caracas
            QTest::mouseClick(f->m_checkBoxGeneralDaylightTime, Qt::LeftButton);
            f->m_lineEditOptionGeneralMkt->setText(QStringLiteral("95.5"));
            // a refresh in between keeps what was typed
            QTest::mouseClick(f->m_checkBoxMultiLinkSyncDateTime, Qt::LeftButton);
            QTest::mouseClick(f->m_checkBoxViewGraphShowTime, Qt::LeftButton);
            pressOk(f);
        });
        QVERIFY(!h.window.viewsDirty);

        const AppSettings saved = settingsReadBack();
        QCOMPARE(saved.autoDownloadLogger, true);
        QCOMPARE(saved.autoGenerateCsv, true);
        QCOMPARE(saved.autoSaveLogger, false);
        QCOMPARE(saved.dateFormat, 1);
        QCOMPARE(saved.timeZoneIndex, 17);
        QCOMPARE(saved.timeZone, -4.5f);
        QCOMPARE(saved.timeZoneDaylight, 2);
        QCOMPARE(saved.mktActivationEnergy, 95.5);
        QCOMPARE(saved.multiLinkSyncDateTime, true);
        QCOMPARE(saved.multiLinkSyncElapsedTime, false);
        QCOMPARE(saved.smtpServerPort, 2525);   // shown although no server is named
        QCOMPARE(saved.defaultPath, h.homePath(QStringLiteral("trips")));
        QVERIFY(TestEnv::readFile(iniPath()).contains("FIRST_INIT_LANGUAGE=0\r\n"));
        QCOMPARE(h.window.app->settings.timeZone, -4.5f);
        QVERIFY(h.prompts.boxes.isEmpty());
    }

    // Lock Description changed while the form is locked holds from OK on,
    // not from the next toggle of the lock.
    void lockDescriptionReachesALockedForm_data()
    {
        QTest::addColumn<bool>("lockedBefore");
        QTest::newRow("ticked") << false;
        QTest::newRow("unticked") << true;
    }

    void lockDescriptionReachesALockedForm()
    {
        QFETCH(bool, lockedBefore);
        Harness h;
        h.window.app->settings.lockDescription = lockedBefore;
        h.addAndSelect(loggerRecord(QStringLiteral("ttyUSB0"), QStringLiteral("D1")));
        h.window.on_m_actionLock_triggered();
        QLineEdit *description = h.ui->m_lineEditLoggerDescription;
        QCOMPARE(description->isReadOnly(), lockedBefore);
        runOptions(h, [](COption *, Ui_COption *f) {
            QTest::mouseClick(f->m_checkBoxGeneralLockDescription, Qt::LeftButton);
            pressOk(f);
        });
        QVERIFY(h.window.formLocked);
        QCOMPARE(description->isReadOnly(), !lockedBefore);
        QCOMPARE(description->styleSheet().isEmpty(), lockedBefore);
    }

    // A typed data folder goes nowhere before OK has tried it: neither a
    // refresh, a View-tab change nor a language click hands it to the core
    // or to "xZdr.ini", and a folder chosen by browsing waits for OK too.
    void aTypedFolderWaitsForOksCheck()
    {
        Harness h;
        const QString kept = h.homePath(QStringLiteral("trips"));
        h.window.app->settings.defaultPath = kept;
        QVERIFY(TestEnv::writeFile(h.homePath(QStringLiteral("plain.txt")), "not a folder"));
        const QString typed = h.homePath(QStringLiteral("plain.txt/trips"));
        const QString browsed = h.homePath(QStringLiteral("plain.txt/browsed"));
        CPrompt::setFileHandler([&browsed](const QString &, const QString &, const QString &, const QString &) {
            return QStringList{ browsed };
        });
        const auto noBrowsing = qScopeGuard([] { CPrompt::setFileHandler(nullptr); });
        runOptions(h, [&](COption *dialog, Ui_COption *f) {
            f->m_lineEditGeneralDefaultPath->setText(typed);
            QTest::mouseClick(f->m_checkBoxGeneralLockDescription, Qt::LeftButton);
            f->m_comboBoxGeneralDateFormat->setCurrentIndex(1);
            QCOMPARE(f->m_lineEditGeneralDefaultPath->text(), typed);
            QTest::mouseClick(f->m_checkBoxViewGraphShowTime, Qt::LeftButton);
            QTest::mouseClick(f->m_checkBoxOptionLangFr, Qt::LeftButton);
            QCOMPARE(h.window.app->settings.defaultPath, kept);
            QCOMPARE(settingsReadBack().defaultPath, kept);

            QTest::mouseClick(f->m_toolButtonGeneralDefaultPath, Qt::LeftButton);
            QCOMPARE(f->m_lineEditGeneralDefaultPath->text(), browsed);
            QTest::mouseClick(f->m_checkBoxViewGraphShowTime, Qt::LeftButton);
            QCOMPARE(h.window.app->settings.defaultPath, kept);

            pressOk(f);
            QCOMPARE(dialog->result(), int(QDialog::Rejected));
        });
        QCOMPARE(h.prompts.boxes.size(), 1);
        QVERIFY2(h.prompts.boxes.first().text.contains(QStringLiteral("cannot be used")),
                 qPrintable(h.prompts.boxes.first().text));
        QCOMPARE(h.window.app->settings.defaultPath, kept);
        QCOMPARE(settingsReadBack().defaultPath, kept);
    }

    // OK on a full disk: the box names the settings file and the system's
    // reason, and the file written before stays as it was.
    void aFailedSaveSaysWhereAndWhy()
    {
        const auto noFault = qScopeGuard([] { WholeFile::failNextForTests(WholeFile::Stage::None); });
        Harness h;
        QVERIFY(h.window.app->fileManager->writeSettings(iniPath()));
        const QByteArray before = TestEnv::readFile(iniPath());
        WholeFile::failNextForTests(WholeFile::Stage::Flush);
        runOptions(h, [](COption *, Ui_COption *f) {
            QTest::mouseClick(f->m_checkBoxGeneralAutoCsv, Qt::LeftButton);
            pressOk(f);
        });
        QCOMPARE(h.prompts.boxes.size(), 1);
        const QString text = h.prompts.boxes.first().text;
        QVERIFY2(text.startsWith(h.window.app->languageTable->text(188) + QLatin1Char('\n')
                                 + QDir::toNativeSeparators(iniPath()) + QStringLiteral("\n\n"))
                     && text.contains(QStringLiteral("No space left on device")),
                 qPrintable(text));
        QCOMPARE(TestEnv::readFile(iniPath()), before);
    }

    // The MKT takes the energy in whole kJ/mol: below 1 every MKT would be
    // undefined; a port outside 1 to 65535 reaches no server. A refresh
    // leaves what is typed for OK, which refuses a bad number with its
    // warning and stays open; the settings keep the old value, in the
    // dialog as in a hand-edited settings file.
    void typedNumberOutsideItsRangeIsRefused_data()
    {
        QTest::addColumn<bool>("energy");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("taken");
        QTest::newRow("energy not a number") << true << "eighty" << false;
        QTest::newRow("energy between 0 and 1") << true << "0.5" << false;
        QTest::newRow("energy just under 1") << true << "0.999" << false;
        QTest::newRow("energy zero") << true << "0" << false;
        QTest::newRow("energy negative") << true << "-80" << false;
        QTest::newRow("energy above the range") << true << "1000.5" << false;
        QTest::newRow("energy lowest") << true << "1" << true;
        QTest::newRow("energy highest") << true << "1000" << true;
        QTest::newRow("port not a number") << false << "smtp" << false;
        QTest::newRow("port zero") << false << "0" << false;
        QTest::newRow("port above the range") << false << "65536" << false;
        QTest::newRow("port highest") << false << "65535" << true;
    }

    void typedNumberOutsideItsRangeIsRefused()
    {
        QFETCH(bool, energy);
        QFETCH(QString, typed);
        QFETCH(bool, taken);
        Harness h;
        AppSettings &s = h.window.app->settings;
        s.mktActivationEnergy = 83.144;
        s.smtpServerPort = 2525;
        const QByteArray fileBefore = TestEnv::readFile(iniPath());
        runOptions(h, [&](COption *dialog, Ui_COption *f) {
            QLineEdit *field = energy ? f->m_lineEditOptionGeneralMkt : f->m_lineEditOptionSmtpPort;
            field->setText(typed);
            QTest::mouseClick(f->m_checkBoxGeneralLockDescription, Qt::LeftButton);
            QCOMPARE(field->text(), typed);
            pressOk(f);
            QCOMPARE(dialog->result() == QDialog::Accepted, taken);
        });
        QCOMPARE(h.prompts.sawBoxContaining(QStringLiteral("\"%1\"").arg(typed)), !taken);
        const double keptEnergy = energy && taken ? typed.toDouble() : 83.144;
        const int keptPort = !energy && taken ? typed.toInt() : 2525;
        QCOMPARE(s.mktActivationEnergy, keptEnergy);
        QCOMPARE(s.smtpServerPort, keptPort);
        QCOMPARE(TestEnv::readFile(iniPath()) != fileBefore, taken);

        if (energy) {
            QVERIFY(TestEnv::writeFile(iniPath(), "[SETTINGS]\r\nMKT_ACTIVATION_ENERGY=" + typed.toLatin1() + "\r\n"));
            QCOMPARE(settingsReadBack().mktActivationEnergy, keptEnergy);
        }
    }

    // A View-tab colour is in the graph behind the dialog at once; Cancel and
    // Escape both take it back in memory and leave the file as it was.
    void viewChangeShowsAtOnceAndIsTakenBack_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Escape") << true;
    }
    void viewChangeShowsAtOnceAndIsTakenBack()
    {
        QFETCH(bool, escape);
        Harness h;
        h.window.app->settings.defaultPath = h.homePath(QStringLiteral("trips"));
        QVERIFY(h.window.app->fileManager->writeSettings(iniPath()));
        const QByteArray fileBefore = TestEnv::readFile(iniPath());
        h.addAndSelect(ViewsTest::openedSet(QStringLiteral("T1"), { 40, 50, 60 }, 600, QDateTime::currentDateTime()));
        QTRY_VERIFY_WITH_TIMEOUT(h.window.plot, 5000);
        const QColor white(255, 255, 255), blue(0, 0, 255);
        QCOMPARE(h.window.plot->palette().color(QPalette::Window), white);

        CPrompt::setColorHandler([blue](const QColor &) { return blue; });
        runOptions(h, [&](COption *dialog, Ui_COption *f) {
            QTest::mouseClick(f->m_pushButtonViewGraphBackground, Qt::LeftButton);
            QCOMPARE(f->m_pushButtonViewGraphBackground->styleSheet(),
                     QStringLiteral("background-color: rgb(0,0,255);"));
            QVERIFY(h.window.viewsDirty);
            QTRY_COMPARE_WITH_TIMEOUT(h.window.plot->palette().color(QPalette::Window), blue, 5000);
            QTest::mouseClick(f->m_checkBoxGeneralShowHelp, Qt::LeftButton);
            if (escape)
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                QTest::mouseClick(f->m_buttonBox->button(QDialogButtonBox::Cancel), Qt::LeftButton);
        });
        QCOMPARE(h.window.app->settings.graphBackground, white);
        QCOMPARE(h.window.app->settings.showHelp, true);
        QTRY_COMPARE_WITH_TIMEOUT(h.window.plot->palette().color(QPalette::Window), white, 5000);
        QCOMPARE(TestEnv::readFile(iniPath()), fileBefore);
    }

    // The automatic steps ticked on the General tab stay out of the core,
    // where the window's timer would run them, while a View-tab change is
    // previewed behind the dialog; OK puts them in force, Cancel takes the
    // preview back and leaves them out.
    void automaticStepsWaitForOkWhileTheViewIsPreviewed_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void automaticStepsWaitForOkWhileTheViewIsPreviewed()
    {
        QFETCH(bool, ok);
        Harness h;
        const AppSettings &core = h.window.app->settings;
        h.window.app->settings.defaultPath = h.homePath(QStringLiteral("trips"));
        h.addAndSelect(ViewsTest::openedSet(QStringLiteral("T1"), { 40, 50, 60 }));
        QTRY_VERIFY_WITH_TIMEOUT(h.window.plot, 5000);
        const QColor white(255, 255, 255), green(0, 160, 0);
        const auto automaticSteps = [&core]() {
            return QVector<bool>{ core.autoDownloadLogger, core.autoSaveLogger, core.autoGeneratePdf,
                                  core.autoGenerateTxt, core.autoGenerateCsv, core.multiLinkSyncDateTime };
        };
        const QVector<bool> none(6, false), all(6, true);
        QCOMPARE(automaticSteps(), none);

        CPrompt::setColorHandler([green](const QColor &) { return green; });
        runOptions(h, [&](COption *, Ui_COption *f) {
            for (QCheckBox *box : { f->m_checkBoxGeneralAutoDownloadLogger, f->m_checkBoxGeneralAutoSaveLogger,
                                    f->m_checkBoxGeneralAutoPDFLogger, f->m_checkBoxGeneralAutoTxt,
                                    f->m_checkBoxGeneralAutoCsv, f->m_checkBoxMultiLinkSyncDateTime })
                QTest::mouseClick(box, Qt::LeftButton);
            f->m_comboBoxLoggerUnit->setCurrentIndex(1);
            QTest::mouseClick(f->m_pushButtonViewGraphBackground, Qt::LeftButton);
            QTest::mouseClick(f->m_checkBoxViewHisShowVGrid, Qt::LeftButton);
            QTRY_COMPARE_WITH_TIMEOUT(h.window.plot->palette().color(QPalette::Window), green, 5000);
            QCOMPARE(core.histogramShowVGrid, true);
            QCOMPARE(automaticSteps(), none);
            QCOMPARE(core.modeCelsius, 1);
            if (ok)
                pressOk(f);
            else
                QTest::mouseClick(f->m_buttonBox->button(QDialogButtonBox::Cancel), Qt::LeftButton);
        });
        QCOMPARE(automaticSteps(), ok ? all : none);
        QCOMPARE(core.modeCelsius, ok ? 0 : 1);
        QCOMPARE(core.histogramShowVGrid, ok);
        QCOMPARE(core.graphBackground, ok ? green : white);
        QTRY_COMPARE_WITH_TIMEOUT(h.window.plot->palette().color(QPalette::Window), ok ? green : white, 5000);
    }

    void automaticStepsFollowPathAndDownload()
    {
        Harness h;
        AppSettings &s = h.window.app->settings;
        s.defaultPath = h.homePath(QStringLiteral("trips"));
        s.autoDownloadLogger = false;
        s.autoGenerateTxt = true;
        COption dialog(&h.window);
        Ui_COption *f = dialog.form();
        QCheckBox *steps[] = { f->m_checkBoxGeneralAutoSaveLogger, f->m_checkBoxGeneralAutoTxt,
                               f->m_checkBoxGeneralAutoCsv, f->m_checkBoxGeneralAutoPDFLogger };
        QVERIFY(f->m_checkBoxGeneralAutoDownloadLogger->isEnabled());
        for (QCheckBox *step : steps)
            QVERIFY(!step->isEnabled());

        QTest::mouseClick(f->m_checkBoxGeneralAutoDownloadLogger, Qt::LeftButton);
        for (QCheckBox *step : steps)
            QVERIFY(step->isEnabled());
        QTest::mouseClick(f->m_checkBoxGeneralAutoSaveLogger, Qt::LeftButton);
        QTest::mouseClick(f->m_checkBoxGeneralAutoPDFLogger, Qt::LeftButton);

        // download off: save and PDF lose their marks, TXT keeps its own
        QTest::mouseClick(f->m_checkBoxGeneralAutoDownloadLogger, Qt::LeftButton);
        QVERIFY(!f->m_checkBoxGeneralAutoSaveLogger->isChecked());
        QVERIFY(!f->m_checkBoxGeneralAutoPDFLogger->isChecked());
        QVERIFY(f->m_checkBoxGeneralAutoTxt->isChecked());
        QVERIFY(!f->m_checkBoxGeneralAutoTxt->isEnabled());

        QTest::mouseClick(f->m_checkBoxGeneralAutoDownloadLogger, Qt::LeftButton);
        f->m_lineEditGeneralDefaultPath->clear();
        QVERIFY(!f->m_checkBoxGeneralAutoDownloadLogger->isEnabled());
        for (QCheckBox *step : steps)
            QVERIFY(!step->isEnabled());
        // the home directory is accepted, but marked
        f->m_lineEditGeneralDefaultPath->setText(QDir::homePath());
        QCOMPARE(f->m_labelOptionGeneralPath->styleSheet(), QStringLiteral("color:rgb(170,0,0);"));
        f->m_lineEditGeneralDefaultPath->setText(QDir::homePath() + QLatin1Char('/'));
        QCOMPARE(f->m_labelOptionGeneralPath->styleSheet(), QString());
    }

    // Caracas (-4.5) and Kathmandu (5.75) are the dialog tests' zones; here
    // the list's ends, local time and its order.
    void timeZoneOffsets()
    {
        const QStringList rows = COption::timeZoneRows();
        QCOMPARE(rows.size(), 92);
        QCOMPARE(QList<float>({ COption::timeZoneOffset(rows.at(0)), COption::timeZoneOffset(rows.at(1)),
                                COption::timeZoneOffset(rows.at(91)) }),
                 QList<float>({ 0.0f, -12.0f, 13.0f }));
        for (int i = 2; i < rows.size(); ++i)
            QVERIFY2(COption::timeZoneOffset(rows.at(i)) >= COption::timeZoneOffset(rows.at(i - 1)),
                     qPrintable(rows.at(i)));
    }

    void clockFollowsZoneAndDaylight()
    {
        const QDateTime utc(QDate(2026, 7, 1), QTime(12, 0, 0), Qt::UTC);
        AppSettings s;
        s.timeZoneIndex = 17;
        s.timeZone = -4.5f;
        QCOMPARE(COption::zoneClockTime(s, utc).time(), QTime(7, 30));
        s.timeZoneDaylight = 2;
        QCOMPARE(COption::zoneClockTime(s, utc).time(), QTime(8, 30));
        s.timeZoneIndex = 0;   // local time (Paris in summer), daylight ignored
        QCOMPARE(COption::zoneClockTime(s, utc).time(), QTime(14, 0));

        // the dialog's clock follows a new zone within a tick, before OK
        Harness h;
        COption dialog(&h.window);
        Ui_COption *f = dialog.form();
        QVERIFY(!f->m_checkBoxGeneralDaylightTime->isEnabled());
        f->m_comboBoxGeneralTimeZone->setCurrentIndex(66);   // Kathmandu
        QVERIFY(f->m_checkBoxGeneralDaylightTime->isEnabled());
        const auto shownOffBy = [f]() {
            const QDateTime expected = QDateTime::currentDateTimeUtc().addSecs(5 * 3600 + 45 * 60);
            const QDateTime shown = f->m_dateTimeEditGeneralCurrentTime->dateTime();
            return qAbs(QDateTime(expected.date(), expected.time(), Qt::UTC).secsTo(shown));
        };
        QTRY_VERIFY_WITH_TIMEOUT(shownOffBy() <= 2, 5000);
        QCOMPARE(dialog.workingSettings().timeZone, 5.75f);
        QCOMPARE(h.window.app->settings.timeZoneIndex, 0);
    }

    // A language is in force in the window and saved at once; Cancel keeps
    // it. The file it is saved in keeps the colours it had at opening while
    // the View tab previews another one, which Cancel takes back.
    void languageRetitlesTheWindowAndIsSaved()
    {
        Harness h;
        const CLanguageTable *labels = h.window.app->languageTable;
        const QColor colorAtOpening = h.window.app->settings.graphBackground, blue(0, 0, 255);
        CPrompt::setColorHandler([blue](const QColor &) { return blue; });
        runOptions(h, [&](COption *dialog, Ui_COption *f) {
            QTest::mouseClick(f->m_pushButtonViewGraphBackground, Qt::LeftButton);
            QTest::mouseClick(f->m_checkBoxOptionLangGr, Qt::LeftButton);
            QCOMPARE(h.window.app->settings.graphBackground, blue);
            QCOMPARE(h.ui->m_labelMainList->text(), QStringLiteral("Logger/Datei "));
            QCOMPARE(h.ui->m_actionProgram->text(), QStringLiteral("Programm"));
            QVERIFY(dialog->windowTitle().endsWith(QStringLiteral("... Mirelda 1.16.34")));
            // the dialog's own buttons follow, in the label table's words
            QCOMPARE(f->m_buttonBox->button(QDialogButtonBox::Cancel)->text(), labels->text(206, 5));
            QVERIFY(labels->text(206, 5) != QLatin1String("Cancel"));
            QVERIFY(TestEnv::readFile(iniPath()).contains("LANGUAGE=5\r\n"));
            // a click on the chosen language leaves it chosen
            QTest::mouseClick(f->m_checkBoxOptionLangGr, Qt::LeftButton);
            QVERIFY(f->m_checkBoxOptionLangGr->isChecked());
            QVERIFY(!f->m_checkBoxOptionLangEn->isChecked());
            QTest::mouseClick(f->m_buttonBox->button(QDialogButtonBox::Cancel), Qt::LeftButton);
        });
        QCOMPARE(labels->language, 5);
        QVERIFY(TestEnv::readFile(iniPath()).contains("LANGUAGE=5\r\n"));
        QCOMPARE(settingsReadBack().graphBackground, colorAtOpening);
    }

    // The first start asks for the language, then for the data path, and
    // the choices are in force and saved when the dialogs close.
    void firstStartOpensTheDialogAndWritesOnOk()
    {
        PromptRecorder prompts;
        QStringList firstPages;
        QString pathShown;
        CPrompt::setDialogHandler([&](QDialog *dialog) {
            Ui_COption *f = qobject_cast<COption *>(dialog)->form();
            firstPages.append(f->m_tabWidgetOption->currentWidget()->objectName());
            if (firstPages.size() == 1)
                QTest::mouseClick(f->m_checkBoxOptionLangFr, Qt::LeftButton);
            pathShown = f->m_lineEditGeneralDefaultPath->text();
            pressOk(f);
            return 1;
        });
        MainWindow::openOptionsAtStart = true;
        {
            MainWindow window;
            QCOMPARE(firstPages.size(), 2);
            QCOMPARE(firstPages, QStringList({ "m_tabLanguages", "m_tabGeneral" }));
            QCOMPARE(pathShown, QDir::homePath());
            QCOMPARE(window.ui->m_labelMainList->text(), QStringLiteral("Liste de fichiers/acquisiteurs"));
            QCOMPARE(window.ui->m_actionProgram->text(), QStringLiteral("Programme"));
        }
        const QByteArray saved = TestEnv::readFile(iniPath());
        QVERIFY(saved.contains("FIRST_INIT_LANGUAGE=0\r\n"));
        QVERIFY(saved.contains("LANGUAGE=1\r\n"));
        QVERIFY(saved.contains("GENERAL_DEFAULT_PATH=" + QDir::homePath().toUtf8() + "\r\n"));
        {
            MainWindow again;
            QCOMPARE(firstPages.size(), 2);
        }
        MainWindow::openOptionsAtStart = false;
    }

    void testMessageReachesTheServer()
    {
        QTemporaryDir certDir, outDir;
        QVERIFY(MailTestServer::makeTrustedCertificates(certDir.path()));
        MailTestServer server;
        QVERIFY(server.startSmtp(certDir.path(), outDir.path(), "qa@example.org", "s3cret"));
        Harness h;
        COption dialog(&h.window);
        Ui_COption *f = dialog.form();
        fillMailFields(f, server.port());
        f->m_lineEditOptionSmtpSubject->setText(QStringLiteral("not the test's subject"));
        QTest::mouseClick(f->m_pushButtonOptionSmtpTest, Qt::LeftButton);
        QVERIFY(!f->m_pushButtonOptionSmtpTest->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(h.prompts.sawBoxContaining(QStringLiteral("EMail sent...     Success\n")), 30000);
        QVERIFY(f->m_pushButtonOptionSmtpTest->isEnabled());
        const QJsonObject summary = MailTestServer::message(outDir.path(), 1);
        const QJsonObject headers = summary.value("headers").toObject();
        QCOMPARE(headers.value("subject").toString(), QStringLiteral("Quorvane Report"));
        QCOMPARE(headers.value("to").toString(), QStringLiteral("Team Lead <lead@example.org>"));
        QVERIFY(summary.value("tls").toBool());
    }

    // A closed port fails at once; a server that takes the connection and
    // never answers holds the test until the client's connection time-out,
    // while the dialog's clock keeps going.
    void failedTestMessageIsReportedWithinTheTimeOuts()
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        quint16 closedPort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            closedPort = probe.serverPort();
        }
        for (const quint16 port : { closedPort, silent.serverPort() }) {
            Harness h;
            COption dialog(&h.window);
            fillMailFields(dialog.form(), port);
            QTest::mouseClick(dialog.form()->m_pushButtonOptionSmtpTest, Qt::LeftButton);
            if (port == silent.serverPort()) {
                QTRY_VERIFY_WITH_TIMEOUT(dialog.smtpTestRunning(), 5000);
                const QDateTime clockAtStart = dialog.form()->m_dateTimeEditGeneralCurrentTime->dateTime();
                QTRY_VERIFY_WITH_TIMEOUT(dialog.form()->m_dateTimeEditGeneralCurrentTime->dateTime() != clockAtStart, 5000);
                QVERIFY(dialog.smtpTestRunning());
            }
            QTRY_VERIFY_WITH_TIMEOUT(h.prompts.sawBoxContaining(QStringLiteral("EMail failed...     Error\n")), 20000);
            QVERIFY(!h.prompts.sawBoxContaining(QStringLiteral("Success")));
        }
    }

    void defaultAccountBringsNoPassword()
    {
        Harness h;
        COption dialog(&h.window);
        Ui_COption *f = dialog.form();
        fillMailFields(f, 2525);
        QTest::mouseClick(f->m_pushButtonOptionSmtpDefault, Qt::LeftButton);
        // the built-in account on its SSL port, without a password; what
        // the user's own message goes to stays
        QCOMPARE(QStringList({ f->m_lineEditOptionSmtpPort->text(), f->m_lineEditOptionSmtpPass->text(),
                               f->m_lineEditOptionSmtpRecipientEmail->text() }),
                 QStringList({ "465", "", "lead@example.org" }));
        QVERIFY(!f->m_lineEditOptionSmtpAddress->text().isEmpty());
        QVERIFY(f->m_lineEditOptionSmtpUser->text().contains(QLatin1Char('@')));
        QCOMPARE(dialog.workingSettings().smtpServerPort, h.window.app->settings.smtpServerPort);
    }
};

MIRELDA_TEST_MAIN(TestOptions)
#include "tst_options.moc"
