// Reading the label and card catalogue (glabels-data) as "Drucken" does when it is first
// shown: time per full load, products per second, and the share of the 100 ms budget; then a
// search as typed in the field "Bogen".
//
//   bench_products [FOLDER]   (without FOLDER the installed catalogue)

#include "printing/labelproducts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString folder =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : TLabelCatalogue::InstalledFolder();
    constexpr int runs = 15;
    std::vector<double> ms;
    size_t products = 0;
    int skipped = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        TLabelCatalogue c;
        c.Load(folder);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
        products = c.Products().size();
        skipped = c.Skipped();
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    std::printf("catalogue %s: %zu products, %d left out\n", qPrintable(folder), products,
                skipped);
    std::printf("load: median %.1f ms (best %.1f), %.0f products/s, %.0f %% of the 100 ms "
                "budget\n",
                median, ms.front(), median > 0 ? products / median * 1000 : 0.0,
                median / 100 * 100);
    TLabelCatalogue c;
    c.Load(folder);
    QElapsedTimer t;
    t.start();
    size_t found = 0;
    for (const char* text : {"C32011", "Visitenkarten", "85 x 54", "avery", "cd"})
        found += c.Search(QString::fromLatin1(text)).size();
    std::printf("5 searches: %.2f ms, %zu hits\n", double(t.nsecsElapsed()) / 1e6, found);
    return 0;
}
