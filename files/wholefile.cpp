#include "files/wholefile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

WholeFile::Stage failingStage = WholeFile::Stage::None;
int failuresLeft = 0;
int passesLeft = 0;

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
    return true;
}

QString text(const char *source)
{
    return QCoreApplication::translate("WholeFile", source);
}

QString diskFullText()
{
    return text("No space left on device");
}

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason.isEmpty() ? text("Unknown error") : reason;
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

// The system's reason for the last failed call; a failure made by the test
// seam has none and reads as a full disk.
QString systemReason()
{
    return errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : diskFullText();
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, file.errorString());
    auto abandon = [&](const QString &reason) {
        file.cancelWriting();
        return fail(error, reason);
    };
    if (prepare && !prepare(file))
        return abandon(file.errorString());

    // A short write is a full disk. The bytes that did fit must not be
    // committed, and a flush error that only close() would see must be
    // seen here: QSaveFile commits what close() failed to write.
    const bool shortened = faultAt(Stage::Write);
    const QByteArray kept = shortened ? bytes.left(bytes.size() / 2) : bytes;
    if (file.write(kept) != bytes.size())
        return abandon(shortened ? diskFullText() : file.errorString());
    if (faultAt(Stage::Flush) || !file.flush())
        return abandon(file.error() != QFileDevice::NoError ? file.errorString() : diskFullText());
    errno = 0;
    if (faultAt(Stage::Sync) || !syncToDisk(file.handle()))
        return abandon(systemReason());
    if (faultAt(Stage::Commit))
        return abandon(diskFullText());
    if (!file.commit())
        return fail(error, file.errorString());
    return true;
}

bool replace(const QString &temporaryPath, const QString &path, QString *error)
{
    auto abandon = [&](const QString &reason) {
        QFile::remove(temporaryPath);
        return fail(error, reason);
    };
    // A writer that never made its file must not have an empty one made
    // here and put in place of the target.
    QFile written(temporaryPath);
    if (!written.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return abandon(written.errorString());
    errno = 0;
    if (faultAt(Stage::Sync) || !syncToDisk(written.handle()))
        return abandon(systemReason());
    written.close();
    errno = 0;
    // rename() puts the new file in place in one step: a reader sees the
    // old file or the new one, never neither.
    if (faultAt(Stage::Commit)
        || std::rename(QFile::encodeName(temporaryPath).constData(), QFile::encodeName(path).constData()) != 0)
        return abandon(systemReason());
    return true;
}

}
