#include "support/testenv.h"

#include <QDirIterator>
#include <QLockFile>
#include <QProcess>

#include "core/instancelock.h"
#include "users/cuseradmin.h"

#include "support/windowtest.h"

namespace {

constexpr int kLimitMs = 30000;

// The built program, started on the test's home and, unless told another,
// its settings folder (the environment TestEnv::isolate gave this process).
// The copy is killed when the object goes, so that a failing case leaves
// nothing running.
class ProgramCopy
{
public:
    explicit ProgramCopy(const QStringList &arguments = QStringList(),
                         const QString &settingsDir = TestEnv::settingsDir(), const QString &home = TestEnv::home())
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("MIRELDA_SETTINGS_DIR"), settingsDir);
        environment.insert(QStringLiteral("HOME"), home);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(MIRELDA_PROGRAM), arguments);
    }
    ~ProgramCopy()
    {
        process.kill();
        process.waitForFinished(kLimitMs);
    }

    QProcess process;
};

QString lockPath()
{
    return InstanceLock::settingsLockPath(TestEnv::settingsDir());
}

QString userDirLockPath()
{
    return InstanceLock::userDirLockPath(CUserAdmin::homeUserAdminDir());
}

// The process named on the lock file's first line, 0 while there is none.
qint64 lockHolder(const QString &path = lockPath())
{
    return TestEnv::readFile(path).split('\n').first().toLongLong();
}

// What a copy that gave up on the folder said, once it has ended.
QByteArray refusalOf(ProgramCopy &copy)
{
    if (!copy.process.waitForFinished(kLimitMs) || copy.process.exitStatus() != QProcess::NormalExit
        || copy.process.exitCode() == 0)
        return QByteArray();
    return copy.process.readAllStandardError();
}

// A lock file with the given content, made at the given time.
bool placeLock(const QByteArray &content, const QDateTime &made, const QString &path = lockPath())
{
    QFile lock(path);
    // written out before the time is set, which the write would move
    return lock.open(QIODevice::WriteOnly) && lock.write(content) == content.size() && lock.flush()
           && lock.setFileTime(made, QFileDevice::FileModificationTime);
}

// A copy that holds both folders and has written what it writes at start;
// at the login dialog it writes nothing more.
bool settledAtLogin(const ProgramCopy &copy)
{
    return lockHolder() == copy.process.processId()
           && lockHolder(userDirLockPath()) == copy.process.processId()
           && QFileInfo::exists(TestEnv::settingsDir() + QStringLiteral("xZdr.ini"));
}

// Name, size and modification time of everything under the settings folder
// and the home (where the user store lives).
QStringList filesWritten()
{
    QStringList entries;
    for (const QString &root : { TestEnv::settingsDir(), TestEnv::home() }) {
        QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            const QFileInfo info = it.fileInfo();
            entries << QStringLiteral("%1 %2 %3").arg(info.filePath()).arg(info.size()).arg(
                info.lastModified().toMSecsSinceEpoch());
        }
    }
    entries.sort();
    return entries;
}

}

class TestSingleInstance : public QObject
{
    Q_OBJECT
private slots:
    // Each case starts on a settings folder and home that no copy has used,
    // with user administration on: a copy waits at its login dialog.
    void init()
    {
        QDir(TestEnv::settingsDir()).removeRecursively();
        QDir(TestEnv::home()).removeRecursively();
        QDir().mkpath(TestEnv::settingsDir());
        QDir().mkpath(TestEnv::home());
        WindowTest::setUserAdministration(true);
    }

