#pragma once

#include <functional>

#include <QByteArray>
#include <QFileDevice>
#include <QString>

// Every file the program writes whole goes through here, so that a file is
// either complete under its final name or not there at all: the bytes go to
// a temporary file beside the target, are forced to the disk, and only then
// take the target's name. A full disk, a lost drive or a refused rename
// leaves the previous file as it was, and the caller gets the reason.
//
// Only QtCore is used: the build tools compile this file too.
namespace WholeFile {

// Gets the temporary file, open and still empty, before the bytes go in: the
// place to narrow its permissions, so that the content is never readable
// beyond them. Returning false gives the write up.
using Preparation = std::function<bool(QFileDevice &file)>;

// Writes bytes as the whole content of path. False with the reason in error
// when nothing was replaced.
bool write(const QString &path, const QByteArray &bytes, QString *error = nullptr,
           const Preparation &prepare = {});

// For writers that need a file name of their own (a printer, say): puts the
// finished temporary file, which must lie in the target's folder, in place
// of path once it is on the disk. On failure the temporary file is removed,
// path is left as it was and error tells why.
bool replace(const QString &temporaryPath, const QString &path, QString *error = nullptr);

// The name under which a writer with a file name of its own makes path:
// hidden beside it, and carrying the process id, so that what a writer
// killed on its way left behind can be told from a running writer's file.
QString temporaryPathFor(const QString &path);

// Removes the temporaries of path (temporaryPathFor) whose process is gone:
// nothing else would ever remove them. Those of running processes and
// every other file stay.
void removeAbandonedTemporaries(const QString &path);

// For a writer that says nothing of its own failures (a printer): the
// system's reason for refusing bytes at path, asked by opening path when it
// exists and by writing a temporary beside it, which goes again. Empty when
// the bytes now fit.
QString refusalAt(const QString &path);

// Test seam: the next count writes or replacements that reach stage fail
// there as a full disk would make them fail (a write stage keeps half of the
// bytes, and the reason is the system's for a full disk), once the first
// `passing` of them have gone through.
enum class Stage { None, Write, Flush, Sync, Commit };
void failNextForTests(Stage stage, int count = 1, int passing = 0);

}
