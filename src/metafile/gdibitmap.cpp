// Bitmap output of the GDI player: stretched blits with raster operations, pattern
// blits and alpha blending.
#include "gdiplayer.h"

#include <QCache>
#include <QMutex>
#include <QPaintEngine>
#include <cmath>

namespace mf {

namespace {

// A ROP3's index byte holds the result for each (pattern, source, destination) bit triple
// at bit position 4P + 2S + D; it ignores the source when both halves agree.
bool usesSource(quint32 rop) {
    const quint32 f = (rop >> 16) & 0xFF;
    return ((f >> 2) & 0x33) != (f & 0x33);
}

// The two-input function f(P, D) of a source-free ROP3 as a 4-bit table, bit 2P + D.
int patternFunction(quint32 rop) {
    const quint32 f = (rop >> 16) & 0xFF;
    return int((f & 1) | (f & 2) | ((f >> 2) & 4) | ((f >> 2) & 8));
}


QString ropName(quint32 rop) {
    switch (rop) {
    case ROP_SRCCOPY: return QStringLiteral("SRCCOPY");
    case ROP_NOTSRCCOPY: return QStringLiteral("NOTSRCCOPY");
    case ROP_SRCAND: return QStringLiteral("SRCAND");
    case ROP_SRCPAINT: return QStringLiteral("SRCPAINT");
    case ROP_SRCINVERT: return QStringLiteral("SRCINVERT");
    case ROP_SRCERASE: return QStringLiteral("SRCERASE");
    case ROP_NOTSRCERASE: return QStringLiteral("NOTSRCERASE");
    case ROP_MERGEPAINT: return QStringLiteral("MERGEPAINT");
    case ROP_PATCOPY: return QStringLiteral("PATCOPY");
    case ROP_PATINVERT: return QStringLiteral("PATINVERT");
    case 0x00A000C9: return QStringLiteral("DPa");
    case 0x00FA0089: return QStringLiteral("DPo");
    case ROP_DSTINVERT: return QStringLiteral("DSTINVERT");
    case ROP_BLACKNESS: return QStringLiteral("BLACKNESS");
    case ROP_WHITENESS: return QStringLiteral("WHITENESS");
    default: return QStringLiteral("0x%1").arg(rop, 8, 16, QLatin1Char('0'));
    }
}

// Where a device cannot combine pixels (printers, PDF), the mask ops become
// transparency: AND with white and OR/XOR with black leave the page unchanged.
QImage keyOut(const QImage& src, QRgb key) {
    QImage img = src.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((row[x] & 0xFFFFFF) == (key & 0xFFFFFF))
                row[x] = 0;
    }
    return img;
}

// Mask blits that paint the brush colour through a (monochrome) source and leave the
// page elsewhere: done as transparency, so they work on every device.
QImage brushThroughMask(const QImage& src, QColor brush, bool whitePaints) {
    QImage img = src.convertToFormat(QImage::Format_ARGB32);
    const QRgb paint = brush.rgb() | 0xFF000000u;
    for (int y = 0; y < img.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            bool white = qAlpha(row[x]) > 0 && qGray(row[x]) > 127;
            row[x] = white == whitePaints ? paint : 0;
        }
    }
    return img;
}

// A picture drawn again (the same metafile in every cell and copy of a print) is handed to
// the painter as the same image, so that a PDF embeds it once: Qt's PDF engine shares images
// by their cache key. Images are matched by their pixels, never by where they came from.
QImage shared(const QImage& img) {
    static QMutex mutex;
    static QCache<size_t, QImage> cache(64 * 1024 * 1024);
    const qsizetype bytes = img.sizeInBytes();
    if (bytes <= 0 || bytes > 32 * 1024 * 1024)
        return img;
    const size_t key = qHash(QByteArrayView(reinterpret_cast<const char*>(img.constBits()), bytes),
                             size_t(img.width()) * 31 + size_t(img.height()) * 17 +
                                 size_t(img.format()));
    QMutexLocker lock(&mutex);
    if (const QImage* hit = cache.object(key)) {
        if (*hit == img)
            return *hit;
    }
    cache.insert(key, new QImage(img), int(std::min<qsizetype>(bytes, INT_MAX)));
    return img;
}

