// vCard import: every vCard exported by real address books in the corpus imports with names,
// company, street, postcode, town, phones and e-mail in the right fields; and the forms of the
// three versions (folding, quoted-printable, CHARSET, escapes, several cards, letter case).

#include "qmpaths.h"
#include "addresses/addressrecords.h"
#include "addresses/contactimport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString corpus = QStringLiteral(QM_CORPUS_DIR "/vcard/");

QString repeated(const QString& s, int n)
{
    QString out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

struct Expect {
    int field;
    QString value;
};

} // namespace

Q_DECLARE_METATYPE(Expect)

class TestVCardImport : public QObject {
    Q_OBJECT

private slots:
    void corpusFileImports_data();
    void corpusFileImports();
    void everyCorpusFileImports();

    void quotedPrintableWithCharsetAndSoftBreaks();
    void lowerCaseKeywordsAndSeveralCards();
    void escapedSeparatorsStayInTheirField();
    void quotedParameterValuesAndQuotedColons();
    void foldedLinesAreJoined();
    void workAddressBeforeHome();
    void charactersOutsideTheCodePageAreCounted();
    void fittingJoinsLinesAndKeepsTheCodePage();
    void nestedCardBelongsToTheOuterOne();
    void titleIsTheJobAndThePrefixTheHonorific();
    void damagedAndForeignFormsAreRead_data();
    void damagedAndForeignFormsAreRead();
    void notAVCardIsRefusedByTheSourceReader();

private:
    TAddressImport read(const QByteArray& bytes);
    QTemporaryDir m_dir;
};

TAddressImport TestVCardImport::read(const QByteArray& bytes)
{
    const QString name = m_dir.filePath(QStringLiteral("card.vcf"));
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    f.write(bytes);
    f.close();
    return ReadAddressSource(name);
}

