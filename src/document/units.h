#pragma once
// Millimetres and screen pixels. The screen scale is fixed; the real resolution of the
// screen is never consulted.

#include <optional>

class TDocElement;
class QString;

constexpr double MmPerPixel = 0.266497461928934; // 105/394 mm per pixel at zoom 1

// Truncates toward zero.
int MmToPixel(double zoom, double mm);
double PixelToMm(int pixels, double zoom);
// Which edge or corner of the element's box the pixel position grips: 0 none,
// 1 left, 2 right, 3 top, 4 bottom, 5 bottom-right, 6 top-right, 7 bottom-left, 8 top-left.
int EdgeZone(const TDocElement& element, int x, int y, double zoom);
// Every occurrence of pattern replaced by value; inserted text is not scanned again.
QString ReplaceAll(const QString& pattern, const QString& value, const QString& text);

// A length as the user types it into any millimetre field: a decimal comma or a decimal
// point ("90,5", "90.5"), an optional sign, blanks around it and a trailing "mm" allowed.
// Gives nothing for any other text, with reason (when given) set to a German sentence that
// says why, e.g. "„9x“ ist keine Zahl."
std::optional<double> ParseMillimetres(const QString& text, QString* reason = nullptr);
