#include "support/mailtestserver.h"
#include "support/testenv.h"

#include "mail/emailaddress.h"
#include "mail/mimeattachment.h"
#include "mail/mimemessage.h"
#include "mail/mimetext.h"
#include "mail/smtpclient.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSslSocket>
#include <QTcpServer>
#include <QTemporaryDir>

#include <memory>

namespace {

// A scripted peer on loopback; it ends when the client's connection closes.
bool startPeer(MailTestServer &peer, const QStringList &replies, const QStringList &options = {})
{
    QStringList arguments = options + QStringList{QStringLiteral("--lifetime"), QStringLiteral("20")};
    for (const QString &reply : replies)
        arguments << QStringLiteral("--reply") << reply;
    return peer.start(QStringLiteral("smtp_script_server.py"), arguments);
}

std::unique_ptr<SmtpClient> makeClient(const MailTestServer &peer, int type = SmtpClient::TcpConnection)
{
    auto client = std::make_unique<SmtpClient>(QStringLiteral("127.0.0.1"), peer.port(), type);
    // Short enough to keep the test quick, long enough for a loaded machine.
    client->setResponseTimeout(700);
    return client;
}

QList<int> errorCodes(const QSignalSpy &spy)
{
    QList<int> codes;
    for (const QList<QVariant> &arguments : spy)
        codes.append(int(arguments.at(0).value<SmtpClient::SmtpError>()));
    return codes;
}

struct TestMessage
{
    EmailAddress sender{QStringLiteral("s@example.org"), QStringLiteral("Sam")};
    EmailAddress to{QStringLiteral("r@example.org"), QStringLiteral("Rita")};
    EmailAddress cc{QStringLiteral("c@example.org")};
    EmailAddress bcc{QStringLiteral("b@example.org")};
    MimeMessage message{true};   // first: the parts it was given go before it
    MimeText text{QStringLiteral("body")};

    TestMessage()
    {
        message.setSender(&sender);
        message.addRecipient(&to, MimeMessage::To);
        message.addRecipient(&cc, MimeMessage::Cc);
        message.addRecipient(&bcc, MimeMessage::Bcc);
        message.addPart(&text);
    }
};

}

class TestMailSmtpFaults : public QObject
{
    Q_OBJECT

