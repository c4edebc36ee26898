// The send-report dialog: when Send is offered, what a report carries when it
// reaches a real SMTP server on loopback, and that its files never outlive
// the send.
#include "support/mailtestserver.h"
#include "support/testenv.h"
#include "support/viewstest.h"
#include "support/windowtest.h"

#include <QImage>
#include <QJsonArray>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTextEdit>

#include "files/cfilemanager.h"
#include "reports/creport.h"

namespace {

const QString kAccount = QStringLiteral("support@example.org");
const QString kPassword = QStringLiteral("Support2024");

template <typename T> T *field(CReport &report, const char *name)
{
    return report.findChild<T *>(QLatin1String(name));
}

void fillIn(CReport &report, const QString &email)
{
    field<QLineEdit>(report, "m_lineEditName")->setText(QStringLiteral("Ann \u00C5berg"));
    field<QLineEdit>(report, "m_lineEditCompany")->setText(QStringLiteral("Acme"));
    field<QLineEdit>(report, "m_lineEditEmail")->setText(email);
    field<QTextEdit>(report, "m_textEditComment")->setPlainText(QStringLiteral("Readings look odd.\nPlease check."));
}

QStringList leftovers()
{
    return TestEnv::tempEntries(QStringLiteral("mirelda-report-*"));
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
        h.addAndSelect(recordWithReadings());
        h.window.Timer();   // builds the graph the report pictures
        CReport report(&h.window);
        auto *send = field<QPushButton>(report, "m_pushButtonSend");
        QVERIFY(!send->isEnabled());
        fillIn(report, QStringLiteral("ann.acme.example"));
        QVERIFY(!send->isEnabled());
        field<QLineEdit>(report, "m_lineEditEmail")->setText(QStringLiteral("ann@acme.example"));
        QVERIFY(send->isEnabled());
        field<QTextEdit>(report, "m_textEditComment")->clear();
        QVERIFY(!send->isEnabled());
        field<QTextEdit>(report, "m_textEditComment")->setPlainText(QStringLiteral("x"));
        QVERIFY(send->isEnabled());

        send->click();
        QVERIFY(!send->isEnabled());
        report.Timer();
        report.Timer();
        field<QLineEdit>(report, "m_lineEditName")->setText(QStringLiteral("Bo"));
        QVERIFY(!send->isEnabled());
        report.Timer();
        QCOMPARE(report.currentState(), int(CReport::Sending));
        QCOMPARE(leftovers().size(), 1);
        const QDir written(QDir(QDir::tempPath()).filePath(leftovers().first()));
        QStringList files = written.entryList(QDir::Files);
        files.sort();
        QCOMPARE(files,
                 (QStringList{ QStringLiteral("R-100.qlf"), QStringLiteral("plot.jpg"), QStringLiteral("program.jpg") }));

        report.reject();
        QCOMPARE(leftovers(), QStringList());
        QCOMPARE(report.currentState(), int(CReport::Idle));
        QVERIFY(send->isEnabled());
        QVERIFY(h.prompts.boxes.isEmpty());
    }

