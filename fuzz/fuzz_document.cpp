// libFuzzer target: reads arbitrary bytes as a document file and writes it again.

#include "document/appdocument.h"
#include "document/placeholders.h"
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 4 << 20)
        return 0;
    TAppDocument doc(false);
    const TLoadReport report =
        doc.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (report.Elements + report.Incomplete != doc.Count() || report.GoodLines > report.Lines ||
        (report.Incomplete > 0 && !report.Damaged))
        __builtin_trap();
    // The texts read fill each other's placeholders: the result stays within its bound.
    TPlaceholderValues values;
    size_t n = 0;
    for (int i = 0; i < doc.Count(); ++i) {
        if (const auto* t = dynamic_cast<const TDocElementTXT*>(doc.Element(i))) {
            if (n < 11)
                values.TextBlocks[n] = t->MacroText;
            else if (n < 34)
                values.AddressFields[n - 11] = t->MacroText;
            ++n;
        }
    }
    for (const bool skip : {false, true}) {
        const TPlaceholderFiller filler(values, skip);
        for (int i = 0; i < doc.Count(); ++i) {
            if (const auto* t = dynamic_cast<const TDocElementTXT*>(doc.Element(i))) {
                if (filler.Fill(t->MacroText).Text.size() > MaxFilledLength)
                    __builtin_trap();
            }
        }
    }
    const QByteArray written = doc.SaveToBytes();
    // What was written reads back to the same file.
    TAppDocument again(false);
    again.LoadFromBytes(written);
    if (again.SaveToBytes() != written)
        __builtin_trap();
    return 0;
}
