#pragma once

#include <Qt>

class QToolButton;
class QWidget;

// A small arrow button of the spin field and the stepper: it leaves the focus where it is and,
// held down, repeats after 400 ms and then every 100 ms.
QToolButton* MakeRepeatingArrow(QWidget* parent, Qt::ArrowType direction, const char* name);
