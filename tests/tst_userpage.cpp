#include "support/testenv.h"
#include "support/useradmintest.h"
#include "support/windowtest.h"

#include <memory>

#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTextDocument>

using WindowTest::finishEditing;
using WindowTest::setUserAdministration;
using WindowTest::turnWheel;

namespace {

constexpr quint16 kAdmin = UserRecord::RightAdmin | UserRecord::UnlockAdmin;

UserRecord stored(const QString &login)
{
    const QList<UserRecord> users = UserStoreFile::read();
    for (const UserRecord &user : users)
        if (user.login == login)
            return user;
    return UserRecord();
}

// The text of each entry of today's trail, in order, without its header.
QStringList auditTexts()
{
    QStringList texts;
    const QStringList entries = UserStoreFile::auditOfToday().split("\r\n\r\n", Qt::SkipEmptyParts);
    for (const QString &entry : entries)
        texts << entry.section("\r\n", 1);
    return texts;
}

// Writes the check file a backup would have for the folder as it stands.
void rewriteCheckFile(const QString &dir)
{
    quint32 sum = 0;
    for (const QString &name : QDir(dir).entryList({ "*.bin", "*Audit*" }, QDir::Files))
        for (const char byte : TestEnv::readFile(dir + '/' + name))
            sum += quint32(qint32(qint8(byte)));
    QVERIFY(TestEnv::writeFile(dir + "/check.txt", QByteArray::number(~sum, 16).toUpper()));
}

// The last entries of today's trail.
QStringList lastAuditTexts(int count)
{
    return auditTexts().mid(qMax(0, auditTexts().size() - count));
}

}

// The page as the administrator "boss" sees it, listed after "admin" and
// "kim", so that a removal can move the logged-in user's place.
class TestUserPage : public QObject
{
    Q_OBJECT

    std::unique_ptr<PromptRecorder> prompts;
    std::unique_ptr<MainWindow> window;
    Ui::MainWindow *ui = nullptr;
    CUserAdmin *users = nullptr;

    void selectUser(const QString &login)
    {
        const QList<QListWidgetItem *> items =
            ui->m_listWidgetUserAdminList->findItems(login, Qt::MatchExactly);
        QVERIFY(!items.isEmpty());
        ui->m_listWidgetUserAdminList->setCurrentItem(items.first());
    }

    bool auditHas(const QString &line) const
    {
        return UserStoreFile::auditOfToday().contains(line);
    }

private slots:

    void init()
    {
        setUserAdministration(true);
        QFile::remove(TestEnv::settingsDir() + "xZdr.ini");
        QDir(UserStoreFile::userDir()).removeRecursively();
        UserRecord kim = UserStoreFile::user("kim", "Kim1pass", "12", UserRecord::RightViewer);
        UserStoreFile::write({ UserStoreFile::user("admin", "Adm1npass", "1", kAdmin), kim,
                               UserStoreFile::user("boss", "Boss1pass", "2", kAdmin) });
        prompts.reset(new PromptRecorder);
        prompts->logins = { { "boss", "Boss1pass" } };
        window.reset(new MainWindow);
        ui = window->ui;
        users = window->app->userAdmin;
        QCOMPARE(users->currentUser, 2);
    }

    void cleanup()
    {
        window.reset();
        prompts.reset();
        setUserAdministration(false);
    }

