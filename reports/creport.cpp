#include "reports/creport.h"
#include "ui_creport.h"

#include <QDir>
#include <QTableWidget>
#include <QTimer>

#include "app/mainwindow.h"
#include "core/appinfo.h"
#include "core/cmainapp.h"
#include "core/loggerrecord.h"
#include "dialogs/cprompt.h"
#include "files/appsettings.h"
#include "mail/outgoingmail.h"
#include "mail/smtpexchange.h"
#include "views/ctable.h"

namespace {
const QLatin1String kCrLf("\r\n");
constexpr int kSummaryLabelWidth = 34;

// One summary row of the body: the label padded to 34 characters (a longer
// one is not cut), then the value.
QString summaryLine(const QString &label, const QString &value)
{
    return label.leftJustified(kSummaryLabelWidth, QLatin1Char(' ')) + value + kCrLf;
}
}

CReport::SupportAccount CReport::defaultSupportAccount()
{
    SupportAccount support;
    // no password is built in: the support account answers only where one
    // was set up (tests point the dialog at their own server)
    support.host = DefaultMailAccount::host();
    support.port = DefaultMailAccount::port();
    support.user = DefaultMailAccount::address();
    support.mailbox = DefaultMailAccount::address();
    support.mailboxName = QStringLiteral("Mirelda Support");
    return support;
}

CReport::CReport(MainWindow *window)
    : QDialog(window), mainWindow(window), account(defaultSupportAccount()), ui(new Ui::CReport)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint);
    setWindowTitle(tr("Send Report... %1").arg(AppInfo::windowTitle()));
    // ticks only while a send runs
    timer = new QTimer(this);
    timer->setInterval(100);
    connect(timer, &QTimer::timeout, this, &CReport::Timer);
    makeExchange();
    updateSendButton();
}

// A closed dialog cancels a running exchange, and a later send gets a new
// one that never hears the end of an earlier one.
void CReport::makeExchange()
{
    delete smtp;
    smtp = new SmtpExchange(this);
    connect(smtp, &SmtpExchange::finished, this, &CReport::endExchange);
}

void CReport::serveRequest(MainWindow *window)
{
    if (!window->reportDialogPending.exchange(false))
        return;
    CReport report(window);
    CPrompt::exec(&report);
}

CReport::~CReport()
{
    delete ui;
}

void CReport::setSupportAccount(const SupportAccount &support)
{
    account = support;
}

void CReport::updateSendButton()
{
    ui->m_pushButtonSend->setEnabled(!ui->m_lineEditName->text().isEmpty()
                                     && !ui->m_lineEditCompany->text().isEmpty()
                                     && !ui->m_textEditComment->toPlainText().isEmpty()
                                     && ui->m_lineEditEmail->text().contains(QLatin1Char('@'))
                                     && state == Idle);
}

void CReport::on_m_lineEditName_textChanged(const QString &) { updateSendButton(); }
void CReport::on_m_lineEditCompany_textChanged(const QString &) { updateSendButton(); }
void CReport::on_m_lineEditEmail_textChanged(const QString &) { updateSendButton(); }
void CReport::on_m_textEditComment_textChanged() { updateSendButton(); }

void CReport::on_m_pushButtonSend_clicked()
{
    if (state != Idle)
        return;
    state = Addressing;
    timer->start();
    updateSendButton();
}

void CReport::done(int result)
{
    timer->stop();
    mail.reset();
    if (smtp->isRunning())
        makeExchange();
    state = Idle;
    updateSendButton();
    QDialog::done(result);
}

void CReport::Timer()
{
    switch (state) {
    case Addressing:
        address();
        break;
    case Composing:
        compose();
        break;
    case Exporting:
        writeAttachments();
        break;
    case Sending:
        exchange();
        break;
    default:
        return;
    }
    updateSendButton();
}

void CReport::address()
{
    ui->m_progressBar->setValue(25);
    mail = std::make_shared<OutgoingMail>();
    mail->address(ui->m_lineEditEmail->text(), ui->m_lineEditName->text(), account.mailbox, account.mailboxName,
                     QStringLiteral("Quorvane Report"));
    state = Composing;
}

