#pragma once
// Shared body of the raster reader fuzz targets: decode, then read every byte of the
// result so that uninitialised or out-of-range output shows up under the sanitizers.
// Each target includes this header once.

#include "raster/decoders.h"

#include <cstddef>
#include <cstdint>

namespace dibfuzz {

using Decoder = HDIB (*)(const uint8_t*, size_t, const QString&);

inline int Run(Decoder decode, const uint8_t* data, size_t size) {
    try {
        const HDIB dib = decode(data, size, QString());
        const QByteArray packed = dib->Packed();
        unsigned sum = 0;
        for (char c : packed)
            sum += uint8_t(c);
        volatile unsigned sink = sum;
        (void)sink;
    } catch (const TRasterError&) {
        // Refusing is a correct outcome.
    }
    return 0;
}

// Under libFuzzer the pixel cap is lowered to 65,536 pixels, what a 64 KB input holds
// uncompressed at one byte per pixel: RLE, LZW or fax coding can make a few kilobytes claim
// tens of megapixels, and filling such a picture for every input would spend the run on
// filling and converting pixels. Every header is still read; bigger pictures are refused as
// too large before their data is decoded, as the real cap does. Replays keep the real cap.
inline constexpr int64_t FuzzMaxPixels = int64_t(1) << 16;

} // namespace dibfuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
#ifdef QM_FUZZING_ENGINE
    RasterLimits::SetMaxPixels(dibfuzz::FuzzMaxPixels);
#endif
    return 0;
}
