// TIFF pictures through libtiff: the first directory, read as RGBA and stored as a 24-bit
// DIB. libtiff works on the bytes in memory, reports into a buffer instead of the terminal
// and may not make a single allocation beyond a fixed cap.

#include "raster/decoders.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <tiffio.h>

namespace {

constexpr tmsize_t MaxSingleAllocation = tmsize_t(256) << 20;
// Real pictures hold a few dozen entries in a directory. libtiff sorts its field table again
// for every unknown tag it meets, so a directory of thousands of them takes seconds.
constexpr uint64_t MaxDirectoryEntries = 256;

// The number of entries in the first directory, or 0 when the header does not say
// (libtiff then reports what is wrong).
uint64_t firstDirectoryEntries(const uint8_t* data, size_t size) {
    if (size < 16 || !((data[0] == 'I' && data[1] == 'I') || (data[0] == 'M' && data[1] == 'M')))
        return 0;
    const bool little = data[0] == 'I';
    auto get = [&](size_t at, int bytes) {
        uint64_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v |= uint64_t(data[at + size_t(little ? i : bytes - 1 - i)]) << (8 * i);
        return v;
    };
    const uint64_t version = get(2, 2);
    if (version == 42) {
        const uint64_t at = get(4, 4);
        return at <= size - 2 ? get(size_t(at), 2) : 0;
    }
    if (version == 43) { // BigTIFF: 8-byte offsets and counts
        const uint64_t at = get(8, 8);
        return at <= size - 8 ? get(size_t(at), 8) : 0;
    }
    return 0;
}

struct MemoryFile {
    const uint8_t* data;
    toff_t size;
    toff_t pos;
};

tmsize_t readProc(thandle_t h, void* buffer, tmsize_t length) {
    auto* f = static_cast<MemoryFile*>(h);
    if (length <= 0 || f->pos >= f->size)
        return 0;
    const toff_t n = std::min<toff_t>(toff_t(length), f->size - f->pos);
    std::memcpy(buffer, f->data + f->pos, size_t(n));
    f->pos += n;
    return tmsize_t(n);
}

tmsize_t writeProc(thandle_t, void*, tmsize_t) {
    return 0;
}

toff_t seekProc(thandle_t h, toff_t offset, int whence) {
    auto* f = static_cast<MemoryFile*>(h);
    toff_t base = 0;
    if (whence == SEEK_CUR)
        base = f->pos;
    else if (whence == SEEK_END)
        base = f->size;
    // Offsets are unsigned, so a backward step wraps around; reads past the end give 0.
    f->pos = base + offset;
    return f->pos;
}

int closeProc(thandle_t) {
    return 0;
}

toff_t sizeProc(thandle_t h) {
    return static_cast<MemoryFile*>(h)->size;
}

int mapProc(thandle_t h, void** base, toff_t* size) {
    auto* f = static_cast<MemoryFile*>(h);
    *base = const_cast<uint8_t*>(f->data);
    *size = f->size;
    return 1;
}

void unmapProc(thandle_t, void*, toff_t) {}

// The first error libtiff reports, kept for the message.
struct Diagnostics {
    char firstError[512] = {0};
};

[[maybe_unused]] int errorHandler(TIFF*, void* user, const char* module, const char* fmt,
                                  va_list args) {
    auto* d = static_cast<Diagnostics*>(user);
    if (d && d->firstError[0] == 0)
        std::vsnprintf(d->firstError, sizeof d->firstError, fmt, args);
    return 1; // handled: nothing reaches the terminal
}

[[maybe_unused]] int warningHandler(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct TiffHandle {
    TIFF* tif = nullptr;
#if TIFFLIB_VERSION >= 20221213
    TIFFOpenOptions* options = nullptr;
#endif
    ~TiffHandle() {
        if (tif)
            TIFFClose(tif);
#if TIFFLIB_VERSION >= 20221213
        if (options)
            TIFFOpenOptionsFree(options);
#endif
    }
};

bool compressionAllowed(uint16_t c) {
    switch (c) {
    case COMPRESSION_NONE:
    case COMPRESSION_LZW:
    case COMPRESSION_PACKBITS:
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
    case COMPRESSION_JPEG:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
        return true;
    default:
        return false;
    }
}

} // namespace

HDIB DecodeTiff(const uint8_t* data, size_t size, const QString& fileName) {
    if (size > size_t(RasterLimits::MaxFileBytes))
        throw TRasterError(fileName, QStringLiteral("Die Datei ist zu groß."));
    const uint64_t entries = firstDirectoryEntries(data, size);
    if (entries > MaxDirectoryEntries)
        throw TRasterError(fileName, QStringLiteral("Das TIFF-Bildverzeichnis hat %1 Einträge; "
                                                    "erlaubt sind höchstens %2.")
                                         .arg(entries)
                                         .arg(MaxDirectoryEntries));
    // Handlers that come before a handle exists go nowhere either.
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);

