#pragma once

#include <QFont>

class QLabel;
class QWidget;

// The dialogs' font: 11 pixels high, in a face that is on Linux, has Cyrillic and is as wide as
// the one the layouts were drawn for.
QFont DialogFont();

// A label shown as a link: blue, underlined, 13 pixels high.
void StyleAsLink(QLabel& label);

// Places a window in the middle of the available area of its parent's screen (or the primary
// screen). Called just before the window is shown, so that the toolkit keeps this position.
void CenterOnScreen(QWidget& window);
