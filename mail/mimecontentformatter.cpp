#include "mail/mimecontentformatter.h"

MimeContentFormatter::MimeContentFormatter(int maxLength)
    : maxLength(maxLength)
{
}

void MimeContentFormatter::setMaxLength(int length)
{
    maxLength = length;
}

int MimeContentFormatter::getMaxLength() const
{
    return maxLength;
}

QString MimeContentFormatter::format(const QString &content, bool quotedPrintable) const
{
    return quotedPrintable ? formatQuotedPrintable(content) : formatPlain(content);
}

QString MimeContentFormatter::formatPlain(const QString &content) const
{
    QString out;
    out.reserve(content.size() + 2 * (content.size() / qMax(1, maxLength) + 1));
    int column = 0;
    for (const QChar c : content) {
        ++column;
        if (column > maxLength) {
            out.append(QLatin1String("\r\n"));
            column = 1;
        }
        out.append(c);
    }
    return out;
}

QString MimeContentFormatter::formatQuotedPrintable(const QString &content) const
{
    QString out;
    out.reserve(content.size() + 3 * (content.size() / qMax(1, maxLength - 1) + 1));
    int column = 0;
    for (const QChar c : content) {
        ++column;
        if (c == QLatin1Char('\n')) {
            out.append(c);
            column = 0;
            continue;
        }
        // The "=" of the soft break takes the last column; an escape that
        // would not fit whole before it moves to the next line.
        if (column >= maxLength || (c == QLatin1Char('=') && column >= maxLength - 2)) {
            out.append(QLatin1String("=\r\n"));
            column = 1;
        }
        out.append(c);
    }
    return out;
}
