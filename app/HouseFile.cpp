#include "HouseFile.h"

#include "Calculation.h"
#include "HouseRows.h"
#include "HouseSheet.h"
#include "IntSpinEdit.h"
#include "ResultFigures.h"
#include "ResultSheet.h"
#include "SystemMessage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>

#include <algorithm>
#include <charconv>
#include <stdexcept>

namespace {

const QString HouseFilter = QStringLiteral("Дом (*.csv)");

QString Join(const std::vector<std::string>& lines) {
    QStringList joined;
    for (const std::string& line : lines) {
        joined.append(QString::fromStdString(line));
    }
    return joined.join(QLatin1Char('\n'));
}

// The shortest decimal text that reads back as exactly this number, with a decimal comma.
std::string ExactText(double value) {
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, value);
    std::string exact(text, written.ptr);
    std::replace(exact.begin(), exact.end(), '.', ',');
    return exact;
}

} // namespace

HouseFileQuestions HouseFileDialogs() {
    HouseFileQuestions questions;
    questions.OpenFileName = [](QWidget* parent, const QString& previous) {
        return QFileDialog::getOpenFileName(parent, QStringLiteral("Открыть дом"), previous,
                                            HouseFilter + QStringLiteral(";;Все файлы (*)"));
    };
    questions.SaveFileName = [](QWidget* parent, const QString& previous) {
        QFileDialog dialog(parent, QStringLiteral("Сохранить дом"), previous, HouseFilter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("csv"));
        // The window asks before replacing, as it does for pictures.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    questions.ChooseRow = [](QWidget* parent, const QStringList& rows) {
        bool chosen = false;
        const QString row = QInputDialog::getItem(
            parent, QStringLiteral("Открыть дом"),
            QStringLiteral("В файле несколько домов. Какой открыть?"), rows, 0, false, &chosen);
        return chosen ? static_cast<int>(rows.indexOf(row)) : -1;
    };
    return questions;
}

std::string ControlValue(const QWidget* control) {
    if (const auto* spin = qobject_cast<const IntSpinEdit*>(control)) {
        return spin->text().toStdString();
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(control)) {
        return edit->text().toStdString();
    }
    if (const auto* box = qobject_cast<const QCheckBox*>(control)) {
        return box->isChecked() ? "1" : "0";
    }
    if (const auto* selector = qobject_cast<const QComboBox*>(control)) {
        return std::to_string(selector->currentIndex());
    }
    throw std::logic_error("no value of a page control");
}

std::string SettingValue(const model::HouseField& field, const model::ProjectParameters& p) {
    return std::visit(
        [&](auto member) -> std::string {
            const auto& value = p.*member;
            using Value = std::remove_cvref_t<decltype(value)>;
            if constexpr (std::is_same_v<Value, std::string>) {
                return value;
            } else if constexpr (std::is_same_v<Value, double>) {
                return ExactText(field.Kind == model::FieldKind::Seconds ? value * 3600 : value);
            } else if constexpr (std::is_same_v<Value, bool>) {
                return value ? "1" : "0";
            } else {
                return std::to_string(static_cast<long long>(value));
            }
        },
        field.Target);
}

