// Rendering a path list (the vector format of some cliparts) into a metafile.

#include "document/appdocument.h"
#include "metafile/tmetafilecanvas.h"
#include <QList>
#include <QPoint>
#include <charconv>

namespace {

// The most points one path holds; further points of that path are dropped.
constexpr int kMaxPathPoints = 10000;

class PathListParser {
public:
    PathListParser(const QString& line, int lineNumber) : m_line(line), m_number(lineNumber) {}

    // The integer from the current position up to the terminator letter, which is consumed.
    int numberUpTo(QChar terminator)
    {
        const qsizetype end = m_line.indexOf(terminator, m_pos);
        if (end < 0)
            fail();
        const QString digits = m_line.mid(m_pos, end - m_pos).trimmed();
        m_pos = end + 1;
        const QByteArray latin = digits.toLatin1();
        const char* b = latin.constData();
        const char* e = b + latin.size();
        if (b != e && *b == '+')
            ++b;
        int value = 0;
        const auto r = std::from_chars(b, e, value, 10);
        if (b == e || r.ec != std::errc() || r.ptr != e || digits.contains(QLatin1Char('?')))
            fail();
        return value;
    }

    [[noreturn]] void fail() const
    {
        throw TPathListError(
            QStringLiteral("Pfadliste, Zeile %1: \"%2\" enthält keine gültige ganze Zahl.")
                .arg(m_number)
                .arg(m_line));
    }

    void skip(int n) { m_pos += n; }

private:
    const QString& m_line;
    int m_number;
    qsizetype m_pos = 0;
};

TColor rgb(int r, int g, int b)
{
    return TColor(r & 0xFF) | (TColor(g & 0xFF) << 8) | (TColor(b & 0xFF) << 16);
}

void render(TMetafileCanvas& canvas, const QStringList& pathList)
{
    using C = TMetafileCanvas;
    QList<QPoint> path;
    path.reserve(kMaxPathPoints);
    for (qsizetype i = 1; i < pathList.size(); ++i) {
        QString line = pathList.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty())
            continue;
        PathListParser p(line, int(i + 1));
        p.skip(1);
        switch (line.at(0).unicode()) {
        case 'w':
            canvas.SetPenWidth(std::max(0, p.numberUpTo(QLatin1Char('#'))));
            break;
        case 'k': {
            const int r = p.numberUpTo(QLatin1Char('r'));
            const int g = p.numberUpTo(QLatin1Char('g'));
            const int b = p.numberUpTo(QLatin1Char('b'));
            canvas.SetBrush(C::BS_SOLID, rgb(r, g, b));
            break;
        }
        case 'K': {
            const int r = p.numberUpTo(QLatin1Char('r'));
            const int g = p.numberUpTo(QLatin1Char('g'));
            const int b = p.numberUpTo(QLatin1Char('b'));
            canvas.SetPenColor(rgb(r, g, b));
            canvas.SetPenStyle(C::PS_SOLID);
            break;
        }
        case 'M':
        case 'L': {
            const int x = p.numberUpTo(QLatin1Char('x'));
            const int y = p.numberUpTo(QLatin1Char('y'));
            if (path.size() < kMaxPathPoints)
                path.append(QPoint(x, y));
            break;
        }
        default:
            if (line.size() != 1)
                break;
            switch (line.at(0).unicode()) {
            case 'B':
                if (path.size() >= 2)
                    canvas.Polygon(path);
                path.clear();
                break;
            case 'F':
                canvas.SetPenStyle(C::PS_NULL);
                if (path.size() >= 2)
                    canvas.Polygon(path);
                path.clear();
                break;
            case 'S':
                canvas.SetBrushStyle(C::BS_NULL);
                if (path.size() >= 2)
                    canvas.Polyline(path);
                path.clear();
                break;
            case 'N':
                path.clear();
                break;
            default:
                break;
            }
        }
    }
}

} // namespace

void TAppDocument::RenderPathList(TMetafile& metafile, const QStringList& pathList)
{
    TMetafileCanvas canvas(metafile);
    canvas.SetMapMode(TMetafileCanvas::MM_HIMETRIC);
    // y = 0 is the bottom edge of the picture.
    canvas.SetWindowOrgEx(0, metafile.MMHeight());
    canvas.SetPenWidth(1);
    try {
        render(canvas, pathList);
    } catch (...) {
        // What was drawn before the bad line stays in the picture.
        canvas.Close();
        throw;
    }
    canvas.Close();
}
