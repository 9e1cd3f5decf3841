#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <stdexcept>

namespace report {

// Replaces the file's contents by the bytes. The data go to a temporary file beside the target
// that takes the name only when it is complete and on the disk, so a failure leaves an existing
// file whole. A link to a regular file is written through: it stays a link and its target gets
// the new contents. A name that exists and is neither a regular file nor a folder (a device, a
// pipe, a socket, or a link to one) is refused and left as it is. Raises std::runtime_error that
// names the file and gives the system's reason.
void WriteFileAtomically(const QString& fileName, const QByteArray& bytes);

// Refuses a name that exists and is neither a regular file nor a folder: renaming a finished
// temporary file over it would put a regular file in place of a device, a pipe or a socket.
void RefuseSpecialFile(const QString& fileName);

// The error of a file that could not be written, naming it and saying why.
std::runtime_error FileWriteError(const QString& fileName, const QString& reason);

// An errno value in the program's words: what happened and what to do.
QString SystemReason(int error);

// The reason a Qt file or device gives for its last error, in the program's words when it is a
// common one.
QString DeviceReason(const QIODevice& device);

} // namespace report
