#pragma once

#include "BatchRun.h"
#include "HouseStore.h"
#include "NumberFormat.h"
#include "StockFigures.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>

#include <optional>
#include <span>
#include <string>
#include <vector>

// The housing stock's table: one row per calculated house shown (the filter narrows them), with
// the input line, the carried columns, the address and the figures. Sorting and filtering work on
// a list of row numbers, so 100,000 houses sort in a few milliseconds.
class StockModel : public QAbstractTableModel {
    Q_OBJECT
public:
    StockModel(const model::NumberLocale& locale, QObject* parent = nullptr);

    // A new run: no rows, its carried columns and whether the economics columns show.
    void Reset(std::vector<std::string> carriedColumns, bool economicsColumns);
    // The next rows of the run, calculated or rejected, in input order.
    void Append(std::vector<stock::BatchHouse>& houses);
    // Shows only the houses whose address or a carried cell holds the text (any case).
    void SetFilter(const QString& text);
    // Shows at once the houses a sorted table holds back for its next sort.
    void ShowWaiting() {
        if (rebuildPending_) {
            Rebuild();
        }
    }

    // Every row of the run in input order, rejected ones too.
    const stock::HouseStore& Houses() const { return houses_; }
    const std::vector<std::string>& CarriedColumns() const { return carried_; }
    bool EconomicsColumns() const { return economics_; }
    // The register's rows rejected, a rejected row a workbook repeats with all its lines.
    std::size_t RejectedCount() const { return rejectedRows_; }
    // The house of a shown row.
    stock::BatchHouse HouseAt(int row) const { return houses_.House(shown_[row]); }
    std::size_t LineAt(int row) const { return houses_.Line(shown_[row]); }
    // The continuation sheet of a shown row's line (sheet::SheetRecord::Sheet).
    const std::string& SheetAt(int row) const { return houses_.Sheet(shown_[row]); }
    // Where the house of a row of the table stands in the input, from 0.
    std::size_t InputIndexAt(int row) const { return shown_[row]; }
    // The houses shown, in the order shown, for the totals, charts and report.
    std::vector<report::StockHouse> ShownHouses() const;
    // The same read from the table one at a time; valid while the rows shown stay.
    report::StockHouseSource ShownSource() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The text of a cell as the table shows it.
    QString CellText(std::size_t house, int column) const;

    // The mark of a row with problems: a warning when calculated with empty cells filled.
    static QIcon ProblemIcon(bool rejected);
    // The tooltip of a calculated row whose empty cells took values: every such cell.
    static QString FilledCellsText(const std::vector<sheet::RowProblem>& problems);

private:
    enum class Kind { Line, Carried, Address, Figure };
    struct ColumnInfo {
        Kind What;
        int Index = 0; // of the carried column or the figure
    };
    ColumnInfo Info(int column) const;
    // The value a figure column sorts by; NaN for "нет".
    double SortValue(std::size_t house, int column) const;
    bool Passes(std::size_t house) const;
    // Shows the houses passing the filter in the current order; the current rows stay current.
    void Rebuild();
    void Order(std::vector<std::size_t>& rows) const;
    void OrderByText(std::vector<std::size_t>& rows, const ColumnInfo& info, bool descending) const;

    model::NumberLocale locale_;
    std::vector<std::string> carried_;
    bool economics_ = false;
    stock::HouseStore houses_;
    std::size_t rejectedRows_ = 0;
    std::vector<std::size_t> calculated_; // indexes of houses_ with figures
    std::vector<std::size_t> shown_;      // indexes of houses_, in the order shown
    QString filter_;
    int sortColumn_ = -1; // none: input order
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    bool rebuildPending_ = false; // houses have come that a sorted table does not show yet
};

// The problems of the rows, one a table row, as stock::ProblemCells gives them: the rows rejected
// and those calculated with an empty cell's start-up or stock-wide value. It follows the houses of
// the table's model and holds only where each problem is, so that a register of many problems
// costs no copy of their texts.
class ProblemModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ProblemModel(const StockModel& houses, QObject* parent = nullptr);

    void Reset();
    // Takes the problems of the houses the table's model has gained since the last call.
    void Follow();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    struct Entry {
        std::size_t Line = 0;
        std::string Sheet;                // sheet::SheetRecord::Sheet
        std::optional<std::size_t> Field; // index into model::HouseFields()
        bool Rejected = true;
    };
    Entry At(int row) const;

private:
    struct Place {
        std::size_t House;   // in StockModel::Houses()
        std::size_t Problem; // in its Problems
    };
    const StockModel& houses_;
    std::vector<Place> places_;
    std::size_t followed_ = 0; // houses whose problems are taken
};
