// Fuzz target: any bytes as an address source (address file, vCard or CSV, recognised from the
// bytes). Every record read must fit the address file and come back unchanged from a saved line.

#include "document/cp1252.h"
#include "addresses/addressrecords.h"
#include "addresses/contactimport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    TAddressImport import;
    try {
        import = ReadAddressBytes(bytes, QStringLiteral("fuzz.dat"));
    } catch (const TAddressError&) {
        // Refusing with a message is a correct outcome.
        return 0;
    }
    if (import.Records.size() > MaxImportedContacts)
        __builtin_trap();
    // Imported records come fitted already; fitting them again changes nothing (checked on the
    // first ones, the check costs as much as the fitting). The address file's are fitted here.
    const bool imported = import.Kind != QLatin1String("Adressdatei");
    qsizetype index = 0;
    for (TAddressRecord record : import.Records) {
        if (record.size() != AddressFieldCount)
            __builtin_trap();
        if (!imported) {
            FitRecordToAddressFile(record);
            CompleteRecordName(record);
        } else if (index++ < 16) {
            TAddressRecord again = record;
            FitRecordToAddressFile(again);
            CompleteRecordName(again);
            if (again != record)
                __builtin_trap();
        }
        // What is saved reads back as the same record.
        QByteArray line;
        AppendCp1252(line, JoinAddressRecord(record));
        if (SplitAddressRecord(FromCp1252(line.constData(), line.size())) != record)
            __builtin_trap();
    }
    return 0;
}
