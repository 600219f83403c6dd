#include "inspector/numberformat.h"

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <limits>

QString FormatMm(double value) {
    // snprintf follows the C locale here: the program never calls setlocale for numbers.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%5.2f", value);
    QString s = QString::fromLatin1(buf);
    // Guard against a process that did switch LC_NUMERIC (e.g. a plug-in).
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    return s;
}

std::optional<double> ParseNumber(const QString& input) {
    // A German decimal comma counts like the point (but not both in one number).
    QString text = input;
    if (!text.contains(QLatin1Char('.')) && text.count(QLatin1Char(',')) == 1)
        text.replace(QLatin1Char(','), QLatin1Char('.'));
    int i = 0;
    const int n = int(text.size());
    while (i < n && text.at(i) == QLatin1Char(' '))
        ++i;
    const int start = i;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        ++i;
    int digits = 0;
    while (i < n && text.at(i).isDigit() && text.at(i).unicode() < 128) {
        ++i;
        ++digits;
    }
    if (i < n && text.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < n && text.at(i).unicode() < 128 && text.at(i).isDigit()) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        int j = i + 1;
        if (j < n && (text.at(j) == QLatin1Char('+') || text.at(j) == QLatin1Char('-')))
            ++j;
        int expDigits = 0;
        while (j < n && text.at(j).unicode() < 128 && text.at(j).isDigit()) {
            ++j;
            ++expDigits;
        }
        if (expDigits == 0)
            return std::nullopt;
        i = j;
    }
    if (i != n)
        return std::nullopt;
    bool ok = false;
    const double v = text.mid(start).toDouble(&ok); // QString::toDouble uses the C locale
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

int TruncScaled(double value, double factor) {
    double v = value * factor;
    v += (v >= 0 ? 1e-9 : -1e-9) * std::max(1.0, std::fabs(v));
    if (v >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (v <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(std::trunc(v));
}

QString FormatTenths(int tenths) {
    const long long v = tenths;
    const long long whole = v / 10;
    const long long rest = v % 10;
    if (rest == 0)
        return QString::number(whole);
    const QString sign = v < 0 ? QStringLiteral("-") : QString();
    return sign + QString::number(std::llabs(whole)) + QLatin1Char('.') +
           QString::number(std::llabs(rest));
}
