#pragma once

#include <QWidget>

class QToolButton;

// A pair of up and down arrows with its own integer position (not bound to any text), one step
// per click, clamped to its range without wrap-around.
class UpDownStepper : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int position READ position WRITE setPosition)
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
public:
    explicit UpDownStepper(QWidget* parent = nullptr);

    int position() const;
    void setPosition(int position); // clamped, emits nothing
    int minimum() const;
    int maximum() const;
    // A minimum above the maximum raises the maximum, and the other way round; the position
    // follows into the new range.
    void setMinimum(int minimum);
    void setMaximum(int maximum);

    void clickUp();
    void clickDown();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // After a click has moved (or tried to move) the position.
    void clicked(bool up);

private:
    QToolButton* upArrow_;
    QToolButton* downArrow_;
    int position_ = 0;
    int minimum_ = 0;
    int maximum_ = 1000;
};