    void everyEditIsSavedAndAudited()
    {
        selectUser("kim");
        QCOMPARE(ui->m_spinBoxUserAdminPassDuration->value(), 30);
        finishEditing(ui->m_lineEditUserAdminFirstName, "Kimberly");
        QCOMPARE(stored("kim").firstName, QStringLiteral("Kimberly"));
        // kim's password fills both fields: it is no new one, and not due
        QCOMPARE(ui->m_spinBoxUserAdminPassDuration->value(), 30);
        QCOMPARE(stored("kim").renewalDate, QDate::currentDate().addDays(30));
        QCOMPARE(lastAuditTexts(1), QStringList("User: kim Change first name: Kim-->Kimberly"));

        ui->m_checkBoxUserAdminAccessDownload->click();
        QCOMPARE(stored("kim").rights & 0x000F, int(UserRecord::RightViewer | UserRecord::RightDownload));
        QVERIFY(auditHas("User: kim Change download access level: Enable"));
        ui->m_checkBoxUserAdminAccessViewer->click();
        ui->m_checkBoxUserAdminAccessDownload->click();   // the last right stays
        QVERIFY(ui->m_checkBoxUserAdminAccessDownload->isChecked());
        QCOMPARE(stored("kim").rights & 0x000F, int(UserRecord::RightDownload));
        QVERIFY(!auditHas("download access level: Disable"));

        ui->m_radioButtonUserAdminActiveNo->click();
        QVERIFY(!stored("kim").has(UserRecord::UserActive) && auditHas("User: kim Change active: No"));

        ui->m_spinBoxUserAdminPassDuration->setValue(45);
        QCOMPARE(stored("kim").renewalDate, QDate::currentDate().addDays(45));
        QCOMPARE(lastAuditTexts(1), QStringList("User: kim Change password duration: 45 days"));

        const QDateTime expiry = QDateTime::currentDateTime().addDays(60);
        ui->m_dateTimeEditUserAdminPassExp->setDateTime(expiry);
        QCOMPARE(stored("kim").expiry.date(), expiry.date());
        QCOMPARE(UserStoreFile::auditOfToday().count("User: kim Change expiration date: "), 1);

        // a new password set here is due at the next login
        ui->m_lineEditUserAdminPassword->setText("Fresh9pw");
        finishEditing(ui->m_lineEditUserAdminPassword2, "Fresh9pw");
        QCOMPARE(stored("kim").password, QStringLiteral("Fresh9pw"));
        QCOMPARE(stored("kim").renewalDate, QDate::currentDate());
        QCOMPARE(lastAuditTexts(2), QStringList({ "User: kim Change password: **** --> ****",
                                                  "User: kim Change password duration: 0 days" }));
        QVERIFY(!UserStoreFile::auditOfToday().contains("Fresh9pw"));

        finishEditing(ui->m_lineEditUserAdminTimeOut, "5");
        QVERIFY(TestEnv::readFile(window->app->settingsFilePath()).contains("USER_ADMIN_LOGOUT_TIME=5\r\n"));
        QVERIFY(auditHas("Change time out: 5 min"));
        // confirmed unchanged: written, restarted and audited all the same
        QVERIFY(QFile::remove(window->app->settingsFilePath()));
        users->logoutCountdown = 7;
        finishEditing(ui->m_lineEditUserAdminTimeOut, "5");
        QVERIFY(TestEnv::readFile(window->app->settingsFilePath()).contains("USER_ADMIN_LOGOUT_TIME=5\r\n"));
        QCOMPARE(users->logoutCountdown, 300);
        QCOMPARE(UserStoreFile::auditOfToday().count("Change time out: 5 min"), 2);
        finishEditing(ui->m_lineEditUserAdminTimeOut, "ab");
        QCOMPARE(users->logoutMinutes, 0);
        QVERIFY(auditHas("Change time out: 0 min"));

        ui->m_plainTextEditUserAdminMessage->setPlainText(QString(600, QLatin1Char('m')));
        QCOMPARE(ui->m_plainTextEditUserAdminMessage->toPlainText().size(), 512);
        ui->m_plainTextEditUserAdminMessage->setPlainText("Fridge\nchecked");
        ui->m_pushButtonUserAdminAddAuditMessage->click();
        QVERIFY(auditHas("Message: Fridge\r\nchecked\r\n\r\n"));
        QVERIFY(ui->m_plainTextEditUserAdminAudit->toPlainText().contains("Message: Fridge"));
    }

    // A removed user keeps the name and number taken and the session its
    // user; a new one is named and numbered only with what is free.
    void removalAndNewUsersKeepNamesNumbersAndTheSession()
    {
        selectUser("boss");
        QVERIFY(!ui->m_pushButtonUserAdminRemove->isEnabled());
        selectUser("kim");
        ui->m_pushButtonUserAdminRemove->click();
        QCOMPARE(users->currentUserLogin(), QStringLiteral("boss"));
        QCOMPARE(ui->m_listWidgetUserAdminList->item(2)->text(), QStringLiteral("kim-Disable"));
        QVERIFY(stored("kim").has(UserRecord::UserRemoved));
        QVERIFY(auditHas("Remove user: kim"));

        ui->m_pushButtonUserAdminNew->click();
        QCOMPARE(ui->m_listWidgetUserAdminList->currentItem()->text(), QStringLiteral("New User"));
        QVERIFY(!ui->m_pushButtonUserAdminNew->isEnabled());
        QVERIFY(auditHas("Add new user"));
        finishEditing(ui->m_lineEditUserAdminUserName, "kim");   // taken
        QCOMPARE(users->users.last().login, QStringLiteral("New User"));
        QCOMPARE(ui->m_comboBoxUserAdminEmployeeNb->findText("12"), -1);
        ui->m_pushButtonUserAdminRemove->click();   // a new entry goes without a trace
        QCOMPARE(ui->m_listWidgetUserAdminList->count(), 3);

        ui->m_pushButtonUserAdminNew->click();
        finishEditing(ui->m_lineEditUserAdminUserName, "New User 2");
        QVERIFY(prompts->sawBoxContaining("New User"));
        finishEditing(ui->m_lineEditUserAdminUserName, "max");
        QVERIFY(auditHas("User: New User Change user name: New User-->max"));
        QCOMPARE(ui->m_listWidgetUserAdminList->currentItem()->text(), QStringLiteral("max"));
        QCOMPARE(ui->m_comboBoxUserAdminEmployeeNb->findText("2"), -1);   // the session's own
        ui->m_comboBoxUserAdminEmployeeNb->setCurrentText("14");
        QCOMPARE(stored("max").employeeNumber, QStringLiteral("14"));
        QVERIFY(auditHas("User: max Change employee ID: -->14\r\n"));
        QVERIFY(!ui->m_lineEditUserAdminUserName->isEnabled());   // fixed with its number
    }

