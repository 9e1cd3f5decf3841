#include "StockModel.h"

#include "HouseInput.h"
#include "ProblemTable.h"
#include "ResultFigures.h"

#include <QApplication>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

constexpr double None = std::numeric_limits<double>::quiet_NaN();

// A figure column: its title, its rounding and its value (NaN: "нет").
struct FigureColumn {
    const char* Title;
    model::Figure Rounding;
    bool Economics; // shown when the file has economics inputs
    double (*Value)(const model::HouseFigures&);
};

double EconomicsValue(const model::HouseFigures& f, double model::EconomicsFigures::*field) {
    return f.Economics ? (*f.Economics).*field : None;
}

const std::array<FigureColumn, 10> FigureColumns = {{
    {"Стоимость установки, руб.", model::Figure::Cost, false,
     [](const model::HouseFigures& f) { return f.Result.InstallCostPlanned; }},
    {"Окупаемость, мес.", model::Figure::PaybackMonths, false,
     [](const model::HouseFigures& f) {
         return f.Result.PaybackFound ? model::PaybackMonths(f.Result) : None;
     }},
    {"Затраты до окупаемости, сущ. схема, руб.", model::Figure::Cost, false,
     [](const model::HouseFigures& f) {
         return f.Result.PaybackFound ? f.Result.PaybackCostExisting : None;
     }},
    {"Затраты до окупаемости, план. схема, руб.", model::Figure::Cost, false,
     [](const model::HouseFigures& f) {
         return f.Result.PaybackFound ? f.Result.PaybackCostPlanned : None;
     }},
    {"Экономия энергии, кВт·ч в год", model::Figure::YearlyEnergy, false,
     [](const model::HouseFigures& f) {
         return EconomicsValue(f, &model::EconomicsFigures::EnergySavedPerYear);
     }},
    {"Экономия в первый год, руб.", model::Figure::Money, false,
     [](const model::HouseFigures& f) {
         return EconomicsValue(f, &model::EconomicsFigures::MoneySavedFirstYear);
     }},
    {"Дисконтированная окупаемость, мес.", model::Figure::PaybackMonths, true,
     [](const model::HouseFigures& f) {
         return f.Economics && f.Economics->DiscountedPaybackFound
                    ? f.Economics->DiscountedPaybackDay / model::DaysPerMonth
                    : None;
     }},
    {"Чистая приведённая стоимость, руб.", model::Figure::Money, true,
     [](const model::HouseFigures& f) {
         return EconomicsValue(f, &model::EconomicsFigures::NetPresentValue);
     }},
    {"Внутренняя норма доходности, % в год", model::Figure::ReturnRate, true,
     [](const model::HouseFigures& f) {
         if (!f.Economics) {
             return None;
         }
         switch (f.Economics->InternalRateOfReturn.Found) {
         case model::ReturnRate::Kind::None:
             return None;
         case model::ReturnRate::Kind::AboveHighest:
             return std::numeric_limits<double>::infinity();
         case model::ReturnRate::Kind::Found:
             break;
         }
         return f.Economics->InternalRateOfReturn.Percent;
     }},
    {"Сокращение выбросов CO₂, т в год", model::Figure::Emissions, true,
     [](const model::HouseFigures& f) {
         return EconomicsValue(f, &model::EconomicsFigures::CO2AvoidedPerYear);
     }},
}};

std::size_t FigureColumnCount(bool economics) {
    return economics ? FigureColumns.size() : 6;
}

// A text cell's number, when the whole cell reads as one (a register number); NaN otherwise.
double CellNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    std::string plain(text);
    std::replace(plain.begin(), plain.end(), ',', '.');
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    return error == std::errc() && end == plain.data() + plain.size() && !plain.empty() ? value
                                                                                        : None;
}

// The next code point of UTF-8 text, as a key that sorts letters alphabetically whatever their
// case (Latin and Cyrillic, "ё" right after "е").
std::uint32_t NextKey(std::string_view text, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    std::uint32_t code = byte(at);
    std::size_t length = code < 0x80 ? 1 : code < 0xE0 ? 2 : code < 0xF0 ? 3 : 4;
    length = std::min(length, text.size() - at);
    if (length > 1) {
        code &= 0xFFu >> (length + 1);
        for (std::size_t i = 1; i < length; ++i) {
            code = (code << 6) | (byte(at + i) & 0x3Fu);
        }
    }
    at += length;
    if (code >= 'A' && code <= 'Z') {
        code += 'a' - 'A';
    } else if (code >= 0x410 && code <= 0x42F) {
        code += 0x20;
    } else if (code == 0x401) {
        code = 0x451;
    }
    return code == 0x451 ? 0x435 * 2 + 1 : code * 2;
}

