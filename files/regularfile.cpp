#include "files/regularfile.h"

#include <cerrno>
#include <cstring>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("RegularFile", source);
}

bool refuse(QString *why, const QString &reason)
{
    if (why)
        *why = reason;
    return false;
}

QString missing()
{
    return text("is missing");
}

QString notRegular(bool folder)
{
    return folder ? text("is a folder, not a file") : text("is a pipe or a device, not a file");
}

QString unreadable(const QString &reason)
{
    return text("cannot be read (%1)").arg(reason);
}

#ifndef Q_OS_WIN
// Why the system refused the path, as errno has it.
QString systemRefusal()
{
    return errno == ENOENT ? missing() : unreadable(QString::fromLocal8Bit(std::strerror(errno)));
}
#endif

bool readOpened(QFile &file, qint64 maxBytes, QByteArray *bytes, QString *why)
{
    const QByteArray content = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError)
        return refuse(why, unreadable(file.errorString()));
    if (bytes)
        *bytes = content;
    return true;
}

}

#ifdef Q_OS_WIN

bool RegularFile::read(const QString &path, qint64 maxBytes, QByteArray *bytes, QString *why)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return refuse(why, missing());
    if (!info.isFile())
        return refuse(why, notRegular(info.isDir()));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(why, unreadable(file.errorString()));
    return readOpened(file, maxBytes, bytes, why);
}

#else

bool RegularFile::read(const QString &path, qint64 maxBytes, QByteArray *bytes, QString *why)
{
    if (path.isEmpty())
        return refuse(why, missing());
    const QByteArray name = QFile::encodeName(path);
    // a device is not even opened: opening some of them does something
    struct stat status;
    if (::stat(name.constData(), &status) != 0)
        return refuse(why, systemRefusal());
    if (!S_ISREG(status.st_mode))
        return refuse(why, notRegular(S_ISDIR(status.st_mode)));
    // The path may name something else by the time it is opened: the open
    // must not wait on a FIFO put there meanwhile, and what it opened is
    // looked at again before a byte is read.
    const int handle = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (handle < 0)
        return refuse(why, systemRefusal());
    if (::fstat(handle, &status) != 0 || !S_ISREG(status.st_mode)) {
        const bool folder = S_ISDIR(status.st_mode);
        ::close(handle);
        return refuse(why, notRegular(folder));
    }
    QFile file;
    if (!file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        return refuse(why, unreadable(file.errorString()));
    }
    return readOpened(file, maxBytes, bytes, why);
}

#endif

bool RegularFile::isFree(const QString &path)
{
    const QFileInfo target(path);
    return !target.exists() && !target.isSymLink();
}

bool RegularFile::mayReplace(const QString &path, QString *why)
{
    const QFileInfo target(path);
    if (isFree(path) || target.isFile())
        return true;
    if (!target.exists())
        return refuse(why, text("is a link that leads nowhere, not a file"));
    return refuse(why, notRegular(target.isDir()));
}
