#include <QPixmap>
#include <QTextBrowser>
#include <QtTest>

#include "dialogs/cabout.h"
#include "support/testenv.h"
#include "support/windowtest.h"
#include "ui_cabout.h"

class TestAbout : public QObject
{
    Q_OBJECT
private slots:
    void aboutBoxNamesTheReleaseAndTheMaker()
    {
        CAbout about(nullptr);
        QCOMPARE(about.windowTitle(), QStringLiteral("About... Mirelda 1.16.34"));
        QCOMPARE(about.ui->m_labelName->text(), QStringLiteral("Mirelda"));
        QCOMPARE(about.ui->m_labelVersion->text(),
                 QStringLiteral("Version:1.16.34 02/10/2016 - QLib:") + qVersion());
        QVERIFY(!(about.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));

        // the link names the maker's current address, as target and as text
        const QString credits = about.ui->m_textBrowser->toHtml();
        QCOMPARE(credits.count(QLatin1String(CAbout::kWebAddress)), 2);
        QVERIFY(!credits.contains(QLatin1String("mirelda-loggers")));
    }

    void aboutActionRunsTheBox()
    {
        WindowTest::Harness h;
        QStringList shown;
        CPrompt::setDialogHandler([&shown](QDialog *dialog) {
            shown << dialog->windowTitle();
            return 0;
        });
        h.ui->m_actionAbout->trigger();
        QCOMPARE(shown, QStringList({ "About... Mirelda 1.16.34" }));
        QVERIFY(!QPixmap(QStringLiteral(":/Pictures/NorvelLogoButton.png")).isNull());
    }
};

MIRELDA_TEST_MAIN(TestAbout)
#include "tst_about.moc"