void CReport::compose()
{
    ui->m_progressBar->setValue(50);
    mail->setBody(body());
    state = Exporting;
}

QString CReport::body() const
{
    return QStringLiteral("Name:     ") + ui->m_lineEditName->text() + kCrLf
           + QStringLiteral("Company: ") + ui->m_lineEditCompany->text() + kCrLf
           + QStringLiteral("EMail:   ") + ui->m_lineEditEmail->text() + kCrLf
           + ui->m_textEditComment->toPlainText() + kCrLf + passwordLine() + kCrLf + summaryText();
}

// The two top bits are the read and write permissions; the decimal shows
// the word without them. It is the word of the logger's image as last read
// from it, set by its last program: not the one its downloaded trip was
// recorded with, nor the record's, which the page's password field changes
// at every keystroke before anything is programmed.
QString CReport::passwordLine() const
{
    const QList<LoggerRecord> &records = mainWindow->app->records;
    const int row = mainWindow->currentLoggerRow();
    if (row < 0 || row >= records.size())
        return QString();
    const quint32 word = records.at(row).asLastRead().passwordWord;
    return QString::asprintf("Password:%08X - %d\r\n", word, int(word & 0x3FFFFFFFu));
}

QString CReport::summaryText() const
{
    CMainApp *app = mainWindow->app;
    QTableWidget table;
    app->table->initSummary(&table, app->selection);
    app->table->fillSummary(&table, app->selection, true);
    auto cellText = [&table](int row, int column) {
        const QTableWidgetItem *item = table.item(row, column);
        return item ? item->text() : QString();
    };
    QString text;
    for (int row = 0; row < table.rowCount(); ++row)
        text += summaryLine(cellText(row, 0), cellText(row, 1));
    return text;
}

void CReport::writeAttachments()
{
    ui->m_progressBar->setValue(75);
    QString error;
    if (!writeAttachmentFiles(&error)) {
        failExport(error);
        return;
    }
    state = Sending;
}

// The graph goes when the window shows one, the data file when the current
// row holds readings: a missing one is left out, a failed one ends the send.
bool CReport::writeAttachmentFiles(QString *error)
{
    if (!mail->makeFolder(QStringLiteral("mirelda-report"))) {
        *error = tr("No temporary folder could be made for the attachments.");
        return false;
    }
    const QDir directory(mail->folderPath());
    const QString picture = QStringLiteral("image/jpg");
    const QString plotPath = directory.filePath(QStringLiteral("plot.jpg"));
    if (mainWindow->plot) {
        if (!mainWindow->writeGraphImage(plotPath, error))
            return false;
        mail->attach(plotPath, picture);
    }
    const QString windowPath = directory.filePath(QStringLiteral("program.jpg"));
    if (!mainWindow->writeWindowImage(windowPath, error))
        return false;
    mail->attach(windowPath, picture);

    const int row = mainWindow->currentLoggerRow();
    const QList<LoggerRecord> &records = mainWindow->app->records;
    if (row < 0 || row >= records.size() || !records.at(row).dataLoaded)
        return true;
    const QString dataPath =
        mainWindow->exportSelectedFile(QStringLiteral("qlf"), directory.path(), records.at(row), error);
    if (dataPath.isEmpty())
        return false;
    mail->attach(dataPath);
    return true;
}

void CReport::exchange()
{
    if (smtp->isRunning())
        return;
    ui->m_progressBar->setValue(75);
    smtp->start({ account.host, account.port, account.user, account.password }, std::move(mail));
}

void CReport::endExchange(bool sent, const QString &reason)
{
    endSend();
    // the box comes last: its event loop must find the send over
    if (sent)
        CPrompt::information(this, QStringLiteral("EMail sent...     Success\n"));
    else
        CPrompt::information(this, QStringLiteral("EMail send Failed...     Error\n") + reason);
}

void CReport::endSend()
{
    timer->stop();
    mail.reset();
    ui->m_progressBar->setValue(100);
    state = Idle;
    updateSendButton();
}

void CReport::failExport(const QString &reason)
{
    endSend();
    CPrompt::warning(this, tr("Warning!\n\nThe report was not sent.\n%1").arg(reason));
}
