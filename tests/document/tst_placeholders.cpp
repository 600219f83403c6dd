// Filling text elements from their placeholder text with the text blocks and the address
// record.

#include "document/appdocument.h"
#include "ui/globals.h"
#include "document/placeholders.h"
#include "document/units.h"
#include <QtTest>

namespace {

TDocElementTXT* macroText(const QString& macro, const QString& text = QString())
{
    TDocElementTXT* t = Document->AddText(text, CurrentSide);
    t->MacroText = macro;
    return t;
}

// The value of placeholder k (0 .. 32, in filling order), wherever it is kept.
QString& valueOf(int k)
{
    static const int address[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  21, 22, 9,
                                  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    return k < 10 ? TextBlocks[size_t(k + 1)] : AddressFields[size_t(address[k - 10])];
}

// Placeholders 0 .. levels-1 each hold the next one `copies` times; the one after them holds
// leaf. The full text would be copies^levels leaves long.
void chain(int levels, int copies, const QString& leaf)
{
    for (int k = 0; k < levels; ++k)
        valueOf(k) = TPlaceholderFiller::Name(k + 1).repeated(copies);
    valueOf(levels) = leaf;
}

} // namespace

class TestPlaceholders : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetGlobals(); }

    void replaceAllDoesNotRescanInsertedText()
    {
        QCOMPARE(ReplaceAll("a", "b", "banana"), QStringLiteral("bbnbnb"));
        QCOMPARE(ReplaceAll("a", "aa", "banana"), QStringLiteral("baanaanaa"));
        QCOMPARE(ReplaceAll("<x>", "<x><x>", "1<x>2"), QStringLiteral("1<x><x>2"));
        QCOMPARE(ReplaceAll("aa", "a", "aaaa"), QStringLiteral("aa"));
        QCOMPARE(ReplaceAll("aa", "", "aaa"), QStringLiteral("a"));
        QCOMPARE(ReplaceAll("X", "y", "x"), QStringLiteral("x"));
        QCOMPARE(ReplaceAll("", "y", "abc"), QStringLiteral("abc"));
        QCOMPARE(ReplaceAll("abc", "y", ""), QString());
    }

    void everyPlaceholderTakesItsField()
    {
        for (int i = 1; i <= 10; ++i)
            TextBlocks[i] = QStringLiteral("T%1").arg(i);
        for (int i = 0; i < 23; ++i)
            AddressFields[i] = QStringLiteral("A%1").arg(i);
        TDocElementTXT* t = macroText(QStringLiteral(
            "<t1>|<t2>|<t3>|<t4>|<t5>|<t6>|<t7>|<t8>|<t9>|<t10>|<firma1>|<firma2>|<zusatz1>|"
            "<zusatz2>|<strasse>|<plz>|<ort>|<telefon>|<telefax>|<telefonprivat>|"
            "<telefaxprivat>|<mobil>|<email>|<url>|<bank1>|<blz1>|<konto1>|<bank2>|<blz2>|"
            "<konto2>|<titel>|<vorname>|<name>"));
        Document->FillPlaceholders(CurrentPlaceholderValues());
        QCOMPARE(t->Text, QStringLiteral("T1|T2|T3|T4|T5|T6|T7|T8|T9|T10|A0|A1|A2|A3|A4|A5|A6|"
                                         "A7|A8|A21|A22|A9|A10|A11|A12|A13|A14|A15|A16|A17|"
                                         "A18|A19|A20"));
    }

    void placeholdersAreExactAndCaseSensitive()
    {
        AddressFields[19] = QStringLiteral("Erika");
        AddressFields[20] = QStringLiteral("Mustermann");
        TextBlocks[1] = QStringLiteral("eins");
        TextBlocks[10] = QStringLiteral("zehn");
        TDocElementTXT* names = macroText(QStringLiteral("<vorname> <name>"));
        TDocElementTXT* caps = macroText(QStringLiteral("<NAME> <Name>"));
        TDocElementTXT* ten = macroText(QStringLiteral("<t10><t1>0"));
        TDocElementTXT* unknown = macroText(QStringLiteral("<unbekannt> <name"));
        TDocElementTXT* plain = Document->AddText(QStringLiteral("bleibt"), CurrentSide);
        Document->Modified = false;
        Document->FillPlaceholders(CurrentPlaceholderValues());
        QCOMPARE(names->Text, QStringLiteral("Erika Mustermann"));
        QCOMPARE(caps->Text, QStringLiteral("<NAME> <Name>"));
        QCOMPARE(ten->Text, QStringLiteral("zehneins0"));
        QCOMPARE(unknown->Text, QStringLiteral("<unbekannt> <name"));
        QCOMPARE(plain->Text, QStringLiteral("bleibt"));
        QVERIFY(!Document->Modified);
        // An empty field removes its placeholder.
        AddressFields[19].clear();
        Document->FillPlaceholders(CurrentPlaceholderValues());
        QCOMPARE(names->Text, QStringLiteral(" Mustermann"));
    }

    void valuesMayHoldLaterButNotEarlierPlaceholders()
    {
        TextBlocks[1] = QStringLiteral("<t1>");
        TextBlocks[2] = QStringLiteral("[<name>|<t1>]");
        AddressFields[20] = QStringLiteral("Muster");
        TDocElementTXT* self = macroText(QStringLiteral("<t1>"));
        TDocElementTXT* chain = macroText(QStringLiteral("<t2>"));
        Document->FillPlaceholders(CurrentPlaceholderValues());
        QCOMPARE(self->Text, QStringLiteral("<t1>"));
        QCOMPARE(chain->Text, QStringLiteral("[Muster|<t1>]"));
    }

    void fillingAgainUsesTheNewRecord()
    {
        CurrentSide = 1;
        TDocElementTXT* back = macroText(QStringLiteral("<ort>"), QStringLiteral("alt"));
        CurrentSide = 0;
        Document->AddGraphic(TMetafile(), 0, nullptr, CurrentSide);
        AddressFields[6] = QStringLiteral("Berlin");
        Document->FillPlaceholders(CurrentPlaceholderValues());
        QCOMPARE(back->Text, QStringLiteral("Berlin"));
        AddressFields[6] = QStringLiteral("Köln");
        Document->FillPlaceholders(CurrentPlaceholderValues());
        QCOMPARE(back->Text, QStringLiteral("Köln"));
        QCOMPARE(back->MacroText, QStringLiteral("<ort>"));
    }

    // Values that hold their followers several times grow without end; the text stops at
    // MaxFilledLength, as a prefix of what it would have been, and is counted as cut.
    void growingValuesStopAtTheLimit_data()
    {
        QTest::addColumn<int>("levels");
        QTest::addColumn<int>("copies");
        QTest::addColumn<QString>("leaf");
        QTest::addColumn<QString>("macro");
        QTest::addColumn<QString>("expected"); // repeated to the limit; empty: the text is empty
        QTest::newRow("doubling over 20 placeholders")
            << 20 << 2 << QStringLiteral("ab") << QStringLiteral("<t1>") << QStringLiteral("ab");
        QTest::newRow("every placeholder, three times each")
            << 32 << 3 << QStringLiteral("xyz") << QStringLiteral("<t1>") << QStringLiteral("xyz");
        QTest::newRow("words around the growth")
            << 32 << 2 << QStringLiteral("n") << QStringLiteral("Herr <t1> Ende")
            << QStringLiteral("n");
        QTest::newRow("growth that fills nothing")
            << 32 << 2 << QString() << QStringLiteral("<t1>") << QString();
        QTest::newRow("one text block 10,000 times")
            << 0 << 0 << QStringLiteral("0123456789").repeated(100)
            << QStringLiteral("<t1>").repeated(10000) << QStringLiteral("0123456789");
    }

    void growingValuesStopAtTheLimit()
    {
        QFETCH(int, levels);
        QFETCH(int, copies);
        QFETCH(QString, leaf);
        QFETCH(QString, macro);
        QFETCH(QString, expected);
        chain(levels, copies, leaf);
        TDocElementTXT* t = macroText(macro);
        const int cut = Document->FillPlaceholders(CurrentPlaceholderValues());
        if (expected.isEmpty()) {
            QCOMPARE(t->Text, QString());
            QCOMPARE(cut, 0);
            return;
        }
        QCOMPARE(t->Text.size(), MaxFilledLength);
        QCOMPARE(cut, 1);
        const QString before = macro.left(macro.indexOf(QLatin1Char('<')));
        QVERIFY(t->Text.startsWith(before));
        const QString rest = t->Text.mid(before.size());
        QCOMPARE(rest, expected.repeated(rest.size() / expected.size() + 1).left(rest.size()));
        QVERIFY(CutTextsNote(cut).contains(QStringLiteral("65.536 Zeichen")));
    }

    // "Leere Felder auslassen": off, the filling is as it always was; on, empty placeholders
    // take their blanks, their part of the line or the whole line along.
    void skipEmpty_data()
    {
        QTest::addColumn<QString>("macro");
        QTest::addColumn<QStringList>("values"); // "k=value" by filling order, from 0
        QTest::addColumn<QString>("kept");       // SkipEmpty off
        QTest::addColumn<QString>("skipped");    // SkipEmpty on
        const QStringList walter = {QStringLiteral("31=Walter"), QStringLiteral("32=Prüfer")};
        QTest::newRow("empty title at the start")
            << QStringLiteral("<titel> <vorname> <name>") << walter
            << QStringLiteral(" Walter Prüfer") << QStringLiteral("Walter Prüfer");
        QTest::newRow("empty title in the middle")
            << QStringLiteral("<vorname>  <titel>  <name>") << walter
            << QStringLiteral("Walter    Prüfer") << QStringLiteral("Walter Prüfer");
        QTest::newRow("empty at the end")
            << QStringLiteral("<vorname> <name> <titel>") << walter
            << QStringLiteral("Walter Prüfer ") << QStringLiteral("Walter Prüfer");
        QTest::newRow("line of empty placeholders with words")
            << QStringLiteral("Mobil <mobil>") << walter << QStringLiteral("Mobil ") << QString();
        QTest::newRow("two empty placeholders")
            << QStringLiteral("<plz> <ort>") << walter << QStringLiteral(" ") << QString();
        QTest::newRow("empty part after a separator")
            << QStringLiteral("Tel. <telefon> · Mobil <mobil>")
            << QStringList{QStringLiteral("17=0123 4567")}
            << QStringLiteral("Tel. 0123 4567 · Mobil ") << QStringLiteral("Tel. 0123 4567");
        QTest::newRow("empty part before a separator")
            << QStringLiteral("Fax <telefax> | Tel. <telefon> | <email>")
            << QStringList{QStringLiteral("17=12"), QStringLiteral("22=a@b.example")}
            << QStringLiteral("Fax  | Tel. 12 | a@b.example")
            << QStringLiteral("Tel. 12 | a@b.example");
        QTest::newRow("nothing empty")
            << QStringLiteral("Herr <vorname> <name>") << walter
            << QStringLiteral("Herr Walter Prüfer") << QStringLiteral("Herr Walter Prüfer");
        QTest::newRow("no placeholder at all")
            << QStringLiteral("  Gruß  ·  Kuss ") << walter << QStringLiteral("  Gruß  ·  Kuss ")
            << QStringLiteral("  Gruß  ·  Kuss ");
        QTest::newRow("unknown words stay")
            << QStringLiteral("<unbekannt> <titel> <name>") << walter
            << QStringLiteral("<unbekannt>  Prüfer") << QStringLiteral("<unbekannt> Prüfer");
        QTest::newRow("blank value counts as empty")
            << QStringLiteral("<titel> <name>")
            << QStringList{QStringLiteral("30=  "), QStringLiteral("32=Prüfer")}
            << QStringLiteral("   Prüfer") << QStringLiteral("Prüfer");
        QTest::newRow("text block with an empty title inside")
            << QStringLiteral("An <t1>")
            << QStringList{QStringLiteral("0=<titel> <name>"), QStringLiteral("32=Prüfer")}
            << QStringLiteral("An  Prüfer") << QStringLiteral("An Prüfer");
        QTest::newRow("text block of empty placeholders only")
            << QStringLiteral("<t1> <name>")
            << QStringList{QStringLiteral("0=Fax: <telefax>"), QStringLiteral("32=Prüfer")}
            << QStringLiteral("Fax:  Prüfer") << QStringLiteral("Prüfer");
    }

    void skipEmpty()
    {
        QFETCH(QString, macro);
        QFETCH(QStringList, values);
        QFETCH(QString, kept);
        QFETCH(QString, skipped);
        for (const QString& v : values)
            valueOf(v.section(QLatin1Char('='), 0, 0).toInt()) = v.section(QLatin1Char('='), 1);
        TDocElementTXT* t = macroText(macro);
        QVERIFY(!Document->SkipEmpty);
        Document->FillPlaceholders(CurrentPlaceholderValues());
        QCOMPARE(t->Text, kept);
        Document->SkipEmpty = true;
        Document->FillPlaceholders(CurrentPlaceholderValues());
        QCOMPARE(t->Text, skipped);
    }
};

QTEST_MAIN(TestPlaceholders)
#include "tst_placeholders.moc"
