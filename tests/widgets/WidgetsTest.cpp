#include "IntSpinEdit.h"
#include "UpDownStepper.h"
#include "ui_PromotedWidgets.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <climits>

namespace {

QToolButton* Arrow(QWidget* widget, const char* name) {
    auto* arrow = widget->findChild<QToolButton*>(QString::fromLatin1(name));
    if (arrow == nullptr) {
        qFatal("arrow %s missing", name);
    }
    return arrow;
}

// A field next to a plain line edit in an active window, so that focus can really move away.
struct FocusPage {
    QWidget window;
    IntSpinEdit* field = new IntSpinEdit(&window);
    QLineEdit* other = new QLineEdit(&window);

    FocusPage() {
        auto* column = new QVBoxLayout(&window);
        column->addWidget(field);
        column->addWidget(other);
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window)) {
            qFatal("test window did not become active");
        }
    }

    void typeIntoField(const QString& text) {
        field->lineEdit()->setFocus(Qt::MouseFocusReason);
        field->lineEdit()->selectAll();
        QTest::keyClicks(field->lineEdit(), text);
    }

    void leaveField() { other->setFocus(Qt::TabFocusReason); }
};

} // namespace

class WidgetsTest : public QObject {
    Q_OBJECT
private slots:
    void typedTextIsKeptUntilFocusLeaves();
    void arrowsAndKeysStepAndClamp();
    void readingNonIntegerTextGivesMinimum();
    void equalBoundsMeanNoRange();
    void textChangedForTypedAndSetText();
    void handlersMaySetTextWhileNotified();
    void heldArrowRepeats();
    void stepperStaysInRangeAndReportsEveryClick();
    void widgetsWorkFromDesignerForm();
};

