// Barcode elements: the document file keeps them exactly and refuses kinds it does not know,
// content that cannot be encoded is told in German, vCards leave out what came out empty,
// and the symbol is drawn at the size asked for.

#include "common/barcodefixtures.h"
#include "document/appdocument.h"
#include "document/barcode.h"
#include "ui/globals.h"
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(TBarcodeKind)

namespace {

TDocElementBAR* addBarcode(TAppDocument& doc, TBarcodeKind kind, const QString& text) {
    auto e = std::make_unique<TDocElementBAR>();
    e->Kind = kind;
    e->Text = text;
    TDocElementBAR* raw = e.get();
    doc.InsertElement(0, std::move(e));
    return raw;
}

void compareElements(const TDocElementBAR& a, const TDocElementBAR& b) {
    QCOMPARE(b.Left, a.Left);
    QCOMPARE(b.Top, a.Top);
    QCOMPARE(b.Width, a.Width);
    QCOMPARE(b.Height, a.Height);
    QCOMPARE(b.Side, a.Side);
    QCOMPARE(b.Text, a.Text);
    QCOMPARE(b.MacroText, a.MacroText);
    QCOMPARE(int(b.Kind), int(a.Kind));
    QCOMPARE(b.ModuleSize, a.ModuleSize);
    QCOMPARE(b.ErrorLevel, a.ErrorLevel);
    QCOMPARE(b.ForeColor, a.ForeColor);
    QCOMPARE(b.BackColor, a.BackColor);
    QCOMPARE(b.QuietZone, a.QuietZone);
    QCOMPARE(b.HumanReadable, a.HumanReadable);
    QCOMPARE(b.Turns, a.Turns);
}

std::array<QString, 23> address(const QString& vorname, const QString& name,
                                const QString& firma, const QString& telefon) {
    std::array<QString, 23> a;
    a[19] = vorname;
    a[20] = name;
    a[0] = firma;
    a[7] = telefon;
    return a;
}

} // namespace

