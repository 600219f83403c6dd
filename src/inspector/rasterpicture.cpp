#include "inspector/rasterpicture.h"

#include "metafile/emfwriter.h"
#include "metafile/tmetafile.h"
#include "metafile/tmetafilecanvas.h"
#include <QPainter>
#include <QtEndian>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr std::uint32_t kEmrHeader = 1;
constexpr std::uint32_t kEmrEof = 14;
constexpr std::uint32_t kEmrStretchDibits = 81;
constexpr std::uint32_t kEmrAlphaBlend = 114;

quint32 u32At(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}

qint32 i32At(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<qint32>(b.constData() + at);
}

// Where the pixels of a picture that is nothing but one 24-bit bitmap at its full size lie
// (what the transforms and filters record). Such a picture plays pixel for pixel, so its
// rows can be copied instead of played; any other picture goes through the player.
struct PlainBitmap {
    const uchar* bits = nullptr; // first stored row
    qsizetype stride = 0;
    bool bottomUp = true;
    bool inverted = false; // recorded with the inverting copy mode
};

bool findPlainBitmap(const TMetafile& metafile, PlainBitmap& out) {
    if (metafile.GetForm() != TMetafile::Form::Emf)
        return false;
    const QByteArray b = metafile.Bytes();
    const qsizetype n = b.size();
    const int w = metafile.Width(), h = metafile.Height();
    if (n < 108 || w <= 0 || h <= 0 || u32At(b, 0) != kEmrHeader)
        return false;
    const quint32 headerSize = u32At(b, 4);
    if (headerSize < 88 || headerSize > n - 8)
        return false;
    // The frame must map onto the bitmap one to one, as the player maps it.
    const double devX = i32At(b, 72), devY = i32At(b, 76);
    const double mmX = i32At(b, 80), mmY = i32At(b, 84);
    if (devX <= 0 || devY <= 0 || mmX <= 0 || mmY <= 0 || i32At(b, 24) != 0 || i32At(b, 28) != 0)
        return false;
    const double frameW = i32At(b, 32) * devX / mmX / 100;
    const double frameH = i32At(b, 36) * devY / mmY / 100;
    if (std::abs(frameW - w) > 0.25 || std::abs(frameH - h) > 0.25)
        return false;

    const qsizetype at = headerSize;
    if (at + 80 > n || u32At(b, at) != kEmrStretchDibits)
        return false;
    const quint32 size = u32At(b, at + 4);
    if (size < 80 || size > n - at)
        return false;
    const qsizetype eof = at + size;
    if (eof + 20 > n || u32At(b, eof) != kEmrEof)
        return false;
    const qint32 xDest = i32At(b, at + 24), yDest = i32At(b, at + 28);
    const qint32 xSrc = i32At(b, at + 32), ySrc = i32At(b, at + 36);
    const qint32 cxSrc = i32At(b, at + 40), cySrc = i32At(b, at + 44);
    const quint32 offBmi = u32At(b, at + 48), cbBmi = u32At(b, at + 52);
    const quint32 offBits = u32At(b, at + 56), cbBits = u32At(b, at + 60);
    const quint32 usage = u32At(b, at + 64), rop = u32At(b, at + 68);
    const qint32 cxDest = i32At(b, at + 72), cyDest = i32At(b, at + 76);
    if (xDest != 0 || yDest != 0 || xSrc != 0 || ySrc != 0 || cxSrc != w || cySrc != h ||
        cxDest != w || cyDest != h || usage != 0)
        return false;
    if (rop != TMetafileCanvas::SRCCOPY && rop != TMetafileCanvas::NOTSRCCOPY)
        return false;
    if (cbBmi < 40 || offBmi > size || cbBmi > size - offBmi)
        return false;
    const qsizetype bmi = at + offBmi;
    const qint32 biWidth = i32At(b, bmi + 4), biHeight = i32At(b, bmi + 8);
    const quint16 planes = qFromLittleEndian<quint16>(b.constData() + bmi + 12);
    const quint16 bitCount = qFromLittleEndian<quint16>(b.constData() + bmi + 14);
    const quint32 compression = u32At(b, bmi + 16);
    if (u32At(b, bmi) != 40 || biWidth != w || (biHeight != h && biHeight != -h) || planes != 1 ||
        bitCount != 24 || compression != 0)
        return false;
    const qsizetype stride = (qsizetype(w) * 3 + 3) / 4 * 4;
    if (offBits > size || cbBits > size - offBits || qsizetype(cbBits) < stride * h)
        return false;
    out.bits = reinterpret_cast<const uchar*>(b.constData()) + at + offBits;
    out.stride = stride;
    out.bottomUp = biHeight > 0;
    out.inverted = rop == TMetafileCanvas::NOTSRCCOPY;
    return true;
}

