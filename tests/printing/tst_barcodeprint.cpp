// Printed codes read back: a merged card run gives every card the vCard of its own record,
// EAN-13 and Code 128 at their nominal module size decode from the PDF, and what lies below
// the lowest filled element is still drawn once per side.

#include "common/barcodefixtures.h"
#include "common/pdfink.h"
#include "common/printfixtures.h"
#include "document/barcode.h"
#include "printing/printdocument.h"
#include <QSet>
#include <QtTest>

namespace {

QList<TAddressRecord> people(int count) {
    QList<TAddressRecord> list;
    for (int i = 1; i <= count; ++i) {
        TAddressRecord r = NewAddressRecord(QStringLiteral("Adresse %1").arg(i));
        r[AfVorname] = QStringLiteral("Vera%1").arg(i);
        r[AfName] = QString::fromUtf8("Müller-%1").arg(i);
        r[AfFirma1] = QStringLiteral("Kontor %1, Nord").arg(i);
        r[AfStrasse] = QStringLiteral("Hafenweg %1").arg(i);
        r[AfPLZ] = QStringLiteral("2%1").arg(i, 4, 10, QLatin1Char('0'));
        r[AfOrt] = QStringLiteral("Kiel");
        // Every other record without phone and e-mail: those lines must go.
        if (i % 2) {
            r[AfTel] = QStringLiteral("0431 %1").arg(1000 + i);
            r[AfEMail] = QStringLiteral("vera%1@example.org").arg(i);
        }
        list << r;
    }
    return list;
}

QByteArray readAll(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestBarcodePrint : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetGlobals(); }

    void everyMergedCardCarriesItsOwnVCard() {
        if (!pdfink::Available() || !barcodefix::Available())
            QSKIP("pdftoppm oder zbarimg fehlt");
        TAppDocument doc(false);
        doc.PageWidth = 85;
        doc.PageHeight = 55;
        printfix::AddSquare(doc, 0, 0, 0, 8); // below every filled element: drawn once
        auto code = std::make_unique<TDocElementBAR>();
        code->MacroText = SenderVCardTemplate();
        code->Left = 50;
        code->Top = 10;
        code->Width = 32;
        code->Height = 32;
        doc.InsertElement(0, std::move(code));
        printfix::AddCentredText(doc, 45, 0, QStringLiteral("<vorname> <name>"));

        const QList<TAddressRecord> list = people(20);
        QSet<QString> expected;
        for (const TAddressRecord& r : list) {
            TPlaceholderValues v;
            SetAddressFields(v, r);
            expected << FillBarcodeContent(SenderVCardTemplate(), v, false, nullptr);
        }
        QCOMPARE(expected.size(), 20);

        QTemporaryDir dir;
        TPrintJob job;
        job.Merge = true;
        job.Records = list;
        job.AllCells = true;
        job.Dpi = 300;
        job.PdfFile = dir.filePath(QStringLiteral("karten.pdf"));
        const TPdfPrint printed = PrintDocumentJob(doc, job);
        QVERIFY2(printed.Ok, qPrintable(printed.Error));
        QVERIFY2(printed.Notes.isEmpty(), qPrintable(printed.Notes.join('\n')));
        QVERIFY(readAll(printed.Files[0]).count("%%EOF") > 1);

        QSet<QString> decoded;
        for (const QImage& page : pdfink::Pages(printed.Files[0], 300)) {
            for (const auto& d : barcodefix::Decode(page)) {
                QCOMPARE(d.type, QStringLiteral("QR-Code"));
                QVERIFY2(expected.contains(d.data), qPrintable(d.data));
                decoded << d.data;
            }
        }
        QCOMPARE(decoded, expected);
        // The odd records' vCards have the phone, the even ones no TEL line at all.
        for (const QString& v : decoded)
            QCOMPARE(v.contains(QStringLiteral("TEL;")), v.contains(QStringLiteral("@example")));
    }

    void linearCodesAtNominalSize_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("data");
        QTest::newRow("EAN-13") << int(TBarcodeKind::EAN13) << "400638133393" << "EAN-13"
                                << "4006381333931";
        QTest::newRow("Code 128") << int(TBarcodeKind::Code128) << "QM-2026/0815" << "CODE-128"
                                  << "QM-2026/0815";
    }
    void linearCodesAtNominalSize() {
        QFETCH(int, kind);
        QFETCH(QString, content);
        QFETCH(QString, type);
        QFETCH(QString, data);
        if (!pdfink::Available() || !barcodefix::Available())
            QSKIP("pdftoppm oder zbarimg fehlt");
        TAppDocument doc(false);
        auto code = std::make_unique<TDocElementBAR>();
        code->Kind = TBarcodeKind(kind);
        code->Text = content;
        code->ModuleSize = 0.33;
        code->Left = 20;
        code->Top = 20;
        code->Width = 60;
        code->Height = 26;
        doc.InsertElement(0, std::move(code));
        QTemporaryDir dir;
        TPrintJob job;
        job.Dpi = 300;
        job.PdfFile = dir.filePath(QStringLiteral("code.pdf"));
        const TPdfPrint printed = PrintDocumentJob(doc, job);
        QVERIFY2(printed.Ok, qPrintable(printed.Error));
        const QList<QImage> pages = pdfink::Pages(printed.Files[0], 300);
        QCOMPARE(pages.size(), 1);
        const auto found = barcodefix::Decode(pages[0]);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found[0].type, type);
        QCOMPARE(found[0].data, data);
    }

    // A record whose content a code cannot hold is named with its cell; the run goes on.
    void cellThatCannotBeEncodedIsNamed() {
        TAppDocument doc(false);
        doc.PageWidth = 85;
        doc.PageHeight = 55;
        auto code = std::make_unique<TDocElementBAR>();
        code->Kind = TBarcodeKind::EAN13;
        code->MacroText = QStringLiteral("<plz>");
        code->Width = 40;
        code->Height = 20;
        doc.InsertElement(0, std::move(code));
        QList<TAddressRecord> list = people(3);
        list[1][AfPLZ] = QStringLiteral("400638133393"); // the only one that fits
        QTemporaryDir dir;
        TPrintJob job;
        job.Merge = true;
        job.Records = list;
        job.AllCells = true;
        job.Dpi = 150;
        job.PdfFile = dir.filePath(QStringLiteral("ean.pdf"));
        const TPdfPrint printed = PrintDocumentJob(doc, job);
        QVERIFY2(printed.Ok, qPrintable(printed.Error));
        QCOMPARE(printed.Notes.size(), 2);
        QVERIFY2(printed.Notes[0].startsWith(QStringLiteral("Blatt 1, Zelle 1 (Adresse 1): EAN-13")),
                 qPrintable(printed.Notes[0]));
        QVERIFY2(printed.Notes[1].startsWith(QStringLiteral("Blatt 1, Zelle 3 (Adresse 3)")),
                 qPrintable(printed.Notes[1]));
    }
};

QTEST_MAIN(TestBarcodePrint)
#include "tst_barcodeprint.moc"
