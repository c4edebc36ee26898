#include "support/mailtestserver.h"

#include "support/testenv.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QJsonDocument>
#include <QSslCertificate>
#include <QSslConfiguration>

MailTestServer::~MailTestServer()
{
    stop();
}

QString MailTestServer::scriptPath(const QString &script)
{
    return TestEnv::sourceDir() + QStringLiteral("/support/") + script;
}

bool MailTestServer::makeCertificates(const QString &directory)
{
    QProcess maker;
    maker.start(TestEnv::systemPython(),
                {scriptPath(QStringLiteral("smtp_server.py")), QStringLiteral("--make-certs"), directory});
    if (!maker.waitForFinished(60000)) {
        maker.kill();
        maker.waitForFinished(1000);
        return false;
    }
    return maker.exitStatus() == QProcess::NormalExit && maker.exitCode() == 0;
}

bool MailTestServer::start(const QString &script, const QStringList &arguments)
{
    process.start(TestEnv::systemPython(), QStringList{scriptPath(script)} + arguments);
    if (!process.waitForStarted(5000))
        return false;
    const QDeadlineTimer deadline(15000);
    while (!process.canReadLine()) {
        if (deadline.hasExpired() || !process.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    const QByteArray line = process.readLine().trimmed();
    if (!line.startsWith("PORT "))
        return false;
    listenPort = quint16(line.mid(5).toUInt());
    return listenPort != 0;
}

quint16 MailTestServer::port() const
{
    return listenPort;
}

QStringList MailTestServer::outputLines(int msec)
{
    if (!process.waitForFinished(msec))
        stop();
    return seenLines
           + QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool MailTestServer::waitForOutput(const QString &line, int msec)
{
    const QDeadlineTimer deadline(msec);
    if (seenLines.contains(line))
        return true;
    for (;;) {
        while (process.canReadLine()) {
            seenLines << QString::fromUtf8(process.readLine()).trimmed();
            if (seenLines.last() == line)
                return true;
        }
        if (deadline.hasExpired() || !process.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
}

void MailTestServer::stop()
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill();
    process.waitForFinished(3000);
}

QString MailTestServer::errorOutput()
{
    return QString::fromUtf8(process.readAllStandardError());
}

bool MailTestServer::startSmtp(const QString &certDir, const QString &outDir, const QString &user,
                               const QString &password)
{
    return start(QStringLiteral("smtp_server.py"),
                 { QStringLiteral("--mode"), QStringLiteral("ssl"), QStringLiteral("--certdir"), certDir,
                   QStringLiteral("--outdir"), outDir, QStringLiteral("--user"), user,
                   QStringLiteral("--password"), password, QStringLiteral("--lifetime"),
                   QStringLiteral("120") });
}

QJsonObject MailTestServer::message(const QString &outDir, int n)
{
    const QString path = QDir(outDir).filePath(QStringLiteral("msg-%1.json").arg(n));
    return QJsonDocument::fromJson(TestEnv::readFile(path)).object();
}

int MailTestServer::messageCount(const QString &outDir)
{
    return QDir(outDir).entryList({ QStringLiteral("msg-*.json") }, QDir::Files).size();
}

bool MailTestServer::makeTrustedCertificates(const QString &certDir)
{
    if (!makeCertificates(certDir))
        return false;
    const QList<QSslCertificate> authority =
        QSslCertificate::fromPath(QDir(certDir).filePath(QStringLiteral("ca.pem")));
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificates(authority);
    QSslConfiguration::setDefaultConfiguration(configuration);
    return authority.size() == 1;
}

QByteArray MailTestServer::payload(const QJsonObject &part)
{
    return QByteArray::fromHex(part.value(QStringLiteral("payload_hex")).toString().toLatin1());
}
