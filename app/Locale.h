#pragma once

#include "NumberFormat.h"

#include <QString>

// The user's regional decimal and group separators.
model::NumberLocale UserNumberLocale();

// A text written with a decimal comma, rewritten with the locale's decimal separator ("1,38" ->
// "1.38" on a point-separator system).
QString WithDecimalSeparator(const QString& commaText, const model::NumberLocale& locale);
