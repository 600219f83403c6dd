#pragma once
// Device-independent bitmaps as metafiles carry them: BITMAPCOREHEADER, BITMAPINFOHEADER
// and its V4/V5 forms; 1, 4, 8, 16, 24 and 32 bits per pixel, RLE4/RLE8, bit fields,
// top-down rows; embedded JPEG/PNG.

#include "bytereader.h"

#include <QImage>
#include <QString>
#include <QVector>

namespace mf {

struct DibOptions {
    int usage = 0;                     // 0: colours in the table, 1: indices into `palette`
    QVector<QRgb> palette;             // the selected logical palette (for usage 1)
    const QVector<QRgb>* forceColors = nullptr; // replaces the colour table (monochrome brushes)
    bool keepAlpha = false;            // 32 bpp: use the fourth byte as alpha
    qint64* pixelBudget = nullptr;     // decoded pixels still allowed; refused beyond it
};

// Pixels allowed in one bitmap; larger ones are refused.
constexpr qint64 kMaxDibPixels = 40'000'000;
// kMaxDibPixels, or the raster pixel cap when the process lowered it below that
// (RasterLimits::SetMaxPixels).
qint64 MaxDibPixels();

// `info` holds the header and colour table, `bits` the rows.
QImage DecodeDib(ByteReader info, ByteReader bits, const DibOptions& opt, QString* problem = nullptr);
// A packed DIB: header, colour table and rows in one block.
QImage DecodePackedDib(ByteReader dib, const DibOptions& opt, QString* problem = nullptr);

} // namespace mf
