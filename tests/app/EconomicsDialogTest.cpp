// The economics window: its figures are the model's for the window's project, its five inputs are
// checked at both bounds of their ranges, and what it saves holds its figures.
#include "EconomicsDialog.h"
#include "Calculation.h"
#include "MessageBoxes.h"
#include "StartUpProject.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

class EconomicsDialogTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void figuresAreTheModelsForTheProject();
    void inputsAreCheckedAtBothBounds();
    void sensitivityMovesWithTheInputs();
    void savesThePageAsPngAndPdf();
    void keyboardAndScreenReaderReachEveryPart();
    void savedFileTakesTheChosenTypesExtension();

private:
    QLineEdit* Input(int index) { return dialog_->findChildren<QLineEdit*>().at(index); }

    model::NumberLocale locale_{",", " "};
    model::ProjectParameters project_ = test_support::StartUpCalculation();
    model::SimulationResult result_;
    MessageBoxes savedBoxes_;
    QStringList boxes_;
    std::unique_ptr<EconomicsDialog> dialog_;
};

void EconomicsDialogTest::init() {
    savedBoxes_ = MessageBoxes::Current();
    MessageBoxes::Current().ShowInformation = [this](QWidget*, const QString& m) {
        boxes_.append(m);
    };
    MessageBoxes::Current().ShowError = MessageBoxes::Current().ShowInformation;
    MessageBoxes::Current().Confirm = [](QWidget*, const QString&) { return true; };
    project_ = test_support::StartUpCalculation();
    model::Calculate(project_, 777, model::SimulatedDays::All, result_);
    dialog_ = std::make_unique<EconomicsDialog>(project_, result_, 777, locale_);
    dialog_->WaitForSensitivity();
}

void EconomicsDialogTest::cleanup() {
    dialog_.reset();
    MessageBoxes::Current() = savedBoxes_;
    boxes_.clear();
}

void EconomicsDialogTest::figuresAreTheModelsForTheProject() {
    // Neutral rates: the discounted payback is the report's.
    QCOMPARE(dialog_->Page().Figures.DiscountedPaybackDay, result_.PaybackDay);
    Input(0)->setText(QStringLiteral("7,5"));
    Input(2)->setText(QStringLiteral("12"));
    Input(3)->setText(QStringLiteral("15"));
    Input(4)->setText(QStringLiteral("0,4"));
    QVERIFY(dialog_->Recalculate());
    QCOMPARE(project_.TariffGrowth, 7.5);
    QCOMPARE(project_.HorizonYears, 15);
    const model::EconomicsFigures expected =
        model::CalculateEconomics(project_, result_, model::EconomicsInputsOf(project_));
    const model::EconomicsFigures& shown = dialog_->Page().Figures;
    QCOMPARE(shown.NetPresentValue, expected.NetPresentValue);
    QCOMPARE(shown.DiscountedPaybackDay, expected.DiscountedPaybackDay);
    QVERIFY(shown.DiscountedPaybackDay != result_.PaybackDay);
    QStringList texts;
    for (const QLabel* label : dialog_->findChildren<QLabel*>()) {
        texts.append(label->text());
    }
    QVERIFY(texts.contains(report::PaybackText(expected.DiscountedPaybackDay, locale_)));
    QVERIFY(texts.contains(
        QString::fromStdString(model::FormatNumber(expected.CO2AvoidedPerYear, "0.000", locale_))));
}

void EconomicsDialogTest::inputsAreCheckedAtBothBounds() {
    struct Bound {
        int Input;
        const char* Accepted;
        const char* Rejected;
    };
    const std::vector<Bound> bounds = {
        {0, "-50", "-50,01"},
        {0, "100", "100,01"},
        {1, "-50", "-51"},
        {1, "100", "101"},
        {2, "0", "-0,01"},
        {2, "100", "100,5"},
        {3, "1", "0"},
        {3, "27", "28"},
        {4, "0", "-0,001"},
        {4, "2", "2,001"},
        {4, "1", "один"},
        // Whole years only: a fraction is refused, not truncated.
        {3, "10", "10,5"},
        {3, "27", "26,99"},
    };
    for (const Bound& bound : bounds) {
        Input(bound.Input)->setText(QString::fromUtf8(bound.Accepted));
        QVERIFY2(dialog_->Recalculate(), bound.Accepted);
        QCOMPARE(boxes_, QStringList());
        const model::ProjectParameters before = project_;
        Input(bound.Input)->setText(QString::fromUtf8(bound.Rejected));
        QVERIFY2(!dialog_->Recalculate(), bound.Rejected);
        QCOMPARE(boxes_.size(), 1);
        QVERIFY2(boxes_.takeFirst().contains(QString::fromUtf8(bound.Rejected)), bound.Rejected);
        QCOMPARE(project_.TariffGrowth, before.TariffGrowth);
        QCOMPARE(project_.HorizonYears, before.HorizonYears);
        QCOMPARE(project_.EmissionFactor, before.EmissionFactor);
        Input(bound.Input)->setText(QString::fromUtf8(bound.Accepted));
    }
}

