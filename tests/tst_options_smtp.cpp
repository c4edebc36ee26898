// The test e-mail of the options dialog against a real SMTP server on the
// loopback interface, and against servers that never answer: the dialog
// stays responsive and the test ends within the client's time-outs.
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include "dialogs/coption.h"
#include "support/mailtestserver.h"
#include "support/testenv.h"
#include "support/windowtest.h"
#include "ui_coption.h"

using namespace WindowTest;

namespace {

const QString kSuccess = QStringLiteral("EMail sent...     Success\n");
const QString kFailure = QStringLiteral("EMail failed...     Error\n");

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

quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

}

class TestOptionsSmtp : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(MailTestServer::makeCertificates(certDir.path()));
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setCaCertificates(QSslConfiguration::systemCaCertificates()
                                        + QSslCertificate::fromPath(certDir.filePath("ca.pem")));
        QSslConfiguration::setDefaultConfiguration(configuration);
    }

    void testMessageReachesTheServer()
    {
        QTemporaryDir outDir;
        MailTestServer server;
        QVERIFY(server.start(QStringLiteral("smtp_server.py"),
                             { "--mode", "ssl", "--certdir", certDir.path(), "--outdir", outDir.path(),
                               "--user", "qa@example.org", "--password", "s3cret", "--lifetime", "60" }));
        Harness h;
        COption dialog(&h.window);
        Ui_COption *f = dialog.form();
        fillMailFields(f, server.port());
        f->m_lineEditOptionSmtpSubject->setText(QStringLiteral("not the test's subject"));
        QTest::mouseClick(f->m_pushButtonOptionSmtpTest, Qt::LeftButton);
        QVERIFY(!f->m_pushButtonOptionSmtpTest->isEnabled());

        QTRY_VERIFY_WITH_TIMEOUT(h.prompts.sawBoxContaining(kSuccess), 30000);
        QVERIFY(f->m_pushButtonOptionSmtpTest->isEnabled());
        const QJsonObject summary =
            QJsonDocument::fromJson(TestEnv::readFile(outDir.filePath("msg-1.json"))).object();
        QVERIFY2(!summary.isEmpty(), qPrintable(server.errorOutput()));
        const QJsonObject headers = summary.value("headers").toObject();
        QCOMPARE(headers.value("subject").toString(), QStringLiteral("Quorvane Report"));
        QCOMPARE(headers.value("to").toString(), QStringLiteral("Team Lead <lead@example.org>"));
        QCOMPARE(summary.value("auth").toObject().value("mechanism").toString(), QStringLiteral("PLAIN"));
        QVERIFY(summary.value("tls").toBool());
    }

    void failureIsReported()
    {
        Harness h;
        COption dialog(&h.window);
        fillMailFields(dialog.form(), closedPort());
        QTest::mouseClick(dialog.form()->m_pushButtonOptionSmtpTest, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(h.prompts.sawBoxContaining(kFailure), 15000);
        QVERIFY(!h.prompts.sawBoxContaining(kSuccess));
    }

    // A server that takes the connection and never answers holds the test
    // until the client's connection time-out; the dialog's clock keeps going.
    void silentServerLeavesTheDialogResponsive()
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        Harness h;
        COption dialog(&h.window);
        fillMailFields(dialog.form(), silent.serverPort());
        QTest::mouseClick(dialog.form()->m_pushButtonOptionSmtpTest, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(dialog.smtpTestRunning(), 5000);

        QElapsedTimer elapsed;
        elapsed.start();
        const QDateTime clockAtStart = dialog.form()->m_dateTimeEditGeneralCurrentTime->dateTime();
        QTRY_VERIFY_WITH_TIMEOUT(dialog.form()->m_dateTimeEditGeneralCurrentTime->dateTime() != clockAtStart,
                                 5000);
        QVERIFY(dialog.smtpTestRunning());
        QTRY_VERIFY_WITH_TIMEOUT(h.prompts.sawBoxContaining(kFailure), 20000);
        QVERIFY(elapsed.elapsed() < 20000);
    }

    void defaultAccountBringsNoPassword()
    {
        Harness h;
        COption dialog(&h.window);
        Ui_COption *f = dialog.form();
        fillMailFields(f, 2525);
        QTest::mouseClick(f->m_pushButtonOptionSmtpDefault, Qt::LeftButton);
        QCOMPARE(f->m_lineEditOptionSmtpAddress->text(), DefaultMailAccount::host());
        QCOMPARE(f->m_lineEditOptionSmtpPort->text(), QStringLiteral("465"));
        QCOMPARE(f->m_lineEditOptionSmtpUser->text(), DefaultMailAccount::address());
        QCOMPARE(f->m_lineEditOptionSmtpPass->text(), QString());
        QCOMPARE(f->m_lineEditOptionSmtpRecipientEmail->text(), QStringLiteral("lead@example.org"));
        QCOMPARE(dialog.workingSettings().smtpServerPort, h.window.app->settings.smtpServerPort);
    }

private:
    QTemporaryDir certDir;
};

MIRELDA_TEST_MAIN(TestOptionsSmtp)
#include "tst_options_smtp.moc"
