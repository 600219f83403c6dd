// The graphic page's operations on raster and path-list pictures: mirror, turn, fill and
// stroke colour, stroke width, and lists with malformed numbers.

#include "inspector/rasterpicture.h"
#include "inspector/ttoolsubformwmf.h"
#include "inspectorfixture.h"
#include <QColorDialog>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <QToolButton>

namespace {

// A picture whose every pixel differs, so that any shift or mirror shows.
QImage pattern(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixelColor(x, y, QColor(x * 40 % 256, y * 60 % 256, (x * 7 + y * 31) % 256));
    return img;
}

std::unique_ptr<TDocElementWMF> rasterElement(const QImage& img) {
    auto e = std::make_unique<TDocElementWMF>();
    RecordPicture(e->Metafile, img, false, false);
    e->SourceKind = 1;
    e->Width = 20;
    e->Height = 10;
    return e;
}

std::unique_ptr<TDocElementWMF> listElement(const QStringList& list, int w, int h) {
    auto e = std::make_unique<TDocElementWMF>();
    e->Metafile.SetMMWidth(w);
    e->Metafile.SetMMHeight(h);
    e->PathList = list;
    TAppDocument::RenderPathList(e->Metafile, list);
    e->SourceKind = 2;
    e->Left = 3;
    e->Top = 4;
    e->Width = 50;
    e->Height = 30;
    return e;
}

// The picture as the metafile player draws it, mirrored as asked.
QImage played(const TMetafile& mf, bool mirrorX, bool mirrorY) {
    const int w = mf.Width(), h = mf.Height();
    QImage out(w, h, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.setTransform(
        QTransform(mirrorX ? -1 : 1, 0, 0, mirrorY ? -1 : 1, mirrorX ? w : 0, mirrorY ? h : 0));
    mf.Play(p, QRectF(0, 0, w, h));
    p.end();
    return out.convertToFormat(QImage::Format_RGB888);
}

QImage shown(const TDocElementWMF& e) {
    return RenderPicture(e.Metafile, PlainRect(e.Metafile.Width(), e.Metafile.Height()));
}

} // namespace

class TestGraphicPage : public QObject {
    Q_OBJECT
private slots:
    void recordedPictureRendersPixelForPixel();
    void rasterMirrorAndTurn_data();
    void rasterMirrorAndTurn();
    void listMirrorAndTurn();
    void listMirrorTwiceRestoresThePicture();
    void onlyTheFirstFillColourChanges();
    void strokeColourCancelledKeepsTheList();
    void strokeWidthArrowSetsEveryWidthLine();
    void malformedListStaysUnchangedWithAMessage();
    void plainMetafileIgnoresTheOperations();
};

void TestGraphicPage::recordedPictureRendersPixelForPixel() {
    const QImage img = pattern(7, 5);
    TMetafile mf;
    RecordPicture(mf, img, false, false);
    QCOMPARE(mf.Width(), 7);
    QCOMPARE(mf.Height(), 5);
    QCOMPARE(RenderPicture(mf, PlainRect(7, 5)), img);
    // The recorded bytes are a picture the player draws alike, mirrored or not.
    QVERIFY(mf.Valid());
    QCOMPARE(mf.GetForm(), TMetafile::Form::Emf);
    QCOMPARE(played(mf, false, false), img);
    QCOMPARE(RenderPicture(mf, MirrorHorizontalRect(7, 5)), played(mf, true, false));
    QCOMPARE(RenderPicture(mf, MirrorVerticalRect(7, 5)), played(mf, false, true));
    QCOMPARE(RenderPicture(mf, Turn180Rect(7, 5)), played(mf, true, true));
    // Recorded with the inverting copy mode, it plays inverted.
    RecordPicture(mf, img, true, true);
    QImage inverted = img;
    inverted.invertPixels();
    QCOMPARE(played(mf, false, false), inverted);
    QCOMPARE(RenderPicture(mf, PlainRect(7, 5)), inverted);
    // A picture that is more than one bitmap goes through the player.
    TMetafile list;
    list.SetMMWidth(185);
    list.SetMMHeight(132);
    TAppDocument::RenderPathList(list,
                                 {"x185b132h", "k255r0g0b", "M0x0y", "L185x0y", "L0x132y", "F"});
    QCOMPARE(RenderPicture(list, Turn180Rect(list.Width(), list.Height())),
             played(list, true, true));
    // An empty picture gives no pixels and records nothing but its size.
    TMetafile empty;
    QVERIFY(RenderPicture(empty, PlainRect(0, 0)).isNull());
}

void TestGraphicPage::rasterMirrorAndTurn_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("horizontal");
    QTest::addColumn<bool>("vertical");
    QTest::newRow("mirror horizontally") << 0 << true << false;
    QTest::newRow("mirror vertically") << 1 << false << true;
    QTest::newRow("turn by 180") << 2 << true << true;
}

