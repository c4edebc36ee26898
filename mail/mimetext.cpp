#include "mail/mimetext.h"

#include <QTextCodec>

namespace {

// RFC 5322: a line of a message holds at most 998 characters before its
// CR LF; strict servers refuse the whole mail otherwise.
constexpr int kMaxLineLength = 998;

// CR alone ends a line too: the sender turns every line end into CR LF.
int longestLine(const QByteArray &bytes)
{
    int longest = 0;
    int current = 0;
    for (const char c : bytes) {
        current = (c == '\r' || c == '\n') ? 0 : current + 1;
        longest = qMax(longest, current);
    }
    return longest;
}

}

MimeText::MimeText(const QString &txt)
    : text(txt)
{
    contentType = QStringLiteral("text/plain");
    contentCharset = QStringLiteral("utf-8");
    contentEncoding = Encoding8Bit;
}

MimeText::~MimeText() = default;

void MimeText::setText(const QString &txt)
{
    text = txt;
}

const QString &MimeText::getText() const
{
    return text;
}

// The body bytes must match the charset the part announces, or every letter
// beyond Latin-1 would be lost; an unknown charset falls back to UTF-8.
QByteArray MimeText::encodedText() const
{
    QTextCodec *codec = QTextCodec::codecForName(contentCharset.toLatin1());
    if (!codec)
        return text.toUtf8();
    return codec->fromUnicode(text);
}

void MimeText::prepare()
{
    content = encodedText();
    MimePart::prepare();
}

MimePart::Encoding MimeText::transferEncoding() const
{
    const bool lineText = contentEncoding == Encoding7Bit || contentEncoding == Encoding8Bit;
    if (lineText && longestLine(content) > kMaxLineLength)
        return EncodingQuotedPrintable;
    return contentEncoding;
}
