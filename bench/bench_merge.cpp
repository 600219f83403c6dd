// Merging addresses into the bundled ten-up business card (karte_1) into PDF at 1200 dpi, as
// quillmark-batch --merge does: 1,000 records (100 sheets) and 10 records (1 sheet), against the
// same card printed without merge, every sheet drawn (100 sheets and 1). Prints seconds,
// records per second and PDF bytes, and the two ratios:
//   merged sheet / unmerged sheet, each (time of 100 sheets - time of 1) / 99   (target <= 1.2)
//   PDF of 100 merged sheets / PDF of 1 sheet, merged and unmerged               (target <= 20)
// Full merged sheets share what every cell has in common; for comparison the 100 merged sheets
// are also printed once with every sheet drawn whole.
//
// The card with a QR code holding each record's vCard (karte_qr) is merged the same way: its
// time and PDF size per card against karte_1's.
//
//   bench_merge [runs]

#include "printworkspace/qprintertarget.h"
#include "qmpaths.h"
#include "ui/globals.h"
#include "printing/printdocument.h"
#include "printing/printmerge.h"
#include "printing/printrun.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

QList<TAddressRecord> makeRecords(int count) {
    QList<TAddressRecord> list;
    for (int i = 1; i <= count; ++i) {
        TAddressRecord r = NewAddressRecord(QStringLiteral("Adresse %1").arg(i));
        r[AfFirma1] = QStringLiteral("Firma %1 GmbH").arg(i);
        r[AfFirma2] = QStringLiteral("Abteilung %1").arg(i % 17);
        r[AfVorname] = QStringLiteral("Vorname%1").arg(i);
        r[AfName] = QStringLiteral("Nachname%1").arg(i);
        r[AfStrasse] = QStringLiteral("Musterweg %1").arg(i);
        r[AfPLZ] = QStringLiteral("%1").arg(10000 + i);
        r[AfOrt] = QStringLiteral("Beispielstadt");
        r[AfTel] = QStringLiteral("0123 %1").arg(400000 + i);
        r[AfMobil] = QStringLiteral("0170 %1").arg(1000000 + i);
        r[AfEMail] = QStringLiteral("person%1@firma.example").arg(i);
        r[AfURL] = QStringLiteral("www.firma%1.example").arg(i);
        list << r;
    }
    return list;
}

struct Outcome {
    double ms = 0;
    qint64 bytes = 0;
};

// sheets printer sheets of the card; with records, one record per cell.
Outcome printSheets(const TAppDocument& doc, int sheets, const QList<TAddressRecord>* records,
                    const QString& file, bool share = true) {
    QElapsedTimer t;
    t.start();
    QPrinter printer(QPrinter::HighResolution);
    SetupPdfPrinter(printer, false);
    printer.setResolution(1200);
    printer.setOutputFileName(file);
    TPrintLayout layout;
    layout.Adjust(PrinterInfoOf(printer), doc);
    layout.SelectAll(true);
    TPrintRunSettings settings;
    std::unique_ptr<TPrintMerge> merge;
    if (records) {
        merge = std::make_unique<TPrintMerge>(doc, *records, CurrentPlaceholderValues());
        settings.CopyCount = merge->SheetCount(layout);
    } else {
        settings.CopyCount = sheets;
    }
    TPrinterOutput output(PrintTargetOf(printer), TPrinterOutput::BackPages::After);
    TPrintRun run(doc, layout, output, settings);
    if (merge) {
        merge->Attach(run, layout, 1);
        if (!share)
            run.CommonDocument = nullptr;
    } else {
        // Every sheet drawn anew, as a merge draws it: no shared page copies.
        run.CellDocument = [&doc](int, int, int) { return &doc; };
    }
    if (run.Run() != TPrintRun::Done)
        std::fprintf(stderr, "%s\n", run.Error().toUtf8().constData());
    Outcome o;
    o.ms = t.nsecsElapsed() / 1e6;
    o.bytes = QFileInfo(file).size();
    return o;
}