    Diagnostics diagnostics;
    auto detail = [&]() {
        return diagnostics.firstError[0]
                   ? QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(diagnostics.firstError))
                   : QString();
    };
    MemoryFile file{data, toff_t(size), 0};
    TiffHandle handle;
#if TIFFLIB_VERSION >= 20221213
    // libtiff 4.5 and later: per-handle handlers and a cap on each allocation.
    handle.options = TIFFOpenOptionsAlloc();
    if (!handle.options)
        throw TRasterError(fileName, QStringLiteral("Nicht genug Speicher."));
    TIFFOpenOptionsSetMaxSingleMemAlloc(handle.options, MaxSingleAllocation);
    TIFFOpenOptionsSetErrorHandlerExtR(handle.options, errorHandler, &diagnostics);
    TIFFOpenOptionsSetWarningHandlerExtR(handle.options, warningHandler, nullptr);
    handle.tif = TIFFClientOpenExt("memory", "r", &file, readProc, writeProc, seekProc, closeProc,
                                   sizeProc, mapProc, unmapProc, handle.options);
#else
    handle.tif = TIFFClientOpen("memory", "r", &file, readProc, writeProc, seekProc, closeProc,
                                sizeProc, mapProc, unmapProc);
#endif
    if (!handle.tif)
        throw TRasterError(
            fileName, QStringLiteral("Die Datei ist kein lesbares TIFF-Bild%1.").arg(detail()));
    TIFF* tif = handle.tif;

    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    if (!compressionAllowed(compression))
        throw TRasterError(
            fileName,
            QStringLiteral("Die TIFF-Kompression %1 wird nicht unterstützt.").arg(compression));
    char message[1024] = {0};
    if (!TIFFRGBAImageOK(tif, message))
        throw TRasterError(fileName, QStringLiteral("Diese TIFF-Form wird nicht unterstützt (%1).")
                                         .arg(QString::fromLocal8Bit(message)));
    uint32_t width = 0;
    uint32_t height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    if (width == 0 || height == 0 || width > uint32_t(RasterLimits::DefaultMaxPixels) ||
        height > uint32_t(RasterLimits::DefaultMaxPixels))
        throw TRasterError(fileName,
                           QStringLiteral("Ungültige Bildgröße (%1 × %2).").arg(width).arg(height));
    if (RasterLimits::TooManyPixels(width, height))
        throw TRasterError(fileName, RasterLimits::TooLargeText(width, height));
    // None of the allowed compressions packs more than 4096 bytes into one (LZW: a 12-bit
    // code for at most 4096 bytes), and fax coding needs at least one bit per line; a file
    // smaller than that cannot hold the picture its header claims.
    uint16_t bitsPerSample = 1;
    uint16_t samplesPerPixel = 1;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    const uint64_t rawBytes = uint64_t(width) * height * samplesPerPixel * bitsPerSample / 8;
    const bool fax = compression == COMPRESSION_CCITTFAX3 || compression == COMPRESSION_CCITTFAX4;
    if (fax ? uint64_t(height) > uint64_t(size) * 8 : rawBytes > uint64_t(size) * 4096)
        throw TRasterError(fileName, QStringLiteral("Die Datei ist kürzer, als ihr Kopf angibt."));
    HDIB dib = TDib::Create(int(width), int(height), 32, fileName);
    // Bottom-left orientation gives the rows in DIB order.
    auto* raster = reinterpret_cast<uint32_t*>(dib->Bits());
    if (!TIFFReadRGBAImageOriented(tif, width, height, raster, ORIENTATION_BOTLEFT, 1))
        throw TRasterError(fileName,
                           QStringLiteral("Die TIFF-Bilddaten sind beschädigt%1.").arg(detail()));
    HDIB out = TDib::Create(int(width), int(height), 24, fileName);
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t* src = raster + size_t(y) * width;
        uint8_t* dst = out->Bits() + size_t(y) * size_t(out->Stride());
        for (uint32_t x = 0; x < width; ++x, dst += 3) {
            // libtiff hands out premultiplied colours; transparent parts show the paper.
            const uint32_t p = src[x];
            const uint32_t paper = 255 - TIFFGetA(p);
            dst[0] = uint8_t(std::min<uint32_t>(TIFFGetB(p) + paper, 255));
            dst[1] = uint8_t(std::min<uint32_t>(TIFFGetG(p) + paper, 255));
            dst[2] = uint8_t(std::min<uint32_t>(TIFFGetR(p) + paper, 255));
        }
    }
    return out;
}

HDIB ConvertTIFtoDIB(const char* fileName) {
    const QString name = QFile::decodeName(fileName);
    TRasterFileData file(name);
    return DecodeTiff(file.data(), file.size(), name);
}
