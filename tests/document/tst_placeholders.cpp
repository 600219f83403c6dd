// Filling text elements from their placeholder text with the text blocks and the address
// record.

#include "document/appdocument.h"
#include "document/globals.h"
#include "document/units.h"
#include <QtTest>

namespace {

TDocElementTXT* macroText(const QString& macro, const QString& text = QString())
{
    TDocElementTXT* t = Document->AddText(text);
    t->MacroText = macro;
    return t;
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
        Document->FillPlaceholders();
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
        TDocElementTXT* plain = Document->AddText(QStringLiteral("bleibt"));
        Document->Modified = false;
        Document->FillPlaceholders();
        QCOMPARE(names->Text, QStringLiteral("Erika Mustermann"));
        QCOMPARE(caps->Text, QStringLiteral("<NAME> <Name>"));
        QCOMPARE(ten->Text, QStringLiteral("zehneins0"));
        QCOMPARE(unknown->Text, QStringLiteral("<unbekannt> <name"));
        QCOMPARE(plain->Text, QStringLiteral("bleibt"));
        QVERIFY(!Document->Modified);
        // An empty field removes its placeholder.
        AddressFields[19].clear();
        Document->FillPlaceholders();
        QCOMPARE(names->Text, QStringLiteral(" Mustermann"));
    }

    void valuesMayHoldLaterButNotEarlierPlaceholders()
    {
        TextBlocks[1] = QStringLiteral("<t1>");
        TextBlocks[2] = QStringLiteral("[<name>|<t1>]");
        AddressFields[20] = QStringLiteral("Muster");
        TDocElementTXT* self = macroText(QStringLiteral("<t1>"));
        TDocElementTXT* chain = macroText(QStringLiteral("<t2>"));
        Document->FillPlaceholders();
        QCOMPARE(self->Text, QStringLiteral("<t1>"));
        QCOMPARE(chain->Text, QStringLiteral("[Muster|<t1>]"));
    }

    void fillingAgainUsesTheNewRecord()
    {
        CurrentSide = 1;
        TDocElementTXT* back = macroText(QStringLiteral("<ort>"), QStringLiteral("alt"));
        CurrentSide = 0;
        Document->AddGraphic(TMetafile(), 0, nullptr);
        AddressFields[6] = QStringLiteral("Berlin");
        Document->FillPlaceholders();
        QCOMPARE(back->Text, QStringLiteral("Berlin"));
        AddressFields[6] = QStringLiteral("Köln");
        Document->FillPlaceholders();
        QCOMPARE(back->Text, QStringLiteral("Köln"));
        QCOMPARE(back->MacroText, QStringLiteral("<ort>"));
    }
};

QTEST_MAIN(TestPlaceholders)
#include "tst_placeholders.moc"
