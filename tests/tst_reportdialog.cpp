// The send-report dialog: when Send is offered, what a report carries when it
// reaches a real SMTP server on loopback, and that its files never outlive
// the send.
#include "support/mailtestserver.h"
#include "support/testenv.h"
#include "support/viewstest.h"
#include "support/windowtest.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

#include "core/imagecodec.h"
#include "files/cfilemanager.h"
#include "mail/smtpexchange.h"
#include "reports/creport.h"

namespace {

const QString kAccount = QStringLiteral("support@example.org");

QStringList leftovers()
{
    return TestEnv::tempEntries(QStringLiteral("mirelda-report-*"));
}

// A file record with readings, current, its graph built.
void openRecord(WindowTest::Harness &h)
{
    LoggerRecord record = ViewsTest::downloadedSet(QStringLiteral("R-100"), SensorBits::InternalNtc,
                                                   ConfigBits::InternalOn, ViewsTest::words({ 50, 61, 72 }), 300,
                                                   QDateTime(QDate(2024, 3, 1), QTime(8, 0)));
    record.fromFile = true;
    // the two permission bits show in the hexadecimal field only; the word
    // is the logger's image's as its last program set it, not its trip's,
    // nor the one the page's password field leaves in the record
    record.passwordWord = 0xCA5A1234;
    record.imageRead = ImageCodec::encode(record, record.imageRead);
    record.passwordWord = 0x0A5A0001;
    record.keepAsTrip();
    record.passwordWord = PasswordBits::Marker | 4321;
    h.addAndSelect(record);
    h.window.Timer();
}

}

class TestReportDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(MailTestServer::makeTrustedCertificates(certDir.path()));
        TestEnv::useTempDir(tempRoot.path());
    }

    // Ticks are run by hand here: no event loop turns between them.
    void sendIsOfferedByItsRulesAndClosingEndsTheSend()
    {
        WindowTest::Harness h;
        openRecord(h);
        CReport report(&h.window);
        auto *send = report.findChild<QPushButton *>(QStringLiteral("m_pushButtonSend"));
        auto *email = report.findChild<QLineEdit *>(QStringLiteral("m_lineEditEmail"));
        auto *comment = report.findChild<QTextEdit *>(QStringLiteral("m_textEditComment"));
        fillIn(report, QStringLiteral("ann.acme.example"));
        QVERIFY(!send->isEnabled());
        email->setText(QStringLiteral("ann@acme.example"));
        QVERIFY(send->isEnabled());
        comment->clear();
        QVERIFY(!send->isEnabled());
        comment->setPlainText(QStringLiteral("x"));

        send->click();
        report.Timer();
        report.Timer();
        comment->setPlainText(QStringLiteral("y"));
        QVERIFY(!send->isEnabled());
        report.Timer();
        QCOMPARE(report.currentState(), int(CReport::Sending));
        QStringList files = QDir(QDir(QDir::tempPath()).filePath(leftovers().value(0))).entryList(QDir::Files);
        files.sort();
        QCOMPARE(files, (QStringList{ "R-100.qlf", "plot.jpg", "program.jpg" }));
        report.reject();
        QCOMPARE(leftovers(), QStringList());
        QVERIFY(send->isEnabled());
    }

    void reportsArriveWholeAndEachSendIsNew()
    {
        QTemporaryDir outDir;
        MailTestServer server;
        QVERIFY(server.startSmtp(certDir.path(), outDir.path(), kAccount, QStringLiteral("pw")));
        WindowTest::Harness h;
        openRecord(h);
        CReport report(&h.window);
        CReport::SupportAccount account{ QStringLiteral("127.0.0.1"), server.port(), kAccount, QStringLiteral("pw"),
                                         kAccount, QStringLiteral("Support desk") };
        report.setSupportAccount(account);
        fillIn(report, QStringLiteral("ann@acme.example"));
        QTemporaryDir expected;
        QVERIFY(CFileManager::writeDataFile(expected.filePath(QStringLiteral("R-100.qlf")), h.records.at(0), false));

        // the third goes to a server that is gone
        for (int n = 1; n <= 3; ++n) {
            if (n == 3)
                server.stop();
            report.findChild<QPushButton *>(QStringLiteral("m_pushButtonSend"))->click();
            QTRY_COMPARE_WITH_TIMEOUT(h.prompts.boxes.size(), n, 30000);
            QCOMPARE(leftovers(), QStringList());
            if (n == 3) {
                // the reason follows, as the automatic e-mail gives it
                const QString text = h.prompts.boxes.last().text;
                QVERIFY2(text.startsWith(QStringLiteral("EMail send Failed...     Error\nThe server 127.0.0.1:"))
                             && text.contains(QStringLiteral("could not be reached")),
                         qPrintable(text));
                break;
            }
            QCOMPARE(h.prompts.boxes.last().text, QStringLiteral("EMail sent...     Success\n"));
            const QJsonObject message = MailTestServer::message(outDir.path(), n);
            const QJsonObject headers = message.value(QStringLiteral("headers")).toObject();
            QCOMPARE(headers.value(QStringLiteral("subject")).toString(), QStringLiteral("Quorvane Report"));
            QCOMPARE(headers.value(QStringLiteral("from")).toString(), QStringLiteral("Ann \u00C5berg <ann@acme.example>"));
            QCOMPARE(headers.value(QStringLiteral("to")).toString(), QStringLiteral("Support desk <") + kAccount + '>');

            const QJsonArray parts = message.value(QStringLiteral("parts")).toArray();
            QCOMPARE(parts.size(), 4);
            const QStringList lines =
                parts.at(0).toObject().value(QStringLiteral("text")).toString().split(QStringLiteral("\r\n"));
            QCOMPARE(lines.mid(0, 8), (QStringList{ "Name:     Ann \u00C5berg", "Company: Acme",
                                                    "EMail:   ann@acme.example", "Odd.", "Check.",
                                                    QStringLiteral("Password:CA5A1234 - %1").arg(0x0A5A1234), "",
                                                    QStringLiteral("Serial #").leftJustified(34) + "R-100" }));
            QCOMPARE(lines.size(), 7 + 64 + 1);
            QStringList names;
            for (int i = 1; i < 4; ++i)
                names << parts.at(i).toObject().value(QStringLiteral("filename")).toString() + ' '
                             + parts.at(i).toObject().value(QStringLiteral("content_type")).toString();
            QCOMPARE(names, (QStringList{ "plot.jpg image/jpg", "program.jpg image/jpg",
                                          "R-100.qlf application/octet-stream" }));
            QCOMPARE(MailTestServer::payload(parts.at(3).toObject()),
                     TestEnv::readFile(expected.filePath(QStringLiteral("R-100.qlf"))));
        }
    }

    // Closed while its exchange runs, the dialog ends the send there:
    // nothing more goes to the server, no box comes, and the report's
    // folder goes once the exchange's worker has stopped. A server that
    // never completes the connection does not hold the window up meanwhile.
    void closingDuringTheExchangeDropsItsEnd_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("heard");
        QTest::newRow("server slow to answer") << QStringList{ "--delay", "EHLO=1" } << QStringList{ "EHLO localhost" };
        QTest::newRow("connection never completes") << QStringList{ "--no-accept" } << QStringList{};
    }
    void closingDuringTheExchangeDropsItsEnd()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, heard);
        MailTestServer peer;
        QVERIFY(peer.start(QStringLiteral("smtp_script_server.py"),
                           options + QStringList{ "--certdir", certDir.path(), "--lifetime", "30" }));
        WindowTest::Harness h;
        openRecord(h);
        CReport report(&h.window);
        report.setSupportAccount({ QStringLiteral("127.0.0.1"), peer.port(), kAccount, QStringLiteral("pw"), kAccount,
                                   QStringLiteral("Support desk") });
        fillIn(report, QStringLiteral("ann@acme.example"));
        auto *send = report.findChild<QPushButton *>(QStringLiteral("m_pushButtonSend"));
        send->click();
        auto *exchange = report.findChild<SmtpExchange *>();
        QTRY_VERIFY_WITH_TIMEOUT(exchange->isRunning(), 20000);
        if (!heard.isEmpty())
            QTRY_VERIFY_WITH_TIMEOUT(peer.waitForOutput(heard.first(), 0), 20000);
        int ticksWhileTheFolderStays = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ticksWhileTheFolderStays += leftovers().isEmpty() ? 0 : 1; });
        ticker.start(10);
        report.reject();
        QVERIFY(send->isEnabled());
        if (heard.isEmpty())
            QTRY_VERIFY_WITH_TIMEOUT(ticksWhileTheFolderStays >= 3, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(leftovers(), QStringList(), 20000);
        if (!heard.isEmpty())
            QCOMPARE(peer.outputLines(20000), heard);
        QCoreApplication::processEvents();
        QVERIFY(h.prompts.boxes.isEmpty());
    }

    void reportActionOpensTheDialogOnce()
    {
        WindowTest::Harness h;
        QStringList opened;
        CPrompt::setDialogHandler([&opened](QDialog *dialog) {
            opened << dialog->windowTitle();
            return 0;
        });
        h.window.on_m_actionSend_Report_triggered();
        h.window.Timer();
        h.window.Timer();
        QCOMPARE(opened, QStringList{ QStringLiteral("Send Report... Mirelda 1.16.34") });
    }

private:
    static void fillIn(CReport &report, const QString &email)
    {
        report.findChild<QLineEdit *>(QStringLiteral("m_lineEditName"))->setText(QStringLiteral("Ann \u00C5berg"));
        report.findChild<QLineEdit *>(QStringLiteral("m_lineEditCompany"))->setText(QStringLiteral("Acme"));
        report.findChild<QLineEdit *>(QStringLiteral("m_lineEditEmail"))->setText(email);
        report.findChild<QTextEdit *>(QStringLiteral("m_textEditComment"))->setPlainText(QStringLiteral("Odd.\nCheck."));
    }

    QTemporaryDir certDir;
    QTemporaryDir tempRoot;
};

MIRELDA_TEST_MAIN(TestReportDialog)
#include "tst_reportdialog.moc"
