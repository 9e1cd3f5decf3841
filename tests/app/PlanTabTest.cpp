#include "PlanTab.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

using app::PlanTab;

namespace {

// Three houses of 100, 60 and 50 roubles worth 120, 70 and 55: with 110 this year the best plan
// takes the last two (125), the ranking the first, of the best value per rouble (120).
app::PlanTabInput ThreeHouses() {
    app::PlanTabInput input;
    input.CarriedNames = {"№"};
    const double spend[] = {100, 60, 50};
    const double value[] = {120, 70, 55};
    for (int h = 0; h < 3; ++h) {
        app::PlanTabHouse house;
        house.Offer.InstallCost = spend[h];
        house.Offer.ValueEndingEarlier[0] = {value[h] + spend[h], -spend[h]};
        house.Offer.DiscountRate = 10;
        house.Line = static_cast<std::size_t>(h + 2);
        house.Address = "ул. Мира " + std::to_string(h + 1);
        house.Carried = {std::to_string(100 + h)};
        input.Houses.push_back(house);
    }
    return input;
}

template <typename Control> Control* Named(PlanTab& tab, const QString& name) {
    for (auto* control : tab.findChildren<Control*>()) {
        if (control->accessibleName() == name) {
            return control;
        }
    }
    return nullptr;
}

QTableWidget* Budgets(PlanTab& tab) {
    return Named<QTableWidget>(tab, QStringLiteral("Бюджеты по годам"));
}

QPushButton* Button(PlanTab& tab, const QString& text) {
    for (auto* button : tab.findChildren<QPushButton*>()) {
        if (button->text() == text) {
            return button;
        }
    }
    return nullptr;
}

} // namespace

class PlanTabTest : public QObject {
    Q_OBJECT

private slots:
    void solvesOffTheThreadAndShowsThePlan() {
        PlanTab tab(model::NumberLocale{",", " "});
        tab.SetHouses(ThreeHouses());
        tab.findChild<QSpinBox*>()->setValue(2);
        Budgets(tab)->item(0, 0)->setText(QStringLiteral("110"));
        Budgets(tab)->item(1, 0)->setText(QStringLiteral("0"));
        QSignalSpy finished(&tab, &PlanTab::solvingFinished);
        QTest::mouseClick(Button(tab, QStringLiteral("Составить план")), Qt::LeftButton);
        QVERIFY(finished.wait(10000));
        QVERIFY(tab.HasPlan());

        auto* table = Named<QTableView>(tab, QStringLiteral("План: дома по годам"));
        QCOMPARE(table->model()->rowCount(), 2);
        // Sorted by value, largest first: line 3 (70) before line 4 (55).
        table->sortByColumn(5, Qt::DescendingOrder);
        QCOMPARE(table->model()->index(0, 1).data().toString(), QStringLiteral("3"));
        QCOMPARE(table->model()->index(0, 2).data().toString(), QStringLiteral("101"));
        QCOMPARE(table->model()->index(0, 4).data().toString(), QStringLiteral("60,00"));
        QCOMPARE(table->model()->index(1, 3).data().toString(), QStringLiteral("ул. Мира 3"));

        tab.resize(1000, 700);
        tab.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tab));
        QSignalSpy opened(&tab, &PlanTab::houseRequested);
        const QModelIndex second = table->model()->index(1, 0);
        const QPoint at = table->visualRect(second).center();
        QTest::mousePress(table->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(table->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(opened.count(), 1);
        QCOMPARE(opened.front().front().value<std::size_t>(), std::size_t{2});

        const report::PlanChartData chart = tab.ChartData();
        QCOMPARE(chart.Years.size(), std::size_t{2});
        QCOMPARE(chart.Years[0].Spend, 110.0);
        QCOMPARE(chart.Years[1].CumulativeValue, 125.0);
        QVERIFY(Named<QLabel>(tab, QStringLiteral("Итог плана"))
                    ->text()
                    .contains(QStringLiteral("выигрыш 5,00 руб.")));
    }

    void rejectsABadBudgetAndKeepsIt() {
        PlanTab tab(model::NumberLocale{",", " "});
        tab.SetHouses(ThreeHouses());
        for (const QString& bad : {QStringLiteral("-1"), QStringLiteral("много"), QString()}) {
            Budgets(tab)->item(0, 0)->setText(bad);
            QTest::mouseClick(Button(tab, QStringLiteral("Составить план")), Qt::LeftButton);
            QVERIFY(!tab.IsSolving());
            QVERIFY(!tab.HasPlan());
            QVERIFY(Named<QLabel>(tab, QStringLiteral("Итог плана"))
                        ->text()
                        .contains(QStringLiteral("Бюджет года 1")));
            QCOMPARE(Budgets(tab)->item(0, 0)->text(), bad);
        }
        // Thousands may be grouped by blanks.
        Budgets(tab)->item(0, 0)->setText(QStringLiteral("1 000,5"));
        QSignalSpy finished(&tab, &PlanTab::solvingFinished);
        QTest::mouseClick(Button(tab, QStringLiteral("Составить план")), Qt::LeftButton);
        QVERIFY(finished.wait(10000));
        QCOMPARE(tab.ChartData().Years[0].Budget, 1000.5);
    }

    void everyControlHasAnAccessibleName() {
        PlanTab tab(model::NumberLocale{",", " "});
        for (QWidget* w : tab.findChildren<QWidget*>()) {
            if (w->inherits("QTableCornerButton")) {
                continue; // the table's own corner, not a control of the tab
            }
            if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QTableView*>(w)) {
                QVERIFY2(!w->accessibleName().isEmpty(), w->metaObject()->className());
            }
        }
    }
};

QTEST_MAIN(PlanTabTest)
#include "PlanTabTest.moc"