void TestGraphicPage::rasterMirrorAndTurn() {
    QFETCH(int, button);
    QFETCH(bool, horizontal);
    QFETCH(bool, vertical);
    InspectorFixture f;
    const QImage img = pattern(9, 6);
    TDocElementWMF* e = f.select(rasterElement(img));
    TtoolSubFormWMF* page = f.inspector->GraphicPage;
    QToolButton* buttons[] = {page->SpBSpiegelnHor, page->SpBSpiegelnVer, page->SpBtnAngle180};
    QTest::mouseClick(buttons[button], Qt::LeftButton);
    QCOMPARE(shown(*e), img.mirrored(horizontal, vertical));
    QCOMPARE(f.refreshes, 1);
    QCOMPARE(e->Width, 20.0); // the box on the sheet stays
    QVERIFY(Document->UndoList.isEmpty());
    // Twice gives the original pixels back.
    QTest::mouseClick(buttons[button], Qt::LeftButton);
    QCOMPARE(shown(*e), img);
}

void TestGraphicPage::listMirrorAndTurn() {
    InspectorFixture f;
    const QStringList list = {"x5000b3000h", "k255r0g0b", "M0x0y", "L1000x200y", "L0x3000y", "B"};
    TDocElementWMF* e = f.select(listElement(list, 5000, 3000));
    TtoolSubFormWMF* page = f.inspector->GraphicPage;
    QTest::mouseClick(page->SpBSpiegelnHor, Qt::LeftButton);
    QCOMPARE(e->PathList.at(3), QStringLiteral("L4000x200y"));
    QCOMPARE(e->PathList.at(2), QStringLiteral("M5000x0y"));
    QCOMPARE(e->PathList.at(0), list.at(0));
    QCOMPARE(e->PathList.at(1), list.at(1));
    QTest::mouseClick(page->SpBSpiegelnHor, Qt::LeftButton);
    QCOMPARE(e->PathList, list);
    QTest::mouseClick(page->SpBSpiegelnVer, Qt::LeftButton);
    QCOMPARE(e->PathList.at(3), QStringLiteral("L1000x2800y"));
    QTest::mouseClick(page->SpBSpiegelnVer, Qt::LeftButton);
    QTest::mouseClick(page->SpBtnAngle180, Qt::LeftButton);
    QCOMPARE(e->PathList.at(3), QStringLiteral("L4000x2800y"));
    QCOMPARE(f.refreshes, 5);
    QCOMPARE(e->Left, 3.0);
    QCOMPARE(int(e->SourceKind), 2);
}

void TestGraphicPage::listMirrorTwiceRestoresThePicture() {
    InspectorFixture f;
    const QStringList list = {"x2000b1000h", "k0r0g255b", "M100x100y",
                              "L1500x100y",  "L100x900y", "B"};
    TDocElementWMF* e = f.select(listElement(list, 2000, 1000));
    const QImage before = shown(*e);
    QTest::mouseClick(f.inspector->GraphicPage->SpBSpiegelnHor, Qt::LeftButton);
    const QImage mirrored = shown(*e);
    QVERIFY(mirrored != before);
    // The re-rendered picture is the mirror image (path edges may differ by a pixel).
    int differing = 0;
    const QImage expected = before.mirrored(true, false);
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            differing += expected.pixel(x, y) != mirrored.pixel(x, y);
    QVERIFY2(differing < before.width() * before.height() / 50,
             qPrintable(QString::number(differing)));
    QTest::mouseClick(f.inspector->GraphicPage->SpBSpiegelnHor, Qt::LeftButton);
    QCOMPARE(shown(*e), before);
}

void TestGraphicPage::onlyTheFirstFillColourChanges() {
    InspectorFixture f;
    const QStringList list = {"x100b100h",  "k10r20g30b", "M0x0y", "L50x50y", "L0x50y", "B",
                              "k40r50g60b", "M0x0y",      "L9x9y", "L0x9y",   "B"};
    TDocElementWMF* e = f.select(listElement(list, 100, 100));
    QColor preset;
    f.answer = [&](QDialog& d) {
        auto* cd = qobject_cast<QColorDialog*>(&d);
        if (!cd)
            return int(QDialog::Rejected);
        preset = cd->currentColor();
        cd->setCurrentColor(QColor(200, 100, 0));
        return int(QDialog::Accepted);
    };
    QTest::mouseClick(f.inspector->GraphicPage->SpBtnFLFarbe, Qt::LeftButton);
    QCOMPARE(preset, QColor(10, 20, 30));
    QCOMPARE(e->PathList.at(1), QStringLiteral("k200r100g0b"));
    QCOMPARE(e->PathList.at(6), QStringLiteral("k40r50g60b"));
    QCOMPARE(f.refreshes, 1);
}

void TestGraphicPage::strokeColourCancelledKeepsTheList() {
    InspectorFixture f;
    const QStringList list = {"x100b100h", "K1r2g3b", "M0x0y", "L50x50y", "S", "K4r5g6b"};
    TDocElementWMF* e = f.select(listElement(list, 100, 100));
    QTest::mouseClick(f.inspector->GraphicPage->SpBtnSTFarbe, Qt::LeftButton); // rejected
    QCOMPARE(e->PathList, list);
    QCOMPARE(f.refreshes, 1); // re-rendered and redrawn all the same
    f.answer = [](QDialog& d) {
        if (auto* cd = qobject_cast<QColorDialog*>(&d))
            cd->setCurrentColor(QColor(0, 255, 7));
        return int(QDialog::Accepted);
    };
    QTest::mouseClick(f.inspector->GraphicPage->SpBtnSTFarbe, Qt::LeftButton);
    QCOMPARE(e->PathList.at(1), QStringLiteral("K0r255g7b"));
    QCOMPARE(e->PathList.at(5), QStringLiteral("K4r5g6b"));
}

