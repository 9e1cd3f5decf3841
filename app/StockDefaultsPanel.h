#pragma once

#include "HouseRows.h"

#include <QGroupBox>

#include <string_view>
#include <vector>

class QLineEdit;

// The tariff and the five economics inputs set once for the whole stock: every row whose cell is
// empty, or whose sheet lacks the column, takes them; a row's own value wins. An empty field sets
// nothing. "Пересчитать" asks the window to calculate the stock again with them.
class StockDefaultsPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit StockDefaultsPanel(QWidget* parent = nullptr);

    // The values typed, each read and checked as a cell of its column would be. Throws
    // std::runtime_error with the field's range message, its text focused and selected, when one
    // cannot be taken.
    sheet::FieldDefaults Read() const;

    // The field's box by its column name ("DiscountRate"), nullptr for a field not on the panel.
    QLineEdit* Edit(std::string_view fieldName) const;

signals:
    void recalculateRequested();

private:
    struct Input {
        std::size_t Field; // index into model::HouseFields()
        QString Caption;   // the field's label without its section
        QLineEdit* Edit;
    };
    std::vector<Input> inputs_;
};
