// Fuzz target: the WMF reader and info view. Input that is no WMF gets a placeable and a
// WMF header in front, so the fuzzer reaches the records directly.

#include "metafilefuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes = mffuzz::Bytes(data, size);
    TMetafile mf;
    mf.LoadFromBytes(bytes);
    if (mf.GetForm() != TMetafile::Form::PlaceableWmf && mf.GetForm() != TMetafile::Form::Wmf &&
        mf.GetForm() != TMetafile::Form::EmfInWmf) {
        static const unsigned char head[] = {
            0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0xE8, 0x03, 0xE8, 0x03, 0xA0, 0x05, 0, 0, 0, 0, 0, 0,
            1, 0, 9, 0, 0, 3, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0};
        mf.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(head), sizeof head) + bytes);
    }
    TMetafileInfo info = AnalyseMetafile(mf);
    (void)info.ToText();
    return 0;
}
