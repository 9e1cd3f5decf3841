#include "PlanTab.h"

#include <QCheckBox>
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
        house.Company = h == 1 ? "ТСЖ «Мир»" : "УК 1";
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
    // One house a year: the best single house (line 2, 120) instead of the best pair (lines 3
    // and 4, 125); the pair's house that the register excludes leaves the single house best; fixed
    // houses the budget cannot pay make no plan, saying by how much.
    void theBudgetRulesOfTheTab() {
        PlanTab tab(model::NumberLocale{",", " "});
        app::PlanTabInput input = ThreeHouses();
        auto* crews = Named<QSpinBox>(tab, QStringLiteral("Домов в год, не более"));
        QVERIFY(crews != nullptr);
        QVERIFY(
            Named<QCheckBox>(tab, QStringLiteral("Остаток бюджета переносится на следующий год"))
                ->isChecked());
        auto* table = Named<QTableView>(tab, QStringLiteral("План: дома по годам"));
        QSignalSpy finished(&tab, &PlanTab::solvingFinished);
        const auto planLines = [&](int most, plan::HouseRule::Kind second) {
            input.Houses[1].Rule = {second, 0};
            tab.SetHouses(input);
            Budgets(tab)->item(0, 0)->setText(QStringLiteral("110"));
            crews->setValue(most);
            QTest::mouseClick(Button(tab, QStringLiteral("Составить план")), Qt::LeftButton);
            QStringList shown;
            if (finished.wait(10000)) {
                for (int row = 0; row < table->model()->rowCount(); ++row) {
                    shown << table->model()->index(row, 1).data().toString();
                }
            }
            return shown;
        };
        using Kind = plan::HouseRule::Kind;
        QCOMPARE(planLines(0, Kind::PlanDecides), (QStringList{"3", "4"}));
        QCOMPARE(planLines(1, Kind::PlanDecides), (QStringList{"2"}));
        QCOMPARE(planLines(0, Kind::Never), (QStringList{"2"}));
        input.Houses[0].Rule = {Kind::InYear, 0};
        input.Houses[2].Rule = {Kind::InYear, 0};
        tab.SetHouses(input);
        Budgets(tab)->item(0, 0)->setText(QStringLiteral("110"));
        QTest::mouseClick(Button(tab, QStringLiteral("Составить план")), Qt::LeftButton);
        QVERIFY(!tab.HasPlan());
        auto* summary = Named<QLabel>(tab, QStringLiteral("Итог плана"));
        QVERIFY2(summary->text().endsWith(QStringLiteral("не хватает 40,00 руб.")),
                 qPrintable(summary->text()));
        QCOMPARE(summary->accessibleDescription(), summary->text());

        // The plan is listed from its first year: the fixed house of year 2 after year 1's pair.
        input.Houses[0].Rule = {Kind::InYear, 1};
        input.Houses[1].Rule = {};
        input.Houses[2].Rule = {};
        tab.SetHouses(input);
        tab.findChild<QSpinBox*>()->setValue(2);
        Budgets(tab)->item(0, 0)->setText(QStringLiteral("110"));
        Budgets(tab)->item(1, 0)->setText(QStringLiteral("100"));
        QTest::mouseClick(Button(tab, QStringLiteral("Составить план")), Qt::LeftButton);
        QVERIFY(finished.wait(10000));
        QStringList yearAndLine;
        for (int row = 0; row < table->model()->rowCount(); ++row) {
            yearAndLine << table->model()->index(row, 0).data().toString() + QLatin1Char('/') +
                               table->model()->index(row, 1).data().toString();
        }
        QCOMPARE(yearAndLine, (QStringList{"1/3", "1/4", "2/2"}));
    }

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
        table->sortByColumn(6, Qt::DescendingOrder);
        QCOMPARE(table->model()->index(0, 1).data().toString(), QStringLiteral("3"));
        QCOMPARE(table->model()->index(0, 2).data().toString(), QStringLiteral("101"));
        QCOMPARE(table->model()->index(0, 4).data().toString(), QStringLiteral("ТСЖ «Мир»"));
        QCOMPARE(table->model()->index(0, 5).data().toString(), QStringLiteral("60,00"));
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
        // A screen reader reads the summary: its text is the label's description.
        const QLabel* summary = Named<QLabel>(tab, QStringLiteral("Итог плана"));
        QVERIFY(summary->text().contains(QStringLiteral("выигрыш 5,00 руб. (4,17 %)")));
        QCOMPARE(summary->accessibleDescription(), summary->text());
        // Year 1 leaves 0, year 2 has its own 0: nothing is left.
        auto* totals = Named<QTableWidget>(tab, QStringLiteral("Итоги по годам"));
        QCOMPARE(totals->item(1, 3)->text(), QStringLiteral("0,00"));
    }

    // The tab's "Остаток" is the money carried on, the report lists the plan by year and
    // company, and a filter is named wherever the plan is.
    void remainderCarriedAndFilterNamed() {
        PlanTab tab(model::NumberLocale{",", " "});
        app::PlanTabInput input = ThreeHouses();
        input.Filter = "Мира";
        tab.SetHouses(input);
        tab.findChild<QSpinBox*>()->setValue(2);
        Budgets(tab)->item(0, 0)->setText(QStringLiteral("115"));
        Budgets(tab)->item(1, 0)->setText(QStringLiteral("20"));
        QSignalSpy finished(&tab, &PlanTab::solvingFinished);
        QTest::mouseClick(Button(tab, QStringLiteral("Составить план")), Qt::LeftButton);
        QVERIFY(finished.wait(10000));
        auto* totals = Named<QTableWidget>(tab, QStringLiteral("Итоги по годам"));
        QCOMPARE(totals->item(0, 3)->text(), QStringLiteral("5,00"));  // 115 − 110
        QCOMPARE(totals->item(1, 3)->text(), QStringLiteral("25,00")); // 5 carried + its own 20
        QVERIFY(Named<QLabel>(tab, QStringLiteral("Итог плана"))
                    ->text()
                    .contains(QStringLiteral("Дома плана — 3, показанные по отбору «Мира».")));
        const std::optional<report::StockPlanPage> page = tab.ReportPage();
        QVERIFY(page);
        QVERIFY(page->Rules.contains(QStringLiteral("Дома: только показанные по отбору «Мира»")));
        QCOMPARE(page->List.size(), std::size_t{6}); // year 1, two companies, the year's total
        QCOMPARE(page->List[1].Cells[1], QStringLiteral("ул. Мира 2"));
        QCOMPARE(page->List[2].Cells[1], QStringLiteral("Итого ТСЖ «Мир»: домов 1"));
        QCOMPARE(page->List[5].Cells[3], QStringLiteral("110,00"));
    }

    // A refused budget and a new search leave no old plan as current, nor to save or print.
    void rejectsABadBudgetAndKeepsIt() {
        PlanTab tab(model::NumberLocale{",", " "});
        tab.SetHouses(ThreeHouses());
        auto* save = Button(tab, QStringLiteral("Сохранить план…"));
        auto* table = Named<QTableView>(tab, QStringLiteral("План: дома по годам"));
        QSignalSpy finished(&tab, &PlanTab::solvingFinished);
        for (const QString& bad :
             {QStringLiteral("-1"), QStringLiteral("много"), QString(), QStringLiteral("1e308")}) {
            Budgets(tab)->item(0, 0)->setText(QStringLiteral("110"));
            QTest::mouseClick(Button(tab, QStringLiteral("Составить план")), Qt::LeftButton);
            QVERIFY(tab.IsSolving());
            QVERIFY(!tab.HasPlan() && !save->isEnabled() && !tab.ReportPage());
            QCOMPARE(table->model()->rowCount(), 0);
            QVERIFY(finished.wait(10000));
            QVERIFY(tab.HasPlan() && save->isEnabled());
            Budgets(tab)->item(0, 0)->setText(bad);
            QTest::mouseClick(Button(tab, QStringLiteral("Составить план")), Qt::LeftButton);
            QVERIFY(!tab.IsSolving());
            QVERIFY(!tab.HasPlan() && !save->isEnabled() && !tab.ReportPage());
            QCOMPARE(table->model()->rowCount(), 0);
            QVERIFY(Named<QLabel>(tab, QStringLiteral("Итог плана"))
                        ->text()
                        .contains(QStringLiteral("Бюджет года 1")));
            QCOMPARE(Budgets(tab)->item(0, 0)->text(), bad);
        }
        // Thousands may be grouped by blanks; a decimal point is read as the program reads it.
        Budgets(tab)->item(0, 0)->setText(QStringLiteral("1 000.5"));
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
