// Fuzz target: any bytes as the language file, read for the German and the English column and
// looked up as the main window does.

#include "app/catalogue.h"
#include "app/language.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = DecodeTextLines(bytes);
    for (int column : {1, 2}) {
        QStringList keys;
        QStringList strings;
        ParseLanguageLines(lines, column, keys, strings);
        if (keys.size() != lines.size() || strings.size() != lines.size())
            __builtin_trap();
        for (int key : {0, 100, 1000}) {
            const int index = LanguageIndex(keys, QString::number(key));
            if (index >= keys.size())
                __builtin_trap();
        }
    }
    return 0;
}
