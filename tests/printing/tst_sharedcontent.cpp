// Merged sheets that share what every cell has in common: the elements below the lowest
// placeholder text are drawn once per side and every full sheet shows them beneath its own
// drawing. The pages must look exactly as when every sheet is drawn whole, in every back-side
// mode, with copies, a partly filled last sheet and a first cell; a PDF update that fails
// leaves the file as it was, and the run then draws its sheets whole.

#include "printworkspace/qprintertarget.h"
#include "qmpaths.h"
#include "common/pdfink.h"
#include "document/appdocument.h"
#include "document/docelement.h"
#include "ui/globals.h"
#include "metafile/emfpaintdevice.h"
#include "addresses/addressrecords.h"
#include "printing/pdfpagerepeat.h"
#include "printing/pdfsharedcontent.h"
#include "printing/printdocument.h"
#include "printing/printeroutput.h"
#include "printing/printmerge.h"
#include "printing/printrun.h"
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Card = QStringLiteral(QM_DATA_DIR "/Template/Visitenkarten/karte_1.qmk");

QList<TAddressRecord> records(int count) {
    QList<TAddressRecord> list;
    for (int i = 1; i <= count; ++i) {
        TAddressRecord r = NewAddressRecord(QStringLiteral("Adresse %1").arg(i));
        r[AfVorname] = QStringLiteral("Vorname");
        r[AfName] = QStringLiteral("Pers%1").arg(i, 2, 10, QLatin1Char('0'));
        r[AfFirma1] = QStringLiteral("Firm%1").arg(i, 2, 10, QLatin1Char('0'));
        list << r;
    }
    return list;
}

// The pages at a low resolution, enough to see any element out of place.
QList<QImage> render(const QString& pdf, int dpi = 60) {
    return pdfink::Pages(pdf, dpi);
}

// Pixels that differ between two renderings of the same size.
int differing(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return a.width() * a.height() + 1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
        const QRgb* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const QRgb* rb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            n += ra[x] != rb[x] ? 1 : 0;
    }
    return n;
}

// Two PDFs show the same pages, and pages with ink.
void compareRendered(const QString& shared, const QString& whole) {
    const QList<QImage> a = render(shared), b = render(whole);
    QVERIFY(!b.isEmpty());
    QCOMPARE(a.size(), b.size());
    for (int i = 0; i < a.size(); ++i) {
        QVERIFY2(differing(a[i], b[i]) == 0,
                 qPrintable(QStringLiteral("Seite %1: %2 Pixel anders")
                                .arg(i + 1)
                                .arg(differing(a[i], b[i]))));
        QVERIFY(a[i] != QImage(a[i].size(), a[i].format()));
    }
}

qint64 fileSize(const QString& file) {
    return QFileInfo(file).size();
}

QByteArray readAll(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TMetafile square(const QColor& colour) {
    TMetafile mf;
    TEmfPaintDevice dev(mf, QSize(100, 100));
    {
        QPainter p(&dev);
        p.fillRect(0, 0, 100, 100, colour);
    }
    dev.Close();
    return mf;
}

// A PDF of three pages: the first holds a translucent circle, a red square under a
// transform and a clip, the others a word each; drawn alone or all on every page.
void drawPages(const QString& file, bool commonOnEveryPage) {
    QPrinter printer(QPrinter::HighResolution);
    SetupPdfPrinter(printer, false);
    printer.setResolution(600);
    printer.setOutputFileName(file);
    QPainter p(&printer);
    const auto common = [&p] {
        p.save();
        p.translate(300, 500);
        p.setClipRect(0, 0, 900, 900);
        p.fillRect(200, 200, 1200, 1200, Qt::red);
        QPainterPath circle;
        circle.addEllipse(0, 0, 800, 800);
        p.fillPath(circle, QColor(0, 0, 255, 128));
        p.restore();
    };
    if (!commonOnEveryPage) {
        common();
        printer.newPage();
    }
    const QStringList words = {QStringLiteral("Eins"), QStringLiteral("Zwei")};
    for (int i = 0; i < words.size(); ++i) {
        if (i > 0)
            printer.newPage();
        if (commonOnEveryPage)
            common();
        p.setFont(QFont(QStringLiteral("Arial"), 40));
        p.drawText(400, 800, words[i]);
    }
}

// Stands for a file that cannot take the shared page: the first job of LoseSide that has a
// common page is discarded and reported lost, as the output does when its update fails.
class TLosingOutput : public TPrinterOutput {
public:
    using TPrinterOutput::TPrinterOutput;
    int LoseSide = 0;
    int Losses = 1;

    bool BeginCommonPage() override {
        m_common = TPrinterOutput::BeginCommonPage();
        return m_common;
    }
    bool EndJob(int side, bool aborted) override {
        const bool lose = side == LoseSide && m_common && Losses > 0 && !aborted;
        m_common = false;
        if (lose) {
            --Losses;
            TPrinterOutput::EndJob(side, true);
            m_lost = side;
            m_error = QStringLiteral("verloren");
            return false;
        }
        m_lost = -1;
        return TPrinterOutput::EndJob(side, aborted);
    }
    int SideLostBySharing() const override { return m_lost; }

private:
    bool m_common = false;
    int m_lost = -1;
};

} // namespace