// Copies the bitmap's rows into image, mirrored as asked: BGR becomes RGB on the way.
void copyPlainBitmap(const PlainBitmap& src, QImage& image, bool mirrorX, bool mirrorY) {
    const int w = image.width(), h = image.height();
    const uchar flip = src.inverted ? 0xFF : 0x00;
    for (int y = 0; y < h; ++y) {
        const int picY = mirrorY ? h - 1 - y : y;
        const uchar* in = src.bits + src.stride * (src.bottomUp ? h - 1 - picY : picY);
        uchar* o = image.scanLine(y);
        if (!mirrorX) {
            for (int x = 0; x < w; ++x, in += 3, o += 3) {
                o[0] = in[2] ^ flip;
                o[1] = in[1] ^ flip;
                o[2] = in[0] ^ flip;
            }
        } else {
            in += qsizetype(w - 1) * 3;
            for (int x = 0; x < w; ++x, in -= 3, o += 3) {
                o[0] = in[2] ^ flip;
                o[1] = in[1] ^ flip;
                o[2] = in[0] ^ flip;
            }
        }
    }
}

} // namespace

TGdiRect PlainRect(int w, int h) {
    return {0, 0, w + 1, h + 1};
}

TGdiRect MirrorHorizontalRect(int w, int h) {
    return {w, 0, 1, h + 1};
}

TGdiRect MirrorVerticalRect(int w, int h) {
    return {0, h, w + 1, 1};
}

TGdiRect Turn180Rect(int w, int h) {
    return {w, h, 1, 1};
}

QImage RenderPicture(const TMetafile& metafile, const TGdiRect& dest) {
    const int w = metafile.Width();
    const int h = metafile.Height();
    if (w <= 0 || h <= 0)
        return QImage();
    // The picture's edges go to (left, top) and (right - 1, bottom - 1); a reversed pair
    // mirrors.
    const int x0 = dest.left, x1 = dest.right - 1;
    const int y0 = dest.top, y1 = dest.bottom - 1;
    const int dw = std::abs(x1 - x0), dh = std::abs(y1 - y0);

    PlainBitmap plain;
    if (dw == w && dh == h && std::min(x0, x1) == 0 && std::min(y0, y1) == 0 &&
        findPlainBitmap(metafile, plain)) {
        QImage image(w, h, QImage::Format_RGB888);
        copyPlainBitmap(plain, image, x1 < x0, y1 < y0);
        return image;
    }

    const bool alpha = PictureHasAlpha(metafile);
    // Painting into 32-bit pixels is the fast path of the raster engine; the 24-bit form
    // the filters work on is made from it in one pass.
    QImage canvas(w, h, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    canvas.fill(alpha ? Qt::transparent : Qt::white);
    if (dw > 0 && dh > 0) {
        QPainter painter(&canvas);
        // The player gets an upright rectangle and the mirroring as a transform.
        painter.setTransform(QTransform(x1 < x0 ? -1 : 1, 0, 0, y1 < y0 ? -1 : 1, x0, y0));
        metafile.Play(painter, QRectF(0, 0, dw, dh));
    }
    return canvas.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB888);
}

bool PictureHasAlpha(const TMetafile& metafile) {
    if (metafile.GetForm() != TMetafile::Form::Emf)
        return false;
    const QByteArray b = metafile.Bytes();
    const qsizetype n = b.size();
    if (n < 8 || u32At(b, 0) != kEmrHeader)
        return false;
    qsizetype at = 0;
    while (at + 8 <= n) {
        const quint32 type = u32At(b, at);
        const quint32 size = u32At(b, at + 4);
        if (size < 8 || size > n - at)
            return false;
        // The blend function's fourth byte holds AC_SRC_ALPHA.
        if (type == kEmrAlphaBlend && size >= 44 && (uchar(b[at + 43]) & 1))
            return true;
        if (type == kEmrEof)
            return false;
        at += size;
    }
    return false;
}

