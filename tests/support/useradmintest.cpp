#include "support/useradmintest.h"

#include <QDataStream>
#include <QDir>
#include <QFile>

#include "support/testenv.h"

void UserAdminFixture::start()
{
    TestEnv::warnOnMessageBoxes();
    QDir(TestEnv::home() + QStringLiteral("/.QuorvaneUA")).removeRecursively();
    app = new CMainApp(&window);
    ua = app->userAdmin;
}

UserAdminFixture::~UserAdminFixture()
{
    delete app;
}

namespace {
QString awayDir()
{
    return UserStoreFile::userDir() + QStringLiteral(".away");
}
}

BlockedUserDir::BlockedUserDir()
{
    QDir(awayDir()).removeRecursively();
    isBlocked = QDir().rename(UserStoreFile::userDir(), awayDir())
                && TestEnv::writeFile(UserStoreFile::userDir(), "in the way");
}

BlockedUserDir::~BlockedUserDir()
{
    release();
}

bool BlockedUserDir::release()
{
    if (!isBlocked)
        return true;
    isBlocked = !(QFile::remove(UserStoreFile::userDir())
                  && QDir().rename(awayDir(), UserStoreFile::userDir()));
    return !isBlocked;
}

namespace UserStoreFile {

QString userDir()
{
    return TestEnv::home() + QStringLiteral("/.QuorvaneUA");
}

QString path()
{
    return userDir() + QStringLiteral("/.ua.bin");
}

QByteArray bytes(const QList<UserRecord> &users, int count)
{
    QByteArray store;
    QDataStream out(&store, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_8);
    out << QStringLiteral("Mirelda") << QStringLiteral("1.16.34") << QStringLiteral("02/10/2016")
        << quint16(count < 0 ? users.size() : count);
    for (const UserRecord &user : users)
        user.writeTo(out);
    return store;
}

void write(const QList<UserRecord> &users)
{
    QDir().mkpath(userDir());
    if (!TestEnv::writeFile(path(), bytes(users)))
        qFatal("cannot write the test store");
}

QList<UserRecord> read()
{
    QFile file(path());
    QList<UserRecord> users;
    if (!file.open(QIODevice::ReadOnly))
        return users;
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_4_8);
    QString title, version, date;
    quint16 count = 0;
    in >> title >> version >> date >> count;
    for (int i = 0; i < count && !in.atEnd(); ++i)
        users << UserRecord::readFrom(in);
    return users;
}

UserRecord user(const QString &login, const QString &password, const QString &number,
                quint16 rights)
{
    UserRecord u;
    u.login = login;
    u.firstName = login.left(1).toUpper() + login.mid(1);
    u.lastName = QStringLiteral("Test");
    u.password = password;
    u.employeeNumber = number;
    u.expiry = QDateTime::currentDateTime().addDays(30);
    u.renewalDate = QDate::currentDate().addDays(30);
    u.rights = rights | UserRecord::UserActive;
    return u;
}

QString auditOfToday()
{
    return QString::fromUtf8(TestEnv::readFile(
        userDir() + QStringLiteral("/.QuorvaneAudit-")
        + QDate::currentDate().toString(QStringLiteral("yyMMdd")) + QStringLiteral(".txt")));
}

}