    void backupRestoresByteForByteAndRefusesAChangedOne()
    {
        QTemporaryDir backup;
        prompts->filesToChoose = QStringList{ backup.path() };
        ui->m_actionBackup->trigger();
        QVERIFY(prompts->sawBoxContaining("Backup done."));
        const QString audit = QStringLiteral("/.QuorvaneAudit-")
                              + QDate::currentDate().toString("yyMMdd") + ".txt";
        const QString userDir = UserStoreFile::userDir();
        QCOMPARE(TestEnv::readFile(backup.filePath("ua.bin")), TestEnv::readFile(UserStoreFile::path()));
        QCOMPARE(TestEnv::readFile(backup.path() + audit.mid(0, 1) + audit.mid(2)), TestEnv::readFile(userDir + audit));
        QVERIFY(TestEnv::readFile(backup.filePath("check.txt")).size() > 0);

        // one changed byte: refused, the user directory untouched
        const QByteArray original = TestEnv::readFile(backup.filePath("ua.bin"));
        QByteArray changed = original;
        changed[changed.size() - 1] = char(changed.at(changed.size() - 1) ^ 1);
        QVERIFY(TestEnv::writeFile(backup.filePath("ua.bin"), changed));
        const QByteArray storeBefore = TestEnv::readFile(UserStoreFile::path());
        QVERIFY(!users->restore(backup.path()));
        QCOMPARE(TestEnv::readFile(UserStoreFile::path()), storeBefore);
        QVERIFY(TestEnv::writeFile(backup.filePath("ua.bin"), original));

        // neither the user directory itself nor a link is taken
        QVERIFY(!users->restore(userDir));
        QVERIFY(QFile::link(UserStoreFile::path(), backup.filePath("linked.bin")));

        const QByteArray trailBackedUp = TestEnv::readFile(userDir + audit);
        selectUser("kim");
        finishEditing(ui->m_lineEditUserAdminFirstName, "Changed");
        ui->m_actionRestore->trigger();
        QVERIFY(prompts->sawBoxContaining("Restart the Application..."));
        QVERIFY(!window->isVisible());
        QCOMPARE(TestEnv::readFile(UserStoreFile::path()), original);
        QVERIFY(QFile::exists(userDir + "/.check.txt"));
        QVERIFY(!QFile::exists(userDir + "/.linked.bin"));
        QCOMPARE(users->users.at(1).firstName, QStringLiteral("Kim"));   // read again
        // the trail keeps what was written since the backup, the restore last
        const QByteArray trail = TestEnv::readFile(userDir + audit);
        QVERIFY(trail.startsWith(trailBackedUp));
        QVERIFY(trail.indexOf("User: kim Change first name: Kim-->Changed", trailBackedUp.size()) > 0);
        QVERIFY(auditTexts().last().startsWith("Restore Audit Trail: (MAC:"));
        QCOMPARE(users->currentUserLogin(), QStringLiteral("boss"));

        QVERIFY(QFile::remove(backup.filePath("check.txt")));
        QVERIFY(!users->restore(backup.path()));
        QVERIFY(QDir().mkdir(backup.filePath("check.txt")));
        QVERIFY(!users->backup(backup.path()));   // no check file, no success
    }

    // A store that passes the check value but does not read as one is
    // refused before anything is replaced: restored, it would let nobody in.
    void aRestoreRefusesAStoreItCannotRead_data()
    {
        QTest::addColumn<QByteArray>("damage");   // the backup's ua.bin; "" the store with two bytes swapped
        QTest::newRow("two bytes swapped") << QByteArray();
        QTest::newRow("a text file") << QByteArray("admin;Adm1npass\r\n");
    }
    void aRestoreRefusesAStoreItCannotRead()
    {
        QFETCH(QByteArray, damage);
        QTemporaryDir backup;
        QVERIFY(users->backup(backup.path()));
        const QString copy = backup.filePath("ua.bin");
        if (damage.isEmpty()) {   // the length of its first text: the byte sum stays
            damage = TestEnv::readFile(copy);
            std::iter_swap(damage.begin(), damage.begin() + 3);
        }
        QVERIFY(TestEnv::writeFile(copy, damage));
        rewriteCheckFile(backup.path());
        const QByteArray working = TestEnv::readFile(UserStoreFile::path());
        prompts->filesToChoose = QStringList{ backup.path() };
        ui->m_actionRestore->trigger();
        QCOMPARE(prompts->boxes.size(), 1);
        QVERIFY2(prompts->boxes.first().text.startsWith("Restore Failed.\nError\n\nThe user file "
                                                        + QDir::toNativeSeparators(copy) + " cannot be read"),
                 qPrintable(prompts->boxes.first().text));
        QCOMPARE(TestEnv::readFile(UserStoreFile::path()), working);
    }

