#include "mail/smtpclient.h"

#include "mail/emailaddress.h"
#include "mail/mimemessage.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>

namespace {

// A line break in anything that ends up in a command or a header line would
// let the text start a command or a header of its own.
bool hasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) || text.contains(QChar(0));
}

bool mailboxIsSafe(const EmailAddress *address)
{
    return address && !hasLineBreak(address->address()) && !hasLineBreak(address->name());
}

// How often a wait looks at the cancel flag.
constexpr int kCancelSliceMs = 100;

// Past this the socket stops reading until the client has taken lines out:
// a flooding peer fills no more than this between two checks.
constexpr qint64 kReadBufferBytes = 64 * 1024;

// Reading the system's list takes about a tenth of a second, and it does not
// change while the program runs.
const QList<QSslCertificate> &systemCaCertificates()
{
    static const QList<QSslCertificate> certificates = QSslConfiguration::systemCaCertificates();
    return certificates;
}

}

SmtpClient::SmtpClient(const QString &h, int p, int type)
    : socket(nullptr),
      name(QStringLiteral("localhost")),
      authMethod(AuthPlain),
      connectionTimeout(5000),
      responseTimeout(60000),
      responseCode(0)
{
    qRegisterMetaType<SmtpClient::SmtpError>("SmtpClient::SmtpError");
    setConnectionType(type);
    host = h;
    port = p;
}

SmtpClient::~SmtpClient() = default;

const QString &SmtpClient::getHost() const { return host; }
void SmtpClient::setHost(const QString &h) { host = h; }

int SmtpClient::getPort() const { return port; }
void SmtpClient::setPort(int p) { port = p; }

int SmtpClient::getConnectionType() const { return connectionType; }

void SmtpClient::setConnectionType(int type)
{
    connectionType = type;
    delete socket;
    socket = nullptr;
    switch (type) {
    case TcpConnection:
        socket = new QTcpSocket(this);
        break;
    case SslConnection:
    case TlsConnection:
        socket = new QSslSocket(this);
        applyCaCertificates();
        break;
    default:
        return;
    }
    socket->setReadBufferSize(kReadBufferBytes);
    connect(socket, &QAbstractSocket::stateChanged, this, &SmtpClient::socketStateChanged);
    connect(socket, &QAbstractSocket::errorOccurred, this, &SmtpClient::socketError);
    connect(socket, &QIODevice::readyRead, this, &SmtpClient::socketReadyRead);
}

const QString &SmtpClient::getName() const { return name; }
void SmtpClient::setName(const QString &n) { name = n; }

const QString &SmtpClient::getUser() const { return user; }
void SmtpClient::setUser(const QString &u) { user = u; }

const QString &SmtpClient::getPassword() const { return password; }
void SmtpClient::setPassword(const QString &pw) { password = pw; }

int SmtpClient::getAuthMethod() const { return authMethod; }
void SmtpClient::setAuthMethod(int method) { authMethod = method; }

int SmtpClient::getConnectionTimeout() const { return connectionTimeout; }
void SmtpClient::setConnectionTimeout(int msec) { connectionTimeout = msec; }

int SmtpClient::getResponseTimeout() const { return responseTimeout; }
void SmtpClient::setResponseTimeout(int msec) { responseTimeout = msec; }

const QString &SmtpClient::getResponseText() const { return responseText; }
int SmtpClient::getResponseCode() const { return responseCode; }

QTcpSocket *SmtpClient::getSocket() { return socket; }

void SmtpClient::addCaCertificates(const QList<QSslCertificate> &certificates)
{
    extraCaCertificates += certificates;
    applyCaCertificates();
}

// Setting any authority list turns off the on-demand loading of the system's
// roots, so the system's list is set explicitly beside the extra ones.
void SmtpClient::applyCaCertificates()
{
    auto sslSocket = qobject_cast<QSslSocket *>(socket);
    if (!sslSocket || extraCaCertificates.isEmpty())
        return;
    QSslConfiguration configuration = sslSocket->sslConfiguration();
    configuration.setCaCertificates(systemCaCertificates() + extraCaCertificates);
    sslSocket->setSslConfiguration(configuration);
}

