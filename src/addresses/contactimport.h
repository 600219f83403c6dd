#pragma once
// Contacts from other address books: vCard files (2.1, 3.0, 4.0) and CSV files with a header
// row, turned into address records. ReadAddressSource (addressrecords.h) is the entry point;
// these are its parts.

#include "addresses/addressrecords.h"

#include <QByteArray>

// The bytes start (after a byte order mark and blank lines) with "BEGIN:VCARD".
bool LooksLikeVCard(const QByteArray& bytes);
// Every card of a vCard file; throws TAddressError naming fileName when it holds none.
TAddressImport ReadVCards(const QByteArray& bytes, const QString& fileName);
// Every row of a CSV file whose header row names known columns (German or English);
// throws TAddressError naming fileName otherwise.
TAddressImport ReadCsvContacts(const QByteArray& bytes, const QString& fileName);

// Text of a file whose encoding is not declared: UTF-8 (with or without byte order mark) when
// the bytes are valid UTF-8, UTF-16 with a byte order mark, Windows-1252 otherwise.
QString DecodeUndeclaredText(const QByteArray& bytes);
// Makes an imported record fit the address file: line breaks become ", ", tabs blanks, the
// ends are trimmed, and characters Windows-1252 lacks become "?". Returns how many were
// replaced.
int FitRecordToAddressFile(TAddressRecord& record);
// Fills the record name from the other fields when it is empty: "Vorname Name", the company,
// or the e-mail address. Returns false when the record holds nothing at all.
bool CompleteRecordName(TAddressRecord& record);

// The most contacts one file may bring.
inline constexpr int MaxImportedContacts = 100000;
