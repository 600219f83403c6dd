// libFuzzer target: renders arbitrary bytes as a path list into a metafile.

#include "document/appdocument.h"
#include "document/cp1252.h"
#include "metafile/tmetafile.h"
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 1 << 20)
        return 0;
    const QString text = FromCp1252(reinterpret_cast<const char*>(data), qsizetype(size));
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    TMetafile picture;
    picture.SetMMWidth(10000);
    picture.SetMMHeight(8000);
    try {
        TAppDocument::RenderPathList(picture, lines);
    } catch (const TPathListError&) {
        // A bad number ends the rendering; what was drawn stays.
    }
    // The result must be a picture the program can read back.
    TMetafile again;
    again.LoadFromBytes(picture.Bytes());
    return 0;
}
