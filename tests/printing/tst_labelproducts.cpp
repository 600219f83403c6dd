// Label and card products: reading the catalogue (units, look-alike parts, what is left out),
// finding products by name, storing the product with the document, and printing on five real
// products of the installed catalogue, measured in the rendered PDF.

#include "common/labelsheets.h"
#include "common/pdfink.h"
#include "common/printfixtures.h"
#include "document/appdocument.h"
#include "ui/globals.h"
#include "printing/labelproducts.h"
#include "printing/printdocument.h"
#include "printing/printlayout.h"
#include "qmpaths.h"
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using labelsheets::Sheet;

class TestLabelProducts : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetGlobals(); }

    // How a catalogue's template becomes a product, or is left out.
    void readsTemplates_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("name");   // empty: left out
        QTest::addColumn<QRectF>("first");   // first label, mm
        QTest::addColumn<QSizeF>("pitch");   // dx, dy
        QTest::addColumn<QSize>("grid");
        QTest::addColumn<QSizeF>("paper");

        const QByteArray rect =
            "<Template brand=\"Acme\" part=\"R 1\" size=\"A4\" _description=\"Cards\">"
            "<Meta category=\"card\"/><Label-rectangle id=\"0\" width=\"85mm\" height=\"54mm\" "
            "round=\"0mm\"><Markup-margin size=\"1mm\"/><Layout nx=\"2\" ny=\"5\" x0=\"15mm\" "
            "y0=\"13.5mm\" dx=\"95mm\" dy=\"54mm\"/></Label-rectangle></Template>";
        QTest::newRow("millimetres") << rect << "Acme R 1" << QRectF(15, 13.5, 85, 54)
                                     << QSizeF(95, 54) << QSize(2, 5) << QSizeF(210, 297);
        QTest::newRow("inches on US Letter")
            << QByteArray("<Template brand=\"Acme\" part=\"L\" size=\"US-Letter\"><Label-rectangle"
                          " id=\"0\" width=\"2.625in\" height=\"1in\"><Layout nx=\"3\" ny=\"10\" "
                          "x0=\"0.1875in\" y0=\"0.5in\" dx=\"2.75in\" dy=\"1in\"/>"
                          "</Label-rectangle></Template>")
            << "Acme L" << QRectF(4.7625, 12.7, 66.675, 25.4) << QSizeF(69.85, 25.4)
            << QSize(3, 10) << QSizeF(215.9, 279.4);
        // A bare number is a length in points; a CD is placed as its bounding square.
        QTest::newRow("CD in bare points")
            << QByteArray("<Template brand=\"Acme\" part=\"CD\" size=\"A4\"><Label-cd id=\"0\" "
                          "radius=\"165.827\" hole=\"58\"><Layout nx=\"1\" ny=\"2\" x0=\"131.811\""
                          " y0=\"60.746\" dx=\"0\" dy=\"388.346\"/></Label-cd></Template>")
            << "Acme CD"
            << QRectF(131.811 * labelsheets::Pt, 60.746 * labelsheets::Pt,
                      331.654 * labelsheets::Pt, 331.654 * labelsheets::Pt)
            << QSizeF(0, 388.346 * labelsheets::Pt) << QSize(1, 2) << QSizeF(210, 297);
        QTest::newRow("own paper in cm, landscape")
            << QByteArray("<Template brand=\"Acme\" part=\"W\" size=\"Other\" width=\"32.3cm\" "
                          "height=\"222.25mm\"><Label-round id=\"0\" radius=\"16mm\"><Layout "
                          "nx=\"9\" ny=\"6\" x0=\"6mm\" y0=\"10mm\" dx=\"34.375mm\" "
                          "dy=\"34.85mm\"/></Label-round></Template>")
            << "Acme W" << QRectF(6, 10, 32, 32) << QSizeF(34.375, 34.85) << QSize(9, 6)
            << QSizeF(323, 222.25);
        // A look-alike part takes the geometry of the part it names, whatever comes first.
        QTest::newRow("look-alike part")
            << QByteArray("<Template brand=\"Acme\" part=\"R 2\" equiv=\"R 1\"/>") + rect
            << "Acme R 2" << QRectF(15, 13.5, 85, 54) << QSizeF(95, 54) << QSize(2, 5)
            << QSizeF(210, 297);
        QTest::newRow("two layouts are left out")
            << QByteArray("<Template brand=\"Acme\" part=\"Two\" size=\"A4\"><Label-rectangle "
                          "id=\"0\" width=\"50mm\" height=\"20mm\"><Layout nx=\"1\" ny=\"2\" "
                          "x0=\"0\" y0=\"0\" dx=\"0\" dy=\"30mm\"/><Layout nx=\"2\" ny=\"1\" "
                          "x0=\"60mm\" y0=\"0\" dx=\"60mm\" dy=\"0\"/></Label-rectangle></Template>")
            << "" << QRectF() << QSizeF() << QSize() << QSizeF();
        QTest::newRow("ellipse is left out")
            << QByteArray("<Template brand=\"Acme\" part=\"E\" size=\"A4\"><Label-ellipse "
                          "id=\"0\" width=\"50mm\" height=\"20mm\"><Layout nx=\"1\" ny=\"1\" "
                          "x0=\"0\" y0=\"0\" dx=\"0\" dy=\"0\"/></Label-ellipse></Template>")
            << "" << QRectF() << QSizeF() << QSize() << QSizeF();
        QTest::newRow("overlapping labels are left out")
            << QByteArray("<Template brand=\"Acme\" part=\"O\" size=\"A4\"><Label-rectangle "
                          "id=\"0\" width=\"50mm\" height=\"20mm\"><Layout nx=\"3\" ny=\"1\" "
                          "x0=\"0\" y0=\"0\" dx=\"40mm\" dy=\"0\"/></Label-rectangle></Template>")
            << "" << QRectF() << QSizeF() << QSize() << QSizeF();
    }
    void readsTemplates() {
        QFETCH(QByteArray, xml);
        QFETCH(QString, name);
        QFETCH(QRectF, first);
        QFETCH(QSizeF, pitch);
        QFETCH(QSize, grid);
        QFETCH(QSizeF, paper);
        QTemporaryDir dir;
        TLabelCatalogue c;
        c.Load(labelsheets::WriteCatalogue(dir.filePath(QStringLiteral("t")), xml));
        if (name.isEmpty()) {
            QVERIFY(c.IsEmpty());
            QVERIFY(c.Skipped() > 0);
            return;
        }
        const TLabelProduct* p = c.Find(name);
        QVERIFY2(p, qPrintable(name));
        auto near = [](double a, double b) { return std::abs(a - b) < 0.001; };
        const QRectF r = p->LabelRect(0, 0);
        QVERIFY2(near(r.left(), first.left()) && near(r.top(), first.top()) &&
                     near(r.width(), first.width()) && near(r.height(), first.height()),
                 qPrintable(QStringLiteral("%1 %2 %3 %4")
                                .arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height())));
        QVERIFY(near(p->Dx, pitch.width()) && near(p->Dy, pitch.height()));
        QCOMPARE(QSize(p->Columns, p->Rows), grid);
        QVERIFY2(near(p->Paper.width(), paper.width()) && near(p->Paper.height(), paper.height()),
                 qPrintable(QStringLiteral("%1 x %2").arg(p->Paper.width()).arg(p->Paper.height())));
    }

    // Names as people type them; unknown ones get the closest three.
    void findsByName_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("found"); // empty: none
        QTest::newRow("as written") << "Avery C32011-10" << "Avery C32011-10";
        QTest::newRow("case and blanks") << "  avery  c32011-10 " << "Avery C32011-10";
        QTest::newRow("blank inside the part") << "Sigel LP795" << "Sigel LP 795";
        QTest::newRow("part alone is not a name") << "C32011-10" << "";
        QTest::newRow("empty") << "" << "";
    }
    void findsByName() {
        if (!labelsheets::Installed())
            QSKIP("glabels-data is not installed");
        QFETCH(QString, typed);
        QFETCH(QString, found);
        const TLabelProduct* p = TLabelCatalogue::Installed().Find(typed);
        QCOMPARE(p ? p->Name() : QString(), found);
    }

    void closestNames() {
        if (!labelsheets::Installed())
            QSKIP("glabels-data is not installed");
        const QStringList near = TLabelCatalogue::Installed().Closest(QStringLiteral("Avery C32011-1"));
        QCOMPARE(near.size(), 3);
        QCOMPARE(near.first(), QStringLiteral("Avery C32011-10"));
    }

    // Typing a part, a description or a size finds the product.
    void searches_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("part") << "C32011" << "Avery C32011-10";
        QTest::newRow("description and maker") << "business avery" << "Avery C32011-10";
        QTest::newRow("size with x") << "85 x 54" << "Avery C32011-10";
        QTest::newRow("German kind") << "Visitenkarten C32011" << "Avery C32011-10";
        QTest::newRow("size without blanks") << "85x54 avery" << "Avery C32011-10";
        QTest::newRow("size with times sign") << QStringLiteral("85 × 54") << "Avery C32011-10";
    }
    void searches() {
        if (!labelsheets::Installed())
            QSKIP("glabels-data is not installed");
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QStringList names;
        for (const TLabelProduct* p : TLabelCatalogue::Installed().Search(text))
            names << p->Name();
        QVERIFY2(names.contains(expected), qPrintable(names.mid(0, 10).join(", ")));
        // A size is matched whole: 48.5 x 25.4 mm labels are no 85 x 54 cards.
        for (const TLabelProduct* p : TLabelCatalogue::Installed().Search(text))
            QVERIFY2(!text.contains(QLatin1String("85")) || p->Summary().contains(QLatin1String("85 x 54")),
                     qPrintable(p->Summary()));
    }

    // The product is one more header line; without it the file keeps its bytes.
    void productIsStoredWithTheDocument_data() {
        QTest::addColumn<QString>("product");
        QTest::newRow("none") << QString();
        QTest::newRow("catalogue") << "Avery C32011-10";
        QTest::newRow("own sheet with umlaut") << QStringLiteral("Bögen für Öl");
    }
    void productIsStoredWithTheDocument() {
        QFETCH(QString, product);
        TAppDocument doc(false);
        doc.PrintProduct = product;
        printfix::AddSquare(doc, 5, 5, 0);
        const QByteArray bytes = doc.SaveToBytes();
        QCOMPARE(bytes.contains("# BOG="), !product.isEmpty());
        TAppDocument back(false);
        back.LoadFromBytes(bytes);
        QCOMPARE(back.PrintProduct, product);
        QCOMPARE(back.SaveToBytes(), bytes);
    }

    // Every cell's content lies on its label of the product, within 0.2 mm, on the paper of
    // the product; a sheet of another size than the label is centred on it.
    void printsOnTheLabels_data() {
        QTest::addColumn<QString>("product");
        QTest::addColumn<QSizeF>("document"); // empty: the label's size
        for (const Sheet& s : labelsheets::FiveSheets())
            QTest::newRow(qPrintable(s.name)) << s.name << QSizeF();
        QTest::newRow("85 x 55 card on 85 x 54 labels")
            << QStringLiteral("Avery C32011-10") << QSizeF(85, 55);
        QTest::newRow("smaller sheet on CD labels")
            << QStringLiteral("Zweckform 6015") << QSizeF(100, 110);
    }
    void printsOnTheLabels() {
        if (!labelsheets::Installed() || !pdfink::Available())
            QSKIP("glabels-data or poppler-utils is not installed");
        QFETCH(QString, product);
        QFETCH(QSizeF, document);
        const Sheet sheet = labelsheets::SheetNamed(product);
        const QSizeF size = document.isEmpty() ? sheet.label : document;
        TAppDocument doc(false);
        labelsheets::MarkCorners(doc, size.width(), size.height());
        QTemporaryDir dir;
        TPrintJob job;
        job.PdfFile = dir.filePath(QStringLiteral("bogen.pdf"));
        job.Dpi = 600;
        job.AllCells = true;
        job.Product = product;
        const TPdfPrint result = PrintDocumentJob(doc, job);
        QVERIFY2(result.Ok, qPrintable(result.Error));
        const QList<QImage> pages = pdfink::Pages(job.PdfFile);
        QCOMPARE(pages.size(), 1);
        const QRectF page = pdfink::WholePage(pages[0]);
        QVERIFY2(std::abs(page.width() - sheet.paper.width()) < 0.5 &&
                     std::abs(page.height() - sheet.paper.height()) < 0.5,
                 qPrintable(QStringLiteral("page %1 x %2").arg(page.width()).arg(page.height())));
        const double cx = (sheet.label.width() - size.width()) / 2;
        const double cy = (sheet.label.height() - size.height()) / 2;
        for (int col = 0; col < sheet.columns; ++col) {
            for (int row = 0; row < sheet.rows; ++row) {
                const QRectF label = sheet.Label(col, row);
                const QRectF expected(label.left() + cx + 1, label.top() + cy + 1,
                                      size.width() - 2, size.height() - 2);
                const QRectF ink = pdfink::DarkInkMm(pages[0], expected.adjusted(-0.8, -0.8, 0.8, 0.8));
                const QString where = QStringLiteral("label %1,%2: ink %3 %4 %5 %6, expected %7 %8 %9 %10")
                                          .arg(col).arg(row)
                                          .arg(ink.left()).arg(ink.top()).arg(ink.right()).arg(ink.bottom())
                                          .arg(expected.left()).arg(expected.top())
                                          .arg(expected.right()).arg(expected.bottom());
                QVERIFY2(!ink.isEmpty(), qPrintable(where));
                QVERIFY2(std::abs(ink.left() - expected.left()) <= 0.2 &&
                             std::abs(ink.top() - expected.top()) <= 0.2 &&
                             std::abs(ink.right() - expected.right()) <= 0.2 &&
                             std::abs(ink.bottom() - expected.bottom()) <= 0.2,
                         qPrintable(where));
            }
        }
    }

    // A document more than 2 mm larger than the label is refused for that product; an
    // unknown product names the closest ones.
    void refusesWhatCannotGoOnTheLabels_data() {
        QTest::addColumn<QString>("product");
        QTest::addColumn<QSizeF>("document");
        QTest::addColumn<QString>("said");
        QTest::newRow("2.5 mm too wide") << "Avery C32011-10" << QSizeF(87.5, 54) << "größer";
        QTest::newRow("A4 on cards") << "Avery C32011-10" << QSizeF(210, 297) << "größer";
        QTest::newRow("unknown") << "Avery C32011-1" << QSizeF(85, 54) << "Avery C32011-10";
    }
    void refusesWhatCannotGoOnTheLabels() {
        if (!labelsheets::Installed())
            QSKIP("glabels-data is not installed");
        QFETCH(QString, product);
        QFETCH(QSizeF, document);
        QFETCH(QString, said);
        TAppDocument doc(false);
        labelsheets::MarkCorners(doc, document.width(), document.height());
        QTemporaryDir dir;
        TPrintJob job;
        job.PdfFile = dir.filePath(QStringLiteral("bogen.pdf"));
        job.Product = product;
        const TPdfPrint result = PrintDocumentJob(doc, job);
        QVERIFY(!result.Ok);
        QVERIFY2(result.Error.contains(said), qPrintable(result.Error));
        QVERIFY(!QFile::exists(job.PdfFile));
    }

    // The bundled cards and CD labels name a product of the catalogue whose labels they fit.
    void bundledTemplatesNameAProduct_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("product");
        for (int i = 1; i <= 8; ++i)
            QTest::newRow(qPrintable(QStringLiteral("karte_%1").arg(i)))
                << QStringLiteral(QM_SOURCE_DIR "/data/Template/Visitenkarten/karte_%1.qmk").arg(i)
                << "Hama 50400";
        for (const char* colour : {"blau", "rot"})
            QTest::newRow(colour)
                << QStringLiteral(QM_SOURCE_DIR "/data/Template/CD/cd_etikett_%1.qmk").arg(colour)
                << "Avery L7676";
    }
    void bundledTemplatesNameAProduct() {
        QFETCH(QString, file);
        QFETCH(QString, product);
        TAppDocument doc(false);
        doc.LoadFromFile(file);
        QCOMPARE(doc.PrintProduct, product);
        if (!labelsheets::Installed())
            QSKIP("glabels-data is not installed");
        const TLabelProduct* p = TLabelCatalogue::Installed().Find(product);
        QVERIFY(p);
        QVERIFY(std::abs(p->Label.width() - doc.PageWidth) < 0.05);
        QVERIFY(std::abs(p->Label.height() - doc.PageHeight) < 0.05);
        // The stored margins give the same cells without the catalogue.
        TAppDocument free(false);
        free.CopyFrom(doc);
        free.PrintProduct.clear();
        TPrintLayout byProduct, byMargins;
        byProduct.Adjust(TPrinterInfo::PdfA4(false), doc);
        byMargins.Adjust(TPrinterInfo::PdfA4(false), free);
        QCOMPARE(byMargins.Cells.size(), byProduct.Cells.size());
        for (size_t i = 0; i < byProduct.Cells.size(); ++i) {
            QVERIFY(std::abs(byProduct.Cells[i].Left - byMargins.Cells[i].Left) < 0.01);
            QVERIFY(std::abs(byProduct.Cells[i].Top - byMargins.Cells[i].Top) < 0.01);
        }
    }

    // Own sheets keep paper, margins and distances in the settings, and go again.
    void ownSheetsInTheSettings() {
        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("reg.ini")), QSettings::IniFormat);
        TAppDocument doc(false);
        doc.PrintMarginLeft = 7.5;
        doc.PrintMarginTop = 11;
        doc.PrintDistHor = 2.25;
        doc.PrintDistVer = 0;
        SaveOwnProduct(settings, OwnProductFrom(doc, QStringLiteral(" Mein  Bogen "), QSizeF(210, 297)));
        SaveOwnProduct(settings, OwnProductFrom(doc, QStringLiteral("Anderer"), QSizeF(216, 279)));
        QList<TLabelProduct> own = OwnProducts(settings);
        QCOMPARE(own.size(), 2);
        QCOMPARE(own[1].Part, QStringLiteral("Mein  Bogen"));
        TAppDocument other(false);
        ApplyProduct(other, own[1]);
        QCOMPARE(other.PrintMarginLeft, 7.5);
        QCOMPARE(other.PrintMarginTop, 11.0);
        QCOMPARE(other.PrintDistHor, 2.25);
        QCOMPARE(other.PrintProduct, QStringLiteral("Mein  Bogen"));
        DeleteOwnProduct(settings, QStringLiteral("mein bogen"));
        own = OwnProducts(settings);
        QCOMPARE(own.size(), 1);
        QCOMPARE(own[0].Part, QStringLiteral("Anderer"));
    }
};

QTEST_MAIN(TestLabelProducts)
#include "tst_labelproducts.moc"
