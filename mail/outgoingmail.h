#pragma once

#include <memory>
#include <vector>

#include <QString>

#include "mail/emailaddress.h"
#include "mail/mimemessage.h"
#include "mail/mimetext.h"

class MimeAttachment;
class QTemporaryDir;

// One e-mail as the program sends it: a sender, one recipient, a subject, a
// text body and files attached from a private temporary folder that goes
// with the mail, whatever becomes of the sending. It is built on the GUI
// thread and then handed whole to SmtpExchange: nothing else touches it
// while the exchange renders and sends it.
class OutgoingMail
{
public:
    OutgoingMail();
    ~OutgoingMail();
    OutgoingMail(const OutgoingMail &) = delete;
    OutgoingMail &operator=(const OutgoingMail &) = delete;

    void address(const QString &senderAddress, const QString &senderName, const QString &recipientAddress,
                 const QString &recipientName, const QString &subject);
    // The text part, which goes before every attachment.
    void setBody(const QString &text);
    // Makes the folder the attachment files are written into, named
    // prefix-XXXXXX in the system's temporary folder; false when it cannot
    // be made.
    bool makeFolder(const QString &prefix);
    // "" before makeFolder.
    QString folderPath() const;
    // The file is read when the message is rendered, on the exchange's thread.
    void attach(const QString &path, const QString &contentType = QString());

    MimeMessage &message() { return mail; }

private:
    // declared first, gone last: no attachment outlives its file
    std::unique_ptr<QTemporaryDir> folder;
    EmailAddress sender;
    EmailAddress recipient;
    MimeMessage mail{ true };
    MimeText text;
    bool hasBody = false;
    std::vector<std::unique_ptr<MimeAttachment>> attachments;
};
