#include "mail/mimemultipart.h"

#include <algorithm>

#include <QCryptographicHash>
#include <QRandomGenerator>

MimeMultiPart::MimeMultiPart(MultiPartType t)
{
    setMimeType(t);
    contentEncoding = Encoding8Bit;
    contentBoundary = makeBoundary();
}

MimeMultiPart::~MimeMultiPart() = default;

QString MimeMultiPart::typeName(MultiPartType t)
{
    static const char *const names[] = {
        "multipart/mixed",  "multipart/digest", "multipart/alternative", "multipart/related",
        "multipart/report", "multipart/signed", "multipart/encrypted",
    };
    if (t < Mixed || t > Encrypted)
        return QString();
    return QLatin1String(names[t]);
}

// Sixteen random bytes hashed to 32 hexadecimal digits: a boundary that no
// other multipart of the message and no Base64 line is likely to repeat.
QString MimeMultiPart::makeBoundary()
{
    QByteArray seed(16, '\0');
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(seed.data()), 4);
    return QString::fromLatin1(QCryptographicHash::hash(seed, QCryptographicHash::Md5).toHex());
}

void MimeMultiPart::setMimeType(MultiPartType t)
{
    type = t;
    contentType = typeName(t);
}

MimeMultiPart::MultiPartType MimeMultiPart::getMimeType() const
{
    return type;
}

// A part deleted before the multipart leaves it, so that no rendering
// reaches a part that is gone. The removal is direct: a sent mail is
// deleted whole on the exchange's thread, and a removal queued to the
// multipart's own thread would run while that thread deletes it.
void MimeMultiPart::addPart(MimePart *part)
{
    parts.append(part);
    if (part)
        connect(part, &QObject::destroyed, this, [this, part] { parts.removeAll(part); },
                Qt::DirectConnection);
}

const QList<MimePart *> &MimeMultiPart::getParts() const
{
    return parts;
}

void MimeMultiPart::prepare()
{
    content.clear();
    const QByteArray delimiter = "--" + contentBoundary.toLatin1();
    for (MimePart *part : qAsConst(parts)) {
        content += delimiter + "\r\n";
        part->prepare();
        content += part->toString().toLatin1();
    }
    content += delimiter + "--\r\n";
    MimePart::prepare();
}

bool MimeMultiPart::contentReadable() const
{
    return std::all_of(parts.begin(), parts.end(),
                       [](const MimePart *part) { return part->contentReadable(); });
}
