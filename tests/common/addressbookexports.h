#pragma once
// Address-book exports written the way Thunderbird (German and English column names), Google
// Contacts and Outlook (German) write them: their documented column sets, in their order, with
// two contacts each. "Jürgen Weiß" has a work and a home address, several phones, a job title
// and a second address line; "Anna Berg" only private data. Each export comes with the records
// the import is to make of it.

#include "addresses/addressrecords.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <utility>

namespace addressbookexports {

struct Export {
    QString Name;
    QString FileName;
    QByteArray Bytes;
    QList<TAddressRecord> Expected;
};

// A record with the given fields, the others empty.
inline TAddressRecord Record(std::initializer_list<std::pair<int, QString>> fields)
{
    TAddressRecord r = NewAddressRecord(QString());
    for (const auto& [field, value] : fields)
        r[field] = value;
    return r;
}

// The rows of a CSV file: the header, then each contact's values by column name (missing
// ones empty). Fields with the delimiter, quotes or line breaks are quoted; quoteAll quotes all.
inline QString Csv(const QStringList& headers, const QList<QHash<QString, QString>>& contacts,
                   QChar delimiter = QLatin1Char(','), bool quoteAll = false,
                   const QString& lineEnd = QStringLiteral("\n"))
{
    auto field = [&](const QString& value) {
        const bool quote = quoteAll || value.contains(delimiter) || value.contains('"') ||
                           value.contains('\n');
        if (!quote)
            return value;
        QString q = value;
        q.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        return QStringLiteral("\"%1\"").arg(q);
    };
    QStringList lines;
    QStringList head;
    for (const QString& h : headers)
        head << field(h);
    lines << head.join(delimiter);
    for (const auto& contact : contacts) {
        QStringList row;
        for (const QString& h : headers)
            row << field(contact.value(h));
        lines << row.join(delimiter);
    }
    return lines.join(lineEnd) + lineEnd;
}

// What both contacts hold, in the import's fields.
inline TAddressRecord BusinessContact(const QString& title, bool homePhone = true)
{
    TAddressRecord r = Record({{AfSet, QStringLiteral("Jürgen Weiß")},
                               {AfFirma1, QStringLiteral("Weiß & Söhne GmbH")},
                               {AfFirma2, QStringLiteral("Vertrieb")},
                               {AfZusatz1, QStringLiteral("Hinterhaus")},
                               {AfZusatz2, QStringLiteral("Geschäftsführer")},
                               {AfStrasse, QStringLiteral("Hauptstraße 5")},
                               {AfPLZ, QStringLiteral("50667")},
                               {AfOrt, QStringLiteral("Köln")},
                               {AfTel, QStringLiteral("0221 123450")},
                               {AfFax, QStringLiteral("0221 123459")},
                               {AfMobil, QStringLiteral("0170 1234567")},
                               {AfEMail, QStringLiteral("jw@weiss-soehne.example")},
                               {AfURL, QStringLiteral("www.weiss-soehne.example")},
                               {AfTitel, title},
                               {AfVorname, QStringLiteral("Jürgen")},
                               {AfName, QStringLiteral("Weiß")}});
    if (homePhone)
        r[AfTelPrivat] = QStringLiteral("0221 998877");
    return r;
}

inline TAddressRecord PrivateContact()
{
    return Record({{AfSet, QStringLiteral("Anna Berg")},
                   {AfStrasse, QStringLiteral("Am Hang 3")},
                   {AfPLZ, QStringLiteral("12345")},
                   {AfOrt, QStringLiteral("Berlin")},
                   {AfTelPrivat, QStringLiteral("030 55555")},
                   {AfEMail, QStringLiteral("anna@berg.example")},
                   {AfVorname, QStringLiteral("Anna")},
                   {AfName, QStringLiteral("Berg")}});
}

// Thunderbird's export: the same 37 columns in either language, UTF-8, commas.
inline Export Thunderbird(bool german)
{
    const QStringList english = {
        "First Name", "Last Name", "Display Name", "Nickname", "Primary Email",
        "Secondary Email", "Screen Name", "Work Phone", "Home Phone", "Fax Number",
        "Pager Number", "Mobile Number", "Home Address", "Home Address 2", "Home City",
        "Home State", "Home ZipCode", "Home Country", "Work Address", "Work Address 2",
        "Work City", "Work State", "Work ZipCode", "Work Country", "Job Title", "Department",
        "Organization", "Web Page 1", "Web Page 2", "Birth Year", "Birth Month", "Birth Day",
        "Custom 1", "Custom 2", "Custom 3", "Custom 4", "Notes"};
    const QStringList deutsch = {
        "Vorname", "Nachname", "Anzeigename", "Spitzname", "Primäre E-Mail-Adresse",
        "Sekundäre E-Mail-Adresse", "Chat-Name", "Tel. dienstlich", "Tel. privat", "Fax-Nummer",
        "Pager-Nummer", "Mobil-Tel.-Nr.", "Privat: Adresse", "Privat: Adresse 2", "Privat: Ort",
        "Privat: Bundesland", "Privat: PLZ", "Privat: Land", "Dienstlich: Adresse",
        "Dienstlich: Adresse 2", "Dienstlich: Ort", "Dienstlich: Bundesland", "Dienstlich: PLZ",
        "Dienstlich: Land", "Arbeitstitel", "Abteilung", "Organisation", "Webseite 1",
        "Webseite 2", "Geburtsjahr", "Geburtsmonat", "Geburtstag", "Benutzerdef. 1",
        "Benutzerdef. 2", "Benutzerdef. 3", "Benutzerdef. 4", "Notizen"};
    const QStringList& headers = german ? deutsch : english;
    // The values by the English column's place.
    auto contact = [&](std::initializer_list<std::pair<const char*, QString>> values) {
        QHash<QString, QString> c;
        for (const auto& [name, value] : values)
            c.insert(headers.at(english.indexOf(QString::fromLatin1(name))), value);
        return c;
    };
    const QList<QHash<QString, QString>> contacts = {
        contact({{"First Name", "Jürgen"}, {"Last Name", "Weiß"}, {"Display Name", "Jürgen Weiß"},
                 {"Nickname", "Jü"}, {"Primary Email", "jw@weiss-soehne.example"},
                 {"Secondary Email", "juergen@privat.example"}, {"Work Phone", "0221 123450"},
                 {"Home Phone", "0221 998877"}, {"Fax Number", "0221 123459"},
                 {"Pager Number", "0221 5"}, {"Mobile Number", "0170 1234567"},
                 {"Home Address", "Heimweg 1"}, {"Home City", "Köln-Sürth"},
                 {"Home ZipCode", "50999"}, {"Home Country", "Deutschland"},
                 {"Work Address", "Hauptstraße 5"}, {"Work Address 2", "Hinterhaus"},
                 {"Work City", "Köln"}, {"Work State", "NRW"}, {"Work ZipCode", "50667"},
                 {"Work Country", "Deutschland"}, {"Job Title", "Geschäftsführer"},
                 {"Department", "Vertrieb"}, {"Organization", "Weiß & Söhne GmbH"},
                 {"Web Page 1", "www.weiss-soehne.example"}, {"Web Page 2", "www.jw.example"},
                 {"Birth Year", "1970"}, {"Notes", "Kunde seit 2001, Tel. abends"}}),
        contact({{"First Name", "Anna"}, {"Last Name", "Berg"}, {"Display Name", "Anna Berg"},
                 {"Primary Email", "anna@berg.example"}, {"Home Phone", "030 55555"},
                 {"Home Address", "Am Hang 3"}, {"Home City", "Berlin"},
                 {"Home ZipCode", "12345"}})};
    return {german ? QStringLiteral("Thunderbird deutsch") : QStringLiteral("Thunderbird english"),
            german ? QStringLiteral("thunderbird-de.csv") : QStringLiteral("thunderbird-en.csv"),
            Csv(headers, contacts).toUtf8(),
            {BusinessContact(QString()), PrivateContact()}};
}

// Google Contacts' export: typed value pairs ("Phone 1 - Label", "Phone 1 - Value"), several
// labels in one cell separated by " ::: ", "* " before the primary one; UTF-8, commas.
inline Export GoogleContacts()
{
    const QStringList headers = {
        "First Name", "Middle Name", "Last Name", "Phonetic First Name", "Phonetic Middle Name",
        "Phonetic Last Name", "Name Prefix", "Name Suffix", "Nickname", "File As",
        "Organization Name", "Organization Title", "Organization Department", "Birthday", "Notes",
        "Photo", "Labels", "E-mail 1 - Label", "E-mail 1 - Value", "E-mail 2 - Label",
        "E-mail 2 - Value", "Phone 1 - Label", "Phone 1 - Value", "Phone 2 - Label",
        "Phone 2 - Value", "Phone 3 - Label", "Phone 3 - Value", "Phone 4 - Label",
        "Phone 4 - Value", "Address 1 - Label", "Address 1 - Formatted", "Address 1 - Street",
        "Address 1 - City", "Address 1 - PO Box", "Address 1 - Region", "Address 1 - Postal Code",
        "Address 1 - Country", "Address 1 - Extended Address", "Address 2 - Label",
        "Address 2 - Formatted", "Address 2 - Street", "Address 2 - City", "Address 2 - PO Box",
        "Address 2 - Region", "Address 2 - Postal Code", "Address 2 - Country",
        "Address 2 - Extended Address", "Website 1 - Label", "Website 1 - Value"};
    const QList<QHash<QString, QString>> contacts = {
        {{"First Name", "Jürgen"}, {"Last Name", "Weiß"}, {"Name Prefix", "Dr."},
         {"Organization Name", "Weiß & Söhne GmbH"}, {"Organization Title", "Geschäftsführer"},
         {"Organization Department", "Vertrieb"}, {"Labels", "* myContacts ::: Kunden"},
         {"E-mail 1 - Label", "Home"}, {"E-mail 1 - Value", "juergen@privat.example"},
         {"E-mail 2 - Label", "* Work"}, {"E-mail 2 - Value", "jw@weiss-soehne.example"},
         {"Phone 1 - Label", "Mobile"}, {"Phone 1 - Value", "0170 1234567"},
         {"Phone 2 - Label", "Work Fax"}, {"Phone 2 - Value", "0221 123459"},
         {"Phone 3 - Label", "Home"}, {"Phone 3 - Value", "0221 998877"},
         {"Phone 4 - Label", "Work"}, {"Phone 4 - Value", "0221 123450 ::: 0221 123451"},
         // The home address comes first; the work address is the one for a letter.
         {"Address 1 - Label", "Home"}, {"Address 1 - Formatted", "Heimweg 1\n50999 Köln-Sürth"},
         {"Address 1 - Street", "Heimweg 1"}, {"Address 1 - City", "Köln-Sürth"},
         {"Address 1 - Postal Code", "50999"}, {"Address 2 - Label", "Work"},
         {"Address 2 - Formatted", "Hauptstraße 5\nHinterhaus\n50667 Köln"},
         {"Address 2 - Street", "Hauptstraße 5"}, {"Address 2 - City", "Köln"},
         {"Address 2 - Postal Code", "50667"}, {"Address 2 - Country", "DE"},
         {"Address 2 - Extended Address", "Hinterhaus"}, {"Website 1 - Label", "Work"},
         {"Website 1 - Value", "www.weiss-soehne.example"}},
        {{"First Name", "Anna"}, {"Last Name", "Berg"}, {"Labels", "* myContacts"},
         {"E-mail 1 - Label", "* Home"}, {"E-mail 1 - Value", "anna@berg.example"},
         {"Phone 1 - Label", "Home"}, {"Phone 1 - Value", "030 55555"},
         {"Address 1 - Label", "Home"}, {"Address 1 - Formatted", "Am Hang 3\n12345 Berlin"},
         {"Address 1 - Street", "Am Hang 3"}, {"Address 1 - City", "Berlin"},
         {"Address 1 - Postal Code", "12345"}}};
    return {QStringLiteral("Google Contacts"), QStringLiteral("contacts.csv"),
            Csv(headers, contacts).toUtf8(),
            {BusinessContact(QStringLiteral("Dr.")), PrivateContact()}};
}

// Outlook's German export: Windows-1252, every field quoted, CR LF; "Ort" alone is the
// location of the contact's office, not the town.
inline Export OutlookGerman()
{
    const QStringList headers = {
        "Anrede", "Vorname", "Weitere Vornamen", "Nachname", "Suffix", "Firma", "Abteilung",
        "Position", "Straße geschäftlich", "Straße geschäftlich 2", "Straße geschäftlich 3",
        "Ort geschäftlich", "Region geschäftlich", "Postleitzahl geschäftlich",
        "Land/Region geschäftlich", "Straße privat", "Straße privat 2", "Straße privat 3",
        "Ort privat", "Bundesland/Kanton privat", "Postleitzahl privat", "Land/Region privat",
        "Weitere Straße", "Weitere Straße 2", "Weitere Straße 3", "Weiterer Ort",
        "Weiteres/r Bundesland/Kanton", "Weitere Postleitzahl", "Weiteres/r Land/Region",
        "Telefon Assistent", "Fax geschäftlich", "Telefon geschäftlich",
        "Telefon geschäftlich 2", "Rückmeldung", "Autotelefon", "Telefon Firma", "Fax privat",
        "Telefon privat", "Telefon privat 2", "ISDN", "Mobiltelefon", "Weiteres Fax",
        "Weiteres Telefon", "Pager", "Haupttelefon", "Mobiltelefon 2",
        "Telefon für Hörbehinderte", "Telex", "Abrechnungsinformationen", "Benutzer 1",
        "Benutzer 2", "Benutzer 3", "Benutzer 4", "Büro", "Empfohlen von", "Geburtstag",
        "Initialen", "Internet-Frei/Gebucht", "Jahrestag", "Kategorien", "Kinder", "Konto",
        "Name Assistent", "Name des/der Vorgesetzten", "Notizen", "Organisations-Nr.", "Ort",
        "Partner", "Postfach geschäftlich", "Postfach privat", "Priorität", "Privat",
        "Regierungs-Nr.", "Reisekilometer", "Geschlecht", "Hobbys", "Sprache", "Stichwörter",
        "Vertraulichkeit", "Verzeichnisserver", "E-Mail-Adresse", "E-Mail-Typ",
        "E-Mail: Angezeigter Name", "E-Mail 2: Adresse", "E-Mail 2: Typ",
        "E-Mail 2: Angezeigter Name", "E-Mail 3: Adresse", "E-Mail 3: Typ",
        "E-Mail 3: Angezeigter Name", "Webseite"};
    const QList<QHash<QString, QString>> contacts = {
        {{"Anrede", "Dr."}, {"Vorname", "Jürgen"}, {"Nachname", "Weiß"},
         {"Firma", "Weiß & Söhne GmbH"}, {"Abteilung", "Vertrieb"}, {"Position", "Geschäftsführer"},
         {"Straße geschäftlich", "Hauptstraße 5"}, {"Straße geschäftlich 2", "Hinterhaus"},
         {"Ort geschäftlich", "Köln"}, {"Postleitzahl geschäftlich", "50667"},
         {"Land/Region geschäftlich", "Deutschland"}, {"Straße privat", "Heimweg 1"},
         {"Ort privat", "Köln-Sürth"}, {"Postleitzahl privat", "50999"},
         {"Fax geschäftlich", "0221 123459"}, {"Telefon geschäftlich", "0221 123450"},
         {"Telefon geschäftlich 2", "0221 123451"}, {"Telefon privat", "0221 998877"},
         {"Mobiltelefon", "0170 1234567"}, {"Büro", "2. Stock"}, {"Ort", "Raum 12"},
         {"Privat", "Aus"}, {"Priorität", "Normal"}, {"Vertraulichkeit", "Normal"},
         {"Geschlecht", "Männlich"}, {"Initialen", "J.W."},
         {"E-Mail-Adresse", "jw@weiss-soehne.example"}, {"E-Mail-Typ", "SMTP"},
         {"E-Mail: Angezeigter Name", "Jürgen Weiß (jw@weiss-soehne.example)"},
         {"E-Mail 2: Adresse", "juergen@privat.example"}, {"E-Mail 2: Typ", "SMTP"},
         {"Webseite", "www.weiss-soehne.example"}},
        {{"Vorname", "Anna"}, {"Nachname", "Berg"}, {"Straße privat", "Am Hang 3"},
         {"Ort privat", "Berlin"}, {"Postleitzahl privat", "12345"},
         {"Telefon privat", "030 55555"}, {"Privat", "Aus"},
         {"E-Mail-Adresse", "anna@berg.example"}, {"E-Mail-Typ", "SMTP"}}};
    QByteArray bytes;
    for (const QChar c : Csv(headers, contacts, QLatin1Char(','), true, QStringLiteral("\r\n")))
        bytes += c.unicode() < 0x100 ? char(c.unicode()) : '?';
    return {QStringLiteral("Outlook deutsch"), QStringLiteral("outlook-de.csv"), bytes,
            {BusinessContact(QStringLiteral("Dr.")), PrivateContact()}};
}

inline QList<Export> All()
{
    return {Thunderbird(true), Thunderbird(false), GoogleContacts(), OutlookGerman()};
}

} // namespace addressbookexports
