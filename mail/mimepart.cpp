#include "mail/mimepart.h"

#include "mail/encodedword.h"
#include "mail/quotedprintable.h"

#include <QStringList>

namespace {
const QLatin1String kCrLf("\r\n");

// 7bit and 8bit bodies are line text: a zero byte cannot travel in them.
QByteArray bytesBeforeFirstZero(const QByteArray &bytes)
{
    const int zero = bytes.indexOf('\0');
    return zero < 0 ? bytes : bytes.left(zero);
}
}

MimePart::MimePart()
    : contentEncoding(Encoding7Bit), prepared(false), formatter(76)
{
}

MimePart::~MimePart() = default;

const QString &MimePart::getHeader() const { return header; }
void MimePart::setHeader(const QString &value) { header = value; }

void MimePart::addHeaderLine(const QString &line)
{
    header += line + kCrLf;
}

const QByteArray &MimePart::getContent() const { return content; }
void MimePart::setContent(const QByteArray &value) { content = value; }

const QString &MimePart::getContentId() const { return contentId; }
void MimePart::setContentId(const QString &value) { contentId = value; }

const QString &MimePart::getContentName() const { return contentName; }
void MimePart::setContentName(const QString &value) { contentName = value; }

const QString &MimePart::getContentType() const { return contentType; }
void MimePart::setContentType(const QString &value) { contentType = value; }

const QString &MimePart::getCharset() const { return contentCharset; }
void MimePart::setCharset(const QString &value) { contentCharset = value; }

MimePart::Encoding MimePart::getEncoding() const { return contentEncoding; }
void MimePart::setEncoding(Encoding value) { contentEncoding = value; }

MimeContentFormatter &MimePart::getContentFormatter() { return formatter; }

QString MimePart::toString()
{
    if (!prepared)
        prepare();
    return mimeString;
}

QString MimePart::encodingName(Encoding encoding)
{
    switch (encoding) {
    case Encoding7Bit:
        return QStringLiteral("7bit");
    case Encoding8Bit:
        return QStringLiteral("8bit");
    case EncodingBase64:
        return QStringLiteral("base64");
    case EncodingQuotedPrintable:
        return QStringLiteral("quoted-printable");
    }
    return QString();
}

void MimePart::prepare()
{
    const Encoding encoding = transferEncoding();
    mimeString.clear();
    mimeString += contentTypeLine() + kCrLf;
    mimeString += QLatin1String("Content-Transfer-Encoding: ") + encodingName(encoding) + kCrLf;
    if (!contentId.isEmpty())
        mimeString += QLatin1String("Content-ID: <") + contentId + QLatin1String(">") + kCrLf;
    mimeString += encodedHeader() + kCrLf;
    mimeString += renderedBody(encoding) + kCrLf;
    prepared = true;
}

// A quoted header parameter must not end its quotes or its line early.
static QString safeParameterValue(QString value)
{
    for (QChar &c : value)
        if (c == QLatin1Char('"') || c == QLatin1Char('\r') || c == QLatin1Char('\n')
            || c == QLatin1Char('\\') || c.unicode() == 0)
            c = QLatin1Char('_');
    return value;
}

namespace {

// RFC 2231 leaves only these as they are; every other byte is %XX.
QStringList percentEncodedBytes(const QString &text)
{
    static const QByteArray plain = QByteArrayLiteral("!#$&+-.^_`|~");
    QStringList bytes;
    for (const char c : text.toUtf8()) {
        const uchar byte = uchar(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9')
            || plain.contains(c))
            bytes << QString(QLatin1Char(c));
        else
            bytes << QStringLiteral("%%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    }
    return bytes;
}

// Encoded characters per section: with the attribute and the indent a
// folded line stays within 78 characters.
constexpr int kSectionLength = 56;

}

bool MimePart::nameBeyondAscii(const QString &value)
{
    for (const QChar c : value)
        if (c.unicode() > 0x7E)
            return true;
    return false;
}

QString MimePart::nameParameter(const QString &attribute, const QString &value)
{
    if (!nameBeyondAscii(value))
        return QLatin1String("; ") + attribute + QLatin1String("=\"") + safeParameterValue(value)
               + QLatin1String("\"");
    QStringList sections{ QStringLiteral("utf-8''") };
    for (const QString &byte : percentEncodedBytes(value)) {
        if (sections.last().size() + byte.size() > kSectionLength)
            sections << QString();
        sections.last() += byte;
    }
    if (sections.size() == 1)
        return QLatin1String(";\r\n ") + attribute + QLatin1String("*=") + sections.first();
    QString parameter;
    for (int i = 0; i < sections.size(); ++i)
        parameter += QStringLiteral(";\r\n %1*%2*=%3").arg(attribute).arg(i).arg(sections.at(i));
    return parameter;
}

QString MimePart::contentTypeLine() const
{
    QString line = QLatin1String("Content-Type: ") + contentType;
    if (!contentName.isEmpty())
        line += nameParameter(QStringLiteral("name"), contentName);
    if (!contentCharset.isEmpty())
        line += QLatin1String("; charset=") + contentCharset;
    if (!contentBoundary.isEmpty())
        line += QLatin1String("; boundary=") + contentBoundary;
    return line;
}

// The message goes out as bytes, one per character: a header character
// beyond ASCII would arrive as a raw Latin-1 byte, or as "?".
QString MimePart::encodedHeader() const
{
    QStringList lines = header.split(kCrLf);
    for (QString &line : lines)
        line = EncodedWord::headerLine(line);
    return lines.join(kCrLf);
}

MimePart::Encoding MimePart::transferEncoding() const
{
    return contentEncoding;
}

// Text keeps its line breaks as line breaks (RFC 2045, 6.7): only the lines
// are encoded and folded. A blank that would end an encoded line is escaped,
// as a transport may strip it there.
static QString quotedPrintableText(const QByteArray &text, const MimeContentFormatter &formatter)
{
    QStringList lines;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        QString encoded = QuotedPrintable::encode(line);
        if (encoded.endsWith(QLatin1Char(' ')))
            encoded.replace(encoded.size() - 1, 1, QStringLiteral("=20"));
        lines << formatter.format(encoded, true);
    }
    return lines.join(kCrLf);
}

QString MimePart::renderedBody(Encoding encoding) const
{
    switch (encoding) {
    case EncodingBase64:
        return formatter.format(QString::fromLatin1(content.toBase64()), false);
    case EncodingQuotedPrintable:
        if (contentType.startsWith(QLatin1String("text/"), Qt::CaseInsensitive))
            return quotedPrintableText(content, formatter);
        return formatter.format(QuotedPrintable::encode(content), true);
    case Encoding7Bit:
    case Encoding8Bit:
        break;
    }
    return QString::fromLatin1(bytesBeforeFirstZero(content));
}
