#include "AtomicFile.h"

#include "FileSystem.h"
#include "SystemMessage.h"

#include <QFileInfo>
#include <QSaveFile>

#include <stdexcept>

namespace report {

std::runtime_error FileWriteError(const QString& fileName, const QString& reason) {
    return std::runtime_error(
        QStringLiteral("Не удалось записать файл %1: %2").arg(fileName, reason).toStdString());
}

QString SystemReason(int error) {
    return QString::fromStdString(model::SystemMessage(error));
}

QString DeviceReason(const QIODevice& device) {
    return QString::fromStdString(model::SystemMessageOf(device.errorString().toStdString()));
}

namespace {

const auto WriteError = FileWriteError;

// A short write is followed by another: a file that takes only part of the data (a full disk)
// tells why only when the next write fails.
void WriteAll(QIODevice& device, const QByteArray& bytes, const QString& fileName) {
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 count = device.write(bytes.constData() + written, bytes.size() - written);
        if (count <= 0) {
            throw WriteError(fileName, DeviceReason(device));
        }
        written += count;
    }
}

} // namespace

void RefuseSpecialFile(const QString& fileName) {
    const QFileInfo target(fileName);
    if (target.exists() && !target.isFile() && !target.isDir()) {
        throw std::runtime_error(
            QStringLiteral("Нельзя сохранить результаты в %1: это не обычный файл, а устройство, "
                           "канал или сокет. Выберите другое имя файла")
                .arg(fileName)
                .toStdString());
    }
}

void WriteFileAtomically(const QString& fileName, const QByteArray& bytes) {
    RefuseSpecialFile(fileName);

    // Unbuffered: a buffered write would fail only on closing, which loses the reason.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        throw WriteError(fileName, DeviceReason(file));
    }
    WriteAll(file, bytes, fileName);
    // Some file systems (network ones, quotas) report a full disk only when the data go to the
    // disk; the commit ignores failures of that step, so it is done here first. A temporary file
    // left uncommitted is removed with the object.
    if (const int error = SyncToDisk(file.handle())) {
        throw WriteError(fileName, SystemReason(error));
    }
    if (!file.commit()) {
        throw WriteError(fileName, DeviceReason(file));
    }
}

} // namespace report
