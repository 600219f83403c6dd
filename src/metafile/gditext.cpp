// Text output of the GDI player: font height sign, escapement, alignment, Dx arrays,
// opaque and clipped rectangles, background mode.
#include "gdiplayer.h"

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

const GdiPlayer::FontCache& GdiPlayer::fontFor(const QFont& font) {
    const QString key = font.key();
    if (key != m_fontCache.key) {
        QFontMetricsF fm(font);
        m_fontCache.key = key;
        m_fontCache.font = font;
        m_fontCache.ascent = fm.ascent();
        m_fontCache.descent = fm.descent();
        m_fontCache.averageWidth = fm.averageCharWidth();
        m_fontCache.substituted =
            QFontInfo(font).family().compare(font.family(), Qt::CaseInsensitive) != 0;
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

void GdiPlayer::textOut(const TextRun& run) {
    if (m_fewFonts && run.text.size() > kFewFontsMaxChars) {
        TextRun cut = run;
        cut.text.truncate(kFewFontsMaxChars);
        textOut(cut);
        return;
    }
    if (dc.font.face.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0) {
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
    QFont font(dc.font.face.isEmpty() ? QStringLiteral("Arial") : dc.font.face);
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
    double destScale = std::sqrt(std::abs(m_deviceToDest.determinant()));
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
    const FontCache& fc = fontFor(font);
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
