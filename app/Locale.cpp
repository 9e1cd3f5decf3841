#include "Locale.h"

#include <QLocale>

model::NumberLocale UserNumberLocale() {
    const QLocale system = QLocale::system();
    model::NumberLocale locale;
    // A locale that names no separator keeps the comma and blank the program was written for.
    if (!system.decimalPoint().isEmpty()) {
        locale.DecimalSeparator = system.decimalPoint().toStdString();
    }
    if (!system.groupSeparator().isEmpty()) {
        locale.GroupSeparator = system.groupSeparator().toStdString();
    }
    return locale;
}

QString WithDecimalSeparator(const QString& commaText, const model::NumberLocale& locale) {
    QString text = commaText;
    return text.replace(QLatin1Char(','), QString::fromStdString(locale.DecimalSeparator));
}
