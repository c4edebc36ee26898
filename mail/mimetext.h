#pragma once

#include "mail/mimepart.h"

// A text/plain body, sent in the charset it declares (utf-8 by default). A
// text with a line too long for a mail goes quoted-printable instead of the
// 7bit or 8bit chosen.
class MimeText : public MimePart
{
public:
    explicit MimeText(const QString &text = QString());
    ~MimeText() override;

    void setText(const QString &text);
    const QString &getText() const;

    void prepare() override;

protected:
    QString text;

    QByteArray encodedText() const;
    Encoding transferEncoding() const override;
};