namespace {

std::runtime_error OpenError(const QString& fileName, const QString& reason) {
    return std::runtime_error(QStringLiteral("Не удаётся открыть дом из файла %1: %2")
                                  .arg(fileName, reason)
                                  .toStdString());
}

// The whole sheet of a house file, read piece by piece so that no file is held beyond the bounds.
sheet::Sheet ReadSheetOfHouses(QFile& file, const QString& fileName) {
    const std::string name = QFileInfo(fileName).fileName().toStdString();
    sheet::SheetReader reader;
    std::vector<sheet::SheetRecord> records;
    const auto take = [&] {
        for (sheet::SheetRecord& record : reader.TakeRecords()) {
            records.push_back(std::move(record));
        }
        if (records.size() > MostHouseFileRows) {
            throw OpenError(fileName, QStringLiteral("в нём больше %1 строк; дома такого списка "
                                                     "считает virasvet-calc")
                                          .arg(MostHouseFileRows));
        }
    };
    try {
        std::vector<char> piece(1 << 16);
        qint64 total = 0;
        for (;;) {
            const qint64 count = file.read(piece.data(), static_cast<qint64>(piece.size()));
            if (count < 0) {
                throw OpenError(fileName, QString::fromStdString(model::SystemMessageOf(
                                              file.errorString().toStdString())));
            }
            if (count == 0) {
                break;
            }
            total += count;
            if (total > LargestHouseFile) {
                throw OpenError(fileName, QStringLiteral("он больше %1 МБ, это не файл дома")
                                              .arg(LargestHouseFile >> 20));
            }
            reader.Feed(std::string_view(piece.data(), static_cast<std::size_t>(count)));
            take();
        }
        reader.Finish();
        take();
    } catch (const sheet::SheetError& e) {
        throw std::runtime_error(name + ": " + e.what());
    }
    sheet::Sheet houses;
    houses.Delimiter = reader.Delimiter();
    houses.Header = reader.Header();
    houses.HeaderLine = reader.HeaderLine();
    houses.Records = std::move(records);
    houses.TextEncoding = reader.TextEncoding().value_or(sheet::Encoding::Utf8);
    return houses;
}

// The house of a sheet, chosen by the user when it has several.
std::optional<OpenedHouse> ChooseHouse(const sheet::Sheet& houses, const QString& fileName,
                                       const std::function<int(const QStringList&)>& chooseRow) {
    const std::string name = QFileInfo(fileName).fileName().toStdString();
    const sheet::HeaderFields header = sheet::MapHeader(houses.Header);
    if (!header.Problems.empty()) {
        throw std::runtime_error(Join(sheet::HeaderMessages(houses, header, name)).toStdString());
    }
    if (houses.Records.empty()) {
        throw std::runtime_error(name + ": в файле нет домов, только строка заголовка");
    }
    std::vector<sheet::HouseRow> rows;
    for (const sheet::SheetRecord& record : houses.Records) {
        rows.push_back(sheet::ReadHouseRow(houses, header, record, name));
    }
    std::size_t chosen = 0;
    if (rows.size() > 1) {
        QStringList choices;
        for (const sheet::HouseRow& row : rows) {
            choices.append(QStringLiteral("строка %1: %2")
                               .arg(QString::fromStdString(model::RowLine(row.Line, row.Sheet)),
                                    QString::fromStdString(row.Address)));
        }
        const int index = chooseRow(choices);
        if (index < 0 || index >= choices.size()) {
            return std::nullopt;
        }
        chosen = static_cast<std::size_t>(index);
    }
    const sheet::HouseRow& row = rows[chosen];
    if (!row.House) {
        throw std::runtime_error(Join(row.Messages).toStdString());
    }
    OpenedHouse opened;
    opened.House = *row.House;
    for (const std::optional<std::string_view>& text : row.Texts) {
        opened.Texts.push_back(text ? std::optional<std::string>(*text) : std::nullopt);
    }
    return opened;
}

} // namespace

std::optional<OpenedHouse> OpenHouseFile(const QString& fileName,
                                         const std::function<int(const QStringList&)>& chooseRow) {
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile()) {
        throw OpenError(fileName, QStringLiteral("это не обычный файл, а папка, устройство, канал "
                                                 "или сокет"));
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        throw OpenError(fileName, QString::fromStdString(
                                      model::SystemMessageOf(file.errorString().toStdString())));
    }
    return ChooseHouse(ReadSheetOfHouses(file, fileName), fileName, chooseRow);
}

void RefuseSpecialHouseFile(const QString& fileName) {
    const QFileInfo target(fileName);
    if (target.exists() && !target.isFile()) {
        throw std::runtime_error(
            QStringLiteral("Нельзя сохранить дом в файл %1: это не обычный файл, а папка, "
                           "устройство, канал или сокет. Выберите другое имя файла дома")
                .arg(fileName)
                .toStdString());
    }
}

std::optional<PageHouseProblem> HouseBoundsProblem(const std::vector<std::string>& values,
                                                   const model::NumberLocale& pageLocale) {
    const std::vector<std::optional<std::string_view>> texts(values.begin(), values.end());
    const std::array<model::NumberLocale, 2> locales = {pageLocale, model::NumberLocale{",", " "}};
    model::ProjectParameters p;
    const std::vector<model::HouseFieldError> errors =
        model::ReadHouse(texts, locales, p, model::ReadingRules::Sheet);
    if (errors.empty()) {
        return std::nullopt;
    }
    const model::HouseFieldError& error = errors.front();
    const QString label = QString::fromUtf8(error.Field->Label.data(),
                                            static_cast<qsizetype>(error.Field->Label.size()));
    const QString value = QString::fromStdString(model::Shortened(error.Text));
    if (error.Problem == model::FieldProblem::OutOfRange) {
        return PageHouseProblem{
            error.Field,
            QStringLiteral("%1: %2 — вне допустимых пределов (%3)")
                .arg(label, value, QString::fromStdString(model::AllowedRange(error.Range)))};
    }
    return PageHouseProblem{error.Field,
                            label + QStringLiteral(": ") + QString::fromStdString(error.Message)};
}

void CopyEconomicsInputs(const model::ProjectParameters& from, model::ProjectParameters& to) {
    for (const model::HouseField& field : model::HouseFields()) {
        if (model::IsEconomicsInput(field)) {
            std::visit([&](auto member) { to.*member = from.*member; }, field.Target);
        }
    }
}

bool FiguresAreFinite(const model::ProjectParameters& p, const model::SimulationResult& result) {
    model::HouseFigures figures;
    figures.Result = result;
    figures.Result.ExistingDays.clear();
    figures.Result.PlannedDays.clear();
    figures.Flats = model::FlatCount(p);
    return sheet::FiguresAreFinite(figures);
}
