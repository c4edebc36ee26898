#include "files/wholefile.h"

#include "files/regularfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

namespace {

WholeFile::Stage failingStage = WholeFile::Stage::None;
int failuresLeft = 0;
int passesLeft = 0;

// A failure made here stands for a full disk, with the system's own words
// for it.
bool faultAt(WholeFile::Stage stage)
{
    if (failuresLeft <= 0 || failingStage != stage)
        return false;
    if (passesLeft > 0) {
        --passesLeft;
        return false;
    }
    if (--failuresLeft == 0)
        failingStage = WholeFile::Stage::None;
    errno = ENOSPC;
    return true;
}

QString text(const char *source)
{
    return QCoreApplication::translate("WholeFile", source);
}

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

// The disk may still hold the bytes in its cache when the rename makes them
// the file: a crash then would leave a file of zeros under the final name.
bool syncToDisk(int handle)
{
    if (handle < 0)
        return false;
#ifdef Q_OS_WIN
    return _commit(handle) == 0;
#else
    return ::fsync(handle) == 0;
#endif
}

// The system's reason for the last failed call, errno having been cleared
// before it.
QString systemReason()
{
    return errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : text("Unknown error");
}

// Why the call just made on file failed. Qt has no words for some failures
// (a flush that the full disk refused reads "Unknown error"): the system's
// reason stands in for them.
QString reasonOf(const QFileDevice &file)
{
    const bool qtHasWords = file.error() != QFileDevice::NoError
                            && file.errorString() != QCoreApplication::translate("QIODevice", "Unknown error");
    return qtHasWords ? file.errorString() : systemReason();
}

const QLatin1String kTemporarySuffix(".part");

QString temporaryPrefixOf(const QString &fileName)
{
    return QLatin1Char('.') + fileName + QLatin1Char('.');
}

bool isRunning(qint64 pid)
{
#ifdef Q_OS_WIN
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return ::GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    const bool running = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    ::CloseHandle(process);
    return running;
#else
    // a process of another user answers EPERM: it runs
    return ::kill(pid_t(pid), 0) == 0 || errno != ESRCH;
#endif
}

// The process id in a temporary's name of the file name, written as the
// program writes it; 0 when the name is not one of its temporaries.
qint64 temporaryOwner(const QString &entry, const QString &fileName)
{
    const QString prefix = temporaryPrefixOf(fileName);
    if (!entry.startsWith(prefix) || !entry.endsWith(kTemporarySuffix))
        return 0;
    const QStringRef digits = entry.midRef(prefix.size(), entry.size() - prefix.size() - kTemporarySuffix.size());
    if (digits.isEmpty() || digits.startsWith(QLatin1Char('0')))
        return 0;
    for (const QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    bool ok = false;
    const qint64 pid = digits.toLongLong(&ok);
    return ok && pid <= 0x7FFFFFFF ? pid : 0;
}

}

namespace WholeFile {

void failNextForTests(Stage stage, int count, int passing)
{
    failingStage = stage;
    failuresLeft = stage == Stage::None ? 0 : count;
    passesLeft = failuresLeft > 0 ? passing : 0;
}

bool write(const QString &path, const QByteArray &bytes, QString *error, const Preparation &prepare)
{
    QString notAFile;
    if (!RegularFile::mayReplace(path, &notAFile))
        return fail(error, QStringLiteral("it ") + notAFile);
    removeAbandonedTemporaries(path);
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, reasonOf(file));
    auto abandon = [&](const QString &reason) {
        file.cancelWriting();
        return fail(error, reason);
    };
    errno = 0;
    if (prepare && !prepare(file))
        return abandon(reasonOf(file));

    // A short write is a full disk. The bytes that did fit must not be
    // committed, and a flush error that only close() would see must be
    // seen here: QSaveFile commits what close() failed to write.
    errno = 0;
    const QByteArray kept = faultAt(Stage::Write) ? bytes.left(bytes.size() / 2) : bytes;
    if (file.write(kept) != bytes.size())
        return abandon(reasonOf(file));
    errno = 0;
    if (faultAt(Stage::Flush) || !file.flush())
        return abandon(reasonOf(file));
    errno = 0;
    if (faultAt(Stage::Sync) || !syncToDisk(file.handle()))
        return abandon(reasonOf(file));
    errno = 0;
    if (faultAt(Stage::Commit))
        return abandon(reasonOf(file));
    if (!file.commit())
        return fail(error, reasonOf(file));
    return true;
}

bool replace(const QString &temporaryPath, const QString &path, QString *error)
{
    auto abandon = [&](const QString &reason) {
        QFile::remove(temporaryPath);
        return fail(error, reason);
    };
    QString notAFile;
    if (!RegularFile::mayReplace(path, &notAFile))
        return abandon(QStringLiteral("it ") + notAFile);
    // A writer that never made its file must not have an empty one made
    // here and put in place of the target.
    QFile written(temporaryPath);
    errno = 0;
    if (!written.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return abandon(reasonOf(written));
    errno = 0;
    if (faultAt(Stage::Sync) || !syncToDisk(written.handle()))
        return abandon(reasonOf(written));
    written.close();
    errno = 0;
    // rename() puts the new file in place in one step: a reader sees the
    // old file or the new one, never neither.
    if (faultAt(Stage::Commit)
        || std::rename(QFile::encodeName(temporaryPath).constData(), QFile::encodeName(path).constData()) != 0)
        return abandon(systemReason());
    return true;
}

QString temporaryPathFor(const QString &path)
{
    const QFileInfo target(path);
    return target.absoluteDir().filePath(temporaryPrefixOf(target.fileName())
                                         + QString::number(QCoreApplication::applicationPid()) + kTemporarySuffix);
}

void removeAbandonedTemporaries(const QString &path)
{
    const QFileInfo target(path);
    const QDir folder = target.absoluteDir();
    const QStringList candidates = folder.entryList({ QStringLiteral(".*") + kTemporarySuffix },
                                                    QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString &entry : candidates) {
        const qint64 owner = temporaryOwner(entry, target.fileName());
        if (owner > 0 && !isRunning(owner))
            QFile::remove(folder.filePath(entry));
    }
}

QString refusalAt(const QString &path)
{
    // a file the writer never made is not made here: the probe beside it
    // answers for the folder
    QFile file(path);
    errno = 0;
    if (file.exists() && !file.open(QIODevice::WriteOnly | QIODevice::Append))
        return reasonOf(file);
    file.close();
    // the bytes go into a temporary of our own beside it: whatever the
    // writer left at path is not added to
    QFile probe(temporaryPathFor(path));
    errno = 0;
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return reasonOf(probe);
    const QByteArray bytes(64 * 1024, '\0');
    errno = 0;
    const bool fits = probe.write(bytes) == bytes.size() && probe.flush() && syncToDisk(probe.handle());
    const QString reason = fits ? QString() : reasonOf(probe);
    probe.remove();
    return reason;
}

}
