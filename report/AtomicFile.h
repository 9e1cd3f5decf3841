#pragma once

#include <QByteArray>
#include <QString>

namespace report {

// Replaces the file's contents by the bytes. The data go to a temporary file beside the target
// that takes the name only when it is complete and on the disk, so a failure leaves an existing
// file whole. A link to a regular file is written through: it stays a link and its target gets
// the new contents. A name that exists and is neither a regular file nor a folder (a device, a
// pipe, a socket, or a link to one) is refused and left as it is. Raises std::runtime_error that
// names the file and gives the system's reason.
void WriteFileAtomically(const QString& fileName, const QByteArray& bytes);

} // namespace report
