#pragma once

#include <memory>

#include <QObject>
#include <QString>

#include "core/loggerrecord.h"

class CMainApp;
class MainWindow;
class OutgoingMail;
class QTimer;
class SmtpExchange;

// E-mails one record with the user's SMTP settings: a body that names the
// logger, and the exports that SMTP_ATACHED_FILES selects as attachments.
// Its own 10 ms timer runs one step per tick and the main window's graph
// progress bar follows them; the last step hands the mail to an
// SmtpExchange and waits, ticking idly, for its end.
//
// The exports are written into the mail's private temporary folder and
// removed with it, whatever the outcome. A failure is told to the user. The
// sender deletes itself once done.
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

    // The window's e-mail action: sends the record at row and offers the
    // action again once that sending is over.
    static void sendFromWindow(MainWindow *window, int row);
    // After an automatic download, when the settings ask for it: each
    // record is mailed once.
    static void mailAutomatically(MainWindow *window, int row);

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
    void endExchange(bool sent, const QString &reason);
    void fail(const QString &reason);
    void finish(bool sent);
    void showProgress(int value);

    CMainApp *application;
    QTimer *timer;
    int state = Idle;
    // The record as it was when the sending started: later changes of row or
    // selection do not change what is sent.
    LoggerRecord record;
    bool hasRecord = false;
    QString attachmentFiles[kAttachmentKinds];
    std::shared_ptr<OutgoingMail> mail;
    SmtpExchange *smtp;
};
