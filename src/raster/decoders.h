#pragma once
// Picture decoders working on the bytes of a file. Each returns a bottom-up DIB (24 bits per
// pixel, or 8 bits with a 256-entry palette for GIF) or throws TRasterError naming fileName.
// fileName is only used for messages and may be empty.

#include "raster/dib.h"

#include <cstddef>
#include <cstdint>

HDIB DecodeBmp(const uint8_t* data, size_t size, const QString& fileName);
HDIB DecodeGif(const uint8_t* data, size_t size, const QString& fileName);
HDIB DecodeTiff(const uint8_t* data, size_t size, const QString& fileName);
HDIB DecodeJpeg(const uint8_t* data, size_t size, const QString& fileName);

#include <QFile>

// The bytes of a picture file, mapped into memory where possible. Throws TRasterError
// naming the file when it cannot be opened, is empty or beyond RasterLimits::MaxFileBytes.
class TRasterFileData {
public:
    explicit TRasterFileData(const QString& fileName);
    ~TRasterFileData();
    TRasterFileData(const TRasterFileData&) = delete;
    TRasterFileData& operator=(const TRasterFileData&) = delete;

    const uint8_t* data() const { return m_data; }
    size_t size() const { return m_size; }

private:
    QFile m_file;
    uchar* m_map = nullptr;
    QByteArray m_copy;
    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
};
