#pragma once
// Shared set-up of the metafile fuzz targets: a GUI application for fonts, created once before
// the first input, and a playback into small pictures. Each target includes this header once.

#include "raster/dib.h"
#include "metafile/metafileinfo.h"
#include "metafile/metafileplayer.h"
#include "metafile/tmetafile.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>

namespace mffuzz {

inline constexpr int64_t FuzzMaxPixels = int64_t(1) << 16;
// Records one playback plays while fuzzing: a 64 KB input holds thousands, and each costs
// microseconds under the sanitizers; the fuzzer reaches every record type with short inputs.
inline constexpr qint64 FuzzMaxRecords = 256;

inline void CreateApp() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
    // The font database is built once here, not while the first input is played.
    QImage img(8, 8, QImage::Format_RGB32);
    QPainter p(&img);
    p.drawText(QPointF(1, 7), QStringLiteral("A"));
}

// One of three playbacks, chosen by the caller (from the input, so that a saved input always
// takes the same one): into a small picture, mirrored, or through TMetafile::Play into a few
// pixels.
inline void PlaySmall(const TMetafile& mf, size_t way) {
    QImage img(48, 48, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    TMetafilePlayStats stats;
    TMetafilePlayOptions opts;
    opts.stats = &stats;
    switch (way % 3) {
    case 0: TMetafilePlayer::Play(mf, p, QRectF(0, 0, 48, 48), opts); break;
    case 1: TMetafilePlayer::Play(mf, p, QRectF(48, 2, -40, 44), opts); break;
    default: mf.Play(p, QRect(QPoint(1, 1), QPoint(3, 3))); break;
    }
}

inline QByteArray Bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

} // namespace mffuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    mffuzz::CreateApp();
#ifdef QM_FUZZING_ENGINE
    // A bitmap header of a few bytes can claim tens of megapixels that playing would fill
    // for every input; while fuzzing, pictures and bitmaps stay within 65,536 pixels.
    RasterLimits::SetMaxPixels(mffuzz::FuzzMaxPixels);
    TMetafilePlayer::SetMaxRecords(mffuzz::FuzzMaxRecords);
    // Random font names, sizes and weights each made Qt match and load fonts anew.
    TMetafilePlayer::SetFewFonts(true);
#endif
    return 0;
}
