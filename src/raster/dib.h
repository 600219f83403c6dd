#pragma once
// Device-independent bitmaps (DIB) as the picture converters hand them over: a
// BITMAPINFOHEADER, the palette and the rows, bottom row first, each row padded to four
// bytes. The six functions at the end are the converter interface the graphic import calls.

#include "raster/rastererror.h"

#include <QByteArray>
#include <QList>
#include <QRgb>
#include <array>
#include <cstdint>
#include <memory>

class QImage;
class QPainter;

struct BITMAPINFOHEADER {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0; // positive: bottom-up rows
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0; // BI_RGB
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 3780; // 96 dpi
    int32_t biYPelsPerMeter = 3780;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};

// Four bytes in file order, so a palette in the packed DIB can be used in place.
struct RGBQUAD {
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
};

// Limits applied by every reader before it allocates the picture.
namespace RasterLimits {
constexpr int64_t DefaultMaxPixels = 64'000'000;
constexpr int64_t MaxFileBytes = int64_t(1) << 30;
// The most pixels one picture may have: DefaultMaxPixels unless lowered.
int64_t MaxPixels();
// Sets the pixel cap for the whole process (at most DefaultMaxPixels, at least 1). A program
// that reads untrusted bytes by the thousand (a fuzz target) lowers it once at its start, so
// a few bytes of header cannot make it fill a huge picture for every input.
void SetMaxPixels(int64_t pixels);
// True when width x height is beyond MaxPixels().
bool TooManyPixels(int64_t width, int64_t height);
// "Das Bild ist zu groß (W × H Bildpunkte, erlaubt sind höchstens 64 Millionen)."
QString TooLargeText(int64_t width, int64_t height);
} // namespace RasterLimits

class TDib;
using HDIB = std::shared_ptr<TDib>;

class TDib {
public:
    // A new bottom-up DIB of 1, 4, 8, 24 or 32 bits per pixel. Pictures with a palette get
    // 2^bitCount entries, all black; the rows are zero-filled. Throws TRasterError (naming
    // fileName) when the size is empty or beyond RasterLimits::MaxPixels.
    static HDIB Create(int width, int height, int bitCount, const QString& fileName = {});

    const BITMAPINFOHEADER& Header() const { return m_header; }
    int Width() const { return m_header.biWidth; }
    int Height() const { return m_header.biHeight; }
    int BitCount() const { return m_header.biBitCount; }
    int Stride() const { return m_stride; }

    int PaletteSize() const { return m_paletteSize; }
    RGBQUAD* Palette() { return reinterpret_cast<RGBQUAD*>(m_packed.data() + 40); }
    const RGBQUAD* Palette() const {
        return reinterpret_cast<const RGBQUAD*>(m_packed.constData() + 40);
    }

    // Rows in file order (bottom row first).
    uint8_t* Bits() { return reinterpret_cast<uint8_t*>(m_packed.data() + m_infoSize); }
    const uint8_t* Bits() const {
        return reinterpret_cast<const uint8_t*>(m_packed.constData() + m_infoSize);
    }
    qsizetype BitsSize() const { return m_packed.size() - m_infoSize; }
    // Row y counted from the top of the picture.
    uint8_t* ScanLine(int y) { return Bits() + qsizetype(Height() - 1 - y) * m_stride; }
    const uint8_t* ScanLine(int y) const { return Bits() + qsizetype(Height() - 1 - y) * m_stride; }

    // BITMAPINFO as stored in files and metafiles: the 40-byte header and the palette.
    QByteArray InfoBytes() const;
    // The packed DIB: header, palette and rows in one block (shared, not copied).
    QByteArray Packed() const { return m_packed; }
    // The picture as a QImage (RGB888, top row first).
    QImage ToImage() const;

    // Stride of a DIB row of the given width and depth; -1 when it does not fit.
    static int64_t RowBytes(int64_t width, int bitCount);

    // The palette index that stands for "no paint" (a GIF's transparent colour), or -1.
    int TransparentIndex() const { return m_transparentIndex; }
    void SetTransparentIndex(int index) { m_transparentIndex = index; }

private:
    TDib() = default;
    BITMAPINFOHEADER m_header;
    QByteArray m_packed; // header, palette, rows
    qsizetype m_infoSize = 40;
    int m_paletteSize = 0;
    int m_stride = 0;
    int m_transparentIndex = -1;
};

// A logical palette made from a DIB's colour table (empty for true-colour DIBs).
struct TDibPalette {
    QList<QRgb> colors;
};
using HPALETTE = std::shared_ptr<TDibPalette>;

// The converter interface of the graphic import. The converters read the named file and
// throw TRasterError naming it when it cannot be read or decoded; they never return an
// empty handle.
HDIB ConvertGIFtoDIB(const char* fileName);
HDIB ConvertTIFtoDIB(const char* fileName);
HPALETTE CreateDIBPalette(const HDIB& dib);
int GetDIBWidth(const HDIB& dib);
int GetDIBHeight(const HDIB& dib);
// Draws the DIB 1:1 with its top-left corner at (x, y) of the painter's coordinates; the
// palette, when given, replaces the DIB's colour table.
void DrawDIB(QPainter& dc, const HDIB& dib, const HPALETTE& palette, int x, int y);
