#pragma once

#include <memory>
#include <vector>

#include <QObject>
#include <QString>

#include "core/loggerrecord.h"
#include "mail/mimemessage.h"
#include "mail/mimetext.h"
#include "mail/smtpclient.h"

class CMainApp;
class EmailAddress;
class MimeAttachment;
class QTemporaryDir;
class QTimer;

// E-mails one record with the user's SMTP settings: a body that names the
// logger, and the exports that SMTP_ATACHED_FILES selects as attachments.
// Its own 10 ms timer runs one step per tick and the main window's graph
// progress bar follows them; the SMTP exchange blocks the last step.
//
// The exports are written into a private temporary directory and removed
// with it, whatever the outcome. A failure is told to the user. The sender
// deletes itself once done.
class CSendEmail : public QObject
{
    Q_OBJECT
public:
    enum State { Idle = 0, Starting = 10, Exporting = 20, Addressing = 30, Composing = 40, Sending = 50 };

    explicit CSendEmail(CMainApp *parent);
    ~CSendEmail() override;

    // Sends the record at index; the next tick begins.
    void start(int index);

    int currentState() const { return state; }

    // Attachment kinds by bit of SMTP_ATACHED_FILES, and the export each is.
    static constexpr int kAttachmentKinds = 5;
    static QString extensionOfBit(int bit);

signals:
    void finished(bool sent);

public slots:
    void Timer();

private:
    void begin();
    void exportAttachments();
    void address();
    void compose();
    void exchange();
    void fail(const QString &reason);
    void finish();
    void removeExports();
    void showProgress(int value);
    QString exchangeFailure() const;
    void noteSmtpError(SmtpClient::SmtpError error);

    CMainApp *application;
    QTimer *timer;
    int state = Idle;
    // The record as it was when the sending started: later changes of row or
    // selection do not change what is sent.
    LoggerRecord record;
    bool hasRecord = false;
    QString attachmentFiles[kAttachmentKinds];
    bool sent = false;
    std::unique_ptr<SmtpClient> client;
    int lastSmtpError = -1;
    MimeText text;
    MimeMessage message;
    std::vector<std::unique_ptr<EmailAddress>> addresses;
    std::vector<std::unique_ptr<MimeAttachment>> attachments;
    std::unique_ptr<QTemporaryDir> workDir;
};
