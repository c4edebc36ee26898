#pragma once

#include <memory>

#include <QObject>
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
// An exchange destroyed while its worker runs cancels it and returns at
// once: the worker owns the mail (its folder included) and the client, and
// lets go of them on its own thread when it ends, within a tenth of a
// second of the cancel while it waits for the server, later while a
// connection or a name look-up is under way. Nothing more is sent and
// nothing is signalled. The application's exit joins the workers still
// running, for a bounded time.
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

    // Sends mail to account's server. The mail is the worker's, which lets
    // go of it before finished. One sending at a time: a start while one
    // runs is ignored.
    void start(const Account &account, std::shared_ptr<OutgoingMail> mail);
    bool isRunning() const { return sending != nullptr; }

    // The client's reply time-out, 60 s unless set.
    void setResponseTimeout(int msec) { responseTimeout = msec; }

    // Why an exchange with client failed, in words for the user; firstError
    // is the first SmtpClient::SmtpError it signalled, -1 for none.
    static QString failureReason(const SmtpClient &client, int firstError);

    // Waits up to msec for the workers still running, those of destroyed
    // exchanges included, cancels those that outlast half of it, and frees
    // every ended one; true when none is left. Runs on its own when the
    // application object goes, whose event loop no longer frees them.
    static bool joinWorkers(int msec);

signals:
    // reason is empty when the mail was sent.
    void finished(bool sent, const QString &reason);

private:
    struct Sending;
    static void send(const Account &account, int responseTimeout, Sending &sending);
    static void joinAtExit();

    // the sending under way, null between sendings
    std::shared_ptr<Sending> sending;
    int responseTimeout = 60000;
};
