#pragma once
// Rewriting the lines of a path list (the vector form of some cliparts): mirroring and
// turning its coordinates, its fill and stroke colours and stroke widths.
//
// Every edit works on a copy and hands it back only when all lines it touches could be
// read, so a list with a malformed number is never left half rewritten. Malformed lines
// raise TPathListError naming the line.

#include "document/appdocument.h"
#include <QStringList>
#include <functional>
#include <optional>

struct TRgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const TRgb&) const = default;
};

enum class TPathFlip { Horizontal, Vertical, Turn180 };

// x' = width - x and/or y' = height - y for every move and line point.
QStringList FlipPathList(const QStringList& list, TPathFlip flip, int width, int height);

// Index of the first line starting with letter ('k' fill, 'K' stroke, 'w' width), or -1.
int FindPathLine(const QStringList& list, QChar letter);
// The colour of a colour line ("k" r "r" g "g" b "b" or the same with "K").
TRgb ParseColorLine(const QString& line, int lineIndex);
QString ColorLine(QChar letter, const TRgb& c);
// The stroke width text of the first width line (between "w" and "#"), if there is one.
std::optional<QString> FirstStrokeWidth(const QStringList& list);
// Every width line becomes "w" + width + "#".
QStringList SetStrokeWidths(const QStringList& list, const QString& width);
// Every line of colour kind letter is replaced by map(its colour).
QStringList MapColorLines(const QStringList& list, QChar letter,
                          const std::function<TRgb(const TRgb&)>& map);