// A bitmap drawn smaller on a raster device, upright, is averaged down to the
// pixels it lands on first: sampled, the thin strokes of scans and screenshots fall between
// the samples and break up. imageToOutput and src are changed to the smaller image.
QImage averagedDown(const QImage& img, QTransform& imageToOutput, QRectF& src) {
    const QTransform& t = imageToOutput;
    if (t.m12() != 0 || t.m21() != 0 || !t.isAffine())
        return img;
    const double sx = std::abs(t.m11()), sy = std::abs(t.m22());
    const QRect px = src.toRect();
    if (!(sx < 0.9 && sy < 0.9) || QRectF(px) != src || !img.rect().contains(px))
        return img;
    const QSize size(std::max(1, int(std::ceil(px.width() * sx))),
                     std::max(1, int(std::ceil(px.height() * sy))));
    const QImage small =
        img.copy(px).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    imageToOutput = QTransform::fromScale(double(px.width()) / size.width(),
                                          double(px.height()) / size.height()) *
                    QTransform::fromTranslate(px.x(), px.y()) * t;
    src = QRectF(QPointF(0, 0), QSizeF(size));
    return small;
}

} // namespace

void GdiPlayer::drawImageRop(const QTransform& imageToDevice, const QImage& srcImg, QRectF src,
                             quint32 rop) {
    QImage img = srcImg;
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    const bool raster = hasRasterOps();
    switch (rop) {
    case ROP_SRCCOPY: break;
    case ROP_NOTSRCCOPY:
        // Inverted before drawing, so it works on every device.
        img = img.convertToFormat(img.hasAlphaChannel() ? QImage::Format_ARGB32
                                                        : QImage::Format_RGB32);
        img.invertPixels(QImage::InvertRgb);
        break;
    case ROP_SRCAND:
        if (raster)
            mode = QPainter::RasterOp_SourceAndDestination;
        else
            img = keyOut(img, qRgb(255, 255, 255));
        break;
    case ROP_SRCPAINT:
        if (raster)
            mode = QPainter::RasterOp_SourceOrDestination;
        else
            img = keyOut(img, qRgb(0, 0, 0));
        break;
    case ROP_SRCINVERT:
        if (raster)
            mode = QPainter::RasterOp_SourceXorDestination;
        else
            img = keyOut(img, qRgb(0, 0, 0));
        break;
    case ROP_SRCERASE:
        if (raster)
            mode = QPainter::RasterOp_SourceAndNotDestination;
        break;
    case ROP_NOTSRCERASE:
        if (raster)
            mode = QPainter::RasterOp_NotSourceAndNotDestination;
        break;
    case ROP_MERGEPAINT:
        if (raster)
            mode = QPainter::RasterOp_NotSourceOrDestination;
        break;
    case 0x00E20746: // DSPDxax: the brush where the source is white, else the page
    case 0x00B8074A: // PSDPxax: the brush where the source is black, else the page
        img = brushThroughMask(img, dc.brush.color, rop == 0x00E20746);
        break;
    default:
        unsupported(QStringLiteral("Rasteroperation ") + ropName(rop));
        break;
    }
    // Raster ops would also combine the alpha of undefined (transparent) RLE pixels.
    if (mode != QPainter::CompositionMode_SourceOver && img.hasAlphaChannel())
        img = img.convertToFormat(QImage::Format_RGB32);
    QTransform toOutput = imageToDevice * m_deviceToDest * m_base;
    const QPaintEngine* engine = m_painter.paintEngine();
    if (engine && engine->type() == QPaintEngine::Raster)
        img = averagedDown(img, toOutput, src);
    m_painter.setTransform(toOutput);
    m_painter.setCompositionMode(mode);
    m_painter.drawImage(src.topLeft(), shared(img), src);
    m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_painter.setTransform(m_deviceToDest * m_base);
}

void GdiPlayer::stretchBlt(QRectF dst, const QImage& img, QRectF src, quint32 rop) {
    if (m_stopped || m_pathOpen || img.isNull())
        return;
    if (src.width() == 0 || src.height() == 0 || dst.width() == 0 || dst.height() == 0)
        return;
    if (!usesSource(rop)) {
        patBlt(dst, rop);
        return;
    }
    if (!spendPoints(4))
        return;
    // Image pixels -> logical -> device. Opposite signs of the two widths mirror.
    QTransform toLogical = QTransform::fromTranslate(-src.x(), -src.y()) *
                           QTransform::fromScale(dst.width() / src.width(),
                                                 dst.height() / src.height()) *
                           QTransform::fromTranslate(dst.x(), dst.y());
    QTransform imageToDevice = toLogical * logicalToDevice();
    if (tracing())
        trace(QStringLiteral("image %1 %2 %3 rop %4")
                  .arg(img.width())
                  .arg(img.height())
                  .arg(traceBox(imageToDevice.mapRect(src)), ropName(rop)));
    applyClip();
    drawImageRop(imageToDevice, img, src, rop);
}

QBrush GdiPlayer::patternBrush() const {
    // Hatched brushes blit their background in the background colour when it is opaque.
    if (dc.brush.style == BS_HATCHED && dc.bkMode == OPAQUE) {
        QImage tile(8, 8, QImage::Format_RGB32);
        tile.fill(dc.bkColor);
        QPainter p(&tile);
        p.fillRect(tile.rect(), makeBrush(dc.brush));
        p.end();
        return QBrush(tile);
    }
    return makeBrush(dc.brush);
}