void TestGraphicPage::strokeWidthArrowSetsEveryWidthLine() {
    InspectorFixture f;
    const QStringList list = {"x100b100h", "w0#", "M0x0y", "L50x50y", "S", "w40#", "M1x1y"};
    TDocElementWMF* e = f.select(listElement(list, 100, 100));
    TtoolSubFormWMF* page = f.inspector->GraphicPage;
    QCOMPARE(page->Editstrich->text(), QStringLiteral("0"));
    QTest::mouseClick(page->SpinStrich->UpButton(), Qt::LeftButton);
    QCOMPARE(page->Editstrich->text(), QStringLiteral("10"));
    QCOMPARE(e->PathList.at(1), QStringLiteral("w10#"));
    QCOMPARE(e->PathList.at(5), QStringLiteral("w10#"));
    QCOMPARE(f.refreshes, 1);
    // At the lower end the arrow changes nothing.
    QTest::mouseClick(page->SpinStrich->DownButton(), Qt::LeftButton);
    QTest::mouseClick(page->SpinStrich->DownButton(), Qt::LeftButton);
    QCOMPARE(page->Editstrich->text(), QStringLiteral("0"));
    QCOMPARE(e->PathList.at(5), QStringLiteral("w0#"));
    QCOMPARE(f.refreshes, 2);
}

void TestGraphicPage::malformedListStaysUnchangedWithAMessage() {
    InspectorFixture f;
    // The bad line comes after good ones: nothing may be rewritten.
    const QStringList list = {"x100b100h", "M0x0y", "L50x50y", "L12.5x3y", "B"};
    auto element = std::make_unique<TDocElementWMF>();
    element->Metafile.SetMMWidth(100);
    element->Metafile.SetMMHeight(100);
    element->PathList = list;
    element->SourceKind = 2;
    TDocElementWMF* e = f.select(std::move(element));
    const QByteArray picture = e->Metafile.Bytes();
    QTest::mouseClick(f.inspector->GraphicPage->SpBtnAngle180, Qt::LeftButton);
    QCOMPARE(e->PathList, list);
    QCOMPARE(e->Metafile.Bytes(), picture);
    QCOMPARE(f.messages.size(), 1);
    QVERIFY(f.messages.at(0).contains(QStringLiteral("L12.5x3y")));
    QCOMPARE(f.refreshes, 0);
    // A bad colour line: no dialog, no change, a message.
    e->PathList = QStringList{"x100b100h", "kAr0g0b"};
    bool asked = false;
    f.answer = [&](QDialog&) {
        asked = true;
        return int(QDialog::Accepted);
    };
    QTest::mouseClick(f.inspector->GraphicPage->SpBtnFLFarbe, Qt::LeftButton);
    QVERIFY(!asked);
    QCOMPARE(e->PathList.at(1), QStringLiteral("kAr0g0b"));
    QCOMPARE(f.messages.size(), 2);
}

void TestGraphicPage::plainMetafileIgnoresTheOperations() {
    InspectorFixture f;
    auto element = rasterElement(pattern(4, 4));
    element->SourceKind = 0;
    TDocElementWMF* e = f.select(std::move(element));
    const QByteArray before = e->Metafile.Bytes();
    TtoolSubFormWMF* page = f.inspector->GraphicPage;
    for (QObject* sender :
         {static_cast<QObject*>(page->SpBSpiegelnHor), static_cast<QObject*>(page->SpBtnAngle180),
          static_cast<QObject*>(page->SpBtnFLFarbe), static_cast<QObject*>(page->Filter)})
        f.inspector->TtoolSubFormWMFChangeClick(sender);
    QCOMPARE(e->Metafile.Bytes(), before);
    QCOMPARE(f.refreshes, 0);
    // A raster picture of size 0 has no pixels to move; it stays as it is.
    auto empty = std::make_unique<TDocElementWMF>();
    empty->SourceKind = 1;
    empty->Metafile.LoadFromBytes(before);
    empty->Metafile.SetMMWidth(0);
    TDocElementWMF* z = f.select(std::move(empty));
    f.inspector->TtoolSubFormWMFChangeClick(page->SpBSpiegelnVer);
    QCOMPARE(z->Metafile.Bytes(), before);
    QCOMPARE(f.refreshes, 0);
    f.inspector->SetReference(e);
    // A raster picture has no list to recolour.
    e->SourceKind = 1;
    f.inspector->TtoolSubFormWMFChangeClick(page->SpBtnFLFarbe);
    QCOMPARE(f.refreshes, 0);
}

QTEST_MAIN(TestGraphicPage)
#include "tst_graphicpage.moc"
