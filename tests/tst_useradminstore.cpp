#include "support/testenv.h"

#include <QComboBox>
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
class ByteReader
{
public:
    explicit ByteReader(const QByteArray &bytes) : bytes(bytes) {}

    bool atEnd() const { return pos == bytes.size(); }
    bool failed() const { return overrun; }

    quint8 u8()
    {
        if (!need(1))
            return 0;
        return quint8(bytes.at(pos++));
    }
    quint16 u16() { return quint16(u8() << 8 | u8()); }
    quint32 u32()
    {
        const quint32 high = u16();
        return high << 16 | u16();
    }
    // A 32-bit byte length (all ones: null), then UTF-16 big-endian units.
    QString str(bool *isNull = nullptr)
    {
        const quint32 length = u32();
        if (isNull)
            *isNull = length == 0xFFFFFFFFu;
        if (length == 0xFFFFFFFFu)
            return QString();
        QString text;
        for (quint32 i = 0; i < length / 2; ++i)
            text.append(QChar(u16()));
        return text;
    }
    QDate date() { return julianDay(u32()); }
    QDateTime dateTime(quint8 *timeKind)
    {
        const QDate day = date();
        const quint32 msecs = u32();
        *timeKind = u8();
        return QDateTime(day, QTime::fromMSecsSinceStartOfDay(int(msecs)));
    }

private:
    static QDate julianDay(quint32 day) { return day == 0 ? QDate() : QDate::fromJulianDay(day); }
    bool need(int n)
    {
        if (pos + n > bytes.size()) {
            overrun = true;
            return false;
        }
        return true;
    }

    QByteArray bytes;
    int pos = 0;
    bool overrun = false;
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
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 0777);
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