    // A store that reads but lets nobody in (every account closed, an old
    // backup's expired since) is refused the same way.
    void aRestoreRefusesAStoreThatLetsNobodyIn_data()
    {
        QTest::addColumn<int>("expiryDays");   // from now
        QTest::addColumn<bool>("active");
        QTest::newRow("every account expired") << -1 << true;
        QTest::newRow("every account inactive") << 30 << false;
    }
    void aRestoreRefusesAStoreThatLetsNobodyIn()
    {
        QFETCH(int, expiryDays);
        QFETCH(bool, active);
        QTemporaryDir backup;
        QVERIFY(users->backup(backup.path()));
        QList<UserRecord> closed;
        for (UserRecord user : UserStoreFile::read()) {
            user.expiry = QDateTime::currentDateTime().addDays(expiryDays);
            if (!active)
                user.rights &= ~UserRecord::UserActive;
            closed << user;
        }
        const QString copy = backup.filePath("ua.bin");
        QVERIFY(TestEnv::writeFile(copy, UserStoreFile::bytes(closed)));
        rewriteCheckFile(backup.path());
        const QByteArray working = TestEnv::readFile(UserStoreFile::path());
        prompts->filesToChoose = QStringList{ backup.path() };
        ui->m_actionRestore->trigger();
        QCOMPARE(prompts->boxes.size(), 1);
        QVERIFY2(prompts->boxes.first().text.contains("The user file " + QDir::toNativeSeparators(copy)
                                                      + " holds no account that is active and not expired"),
                 qPrintable(prompts->boxes.first().text));
        QCOMPARE(TestEnv::readFile(UserStoreFile::path()), working);
    }

    // A backup says it is done only when its restore would take it; other
    // files in the folder count in a restore, and are named with what to do.
    void aBackupIsDoneOnlyWhenItRestores_data()
    {
        QTest::addColumn<QString>("other");   // a file in the folder before the backup
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("notes") << "notes.txt" << QByteArray("meeting at ten");
        QTest::newRow("hidden") << ".directory" << QByteArray("[Desktop Entry]\nIcon=folder\n");
        QTest::newRow("empty, it adds nothing") << "notes.txt" << QByteArray();
    }
    void aBackupIsDoneOnlyWhenItRestores()
    {
        QFETCH(QString, other);
        QFETCH(QByteArray, content);
        QTemporaryDir backup;
        QVERIFY(TestEnv::writeFile(backup.filePath(other), content));
        prompts->filesToChoose = QStringList{ backup.path() };
        ui->m_actionBackup->trigger();
        QCOMPARE(prompts->boxes.size(), 1);
        const QString text = prompts->boxes.first().text;
        const bool done = text.startsWith("Backup done.");
        QCOMPARE(done, content.isEmpty());
        QVERIFY2(done || (text.contains(" also holds " + other + ", ") && text.contains("choose an empty folder")),
                 qPrintable(text));
        QCOMPARE(users->restore(backup.path()), done);
    }

    // The expiry field shows each user's moment as stored, a passed one and
    // an administrator's too: showing a user, at a selection or at the next
    // login, moves and writes nothing. Only the administrator's change writes
    // its line, a moment not ahead taken as now.
    void theExpiryShowsAsStoredAndOnlyAnEditWritesIt()
    {
        QDateTimeEdit *edit = ui->m_dateTimeEditUserAdminPassExp;
        selectUser("boss");
        QVERIFY(!edit->isHidden() && !ui->m_labelUserAdminPassExp->isHidden());
        QCOMPARE(edit->dateTime(), users->users.at(2).expiry);

        const QDateTime passed = QDateTime::currentDateTime().addDays(-2);
        users->users[1].expiry = passed;
        QVERIFY(users->saveUsers(users->storePath));
        selectUser("kim");
        QCOMPARE(edit->dateTime(), passed);
        finishEditing(ui->m_lineEditUserAdminLastName, "Later");
        ui->m_checkBoxUserAdminAccessAdmin->click();
        QVERIFY(!edit->isHidden());
        QCOMPARE(stored("kim").expiry, passed);
        QVERIFY(!auditHas("Change expiration date"));

        // left selected by the administrator who logs out
        const auto expiryLines = [] { return UserStoreFile::auditOfToday().count("Change expiration date"); };
        const int linesBefore = expiryLines();
        prompts->logins = { { "boss", "Boss1pass" } };
        window->on_m_actionLogout_triggered();
        window->Timer100ms();
        QCOMPARE(prompts->loginDialogs, 2);
        QCOMPARE(users->currentUserLogin(), QStringLiteral("boss"));
        QCOMPARE(ui->m_listWidgetUserAdminList->currentItem()->text(), QStringLiteral("kim"));
        QCOMPARE(edit->dateTime(), passed);
        QCOMPARE(stored("kim").expiry, passed);
        QCOMPARE(expiryLines(), linesBefore);

        edit->setDateTime(passed.addDays(1));
        QVERIFY(edit->dateTime() > passed.addDays(1) && edit->dateTime() <= QDateTime::currentDateTime());
        QCOMPARE(stored("kim").expiry, edit->dateTime());
        const QString format = QStringLiteral("hh:mm dd/MM/yyyy");
        QCOMPARE(lastAuditTexts(1), QStringList("User: kim Change expiration date: " + passed.toString(format)
                                                + "-->" + edit->dateTime().toString(format)));
    }

