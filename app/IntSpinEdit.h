#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// An integer field with up and down arrows that, unlike QSpinBox, lets the user type anything
// (even "50" into a 1..40 field). Arrows and arrow keys step by one and clamp; reading a text that
// is not an integer replaces it by the minimum; losing the focus clamps the value into the range
// (no clamping when minimum equals maximum). Enter and leaving the field finish the value. A held
// arrow repeats after 400 ms, then every 100 ms.
class IntSpinEdit : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(int maxLength READ maxLength WRITE setMaxLength)
public:
    explicit IntSpinEdit(QWidget* parent = nullptr);

    int minimum() const;
    int maximum() const;
    // A minimum above the maximum raises the maximum, and the other way round, as QSpinBox does.
    void setMinimum(int minimum);
    void setMaximum(int maximum);
    void setRange(int minimum, int maximum);

    QString text() const;
    void setText(const QString& text);
    int maxLength() const;
    void setMaxLength(int length);

    // The field's integer; a text that is not an integer is replaced by the minimum first.
    int value();
    // Shows value clamped to the range.
    void setValue(int value);

    void stepUp();
    void stepDown();

    QLineEdit* lineEdit() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // Every change of the text, typed or set.
    void textChanged(const QString& text);
    // After an arrow or an arrow key has stepped the value.
    void stepped();
    // The user has finished a value: Enter, or the focus left the field (not for a context menu or
    // another window), after the clamping.
    void editingFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int clamped(int value) const;
    void stepBy(int delta);
    void placeArrows();
    int arrowColumnWidth() const;

    QLineEdit* edit_;
    QToolButton* upArrow_;
    QToolButton* downArrow_;
    int minimum_ = 0;
    int maximum_ = 0;
};
