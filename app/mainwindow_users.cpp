#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <cstdlib>

#include <QApplication>
#include <QSignalBlocker>
#include <QTextCursor>

#include "app/editconfirmation.h"
#include "app/focusedwheelfilter.h"
#include "app/textendinview.h"
#include "core/appinfo.h"
#include "core/cmainapp.h"
#include "core/cmsd.h"
#include "core/loggerrecord.h"
#include "dialogs/cprompt.h"
#include "files/cfilemanager.h"
#include "users/cuseradmin.h"
#include "dialogs/cuseradminnewpass.h"
#include "dialogs/cuseradminpass.h"

namespace {

const QString kBuiltInAdmin = QStringLiteral("admin");
const QString kNewUser = QStringLiteral("New User");
const int kPasswordLifetimeDays = 365;
const int kMessageLimit = 512;

std::function<void()> &loginCancelHandler()
{
    static std::function<void()> handler;
    return handler;
}

// Nobody is logged in, so nothing may be saved or written on the way out:
// the process ends where it stands.
void endAtCancelledLogin()
{
    if (loginCancelHandler())
        loginCancelHandler()();
    else
        std::_Exit(EXIT_SUCCESS);
}

QString passwordRuleText()
{
    return QStringLiteral("Password should have at least 6 characters, including minimum 1 digit "
                          "and 1 capital letter.");
}

QString userLine(const QString &login, const QString &change)
{
    return QStringLiteral("User: ") + login + change;
}

QString expiryText(const QDateTime &moment)
{
    return moment.toString(QStringLiteral("hh:mm dd/MM/yyyy"));
}

// While the main window is hidden, closing any dialog would otherwise count
// as closing the last window and end the event loop.
class KeepRunningWhileHidden
{
public:
    KeepRunningWhileHidden() : previous(QApplication::quitOnLastWindowClosed())
    {
        QApplication::setQuitOnLastWindowClosed(false);
    }
    ~KeepRunningWhileHidden() { QApplication::setQuitOnLastWindowClosed(previous); }
    KeepRunningWhileHidden(const KeepRunningWhileHidden &) = delete;
    KeepRunningWhileHidden &operator=(const KeepRunningWhileHidden &) = delete;

private:
    bool previous;
};

}

// ---- audit trail -------------------------------------------------------------

void MainWindow::addAudit(const QString &text)
{
    app->userAdmin->addAuditEntry(text);
    showAuditTrail(QDate::currentDate());
}

void MainWindow::auditUserAction(const QString &text)
{
    if (app->userAdmin->enabled && app->userAdmin->currentUser != -1)
        addAudit(text);
}

void MainWindow::showAuditTrail(const QDate &date)
{
    QPlainTextEdit *view = ui->m_plainTextEditUserAdminAudit;
    view->setPlainText(app->userAdmin->readAuditFile(date));
    TextEndInView::scrollToEnd(view);
}

void MainWindow::on_m_dateEditUserAdminDate_dateTimeChanged(const QDateTime &)
{
    showAuditTrail(ui->m_dateEditUserAdminDate->date());
}

void MainWindow::on_m_pushButtonUserAdminAddAuditMessage_clicked()
{
    restartInactivityCountdown();
    addAudit(QStringLiteral("Message: ") + ui->m_plainTextEditUserAdminMessage->toPlainText());
    ui->m_plainTextEditUserAdminMessage->clear();
}

// Text beyond the limit is taken off before the cursor, where it was typed
// or pasted, in one cut however much was pasted.
void MainWindow::on_m_plainTextEditUserAdminMessage_textChanged()
{
    QPlainTextEdit *box = ui->m_plainTextEditUserAdminMessage;
    int excess = box->toPlainText().size() - kMessageLimit;
    if (excess > 0) {
        const QSignalBlocker blocker(box);
        QTextCursor cursor = box->textCursor();
        while (excess > 0) {
            const int before = qMin(excess, cursor.position());
            if (before > 0)
                cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor, before);
            else
                cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, excess);
            if (!cursor.hasSelection())
                break;
            cursor.removeSelectedText();
            excess = box->toPlainText().size() - kMessageLimit;
        }
        box->setTextCursor(cursor);
    }
    ui->m_pushButtonUserAdminAddAuditMessage->setEnabled(!box->toPlainText().isEmpty());
}

// ---- login and logout ----------------------------------------------------------

void MainWindow::setLoginCancelHandler(std::function<void()> handler)
{
    loginCancelHandler() = std::move(handler);
}

void MainWindow::login()
{
    CUserAdmin *users = app->userAdmin;
    if (!users->enabled)
        return;
    const KeepRunningWhileHidden keepRunning;
    hide();
    for (;;) {
        int index = -1;
        {
            CUserAdminPass dialog;
            if (CPrompt::exec(&dialog) != QDialog::Accepted) {
                if (keepUnsavedTripsAtLogin())
                    continue;
                endAtCancelledLogin();
                return;
            }
            index = users->checkLogin(dialog.enteredUserName(), dialog.enteredPassword());
        }
        if (index >= 0 && renewPasswordIfDue(index)) {
            completeLogin(index);
            return;
        }
    }
}

