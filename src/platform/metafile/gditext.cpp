// Text output of the GDI player: font height sign, escapement, alignment, Dx arrays,
// opaque and clipped rectangles, background mode.
#include "gdiplayer.h"

#include <QFontMetricsF>
#include <QStringDecoder>
#include <cmath>

namespace mf {

QString DecodeAnsi(const QByteArray& bytes, int charSet) {
    const char* codec = "windows-1252";
    switch (charSet) {
    case 238: codec = "windows-1250"; break;
    case 204: codec = "windows-1251"; break;
    case 161: codec = "windows-1253"; break;
    case 162: codec = "windows-1254"; break;
    case 177: codec = "windows-1255"; break;
    case 178: codec = "windows-1256"; break;
    case 186: codec = "windows-1257"; break;
    default: break;
    }
    QStringDecoder dec(codec);
    if (!dec.isValid())
        return QString::fromLatin1(bytes);
    return dec.decode(bytes);
}

namespace {
constexpr int kMaxFontPixels = 4000;
constexpr int kMaxTextChars = 100000;

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
    }
    return m_fontCache;
}

void GdiPlayer::textOut(const TextRun& run) {
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
    QTransform R;
    R.rotate(-dc.font.escapement / 10.0);
    QTransform G = R * A;

    // Font size: a negative height is the character (em) height, a positive one the cell
    // height (ascent + descent), 0 a default size.
    QFont font(dc.font.face.isEmpty() ? QStringLiteral("Arial") : dc.font.face);
    font.setItalic(dc.font.italic);
    font.setUnderline(dc.font.underline);
    font.setStrikeOut(dc.font.strikeOut);
    font.setWeight(QFont::Weight(dc.font.weight <= 0 ? 400 : qBound(1, dc.font.weight, 1000)));
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
        QTransform Li = QTransform(L.m11(), L.m12(), L.m21(), L.m22(), 0, 0).inverted(&inv);
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
        QRectF box = (toDevice * m_deviceToDest).mapRect(cellBox);
        trace(QStringLiteral("text \"%1\" ref=%2 size=%3 angle=%4 align=%5 box=%6,%7,%8,%9")
                  .arg(run.text, fmt(refDev), num(finalPx), num(dc.font.escapement / 10.0),
                       alignName(align), num(box.left()), num(box.top()), num(box.right()))
                  .arg(num(box.bottom())));
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
    if (adv.isEmpty()) {
        m_painter.drawText(QPointF(x0, base), run.text);
    } else {
        QPointF pos(x0, base);
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
