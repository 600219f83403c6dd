// Text output of the GDI player: font height sign, escapement, alignment, Dx arrays,
// opaque and clipped rectangles, background mode.
#include "gdiplayer.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QLineF>
#include <QRawFont>
#include <QStringDecoder>
#include <cmath>

namespace mf {

namespace {

// Windows code page names for a GDI character set, several spellings each: which of them
// the converter knows depends on the ICU build. Empty: windows-1252.
QList<const char*> codePageNames(int charSet) {
    switch (charSet) {
    case 128: return {"windows-932", "cp932", "Shift_JIS"};    // SHIFTJIS
    case 129: return {"windows-949", "cp949", "EUC-KR"};       // HANGUL
    case 130: return {"johab", "windows-1361", "cp1361"};      // JOHAB
    case 134: return {"windows-936", "GBK", "GB2312"};         // GB2312
    case 136: return {"windows-950", "Big5", "cp950"};         // CHINESEBIG5
    case 161: return {"windows-1253"};
    case 162: return {"windows-1254"};
    case 163: return {"windows-1258"};
    case 177: return {"windows-1255"};
    case 178: return {"windows-1256"};
    case 186: return {"windows-1257"};
    case 204: return {"windows-1251"};
    case 222: return {"windows-874", "TIS-620"};
    case 238: return {"windows-1250"};
    case 77: return {"macintosh"};
    default: return {};
    }
}

bool isDoubleByte(int charSet) {
    return charSet == 128 || charSet == 129 || charSet == 130 || charSet == 134 || charSet == 136;
}

} // namespace

QString DecodeAnsi(const QByteArray& bytes, int charSet, QVector<int>* charBytes) {
    if (charBytes)
        charBytes->clear();
    if (charSet == 2) // symbol fonts: the byte values themselves
        return QString::fromLatin1(bytes);
    QStringDecoder dec;
    for (const char* name : codePageNames(charSet)) {
        dec = QStringDecoder(name);
        if (dec.isValid())
            break;
    }
    if (!dec.isValid())
        dec = QStringDecoder("windows-1252");
    if (!dec.isValid())
        return QString::fromLatin1(bytes);
    if (!charBytes || !isDoubleByte(charSet))
        return dec.decode(bytes);
    // Byte by byte, to know which bytes made each character (Dx arrays count bytes).
    QString out;
    int pending = 0;
    for (char b : bytes) {
        ++pending;
        const QString part = dec.decode(QByteArrayView(&b, 1));
        for (qsizetype i = 0; i < part.size(); ++i) {
            *charBytes << (i == 0 ? pending : 0);
            out += part[i];
        }
        if (!part.isEmpty())
            pending = 0;
    }
    const QString rest = dec.decode(QByteArrayView());
    for (qsizetype i = 0; i < rest.size(); ++i) {
        *charBytes << (i == 0 ? pending : 0);
        out += rest[i];
    }
    if (rest.isEmpty() && pending > 0 && !charBytes->isEmpty())
        charBytes->last() += pending; // a lead byte at the end adds to the last character
    return out;
}

QVector<double> DxPerChar(const QVector<double>& dxPerByte, const QVector<int>& charBytes,
                          bool pairs) {
    const int step = pairs ? 2 : 1;
    QVector<double> out;
    out.reserve(charBytes.size() * step);
    qsizetype at = 0;
    for (int n : charBytes) {
        double dx = 0, dy = 0;
        for (int k = 0; k < n; ++k, at += step) {
            dx += at < dxPerByte.size() ? dxPerByte[at] : 0;
            if (pairs)
                dy += at + 1 < dxPerByte.size() ? dxPerByte[at + 1] : 0;
        }
        out << dx;
        if (pairs)
            out << dy;
    }
    return out;
}

namespace {
constexpr int kMaxFontPixels = 4000;

// The Symbol font's code points (0x20-0xFF) as Unicode characters; 0 where it has none.
const char16_t kSymbolToUnicode[224] = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B,
    0x0028, 0x0029, 0x2217, 0x002B, 0x002C, 0x2212, 0x002E, 0x002F,
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,
    0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393,
    0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F,
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9,
    0x039E, 0x03A8, 0x0396, 0x005B, 0x2234, 0x005D, 0x22A5, 0x005F,
    0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,
    0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF,
    0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9,
    0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0x007F,
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,
    0x0000, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663,
    0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191, 0x2192, 0x2193,
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022,
    0x00F7, 0x2260, 0x2261, 0x2248, 0x2026, 0x23D0, 0x23AF, 0x21B5,
    0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229,
    0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209,
    0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5,
    0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3,
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C,
    0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7, 0x23A8, 0x23A9, 0x23AA,
    0x0000, 0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F,
    0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0x0000,
};

// Text in the Symbol font comes as its own code points (or those moved to U+F0xx); the
// fonts here are Unicode fonts, so the characters are mapped.
QString mapSymbolFont(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        ushort u = c.unicode();
        if (u >= 0xF000 && u <= 0xF0FF)
            u &= 0xFF;
        if (u >= 0x20 && u <= 0xFF && kSymbolToUnicode[u - 0x20] != 0)
            c = QChar(kSymbolToUnicode[u - 0x20]);
    }
    return out;
}
bool isSymbolFace(const QString& face) {
    return face.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0;
}