// Readings never saved exist nowhere else, and their logger may be gone
// already: the program does not end on them, but waits at the login for a
// user who may save them.
bool MainWindow::keepUnsavedTripsAtLogin()
{
    QStringList trips;
    for (const LoggerRecord &record : qAsConst(app->records))
        if (record.unsavedReadings)
            trips << neverSavedText(record);
    if (trips.isEmpty())
        return false;
    CPrompt::warning(this, tr("Warning!\n\n%1.\nThe program does not end while trips never saved are "
                              "held: they are kept for a user who may save them. Log in as such a user "
                              "to save them.")
                               .arg(trips.join(QStringLiteral(".\n"))));
    return true;
}

// False sends the user back to the login dialog with the password unchanged.
bool MainWindow::renewPasswordIfDue(int index)
{
    CUserAdmin *users = app->userAdmin;
    const UserRecord &user = users->users.at(index);
    if (QDate::currentDate() < user.renewalDate)
        return true;
    if (user.login == kBuiltInAdmin && user.password.isEmpty())
        return true;

    CUserAdminNewPass dialog(this, user.login, user.password, user.previousPassword);
    connect(&dialog, &CUserAdminNewPass::warningRaised, &dialog,
            [&dialog](const QString &text) { CPrompt::warning(&dialog, text); });
    if (CPrompt::exec(&dialog) != QDialog::Accepted)
        return false;
    const QString password = dialog.newPassword();
    if (!CUserAdmin::isPasswordValid(password)) {
        CPrompt::information(this, passwordRuleText());
        return false;
    }
    UserRecord &changed = users->users[index];
    changed.previousPassword = changed.password;
    changed.password = password;
    changed.renewalDate = QDate::currentDate().addDays(kPasswordLifetimeDays);
    saveUserStore();
    // nobody is logged in yet: the header names the user whose password it is
    users->addAuditEntryFor(index, userLine(changed.login, QStringLiteral(" Change password: **** --> ****")));
    showAuditTrail(QDate::currentDate());
    return true;
}

void MainWindow::completeLogin(int index)
{
    CUserAdmin *users = app->userAdmin;
    users->setCurrentUser(index);
    setWindowTitle(AppInfo::windowTitle()
                   + tr(" User: %1 (#%2)")
                         .arg(users->currentUserLogin(), QString::number(users->currentEmployeeNumber())));
    const bool admin = users->isAdmin();
    showPagesForMode();
    ui->m_tabWidget->setTabEnabled(ui->m_tabWidget->indexOf(ui->m_tabUserAdmin), admin);
    if (!admin && ui->m_tabWidget->currentWidget() == ui->m_tabUserAdmin)
        ui->m_tabWidget->setCurrentWidget(ui->m_tabHome);
    ui->m_dateEditUserAdminDate->setDateTime(QDateTime::currentDateTime());
    users->resetLogoutCountdown();
    addAudit(QStringLiteral("Login"));
    updateActions();
    on_m_listWidgetUserAdminList_itemSelectionChanged();
    // the data pages and the list's alarm lights follow the rights of the
    // user now logged in
    if (validRow(currentLoggerRow()))
        viewsDirty = true;
    loggerTableDirty = true;
    fillLoggerTable(false);
    if (app->msd)
        app->msd->resume();
    show();
}

void MainWindow::on_m_actionLogout_triggered()
{
    CUserAdmin *users = app->userAdmin;
    if (!users->enabled || users->currentUser == -1)
        return;
    // the logout lets go of the loggers: a programming under way is cut, and
    // its line comes before the user's last
    loggerWriter.abandonProgramming();
    endDownloadsAtLogout();
    users->addAuditEntry(QStringLiteral("Logout"));
    users->logoutRequested = true;
}

// The logout step of the fast timer: the Logout action's or the inactivity
// countdown's. Both flags are cleared before anything that may run the
// event loop, so that no tick serves the same logout twice.
void MainWindow::serveLogout()
{
    CUserAdmin *users = app->userAdmin;
    if (!users->logoutRequested)
        return;
    const CUserAdmin::ActingUser sessionChange(users, CUserAdmin::ActingUser::SessionChange);
    const bool automatic = users->autoLogout;
    users->logoutRequested = false;
    users->autoLogout = false;
    dropEditsInProgress();
    loggerWriter.abandonProgramming();
    endDownloadsAtLogout();
    // a trail that cannot be written says so in a box, whose event loop
    // runs this timer again: the flags are already cleared by then
    if (automatic)
        users->addAuditEntry(QStringLiteral("Auto Logout"));
    // This step may run inside a dialog's or a box's event loop: what the
    // user left open closes as its Cancel would, and its caller, which goes
    // on only once the next user has logged in, takes it as cancelled.
    CPrompt::dismissOpen();
    closeFilesAtLogout();
    forgetLoggerSessionAtLogout();
    users->currentUser = -1;
    if (app->msd)
        app->msd->pause();
    releaseLoggersAtLogout();
    loggerWriter.forgetTransfersAtLogout();
    login();
}

