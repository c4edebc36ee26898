#pragma once

#include <QObject>
#include <QString>

// Folds an encoded body into lines of at most maxLength characters.
class MimeContentFormatter : public QObject
{
public:
    explicit MimeContentFormatter(int maxLength = 76);

    void setMaxLength(int length);
    int getMaxLength() const;

    // Plain mode breaks hard after every maxLength characters. Quoted-printable
    // mode inserts soft breaks ("=" CR LF) and never splits an "=XX" escape.
    QString format(const QString &content, bool quotedPrintable = false) const;

private:
    QString formatPlain(const QString &content) const;
    QString formatQuotedPrintable(const QString &content) const;

    int maxLength;
};
