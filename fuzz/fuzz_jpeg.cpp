// Fuzz target: the JPEG reader on arbitrary bytes.

#include "dibfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return dibfuzz::Run(DecodeJpeg, data, size);
}