// The failures not yet told are the leaving user's too: their boxes would
// speak to the next one.
void MainWindow::endDownloadsAtLogout()
{
    downloadFailed = false;
    const QStringList serials = std::exchange(failedDownloads, {}) + app->endDownloadsUntold();
    for (const QString &serial : serials)
        auditFailedDownload(serial);
}

// An edit not confirmed when its user leaves is dropped, as Cancel would
// drop it: the fields show what is stored again before anything (a box,
// the window hidden for the login) can end their editing for nobody.
void MainWindow::dropEditsInProgress()
{
    ui->m_lineEditComment->setModified(false);
    showRecordComment();
    ui->m_plainTextEditUserAdminMessage->clear();
    on_m_listWidgetUserAdminList_itemSelectionChanged();
}

// Edits count while their user is logged in and not on the way out: one
// finished after the logout line, or for nobody, is not taken.
bool MainWindow::sessionTakesEdits() const
{
    const CUserAdmin *users = app->userAdmin;
    return !users->enabled || (users->currentUser != -1 && !users->logoutRequested);
}

// Readings that were downloaded and never saved exist nowhere else once
// their logger is gone; they stay for the next user instead of being lost.
void MainWindow::closeFilesAtLogout()
{
    for (int row = app->records.size() - 1; row >= 0; --row) {
        const LoggerRecord &record = app->records.at(row);
        if (record.fromFile && !record.unsavedReadings)
            removeRecord(row);
    }
    if (app->records.isEmpty())
        app->currentRecord = -1;
    fillLoggerTable(false);
    viewsDirty = true;
}

// Every logger is let go so that the next user starts afresh; its port is
// not held as after Disconnect Logger, so the scanner finds it again.
void MainWindow::releaseLoggersAtLogout()
{
    const QSet<QString> heldByUser = app->disconnectedPorts;
    app->holdTripsAtLogout();
    for (LoggerRecord &record : app->records)
        if (!record.portName.isEmpty())
            record.disconnectRequested = true;
    app->pollLoggers();
    app->disconnectedPorts = heldByUser;
    fillLoggerTable(false);
}

// ---- backup and restore ----------------------------------------------------------

// The line stands in the trail before the folder is chosen, so the backup
// made by the action holds it too. "" when the user cancels.
QString MainWindow::chooseUserDirFolder(const QString &auditText, const QString &caption)
{
    restartInactivityCountdown();
    if (!app->userAdmin->enabled || !app->userAdmin->isAdmin())
        return QString();
    app->macAddress();
    addAudit(auditText + QStringLiteral(" Audit Trail: (MAC:") + app->hardwareAddress
             + QLatin1Char(')'));
    return CPrompt::existingDirectory(this, caption.arg(AppInfo::productTitle()), QString());
}

void MainWindow::on_m_actionBackup_triggered()
{
    const QString folder =
        chooseUserDirFolder(QStringLiteral("Backup"), tr("%1 Backup Destination Path"));
    if (folder.isEmpty())
        return;
    QString reason;
    if (app->userAdmin->backup(folder, &reason))
        CPrompt::information(this, tr("Backup done.\n") + folder + tr("\nSuccess"));
    else
        CPrompt::warning(this, tr("Backup Failed.\nError") + QStringLiteral("\n\n") + reason);
}

// The restore may end the session of its user: the lines of the action,
// that session's Logout included, name who restored.
void MainWindow::on_m_actionRestore_triggered()
{
    const CUserAdmin::ActingUser acting(app->userAdmin);
    const QString folder = chooseUserDirFolder(QStringLiteral("Restore"), tr("%1 Restore Path"));
    if (folder.isEmpty())
        return;
    QString reason;
    if (!app->userAdmin->restore(folder, &reason)) {
        CPrompt::warning(this, tr("Restore Failed.\nError") + QStringLiteral("\n\n") + reason);
        return;
    }
    // A box closed by a logout was read by nobody, and the window would close
    // under the next user right after the login: it is told to whoever is
    // there now. Its only button answers otherwise.
    const QString restart = tr("Restore done.\n") + folder + tr("\nSuccess\nRestart the Application...");
    while (CPrompt::information(this, restart) == QMessageBox::Cancel) {
    }
    if (!close())
        showRestoredUsers();
}

// The window stays when its closing was refused (a download left unsaved):
// the session goes on with the restored users, or ends when the user who
// restored them is not among them.
void MainWindow::showRestoredUsers()
{
    CUserAdmin *users = app->userAdmin;
    fillUserList();
    fillUserAdminPage();
    showAuditTrail(QDate::currentDate());
    if (users->currentUser == -1) {
        users->addAuditEntry(QStringLiteral("Logout"));
        users->logoutRequested = true;
    } else
        updateActions();
}

// ---- the user page -------------------------------------------------------------------

