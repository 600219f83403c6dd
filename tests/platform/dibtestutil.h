#pragma once
// Helpers shared by the raster picture tests: corpus paths, decoding from bytes, making
// small BMP files and comparing pictures.

#include "qmpaths.h"
#include "raster/decoders.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QList>
#include <QString>
#include <QtEndian>
#include <algorithm>
#include <cstdlib>

namespace dibtest {

inline QString corpus(const QString& sub) {
    return QDir(QStringLiteral(QM_CORPUS_DIR)).filePath(sub);
}

inline bool haveCorpus(const QString& sub) {
    return QFileInfo(corpus(sub)).isDir();
}

inline const uint8_t* bytes(const QByteArray& b) {
    return reinterpret_cast<const uint8_t*>(b.constData());
}

inline void put16(QByteArray& b, int at, uint16_t v) {
    qToLittleEndian(v, b.data() + at);
}

inline void put32(QByteArray& b, int at, uint32_t v) {
    qToLittleEndian(v, b.data() + at);
}

// A BMP file: 14-byte file header, an info header of headerSize bytes (12 for OS/2 1.x),
// optional masks after a 40-byte header, the palette (3- or 4-byte entries) and the bits.
struct BmpSpec {
    int headerSize = 40;
    int width = 2;
    int height = 2; // negative: top-down
    int bitCount = 24;
    uint32_t compression = 0;
    QList<QRgb> palette;
    int colorsUsed = -1;   // -1: palette size
    QList<uint32_t> masks; // for bit fields: written into the header or after it
    QByteArray bits;
    int offBits = -1; // -1: right after the palette
    uint32_t sizeImage = 0;
};

inline QByteArray makeBmp(const BmpSpec& s) {
    const bool core = s.headerSize == 12;
    const int entry = core ? 3 : 4;
    const int maskBytes = (s.headerSize == 40 && !s.masks.isEmpty()) ? 4 * int(s.masks.size()) : 0;
    const int paletteStart = 14 + s.headerSize + maskBytes;
    const int bitsStart = paletteStart + entry * int(s.palette.size());
    QByteArray b(bitsStart, '\0');
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 10, uint32_t(s.offBits >= 0 ? s.offBits : bitsStart));
    put32(b, 14, uint32_t(s.headerSize));
    if (core) {
        put16(b, 18, uint16_t(s.width));
        put16(b, 20, uint16_t(s.height));
        put16(b, 22, 1);
        put16(b, 24, uint16_t(s.bitCount));
    } else {
        put32(b, 18, uint32_t(s.width));
        put32(b, 22, uint32_t(s.height));
        put16(b, 26, 1);
        put16(b, 28, uint16_t(s.bitCount));
        if (s.headerSize >= 20)
            put32(b, 30, s.compression);
        if (s.headerSize >= 24)
            put32(b, 34, s.sizeImage);
        if (s.headerSize >= 36)
            put32(b, 46, uint32_t(s.colorsUsed >= 0 ? s.colorsUsed : s.palette.size()));
        for (int i = 0; i < s.masks.size(); ++i)
            put32(b, 14 + 40 + 4 * i, s.masks[i]);
    }
    for (int i = 0; i < s.palette.size(); ++i) {
        const int at = paletteStart + entry * i;
        b[at] = char(qBlue(s.palette[i]));
        b[at + 1] = char(qGreen(s.palette[i]));
        b[at + 2] = char(qRed(s.palette[i]));
    }
    if (s.offBits > bitsStart)
        b.append(QByteArray(s.offBits - bitsStart, '\0'));
    b.append(s.bits);
    put32(b, 2, uint32_t(b.size()));
    return b;
}

// Largest difference of any colour channel; -1 when the sizes differ.
inline int maxDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return -1;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

} // namespace dibtest