    // The fields hold 16 characters and show a longer password cut; edits
    // of the user's other fields keep it whole, and say nothing of it.
    void aPasswordLongerThanTheFieldsStaysWhole()
    {
        const QString password = QStringLiteral("Kim1pass-twenty-char");
        QCOMPARE(password.size(), 20);
        users->users[1].password = password;
        QVERIFY(users->saveUsers(users->storePath));
        selectUser("kim");
        QCOMPARE(ui->m_lineEditUserAdminPassword->text(), password.left(16));
        finishEditing(ui->m_lineEditUserAdminFirstName, "Kimberly");
        ui->m_checkBoxUserAdminAccessDownload->click();
        ui->m_radioButtonUserAdminActiveNo->click();
        ui->m_radioButtonUserAdminActiveYes->click();
        ui->m_spinBoxUserAdminPassDuration->setValue(45);
        QCOMPARE(stored("kim").password, password);
        QCOMPARE(users->checkLogin("kim", password), 1);
        QVERIFY(!auditHas("User: kim Change password:"));
    }

    // A notch of the wheel over a field without the focus changes no user:
    // no number given for good, no duration, no expiry, no line.
    void theWheelChangesNoUserFieldWithoutTheFocus()
    {
        users->users[1].employeeNumber.clear();
        ui->m_tabWidget->setCurrentWidget(ui->m_tabUserAdmin);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        selectUser("kim");
        ui->m_listWidgetUserAdminList->setFocus();
        const QByteArray store = TestEnv::readFile(UserStoreFile::path());
        const QStringList trail = auditTexts();
        const QDateTime expiry = ui->m_dateTimeEditUserAdminPassExp->dateTime();
        QSpinBox *duration = ui->m_spinBoxUserAdminPassDuration;
        QWidget *const fields[] = { ui->m_comboBoxUserAdminEmployeeNb, duration,
                                    ui->m_dateTimeEditUserAdminPassExp };
        for (QWidget *field : fields) {
            turnWheel(field, -1);
            QVERIFY2(!field->hasFocus(), field->objectName().toLatin1());
        }
        QCOMPARE(ui->m_comboBoxUserAdminEmployeeNb->currentIndex(), -1);
        QVERIFY(ui->m_lineEditUserAdminUserName->isEnabled());
        QCOMPARE(duration->value(), 30);
        QCOMPARE(ui->m_dateTimeEditUserAdminPassExp->dateTime(), expiry);
        QCOMPARE(TestEnv::readFile(UserStoreFile::path()), store);
        QCOMPARE(auditTexts(), trail);

        duration->setFocus(Qt::TabFocusReason);
        turnWheel(duration, -1);
        QVERIFY(auditHas("User: kim Change password duration: 29 days"));
    }

    // A stored user without an expiry keeps none through edits of other
    // fields, whoever was selected before; a changed expiry edit is stored.
    void aUserWithoutExpiryKeepsNoneUntilItIsSet()
    {
        window.reset();
        UserRecord lee = UserStoreFile::user("lee", "Lee1pass", "13", UserRecord::RightViewer);
        lee.expiry = QDateTime();
        UserStoreFile::write({ UserStoreFile::user("admin", "Adm1npass", "1", kAdmin),
                               UserStoreFile::user("kim", "Kim1pass", "12", UserRecord::RightViewer), lee,
                               UserStoreFile::user("boss", "Boss1pass", "2", kAdmin) });
        QVERIFY(!stored("lee").expiry.isValid());
        prompts->logins = { { "boss", "Boss1pass" } };
        window.reset(new MainWindow);
        ui = window->ui;
        users = window->app->userAdmin;
        const QDateTime kimExpiry = stored("kim").expiry;

        selectUser("kim");
        selectUser("lee");
        finishEditing(ui->m_lineEditUserAdminFirstName, "Leonie");
        QCOMPARE(stored("lee").firstName, QStringLiteral("Leonie"));
        QVERIFY(!stored("lee").expiry.isValid());
        QVERIFY(!users->users.at(2).expiry.isValid());
        ui->m_checkBoxUserAdminAccessDownload->click();
        QVERIFY(!stored("lee").expiry.isValid());
        QVERIFY(!auditHas("User: lee Change expiration date"));
        QCOMPARE(stored("kim").expiry, kimExpiry);

        const QDateTime expiry = QDateTime::currentDateTime().addDays(90);
        ui->m_dateTimeEditUserAdminPassExp->setDateTime(expiry);
        QCOMPARE(stored("lee").expiry.date(), expiry.date());
        QCOMPARE(UserStoreFile::auditOfToday().count("User: lee Change expiration date: "), 1);
    }

