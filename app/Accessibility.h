#pragma once

#include <QAccessible>
#include <QLabel>
#include <QWidget>

#include <functional>

// Installs the program's accessible interfaces: labels that act as links and the readouts of the
// painted results. Once the application exists;
// installing again changes nothing.
void InstallAccessibility();

// Names the controls of `root` for assistive technology after their labels: the label
// "somethingLabel" becomes the buddy of the control "something" and gives it its name; a stepper
// "somethingStepper" takes the name of "something". Every control is described by the panels and
// group boxes around it ("Существующая схема освещения, Параметры этажа"). Icon-only tool buttons
// take their name from the tool tip, up to a colon. The lists of hidden selectors do not show.
void DescribeControls(QWidget& root);

// The group path of a widget below `root`: the titles of the panels and group boxes around it,
// outermost first, joined by ", ".
QString GroupPath(const QWidget& widget, const QWidget& root);

// Shows a text in a label named for what it shows ("Итог плана"): assistive technology reads the
// name, then the text as the description, and again whenever it changes.
inline void ShowReadout(QLabel& label, const QString& text) {
    label.setText(text);
    label.setAccessibleDescription(text);
}

// A label shown as a link that the keyboard reaches too: Tab focuses it (its colours invert
// while focused), Enter or Space follows it, and assistive technology sees a link with a press
// action. Mouse clicks stay with whoever handles them today.
void MakeKeyboardLink(QLabel& label, std::function<void()> follow);

// A label shown as a link, of its own class so that assistive technology is given a link (Qt's
// own interface for a QLabel would win over the program's).
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
};

// A widget that draws nothing and lets the mouse through, laid over a painted part of a window
// so that assistive technology can read that part: its role, name and description are what a
// screen reader announces. Focusable ones show a dotted frame while focused.
class ReadoutWidget : public QWidget {
    Q_OBJECT
public:
    ReadoutWidget(QAccessible::Role role, QWidget* parent);
    QAccessible::Role role() const { return role_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QAccessible::Role role_;
};