// The page must fit the window's default size. The message box would ask
// for more height than there is (it grows with the window), and the unlock
// choice, never shown, must leave the layout before the page is first laid
// out: hiding it later, while the page is not on screen, would leave its
// room taken.
void MainWindow::fitUserPage()
{
    ui->m_plainTextEditUserAdminMessage->setMinimumHeight(40);
    ui->m_labelUAUnlock->hide();
    ui->m_radioButtonUserAdminUnlockUser->hide();
    ui->m_radioButtonUserAdminUnlockAdmin->hide();
    TextEndInView::install(ui->m_plainTextEditUserAdminAudit);
    // each confirmation of these fields is saved and may write a line or
    // show a box: the focus leaving after Return is no second one
    for (QLineEdit *field : { ui->m_lineEditUserAdminUserName, ui->m_lineEditUserAdminFirstName,
                              ui->m_lineEditUserAdminLastName, ui->m_lineEditUserAdminPassword,
                              ui->m_lineEditUserAdminPassword2, ui->m_lineEditUserAdminTimeOut })
        EditConfirmation::watch(field);
    // a notch over a field passing under the pointer would change a user
    FocusedWheelFilter::install(ui->m_tabUserAdmin);
}

void MainWindow::fillUserList()
{
    const CUserAdmin *users = app->userAdmin;
    QListWidget *list = ui->m_listWidgetUserAdminList;
    list->clear();
    for (const UserRecord &user : users->users)
        list->addItem(user.login);
    for (const UserRecord &user : users->removedUsers)
        list->addItem(user.login + QStringLiteral("-Disable"));
    list->setCurrentRow(-1);
}

// A row of a removed user selects nobody: such users cannot be edited.
int MainWindow::selectedUserIndex() const
{
    const int row = ui->m_listWidgetUserAdminList->currentRow();
    return row >= 0 && row < app->userAdmin->users.size() ? row : -1;
}

// The user a page edit applies to: -1 while the page is being filled or no
// editable user is selected. An edit counts as the user's activity.
int MainWindow::editedUserIndex()
{
    if (updatingUserAdminPage || !sessionTakesEdits())
        return -1;
    const int index = selectedUserIndex();
    if (index >= 0)
        restartInactivityCountdown();
    return index;
}

void MainWindow::fillUserAdminPage()
{
    CUserAdmin *users = app->userAdmin;
    updatingUserAdminPage = true;
    expiryEditedOnPage = false;
    ui->m_pushButtonUserAdminAddAuditMessage->setEnabled(
        !ui->m_plainTextEditUserAdminMessage->toPlainText().isEmpty());
    ui->m_lineEditUserAdminTimeOut->setText(QString::number(users->logoutMinutes));

    const int index = selectedUserIndex();
    const bool selected = index >= 0;
    // the logged-in administrator cannot remove themselves nor change their
    // own rights, active state or password duration
    const bool removable = selected && index != users->currentUser;
    ui->m_pushButtonUserAdminRemove->setEnabled(removable);
    QWidget *userFields[] = { ui->m_lineEditUserAdminUserName, ui->m_lineEditUserAdminFirstName,
                              ui->m_lineEditUserAdminLastName, ui->m_lineEditUserAdminPassword,
                              ui->m_lineEditUserAdminPassword2, ui->m_dateTimeEditUserAdminPassExp };
    for (QWidget *field : userFields)
        field->setEnabled(selected);
    ui->m_comboBoxUserAdminEmployeeNb->clear();

    const QVector<RightBox> rights = rightBoxes();
    QRadioButton *radios[] = { ui->m_radioButtonUserAdminActiveYes,
                               ui->m_radioButtonUserAdminActiveNo,
                               ui->m_radioButtonUserAdminUnlockUser,
                               ui->m_radioButtonUserAdminUnlockAdmin };

    if (selected) {
        UserRecord &user = users->users[index];
        ui->m_spinBoxUserAdminPassDuration->setEnabled(removable);
        for (const RightBox &right : rights)
            right.box->setEnabled(removable);
        ui->m_radioButtonUserAdminActiveYes->setEnabled(removable);
        ui->m_radioButtonUserAdminActiveNo->setEnabled(removable);
        ui->m_radioButtonUserAdminUnlockUser->setEnabled(true);
        ui->m_radioButtonUserAdminUnlockAdmin->setEnabled(true);
        // a user's name is fixed once a number is given
        if (!user.employeeNumber.isEmpty())
            ui->m_lineEditUserAdminUserName->setEnabled(false);
        ui->m_lineEditUserAdminUserName->setText(user.login);
        ui->m_lineEditUserAdminFirstName->setText(user.firstName);
        ui->m_lineEditUserAdminLastName->setText(user.lastName);
        // an administrator holds every right through the administrator bit
        if (user.has(UserRecord::RightAdmin))
            user.rights &= quint16(~(UserRecord::RightViewer | UserRecord::RightDownload
                                     | UserRecord::RightConfigure));
        fillUserCombo(index);
        // the login refuses an expired administrator too, who must be able
        // to see why
        const bool expiryShown = !user.has(UserRecord::RightAdmin) || user.expiry.isValid();
        ui->m_dateTimeEditUserAdminPassExp->setVisible(expiryShown);
        ui->m_labelUserAdminPassExp->setVisible(expiryShown);
        showExpiryOf(user);
        ui->m_spinBoxUserAdminPassDuration->setValue(
            int(QDate::currentDate().daysTo(user.renewalDate)));
        for (const auto &widget : rightsWidgets())
            widget.first->setChecked(user.has(widget.second));
        ui->m_radioButtonUserAdminActiveNo->setChecked(!user.has(UserRecord::UserActive));
        ui->m_radioButtonUserAdminUnlockUser->setChecked(!user.has(UserRecord::UnlockAdmin));
        ui->m_pushButtonUserAdminNew->setEnabled(users->isUserComplete(index));
    } else {
        ui->m_spinBoxUserAdminPassDuration->setEnabled(false);
        for (const RightBox &right : rights) {
            right.box->setEnabled(false);
            right.box->setChecked(false);
        }
        for (QRadioButton *radio : radios) {
            radio->setEnabled(false);
            radio->setChecked(false);
        }
        for (QLineEdit *field : { ui->m_lineEditUserAdminUserName, ui->m_lineEditUserAdminFirstName,
                                  ui->m_lineEditUserAdminLastName, ui->m_lineEditUserAdminPassword,
                                  ui->m_lineEditUserAdminPassword2 })
            field->clear();
        ui->m_dateTimeEditUserAdminPassExp->setDateTime(QDateTime::currentDateTime());
        ui->m_spinBoxUserAdminPassDuration->setValue(0);
        ui->m_pushButtonUserAdminNew->setEnabled(true);
    }
    updatingUserAdminPage = false;
}