// The standard Macintosh glyph order, which the TrueType core fonts (Arial, Times New Roman,
// Courier New, ...) keep for their first 258 glyphs, as Unicode characters. The three glyphs
// before the space draw nothing.
const char16_t kMacGlyphOrder[258] = {
    0x200B, 0x200B, 0x200B, 0x0020, 0x0021, 0x0022, 0x0023, 0x0024,
    0x0025, 0x0026, 0x0027, 0x0028, 0x0029, 0x002A, 0x002B, 0x002C,
    0x002D, 0x002E, 0x002F, 0x0030, 0x0031, 0x0032, 0x0033, 0x0034,
    0x0035, 0x0036, 0x0037, 0x0038, 0x0039, 0x003A, 0x003B, 0x003C,
    0x003D, 0x003E, 0x003F, 0x0040, 0x0041, 0x0042, 0x0043, 0x0044,
    0x0045, 0x0046, 0x0047, 0x0048, 0x0049, 0x004A, 0x004B, 0x004C,
    0x004D, 0x004E, 0x004F, 0x0050, 0x0051, 0x0052, 0x0053, 0x0054,
    0x0055, 0x0056, 0x0057, 0x0058, 0x0059, 0x005A, 0x005B, 0x005C,
    0x005D, 0x005E, 0x005F, 0x0060, 0x0061, 0x0062, 0x0063, 0x0064,
    0x0065, 0x0066, 0x0067, 0x0068, 0x0069, 0x006A, 0x006B, 0x006C,
    0x006D, 0x006E, 0x006F, 0x0070, 0x0071, 0x0072, 0x0073, 0x0074,
    0x0075, 0x0076, 0x0077, 0x0078, 0x0079, 0x007A, 0x007B, 0x007C,
    0x007D, 0x007E, 0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6,
    0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7,
    0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF,
    0x00F1, 0x00F3, 0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9,
    0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022,
    0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260,
    0x00C6, 0x00D8, 0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5,
    0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9,
    0x00E6, 0x00F8, 0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248,
    0x2206, 0x00AB, 0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5,
    0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019,
    0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x00A4, 0x2039, 0x203A,
    0xFB01, 0xFB02, 0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2,
    0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC,
    0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131,
    0x02C6, 0x02DC, 0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD,
    0x02DB, 0x02C7, 0x0141, 0x0142, 0x0160, 0x0161, 0x017D, 0x017E,
    0x00A6, 0x00D0, 0x00F0, 0x00DD, 0x00FD, 0x00DE, 0x00FE, 0x2212,
    0x00D7, 0x00B9, 0x00B2, 0x00B3, 0x00BD, 0x00BC, 0x00BE, 0x20A3,
    0x011E, 0x011F, 0x0130, 0x015E, 0x015F, 0x0106, 0x0107, 0x010C,
    0x010D, 0x0111,
};

// Faces whose glyphs 0-257 are in the standard Macintosh order.
bool keepsMacGlyphOrder(const QString& face) {
    static const QStringList faces = {
        QStringLiteral("Arial"),         QStringLiteral("Arial Narrow"),
        QStringLiteral("Arial Black"),   QStringLiteral("Times New Roman"),
        QStringLiteral("Courier New"),   QStringLiteral("Verdana"),
        QStringLiteral("Georgia"),       QStringLiteral("Trebuchet MS"),
        QStringLiteral("Tahoma"),        QStringLiteral("Comic Sans MS"),
        QStringLiteral("Impact")};
    return faces.contains(face.trimmed(), Qt::CaseInsensitive);
}

