#pragma once

#include "mail/mimetext.h"

// A text/html body.
class MimeHtml : public MimeText
{
public:
    explicit MimeHtml(const QString &html = QString());
    ~MimeHtml() override;

    void setHtml(const QString &html);
    const QString &getHtml() const;

    void prepare() override;
};
