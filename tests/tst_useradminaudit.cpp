#include "support/testenv.h"
#include "support/useradmintest.h"

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

class TestUserAdminAudit : public QObject, public UserAdminFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { start(); }

    void init()
    {
        ua->users.erase(ua->users.begin() + 1, ua->users.end());
        ua->currentUser = -1;
        ua->enabled = true;
    }

    void entriesGoToTheirOwnDayInTheirFormat()
    {
        UserRecord user;
        user.login = QStringLiteral("writer");
        user.firstName = QStringLiteral("Émile");
        user.lastName = QStringLiteral("Zoła");
        user.rights = UserRecord::UserActive;
        ua->users.append(user);
        ua->setCurrentUser(1);
        QVERIFY(ua->addAuditEntry(QStringLiteral("Downloaded logger: 12345 °C"), at(2031, 12, 31, 23, 59, 59)));
        QVERIFY(ua->addAuditEntry(QStringLiteral("Logout"), at(2032, 1, 1, 0, 0, 0)));

        QCOMPARE(ua->auditFilePath(QDate(2031, 12, 31)), userDir() + "/.QuorvaneAudit-311231.txt");
        const QString lastYear = QStringLiteral("31/12/31 23:59:59 - User: Émile Zoła\r\n"
                                                "Downloaded logger: 12345 °C\r\n\r\n");
        QCOMPARE(fileBytes(ua->auditFilePath(QDate(2031, 12, 31))), lastYear.toUtf8());
        QCOMPARE(fileBytes(userDir() + "/.QuorvaneAudit-320101.txt"),
                 QStringLiteral("01/01/32 00:00:00 - User: Émile Zoła\r\nLogout\r\n\r\n").toUtf8());
        bool ok = false;
        QCOMPARE(ua->readAuditFile(QDate(2031, 12, 31), &ok), lastYear);
        QVERIFY(ok);
    }

    void nobodyLoggedInAndLineBreaks()
    {
        ua->enabled = false;   // written whatever the state of administration
        QVERIFY(ua->addAuditEntry("Message: first\nsecond", at(2031, 7, 2, 10, 0, 0)));
        QVERIFY(ua->addAuditEntry("Message: third\r\nfourth", at(2031, 7, 2, 10, 0, 1)));
        QCOMPARE(fileBytes(ua->auditFilePath(QDate(2031, 7, 2))),
                 QByteArray("02/07/31 10:00:00 - User: \r\nMessage: first\r\nsecond\r\n\r\n"
                            "02/07/31 10:00:01 - User: \r\nMessage: third\r\nfourth\r\n\r\n"));

        QVERIFY(ua->addAuditEntry("Message: now"));
        const QString trail = ua->readAuditFile(QDate::currentDate());
        QVERIFY2(trail.startsWith(QDate::currentDate().toString("dd/MM/yy ")), qPrintable(trail));
        QVERIFY(trail.endsWith(" - User: \r\nMessage: now\r\n\r\n"));
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

    void failuresAreReportedAndAnEmptyDayIsNot()
    {
        QVERIFY(QDir().mkpath(ua->auditFilePath(QDate(2031, 9, 9))));
        QVERIFY(!ua->addAuditEntry("Login", at(2031, 9, 9, 8, 0, 0)));
        bool ok = true;
        QCOMPARE(ua->readAuditFile(QDate(2031, 9, 9), &ok), QString());
        QVERIFY(!ok);

        QCOMPARE(ua->readAuditFile(QDate(2030, 1, 1), &ok), QString());
        QVERIFY(ok);
        QFile file(ua->auditFilePath(QDate(2030, 1, 2)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("kept\r\n") + '\0' + "dropped");
        file.close();
        QCOMPARE(ua->readAuditFile(QDate(2030, 1, 2)), QStringLiteral("kept\r\n"));
    }
};

MIRELDA_TEST_MAIN(TestUserAdminAudit)
#include "tst_useradminaudit.moc"
