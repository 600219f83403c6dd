#pragma once
// Shared body of the raster reader fuzz targets: decode, then read every byte of the
// result so that uninitialised or out-of-range output shows up under the sanitizers.

#include "platform/dib/decoders.h"

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

} // namespace dibfuzz
