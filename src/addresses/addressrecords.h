#pragma once
// The address records file "adressen.dat": a header line that is kept as it is, then one record
// per line with 24 tab-separated fields, Windows-1252, CR LF. Also the one entry point that reads
// any address source (address file, vCard or CSV, recognised from the bytes) into records.

#include <QList>
#include <QString>
#include <QStringList>
#include <stdexcept>

// Raised when an address source cannot be read or the address file cannot be written; the
// message is German and names the file and the reason.
class TAddressError : public std::runtime_error {
public:
    explicit TAddressError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// Fields of a record, in file order.
enum TAddressField {
    AfSet, AfFirma1, AfFirma2, AfZusatz1, AfZusatz2, AfStrasse, AfPLZ, AfOrt, AfTel, AfFax,
    AfTelPrivat, AfFaxPrivat, AfMobil, AfEMail, AfURL, AfBank1, AfBLZ1, AfKonto1, AfBank2,
    AfBLZ2, AfKonto2, AfTitel, AfVorname, AfName,
    AddressFieldCount
};

// One record: always AddressFieldCount fields.
using TAddressRecord = QStringList;

// The labels of the 24 fields ("Set", "Firma 1", ... "Name").
const QStringList& AddressFieldLabels();
// The header line written into a new file: the labels joined by tabs.
QString AddressHeaderLine();

// The fields of a record line: the text up to each tab; missing fields are empty, fields
// beyond the 24th are dropped.
TAddressRecord SplitAddressRecord(const QString& line);
// The line of a record: 24 fields joined by tabs, no trailing tab. Tabs and line breaks inside
// a field would break the file, so they become blanks.
QString JoinAddressRecord(const TAddressRecord& fields);
// The index in AddressFields (the placeholder values) of a record field; -1 for AfSet.
int AddressFieldsIndex(int field);
// An empty record with the given name.
TAddressRecord NewAddressRecord(const QString& name);

// "foldrkit/adressen.dat" under the user's data folder.
QString UserAddressFile();
// Tests point the user's data folder somewhere private; an empty text restores the real one.
void SetUserDataFolder(const QString& folder);
// The file read at start: the user's file when it exists, else "adressen.dat" in programDir.
QString AddressFileToRead(const QString& programDir);

// Reads the lines of an address file (header included). Throws TAddressError.
QStringList ReadAddressFile(const QString& fileName);
// Writes the lines, CR LF after each, through a temporary file that replaces the old one only
// when everything was written; missing folders are created. Throws TAddressError and leaves
// the previous file as it was.
void WriteAddressFile(const QString& fileName, const QStringList& lines);

// What an address source held.
struct TAddressImport {
    QString Kind;                  // "Adressdatei", "vCard" or "CSV"
    QList<TAddressRecord> Records; // 24 fields each
    int Replaced = 0;              // characters Windows-1252 lacks, written as "?"
    int Repaired = 0; // contacts read from a damaged form (a vCard without END:VCARD, ...)
    int Skipped = 0;  // contacts that could not be read and were left out
};

// A German sentence for the user when contacts had to be repaired or skipped ("... 5 Kontakte
// gelesen, 2 davon unvollständig ..."); empty when the source was read as it is.
QString AddressImportNote(const TAddressImport& import, const QString& fileName);

// Reads an address file, a vCard file (2.1, 3.0, 4.0) or a CSV file with a header row,
// recognised from its bytes. Throws TAddressError for a file it cannot read or does not know.
TAddressImport ReadAddressSource(const QString& fileName);
// The same for bytes already read; fileName only names the source in messages.
TAddressImport ReadAddressBytes(const QByteArray& bytes, const QString& fileName);
