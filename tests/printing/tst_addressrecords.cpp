// The address records file and the reading of address sources: records of exactly 24 fields,
// the header kept byte for byte, saving that never destroys the previous file, where the file
// is read from, and the CSV import with its column names, delimiters and encodings.

#include "addresses/addressrecords.h"
#include "readonlyfolder.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray readBytes(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& name, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(name).absolutePath());
    QFile f(name);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

} // namespace

class TestAddressRecords : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // valid
    void fewerFieldsAreFilledWithEmptyOnes();
    void fieldsBeyondTheTwentyFourthAreDropped();
    void headerIsWrittenBackByteForByte();
    void savingCreatesMissingFolders();
    void userFileIsReadBeforeTheProgramFile();
    void placeholderIndexOfEveryField();
    void addressFileIsRecognised();
    void csvWithCommasAndQuotes();
    void csvWithSemicolonsGermanHeadersAndWindows1252();
    void csvWithByteOrderMarkAndOutlookColumns();
    void csvNameBesideFamilyNameIsTheRecordName();
    void csvCountsReplacedCharacters();
    void foreignLineEndsEncodingsAndNulAreRead_data();
    void foreignLineEndsEncodingsAndNulAreRead();

    // bad
    void failedSaveInReadOnlyFolderKeepsPreviousFile();
    void failedSaveOnFullDiskKeepsPreviousFile();
    void csvWithoutKnownColumnIsRefused();
    void emptyOrHeaderOnlyFilesAreRefused();
    void garbageIsRefused_data();
    void garbageIsRefused();

    // missing
    void missingFileIsNamedInTheError();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestAddressRecords::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    SetUserDataFolder(path(QStringLiteral("userdata")));
}

void TestAddressRecords::cleanup()
{
    SetUserDataFolder(QString());
    m_dir.reset();
}

void TestAddressRecords::fewerFieldsAreFilledWithEmptyOnes()
{
    const TAddressRecord r = SplitAddressRecord(QStringLiteral("Kurz\tFirma\t\tZusatz"));
    QCOMPARE(r.size(), 24);
    QCOMPARE(r.at(AfSet), QStringLiteral("Kurz"));
    QCOMPARE(r.at(AfFirma1), QStringLiteral("Firma"));
    QCOMPARE(r.at(AfZusatz1), QStringLiteral("Zusatz"));
    QCOMPARE(r.at(AfName), QString());
    // Saving writes all 24 fields: 23 tabs, none at the end.
    const QString line = JoinAddressRecord(r);
    QCOMPARE(line.count('\t'), 23);
    QCOMPARE(line, QStringLiteral("Kurz\tFirma\t\tZusatz") + QString(20, '\t'));
}

void TestAddressRecords::fieldsBeyondTheTwentyFourthAreDropped()
{
    QStringList fields;
    for (int i = 1; i <= 26; ++i)
        fields << QStringLiteral("f%1").arg(i);
    const TAddressRecord r = SplitAddressRecord(fields.join('\t'));
    QCOMPARE(r.size(), 24);
    QCOMPARE(r.at(AfName), QStringLiteral("f24"));
    QCOMPARE(JoinAddressRecord(r), fields.mid(0, 24).join('\t'));
    // A tab or line break typed into a field cannot break the line apart.
    TAddressRecord typed = r;
    typed[AfOrt] = QStringLiteral("Bad\tHom\nburg");
    QCOMPARE(SplitAddressRecord(JoinAddressRecord(typed)).at(AfOrt), QStringLiteral("Bad Hom burg"));
    // A CR LF pair is one blank, a lone CR or LF one each.
    typed[AfOrt] = QStringLiteral("a\r\nb\r\r\nc\rd\n\re");
    QCOMPARE(SplitAddressRecord(JoinAddressRecord(typed)).at(AfOrt), QStringLiteral("a b  c d  e"));
}

