#pragma once

#include "mail/mimefile.h"

// A file shown inside the message, for example a picture an HTML part refers to.
class MimeInlineFile : public MimeFile
{
public:
    explicit MimeInlineFile(QFile *file);
    ~MimeInlineFile() override;

    void prepare() override;
};