void WidgetsTest::typedTextIsKeptUntilFocusLeaves() {
    FocusPage page;
    page.field->setRange(1, 40);
    page.field->setText(QStringLiteral("9"));

    page.typeIntoField(QStringLiteral("50"));
    QCOMPARE(page.field->text(), QStringLiteral("50"));
    QCOMPARE(page.field->value(), 50);
    page.leaveField();
    QCOMPARE(page.field->text(), QStringLiteral("40"));

    page.typeIntoField(QStringLiteral("0"));
    page.leaveField();
    QCOMPARE(page.field->text(), QStringLiteral("1"));

    // Leaving an empty or garbled field reads it, which puts in the minimum.
    page.field->lineEdit()->setFocus(Qt::MouseFocusReason);
    page.field->lineEdit()->clear();
    page.leaveField();
    QCOMPARE(page.field->text(), QStringLiteral("1"));
    page.typeIntoField(QStringLiteral("x7"));
    page.leaveField();
    QCOMPARE(page.field->text(), QStringLiteral("1"));

    // A text inside the range is left as typed.
    page.typeIntoField(QStringLiteral("07"));
    page.leaveField();
    QCOMPARE(page.field->text(), QStringLiteral("07"));

    // A context menu does not end the editing.
    page.typeIntoField(QStringLiteral("77"));
    QFocusEvent popupFocusOut(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(page.field->lineEdit(), &popupFocusOut);
    QCOMPARE(page.field->text(), QStringLiteral("77"));
}

void WidgetsTest::arrowsAndKeysStepAndClamp() {
    IntSpinEdit field;
    field.setRange(1, 40);
    QToolButton* up = Arrow(&field, "upArrow");
    QToolButton* down = Arrow(&field, "downArrow");
    QLineEdit* edit = field.lineEdit();

    field.setText(QStringLiteral("50"));
    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(field.text(), QStringLiteral("40"));
    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(field.text(), QStringLiteral("40"));
    QTest::mouseClick(down, Qt::LeftButton);
    QCOMPARE(field.text(), QStringLiteral("39"));

    field.setText(QStringLiteral("50"));
    QTest::keyClick(edit, Qt::Key_Down);
    QCOMPARE(field.text(), QStringLiteral("40"));
    QTest::keyClick(edit, Qt::Key_Up);
    QCOMPARE(field.text(), QStringLiteral("40"));

    field.setText(QStringLiteral("2"));
    QTest::keyClick(edit, Qt::Key_Down);
    QCOMPARE(field.text(), QStringLiteral("1"));
    QTest::keyClick(edit, Qt::Key_Down);
    QCOMPARE(field.text(), QStringLiteral("1"));
    QTest::keyClick(edit, Qt::Key_Up);
    QCOMPARE(field.text(), QStringLiteral("2"));

    field.setText(QStringLiteral("-3"));
    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(field.text(), QStringLiteral("1"));

    // A text that is not a number becomes the minimum before the step.
    field.setText(QString());
    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(field.text(), QStringLiteral("2"));
    field.setText(QStringLiteral("abc"));
    field.stepDown();
    QCOMPARE(field.text(), QStringLiteral("1"));

    // Arrow keys step the field; other keys still edit the text.
    field.setText(QStringLiteral("12"));
    edit->setCursorPosition(1);
    QTest::keyClick(edit, Qt::Key_Right);
    QTest::keyClick(edit, Qt::Key_5);
    QCOMPARE(field.text(), QStringLiteral("125"));
}

void WidgetsTest::readingNonIntegerTextGivesMinimum() {
    IntSpinEdit field;
    field.setRange(1, 500);
    QSignalSpy changes(&field, &IntSpinEdit::textChanged);

    const QStringList notIntegers{
        QString(),           QStringLiteral("1,5"),         QStringLiteral("12a"),
        QStringLiteral("-"), QStringLiteral("99999999999"), QStringLiteral("0x10")};
    for (const QString& text : notIntegers) {
        field.setText(text);
        QCOMPARE(field.value(), 1);
        QCOMPARE(field.text(), QStringLiteral("1"));
    }

    // Integers are read as they are, outside the range too, and their text stays.
    const QList<QPair<QString, int>> integers{{QStringLiteral("007"), 7},
                                              {QStringLiteral(" 12 "), 12},
                                              {QStringLiteral("+3"), 3},
                                              {QStringLiteral("-8"), -8},
                                              {QStringLiteral("600"), 600}};
    for (const auto& [text, number] : integers) {
        field.setText(text);
        QCOMPARE(field.value(), number);
        QCOMPARE(field.text(), text);
    }

    // Reading a text that already shows the minimum changes nothing.
    field.setText(QStringLiteral("1"));
    changes.clear();
    QCOMPARE(field.value(), 1);
    QCOMPARE(changes.count(), 0);

    field.setValue(501);
    QCOMPARE(field.text(), QStringLiteral("500"));
    field.setValue(-5);
    QCOMPARE(field.text(), QStringLiteral("1"));
}

void WidgetsTest::equalBoundsMeanNoRange() {
    FocusPage page;
    page.field->setRange(5, 5);
    page.typeIntoField(QStringLiteral("50"));
    page.leaveField();
    QCOMPARE(page.field->text(), QStringLiteral("50"));
    page.field->stepUp();
    QCOMPARE(page.field->text(), QStringLiteral("51"));
    page.field->setValue(-7);
    QCOMPARE(page.field->text(), QStringLiteral("-7"));
    page.field->setText(QStringLiteral("junk"));
    page.field->stepDown();
    QCOMPARE(page.field->text(), QStringLiteral("4"));

    // Stepping beyond the integer range sticks at its end.
    page.field->setValue(INT_MAX);
    page.field->stepUp();
    QCOMPARE(page.field->value(), INT_MAX);
    page.field->setValue(INT_MIN);
    page.field->stepDown();
    QCOMPARE(page.field->value(), INT_MIN);

    // Bounds given in either order never cross.
    IntSpinEdit field;
    field.setMaximum(40);
    field.setMinimum(50);
    QCOMPARE(field.maximum(), 50);
    field.setMaximum(10);
    QCOMPARE(field.minimum(), 10);
}

void WidgetsTest::textChangedForTypedAndSetText() {
    FocusPage page;
    page.field->setRange(1, 40);
    page.field->setText(QStringLiteral("9"));
    QSignalSpy changes(page.field, &IntSpinEdit::textChanged);

    page.typeIntoField(QStringLiteral("12"));
    QCOMPARE(changes.count(), 2);
    QCOMPARE(changes.at(0).at(0).toString(), QStringLiteral("1"));
    QCOMPARE(changes.at(1).at(0).toString(), QStringLiteral("12"));

    changes.clear();
    page.field->setText(QStringLiteral("30"));
    page.field->setValue(31);
    page.field->stepDown();
    QTest::keyClick(page.field->lineEdit(), Qt::Key_Up);
    QTest::mouseClick(Arrow(page.field, "upArrow"), Qt::LeftButton);
    const QStringList expected{QStringLiteral("30"), QStringLiteral("31"), QStringLiteral("30"),
                               QStringLiteral("31"), QStringLiteral("32")};
    QCOMPARE(changes.count(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(changes.at(i).at(0).toString(), expected.at(i));
    }

    // The same text again is no change; neither is a step that the range stops.
    changes.clear();
    page.field->setText(QStringLiteral("32"));
    page.field->setValue(40);
    page.field->stepUp();
    QCOMPARE(changes.count(), 1);

    // Clamping when the focus leaves is a change as well.
    page.typeIntoField(QStringLiteral("77"));
    changes.clear();
    page.leaveField();
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.at(0).at(0).toString(), QStringLiteral("40"));
}

void WidgetsTest::handlersMaySetTextWhileNotified() {
    FocusPage page;
    IntSpinEdit* field = page.field;
    field->setRange(1, 500);
    field->setText(QStringLiteral("40"));
    // A handler in the manner of the lamp-power field: it reads the value (so an empty text
    // becomes the minimum) and moves a few values next to standard ones.
    int handlerRuns = 0;
    QObject::connect(field, &IntSpinEdit::textChanged, field, [field, &handlerRuns] {
        ++handlerRuns;
        const int current = field->value();
        if (current == 13) {
            field->setValue(24);
        } else if (current == 39) {
            field->setValue(35);
        } else {
            field->setValue(current);
        }
    });

    QTest::keyClick(field->lineEdit(), Qt::Key_Down);
    QCOMPARE(field->text(), QStringLiteral("35"));
    QCOMPARE(handlerRuns, 2);

    page.typeIntoField(QStringLiteral("130"));
    QCOMPARE(field->text(), QStringLiteral("240"));
    QCOMPARE(field->lineEdit()->cursorPosition(), 3);

    field->lineEdit()->setFocus(Qt::MouseFocusReason);
    field->lineEdit()->selectAll();
    QTest::keyClick(field->lineEdit(), Qt::Key_Backspace);
    QCOMPARE(field->text(), QStringLiteral("1"));

    // A handler writing back the text it read leaves the cursor where the user types.
    field->setText(QStringLiteral("40"));
    field->lineEdit()->setCursorPosition(1);
    QTest::keyClick(field->lineEdit(), Qt::Key_5);
    QCOMPARE(field->text(), QStringLiteral("450"));
    QCOMPARE(field->lineEdit()->cursorPosition(), 2);

    // Typed text over the maximum goes through the handler's setValue, which clamps.
    page.typeIntoField(QStringLiteral("900"));
    QCOMPARE(field->text(), QStringLiteral("500"));
}

void WidgetsTest::heldArrowRepeats() {
    IntSpinEdit field;
    UpDownStepper stepper;
    for (QWidget* widget : {static_cast<QWidget*>(&field), static_cast<QWidget*>(&stepper)}) {
        for (const char* name : {"upArrow", "downArrow"}) {
            QToolButton* arrow = Arrow(widget, name);
            QVERIFY(arrow->autoRepeat());
            QCOMPARE(arrow->autoRepeatDelay(), 400);
            QCOMPARE(arrow->autoRepeatInterval(), 100);
        }
    }

    field.setRange(0, 1000);
    field.setText(QStringLiteral("0"));
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    QToolButton* up = Arrow(&field, "upArrow");
    QTest::mousePress(up, Qt::LeftButton);
    QTest::qWait(300);
    QCOMPARE(field.text(), QStringLiteral("0"));
    QTest::qWait(900);
    QTest::mouseRelease(up, Qt::LeftButton);
    // About eight repeats by the clock; a busy machine may deliver fewer timer ticks.
    QVERIFY2(field.value() >= 3 && field.value() <= 10, qPrintable(field.text()));
}

void WidgetsTest::stepperStaysInRangeAndReportsEveryClick() {
    UpDownStepper stepper;
    stepper.setMinimum(0);
    stepper.setMaximum(1000);
    QSignalSpy clicks(&stepper, &UpDownStepper::clicked);

    stepper.setPosition(1200);
    QCOMPARE(stepper.position(), 1000);
    stepper.setPosition(-3);
    QCOMPARE(stepper.position(), 0);
    stepper.setPosition(130);
    QCOMPARE(stepper.position(), 130);
    QCOMPARE(clicks.count(), 0);

    QTest::mouseClick(Arrow(&stepper, "upArrow"), Qt::LeftButton);
    QCOMPARE(stepper.position(), 131);
    QTest::mouseClick(Arrow(&stepper, "downArrow"), Qt::LeftButton);
    QTest::mouseClick(Arrow(&stepper, "downArrow"), Qt::LeftButton);
    QCOMPARE(stepper.position(), 129);
    QCOMPARE(clicks.count(), 3);
    QCOMPARE(clicks.at(0).at(0).toBool(), true);
    QCOMPARE(clicks.at(2).at(0).toBool(), false);

    // At the ends a click does not wrap round, yet it is still reported.
    clicks.clear();
    stepper.setPosition(1000);
    stepper.clickUp();
    QCOMPARE(stepper.position(), 1000);
    stepper.setPosition(0);
    stepper.clickDown();
    QCOMPARE(stepper.position(), 0);
    QCOMPARE(clicks.count(), 2);
    QCOMPARE(clicks.at(0).at(0).toBool(), true);
    QCOMPARE(clicks.at(1).at(0).toBool(), false);

    // Narrowing the range pulls the position in.
    stepper.setPosition(700);
    stepper.setMaximum(500);
    QCOMPARE(stepper.position(), 500);
    stepper.setMinimum(600);
    QCOMPARE(stepper.position(), 600);
    QCOMPARE(stepper.maximum(), 600);
}

void WidgetsTest::widgetsWorkFromDesignerForm() {
    QWidget form;
    Ui::PromotedWidgets ui;
    ui.setupUi(&form);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QCOMPARE(ui.floorCount->minimum(), 1);
    QCOMPARE(ui.floorCount->maximum(), 40);
    QCOMPARE(ui.floorCount->text(), QStringLiteral("9"));
    QCOMPARE(ui.floorCount->maxLength(), 3);
    QCOMPARE(ui.floorCount->lineEdit()->geometry(), QRect(0, 0, 60, 24));
    // A position above the default maximum survives whatever order the form sets properties in.
    QCOMPARE(ui.burnHoursStepper->position(), 130);
    QCOMPARE(ui.burnHoursStepper->maximum(), 1000);

    // The arrows sit inside the field's frame, up above down, and leave the text room.
    QToolButton* up = Arrow(ui.floorCount, "upArrow");
    QToolButton* down = Arrow(ui.floorCount, "downArrow");
    QVERIFY(ui.floorCount->rect().contains(up->geometry()));
    QVERIFY(ui.floorCount->rect().contains(down->geometry()));
    QVERIFY(up->geometry().bottom() < down->geometry().top());
    QVERIFY(up->height() >= 8);
    QVERIFY(ui.floorCount->lineEdit()->textMargins().right() >= up->width());
    QToolButton* stepperUp = Arrow(ui.burnHoursStepper, "upArrow");
    QToolButton* stepperDown = Arrow(ui.burnHoursStepper, "downArrow");
    QCOMPARE(stepperUp->height() + stepperDown->height(), 24);
    QCOMPARE(stepperUp->width(), 17);
}

QTEST_MAIN(WidgetsTest)
#include "WidgetsTest.moc"
