#include "HouseFile.h"

#include "HouseRows.h"
#include "HouseSheet.h"
#include "IntSpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
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

std::optional<OpenedHouse> ReadHouseFile(const std::string& content, const QString& fileName,
                                         const std::function<int(const QStringList&)>& chooseRow) {
    const std::string name = QFileInfo(fileName).fileName().toStdString();
    sheet::Sheet houses;
    try {
        houses = sheet::ParseSheet(content);
    } catch (const sheet::SheetError& e) {
        throw std::runtime_error(name + ": " + e.what());
    }
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
                               .arg(row.Line)
                               .arg(QString::fromStdString(row.Address)));
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
