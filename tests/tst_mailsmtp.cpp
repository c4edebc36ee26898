#include "support/mailtestserver.h"
#include "support/testenv.h"

#include "mail/emailaddress.h"
#include "mail/mimeattachment.h"
#include "mail/mimemessage.h"
#include "mail/mimetext.h"
#include "mail/smtpclient.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QSslSocket>
#include <QTemporaryDir>

namespace {

const QString kUser = QStringLiteral("mailer@example.org");
const QString kPassword = QStringLiteral("p\u00E4ss w\u00F6rd");
const QString kBody = QStringLiteral("Hi,\nThis is a test email message from Quorvane.\n.\n.x\n..y\n"
                                     "caf\u00E9 \u20AC \u4E2D\nlast line");

QByteArray attachmentBytes()
{
    QByteArray bytes;
    for (int i = 0; i < 3 * 256; ++i)
        bytes.append(char(i));
    return bytes;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}

class TestMailSmtp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(QSslSocket::supportsSsl());
        QVERIFY(MailTestServer::makeCertificates(certDir.path()));
        testAuthority = QSslCertificate::fromPath(certDir.filePath(QStringLiteral("ca.pem")));
        QCOMPARE(testAuthority.size(), 1);
    }

    void sendsThroughRealServer_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("authMethod");
        QTest::addColumn<int>("headerEncoding");
        QTest::newRow("ssl, plain") << "ssl" << int(SmtpClient::AuthPlain) << int(MimePart::Encoding8Bit);
        QTest::newRow("ssl, login, q-encoded header")
            << "ssl" << int(SmtpClient::AuthLogin) << int(MimePart::EncodingQuotedPrintable);
        QTest::newRow("starttls, plain, base64 header")
            << "starttls" << int(SmtpClient::AuthPlain) << int(MimePart::EncodingBase64);
        QTest::newRow("starttls, login") << "starttls" << int(SmtpClient::AuthLogin) << int(MimePart::Encoding8Bit);
    }

    void sendsThroughRealServer()
    {
        QFETCH(QString, mode);
        QFETCH(int, authMethod);
        QFETCH(int, headerEncoding);
        // Encoded headers carry the letters and specials that need encoding.
        const bool rich = headerEncoding != MimePart::Encoding8Bit;
        const QString subject =
            rich ? QStringLiteral("Rapport \u00E9t\u00E9 a_b? = \u20AC") : QStringLiteral("Quorvane");
        const QString senderName = rich ? QStringLiteral("J\u00F6rg: M\u00FCller") : QStringLiteral("Sam Sender");

        QTemporaryDir outDir;
        MailTestServer server;
        QVERIFY2(startServer(server, mode, outDir.path()), qPrintable(server.errorOutput()));
        const QString path = outDir.filePath(QStringLiteral("all-bytes.bin"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(attachmentBytes()) == 3 * 256);
        file.close();

        SmtpClient client(QStringLiteral("127.0.0.1"), server.port(),
                          mode == QLatin1String("ssl") ? SmtpClient::SslConnection : SmtpClient::TlsConnection);
        client.addCaCertificates(testAuthority);
        client.setUser(kUser);
        client.setPassword(kPassword);
        client.setAuthMethod(authMethod);
        client.setResponseTimeout(20000);
        QSignalSpy errors(&client, &SmtpClient::smtpError);

        MimeMessage message(true);
        message.setHeaderEncoding(MimePart::Encoding(headerEncoding));
        EmailAddress sender(QStringLiteral("sam@example.org"), senderName);
        EmailAddress to(QStringLiteral("rita@example.org"), QStringLiteral("Rita Recipient"));
        EmailAddress cc(QStringLiteral("carl@example.org"));
        EmailAddress bcc(QStringLiteral("bob@example.org"), QStringLiteral("Hidden Bob"));
        message.setSender(&sender);
        message.addRecipient(&to, MimeMessage::To);
        message.addRecipient(&cc, MimeMessage::Cc);
        message.addRecipient(&bcc, MimeMessage::Bcc);
        message.setSubject(subject);
        MimeText text(kBody);
        MimeAttachment attachment(new QFile(path));
        message.addPart(&text);
        message.addPart(&attachment);

        QVERIFY(client.connectToHost());
        QVERIFY(client.login());
        QVERIFY(client.sendMail(message));
        client.quit();
        QCOMPARE(errors.count(), 0);

        const QJsonObject summary =
            QJsonDocument::fromJson(readFile(outDir.filePath(QStringLiteral("msg-1.json")))).object();
        QVERIFY2(!summary.isEmpty(), qPrintable(server.errorOutput()));
        QVERIFY(summary.value(QStringLiteral("tls")).toBool());
        const QJsonObject auth = summary.value(QStringLiteral("auth")).toObject();
        QCOMPARE(auth.value(QStringLiteral("mechanism")).toString(),
                 authMethod == SmtpClient::AuthPlain ? QStringLiteral("PLAIN") : QStringLiteral("LOGIN"));
        QCOMPARE(auth.value(QStringLiteral("login")).toString(), kUser);

        // Bcc is delivered but never named in the header.
        QCOMPARE(summary.value(QStringLiteral("mail_from")).toString(), QStringLiteral("sam@example.org"));
        QCOMPARE(summary.value(QStringLiteral("rcpt_tos")).toArray().toVariantList(),
                 (QVariantList{"rita@example.org", "carl@example.org", "bob@example.org"}));
        const QVariantMap headers = summary.value(QStringLiteral("headers")).toObject().toVariantMap();
        QVERIFY(!headers.contains(QStringLiteral("bcc")));
        QCOMPARE(summary.value(QStringLiteral("defects")).toArray().size(), 0);
        const QString quotedName = senderName.contains(QLatin1Char(':')) ? '"' + senderName + '"' : senderName;
        QCOMPARE(headers.value(QStringLiteral("from")).toString(), quotedName + " <sam@example.org>");
        QCOMPARE(headers.value(QStringLiteral("to")).toString(), QStringLiteral("Rita Recipient <rita@example.org>"));
        QCOMPARE(headers.value(QStringLiteral("cc")).toString(), QStringLiteral("carl@example.org"));
        QCOMPARE(headers.value(QStringLiteral("subject")).toString(), subject);
        QVERIFY(summary.value(QStringLiteral("date_ok")).toBool());

        // The lines "." and ".x" of the text survive the end-of-data marker.
        const QJsonArray parts = summary.value(QStringLiteral("parts")).toArray();
        QCOMPARE(parts.size(), 2);
        const QJsonObject body = parts.at(0).toObject();
        QCOMPARE(body.value(QStringLiteral("charset")).toString(), QStringLiteral("utf-8"));
        QCOMPARE(body.value(QStringLiteral("text")).toString().replace(QLatin1String("\r\n"), QLatin1String("\n")),
                 kBody);
        const QJsonObject attached = parts.at(1).toObject();
        QCOMPARE(attached.value(QStringLiteral("filename")).toString(), QStringLiteral("all-bytes.bin"));
        QCOMPARE(attached.value(QStringLiteral("disposition")).toString(), QStringLiteral("attachment"));
        QCOMPARE(QByteArray::fromHex(attached.value(QStringLiteral("payload_hex")).toString().toLatin1()),
                 attachmentBytes());

        // Every line fits in 76 characters, ends in CR LF, and the Base64 lines are full.
        QVERIFY(summary.value(QStringLiteral("max_line_length")).toInt() <= 76);
        QCOMPARE(summary.value(QStringLiteral("bare_line_feeds")).toInt(), 0);
        const QByteArray base64Line = attachmentBytes().toBase64().left(76);
        QVERIFY(readFile(outDir.filePath(QStringLiteral("msg-1.eml"))).contains("\r\n" + base64Line + "\r\n"));
    }

    void unverifiedServerIsRefused_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("trustAuthority");
        QTest::addColumn<int>("expectedError");
        const int untrusted = QSslError::UnableToGetLocalIssuerCertificate;
        QTest::newRow("ssl, untrusted authority") << "ssl" << "127.0.0.1" << false << untrusted;
        QTest::newRow("starttls, untrusted authority") << "starttls" << "127.0.0.1" << false << untrusted;
        // The certificate names 127.0.0.1 only.
        QTest::newRow("ssl, foreign host name") << "ssl" << "localhost" << true << int(QSslError::HostNameMismatch);
    }

    void unverifiedServerIsRefused()
    {
        QFETCH(QString, mode);
        QFETCH(QString, host);
        QFETCH(bool, trustAuthority);
        QFETCH(int, expectedError);
        QTemporaryDir outDir;
        MailTestServer server;
        QVERIFY(startServer(server, mode, outDir.path()));

        SmtpClient client(host, server.port(),
                          mode == QLatin1String("ssl") ? SmtpClient::SslConnection : SmtpClient::TlsConnection);
        if (trustAuthority)
            client.addCaCertificates(testAuthority);
        client.setResponseTimeout(20000);
        QVERIFY(!client.connectToHost());
        QList<int> handshakeErrors;
        for (const QSslError &error : static_cast<QSslSocket *>(client.getSocket())->sslHandshakeErrors())
            handshakeErrors.append(int(error.error()));
        QVERIFY2(handshakeErrors.contains(expectedError), qPrintable(QString::number(handshakeErrors.value(0))));
        QVERIFY(!client.login(kUser, kPassword, SmtpClient::AuthPlain));
    }

private:
    bool startServer(MailTestServer &server, const QString &mode, const QString &outDir)
    {
        return server.start(QStringLiteral("smtp_server.py"),
                            {QStringLiteral("--mode"), mode, QStringLiteral("--certdir"), certDir.path(),
                             QStringLiteral("--outdir"), outDir, QStringLiteral("--user"), kUser,
                             QStringLiteral("--password"), kPassword, QStringLiteral("--lifetime"),
                             QStringLiteral("120")});
    }

    QTemporaryDir certDir;
    QList<QSslCertificate> testAuthority;
};

MIRELDA_TEST_MAIN(TestMailSmtp)
#include "tst_mailsmtp.moc"