void TestVCardImport::corpusFileImports_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("record");
    QTest::addColumn<QList<Expect>>("expect");

    const QString n = QStringLiteral("Ñ");
    QTest::newRow("android email only") << "ezvcard-John_Doe_ANDROID.vcf" << 6 << 0
        << QList<Expect>{{AfSet, "john.doe@company.com"}, {AfEMail, "john.doe@company.com"},
                         {AfName, ""}};
    QTest::newRow("android qp name") << "ezvcard-John_Doe_ANDROID.vcf" << 6 << 2
        << QList<Expect>{{AfSet, "Ñ Ñ Ñ Ñ Ñ"}, {AfName, "Ñ Ñ Ñ Ñ"}, {AfMobil, "123456789"}};
    QTest::newRow("android preferred mobile") << "ezvcard-John_Doe_ANDROID.vcf" << 6 << 3
        << QList<Expect>{{AfMobil, "123456"}, {AfTelPrivat, "234567"}, {AfTel, ""}};
    QTest::newRow("android company") << "ezvcard-John_Doe_ANDROID.vcf" << 6 << 4
        << QList<Expect>{{AfSet, "Ñ Ñ Ñ Ñ"}, {AfName, "Ñ Ñ"}, {AfVorname, "Ñ Ñ Ñ"},
                         {AfFirma1, repeated(n, 12)}, {AfMobil, "123456"}, {AfTel, "123456"},
                         {AfFax, "123456"}, {AfEMail, "bob@company.com"},
                         {AfURL, "www.company.com"}};
    QTest::newRow("android soft break before blank line") << "ezvcard-John_Doe_ANDROID.vcf" << 6 << 5
        << QList<Expect>{{AfSet, "ÑÑÑÑ"}, {AfFirma1, repeated(n, 44)}, {AfMobil, "55556666"},
                         {AfEMail, "henry@company.com"}};
    QTest::newRow("blackberry") << "ezvcard-John_Doe_BLACK_BERRY.vcf" << 1 << 0
        << QList<Expect>{{AfSet, "John Doe"}, {AfName, "Doe"}, {AfVorname, "john"},
                         {AfFirma1, "Acme Solutions"}, {AfMobil, "+96123456789"}};
    QTest::newRow("evolution") << "ezvcard-John_Doe_EVOLUTION.vcf" << 1 << 0
        << QList<Expect>{{AfSet, "Mr. John Richter, James Doe Sr."}, {AfName, "Doe"},
                         {AfVorname, "John"}, {AfFirma1, "IBM"}, {AfFirma2, "Accounting, Dungeon"},
                         {AfTitel, "Mr."}, {AfZusatz2, "Money Counter"},
                         {AfStrasse, "15 Crescent moon drive"},
                         {AfPLZ, "12345"}, {AfOrt, "Albaney"}, {AfTel, "905-555-1234"},
                         {AfMobil, "905-666-1234"}, {AfEMail, "john.doe@ibm.com"},
                         {AfURL, "http://www.ibm.com"}};
    QTest::newRow("gmail") << "ezvcard-John_Doe_GMAIL.vcf" << 1 << 0
        << QList<Expect>{{AfSet, "Mr. John Richter, James Doe Sr."}, {AfName, "Doe"},
                         {AfVorname, "John"}, {AfFirma1, "IBM"}, {AfTitel, "Mr."},
                         {AfZusatz2, "Money Counter"}, {AfStrasse, "Crescent moon drive, 555-asd, Nice Area, Albaney, New York "
                                     "12345, United States of America"},
                         {AfMobil, "905-555-1234"}, {AfTelPrivat, "905-666-1234"},
                         {AfEMail, "john.doe@ibm.com"}, {AfURL, "http://www.ibm.com"}};
    QTest::newRow("mac address book") << "ezvcard-John_Doe_MAC_ADDRESS_BOOK.vcf" << 1 << 0
        << QList<Expect>{{AfSet, "Mr. John Richter,James Doe Sr."}, {AfName, "Doe"},
                         {AfVorname, "John"}, {AfFirma1, "IBM"}, {AfFirma2, "Accounting"},
                         {AfTitel, "Mr."}, {AfZusatz2, "Money Counter"}, {AfStrasse, "Street4, Building 6, Floor 8"}, {AfPLZ, "12345"},
                         {AfOrt, "New York"}, {AfTel, "905-777-1234"},
                         {AfTelPrivat, "905-666-1234"}, {AfMobil, "905-555-1234"},
                         {AfFax, "905-999-1234"}, {AfFaxPrivat, "905-888-1234"},
                         {AfEMail, "john.doe@ibm.com"}, {AfURL, "http://www.ibm.com"}};
    QTest::newRow("outlook") << "ezvcard-John_Doe_MS_OUTLOOK.vcf" << 1 << 0
        << QList<Expect>{{AfSet, "Mr. John Richter James Doe Sr."}, {AfName, "Doe"},
                         {AfVorname, "John"}, {AfFirma1, "IBM"}, {AfFirma2, "Accounting"},
                         {AfTitel, "Mr."}, {AfZusatz2, "Money Counter"},
                         {AfStrasse, "Cresent moon drive"},
                         {AfPLZ, "12345"}, {AfOrt, "Albaney"}, {AfTel, "(905) 555-1234"},
                         {AfTelPrivat, "(905) 666-1234"}, {AfEMail, "john.doe@ibm.cm"},
                         {AfURL, "http://www.ibm.com"}};
    QTest::newRow("gmail single") << "ezvcard-gmail-single.vcf" << 1 << 0
        << QList<Expect>{{AfSet, "Greg Dartmouth"}, {AfName, "Dartmouth"}, {AfVorname, "Greg"},
                         {AfFirma1, "TheCompany"}, {AfTitel, ""}, {AfZusatz2, "TheJobTitle"},
                         {AfStrasse, "123 Home St, Home City, HM 12345"},
                         {AfMobil, "555 555 1111"}, {AfTel, "555 555 2222"},
                         {AfEMail, "gdartmouth@hotmail.com"}, {AfURL, "http://TheProfile.com"}};
    QTest::newRow("rfc 2426 first") << "ezvcard-rfc2426-example.vcf" << 2 << 0
        << QList<Expect>{{AfSet, "Frank Dawson"}, {AfVorname, "Frank"}, {AfName, "Dawson"},
                         {AfFirma1, "Lotus Development Corporation"},
                         {AfStrasse, "6544 Battleford Drive"}, {AfPLZ, "27613-3502"},
                         {AfOrt, "Raleigh"}, {AfTel, "+1-919-676-9515"},
                         {AfFax, "+1-919-676-9564"}, {AfEMail, "Frank_Dawson@Lotus.com"},
                         {AfURL, "http://home.earthlink.net/~fdawson"}};
    QTest::newRow("rfc 2426 second") << "ezvcard-rfc2426-example.vcf" << 2 << 1
        << QList<Expect>{{AfSet, "Tim Howes"}, {AfVorname, "Tim"}, {AfName, "Howes"},
                         {AfFirma1, "Netscape Communications Corp."},
                         {AfStrasse, "501 E. Middlefield Rd."}, {AfPLZ, "94043"},
                         {AfOrt, "Mountain View"}, {AfTel, "+1-415-937-3419"},
                         {AfFax, "+1-415-528-4164"}, {AfEMail, "howes@netscape.com"}};
    QTest::newRow("rfc 6350") << "ezvcard-rfc6350-example.vcf" << 1 << 0
        << QList<Expect>{{AfSet, "Simon Perreault"}, {AfName, "Perreault"}, {AfVorname, "Simon"},
                         {AfFirma1, "Viagenie"}, {AfStrasse, "2875 Laurier"},
                         {AfZusatz1, "Suite D2-630"},
                         {AfPLZ, "G1V 2M2"}, {AfOrt, "Quebec"},
                         {AfTel, "+1-418-656-9254;ext=102"}, {AfMobil, "+1-418-262-6501"},
                         {AfEMail, "simon.perreault@viagenie.ca"}, {AfURL, "http://nomis80.org"}};
    QTest::newRow("thunderbird") << "ezvcard-thunderbird-MoreFunctionsForAddressBook-extension.vcf"
        << 1 << 0
        << QList<Expect>{{AfSet, "John Doe"}, {AfName, "Doe"}, {AfVorname, "John"},
                         {AfFirma1, "TheOrganization"}, {AfFirma2, "TheDepartment"},
                         {AfTitel, ""}, {AfZusatz2, "TheTitle"},
                         // The exporter put the street where the extended address belongs.
                         {AfStrasse, "Suite 100"}, {AfZusatz1, "222 Broadway"},
                         {AfPLZ, "98765"}, {AfOrt, "New York"}, {AfTel, "555-555-1111"},
                         {AfTelPrivat, "555-555-2222"}, {AfMobil, "555-555-5555"},
                         {AfFax, "555-555-3333"}, {AfEMail, "doe.john@hotmail.com"},
                         {AfURL, "http://www.work-webpage.com"}};
    QTest::newRow("radicale") << "vobject-radicale-1587.vcf" << 1 << 0
        << QList<Expect>{{AfSet, "Given Family"}, {AfName, "Family"}, {AfVorname, "Given"},
                         {AfTitel, "Prefix"}};
}

