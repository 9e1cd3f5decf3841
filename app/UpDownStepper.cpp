#include "UpDownStepper.h"

#include "ArrowButton.h"
#include "Saturate.h"

#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QToolButton* MakeArrow(QWidget* parent, Qt::ArrowType direction, const char* name) {
    QToolButton* arrow = MakeRepeatingArrow(parent, direction, name);
    // The two arrows share the stepper's height whatever it is.
    arrow->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    return arrow;
}

} // namespace

UpDownStepper::UpDownStepper(QWidget* parent)
    : QWidget(parent), upArrow_(MakeArrow(this, Qt::UpArrow, "upArrow")),
      downArrow_(MakeArrow(this, Qt::DownArrow, "downArrow")) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(upArrow_);
    column->addWidget(downArrow_);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    connect(upArrow_, &QToolButton::clicked, this, &UpDownStepper::clickUp);
    connect(downArrow_, &QToolButton::clicked, this, &UpDownStepper::clickDown);
}

int UpDownStepper::position() const {
    return position_;
}

void UpDownStepper::setPosition(int position) {
    position_ = std::clamp(position, minimum_, maximum_);
}

int UpDownStepper::minimum() const {
    return minimum_;
}

int UpDownStepper::maximum() const {
    return maximum_;
}

void UpDownStepper::setMinimum(int minimum) {
    minimum_ = minimum;
    maximum_ = std::max(maximum_, minimum);
    setPosition(position_);
}

void UpDownStepper::setMaximum(int maximum) {
    maximum_ = maximum;
    minimum_ = std::min(minimum_, maximum);
    setPosition(position_);
}

void UpDownStepper::clickUp() {
    setPosition(model::SaturatingAdd(position_, 1));
    emit clicked(true);
}

void UpDownStepper::clickDown() {
    setPosition(model::SaturatingSub(position_, 1));
    emit clicked(false);
}

QSize UpDownStepper::sizeHint() const {
    return {17, 23};
}

QSize UpDownStepper::minimumSizeHint() const {
    return {12, 12};
}
