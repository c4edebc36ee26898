#include "support/testenv.h"

#include <QDir>

#include "core/cmainapp.h"
#include "core/windowstate.h"
#include "dialogs/cprompt.h"
#include "users/cuseradmin.h"

namespace {

UserRecord makeUser(const QString &login, const QString &password, quint16 rights)
{
    UserRecord user;
    user.login = login;
    user.firstName = QStringLiteral("Émile");
    user.lastName = QStringLiteral("Zola");
    user.password = password;
    user.employeeNumber = QStringLiteral("12");
    user.expiry = QDateTime::currentDateTime().addDays(30);
    user.rights = rights;
    return user;
}

constexpr quint16 kActive = UserRecord::UserActive;

}

class TestUserAdminLogin : public QObject
{
    Q_OBJECT

    WindowState window;
    CMainApp *app = nullptr;
    CUserAdmin *ua = nullptr;

    void tick(int times)
    {
        for (int i = 0; i < times; ++i)
            app->Timer1Sec();
    }

private slots:
    void initTestCase()
    {
        CPrompt::setBoxHandler([](CPrompt::Kind, const QString &text, QMessageBox::StandardButtons) {
            qWarning("unexpected message box: %s", qPrintable(text));
            return QMessageBox::Ok;
        });
        QDir(TestEnv::home() + "/.QuorvaneUA").removeRecursively();
        app = new CMainApp(&window);
        ua = app->userAdmin;
    }

    void cleanupTestCase()
    {
        delete app;
    }

    void init()
    {
        // The built-in administrator as a first start leaves it, plus a few users.
        ua->users.erase(ua->users.begin() + 1, ua->users.end());
        ua->users[0].password.clear();
        ua->removedUsers.clear();
        ua->enabled = true;
        ua->currentUser = -1;
        ua->logoutMinutes = 3;
        ua->logoutRequested = false;
        ua->autoLogout = false;
        ua->resetLogoutCountdown();
    }

    void builtInAdministratorWithEmptyPassword()
    {
        QCOMPARE(ua->checkLogin("admin", ""), 0);
        QCOMPARE(ua->checkLogin("Admin", ""), -1);
        QCOMPARE(ua->checkLogin("ADMIN", ""), -1);
        QCOMPARE(ua->checkLogin("admin", "x"), -1);

        // Once it has a password, the empty one no longer opens it.
        ua->users[0].password = "Strong1";
        QCOMPARE(ua->checkLogin("admin", ""), -1);
        QCOMPARE(ua->checkLogin("admin", "Strong1"), 0);
        QCOMPARE(ua->checkLogin("admin", "strong1"), -1);
    }

    void otherUsersNeedTheirPassword()
    {
        ua->users.append(makeUser("nopass", "", kActive | UserRecord::RightViewer));
        ua->users.append(makeUser("bob", "Secret1", kActive | UserRecord::RightViewer));
        QCOMPARE(ua->checkLogin("nopass", ""), -1);
        QCOMPARE(ua->checkLogin("bob", "Secret1"), 2);
        QCOMPARE(ua->checkLogin("Bob", "Secret1"), -1);
        QCOMPARE(ua->checkLogin("bob", "secret1"), -1);
        QCOMPARE(ua->checkLogin("bob", ""), -1);
        QCOMPARE(ua->checkLogin("nobody", "Secret1"), -1);
    }

    void inactiveExpiredOrRemovedUsersAreRefused_data()
    {
        QTest::addColumn<quint16>("rights");
        QTest::addColumn<int>("expiresInSeconds");   // 0: no expiry set
        QTest::addColumn<bool>("removed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("active, valid") << quint16(kActive) << 3600 << false << true;
        QTest::newRow("inactive") << quint16(UserRecord::RightAdmin) << 3600 << false << false;
        QTest::newRow("expired") << quint16(kActive) << -1 << false << false;
        QTest::newRow("no expiry") << quint16(kActive) << 0 << false << false;
        QTest::newRow("removed") << quint16(kActive | UserRecord::UserRemoved) << 3600 << true << false;
    }
    void inactiveExpiredOrRemovedUsersAreRefused()
    {
        QFETCH(quint16, rights);
        QFETCH(int, expiresInSeconds);
        QFETCH(bool, removed);
        QFETCH(bool, accepted);
        UserRecord user = makeUser("kim", "Secret1", rights);
        user.expiry = expiresInSeconds == 0 ? QDateTime()
                                            : QDateTime::currentDateTime().addSecs(expiresInSeconds);
        (removed ? ua->removedUsers : ua->users).append(user);
        QCOMPARE(ua->checkLogin("kim", "Secret1"), accepted ? 1 : -1);
    }

    void passwordRule_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("valid");
        QTest::newRow("capital, small letters, digit") << "Abcde1" << true;
        QTest::newRow("digit first, long") << "9xyzWxyz" << true;
        QTest::newRow("accented capital") << QString("Édith7") << true;
        QTest::newRow("other number") << QString("Abcde\u00B2") << true;
        QTest::newRow("six small letters") << "abcdef" << false;
        QTest::newRow("six capitals") << "ABCDEF" << false;
        QTest::newRow("five small letters and a digit") << "abcde1" << false;
        QTest::newRow("four characters") << "Ab1c" << false;
        QTest::newRow("five characters") << "Abcd1" << false;
        QTest::newRow("empty") << "" << false;
    }
    void passwordRule()
    {
        QFETCH(QString, password);
        QFETCH(bool, valid);
        QCOMPARE(CUserAdmin::isPasswordValid(password), valid);
    }

