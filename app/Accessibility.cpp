#include "Accessibility.h"

#include "IntSpinEdit.h"
#include "UpDownStepper.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QToolButton>

namespace {

// Follows a keyboard link and keeps its focused look.
class LinkFollower : public QObject {
public:
    LinkFollower(QLabel& label, std::function<void()> follow)
        : QObject(&label), label_(label), follow_(std::move(follow)), normal_(label.palette()) {}

    void follow() const { follow_(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &label_) {
            return false;
        }
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
                follow();
                return true;
            }
        } else if (event->type() == QEvent::FocusIn) {
            QPalette focused = normal_;
            focused.setColor(QPalette::Window, normal_.color(QPalette::Highlight));
            focused.setColor(QPalette::WindowText, normal_.color(QPalette::HighlightedText));
            label_.setPalette(focused);
            label_.setAutoFillBackground(true);
        } else if (event->type() == QEvent::FocusOut) {
            label_.setPalette(normal_);
            label_.setAutoFillBackground(false);
        }
        return false;
    }

private:
    QLabel& label_;
    std::function<void()> follow_;
    QPalette normal_;
};

class LinkAccessible : public QAccessibleWidget {
public:
    explicit LinkAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override {
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty()) {
            text = static_cast<QLabel*>(widget())->text();
        }
        return text;
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction()) {
            if (const auto* follower = widget()->findChild<LinkFollower*>()) {
                follower->follow();
            }
            return;
        }
        QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* MakeInterface(const QString&, QObject* object) {
    if (auto* readout = qobject_cast<ReadoutWidget*>(object)) {
        return new QAccessibleWidget(readout, readout->role());
    }
    if (auto* link = qobject_cast<LinkLabel*>(object)) {
        return new LinkAccessible(link);
    }
    // A window of its own made of a plain widget (the stock window) is read as a window, as the
    // main window is, not as a pane.
    if (auto* widget = qobject_cast<QWidget*>(object);
        widget != nullptr && widget->windowType() == Qt::Window &&
        qobject_cast<QMainWindow*>(widget) == nullptr) {
        return new QAccessibleWidget(widget, QAccessible::Window);
    }
    return nullptr;
}

QString PlainLabelText(const QLabel& label) {
    QString text = label.text();
    // A mnemonic's ampersand is not read; "&&" is a real one.
    text.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text.simplified();
}

void Name(QWidget& control, const QString& name) {
    control.setAccessibleName(name);
    if (auto* spin = qobject_cast<IntSpinEdit*>(&control)) {
        spin->lineEdit()->setAccessibleName(name);
    }
}

bool IsControl(const QWidget& widget) {
    return qobject_cast<const QAbstractButton*>(&widget) != nullptr ||
           qobject_cast<const QLineEdit*>(&widget) != nullptr ||
           qobject_cast<const QComboBox*>(&widget) != nullptr ||
           qobject_cast<const IntSpinEdit*>(&widget) != nullptr ||
           qobject_cast<const UpDownStepper*>(&widget) != nullptr;
}

} // namespace

void InstallAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(MakeInterface);
        return true;
    }();
    (void)installed;
}

QString GroupPath(const QWidget& widget, const QWidget& root) {
    QStringList titles;
    for (const QWidget* around = widget.parentWidget(); around != nullptr && around != &root;
         around = around->parentWidget()) {
        if (const auto* group = qobject_cast<const QGroupBox*>(around)) {
            titles.prepend(group->title().simplified());
        } else if (const auto* title =
                       around->findChild<QLabel*>(around->objectName() + QStringLiteral("Title"),
                                                  Qt::FindDirectChildrenOnly)) {
            titles.prepend(PlainLabelText(*title));
        }
    }
    return titles.join(QStringLiteral(", "));
}

void DescribeControls(QWidget& root) {
    InstallAccessibility();
    const QString labelSuffix = QStringLiteral("Label");
    for (QLabel* label : root.findChildren<QLabel*>()) {
        const QString name = label->objectName();
        if (!name.endsWith(labelSuffix)) {
            continue;
        }
        const QString controlName = name.chopped(labelSuffix.size());
        auto* control = root.findChild<QWidget*>(controlName);
        if (control == nullptr || !IsControl(*control)) {
            continue;
        }
        label->setBuddy(control);
        Name(*control, PlainLabelText(*label));
        if (auto* stepper =
                root.findChild<UpDownStepper*>(controlName + QStringLiteral("Stepper"))) {
            Name(*stepper, PlainLabelText(*label));
        }
    }
    for (QToolButton* button : root.findChildren<QToolButton*>()) {
        if (button->text().isEmpty() && button->accessibleName().isEmpty() &&
            !button->toolTip().isEmpty()) {
            const QString tip = button->toolTip();
            const qsizetype colon = tip.indexOf(QLatin1Char(':'));
            button->setAccessibleName(tip.left(colon).trimmed());
            if (colon >= 0) {
                button->setAccessibleDescription(tip.mid(colon + 1).trimmed());
            }
        }
    }
    for (QWidget* control : root.findChildren<QWidget*>()) {
        if (!IsControl(*control) || qobject_cast<IntSpinEdit*>(control->parentWidget()) ||
            qobject_cast<UpDownStepper*>(control->parentWidget())) {
            continue; // the parts of a spin field or stepper are described with it
        }
        if (auto* combo = qobject_cast<QComboBox*>(control);
            combo != nullptr && combo->isHidden()) {
            // Qt reports the items of a list that was never shown as showing when the list has
            // an area; without one they count as not showing. The list is sized anew when opened.
            combo->view()->resize(0, 0);
        }
        const QString path = GroupPath(*control, root);
        if (!path.isEmpty() && control->accessibleDescription().isEmpty()) {
            control->setAccessibleDescription(path);
            if (auto* spin = qobject_cast<IntSpinEdit*>(control)) {
                spin->lineEdit()->setAccessibleDescription(path);
            }
        }
    }
}

void MakeKeyboardLink(QLabel& label, std::function<void()> follow) {
    InstallAccessibility();
    auto* follower = new LinkFollower(label, std::move(follow));
    label.installEventFilter(follower);
    label.setFocusPolicy(Qt::StrongFocus);
    if (label.accessibleName().isEmpty()) {
        label.setAccessibleName(PlainLabelText(label));
    }
}

ReadoutWidget::ReadoutWidget(QAccessible::Role role, QWidget* parent)
    : QWidget(parent), role_(role) {
    InstallAccessibility();
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

void ReadoutWidget::paintEvent(QPaintEvent*) {
    if (!hasFocus()) {
        return;
    }
    QPainter painter(this);
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(1, 1, -1, -1);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
}

void ReadoutWidget::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void ReadoutWidget::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}
