// Fuzz target: the GIF reader on arbitrary bytes.

#include "dibfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return dibfuzz::Run(DecodeGif, data, size);
}
