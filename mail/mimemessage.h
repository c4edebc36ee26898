#pragma once

#include "mail/mimepart.h"

#include <QList>
#include <QObject>
#include <QString>

class EmailAddress;

// One e-mail: sender, recipients, subject and one content part. The message
// owns the multipart it creates for itself, nothing else: the parts, the
// addresses and a content set with setContent stay their caller's (a part
// deleted earlier simply leaves the message).
class MimeMessage : public QObject
{
public:
    enum RecipientType {
        To = 0,
        Cc = 1,
        Bcc = 2
    };

    explicit MimeMessage(bool createAutoMimeContent = true);
    ~MimeMessage() override;

    void setSender(EmailAddress *sender);
    EmailAddress *getSender() const;

    void addRecipient(EmailAddress *recipient, int type = To);
    void addTo(EmailAddress *recipient);
    void addCc(EmailAddress *recipient);
    void addBcc(EmailAddress *recipient);
    const QList<EmailAddress *> &getRecipients(int type = To) const;

    void setSubject(const QString &subject);
    const QString &getSubject() const;

    void setContent(MimePart *content);
    MimePart *getContent() const;
    void addPart(MimePart *part);
    QList<MimePart *> getParts() const;

    void setHeaderEncoding(MimePart::Encoding encoding);

    // The whole message text, one byte per character (codes 0 to 255). With
    // the default header encoding, a subject or a name beyond ASCII goes as
    // encoded words.
    virtual QString toString();

private:
    QString mailboxList(const QList<EmailAddress *> &list) const;
    QString mailbox(const EmailAddress *address) const;
    QString namePart(const QString &name) const;
    QString encodedSubject() const;
    static QString headerText(const QString &ascii, const QString &text);
    static QString dateHeaderValue();

    EmailAddress *sender;
    QList<EmailAddress *> recipientsTo;
    QList<EmailAddress *> recipientsCc;
    QList<EmailAddress *> recipientsBcc;
    QString subject;
    MimePart *content;
    MimePart::Encoding headerEncoding;
};
