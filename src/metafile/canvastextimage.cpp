// Text and pictures of the recording canvas.

#include "tmetafilecanvas.h"

#include "emfwriter.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QtEndian>
#include <cmath>

using emf::RecordBody;

namespace {

// Checks a packed DIB and returns the size of its header with masks and palette, or -1.
// bitsSize receives the size of the pixel rows.
qsizetype dibInfoSize(const QByteArray& dib, qsizetype& bitsSize) {
    if (dib.size() < 40)
        return -1;
    auto u32 = [&](int at) { return qFromLittleEndian<quint32>(dib.constData() + at); };
    auto i32 = [&](int at) { return qFromLittleEndian<qint32>(dib.constData() + at); };
    const quint32 headerSize = u32(0);
    const qint64 width = i32(4), height = i32(8);
    const int bpp = qFromLittleEndian<quint16>(dib.constData() + 14);
    const quint32 compression = u32(16);
    const quint32 sizeImage = u32(20);
    const quint32 colorsUsed = u32(32);
    if (headerSize < 40 || headerSize > quint32(dib.size()) || width <= 0 || height == 0 ||
        width > 1'000'000 || std::abs(height) > 1'000'000 || width * std::abs(height) > (1 << 28))
        return -1;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return -1;
    qint64 palette = 0;
    if (bpp <= 8)
        palette = colorsUsed ? std::min<qint64>(colorsUsed, 1 << bpp) : (1 << bpp);
    else
        palette = std::min<qint64>(colorsUsed, 256);
    qint64 masks = (compression == 3 && headerSize == 40) ? 12 : 0;
    const qint64 info = headerSize + masks + palette * 4;
    if (compression == 0 || compression == 3) {
        bitsSize = ((width * bpp + 31) / 32) * 4 * std::abs(height);
    } else if ((compression == 1 && bpp == 8) || (compression == 2 && bpp == 4)) {
        bitsSize = sizeImage;
    } else {
        return -1;
    }
    if (bitsSize <= 0 || info + bitsSize > dib.size())
        return -1;
    return info;
}

} // namespace

// ---- text ----

