#include "AboutDialog.h"
#include "Help.h"
#include "IntSpinEdit.h"
#include "Locale.h"
#include "MainWindow.h"
#include "MessageBoxes.h"
#include "SettingsDialog.h"
#include "ui_AboutDialog.h"
#include "ui_MainWindow.h"

#include <QAccessible>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>

namespace {

struct Seen {
    QAccessible::Role Role;
    QString Name;
    QString Description;
    bool Focusable;
};

bool IsControl(QAccessible::Role role) {
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::ComboBox:
    case QAccessible::Link:
    case QAccessible::ButtonMenu:
        return true;
    default:
        return false;
    }
}

// Everything a screen reader finds showing below the interface, depth first.
// Like a screen reader, it looks below hidden objects too: what they hold must not show.
void Walk(QAccessibleInterface* node, QList<Seen>& seen) {
    if (node == nullptr || !node->isValid()) {
        return;
    }
    if (!node->state().invisible) {
        seen.append({node->role(), node->text(QAccessible::Name),
                     node->text(QAccessible::Description), bool(node->state().focusable)});
    }
    for (int i = 0; i < node->childCount(); ++i) {
        Walk(node->child(i), seen);
    }
}

QList<Seen> ShowingTree(QWidget& window) {
    QList<Seen> seen;
    Walk(QAccessible::queryAccessibleInterface(&window), seen);
    return seen;
}

QStringList UnnamedControls(const QList<Seen>& seen) {
    QStringList unnamed;
    for (const Seen& s : seen) {
        if (IsControl(s.Role) && s.Focusable && s.Name.trimmed().isEmpty()) {
            unnamed << QStringLiteral("role %1: %2").arg(int(s.Role)).arg(s.Description);
        }
    }
    return unnamed;
}

const Seen* Find(const QList<Seen>& seen, const std::function<bool(const Seen&)>& match) {
    for (const Seen& s : seen) {
        if (match(s)) {
            return &s;
        }
    }
    return nullptr;
}

} // namespace

// What keyboard and screen-reader users meet in the windows.
class AccessibilityTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindow> window_;
    QStringList boxes_;
    QList<QUrl> opened_;
    Ui::MainWindow& Ui() { return *window_->ui(); }
    // Alt with a Cyrillic letter, as the Russian keyboard layout sends it.
    void AltLetter(char16_t capital) {
        const auto key = static_cast<Qt::Key>(capital);
        const QString text = QString(QChar(capital)).toLower();
        QTest::sendKeyEvent(QTest::Press, window_.get(), key, text, Qt::AltModifier);
        QTest::sendKeyEvent(QTest::Release, window_.get(), key, text, Qt::AltModifier);
    }

