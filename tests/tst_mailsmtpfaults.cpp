#include "support/mailtestserver.h"
#include "support/testenv.h"

#include "mail/emailaddress.h"
#include "mail/mimemessage.h"
#include "mail/mimetext.h"
#include "mail/smtpclient.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QSslSocket>
#include <QTcpServer>
#include <QTemporaryDir>

#include <memory>

namespace {

// A scripted peer on loopback and the lines it received.
class ScriptedPeer
{
public:
    bool start(const QStringList &script)
    {
        return dir.isValid()
            && server.start(QStringLiteral("smtp_script_server.py"),
                            QStringList{QStringLiteral("--log"), logPath(), QStringLiteral("--lifetime"),
                                        QStringLiteral("20")}
                                + script);
    }

    quint16 port() const { return server.port(); }

    // Call once the client is gone: the peer ends when the connection closes.
    QStringList received()
    {
        server.waitForExit(10000);
        QFile log(logPath());
        if (!log.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromLatin1(log.readAll()).split(QLatin1Char('\n'));
        lines.removeAll(QString());
        return lines;
    }

private:
    QString logPath() const { return dir.filePath(QStringLiteral("received.log")); }

    QTemporaryDir dir;
    MailTestServer server;
};

std::unique_ptr<SmtpClient> makeClient(const ScriptedPeer &peer, int type = SmtpClient::TcpConnection)
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

QStringList commandsOnly(const QStringList &lines)
{
    QStringList commands;
    for (const QString &line : lines) {
        if (!line.startsWith(QLatin1String("D:")))
            commands.append(line);
    }
    return commands;
}

struct TestMessage
{
    EmailAddress sender{QStringLiteral("s@example.org"), QStringLiteral("Sam")};
    EmailAddress to{QStringLiteral("r@example.org"), QStringLiteral("Rita")};
    EmailAddress cc{QStringLiteral("c@example.org")};
    EmailAddress bcc{QStringLiteral("b@example.org")};
    MimeText text{QStringLiteral("body")};
    MimeMessage message{true};

    TestMessage()
    {
        message.setSender(&sender);
        message.addRecipient(&to, MimeMessage::To);
        message.addRecipient(&cc, MimeMessage::Cc);
        message.addRecipient(&bcc, MimeMessage::Bcc);
        message.setSubject(QStringLiteral("Subject"));
        message.addPart(&text);
    }
};

}

class TestMailSmtpFaults : public QObject
{
    Q_OBJECT

private slots:
    void refusedGreeting_data();
    void refusedGreeting();
    void missingReplyTimesOut_data();
    void missingReplyTimesOut();
    void multiLineRepliesAreReadWhole();
    void refusedStartTls();
    void plaintextAfterStartTlsIsDropped();
    void refusedPassword_data();
    void refusedPassword();
    void authenticationCommands();
    void commandsOfOneMessage();
    void refusedRecipientStopsTheMessage();
    void unansweredEndOfData();
    void dotStuffingOnTheWire();
    void lineBreaksAreRefused_data();
    void lineBreaksAreRefused();
    void lineBreakInClientName();
    void unreachableServer();
    void unknownConnectionType();
};

void TestMailSmtpFaults::refusedGreeting_data()
{
    QTest::addColumn<QString>("greeting");
    QTest::addColumn<QList<int>>("expectedErrors");
    QTest::newRow("4xx") << "421 busy" << QList<int>{SmtpClient::ServerError, SmtpClient::ServerError};
    QTest::newRow("5xx") << "554 go away" << QList<int>{SmtpClient::ClientError, SmtpClient::ServerError};
}

void TestMailSmtpFaults::refusedGreeting()
{
    QFETCH(QString, greeting);
    QFETCH(QList<int>, expectedErrors);
    ScriptedPeer peer;
    QVERIFY(peer.start({QStringLiteral("--greeting"), greeting}));
    {
        auto client = makeClient(peer);
        QSignalSpy errors(client.get(), &SmtpClient::smtpError);
        QVERIFY(!client->connectToHost());
        QCOMPARE(errorCodes(errors), expectedErrors);
    }
    QCOMPARE(peer.received(), QStringList());
}

void TestMailSmtpFaults::missingReplyTimesOut_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::newRow("no greeting") << QStringList{QStringLiteral("--greeting"), QStringLiteral("none")};
    // Three digits and no blank do not end a reply.
    QTest::newRow("bare code") << QStringList{QStringLiteral("--greeting"), QStringLiteral("220")};
    QTest::newRow("no EHLO reply") << QStringList{QStringLiteral("--reply"), QStringLiteral("EHLO=none")};
    QTest::newRow("half a line") << QStringList{QStringLiteral("--reply"), QStringLiteral("EHLO=250-a|25")};
}