void MainWindow::on_m_listWidgetUserAdminList_itemSelectionChanged()
{
    fillUserAdminPage();
    ui->m_lineEditUserAdminPassword->clear();
    ui->m_lineEditUserAdminPassword2->clear();
    const int index = selectedUserIndex();
    if (index < 0)
        return;
    const QString password = app->userAdmin->users.at(index).password;
    if (!password.isEmpty()) {
        ui->m_lineEditUserAdminPassword->setText(password);
        ui->m_lineEditUserAdminPassword2->setText(password);
    }
}

void MainWindow::on_m_listWidgetUserAdminList_doubleClicked(const QModelIndex &) {}

void MainWindow::saveUserStore()
{
    if (!app->userAdmin->saveUsers(app->userAdmin->storePath))
        warnUserStoreNotSaved();
}

void MainWindow::warnUserStoreNotSaved()
{
    CPrompt::warning(this, tr("Warning!\n\nThe user file\n%1\ncould not be written. The "
                              "change holds until the program ends.")
                               .arg(app->userAdmin->storePath));
}

// The widgets that stand for a bit of the rights word; a pair's other
// button shows the opposite.
QVector<QPair<QAbstractButton *, quint16>> MainWindow::rightsWidgets() const
{
    QVector<QPair<QAbstractButton *, quint16>> widgets;
    for (const RightBox &right : rightBoxes())
        widgets.append({ right.box, right.bit });
    widgets.append({ ui->m_radioButtonUserAdminUnlockAdmin, UserRecord::UnlockAdmin });
    widgets.append({ ui->m_radioButtonUserAdminActiveYes, UserRecord::UserActive });
    return widgets;
}

quint16 MainWindow::rightsFromPage() const
{
    quint16 rights = 0;
    for (const auto &widget : rightsWidgets())
        if (widget.first->isChecked())
            rights |= widget.second;
    return rights;
}

// A user without an expiry cannot log in, as one whose expiry has passed,
// but has nothing to write to the trail: the edit shows now, quietly, and
// never the previous user's moment, which it would otherwise keep.
void MainWindow::showExpiryOf(const UserRecord &user)
{
    QDateTimeEdit *edit = ui->m_dateTimeEditUserAdminPassExp;
    if (user.expiry.isValid()) {
        edit->setDateTime(user.expiry);
        return;
    }
    const QSignalBlocker quiet(edit);
    edit->setDateTime(QDateTime::currentDateTime());
}

bool MainWindow::applyUserAdminEdit()
{
    if (updatingUserAdminPage)
        return false;
    const int index = selectedUserIndex();
    if (index < 0)
        return false;
    CUserAdmin *users = app->userAdmin;
    QLineEdit *password = ui->m_lineEditUserAdminPassword;
    QLineEdit *repeated = ui->m_lineEditUserAdminPassword2;
    if (passwordFieldsDisagree()) {
        password->clear();
        repeated->clear();
        CPrompt::warning(this, tr("Warning!\n\nPassword incorrect, please retry..."));
        fillUserAdminPage();   // the page shows the user as stored again
        return false;
    }
    // A password set here must be changed by its user at the next login;
    // the duration's slot writes that to the trail. The fields hold the
    // stored password whenever a user is selected: that one is no change.
    const QString changed = passwordChangedOnPage(index);
    if (!changed.isEmpty() && users->users.at(index).login != kBuiltInAdmin)
        ui->m_spinBoxUserAdminPassDuration->setValue(0);

    UserRecord &user = users->users[index];
    user.login = ui->m_lineEditUserAdminUserName->text();
    user.firstName = ui->m_lineEditUserAdminFirstName->text();
    user.lastName = ui->m_lineEditUserAdminLastName->text();
    if (!changed.isEmpty())
        user.password = changed;
    if (expiryEditedOnPage)
        user.expiry = ui->m_dateTimeEditUserAdminPassExp->dateTime();
    user.renewalDate = QDate::currentDate().addDays(ui->m_spinBoxUserAdminPassDuration->value());
    user.rights = rightsFromPage();
    saveUserStore();
    // the refill folds an administrator's other rights into the admin bit, as
    // for every user the page shows
    fillUserAdminPage();
    return true;
}