private slots:
    void init() {
        boxes_.clear();
        opened_.clear();
        MessageBoxes& boxes = MessageBoxes::Current();
        boxes.ShowError = [this](QWidget*, const QString& message) { boxes_ << message; };
        boxes.ShowInformation = [this](QWidget*, const QString& message) { boxes_ << message; };
        ShellOpen() = [this](const QUrl& target) {
            opened_ << target;
            return true;
        };
        window_ = std::make_unique<MainWindow>(model::NumberLocale{",", " "});
        window_->SetSeedSource([] { return 1700000000u; });
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }
    void cleanup() {
        window_.reset();
        QCOMPARE(boxes_, QStringList());
    }

    void aWindowOfItsOwnIsReadAsAWindow() {
        QWidget own(window_.get(), Qt::Window);
        own.show();
        QCOMPARE(QAccessible::queryAccessibleInterface(&own)->role(), QAccessible::Window);
        QCOMPARE(QAccessible::queryAccessibleInterface(window_.get())->role(),
                 QAccessible::Window);
        QWidget pane(window_.get());
        QCOMPARE(QAccessible::queryAccessibleInterface(&pane)->role(), QAccessible::Client);
    }

    void everyShownControlIsNamedAfterItsLabel() {
        const QList<Seen> page = ShowingTree(*window_);
        QCOMPARE(UnnamedControls(page), QStringList());
        int edits = 0;
        for (const Seen& s : page) {
            edits += s.Role == QAccessible::EditableText ? 1 : 0;
            // A selector's list is not exposed while the selector is hidden.
            QVERIFY2(s.Name != QStringLiteral("внешний блок с датчиком"), qPrintable(s.Name));
            QVERIFY2(s.Name != QStringLiteral("Общие параметры") || s.Role == QAccessible::Grouping,
                     qPrintable(s.Description));
        }
        QCOMPARE(edits, 41);
        const Seen* power = Find(page, [](const Seen& s) {
            return s.Role == QAccessible::EditableText &&
                   s.Description ==
                       QStringLiteral("Планируемая схема освещения, Параметры тамбура") &&
                   s.Name == QStringLiteral("Мощность ламп, Вт.");
        });
        QVERIFY(power != nullptr);
        QCOMPARE(Ui().existingLampPriceLabel->buddy(), Ui().existingLampPrice);
        QVERIFY(Find(page, [](const Seen& s) {
            return s.Name == QStringLiteral("Время горения на этажах, сек.") &&
                   s.Description == QStringLiteral("Технические параметры, Настройки датчиков");
        }));

        SettingsDialog settings(window_->ProjectParameters(), model::NumberLocale{",", " "});
        settings.show();
        const QList<Seen> dialog = ShowingTree(settings);
        QCOMPARE(UnnamedControls(dialog), QStringList());
        QVERIFY(Find(dialog, [](const Seen& s) {
            return s.Name == QStringLiteral("Энергосберегающие лампы") &&
                   s.Description == QStringLiteral("Воровство ламп");
        }));

        AboutDialog about;
        about.show();
        const QList<Seen> aboutTree = ShowingTree(about);
        QCOMPARE(UnnamedControls(aboutTree), QStringList());
        int links = 0;
        for (const Seen& s : aboutTree) {
            links += s.Role == QAccessible::Link && s.Focusable ? 1 : 0;
        }
        QCOMPARE(links, 2);
        // A link follows from the keyboard.
        about.ui()->supportLink->setFocus();
        QTest::keyClick(about.ui()->supportLink, Qt::Key_Return);
        QCOMPARE(opened_, QList<QUrl>{SupportMailUrl()});
    }

    void theResultsAreReadable() {
        Ui().nextButton->click();
        QCOMPARE(window_->ResultsShown(), 1);
        const QList<Seen> results = ShowingTree(*window_);
        QCOMPARE(UnnamedControls(results), QStringList());
        for (const char* zoom : {"Сжать график по горизонтали", "Растянуть график по вертикали"}) {
            QVERIFY2(Find(results,
                          [zoom](const Seen& s) {
                              return s.Role == QAccessible::PushButton &&
                                     s.Name == QString::fromUtf8(zoom);
                          }),
                     zoom);
        }
        // The payback of the default house with this seed, as the table and the chart say it.
        QVERIFY(Find(results, [](const Seen& s) {
            return s.Role == QAccessible::ListItem &&
                   s.Name == QStringLiteral("Срок окупаемости, мес. /дней: существующая схема "
                                            "16,8/ 505, планируемая схема 16,8/ 505");
        }));
        const Seen* cost = Find(results, [](const Seen& s) {
            return s.Role == QAccessible::Chart &&
                   s.Description.startsWith(QStringLiteral("Окупаемость"));
        });
        QVERIFY(cost != nullptr);
        QCOMPARE(cost->Description,
                 QStringLiteral("Окупаемость на день 505 (16,8 мес.); затраты к этому дню: "
                                "существующая схема 43 672 руб., планируемая схема 43 591 руб."));
        const Seen* monthly = Find(results, [](const Seen& s) {
            return s.Role == QAccessible::Chart &&
                   s.Description.startsWith(QStringLiteral("Энергия"));
        });
        QVERIFY(monthly != nullptr);
        QCOMPARE(monthly->Description,
                 QStringLiteral("Энергия и затраты на электроэнергию в месяц на дом: "
                                "существующая схема 1614,00 кВт·ч, 2227,32 руб.; "
                                "планируемая схема 114,96 кВт·ч, 158,64 руб."));

        // Back on the input page nothing of the results is exposed.
        Ui().backButton->click();
        QVERIFY(!Find(ShowingTree(*window_), [](const Seen& s) {
            return s.Role == QAccessible::ListItem || s.Role == QAccessible::Chart;
        }));
    }

    void keyboardPressesMnemonicsTracerAndFocus() {
        // Enter presses the focused button; Alt+letter presses the one it underlines.
        Ui().nextButton->setFocus();
        QTest::keyClick(Ui().nextButton, Qt::Key_Return);
        QTRY_COMPARE(window_->ResultsShown(), 1);
        AltLetter(u'З');
        QTRY_COMPARE(window_->ResultsShown(), 0);
        AltLetter(u'В');
        QTRY_COMPARE(window_->ResultsShown(), 1);

        // With the tracer on, the arrow keys walk it along the days from the chart's edge.
        const report::ChartView& view = window_->ChartView();
        Ui().tracerButton->setFocus();
        QTest::keyClick(Ui().tracerButton, Qt::Key_Right);
        QVERIFY(!view.TracerX.has_value()); // off: the key is the button's
        QTest::keyClick(Ui().tracerButton, Qt::Key_Space);
        QVERIFY(view.TracerOn && Ui().tracerButton->isChecked());
        QTest::keyClick(Ui().tracerButton, Qt::Key_Right);
        QCOMPARE(view.TracerX, std::optional<int>(560));
        QTest::keyClick(Ui().tracerButton, Qt::Key_Right);
        QCOMPARE(view.TracerX, std::optional<int>(561));
        QTest::keyClick(Ui().tracerButton, Qt::Key_Left);
        QCOMPARE(view.TracerX, std::optional<int>(560));
        QTest::keyClick(Ui().tracerButton, Qt::Key_Left);
        QCOMPARE(view.TracerX, std::optional<int>(560)); // the chart's edge holds it
        QVERIFY2(Ui().tracerButton->accessibleDescription().startsWith(QStringLiteral("День 0. ")),
                 qPrintable(Ui().tracerButton->accessibleDescription()));

        // F1 opens the guide.
        QTest::keyClick(window_.get(), Qt::Key_F1);
        QCOMPARE(opened_, QList<QUrl>{HelpTarget(QCoreApplication::applicationDirPath())});

        // Back from a dialog opened through the menu bar, the focus is where it was.
        Ui().backButton->click();
        Ui().tariff->setFocus();
        Ui().menuBar->setFocus(Qt::MenuBarFocusReason);
        QDialog dialog(window_.get());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.close();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QTRY_COMPARE(QApplication::focusWidget(), Ui().tariff);
    }
};

QTEST_MAIN(AccessibilityTest)
#include "AccessibilityTest.moc"
