#include "mail/encodedword.h"

#include <QByteArray>
#include <QStringList>

namespace {

// 39 bytes give 52 Base64 characters: with "=?utf-8?B?" and "?=" a word of
// 64 characters stays within the 75 that RFC 2047 allows, and "Subject: "
// with its first word within the 76 of a header line that holds one.
constexpr int kBytesPerWord = 39;

QString word(const QByteArray &utf8)
{
    return QStringLiteral("=?utf-8?B?") + QString::fromLatin1(utf8.toBase64()) + QStringLiteral("?=");
}

}

bool EncodedWord::isAscii(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() > 0x7E || (c.unicode() < 0x20 && c != QLatin1Char('\t')))
            return false;
    return true;
}

QString EncodedWord::encode(const QString &text)
{
    if (isAscii(text))
        return text;
    QStringList words;
    QByteArray pending;
    for (int i = 0; i < text.size(); ++i) {
        // a surrogate pair is one character and goes into one word; a lone
        // surrogate is one unit, which must not take the next character along
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const int length = pair ? 2 : 1;
        const QByteArray bytes = text.mid(i, length).toUtf8();
        i += length - 1;
        if (pending.size() + bytes.size() > kBytesPerWord) {
            words << word(pending);
            pending.clear();
        }
        pending += bytes;
    }
    if (!pending.isEmpty())
        words << word(pending);
    // folded between words: a long subject keeps every line of its header
    // short, and a reader drops the fold between two encoded words
    return words.join(QLatin1String("\r\n "));
}

QString EncodedWord::headerLine(const QString &line)
{
    if (isAscii(line))
        return line;
    const int colon = line.indexOf(QLatin1Char(':'));
    if (colon < 0 || !isAscii(line.left(colon)))
        return encode(line);
    return line.left(colon + 1) + QLatin1Char(' ') + encode(line.mid(colon + 1).trimmed());
}