void FilterColours(QImage& image, void (*filter)(QImage&)) {
    if (!image.hasAlphaChannel()) {
        filter(image);
        return;
    }
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QImage colours(argb.size(), QImage::Format_RGB888);
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb* a = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        uchar* c = colours.scanLine(y);
        for (int x = 0; x < argb.width(); ++x, c += 3) {
            c[0] = uchar(qRed(a[x]));
            c[1] = uchar(qGreen(a[x]));
            c[2] = uchar(qBlue(a[x]));
        }
    }
    filter(colours);
    QImage out(argb.size(), QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        const QRgb* a = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        const uchar* c = colours.constScanLine(y);
        QRgb* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x, c += 3)
            o[x] = qRgba(c[0], c[1], c[2], qAlpha(a[x]));
    }
    image = out;
}

namespace {

// Little-endian writer into a buffer allocated once at its final size.
struct Put {
    uchar* p;
    void u32(quint32 v) {
        qToLittleEndian(v, p);
        p += 4;
    }
    void i32(qint32 v) { u32(quint32(v)); }
    void u16(quint16 v) {
        qToLittleEndian(v, p);
        p += 2;
    }
};

} // namespace

QByteArray OneBitmapEmf(const QImage& image, int mmWidth, int mmHeight, bool inverted,
                        const TChannelTables* tables) {
    // The same picture the recording canvas makes of a bitmap drawn at (0, 0), written in
    // one pass into one buffer: pictures of many megabytes are not copied record by record.
    const int w = image.width(), h = image.height();
    const qsizetype stride = (qsizetype(w) * 3 + 3) / 4 * 4;
    const qsizetype bitsSize = stride * h;
    static const QString description =
        QStringLiteral("Quillmark") + QChar(0) + QStringLiteral("Bild") + QChar(0) + QChar(0);
    constexpr int kHeaderFixed = 108;
    const int headerSize = (kHeaderFixed + int(description.size()) * 2 + 3) / 4 * 4;
    constexpr int kRecordFixed = 80, kBmi = 40, kEof = 20;
    const qsizetype recordSize = kRecordFixed + kBmi + bitsSize;
    const qsizetype total = headerSize + recordSize + kEof;
    if (total > std::numeric_limits<qint32>::max())
        return QByteArray();
    QByteArray out(total, '\0');
    Put put{reinterpret_cast<uchar*>(out.data())};

    put.u32(kEmrHeader);
    put.u32(quint32(headerSize));
    put.i32(0), put.i32(0), put.i32(w - 1), put.i32(h - 1);      // bounds, inclusive pixels
    put.i32(0), put.i32(0), put.i32(mmWidth), put.i32(mmHeight); // frame, 0.01 mm
    put.u32(0x464D4520);                                         // " EMF"
    put.u32(0x10000);
    put.u32(quint32(total));
    put.u32(3); // header, bitmap, end
    put.u16(1); // handles: only the picture itself
    put.u16(0);
    put.u32(quint32(description.size()));
    put.u32(kHeaderFixed);
    put.u32(0); // no palette
    put.i32(emf::kRefWidthPx), put.i32(emf::kRefHeightPx);
    put.i32(emf::kRefWidthMm), put.i32(emf::kRefHeightMm);
    put.u32(0), put.u32(0), put.u32(0); // no pixel format, no OpenGL
    put.i32(emf::kRefWidthMm * 1000), put.i32(emf::kRefHeightMm * 1000);
    std::memcpy(put.p, description.utf16(), size_t(description.size()) * 2);
    put.p = reinterpret_cast<uchar*>(out.data()) + headerSize;

    put.u32(kEmrStretchDibits);
    put.u32(quint32(recordSize));
    put.i32(0), put.i32(0), put.i32(w - 1), put.i32(h - 1);
    put.i32(0), put.i32(0), put.i32(0), put.i32(0), put.i32(w), put.i32(h);
    put.u32(kRecordFixed), put.u32(kBmi), put.u32(kRecordFixed + kBmi), put.u32(quint32(bitsSize));
    put.u32(0); // DIB_RGB_COLORS
    put.u32(inverted ? TMetafileCanvas::NOTSRCCOPY : TMetafileCanvas::SRCCOPY);
    put.i32(w), put.i32(h);
    put.u32(kBmi), put.i32(w), put.i32(h), put.u16(1), put.u16(24), put.u32(0);
    put.u32(quint32(bitsSize));
    put.i32(3780), put.i32(3780), put.u32(0), put.u32(0); // 96 dpi
    for (int row = 0; row < h; ++row) {                   // bottom-up rows, BGR
        const uchar* in = image.constScanLine(h - 1 - row);
        uchar* o = put.p + stride * row;
        if (tables) {
            for (int x = 0; x < w; ++x, in += 3, o += 3) {
                o[0] = tables->blue[in[2]];
                o[1] = tables->green[in[1]];
                o[2] = tables->red[in[0]];
            }
        } else {
            for (int x = 0; x < w; ++x, in += 3, o += 3) {
                o[0] = in[2];
                o[1] = in[1];
                o[2] = in[0];
            }
        }
    }
    put.p += bitsSize;

    put.u32(kEmrEof);
    put.u32(kEof);
    put.u32(0), put.u32(16), put.u32(kEof);
    return out;
}

