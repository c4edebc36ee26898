#include "mail/mimeattachment.h"

MimeAttachment::MimeAttachment(QFile *file)
    : MimeFile(file)
{
}

MimeAttachment::~MimeAttachment() = default;

void MimeAttachment::prepare()
{
    // Rendering again must not repeat the disposition line. A name beyond
    // ASCII is given here too: readers look for it in the disposition first.
    QString disposition = QStringLiteral("Content-disposition: attachment");
    if (nameBeyondAscii(contentName))
        disposition += nameParameter(QStringLiteral("filename"), contentName);
    if (!header.contains(disposition))
        addHeaderLine(disposition);
    MimeFile::prepare();
}
