#pragma once

#include "mail/mimepart.h"

#include <QList>

// A body made of other parts between boundary lines. It does not own its parts
// (the message that holds it does); a part deleted meanwhile drops out.
class MimeMultiPart : public MimePart
{
public:
    enum MultiPartType {
        Mixed = 0,
        Digest = 1,
        Alternative = 2,
        Related = 3,
        Report = 4,
        Signed = 5,
        Encrypted = 6
    };

    explicit MimeMultiPart(MultiPartType type = Related);
    ~MimeMultiPart() override;

    void setMimeType(MultiPartType type);
    MultiPartType getMimeType() const;

    void addPart(MimePart *part);
    const QList<MimePart *> &getParts() const;

    void prepare() override;
    bool contentReadable() const override;

    static QString typeName(MultiPartType type);

protected:
    QList<MimePart *> parts;
    MultiPartType type;

private:
    static QString makeBoundary();
};
