#pragma once

#include <memory>

#include <QObject>
#include <QPointer>
#include <QString>

class OutgoingMail;
class QThread;
class SmtpClient;

// One SMTP conversation (connect over SSL, log in with AUTH PLAIN, send,
// quit) for the automatic e-mail, the send-report dialog and the options
// dialog's test. It runs on a worker thread, so that a slow or silent
// server (up to a minute per reply) never holds up the window, and its end
// comes back as finished on the exchange's own thread.
//
// An exchange destroyed while its worker runs cancels it: the client stops
// waiting for the server within a tenth of a second (a connection under
// way, at most the connection time-out), nothing more is sent, and the
// mail is released before the destructor returns.
class SmtpExchange : public QObject
{
    Q_OBJECT
public:
    struct Account
    {
        QString host;
        int port = 465;
        QString user;
        QString password;
    };

    explicit SmtpExchange(QObject *parent = nullptr);
    ~SmtpExchange() override;

    // Sends mail to account's server. The mail is the worker's until
    // finished; the exchange lets go of it before that signal. One sending
    // at a time: a start while one runs is ignored.
    void start(const Account &account, std::shared_ptr<OutgoingMail> mail);
    bool isRunning() const { return running; }

    // The client's reply time-out, 60 s unless set.
    void setResponseTimeout(int msec) { responseTimeout = msec; }

    // Why an exchange with client failed, in words for the user; firstError
    // is the first SmtpClient::SmtpError it signalled, -1 for none.
    static QString failureReason(const SmtpClient &client, int firstError);

signals:
    // reason is empty when the mail was sent.
    void finished(bool sent, const QString &reason);

private:
    struct Sending;
    static void send(const Account &account, int responseTimeout, Sending &sending);

    bool running = false;
    QPointer<QThread> worker;
    std::shared_ptr<Sending> sending;
    int responseTimeout = 60000;
};