void RecordPicture(TMetafile& metafile, const QImage& image, bool keepSize, bool inverted,
                   const TChannelTables* tables) {
    if (!keepSize) {
        metafile.Clear();
        metafile.SetWidth(image.width());
        metafile.SetHeight(image.height());
    }
    if (TMetafileCanvas::HasTransparency(image)) {
        // The colours change, the alpha stays.
        QImage work = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < work.height(); ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(work.scanLine(y));
            for (int x = 0; x < work.width(); ++x) {
                int r = qRed(row[x]), g = qGreen(row[x]), b = qBlue(row[x]);
                if (tables) {
                    r = tables->red[r];
                    g = tables->green[g];
                    b = tables->blue[b];
                }
                if (inverted) {
                    r = 255 - r;
                    g = 255 - g;
                    b = 255 - b;
                }
                row[x] = qRgba(r, g, b, qAlpha(row[x]));
            }
        }
        TMetafileCanvas canvas(metafile);
        canvas.AlphaBlendImage(0, 0, work.width(), work.height(), work);
        canvas.Close();
        return;
    }
    const QImage src = image.format() == QImage::Format_RGB888
                           ? image
                           : image.convertToFormat(QImage::Format_RGB888);
    const int w = src.width(), h = src.height();
    if (w <= 0 || h <= 0) {
        TMetafileCanvas canvas(metafile);
        canvas.Close();
        return;
    }
    metafile.SetRecorded(
        OneBitmapEmf(src, metafile.MMWidth(), metafile.MMHeight(), inverted, tables),
        metafile.MMWidth(), metafile.MMHeight());
}

void SoftenPicture(QImage& image) {
    if (!image.hasAlphaChannel()) {
        Soften(image);
        return;
    }
    // Softened with premultiplied colours, so clear neighbours fade the edge instead of
    // lending it their (meaningless) colour; the alpha is softened alike.
    const QImage pre = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage colours(pre.size(), QImage::Format_RGB888), alpha(pre.size(), QImage::Format_RGB888);
    for (int y = 0; y < pre.height(); ++y) {
        const QRgb* p = reinterpret_cast<const QRgb*>(pre.constScanLine(y));
        uchar* c = colours.scanLine(y);
        uchar* a = alpha.scanLine(y);
        for (int x = 0; x < pre.width(); ++x, c += 3, a += 3) {
            c[0] = uchar(qRed(p[x]));
            c[1] = uchar(qGreen(p[x]));
            c[2] = uchar(qBlue(p[x]));
            a[0] = a[1] = a[2] = uchar(qAlpha(p[x]));
        }
    }
    Soften(colours);
    Soften(alpha);
    QImage out(pre.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < out.height(); ++y) {
        const uchar* c = colours.constScanLine(y);
        const uchar* a = alpha.constScanLine(y);
        QRgb* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x, c += 3, a += 3)
            o[x] = qRgba(std::min(c[0], a[0]), std::min(c[1], a[0]), std::min(c[2], a[0]), a[0]);
    }
    image = out.convertToFormat(QImage::Format_ARGB32);
}
