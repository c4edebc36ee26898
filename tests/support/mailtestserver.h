#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// A mail server script from tests/support, run with Debian's Python on a free
// loopback port. The process is killed when the object goes.
class MailTestServer
{
public:
    MailTestServer() = default;
    ~MailTestServer();
    MailTestServer(const MailTestServer &) = delete;
    MailTestServer &operator=(const MailTestServer &) = delete;

    // Starts the script and waits (bounded) for the port it listens on.
    bool start(const QString &script, const QStringList &arguments);
    quint16 port() const;
    // Waits for the script to end by itself, killing it when it does not, and
    // gives the lines it printed after the port.
    QStringList outputLines(int msec);
    // Waits (bounded) until the script prints line, or has printed it; what
    // it printed stays for outputLines.
    bool waitForOutput(const QString &line, int msec);
    void stop();
    QString errorOutput();

    // smtp_server.py over SSL with the certificates in certDir, keeping what
    // it receives in outDir and accepting only this account.
    bool startSmtp(const QString &certDir, const QString &outDir, const QString &user,
                   const QString &password);
    // What Python's email package made of the n-th message received into
    // outDir (from 1); empty while it has not arrived.
    static QJsonObject message(const QString &outDir, int n);
    static int messageCount(const QString &outDir);
    // makeCertificates, and every TLS socket made from now on trusts their
    // authority, as a program's sockets trust the public ones.
    static bool makeTrustedCertificates(const QString &certDir);
    // The decoded bytes of a part of message().
    static QByteArray payload(const QJsonObject &part);

    static QString scriptPath(const QString &script);
    // Writes ca.pem, server.pem and server.key for 127.0.0.1 into directory.
    static bool makeCertificates(const QString &directory);

private:
    QProcess process;
    quint16 listenPort = 0;
    QStringList seenLines;
};
