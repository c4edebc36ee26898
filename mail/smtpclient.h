#pragma once

#include <atomic>
#include <functional>

#include <QAbstractSocket>
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QString>

class MimeMessage;
class QTcpSocket;

// Sends one message to an SMTP server over plain TCP, SSL or STARTTLS.
// Every call blocks until the server answers or a time-out runs out, and
// reports by its boolean result; smtpError tells what went wrong. The client
// lives on one thread: SmtpExchange runs it off the GUI thread.
class SmtpClient : public QObject
{
    Q_OBJECT

public:
    enum ConnectionType {
        TcpConnection = 0,
        SslConnection = 1,
        TlsConnection = 2
    };

    enum AuthMethod {
        AuthPlain = 0,
        AuthLogin = 1
    };

    enum SmtpError {
        ConnectionTimeoutError = 0,
        ResponseTimeoutError = 1,
        AuthenticationFailedError = 2,
        ServerError = 3,
        ClientError = 4,
        // a reply past the limits below: the exchange ends, failureText says why
        ProtocolError = 5
    };
    Q_ENUM(SmtpError)

    class ResponseTimeoutException
    {
    };
    class BadReplyException
    {
    };

    // RFC 5321 allows reply lines of 512 octets; well past that, or past
    // this many lines in one reply, the peer is not a mail server worth
    // waiting for, and its bytes must not pile up in memory.
    static constexpr int kMaxReplyLineBytes = 4096;
    static constexpr int kMaxReplyLines = 100;

    explicit SmtpClient(const QString &host = QStringLiteral("localhost"), int port = 465,
                        int connectionType = SslConnection);
    ~SmtpClient() override;

    const QString &getHost() const;
    void setHost(const QString &host);

    int getPort() const;
    void setPort(int port);

    int getConnectionType() const;
    void setConnectionType(int type);

    const QString &getName() const;
    void setName(const QString &name);

    const QString &getUser() const;
    void setUser(const QString &user);

    const QString &getPassword() const;
    void setPassword(const QString &password);

    int getAuthMethod() const;
    void setAuthMethod(int method);

    int getConnectionTimeout() const;
    void setConnectionTimeout(int msec);

    int getResponseTimeout() const;
    void setResponseTimeout(int msec);

    const QString &getResponseText() const;
    // Why the connection or its encryption failed, as the socket says it
    // (refused, unknown host, untrusted certificate); empty before a connection.
    QString connectionErrorText() const;
    // The server closed the connection while the client waited for it.
    bool connectionClosedByServer() const;
    // Why the client itself ended or refused the exchange (a line break in
    // a field, an unreadable attachment, a reply past the limits), as a
    // phrase; empty when the server or the network ended it.
    const QString &failureText() const;
    int getResponseCode() const;

    QTcpSocket *getSocket();

    // Trusts these authorities besides the system's own, for servers whose
    // certificate comes from a private authority. Peer checks stay on.
    void addCaCertificates(const QList<QSslCertificate> &certificates);

    // Once *flag is set, a wait for the server ends within a tenth of a
    // second and the step fails: whoever wanted the mail has gone. The
    // connection itself (at most the connection time-out) is not cut short.
    void setCancelFlag(const std::atomic_bool *flag);

    bool connectToHost();
    bool login();
    bool login(const QString &user, const QString &password, int method = AuthPlain);
    bool sendMail(MimeMessage &message);
    void quit();

    // The sender's or a recipient's address that is not one mailbox (which
    // the server would read with parameters of its own, the header as more
    // recipients), named for the user; empty when each is one.
    static QString addressNotOneMailbox(const MimeMessage &message);

signals:
    void smtpError(SmtpClient::SmtpError e);

protected slots:
    void socketStateChanged(QAbstractSocket::SocketState state);
    void socketError(QAbstractSocket::SocketError error);
    void socketReadyRead();

protected:
    void sendMessage(const QString &text);
    void waitForResponse();

private:
    bool greetAndIdentify();
    bool guarded(const std::function<bool()> &step);
    bool waitInSlices(const std::function<bool(int)> &wait, int msec);
    void refuseReply(const QString &why);
    void refuseLongReplyLine();
    bool expect(int code);
    bool authenticate(const QString &user, const QString &password, int method);
    bool transferMessage(MimeMessage &message);
    bool waitForEncryption();
    void sendMessageData(const QByteArray &body);
    void waitUntilWritten();
    void applyCaCertificates();
    static QByteArray dataForTransfer(const QByteArray &text);
    static QString unsafeHeaderField(const MimeMessage &message);

    QTcpSocket *socket;
    QString host;
    int port;
    int connectionType;
    QString name;
    QString user;
    QString password;
    int authMethod;
    int connectionTimeout;
    int responseTimeout;
    QString responseText;
    int responseCode;
    QString failure;
    const std::atomic_bool *cancelFlag = nullptr;
    QList<QSslCertificate> extraCaCertificates;
};