void EconomicsDialogTest::sensitivityMovesWithTheInputs() {
    const std::vector<report::SensitivityRow>& rows = dialog_->Page().Sensitivity;
    QCOMPARE(rows.size(), std::size_t{4});
    // A dearer tariff pays back sooner, a dearer block later.
    QVERIFY(rows[0].LowerPayback && rows[0].HigherPayback);
    QVERIFY(*rows[0].HigherPayback < result_.PaybackDay);
    QVERIFY(*rows[0].LowerPayback > result_.PaybackDay);
    QVERIFY(*rows[3].HigherPayback > result_.PaybackDay);
    QVERIFY(*rows[3].LowerPayback < result_.PaybackDay);
    // Moved by hand: the planned lamp life at -20 % on the same seed.
    model::ProjectParameters shorter = project_;
    shorter.PlannedLampLife *= 0.8;
    model::SimulationResult r;
    model::Calculate(shorter, 777, model::SimulatedDays::All, r);
    QCOMPARE(*rows[1].LowerPayback, model::CalculateEconomics(shorter, r, {}).DiscountedPaybackDay);
    const auto* table = dialog_->findChild<QTableWidget*>();
    QCOMPARE(table->item(3, 1)->text(), report::PaybackText(rows[3].HigherPayback, locale_));
}

void EconomicsDialogTest::savesThePageAsPngAndPdf() {
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("экономика.png"));
    dialog_->SetSaveFileQuestion([png](QWidget*) { return png; });
    dialog_->Save();
    QCOMPARE(QImage(png).size(), QSize(1000, 700));

    const QString pdf = dir.filePath(QStringLiteral("экономика.pdf"));
    dialog_->SetSaveFileQuestion([pdf](QWidget*) { return pdf; });
    dialog_->Save();
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(30000));
    const QString extracted = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(extracted.contains(QStringLiteral("Чистая приведённая стоимость")),
             qPrintable(extracted));
    QVERIFY(extracted.contains(QStringLiteral("Цена блока")));
    // The table's title whole; the chart's axis in grouped, rounded steps, not raw figures.
    QVERIFY2(extracted.contains(report::SensitivityTitle), qPrintable(extracted));
    for (const char* label : {"50 000", "100 000", "250 000", "300 000", "-50 000"}) {
        QVERIFY2(extracted.contains(QString::fromUtf8(label)), label);
    }
    QVERIFY(!extracted.contains(
        QString::number(std::round(dialog_->Page().Figures.NetPresentValue), 'f', 0)));
}

void EconomicsDialogTest::keyboardAndScreenReaderReachEveryPart() {
    dialog_->show();
    QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
    // Tab goes from the first field through every part to "Закрыть" and round again: the table
    // is one stop, not a trap of its cells.
    Input(0)->setFocus();
    QStringList stops;
    for (int i = 0; i < 20 && stops.size() < 20; ++i) {
        QWidget* focused = QApplication::focusWidget();
        const QString name = focused->accessibleName().isEmpty()
                                 ? focused->metaObject()->className()
                                 : focused->accessibleName();
        if (!stops.isEmpty() && name == stops.first()) {
            break;
        }
        stops.append(name);
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    QCOMPARE(stops.size(), 5 + 1 + 6 + 1 + 1 + 2);
    QCOMPARE(stops.at(14), QStringLiteral("QPushButton")); // "Сохранить…"
    const auto* table = dialog_->findChild<QTableWidget*>();
    QCOMPARE(stops.at(13), table->accessibleName());
    QVERIFY(!table->tabKeyNavigation());
    // The six figures are read as caption and value.
    const auto lines = report::EconomicsFigureLines(dialog_->Page().Figures, locale_);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        QCOMPARE(stops.at(6 + static_cast<int>(i)),
                 lines[i].first + QStringLiteral(": ") + lines[i].second);
    }
    QVERIFY(stops.at(6).startsWith(QStringLiteral("Дисконтированный срок окупаемости: ") +
                                   QString::number(result_.PaybackDay) + QStringLiteral(" дн.")));
    // The chart's description gives its data: the saving at the end of each of the ten years.
    QWidget* chart = QApplication::focusWidget();
    for (int i = 0; i < 12; ++i) {
        if (chart->accessibleName().startsWith(QStringLiteral("Дисконтированная экономия"))) {
            break;
        }
        QTest::keyClick(chart, Qt::Key_Tab);
        chart = QApplication::focusWidget();
    }
    const QString description = chart->accessibleDescription();
    QVERIFY2(description.contains(QStringLiteral("год 10: ")), qPrintable(description));
    QVERIFY(!description.contains(QStringLiteral("год 11: ")));

    // Enter in a field with a bad value: one message, the field selected.
    Input(3)->setFocus();
    Input(3)->setText(QStringLiteral("10,5"));
    QTest::keyClick(Input(3), Qt::Key_Return);
    QCOMPARE(boxes_.size(), 1);
    QVERIFY2(boxes_.takeFirst().contains(QStringLiteral("1..27, целое число")), "range");
    QCOMPARE(Input(3)->selectedText(), QStringLiteral("10,5"));
    QCOMPARE(project_.HorizonYears, 10);
    // Enter with a good value recalculates once.
    Input(3)->setText(QStringLiteral("5"));
    QTest::keyClick(Input(3), Qt::Key_Return);
    QCOMPARE(boxes_, QStringList());
    QCOMPARE(project_.HorizonYears, 5);
    dialog_->WaitForSensitivity();
}

void EconomicsDialogTest::savedFileTakesTheChosenTypesExtension() {
    const QString png = QStringLiteral("PNG (*.png)");
    const QString pdf = QStringLiteral("PDF (*.pdf)");
    QCOMPARE(EconomicsFileName(QStringLiteral("/tmp/дом"), pdf), QStringLiteral("/tmp/дом.pdf"));
    QCOMPARE(EconomicsFileName(QStringLiteral("/tmp/дом"), png), QStringLiteral("/tmp/дом.png"));
    QCOMPARE(EconomicsFileName(QStringLiteral("/tmp/дом.PDF"), png),
             QStringLiteral("/tmp/дом.PDF"));
    QCOMPARE(EconomicsFileName(QString(), pdf), QString());
}

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    EconomicsDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "EconomicsDialogTest.moc"
