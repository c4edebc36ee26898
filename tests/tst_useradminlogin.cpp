#include "support/testenv.h"
#include "support/useradmintest.h"

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

class TestUserAdminLogin : public QObject, public UserAdminFixture
{
    Q_OBJECT

    void tick(int times)
    {
        for (int i = 0; i < times; ++i)
            app->Timer1Sec();
    }

private slots:
    void initTestCase() { start(); }

    void init()
    {
        // The built-in administrator as a first start leaves it.
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
        QCOMPARE(ua->checkLogin("admin", "x"), -1);
        // Once it has a password, the empty one no longer opens it.
        ua->users[0].password = "Strong1";
        QCOMPARE(ua->checkLogin("admin", ""), -1);
        QCOMPARE(ua->checkLogin("admin", "Strong1"), 0);
    }

    // Inactive, expired and removed accounts are the login dialog's tests;
    // here what name and password must match.
    void loginOfOtherUsers_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("expires");   // false: no expiry set
        QTest::addColumn<bool>("accepted");
        QTest::newRow("active, valid") << "Secret1" << "kim" << "Secret1" << true << true;
        QTest::newRow("login case") << "Secret1" << "Kim" << "Secret1" << true << false;
        QTest::newRow("password case") << "Secret1" << "kim" << "secret1" << true << false;
        QTest::newRow("empty typed") << "Secret1" << "kim" << "" << true << false;
        QTest::newRow("no password") << "" << "kim" << "" << true << false;
        QTest::newRow("no expiry") << "Secret1" << "kim" << "Secret1" << false << false;
    }
    void loginOfOtherUsers()
    {
        QFETCH(QString, stored);
        QFETCH(QString, login);
        QFETCH(QString, typed);
        QFETCH(bool, expires);
        QFETCH(bool, accepted);
        UserRecord user = makeUser("kim", stored, kActive);
        if (!expires)
            user.expiry = QDateTime();
        ua->users.append(user);
        QCOMPARE(ua->checkLogin(login, typed), accepted ? 1 : -1);
    }

    void passwordRule()
    {
        const QList<QPair<QString, bool>> cases = {
            { "Abcde1", true }, { "Édith7", true }, { "Abcde\u00B2", true },
            { "abcdef", false }, { "abcde1", false }, { "Abcd1", false },
        };
        for (const auto &c : cases)
            QVERIFY2(CUserAdmin::isPasswordValid(c.first) == c.second, qPrintable(c.first));
    }

    void currentUserDetails()
    {
        ua->users.append(makeUser("bob", "Secret1", kActive));
        ua->setCurrentUser(ua->checkLogin("bob", "Secret1"));
        QCOMPARE(ua->currentUserShortName(), QStringLiteral("É.Zola"));
        // An index that no longer names a user counts as nobody.
        ua->setCurrentUser(5);
        QCOMPARE(ua->currentUserLogin(), QString(""));
        QVERIFY(!ua->canView());
    }

    void rights_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("rights");    // -1: nobody logged in
        QTest::addColumn<QString>("expected");   // admin, view, download, configure
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
        QTEST(answers, "expected");
    }

    // No logout while nobody is logged in, with administration off, or with
    // no time-out; otherwise both flags after the minutes without activity.
    void inactivityRaisesBothLogoutFlags()
    {
        tick(400);
        ua->setCurrentUser(0);
        ua->enabled = false;
        tick(400);
        ua->enabled = true;
        for (int minutes : { 0, -2 }) {
            ua->logoutMinutes = minutes;
            ua->resetLogoutCountdown();
            tick(3 * 3600);
        }
        QVERIFY(!ua->logoutRequested && !ua->autoLogout);
        ua->logoutMinutes = 3;
        ua->resetLogoutCountdown();
        tick(170);
        ua->resetLogoutCountdown();   // activity starts the count again
        tick(179);
        QVERIFY(!ua->logoutRequested && !ua->autoLogout);
        tick(1);
        QVERIFY(ua->logoutRequested && ua->autoLogout);
    }
};

MIRELDA_TEST_MAIN(TestUserAdminLogin)
#include "tst_useradminlogin.moc"