void TestAddressRecords::headerIsWrittenBackByteForByte()
{
    // A header with trailing blanks, an umlaut, and 0x81, a byte Windows-1252 has no letter for.
    const QByteArray header("Kopf \xE4 \x81\x8D\tSpalte  ");
    const QString file = path(QStringLiteral("alt/adressen.dat"));
    writeBytes(file, header + "\nEins\tA\n");
    const QStringList lines = ReadAddressFile(file);
    QCOMPARE(lines.size(), 2);
    const QString target = UserAddressFile();
    WriteAddressFile(target, lines);
    const QByteArray written = readBytes(target);
    QVERIFY(written.startsWith(header + "\r\n"));
    QCOMPARE(written, header + "\r\nEins\tA\r\n");
}

void TestAddressRecords::savingCreatesMissingFolders()
{
    const QString target = UserAddressFile();
    QVERIFY(target.endsWith(QStringLiteral("userdata/foldrkit/adressen.dat")));
    QVERIFY(!QFileInfo::exists(QFileInfo(target).absolutePath()));
    WriteAddressFile(target, {AddressHeaderLine(), QStringLiteral("Neu")});
    QCOMPARE(readBytes(target), QByteArray("Set\tFirma 1\tFirma 2\tZusatz 1\tZusatz 2\tStra\xDF"
                                           "e\tPLZ\tOrt\tTel\tFax\tTel privat\tFax privat\tMobil\t"
                                           "EMail\tURL\tBank 1\tBLZ 1\tKonto 1\tBank 2\tBLZ 2\t"
                                           "Konto 2\tTitel\tVorname\tName\r\nNeu\r\n"));
}

void TestAddressRecords::userFileIsReadBeforeTheProgramFile()
{
    const QString program = path(QStringLiteral("program/"));
    writeBytes(program + "adressen.dat", "H\r\nBeilage\r\n");
    QCOMPARE(AddressFileToRead(program), QDir(program).filePath("adressen.dat"));
    writeBytes(UserAddressFile(), "H\r\nEigene\r\n");
    QCOMPARE(AddressFileToRead(program), UserAddressFile());
    QCOMPARE(ReadAddressFile(AddressFileToRead(program)).value(1), QStringLiteral("Eigene"));
}

void TestAddressRecords::placeholderIndexOfEveryField()
{
    QCOMPARE(AddressFieldsIndex(AfSet), -1);
    QCOMPARE(AddressFieldsIndex(AfFirma1), 0);
    QCOMPARE(AddressFieldsIndex(AfFax), 8);
    QCOMPARE(AddressFieldsIndex(AfTelPrivat), 21);
    QCOMPARE(AddressFieldsIndex(AfFaxPrivat), 22);
    QCOMPARE(AddressFieldsIndex(AfMobil), 9);
    QCOMPARE(AddressFieldsIndex(AfName), 20);
    QList<int> seen;
    for (int f = 1; f < AddressFieldCount; ++f)
        seen << AddressFieldsIndex(f);
    std::sort(seen.begin(), seen.end());
    for (int i = 0; i < 23; ++i)
        QCOMPARE(seen.at(i), i);
}

void TestAddressRecords::addressFileIsRecognised()
{
    const QString file = path(QStringLiteral("liste.dat"));
    writeBytes(file, "Set\tFirma 1\nM\xFCller\tM\xFCller GmbH\tx\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t"
                     "\t\tmore\tand more\nZweite\n");
    const TAddressImport source = ReadAddressSource(file);
    QCOMPARE(source.Kind, QStringLiteral("Adressdatei"));
    QCOMPARE(source.Records.size(), 2);
    QCOMPARE(source.Records.at(0).at(AfSet), QStringLiteral("Müller"));
    QCOMPARE(source.Records.at(0).at(AfFirma1), QStringLiteral("Müller GmbH"));
    QCOMPARE(source.Records.at(0).at(AfName), QStringLiteral("more"));
    QCOMPARE(source.Records.at(1).size(), 24);
    // The header is free text, even one without a tab.
    writeBytes(file, "Meine Adressen\r\nA\tB\r\n");
    const TAddressImport plainHeader = ReadAddressSource(file);
    QCOMPARE(plainHeader.Kind, QStringLiteral("Adressdatei"));
    QCOMPARE(plainHeader.Records.size(), 1);
    QCOMPARE(plainHeader.Records.first().at(AfFirma1), QStringLiteral("B"));
}