void TestVCardImport::corpusFileImports()
{
    QFETCH(QString, file);
    QFETCH(int, count);
    QFETCH(int, record);
    QFETCH(QList<Expect>, expect);
    if (!QFile::exists(corpus + file))
        QSKIP("The corpus of vCards is not there.");
    const TAddressImport imported = ReadAddressSource(corpus + file);
    QCOMPARE(imported.Kind, QStringLiteral("vCard"));
    QCOMPARE(imported.Records.size(), count);
    const TAddressRecord& r = imported.Records.at(record);
    QCOMPARE(r.size(), int(AddressFieldCount));
    for (const Expect& e : expect) {
        if (r.at(e.field) != e.value)
            qWarning() << "field" << AddressFieldLabels().at(e.field);
        QCOMPARE(r.at(e.field), e.value);
    }
}

void TestVCardImport::everyCorpusFileImports()
{
    const QStringList files = QDir(corpus).entryList({QStringLiteral("*.vcf")}, QDir::Files);
    if (files.isEmpty())
        QSKIP("The corpus of vCards is not there.");
    QCOMPARE(files.size(), 11);
    for (const QString& file : files) {
        const TAddressImport imported = ReadAddressSource(corpus + file);
        QVERIFY2(!imported.Records.isEmpty(), qPrintable(file));
        for (const TAddressRecord& r : imported.Records) {
            QVERIFY2(!r.at(AfSet).isEmpty(), qPrintable(file));
            for (const QString& field : r)
                QVERIFY2(!field.contains('\t') && !field.contains('\n'), qPrintable(file));
        }
    }
}