void GdiPlayer::patBlt(QRectF dst, quint32 rop) {
    if (m_stopped || m_pathOpen)
        return;
    QPainterPath p;
    p.addRect(dst.normalized());
    QPainterPath dev = logicalToDevice().map(p);
    if (tracing())
        trace(QStringLiteral("patblt ") + traceBox(dev.boundingRect()) + QStringLiteral(" rop ") +
              ropName(rop));
    if (usesSource(rop)) {
        unsupported(QStringLiteral("Rasteroperation ") + ropName(rop));
        return;
    }
    applyClip();
    const int f = patternFunction(rop);
    if (f == 0b1010) // D: the page stays
        return;
    if (f == 0 || f == 0b1111) {
        m_painter.fillPath(dev, f ? Qt::white : Qt::black);
        return;
    }
    const QBrush brush = dc.brush.style == BS_NULL ? QBrush(Qt::black) : patternBrush();
    if (f == 0b1100) { // P
        m_painter.setBrushOrigin(dc.brushOrg);
        m_painter.fillPath(dev, brush);
        return;
    }
    // Each remaining function of pattern and page has its raster operation.
    QPainter::CompositionMode mode;
    switch (f) {
    case 0b1000: mode = QPainter::RasterOp_SourceAndDestination; break;       // DPa
    case 0b1110: mode = QPainter::RasterOp_SourceOrDestination; break;        // DPo
    case 0b0110: mode = QPainter::RasterOp_SourceXorDestination; break;       // DPx, PATINVERT
    case 0b0011: mode = QPainter::RasterOp_NotSource; break;                  // Pn
    case 0b0101: mode = QPainter::RasterOp_NotDestination; break;             // Dn, DSTINVERT
    case 0b0001: mode = QPainter::RasterOp_NotSourceAndNotDestination; break; // DPon
    case 0b0111: mode = QPainter::RasterOp_NotSourceOrNotDestination; break;  // DPan
    case 0b1001: mode = QPainter::RasterOp_NotSourceXorDestination; break;    // PDxn
    case 0b0100: mode = QPainter::RasterOp_SourceAndNotDestination; break;    // PDna
    case 0b0010: mode = QPainter::RasterOp_NotSourceAndDestination; break;    // DPna
    case 0b1101: mode = QPainter::RasterOp_SourceOrNotDestination; break;     // PDno
    default: mode = QPainter::RasterOp_NotSourceOrDestination; break;         // DPno
    }
    if (!hasRasterOps()) {
        // Printers and PDF cannot combine with the page; on white paper AND and XOR with
        // it and OR with black leave the pattern itself, the rest is left out.
        if (f == 0b1000 || f == 0b0110 || f == 0b1110) {
            m_painter.setBrushOrigin(dc.brushOrg);
            m_painter.fillPath(dev, brush);
        } else {
            unsupported(QStringLiteral("Rasteroperation ") + ropName(rop));
        }
        return;
    }
    m_painter.setBrushOrigin(dc.brushOrg);
    m_painter.setCompositionMode(mode);
    m_painter.fillPath(dev, brush);
    m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void GdiPlayer::alphaBlend(QRectF dst, const QImage& img, QRectF src, int constAlpha,
                           bool srcAlpha) {
    if (m_stopped || m_pathOpen || img.isNull())
        return;
    if (src.width() == 0 || src.height() == 0 || dst.width() == 0 || dst.height() == 0)
        return;
    QTransform toLogical = QTransform::fromTranslate(-src.x(), -src.y()) *
                           QTransform::fromScale(dst.width() / src.width(),
                                                 dst.height() / src.height()) *
                           QTransform::fromTranslate(dst.x(), dst.y());
    QTransform imageToDevice = toLogical * logicalToDevice();
    if (tracing())
        trace(QStringLiteral("image %1 %2 %3 alpha %4")
                  .arg(img.width())
                  .arg(img.height())
                  .arg(traceBox(imageToDevice.mapRect(src)))
                  .arg(constAlpha));
    applyClip();
    const double opacity = m_painter.opacity();
    m_painter.setOpacity(opacity * qBound(0, constAlpha, 255) / 255.0);
    m_painter.setTransform(imageToDevice * m_deviceToDest * m_base);
    m_painter.drawImage(src.topLeft(),
                        shared(srcAlpha ? img : img.convertToFormat(QImage::Format_RGB32)), src);
    m_painter.setOpacity(opacity);
    m_painter.setTransform(m_deviceToDest * m_base);
}

} // namespace mf