    void reportsArriveWholeAndEachSendIsNew()
    {
        QTemporaryDir outDir;
        MailTestServer server;
        QVERIFY2(server.startSsl(certDir.path(), outDir.path(), kAccount, kPassword), qPrintable(server.errorOutput()));
        WindowTest::Harness h;
        const LoggerRecord record = recordWithReadings();
        h.addAndSelect(record);
        h.window.Timer();
        CReport report(&h.window);
        report.setSupportAccount(loopbackAccount(server.port()));
        fillIn(report, QStringLiteral("ann@acme.example"));

        for (int n = 1; n <= 2; ++n) {
            field<QPushButton>(report, "m_pushButtonSend")->click();
            QTRY_COMPARE_WITH_TIMEOUT(h.prompts.boxes.size(), n, 30000);
            QCOMPARE(h.prompts.boxes.last().text, QStringLiteral("EMail sent...     Success\n"));
            QCOMPARE(h.prompts.boxes.last().kind, CPrompt::Information);
            QCOMPARE(leftovers(), QStringList());

            const QJsonObject message = MailTestServer::message(outDir.path(), n);
            QCOMPARE(message.value(QStringLiteral("defects")).toArray().size(), 0);
            const QVariantMap headers = message.value(QStringLiteral("headers")).toObject().toVariantMap();
            QCOMPARE(headers.value(QStringLiteral("subject")).toString(), QStringLiteral("Quorvane Report"));
            QCOMPARE(headers.value(QStringLiteral("from")).toString(), QStringLiteral("Ann \u00C5berg <ann@acme.example>"));
            QCOMPARE(headers.value(QStringLiteral("to")).toString(), QStringLiteral("Support desk <") + kAccount + '>');

            const QJsonArray parts = message.value(QStringLiteral("parts")).toArray();
            QCOMPARE(parts.size(), 4);
            const QStringList lines =
                parts.at(0).toObject().value(QStringLiteral("text")).toString().split(QStringLiteral("\r\n"));
            QCOMPARE(lines.mid(0, 7), (QStringList{ "Name:     Ann \u00C5berg", "Company: Acme",
                                                    "EMail:   ann@acme.example", "Readings look odd.",
                                                    "Please check.",
                                                    QStringLiteral("Password:CA5A1234 - %1").arg(0x0A5A1234),
                                                    "" }));
            QCOMPARE(lines.value(7), CReport::summaryLine(QStringLiteral("Serial #"), QStringLiteral("R-100")).trimmed());
            QCOMPARE(lines.size(), 7 + 64 + 1);

            QCOMPARE(partName(parts, 1), QStringLiteral("plot.jpg image/jpg"));
            QCOMPARE(partName(parts, 2), QStringLiteral("program.jpg image/jpg"));
            QCOMPARE(partName(parts, 3), QStringLiteral("R-100.qlf application/octet-stream"));
            QVERIFY(!QImage::fromData(payload(parts, 2), "JPG").isNull());
            QTemporaryDir expected;
            const QString path = expected.filePath(QStringLiteral("R-100.qlf"));
            QVERIFY(CFileManager::writeDataFile(path, record, false));
            QCOMPARE(payload(parts, 3), TestEnv::readFile(path));
        }
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
        QCOMPARE(h.ui->m_tabWidget->currentWidget(), h.ui->m_tabLogger);
        h.window.Timer();
        h.window.Timer();
        QCOMPARE(opened, QStringList{ QStringLiteral("Send Report... Mirelda 1.16.34") });
    }

    void failedSendIsTold()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        WindowTest::Harness h;
        CReport report(&h.window);
        report.setSupportAccount(loopbackAccount(port));
        fillIn(report, QStringLiteral("ann@acme.example"));
        field<QPushButton>(report, "m_pushButtonSend")->click();
        QTRY_COMPARE_WITH_TIMEOUT(h.prompts.boxes.size(), 1, 30000);
        QCOMPARE(h.prompts.boxes.first().text, QStringLiteral("EMail send Failed...     Error\n"));
        QCOMPARE(leftovers(), QStringList());
        QVERIFY(field<QPushButton>(report, "m_pushButtonSend")->isEnabled());
    }

private:
    static LoggerRecord recordWithReadings()
    {
        LoggerRecord record = ViewsTest::downloadedSet(QStringLiteral("R-100"), SensorBits::InternalNtc,
                                                       ConfigBits::InternalOn, ViewsTest::words({ 50, 61, 72 }),
                                                       300, QDateTime(QDate(2024, 3, 1), QTime(8, 0)));
        record.fileName = QStringLiteral("/data/R-100.qlf");
        record.fromFile = true;
        record.ready = true;
        // the two permission bits show in the hexadecimal field only
        record.passwordWord = 0xCA5A1234;
        return record;
    }

    CReport::SupportAccount loopbackAccount(quint16 port) const
    {
        CReport::SupportAccount account;
        account.host = QStringLiteral("127.0.0.1");
        account.port = port;
        account.user = kAccount;
        account.password = kPassword;
        account.mailbox = kAccount;
        account.mailboxName = QStringLiteral("Support desk");
        return account;
    }

    static QString partName(const QJsonArray &parts, int i)
    {
        const QJsonObject part = parts.at(i).toObject();
        return part.value(QStringLiteral("filename")).toString() + QLatin1Char(' ')
               + part.value(QStringLiteral("content_type")).toString();
    }

    static QByteArray payload(const QJsonArray &parts, int i)
    {
        return MailTestServer::payload(parts.at(i).toObject());
    }

    QTemporaryDir certDir;
    QTemporaryDir tempRoot;
};

MIRELDA_TEST_MAIN(TestReportDialog)
#include "tst_reportdialog.moc"