void TestVCardImport::quotedPrintableWithCharsetAndSoftBreaks()
{
    const TAddressImport imported = read(
        "BEGIN:VCARD\r\nVERSION:2.1\r\n"
        "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=FCrgen\r\n"
        "ADR;WORK;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:;;Gro=C3=9Fe Stra=C3=9Fe =\r\n"
        "7;K=C3=B6ln;;50667;\r\n"
        "ORG;QUOTED-PRINTABLE:Caf=E9 =3D Bar\r\n"
        "END:VCARD\r\n");
    QCOMPARE(imported.Records.size(), 1);
    const TAddressRecord& r = imported.Records.first();
    QCOMPARE(r.at(AfName), QStringLiteral("Müller"));
    QCOMPARE(r.at(AfVorname), QStringLiteral("Jürgen"));
    QCOMPARE(r.at(AfSet), QStringLiteral("Jürgen Müller"));
    QCOMPARE(r.at(AfStrasse), QStringLiteral("Große Straße 7"));
    QCOMPARE(r.at(AfOrt), QStringLiteral("Köln"));
    QCOMPARE(r.at(AfPLZ), QStringLiteral("50667"));
    // Without CHARSET the bytes are not UTF-8, so they are read as Windows-1252.
    QCOMPARE(r.at(AfFirma1), QStringLiteral("Café = Bar"));
    QCOMPARE(imported.Replaced, 0);
}

void TestVCardImport::lowerCaseKeywordsAndSeveralCards()
{
    const TAddressImport imported = read("begin:vcard\nversion:3.0\nfn:Anna Berg\n"
                                         "tel;type=cell:0170 1\nemail:anna@example.org\n"
                                         "end:vcard\n"
                                         "BEGIN:VCARD\nVERSION:4.0\nFN:Bert Cramer\n"
                                         "tel;type=home,fax:0221 2\nEND:VCARD\n"
                                         "BEGIN:VCARD\nVERSION:3.0\nEND:VCARD\n");
    // The empty third card brings nothing.
    QCOMPARE(imported.Records.size(), 2);
    QCOMPARE(imported.Records.at(0).at(AfSet), QStringLiteral("Anna Berg"));
    QCOMPARE(imported.Records.at(0).at(AfMobil), QStringLiteral("0170 1"));
    QCOMPARE(imported.Records.at(0).at(AfEMail), QStringLiteral("anna@example.org"));
    QCOMPARE(imported.Records.at(1).at(AfFaxPrivat), QStringLiteral("0221 2"));
    QCOMPARE(imported.Records.at(1).at(AfName), QStringLiteral("Cramer"));
}

void TestVCardImport::escapedSeparatorsStayInTheirField()
{
    const TAddressImport imported =
        read("BEGIN:VCARD\nVERSION:3.0\nFN:Müller\\, Schulze & Partner\n"
             "ORG:Müller\\; Schulze;Vertrieb\\, Nord\nN:Schulze\\;Meier;Eva\\,Maria\nEND:VCARD\n");
    const TAddressRecord& r = imported.Records.first();
    QCOMPARE(r.at(AfSet), QStringLiteral("Müller, Schulze & Partner"));
    QCOMPARE(r.at(AfFirma1), QStringLiteral("Müller; Schulze"));
    QCOMPARE(r.at(AfFirma2), QStringLiteral("Vertrieb, Nord"));
    QCOMPARE(r.at(AfName), QStringLiteral("Schulze;Meier"));
    QCOMPARE(r.at(AfVorname), QStringLiteral("Eva,Maria"));
}