    // The built-in administrator keeps its duration through a new password.
    void adminKeepsItsDurationThroughANewPassword()
    {
        selectUser("admin");
        ui->m_spinBoxUserAdminPassDuration->setValue(20);
        ui->m_lineEditUserAdminPassword->setText("Ada1pass");
        finishEditing(ui->m_lineEditUserAdminPassword2, "Ada1pass");
        QCOMPARE(ui->m_spinBoxUserAdminPassDuration->value(), 20);
        QCOMPARE(stored("admin").renewalDate, QDate::currentDate().addDays(20));
        QCOMPARE(lastAuditTexts(1), QStringList("User: admin Change password: **** --> ****"));
        QCOMPARE(stored("admin").password, QStringLiteral("Ada1pass"));

        // different texts: the warning, and no line for an edit not made
        ui->m_lineEditUserAdminPassword->setText("Other1pass");
        const int lines = auditTexts().size();
        finishEditing(ui->m_lineEditUserAdminLastName, "Lovelace");
        QVERIFY(prompts->sawBoxContaining("Password incorrect, please retry..."));
        QCOMPARE(auditTexts().size(), lines);
        QCOMPARE(stored("admin").lastName, QStringLiteral("Test"));
    }

    // Return and then the focus leaving, with nothing typed between, is one
    // edit: one line, one box. Another Return confirms anew, but a password
    // as stored is no change.
    void returnThenLeavingTheFieldIsOneEdit()
    {
        prompts->boxesTakeFocus = true;
        ui->m_tabWidget->setCurrentWidget(ui->m_tabUserAdmin);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        selectUser("kim");
        QLineEdit *password = ui->m_lineEditUserAdminPassword;
        QLineEdit *repeated = ui->m_lineEditUserAdminPassword2;
        const auto typeInto = [](QLineEdit *field, const QString &text) {
            field->setFocus();
            QVERIFY(field->hasFocus());
            field->selectAll();
            QTest::keyClick(field, Qt::Key_Backspace);   // empties the repeat field too
            QTest::keyClicks(field, text);
        };
        const auto leave = [this] {
            ui->m_lineEditUserAdminFirstName->setFocus();
            QVERIFY(ui->m_lineEditUserAdminFirstName->hasFocus());
        };
        const auto passwordLines = [] {
            return UserStoreFile::auditOfToday().count("User: kim Change password: **** --> ****");
        };

        typeInto(password, "Fresh9pw");
        typeInto(repeated, "Fresh9pw");
        QTest::keyClick(repeated, Qt::Key_Return);
        leave();
        QCOMPARE(passwordLines(), 1);
        QCOMPARE(stored("kim").password, QStringLiteral("Fresh9pw"));
        repeated->setFocus();
        QTest::keyClick(repeated, Qt::Key_Return);
        leave();
        QCOMPARE(passwordLines(), 1);
        typeInto(password, "Fresh8pw");
        typeInto(repeated, "Fresh8pw");
        leave();
        QCOMPARE(passwordLines(), 2);

        // the box takes the focus from the field it warns about
        typeInto(password, "short");
        typeInto(repeated, "short");
        QTest::keyClick(repeated, Qt::Key_Return);
        leave();
        QCOMPARE(prompts->boxesContaining("Password should have at least 6 characters"), 1);
        QCOMPARE(stored("kim").password, QStringLiteral("Fresh8pw"));

        typeInto(ui->m_lineEditUserAdminTimeOut, "5");
        QTest::keyClick(ui->m_lineEditUserAdminTimeOut, Qt::Key_Return);
        QTest::keyClick(ui->m_lineEditUserAdminTimeOut, Qt::Key_Tab);
        QVERIFY(!ui->m_lineEditUserAdminTimeOut->hasFocus());
        QCOMPARE(UserStoreFile::auditOfToday().count("Change time out: 5 min"), 1);
        QCOMPARE(passwordLines(), 2);
    }

    // Viewer takes Administrator's place and Administrator the others': each
    // right the click changed gets its line, the clicked one first.
    void rightsChangedByAClickAreEachAudited()
    {
        selectUser("admin");
        ui->m_checkBoxUserAdminAccessViewer->click();
        QCOMPARE(lastAuditTexts(2), QStringList({ "User: admin Change viewer access level: Enable",
                                                  "User: admin Change admin access level: Disable" }));
        QCOMPARE(stored("admin").rights & 0x000F, int(UserRecord::RightViewer));
        ui->m_checkBoxUserAdminAccessDownload->click();
        QCOMPARE(lastAuditTexts(2), QStringList({ "User: admin Change admin access level: Disable",
                                                  "User: admin Change download access level: Enable" }));
        ui->m_checkBoxUserAdminAccessAdmin->click();
        QCOMPARE(lastAuditTexts(3), QStringList({ "User: admin Change admin access level: Enable",
                                                  "User: admin Change viewer access level: Disable",
                                                  "User: admin Change download access level: Disable" }));
        QVERIFY(!ui->m_checkBoxUserAdminAccessViewer->isChecked());
    }

