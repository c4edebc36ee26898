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
const QString kBody = QStringLiteral("Hi,\nThis is a test email message from Quorvane.\n.\n.x\n..y\n"
                                     "caf\u00E9 \u20AC \u4E2D\nlast line");

QByteArray attachmentBytes()
{
    QByteArray bytes;
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 256; ++i)
            bytes.append(char(i));
    return bytes;
}

QJsonObject readSummary(const QString &dir, int number)
{
    QFile file(QDir(dir).filePath(QStringLiteral("msg-%1.json").arg(number)));
    if (!file.open(QIODevice::ReadOnly))
        return QJsonObject();
    return QJsonDocument::fromJson(file.readAll()).object();
}

QStringList headerNames(const QJsonObject &summary)
{
    QStringList names;
    for (const QJsonValue &header : summary.value(QStringLiteral("headers")).toArray())
        names.append(header.toArray().at(0).toString());
    return names;
}

QString headerValue(const QJsonObject &summary, const QString &name)
{
    for (const QJsonValue &header : summary.value(QStringLiteral("headers")).toArray()) {
        if (header.toArray().at(0).toString().compare(name, Qt::CaseInsensitive) == 0)
            return header.toArray().at(1).toString();
    }
    return QString();
}

QList<int> errorCodes(const QSignalSpy &spy)
{
    QList<int> codes;
    for (const QList<QVariant> &arguments : spy)
        codes.append(int(arguments.at(0).value<SmtpClient::SmtpError>()));
    return codes;
}

}

class TestMailSmtp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sendsThroughRealServer_data();
    void sendsThroughRealServer();
    void untrustedCertificateIsRefused_data();
    void untrustedCertificateIsRefused();
    void foreignHostNameIsRefused();

private:
    bool startServer(MailTestServer &server, const QString &mode, const QString &outDir,
                     const QString &password = QStringLiteral("secret"));

    QTemporaryDir certDir;
    QList<QSslCertificate> testAuthority;
};

void TestMailSmtp::initTestCase()
{
    QVERIFY(QSslSocket::supportsSsl());
    QVERIFY(certDir.isValid());
    QVERIFY(MailTestServer::makeCertificates(certDir.path()));
    testAuthority = QSslCertificate::fromPath(certDir.filePath(QStringLiteral("ca.pem")));
    QCOMPARE(testAuthority.size(), 1);
}

bool TestMailSmtp::startServer(MailTestServer &server, const QString &mode, const QString &outDir,
                               const QString &password)
{
    return server.start(QStringLiteral("smtp_server.py"),
                        {QStringLiteral("--mode"), mode, QStringLiteral("--certdir"), certDir.path(),
                         QStringLiteral("--outdir"), outDir, QStringLiteral("--user"), kUser,
                         QStringLiteral("--password"), password, QStringLiteral("--lifetime"),
                         QStringLiteral("120")});
}

void TestMailSmtp::sendsThroughRealServer_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("connectionType");
    QTest::addColumn<int>("authMethod");
    QTest::addColumn<int>("headerEncoding");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("senderName");

    const QString plainSubject = QStringLiteral("Quorvane Report");
    const QString richSubject = QStringLiteral("Rapport \u00E9t\u00E9 a_b? = \u20AC");
    const QString richName = QStringLiteral("J\u00F6rg: M\u00FCller");
    QTest::newRow("ssl, plain auth")
        << "ssl" << int(SmtpClient::SslConnection) << int(SmtpClient::AuthPlain)
        << int(MimePart::Encoding8Bit) << "secret" << plainSubject << "Sam Sender";
    QTest::newRow("ssl, login auth, q-encoded header, non-ascii password")
        << "ssl" << int(SmtpClient::SslConnection) << int(SmtpClient::AuthLogin)
        << int(MimePart::EncodingQuotedPrintable) << QStringLiteral("p\u00E4ss w\u00F6rd") << richSubject << richName;
    QTest::newRow("starttls, plain auth, base64 header")
        << "starttls" << int(SmtpClient::TlsConnection) << int(SmtpClient::AuthPlain)
        << int(MimePart::EncodingBase64) << "secret" << richSubject << richName;
    QTest::newRow("starttls, login auth")
        << "starttls" << int(SmtpClient::TlsConnection) << int(SmtpClient::AuthLogin)
        << int(MimePart::Encoding8Bit) << "secret" << plainSubject << "Sam Sender";
}

