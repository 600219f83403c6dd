#include "document/cdlisting.h"

#include <QCollator>
#include <QFile>
#include <QDir>
#include <QLocale>
#include <QTransform>
#include <algorithm>
#include <vector>

#include <QStringDecoder>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

QString FontDescription(const TCdFont& font)
{
    QString text = font.Name + QStringLiteral(", ") + QString::number(font.Size) +
                   QStringLiteral(" Punkt");
    if (font.Style & 1)
        text += QStringLiteral(", fett");
    if (font.Style & 2)
        text += QStringLiteral(", kursiv");
    if (font.Style & 4)
        text += QStringLiteral(", unterstrichen");
    if (font.Style & 8)
        text += QStringLiteral(", durchgestrichen");
    return text;
}

int CdColumnWidth(int colsWidth, int colDist, int colCount)
{
    if (colCount < 1)
        return 0;
    const long long num = (long long)colsWidth - (long long)colDist * (colCount - 1);
    const long long den = colCount;
    long long q = num / den;
    long long rem = num % den;
    if (rem < 0) { // floor division
        --q;
        rem += den;
    }
    if (2 * rem > den || (2 * rem == den && (q & 1)))
        ++q;
    return int(q);
}

QString CdLayoutProblem(const TCdListingOptions& o)
{
    auto outside = [](int v, TCdRange r) { return v < r.min || v > r.max; };
    auto text = [](const QString& field, TCdRange r, int v) {
        return QStringLiteral("%1 muss zwischen %2 und %3 liegen, nicht %4.")
            .arg(field)
            .arg(r.min)
            .arg(r.max)
            .arg(v);
    };
    if (outside(o.ColCount, kColCountRange))
        return text(QStringLiteral("Die Spaltenzahl"), kColCountRange, o.ColCount);
    if (outside(o.ColsWidth, kColsWidthRange))
        return text(QStringLiteral("Die Breite (mm)"), kColsWidthRange, o.ColsWidth);
    if (outside(o.ColHeight, kColHeightRange))
        return text(QStringLiteral("Die Höhe (mm)"), kColHeightRange, o.ColHeight);
    if (outside(o.ColDist, kColDistRange))
        return text(QStringLiteral("Der Abstand (mm)"), kColDistRange, o.ColDist);
    if (outside(o.DirLevelMax, kDirLevelRange))
        return text(QStringLiteral("Die Tiefe"), kDirLevelRange, o.DirLevelMax);
    if (CdColumnWidth(o.ColsWidth, o.ColDist, o.ColCount) < 1)
        return QStringLiteral("%1 Spalten mit %2 mm Abstand passen nicht in %3 mm Breite.")
            .arg(o.ColCount)
            .arg(o.ColDist)
            .arg(o.ColsWidth);
    if (o.DirFont.Size < 1 || o.FileFont.Size < 1)
        return QStringLiteral("Die Schriftgröße muss mindestens 1 Punkt betragen.");
    return {};
}

namespace {

struct Entry {
    QString name;
    QByteArray raw; // the name as the file system holds it
    bool dir = false;
    bool link = false;
    bool badName = false; // not valid UTF-8: shown with replacement characters
};

bool validUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

// Names in the order a file manager shows them: letter case ignored, digit runs compared as
// numbers. Linux file systems enumerate in no useful order.
QCollator makeCollator()
{
    QLocale locale;
    // Without a user locale ("C"), collation would ignore the numeric mode; the program
    // speaks German, so its names sort as in German.
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::German, QLocale::Germany);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

class TListing {
public:
    TListing(TMetafileCanvas& canvas, const TCdListingOptions& o, TCdListingResult& result)
        : c(canvas), o(o), r(result), m_collator(makeCollator())
    {
        Ld = o.DirFont.Size * 40;
        Lf = o.FileFont.Size * 40;
        I = Ld;
        w = CdColumnWidth(o.ColsWidth, o.ColDist, o.ColCount);
        top = o.ColHeight * 100;
        y = top;
    }