constexpr int kMaxTextChars = 100000;

// While fuzzing, fonts come from a small set (see TMetafilePlayer::SetFewFonts): a family of
// a fixed list chosen by the name, six sizes, normal or bold, without fallback to other fonts.
// The largest size is one whose glyphs are drawn as outlines.
QString fewFontsFamily(const QString& face) {
    static const QString families[] = {
        QStringLiteral("Arial"),  QStringLiteral("Times New Roman"), QStringLiteral("Courier New"),
        QStringLiteral("Symbol"), QStringLiteral("Arial Narrow"),   QStringLiteral("Liberation Sans"),
        QStringLiteral("Quillmark Unbekannt")};
    return families[qHash(face) % std::size(families)];
}

// ... and runs of text are cut to this many characters: Qt's shaping of a long random text
// costs more than all the rest of a playback.
constexpr qsizetype kFewFontsMaxChars = 48;

int fewFontsPixels(int px) {
    return px < 3 ? 1 : px < 12 ? 6 : px < 48 ? 24 : px < 192 ? 96 : px < 768 ? 384 : 1536;
}

QString num(double v) { return QString::number(std::round(v * 10) / 10, 'g', 10); }

QString alignName(int align) {
    QString h = (align & TA_CENTER) == TA_CENTER ? QStringLiteral("center")
                : (align & TA_RIGHT)             ? QStringLiteral("right")
                                                 : QStringLiteral("left");
    QString v = (align & TA_BASELINE) == TA_BASELINE ? QStringLiteral("baseline")
                : (align & TA_BOTTOM)                ? QStringLiteral("bottom")
                                                     : QStringLiteral("top");
    return h + QLatin1Char(',') + v;
}
} // namespace

namespace {
// The average character width of the TrueType core fonts: the lower-case letters and the
// space, each weighted by how often it occurs in English text (weights per thousand).
double weightedLowerCaseWidth(const QFontMetricsF& fm) {
    static constexpr int kWeights[27] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6, 35, 20, 56,
                                         56, 17, 4,  49, 56, 71,  31, 10, 18, 3,  18, 2, 166};
    double sum = 0;
    for (int i = 0; i < 27; ++i) {
        const QChar c = i < 26 ? QChar(u'a' + i) : QChar(u' ');
        if (!fm.inFont(c))
            return 0;
        sum += kWeights[i] * fm.horizontalAdvance(c);
    }
    return sum / 1000;
}
} // namespace

double GdiPlayer::cellToEm(const QFont& font) {
    const QString key = font.key();
    auto it = m_cellToEm.constFind(key);
    if (it != m_cellToEm.constEnd())
        return it.value();
    QFont probe = font;
    probe.setPixelSize(100);
    QFontMetricsF pm(probe);
    double cell = pm.ascent() + pm.descent();
    double ratio = cell > 0 ? 100.0 / cell : 1.0;
    m_cellToEm.insert(key, ratio);
    return ratio;
}

bool GdiPlayer::standInUnfit(const QFont& font, bool italic) {
    const QString face = font.family();
    auto it = m_standIn.constFind(face);
    if (it == m_standIn.constEnd()) {
        // Qt names a family that several foundries make as "Family [foundry]".
        const QFontInfo info(font);
        const QString family = info.family();
        StandIn standIn;
        if (family.section(QLatin1String(" ["), 0, 0)
                .compare(face.section(QLatin1String(" ["), 0, 0), Qt::CaseInsensitive) != 0) {
            standIn.symbols = QFontDatabase::writingSystems(family).contains(QFontDatabase::Symbol);
            // QFontInfo::italic() echoes the request; the database knows the face found.
            standIn.italicOnly = QFontDatabase::italic(family, info.styleName()) && !font.italic();
        }
        it = m_standIn.insert(face, standIn);
    }
    return it->symbols || (it->italicOnly && !italic);
}

