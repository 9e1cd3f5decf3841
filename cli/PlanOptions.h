#pragma once

#include "HouseRun.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <optional>

namespace cli {

// The options of the capital plan and of values for the whole stock.
struct PlanCommandOptions {
    QCommandLineOption Budget{
        QStringLiteral("budget"),
        QStringLiteral("Бюджет года плана, руб.; повторяется для каждого следующего года (не более "
                       "10): --budget 5000000 --budget 3000000. Составляет план: какие дома и в "
                       "каком году оснастить."),
        QStringLiteral("сумма")};
    QCommandLineOption Objective{
        QStringLiteral("objective"),
        QStringLiteral("Цель плана: npv (чистая приведённая стоимость, по умолчанию), energy "
                       "(сэкономленная энергия) или co2 (предотвращённые выбросы) — до конца "
                       "срока оценки, HorizonYears лет от начала 1-го года плана, в каком бы году "
                       "дом ни оснастили; после него ничего не учитывается."),
        QStringLiteral("цель")};
    QCommandLineOption Plan{
        QStringLiteral("plan"),
        QStringLiteral("Записать план в файл .csv, .xlsx или .ods: год плана, строка, "
                       "переносимые столбцы, адрес, управляющая компания, расходы (установка в "
                       "ценах этого года) и ценность каждого выбранного дома; в книге — и лист "
                       "«Итоги» по годам и управляющим компаниям."),
        QStringLiteral("файл")};
    QCommandLineOption NoCarryOver{
        QStringLiteral("no-carry-over"),
        QStringLiteral("Остаток бюджета не переносится на следующий год: расходы каждого года "
                       "не больше его собственного бюджета.")};
    QCommandLineOption MaxHouses{
        QStringLiteral("max-houses"),
        QStringLiteral("Не более стольких домов в год (бригады): один раз для всех лет или для "
                       "каждого года по порядку, как --budget."),
        QStringLiteral("число")};
    QCommandLineOption TimeLimit{
        QStringLiteral("time-limit"),
        QStringLiteral("Предел времени поиска плана, секунд (по умолчанию 60)."),
        QStringLiteral("секунды")};
    QCommandLineOption Gap{
        QStringLiteral("gap"),
        QStringLiteral("Точность плана, %: поиск заканчивается, когда лучший возможный план "
                       "ценнее найденного не более чем на столько (по умолчанию 0,01)."),
        QStringLiteral("проценты")};
    QCommandLineOption Set{
        QStringLiteral("set"),
        QStringLiteral("Значение поля для всех домов (ПОЛЕ=ЗНАЧЕНИЕ, повторяется): заполняет "
                       "пустые ячейки и недостающий столбец; значение в строке важнее."),
        QStringLiteral("поле=значение")};

    QList<QCommandLineOption> All() const {
        return {Budget, Objective, Plan, NoCarryOver, MaxHouses, TimeLimit, Gap, Set};
    }
};

// Reads the plan's options and the values for the whole stock into the run's options; the Russian
// message of a usage error.
std::optional<QString> ReadPlanOptions(const QCommandLineParser& parser,
                                       const PlanCommandOptions& o, RunOptions& options);

} // namespace cli