void TestVCardImport::quotedParameterValuesAndQuotedColons()
{
    // vCard 4.0 quotes lists of types; a quoted ':' does not end the head, and a quoted
    // ENCODING still makes the value quoted-printable (with its soft break).
    const TAddressImport imported =
        read("BEGIN:VCARD\nVERSION:4.0\nFN:Q\nTEL;TYPE=\"work,fax\":0221 9\n"
             "TEL;X-NOTE=\"a:b\";TYPE=\" cell \":0170 5\n"
             "ORG;ENCODING=\"QUOTED-PRINTABLE\";CHARSET=\"UTF-8\":Gr=C3=BC=\nn AG\n"
             "EMAIL;PREF;TYPE=home:p@example.org\nEMAIL;TYPE=work:w@example.org\nEND:VCARD\n");
    const std::pair<int, const char*> expected[] = {
        {AfFax, "0221 9"}, {AfMobil, "0170 5"}, {AfFirma1, "Grün AG"}, {AfEMail, "p@example.org"}};
    for (const auto& [field, value] : expected)
        QCOMPARE(imported.Records.first().at(field), QString::fromUtf8(value));
}

void TestVCardImport::foldedLinesAreJoined()
{
    const TAddressImport imported = read("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Kon\r\n rad Zu\r\n\tse\r\n"
                                         "EMAIL:k.zuse@exam\r\n ple.org\r\nEND:VCARD\r\n");
    QCOMPARE(imported.Records.first().at(AfSet), QStringLiteral("Konrad Zuse"));
    QCOMPARE(imported.Records.first().at(AfEMail), QStringLiteral("k.zuse@example.org"));
}

void TestVCardImport::workAddressBeforeHome()
{
    const TAddressImport imported =
        read("BEGIN:VCARD\nVERSION:3.0\nFN:A B\n"
             "ADR;TYPE=home:;;Heimweg 1;Hausen;;11111;\n"
             "ADR;TYPE=work:;;Werkstraße 2;Werkstadt;;22222;\n"
             "TEL;TYPE=home:1\nTEL;TYPE=work:2\nTEL:3\nEND:VCARD\n");
    const TAddressRecord& r = imported.Records.first();
    QCOMPARE(r.at(AfStrasse), QStringLiteral("Werkstraße 2"));
    QCOMPARE(r.at(AfPLZ), QStringLiteral("22222"));
    QCOMPARE(r.at(AfOrt), QStringLiteral("Werkstadt"));
    QCOMPARE(r.at(AfTelPrivat), QStringLiteral("1"));
    QCOMPARE(r.at(AfTel), QStringLiteral("2"));
}

void TestVCardImport::charactersOutsideTheCodePageAreCounted()
{
    // "Ł" and "ś" are not in Windows-1252; the emoji is one character of two UTF-16 units.
    const TAddressImport imported =
        read("BEGIN:VCARD\nVERSION:3.0\nN:Łukasiewicz;Jaś\nORG:Café \xF0\x9F\x98\x80\n"
             "END:VCARD\n");
    const TAddressRecord& r = imported.Records.first();
    QCOMPARE(r.at(AfName), QStringLiteral("?ukasiewicz"));
    QCOMPARE(r.at(AfVorname), QStringLiteral("Ja?"));
    QCOMPARE(r.at(AfFirma1), QStringLiteral("Café ?"));
    QCOMPARE(r.at(AfSet), QStringLiteral("Ja? ?ukasiewicz"));
    QCOMPARE(imported.Replaced, 3);
}

