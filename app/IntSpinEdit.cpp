#include "IntSpinEdit.h"

#include "ArrowButton.h"
#include "Saturate.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int kArrowWidth = 16;

QToolButton* MakeArrow(QWidget* parent, Qt::ArrowType direction, const char* name) {
    QToolButton* arrow = MakeRepeatingArrow(parent, direction, name);
    // The line edit keeps the focus while the arrows are used, as in a spin box.
    arrow->setCursor(Qt::ArrowCursor);
    return arrow;
}

} // namespace

IntSpinEdit::IntSpinEdit(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)),
      upArrow_(MakeArrow(this, Qt::UpArrow, "upArrow")),
      downArrow_(MakeArrow(this, Qt::DownArrow, "downArrow")) {
    edit_->setObjectName(QStringLiteral("lineEdit"));
    edit_->installEventFilter(this);
    upArrow_->raise();
    downArrow_->raise();
    setFocusProxy(edit_);
    setFocusPolicy(edit_->focusPolicy());
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);

    connect(edit_, &QLineEdit::textChanged, this, &IntSpinEdit::textChanged);
    // A click on an arrow makes this the field being edited, so the field the user leaves is
    // clamped first.
    for (QToolButton* arrow : {upArrow_, downArrow_}) {
        connect(arrow, &QToolButton::pressed, this, [this] {
            if (!edit_->hasFocus()) {
                edit_->setFocus(Qt::MouseFocusReason);
            }
        });
    }
    connect(upArrow_, &QToolButton::clicked, this, &IntSpinEdit::stepUp);
    connect(downArrow_, &QToolButton::clicked, this, &IntSpinEdit::stepDown);
    placeArrows();
}

int IntSpinEdit::minimum() const {
    return minimum_;
}

int IntSpinEdit::maximum() const {
    return maximum_;
}

void IntSpinEdit::setMinimum(int minimum) {
    minimum_ = minimum;
    maximum_ = std::max(maximum_, minimum);
}

void IntSpinEdit::setMaximum(int maximum) {
    maximum_ = maximum;
    minimum_ = std::min(minimum_, maximum);
}

void IntSpinEdit::setRange(int minimum, int maximum) {
    setMinimum(minimum);
    setMaximum(maximum);
}

QString IntSpinEdit::text() const {
    return edit_->text();
}

void IntSpinEdit::setText(const QString& text) {
    // Setting the shown text again is no change: the cursor stays where the user is typing, and a
    // handler that writes back what it read comes to rest.
    if (edit_->text() != text) {
        edit_->setText(text);
    }
}

int IntSpinEdit::maxLength() const {
    return edit_->maxLength();
}

void IntSpinEdit::setMaxLength(int length) {
    edit_->setMaxLength(length);
}

int IntSpinEdit::value() {
    bool isInteger = false;
    // toInt forgives blanks around the digits, which are easy to type and hard to see.
    const int parsed = edit_->text().toInt(&isInteger);
    if (!isInteger) {
        setText(QString::number(minimum_));
        return minimum_;
    }
    return parsed;
}

void IntSpinEdit::setValue(int value) {
    setText(QString::number(clamped(value)));
}

void IntSpinEdit::stepUp() {
    stepBy(1);
}

void IntSpinEdit::stepDown() {
    stepBy(-1);
}

QLineEdit* IntSpinEdit::lineEdit() const {
    return edit_;
}

QSize IntSpinEdit::sizeHint() const {
    const QSize editHint = edit_->sizeHint();
    const int digitsWidth = edit_->fontMetrics().horizontalAdvance(QStringLiteral("-0000000"));
    return {digitsWidth + arrowColumnWidth() + 8, editHint.height()};
}

QSize IntSpinEdit::minimumSizeHint() const {
    const QSize editHint = edit_->minimumSizeHint();
    return {editHint.width() + arrowColumnWidth(), editHint.height()};
}

bool IntSpinEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched != edit_) {
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (modifiers == Qt::NoModifier &&
            (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            key->key() == Qt::Key_Up ? stepUp() : stepDown();
            return true;
        }
        if (modifiers == Qt::NoModifier &&
            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            // Not taken: in a dialog Enter still reaches the default button.
            emit editingFinished();
        }
    } else if (event->type() == QEvent::FocusOut) {
        // A context menu or a switch to another window is no end of editing: the user comes
        // back to the same text.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            const int current = value();
            if (clamped(current) != current) {
                setValue(current);
            }
            emit editingFinished();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void IntSpinEdit::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeArrows();
}

void IntSpinEdit::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange) {
        placeArrows();
    }
}

int IntSpinEdit::clamped(int value) const {
    if (minimum_ == maximum_) {
        return value;
    }
    return std::clamp(value, minimum_, maximum_);
}

void IntSpinEdit::stepBy(int delta) {
    setValue(model::SaturatingAdd(value(), delta));
    emit stepped();
}

int IntSpinEdit::arrowColumnWidth() const {
    return kArrowWidth;
}

void IntSpinEdit::placeArrows() {
    edit_->setGeometry(rect());
    QStyleOptionFrame frameOption;
    frameOption.initFrom(edit_);
    const int frame =
        edit_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frameOption, edit_);
    const int innerHeight = std::max(2, height() - 2 * frame);
    const int upHeight = innerHeight / 2;
    const int left = std::max(frame, width() - frame - kArrowWidth);
    upArrow_->setGeometry(left, frame, kArrowWidth, upHeight);
    downArrow_->setGeometry(left, frame + upHeight, kArrowWidth, innerHeight - upHeight);
    edit_->setTextMargins(0, 0, kArrowWidth, 0);
}