namespace {

// Metrics of a logical font, measured on a 1000-pixel font and scaled to logical units.
// Needs a GUI application (font database); returns false without one.
struct LogicalMetrics {
    double scaleX = 0, scaleY = 0; // logical units per unit of the 1000-pixel font
    double ascent = 0, descent = 0;
    QFont font;
};

bool measure(const TLogFont& lf, LogicalMetrics& out) {
    if (lf.Height == 0 || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    QFont f(lf.FaceName);
    f.setPixelSize(1000);
    f.setWeight(QFont::Weight(std::clamp(lf.Weight ? lf.Weight : 400, 1, 1000)));
    f.setItalic(lf.Italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    const QFontMetricsF fm(f);
    const double cell = fm.ascent() + fm.descent();
    if (cell <= 0)
        return false;
    const double em = lf.Height < 0 ? -double(lf.Height) : lf.Height * 1000.0 / cell;
    out.scaleY = em / 1000.0;
    out.scaleX = out.scaleY;
    if (lf.Width > 0 && fm.averageCharWidth() > 0)
        out.scaleX = lf.Width / fm.averageCharWidth();
    out.ascent = fm.ascent() * out.scaleY;
    out.descent = fm.descent() * out.scaleY;
    out.font = f;
    return true;
}

// Advance of each UTF-16 unit in logical units, kerning included; rounding errors do not add
// up because every position is rounded on its own.
QList<int> advances(const LogicalMetrics& m, const QString& text) {
    const QFontMetricsF fm(m.font);
    QList<int> dx(text.size(), 0);
    double pos = 0;
    int prevRounded = 0;
    const bool exact = text.size() <= 400; // whole-prefix measuring is quadratic
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype end = i + 1;
        if (text.at(i).isHighSurrogate() && end < text.size())
            ++end;
        if (exact)
            pos = fm.horizontalAdvance(text.left(end)) * m.scaleX;
        else
            pos += fm.horizontalAdvance(text.mid(i, end - i)) * m.scaleX;
        const int rounded = int(std::lround(pos));
        dx[i] = rounded - prevRounded;
        prevRounded = rounded;
        i = end - 1; // a low surrogate keeps advance 0
    }
    return dx;
}

} // namespace

void TMetafileCanvas::ExtTextOut(int x, int y, std::uint32_t options, const QRect* clip,
                                 const QString& text, const QList<int>& dxGiven) {
    if (!usable() || (text.isEmpty() && !clip))
        return;
    realiseFont();
    LogicalMetrics lm;
    const bool measured = measure(m_font, lm);
    QList<int> dx = dxGiven;
    if (dx.size() != text.size())
        dx = measured ? advances(lm, text) : QList<int>();
    if (!clip)
        options &= ~(ETO_CLIPPED | ETO_OPAQUE);

    // Drawn area: the text box around the reference point, turned by the escapement.
    double width = 0;
    for (int d : dx)
        width += d;
    const double ascent = measured ? lm.ascent : std::abs(m_font.Height);
    const double descent = measured ? lm.descent : std::abs(m_font.Height) / 4.0;
    double u0 = 0;
    if ((m_text.align & TA_CENTER) == TA_CENTER)
        u0 = -width / 2;
    else if (m_text.align & TA_RIGHT)
        u0 = -width;
    double v0; // distance of the base line below the reference point, along "up"
    if ((m_text.align & TA_BASELINE) == TA_BASELINE)
        v0 = 0;
    else if (m_text.align & TA_BOTTOM)
        v0 = descent;
    else
        v0 = -ascent;
    const QPointF refDev = logicalToDevice().map(QPointF(x, y));
    const double s = deviceScale();
    const double a = m_font.Escapement * M_PI / 1800.0;
    const QPointF base(std::cos(a), -std::sin(a)), up(-std::sin(a), -std::cos(a));
    QRectF box;
    for (double u : {u0, u0 + width})
        for (double v : {v0 - descent, v0 + ascent}) {
            const QPointF c = refDev + (base * u + up * v) * s;
            box = box.isNull() ? QRectF(c, QSizeF(0, 0)) : box.united(QRectF(c, QSizeF(0, 0)));
        }
    QRect devBounds(QPoint(int(std::floor(box.left())), int(std::floor(box.top()))),
                    QPoint(int(std::floor(box.right())), int(std::floor(box.bottom()))));
    if (clip && (options & ETO_CLIPPED))
        devBounds = devBounds.intersected(deviceBoundsOf(QRectF(*clip)));
    if (clip && (options & ETO_OPAQUE))
        devBounds = devBounds.united(deviceBoundsOf(QRectF(*clip)));

    const int fixedSize = 76; // record head, bounds, mode, scales, EMRTEXT
    const int stringBytes = int((text.size() * 2 + 3) / 4 * 4);
    RecordBody b;
    b.rect(devBounds).u32(m_advancedMode ? 2 : 1).f32(0).f32(0);
    b.i32(x).i32(y).u32(std::uint32_t(text.size())).u32(std::uint32_t(fixedSize));
    b.u32(options);
    if (clip)
        b.ltrb(clip->left(), clip->top(), clip->left() + clip->width(),
               clip->top() + clip->height());
    else
        b.ltrb(0, 0, -1, -1);
    b.u32(dx.isEmpty() ? 0 : std::uint32_t(fixedSize + stringBytes));
    b.utf16(text).pad4();
    for (int d : dx)
        b.i32(d);
    m_writer->add(emf::EMR_EXTTEXTOUTW, b);
    m_writer->addBounds(devBounds);
}

// ---- pictures ----

QByteArray TMetafileCanvas::ImageToDib24(const QImage& image) {
    if (image.isNull())
        return {};
    QImage src = image;
    if (src.hasAlphaChannel()) { // no alpha in a 24-bit DIB: lay the picture on white
        QImage flat(src.size(), QImage::Format_RGB888);
        flat.fill(Qt::white);
        QPainter p(&flat);
        p.drawImage(0, 0, src);
        p.end();
        src = flat;
    } else {
        src = src.convertToFormat(QImage::Format_RGB888);
    }
    const int w = src.width(), h = src.height();
    const qsizetype stride = (qsizetype(w) * 3 + 3) / 4 * 4;
    RecordBody head;
    head.u32(40).i32(w).i32(h).u16(1).u16(24).u32(0).u32(std::uint32_t(stride * h));
    head.i32(3780).i32(3780).u32(0).u32(0); // 96 dpi
    QByteArray dib = head.data();
    dib.resize(40 + stride * h);
    char* out = dib.data() + 40;
    for (int row = 0; row < h; ++row) {
        const uchar* line = src.constScanLine(h - 1 - row); // bottom-up
        char* o = out + row * stride;
        for (int col = 0; col < w; ++col) {
            o[col * 3] = char(line[col * 3 + 2]);
            o[col * 3 + 1] = char(line[col * 3 + 1]);
            o[col * 3 + 2] = char(line[col * 3]);
        }
        std::fill(o + w * 3, o + stride, '\0');
    }
    return dib;
}

void TMetafileCanvas::StretchDIBits(int xDest, int yDest, int cxDest, int cyDest, int xSrc,
                                    int ySrc, int cxSrc, int cySrc, const QByteArray& dib,
                                    std::uint32_t rop) {
    if (!usable() || cxDest == 0 || cyDest == 0)
        return;
    qsizetype bitsSize = 0;
    const qsizetype infoSize = dibInfoSize(dib, bitsSize);
    if (infoSize < 0)
        return;
    const QRectF logical(QPointF(xDest, yDest), QPointF(double(xDest) + cxDest,
                                                        double(yDest) + cyDest));
    const QRect devBounds = deviceBoundsOf(logical, true);
    constexpr int kFixed = 80;
    RecordBody b;
    b.rect(devBounds).i32(xDest).i32(yDest).i32(xSrc).i32(ySrc).i32(cxSrc).i32(cySrc);
    b.u32(kFixed).u32(std::uint32_t(infoSize)).u32(std::uint32_t(kFixed + infoSize));
    b.u32(std::uint32_t(bitsSize)).u32(0).u32(rop).i32(cxDest).i32(cyDest);
    b.bytes(dib.left(infoSize + bitsSize));
    m_writer->add(emf::EMR_STRETCHDIBITS, b);
    m_writer->addBounds(deviceBoundsOf(logical, true));
}

void TMetafileCanvas::StretchImage(int xDest, int yDest, int cxDest, int cyDest,
                                   const QImage& image, std::uint32_t rop) {
    if (image.isNull())
        return;
    if (rop == SRCCOPY && HasTransparency(image)) {
        AlphaBlendImage(xDest, yDest, cxDest, cyDest, image);
        return;
    }
    StretchDIBits(xDest, yDest, cxDest, cyDest, 0, 0, image.width(), image.height(),
                  ImageToDib24(image), rop);
}

void TMetafileCanvas::Draw(int x, int y, const QImage& image) {
    StretchImage(x, y, image.width(), image.height(), image);
}

bool TMetafileCanvas::HasTransparency(const QImage& image) {
    if (image.isNull() || !image.hasAlphaChannel())
        return false;
    const QImage argb = image.format() == QImage::Format_ARGB32 ||
                                image.format() == QImage::Format_ARGB32_Premultiplied
                            ? image
                            : image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(row[x]) != 255)
                return true;
    }
    return false;
}

