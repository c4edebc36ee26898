#include "mail/mimemessage.h"

#include "mail/emailaddress.h"
#include "mail/encodedword.h"
#include "mail/mimemultipart.h"

#include <QDateTime>
#include <typeinfo>

namespace {

const QLatin1String kCrLf("\r\n");

// Text as its UTF-8 bytes, one character per byte, like the rendered parts.
QString utf8Bytes(const QString &text)
{
    return QString::fromLatin1(text.toUtf8());
}

QString base64Word(const QString &text)
{
    return QLatin1String("=?utf-8?B?") + QString::fromLatin1(text.toUtf8().toBase64()) + QLatin1String("?=");
}

// RFC 2047 "Q" form. Only letters, digits and !*+-/ stand as themselves: an
// underscore means a blank and "?=" ends the word, so both must be escaped.
QString qWord(const QString &text)
{
    static const char hex[] = "0123456789ABCDEF";
    QString word = QStringLiteral("=?utf-8?Q?");
    for (const char ch : text.toUtf8()) {
        const unsigned char byte = static_cast<unsigned char>(ch);
        if (byte == ' ') {
            word += QLatin1Char('_');
        } else if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9')
                   || byte == '!' || byte == '*' || byte == '+' || byte == '-' || byte == '/') {
            word += QLatin1Char(ch);
        } else {
            word += QLatin1Char('=');
            word += QLatin1Char(hex[byte >> 4]);
            word += QLatin1Char(hex[byte & 0x0F]);
        }
    }
    return word + QLatin1String("?=");
}

// A name holding a comma, an "@" or the like would be read as part of the
// address list; such a name goes out as a quoted string.
QString phrase(const QString &name)
{
    static const QString specials = QStringLiteral("()<>[]:;@\\,.\"");
    bool needsQuotes = false;
    for (const QChar c : name)
        needsQuotes = needsQuotes || specials.contains(c);
    if (!needsQuotes)
        return name;
    QString quoted = name;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    quoted.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}

MimeMessage::MimeMessage(bool createAutoMimeContent)
    : sender(nullptr), content(nullptr), headerEncoding(MimePart::Encoding8Bit)
{
    if (createAutoMimeContent) {
        content = new MimeMultiPart(MimeMultiPart::Related);
        content->setParent(this);
    }
}

MimeMessage::~MimeMessage() = default;

void MimeMessage::setSender(EmailAddress *address) { sender = address; }
EmailAddress *MimeMessage::getSender() const { return sender; }

void MimeMessage::addRecipient(EmailAddress *recipient, int type)
{
    switch (type) {
    case To:
        recipientsTo.append(recipient);
        break;
    case Cc:
        recipientsCc.append(recipient);
        break;
    case Bcc:
        recipientsBcc.append(recipient);
        break;
    default:
        break;
    }
}

void MimeMessage::addTo(EmailAddress *recipient) { recipientsTo.append(recipient); }
void MimeMessage::addCc(EmailAddress *recipient) { recipientsCc.append(recipient); }
void MimeMessage::addBcc(EmailAddress *recipient) { recipientsBcc.append(recipient); }

const QList<EmailAddress *> &MimeMessage::getRecipients(int type) const
{
    switch (type) {
    case Cc:
        return recipientsCc;
    case Bcc:
        return recipientsBcc;
    default:
        return recipientsTo;
    }
}

void MimeMessage::setSubject(const QString &text) { subject = text; }
const QString &MimeMessage::getSubject() const { return subject; }

void MimeMessage::setContent(MimePart *part) { content = part; }
MimePart *MimeMessage::getContent() const { return content; }

void MimeMessage::addPart(MimePart *part)
{
    if (content && typeid(*content) == typeid(MimeMultiPart)) {
        static_cast<MimeMultiPart *>(content)->addPart(part);
    }
}

QList<MimePart *> MimeMessage::getParts() const
{
    if (auto multiPart = dynamic_cast<MimeMultiPart *>(content))
        return multiPart->getParts();
    QList<MimePart *> single;
    if (content)
        single.append(content);
    return single;
}

void MimeMessage::setHeaderEncoding(MimePart::Encoding encoding)
{
    headerEncoding = encoding;
}

QString MimeMessage::namePart(const QString &name) const
{
    if (name.isEmpty())
        return QString();
    switch (headerEncoding) {
    case MimePart::EncodingBase64:
        return QLatin1Char(' ') + base64Word(name);
    case MimePart::EncodingQuotedPrintable:
        return QLatin1Char(' ') + qWord(name);
    default:
        return QLatin1Char(' ') + headerText(phrase(name), name);
    }
}

// Header text beyond ASCII raw in a header is read garbled by some servers
// and readers: it goes as encoded words (RFC 2047), which carry the text
// itself, never its quoted form.
QString MimeMessage::headerText(const QString &ascii, const QString &text)
{
    return EncodedWord::isAscii(text) ? ascii : EncodedWord::encode(text);
}

QString MimeMessage::mailbox(const EmailAddress *address) const
{
    return namePart(address->name()) + QLatin1String(" <") + utf8Bytes(address->address()) + QLatin1Char('>');
}

QString MimeMessage::mailboxList(const QList<EmailAddress *> &list) const
{
    QString text;
    for (int i = 0; i < list.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(',');
        text += mailbox(list.at(i));
    }
    return text;
}

QString MimeMessage::encodedSubject() const
{
    switch (headerEncoding) {
    case MimePart::EncodingBase64:
        return base64Word(subject);
    case MimePart::EncodingQuotedPrintable:
        return qWord(subject);
    default:
        return headerText(subject, subject);
    }
}

QString MimeMessage::dateHeaderValue()
{
    return QDateTime::currentDateTime().toString(Qt::RFC2822Date);
}

QString MimeMessage::toString()
{
    QString text;
    if (sender)
        text += QLatin1String("From:") + mailbox(sender) + kCrLf;
    text += QLatin1String("To:") + mailboxList(recipientsTo) + kCrLf;
    if (!recipientsCc.isEmpty())
        text += QLatin1String("Cc:") + mailboxList(recipientsCc) + kCrLf;
    text += QLatin1String("Subject: ") + encodedSubject() + kCrLf;
    text += QLatin1String("Date: ") + dateHeaderValue() + kCrLf;
    text += QLatin1String("MIME-Version: 1.0") + kCrLf;
    if (content)
        text += content->toString();
    else
        text += kCrLf;
    return text;
}
