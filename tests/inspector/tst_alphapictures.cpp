// Raster pictures with transparent pixels under the graphic page's operations, the colour
// filters and a save and load of the document: the alpha stays.

#include "inspector/rasterpicture.h"
#include "inspector/tfilter.h"
#include "inspector/ttoolsubformwmf.h"
#include "inspectorfixture.h"
#include "metafile/rasterimport.h"
#include <QPainter>
#include <QTest>
#include <QToolButton>

namespace {

// Opaque colours on the left, clear on the right, a half-transparent square in between.
QImage logo() {
    QImage img(12, 8, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 6; ++x)
            img.setPixelColor(x, y, QColor(200, 40 * (x % 3), 20 * y));
    img.setPixelColor(7, 1, QColor(0, 0, 255, 128));
    return img;
}

std::unique_ptr<TDocElementWMF> alphaElement(const QImage& img) {
    auto e = std::make_unique<TDocElementWMF>();
    e->Metafile = RecordImage(img);
    e->SourceKind = 1;
    e->Width = 20;
    e->Height = 10;
    return e;
}

QImage shown(const TDocElementWMF& e) {
    return RenderPicture(e.Metafile, PlainRect(e.Metafile.Width(), e.Metafile.Height()));
}

// Compares premultiplied pixels within a small tolerance (the half-transparent pixel goes
// through premultiplication).
bool samePixels(const QImage& a, const QImage& b, int tolerance = 2) {
    if (a.size() != b.size())
        return false;
    const QImage pa = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage pb = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = pa.pixel(x, y), q = pb.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > tolerance ||
                std::abs(qGreen(p) - qGreen(q)) > tolerance ||
                std::abs(qBlue(p) - qBlue(q)) > tolerance ||
                std::abs(qAlpha(p) - qAlpha(q)) > tolerance) {
                qWarning("pixel %d,%d: %08x against %08x", x, y, p, q);
                return false;
            }
        }
    return true;
}

void setValue(TUpDown* upDown, int value) {
    const bool up = value > upDown->Min;
    upDown->SetPosition(up ? value - 1 : value + 1);
    QTest::mouseClick(up ? upDown->UpButton() : upDown->DownButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
}

} // namespace

class TestAlphaPictures : public QObject {
    Q_OBJECT
private slots:
    void mirrorAndTurnKeepTheAlpha();
    void filtersChangeColoursAndKeepTheAlpha();
    void softenFadesEdgesWithoutColouringTheClearPart();
    void saveAndLoadKeepTheAlpha();
};

void TestAlphaPictures::mirrorAndTurnKeepTheAlpha() {
    InspectorFixture f;
    const QImage img = logo();
    TDocElementWMF* e = f.select(alphaElement(img));
    QVERIFY(PictureHasAlpha(e->Metafile));
    QVERIFY(samePixels(shown(*e), img));
    TtoolSubFormWMF* page = f.inspector->GraphicPage;
    QTest::mouseClick(page->SpBSpiegelnHor, Qt::LeftButton);
    QVERIFY(PictureHasAlpha(e->Metafile));
    QVERIFY(samePixels(shown(*e), img.mirrored(true, false)));
    QTest::mouseClick(page->SpBtnAngle180, Qt::LeftButton);
    QVERIFY(samePixels(shown(*e), img.mirrored(false, true)));
    QTest::mouseClick(page->SpBSpiegelnVer, Qt::LeftButton);
    QVERIFY(samePixels(shown(*e), img));
    QCOMPARE(e->Metafile.Width(), 12);
}

void TestAlphaPictures::filtersChangeColoursAndKeepTheAlpha() {
    InspectorFixture f;
    const QImage img = logo();
    TDocElementWMF* e = f.select(alphaElement(img));
    QImage afterBrightness, afterGrey, afterInvert;
    f.answer = [&](QDialog& d) {
        auto* dialog = qobject_cast<TFilter*>(&d);
        if (!dialog)
            return int(QDialog::Rejected);
        setValue(dialog->UpDownHelligkeit, 50);
        afterBrightness = shown(*e);
        QTest::mouseClick(dialog->SpBtnGraustufen, Qt::LeftButton);
        afterGrey = shown(*e);
        QTest::mouseClick(dialog->SpBtnInvertieren, Qt::LeftButton);
        afterInvert = shown(*e);
        return int(QDialog::Rejected); // cancel: the picture as it was
    };
    QTest::mouseClick(f.inspector->GraphicPage->Filter, Qt::LeftButton);
    f.answer = nullptr;
    QVERIFY(!afterInvert.isNull());

    QImage bright = img, grey = img, inverted = img;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            const QColor b(AdjustChannel(c.red(), 50), AdjustChannel(c.green(), 50),
                           AdjustChannel(c.blue(), 50), c.alpha());
            bright.setPixelColor(x, y, b);
            const int g = GreyValue(c.red(), c.green(), c.blue());
            grey.setPixelColor(x, y, QColor(g, g, g, c.alpha()));
            inverted.setPixelColor(
                x, y, QColor(255 - c.red(), 255 - c.green(), 255 - c.blue(), c.alpha()));
        }
    QVERIFY(samePixels(afterBrightness, bright));
    // Grey works on the brightened picture; invert on the grey one.
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = bright.pixelColor(x, y);
            const int g = GreyValue(c.red(), c.green(), c.blue());
            grey.setPixelColor(x, y, QColor(g, g, g, c.alpha()));
            inverted.setPixelColor(x, y, QColor(255 - g, 255 - g, 255 - g, c.alpha()));
        }
    QVERIFY(samePixels(afterGrey, grey, 3));
    QVERIFY(samePixels(afterInvert, inverted, 3));
    QCOMPARE(qAlpha(afterInvert.pixel(10, 5)), 0); // the clear part stays clear
    QVERIFY(samePixels(shown(*e), img));
}

void TestAlphaPictures::softenFadesEdgesWithoutColouringTheClearPart() {
    // An opaque red square in the middle of a clear picture.
    QImage img(9, 9, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (int y = 3; y < 6; ++y)
        for (int x = 3; x < 6; ++x)
            img.setPixelColor(x, y, QColor(255, 0, 0));
    QImage soft = img;
    SoftenPicture(soft);
    QCOMPARE(soft.pixelColor(4, 4), QColor(255, 0, 0));              // inside stays
    QCOMPARE(qAlpha(soft.pixel(1, 1)), 0);                           // far outside stays clear
    QCOMPARE(qAlpha(soft.pixel(2, 4)), 255 * 3 / 9);                 // the edge fades
    QCOMPARE(QColor::fromRgba(soft.pixel(2, 4)).toRgb().red(), 255); // still red, not darkened
    QCOMPARE(qAlpha(soft.pixel(0, 0)), 0);                           // the border is left alone
}

void TestAlphaPictures::saveAndLoadKeepTheAlpha() {
    InspectorFixture f;
    const QImage img = logo();
    TDocElementWMF* e = f.select(alphaElement(img));
    const QByteArray saved = Document->SaveToBytes();
    TAppDocument loaded(false);
    loaded.LoadFromBytes(saved);
    QCOMPARE(loaded.Count(), 1);
    auto* back = dynamic_cast<TDocElementWMF*>(loaded.Element(0));
    QVERIFY(back);
    QCOMPARE(back->Metafile.Bytes(), e->Metafile.Bytes());
    QCOMPARE(int(back->SourceKind), 1);
    QVERIFY(PictureHasAlpha(back->Metafile));
    QVERIFY(samePixels(shown(*back), img));
}

QTEST_MAIN(TestAlphaPictures)
#include "tst_alphapictures.moc"