// The password both fields agree on when it is not the stored one; "" for
// empty or different fields. A password longer than the fields shows cut:
// left as shown, it is the stored one, which the login still asks for whole.
QString MainWindow::passwordChangedOnPage(int index) const
{
    const QString typed = ui->m_lineEditUserAdminPassword->text();
    if (typed != ui->m_lineEditUserAdminPassword2->text())
        return QString();
    const QString stored = app->userAdmin->users.at(index).password;
    return typed == stored.left(ui->m_lineEditUserAdminPassword->maxLength()) ? QString() : typed;
}

bool MainWindow::passwordFieldsDisagree() const
{
    const QString typed = ui->m_lineEditUserAdminPassword->text();
    const QString repeated = ui->m_lineEditUserAdminPassword2->text();
    return !typed.isEmpty() && !repeated.isEmpty() && typed != repeated;
}

// Two different passwords on the page make the apply refuse any edit, with
// its warning, and show the user as stored again. A slot asks first, so
// that no line in the trail tells of a change that was not made.
bool MainWindow::editRefusedForPasswords()
{
    if (!passwordFieldsDisagree())
        return false;
    applyUserAdminEdit();
    return true;
}

void MainWindow::on_m_lineEditUserAdminUserName_editingFinished()
{
    if (!EditConfirmation::isNew(ui->m_lineEditUserAdminUserName))
        return;
    const int index = editedUserIndex();
    if (index < 0)
        return;
    CUserAdmin *users = app->userAdmin;
    QLineEdit *field = ui->m_lineEditUserAdminUserName;
    const QString old = users->users.at(index).login;
    const QString name = field->text();
    if (name == old) {
        applyUserAdminEdit();
        return;
    }
    if (name.isEmpty() || users->indexOfLogin(name) != -1) {
        field->setText(old);
        return;
    }
    // such a name marks an entry still being created, which is never stored
    if (name.contains(kNewUser)) {
        field->setText(old);
        CPrompt::warning(this, tr("Warning!\n\nA user name cannot contain \"%1\".").arg(kNewUser));
        return;
    }
    if (editRefusedForPasswords())
        return;
    addAudit(userLine(old, QStringLiteral(" Change user name: ") + old + QStringLiteral("-->") + name));
    if (QListWidgetItem *item = ui->m_listWidgetUserAdminList->item(index))
        item->setText(name);
    applyUserAdminEdit();
}

void MainWindow::applyNameEdit(QLineEdit *field, QString UserRecord::*name,
                               const QString &change)
{
    if (!EditConfirmation::isNew(field))
        return;
    const int index = editedUserIndex();
    if (index < 0)
        return;
    const QString old = app->userAdmin->users.at(index).*name;
    const QString fresh = field->text();
    if (fresh == old || editRefusedForPasswords())
        return;
    addAudit(userLine(app->userAdmin->users.at(index).login,
                      change + old + QStringLiteral("-->") + fresh));
    applyUserAdminEdit();
}

void MainWindow::on_m_lineEditUserAdminFirstName_editingFinished()
{
    applyNameEdit(ui->m_lineEditUserAdminFirstName, &UserRecord::firstName,
                  QStringLiteral(" Change first name: "));
}

void MainWindow::on_m_lineEditUserAdminLastName_editingFinished()
{
    applyNameEdit(ui->m_lineEditUserAdminLastName, &UserRecord::lastName,
                  QStringLiteral(" Change last name: "));
}

void MainWindow::on_m_lineEditUserAdminPassword_editingFinished()
{
    if (!EditConfirmation::isNew(ui->m_lineEditUserAdminPassword) || editedUserIndex() < 0)
        return;
    applyUserAdminEdit();
}

void MainWindow::on_m_lineEditUserAdminPassword_textChanged(const QString &text)
{
    if (text.isEmpty())
        ui->m_lineEditUserAdminPassword2->clear();
}

// Only a password other than the stored one is a change, and only such a
// change is written to the trail; the password never is. Leaving the
// fields as they were shown writes nothing and makes nothing due.
void MainWindow::on_m_lineEditUserAdminPassword2_editingFinished()
{
    if (!EditConfirmation::isNew(ui->m_lineEditUserAdminPassword2))
        return;
    const int index = editedUserIndex();
    if (index < 0)
        return;
    const QString changed = passwordChangedOnPage(index);
    if (CUserAdmin::isPasswordValid(changed)) {
        addAudit(userLine(app->userAdmin->users.at(index).login,
                          QStringLiteral(" Change password: **** --> ****")));
    } else if (!changed.isEmpty()) {
        CPrompt::information(this, passwordRuleText());
        ui->m_lineEditUserAdminPassword->clear();
        ui->m_lineEditUserAdminPassword2->clear();
    }
    applyUserAdminEdit();
}