    // A second copy on the settings folder of a running one, or on another
    // settings folder in the same home, would keep its own user list and save
    // it over the other's: it ends by itself, says why, and leaves every file
    // as it found it, the running copy's locks included. It would write the
    // store with user administration off as well.
    void secondCopyEndsWithoutWriting_data()
    {
        QTest::addColumn<QString>("settingsDir");
        QTest::addColumn<bool>("administration");
        const QString other = TestEnv::home() + QStringLiteral("/other settings/");
        QTest::newRow("same settings folder") << TestEnv::settingsDir() << true;
        QTest::newRow("same home, administration on") << other << true;
        QTest::newRow("same home, administration off") << other << false;
    }
    void secondCopyEndsWithoutWriting()
    {
        QFETCH(QString, settingsDir);
        QFETCH(bool, administration);
        QVERIFY(QDir().mkpath(settingsDir));
        if (administration)
            QVERIFY(TestEnv::writeFile(settingsDir + "xZdrAdmin.ini", "[SETTINGS]\r\nUSER_ADMIN=1\r\n"));
        ProgramCopy running;
        QTRY_VERIFY_WITH_TIMEOUT(settledAtLogin(running), kLimitMs);
        const QStringList before = filesWritten();

        ProgramCopy second({}, settingsDir);
        QVERIFY(refusalOf(second).contains("Mirelda is already running."));
        QCOMPARE(filesWritten(), before);
        QCOMPARE(lockHolder(), running.process.processId());
        QCOMPARE(running.process.state(), QProcess::Running);
    }

    // A roaming or shared profile folder: a copy whose home reaches the
    // other's user directory through a symbolic link is refused as a second
    // copy in the same home is, and leaves the store alone, whichever of the
    // two runs first.
    void aUserDirectoryReachedThroughALinkIsHeld_data()
    {
        QTest::addColumn<bool>("runningThroughTheLink");
        QTest::newRow("second copy through the link") << false;
        QTest::newRow("running copy through the link") << true;
    }
    void aUserDirectoryReachedThroughALinkIsHeld()
    {
        QFETCH(bool, runningThroughTheLink);
        const QString userDir = CUserAdmin::homeUserAdminDir();
        const QString linkedHome = TestEnv::home() + QStringLiteral("/../linked home");
        const QString otherSettings = TestEnv::home() + QStringLiteral("/../other settings/");
        QDir(linkedHome).removeRecursively();
        QVERIFY(QDir().mkpath(userDir) && QDir().mkpath(linkedHome) && QDir().mkpath(otherSettings));
        QVERIFY(QFile::link(userDir, linkedHome + QLatin1Char('/') + QFileInfo(userDir).fileName()));

        ProgramCopy running({}, TestEnv::settingsDir(), runningThroughTheLink ? linkedHome : TestEnv::home());
        QTRY_VERIFY_WITH_TIMEOUT(settledAtLogin(running), kLimitMs);
        const QStringList before = filesWritten();
        ProgramCopy second({}, otherSettings, runningThroughTheLink ? TestEnv::home() : linkedHome);
        QVERIFY(refusalOf(second).contains("Mirelda is already running."));
        QCOMPARE(filesWritten(), before);
        QCOMPARE(running.process.state(), QProcess::Running);
    }

    // A copy killed outright leaves its locks on disk; its process is gone,
    // so the next start takes both folders over.
    void lockOfAKilledCopyDoesNotBlock()
    {
        {
            ProgramCopy crashed;
            QTRY_VERIFY_WITH_TIMEOUT(settledAtLogin(crashed), kLimitMs);
            crashed.process.kill();
            QVERIFY(crashed.process.waitForFinished(kLimitMs));
        }
        QVERIFY(QFileInfo::exists(lockPath()) && QFileInfo::exists(userDirLockPath()));

        ProgramCopy next;
        QTRY_VERIFY_WITH_TIMEOUT(settledAtLogin(next), kLimitMs);
        QCOMPARE(next.process.state(), QProcess::Running);
    }

    // Process ids come round again (a container hands out the same ones at
    // each start): a lock left by a copy that had this very process's id is
    // nobody's, though a process of that id and name runs.
    void leftoverLockOfThisProcessIdDoesNotBlock()
    {
        QByteArray leftover;
        {
            QLockFile copyThatEnded(lockPath());
            QVERIFY(copyThatEnded.tryLock(0));
            leftover = TestEnv::readFile(lockPath());
        }
        QVERIFY(!QFileInfo::exists(lockPath()));
        QVERIFY(TestEnv::writeFile(lockPath(), leftover));

        InstanceLock lock(lockPath());
        QVERIFY(lock.acquire());
        QCOMPARE(lockHolder(), QCoreApplication::applicationPid());
        InstanceLock second(lockPath());
        QVERIFY(!second.acquire());
    }