void TestVCardImport::fittingJoinsLinesAndKeepsTheCodePage()
{
    TAddressRecord r;
    r << QStringLiteral("  Zeile 1\r\n\r\n Zeile 2\rZeile 3 \n") // line breaks of all kinds
      << QStringLiteral("\t5 \u20AC\tStra\u00DFe ?  ")         // euro sign and "?" are kept
      // a pair of surrogates, a lone half, the replacement mark
      << QStringLiteral("a") + QChar(0xD83D) + QChar(0xDE00) + QStringLiteral("b") +
             QChar(0xD83D) + QStringLiteral("c") + QChar(0xFFFD) + QStringLiteral("d")
      << QStringLiteral("\u0141\u0160\u0178");                  // only the first is missing
    const int replaced = FitRecordToAddressFile(r);
    QCOMPARE(r.size(), AddressFieldCount);
    QCOMPARE(r.at(0), QStringLiteral("Zeile 1, Zeile 2, Zeile 3"));
    QCOMPARE(r.at(1), QStringLiteral("5 \u20AC Stra\u00DFe ?"));
    QCOMPARE(r.at(2), QStringLiteral("a?b?c?d"));
    QCOMPARE(r.at(3), QStringLiteral("?\u0160\u0178"));
    QVERIFY(r.at(4).isEmpty());
    QCOMPARE(replaced, 4);
    // A record that fits already stays as it is.
    TAddressRecord again = r;
    QCOMPARE(FitRecordToAddressFile(again), 0);
    QCOMPARE(again, r);
}

void TestVCardImport::nestedCardBelongsToTheOuterOne()
{
    const TAddressImport imported = read("BEGIN:VCARD\nVERSION:2.1\nFN:Chef\nAGENT:\n"
                                         "BEGIN:VCARD\nVERSION:2.1\nFN:Sekretariat\nEND:VCARD\n"
                                         "TEL;WORK:0123\nEND:VCARD\n");
    QCOMPARE(imported.Records.size(), 1);
    QCOMPARE(imported.Records.first().at(AfSet), QStringLiteral("Chef"));
    QCOMPARE(imported.Records.first().at(AfTel), QStringLiteral("0123"));
}

void TestVCardImport::titleIsTheJobAndThePrefixTheHonorific()
{
    const TAddressImport imported =
        read("BEGIN:VCARD\nVERSION:4.0\nN:Angstadt;Michael;;Dr.;\nTITLE:Geschäftsführerin\n"
             "ADR;TYPE=work:;TheOffice;Hauptstr. 5;Köln;;50667;\nEND:VCARD\n"
             "BEGIN:VCARD\nVERSION:4.0\nN:Berg;Anna;;;\nHONORIFIC-PREFIX:Prof.\n"
             "ROLE:Projektleitung\nADR:;Hinterhaus;;Bonn;;53111;\nEND:VCARD\n");
    QCOMPARE(imported.Records.size(), 2);
    const TAddressRecord& a = imported.Records.at(0);
    QCOMPARE(a.at(AfTitel), QStringLiteral("Dr."));
    QCOMPARE(a.at(AfZusatz2), QStringLiteral("Geschäftsführerin"));
    QCOMPARE(a.at(AfStrasse), QStringLiteral("Hauptstr. 5"));
    QCOMPARE(a.at(AfZusatz1), QStringLiteral("TheOffice"));
    const TAddressRecord& b = imported.Records.at(1);
    QCOMPARE(b.at(AfTitel), QStringLiteral("Prof."));
    QCOMPARE(b.at(AfZusatz2), QStringLiteral("Projektleitung"));
    // Without a street the extended address is the street.
    QCOMPARE(b.at(AfStrasse), QStringLiteral("Hinterhaus"));
    QCOMPARE(b.at(AfZusatz1), QString());
}

