#pragma once

#include "mail/mimefile.h"

// A file sent as an attachment.
class MimeAttachment : public MimeFile
{
public:
    explicit MimeAttachment(QFile *file);
    ~MimeAttachment() override;

    void prepare() override;
};
