#include "reports/csendemail.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "core/cmainapp.h"
#include "core/windowstate.h"
#include "dialogs/cprompt.h"
#include "mail/emailaddress.h"
#include "mail/mimeattachment.h"

QString CSendEmail::extensionOfBit(int bit)
{
    static const char *const extensions[kAttachmentKinds] = { "qlf", "txt", "csv", "pdf", "jpg" };
    return (bit >= 0 && bit < kAttachmentKinds) ? QLatin1String(extensions[bit]) : QString();
}

CSendEmail::CSendEmail(CMainApp *parent)
    : QObject(parent), application(parent), text(QString()), message(true)
{
    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &CSendEmail::Timer);
    timer->start(10);
}

CSendEmail::~CSendEmail()
{
    removeExports();
}

void CSendEmail::start(int index)
{
    hasRecord = index >= 0 && index < application->records.size();
    if (hasRecord)
        record = application->records.at(index);
    state = Starting;
}

void CSendEmail::Timer()
{
    switch (state) {
    case Starting:
        begin();
        break;
    case Exporting:
        exportAttachments();
        break;
    case Addressing:
        address();
        break;
    case Composing:
        compose();
        break;
    case Sending:
        exchange();
        break;
    default:
        break;
    }
}

void CSendEmail::showProgress(int value)
{
    if (application->mainWindow)
        application->mainWindow->showGraphProgress(true, value);
}

void CSendEmail::begin()
{
    sent = false;
    showProgress(0);
    if (!hasRecord) {
        fail(tr("There is no logger or file to send."));
        return;
    }
    const AppSettings &settings = application->settings;
    if (settings.smtpServerAddress.trimmed().isEmpty() || settings.smtpRecipientEmail.trimmed().isEmpty()) {
        fail(tr("The e-mail settings name no SMTP server or no recipient."));
        return;
    }
    state = Exporting;
}

void CSendEmail::exportAttachments()
{
    showProgress(20);
    const int mask = application->settings.smtpAttachedFiles;
    if (mask & ((1 << kAttachmentKinds) - 1)) {
        workDir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/mirelda-mail-XXXXXX"));
        if (!workDir->isValid()) {
            fail(tr("No temporary folder could be made for the attachments."));
            return;
        }
    }
    for (int bit = 0; bit < kAttachmentKinds; ++bit) {
        if (!(mask & (1 << bit)))
            continue;
        QString error;
        attachmentFiles[bit] = application->mainWindow
            ? application->mainWindow->exportSelectedFile(extensionOfBit(bit), workDir->path(), record, &error)
            : QString();
        if (attachmentFiles[bit].isEmpty()) {
            fail(error);
            return;
        }
    }
    state = Addressing;
}

void CSendEmail::address()
{
    showProgress(40);
    const AppSettings &settings = application->settings;
    client = std::make_unique<SmtpClient>(settings.smtpServerAddress.trimmed(), settings.smtpServerPort,
                                          SmtpClient::SslConnection);
    client->setUser(settings.smtpUserName);
    client->setPassword(settings.smtpPassword);
    connect(client.get(), &SmtpClient::smtpError, this, &CSendEmail::noteSmtpError);

    addresses.push_back(std::make_unique<EmailAddress>(settings.smtpSenderEmail, settings.smtpSenderName));
    message.setSender(addresses.back().get());
    addresses.push_back(std::make_unique<EmailAddress>(settings.smtpRecipientEmail, settings.smtpRecipientName));
    message.addRecipient(addresses.back().get(), MimeMessage::To);
    message.setSubject(settings.smtpSubject);
    state = Composing;
}

void CSendEmail::compose()
{
    showProgress(65);
    text.setText(QStringLiteral("Serial:     ") + record.serialNumber + QStringLiteral("\r\n")
                 + QStringLiteral("Description:") + record.description + QStringLiteral("\r\n"));
    message.addPart(&text);
    for (const QString &path : attachmentFiles) {
        if (path.isEmpty())
            continue;
        attachments.push_back(std::make_unique<MimeAttachment>(new QFile(path)));
        message.addPart(attachments.back().get());
    }
    state = Sending;
}

void CSendEmail::exchange()
{
    showProgress(80);
    sent = client->connectToHost() && client->login() && client->sendMail(message);
    if (sent) {
        client->quit();
        removeExports();
        showProgress(100);
        state = Idle;
        finish();
    } else {
        fail(exchangeFailure());
    }
}

// The sender is idle before the box opens: the timers run on under it.
void CSendEmail::fail(const QString &reason)
{
    removeExports();
    showProgress(100);
    state = Idle;
    const QString serial = record.serialNumber.trimmed();
    const QString what = serial.isEmpty() ? tr("The e-mail") : tr("The e-mail of %1").arg(serial);
    CPrompt::warning(nullptr, tr("Warning!\n\n%1 was not sent.\n%2").arg(what, reason));
    finish();
}

void CSendEmail::finish()
{
    timer->stop();
    emit finished(sent);
    deleteLater();
}

void CSendEmail::removeExports()
{
    for (QString &path : attachmentFiles) {
        if (!path.isEmpty())
            QFile::remove(path);
        path.clear();
    }
    workDir.reset();
}

void CSendEmail::noteSmtpError(SmtpClient::SmtpError error)
{
    // the first error says what went wrong; later ones follow from it
    if (lastSmtpError < 0)
        lastSmtpError = error;
}

QString CSendEmail::exchangeFailure() const
{
    const QString server = QStringLiteral("%1:%2").arg(client->getHost()).arg(client->getPort());
    switch (lastSmtpError) {
    case SmtpClient::ConnectionTimeoutError:
        // a refused port and an untrusted certificate both end here
        return tr("The server %1 could not be reached: %2")
            .arg(server, client->connectionErrorText());
    case SmtpClient::ResponseTimeoutError:
        return tr("The server %1 did not answer in time.").arg(server);
    case SmtpClient::AuthenticationFailedError:
        return tr("The server %1 refused the user name or the password.").arg(server);
    case SmtpClient::ServerError:
    case SmtpClient::ClientError:
        return tr("The server %1 answered: %2").arg(server, client->getResponseText().trimmed());
    default:
        return tr("The exchange with the server %1 failed.").arg(server);
    }
}
