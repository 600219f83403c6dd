// Sheet editor: rebuilding the off-screen images of a busy A4 sheet, the plain repaint
// that scrolling and dragging use, and one step of a carried picture on the busiest bundled
// template. Prints milliseconds (median of several runs).
//
//   bench_editor [runs] [kinds]   kinds: any of t (texts), m (metafiles), r (rasters); default tmr

#include "ui/globals.h"
#include "document/units.h"
#include "editor/tfrmtabeditor.h"
#include "metafile/rasterimport.h"
#include "metafile/emfpaintdevice.h"
#include "metafile/tmetafilecanvas.h"
#include "qmpaths.h"

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QPainter>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A clipart-like vector picture: filled polygons, outlines and a caption.
TMetafile vectorPicture(int seed) {
    QRandomGenerator rng(seed);
    TMetafile picture;
    {
        TEmfPaintDevice device(picture, QSize(300, 200));
        QPainter p(&device);
        p.setRenderHint(QPainter::Antialiasing, false);
        for (int i = 0; i < 60; ++i) {
            QPolygon poly;
            for (int k = 0; k < 6; ++k)
                poly << QPoint(rng.bounded(300), rng.bounded(200));
            p.setBrush(QColor::fromRgb(rng.generate() | 0xFF000000));
            p.setPen(QPen(Qt::black, 1 + i % 3));
            p.drawPolygon(poly);
        }
        p.setFont(QFont(QStringLiteral("Arial"), 14));
        p.drawText(20, 180, QStringLiteral("Clipart %1").arg(seed));
    }
    return picture;
}

// A photo-like raster picture recorded as a bitmap record.
TMetafile rasterPicture(int seed) {
    QImage image(320, 240, QImage::Format_RGB888);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, QColor((x + seed * 40) % 256, (y * 2) % 256, (x ^ y) % 256));
    TMetafile picture;
    picture.SetWidth(image.width());
    picture.SetHeight(image.height());
    TMetafileCanvas canvas(picture);
    canvas.Draw(0, 0, image);
    canvas.Close();
    return picture;
}

void buildBusySheet(const QString& kinds) {
    QRandomGenerator rng(7);
    for (int i = 0; i < 5 && kinds.contains(u'r'); ++i) {
        TDocElementWMF* e = Document->AddGraphic(rasterPicture(i), 1, nullptr);
        e->Left = 10 + 35 * i;
        e->Top = 220;
        e->Width = 32;
        e->Height = 24;
    }
    for (int i = 0; i < 10 && kinds.contains(u'm'); ++i) {
        TDocElementWMF* e = Document->AddGraphic(vectorPicture(i), 0, nullptr);
        e->Left = 10 + (i % 5) * 38;
        e->Top = 150 + (i / 5) * 32;
        e->Width = 36;
        e->Height = 28;
    }
    for (int i = 0; i < 40 && kinds.contains(u't'); ++i) {
        TDocElementTXT* e = Document->AddText(QStringLiteral("Zeile %1 – Musterfirma GmbH").arg(i));
        e->Left = 10 + (i % 2) * 100;
        e->Top = 10 + (i / 2) * 6.5;
        e->Width = 95;
        e->Height = 6;
        e->FontSize = 100 + 10 * (i % 5);
        e->FontStyle = std::uint8_t(i % 4);
        e->Angle = i % 7 == 0 ? 900 : 0;
        e->Shadow = i % 5 == 0;
        e->FontColor = rng.bounded(0x1000000);
    }
}

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

