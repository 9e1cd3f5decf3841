#pragma once

#include <QChar>
#include <QObject>
#include <QPointer>

#include <functional>

class QAbstractButton;
class QAction;
class QMenuBar;
class QWidget;

// Makes the first `letter` of the text the Alt+letter mnemonic: the text shown stays the same,
// the letter is underlined. A text without that letter is left as it is.
void MarkMnemonic(QAbstractButton& button, QChar letter);
void MarkMnemonic(QAction& action, QChar letter);

// Enter and Return press the focused push or tool button below `root`, as Space does (outside a
// dialog Qt presses a button only with Space).
void PressButtonsOnEnter(QWidget& root);

// The keys that move along a line of days or rows.
enum class MoveKey { Previous, Next, PageBack, PageOn, First, Last };

// Calls `move` for the arrow keys (Left and Up go back), PageUp, PageDown, Home and End pressed in
// `widget`; the key is taken when `move` returns true.
void OnMoveKeys(QWidget& widget, std::function<bool(MoveKey key)> move);

// Keeps the control the user works in across dialogs: when the window becomes active again and
// the menu bar holds the focus (a dialog opened from the menu by keyboard), the focus goes back
// to the control that had it before the menu bar.
class FocusReturn : public QObject {
public:
    FocusReturn(QWidget& window, QMenuBar& menuBar);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    QMenuBar& menuBar_;
    QPointer<QWidget> lastControl_;
};