void TestMailSmtp::sendsThroughRealServer()
{
    QFETCH(QString, mode);
    QFETCH(int, connectionType);
    QFETCH(int, authMethod);
    QFETCH(int, headerEncoding);
    QFETCH(QString, password);
    QFETCH(QString, subject);
    QFETCH(QString, senderName);

    QTemporaryDir outDir;
    MailTestServer server;
    QVERIFY2(startServer(server, mode, outDir.path(), password), qPrintable(server.errorOutput()));

    QTemporaryDir fileDir;
    const QString path = fileDir.filePath(QStringLiteral("all-bytes.bin"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(attachmentBytes());
    }

    SmtpClient client(QStringLiteral("127.0.0.1"), server.port(), connectionType);
    client.addCaCertificates(testAuthority);
    client.setUser(kUser);
    client.setPassword(password);
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
    MimeText text;
    text.setText(kBody);
    MimeAttachment attachment(new QFile(path));
    attachment.setContentType(QStringLiteral("image/jpg"));
    message.addPart(&text);
    message.addPart(&attachment);

    QVERIFY(client.connectToHost());
    QVERIFY(client.login());
    QVERIFY(client.sendMail(message));
    client.quit();
    QCOMPARE(errorCodes(errors), QList<int>());

    const QJsonObject summary = readSummary(outDir.path(), 1);
    QVERIFY2(!summary.isEmpty(), qPrintable(server.errorOutput()));
    QCOMPARE(summary.value(QStringLiteral("tls")).toBool(), true);
    QCOMPARE(summary.value(QStringLiteral("ehlo_name")).toString(), QStringLiteral("localhost"));
    const QJsonObject auth = summary.value(QStringLiteral("auth")).toObject();
    QCOMPARE(auth.value(QStringLiteral("mechanism")).toString(),
             authMethod == SmtpClient::AuthPlain ? QStringLiteral("PLAIN") : QStringLiteral("LOGIN"));
    QCOMPARE(auth.value(QStringLiteral("login")).toString(), kUser);

    // Envelope: Bcc is delivered but never named in the header.
    QCOMPARE(summary.value(QStringLiteral("mail_from")).toString(), QStringLiteral("sam@example.org"));
    QCOMPARE(summary.value(QStringLiteral("rcpt_tos")).toArray().toVariantList(),
             (QVariantList{"rita@example.org", "carl@example.org", "bob@example.org"}));
    QVERIFY(!headerNames(summary).contains(QStringLiteral("Bcc"), Qt::CaseInsensitive));

    QCOMPARE(summary.value(QStringLiteral("defects")).toArray().size(), 0);
    QCOMPARE(headerValue(summary, QStringLiteral("From")),
             QStringLiteral("%1 <sam@example.org>").arg(senderName.contains(QLatin1Char(':'))
                                                            ? QLatin1Char('"') + senderName + QLatin1Char('"')
                                                            : senderName));
    QCOMPARE(headerValue(summary, QStringLiteral("To")), QStringLiteral("Rita Recipient <rita@example.org>"));
    QCOMPARE(headerValue(summary, QStringLiteral("Cc")), QStringLiteral("carl@example.org"));
    QCOMPARE(summary.value(QStringLiteral("subject")).toString(), subject);
    QCOMPARE(headerValue(summary, QStringLiteral("MIME-Version")), QStringLiteral("1.0"));
    QVERIFY(summary.value(QStringLiteral("date_ok")).toBool());

    QCOMPARE(summary.value(QStringLiteral("content_type")).toString(), QStringLiteral("multipart/related"));
    const QJsonArray parts = summary.value(QStringLiteral("parts")).toArray();
    QCOMPARE(parts.size(), 2);
    const QJsonObject body = parts.at(0).toObject();
    QCOMPARE(body.value(QStringLiteral("content_type")).toString(), QStringLiteral("text/plain"));
    QCOMPARE(body.value(QStringLiteral("charset")).toString(), QStringLiteral("utf-8"));
    QString received = body.value(QStringLiteral("text")).toString();
    received.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QCOMPARE(received, kBody);

    const QJsonObject file = parts.at(1).toObject();
    QCOMPARE(file.value(QStringLiteral("content_type")).toString(), QStringLiteral("image/jpg"));
    QCOMPARE(file.value(QStringLiteral("filename")).toString(), QStringLiteral("all-bytes.bin"));
    QCOMPARE(file.value(QStringLiteral("disposition")).toString(), QStringLiteral("attachment"));
    QCOMPARE(file.value(QStringLiteral("transfer_encoding")).toString(), QStringLiteral("base64"));
    QCOMPARE(QByteArray::fromHex(file.value(QStringLiteral("payload_hex")).toString().toLatin1()),
             attachmentBytes());
    QCOMPARE(file.value(QStringLiteral("defects")).toArray().size(), 0);

    // Every line fits in 76 characters, ends in CR LF, and the Base64 lines are full.
    QVERIFY(summary.value(QStringLiteral("max_line_length")).toInt() <= 76);
    QCOMPARE(summary.value(QStringLiteral("bare_line_feeds")).toInt(), 0);
    QFile raw(QDir(outDir.path()).filePath(QStringLiteral("msg-1.eml")));
    QVERIFY(raw.open(QIODevice::ReadOnly));
    const QByteArray base64Line = attachmentBytes().toBase64().left(76);
    QVERIFY(raw.readAll().contains("\r\n" + base64Line + "\r\n"));
}

void TestMailSmtp::untrustedCertificateIsRefused_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("connectionType");
    QTest::newRow("ssl") << "ssl" << int(SmtpClient::SslConnection);
    QTest::newRow("starttls") << "starttls" << int(SmtpClient::TlsConnection);
}

