#include "inspector/pathlistedit.h"

#include <charconv>

namespace {

[[noreturn]] void badLine(int lineIndex, const QString& line) {
    throw TPathListError(
        QStringLiteral("Pfadliste, Zeile %1: \"%2\" enthält keine gültige ganze Zahl. "
                       "Die Grafik bleibt unverändert.")
            .arg(lineIndex + 1)
            .arg(line));
}

// The integer in line[from, to); only an optional sign and decimal digits are accepted.
int integerAt(const QString& line, qsizetype from, qsizetype to, int lineIndex) {
    if (from < 0 || to < from)
        badLine(lineIndex, line);
    const QByteArray latin = line.mid(from, to - from).toLatin1();
    const char* b = latin.constData();
    const char* e = b + latin.size();
    if (b != e && *b == '+')
        ++b;
    int value = 0;
    const auto r = std::from_chars(b, e, value, 10);
    if (b == e || r.ec != std::errc() || r.ptr != e)
        badLine(lineIndex, line);
    return value;
}

// Reads the numbers before each terminator in turn, starting after the line's letter.
struct LineReader {
    const QString& line;
    int index;
    qsizetype pos = 1;
    int next(QChar terminator) {
        const qsizetype end = line.indexOf(terminator, pos);
        if (end < 0)
            badLine(index, line);
        const int v = integerAt(line, pos, end, index);
        pos = end + 1;
        return v;
    }
};

bool startsWith(const QString& line, QChar letter) {
    return !line.isEmpty() && line.at(0) == letter;
}

} // namespace

// Line 0 is the size line; whatever its first character, it is no command.

QStringList FlipPathList(const QStringList& list, TPathFlip flip, int width, int height) {
    QStringList out = list;
    for (int i = 1; i < out.size(); ++i) {
        const QString& line = out.at(i);
        if (!startsWith(line, QLatin1Char('M')) && !startsWith(line, QLatin1Char('L')))
            continue;
        LineReader r{line, i};
        qint64 x = r.next(QLatin1Char('x'));
        qint64 y = r.next(QLatin1Char('y'));
        if (flip != TPathFlip::Vertical)
            x = qint64(width) - x;
        if (flip != TPathFlip::Horizontal)
            y = qint64(height) - y;
        out[i] = line.at(0) + QString::number(x) + QLatin1Char('x') + QString::number(y) +
                 QLatin1Char('y');
    }
    return out;
}

int FindPathLine(const QStringList& list, QChar letter) {
    for (int i = 1; i < list.size(); ++i) {
        if (startsWith(list.at(i), letter))
            return i;
    }
    return -1;
}

TRgb ParseColorLine(const QString& line, int lineIndex) {
    LineReader r{line, lineIndex};
    TRgb c;
    c.r = r.next(QLatin1Char('r'));
    c.g = r.next(QLatin1Char('g'));
    c.b = r.next(QLatin1Char('b'));
    return c;
}

QString ColorLine(QChar letter, const TRgb& c) {
    return letter + QString::number(c.r) + QLatin1Char('r') + QString::number(c.g) +
           QLatin1Char('g') + QString::number(c.b) + QLatin1Char('b');
}

std::optional<QString> FirstStrokeWidth(const QStringList& list) {
    const int i = FindPathLine(list, QLatin1Char('w'));
    if (i < 0)
        return std::nullopt;
    const QString& line = list.at(i);
    const qsizetype end = line.indexOf(QLatin1Char('#'), 1);
    return end < 0 ? line.mid(1) : line.mid(1, end - 1);
}

QStringList SetStrokeWidths(const QStringList& list, const QString& width) {
    QStringList out = list;
    const QString line = QLatin1Char('w') + width + QLatin1Char('#');
    for (int i = 1; i < out.size(); ++i) {
        if (startsWith(out.at(i), QLatin1Char('w')))
            out[i] = line;
    }
    return out;
}

QStringList MapColorLines(const QStringList& list, QChar letter,
                          const std::function<TRgb(const TRgb&)>& map) {
    QStringList out = list;
    for (int i = 1; i < out.size(); ++i) {
        if (startsWith(out.at(i), letter))
            out[i] = ColorLine(letter, map(ParseColorLine(out.at(i), i)));
    }
    return out;
}
