#include "EconomicsDialog.h"

#include "Accessibility.h"
#include "Calculation.h"
#include "HouseInput.h"
#include "MessageBoxes.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

#include <cmath>

namespace {

// The chart of the discounted saving, drawn by the report's renderer at the screen's resolution;
// a screen reader is given a chart and its description.
class SavingChart : public ReadoutWidget {
public:
    SavingChart(const report::EconomicsPage& page, QWidget* parent)
        : ReadoutWidget(QAccessible::Chart, parent), page_(page) {
        setMinimumSize(600, 260);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        {
            QPainter painter(this);
            report::DrawSavingChart(painter, QRectF(rect()).adjusted(0, 0, -1, -1), page_.Figures,
                                    page_.Inputs.HorizonYears, page_.Locale);
        }
        ReadoutWidget::paintEvent(event); // the focus frame
    }

private:
    const report::EconomicsPage& page_;
};

// Qt reports a table's current cell as focused even once the focus has left the table, and a
// screen reader would go on reading that cell: leaving the table forgets its current cell.
class ForgetCellOnLeaving : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusOut) {
            static_cast<QAbstractItemView*>(watched)->setCurrentIndex(QModelIndex());
        }
        return false;
    }
};

QString Text(double value, const model::NumberLocale& locale) {
    return QString::fromStdString(model::FormatNumber(value, "0.00", locale));
}

// The payback of the house with one input scaled, on the same seed.
std::optional<int> MovedPayback(model::ProjectParameters p, double model::ProjectParameters::*input,
                                double factor, std::uint32_t seed) {
    p.*input *= factor;
    model::SimulationResult r;
    model::Calculate(p, seed, model::SimulatedDays::All, r);
    const model::EconomicsFigures f = model::CalculateEconomics(p, r, model::EconomicsInputsOf(p));
    return f.DiscountedPaybackFound ? std::optional<int>(f.DiscountedPaybackDay) : std::nullopt;
}

} // namespace

QString EconomicsFileName(const QString& chosen, const QString& filter) {
    if (chosen.isEmpty() || !QFileInfo(chosen).suffix().isEmpty()) {
        return chosen;
    }
    const bool pdf = filter.contains(QStringLiteral("*.pdf"), Qt::CaseInsensitive);
    return chosen + (pdf ? QStringLiteral(".pdf") : QStringLiteral(".png"));
}

EconomicsDialog::EconomicsDialog(model::ProjectParameters& parameters,
                                 const model::SimulationResult& result, std::uint32_t seed,
                                 const model::NumberLocale& locale, QWidget* parent)
    : QDialog(parent), parameters_(parameters), result_(result), seed_(seed), locale_(locale) {
    setWindowTitle(QStringLiteral("Экономика проекта"));
    page_.Address = QString::fromStdString(parameters.Address);
    page_.Locale = locale;

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    layout->addLayout(top);
    top->addLayout(MakeInputs());
    top->addLayout(MakeFigures());
    AddChart(*layout);
    AddSensitivityTable(*layout);
    AddButtons(*layout);

    saveFileQuestion_ = [](QWidget* parent) {
        QString filter = QStringLiteral("PNG (*.png)");
        const QString chosen = QFileDialog::getSaveFileName(
            parent, QStringLiteral("Сохранение экономики"), QString(),
            QStringLiteral("PNG (*.png);;PDF (*.pdf)"), &filter, QFileDialog::DontConfirmOverwrite);
        return EconomicsFileName(chosen, filter);
    };
    resize(980, 720);
    page_.Inputs = model::EconomicsInputsOf(parameters_);
    ShowFigures();
    StartSensitivity();
}