    // A trail filled while its box is out of sight, behind another page or
    // in the window hidden by Logout until the next login, shows its last
    // lines, painted, as soon as its page shows.
    void auditTrailShowsItsLastLinesWhenItsPageShows()
    {
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QPlainTextEdit *trail = ui->m_plainTextEditUserAdminAudit;
        // what is painted first: finding the line lays the text out, which
        // mends the scroll range as a click does
        auto shownWhole = [trail](const QString &line) {
            const QImage painted = trail->viewport()->grab().toImage();
            bool ink = false;
            for (int y = 0; y < painted.height() && !ink; ++y)
                for (int x = 0; x < painted.width() && !ink; ++x)
                    ink = qGray(painted.pixel(x, y)) < 100;
            QTextDocument *text = trail->document();
            const QTextCursor found = text->find(line, text->characterCount(), QTextDocument::FindBackward);
            return ink && !found.isNull() && trail->viewport()->rect().contains(trail->cursorRect(found));
        };
        // more lines than the box holds
        for (int i = 0; i < 40; ++i)
            window->addAudit(QStringLiteral("Message: line %1").arg(i));
        prompts->logins = { { "boss", "Boss1pass" } };
        window->on_m_actionLogout_triggered();
        window->Timer100ms();
        QCOMPARE(prompts->loginDialogs, 2);
        QVERIFY(window->isVisible());
        ui->m_tabWidget->setCurrentWidget(ui->m_tabUserAdmin);
        QTRY_VERIFY(trail->isVisible());
        QVERIFY(shownWhole(QStringLiteral("Login")));

        ui->m_tabWidget->setCurrentWidget(ui->m_tabHome);
        window->addAudit(QStringLiteral("Message: while away"));
        ui->m_tabWidget->setCurrentWidget(ui->m_tabUserAdmin);
        QVERIFY(shownWhole(QStringLiteral("Message: while away")));
    }