void TestAddressRecords::csvWithCommasAndQuotes()
{
    const QString file = path(QStringLiteral("kontakte.csv"));
    writeBytes(file, "First Name,Last Name,Company,Street,Postal Code,City,E-mail Address\r\n"
                     "Anna,Berg,\"Berg, Söhne & Co\",\"Hauptstr. 1\nHinterhaus\",12345,Berlin,"
                     "anna@example.org\r\n"
                     "\"Bert \"\"B.\"\"\",Cramer,,,,,\r\n"
                     ",,,,,,\r\n");
    const TAddressImport source = ReadAddressSource(file);
    QCOMPARE(source.Kind, QStringLiteral("CSV"));
    QCOMPARE(source.Records.size(), 2);
    const TAddressRecord& a = source.Records.at(0);
    QCOMPARE(a.at(AfSet), QStringLiteral("Anna Berg"));
    QCOMPARE(a.at(AfVorname), QStringLiteral("Anna"));
    QCOMPARE(a.at(AfName), QStringLiteral("Berg"));
    QCOMPARE(a.at(AfFirma1), QStringLiteral("Berg, Söhne & Co"));
    QCOMPARE(a.at(AfStrasse), QStringLiteral("Hauptstr. 1, Hinterhaus"));
    QCOMPARE(a.at(AfPLZ), QStringLiteral("12345"));
    QCOMPARE(a.at(AfOrt), QStringLiteral("Berlin"));
    QCOMPARE(a.at(AfEMail), QStringLiteral("anna@example.org"));
    QCOMPARE(source.Records.at(1).at(AfVorname), QStringLiteral("Bert \"B.\""));
}

void TestAddressRecords::csvWithSemicolonsGermanHeadersAndWindows1252()
{
    const QString file = path(QStringLiteral("adressbuch.csv"));
    writeBytes(file, "Vorname;Nachname;Firma;Abteilung;Stra\xDF" "e;PLZ;Ort;Telefon;Fax;Mobil;"
                     "Telefon privat;E-Mail;Webseite;Titel\n"
                     "J\xFCrgen;M\xFCller;M\xFCller & S\xF6hne;Einkauf;Gro\xDF" "e Gasse 3;"
                     "50667;K\xF6ln;0221 1;0221 2;0170 3;0221 4;jm@example.de;www.example.de;"
                     "Dr.\n");
    const TAddressImport source = ReadAddressSource(file);
    QCOMPARE(source.Records.size(), 1);
    const TAddressRecord& r = source.Records.first();
    QCOMPARE(r.at(AfSet), QStringLiteral("Jürgen Müller"));
    QCOMPARE(r.at(AfFirma1), QStringLiteral("Müller & Söhne"));
    QCOMPARE(r.at(AfFirma2), QStringLiteral("Einkauf"));
    QCOMPARE(r.at(AfStrasse), QStringLiteral("Große Gasse 3"));
    QCOMPARE(r.at(AfOrt), QStringLiteral("Köln"));
    QCOMPARE(r.at(AfTel), QStringLiteral("0221 1"));
    QCOMPARE(r.at(AfFax), QStringLiteral("0221 2"));
    QCOMPARE(r.at(AfMobil), QStringLiteral("0170 3"));
    QCOMPARE(r.at(AfTelPrivat), QStringLiteral("0221 4"));
    QCOMPARE(r.at(AfEMail), QStringLiteral("jm@example.de"));
    QCOMPARE(r.at(AfURL), QStringLiteral("www.example.de"));
    QCOMPARE(r.at(AfTitel), QStringLiteral("Dr."));
    QCOMPARE(source.Replaced, 0);
}