void TestMailSmtpFaults::missingReplyTimesOut()
{
    QFETCH(QStringList, script);
    ScriptedPeer peer;
    QVERIFY(peer.start(script));
    auto client = makeClient(peer);
    QSignalSpy errors(client.get(), &SmtpClient::smtpError);
    QVERIFY(!client->connectToHost());
    QCOMPARE(errorCodes(errors), QList<int>{SmtpClient::ResponseTimeoutError});
}

void TestMailSmtpFaults::multiLineRepliesAreReadWhole()
{
    ScriptedPeer peer;
    QVERIFY(peer.start({QStringLiteral("--greeting"), QStringLiteral("220-first|220-second|220 ready"),
                        QStringLiteral("--reply"), QStringLiteral("EHLO=250-one|250-two|250 last")}));
    {
        auto client = makeClient(peer);
        QSignalSpy errors(client.get(), &SmtpClient::smtpError);
        QVERIFY(client->connectToHost());
        QCOMPARE(client->getResponseCode(), 250);
        QCOMPARE(client->getResponseText(), QStringLiteral("250 last\r\n"));
        QCOMPARE(errors.count(), 0);
    }
    QCOMPARE(peer.received(), QStringList{QStringLiteral("EHLO localhost")});
}

void TestMailSmtpFaults::refusedStartTls()
{
    ScriptedPeer peer;
    QVERIFY(peer.start({QStringLiteral("--reply"), QStringLiteral("STARTTLS=454 not now")}));
    {
        auto client = makeClient(peer, SmtpClient::TlsConnection);
        QSignalSpy errors(client.get(), &SmtpClient::smtpError);
        QVERIFY(!client->connectToHost());
        QCOMPARE(errorCodes(errors), (QList<int>{SmtpClient::ServerError, SmtpClient::ServerError}));
        QVERIFY(!static_cast<QSslSocket *>(client->getSocket())->isEncrypted());
    }
    QCOMPARE(peer.received(), (QStringList{QStringLiteral("EHLO localhost"), QStringLiteral("STARTTLS")}));
}

void TestMailSmtpFaults::plaintextAfterStartTlsIsDropped()
{
    QTemporaryDir certs;
    QVERIFY(MailTestServer::makeCertificates(certs.path()));
    ScriptedPeer peer;
    QVERIFY(peer.start({QStringLiteral("--certdir"), certs.path(), QStringLiteral("--reply"),
                        QStringLiteral("STARTTLS=220 go ahead|250 sent in plain text after the go-ahead")}));
    {
        auto client = makeClient(peer, SmtpClient::TlsConnection);
        client->setResponseTimeout(10000);
        client->addCaCertificates(QSslCertificate::fromPath(certs.filePath(QStringLiteral("ca.pem"))));
        QVERIFY(client->connectToHost());
        QVERIFY(static_cast<QSslSocket *>(client->getSocket())->isEncrypted());
        QCOMPARE(client->getResponseText(), QStringLiteral("250 STARTTLS\r\n"));
        QVERIFY(client->login(QStringLiteral("u"), QStringLiteral("p"), SmtpClient::AuthPlain));
    }
    QCOMPARE(peer.received(), (QStringList{QStringLiteral("EHLO localhost"), QStringLiteral("STARTTLS"),
                                           QStringLiteral("EHLO localhost"), QStringLiteral("AUTH PLAIN AHUAcA==")}));
}

void TestMailSmtpFaults::refusedPassword_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QList<int>>("expectedErrors");
    const int refused = SmtpClient::AuthenticationFailedError;
    QTest::newRow("plain refused") << int(SmtpClient::AuthPlain) << "AUTH=535 no"
                                   << QList<int>{SmtpClient::ClientError, refused};
    QTest::newRow("plain busy") << int(SmtpClient::AuthPlain) << "AUTH=454 later"
                                << QList<int>{SmtpClient::ServerError, refused};
    QTest::newRow("plain unanswered") << int(SmtpClient::AuthPlain) << "AUTH=none"
                                      << QList<int>{SmtpClient::ResponseTimeoutError, refused};
    QTest::newRow("login user refused") << int(SmtpClient::AuthLogin) << "LOGIN-USER=535 no"
                                        << QList<int>{SmtpClient::ClientError, refused};
    QTest::newRow("login password refused") << int(SmtpClient::AuthLogin) << "LOGIN-PASS=535 no"
                                            << QList<int>{SmtpClient::ClientError, refused};
    QTest::newRow("login not offered") << int(SmtpClient::AuthLogin) << "AUTH-LOGIN=504 no"
                                       << QList<int>{SmtpClient::ClientError, refused};
}

