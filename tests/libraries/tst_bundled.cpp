// The libraries shipped with the program: every template loads and draws, every clipart
// renders, and the catalogue names them all.
#include "qmpaths.h"
#include "ui/globals.h"
#include "document/librarylist.h"
#include "libraries/tfrmtabcliparts.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTest>

namespace {
struct Library {
    QString Title, Bib, Dir, Type;
};

// The "templates" or "cliparts" section of the catalogue.
QList<Library> catalogueSection(const QString& section) {
    QStringList lines;
    ReadTextLines(QStringLiteral(QM_DATA_DIR "/quillmark.inf"), lines);
    QList<Library> libs;
    bool inside = false;
    for (const QString& line : lines) {
        if (!inside) {
            inside = line.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (line == QLatin1String("#"))
            break;
        if (line.startsWith("#Title:"))
            libs.append(Library{line.mid(7), {}, {}, {}});
        else if (line.startsWith("#Bib:") && !libs.isEmpty())
            libs.last().Bib = line.mid(5);
        else if (line.startsWith("#Dir:") && !libs.isEmpty())
            libs.last().Dir = line.mid(5);
        else if (line.startsWith("#Type:") && !libs.isEmpty())
            libs.last().Type = line.mid(6);
    }
    return libs;
}

void collectNames(const QList<TLibraryNode>& nodes, QStringList& names) {
    for (const TLibraryNode& n : nodes) {
        if (n.HasName)
            names << n.Name;
        collectNames(n.Children, names);
    }
}

// Entry files of every library of a section, checked to exist.
QStringList entryFiles(const QString& section, const QString& root, int& libraryCount) {
    QStringList files;
    const QList<Library> libs = catalogueSection(section);
    libraryCount = int(libs.size());
    for (const Library& lib : libs) {
        QStringList lines;
        ReadTextLines(root + lib.Bib, lines);
        QStringList names;
        collectNames(section == "templates" ? ParseTemplateList(lines) : ParseClipartList(lines),
                     names);
        if (names.isEmpty())
            qWarning("library without entries: %s", qPrintable(lib.Title));
        for (const QString& n : names)
            files << root + lib.Dir + "/" + n + "." + lib.Type;
    }
    return files;
}

double inkShare(const QImage& img) {
    qint64 ink = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255))
                ++ink;
    return double(ink) / (img.width() * img.height());
}

QImage play(const TMetafile& mf, int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    mf.Play(p, QRect(0, 0, w, h));
    return img;
}

const QStringList kPlaceholders = [] {
    QStringList l;
    for (int i = 1; i <= 10; ++i)
        l << QStringLiteral("<t%1>").arg(i);
    l << "<firma1>"
      << "<firma2>"
      << "<zusatz1>"
      << "<zusatz2>"
      << "<strasse>"
      << "<plz>"
      << "<ort>"
      << "<telefon>"
      << "<telefax>"
      << "<telefonprivat>"
      << "<telefaxprivat>"
      << "<mobil>"
      << "<email>"
      << "<url>"
      << "<bank1>"
      << "<blz1>"
      << "<konto1>"
      << "<bank2>"
      << "<blz2>"
      << "<konto2>"
      << "<titel>"
      << "<vorname>"
      << "<name>";
    return l;
}();
} // namespace

class TestBundled : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyTemplateLoadsAndDraws();
    void pathListPicturesMatchTheirMetafiles();
    void everyClipartRendersSomething();
    void addressFileHasHeaderAndThreeRecords();
};

void TestBundled::initTestCase() {
    if (!QFile::exists(QStringLiteral(QM_DATA_DIR "/quillmark.inf")))
        QSKIP("no catalogue in data/");
    ResetGlobals();
}

