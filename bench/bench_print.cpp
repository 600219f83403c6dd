// Printing: a four-up A6 sheet and a ten-up business card sheet of the bundled templates into
// PDF at 600 dpi, 10 copies. Prints milliseconds per sheet and per cell, PDF bytes per sheet,
// the size of 10 copies against one, and the screen redraw (MyMemoryBitmapPaint at zoom 1.0)
// of the same document, in one run.
//
//   bench_print [runs] [folder to keep the business card PDFs in]

#include "printworkspace/qprintertarget.h"
#include "qmpaths.h"
#include "ui/globals.h"
#include "editor/tfrmtabeditor.h"
#include "printing/printdocument.h"
#include "printing/printlayout.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

template <typename F> double medianMs(int runs, F&& f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

bool load(const QString& file) {
    try {
        Document->LoadFromFile(file);
    } catch (const TDocumentError& e) {
        std::fprintf(stderr, "%s\n", e.message().toUtf8().constData());
        return false;
    }
    return true;
}

// A folded A5 greeting card's front as an A6 card: the left half, shrunk to fit.
void makeA6() {
    const double f = 105.0 / Document->PageWidth;
    for (auto& e : Document->Elements) {
        e->Left *= f;
        e->Width *= f;
    }
    Document->PageWidth = 105;
    Document->PageHeight = 148;
}

void bench(const char* title, int runs, TfrmTabEditor& editor, const QString& dir,
           const QString& keep) {
    Document->SelectAllCells = true;
    Document->PrintMarginLeft = Document->PrintMarginRight = 0;
    Document->PrintMarginTop = Document->PrintMarginBottom = 0;
    Document->PrintDistHor = Document->PrintDistVer = 0;
    QPrinter probe(QPrinter::HighResolution);
    SetupPdfPrinter(probe, Document->Orientation == 1);
    probe.setResolution(600);
    TPrintLayout layout;
    layout.Adjust(PrinterInfoOf(probe), *Document);
    const int cells = int(layout.Cells.size());

    const QString one = dir + QStringLiteral("/one.pdf"), ten = dir + QStringLiteral("/ten.pdf");
    Document->CopyCount = 1;
    const double msOne = medianMs(runs, [&] {
        PrintDocumentToPdf(*Document, one, TPrinterOutput::BackPages::Separate, 600);
    });
    Document->CopyCount = 10;
    const double ms = medianMs(runs, [&] {
        PrintDocumentToPdf(*Document, ten, TPrinterOutput::BackPages::Separate, 600);
    });
    const qint64 bytesOne = QFileInfo(one).size(), bytesTen = QFileInfo(ten).size();

    editor.ZoomFactor = 1.0;
    editor.AdjustPage();
    const double redraw = medianMs(runs * 3, [&] { editor.MyMemoryBitmapPaint(); });

    std::printf("%s: %d cells per sheet, %d elements\n", title, cells, Document->Count());
    std::printf("  print 10 copies at 600 dpi: %.1f ms = %.2f ms per sheet, %.3f ms per cell\n", ms,
                ms / 10, ms / 10 / cells);
    // What one more sheet costs, without the job's fixed cost (fonts, file).
    const double sheet = (ms - msOne) / 9;
    std::printf("  one more sheet: %.2f ms (%.3f ms per cell); one copy alone %.1f ms\n", sheet,
                sheet / cells, msOne);
    std::printf("  PDF: %lld bytes per sheet (10 copies %lld bytes, 1 copy %lld bytes, ratio "
                "%.2f, target <= 3)\n",
                bytesTen / 10, bytesTen, bytesOne, double(bytesTen) / double(bytesOne));
    std::printf("  MyMemoryBitmapPaint at zoom 1.0: %.2f ms; one more sheet / (cells x redraw) = "
                "%.2f (target <= 1)\n",
                redraw, sheet / (cells * redraw));
    if (!keep.isEmpty()) {
        QFile::remove(keep + QStringLiteral("/one.pdf"));
        QFile::remove(keep + QStringLiteral("/ten.pdf"));
        QFile::copy(one, keep + QStringLiteral("/one.pdf"));
        QFile::copy(ten, keep + QStringLiteral("/ten.pdf"));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const QString data = QStringLiteral(QM_SOURCE_DIR "/data/Template/");
    QTemporaryDir dir;

    ResetGlobals();
    TfrmTabEditor editor;
    editor.resize(1000, 800);
    editor.show();
    QApplication::processEvents();

    if (!load(data + QStringLiteral("Grusskarten/gruss_danke.qmk")))
        return 1;
    makeA6();
    bench("Four-up A6 (gruss_danke)", runs, editor, dir.path(), QString());
    if (!load(data + QStringLiteral("Visitenkarten/karte_1.qmk")))
        return 1;
    bench("Ten-up business cards (karte_1)", runs, editor, dir.path(),
          argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString());
    return 0;
}
