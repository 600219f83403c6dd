// Times the colour filters and the raster transforms on a 4000 x 3000 picture held in a
// metafile: the pixel work alone, and the whole operation as the inspector runs it
// (render the picture, change the pixels, record them back). Prints milliseconds.

#include "ui/globals.h"
#include "inspector/colorfilters.h"
#include "inspector/inspectorwidgets.h"
#include "inspector/rasterpicture.h"
#include "inspector/tfilter.h"
#include "inspector/ttoolmaster.h"
#include "inspector/ttoolsubformwmf.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QToolButton>
#include <cstdio>
#include <functional>

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kRuns = 3;

QImage photo() {
    QImage img(kWidth, kHeight, QImage::Format_RGB888);
    for (int y = 0; y < kHeight; ++y) {
        uchar* p = img.scanLine(y);
        for (int x = 0; x < kWidth; ++x, p += 3) {
            p[0] = uchar(x * 255 / kWidth);
            p[1] = uchar(y * 255 / kHeight);
            p[2] = uchar((x ^ y) & 0xFF);
        }
    }
    return img;
}

// Best of a few runs, in milliseconds.
double best(const std::function<void()>& run, const std::function<void()>& prepare = {}) {
    double fastest = 1e300;
    for (int i = 0; i < kRuns; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer t;
        t.start();
        run();
        fastest = std::min(fastest, t.nsecsElapsed() / 1e6);
    }
    return fastest;
}

void report(const char* what, double pixelMs, double wholeMs) {
    std::printf("%-22s pixel work %8.1f ms   whole operation %8.1f ms\n", what, pixelMs, wholeMs);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ResetGlobals();

    const QImage source = photo();
    auto element = std::make_unique<TDocElementWMF>();
    RecordPicture(element->Metafile, source, false, false);
    element->SourceKind = 1;
    element->Width = 100;
    element->Height = 75;
    TDocElementWMF* e = element.get();
    Document->InsertElement(0, std::move(element));
    Document->SelectedIndex = 0;
    const TMetafile original = e->Metafile;

    TToolMaster inspector;
    inspector.SetReference(e);
    std::printf("picture %d x %d pixels, %lld bytes of metafile\n", e->Metafile.Width(),
                e->Metafile.Height(), (long long)e->Metafile.Bytes().size());

    QImage work;
    auto fresh = [&] { work = source.copy(); };
    const QImage start = source;

    // Parts of every operation.
    const double render = best([&] { work = RenderPicture(original, PlainRect(kWidth, kHeight)); });
    TMetafile target = original;
    const double record = best([&] { RecordPicture(target, source, true, false); });
    std::printf("%-22s %8.1f ms\n%-22s %8.1f ms\n", "render to pixels", render, "record pixels",
                record);

    // Whole operations through the inspector's dispatcher, with the filter dialog open.
    struct Step {
        const char* name;
        std::function<void(QImage&)> pixels;
        std::function<QObject*(TFilter&)> sender;
        std::function<void(TFilter&)> set;
    };
    const Step steps[] = {
        {"brightness", [](QImage& i) { AdjustColors(i, 30, 30, 30); },
         [](TFilter& d) { return d.UpDownHelligkeit; },
         [](TFilter& d) { d.UpDownHelligkeit->SetPosition(30); }},
        {"red/yellow/blue", [](QImage& i) { AdjustColors(i, 20, -10, 5); },
         [](TFilter& d) { return d.UpDownRot; },
         [](TFilter& d) {
             d.UpDownRot->SetPosition(20);
             d.UpDownGelb->SetPosition(-10);
             d.UpDownBlau->SetPosition(5);
         }},
        {"grey scale", [](QImage& i) { GreyScale(i); },
         [](TFilter& d) { return d.SpBtnGraustufen; }, nullptr},
        {"soften", [](QImage& i) { Soften(i); }, [](TFilter& d) { return d.SpBtnWeichwenig; },
         nullptr},
        {"invert", [](QImage& i) { InvertColors(i); },
         [](TFilter& d) { return d.SpBtnInvertieren; }, nullptr},
    };
    ExecDialog = [&](QDialog& d) {
        auto* dialog = qobject_cast<TFilter*>(&d);
        if (!dialog)
            return int(QDialog::Rejected);
        for (const Step& s : steps) {
            const double pixel = best([&] { s.pixels(work); }, fresh);
            if (s.set)
                s.set(*dialog);
            const double whole =
                best([&] { inspector.TtoolSubFormWMFChangeClick(s.sender(*dialog)); },
                     [&] { e->Metafile = original; });
            report(s.name, pixel, whole);
        }
        return int(QDialog::Rejected);
    };
    inspector.TtoolSubFormWMFChangeClick(inspector.GraphicPage->Filter);

    // The raster transforms: the pixel work is the mirrored playback into the picture.
    const std::pair<const char*, QToolButton*> transforms[] = {
        {"mirror horizontally", inspector.GraphicPage->SpBSpiegelnHor},
        {"mirror vertically", inspector.GraphicPage->SpBSpiegelnVer},
        {"turn by 180", inspector.GraphicPage->SpBtnAngle180},
    };
    for (const auto& [name, button] : transforms) {
        const double whole = best([&] { inspector.TtoolSubFormWMFChangeClick(button); },
                                  [&] { e->Metafile = original; });
        const double pixel = best([&] {
            work = RenderPicture(original, button == inspector.GraphicPage->SpBSpiegelnHor
                                               ? MirrorHorizontalRect(kWidth, kHeight)
                                           : button == inspector.GraphicPage->SpBSpiegelnVer
                                               ? MirrorVerticalRect(kWidth, kHeight)
                                               : Turn180Rect(kWidth, kHeight));
        });
        report(name, pixel, whole);
    }
    (void)start;
    return 0;
}