QByteArray TMetafileCanvas::ImageToDib32(const QImage& image) {
    if (image.isNull())
        return {};
    // GDI blends premultiplied pixels; in memory Qt's form is already B, G, R, A.
    const QImage src = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = src.width(), h = src.height();
    const qsizetype stride = qsizetype(w) * 4;
    RecordBody head;
    head.u32(40).i32(w).i32(h).u16(1).u16(32).u32(0).u32(std::uint32_t(stride * h));
    head.i32(3780).i32(3780).u32(0).u32(0); // 96 dpi
    QByteArray dib = head.data();
    dib.resize(40 + stride * h);
    char* out = dib.data() + 40;
    for (int row = 0; row < h; ++row) { // bottom-up
        const QRgb* line = reinterpret_cast<const QRgb*>(src.constScanLine(h - 1 - row));
        uchar* o = reinterpret_cast<uchar*>(out + row * stride);
        for (int col = 0; col < w; ++col, o += 4) {
            const QRgb p = line[col];
            o[0] = uchar(qBlue(p));
            o[1] = uchar(qGreen(p));
            o[2] = uchar(qRed(p));
            o[3] = uchar(qAlpha(p));
        }
    }
    return dib;
}

void TMetafileCanvas::AlphaBlendImage(int xDest, int yDest, int cxDest, int cyDest,
                                      const QImage& image) {
    if (!usable() || image.isNull() || cxDest == 0 || cyDest == 0)
        return;
    const QByteArray dib = ImageToDib32(image);
    qsizetype bitsSize = 0;
    const qsizetype infoSize = dibInfoSize(dib, bitsSize);
    if (infoSize < 0)
        return;
    const QRectF logical(QPointF(xDest, yDest),
                         QPointF(double(xDest) + cxDest, double(yDest) + cyDest));
    constexpr int kFixed = 108;
    // Source over, constant alpha 255, the source's own alpha (AC_SRC_ALPHA).
    constexpr std::uint32_t kBlend = 0x01FF0000;
    RecordBody b;
    b.rect(deviceBoundsOf(logical, true)).i32(xDest).i32(yDest).i32(cxDest).i32(cyDest);
    b.u32(kBlend).i32(0).i32(0);
    b.f32(1).f32(0).f32(0).f32(1).f32(0).f32(0); // source transform: identity
    b.u32(0).u32(0);                             // background colour, DIB_RGB_COLORS
    b.u32(kFixed).u32(std::uint32_t(infoSize)).u32(std::uint32_t(kFixed + infoSize));
    b.u32(std::uint32_t(bitsSize)).i32(image.width()).i32(image.height());
    b.bytes(dib.left(infoSize + bitsSize));
    m_writer->add(emf::EMR_ALPHABLEND, b);
    m_writer->addBounds(deviceBoundsOf(logical, true));
}