void TestAddressRecords::csvWithByteOrderMarkAndOutlookColumns()
{
    const QString file = path(QStringLiteral("outlook.csv"));
    writeBytes(file, "\xEF\xBB\xBF\"Title\",\"First Name\",\"Last Name\",\"Home Street\","
                     "\"Home City\",\"Home Postal Code\",\"Business Street\",\"Business City\","
                     "\"Business Postal Code\",\"Business Phone\",\"Home Phone\","
                     "\"Mobile Phone\",\"Business Fax\",\"E-mail Address\"\r\n"
                     "\"Prof.\",\"Zoë\",\"Weiß\",\"Heimweg 1\",\"Hausen\",\"11111\","
                     "\"Werkstraße 2\",\"Werkstadt\",\"22222\",\"1\",\"2\",\"3\",\"4\","
                     "\"zw@example.org\"\r\n"
                     "\"\",\"Nur\",\"Privat\",\"Heimweg 5\",\"Hausen\",\"11111\",\"\",\"\",\"\","
                     "\"\",\"\",\"\",\"\",\"\"\r\n");
    const TAddressImport source = ReadAddressSource(file);
    QCOMPARE(source.Records.size(), 2);
    const TAddressRecord& r = source.Records.at(0);
    QCOMPARE(r.at(AfTitel), QStringLiteral("Prof."));
    QCOMPARE(r.at(AfVorname), QStringLiteral("Zoë"));
    QCOMPARE(r.at(AfName), QStringLiteral("Weiß"));
    // The work address comes before the home one.
    QCOMPARE(r.at(AfStrasse), QStringLiteral("Werkstraße 2"));
    QCOMPARE(r.at(AfOrt), QStringLiteral("Werkstadt"));
    QCOMPARE(r.at(AfPLZ), QStringLiteral("22222"));
    QCOMPARE(r.at(AfTel), QStringLiteral("1"));
    QCOMPARE(r.at(AfTelPrivat), QStringLiteral("2"));
    QCOMPARE(r.at(AfMobil), QStringLiteral("3"));
    QCOMPARE(r.at(AfFax), QStringLiteral("4"));
    QCOMPARE(r.at(AfEMail), QStringLiteral("zw@example.org"));
    // Without a work address the home address is taken.
    QCOMPARE(source.Records.at(1).at(AfStrasse), QStringLiteral("Heimweg 5"));
    QCOMPARE(source.Records.at(1).at(AfPLZ), QStringLiteral("11111"));
}

void TestAddressRecords::csvNameBesideFamilyNameIsTheRecordName()
{
    const QString file = path(QStringLiteral("google.csv"));
    writeBytes(file, "Name,Given Name,Family Name,Organization 1 - Name,E-mail 1 - Value\n"
                     "Chef Berg,Anna,Berg,Berg AG,ab@example.org\n");
    const TAddressRecord r = ReadAddressSource(file).Records.first();
    QCOMPARE(r.at(AfSet), QStringLiteral("Chef Berg"));
    QCOMPARE(r.at(AfName), QStringLiteral("Berg"));
    QCOMPARE(r.at(AfFirma1), QStringLiteral("Berg AG"));
    QCOMPARE(r.at(AfEMail), QStringLiteral("ab@example.org"));
    // Alone, "Name" is the family name, as in the address file itself.
    writeBytes(file, "Vorname,Name\nAnna,Berg\n");
    const TAddressRecord own = ReadAddressSource(file).Records.first();
    QCOMPARE(own.at(AfName), QStringLiteral("Berg"));
    QCOMPARE(own.at(AfSet), QStringLiteral("Anna Berg"));
}

void TestAddressRecords::csvCountsReplacedCharacters()
{
    const QString file = path(QStringLiteral("polen.csv"));
    writeBytes(file, "Firma,Ort\nŁódź Sp. z o.o.,Łódź\n");
    const TAddressImport source = ReadAddressSource(file);
    QCOMPARE(source.Records.first().at(AfOrt), QStringLiteral("?ód?"));
    QCOMPARE(source.Records.first().at(AfFirma1), QStringLiteral("?ód? Sp. z o.o."));
    QCOMPARE(source.Replaced, 4);
}