// Appends a text's sort key: compared byte by byte, keys order texts as a reader expects, letters
// whatever their case and runs of digits by their value ("д. 2" before "д. 10").
void AppendSortKey(std::string_view text, std::string& key) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    const auto put = [&](std::uint32_t code) {
        key.push_back(static_cast<char>(code >> 16));
        key.push_back(static_cast<char>((code >> 8) & 0xFF));
        key.push_back(static_cast<char>(code & 0xFF));
    };
    std::size_t at = 0;
    while (at < text.size()) {
        if (!digit(text[at])) {
            put(NextKey(text, at));
            continue;
        }
        while (at + 1 < text.size() && text[at] == '0' && digit(text[at + 1])) {
            ++at;
        }
        std::size_t end = at;
        while (end < text.size() && digit(text[end])) {
            ++end;
        }
        put('0' * 2); // a number sorts where its first digit would
        key.push_back(static_cast<char>(std::min<std::size_t>(end - at, 255)));
        key.append(text.substr(at, end - at));
        at = end;
    }
}

} // namespace

StockModel::StockModel(const model::NumberLocale& locale, QObject* parent)
    : QAbstractTableModel(parent), locale_(locale) {}

void StockModel::Reset(std::vector<std::string> carriedColumns, bool economicsColumns) {
    beginResetModel();
    carried_ = std::move(carriedColumns);
    economics_ = economicsColumns;
    houses_.Clear();
    rejectedRows_ = 0;
    calculated_.clear();
    shown_.clear();
    sortColumn_ = -1;
    rebuildPending_ = false;
    endResetModel();
}

StockModel::ColumnInfo StockModel::Info(int column) const {
    const int carried = static_cast<int>(carried_.size());
    if (column == 0) {
        return {Kind::Line};
    }
    if (column <= carried) {
        return {Kind::Carried, column - 1};
    }
    if (column == carried + 1) {
        return {Kind::Address};
    }
    return {Kind::Figure, column - carried - 2};
}

bool StockModel::Passes(std::size_t house) const {
    if (filter_.isEmpty()) {
        return true;
    }
    const auto holds = [&](std::string_view text) {
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
            .contains(filter_, Qt::CaseInsensitive);
    };
    if (holds(houses_.Address(house))) {
        return true;
    }
    for (std::size_t c = 0; c < houses_.CarriedCount(house); ++c) {
        if (holds(houses_.Carried(house, c))) {
            return true;
        }
    }
    return false;
}

void StockModel::Append(std::vector<stock::BatchHouse>& houses) {
    std::vector<std::size_t> added;
    for (const stock::BatchHouse& house : houses) {
        const std::size_t i = houses_.Size();
        houses_.Add(house);
        if (house.Figures) {
            calculated_.push_back(i);
            if (Passes(i)) {
                added.push_back(i);
            }
        } else {
            rejectedRows_ += house.Rows;
        }
    }
    if (added.empty()) {
        return;
    }
    if (sortColumn_ < 0) {
        // In input order the new houses come last: the rows before them stay as they are.
        const int row = static_cast<int>(shown_.size());
        beginInsertRows({}, row, row + static_cast<int>(added.size()) - 1);
        shown_.insert(shown_.end(), added.begin(), added.end());
        endInsertRows();
    } else if (!rebuildPending_) {
        // Sorted, the new houses go among the others: one sort for the blocks of half a second,
        // so that a long run does not sort a growing table for every block.
        rebuildPending_ = true;
        QTimer::singleShot(500, this, [this] { ShowWaiting(); });
    }
}

void StockModel::SetFilter(const QString& text) {
    filter_ = text.trimmed();
    Rebuild();
}

void StockModel::sort(int column, Qt::SortOrder order) {
    sortColumn_ = column;
    sortOrder_ = order;
    Rebuild();
}

void StockModel::Order(std::vector<std::size_t>& rows) const {
    if (sortColumn_ < 0) {
        return; // input order
    }
    const ColumnInfo info = Info(sortColumn_);
    const bool descending = sortOrder_ == Qt::DescendingOrder;
    if (info.What == Kind::Address || info.What == Kind::Carried) {
        OrderByText(rows, info, descending);
        return;
    }
    std::vector<std::pair<double, std::size_t>> keyed;
    keyed.reserve(rows.size());
    for (const std::size_t row : rows) {
        keyed.emplace_back(SortValue(row, sortColumn_), row);
    }
    // "нет" (NaN) last whichever the direction; equal values in input order.
    std::stable_sort(keyed.begin(), keyed.end(), [descending](const auto& a, const auto& b) {
        if (std::isnan(a.first) || std::isnan(b.first)) {
            return !std::isnan(a.first) && std::isnan(b.first);
        }
        return descending ? a.first > b.first : a.first < b.first;
    });
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i] = keyed[i].second;
    }
}

