#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// Quoted-printable form of bytes (RFC 2045). The encoder writes one long line;
// folding into lines is left to MimeContentFormatter.
class QuotedPrintable : public QObject
{
public:
    static QString encode(const QByteArray &input);
    static QByteArray decode(const QString &input);
};
