#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>

#include "core/cmainapp.h"
#include "core/windowstate.h"
#include "dialogs/cprompt.h"
#include "users/cuseradmin.h"

namespace {

QString userDir()
{
    return TestEnv::home() + QStringLiteral("/.QuorvaneUA");
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QDateTime at(int y, int m, int d, int hh, int mm, int ss)
{
    return QDateTime(QDate(y, m, d), QTime(hh, mm, ss));
}

}

class TestUserAdminAudit : public QObject
{
    Q_OBJECT

    WindowState window;
    CMainApp *app = nullptr;
    CUserAdmin *ua = nullptr;

    void logIn(const QString &first, const QString &last)
    {
        UserRecord user;
        user.login = QStringLiteral("writer");
        user.firstName = first;
        user.lastName = last;
        user.rights = UserRecord::UserActive;
        ua->users.append(user);
        ua->setCurrentUser(ua->users.size() - 1);
    }

private slots:
    void initTestCase()
    {
        CPrompt::setBoxHandler([](CPrompt::Kind, const QString &text, QMessageBox::StandardButtons) {
            qWarning("unexpected message box: %s", qPrintable(text));
            return QMessageBox::Ok;
        });
        QDir(userDir()).removeRecursively();
        app = new CMainApp(&window);
        ua = app->userAdmin;
    }

    void cleanupTestCase()
    {
        delete app;
    }

    void init()
    {
        const QStringList trails = QDir(userDir()).entryList({ ".QuorvaneAudit-*" },
                                                            QDir::Files | QDir::Dirs | QDir::Hidden);
        for (const QString &name : trails) {
            QFile::remove(userDir() + "/" + name);
            QDir(userDir() + "/" + name).removeRecursively();
        }
        ua->users.erase(ua->users.begin() + 1, ua->users.end());
        ua->currentUser = -1;
        ua->enabled = true;
    }

    void fileNameOfADay()
    {
        QCOMPARE(ua->auditFilePath(QDate(2031, 5, 4)), userDir() + "/.QuorvaneAudit-310504.txt");
        QCOMPARE(ua->auditFilePath(QDate(2009, 12, 31)), userDir() + "/.QuorvaneAudit-091231.txt");
    }

    void entryHeaderTextAndEmptyLine()
    {
        logIn(QStringLiteral("Émile"), QStringLiteral("Zoła"));
        QVERIFY(ua->addAuditEntry(QStringLiteral("Downloaded logger: 12345 °C"), at(2031, 5, 4, 9, 8, 7)));
        QVERIFY(ua->addAuditEntry(QStringLiteral("Logout"), at(2031, 5, 4, 17, 0, 0)));

        const QString expected = QStringLiteral("04/05/31 09:08:07 - User: Émile Zoła\r\n"
                                                "Downloaded logger: 12345 °C\r\n\r\n"
                                                "04/05/31 17:00:00 - User: Émile Zoła\r\n"
                                                "Logout\r\n\r\n");
        QCOMPARE(fileBytes(ua->auditFilePath(QDate(2031, 5, 4))), expected.toUtf8());
        bool ok = false;
        QCOMPARE(ua->readAuditFile(QDate(2031, 5, 4), &ok), expected);
        QVERIFY(ok);
    }

    void entryWithNobodyLoggedIn()
    {
        ua->enabled = false;   // written whatever the state of administration
        QVERIFY(ua->addAuditEntry(QStringLiteral("Login"), at(2031, 6, 1, 0, 0, 1)));
        QCOMPARE(fileBytes(ua->auditFilePath(QDate(2031, 6, 1))),
                 QByteArray("01/06/31 00:00:01 - User: \r\nLogin\r\n\r\n"));
    }

    void entriesAroundMidnightGoToTheirOwnDay()
    {
        logIn("Ann", "Lee");
        QVERIFY(ua->addAuditEntry("before", at(2031, 12, 31, 23, 59, 59)));
        QVERIFY(ua->addAuditEntry("after", at(2032, 1, 1, 0, 0, 0)));
        QCOMPARE(fileBytes(ua->auditFilePath(QDate(2031, 12, 31))),
                 QByteArray("31/12/31 23:59:59 - User: Ann Lee\r\nbefore\r\n\r\n"));
        QCOMPARE(fileBytes(ua->auditFilePath(QDate(2032, 1, 1))),
                 QByteArray("01/01/32 00:00:00 - User: Ann Lee\r\nafter\r\n\r\n"));
    }

    void multiLineTextKeepsItsBreaks()
    {
        QVERIFY(ua->addAuditEntry("Message: first\nsecond", at(2031, 7, 2, 10, 0, 0)));
        QVERIFY(ua->addAuditEntry("Message: third\r\nfourth", at(2031, 7, 2, 10, 0, 1)));
        QCOMPARE(fileBytes(ua->auditFilePath(QDate(2031, 7, 2))),
                 QByteArray("02/07/31 10:00:00 - User: \r\nMessage: first\r\nsecond\r\n\r\n"
                            "02/07/31 10:00:01 - User: \r\nMessage: third\r\nfourth\r\n\r\n"));
    }

    void todaysEntryGoesToTodaysFile()
    {
        QVERIFY(ua->addAuditEntry("Message: now"));
        const QString trail = ua->readAuditFile(QDate::currentDate());
        QVERIFY2(trail.endsWith(" - User: \r\nMessage: now\r\n\r\n"), qPrintable(trail));
        QVERIFY(trail.startsWith(QDate::currentDate().toString("dd/MM/yy ")));
    }

    void newTrailFilesArePrivate()
    {
        const mode_t previousMask = ::umask(0);
        const bool written = ua->addAuditEntry("Login", at(2031, 8, 3, 8, 0, 0));
        ::umask(previousMask);
        QVERIFY(written);
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(ua->auditFilePath(QDate(2031, 8, 3))).constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 0777), 0600);
    }

    void entryThatCannotBeWrittenIsReported()
    {
        QVERIFY(QDir().mkpath(ua->auditFilePath(QDate(2031, 9, 9))));
        QVERIFY(!ua->addAuditEntry("Login", at(2031, 9, 9, 8, 0, 0)));
        bool ok = true;
        QCOMPARE(ua->readAuditFile(QDate(2031, 9, 9), &ok), QString());
        QVERIFY(!ok);
    }

    void readingADay()
    {
        bool ok = false;
        QCOMPARE(ua->readAuditFile(QDate(2030, 1, 1), &ok), QString());
        QVERIFY(ok);   // a day without entries is no failure

        QFile file(ua->auditFilePath(QDate(2030, 1, 2)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("kept\r\n") + '\0' + "dropped");
        file.close();
        QCOMPARE(ua->readAuditFile(QDate(2030, 1, 2)), QStringLiteral("kept\r\n"));
    }
};

MIRELDA_TEST_MAIN(TestUserAdminAudit)
#include "tst_useradminaudit.moc"
