#include "KeyboardAccess.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>

namespace {

QString WithMnemonic(const QString& text, QChar letter) {
    if (text.contains(QLatin1Char('&'))) {
        return text; // already marked; a literal '&' would need doubling
    }
    const qsizetype at = text.indexOf(letter);
    if (at < 0) {
        return text;
    }
    return text.left(at) + QLatin1Char('&') + text.mid(at);
}

class EnterPresses : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (modifiers != Qt::NoModifier ||
            (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)) {
            return false;
        }
        auto* button = static_cast<QAbstractButton*>(watched);
        if (!button->isEnabled() || key->isAutoRepeat()) {
            return false;
        }
        button->animateClick();
        return true;
    }
};

class MoveKeys : public QObject {
public:
    MoveKeys(QWidget& widget, std::function<bool(MoveKey)> move)
        : QObject(&widget), move_(std::move(move)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
            return false;
        }
        switch (key->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            return move_(MoveKey::Previous);
        case Qt::Key_Right:
        case Qt::Key_Down:
            return move_(MoveKey::Next);
        case Qt::Key_PageUp:
            return move_(MoveKey::PageBack);
        case Qt::Key_PageDown:
            return move_(MoveKey::PageOn);
        case Qt::Key_Home:
            return move_(MoveKey::First);
        case Qt::Key_End:
            return move_(MoveKey::Last);
        default:
            return false;
        }
    }

private:
    std::function<bool(MoveKey)> move_;
};

} // namespace

void MarkMnemonic(QAbstractButton& button, QChar letter) {
    button.setText(WithMnemonic(button.text(), letter));
}

void MarkMnemonic(QAction& action, QChar letter) {
    action.setText(WithMnemonic(action.text(), letter));
}

void PressButtonsOnEnter(QWidget& root) {
    auto* presses = new EnterPresses(&root);
    for (QAbstractButton* button : root.findChildren<QAbstractButton*>()) {
        if (qobject_cast<QPushButton*>(button) != nullptr ||
            qobject_cast<QToolButton*>(button) != nullptr) {
            button->installEventFilter(presses);
        }
    }
}

void OnMoveKeys(QWidget& widget, std::function<bool(MoveKey key)> move) {
    widget.installEventFilter(new MoveKeys(widget, std::move(move)));
}

FocusReturn::FocusReturn(QWidget& window, QMenuBar& menuBar)
    : QObject(&window), window_(window), menuBar_(menuBar) {
    window_.installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != nullptr && now != &menuBar_ && now->window() == &window_) {
            lastControl_ = now;
        }
    });
}

bool FocusReturn::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::WindowActivate) {
        if (window_.focusWidget() == &menuBar_ && lastControl_ && lastControl_->isVisible() &&
            lastControl_->isEnabled()) {
            lastControl_->setFocus(Qt::OtherFocusReason);
        }
    }
    return false;
}
