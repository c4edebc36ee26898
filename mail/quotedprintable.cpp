#include "mail/quotedprintable.h"

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

bool isLiteral(unsigned char byte)
{
    return byte == ' ' || (byte >= 0x21 && byte <= 0x7E && byte != '=');
}

// Value of a hexadecimal digit, or -1. Lower-case digits are accepted too:
// they are not canonical, but some encoders write them.
int hexValue(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

char latin1Byte(QChar c)
{
    return c.unicode() <= 0xFF ? char(c.unicode()) : char(0);
}

}

QString QuotedPrintable::encode(const QByteArray &input)
{
    QString output;
    output.reserve(input.size() * 3);
    for (const char ch : input) {
        const unsigned char byte = static_cast<unsigned char>(ch);
        if (isLiteral(byte)) {
            output.append(QLatin1Char(ch));
        } else {
            output.append(QLatin1Char('='));
            output.append(QLatin1Char(kHexDigits[byte >> 4]));
            output.append(QLatin1Char(kHexDigits[byte & 0x0F]));
        }
    }
    return output;
}

QByteArray QuotedPrintable::decode(const QString &input)
{
    QByteArray output;
    output.reserve(input.size());
    const int size = input.size();
    int i = 0;
    while (i < size) {
        const QChar c = input.at(i);
        if (c != QLatin1Char('=')) {
            output.append(latin1Byte(c));
            ++i;
            continue;
        }
        // A soft line break joins two lines and stands for nothing.
        if (i + 1 < size && input.at(i + 1) == QLatin1Char('\n')) {
            i += 2;
            continue;
        }
        if (i + 2 < size && input.at(i + 1) == QLatin1Char('\r') && input.at(i + 2) == QLatin1Char('\n')) {
            i += 3;
            continue;
        }
        const int high = i + 1 < size ? hexValue(input.at(i + 1)) : -1;
        const int low = i + 2 < size ? hexValue(input.at(i + 2)) : -1;
        if (high < 0 || low < 0) {
            // Not an escape (a trailing "=" or bad digits): keep the "=" as it
            // stands rather than invent a byte from beyond the text.
            output.append('=');
            ++i;
            continue;
        }
        output.append(char(high * 16 + low));
        i += 3;
    }
    return output;
}
