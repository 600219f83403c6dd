// Fuzz target: the EMF reader and info view. Input that is no EMF gets an EMF header in
// front, so the fuzzer reaches the records directly.

#include "metafilefuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes = mffuzz::Bytes(data, size);
    TMetafile mf;
    if (!mf.LoadFromBytes(bytes) || mf.GetForm() != TMetafile::Form::Emf) {
        QByteArray h(88, '\0');
        auto put = [&h](int at, quint32 v) {
            for (int i = 0; i < 4; ++i)
                h[at + i] = char((v >> (8 * i)) & 0xFF);
        };
        put(0, 1);
        put(4, 88);
        put(32, 1000);
        put(36, 1000);
        put(40, 0x464D4520);
        put(44, 0x10000);
        put(48, quint32(88 + bytes.size()));
        put(52, 100000);
        put(56, 16);
        put(72, 100);
        put(76, 100);
        put(80, 10);
        put(84, 10);
        mf.LoadFromBytes(h + bytes);
    }
    TMetafileInfo info = AnalyseMetafile(mf);
    (void)info.ToText();
    return 0;
}
