#include "Locale.h"

#include <QLocale>

model::NumberLocale UserNumberLocale() {
    const QLocale system = QLocale::system();
    model::NumberLocale locale;
    locale.DecimalSeparator = system.decimalPoint().toStdString();
    locale.GroupSeparator = system.groupSeparator().toStdString();
    return locale;
}

QString WithDecimalSeparator(const QString& commaText, const model::NumberLocale& locale) {
    QString text = commaText;
    return text.replace(QLatin1Char(','), QString::fromStdString(locale.DecimalSeparator));
}
