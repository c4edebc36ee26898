// Context help pages and the about box.
#include <QTextBrowser>
#include <QTextDocument>

#include "core/clanguagetable.h"
#include "dialogs/cabout.h"
#include "dialogs/chelp.h"
#include "support/testenv.h"
#include "support/windowtest.h"
#include "ui_cabout.h"

namespace {

const int kLanguages[] = { 0, 1, 2, 3, 5, 6 };

// The text of a page, found by the resource naming rule of the help pages
// (":/help/html/helpProgram" + topic word + "_" + language code + ".html")
// and read one byte per character.
QString pageText(const char *topicWord, const char *language)
{
    QFile page(QStringLiteral(":/help/html/helpProgram%1_%2.html").arg(QLatin1String(topicWord), QLatin1String(language)));
    if (!page.open(QIODevice::ReadOnly))
        return QString();
    QTextDocument document;
    document.setHtml(QString::fromLatin1(page.readAll()));
    return document.toPlainText();
}

}

class TestHelp : public QObject
{
    Q_OBJECT
private slots:
    void everyTopicHasItsOwnPageInEveryLanguage()
    {
        QCOMPARE(CHelp::pageName(17, 0), QStringLiteral(":/help/html/helpProgramStartAt_EN.html"));
        QCOMPARE(CHelp::pageName(39, 5), QStringLiteral(":/help/html/helpProgramShowAlarm_GR.html"));
        QCOMPARE(CHelp::pageName(1, 1), QStringLiteral(":/help/html/helpProgramSerial_FR.html"));
        QVERIFY(CHelp::pageName(1, 4).isEmpty());

        WindowTest::Harness h;   // the pages come with the window's resources
        QSet<QString> texts;
        for (int topic = 1; topic <= CHelp::kTopicCount; ++topic) {
            for (int language : kLanguages) {
                const QString name = CHelp::pageName(topic, language);
                const QString html = CHelp::readFile(name);
                QVERIFY2(!html.isEmpty(), qPrintable(name));
                // read one byte per character: anything beyond ASCII must be
                // a character reference
                for (QChar c : html)
                    QVERIFY2(c.unicode() < 0x80, qPrintable(name));
                QTextDocument document;
                document.setHtml(html);
                const QString text = document.toPlainText();
                QVERIFY2(text.split('\n', Qt::SkipEmptyParts).size() >= 3, qPrintable(name));
                texts.insert(text);
            }
        }
        QCOMPARE(texts.size(), CHelp::kTopicCount * 6);
    }

    void aTopicLoadsOnlyWhenItChanges()
    {
        WindowTest::Harness h;
        QVERIFY(!pageText("AlarmH", "EN").isEmpty() && !pageText("AlarmLL", "PR").isEmpty());
        QTextBrowser view;
        CHelp help(&h.window);
        help.showHelp(7);   // no view yet: nothing happens
        QCOMPARE(help.currentTopic, -1);
        help.setTextEdit(&view);

        help.showHelp(7);
        QCOMPARE(view.toPlainText(), pageText("AlarmH", "EN"));
        view.setPlainText(QStringLiteral("replaced"));
        help.showHelp(7);
        QCOMPARE(view.toPlainText(), QStringLiteral("replaced"));
        help.showHelp(40);   // no such topic: the view stays as it is
        help.showHelp(7);
        QCOMPARE(view.toPlainText(), pageText("AlarmH", "EN"));

        h.window.app->languageTable->language = 4;
        help.showHelp(8);
        QCOMPARE(view.toPlainText(), pageText("AlarmH", "EN"));
        h.window.app->languageTable->language = 6;
        help.showHelp(9);
        QCOMPARE(view.toPlainText(), pageText("AlarmLL", "PR"));
    }

    void aboutBoxNamesTheReleaseAndTheMaker()
    {
        WindowTest::Harness h;
        QStringList shown;
        CPrompt::setDialogHandler([&shown](QDialog *dialog) {
            auto *about = qobject_cast<CAbout *>(dialog);
            shown << dialog->windowTitle() << about->ui->m_labelVersion->text();
            // the link names the maker's current address, as target and as text
            const QString credits = about->ui->m_textBrowser->toHtml();
            shown << QString::number(credits.count(QLatin1String(CAbout::kWebAddress)));
            return 0;
        });
        h.ui->m_actionAbout->trigger();
        QCOMPARE(shown, QStringList({ "About... Mirelda 1.16.34",
                                      QStringLiteral("Version:1.16.34 02/10/2016 - QLib:") + qVersion(), "2" }));
    }

    void hoveringAFieldShowsItsPageAndARefreshKeepsIt()
    {
        WindowTest::Harness h;
        QTextBrowser *pane = h.ui->m_textBrowserHelp;
        QVERIFY(!pageText("AlarmTotal", "EN").isEmpty() && !pageText("ShowAlarm", "EN").isEmpty());
        h.window.app->settings.showHelp = true;
        h.ui->m_lineEditLoggerTotalAlarmDelayExt->setAttribute(Qt::WA_UnderMouse, true);
        QTRY_COMPARE(pane->toPlainText(), pageText("AlarmTotal", "EN"));

        h.window.updateLoggerPage();
        QCOMPARE(pane->toPlainText(), pageText("AlarmTotal", "EN"));

        // with help switched off the pane no longer follows the mouse
        h.ui->m_lineEditLoggerTotalAlarmDelayExt->setAttribute(Qt::WA_UnderMouse, false);
        h.window.app->settings.showHelp = false;
        h.ui->m_checkBoxLoggerShowAlarm->setAttribute(Qt::WA_UnderMouse, true);
        h.window.Timer100ms();
        QCOMPARE(pane->toPlainText(), pageText("AlarmTotal", "EN"));
        h.window.app->settings.showHelp = true;
        QTRY_COMPARE(pane->toPlainText(), pageText("ShowAlarm", "EN"));
    }
};

MIRELDA_TEST_MAIN(TestHelp)
#include "tst_help.moc"