void TestBundled::everyTemplateLoadsAndDraws() {
    int libraries = 0;
    const QStringList files =
        entryFiles("templates", QStringLiteral(QM_DATA_DIR "/Template/"), libraries);
    QVERIFY(libraries >= 4);
    QVERIFY(files.size() >= 30);
    const QRegularExpression placeholder("<[^<>]*>");
    for (const QString& file : files) {
        QVERIFY2(QFile::exists(file), qPrintable(file));
        TAppDocument doc(false);
        doc.LoadFromFile(file);
        QVERIFY2(doc.Count() > 3, qPrintable(file));
        bool hasText = false, hasPicture = false;
        for (int i = 0; i < doc.Count(); ++i) {
            const TDocElement* e = doc.Element(i);
            QVERIFY2(e->Left >= -0.01 && e->Top >= -0.01 &&
                         e->Left + e->Width <= doc.PageWidth + 0.01 &&
                         e->Top + e->Height <= doc.PageHeight + 0.01,
                     qPrintable(file + ": element outside the sheet"));
            if (auto* t = dynamic_cast<const TDocElementTXT*>(e)) {
                hasText = true;
                auto it = placeholder.globalMatch(t->MacroText);
                while (it.hasNext()) {
                    const QString p = it.next().captured();
                    QVERIFY2(kPlaceholders.contains(p), qPrintable(file + ": " + p));
                }
            } else if (auto* g = dynamic_cast<const TDocElementWMF*>(e)) {
                hasPicture = true;
                QVERIFY2(g->Metafile.Valid(), qPrintable(file + ": " + g->Metafile.Problem()));
            }
        }
        QVERIFY2(hasText && hasPicture, qPrintable(file));
        for (int side = 0; side < 2; ++side) {
            CurrentSide = side;
            bool used = false;
            for (int i = 0; i < doc.Count(); ++i)
                used = used || doc.Element(i)->Side == side;
            if (!used)
                continue;
            QImage img(300, 300, QImage::Format_RGB32);
            img.fill(Qt::white);
            QPainter p(&img);
            doc.DrawElements(p, doc.FitZoom(img.width(), img.height()), CurrentSide);
            p.end();
            QVERIFY2(inkShare(img) > 0.005, qPrintable(file));
        }
        CurrentSide = 0;
    }
}

void TestBundled::pathListPicturesMatchTheirMetafiles() {
    int libraries = 0;
    const QStringList files =
        entryFiles("templates", QStringLiteral(QM_DATA_DIR "/Template/"), libraries);
    int checked = 0;
    for (const QString& file : files) {
        TAppDocument doc(false);
        doc.LoadFromFile(file);
        for (int i = 0; i < doc.Count(); ++i) {
            auto* g = dynamic_cast<const TDocElementWMF*>(doc.Element(i));
            if (!g || g->SourceKind != 2)
                continue;
            QVERIFY2(!g->PathList.isEmpty(), qPrintable(file));
            int w = 0, h = 0;
            QVERIFY(ParseQmgSize(g->PathList.first(), w, h));
            QCOMPARE(g->Metafile.MMWidth(), w);
            QCOMPARE(g->Metafile.MMHeight(), h);
            TMetafile rendered;
            rendered.SetMMWidth(w);
            rendered.SetMMHeight(h);
            TAppDocument::RenderPathList(rendered, g->PathList);
            const QImage a = play(g->Metafile, 120, 120);
            const QImage b = play(rendered, 120, 120);
            int differ = 0;
            for (int y = 0; y < 120; ++y)
                for (int x = 0; x < 120; ++x) {
                    const QRgb pa = a.pixel(x, y), pb = b.pixel(x, y);
                    if (qAbs(qRed(pa) - qRed(pb)) + qAbs(qGreen(pa) - qGreen(pb)) +
                            qAbs(qBlue(pa) - qBlue(pb)) >
                        120)
                        ++differ;
                }
            QVERIFY2(differ < 120 * 120 / 25,
                     qPrintable(file + QString(": %1 pixels differ").arg(differ)));
            ++checked;
        }
    }
    QVERIFY(checked > 30);
}

void TestBundled::everyClipartRendersSomething() {
    int libraries = 0;
    const QStringList files =
        entryFiles("cliparts", QStringLiteral(QM_DATA_DIR "/Clipart/"), libraries);
    QVERIFY(libraries >= 3);
    QVERIFY(files.size() >= 60);
    QSet<QString> types;
    for (const QString& file : files) {
        QVERIFY2(QFile::exists(file), qPrintable(file));
        const QString type = QFileInfo(file).suffix().toLower();
        types << type;
        TMetafile mf;
        QStringList lines;
        if (type == "qmg")
            LoadPathList(file, lines, mf);
        else if (type == "wmf")
            mf.LoadFromFile(file);
        else if (type == "bmp")
            TfrmTabCliparts::LoadBitmapPicture(file, mf);
        else
            QFAIL(qPrintable("unexpected type: " + file));
        QVERIFY2(mf.Valid() && mf.Width() > 0 && mf.Height() > 0, qPrintable(file));
        QVERIFY2(inkShare(play(mf, 160, 160)) > 0.01, qPrintable(file));
    }
    QCOMPARE(types, QSet<QString>({"qmg", "wmf", "bmp"}));
}

void TestBundled::addressFileHasHeaderAndThreeRecords() {
    QStringList lines;
    ReadTextLines(QStringLiteral(QM_DATA_DIR "/adressen.dat"), lines);
    QCOMPARE(lines.size(), 4);
    for (const QString& line : lines)
        QCOMPARE(line.split('\t').size(), 24);
    QVERIFY(lines[0].startsWith("Set\tFirma 1"));
}

QTEST_MAIN(TestBundled)
#include "tst_bundled.moc"
