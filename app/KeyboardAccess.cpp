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

class LeftRightKeys : public QObject {
public:
    LeftRightKeys(QWidget& widget, std::function<bool(int)> step)
        : QObject(&widget), step_(std::move(step)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
            return false;
        }
        if (key->key() == Qt::Key_Left) {
            return step_(-1);
        }
        if (key->key() == Qt::Key_Right) {
            return step_(1);
        }
        return false;
    }

private:
    std::function<bool(int)> step_;
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

void OnLeftRightKeys(QWidget& widget, std::function<bool(int step)> step) {
    widget.installEventFilter(new LeftRightKeys(widget, std::move(step)));
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
