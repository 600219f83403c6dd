// libFuzzer target: reads arbitrary bytes as a document file and writes it again.

#include "document/appdocument.h"
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 4 << 20)
        return 0;
    TAppDocument doc(false);
    doc.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QByteArray written = doc.SaveToBytes();
    // What was written reads back to the same file.
    TAppDocument again(false);
    again.LoadFromBytes(written);
    if (again.SaveToBytes() != written)
        __builtin_trap();
    return 0;
}
