// Fuzz target: loading any bytes as a picture and playing it into a small picture: straight,
// mirrored or through TMetafile::Play, chosen by the input's length.

#include "metafilefuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMetafile mf;
    mf.LoadFromBytes(mffuzz::Bytes(data, size));
    TMetafile copy = mf;
#ifdef QM_FUZZING_ENGINE
    mffuzz::PlaySmall(copy, size);
#else
    // The replays of seeds and saved findings play every way.
    for (size_t way = 0; way < 3; ++way)
        mffuzz::PlaySmall(copy, way);
#endif
    return 0;
}
