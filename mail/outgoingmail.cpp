#include "mail/outgoingmail.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "mail/mimeattachment.h"

OutgoingMail::OutgoingMail()
{
    mail.setSender(&sender);
    mail.addRecipient(&recipient, MimeMessage::To);
}

OutgoingMail::~OutgoingMail() = default;

void OutgoingMail::address(const QString &senderAddress, const QString &senderName,
                           const QString &recipientAddress, const QString &recipientName, const QString &subject)
{
    // blanks around a typed address are no part of the mailbox
    sender.setAddress(senderAddress.trimmed());
    sender.setName(senderName);
    recipient.setAddress(recipientAddress.trimmed());
    recipient.setName(recipientName);
    mail.setSubject(subject);
}

void OutgoingMail::setBody(const QString &body)
{
    text.setText(body);
    if (!hasBody)
        mail.addPart(&text);
    hasBody = true;
}

bool OutgoingMail::makeFolder(const QString &prefix)
{
    folder = std::make_unique<QTemporaryDir>(QDir(QDir::tempPath()).filePath(prefix + QStringLiteral("-XXXXXX")));
    return folder->isValid();
}

QString OutgoingMail::folderPath() const
{
    return folder && folder->isValid() ? folder->path() : QString();
}

void OutgoingMail::attach(const QString &path, const QString &contentType)
{
    auto attachment = std::make_unique<MimeAttachment>(new QFile(path));
    if (!contentType.isEmpty())
        attachment->setContentType(contentType);
    mail.addPart(attachment.get());
    attachments.push_back(std::move(attachment));
}