class TestBarcode : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetGlobals(); }

    void fileKeepsEveryField_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("macro");
        QTest::addColumn<double>("module");
        QTest::addColumn<int>("turns");
        QTest::newRow("vCard with line breaks")
            << int(TBarcodeKind::QR) << "BEGIN:VCARD\r\nFN:A\\, B\r\nEND:VCARD"
            << SenderVCardTemplate() << 0.0 << 0;
        QTest::newRow("backslashes, escapes written literally")
            << int(TBarcodeKind::Code128) << "C:\\n\\u0041;\\\\" << "" << 0.33 << 1;
        QTest::newRow("characters the code page lacks")
            << int(TBarcodeKind::DataMatrix) << QString::fromUtf8("Zoë € 日本 ✓") << "" << 0.5
            << 3;
        QTest::newRow("EAN-13 turned") << int(TBarcodeKind::EAN13) << "400638133393" << ""
                                       << 0.33 << 2;
        QTest::newRow("blanks at the ends") << int(TBarcodeKind::Aztec) << "  x  " << " <name> "
                                            << 0.0 << 0;
    }
    void fileKeepsEveryField() {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(QString, macro);
        QFETCH(double, module);
        QFETCH(int, turns);
        TAppDocument doc(false);
        doc.AddText(QStringLiteral("Text darunter"));
        TDocElementBAR* e = addBarcode(doc, TBarcodeKind(kind), text);
        e->MacroText = macro;
        e->ModuleSize = module;
        e->Turns = std::uint8_t(turns);
        e->Left = 12.5;
        e->Top = 7.25;
        e->Width = 31;
        e->Height = 22;
        e->Side = 1;
        e->ErrorLevel = 3;
        e->ForeColor = 0x336699;
        e->BackColor = 0xEEFFDD;
        e->QuietZone = false;
        e->HumanReadable = false;
        const QByteArray bytes = doc.SaveToBytes();
        TAppDocument back(false);
        QVERIFY(!back.LoadFromBytes(bytes).Damaged);
        QCOMPARE(back.Count(), 2);
        auto* b = dynamic_cast<TDocElementBAR*>(back.Element(0));
        QVERIFY(b);
        compareElements(*e, *b);
        QVERIFY(dynamic_cast<TDocElementTXT*>(back.Element(1)));
        QCOMPARE(back.SaveToBytes(), bytes);
    }

    // A kind from a newer version is refused with the line it stands on; the document that
    // was open stays as it was.
    void unknownKindIsRefused_data() {
        QTest::addColumn<QByteArray>("elements");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("kind");
        const QByteArray text = "#TXT\r\n## T=a\r\n##\r\n";
        QTest::newRow("first element") << QByteArray("#SVG\r\n## CL=1\r\n##\r\n") + text << 15
                                       << "#SVG";
        QTest::newRow("after a text") << text + "#BAR2\r\n##\r\n" << 18 << "#BAR2";
    }
    void unknownKindIsRefused() {
        QFETCH(QByteArray, elements);
        QFETCH(int, line);
        QFETCH(QString, kind);
        TAppDocument doc(false);
        const QByteArray header = doc.SaveToBytes(); // 14 lines, the last one empty
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("neuer.qmd"));
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(header + elements);
        }
        doc.AddText(QStringLiteral("bleibt"));
        try {
            doc.LoadFromFile(file);
            QFAIL("loaded without complaint");
        } catch (const TDocumentError& err) {
            QVERIFY2(err.message().contains(QStringLiteral("Zeile %1").arg(line)),
                     qPrintable(err.message()));
            QVERIFY2(err.message().contains(kind), qPrintable(err.message()));
            QVERIFY(err.message().contains(QStringLiteral("neuer.qmd")));
        }
        QCOMPARE(doc.Count(), 1);
        // Read from bytes (a preview), the file is marked damaged at that line.
        TAppDocument preview(false);
        const TLoadReport r = preview.LoadFromBytes(header + elements);
        QVERIFY(r.Damaged);
        QVERIFY(r.Reason.contains(kind));
    }

    void contentThatCannotBeEncoded_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reason"); // empty: encodes
        QTest::newRow("EAN-13 without check digit") << int(TBarcodeKind::EAN13) << "400638133393"
                                                    << "";
        QTest::newRow("EAN-13 with right check digit")
            << int(TBarcodeKind::EAN13) << "4006381333931" << "";
        QTest::newRow("EAN-13 wrong check digit")
            << int(TBarcodeKind::EAN13) << "4006381333932"
            << "Die Prüfziffer 2 stimmt nicht, richtig wäre 1.";
        QTest::newRow("EAN-13 letter") << int(TBarcodeKind::EAN13) << "40063813a3931"
                                       << "„a“ an Stelle 9 ist keine Ziffer";
        // zint would make an EAN-5 add-on of these five digits.
        QTest::newRow("EAN-13 too short") << int(TBarcodeKind::EAN13) << "40063"
                                          << "EAN-13 braucht 12 Ziffern ohne oder 13 mit";
        QTest::newRow("EAN-8 of thirteen digits")
            << int(TBarcodeKind::EAN8) << "4006381333931" << "EAN-8 braucht 7 Ziffern";
        QTest::newRow("UPC-A") << int(TBarcodeKind::UPCA) << "03600029145" << "";
        QTest::newRow("Code 39 lowercase taken") << int(TBarcodeKind::Code39) << "abc-1" << "";
        QTest::newRow("Code 39 umlaut") << int(TBarcodeKind::Code39) << QString::fromUtf8("ä")
                                        << "Zeichen, die Code 39 nicht darstellen kann";
        QTest::newRow("ITF letter") << int(TBarcodeKind::ITF) << "12a4" << "keine Ziffer";
        QTest::newRow("empty") << int(TBarcodeKind::QR) << "" << "Der Inhalt ist leer.";
        QTest::newRow("QR too long") << int(TBarcodeKind::QR) << QString(8000, QLatin1Char('x'))
                                     << "zu lang für QR-Code";
        QTest::newRow("Code 128 umlaut") << int(TBarcodeKind::Code128) << QString::fromUtf8("Müller")
                                         << "";
    }
    void contentThatCannotBeEncoded() {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(QString, reason);
        TDocElementBAR e;
        e.Kind = TBarcodeKind(kind);
        e.Text = text;
        const QString problem = BarcodeProblem(e);
        if (reason.isEmpty())
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
        else
            QVERIFY2(problem.contains(reason), qPrintable(problem));
    }

    void vcardLeavesOutEmptyFields_data() {
        QTest::addColumn<QString>("vorname");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("firma");
        QTest::addColumn<QString>("telefon");
        QTest::addColumn<QString>("expected");
        QTest::newRow("name and phone")
            << "Anna" << "Berg" << "" << "0711 12"
            << "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Berg;Anna;;;\r\nFN:Anna Berg\r\n"
               "TEL;TYPE=WORK,VOICE:0711 12\r\nEND:VCARD";
        QTest::newRow("company only, values escaped")
            << "" << "" << "Berg, Tal; Söhne" << ""
            << QString::fromUtf8("BEGIN:VCARD\r\nVERSION:3.0\r\nORG:Berg\\, Tal\\; Söhne;\r\n"
                                 "END:VCARD");
    }
    void vcardLeavesOutEmptyFields() {
        QFETCH(QString, vorname);
        QFETCH(QString, name);
        QFETCH(QString, firma);
        QFETCH(QString, telefon);
        QFETCH(QString, expected);
        TPlaceholderValues values;
        values.AddressFields = address(vorname, name, firma, telefon);
        bool cut = true;
        const QString filled = FillBarcodeContent(SenderVCardTemplate(), values, true, &cut);
        QCOMPARE(filled, expected);
        QVERIFY(!cut);
    }

    // The document's filling fills barcodes too, and an element without placeholders keeps
    // its content.
    void fillingReachesBarcodes() {
        TDocElementBAR* filled = addBarcode(*Document, TBarcodeKind::Code128, QString());
        filled->MacroText = QStringLiteral("<vorname>-<name>");
        TDocElementBAR* plain = addBarcode(*Document, TBarcodeKind::QR, QStringLiteral("fest"));
        AddressFields[19] = QStringLiteral("Ida");
        AddressFields[20] = QStringLiteral("Ost");
        Document->FillPlaceholders(CurrentPlaceholderValues());
        QCOMPARE(filled->Text, QStringLiteral("Ida-Ost"));
        QCOMPARE(plain->Text, QStringLiteral("fest"));
    }

    // Drawn at a module size, the bars of an EAN-13 are 95 modules wide, whatever the box;
    // a turned code is as high as it was wide; zbar reads both.
    void drawnAtItsModuleSize_data() {
        QTest::addColumn<int>("turns");
        QTest::newRow("upright") << 0;
        QTest::newRow("turned") << 1;
    }
    void drawnAtItsModuleSize() {
        QFETCH(int, turns);
        TDocElementBAR e;
        e.Kind = TBarcodeKind::EAN13;
        e.Text = QStringLiteral("4006381333931");
        e.ModuleSize = 0.33;
        e.HumanReadable = false;
        e.QuietZone = false;
        e.Turns = std::uint8_t(turns);
        e.Width = turns ? 30 : 50;
        e.Height = turns ? 50 : 30;
        const double pxPerMm = 600 / 25.4;
        QImage img(int(e.Width * pxPerMm), int(e.Height * pxPerMm), QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            PaintBarcode(p, e, img.rect());
        }
        int l = img.width(), r = -1, t = img.height(), b = -1;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qGray(img.pixel(x, y)) < 128) {
                    l = std::min(l, x);
                    r = std::max(r, x);
                    t = std::min(t, y);
                    b = std::max(b, y);
                }
        const double across = (turns ? b - t + 1 : r - l + 1) / pxPerMm;
        QVERIFY2(std::abs(across - 95 * 0.33) < 0.1, qPrintable(QString::number(across)));
        if (!barcodefix::Available())
            QSKIP("zbarimg fehlt");
        const auto found = barcodefix::Decode(img);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0].data, e.Text);
    }

    // Content that cannot be encoded shows a crossed frame, not an empty box.
    void problemDrawsACrossedFrame() {
        TDocElementBAR e;
        e.Kind = TBarcodeKind::EAN13;
        e.Text = QStringLiteral("12");
        e.Width = 20;
        e.Height = 20;
        QImage img(100, 100, QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            PaintBarcode(p, e, img.rect());
        }
        QVERIFY(img.pixel(50, 50) != qRgb(255, 255, 255));
        QVERIFY(img.pixel(0, 50) != qRgb(255, 255, 255));
        QCOMPARE(img.pixel(50, 20), qRgb(255, 255, 255));
    }
};

QTEST_MAIN(TestBarcode)
#include "tst_barcode.moc"