void TestMailSmtp::untrustedCertificateIsRefused()
{
    QFETCH(QString, mode);
    QFETCH(int, connectionType);
    QTemporaryDir outDir;
    MailTestServer server;
    QVERIFY(startServer(server, mode, outDir.path()));

    SmtpClient client(QStringLiteral("127.0.0.1"), server.port(), connectionType);
    client.setResponseTimeout(20000);
    QVERIFY(!client.connectToHost());
    const auto handshakeErrors = static_cast<QSslSocket *>(client.getSocket())->sslHandshakeErrors();
    QVERIFY(!handshakeErrors.isEmpty());
    QVERIFY(!client.login(kUser, QStringLiteral("secret"), SmtpClient::AuthPlain));
}

void TestMailSmtp::foreignHostNameIsRefused()
{
    QTemporaryDir outDir;
    MailTestServer server;
    QVERIFY(startServer(server, QStringLiteral("ssl"), outDir.path()));

    // The certificate names 127.0.0.1 only; the authority is trusted.
    SmtpClient client(QStringLiteral("localhost"), server.port(), SmtpClient::SslConnection);
    client.addCaCertificates(testAuthority);
    client.setResponseTimeout(20000);
    QVERIFY(!client.connectToHost());
    bool mismatch = false;
    for (const QSslError &error : static_cast<QSslSocket *>(client.getSocket())->sslHandshakeErrors())
        mismatch = mismatch || error.error() == QSslError::HostNameMismatch;
    QVERIFY(mismatch);
}

MIRELDA_TEST_MAIN(TestMailSmtp)
#include "tst_mailsmtp.moc"