namespace {

QByteArray utf16(const QString& text, bool littleEndian)
{
    QByteArray bytes = littleEndian ? QByteArray("\xFF\xFE", 2) : QByteArray("\xFE\xFF", 2);
    for (const QChar c : text) {
        const char lo = char(c.unicode() & 0xFF);
        const char hi = char(c.unicode() >> 8);
        bytes += littleEndian ? lo : hi;
        bytes += littleEndian ? hi : lo;
    }
    return bytes;
}

} // namespace

void TestAddressRecords::foreignLineEndsEncodingsAndNulAreRead_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("towns");
    QTest::addColumn<int>("skipped");

    const QByteArray record2 = "Zwei\t\t\t\t\t\t\tOrt 2";
    QTest::newRow("address file, carriage returns only")
        << QByteArray("Set\tFirma 1\rEins\tA\t\t\t\t\t\tK\xF6ln\r") + record2 + "\r"
        << "Adressdatei" << QStringList{"Eins", "Zwei"} << QStringList{"Köln", "Ort 2"} << 0;
    QTest::newRow("address file, nul in a field")
        << QByteArray("Set\tFirma 1\r\nEi\0ns\tA\t\t\t\t\t\tK\xF6\0ln\r\n", 33) + record2
        << "Adressdatei" << QStringList{"Eins", "Zwei"} << QStringList{"Köln", "Ort 2"} << 0;
    QTest::newRow("csv, carriage returns only")
        << QByteArray("Name;Ort\rEins;K\xF6ln\rZwei;Ort 2\r") << "CSV"
        << QStringList{"Eins", "Zwei"} << QStringList{"Köln", "Ort 2"} << 0;
    QTest::newRow("csv, utf-16 little endian")
        << utf16(QStringLiteral("Vorname,Nachname,Ort\r\nJürgen,Weiß,Köln\r\n"), true) << "CSV"
        << QStringList{"Jürgen Weiß"} << QStringList{"Köln"} << 0;
    QTest::newRow("csv, utf-16 big endian, semicolons")
        << utf16(QStringLiteral("Vorname;Nachname;Ort\nJürgen;Weiß;Köln\n"), false) << "CSV"
        << QStringList{"Jürgen Weiß"} << QStringList{"Köln"} << 0;
    QTest::newRow("csv, nul in a field")
        << QByteArray("Name,Ort\nEi\0ns,K\0\xF6ln\n", 21) << "CSV" << QStringList{"Eins"}
        << QStringList{"Köln"} << 0;
}

void TestAddressRecords::foreignLineEndsEncodingsAndNulAreRead()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, kind);
    QFETCH(QStringList, names);
    QFETCH(QStringList, towns);
    QFETCH(int, skipped);
    const QString file = path(QStringLiteral("fremd.txt"));
    writeBytes(file, bytes);
    TAddressImport source;
    try {
        source = ReadAddressSource(file);
    } catch (const TAddressError& e) {
        QFAIL(qPrintable(e.message()));
    }
    QCOMPARE(source.Kind, kind);
    QStringList readNames;
    QStringList readTowns;
    for (const TAddressRecord& r : source.Records) {
        QCOMPARE(r.size(), int(AddressFieldCount));
        readNames << r.at(AfSet);
        readTowns << r.at(AfOrt);
    }
    QCOMPARE(readNames, names);
    QCOMPARE(readTowns, towns);
    QCOMPARE(source.Skipped, skipped);
}

void TestAddressRecords::failedSaveInReadOnlyFolderKeepsPreviousFile()
{
    const QString target = UserAddressFile();
    const QByteArray old("Kopf\r\nAlt\tA\r\n");
    writeBytes(target, old);
    TReadOnlyFolder lock(QFileInfo(target).absolutePath());
    if (!lock.ok())
        QSKIP("The folder cannot be made read-only here.");
    try {
        WriteAddressFile(target, {QStringLiteral("Kopf"), QStringLiteral("Neu\tB")});
        QFAIL("writing into a read-only folder succeeded");
    } catch (const TAddressError& e) {
        QVERIFY(e.message().contains(QDir::toNativeSeparators(target)));
        QVERIFY(e.message().contains(QStringLiteral("bleibt unverändert")));
    }
    QCOMPARE(readBytes(target), old);
    QCOMPARE(QDir(QFileInfo(target).absolutePath()).entryList(QDir::Files),
             QStringList{QStringLiteral("adressen.dat")});
}