void StockModel::OrderByText(std::vector<std::size_t>& rows, const ColumnInfo& info,
                             bool descending) const {
    // The keys side by side in one buffer: a sort compares them far more often than it makes them.
    struct Key {
        double Number; // NaN: the cell is no number
        std::size_t Begin;
        std::size_t End; // Begin == End: an empty cell
        std::size_t Row;
    };
    std::string buffer;
    std::vector<Key> keys;
    keys.reserve(rows.size());
    for (const std::size_t row : rows) {
        const std::string_view text =
            info.What == Kind::Address ? houses_.Address(row)
                                       : houses_.Carried(row, static_cast<std::size_t>(info.Index));
        const std::size_t begin = buffer.size();
        AppendSortKey(text, buffer);
        keys.push_back({CellNumber(text), begin, buffer.size(), row});
    }
    const std::string_view all(buffer);
    const auto textOf = [&](const Key& k) { return all.substr(k.Begin, k.End - k.Begin); };
    // Numbers by value, then texts, empty cells last whichever the direction.
    const auto rank = [](const Key& k) {
        return k.Begin == k.End ? 2 : std::isnan(k.Number) ? 1 : 0;
    };
    std::stable_sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        if (rank(a) != rank(b)) {
            return rank(a) < rank(b);
        }
        const Key& first = descending ? b : a;
        const Key& second = descending ? a : b;
        switch (rank(a)) {
        case 0:
            return first.Number < second.Number;
        case 1:
            return textOf(first) < textOf(second);
        default:
            return false;
        }
    });
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i] = keys[i].Row;
    }
}

double StockModel::SortValue(std::size_t house, int column) const {
    const ColumnInfo info = Info(column);
    switch (info.What) {
    case Kind::Line:
        return static_cast<double>(houses_.Line(house));
    case Kind::Carried:
    case Kind::Address:
        return None; // ordered by OrderByText
    case Kind::Figure:
        break;
    }
    return FigureColumns[static_cast<std::size_t>(info.Index)].Value(houses_.Figures(house));
}

void StockModel::Rebuild() {
    rebuildPending_ = false;
    // The current and selected rows keep their houses: persistent indexes follow them.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::size_t> houseOf;
    for (const QModelIndex& index : before) {
        houseOf.push_back(index.row() < static_cast<int>(shown_.size()) ? shown_[index.row()]
                                                                        : houses_.Size());
    }
    std::vector<std::size_t> rows;
    for (const std::size_t i : calculated_) {
        if (Passes(i)) {
            rows.push_back(i);
        }
    }
    Order(rows);
    std::vector<int> rowOf(houses_.Size() + 1, -1);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        rowOf[rows[r]] = static_cast<int>(r);
    }
    QModelIndexList after;
    for (std::size_t i = 0; i < houseOf.size(); ++i) {
        const int row = rowOf[houseOf[i]];
        after.append(row < 0 ? QModelIndex() : index(row, before[i].column()));
    }
    shown_ = std::move(rows);
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::vector<report::StockHouse> StockModel::ShownHouses() const {
    const report::StockHouseSource source = ShownSource();
    std::vector<report::StockHouse> shown;
    shown.reserve(source.Count);
    for (std::size_t i = 0; i < source.Count; ++i) {
        shown.push_back(source.At(i, true));
    }
    return shown;
}

report::StockHouseSource StockModel::ShownSource() const {
    return {shown_.size(), [this](std::size_t row, bool texts) {
                const std::size_t i = shown_[row];
                report::StockHouse house = report::StockHouseOf(
                    houses_.Line(i), texts ? std::string(houses_.Address(i)) : std::string(),
                    houses_.Figures(i));
                if (texts) {
                    house.Sheet = houses_.Sheet(i);
                }
                return house;
            }};
}

int StockModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int StockModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0
                            : static_cast<int>(2 + carried_.size() + FigureColumnCount(economics_));
}