class TestSharedContent : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!pdfink::Available())
            QSKIP("pdftoppm and pdftotext (poppler-utils) are not installed");
        QVERIFY(QFile::exists(Card));
    }
    void init() { ResetGlobals(); }

    // What a side shares: the elements below its lowest placeholder text.
    void commonSplit() {
        TAppDocument doc(false);
        QVERIFY(!TPrintRun::CommonSplit(doc, 0));
        doc.AddGraphic(square(Qt::black), 0, nullptr); // bottom
        TDocElementTXT* name = doc.AddText(QStringLiteral("x"));
        doc.AddGraphic(square(Qt::green), 0, nullptr); // top
        // Without placeholders nothing is shared: every sheet is the same anyway.
        QVERIFY(!TPrintRun::CommonSplit(doc, 0));
        name->MacroText = QStringLiteral("<name>");
        QCOMPARE(TPrintRun::CommonSplit(doc, 0), std::optional<int>(1));
        // A side without placeholders shares all of its elements, an empty one nothing.
        doc.Element(2)->Side = 1;
        QVERIFY(!TPrintRun::CommonSplit(doc, 0));
        QCOMPARE(TPrintRun::CommonSplit(doc, 1), std::optional<int>(-1));
        doc.Element(2)->Side = 0;
        QVERIFY(!TPrintRun::CommonSplit(doc, 1));
        // Two placeholder texts: the lower one splits.
        auto* second = doc.AddText(QStringLiteral("y"));
        second->MacroText = QStringLiteral("<ort>");
        doc.InsertElement(2, doc.TakeElement(0)); // between the square and the first text
        QCOMPARE(TPrintRun::CommonSplit(doc, 0), std::optional<int>(2));
        // The lowest element carries a placeholder: nothing lies below it.
        doc.InsertElement(0, doc.TakeElement(3));
        QCOMPARE(doc.Element(3), second);
        QVERIFY(!TPrintRun::CommonSplit(doc, 0));
    }

    // The update gives each page the common page's drawing beneath its own, and the graphics
    // state of the common drawing (transform, clip, colour) does not reach the page's own.
    void pdfPagesShowTheCommonPage() {
        QTemporaryDir dir;
        const QString shared = dir.filePath(QStringLiteral("geteilt.pdf"));
        const QString whole = dir.filePath(QStringLiteral("ganz.pdf"));
        drawPages(shared, false);
        drawPages(whole, true);
        QByteArray pdf = readAll(shared);
        const QByteArray before = pdf;
        QString error;
        QVERIFY2(ShareBaseContents(pdf, {-1, 0, 0}, &error), qPrintable(error));
        // Written as an update: the file as it was comes first, byte for byte.
        QVERIFY(pdf.startsWith(before));
        QVERIFY2(ArrangePdfPages(pdf, {1, 2}, &error), qPrintable(error));
        QFile f(shared);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(pdf);
        f.close();
        compareRendered(shared, whole);
        QCOMPARE(pdfink::Text(shared).simplified(), QStringLiteral("Eins Zwei"));
    }

    // A file that is not as expected is left as it was.
    void pdfUpdateRefusesWhatItCannotRead() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("geteilt.pdf"));
        drawPages(file, false);
        const QByteArray good = readAll(file);
        QString error;
        QByteArray pdf = good.left(good.lastIndexOf("startxref"));
        const QByteArray cut = pdf;
        QVERIFY(!ShareBaseContents(pdf, {-1, 0, 0}, &error));
        QCOMPARE(pdf, cut);
        QVERIFY(!error.isEmpty());
        // Wrong page count, a page on itself, a chain of common pages.
        for (const std::vector<int>& base :
             {std::vector<int>{-1, 0}, std::vector<int>{-1, 1, 0}, std::vector<int>{-1, 0, 1}}) {
            pdf = good;
            QVERIFY(!ShareBaseContents(pdf, base, &error));
            QCOMPARE(pdf, good);
        }
        // The common page's resources give a name of the sheets' another meaning (one digit
        // changed, so the file's directory stays right).
        pdf = good;
        const qsizetype gs = pdf.indexOf("/GSa ");
        const qsizetype gsEnd = pdf.indexOf('\n', gs);
        const QByteArray ref = pdf.mid(gs + 5, gsEnd - gs - 5); // "4 0 R"
        QByteArray other = ref;
        other[0] = other[0] == '4' ? '5' : '4';
        pdf.replace(gs + 5, ref.size(), other);
        const QByteArray changed = pdf;
        QVERIFY(!ShareBaseContents(pdf, {-1, 0, 0}, &error));
        QCOMPARE(pdf, changed);
        QVERIFY2(error.contains(QStringLiteral("/GSa")), qPrintable(error));
    }

    // 23 records on the ten-up card, both sides after each other: two full sheets share,
    // the third (three cells) is drawn whole; the pages look as without sharing, and the
    // file saves most of what the two full sheets' common elements took.
    void mergedSheetsLookAsBefore() {
        QTemporaryDir dir;
        TAppDocument doc(false);
        doc.LoadFromFile(Card);
        QVERIFY(TPrintRun::CommonSplit(doc, 0) || TPrintRun::CommonSplit(doc, 1));
        TPrintJob job;
        job.Merge = true;
        job.Records = records(23);
        job.AllCells = true;
        job.Dpi = 600;
        job.Back = TPrinterOutput::BackPages::After;
        job.PdfFile = dir.filePath(QStringLiteral("geteilt.pdf"));
        const TPdfPrint shared = PrintDocumentJob(doc, job);
        QVERIFY2(shared.Ok, qPrintable(shared.Error));
        job.ShareCommon = false;
        job.PdfFile = dir.filePath(QStringLiteral("ganz.pdf"));
        const TPdfPrint whole = PrintDocumentJob(doc, job);
        QVERIFY2(whole.Ok, qPrintable(whole.Error));
        QCOMPARE(shared.Sheets, 6);
        compareRendered(dir.filePath(QStringLiteral("geteilt.pdf")), job.PdfFile);
        const QString text = pdfink::Text(dir.filePath(QStringLiteral("geteilt.pdf")));
        for (int i = 1; i <= 23; ++i) {
            QCOMPARE(text.count(QStringLiteral("Pers%1").arg(i, 2, 10, QLatin1Char('0'))), 1);
            // The company is on both sides.
            QCOMPARE(text.count(QStringLiteral("Firm%1").arg(i, 2, 10, QLatin1Char('0'))), 2);
        }
        QVERIFY2(fileSize(dir.filePath(QStringLiteral("geteilt.pdf"))) * 10 <
                     fileSize(job.PdfFile) * 8,
                 qPrintable(QStringLiteral("%1 : %2")
                                .arg(fileSize(dir.filePath(QStringLiteral("geteilt.pdf"))))
                                .arg(fileSize(job.PdfFile))));
    }

    // Every back-side mode, copies and a first cell: the same pages as without sharing.
    void backModesCopiesAndFirstCell_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("copies");
        QTest::addColumn<int>("firstCell");
        QTest::newRow("getrennt") << int(TPrinterOutput::BackPages::Separate) << 1 << 1;
        QTest::newRow("verschraenkt, 2 Kopien")
            << int(TPrinterOutput::BackPages::Interleaved) << 2 << 1;
        QTest::newRow("danach, ab Zelle 4") << int(TPrinterOutput::BackPages::After) << 1 << 4;
    }
    void backModesCopiesAndFirstCell() {
        QFETCH(int, mode);
        QFETCH(int, copies);
        QFETCH(int, firstCell);
        QTemporaryDir dir;
        TAppDocument doc(false);
        doc.LoadFromFile(Card);
        TPrintJob job;
        job.Merge = true;
        job.Records = records(30);
        job.AllCells = true;
        job.Dpi = 300;
        job.Copies = copies;
        job.FirstCell = firstCell;
        job.Back = TPrinterOutput::BackPages(mode);
        const QString shared = dir.filePath(QStringLiteral("geteilt.pdf"));
        job.PdfFile = shared;
        const TPdfPrint a = PrintDocumentJob(doc, job);
        QVERIFY2(a.Ok, qPrintable(a.Error));
        job.ShareCommon = false;
        job.PdfFile = dir.filePath(QStringLiteral("ganz.pdf"));
        const TPdfPrint b = PrintDocumentJob(doc, job);
        QVERIFY2(b.Ok, qPrintable(b.Error));
        QCOMPARE(a.Sheets, b.Sheets);
        QCOMPARE(a.Files.size(), b.Files.size());
        for (int i = 0; i < a.Files.size(); ++i)
            compareRendered(a.Files[i], b.Files[i]);
        QVERIFY(fileSize(a.Files[0]) < fileSize(b.Files[0]));
    }

    // A side whose sheets lost the shared page is printed again, every sheet whole, and so is
    // the rest of the run; a front printed before is not printed twice, and the progress
    // counts each sheet once.
    void lostSharingPrintsTheSideAgain_data() {
        QTest::addColumn<int>("side");
        QTest::newRow("Vorderseite") << 0;
        QTest::newRow("Rückseite") << 1;
    }
    void lostSharingPrintsTheSideAgain() {
        QFETCH(int, side);
        QTemporaryDir dir;
        TAppDocument doc(false);
        doc.LoadFromFile(Card);
        const QList<TAddressRecord> list = records(12);
        QPrinter printer(QPrinter::HighResolution);
        SetupPdfPrinter(printer, false);
        printer.setResolution(300);
        printer.setOutputFileName(dir.filePath(QStringLiteral("geteilt.pdf")));
        TPrintLayout layout;
        layout.Adjust(PrinterInfoOf(printer), doc);
        layout.SelectAll(true);
        TPrintMerge merge(doc, list, CurrentPlaceholderValues());
        TPrintRunSettings settings;
        settings.CopyCount = merge.SheetCount(layout);
        TLosingOutput output(PrintTargetOf(printer));
        output.LoseSide = side;
        TPrintRun run(doc, layout, output, settings);
        merge.Attach(run, layout, 1);
        QList<int> progress;
        // Sheet of paper and side: 1, 2 the front of sheets 1 and 2, 11, 12 their back.
        run.AfterSheet = [&progress](int sheet, int, int side) { progress << side * 10 + sheet; };
        QCOMPARE(run.Run(), TPrintRun::Done);
        QCOMPARE(output.Losses, 0);
        QCOMPARE(run.SheetsPrinted(), 4);
        QCOMPARE(progress,
                 side == 0 ? QList<int>({1, 2, 1, 2, 11, 12}) : QList<int>({1, 2, 11, 12, 11, 12}));
        QCOMPARE(output.Written().size(), 2);

        TPrintJob job;
        job.Merge = true;
        job.Records = list;
        job.AllCells = true;
        job.Dpi = 300;
        job.ShareCommon = false;
        job.PdfFile = dir.filePath(QStringLiteral("ganz.pdf"));
        const TPdfPrint whole = PrintDocumentJob(doc, job);
        QVERIFY2(whole.Ok, qPrintable(whole.Error));
        QCOMPARE(whole.Files.size(), 2);
        for (int i = 0; i < 2; ++i)
            compareRendered(output.Written()[i], whole.Files[i]);
        // What is printed again, and all after it, has no shared page; the front before it has.
        QCOMPARE(readAll(output.Written()[1]).count("%%EOF"), 1);
        QCOMPARE(readAll(output.Written()[0]).count("%%EOF") > 1, side == 1);
    }

    // Without placeholders a merged run prints every sheet whole, as it always did: the PDF
    // gets no update.
    void noPlaceholdersNoSharing() {
        QTemporaryDir dir;
        TAppDocument doc(false);
        doc.PageWidth = 85;
        doc.PageHeight = 55;
        doc.AddGraphic(square(Qt::black), 0, nullptr);
        doc.AddText(QStringLiteral("Gleich"));
        TPrintJob job;
        job.Merge = true;
        job.Records = records(25);
        job.AllCells = true;
        job.Dpi = 300;
        job.PdfFile = dir.filePath(QStringLiteral("karten.pdf"));
        const TPdfPrint r = PrintDocumentJob(doc, job);
        QVERIFY2(r.Ok, qPrintable(r.Error));
        QCOMPARE(readAll(job.PdfFile).count("%%EOF"), 1);
        QCOMPARE(render(job.PdfFile).size(), 3);
    }
};

QTEST_MAIN(TestSharedContent)
#include "tst_sharedcontent.moc"