void TestMailSmtpFaults::refusedPassword()
{
    QFETCH(int, method);
    QFETCH(QString, reply);
    QFETCH(QList<int>, expectedErrors);
    ScriptedPeer peer;
    QVERIFY(peer.start({QStringLiteral("--reply"), reply}));
    auto client = makeClient(peer);
    QVERIFY(client->connectToHost());
    QSignalSpy errors(client.get(), &SmtpClient::smtpError);
    client->setUser(QStringLiteral("u"));
    client->setPassword(QStringLiteral("p"));
    client->setAuthMethod(method);
    QVERIFY(!client->login());
    QCOMPARE(errorCodes(errors), expectedErrors);
}

void TestMailSmtpFaults::authenticationCommands()
{
    ScriptedPeer peer;
    QVERIFY(peer.start({}));
    {
        auto client = makeClient(peer);
        QVERIFY(client->connectToHost());
        // An unknown method sends nothing and counts as done.
        QVERIFY(client->login(QStringLiteral("u"), QStringLiteral("p"), 2));
        // Empty credentials still give the two separators.
        QVERIFY(client->login(QString(), QString(), SmtpClient::AuthPlain));
        QVERIFY(client->login(QStringLiteral("user"), QStringLiteral("pass"), SmtpClient::AuthLogin));
    }
    QCOMPARE(peer.received(), (QStringList{QStringLiteral("EHLO localhost"), QStringLiteral("AUTH PLAIN AAA="),
                                           QStringLiteral("AUTH LOGIN"), QStringLiteral("dXNlcg=="),
                                           QStringLiteral("cGFzcw==")}));
}

void TestMailSmtpFaults::commandsOfOneMessage()
{
    ScriptedPeer peer;
    QVERIFY(peer.start({}));
    {
        auto client = makeClient(peer);
        TestMessage mail;
        EmailAddress second(QStringLiteral("r2@example.org"));
        mail.message.addRecipient(&second, MimeMessage::To);
        QVERIFY(client->connectToHost());
        QVERIFY(client->sendMail(mail.message));

        MimeMessage bare;
        bare.setSender(&mail.sender);
        QVERIFY(client->sendMail(bare));
        client->quit();
    }
    const QStringList commands = commandsOnly(peer.received());
    QCOMPARE(commands, (QStringList{QStringLiteral("EHLO localhost"), QStringLiteral("MAIL FROM: <s@example.org>"),
                                    QStringLiteral("RCPT TO: <r@example.org>"),
                                    QStringLiteral("RCPT TO: <r2@example.org>"),
                                    QStringLiteral("RCPT TO: <c@example.org>"),
                                    QStringLiteral("RCPT TO: <b@example.org>"), QStringLiteral("DATA"),
                                    QStringLiteral("."),
                                    // Without recipients MAIL FROM goes straight to DATA.
                                    QStringLiteral("MAIL FROM: <s@example.org>"), QStringLiteral("DATA"),
                                    QStringLiteral("."), QStringLiteral("QUIT")}));
}

void TestMailSmtpFaults::refusedRecipientStopsTheMessage()
{
    ScriptedPeer peer;
    QVERIFY(peer.start({QStringLiteral("--reply"), QStringLiteral("RCPT=550 no such user")}));
    {
        auto client = makeClient(peer);
        QSignalSpy errors(client.get(), &SmtpClient::smtpError);
        TestMessage mail;
        QVERIFY(client->connectToHost());
        QVERIFY(!client->sendMail(mail.message));
        QCOMPARE(errorCodes(errors), QList<int>{SmtpClient::ClientError});
    }
    QCOMPARE(peer.received(), (QStringList{QStringLiteral("EHLO localhost"),
                                           QStringLiteral("MAIL FROM: <s@example.org>"),
                                           QStringLiteral("RCPT TO: <r@example.org>")}));
}

