// GIF pictures through giflib: the first frame on its logical screen, as an 8-bit DIB.
// Transparent pixels and the screen around the frame show the paper (white).

#include "raster/decoders.h"

#include <algorithm>
#include <cstring>
#include <gif_lib.h>
#include <vector>

namespace {

struct MemorySource {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

int readFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
    auto* src = static_cast<MemorySource*>(gif->UserData);
    if (length <= 0)
        return 0;
    const size_t n = std::min(size_t(length), src->size - src->pos);
    std::memcpy(buffer, src->data + src->pos, n);
    src->pos += n;
    return int(n);
}

// Closes the giflib handle on every way out.
struct GifHandle {
    GifFileType* gif = nullptr;
    ~GifHandle() {
        if (gif) {
            int error = 0;
            DGifCloseFile(gif, &error);
        }
    }
};

QString gifReason(int error) {
    switch (error) {
    case D_GIF_ERR_NOT_GIF_FILE:
        return QStringLiteral("Die Datei ist kein GIF-Bild.");
    case D_GIF_ERR_READ_FAILED:
    case D_GIF_ERR_EOF_TOO_SOON:
        return QStringLiteral("Die GIF-Datei ist unvollständig.");
    case D_GIF_ERR_NOT_ENOUGH_MEM:
        return QStringLiteral("Nicht genug Speicher für das GIF-Bild.");
    default:
        return QStringLiteral("Die GIF-Datei ist beschädigt (%1).")
            .arg(QString::fromLatin1(GifErrorString(error)));
    }
}

} // namespace

HDIB DecodeGif(const uint8_t* data, size_t size, const QString& fileName) {
    auto fail = [&](const QString& reason) -> TRasterError { return {fileName, reason}; };
    if (size > size_t(RasterLimits::MaxFileBytes))
        throw fail(QStringLiteral("Die Datei ist zu groß."));
    MemorySource source{data, size, 0};
    GifHandle handle;
    int error = 0;
    handle.gif = DGifOpen(&source, readFromMemory, &error);
    if (!handle.gif)
        throw fail(gifReason(error));
    GifFileType* gif = handle.gif;

    int transparent = -1;
    bool haveImage = false;
    while (!haveImage) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            throw fail(gifReason(gif->Error));
        switch (type) {
        case EXTENSION_RECORD_TYPE: {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                throw fail(gifReason(gif->Error));
            // The graphic control block before the first frame says which index is clear.
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
                transparent = (block[1] & 1) ? block[4] : -1;
            while (block) {
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                    throw fail(gifReason(gif->Error));
            }
            break;
        }
        case IMAGE_DESC_RECORD_TYPE:
            if (DGifGetImageDesc(gif) == GIF_ERROR)
                throw fail(gifReason(gif->Error));
            haveImage = true;
            break;
        case TERMINATE_RECORD_TYPE:
            throw fail(QStringLiteral("Die GIF-Datei enthält kein Bild."));
        default:
            break;
        }
    }

    const GifImageDesc& frame = gif->Image;
    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!map || map->ColorCount <= 0 || !map->Colors)
        throw fail(QStringLiteral("Die GIF-Datei hat keine Farbtabelle."));
    const int frameW = frame.Width;
    const int frameH = frame.Height;
    if (frameW <= 0 || frameH <= 0)
        throw fail(QStringLiteral("Das GIF-Bild hat keine Bildpunkte."));
    const int64_t framePixels = int64_t(frameW) * frameH;
    if (RasterLimits::TooManyPixels(frameW, frameH))
        throw fail(RasterLimits::TooLargeText(frameW, frameH));
    // One LZW code of at most 12 bits stands for at most 4096 pixels, so the bytes left in
    // the file bound the frame size.
    if (framePixels > int64_t(size - std::min(size, source.pos)) * 8 / 12 * 4096)
        throw fail(QStringLiteral("Die Datei ist kürzer, als ihr Kopf angibt."));
    // A screen of size zero takes the frame's extent.
    const int screenW = gif->SWidth > 0 ? gif->SWidth : frame.Left + frameW;
    const int screenH = gif->SHeight > 0 ? gif->SHeight : frame.Top + frameH;
    HDIB dib = TDib::Create(screenW, screenH, 8, fileName);

    // The palette: the colour map, zero beyond it; the paper colour in an index the frame
    // cannot use well (the transparent one, a free slot, or else the background colour).
    const int colorCount = std::min(map->ColorCount, 256);
    for (int i = 0; i < colorCount; ++i) {
        const GifColorType& c = map->Colors[i];
        dib->Palette()[i] = RGBQUAD{c.Blue, c.Green, c.Red, 0};
    }
    int paper = transparent;
    if (paper < 0 && colorCount < 256)
        paper = colorCount;
    if (paper >= 0)
        dib->Palette()[paper] = RGBQUAD{255, 255, 255, 0};
    if (transparent >= 0)
        dib->SetTransparentIndex(transparent);
    else
        paper = std::clamp(gif->SBackGroundColor, 0, 255);
    std::memset(dib->Bits(), paper, size_t(dib->BitsSize()));

    // Indices past the colour map draw black: a zeroed slot other than the paper's.
    int black = -1;
    for (int i = colorCount; i < 256 && black < 0; ++i)
        if (i != paper)
            black = i;

    std::vector<GifPixelType> line(static_cast<size_t>(frameW));
    const int visibleW = std::clamp(screenW - frame.Left, 0, frameW);
    auto storeLine = [&](int row) {
        if (DGifGetLine(gif, line.data(), frameW) == GIF_ERROR)
            throw fail(gifReason(gif->Error));
        const int y = frame.Top + row;
        if (y >= screenH || visibleW == 0)
            return;
        uint8_t* dst = dib->ScanLine(y) + frame.Left;
        for (int x = 0; x < visibleW; ++x) {
            const int index = line[size_t(x)];
            dst[x] =
                uint8_t(index < colorCount || index == transparent || black < 0 ? index : black);
        }
    };
    if (frame.Interlace) {
        static const int start[4] = {0, 4, 2, 1};
        static const int step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int row = start[pass]; row < frameH; row += step[pass])
                storeLine(row);
    } else {
        for (int row = 0; row < frameH; ++row)
            storeLine(row);
    }
    return dib;
}

HDIB ConvertGIFtoDIB(const char* fileName) {
    const QString name = QFile::decodeName(fileName);
    TRasterFileData file(name);
    return DecodeGif(file.data(), file.size(), name);
}
