// quillmark-batch --calibration: the two pages it writes, the offsets it applies and its
// German refusals.

#include "common/pdfink.h"
#include "common/toolrun.h"
#include "qmpaths.h"
#include <QProcess>
#include "printing/calibrationsheet.h"
#include <QTemporaryDir>
#include <QtTest>

class TestCalibrationBatch : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!pdfink::Available())
            QSKIP("pdftoppm and pdftotext (poppler-utils) are not installed");
    }

    void writesFrontThenBackWithTheOffsets() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("blatt.pdf"));
        const toolrun::Result r =
            toolrun::Batch({QStringLiteral("--calibration"), QStringLiteral("-o"), file,
                            QStringLiteral("--offset-front"), QStringLiteral("3,0"),
                            QStringLiteral("--offset-back"), QStringLiteral("0,-2")});
        QCOMPARE(r.code, 0);
        QVERIFY(r.err.isEmpty());
        QCOMPARE(r.out.trimmed(), file);
        const QList<QImage> pages = pdfink::Pages(file);
        QCOMPARE(pages.size(), 2);
        // Front: the top scale's zero line 3 mm right of where it belongs.
        const double z = CalibrationZero;
        const QRectF front = pdfink::DarkInkMm(pages[0], QRectF(z - 9, 19.5, 23, 5.5));
        QVERIFY(std::abs(front.center().x() - (z + 3)) < 0.3);
        // Back: the left scale's zero line (at the right edge) 2 mm up.
        const QRectF back = pdfink::DarkInkMm(pages[1], QRectF(185, z - 10, 5.5, 24));
        QVERIFY2(std::abs(back.center().y() - (z - 2)) < 0.3,
                 qPrintable(QString::number(back.center().y())));
        QVERIFY(pdfink::Text(file).contains(QStringLiteral("Rückseite")));
    }

    void refusesInGerman_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("no output") << QStringList{QStringLiteral("--calibration")}
                                   << QStringLiteral("braucht eine Ausgabedatei");
        QTest::newRow("one number")
            << QStringList{QStringLiteral("--calibration"), QStringLiteral("-o"),
                           QStringLiteral("x.pdf"), QStringLiteral("--offset-front"),
                           QStringLiteral("3")}
            << QStringLiteral("--offset-front erwartet zwei ganze Zahlen");
        QTest::newRow("out of range")
            << QStringList{QStringLiteral("--calibration"), QStringLiteral("-o"),
                           QStringLiteral("x.pdf"), QStringLiteral("--offset-back"),
                           QStringLiteral("0,26")}
            << QStringLiteral("reicht von -25 bis 25 mm");
        QTest::newRow("document") << QStringList{QStringLiteral("--calibration"),
                                                 QStringLiteral("karte.qmk"), QStringLiteral("-o"),
                                                 QStringLiteral("x.pdf")}
                                  << QStringLiteral("nimmt kein Dokument");
        QTest::newRow("unwritable")
            << QStringList{QStringLiteral("--calibration"), QStringLiteral("-o"),
                           QStringLiteral("/nonexistent/dir/x.pdf")}
            << QStringLiteral("x.pdf");
    }

    void refusesInGerman() {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const toolrun::Result r = toolrun::Batch(args);
        QCOMPARE(r.code, 1);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(r.err.startsWith(QStringLiteral("quillmark-batch: ")), qPrintable(r.err));
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
    }

    void helpNamesTheTaskAndSharesTheOutputOption() {
        const toolrun::Result r = toolrun::Batch({QStringLiteral("--help")});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains(QStringLiteral("--calibration -o AUSGABE.pdf")));
        QVERIFY(r.out.contains(QStringLiteral("--offset-back H,V")));
        QCOMPARE(r.out.count(QStringLiteral("  -o, --output")), 1);
    }
};

QTEST_MAIN(TestCalibrationBatch)
#include "tst_calibrationbatch.moc"
