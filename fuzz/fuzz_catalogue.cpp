// Fuzz target: any bytes as the configuration catalogue; its language line then picks the column
// of the bundled language file, as at start.

#include "app/catalogue.h"
#include "app/language.h"

#include <cstddef>
#include <cstdint>

namespace {

QStringList languageLines;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A few lines shaped like the bundled language file.
    languageLines = DecodeTextLines(QByteArrayLiteral("100\tDatei\tFile\r\n"
                                                      "101\tÖffnen ...\tOpen ...\r\n"
                                                      "102\tDrucken\tPrint\t\r\n"
                                                      "103\r\n"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const TCatalogue cat = ParseCatalogue(bytes, QStringLiteral("/opt/quillmark/"));
    for (const TCatalogueLibraries* libs : {&cat.Templates, &cat.Cliparts}) {
        if (libs->LibraryCount != libs->Bibs.size())
            __builtin_trap();
    }
    for (const QString& file : cat.HelpFiles) {
        if (file.contains(QLatin1Char('\\')))
            __builtin_trap();
    }
    int column = 0;
    if (cat.HasLanguage && ParseLanguageColumn(cat.LanguageText, column)) {
        QStringList keys;
        QStringList strings;
        ParseLanguageLines(languageLines, column, keys, strings);
        if (keys.size() != languageLines.size() || strings.size() != languageLines.size())
            __builtin_trap();
    }
    return 0;
}
