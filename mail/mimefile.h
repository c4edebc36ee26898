#pragma once

#include "mail/mimepart.h"

class QFile;

// A body read from a file when the part is rendered. The part owns the file.
class MimeFile : public MimePart
{
public:
    explicit MimeFile(QFile *file);
    ~MimeFile() override;

    void prepare() override;
    bool contentReadable() const override { return !readFailed; }

protected:
    QFile *file;
    bool readFailed = false;
};
