#include "mail/mimefile.h"

#include <QFile>
#include <QFileInfo>

MimeFile::MimeFile(QFile *f)
    : file(f)
{
    contentType = QStringLiteral("application/octet-stream");
    if (file)
        contentName = QFileInfo(file->fileName()).fileName();
    contentEncoding = EncodingBase64;
}

MimeFile::~MimeFile()
{
    delete file;
}

void MimeFile::prepare()
{
    content.clear();
    readFailed = !file || !file->open(QIODevice::ReadOnly);
    if (!readFailed) {
        content = file->readAll();
        file->close();
    }
    MimePart::prepare();
}
