#include "panel/field_check.h"

#include <cmath>

namespace gridwork {

std::optional<double> localeNumber(const QString& text, const QLocale& locale) {
    bool ok = false;
    const double value = locale.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

double roundHalfToEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction < 0.5) {
        return lower;
    }
    if (fraction > 0.5) {
        return lower + 1.0;
    }
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

QString fieldCheckMessage(const QString& text, const QLocale& locale) {
    const auto number = localeNumber(text, locale);
    if (!number) {
        return QString::fromLatin1(notNumericMessage);
    }
    if (roundHalfToEven(*number) < 1.0) {
        return QString::fromLatin1(notPositiveMessage);
    }
    return {};
}

} // namespace gridwork
