#include "pngwrite.h"

#include <QIODevice>
#include <QtEndian>
#include <cstring>
#include <zlib.h>

namespace {

bool writeChunk(QIODevice& dev, const char type[4], const QByteArray& data) {
    char head[8];
    qToBigEndian(quint32(data.size()), head);
    std::memcpy(head + 4, type, 4);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size()));
    char tail[4];
    qToBigEndian(quint32(crc), tail);
    return dev.write(head, 8) == 8 && dev.write(data) == data.size() && dev.write(tail, 4) == 4;
}

} // namespace

bool WritePngFast(const QImage& source, QIODevice& dev) {
    const QImage img = source.convertToFormat(QImage::Format_RGB888);
    if (img.isNull())
        return false;
    const int w = img.width(), h = img.height();
    const qsizetype rowBytes = qsizetype(w) * 3;

    QByteArray ihdr(13, '\0');
    qToBigEndian(quint32(w), ihdr.data());
    qToBigEndian(quint32(h), ihdr.data() + 4);
    ihdr[8] = 8; // bit depth
    ihdr[9] = 2; // colour type RGB

    z_stream z{};
    if (deflateInit(&z, 1) != Z_OK)
        return false;
    QByteArray idat;
    idat.resize(qsizetype(deflateBound(&z, uLong((rowBytes + 1) * h))));
    z.next_out = reinterpret_cast<Bytef*>(idat.data());
    z.avail_out = uInt(idat.size());
    QByteArray row(rowBytes + 1, '\0');
    row[0] = 1; // Sub: each byte minus the one a pixel to its left
    bool ok = true;
    for (int y = 0; y < h && ok; ++y) {
        const uchar* in = img.constScanLine(y);
        uchar* out = reinterpret_cast<uchar*>(row.data()) + 1;
        for (qsizetype i = 0; i < qMin<qsizetype>(3, rowBytes); ++i)
            out[i] = in[i];
        for (qsizetype i = 3; i < rowBytes; ++i)
            out[i] = uchar(in[i] - in[i - 3]);
        z.next_in = reinterpret_cast<Bytef*>(row.data());
        z.avail_in = uInt(row.size());
        ok = deflate(&z, y + 1 == h ? Z_FINISH : Z_NO_FLUSH) != Z_STREAM_ERROR && z.avail_in == 0;
    }
    if (h == 0)
        ok = deflate(&z, Z_FINISH) == Z_STREAM_END;
    idat.resize(qsizetype(z.total_out));
    deflateEnd(&z);
    if (!ok)
        return false;
    static const char signature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
    return dev.write(signature, 8) == 8 && writeChunk(dev, "IHDR", ihdr) &&
           writeChunk(dev, "IDAT", idat) && writeChunk(dev, "IEND", QByteArray());
}
