#include "mail/smtpexchange.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>
#include <vector>

#include "mail/outgoingmail.h"
#include "mail/smtpclient.h"

// What the worker and the exchange share; the worker writes the outcome
// before its thread ends, the exchange reads it afterwards. The mail is the
// worker's alone.
struct SmtpExchange::Sending
{
    std::shared_ptr<OutgoingMail> mail;
    bool sent = false;
    QString reason;
    std::atomic_bool cancelled{ false };
};

namespace {

// Long enough for a cancelled connection to reach its time-out, short
// enough that quitting never seems to hang.
constexpr int kExitJoinMs = 12000;

// The worker threads not yet freed, kept on the exchanges' thread: an
// exchange may be gone long before its worker ends, and at exit no event
// loop is left to free them.
struct Worker
{
    QThread *thread;
    std::shared_ptr<std::atomic_bool> cancelled;
};

std::vector<Worker> &workers()
{
    static std::vector<Worker> list;
    return list;
}

bool joinAtExitRegistered = false;

}

void SmtpExchange::send(const Account &account, int responseTimeout, Sending &sending)
{
    // an address no server should be asked to take is refused before one is reached
    const QString unsafe = SmtpClient::addressNotOneMailbox(sending.mail->message());
    if (!unsafe.isEmpty()) {
        sending.reason = tr("Nothing was sent to the server: %1.").arg(unsafe);
        return;
    }
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

// The worker may be deep in a connection Qt cannot interrupt: it is told to
// stop and left to end by itself.
SmtpExchange::~SmtpExchange()
{
    if (sending)
        sending->cancelled = true;
}

void SmtpExchange::start(const Account &account, std::shared_ptr<OutgoingMail> mail)
{
    if (sending)
        return;
    sending = std::make_shared<Sending>();
    sending->mail = std::move(mail);
    const int timeout = responseTimeout;
    const std::shared_ptr<Sending> shared = sending;
    // The mail goes on the worker's thread, before the signal: its folder
    // is gone when the caller hears of the end, and a destroyed exchange
    // leaves nothing behind.
    QThread *worker = QThread::create([account, timeout, shared] {
        send(account, timeout, *shared);
        shared->mail.reset();
    });
    // queued to this exchange, so dropped with it
    connect(worker, &QThread::finished, this, [this, shared] {
        sending.reset();
        emit finished(shared->sent, shared->reason);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &QObject::destroyed, [worker] {
        auto &list = workers();
        list.erase(std::remove_if(list.begin(), list.end(), [worker](const Worker &w) { return w.thread == worker; }),
                   list.end());
    });
    workers().push_back({ worker, std::shared_ptr<std::atomic_bool>(shared, &shared->cancelled) });
    if (!joinAtExitRegistered) {
        qAddPostRoutine(joinAtExit);
        joinAtExitRegistered = true;
    }
    worker->start();
}

bool SmtpExchange::joinWorkers(int msec)
{
    const QDeadlineTimer deadline(msec);
    const QDeadlineTimer patience(msec / 2);
    const std::vector<Worker> list = workers();
    for (const Worker &worker : list) {
        if (!worker.thread->wait(patience))
            *worker.cancelled = true;
    }
    // one still running past the deadline is left alone: deleting its
    // thread object would abort the program
    for (const Worker &worker : list) {
        if (worker.thread->wait(deadline))
            delete worker.thread;
    }
    return workers().empty();
}

void SmtpExchange::joinAtExit()
{
    joinAtExitRegistered = false;
    joinWorkers(kExitJoinMs);
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