    void Run()
    {
        r.Columns = 1;
        if (o.DrawTitle && Ld + Lf < top) {
            text(0, top, o.Title, o.DirFont);
            y -= Ld;
        }
        listDirectory(QFile::encodeName(o.Folder), 1, QStringLiteral("|"));
    }

private:
    // Names are read as the bytes the file system holds, so that a name that is not valid
    // UTF-8 (from an old CD or another system) is listed too, and its folder can be opened.
    bool readEntries(const QByteArray& path, std::vector<Entry>& out)
    {
        struct stat st;
        if (::stat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) ||
            ::access(path.constData(), R_OK | X_OK) != 0)
            return false;
        DIR* dir = opendir(path.constData());
        if (!dir)
            return false;
        while (const dirent* d = readdir(dir)) {
            const QByteArray raw(d->d_name);
            if (raw == "." || raw == "..")
                continue;
            const QByteArray full = path + '/' + raw;
            struct stat own, target;
            if (::lstat(full.constData(), &own) != 0)
                continue;
            const bool link = S_ISLNK(own.st_mode);
            const bool isDir = link ? ::stat(full.constData(), &target) == 0 &&
                                          S_ISDIR(target.st_mode)
                                    : S_ISDIR(own.st_mode);
            if (o.DirsOnly && !isDir)
                continue;
            const bool valid = validUtf8(raw);
            out.push_back({QFile::decodeName(raw), raw, isDir, link, !valid});
        }
        closedir(dir);
        std::vector<std::pair<QCollatorSortKey, int>> keys;
        keys.reserve(out.size());
        for (size_t i = 0; i < out.size(); ++i)
            keys.emplace_back(m_collator.sortKey(out[i].name), int(i));
        std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
            const int cmp = a.first.compare(b.first);
            return cmp != 0 ? cmp < 0 : a.second < b.second;
        });
        std::vector<Entry> sorted;
        sorted.reserve(out.size());
        for (const auto& k : keys)
            sorted.push_back(std::move(out[size_t(k.second)]));
        out.swap(sorted);
        return true;
    }

    void text(int x, int yTop, const QString& s, const TCdFont& f)
    {
        TLogFont lf;
        // Font size trunc(points x 25.4) in the canvas's convention of 96 units per inch
        // of 72 points (GDI's MulDiv rounding).
        const int size = int(f.Size * 25.4);
        lf.Height = -int((qint64(size) * 96 + 36) / 72);
        lf.Weight = (f.Style & 1) ? 700 : 400;
        lf.Italic = f.Style & 2;
        lf.Underline = f.Style & 4;
        lf.StrikeOut = f.Style & 8;
        lf.FaceName = f.Name;
        c.SetFont(lf);
        c.SetTextColor(f.Color);
        c.TextOut(x, yTop, s);
    }

    // Returns false when the last column is full and the listing has ended.
    bool nextLine()
    {
        if (y - Ld < 0 || y - Lf < 0) {
            ++col;
            if (col > o.ColCount) {
                m_full = true;
                return false;
            }
            r.Columns = col;
            y = top;
            x0 = (col - 1) * (w + o.ColDist) * 100;
            newColumn = true;
        }
        return true;
    }

    void listDirectory(const QByteArray& path, int k, const QString& pattern)
    {
        std::vector<Entry> entries;
        if (!readEntries(path, entries)) {
            r.Unreadable << QDir::toNativeSeparators(QFile::decodeName(path));
            return;
        }
        ++r.FoldersRead;
        const QString levels = pattern + QLatin1Char('|');
        int remaining = int(entries.size());
        bool first = true;
        for (const Entry& e : entries) {
            if (m_full) {
                r.Complete = false;
                return;
            }
            const int L = e.dir ? Ld : Lf;
            const int a = y - L / 3;
            for (int i = 1; i <= k; ++i) {
                if (levels.at(i) != QLatin1Char('|'))
                    continue; // that level's line has ended: nothing to draw
                const int x = x0 + i * I - I / 2;
                c.MoveTo(x, newColumn || (first && i == k) ? y : previousA);
                c.LineTo(x, a);
            }
            newColumn = false;
            first = false;
            c.LineTo(x0 + I * k - 33, a);
            previousA = a;
            // Every shown entry counts, files too, so a folder followed only by files keeps
            // its line going down to them and the last entry ends it.
            --remaining;
            text(x0 + I * k, y, e.name, e.dir ? o.DirFont : o.FileFont);
            y -= L;
            ++r.Entries;
            r.BadNames += e.badName ? 1 : 0;
            // A name at the foot of a column moves on before its content is listed, so no
            // line runs below the picture.
            if (!nextLine())
                continue;
            // Links are listed but never followed: a link to a parent would loop.
            if (e.dir && !e.link && k < o.DirLevelMax)
                listDirectory(path + '/' + e.raw, k + 1,
                              pattern + (remaining <= 0 ? QLatin1Char(' ') : QLatin1Char('|')));
        }
    }

    TMetafileCanvas& c;
    const TCdListingOptions& o;
    TCdListingResult& r;
    QCollator m_collator;
    int Ld = 0, Lf = 0, I = 0, w = 0, top = 0;
    int col = 1, x0 = 0, y = 0, previousA = 0;
    bool newColumn = true;
    bool m_full = false;
};

} // namespace

TCdListingResult DrawCdListing(TMetafile& target, const TCdListingOptions& o)
{
    TCdListingResult result;
    const int n = o.ColCount, d = o.ColDist, H = o.ColHeight;
    const int w = CdColumnWidth(o.ColsWidth, d, n);
    target.SetMMWidth((n * w + d * (n - 1)) * 100);
    target.SetMMHeight(H * 100);
    TMetafileCanvas canvas(target);
    // y grows upward from the foot of the column. The listing counts 100 units per mm;
    // MM_LOMETRIC counts 10, so the world transform takes a tenth, and the window origin
    // (in tenths of a mm) puts the drawing's y = H x 100 at the top edge.
    canvas.SetMapMode(TMetafileCanvas::MM_LOMETRIC);
    canvas.SetWorldTransform(QTransform::fromScale(0.1, 0.1));
    canvas.SetWindowOrgEx(0, H * 10);
    canvas.SetBrushStyle(TMetafileCanvas::BS_NULL);
    canvas.SetBkMode(TMetafileCanvas::BK_TRANSPARENT);
    canvas.SetPen(TMetafileCanvas::PS_SOLID, 22, 0);
    TListing listing(canvas, o, result);
    listing.Run();
    canvas.Close();
    return result;
}
