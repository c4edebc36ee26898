#include "reports/csendemail.h"

#include <QTimer>

#include "app/mainwindow.h"
#include "core/cmainapp.h"
#include "core/windowstate.h"
#include "dialogs/cprompt.h"
#include "mail/outgoingmail.h"
#include "mail/smtpexchange.h"
#include "ui_mainwindow.h"

QString CSendEmail::extensionOfBit(int bit)
{
    static const char *const extensions[kAttachmentKinds] = { "qlf", "txt", "csv", "pdf", "jpg" };
    return (bit >= 0 && bit < kAttachmentKinds) ? QLatin1String(extensions[bit]) : QString();
}

void CSendEmail::sendFromWindow(MainWindow *window, int row)
{
    QAction *action = window->ui->m_actionSendByEmail;
    action->setEnabled(false);
    window->app->startEmail(row);
    connect(window->app->emailSender, &CSendEmail::finished, action, [action] { action->setEnabled(true); });
}

void CSendEmail::mailAutomatically(MainWindow *window, int row)
{
    CMainApp *app = window->app;
    if (row < 0 || row >= app->records.size() || app->settings.smtpServerAuto == 0
        || app->records.at(row).autoMailStarted)
        return;
    app->records[row].autoMailStarted = true;
    sendFromWindow(window, row);
}

CSendEmail::CSendEmail(CMainApp *parent)
    : QObject(parent), application(parent), smtp(new SmtpExchange(this))
{
    connect(smtp, &SmtpExchange::finished, this, &CSendEmail::endExchange);
    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &CSendEmail::Timer);
    timer->start(10);
}

CSendEmail::~CSendEmail() = default;

void CSendEmail::start(int index)
{
    hasRecord = index >= 0 && index < application->records.size();
    if (hasRecord)
        record = application->records.at(index).trip();
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
    mail = std::make_shared<OutgoingMail>();
    const int mask = application->settings.smtpAttachedFiles;
    if ((mask & ((1 << kAttachmentKinds) - 1)) && !mail->makeFolder(QStringLiteral("mirelda-mail"))) {
        fail(tr("No temporary folder could be made for the attachments."));
        return;
    }
    for (int bit = 0; bit < kAttachmentKinds; ++bit) {
        if (!(mask & (1 << bit)))
            continue;
        QString error;
        attachmentFiles[bit] = application->mainWindow
            ? application->mainWindow->exportSelectedFile(extensionOfBit(bit), mail->folderPath(), record, &error)
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
    mail->address(settings.smtpSenderEmail, settings.smtpSenderName, settings.smtpRecipientEmail,
                  settings.smtpRecipientName, settings.smtpSubject);
    state = Composing;
}

void CSendEmail::compose()
{
    showProgress(65);
    mail->setBody(QStringLiteral("Serial:     ") + record.serialNumber + QStringLiteral("\r\n")
                  + QStringLiteral("Description:") + record.description + QStringLiteral("\r\n"));
    for (const QString &path : attachmentFiles) {
        if (!path.isEmpty())
            mail->attach(path);
    }
    state = Sending;
}

void CSendEmail::exchange()
{
    if (smtp->isRunning())
        return;
    showProgress(80);
    const AppSettings &settings = application->settings;
    const SmtpExchange::Account account{ settings.smtpServerAddress.trimmed(), settings.smtpServerPort,
                                         settings.smtpUserName, settings.smtpPassword };
    // the exchange holds the mail, and its exports, until it is over
    smtp->start(account, std::move(mail));
}

void CSendEmail::endExchange(bool sent, const QString &reason)
{
    if (!sent) {
        fail(reason);
        return;
    }
    showProgress(100);
    state = Idle;
    finish(true);
}

// The sender is idle before the box opens: the timers run on under it.
void CSendEmail::fail(const QString &reason)
{
    mail.reset();
    showProgress(100);
    state = Idle;
    const QString serial = record.serialNumber.trimmed();
    const QString what = serial.isEmpty() ? tr("The e-mail") : tr("The e-mail of %1").arg(serial);
    CPrompt::warning(nullptr, tr("Warning!\n\n%1 was not sent.\n%2").arg(what, reason));
    finish(false);
}

void CSendEmail::finish(bool sent)
{
    timer->stop();
    emit finished(sent);
    deleteLater();
}
