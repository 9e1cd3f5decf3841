#pragma once

#include <QString>
#include <QWidget>

#include <exception>
#include <functional>

// The program's message boxes, all captioned with the application title. Tests replace the
// functions so that no modal box ever blocks them.
struct MessageBoxes {
    // Error icon, one OK button.
    std::function<void(QWidget* parent, const QString& message)> ShowError;
    // Information icon, one OK button (range and fill-in messages).
    std::function<void(QWidget* parent, const QString& message)> ShowInformation;
    // Question icon, OK and Cancel; true when the user chose OK.
    std::function<bool(QWidget* parent, const QString& question)> Confirm;

    static MessageBoxes& Current();
};

inline const QString ApplicationTitle = QStringLiteral("Вирасвет");

// The error's message with a full stop appended when it is not empty and its last character sorts
// after '.'.
QString ErrorBoxText(const QString& message);

// Asks before a save replaces an existing file; true when the file may be written.
bool MayReplace(QWidget* parent, const QString& fileName);

// Shows the error box for whatever an event handler raised.
void ShowErrorFor(QWidget* parent, std::exception_ptr error);

// Runs an event handler's body; an error it raises is shown in the error box and goes no further,
// so no exception crosses the event loop.
template <typename Body> void RunGuarded(QWidget* parent, Body&& body) {
    try {
        body();
    } catch (...) {
        ShowErrorFor(parent, std::current_exception());
    }
}