QFormLayout* EconomicsDialog::MakeInputs() {
    auto* inputBox = new QFormLayout;
    // Captions are the window's; the ranges are the house's, as virasvet-calc checks them.
    const std::array<std::pair<const char*, QString>, 5> fields = {{
        {"TariffGrowth", QStringLiteral("Рост &тарифа, % в год")},
        {"LampPriceGrowth", QStringLiteral("Рост цен на &лампы, % в год")},
        {"DiscountRate", QStringLiteral("Ставка &дисконтирования, % в год")},
        {"HorizonYears", QStringLiteral("&Горизонт, лет")},
        {"EmissionFactor", QStringLiteral("Коэффициент &выбросов, кг CO₂ на кВт·ч")},
    }};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const model::HouseField& field = *model::FieldNamed(fields[i].first);
        const model::RangeCheck range = field.Bounds.value_or(model::RangeCheck{});
        const bool whole = field.Kind == model::FieldKind::Count;
        const QString caption = fields[i].second + QStringLiteral(" (%1..%2)")
                                                       .arg(QString::number(range.Low))
                                                       .arg(QString::number(range.High));
        const double value = std::visit(
            [&](auto member) -> double {
                if constexpr (std::is_arithmetic_v<
                                  std::remove_cvref_t<decltype(parameters_.*member)>>) {
                    return static_cast<double>(parameters_.*member);
                } else {
                    return 0;
                }
            },
            field.Target);
        auto* edit = new QLineEdit(whole ? QString::number(value) : Text(value, locale_), this);
        auto* label = new QLabel(caption, this);
        label->setBuddy(edit);
        QString plain = caption;
        edit->setAccessibleName(plain.remove(QLatin1Char('&')));
        inputBox->addRow(label, edit);
        inputs_[i] = {edit, plain.left(plain.indexOf(QLatin1Char(','))), &field};
    }
    auto* recalculate = new QPushButton(QStringLiteral("&Пересчитать"), this);
    // Enter in a field presses it, once: the fields have no Enter handler of their own.
    recalculate->setDefault(true);
    inputBox->addRow(recalculate);
    connect(recalculate, &QPushButton::clicked, this, [this] { Recalculate(); });
    return inputBox;
}

QFormLayout* EconomicsDialog::MakeFigures() {
    auto* figureBox = new QFormLayout;
    for (const auto& [caption, value] : report::EconomicsFigureLines({}, locale_)) {
        auto* valueLabel = new QLabel(this);
        valueLabel->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                            Qt::TextSelectableByKeyboard);
        // Reached by Tab; its name, set with the value, is read as "caption: value".
        valueLabel->setFocusPolicy(Qt::StrongFocus);
        figureBox->addRow(new QLabel(caption, this), valueLabel);
        figureValues_.push_back(valueLabel);
    }
    return figureBox;
}

void EconomicsDialog::AddChart(QVBoxLayout& layout) {
    auto* chartCaption = new QLabel(
        QStringLiteral("Дисконтированная экономия (существующая минус планируемая схема), руб."),
        this);
    layout.addWidget(chartCaption);
    chart_ = new SavingChart(page_, this);
    chart_->setAccessibleName(chartCaption->text());
    layout.addWidget(chart_, 1);
}

void EconomicsDialog::AddSensitivityTable(QVBoxLayout& layout) {
    auto* sensitivityTitle = new QLabel(report::SensitivityTitle, this);
    layout.addWidget(sensitivityTitle);
    sensitivity_ = new QTableWidget(4, 2, this);
    sensitivity_->setAccessibleName(report::SensitivityTitle);
    // Tab leaves the table; the arrow keys move between its cells.
    sensitivity_->setTabKeyNavigation(false);
    sensitivity_->installEventFilter(new ForgetCellOnLeaving(sensitivity_));
    sensitivityTitle->setBuddy(sensitivity_);
    sensitivity_->setHorizontalHeaderLabels({QStringLiteral("−20 %"), QStringLiteral("+20 %")});
    sensitivity_->setVerticalHeaderLabels(
        {QStringLiteral("Тариф"), QStringLiteral("Срок службы планируемых ламп"),
         QStringLiteral("Срок службы существующих ламп"), QStringLiteral("Цена блока")});
    sensitivity_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sensitivity_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    sensitivity_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sensitivity_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sensitivity_->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    sensitivity_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    layout.addWidget(sensitivity_);
}