void TestMailSmtpFaults::unansweredEndOfData()
{
    ScriptedPeer peer;
    QVERIFY(peer.start({QStringLiteral("--reply"), QStringLiteral("END=none")}));
    auto client = makeClient(peer);
    QSignalSpy errors(client.get(), &SmtpClient::smtpError);
    TestMessage mail;
    QVERIFY(client->connectToHost());
    QVERIFY(!client->sendMail(mail.message));
    QCOMPARE(errorCodes(errors), QList<int>{SmtpClient::ResponseTimeoutError});
}

void TestMailSmtpFaults::dotStuffingOnTheWire()
{
    ScriptedPeer peer;
    QVERIFY(peer.start({}));
    {
        auto client = makeClient(peer);
        TestMessage mail;
        mail.text.setText(QStringLiteral(".\n.x\nQUIT\r\n..\rend"));
        QVERIFY(client->connectToHost());
        QVERIFY(client->sendMail(mail.message));
    }
    const QStringList lines = peer.received();
    const int bodyStart = lines.indexOf(QStringLiteral("D:..")) ;
    QVERIFY2(bodyStart > 0, qPrintable(lines.join(QLatin1Char('\n'))));
    QCOMPARE(lines.mid(bodyStart, 5), (QStringList{QStringLiteral("D:.."), QStringLiteral("D:..x"),
                                                   QStringLiteral("D:QUIT"), QStringLiteral("D:..."),
                                                   QStringLiteral("D:end")}));
    // The message ends only at the real end of data.
    QCOMPARE(lines.count(QStringLiteral(".")), 1);
    QCOMPARE(lines.last(), QStringLiteral("."));
}

void TestMailSmtpFaults::lineBreaksAreRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::newRow("subject") << "subject";
    QTest::newRow("sender address") << "sender address";
    QTest::newRow("sender name") << "sender name";
    QTest::newRow("to address") << "to address";
    QTest::newRow("cc name") << "cc name";
    QTest::newRow("bcc address") << "bcc address";
    QTest::newRow("no sender") << "no sender";
}

void TestMailSmtpFaults::lineBreaksAreRefused()
{
    QFETCH(QString, field);
    ScriptedPeer peer;
    QVERIFY(peer.start({}));
    {
        auto client = makeClient(peer);
        TestMessage mail;
        const QString injected = QStringLiteral("x@example.org>\r\nRCPT TO: <evil@example.org");
        if (field == QLatin1String("subject"))
            mail.message.setSubject(QStringLiteral("Hi\nBcc: evil@example.org"));
        else if (field == QLatin1String("sender address"))
            mail.sender.setAddress(injected);
        else if (field == QLatin1String("sender name"))
            mail.sender.setName(QStringLiteral("Sam\rX-Evil: 1"));
        else if (field == QLatin1String("to address"))
            mail.to.setAddress(injected);
        else if (field == QLatin1String("cc name"))
            mail.cc.setName(QStringLiteral("C\r\n.\r\nMAIL FROM: <evil@example.org>"));
        else if (field == QLatin1String("bcc address"))
            mail.bcc.setAddress(injected);
        else
            mail.message.setSender(nullptr);
        QVERIFY(client->connectToHost());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("nothing sent")));
        QVERIFY(!client->sendMail(mail.message));
    }
    QCOMPARE(peer.received(), QStringList{QStringLiteral("EHLO localhost")});
}

void TestMailSmtpFaults::lineBreakInClientName()
{
    ScriptedPeer peer;
    QVERIFY(peer.start({}));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("nothing sent")));
    auto client = makeClient(peer);
    client->setName(QStringLiteral("host\r\nMAIL FROM: <evil@example.org>"));
    QVERIFY(!client->connectToHost());
    QCOMPARE(client->getSocket()->state(), QAbstractSocket::UnconnectedState);
}

void TestMailSmtpFaults::unreachableServer()
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

void TestMailSmtpFaults::unknownConnectionType()
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("unknown connection type")));
    SmtpClient client(QStringLiteral("127.0.0.1"), 25, 7);
    QCOMPARE(client.getSocket(), static_cast<QTcpSocket *>(nullptr));
    QVERIFY(!client.connectToHost());
    QVERIFY(!client.login(QStringLiteral("u"), QStringLiteral("p"), SmtpClient::AuthPlain));
    TestMessage mail;
    QVERIFY(!client.sendMail(mail.message));
    client.quit();
}

MIRELDA_TEST_MAIN(TestMailSmtpFaults)
#include "tst_mailsmtpfaults.moc"