void TestVCardImport::damagedAndForeignFormsAreRead_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("repaired");
    QTest::addColumn<int>("skipped");

    const QByteArray a = "BEGIN:VCARD\nVERSION:2.1\nFN:Anna\nEND:VCARD\n";
    const QByteArray b = "BEGIN:VCARD\nVERSION:2.1\nFN:Bert\nTEL;CELL:0170\nEND:VCARD\n";
    QTest::newRow("no end at the end") << QByteArray("BEGIN:VCARD\nVERSION:3.0\nFN:Halb\n")
                                       << QStringList{"Halb"} << 1 << 0;
    QTest::newRow("begin ends an unfinished card")
        << QByteArray("BEGIN:VCARD\nVERSION:2.1\nFN:Anna\n") + b + a
        << QStringList{"Anna", "Bert", "Anna"} << 1 << 0;
    QTest::newRow("soft break before end")
        << QByteArray("BEGIN:VCARD\nVERSION:2.1\nFN:Anna\n"
                      "NOTE;ENCODING=QUOTED-PRINTABLE:Gr=C3=BC=\nEND:VCARD\n") + b
        << QStringList{"Anna", "Bert"} << 1 << 0;
    QTest::newRow("soft break before begin")
        << QByteArray("BEGIN:VCARD\nVERSION:2.1\nFN:Anna\n"
                      "NOTE;QUOTED-PRINTABLE:x=\r\nbegin:vcard\r\nFN:Bert\r\nEND:VCARD\r\n") + a
        << QStringList{"Anna", "Bert", "Anna"} << 1 << 0;
    QTest::newRow("soft break of a name before end")
        << QByteArray("BEGIN:VCARD\nVERSION:2.1\nFN;QUOTED-PRINTABLE:Anna=\nEND:VCARD\n") + b
        << QStringList{"Anna", "Bert"} << 1 << 0;
    QTest::newRow("properties without begin") << a + "VERSION:2.1\nFN:Los\nEND:VCARD\n" + b
                                              << QStringList{"Anna", "Bert"} << 0 << 1;
    QTest::newRow("empty card") << a + "BEGIN:VCARD\nVERSION:3.0\nEND:VCARD\n"
                                << QStringList{"Anna"} << 0 << 1;
    QTest::newRow("carriage returns only")
        << QByteArray("BEGIN:VCARD\rVERSION:2.1\rFN:Anna\rN;QUOTED-PRINTABLE:Gr=C3=BC=\r"
                      "n;Anna\rEND:VCARD\rBEGIN:VCARD\rFN:Bert\r  Berg\rEND:VCARD\r")
        << QStringList{"Anna", "Bert Berg"} << 0 << 0;
    const QString text = QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Weiß;Jürgen\r\n"
                                        "FN:Jürgen Weiß\r\nEND:VCARD\r\n");
    QByteArray le("\xFF\xFE", 2);
    QByteArray be("\xFE\xFF", 2);
    for (const QChar c : text) {
        le += char(c.unicode() & 0xFF);
        le += char(c.unicode() >> 8);
        be += char(c.unicode() >> 8);
        be += char(c.unicode() & 0xFF);
    }
    QTest::newRow("utf-16 little endian") << le << QStringList{"Jürgen Weiß"} << 0 << 0;
    QTest::newRow("utf-16 big endian") << be << QStringList{"Jürgen Weiß"} << 0 << 0;
    QTest::newRow("nul in a field")
        << QByteArray("BEGIN:VCARD\nVERSION:3.0\nFN:An\0na Berg\nEND:VCARD\n", 48)
        << QStringList{"Anna Berg"} << 0 << 0;
}

void TestVCardImport::damagedAndForeignFormsAreRead()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);
    QFETCH(int, repaired);
    QFETCH(int, skipped);
    TAddressImport imported;
    try {
        imported = read(bytes);
    } catch (const TAddressError& e) {
        QFAIL(qPrintable(e.message()));
    }
    QCOMPARE(imported.Kind, QStringLiteral("vCard"));
    QStringList read;
    for (const TAddressRecord& r : imported.Records)
        read << r.at(AfSet);
    QCOMPARE(read, names);
    QCOMPARE(imported.Repaired, repaired);
    QCOMPARE(imported.Skipped, skipped);
}

void TestVCardImport::notAVCardIsRefusedByTheSourceReader()
{
    const QString jpeg = QStringLiteral(QM_CORPUS_DIR "/jpeg/testorig.jpg");
    const QStringList candidates = {jpeg, m_dir.filePath(QStringLiteral("plain.txt"))};
    QFile plain(candidates.at(1));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.write("Liebe Anna,\nbis morgen.\n");
    plain.close();
    for (const QString& name : candidates) {
        if (!QFile::exists(name))
            continue;
        try {
            ReadAddressSource(name);
            QFAIL(qPrintable(name + " was accepted"));
        } catch (const TAddressError& e) {
            QVERIFY(e.message().contains(QFileInfo(name).fileName()));
        }
    }
}

QTEST_GUILESS_MAIN(TestVCardImport)
#include "tst_vcardimport.moc"