void EconomicsDialog::AddButtons(QVBoxLayout& layout) {
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* save = new QPushButton(QStringLiteral("&Сохранить…"), this);
    auto* close = new QPushButton(QStringLiteral("&Закрыть"), this);
    buttons->addWidget(save);
    buttons->addWidget(close);
    layout.addLayout(buttons);
    connect(save, &QPushButton::clicked, this, [this] { RunGuarded(this, [this] { Save(); }); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

EconomicsDialog::~EconomicsDialog() {
    WaitForSensitivity();
}

void EconomicsDialog::WaitForSensitivity() {
    if (sensitivityThread_ != nullptr) {
        sensitivityThread_->wait();
        QCoreApplication::sendPostedEvents(this);
        QCoreApplication::sendPostedEvents(sensitivityThread_);
    }
}

bool EconomicsDialog::Recalculate() {
    model::ProjectParameters read = parameters_;
    for (const Input& input : inputs_) {
        const QString text = input.Edit->text().trimmed();
        const model::RangeCheck range = input.Field->Bounds.value_or(model::RangeCheck{});
        double value = 0;
        QString problem;
        if (!model::TryParseReal(text.toStdString(), locale_, value)) {
            problem = QStringLiteral("%1: «%2» — не число").arg(input.Caption, text);
        } else if (!range.Accepts(value)) {
            problem =
                QStringLiteral("%1: %2 — вне допустимых пределов (%3)")
                    .arg(input.Caption, text, QString::fromStdString(model::AllowedRange(range)));
        }
        if (!problem.isEmpty()) {
            MessageBoxes::Current().ShowInformation(this, problem);
            input.Edit->setFocus(Qt::OtherFocusReason);
            input.Edit->selectAll();
            return false;
        }
        model::StoreNumber(*input.Field, value, read);
    }
    parameters_ = read;
    page_.Inputs = model::EconomicsInputsOf(parameters_);
    ShowFigures();
    StartSensitivity();
    return true;
}

void EconomicsDialog::ShowFigures() {
    page_.Figures = model::CalculateEconomics(parameters_, result_, page_.Inputs);
    const auto lines = report::EconomicsFigureLines(page_.Figures, locale_);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        figureValues_[i]->setText(lines[i].second);
        figureValues_[i]->setAccessibleName(lines[i].first + QStringLiteral(": ") +
                                            lines[i].second);
    }
    chart_->setAccessibleDescription(
        report::SavingChartDescription(page_.Figures, page_.Inputs.HorizonYears, locale_));
    chart_->update();
}

void EconomicsDialog::StartSensitivity() {
    WaitForSensitivity();
    for (int row = 0; row < sensitivity_->rowCount(); ++row) {
        for (int column = 0; column < 2; ++column) {
            sensitivity_->setItem(row, column, new QTableWidgetItem(QStringLiteral("…")));
        }
    }
    page_.Sensitivity.clear();
    // A changed lamp life is a new run of the simulation: eight runs, off the interface thread.
    auto rows = std::make_shared<std::vector<report::SensitivityRow>>();
    const model::ProjectParameters p = parameters_;
    const std::uint32_t seed = seed_;
    sensitivityThread_ = QThread::create([rows, p, seed] {
        const std::array<std::pair<QString, double model::ProjectParameters::*>, 4> moved = {{
            {QStringLiteral("Тариф"), &model::ProjectParameters::Tariff},
            {QStringLiteral("Срок службы планируемых ламп"),
             &model::ProjectParameters::PlannedLampLife},
            {QStringLiteral("Срок службы существующих ламп"),
             &model::ProjectParameters::ExistingLampLife},
            {QStringLiteral("Цена блока"), &model::ProjectParameters::BlockPrice},
        }};
        try {
            for (const auto& [caption, input] : moved) {
                rows->push_back({caption, MovedPayback(p, input, 0.8, seed),
                                 MovedPayback(p, input, 1.2, seed)});
            }
        } catch (const std::exception&) {
            rows->clear(); // shown as not calculated
        }
    });
    QApplication::setOverrideCursor(Qt::BusyCursor);
    connect(sensitivityThread_, &QThread::finished, this,
            [this, rows, thread = sensitivityThread_] {
                QApplication::restoreOverrideCursor();
                thread->deleteLater();
                if (sensitivityThread_ == thread) {
                    sensitivityThread_ = nullptr;
                }
                page_.Sensitivity = *rows;
                for (std::size_t row = 0; row < rows->size(); ++row) {
                    const report::SensitivityRow& line = (*rows)[row];
                    const auto cell = [&](std::optional<int> day) {
                        return new QTableWidgetItem(report::PaybackText(day, locale_));
                    };
                    sensitivity_->setItem(static_cast<int>(row), 0, cell(line.LowerPayback));
                    sensitivity_->setItem(static_cast<int>(row), 1, cell(line.HigherPayback));
                }
            });
    sensitivityThread_->start();
}

void EconomicsDialog::Save() {
    const QString fileName = saveFileQuestion_(this);
    if (fileName.isEmpty()) {
        return;
    }
    if (!MayReplace(this, fileName)) {
        return;
    }
    WaitForSensitivity();
    report::WriteEconomicsFile(
        fileName, page_,
        QFileInfo(fileName).suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) == 0);
}