QString StockModel::CellText(std::size_t house, int column) const {
    const ColumnInfo info = Info(column);
    const auto text = [](std::string_view t) {
        return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
    };
    switch (info.What) {
    case Kind::Line:
        return QString::fromStdString(model::RowLine(houses_.Line(house), houses_.Sheet(house)));
    case Kind::Carried:
        return text(houses_.Carried(house, static_cast<std::size_t>(info.Index)));
    case Kind::Address:
        return text(houses_.Address(house));
    case Kind::Figure:
        break;
    }
    const FigureColumn& figure = FigureColumns[static_cast<std::size_t>(info.Index)];
    const double value = figure.Value(houses_.Figures(house));
    if (std::isnan(value)) {
        return QStringLiteral("нет");
    }
    if (std::isinf(value)) {
        return QStringLiteral("> 1000");
    }
    return QString::fromStdString(model::ShownFigure(figure.Rounding, value, locale_));
}

QVariant StockModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(shown_.size())) {
        return {};
    }
    const Kind what = Info(index.column()).What;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return CellText(shown_[index.row()], index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(
            Qt::AlignVCenter |
            (what == Kind::Figure || what == Kind::Line ? Qt::AlignRight : Qt::AlignLeft));
    case Qt::DecorationRole:
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {
        const std::vector<sheet::RowProblem>& problems = houses_.Problems(shown_[index.row()]);
        if (what != Kind::Line || problems.empty()) {
            return {};
        }
        if (role == Qt::DecorationRole) {
            return ProblemIcon(false);
        }
        return FilledCellsText(problems);
    }
    default:
        return {};
    }
}

QIcon StockModel::ProblemIcon(bool rejected) {
    return QApplication::style()->standardIcon(rejected ? QStyle::SP_MessageBoxCritical
                                                        : QStyle::SP_MessageBoxWarning);
}

QString StockModel::FilledCellsText(const std::vector<sheet::RowProblem>& problems) {
    QString text = QStringLiteral("Пустые ячейки заполнены значениями по умолчанию:");
    for (const sheet::RowProblem& problem : problems) {
        text += QStringLiteral("\n") + QString::fromStdString(problem.Heading) +
                QStringLiteral(": ") + QString::fromStdString(problem.What);
    }
    return text;
}

QVariant StockModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return {};
    }
    const ColumnInfo info = Info(section);
    switch (info.What) {
    case Kind::Line:
        return QStringLiteral("Строка");
    case Kind::Carried:
        return QString::fromStdString(carried_[static_cast<std::size_t>(info.Index)]);
    case Kind::Address:
        return QStringLiteral("Адрес");
    case Kind::Figure:
        break;
    }
    return QString::fromUtf8(FigureColumns[static_cast<std::size_t>(info.Index)].Title);
}

// --- Problems ---

ProblemModel::ProblemModel(const StockModel& houses, QObject* parent)
    : QAbstractTableModel(parent), houses_(houses) {}

void ProblemModel::Reset() {
    beginResetModel();
    places_.clear();
    followed_ = 0;
    endResetModel();
}

void ProblemModel::Follow() {
    const stock::HouseStore& houses = houses_.Houses();
    std::vector<Place> added;
    for (; followed_ < houses.Size(); ++followed_) {
        for (std::size_t i = 0; i < houses.Problems(followed_).size(); ++i) {
            added.push_back({followed_, i});
        }
    }
    if (added.empty()) {
        return;
    }
    const int first = static_cast<int>(places_.size());
    beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
    places_.insert(places_.end(), added.begin(), added.end());
    endInsertRows();
}

ProblemModel::Entry ProblemModel::At(int row) const {
    const Place& place = places_[static_cast<std::size_t>(row)];
    const stock::HouseStore& houses = houses_.Houses();
    const sheet::RowProblem& problem = houses.Problems(place.House)[place.Problem];
    return {houses.Line(place.House), houses.Sheet(place.House), problem.Field,
            problem.Outcome == sheet::RowOutcome::Rejected};
}

int ProblemModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(places_.size());
}

int ProblemModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(stock::ProblemColumns().size());
}

QVariant ProblemModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const auto text = [&] {
        const Place& place = places_[static_cast<std::size_t>(index.row())];
        const std::vector<std::string> cells =
            stock::ProblemCells(houses_.Houses().House(place.House), place.Problem);
        return QString::fromStdString(cells.at(static_cast<std::size_t>(index.column())));
    };
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return text();
    case Qt::ToolTipRole: {
        const QString shown = text();
        return shown.size() > 30 ? QVariant(shown) : QVariant();
    }
    case Qt::DecorationRole:
        return index.column() == 0 ? QVariant(StockModel::ProblemIcon(At(index.row()).Rejected))
                                   : QVariant();
    default:
        return {};
    }
}

QVariant ProblemModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    static const std::vector<std::string> titles = stock::ProblemColumns();
    return QString::fromStdString(titles.at(static_cast<std::size_t>(section)));
}