    enum Stage { Connect, Login, Send };

private slots:
    void refusedOrSilentPeer_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("stage");
        QTest::addColumn<QList<int>>("expectedErrors");
        QTest::addColumn<QString>("lastReceived");
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("type");
        const auto row = [](const char *name, const char *reply, Stage stage, const QList<int> &errors,
                            const char *last, int method = SmtpClient::AuthPlain,
                            int type = SmtpClient::TcpConnection) {
            QTest::newRow(name) << QString::fromLatin1(reply) << int(stage) << errors << QString::fromLatin1(last)
                                << method << type;
        };
        const int server = SmtpClient::ServerError;
        const int client = SmtpClient::ClientError;
        const int timeout = SmtpClient::ResponseTimeoutError;
        const int refused = SmtpClient::AuthenticationFailedError;
        const int login = SmtpClient::AuthLogin;
        row("greeting 4xx", "GREETING=421 busy", Connect, {server, server}, "");
        row("greeting 5xx", "GREETING=554 go away", Connect, {client, server}, "");
        row("no greeting", "GREETING=none", Connect, {timeout}, "");
        row("half a line", "EHLO=250-a|25", Connect, {timeout}, "EHLO localhost");
        // A refused STARTTLS ends the session rather than going on in clear.
        row("STARTTLS refused", "STARTTLS=454 not now", Connect, {server, server}, "STARTTLS",
            SmtpClient::AuthPlain, SmtpClient::TlsConnection);
        row("plain refused", "AUTH=535 no", Login, {client, refused}, "AUTH PLAIN AHUAcA==");
        row("plain busy", "AUTH=454 later", Login, {server, refused}, "AUTH PLAIN AHUAcA==");
        row("plain unanswered", "AUTH=none", Login, {timeout, refused}, "AUTH PLAIN AHUAcA==");
        row("login not offered", "AUTH-LOGIN=504 no", Login, {client, refused}, "AUTH LOGIN", login);
        row("login user refused", "LOGIN-USER=535 no", Login, {client, refused}, "dQ==", login);
        row("login password refused", "LOGIN-PASS=535 no", Login, {client, refused}, "cA==", login);
        row("recipient refused", "RCPT=550 no such user", Send, {client}, "RCPT TO: <r@example.org>");
        row("end of data unanswered", "END=none", Send, {timeout}, ".");
    }

    void refusedOrSilentPeer()
    {
        QFETCH(QString, reply);
        QFETCH(int, stage);
        QFETCH(QList<int>, expectedErrors);
        QFETCH(QString, lastReceived);
        QFETCH(int, method);
        QFETCH(int, type);
        MailTestServer peer;
        QVERIFY(startPeer(peer, {reply}));
        {
            auto client = makeClient(peer, type);
            QSignalSpy errors(client.get(), &SmtpClient::smtpError);
            TestMessage mail;
            bool done = client->connectToHost();
            if (stage >= Login && done)
                done = client->login(QStringLiteral("u"), QStringLiteral("p"), method);
            if (stage >= Send && done)
                done = client->sendMail(mail.message);
            QVERIFY(!done);
            QCOMPARE(errorCodes(errors), expectedErrors);
            if (type == SmtpClient::TlsConnection)
                QVERIFY(!static_cast<QSslSocket *>(client->getSocket())->isEncrypted());
        }
        const QStringList received = peer.outputLines(10000);
        QCOMPARE(received.isEmpty() ? QString() : received.last(), lastReceived);
    }

    void plaintextAfterStartTlsIsDropped()
    {
        QTemporaryDir certs;
        QVERIFY(MailTestServer::makeCertificates(certs.path()));
        MailTestServer peer;
        QVERIFY(startPeer(peer, {QStringLiteral("STARTTLS=220 go ahead|250 sent in plain text after the go-ahead")},
                          {QStringLiteral("--certdir"), certs.path()}));
        {
            auto client = makeClient(peer, SmtpClient::TlsConnection);
            client->setResponseTimeout(10000);
            client->addCaCertificates(QSslCertificate::fromPath(certs.filePath(QStringLiteral("ca.pem"))));
            QVERIFY(client->connectToHost());
            QVERIFY(static_cast<QSslSocket *>(client->getSocket())->isEncrypted());
            QCOMPARE(client->getResponseText(), QStringLiteral("250 STARTTLS\r\n"));
            QVERIFY(client->login(QStringLiteral("u"), QStringLiteral("p"), SmtpClient::AuthPlain));
        }
        QCOMPARE(peer.outputLines(10000),
                 (QStringList{"EHLO localhost", "STARTTLS", "EHLO localhost", "AUTH PLAIN AHUAcA=="}));
    }

    void unreadableAttachmentIsNotSent()
    {
        MailTestServer peer;
        QVERIFY(startPeer(peer, {}));
        {
            auto client = makeClient(peer);
            TestMessage mail;
            MimeAttachment missing(new QFile(QStringLiteral("/nonexistent/report.pdf")));
            mail.message.addPart(&missing);
            QVERIFY(client->connectToHost());
            QVERIFY(!client->sendMail(mail.message));
            client->quit();
        }
        QVERIFY(!peer.outputLines(10000).contains(QStringLiteral("DATA")));
    }

    void lineBreaksAreRefused_data()
    {
        QTest::addColumn<QString>("field");
        for (const char *field : {"client name", "subject", "sender address", "cc name", "bcc address", "no sender"})
            QTest::newRow(field) << QString::fromLatin1(field);
    }

    void lineBreaksAreRefused()
    {
        QFETCH(QString, field);
        MailTestServer peer;
        QVERIFY(startPeer(peer, {}));
        {
            auto client = makeClient(peer);
            TestMessage mail;
            const QString injected = QStringLiteral("x@example.org>\r\nRCPT TO: <evil@example.org");
            if (field == QLatin1String("client name"))
                client->setName(QStringLiteral("host\r\nMAIL FROM: <evil@example.org>"));
            else if (field == QLatin1String("subject"))
                mail.message.setSubject(QStringLiteral("Hi\nBcc: evil@example.org"));
            else if (field == QLatin1String("sender address"))
                mail.sender.setAddress(injected);
            else if (field == QLatin1String("cc name"))
                mail.cc.setName(QStringLiteral("C\r\n.\r\nMAIL FROM: <evil@example.org>"));
            else if (field == QLatin1String("bcc address"))
                mail.bcc.setAddress(injected);
            else
                mail.message.setSender(nullptr);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("nothing sent")));
            QVERIFY(!(client->connectToHost() && client->sendMail(mail.message)));
            if (field == QLatin1String("client name")) {
                QCOMPARE(client->getSocket()->state(), QAbstractSocket::UnconnectedState);
                return;
            }
        }
        QCOMPARE(peer.outputLines(10000), QStringList{"EHLO localhost"});
    }

    void unreachableServer()
    {
        quint16 closedPort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            closedPort = probe.serverPort();
        }
        SmtpClient client(QStringLiteral("127.0.0.1"), closedPort, SmtpClient::TcpConnection);
        client.setConnectionTimeout(2000);
        QSignalSpy errors(&client, &SmtpClient::smtpError);
        QVERIFY(!client.connectToHost());
        QCOMPARE(errorCodes(errors), QList<int>{SmtpClient::ConnectionTimeoutError});
    }

    void unknownConnectionTypeFailsSafely()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("unknown connection type")));
        SmtpClient client(QStringLiteral("127.0.0.1"), 25, 7);
        TestMessage mail;
        QVERIFY(!client.connectToHost());
        QVERIFY(!client.login(QStringLiteral("u"), QStringLiteral("p"), SmtpClient::AuthPlain));
        QVERIFY(!client.sendMail(mail.message));
        client.quit();
    }
};

MIRELDA_TEST_MAIN(TestMailSmtpFaults)
#include "tst_mailsmtpfaults.moc"