const GdiPlayer::FontCache& GdiPlayer::fontFor(const QFont& font, const QString& asked) {
    const QString key = font.key() + QLatin1Char('\n') + asked;
    if (key != m_fontCache.key) {
        QFontMetricsF fm(font);
        m_fontCache.key = key;
        m_fontCache.font = font;
        m_fontCache.ascent = fm.ascent();
        m_fontCache.descent = fm.descent();
        m_fontCache.substituted =
            QFontInfo(font).family().compare(asked, Qt::CaseInsensitive) != 0;
        // A LOGFONT's width is given against the average width of the font the picture was
        // made with. An installed font reports it as Windows does; a replacement's own figure
        // differs (Liberation Sans counts all of its glyphs and reports 30 % more than
        // Arial), while its lower-case letters are as wide as the original's.
        const double lower = m_fontCache.substituted ? weightedLowerCaseWidth(fm) : 0;
        m_fontCache.averageWidth = lower > 0 ? lower : fm.averageCharWidth();
    }
    return m_fontCache;
}

// Qt's raster engine caches glyphs whose size times the square root of the transform's
// determinant stays below 64 px; a squeezed font may still be hundreds of thousands of pixels
// tall then. Such glyphs are drawn as outlines instead.
bool GdiPlayer::glyphsTooLargeToCache(const QFont& font) const {
    const QPaintEngine* engine = m_painter.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster)
        return false;
    const QTransform& t = m_painter.transform();
    const double px = font.pixelSize();
    // Qt caches small glyphs by the transform's area, and every glyph of a font without
    // reliable outlines (the boxes it draws where no font has the character) whatever its
    // size. Glyphs this large are drawn as outlines either way.
    const double longest =
        px * std::max(std::hypot(t.m11(), t.m12()), std::hypot(t.m21(), t.m22()));
    return longest >= 512;
}

// Characters with their own advances, as one glyph run: much faster than drawing them one
// by one. Only when the font has every glyph; otherwise the caller draws per character so
// that font fallback can fill in.
bool GdiPlayer::drawPlacedGlyphs(const QString& text, const QVector<QPointF>& adv, QPointF start,
                                 const QFont& font) {
    if (m_fontCache.rawKey != m_fontCache.key) {
        m_fontCache.raw = QRawFont::fromFont(font);
        m_fontCache.rawKey = m_fontCache.key;
    }
    const QRawFont& raw = m_fontCache.raw;
    if (!raw.isValid())
        return false;
    QList<quint32> glyphs = raw.glyphIndexesForString(text);
    if (glyphs.size() != text.size() || adv.size() != text.size())
        return false;
    QList<QPointF> positions;
    positions.reserve(text.size());
    QPointF pos = start;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (glyphs[i] == 0 && !text[i].isSpace())
            return false;
        positions << pos;
        pos += adv[i];
    }
    QGlyphRun glyphRun;
    glyphRun.setRawFont(raw);
    glyphRun.setGlyphIndexes(glyphs);
    glyphRun.setPositions(positions);
    glyphRun.setUnderline(font.underline());
    glyphRun.setStrikeOut(font.strikeOut());
    m_painter.drawGlyphRun(QPointF(0, 0), glyphRun);
    return true;
}

bool GdiPlayer::glyphsToText(const QString& glyphs, QString& text) {
    const QString face = dc.font.face.isEmpty() ? QStringLiteral("Arial") : dc.font.face;
    QFont font(face);
    font.setWeight(QFont::Weight(dc.font.weight <= 0 ? 400 : qBound(1, dc.font.weight, 1000)));
    font.setItalic(dc.font.italic);
    const bool installed =
        !isSymbolFace(face) && QFontInfo(font).family().compare(face, Qt::CaseInsensitive) == 0;
    text.clear();
    text.reserve(glyphs.size());
    if (installed) {
        // The font itself is here: its glyphs are found through its own character map.
        const QString key = font.key();
        auto it = m_glyphToChar.find(key);
        if (it == m_glyphToChar.end()) {
            QHash<quint32, char16_t> map;
            const QRawFont raw = QRawFont::fromFont(font);
            if (raw.isValid()) {
                QList<QChar> chars;
                for (char32_t c = 0x20; c <= 0xFFFD; ++c)
                    if (!QChar::isSurrogate(c))
                        chars << QChar(c);
                QList<quint32> idx(chars.size());
                int n = int(chars.size());
                if (raw.glyphIndexesForChars(chars.constData(), n, idx.data(), &n))
                    for (int i = n - 1; i >= 0; --i) // the lowest character of a glyph wins
                        if (idx[i] != 0)
                            map.insert(idx[i], chars[i].unicode());
            }
            it = m_glyphToChar.insert(key, map);
        }
        for (QChar g : glyphs) {
            const auto c = it->constFind(g.unicode());
            if (c == it->constEnd())
                return false;
            text += QChar(*c);
        }
        return true;
    }
    if (!keepsMacGlyphOrder(face))
        return false;
    // Another font stands in: through the order the core fonts share, to characters.
    for (QChar g : glyphs) {
        if (g.unicode() >= std::size(kMacGlyphOrder))
            return false;
        text += QChar(kMacGlyphOrder[g.unicode()]);
    }
    return true;
}

