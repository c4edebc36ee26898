#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

#include "core/cmainapp.h"
#include "core/windowstate.h"
#include "dialogs/cprompt.h"
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

QString userDir()
{
    return TestEnv::home() + QStringLiteral("/.QuorvaneUA");
}

QString storeFile()
{
    return userDir() + QStringLiteral("/.ua.bin");
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int modeOf(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

// Byte builders for hand-made stores.
QByteArray be(quint32 v, int size)
{
    QByteArray b;
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8)
        b.append(char(v >> shift & 0xFF));
    return b;
}
QByteArray utf16String(const QString &s)
{
    QByteArray b = be(quint32(s.size() * 2), 4);
    for (const QChar c : s)
        b += be(c.unicode(), 2);
    return b;
}
QByteArray header(quint16 count)
{
    return utf16String("Mirelda") + utf16String("1.16.34") + utf16String("02/10/2016") + be(count, 2);
}
QByteArray record(const QString &login, quint16 rights)
{
    QByteArray b = utf16String(login);
    for (int i = 0; i < 5; ++i)
        b += utf16String(i == 2 ? QStringLiteral("pw") : QString());
    return b + be(quint32(QDate(2040, 1, 1).toJulianDay()), 4) + be(0, 4) + char(0xFF) + be(0, 4) + be(rights, 2);
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

    QStringList warnings;

private slots:
    void initTestCase()
    {
        CPrompt::setBoxHandler([this](CPrompt::Kind kind, const QString &text, QMessageBox::StandardButtons) {
            if (kind == CPrompt::Warning)
                warnings << text;
            return QMessageBox::Ok;
        });
    }

    void init()
    {
        warnings.clear();
        QDir(userDir()).removeRecursively();
        QFile::remove(userDir());
    }

    void firstStartWritesTheBuiltInAdministrator()
    {
        const mode_t previousMask = ::umask(0);
        const QDateTime before = QDateTime::currentDateTime().addYears(10);
        WindowState w;
        CMainApp app(&w);
        const QDateTime after = QDateTime::currentDateTime().addYears(10);
        ::umask(previousMask);

        QVERIFY(warnings.isEmpty());
        QCOMPARE(modeOf(userDir()), 0700);
        QCOMPARE(modeOf(storeFile()), 0600);
        ByteReader in { fileBytes(storeFile()) };
        QCOMPARE(in.str(), QStringLiteral("Mirelda"));
        QCOMPARE(in.str(), QStringLiteral("1.16.34"));
        QCOMPARE(in.str(), QStringLiteral("02/10/2016"));
        QCOMPARE(in.take(2), 1u);
        QCOMPARE(in.str(), QStringLiteral("admin"));
        for (int field = 0; field < 4; ++field)   // names and passwords
            QVERIFY(in.str().isEmpty());
        QCOMPARE(in.str(), QStringLiteral("1"));
        const QDate day = in.date();
        const QDateTime expiry(day, QTime::fromMSecsSinceStartOfDay(int(in.take(4))));
        QVERIFY2(expiry >= before.addMSecs(-1) && expiry <= after, qPrintable(expiry.toString(Qt::ISODateWithMs)));
        const quint8 timeKind = quint8(in.take(1));
        QVERIFY2(timeKind == 0xFF || timeKind == 0 || timeKind == 1, "expiry is local time");
        QVERIFY(in.date().isNull());
        QCOMPARE(in.take(2), 0xC001u);
        QVERIFY(in.readToTheEnd());

        QVERIFY(app.userAdmin->isUserComplete(0));   // admin, with empty names and password
    }

    void activeAndRemovedUsersRoundTripIntoTheirLists()
    {
        WindowState w;
        CMainApp app(&w);
        CUserAdmin *ua = app.userAdmin;
        const quint16 bobRights = UserRecord::RightViewer | UserRecord::UserActive | 0x0100;
        const quint16 carlRights = UserRecord::RightDownload | UserRecord::UserRemoved;
        ua->users.append(makeUser("bob", "12", bobRights));
        ua->users.append(makeUser("New User 3", "", 0));
        ua->removedUsers.append(makeUser("carl", "7", carlRights));
        ua->users.append(makeUser("", "8", UserRecord::UserActive));
        QVERIFY(ua->saveUsers(ua->storePath));

        // The count covers every entry held, the records only the storable ones.
        ByteReader in { fileBytes(storeFile()) };
        in.str(), in.str(), in.str();
        QCOMPARE(in.take(2), 5u);

        CUserAdmin reread(&app);
        QVERIFY(warnings.isEmpty());
        QCOMPARE(reread.users.size(), 2);
        auto fields = [](const UserRecord &u) {
            return QStringList { u.login, u.firstName, u.lastName, u.password, u.previousPassword,
                                 u.employeeNumber, u.expiry.toString(Qt::ISODateWithMs),
                                 u.renewalDate.toString(Qt::ISODate), QString::number(u.rights) };
        };
        QCOMPARE(fields(reread.users.at(1)), fields(makeUser("bob", "12", bobRights)));
        QCOMPARE(reread.removedUsers.size(), 1);
        QCOMPARE(reread.removedUsers.at(0).login, QStringLiteral("carl"));
        QCOMPARE(reread.removedUsers.at(0).rights, carlRights);
        // Removed users keep their login and number taken.
        QCOMPARE(reread.indexOfLogin("carl"), 2);
        QCOMPARE(reread.indexOfEmployeeNumber(7), 2);
    }

    void unreadableStoreIsNeverOverwritten_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("isDirectory");
        QTest::addColumn<int>("usersRead");
        QTest::addColumn<bool>("readable");
        QTest::newRow("ending before its count")
            << (header(5) + record("ann", 0x8002) + record("old", 0x2004)) << false << 1 << true;
        QTest::newRow("empty file") << QByteArray() << false << 0 << false;
        QTest::newRow("garbage") << QByteArray("not a user file at all") << false << 0 << false;
        QTest::newRow("odd string length") << (be(3, 4) + "abc") << false << 0 << false;
        QTest::newRow("cut inside a record")
            << (header(2) + record("ann", 0x8001) + record("bea", 0x8001).left(30)) << false << 0 << false;
        QTest::newRow("not a file") << QByteArray() << true << 0 << false;
    }
    void unreadableStoreIsNeverOverwritten()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, isDirectory);
        QFETCH(int, usersRead);
        QFETCH(bool, readable);
        if (isDirectory)
            QVERIFY(QDir().mkpath(storeFile()));
        else
            writeBytes(storeFile(), content);

        WindowState w;
        CMainApp app(&w);
        CUserAdmin *ua = app.userAdmin;
        QCOMPARE(ua->users.size(), usersRead);
        if (readable) {
            QVERIFY(warnings.isEmpty());
            QCOMPARE(ua->removedUsers.size(), 1);
            // a later load that fails part-way keeps the lists as they were
            const QString cut = TestEnv::home() + "/cut.bin";
            writeBytes(cut, header(2) + record("bea", 0x8001) + record("cy", 0x8001).left(30));
            QVERIFY(!ua->loadUsers(cut));
            QCOMPARE(ua->users.size(), usersRead);
            QCOMPARE(ua->removedUsers.size(), 1);
            QFile::remove(cut);
            QVERIFY(ua->addUser("second"));
            return;
        }
        QCOMPARE(warnings.size(), 1);
        QVERIFY(warnings.first().startsWith("Warning!\n\n") && warnings.first().contains(storeFile()));
        QVERIFY(!ua->addUser("admin"));
        QVERIFY(!ua->saveUsers(ua->storePath));
        QVERIFY(!ua->saveUsers(userDir() + "/../.QuorvaneUA/.ua.bin"));
        if (isDirectory)
            QVERIFY(QFileInfo(storeFile()).isDir());
        else
            QCOMPARE(fileBytes(storeFile()), content);
        // A copy elsewhere can still be written.
        QVERIFY(ua->saveUsers(TestEnv::home() + "/copy.bin"));
        QFile::remove(TestEnv::home() + "/copy.bin");
    }

    void storeThatCannotBeWrittenIsReported()
    {
        WindowState w;
        CMainApp app(&w);
        writeBytes(TestEnv::home() + "/plainfile", "x");
        QVERIFY(!app.userAdmin->saveUsers(TestEnv::home() + "/plainfile/.ua.bin"));
        // A first start that cannot create the store tells the user.
        QDir(userDir()).removeRecursively();
        writeBytes(userDir(), "in the way");
        warnings.clear();
        CUserAdmin blocked(&app);
        QCOMPARE(warnings.size(), 1);
        QCOMPARE(blocked.users.size(), 1);   // the administrator for this run
        QFile::remove(userDir());
    }
};

MIRELDA_TEST_MAIN(TestUserAdminStore)
#include "tst_useradminstore.moc"
