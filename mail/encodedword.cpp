#include "mail/encodedword.h"

#include <QByteArray>
#include <QStringList>

namespace {

// 45 bytes give 60 Base64 characters: with "=?utf-8?B?" and "?=" a word
// stays within the 75 characters RFC 2047 allows.
constexpr int kBytesPerWord = 45;

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
    return words.join(QLatin1Char(' '));
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
