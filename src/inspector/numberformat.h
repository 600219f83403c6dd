#pragma once
// Numbers in the inspector's edits: always a full stop as decimal separator, whatever the
// user's locale, so that a document edited on one machine reads the same on another.

#include <QString>
#include <optional>

// Fixed point with two decimals, right-aligned in at least five characters ("%5.2f").
QString FormatMm(double value);

// Parses a number written with a full stop or a decimal comma. Leading blanks are skipped;
// anything else that is not part of the number (a trailing blank, a unit) makes the whole
// text unparseable.
std::optional<double> ParseNumber(const QString& text);

// Value x factor truncated toward zero. The tiny nudge away from zero keeps typed decimals
// such as 4.35 from landing one below (4.35 x 10 is 43.4999... in binary floating point).
int TruncScaled(double value, double factor);

// A value kept in tenths (font size, angle) as the edits show it: whole units without a
// decimal, others with their tenth ("12", "12.5", "-0.5").
QString FormatTenths(int tenths);
