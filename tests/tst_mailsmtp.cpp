// The SMTP client against a real server on loopback (aiosmtpd over SSL), and
// against a scripted peer for what a good server never does.
#include "support/mailtestserver.h"
#include "support/testenv.h"

#include "mail/emailaddress.h"
#include "mail/mimeattachment.h"
#include "mail/mimemessage.h"
#include "mail/mimetext.h"
#include "mail/smtpclient.h"

#include <QSslSocket>
#include <QTcpServer>

#include <algorithm>
#include <memory>

namespace {

const QString kUser = QStringLiteral("mailer@example.org");
const QString kPassword = QStringLiteral("p\u00E4ss w\u00F6rd");

QByteArray attachmentBytes()
{
    QByteArray bytes;
    for (int i = 0; i < 3 * 256; ++i)
        bytes.append(char(i));
    return bytes;
}

// A scripted peer on loopback; it ends when the client's connection closes.
bool startPeer(MailTestServer &peer, const QStringList &replies, const QStringList &options = {})
{
    QStringList arguments = options + QStringList{ QStringLiteral("--lifetime"), QStringLiteral("20") };
    for (const QString &reply : replies)
        arguments << QStringLiteral("--reply") << reply;
    return peer.start(QStringLiteral("smtp_script_server.py"), arguments);
}

std::unique_ptr<SmtpClient> makeClient(const MailTestServer &peer)
{
    auto client = std::make_unique<SmtpClient>(QStringLiteral("127.0.0.1"), peer.port(), SmtpClient::TcpConnection);
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
    EmailAddress sender{ QStringLiteral("sam@example.org"), QStringLiteral("Sam Sender") };
    EmailAddress to{ QStringLiteral("rita@example.org"), QStringLiteral("Rita Recipient") };
    EmailAddress cc{ QStringLiteral("carl@example.org") };
    EmailAddress bcc{ QStringLiteral("bob@example.org"), QStringLiteral("Hidden Bob") };
    MimeMessage message{ true };   // first: the parts it was given go before it
    MimeText text{ QStringLiteral("body") };

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

class TestMailSmtp : public QObject
{
    Q_OBJECT

    enum Stage { Connect, Login, Send };
    QTemporaryDir certDir;
    QList<QSslCertificate> testAuthority;

private slots:
    void initTestCase()
    {
        QVERIFY(QSslSocket::supportsSsl());
        QVERIFY(MailTestServer::makeCertificates(certDir.path()));
        testAuthority = QSslCertificate::fromPath(certDir.filePath(QStringLiteral("ca.pem")));
        QCOMPARE(testAuthority.size(), 1);
    }

    // The program's road: SSL, PLAIN, a subject and a name beyond ASCII as
    // encoded words; the lines "." and ".x" survive the end-of-data marker,
    // and a paragraph past 998 characters, quoted-printable, keeps the lines
    // around it and the blank that ends one.
    void sendsThroughRealServer()
    {
        QTemporaryDir outDir;
        MailTestServer server;
        QVERIFY2(server.startSmtp(certDir.path(), outDir.path(), kUser, kPassword), qPrintable(server.errorOutput()));
        const QString path = outDir.filePath(QStringLiteral("all-bytes.bin"));
        QVERIFY(TestEnv::writeFile(path, attachmentBytes()));

        SmtpClient client(QStringLiteral("127.0.0.1"), server.port(), SmtpClient::SslConnection);
        client.addCaCertificates(testAuthority);
        client.setUser(kUser);
        client.setPassword(kPassword);
        client.setResponseTimeout(20000);
        QSignalSpy errors(&client, &SmtpClient::smtpError);

        // long enough that its encoded words fill several header lines
        const QString subject = QStringLiteral("Quorvane \u00E9t\u00E9 \u20AC ").repeated(12) + QStringLiteral("fin");
        const QString paragraph = QStringLiteral("Temp\u00E9rature relev\u00E9e =3D ok. ").repeated(40);
        const QString body = QStringLiteral("Hi,\n.\n.x\n..y\ncaf\u00E9 \u20AC \u4E2D\n\u00E9\n") + paragraph + "\nend \n";
        TestMessage mail;
        mail.sender.setName(QStringLiteral("M\u00FCller, Hans"));
        mail.message.setSubject(subject);
        mail.text.setText(body);
        MimeAttachment attachment(new QFile(path));
        mail.message.addPart(&attachment);
        QVERIFY(client.connectToHost());
        QVERIFY(client.login());
        QVERIFY(client.sendMail(mail.message));
        client.quit();
        QCOMPARE(errors.count(), 0);

        // The senders' tests read their own headers and attachments; here
        // what they do not send: copies, hidden copies and every byte value.
        const QJsonObject summary = MailTestServer::message(outDir.path(), 1);
        QVERIFY2(!summary.isEmpty(), qPrintable(server.errorOutput()));
        QCOMPARE(summary.value("auth").toObject().value("login").toString(), kUser);
        // Bcc is delivered but never named in the header.
        QCOMPARE(summary.value("mail_from").toString(), QStringLiteral("sam@example.org"));
        QCOMPARE(summary.value("rcpt_tos").toArray().toVariantList(),
                 (QVariantList{ "rita@example.org", "carl@example.org", "bob@example.org" }));
        const QJsonObject headers = summary.value("headers").toObject();
        QVERIFY(!headers.contains("bcc"));
        QCOMPARE(summary.value("defects").toArray().size(), 0);
        QCOMPARE(headers.value("cc").toString(), QStringLiteral("carl@example.org"));
        QCOMPARE(headers.value("subject").toString(), subject);
        QCOMPARE(summary.value("mailboxes").toObject().value("from").toArray().at(0).toArray().at(0).toString(),
                 mail.sender.name());
        QVERIFY(summary.value("date_ok").toBool());

        const QJsonArray parts = summary.value("parts").toArray();
        QCOMPARE(parts.size(), 2);
        QCOMPARE(parts.at(0).toObject().value("text").toString().replace("\r\n", "\n"), body);
        QCOMPARE(parts.at(0).toObject().value("transfer_encoding").toString(), QStringLiteral("quoted-printable"));
        QCOMPARE(MailTestServer::payload(parts.at(1).toObject()), attachmentBytes());

        // Every line fits in 76 characters, ends in CR LF, and the Base64 lines
        // are full; the header is ASCII.
        QVERIFY(summary.value("max_line_length").toInt() <= 76);
        QCOMPARE(summary.value("bare_line_feeds").toInt(), 0);
        const QByteArray raw = TestEnv::readFile(outDir.filePath("msg-1.eml"));
        QVERIFY(raw.contains("\r\n" + attachmentBytes().toBase64().left(76) + "\r\n"));
        QVERIFY(raw.contains("ok.=20\r\nend=20\r\n"));
        const QByteArray header = raw.left(raw.indexOf("\r\n\r\n"));
        QVERIFY2(std::all_of(header.begin(), header.end(), [](char c) { return uchar(c) < 0x80; }), header.constData());
    }

    void unverifiedServerIsRefused_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("expectedError");
        QTest::newRow("untrusted authority") << "127.0.0.1" << int(QSslError::UnableToGetLocalIssuerCertificate);
        // The certificate names 127.0.0.1 only.
        QTest::newRow("foreign host name") << "localhost" << int(QSslError::HostNameMismatch);
    }
    void unverifiedServerIsRefused()
    {
        QFETCH(QString, host);
        QFETCH(int, expectedError);
        QTemporaryDir outDir;
        MailTestServer server;
        QVERIFY(server.startSmtp(certDir.path(), outDir.path(), kUser, kPassword));
        SmtpClient client(host, server.port(), SmtpClient::SslConnection);
        if (expectedError == QSslError::HostNameMismatch)
            client.addCaCertificates(testAuthority);
        client.setResponseTimeout(20000);
        QVERIFY(!client.connectToHost());
        QList<int> handshakeErrors;
        for (const QSslError &error : static_cast<QSslSocket *>(client.getSocket())->sslHandshakeErrors())
            handshakeErrors.append(int(error.error()));
        QVERIFY2(handshakeErrors.contains(expectedError), qPrintable(QString::number(handshakeErrors.value(0))));
        QVERIFY(!client.login(kUser, kPassword, SmtpClient::AuthPlain));
    }

    // The peer's reply to one step is changed; the steps are taken up to the
    // stage given.
    void refusedOrSilentPeer_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("stage");
        QTest::addColumn<QList<int>>("expectedErrors");
        QTest::addColumn<QString>("lastReceived");
        const auto row = [](const char *name, const char *reply, Stage stage, const QList<int> &errors, const char *last) {
            QTest::newRow(name) << QString::fromLatin1(reply) << int(stage) << errors << QString::fromLatin1(last);
        };
        const int server = SmtpClient::ServerError;
        const int client = SmtpClient::ClientError;
        const int timeout = SmtpClient::ResponseTimeoutError;
        const int refused = SmtpClient::AuthenticationFailedError;
        row("greeting 4xx", "GREETING=421 busy", Connect, { server, server }, "");
        row("greeting 5xx", "GREETING=554 go away", Connect, { client, server }, "");
        row("no greeting", "GREETING=none", Connect, { timeout }, "");
        row("half a line", "EHLO=250-a|25", Connect, { timeout }, "EHLO localhost");
        row("plain busy", "AUTH=454 later", Login, { server, refused }, "AUTH PLAIN AHUAcA==");
        row("plain unanswered", "AUTH=none", Login, { timeout, refused }, "AUTH PLAIN AHUAcA==");
        row("recipient refused", "RCPT=550 no such user", Send, { client }, "RCPT TO: <rita@example.org>");
        row("end of data unanswered", "END=none", Send, { timeout }, ".");
    }
    void refusedOrSilentPeer()
    {
        QFETCH(QString, reply);
        QFETCH(int, stage);
        QFETCH(QList<int>, expectedErrors);
        QFETCH(QString, lastReceived);
        MailTestServer peer;
        QVERIFY(startPeer(peer, { reply }));
        {
            auto client = makeClient(peer);
            QSignalSpy errors(client.get(), &SmtpClient::smtpError);
            TestMessage mail;
            bool done = client->connectToHost();
            if (stage >= Login && done)
                done = client->login(QStringLiteral("u"), QStringLiteral("p"), SmtpClient::AuthPlain);
            if (stage >= Send && done)
                done = client->sendMail(mail.message);
            QVERIFY(!done);
            QCOMPARE(errorCodes(errors), expectedErrors);
        }
        const QStringList received = peer.outputLines(10000);
        QCOMPARE(received.isEmpty() ? QString() : received.last(), lastReceived);
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
        for (const char *field : { "client name", "subject", "sender address", "cc name", "bcc address", "no sender" })
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
        QCOMPARE(peer.outputLines(10000), QStringList{ "EHLO localhost" });
    }

};

MIRELDA_TEST_MAIN(TestMailSmtp)
#include "tst_mailsmtp.moc"