void MainWindow::fillUserCombo(int index)
{
    QComboBox *combo = ui->m_comboBoxUserAdminEmployeeNb;
    const bool wasUpdating = updatingForm;
    updatingForm = true;
    bool chosen = false;
    const QStringList choices = app->userAdmin->employeeNumberChoices(index, &chosen);
    combo->clear();
    combo->addItems(choices);
    if (!chosen)
        combo->setCurrentIndex(-1);
    updatingForm = wasUpdating;
}

void MainWindow::on_m_comboBoxUserAdminEmployeeNb_currentIndexChanged(const QString &text)
{
    if (updatingForm || text.isEmpty())
        return;
    const int index = editedUserIndex();
    if (index < 0 || editRefusedForPasswords())
        return;
    UserRecord &user = app->userAdmin->users[index];
    const QString old = user.employeeNumber;
    user.employeeNumber = text;
    addAudit(userLine(user.login, QStringLiteral(" Change employee ID: ") + old
                                      + QStringLiteral("-->") + text));
    applyUserAdminEdit();
}

// Only the administrator's change counts: the page shows a passed expiry as
// it stands, which tells why the user cannot log in, and showing it changes
// and writes nothing. A moment changed to one not ahead becomes now. A
// moment that reads as the stored one (the field shows no seconds) is no
// change: nothing is stored that the trail would not tell.
void MainWindow::on_m_dateTimeEditUserAdminPassExp_dateTimeChanged(const QDateTime &)
{
    const int index = editedUserIndex();
    if (index < 0 || editRefusedForPasswords())
        return;
    QDateTimeEdit *edit = ui->m_dateTimeEditUserAdminPassExp;
    const QDateTime now = QDateTime::currentDateTime();
    if (!(edit->dateTime() > now)) {
        const QSignalBlocker blocker(edit);
        edit->setDateTime(now);
    }
    const UserRecord &user = app->userAdmin->users.at(index);
    if (expiryText(edit->dateTime()) == expiryText(user.expiry))
        return;
    expiryEditedOnPage = true;
    addAudit(userLine(user.login, QStringLiteral(" Change expiration date: ") + expiryText(user.expiry)
                                      + QStringLiteral("-->") + expiryText(edit->dateTime())));
    applyUserAdminEdit();
}

// Any applied edit of a user with a password sets the duration to 0 and
// runs this slot again inside the apply: each value gets its line, in the
// order the values were taken.
void MainWindow::on_m_spinBoxUserAdminPassDuration_valueChanged(int value)
{
    const int index = editedUserIndex();
    if (index < 0 || editRefusedForPasswords())
        return;
    UserRecord &user = app->userAdmin->users[index];
    user.renewalDate = QDate::currentDate().addDays(value);
    addAudit(userLine(user.login, QStringLiteral(" Change password duration: ")
                                      + QString::number(value) + QStringLiteral(" days")));
    applyUserAdminEdit();
}

// A user keeps at least one right; any right but Administrator makes an
// administrator a user with just the rights checked, and Administrator
// takes the place of the others. Each right the click changed gets its
// line, the clicked one first.
void MainWindow::applyRightClick(QCheckBox *box, bool checked)
{
    const int index = editedUserIndex();
    if (index < 0)
        return;
    const CUserAdmin::ActingUser acting(app->userAdmin);
    const QVector<RightBox> boxes = rightBoxes();
    if (!checked) {
        bool another = false;
        for (const RightBox &other : boxes)
            another = another || (other.box != box && other.box->isChecked());
        if (!another) {
            box->setChecked(true);
            return;
        }
    }
    if (box != ui->m_checkBoxUserAdminAccessAdmin)
        ui->m_checkBoxUserAdminAccessAdmin->setChecked(false);
    const quint16 before = app->userAdmin->users.at(index).rights;
    if (!applyUserAdminEdit())
        return;
    const UserRecord &user = app->userAdmin->users.at(index);
    auto line = [&user](const RightBox &right, bool enabled) {
        return userLine(user.login, QStringLiteral(" Change %1 access level: %2")
                                        .arg(right.name, enabled ? QStringLiteral("Enable")
                                                                 : QStringLiteral("Disable")));
    };
    QStringList lines;
    for (const RightBox &right : boxes) {
        const bool now = user.has(right.bit);
        if (right.box == box)
            lines.prepend(line(right, checked));
        else if (now != ((before & right.bit) != 0))
            lines.append(line(right, now));
    }
    for (const QString &text : qAsConst(lines))
        addAudit(text);
}

QVector<MainWindow::RightBox> MainWindow::rightBoxes() const
{
    return { { ui->m_checkBoxUserAdminAccessAdmin, UserRecord::RightAdmin, QStringLiteral("admin") },
             { ui->m_checkBoxUserAdminAccessViewer, UserRecord::RightViewer, QStringLiteral("viewer") },
             { ui->m_checkBoxUserAdminAccessDownload, UserRecord::RightDownload,
               QStringLiteral("download") },
             { ui->m_checkBoxUserAdminAccessConfigure, UserRecord::RightConfigure,
               QStringLiteral("configure") } };
}

