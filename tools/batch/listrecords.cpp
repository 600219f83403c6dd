// quillmark-batch --list-records FILE: the records of an address file, a vCard file or a CSV
// file, one line each in the address file's form (24 tab-separated fields), UTF-8. Contacts
// that had to be repaired or skipped are counted in one line on stderr.

#include "batchmode.h"
#include "addresses/addressrecords.h"

#include <cstdio>

namespace {

const QCommandLineOption listRecords(QStringLiteral("list-records"),
                                     QStringLiteral("Listet die Adressen einer Adressdatei, "
                                                    "vCard- oder CSV-Datei, eine Zeile je "
                                                    "Adresse mit 24 Feldern (Tab-getrennt)."),
                                     QStringLiteral("DATEI"));

int run(const QCommandLineParser& parser)
{
    if (!parser.positionalArguments().isEmpty())
        return BatchFailure(QStringLiteral("--list-records erwartet genau eine Datei; "
                                           "überzählig: %1")
                                .arg(parser.positionalArguments().join(QLatin1Char(' '))));
    const QStringList files = parser.values(listRecords);
    if (files.size() != 1 || files.first().isEmpty())
        return BatchFailure(QStringLiteral("--list-records erwartet genau eine Datei."));
    try {
        const TAddressImport source = ReadAddressSource(files.first());
        for (const TAddressRecord& record : source.Records)
            BatchPrintLine(JoinAddressRecord(record));
        // Repaired or skipped contacts are said on stderr; the listing itself succeeded.
        const QString note = AddressImportNote(source, files.first());
        if (!note.isEmpty())
            std::fprintf(stderr, "quillmark-batch: %s\n", note.toUtf8().constData());
    } catch (const TAddressError& e) {
        return BatchFailure(e.message());
    }
    return 0;
}

const bool registered = RegisterBatchMode(BatchMode{
    10,
    QStringLiteral("  quillmark-batch --list-records DATEI"),
    [](QList<QCommandLineOption>& options) { options << listRecords; },
    [](const QCommandLineParser& parser) { return parser.isSet(listRecords); },
    run,
});

} // namespace