// Byte builders for hand-made stores.
QByteArray be32(quint32 v)
{
    QByteArray b;
    for (int shift = 24; shift >= 0; shift -= 8)
        b.append(char(v >> shift & 0xFF));
    return b;
}
QByteArray be16(quint16 v)
{
    return QByteArray(1, char(v >> 8)) + char(v & 0xFF);
}
QByteArray utf16String(const QString &s)
{
    QByteArray b = be32(quint32(s.size() * 2));
    for (const QChar c : s)
        b += be16(c.unicode());
    return b;
}
QByteArray header(quint16 count)
{
    return utf16String("Mirelda") + utf16String("1.16.34") + utf16String("02/10/2016")
           + be16(count);
}
QByteArray record(const QString &login, quint16 rights)
{
    QByteArray b = utf16String(login);
    for (int i = 0; i < 5; ++i)
        b += utf16String(i == 2 ? QStringLiteral("pw") : QString());
    b += be32(quint32(QDate(2040, 1, 1).toJulianDay())) + be32(0) + char(0xFF);
    b += be32(0);
    b += be16(rights);
    return b;
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
        QVERIFY(QFileInfo(userDir()).isDir());
        QCOMPARE(modeOf(userDir()), 0700);
        QCOMPARE(modeOf(storeFile()), 0600);

        ByteReader in(fileBytes(storeFile()));
        QCOMPARE(in.str(), QStringLiteral("Mirelda"));
        QCOMPARE(in.str(), QStringLiteral("1.16.34"));
        QCOMPARE(in.str(), QStringLiteral("02/10/2016"));
        QCOMPARE(in.u16(), quint16(1));
        QCOMPARE(in.str(), QStringLiteral("admin"));
        for (int field = 0; field < 4; ++field) {   // names and passwords
            bool isNull = false;
            QVERIFY(in.str(&isNull).isEmpty());
            Q_UNUSED(isNull)
        }
        QCOMPARE(in.str(), QStringLiteral("1"));
        quint8 timeKind = 0;
        const QDateTime expiry = in.dateTime(&timeKind);
        QVERIFY2(expiry >= before.addMSecs(-1) && expiry <= after, qPrintable(expiry.toString(Qt::ISODateWithMs)));
        QVERIFY2(timeKind == 0xFF || timeKind == 0 || timeKind == 1, "expiry is local time");
        QVERIFY(in.date().isNull());
        QCOMPARE(in.u16(), quint16(0xC001));
        QVERIFY(!in.failed());
        QVERIFY(in.atEnd());

        CUserAdmin *ua = app.userAdmin;
        QCOMPARE(ua->users.size(), 1);
        QCOMPARE(ua->currentUser, -1);
        QCOMPARE(ua->logoutMinutes, 3);
        QCOMPARE(ua->logoutCountdown, 180);
        QVERIFY(ua->isUserComplete(0));
    }

    void activeAndRemovedUsersRoundTripIntoTheirLists()
    {
        WindowState w;
        CMainApp app(&w);
        CUserAdmin *ua = app.userAdmin;
        ua->users.append(makeUser("bob", "12", UserRecord::RightViewer | UserRecord::UserActive | 0x0100));
        ua->users.append(makeUser("New User 3", "", 0));
        ua->removedUsers.append(makeUser("carl", "7", UserRecord::RightDownload | UserRecord::UserRemoved));
        ua->users.append(makeUser("", "8", UserRecord::UserActive));
        QVERIFY(ua->saveUsers(ua->storePath));

        // The count covers every entry held, the records only the storable ones.
        ByteReader in(fileBytes(storeFile()));
        in.str(), in.str(), in.str();
        QCOMPARE(in.u16(), quint16(5));

        CUserAdmin reread(&app);
        QVERIFY(warnings.isEmpty());
        QCOMPARE(reread.users.size(), 2);
        QCOMPARE(reread.users.at(0).login, QStringLiteral("admin"));
        const UserRecord &bob = reread.users.at(1);
        const UserRecord expected = makeUser("bob", "12", 0);
        QCOMPARE(bob.login, QStringLiteral("bob"));
        QCOMPARE(bob.firstName, expected.firstName);
        QCOMPARE(bob.lastName, expected.lastName);
        QCOMPARE(bob.password, expected.password);
        QCOMPARE(bob.previousPassword, expected.previousPassword);
        QCOMPARE(bob.employeeNumber, QStringLiteral("12"));
        QCOMPARE(bob.expiry, expected.expiry);
        QCOMPARE(bob.renewalDate, expected.renewalDate);
        QCOMPARE(bob.rights, quint16(UserRecord::RightViewer | UserRecord::UserActive | 0x0100));
        QCOMPARE(reread.removedUsers.size(), 1);
        QCOMPARE(reread.removedUsers.at(0).login, QStringLiteral("carl"));
        QCOMPARE(reread.removedUsers.at(0).rights, quint16(UserRecord::RightDownload | UserRecord::UserRemoved));

        // Removed users keep their login and number taken.
        QCOMPARE(reread.indexOfLogin("carl"), 2);
        QCOMPARE(reread.indexOfLogin("Carl"), -1);
        QCOMPARE(reread.indexOfLogin("bob"), 1);
        QCOMPARE(reread.indexOfEmployeeNumber(7), 2);
        QCOMPARE(reread.indexOfEmployeeNumber(12), 1);
        QCOMPARE(reread.indexOfEmployeeNumber(1), 0);
        QCOMPARE(reread.indexOfEmployeeNumber(50), -1);
    }

    void storeEndingBeforeItsCountLoadsWhatIsThere()
    {
        writeBytes(storeFile(), header(5) + record("ann", 0x8002) + record("old", 0x2004));
        WindowState w;
        CMainApp app(&w);
        QVERIFY(warnings.isEmpty());
        QCOMPARE(app.userAdmin->users.size(), 1);
        QCOMPARE(app.userAdmin->users.at(0).login, QStringLiteral("ann"));
        QCOMPARE(app.userAdmin->users.at(0).password, QStringLiteral("pw"));
        QCOMPARE(app.userAdmin->users.at(0).expiry.date(), QDate(2040, 1, 1));
        QCOMPARE(app.userAdmin->removedUsers.size(), 1);
        QVERIFY(app.userAdmin->addUser("second"));
    }

    void unreadableStoreIsNeverOverwritten_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("isDirectory");
        QTest::addColumn<int>("usersRead");
        QTest::newRow("empty file") << QByteArray() << false << 0;
        QTest::newRow("garbage") << QByteArray("not a user file at all") << false << 0;
        QTest::newRow("odd string length") << (be32(3) + "abc") << false << 0;
        QTest::newRow("cut inside a record")
            << (header(2) + record("ann", 0x8001) + record("bea", 0x8001).left(30)) << false << 1;
        QTest::newRow("not a file") << QByteArray() << true << 0;
    }
    void unreadableStoreIsNeverOverwritten()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, isDirectory);
        QFETCH(int, usersRead);
        if (isDirectory)
            QVERIFY(QDir().mkpath(storeFile()));
        else
            writeBytes(storeFile(), content);

        WindowState w;
        CMainApp app(&w);
        QCOMPARE(warnings.size(), 1);
        QVERIFY(warnings.first().startsWith("Warning!\n\n"));
        QVERIFY(warnings.first().contains(storeFile()));
        CUserAdmin *ua = app.userAdmin;
        QCOMPARE(ua->users.size(), usersRead);
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

    void userCompleteness()
    {
        WindowState w;
        CMainApp app(&w);
        CUserAdmin *ua = app.userAdmin;
        ua->users.append(makeUser("New User", "4", 0));
        ua->users.append(makeUser("dan", "5", 0));
        UserRecord noPassword = makeUser("eve", "6", 0);
        noPassword.password.clear();
        ua->users.append(noPassword);
        UserRecord noNumber = makeUser("fay", "", 0);
        ua->users.append(noNumber);
        QVERIFY(!ua->isUserComplete(-1));
        QVERIFY(ua->isUserComplete(0));    // admin, with empty names and password
        QVERIFY(!ua->isUserComplete(1));
        QVERIFY(ua->isUserComplete(2));
        QVERIFY(!ua->isUserComplete(3));
        QVERIFY(!ua->isUserComplete(4));
        QVERIFY(!ua->isUserComplete(5));
    }

    void employeeNumberChoice()
    {
        WindowState w;
        CMainApp app(&w);
        CUserAdmin *ua = app.userAdmin;
        ua->users.append(makeUser("gus", "", 0));
        ua->users.append(makeUser("hal", "7", 0));
        ua->users.append(makeUser("ida", "0", 0));
        ua->removedUsers.append(makeUser("jon", "42", UserRecord::UserRemoved));

        QComboBox combo;
        combo.addItem("stale");
        int changesOutsideGuard = 0;
        connect(&combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                [&](int) { if (!w.updatingForm) ++changesOutsideGuard; });

        ua->fillUserCombo(1, &combo);
        QStringList expected;
        for (int n = 2; n <= 99; ++n)
            if (n != 7 && n != 42)
                expected << QString::number(n);
        QStringList listed;
        for (int i = 0; i < combo.count(); ++i)
            listed << combo.itemText(i);
        QCOMPARE(listed, expected);
        QCOMPARE(combo.currentIndex(), -1);
        QVERIFY(!w.updatingForm);

        ua->fillUserCombo(2, &combo);
        QCOMPARE(combo.count(), 1);
        QCOMPARE(combo.itemText(0), QStringLiteral("7"));

        ua->fillUserCombo(3, &combo);      // "0" is no number chosen
        QCOMPARE(combo.count(), expected.size());
        QCOMPARE(changesOutsideGuard, 0);
        QVERIFY(!w.updatingForm);
    }
};

MIRELDA_TEST_MAIN(TestUserAdminStore)
#include "tst_useradminstore.moc"