bool SmtpClient::connectToHost()
{
    if (!socket) {
        qWarning() << "SMTP: unknown connection type" << connectionType;
        return false;
    }
    failure.clear();
    if (hasLineBreak(name)) {
        failure = tr("the client name holds a line break");
        qWarning() << "SMTP:" << failure << "- nothing sent";
        return false;
    }
    if (connectionType == SslConnection)
        static_cast<QSslSocket *>(socket)->connectToHostEncrypted(host, quint16(port));
    else
        socket->connectToHost(host, quint16(port));

    if (!socket->waitForConnected(connectionTimeout)) {
        emit smtpError(ConnectionTimeoutError);
        return false;
    }
    if (connectionType == SslConnection && !waitForEncryption()) {
        emit smtpError(ConnectionTimeoutError);
        return false;
    }
    return guarded([this] { return greetAndIdentify(); });
}

// The waits throw when the server is silent or breaks the protocol; the
// step then simply fails, its signal already sent.
bool SmtpClient::guarded(const std::function<bool()> &step)
{
    try {
        return step();
    } catch (ResponseTimeoutException &) {
    } catch (BadReplyException &) {
    }
    return false;
}

void SmtpClient::setCancelFlag(const std::atomic_bool *flag)
{
    cancelFlag = flag;
}

// A wait that ran out its slice leaves the socket as it was; a real
// failure (a closed connection, a failed handshake) ends the wait at once.
bool SmtpClient::waitInSlices(const std::function<bool(int)> &wait, int msec)
{
    const QDeadlineTimer deadline(msec);
    for (;;) {
        const qint64 remaining = deadline.remainingTime();
        if (wait(int(cancelFlag ? qMin<qint64>(remaining, kCancelSliceMs) : remaining)))
            return true;
        const QAbstractSocket::SocketError error = socket->error();
        if (deadline.hasExpired() || (cancelFlag && *cancelFlag)
            || socket->state() == QAbstractSocket::UnconnectedState
            || (error != QAbstractSocket::SocketTimeoutError && error != QAbstractSocket::UnknownSocketError))
            return false;
    }
}

QString SmtpClient::connectionErrorText() const
{
    return socket ? socket->errorString() : QString();
}

bool SmtpClient::connectionClosedByServer() const
{
    return socket && socket->error() == QAbstractSocket::RemoteHostClosedError;
}

const QString &SmtpClient::failureText() const
{
    return failure;
}

bool SmtpClient::waitForEncryption()
{
    auto sslSocket = static_cast<QSslSocket *>(socket);
    if (waitInSlices([sslSocket](int msec) { return sslSocket->waitForEncrypted(msec); }, connectionTimeout))
        return true;
    qDebug() << "SMTP: TLS handshake failed:" << sslSocket->errorString();
    return false;
}

bool SmtpClient::greetAndIdentify()
{
    if (!expect(220)) {
        emit smtpError(ServerError);
        return false;
    }
    sendMessage(QStringLiteral("EHLO ") + name);
    if (!expect(250)) {
        emit smtpError(ServerError);
        return false;
    }
    if (connectionType != TlsConnection)
        return true;

    sendMessage(QStringLiteral("STARTTLS"));
    if (!expect(220)) {
        emit smtpError(ServerError);
        return false;
    }
    // Whatever arrived in plain text after the go-ahead was not protected and
    // must not be read as if it came over the encrypted channel.
    socket->readAll();
    static_cast<QSslSocket *>(socket)->startClientEncryption();
    if (!waitForEncryption())
        return false;

    sendMessage(QStringLiteral("EHLO ") + name);
    if (!expect(250)) {
        emit smtpError(ServerError);
        return false;
    }
    return true;
}

bool SmtpClient::expect(int code)
{
    waitForResponse();
    return responseCode == code;
}

bool SmtpClient::login()
{
    return login(user, password, authMethod);
}

