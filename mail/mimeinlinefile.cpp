#include "mail/mimeinlinefile.h"

MimeInlineFile::MimeInlineFile(QFile *file)
    : MimeFile(file)
{
}

MimeInlineFile::~MimeInlineFile() = default;

void MimeInlineFile::prepare()
{
    // Rendering again must not repeat the disposition line.
    const QString disposition = QStringLiteral("Content-Disposition: inline");
    if (!header.contains(disposition))
        addHeaderLine(disposition);
    MimeFile::prepare();
}