    // Typing not confirmed when the logout comes is dropped in every field:
    // nothing stored or written for nobody, nothing left over. After a
    // chosen Logout a box may take the focus before the next tick ends the
    // session: the edit it finishes comes after the Logout line, and is not
    // taken either.
    void anEditTypedWhenTheLogoutComesIsDropped_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("chosen");
        const char *fields[][2] = { { "comment", "m_lineEditComment" },
                                    { "first name", "m_lineEditUserAdminFirstName" },
                                    { "password", "m_lineEditUserAdminPassword2" },
                                    { "time-out", "m_lineEditUserAdminTimeOut" },
                                    { "message", "m_plainTextEditUserAdminMessage" } };
        for (const auto &f : fields) {
            QTest::addRow("%s, automatic", f[0]) << f[1] << false;
            QTest::addRow("%s, chosen", f[0]) << f[1] << true;
        }
    }
    void anEditTypedWhenTheLogoutComesIsDropped()
    {
        QFETCH(QString, field);
        QFETCH(bool, chosen);
        LoggerRecord trip = WindowTest::downloadedTrip("T1", { 40, 50, 60 });
        trip.comment = QStringLiteral("dock 4");
        trip.dataLoaded = trip.unsavedReadings = true;
        window->app->records << trip;
        window->selectTableRow(0);
        window->Timer();
        selectUser("kim");
        QWidget *edited = window->findChild<QWidget *>(field);
        const char *text = qobject_cast<QLineEdit *>(edited) ? "text" : "plainText";
        ui->m_tabWidget->setCurrentWidget(edited == ui->m_lineEditComment ? ui->m_tabGraph : ui->m_tabUserAdmin);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        const QVariant shown = edited->property(text);
        if (edited == ui->m_lineEditUserAdminPassword2)
            ui->m_lineEditUserAdminPassword->setText("New9pass");
        edited->setFocus();
        QTest::keyClick(edited, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edited, "New9pass");
        const QByteArray store = TestEnv::readFile(UserStoreFile::path());

        prompts->logins = { { "boss", "Boss1pass" } };
        if (chosen) {
            window->on_m_actionLogout_triggered();
            prompts->boxesTakeFocus = true;
            CPrompt::warning(window.get(), QStringLiteral("A box before the next tick"));
            QVERIFY(!edited->hasFocus());
        } else {
            users->logoutRequested = users->autoLogout = true;
        }
        window->Timer100ms();
        QCOMPARE(lastAuditTexts(2), QStringList({ chosen ? "Logout" : "Auto Logout", "Login" }));
        QVERIFY(!UserStoreFile::auditOfToday().contains(" - User: \r\n"));
        QCOMPARE(TestEnv::readFile(UserStoreFile::path()), store);
        QCOMPARE(edited->property(text), shown);
        QCOMPARE(window->app->records.at(0).trip().comment, QStringLiteral("dock 4"));
    }

    // A box inside an action, closed by the automatic logout, lets the next
    // user log in before the action ends: its lines still name the acting
    // administrator, not the viewer who logged in meanwhile.
    void linesAfterABoxClosedByALogoutNameTheActingUser_data()
    {
        QTest::addColumn<QString>("widget");
        QTest::addColumn<QString>("line");
        QTest::newRow("remove") << "m_pushButtonUserAdminRemove" << "Remove user: admin";
        QTest::newRow("right") << "m_checkBoxUserAdminAccessDownload" << "User: admin Change download access level: Enable";
        QTest::newRow("active") << "m_radioButtonUserAdminActiveNo" << "User: admin Change active: No";
        QTest::newRow("new") << "m_pushButtonUserAdminNew" << "Add new user";
        QTest::newRow("time-out") << "m_lineEditUserAdminTimeOut" << "Change time out: 9 min";
    }
    void linesAfterABoxClosedByALogoutNameTheActingUser()
    {
        QFETCH(QString, widget);
        QFETCH(QString, line);
        selectUser("admin");
        users->storePath = TestEnv::home() + "/no such folder/.ua.bin";
        const QString settings = window->app->settingsFilePath();
        QFile::remove(settings);
        QVERIFY(QDir().mkpath(settings));   // cannot be written either
        const auto noFolder = qScopeGuard([settings] { QDir().rmdir(settings); });
        prompts->logins = { { "kim", "Kim1pass" } };
        CPrompt::setBoxHandler([this](CPrompt::Kind, const QString &, QMessageBox::StandardButtons) {
            users->logoutRequested = users->autoLogout = users->currentUserLogin() == "boss";
            window->Timer100ms();
            return QMessageBox::Ok;
        });
        if (auto *button = window->findChild<QAbstractButton *>(widget))
            button->click();
        else
            finishEditing(ui->m_lineEditUserAdminTimeOut, "9");
        const QString audit = UserStoreFile::auditOfToday();
        QVERIFY(audit.contains("User: Boss Test\r\nAuto Logout\r\n") && audit.contains("User: Kim Test\r\nLogin\r\n"));
        QVERIFY(audit.indexOf("User: Boss Test\r\n" + line + "\r\n") > audit.lastIndexOf("User: Kim Test\r\nLogin"));
    }

    // Tab walks the user's fields as they stand; passing through them, the
    // password fields as shown included, changes and writes nothing, nor
    // does an expiry that reads as the stored one.
    void movingThroughTheFieldsWritesNothing()
    {
        const QDateTime expiry(QDate::currentDate().addDays(30), QTime(10, 0));
        users->users[1].expiry = expiry;
        QVERIFY(users->saveUsers(users->storePath));
        ui->m_tabWidget->setCurrentWidget(ui->m_tabUserAdmin);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        selectUser("kim");
        const QByteArray store = TestEnv::readFile(UserStoreFile::path());
        const QStringList trail = auditTexts();
        const QStringList order = QString("m_lineEditUserAdminFirstName m_lineEditUserAdminLastName "
            "m_lineEditUserAdminPassword m_lineEditUserAdminPassword2 m_comboBoxUserAdminEmployeeNb "
            "m_dateTimeEditUserAdminPassExp m_spinBoxUserAdminPassDuration m_checkBoxUserAdminAccessAdmin "
            "m_checkBoxUserAdminAccessViewer m_checkBoxUserAdminAccessDownload m_checkBoxUserAdminAccessConfigure "
            "m_radioButtonUserAdminActiveYes m_radioButtonUserAdminActiveNo").split(' ');
        QStringList walked{ order.first() };
        ui->m_lineEditUserAdminFirstName->setFocus();
        // the expiry's sections take a Tab each
        for (int key = 0; key < 30 && walked.size() < order.size(); ++key) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (QApplication::focusWidget()->objectName() != walked.last())
                walked << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(walked, order);
        ui->m_dateTimeEditUserAdminPassExp->setDateTime(expiry.addSecs(30));
        QCOMPARE(TestEnv::readFile(UserStoreFile::path()), store);
        QCOMPARE(auditTexts(), trail);
    }

    void refusedPermissionsStillSave()
    {
        const auto previous = CUserAdmin::permissionSetter;
        CUserAdmin::permissionSetter = [](QFileDevice &, QFileDevice::Permissions) { return false; };
        const QString tomorrow = users->auditFilePath(QDate::currentDate().addDays(1));
        QFile::remove(tomorrow);
        users->users[1].lastName = "Vfat";
        const bool saved = users->saveUsers(users->storePath);
        const bool written = users->addAuditEntry("first of the day", QDateTime::currentDateTime().addDays(1));
        CUserAdmin::permissionSetter = previous;
        QVERIFY(saved);
        QCOMPARE(stored("kim").lastName, QStringLiteral("Vfat"));
        QVERIFY(written);
        QVERIFY(TestEnv::readFile(tomorrow).contains("first of the day"));
        QFile::remove(tomorrow);
    }
};

MIRELDA_TEST_MAIN(TestUserPage)
#include "tst_userpage.moc"