bool SmtpClient::login(const QString &u, const QString &pw, int method)
{
    if (!socket)
        return false;
    if (method != AuthPlain && method != AuthLogin)
        return true;
    if (guarded([&] { return authenticate(u, pw, method); }))
        return true;
    emit smtpError(AuthenticationFailedError);
    return false;
}

// Credentials go out as UTF-8, the form RFC 4616 prescribes for PLAIN.
bool SmtpClient::authenticate(const QString &u, const QString &pw, int method)
{
    if (method == AuthPlain) {
        const QByteArray credentials = '\0' + u.toUtf8() + '\0' + pw.toUtf8();
        sendMessage(QStringLiteral("AUTH PLAIN ") + QString::fromLatin1(credentials.toBase64()));
        return expect(235);
    }
    sendMessage(QStringLiteral("AUTH LOGIN"));
    if (!expect(334))
        return false;
    sendMessage(QString::fromLatin1(u.toUtf8().toBase64()));
    if (!expect(334))
        return false;
    sendMessage(QString::fromLatin1(pw.toUtf8().toBase64()));
    return expect(235);
}

// The field that would let the message start a header, a command or a
// command's parameter of its own, named for the user; empty when every
// field is safe.
QString SmtpClient::unsafeHeaderField(const MimeMessage &message)
{
    if (!message.getSender())
        return tr("the message has no sender");
    if (!mailboxIsSafe(message.getSender()))
        return tr("the sender's name or address holds a line break");
    if (hasLineBreak(message.getSubject()))
        return tr("the subject holds a line break");
    for (int type = MimeMessage::To; type <= MimeMessage::Bcc; ++type) {
        for (const EmailAddress *recipient : message.getRecipients(type)) {
            if (!mailboxIsSafe(recipient))
                return tr("the name or address of the recipient %1 holds a line break")
                    .arg(recipient ? recipient->address().simplified() : QString());
        }
    }
    return addressNotOneMailbox(message);
}

QString SmtpClient::addressNotOneMailbox(const MimeMessage &message)
{
    const EmailAddress *sender = message.getSender();
    if (sender && !EmailAddress::isMailbox(sender->address()))
        return tr("the sender's address \"%1\" is not one e-mail address").arg(sender->address());
    for (int type = MimeMessage::To; type <= MimeMessage::Bcc; ++type) {
        for (const EmailAddress *recipient : message.getRecipients(type)) {
            if (recipient && !EmailAddress::isMailbox(recipient->address()))
                return tr("the recipient's address \"%1\" is not one e-mail address").arg(recipient->address());
        }
    }
    return QString();
}

bool SmtpClient::sendMail(MimeMessage &message)
{
    if (!socket)
        return false;
    failure = unsafeHeaderField(message);
    if (!failure.isEmpty()) {
        qWarning() << "SMTP:" << failure << "- nothing sent";
        return false;
    }
    return guarded([&] { return transferMessage(message); });
}

bool SmtpClient::transferMessage(MimeMessage &message)
{
    // Rendered first: an attachment that cannot be read fails the send
    // before the server is asked for anything.
    const QByteArray data = dataForTransfer(message.toString().toLatin1());
    if (message.getContent() && !message.getContent()->contentReadable()) {
        failure = tr("an attachment could not be read");
        qWarning() << "SMTP:" << failure << "- nothing sent";
        return false;
    }
    sendMessage(QStringLiteral("MAIL FROM: <") + message.getSender()->address() + QLatin1Char('>'));
    if (!expect(250))
        return false;
    for (int type = MimeMessage::To; type <= MimeMessage::Bcc; ++type) {
        for (const EmailAddress *recipient : message.getRecipients(type)) {
            sendMessage(QStringLiteral("RCPT TO: <") + recipient->address() + QLatin1Char('>'));
            if (!expect(250))
                return false;
        }
    }
    sendMessage(QStringLiteral("DATA"));
    if (!expect(354))
        return false;
    sendMessageData(data);
    return expect(250);
}

