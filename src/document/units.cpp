#include "document/units.h"

#include "document/docelement.h"
#include <QString>
#include <cmath>
#include <limits>

int MmToPixel(double zoom, double mm)
{
    const double v = mm / MmPerPixel * zoom;
    // Truncation toward zero, guarded against values no int can hold.
    if (!(v > -2147483648.0))
        return v != v ? 0 : std::numeric_limits<int>::min();
    if (v >= 2147483647.0)
        return std::numeric_limits<int>::max();
    return int(std::trunc(v));
}

double PixelToMm(int pixels, double zoom)
{
    return pixels * MmPerPixel / zoom;
}

int EdgeZone(const TDocElement& e, int x, int y, double zoom)
{
    const double xm = PixelToMm(x, zoom);
    const double ym = PixelToMm(y, zoom);
    const double x0 = PixelToMm(x - 5, zoom);
    const double x1 = PixelToMm(x + 5, zoom);
    const double y0 = PixelToMm(y - 5, zoom);
    const double y1 = PixelToMm(y + 5, zoom);
    const double r = e.Left + e.Width;
    const double b = e.Top + e.Height;
    // Strict comparisons; a billionth of a millimetre absorbs the rounding of the
    // conversions, so an edge exactly five pixels away is not near.
    constexpr double eps = 1e-9;
    auto nearX = [&](double v) { return x0 + eps < v && v < x1 - eps; };
    auto nearY = [&](double v) { return y0 + eps < v && v < y1 - eps; };
    int zone = 0;
    if (e.Top < ym && ym < b && nearX(e.Left))
        zone = 1;
    if (e.Top < ym && ym < b && nearX(r))
        zone = 2;
    if (e.Left < xm && xm < r && nearY(e.Top))
        zone = 3;
    if (e.Left < xm && xm < r && nearY(b))
        zone = 4;
    if (nearX(r) && nearY(b))
        zone = 5;
    if (nearX(r) && nearY(e.Top))
        zone = 6;
    if (nearX(e.Left) && nearY(b))
        zone = 7;
    if (nearX(e.Left) && nearY(e.Top))
        zone = 8;
    return zone;
}

QString ReplaceAll(const QString& pattern, const QString& value, const QString& text)
{
    if (pattern.isEmpty())
        return text;
    QString result;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(pattern, from, Qt::CaseSensitive);
        if (at < 0)
            break;
        result += QStringView(text).mid(from, at - from);
        result += value;
        from = at + pattern.size();
    }
    if (from == 0)
        return text;
    result += QStringView(text).mid(from);
    return result;
}

std::optional<double> ParseMillimetres(const QString& text, QString* reason)
{
    auto refuse = [&](const QString& why) -> std::optional<double> {
        if (reason)
            *reason = why;
        return std::nullopt;
    };
    QString t = text.trimmed();
    if (t.endsWith(QStringLiteral("mm"), Qt::CaseInsensitive))
        t = t.chopped(2).trimmed();
    if (t.isEmpty())
        return refuse(QStringLiteral("Es ist kein Wert eingetragen."));
    const QString notANumber =
        QStringLiteral("\u201E%1\u201C ist keine Zahl. Erlaubt sind Zahlen wie 90,5 oder 90.5.")
            .arg(text.trimmed());
    // Sign, digits, at most one decimal separator (comma or point), digits: no thousands
    // separators, whose meaning would depend on the writer's habits.
    QString plain;
    int digits = 0;
    bool separator = false;
    for (int i = 0; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (c >= u'0' && c <= u'9') {
            plain += c;
            ++digits;
        } else if ((c == u',' || c == u'.') && !separator) {
            plain += u'.';
            separator = true;
        } else if ((c == u'-' || c == u'+') && i == 0) {
            plain += c;
        } else {
            return refuse(notANumber);
        }
    }
    // More digits than a double keeps are no length anybody means.
    if (digits == 0 || digits > 15)
        return refuse(notANumber);
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return refuse(notANumber);
    return value;
}
