// The user store and the audit trail in the user directory: their layout
// read by hand, their lists and day files, damaged stores kept.
#include "support/testenv.h"
#include "support/useradmintest.h"

#include <sys/stat.h>

#include <memory>

#include <QScopeGuard>

#include "files/wholefile.h"
#include "users/cuseradmin.h"

namespace {

// Reads the store's bytes by hand, the way another program would, so the
// test does not trust the writer's own stream code.
struct ByteReader
{
    QByteArray bytes;
    int pos = 0;
    bool overrun = false;

    // Big-endian unsigned of the given byte size.
    quint32 take(int size)
    {
        quint32 value = 0;
        for (int i = 0; i < size; ++i) {
            overrun = overrun || pos >= bytes.size();
            value = value << 8 | (overrun ? 0u : quint8(bytes.at(pos++)));
        }
        return value;
    }
    // A 32-bit byte length (all ones: null), then UTF-16 big-endian units.
    QString str()
    {
        const quint32 length = take(4);
        QString text;
        for (quint32 i = 0; length != 0xFFFFFFFFu && i < length / 2; ++i)
            text.append(QChar(ushort(take(2))));
        return text;
    }
    QDate date()
    {
        const quint32 day = take(4);
        return day == 0 ? QDate() : QDate::fromJulianDay(day);
    }
    bool readToTheEnd() const { return !overrun && pos == bytes.size(); }
};

using UserStoreFile::userDir;
const QString storeFile = UserStoreFile::path();

int modeOf(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

// Every file of a folder with its bytes, hidden ones included.
QMap<QString, QByteArray> filesIn(const QString &dir)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, TestEnv::readFile(dir + QLatin1Char('/') + name));
    return files;
}

QDateTime at(int y, int m, int d, int hh, int mm, int ss)
{
    return QDateTime(QDate(y, m, d), QTime(hh, mm, ss));
}

UserRecord storedUser(const QString &login, bool removed = false)
{
    UserRecord user = UserStoreFile::user(login, QStringLiteral("pw"), QString(), UserRecord::RightViewer);
    if (removed)
        user.rights |= UserRecord::UserRemoved;
    return user;
}

UserRecord makeUser(const QString &login, const QString &number, quint16 rights)
{
    UserRecord user;
    user.login = login;
    user.firstName = QStringLiteral("Zoé");
    user.lastName = QStringLiteral("Łukasiewicz");
    user.password = QStringLiteral("Secret1");
    user.previousPassword = QStringLiteral("Older2");
    user.employeeNumber = number;
    user.expiry = QDateTime(QDate(2031, 3, 30), QTime(14, 5, 6, 789));
    user.renewalDate = QDate(2027, 11, 2);
    user.rights = rights;
    return user;
}

}

class TestUserAdminStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnv::warnOnMessageBoxes(); }

    void init()
    {
        QDir(userDir()).removeRecursively();
        QFile::remove(userDir());
    }

    // Made private whatever the umask: the directory, the store and a day's trail.
    void firstStartWritesTheBuiltInAdministrator()
    {
        const mode_t previousMask = ::umask(0);
        const QDateTime before = QDateTime::currentDateTime().addYears(10);
        RecordingCore core;
        QStringList &warnings = core.window.warnings;
        const QDateTime after = QDateTime::currentDateTime().addYears(10);
        const bool audited = core.app.userAdmin->addAuditEntry("Login", at(2031, 8, 3, 8, 0, 0));
        ::umask(previousMask);

        QVERIFY(warnings.isEmpty() && audited);
        QCOMPARE(modeOf(userDir()), 0700);
        QCOMPARE(modeOf(storeFile), 0600);
        QCOMPARE(modeOf(core.app.userAdmin->auditFilePath(QDate(2031, 8, 3))), 0600);
        ByteReader in { TestEnv::readFile(storeFile) };
        QCOMPARE(QStringList({ in.str(), in.str(), in.str() }), QStringList({ "Mirelda", "1.16.34", "02/10/2016" }));
        QCOMPARE(in.take(2), 1u);
        // admin, with empty names and passwords, number 1
        QCOMPARE(QStringList({ in.str(), in.str(), in.str(), in.str(), in.str(), in.str() }),
                 QStringList({ "admin", "", "", "", "", "1" }));
        const QDate day = in.date();
        const QDateTime expiry(day, QTime::fromMSecsSinceStartOfDay(int(in.take(4))));
        QVERIFY2(expiry >= before.addMSecs(-1) && expiry <= after, qPrintable(expiry.toString(Qt::ISODateWithMs)));
        const quint8 timeKind = quint8(in.take(1));
        QVERIFY2(timeKind == 0xFF || timeKind == 0 || timeKind == 1, "expiry is local time");
        QVERIFY(in.date().isNull());
        QCOMPARE(in.take(2), 0xC001u);
        QVERIFY(in.readToTheEnd());
        QVERIFY(core.app.userAdmin->isUserComplete(0));
    }

    void activeAndRemovedUsersRoundTripIntoTheirLists()
    {
        RecordingCore core;
        QStringList &warnings = core.window.warnings;
        CUserAdmin *ua = core.app.userAdmin;
        const quint16 bobRights = UserRecord::RightViewer | UserRecord::UserActive | 0x0100;
        const quint16 carlRights = UserRecord::RightDownload | UserRecord::UserRemoved;
        ua->users.append(makeUser("bob", "12", bobRights));
        ua->users.append(makeUser("New User 3", "", 0));
        ua->removedUsers.append(makeUser("carl", "7", carlRights));
        ua->users.append(makeUser("", "8", UserRecord::UserActive));
        QVERIFY(ua->saveUsers(ua->storePath));

        // The count covers every entry held, the records only the storable ones.
        ByteReader in { TestEnv::readFile(storeFile) };
        in.str(), in.str(), in.str();
        QCOMPARE(in.take(2), 5u);

        CUserAdmin reread(&core.app);
        QVERIFY(warnings.isEmpty());
        QCOMPARE(reread.users.size(), 2);
        auto fields = [](const UserRecord &u) {
            return QStringList { u.login, u.firstName, u.lastName, u.password, u.previousPassword,
                                 u.employeeNumber, u.expiry.toString(Qt::ISODateWithMs),
                                 u.renewalDate.toString(Qt::ISODate), QString::number(u.rights) };
        };
        QCOMPARE(fields(reread.users.at(1)), fields(makeUser("bob", "12", bobRights)));
        QCOMPARE(reread.removedUsers.size(), 1);
        QCOMPARE(fields(reread.removedUsers.at(0)), fields(makeUser("carl", "7", carlRights)));
        // Removed users keep their login and number taken.
        QCOMPARE(reread.indexOfLogin("carl"), 2);
        QCOMPARE(reread.indexOfEmployeeNumber(7), 2);
    }

    void unreadableStoreIsNeverOverwritten_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("usersRead");   // -1: unreadable
        QTest::newRow("ending before its count")
            << UserStoreFile::bytes({ storedUser("ann"), storedUser("old", true) }, 5) << 1;
        QTest::newRow("empty file") << QByteArray() << -1;
        QTest::newRow("garbage") << QByteArray("not a user file at all") << -1;
        QTest::newRow("odd string length") << QByteArray("\0\0\0\3abc", 7) << -1;
        QTest::newRow("cut inside a record")
            << UserStoreFile::bytes({ storedUser("ann"), storedUser("bea") }).chopped(40) << -1;
        QTest::newRow("not a file") << QByteArray("/") << -1;
    }
    void unreadableStoreIsNeverOverwritten()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, usersRead);
        const bool isDirectory = content == "/";
        QVERIFY(QDir().mkpath(isDirectory ? storeFile : userDir()));
        QVERIFY(isDirectory || TestEnv::writeFile(storeFile, content));

        RecordingCore core;
        QStringList &warnings = core.window.warnings;
        CUserAdmin *ua = core.app.userAdmin;
        QCOMPARE(ua->users.size(), qMax(usersRead, 0));
        if (usersRead >= 0) {
            QVERIFY(warnings.isEmpty());
            QCOMPARE(ua->removedUsers.size(), 1);
            // a later load that fails part-way keeps the lists as they were
            const QString cut = TestEnv::home() + "/cut.bin";
            QVERIFY(TestEnv::writeFile(cut, UserStoreFile::bytes({ storedUser("bea"), storedUser("cy") }).chopped(40)));
            QVERIFY(!ua->loadUsers(cut));
            QCOMPARE(ua->users.size(), usersRead);
            QCOMPARE(ua->removedUsers.size(), 1);
            QFile::remove(cut);
            QVERIFY(ua->addUser("second"));
            return;
        }
        QCOMPARE(warnings.size(), 1);
        QVERIFY(warnings.first().startsWith("Warning!\n\n") && warnings.first().contains(storeFile));
        QVERIFY(!ua->addUser("admin"));
        QVERIFY(!ua->saveUsers(ua->storePath));
        QVERIFY(!ua->saveUsers(userDir() + "/../.QuorvaneUA/.ua.bin"));
        QVERIFY(isDirectory ? QFileInfo(storeFile).isDir() : TestEnv::readFile(storeFile) == content);
        // A copy elsewhere can still be written.
        QVERIFY(ua->saveUsers(TestEnv::home() + "/copy.bin"));
        QFile::remove(TestEnv::home() + "/copy.bin");
    }

    void storeThatCannotBeWrittenIsReported()
    {
        RecordingCore core;
        QStringList &warnings = core.window.warnings;
        QVERIFY(TestEnv::writeFile(TestEnv::home() + "/plainfile", "x"));
        QVERIFY(!core.app.userAdmin->saveUsers(TestEnv::home() + "/plainfile/.ua.bin"));
        // A first start that cannot create the store tells the user.
        QDir(userDir()).removeRecursively();
        QVERIFY(TestEnv::writeFile(userDir(), "in the way"));
        warnings.clear();
        CUserAdmin blocked(&core.app);
        QCOMPARE(warnings.size(), 1);
        QCOMPARE(blocked.users.size(), 1);   // the administrator for this run
        QFile::remove(userDir());
    }

    // Each entry goes to the file of its own day, its lines ended by CR LF,
    // with the user logged in, or nobody, whether administration is on or off.
    void auditEntriesGoToTheirOwnDayInTheirFormat()
    {
        RecordingCore core;
        QStringList &warnings = core.window.warnings;
        CUserAdmin *ua = core.app.userAdmin;
        ua->enabled = false;
        QVERIFY(ua->addAuditEntry("Message: first\nsecond", at(2031, 7, 2, 10, 0, 0)));
        QVERIFY(ua->addAuditEntry("Message: third\r\nfourth", at(2031, 7, 2, 10, 0, 1)));
        QCOMPARE(TestEnv::readFile(ua->auditFilePath(QDate(2031, 7, 2))),
                 QByteArray("02/07/31 10:00:00 - User: \r\nMessage: first\r\nsecond\r\n\r\n"
                            "02/07/31 10:00:01 - User: \r\nMessage: third\r\nfourth\r\n\r\n"));

        UserRecord user = makeUser("writer", "9", UserRecord::UserActive);
        user.firstName = QStringLiteral("Émile");
        user.lastName = QStringLiteral("Zoła");
        ua->users.append(user);
        ua->setCurrentUser(1);
        QVERIFY(ua->addAuditEntry(QStringLiteral("Downloaded logger: 12345 °C"), at(2031, 12, 31, 23, 59, 59)));
        QVERIFY(ua->addAuditEntry(QStringLiteral("Logout"), at(2032, 1, 1, 0, 0, 0)));
        QCOMPARE(ua->auditFilePath(QDate(2031, 12, 31)), userDir() + "/.QuorvaneAudit-311231.txt");
        const QString lastYear = QStringLiteral("31/12/31 23:59:59 - User: Émile Zoła\r\n"
                                                "Downloaded logger: 12345 °C\r\n\r\n");
        QCOMPARE(TestEnv::readFile(ua->auditFilePath(QDate(2031, 12, 31))), lastYear.toUtf8());
        QCOMPARE(TestEnv::readFile(userDir() + "/.QuorvaneAudit-320101.txt"),
                 QStringLiteral("01/01/32 00:00:00 - User: Émile Zoła\r\nLogout\r\n\r\n").toUtf8());
        bool ok = false;
        QCOMPARE(ua->readAuditFile(QDate(2031, 12, 31), &ok), lastYear);
        QVERIFY(ok);
        QVERIFY(ua->addAuditEntry("Message: now"));
        // the built-in administrator as created has no names: its login
        // stands for it
        ua->setCurrentUser(0);
        QVERIFY(ua->addAuditEntry("Login", at(2031, 7, 3, 9, 0, 0)));
        QCOMPARE(TestEnv::readFile(ua->auditFilePath(QDate(2031, 7, 3))),
                 QByteArray("03/07/31 09:00:00 - User: admin\r\nLogin\r\n\r\n"));
        QVERIFY(ua->readAuditFile(QDate::currentDate()).startsWith(QDate::currentDate().toString("dd/MM/yy ")));

        // a day that cannot be written is reported, and so is one that
        // cannot be read, unlike a day without entries
        QVERIFY(QDir().mkpath(ua->auditFilePath(QDate(2031, 9, 9))));
        QVERIFY(!ua->addAuditEntry("Login", at(2031, 9, 9, 8, 0, 0)));
        QCOMPARE(warnings.size(), 1);
        QVERIFY(warnings.first().contains(ua->auditFilePath(QDate(2031, 9, 9))));
        ok = true;
        QCOMPARE(ua->readAuditFile(QDate(2031, 9, 9), &ok), QString());
        QVERIFY(!ok);
        QCOMPARE(ua->readAuditFile(QDate(2030, 1, 1), &ok), QString());
        QVERIFY(ok);
        QVERIFY(TestEnv::writeFile(ua->auditFilePath(QDate(2030, 1, 2)), QByteArray("kept\r\n") + '\0' + "dropped"));
        QCOMPARE(ua->readAuditFile(QDate(2030, 1, 2)), QStringLiteral("kept\r\n"));
    }

    // Every entry is tried; the user hears of a trail that cannot be written
    // once, and again only when it fails anew after an entry was written.
    // The core's Logout at the end counts like any other entry.
    void auditThatCannotBeWrittenIsToldOnceAndTriedAgain()
    {
        RecordingWindow window;
        std::unique_ptr<CMainApp> app(new CMainApp(&window));
        CUserAdmin *ua = app->userAdmin;
        const QString today = ua->auditFilePath(QDate::currentDate());
        std::unique_ptr<BlockedUserDir> blocked(new BlockedUserDir);
        QVERIFY(blocked->blocked());
        QVERIFY(!ua->addAuditEntry("Message: lost 1"));
        QVERIFY(!ua->addAuditEntry("Message: lost 2"));
        QCOMPARE(window.warnings.size(), 1);
        QVERIFY(window.warnings.first().startsWith("Warning!\n\n"));
        QVERIFY(window.warnings.first().contains(today));

        QVERIFY(blocked->release());
        QVERIFY(ua->addAuditEntry("Message: written 1"));
        blocked.reset(new BlockedUserDir);
        QVERIFY(!ua->addAuditEntry("Message: lost 3"));
        QCOMPARE(window.warnings.size(), 2);

        QVERIFY(blocked->release());
        QVERIFY(ua->addAuditEntry("Message: written 2"));
        blocked.reset(new BlockedUserDir);
        app.reset();
        QCOMPARE(window.warnings.size(), 3);
        QVERIFY(blocked->release());
        const QString trail = UserStoreFile::auditOfToday();
        QVERIFY(trail.contains("Message: written 1\r\n") && trail.contains("Message: written 2\r\n"));
        QVERIFY(!trail.contains("lost"));
    }

    // A restore puts the backup's entries back and keeps after them what the
    // day's file holds that the backup does not.
    void restoreKeepsTheTrailWrittenSinceTheBackup()
    {
        RecordingCore core;
        CUserAdmin *ua = core.app.userAdmin;
        const QString path = ua->auditFilePath(QDate(2031, 5, 4));
        QVERIFY(ua->addAuditEntry("Login", at(2031, 5, 4, 8, 0, 0)));
        QVERIFY(ua->addAuditEntry("Message: one\n\ntwo", at(2031, 5, 4, 8, 0, 1)));
        QTemporaryDir backup;
        QVERIFY(ua->backup(backup.path()));
        const QByteArray backedUp = TestEnv::readFile(path);

        QVERIFY(ua->addAuditEntry("Message: after the backup", at(2031, 5, 4, 9, 0, 0)));
        QVERIFY(ua->addAuditEntry("Restore Audit Trail: (MAC:00)", at(2031, 5, 4, 9, 0, 1)));
        const QByteArray beforeRestore = TestEnv::readFile(path);
        QVERIFY(ua->restore(backup.path()));
        QCOMPARE(TestEnv::readFile(path), beforeRestore);

        // a file that lost the backup's entries gets them back before its own
        const QByteArray own("09/05/31 10:00:00 - User: \r\nLogout\r\n\r\n");
        QVERIFY(TestEnv::writeFile(path, own + "04/05/31 08:00:00 - User: \r\nLogin\r\n\r\n"));
        QVERIFY(ua->restore(backup.path()));
        QCOMPARE(TestEnv::readFile(path), backedUp + own);

        // a day without a file comes back as it was backed up
        QVERIFY(QFile::remove(path));
        QVERIFY(ua->restore(backup.path()));
        QCOMPARE(TestEnv::readFile(path), backedUp);
        QCOMPARE(core.window.warnings, QStringList());
    }

    // A disk that fills up at any file of a restore, before or after the
    // first file was replaced, leaves the user directory exactly as it was
    // and says why; once the disk takes it, the restore goes through.
    void aRestoreCutShortLeavesTheUserDirectoryAsItWas_data()
    {
        QTest::addColumn<int>("stage");
        QTest::newRow("writing") << int(WholeFile::Stage::Write);
        QTest::newRow("replacing") << int(WholeFile::Stage::Commit);
    }
    void aRestoreCutShortLeavesTheUserDirectoryAsItWas()
    {
        QFETCH(int, stage);
        const auto noFault = qScopeGuard([] { WholeFile::failNextForTests(WholeFile::Stage::None); });
        RecordingCore core;
        CUserAdmin *ua = core.app.userAdmin;
        QVERIFY(ua->addAuditEntry("Login", at(2031, 6, 1, 8, 0, 0)));
        QVERIFY(ua->addAuditEntry("Login", at(2031, 6, 2, 8, 0, 0)));
        QTemporaryDir backup;
        QVERIFY(ua->backup(backup.path()));
        ua->users.append(storedUser("later"));
        QVERIFY(ua->saveUsers(storeFile));
        QVERIFY(ua->addAuditEntry("Message: after the backup", at(2031, 6, 2, 9, 0, 0)));
        const QMap<QString, QByteArray> before = filesIn(userDir());

        int passing = 0;
        QString error;
        for (; passing < 30; ++passing) {
            WholeFile::failNextForTests(WholeFile::Stage(stage), 1, passing);
            if (ua->restore(backup.path(), &error))
                break;
            QVERIFY2(error.contains("No space left on device"), qPrintable(error));
            QCOMPARE(filesIn(userDir()), before);
            QVERIFY(ua->indexOfLogin("later") >= 0);
        }
        QVERIFY2(passing >= 2 && passing < 30, qPrintable(QString::number(passing)));

        QCOMPARE(TestEnv::readFile(storeFile), TestEnv::readFile(backup.filePath("ua.bin")));
        QCOMPARE(ua->indexOfLogin("later"), -1);
        QVERIFY(TestEnv::readFile(ua->auditFilePath(QDate(2031, 6, 2))).contains("after the backup"));
        QCOMPARE(core.window.warnings, QStringList());
    }

    // A backup cut short at any file is reported, with the reason, and
    // gets no check file that a restore would trust.
    void aBackupCutShortIsReportedWithoutACheckFile()
    {
        const auto noFault = qScopeGuard([] { WholeFile::failNextForTests(WholeFile::Stage::None); });
        RecordingCore core;
        CUserAdmin *ua = core.app.userAdmin;
        QVERIFY(ua->addAuditEntry("Login", at(2031, 6, 1, 8, 0, 0)));
        QVERIFY(ua->addAuditEntry("Login", at(2031, 6, 2, 8, 0, 0)));
        int passing = 0;
        for (; passing < 30; ++passing) {
            QTemporaryDir backup;
            QString error;
            WholeFile::failNextForTests(WholeFile::Stage::Flush, 1, passing);
            if (ua->backup(backup.path(), &error)) {
                QVERIFY(ua->verifyBackup(backup.path()));
                break;
            }
            QVERIFY2(error.contains("No space left on device"), qPrintable(error));
            QVERIFY(!QFileInfo::exists(backup.filePath("check.txt")));
            QVERIFY(!ua->verifyBackup(backup.path()));
        }
        QVERIFY2(passing >= 3 && passing < 30, qPrintable(QString::number(passing)));
    }
};

MIRELDA_TEST_MAIN(TestUserAdminStore)
#include "tst_useradminstore.moc"