// The rendered message holds one byte per character and goes out byte for
// byte. Lines end in CR LF, and a line that starts with "." gets a second one
// so that no line of the message can end the data early (RFC 5321, 4.5.2).
QByteArray SmtpClient::dataForTransfer(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 32 + 8);
    bool lineStart = true;
    const int size = text.size();
    for (int i = 0; i < size; ++i) {
        const char c = text.at(i);
        if (c == '\r' || c == '\n') {
            out.append("\r\n");
            if (c == '\r' && i + 1 < size && text.at(i + 1) == '\n')
                ++i;
            lineStart = true;
            continue;
        }
        if (lineStart && c == '.')
            out.append('.');
        out.append(c);
        lineStart = false;
    }
    return out;
}

void SmtpClient::sendMessageData(const QByteArray &body)
{
    socket->write(body);
    socket->write("\r\n.\r\n");
    waitUntilWritten();
}

// A large message may take longer than one reply time-out to leave; it counts
// as stalled only when no byte at all goes out for a whole time-out.
void SmtpClient::waitUntilWritten()
{
    auto pending = [this]() {
        qint64 bytes = socket->bytesToWrite();
        if (auto sslSocket = qobject_cast<QSslSocket *>(socket))
            bytes += sslSocket->encryptedBytesToWrite();
        return bytes;
    };
    while (pending() > 0) {
        if (!waitInSlices([this](int msec) { return socket->waitForBytesWritten(msec); }, responseTimeout)) {
            emit smtpError(ResponseTimeoutError);
            throw ResponseTimeoutException();
        }
    }
}

void SmtpClient::quit()
{
    if (!socket)
        return;
    sendMessage(QStringLiteral("QUIT"));
    socket->flush();
}

void SmtpClient::sendMessage(const QString &text)
{
    socket->write(text.toUtf8() + "\r\n");
}

void SmtpClient::waitForResponse()
{
    const QDeadlineTimer deadline(responseTimeout);
    for (int lines = 1;; ++lines) {
        if (lines > kMaxReplyLines)
            refuseReply(tr("the server's reply runs past %1 lines").arg(kMaxReplyLines));
        // A reply may already be buffered, read along with a TLS handshake.
        while (!socket->canReadLine()) {
            if (socket->bytesAvailable() >= kMaxReplyLineBytes)
                refuseLongReplyLine();
            if (deadline.hasExpired()
                || !waitInSlices([this](int msec) { return socket->waitForReadyRead(msec); },
                                 int(deadline.remainingTime()))) {
                emit smtpError(ResponseTimeoutError);
                throw ResponseTimeoutException();
            }
        }
        QByteArray line = socket->readLine(kMaxReplyLineBytes + 1);
        if (!line.endsWith('\n'))
            refuseLongReplyLine();
        const int zero = line.indexOf('\0');
        if (zero >= 0)
            line.truncate(zero);
        responseText = QString::fromLatin1(line);

        bool ok = false;
        responseCode = responseText.left(3).toInt(&ok);
        if (!ok)
            responseCode = 0;
        if (responseCode >= 400 && responseCode <= 499)
            emit smtpError(ServerError);
        else if (responseCode >= 500 && responseCode <= 599)
            emit smtpError(ClientError);

        // The last line of a reply is a code without "-" after it, also a
        // bare "250" (RFC 5321, 4.2); a line without a code ends nothing.
        const QString bare = QString(responseText).remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
        if (ok && bare.size() >= 3 && (bare.size() == 3 || bare.at(3) != QLatin1Char('-')))
            return;
    }
}

// The connection is dropped at once: what the peer still sends is never read.
void SmtpClient::refuseReply(const QString &why)
{
    failure = why;
    socket->abort();
    emit smtpError(ProtocolError);
    throw BadReplyException();
}

// A line end that has not come within the limit, whether the bytes are
// still arriving or a line of them was read, is the same refusal.
void SmtpClient::refuseLongReplyLine()
{
    refuseReply(tr("the server sent a reply line longer than %1 bytes").arg(kMaxReplyLineBytes));
}

void SmtpClient::socketStateChanged(QAbstractSocket::SocketState)
{
}

void SmtpClient::socketError(QAbstractSocket::SocketError)
{
}

void SmtpClient::socketReadyRead()
{
}
