#include "StockDefaultsPanel.h"

#include "HouseInput.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <array>
#include <stdexcept>

namespace {

constexpr std::array<std::string_view, 6> PanelFields = {
    "Tariff", "TariffGrowth", "LampPriceGrowth", "DiscountRate", "HorizonYears", "EmissionFactor",
};

// "Экономика: рост тарифа" shows as "Рост тарифа": the panel is the economics' own.
QString Caption(const model::HouseField& field) {
    QString label =
        QString::fromUtf8(field.Label.data(), static_cast<qsizetype>(field.Label.size()));
    const qsizetype colon = label.indexOf(QStringLiteral(": "));
    if (colon >= 0) {
        label = label.mid(colon + 2);
        label[0] = label[0].toUpper();
    }
    return label;
}

} // namespace

StockDefaultsPanel::StockDefaultsPanel(QWidget* parent)
    : QGroupBox(QStringLiteral("Значения для всего фонда (пустое поле — значение из файла)"),
                parent) {
    setAccessibleName(QStringLiteral("Значения для всего фонда"));
    setAccessibleDescription(
        QStringLiteral("Строка без своего значения берёт значение отсюда; значение строки важнее"));
    auto* grid = new QGridLayout(this);
    const std::span<const model::HouseField> fields = model::HouseFields();
    for (std::size_t i = 0; i < PanelFields.size(); ++i) {
        const model::HouseField& field = *model::FieldNamed(PanelFields[i]);
        const QString caption = Caption(field);
        const QString unit =
            QString::fromUtf8(field.Unit.data(), static_cast<qsizetype>(field.Unit.size()));
        auto* label = new QLabel(caption + QStringLiteral(", ") + unit, this);
        auto* edit = new QLineEdit(this);
        edit->setMaxLength(64);
        edit->setMaximumWidth(110);
        edit->setAccessibleName(label->text());
        label->setBuddy(edit);
        const int row = static_cast<int>(i % 2);
        const int column = static_cast<int>(i / 2) * 2;
        grid->addWidget(label, row, column);
        grid->addWidget(edit, row, column + 1);
        inputs_.push_back({static_cast<std::size_t>(&field - fields.data()), caption, edit});
        connect(edit, &QLineEdit::returnPressed, this, &StockDefaultsPanel::recalculateRequested);
    }
    auto* again = new QPushButton(QStringLiteral("Пересчитать"), this);
    again->setAccessibleName(QStringLiteral("Пересчитать фонд со значениями для всего фонда"));
    connect(again, &QPushButton::clicked, this, &StockDefaultsPanel::recalculateRequested);
    grid->addWidget(again, 0, 6, 2, 1);
    grid->setColumnStretch(7, 1);
}

sheet::FieldDefaults StockDefaultsPanel::Read() const {
    sheet::FieldDefaults defaults(model::HouseFields().size());
    for (const Input& input : inputs_) {
        const std::string text = input.Edit->text().trimmed().toStdString();
        if (text.empty()) {
            continue;
        }
        if (const auto problem = sheet::CellProblem(input.Field, text)) {
            input.Edit->setFocus(Qt::OtherFocusReason);
            input.Edit->selectAll();
            throw std::runtime_error(sheet::FieldMessage(*problem, input.Caption.toStdString()));
        }
        defaults[input.Field] = text;
    }
    return defaults;
}

QLineEdit* StockDefaultsPanel::Edit(std::string_view fieldName) const {
    for (const Input& input : inputs_) {
        if (model::HouseFields()[input.Field].Name == fieldName) {
            return input.Edit;
        }
    }
    return nullptr;
}
