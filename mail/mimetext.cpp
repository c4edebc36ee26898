#include "mail/mimetext.h"

#include <QTextCodec>

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