void TestAddressRecords::failedSaveOnFullDiskKeepsPreviousFile()
{
    const QString target = UserAddressFile();
    const QByteArray old("Kopf\r\nAlt\tA\r\n");
    writeBytes(target, old);
    // A file size limit makes every write past 64 bytes fail, as a full disk does.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = saved;
    tiny.rlim_cur = 64;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    QString message;
    try {
        WriteAddressFile(target, {QStringLiteral("Kopf"), QString(500, 'x')});
    } catch (const TAddressError& e) {
        message = e.message();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    QVERIFY(message.contains(QStringLiteral("kann nicht geschrieben werden")));
    QCOMPARE(readBytes(target), old);
}

void TestAddressRecords::csvWithoutKnownColumnIsRefused()
{
    const QString file = path(QStringLiteral("zahlen.csv"));
    writeBytes(file, "Artikel,Preis\nBleistift,1.20\n");
    try {
        ReadAddressSource(file);
        QFAIL("a CSV file without address columns was accepted");
    } catch (const TAddressError& e) {
        QVERIFY(e.message().contains(QStringLiteral("zahlen.csv")));
        QVERIFY(e.message().contains(QStringLiteral("keine bekannte Spalte")));
    }
}

void TestAddressRecords::emptyOrHeaderOnlyFilesAreRefused()
{
    const QString file = path(QStringLiteral("leer.dat"));
    for (const QByteArray& bytes : {QByteArray(), QByteArray(" \r\n"), QByteArray("Set\tFirma 1\r\n"),
                                    QByteArray("Vorname;Name\r\n")}) {
        writeBytes(file, bytes);
        QVERIFY_THROWS_EXCEPTION(TAddressError, ReadAddressSource(file));
    }
}

void TestAddressRecords::garbageIsRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    // Random bytes without a NUL: tabs and line breaks in them look like an address file.
    QRandomGenerator random(28);
    QByteArray noise;
    while (noise.size() < 3 * 1024 * 1024) {
        const char c = char(random.bounded(256));
        if (c != 0)
            noise += c;
    }
    QTest::newRow("random bytes") << noise;
    QTest::newRow("random bytes behind a header") << QByteArray("Set\tFirma 1\r\n") + noise;
    QTest::newRow("random bytes behind a csv header")
        << QByteArray("Vorname,Name,Ort\r\n") + noise.left(100000);
    QTest::newRow("random bytes behind begin:vcard")
        << QByteArray("BEGIN:VCARD\r\n") + noise.left(100000);
}

void TestAddressRecords::garbageIsRefused()
{
    QFETCH(QByteArray, bytes);
    const QString file = path(QStringLiteral("rauschen.dat"));
    writeBytes(file, bytes);
    try {
        const TAddressImport source = ReadAddressSource(file);
        QFAIL(qPrintable(QStringLiteral("%1 records read from garbage").arg(source.Records.size())));
    } catch (const TAddressError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("rauschen.dat")), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QStringLiteral("enthält keine Adressen")),
                 qPrintable(e.message()));
    }
}

void TestAddressRecords::missingFileIsNamedInTheError()
{
    const QString file = path(QStringLiteral("fehlt/adressen.dat"));
    try {
        ReadAddressFile(file);
        QFAIL("a missing file was read");
    } catch (const TAddressError& e) {
        QVERIFY(e.message().contains(QDir::toNativeSeparators(file)));
        QVERIFY(e.message().contains(QStringLiteral("nicht vorhanden")));
    }
    QVERIFY_THROWS_EXCEPTION(TAddressError, ReadAddressSource(m_dir->path()));
}

QTEST_GUILESS_MAIN(TestAddressRecords)
#include "tst_addressrecords.moc"
