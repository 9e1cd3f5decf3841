#include "MessageBoxes.h"

#include <cstdio>

#include <QFileInfo>
#include <QMessageBox>

#include <stdexcept>

namespace {

void ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, ApplicationTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

MessageBoxes PlatformBoxes() {
    MessageBoxes boxes;
    boxes.ShowError = [](QWidget* parent, const QString& message) {
        ShowBox(parent, QMessageBox::Critical, message);
    };
    boxes.ShowInformation = [](QWidget* parent, const QString& message) {
        ShowBox(parent, QMessageBox::Information, message);
    };
    boxes.Confirm = [](QWidget* parent, const QString& question) {
        QMessageBox box(QMessageBox::Question, ApplicationTitle, question,
                        QMessageBox::Ok | QMessageBox::Cancel, parent);
        return box.exec() == QMessageBox::Ok;
    };
    return boxes;
}

} // namespace

MessageBoxes& MessageBoxes::Current() {
    static MessageBoxes boxes = PlatformBoxes();
    return boxes;
}

bool MayReplace(QWidget* parent, const QString& fileName) {
    const QFileInfo existing(fileName);
    return !existing.exists() || existing.isDir() ||
           MessageBoxes::Current().Confirm(parent, QStringLiteral("Файл существует. Заменить?"));
}

QString ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.')) {
        return message + QLatin1Char('.');
    }
    return message;
}

void ShowErrorFor(QWidget* parent, std::exception_ptr error) {
    QString message;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
        // Something that is not an error object: shown as an error with an empty message.
    }
    try {
        MessageBoxes::Current().ShowError(parent, ErrorBoxText(message));
    } catch (const std::exception& e) {
        // Nothing may leave an event handler, not even a failure to show the box: the message
        // goes to the terminal instead.
        std::fprintf(stderr, "virasvet: %s (%s)\n", message.toLocal8Bit().constData(), e.what());
    } catch (...) {
        std::fprintf(stderr, "virasvet: %s\n", message.toLocal8Bit().constData());
    }
}