void MainWindow::on_m_checkBoxUserAdminAccessAdmin_clicked(bool checked)
{
    applyRightClick(ui->m_checkBoxUserAdminAccessAdmin, checked);
}

void MainWindow::on_m_checkBoxUserAdminAccessViewer_clicked(bool checked)
{
    applyRightClick(ui->m_checkBoxUserAdminAccessViewer, checked);
}

void MainWindow::on_m_checkBoxUserAdminAccessDownload_clicked(bool checked)
{
    applyRightClick(ui->m_checkBoxUserAdminAccessDownload, checked);
}

void MainWindow::on_m_checkBoxUserAdminAccessConfigure_clicked(bool checked)
{
    applyRightClick(ui->m_checkBoxUserAdminAccessConfigure, checked);
}

// The pair is not exclusive by itself: a click toggles the clicked button
// and the other takes the opposite state. The line names the state the
// user now has, whichever button was clicked.
void MainWindow::applyActiveClick(QRadioButton *clicked, QRadioButton *other)
{
    const int index = editedUserIndex();
    if (index < 0)
        return;
    const CUserAdmin::ActingUser acting(app->userAdmin);
    other->setChecked(!clicked->isChecked());
    if (!applyUserAdminEdit())
        return;
    const bool active = app->userAdmin->users.at(index).has(UserRecord::UserActive);
    addAudit(userLine(app->userAdmin->users.at(index).login,
                      active ? QStringLiteral(" Change active: Yes")
                             : QStringLiteral(" Change active: No")));
}

void MainWindow::on_m_radioButtonUserAdminActiveYes_clicked()
{
    applyActiveClick(ui->m_radioButtonUserAdminActiveYes, ui->m_radioButtonUserAdminActiveNo);
}

void MainWindow::on_m_radioButtonUserAdminActiveNo_clicked()
{
    applyActiveClick(ui->m_radioButtonUserAdminActiveNo, ui->m_radioButtonUserAdminActiveYes);
}

void MainWindow::applyUnlockClick(QRadioButton *clicked, QRadioButton *other)
{
    if (editedUserIndex() < 0)
        return;
    other->setChecked(!clicked->isChecked());
    applyUserAdminEdit();
}

void MainWindow::on_m_radioButtonUserAdminUnlockUser_clicked()
{
    applyUnlockClick(ui->m_radioButtonUserAdminUnlockUser, ui->m_radioButtonUserAdminUnlockAdmin);
}

void MainWindow::on_m_radioButtonUserAdminUnlockAdmin_clicked()
{
    applyUnlockClick(ui->m_radioButtonUserAdminUnlockAdmin, ui->m_radioButtonUserAdminUnlockUser);
}

void MainWindow::on_m_pushButtonUserAdminNew_clicked()
{
    restartInactivityCountdown();
    CUserAdmin *users = app->userAdmin;
    const CUserAdmin::ActingUser acting(users);
    const bool saved = users->addUser(kNewUser);
    fillUserList();
    ui->m_listWidgetUserAdminList->setCurrentRow(users->users.size() - 1);
    fillUserAdminPage();
    if (!saved)
        warnUserStoreNotSaved();
    addAudit(QStringLiteral("Add new user"));
}

void MainWindow::on_m_pushButtonUserAdminRemove_clicked()
{
    restartInactivityCountdown();
    CUserAdmin *users = app->userAdmin;
    const int index = selectedUserIndex();
    if (index < 0 || index == users->currentUser)
        return;
    const CUserAdmin::ActingUser acting(users);
    UserRecord user = users->users.at(index);
    // the name and number stay taken, unless the entry was never finished
    if (!user.isBeingCreated()) {
        user.rights |= UserRecord::UserRemoved;
        users->removedUsers.append(user);
    }
    users->users.removeAt(index);
    // the logged-in user's record moved up a place; the session keeps it
    if (index < users->currentUser)
        --users->currentUser;
    fillUserList();
    fillUserAdminPage();
    saveUserStore();
    addAudit(QStringLiteral("Remove user: ") + user.login);
}

void MainWindow::on_m_lineEditUserAdminTimeOut_editingFinished()
{
    if (!EditConfirmation::isNew(ui->m_lineEditUserAdminTimeOut) || !sessionTakesEdits())
        return;
    restartInactivityCountdown();
    CUserAdmin *users = app->userAdmin;
    const CUserAdmin::ActingUser acting(users);
    bool number = false;
    const int minutes = qMax(0, ui->m_lineEditUserAdminTimeOut->text().toInt(&number, 10));
    const int stored = number ? minutes : 0;
    ui->m_lineEditUserAdminTimeOut->setText(QString::number(stored));
    // written, restarted and audited even when unchanged: the field was
    // confirmed
    users->logoutMinutes = stored;
    QString reason;
    if (!app->fileManager->writeSettings(app->settingsFilePath(), &reason))
        CPrompt::warning(this, tr("Warning!\n\nThe settings file\n%1\ncould not be written.\n%2")
                                   .arg(app->settingsFilePath(), reason));
    users->resetLogoutCountdown();
    addAudit(tr("Change time out: %1 min").arg(stored));
}
