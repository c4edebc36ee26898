#pragma once

#include <memory>

#include <QDialog>
#include <QString>

class MainWindow;
class OutgoingMail;
class QTimer;
class SmtpExchange;

namespace Ui {
class CReport;
}

// The send-report dialog: the user's name, company, address and comment,
// the current logger's password word, the summary of the selected data
// sets, pictures of the graph and of the window, and the current data set go
// to the maker's support mailbox through the system's own account. A 100 ms
// timer runs one step of a send per tick; the last hands the mail to an
// SmtpExchange, and the dialog stays responsive until its end.
//
// Each send builds its own message, and the files it attaches live in a
// private temporary directory that goes with the send, also when the dialog
// is closed half-way. Closing the dialog during the exchange ends that too.
class CReport : public QDialog
{
    Q_OBJECT
public:
    enum State { Idle = 0, Addressing = 10, Composing = 20, Exporting = 30, Sending = 40 };

    // The fixed account the reports go through, and the mailbox they go to.
    struct SupportAccount
    {
        QString host;
        int port = 465;
        QString user;
        QString password;
        QString mailbox;
        QString mailboxName;
    };
    static SupportAccount defaultSupportAccount();

    // The window's timer step: opens the dialog, modal, when the report
    // action asked for it.
    static void serveRequest(MainWindow *window);

    explicit CReport(MainWindow *window);
    ~CReport() override;

    void setSupportAccount(const SupportAccount &account);
    int currentState() const { return state; }
    // Send is offered when name, company and comment are filled in, the
    // address holds an "@", and no send runs.
    void updateSendButton();

public slots:
    void Timer();
    void on_m_lineEditName_textChanged(const QString &text);
    void on_m_lineEditCompany_textChanged(const QString &text);
    void on_m_lineEditEmail_textChanged(const QString &text);
    void on_m_textEditComment_textChanged();
    void on_m_pushButtonSend_clicked();
    // Closing the dialog ends a send where it stands.
    void done(int result) override;

private:
    void address();
    void compose();
    void writeAttachments();
    void exchange();
    void endExchange(bool sent, const QString &reason);
    void makeExchange();
    void endSend();
    void failExport(const QString &reason);
    bool writeAttachmentFiles(QString *error);
    QString body() const;
    QString passwordLine() const;
    QString summaryText() const;

    MainWindow *mainWindow;
    QTimer *timer;
    int state = Idle;
    // the message of the send under way, with its attachments' folder,
    // until the exchange takes it
    std::shared_ptr<OutgoingMail> mail;
    SmtpExchange *smtp = nullptr;
    SupportAccount account;
    Ui::CReport *ui;
};
