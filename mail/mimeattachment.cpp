#include "mail/mimeattachment.h"

MimeAttachment::MimeAttachment(QFile *file)
    : MimeFile(file)
{
}

MimeAttachment::~MimeAttachment() = default;

void MimeAttachment::prepare()
{
    // Rendering again must not repeat the disposition line.
    const QString disposition = QStringLiteral("Content-disposition: attachment");
    if (!header.contains(disposition))
        addHeaderLine(disposition);
    MimeFile::prepare();
}