Outcome median(int runs, const std::function<Outcome()>& f) {
    std::vector<Outcome> all;
    for (int i = 0; i < runs; ++i)
        all.push_back(f());
    std::sort(all.begin(), all.end(), [](const Outcome& a, const Outcome& b) { return a.ms < b.ms; });
    return all[all.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    ResetGlobals();
    TAppDocument doc(false);
    try {
        doc.LoadFromFile(QStringLiteral(QM_SOURCE_DIR "/data/Template/Visitenkarten/karte_1.qmk"));
    } catch (const TDocumentError& e) {
        std::fprintf(stderr, "%s\n", e.message().toUtf8().constData());
        return 1;
    }
    QTemporaryDir dir;
    const QList<TAddressRecord> many = makeRecords(1000), ten = many.mid(0, 10);
    const QString f = dir.filePath(QStringLiteral("m.pdf"));

    const Outcome merged100 = median(runs, [&] { return printSheets(doc, 0, &many, f); });
    const Outcome merged1 = median(runs, [&] { return printSheets(doc, 0, &ten, f); });
    const Outcome plain100 = median(runs, [&] { return printSheets(doc, 100, nullptr, f); });
    const Outcome plain1 = median(runs, [&] { return printSheets(doc, 1, nullptr, f); });
    const Outcome whole100 = printSheets(doc, 0, &many, f, false);
    // For comparison: the plain print run's copies share one page's contents.
    TPrintJob job;
    job.PdfFile = f;
    job.AllCells = true;
    job.Copies = 100;
    job.Back = TPrinterOutput::BackPages::After;
    QElapsedTimer t;
    t.start();
    PrintDocumentJob(doc, job);
    const double repeatedMs = t.nsecsElapsed() / 1e6;
    const qint64 repeatedBytes = QFileInfo(f).size();

    std::printf("Business card karte_1, 10 cells per sheet, front and back, 1200 dpi PDF\n");
    std::printf("  merge 1000 records (100 sheets): %.2f s, %.0f records/s, %lld bytes\n",
                merged100.ms / 1000, 1000 / (merged100.ms / 1000), merged100.bytes);
    std::printf("  merge 10 records (1 sheet):      %.3f s, %lld bytes\n", merged1.ms / 1000,
                merged1.bytes);
    std::printf("  merge 1000 records, no sharing:  %.2f s, %lld bytes\n", whole100.ms / 1000,
                whole100.bytes);
    std::printf("  no merge, 100 sheets drawn:      %.2f s, %lld bytes\n", plain100.ms / 1000,
                plain100.bytes);
    std::printf("  no merge, 1 sheet:               %.3f s, %lld bytes\n", plain1.ms / 1000,
                plain1.bytes);
    std::printf("  no merge, 100 copies (shared pages): %.3f s, %lld bytes\n", repeatedMs / 1000,
                repeatedBytes);
    const double mergedSheet = (merged100.ms - merged1.ms) / 99;
    const double plainSheet = (plain100.ms - plain1.ms) / 99;
    std::printf("  one more sheet: merged %.2f ms, unmerged %.2f ms, ratio %.2f (target <= 1.2)\n",
                mergedSheet, plainSheet, mergedSheet / plainSheet);
    std::printf("  PDF 100 merged sheets / 1 merged sheet: %.2f (target <= 20)\n",
                double(merged100.bytes) / double(merged1.bytes));
    std::printf("  PDF 100 merged sheets / 1 unmerged sheet: %.2f (target <= 20)\n",
                double(merged100.bytes) / double(plain1.bytes));

    TAppDocument qr(false);
    try {
        qr.LoadFromFile(QStringLiteral(QM_SOURCE_DIR "/data/Template/Visitenkarten/karte_qr.qmk"));
    } catch (const TDocumentError& e) {
        std::fprintf(stderr, "%s\n", e.message().toUtf8().constData());
        return 1;
    }
    const Outcome qr100 = median(runs, [&] { return printSheets(qr, 0, &many, f); });
    const Outcome qr1 = median(runs, [&] { return printSheets(qr, 0, &ten, f); });
    std::printf("Business card karte_qr (vCard QR code per record), 1200 dpi PDF\n");
    std::printf("  merge 1000 records (100 sheets): %.2f s, %.0f records/s, %lld bytes\n",
                qr100.ms / 1000, 1000 / (qr100.ms / 1000), qr100.bytes);
    std::printf("  merge 10 records (1 sheet):      %.3f s, %lld bytes\n", qr1.ms / 1000,
                qr1.bytes);
    std::printf("  per card: %.2f ms and %.0f bytes; against karte_1 %.2f times the time and "
                "%.2f times the bytes\n",
                (qr100.ms - qr1.ms) / 990, double(qr100.bytes - qr1.bytes) / 990,
                (qr100.ms - qr1.ms) / (merged100.ms - merged1.ms),
                double(qr100.bytes - qr1.bytes) / double(merged100.bytes - merged1.bytes));
    return 0;
}
