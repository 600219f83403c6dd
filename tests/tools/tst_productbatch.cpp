// quillmark-batch with label and card products: --list-products [TEXT], printing with
// --product, its refusals, and the tool without the catalogue installed.

#include "common/labelsheets.h"
#include "common/pdfink.h"
#include "common/toolrun.h"
#include "document/appdocument.h"
#include "ui/globals.h"
#include "qmpaths.h"
#include <QTemporaryDir>
#include <QtTest>

class TestProductBatch : public QObject {
    Q_OBJECT

    static QProcessEnvironment withoutCatalogue() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QM_LABEL_CATALOGUE"), QStringLiteral("/nicht/installiert"));
        return env;
    }

private slots:
    void initTestCase() {
        if (!QFile::exists(QStringLiteral(QM_BIN_DIR "/quillmark-batch")))
            QSKIP("quillmark-batch is not built");
    }
    void init() { ResetGlobals(); }

    void listsProducts_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("installed"); // false: the catalogue is missing
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("says"); // on stdout for 0, on stderr for 1
        QTest::addColumn<int>("minLines");
        QTest::newRow("one part")
            << QStringList{"--list-products", "C32011"} << true << 0
            << QStringLiteral("Avery C32011-10 – Business Cards, 85 x 54 mm, 10 je Bogen (A4)") << 1;
        QTest::newRow("two words") << QStringList{"--list-products", "herma", "4614"} << true << 0
                                   << QStringLiteral("Herma 4614") << 1;
        QTest::newRow("everything") << QStringList{"--list-products"} << true << 0
                                    << QStringLiteral("Zweckform 6015") << 1000;
        QTest::newRow("nothing matches")
            << QStringList{"--list-products", "gibtsnicht"} << true << 1
            << QStringLiteral("Kein Bogen passt zu „gibtsnicht“") << 0;
        QTest::newRow("no catalogue") << QStringList{"--list-products"} << false << 1
                                      << QStringLiteral("keine Bögen installiert") << 0;
    }
    void listsProducts() {
        QFETCH(QStringList, args);
        QFETCH(bool, installed);
        QFETCH(int, code);
        QFETCH(QString, says);
        QFETCH(int, minLines);
        if (installed && !labelsheets::Installed())
            QSKIP("glabels-data is not installed");
        const toolrun::Result r =
            toolrun::Batch(args, installed ? QProcessEnvironment() : withoutCatalogue());
        QCOMPARE(r.code, code);
        if (code == 0) {
            QVERIFY2(r.out.split(QLatin1Char('\n')).contains(says) || r.out.contains(says),
                     qPrintable(r.out.left(2000)));
            QVERIFY(r.out.count(QLatin1Char('\n')) >= minLines);
            QVERIFY(r.err.isEmpty());
        } else {
            QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
            QVERIFY2(r.err.contains(says), qPrintable(r.err));
        }
    }

    void printsWithProduct_data() {
        QTest::addColumn<QString>("product");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("says");
        QTest::newRow("case and blanks ignored") << "avery  c32011-10" << true << 0 << "";
        QTest::newRow("unknown, three closest")
            << "Avery C32011-11" << true << 1 << "am ähnlichsten sind: Avery C32011-10, ";
        QTest::newRow("empty name") << " " << true << 1 << "--list-products";
        QTest::newRow("no catalogue") << "Avery C32011-10" << false << 1 << "keine Bögen installiert";
        QTest::newRow("no catalogue, no product") << "" << false << 0 << "";
    }
    void printsWithProduct() {
        QFETCH(QString, product);
        QFETCH(bool, installed);
        QFETCH(int, code);
        QFETCH(QString, says);
        if (installed && !labelsheets::Installed())
            QSKIP("glabels-data is not installed");
        QTemporaryDir dir;
        TAppDocument doc(false);
        labelsheets::MarkCorners(doc, 85, 54);
        doc.SelectAllCells = true;
        const QString file = dir.filePath(QStringLiteral("karte.qmk"));
        doc.SaveToFile(file);
        const QString pdf = dir.filePath(QStringLiteral("karte.pdf"));
        QStringList args{file, "-o", pdf};
        if (!product.isEmpty())
            args << "--product" << product;
        const toolrun::Result r =
            toolrun::Batch(args, installed ? QProcessEnvironment() : withoutCatalogue());
        QCOMPARE(r.code, code);
        if (code != 0) {
            QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
            QVERIFY2(r.err.contains(says), qPrintable(r.err));
            QVERIFY(!QFile::exists(pdf));
            return;
        }
        QVERIFY(QFile::exists(pdf));
        if (product.isEmpty() || !pdfink::Available())
            return;
        // The last card of the sheet lies on the last label.
        const QList<QImage> pages = pdfink::Pages(pdf);
        QCOMPARE(pages.size(), 1);
        const QRectF label = labelsheets::SheetNamed(QStringLiteral("Avery C32011-10")).Label(1, 4);
        const QRectF ink = pdfink::DarkInkMm(pages[0], label);
        QVERIFY2(std::abs(ink.left() - label.left() - 1) <= 0.2 &&
                     std::abs(ink.bottom() - label.bottom() + 1) <= 0.2,
                 qPrintable(QStringLiteral("%1 %2").arg(ink.left()).arg(ink.bottom())));
    }
};

QTEST_MAIN(TestProductBatch)
#include "tst_productbatch.moc"
