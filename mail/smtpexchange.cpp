#include "mail/smtpexchange.h"

#include <QThread>

#include "mail/outgoingmail.h"
#include "mail/smtpclient.h"

// What the worker and the exchange share; the worker writes the outcome
// before its thread ends, the exchange reads it afterwards.
struct SmtpExchange::Sending
{
    std::shared_ptr<OutgoingMail> mail;
    bool sent = false;
    QString reason;
    std::atomic_bool cancelled{ false };
};

void SmtpExchange::send(const Account &account, int responseTimeout, Sending &sending)
{
    SmtpClient client(account.host, account.port, SmtpClient::SslConnection);
    client.setCancelFlag(&sending.cancelled);
    client.setUser(account.user);
    client.setPassword(account.password);
    client.setResponseTimeout(responseTimeout);
    int firstError = -1;
    // the first error says what went wrong; later ones follow from it
    QObject::connect(&client, &SmtpClient::smtpError, [&firstError](SmtpClient::SmtpError error) {
        if (firstError < 0)
            firstError = error;
    });
    sending.sent = client.connectToHost() && client.login() && client.sendMail(sending.mail->message());
    if (sending.sent)
        client.quit();
    else
        sending.reason = failureReason(client, firstError);
}

SmtpExchange::SmtpExchange(QObject *parent)
    : QObject(parent)
{
}

SmtpExchange::~SmtpExchange()
{
    if (!running)
        return;
    sending->cancelled = true;
    if (worker)
        worker->wait();
    sending->mail.reset();
}

void SmtpExchange::start(const Account &account, std::shared_ptr<OutgoingMail> mail)
{
    if (running)
        return;
    running = true;
    sending = std::make_shared<Sending>();
    sending->mail = std::move(mail);
    const int timeout = responseTimeout;
    const std::shared_ptr<Sending> shared = sending;
    worker = QThread::create([account, timeout, shared] { send(account, timeout, *shared); });
    // The mail goes on this thread, before the signal: its folder is gone
    // when the caller hears of the end.
    connect(worker, &QThread::finished, this, [this, shared] {
        running = false;
        sending.reset();
        shared->mail.reset();
        emit finished(shared->sent, shared->reason);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

QString SmtpExchange::failureReason(const SmtpClient &client, int firstError)
{
    const QString server = QStringLiteral("%1:%2").arg(client.getHost()).arg(client.getPort());
    if (!client.failureText().isEmpty())
        return tr("The exchange with the server %1 stopped: %2.").arg(server, client.failureText());
    switch (firstError) {
    case SmtpClient::ConnectionTimeoutError:
        // a refused port and an untrusted certificate both end here
        return tr("The server %1 could not be reached: %2").arg(server, client.connectionErrorText());
    case SmtpClient::ResponseTimeoutError:
        if (client.connectionClosedByServer())
            return tr("The server %1 closed the connection.").arg(server);
        return tr("The server %1 did not answer in time.").arg(server);
    case SmtpClient::AuthenticationFailedError:
        return tr("The server %1 refused the user name or the password.").arg(server);
    case SmtpClient::ServerError:
    case SmtpClient::ClientError:
        return tr("The server %1 answered: %2").arg(server, client.getResponseText().trimmed());
    default:
        return tr("The exchange with the server %1 failed.").arg(server);
    }
}
