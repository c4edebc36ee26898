#pragma once

#include <QByteArray>
#include <QString>

// Every file a user names for the program to read goes through here. Only a
// regular file is read: opening a FIFO or a device for reading waits until
// something writes into it, and the window would freeze meanwhile, so such a
// path is refused without waiting, as is a folder.
//
// Only QtCore is used.
namespace RegularFile {

// The first maxBytes bytes (at most) of the file at path. False when it is
// not read; why then follows the path in a sentence ("is missing", "is a
// folder, not a file", "cannot be read (Permission denied)").
bool read(const QString &path, qint64 maxBytes, QByteArray *bytes, QString *why);

// Whether nothing at all stands at path, not even a link that leads
// nowhere: a file written there would otherwise land where the link leads.
bool isFree(const QString &path);

// Whether a file may be put in place of path: nothing stands there yet, or a
// regular file does. A new file renamed into place would otherwise take the
// place of a pipe, a device or a folder. why as for read.
bool mayReplace(const QString &path, QString *why);

}