    void currentUserDetails()
    {
        QCOMPARE(ua->currentUserLogin(), QString(""));
        QCOMPARE(ua->currentUserShortName(), QString(""));
        QCOMPARE(ua->currentUserFullName(), QString(""));
        QCOMPARE(ua->currentEmployeeNumber(), 0);

        ua->users.append(makeUser("bob", "Secret1", kActive));
        ua->setCurrentUser(ua->checkLogin("bob", "Secret1"));
        QCOMPARE(ua->currentUser, 1);
        QCOMPARE(ua->currentUserLogin(), QStringLiteral("bob"));
        QCOMPARE(ua->currentUserShortName(), QStringLiteral("É.Zola"));
        QCOMPARE(ua->currentUserFullName(), QStringLiteral("Émile Zola"));
        QCOMPARE(ua->currentEmployeeNumber(), 12);

        ua->users[1].firstName.clear();
        ua->users[1].employeeNumber = "x7";
        QCOMPARE(ua->currentUserShortName(), QStringLiteral(".Zola"));
        QCOMPARE(ua->currentEmployeeNumber(), 0);

        // An index that no longer names a user counts as nobody.
        ua->setCurrentUser(5);
        QCOMPARE(ua->currentUserLogin(), QString(""));
        QCOMPARE(ua->currentEmployeeNumber(), 0);
        QVERIFY(!ua->canView());
    }

    void rights_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("rights");    // -1: nobody logged in
        QTest::addColumn<QString>("expected");   // admin, view, download, configure
        QTest::newRow("administration off, nobody") << false << -1 << "1111";
        QTest::newRow("administration off, no rights") << false << 0 << "1111";
        QTest::newRow("nobody logged in") << true << -1 << "0000";
        QTest::newRow("no rights") << true << int(kActive) << "0000";
        QTest::newRow("viewer") << true << int(kActive | UserRecord::RightViewer) << "0100";
        QTest::newRow("download") << true << int(kActive | UserRecord::RightDownload) << "0010";
        QTest::newRow("configure") << true << int(kActive | UserRecord::RightConfigure) << "0001";
        QTest::newRow("administrator alone") << true << int(UserRecord::RightAdmin) << "1111";
        QTest::newRow("state bits grant nothing")
            << true << int(kActive | UserRecord::UnlockAdmin | UserRecord::UserRemoved) << "0000";
    }
    void rights()
    {
        QFETCH(bool, enabled);
        QFETCH(int, rights);
        QFETCH(QString, expected);
        ua->enabled = enabled;
        if (rights >= 0) {
            ua->users.append(makeUser("rita", "Secret1", quint16(rights)));
            ua->setCurrentUser(1);
        }
        const QString answers = QString("%1%2%3%4")
                                    .arg(int(ua->isAdmin()))
                                    .arg(int(ua->canView()))
                                    .arg(int(ua->canDownload()))
                                    .arg(int(ua->canConfigure()));
        QCOMPARE(answers, expected);
    }

    void inactivityRaisesBothLogoutFlags()
    {
        ua->setCurrentUser(0);
        ua->resetLogoutCountdown();
        QCOMPARE(ua->logoutCountdown, 180);
        tick(179);
        QVERIFY(!ua->logoutRequested);
        QVERIFY(!ua->autoLogout);
        tick(1);
        QVERIFY(ua->logoutRequested);
        QVERIFY(ua->autoLogout);
        QCOMPARE(ua->logoutCountdown, 0);
        tick(10);   // the countdown rests at 0
        QCOMPARE(ua->logoutCountdown, 0);
    }

    void activityRestartsTheCountdown()
    {
        ua->setCurrentUser(0);
        tick(170);
        ua->resetLogoutCountdown();
        tick(179);
        QVERIFY(!ua->logoutRequested);
        tick(1);
        QVERIFY(ua->logoutRequested && ua->autoLogout);
    }

    void noCountdownWithoutALoggedInUserOrAdministration()
    {
        tick(400);
        QVERIFY(!ua->logoutRequested);
        QCOMPARE(ua->logoutCountdown, 180);

        ua->enabled = false;
        ua->setCurrentUser(0);
        tick(400);
        QVERIFY(!ua->logoutRequested);
        QCOMPARE(ua->logoutCountdown, 180);
    }

    void timeOutOfZeroNeverLogsOut_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::newRow("zero") << 0;
        QTest::newRow("negative") << -2;
    }
    void timeOutOfZeroNeverLogsOut()
    {
        QFETCH(int, minutes);
        ua->logoutMinutes = minutes;
        ua->setCurrentUser(0);
        ua->resetLogoutCountdown();
        QCOMPARE(ua->logoutCountdown, 0);
        tick(3 * 3600);
        QVERIFY(!ua->logoutRequested);
        QVERIFY(!ua->autoLogout);
    }
};

MIRELDA_TEST_MAIN(TestUserAdminLogin)
#include "tst_useradminlogin.moc"
