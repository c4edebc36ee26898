// Time to render a message with a large attachment, and to send it over SSL
// to a real SMTP server on loopback (Debian's aiosmtpd, started here).
#include "mail/emailaddress.h"
#include "mail/mimeattachment.h"
#include "mail/mimemessage.h"
#include "mail/mimetext.h"
#include "mail/smtpclient.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSslCertificate>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>
#include "benchhome.h"

namespace {

const char kPython[] = "/usr/bin/python3";

QString serverScript()
{
    return QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../tests/support/smtp_server.py");
}

bool makeCertificates(const QString &dir)
{
    QProcess maker;
    maker.start(QString::fromLatin1(kPython), {serverScript(), QStringLiteral("--make-certs"), dir});
    return maker.waitForFinished(60000) && maker.exitCode() == 0;
}

quint16 startServer(QProcess &server, const QString &certDir, const QString &outDir)
{
    server.start(QString::fromLatin1(kPython),
                 {serverScript(), QStringLiteral("--mode"), QStringLiteral("ssl"), QStringLiteral("--certdir"),
                  certDir, QStringLiteral("--outdir"), outDir, QStringLiteral("--store-only"),
                  QStringLiteral("--lifetime"), QStringLiteral("600")});
    const QDeadlineTimer deadline(15000);
    while (!server.canReadLine()) {
        if (deadline.hasExpired() || !server.waitForReadyRead(int(deadline.remainingTime())))
            return 0;
    }
    const QByteArray line = server.readLine().trimmed();
    return line.startsWith("PORT ") ? quint16(line.mid(5).toUInt()) : 0;
}

QString writeAttachment(const QTemporaryDir &dir, int size)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator random(size);
    for (char &b : bytes)
        b = char(random.bounded(256));
    const QString path = dir.filePath(QStringLiteral("attachment-%1.bin").arg(size));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

// One message as the application composes it; callers release nothing else.
struct Mail
{
    EmailAddress sender{QStringLiteral("bench@example.org"), QStringLiteral("Bench")};
    EmailAddress to{QStringLiteral("rcpt@example.org"), QStringLiteral("Recipient")};
    MimeMessage message{true};   // first: the parts it was given go before it
    MimeText text{QStringLiteral("Readings attached.\n")};
    MimeAttachment attachment;

    explicit Mail(const QString &path) : attachment(new QFile(path))
    {
        message.setSender(&sender);
        message.addRecipient(&to);
        message.setSubject(QStringLiteral("Quorvane Report"));
        message.addPart(&text);
        message.addPart(&attachment);
    }
};

double medianMs(int runs, const std::function<bool()> &operation, bool &ok)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        ok = operation() && ok;
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}

int main(int argc, char *argv[])
{
    BenchHome home;
    QCoreApplication app(argc, argv);
    QTemporaryDir certDir;
    QTemporaryDir outDir;
    QTemporaryDir fileDir;
    if (!makeCertificates(certDir.path())) {
        std::fprintf(stderr, "cannot make the test certificates\n");
        return 1;
    }
    const QList<QSslCertificate> authority = QSslCertificate::fromPath(certDir.filePath(QStringLiteral("ca.pem")));
    QProcess server;
    const quint16 port = startServer(server, certDir.path(), outDir.path());
    if (port == 0) {
        std::fprintf(stderr, "cannot start the SMTP server: %s\n", server.readAllStandardError().constData());
        return 1;
    }

    const int runs = 3;
    std::printf("%12s %12s %14s %12s %12s\n", "attachment", "render ms", "render MB/s", "send ms", "send MB/s");
    bool allSent = true;
    for (int size : {256 * 1024, 1024 * 1024, 2 * 1024 * 1024, 5 * 1024 * 1024}) {
        const QString path = writeAttachment(fileDir, size);
        bool rendered = true;
        const double renderMs = medianMs(runs, [&] {
            Mail mail(path);
            return !mail.message.toString().isEmpty();
        }, rendered);
        bool sent = true;
        const double sendMs = medianMs(runs, [&] {
            Mail mail(path);
            SmtpClient client(QStringLiteral("127.0.0.1"), port, SmtpClient::SslConnection);
            client.addCaCertificates(authority);
            client.setUser(QStringLiteral("user"));
            client.setPassword(QStringLiteral("secret"));
            const bool ok = client.connectToHost() && client.login() && client.sendMail(mail.message);
            client.quit();
            return ok;
        }, sent);
        allSent = allSent && sent && rendered;
        const double megabytes = size / (1024.0 * 1024.0);
        std::printf("%9.2f MB %12.1f %14.1f %12.1f %12.1f%s\n", megabytes, renderMs, megabytes / (renderMs / 1000.0),
                    sendMs, megabytes / (sendMs / 1000.0), sent ? "" : "  (send failed)");
    }
    // Each sending makes its own client; trusting a private authority must
    // not cost it a fresh read of the system's certificate list.
    bool made = true;
    const double clientMs = medianMs(5, [&] {
        SmtpClient client(QStringLiteral("127.0.0.1"), port, SmtpClient::SslConnection);
        client.addCaCertificates(authority);
        return client.getSocket() != nullptr;
    }, made);
    std::printf("client with a private authority: %.2f ms\n", clientMs);
    server.kill();
    server.waitForFinished(3000);
    return allSent ? 0 : 1;
}