void GdiPlayer::textOut(const TextRun& run) {
    if (m_fewFonts && run.text.size() > kFewFontsMaxChars) {
        TextRun cut = run;
        cut.text.truncate(kFewFontsMaxChars);
        textOut(cut);
        return;
    }
    if (run.options & ETO_GLYPH_INDEX) {
        // Glyph numbers of the font the picture was made with (print spoolers write them).
        TextRun mapped = run;
        mapped.options &= ~ETO_GLYPH_INDEX;
        if (!glyphsToText(run.text, mapped.text)) {
            unsupported(QStringLiteral("Text nach Glyphennummern der Schrift „%1“")
                            .arg(dc.font.face.isEmpty() ? QStringLiteral("Arial") : dc.font.face));
            return;
        }
        drawTextRun(mapped);
        return;
    }
    if (isSymbolFace(dc.font.face)) {
        TextRun mapped = run;
        mapped.text = mapSymbolFont(run.text);
        drawTextRun(mapped);
    } else {
        drawTextRun(run);
    }
}

void GdiPlayer::drawTextRun(const TextRun& run) {
    if (m_stopped || (run.text.isEmpty() && !(run.options & ETO_OPAQUE)))
        return;
    if (run.text.size() > kMaxTextChars || !spendPoints(run.text.size()))
        return;
    QTransform L = logicalToDevice();
    if (!std::isfinite(L.m11()) || !std::isfinite(L.m22()))
        return;

    // The glyphs' own axes in device space. Page scales only size the text: GDI draws it
    // upright whatever way the page axes point. A world transform that turns also turns it.
    QTransform A;
    if (L.m12() == 0 && L.m21() == 0)
        A = QTransform(std::abs(L.m11()), 0, 0, std::abs(L.m22()), 0, 0);
    else if (L.determinant() < 0)
        A = QTransform(L.m11(), L.m12(), -L.m21(), -L.m22(), 0, 0);
    else
        A = QTransform(L.m11(), L.m12(), L.m21(), L.m22(), 0, 0);
    // The escapement is an angle in the logical space, counter-clockwise as seen with y
    // pointing down; where the mapping flips one axis (y up) the angle turns the other way
    // on the device, so 2700 then reads bottom to top.
    QTransform R;
    R.rotate(L.determinant() < 0 ? dc.font.escapement / 10.0 : -dc.font.escapement / 10.0);
    QTransform G = R * A;

    // Font size: a negative height is the character (em) height, a positive one the cell
    // height (ascent + descent), 0 a default size.
    const QString asked = dc.font.face.isEmpty() ? QStringLiteral("Arial") : dc.font.face;
    QFont font(asked);
    if (isSymbolFace(dc.font.face)) {
        // The Symbol font's characters were mapped to Unicode; the fonts that stand in for
        // Symbol here read Latin-1 code points as their own symbol positions (¬ would come out
        // as an arrow) and know no Greek by its Unicode value. A serif Unicode font has them,
        // with DejaVu for the pieces of large brackets.
        font.setFamilies({QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")});
    } else if (dc.font.charSet != 2 && standInUnfit(font, dc.font.italic)) {
        // Text of a face missing here must not come out as pictures, nor slanted when it
        // stands upright: fontconfig stands its dingbats in for Impact (through "fantasy")
        // and a chancery italic for Comic Sans MS (through "cursive"). Windows keeps to
        // fonts of the text's character set and style.
        font.setFamily(QStringLiteral("Arial"));
    }
    if (m_fewFonts) {
        // No search through the other fonts for characters the family lacks.
        font.setFamily(fewFontsFamily(dc.font.face));
        font.setStyleStrategy(QFont::NoFontMerging);
    }
    font.setItalic(dc.font.italic);
    font.setUnderline(dc.font.underline);
    font.setStrikeOut(dc.font.strikeOut);
    int weight = dc.font.weight <= 0 ? 400 : qBound(1, dc.font.weight, 1000);
    if (m_fewFonts)
        weight = weight < 550 ? 400 : 700;
    font.setWeight(QFont::Weight(weight));
    font.setHintingPreference(QFont::PreferNoHinting);
    double glyphScale = std::sqrt(std::abs(G.determinant()));
    double destScale = deviceToDestScale();
    if (glyphScale <= 0 || destScale <= 0 || !std::isfinite(glyphScale))
        return;
    double em; // logical units
    if (dc.font.height < 0) {
        em = -double(dc.font.height);
    } else if (dc.font.height > 0) {
        em = dc.font.height * cellToEm(font);
    } else {
        em = 12.0 / glyphScale;
    }
    double finalPx = em * glyphScale * destScale;
    int px = int(qBound(1.0, std::round(finalPx), double(kMaxFontPixels)));
    if (m_fewFonts)
        px = fewFontsPixels(px);
    font.setPixelSize(px);
    const FontCache& fc = fontFor(font, asked);
    font = fc.font;
    double k = em / px; // font pixels -> logical units
    double stretch = 1.0;
    if (dc.font.width != 0 && fc.averageWidth > 0)
        stretch = std::abs(dc.font.width) / (fc.averageWidth * k);
    stretch = qBound(0.01, stretch, 100.0);
    QTransform S = QTransform::fromScale(k * stretch, k);
    // Font pixel space -> device offset from the reference point.
    QTransform F = S * G;

    // Advances in font pixel space.
    const bool pdy = run.options & ETO_PDY;
    QVector<QPointF> adv;
    double width = 0;
    if (!run.dx.isEmpty()) {
        int n = run.text.size();
        adv.reserve(n);
        for (int i = 0; i < n; ++i) {
            int di = pdy ? 2 * i : i;
            double ax = di < run.dx.size() ? run.dx[di] : 0;
            double ay = pdy && di + 1 < run.dx.size() ? run.dx[di + 1] : 0;
            adv << QPointF(ax / (k * stretch), -ay / k);
            width += ax / (k * stretch);
        }
    } else {
        if (dc.textCharExtra != 0)
            font.setLetterSpacing(QFont::AbsoluteSpacing, dc.textCharExtra / (k * stretch));
        // Justification widens the break characters (spaces) of text without advances.
        if (dc.textBreakCount > 0 && dc.textBreakExtra != 0)
            font.setWordSpacing(double(dc.textBreakExtra) / dc.textBreakCount / (k * stretch));
        width = QFontMetricsF(font).horizontalAdvance(run.text);
    }

    // A replacement font's glyphs may be wider than the advances the text was laid out
    // with; then they are narrowed to the run's width so that letters never collide.
    double squeeze = 1.0;
    if (!adv.isEmpty() && width > 0 && fc.substituted) {
        const double natural = QFontMetricsF(font).horizontalAdvance(run.text);
        if (natural > width * 1.02)
            squeeze = width / natural;
    }

    QPointF ref = (dc.textAlign & TA_UPDATECP) ? dc.curPos : run.ref;
    int align = dc.textAlign;
    double x0 = 0;
    if ((align & TA_CENTER) == TA_CENTER)
        x0 = -width / 2;
    else if (align & TA_RIGHT)
        x0 = -width;
    double base = 0;
    if ((align & TA_BASELINE) == TA_BASELINE)
        base = 0;
    else if (align & TA_BOTTOM)
        base = -fc.descent;
    else
        base = fc.ascent;

    if (align & TA_UPDATECP) {
        // The current position moves along the baseline to the far end of the text.
        double move = (align & TA_CENTER) == TA_CENTER ? 0 : (align & TA_RIGHT) ? -width : width;
        QPointF devMove = F.map(QPointF(move, 0));
        bool inv = false;
        QTransform Li = InvertedAffine(QTransform(L.m11(), L.m12(), L.m21(), L.m22(), 0, 0), &inv);
        if (inv)
            dc.curPos = ref + Li.map(devMove);
    }

    QPointF refDev = L.map(ref);
    QTransform toDevice = F * QTransform::fromTranslate(refDev.x(), refDev.y());
    QRectF cellBox(x0, base - fc.ascent, width, fc.ascent + fc.descent);

    if (m_pathOpen) {
        QPainterPath glyphs;
        if (adv.isEmpty()) {
            glyphs.addText(QPointF(x0, base), font, run.text);
        } else {
            QPointF pos(x0, base);
            for (int i = 0; i < run.text.size(); ++i) {
                glyphs.addText(pos, font, QString(run.text[i]));
                pos += adv[i];
            }
        }
        m_path.addPath(toDevice.map(glyphs));
        return;
    }

    if (tracing()) {
        const QTransform toDest = toDevice * m_deviceToDest;
        const QRectF box = toDest.mapRect(cellBox);
        const QPointF start = toDest.map(QPointF(x0, base));
        const QLineF baseline(toDest.map(QPointF(0, 0)), toDest.map(QPointF(1, 0)));
        const int angle = int(std::lround(baseline.angle())) % 360;
        QString text = run.text;
        text.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
            .replace(QLatin1Char('"'), QLatin1String("\\\""))
            .replace(QLatin1Char('\n'), QLatin1String("\\n"));
        trace(QStringLiteral("text %1 %2 %3 \"%4\" ref=%5 size=%6 align=%7 box=%8,%9,%10,%11")
                  .arg(num(start.x()), num(start.y()))
                  .arg(angle)
                  .arg(text, fmt(refDev), num(finalPx), alignName(align), num(box.left()),
                       num(box.top()), num(box.right()), num(box.bottom())) +
              (squeeze != 1.0 ? QStringLiteral(" xscale=") + QString::number(squeeze, 'f', 2)
                              : QString()));
    }

    applyClip();
    // Saving the painter state re-applies the clip on restore, which is slow; only a
    // clipped run needs it.
    const bool clipped = run.hasRect && (run.options & ETO_CLIPPED);
    if (clipped) {
        m_painter.save();
        QPainterPath clip;
        clip.addRect(run.rect.normalized());
        m_painter.setClipPath(L.map(clip), Qt::IntersectClip);
    }
    if (run.hasRect && (run.options & ETO_OPAQUE)) {
        QPainterPath r;
        r.addRect(run.rect.normalized());
        m_painter.fillPath(L.map(r), dc.bkColor);
    }
    m_painter.setTransform(toDevice * m_deviceToDest * m_base);
    if (dc.bkMode == OPAQUE && !run.text.isEmpty())
        m_painter.fillRect(cellBox, dc.bkColor);
    m_painter.setFont(font);
    m_painter.setPen(dc.textColor);
    QPointF start(x0, base);
    if (squeeze != 1.0) {
        // Narrower glyphs at the same places: the painter scales, the places are divided.
        m_painter.setTransform(QTransform::fromScale(squeeze, 1) * toDevice * m_deviceToDest *
                               m_base);
        start.rx() /= squeeze;
        for (QPointF& a : adv)
            a.rx() /= squeeze;
    }
    if (glyphsTooLargeToCache(font)) {
        // A very tall, almost zero-width font, or boxes for missing characters, would be
        // rasterised into one huge bitmap of Qt's glyph cache, which FreeType refuses or the
        // memory cannot hold. Large glyphs are drawn as outlines, as Qt itself does for
        // large upright text.
        QPainterPath outlines;
        if (adv.isEmpty()) {
            outlines.addText(start, font, run.text);
        } else {
            QPointF pos = start;
            for (int i = 0; i < run.text.size(); ++i) {
                const bool pair = run.text[i].isHighSurrogate() && i + 1 < run.text.size();
                const QString glyph = run.text.mid(i, pair ? 2 : 1);
                if (!run.text[i].isSpace())
                    outlines.addText(pos, font, glyph);
                pos += adv[i];
                if (pair)
                    pos += adv[++i];
            }
        }
        m_painter.save();
        m_painter.setRenderHint(QPainter::Antialiasing);
        m_painter.fillPath(outlines, dc.textColor);
        m_painter.restore();
    } else if (adv.isEmpty()) {
        m_painter.drawText(start, run.text);
    } else if (!drawPlacedGlyphs(run.text, adv, start, font)) {
        QPointF pos = start;
        for (int i = 0; i < run.text.size(); ++i) {
            QChar c = run.text[i];
            if (c.isHighSurrogate() && i + 1 < run.text.size()) {
                m_painter.drawText(pos, run.text.mid(i, 2));
                pos += adv[i] + adv[i + 1];
                ++i;
                continue;
            }
            if (!c.isSpace())
                m_painter.drawText(pos, QString(c));
            pos += adv[i];
        }
    }
    if (clipped)
        m_painter.restore();
    else
        m_painter.setTransform(m_deviceToDest * m_base);
}

} // namespace mf