    // A start given a data file opens nothing when it gives up: it says so,
    // and where the file can be opened instead.
    void secondCopyTellsTheFileWasNotOpened()
    {
        ProgramCopy running;
        QTRY_VERIFY_WITH_TIMEOUT(settledAtLogin(running), kLimitMs);

        const QString dataFile = TestEnv::home() + QStringLiteral("/trip.qlf");
        ProgramCopy second({ dataFile });
        const QByteArray refusal = refusalOf(second);
        const QString notOpened = QStringLiteral("Mirelda is already running.\nThe file \"%1\" was "
                                                 "not opened: open it in the running copy with File > Load.")
                                      .arg(dataFile);
        QVERIFY2(refusal.contains(notOpened.toLocal8Bit()), refusal.constData());
    }

    // A power cut between making the lock and writing it leaves a lock that
    // nobody holds and that names nobody: once it is old it is taken over.
    // The clock may have been set back since: dated ahead, it is old too.
    void oldUnreadableLockDoesNotBlock_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("madeSecondsFromNow");
        QTest::addColumn<QString>("lock");
        QTest::newRow("empty") << QByteArray() << -3600 << lockPath();
        QTest::newRow("garbage") << QByteArray("\x7f\x01garbage\nnot a lock") << -3600 << lockPath();
        QTest::newRow("no process id") << QByteArray("Mirelda\nvm\n") << -3600 << lockPath();
        QTest::newRow("dated ahead") << QByteArray() << 3600 << lockPath();
        QTest::newRow("user directory") << QByteArray() << -3600 << userDirLockPath();
    }
    void oldUnreadableLockDoesNotBlock()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, madeSecondsFromNow);
        QFETCH(QString, lock);
        QVERIFY(placeLock(content, QDateTime::currentDateTime().addSecs(madeSecondsFromNow), lock));

        ProgramCopy next;
        QTRY_VERIFY_WITH_TIMEOUT(settledAtLogin(next), kLimitMs);
        QCOMPARE(next.process.state(), QProcess::Running);
    }

    // A copy makes its lock and then writes it: an unreadable lock that was
    // just made may be one being written, and is left alone.
    void youngUnreadableLockStillBlocks()
    {
        QVERIFY(placeLock(QByteArray(), QDateTime::currentDateTime()));

        ProgramCopy second;
        QVERIFY(refusalOf(second).contains("Mirelda is already running."));
        QVERIFY(TestEnv::readFile(lockPath()).isEmpty());
    }

    // Whether the holder on another computer (a home on a network share)
    // still runs cannot be seen from here: the lock stays, and the refusal
    // says whose it is and which file to remove once that copy is closed.
    void lockOfAnotherComputerNamesItAndTheFile()
    {
        const QByteArray content = QByteArray::number(QCoreApplication::applicationPid())
                                   + "\nmirelda\nother-desk-7\n";
        QVERIFY(placeLock(content, QDateTime::currentDateTime().addSecs(-3600)));

        ProgramCopy second;
        const QByteArray refusal = refusalOf(second);
        QVERIFY2(refusal.contains("\"other-desk-7\""), refusal.constData());
        QVERIFY2(refusal.contains("\"" + lockPath().toLocal8Bit() + "\""), refusal.constData());
        QCOMPARE(TestEnv::readFile(lockPath()), content);
    }

    // No copy holds a folder where no lock can be made: the start is not
    // told that one runs.
    void folderWithoutALockIsHeldByNobody()
    {
        const QString plainFile = TestEnv::home() + QStringLiteral("/plain.txt");
        QVERIFY(TestEnv::writeFile(plainFile, "not a folder"));
        InstanceLock lock(InstanceLock::settingsLockPath(plainFile));
        QVERIFY(lock.acquire());
    }
};

MIRELDA_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
