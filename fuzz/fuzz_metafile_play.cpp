// Fuzz target: loading any bytes as a picture and playing it into small pictures,
// mirrored too.

#include "metafilefuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMetafile mf;
    mf.LoadFromBytes(mffuzz::Bytes(data, size));
    TMetafile copy = mf;
    mffuzz::PlaySmall(copy);
    return 0;
}