// The bundled template that takes longest to draw at zoom 1.0.
QString busiestTemplate(int& count) {
    QString best;
    double slowest = -1;
    QDirIterator it(QStringLiteral(QM_DATA_DIR "/Template"), {QStringLiteral("*.qmk")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        TAppDocument doc(false);
        try {
            doc.LoadFromFile(path);
        } catch (...) {
            continue;
        }
        QImage sheet(MmToPixel(1.0, doc.PageWidth), MmToPixel(1.0, doc.PageHeight),
                     QImage::Format_RGB32);
        const double ms = medianMs(3, [&] {
            QPainter p(&sheet);
            doc.DrawElements(p, 1.0, 0);
        });
        if (ms > slowest) {
            slowest = ms;
            count = doc.Count();
            best = path;
        }
    }
    return best;
}

// Carrying an inserted picture: what one pointer step costs until it is on the screen,
// against rebuilding the sheet image for every step.
void carryFigures(int runs) {
    int count = 0;
    const QString path = busiestTemplate(count);
    if (path.isEmpty()) {
        std::printf("No bundled template found under %s\n", QM_DATA_DIR);
        return;
    }
    ResetGlobals();
    Document->LoadFromFile(path);
    TfrmTabEditor editor;
    editor.resize(1000, 800);
    editor.show();
    editor.ZoomFactor = 1.0;
    editor.AdjustPage();
    QApplication::processEvents();

    // A bundled raster clipart, as the clipart workspace inserts it.
    TMetafile picture =
        ImportRasterPicture(QStringLiteral(QM_DATA_DIR "/Clipart/Hintergruende/aquarell.bmp"));
    TDocElementWMF* e = Document->AddGraphic(picture, 1, nullptr);
    e->Width = std::min(e->Width, 60.0);
    e->Height = std::min(e->Height, 45.0);
    editor.SelectElement(0, true);
    QApplication::processEvents();

    const int w = editor.Page->width(), h = editor.Page->height();
    int step = 0;
    auto nextPoint = [&] {
        ++step;
        return QPoint(20 + (step * 7) % std::max(1, w - 300),
                      20 + (step * 5) % std::max(1, h - 300));
    };
    const double carry = medianMs(runs * 10, [&] {
        const QPoint p = nextPoint();
        editor.PageMouseMove(p.x(), p.y());
        QApplication::processEvents(); // the paint of the exposed rectangles
    });
    const double rebuild = medianMs(runs, [&] {
        const QPoint p = nextPoint();
        editor.PageMouseMove(p.x(), p.y());
        editor.MyMemoryBitmapPaint();
        QApplication::processEvents();
    });
    const double frame = 1000.0 / 60;
    std::printf("Carried picture on %s (%d elements) at zoom 1.0 (%dx%d):\n", qPrintable(path),
                count, w, h);
    std::printf("  one step, painted: %.3f ms = %.3f of 1/60 s (16.7 ms)\n", carry, carry / frame);
    std::printf("  the same step with a sheet rebuild: %.2f ms = %.2f of 1/60 s\n", rebuild,
                rebuild / frame);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;

    {
        ResetGlobals();
        buildBusySheet(argc > 2 ? QString::fromLatin1(argv[2]) : QStringLiteral("tmr"));
        TfrmTabEditor editor;
        editor.resize(1000, 800);
        editor.show();
        QApplication::processEvents();

        std::printf("Busy A4 sheet: %d elements (of 40 texts, 10 metafile pictures, 5 raster "
                    "pictures)\n",
                    Document->Count());
        for (double zoom : {1.0, 2.0}) {
            editor.ZoomFactor = zoom;
            editor.AdjustPage();
            const double ms = medianMs(runs, [&] { editor.MyMemoryBitmapPaint(); });
            std::printf("MyMemoryBitmapPaint at zoom %.1f (%dx%d): %.2f ms\n", zoom,
                        editor.Page->width(), editor.Page->height(), ms);
        }

        editor.ZoomFactor = 1.0;
        editor.AdjustPage();
        editor.SelectElement(20, false);
        QApplication::processEvents();
        // What a drag step costs: the copies of the three images and the frame, painted now.
        const double paint = medianMs(runs * 4, [&] {
            editor.PagePaint();
            editor.Page->repaint();
            editor.RulerAtTop->repaint();
            editor.RulerAtSide->repaint();
        });
        std::printf("PagePaint at zoom 1.0 (copy of the images and the frame): %.2f ms\n", paint);
        std::printf("Targets: rebuild at zoom 1.0 <= 16 ms, PagePaint <= 2 ms\n");
    }
    carryFigures(runs);
    return 0;
}
