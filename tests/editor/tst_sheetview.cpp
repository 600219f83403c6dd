// The sheet view: page size per zoom, fit modes, the zoom box, the rulers and the side shown.

#include "editorfixture.h"

#include <QStatusBar>
#include <QStatusTipEvent>
#include <cmath>

namespace {

bool blackAt(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) < 128;
}

// Whether the top ruler has a tick of the given length at pixel column x.
int topTickLength(const QImage& ruler, int x) {
    int n = 0;
    for (int y = ruler.height() - 1; y >= 0 && blackAt(ruler, x, y); --y)
        ++n;
    return n;
}

} // namespace

class TestSheetView : public QObject {
    Q_OBJECT
private slots:
    void a4AtFullSizeIs788By1114();
    void rulerStepsFollowTheZoom_data();
    void rulerStepsFollowTheZoom();
    void lastRulerTickAndLabels();
    void zoomItemsAndTenPercentClamp();
    void fitModesUseTheScrollBoxSize();
    void resizeRefitsOnlyInFitModes();
    void sheetShowsOnlyTheCurrentSide();
    void selectionFrameIsDrawnOverTheBitmap();
    void sleepAndWakeUpHideAndShowTheInspector();
    void worksWithoutInspector();
    void longHintGoesToTheStatusBar();
};

void TestSheetView::a4AtFullSizeIs788By1114() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("100"));
    QCOMPARE(f.editor->ZoomFactor, 1.0);
    QCOMPARE(f.editor->Page->size(), QSize(788, 1114));
    QCOMPARE(f.editor->SheetBitmap.size(), QSize(788, 1114));
    QCOMPARE(f.editor->TopRulerBitmap.size(), QSize(808, 17));
    QCOMPARE(f.editor->SideRulerBitmap.size(), QSize(17, 1114));
    // The page turner sits directly under the sheet, as wide as the sheet.
    QCOMPARE(f.editor->TabSetSeiten->geometry().top(), 1114);
    QCOMPARE(f.editor->TabSetSeiten->width(), 788);

    f.setZoomItem(QStringLiteral("50"));
    QCOMPARE(f.editor->Page->size(), QSize(394, 557));
}

void TestSheetView::rulerStepsFollowTheZoom_data() {
    QTest::addColumn<double>("zoom");
    QTest::addColumn<int>("small");
    QTest::addColumn<int>("middle");
    QTest::addColumn<int>("label");
    QTest::newRow("0.74") << 0.74 << 10 << 50 << 100;
    QTest::newRow("0.75") << 0.75 << 5 << 25 << 50;
    QTest::newRow("1.49") << 1.49 << 5 << 25 << 50;
    QTest::newRow("1.5") << 1.5 << 1 << 5 << 10;
}

void TestSheetView::rulerStepsFollowTheZoom() {
    QFETCH(double, zoom);
    QFETCH(int, small);
    QFETCH(int, middle);
    TEditorFixture f;
    f.editor->ZoomFactor = zoom;
    f.editor->AdjustPage();
    const QImage& ruler = f.editor->TopRulerBitmap;
    // A short tick at the small step, a longer one at the middle step, none in between.
    QCOMPARE(topTickLength(ruler, MmToPixel(zoom, small * 3)), small * 3 % middle ? 3 : 5);
    QCOMPARE(topTickLength(ruler, MmToPixel(zoom, middle)), 5);
    const int between = (MmToPixel(zoom, small) + MmToPixel(zoom, 2 * small)) / 2;
    QCOMPARE(topTickLength(ruler, between), 0);
    // The side ruler uses the same steps: ticks grow leftwards from the right edge.
    const QImage& side = f.editor->SideRulerBitmap;
    const int y = MmToPixel(zoom, middle);
    QVERIFY(blackAt(side, side.width() - 5, y));
    QVERIFY(!blackAt(side, side.width() - 6, y) || y < 12);
}

void TestSheetView::lastRulerTickAndLabels() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("50"));
    QCOMPARE(TfrmTabEditor::RulerStepsFor(0.5).Small, 10);
    const QImage& side = f.editor->SideRulerBitmap;
    // 297 mm with 10 mm steps: the last tick is at 290 mm, none at 297 mm.
    QVERIFY(blackAt(side, side.width() - 1, MmToPixel(0.5, 290)));
    QVERIFY(!blackAt(side, side.width() - 1, MmToPixel(0.5, 295)));
    // Labels start at their tick: some ink right of the 100 mm tick on the top ruler.
    const QImage& top = f.editor->TopRulerBitmap;
    bool ink = false;
    for (int x = MmToPixel(0.5, 100); x < MmToPixel(0.5, 100) + 12; ++x)
        for (int y = 1; y < 11; ++y)
            ink = ink || blackAt(top, x, y);
    QVERIFY(ink);
}

void TestSheetView::zoomItemsAndTenPercentClamp() {
    TEditorFixture f;
    QComboBox* combo = f.editor->ZoomComboBox;
    QCOMPARE(combo->count(), 12);
    QCOMPARE(combo->itemText(0), QStringLiteral("Ganzes Blatt"));
    QCOMPARE(combo->itemText(2), QStringLiteral("Blatthöhe"));
    QCOMPARE(combo->itemText(11), QStringLiteral("10"));
    QCOMPARE(combo->currentIndex(), 0);

    f.setZoomItem(QStringLiteral("10"));
    QCOMPARE(f.editor->ZoomFactor, 0.1);
    f.setZoomItem(QStringLiteral("175"));
    QCOMPARE(f.editor->ZoomFactor, 1.75);

    // A window far too small for the sheet: the fit is raised to 10 % and the box says so.
    f.editor->resize(200, 120);
    f.setZoomItem(QStringLiteral("Ganzes Blatt"));
    QCOMPARE(f.editor->ZoomFactor, 0.1);
    QCOMPARE(combo->currentIndex(), 11);
    QCOMPARE(f.editor->Page->size(), QSize(79, 111));

    // Enter in the box applies it as well.
    combo->setCurrentIndex(combo->findText(QStringLiteral("200")));
    QTest::keyClick(combo, Qt::Key_Return);
    QCOMPARE(f.editor->ZoomFactor, 2.0);
}

void TestSheetView::fitModesUseTheScrollBoxSize() {
    TEditorFixture f;
    const int w = f.editor->ScrollBox->width(), h = f.editor->ScrollBox->height();
    f.setZoomItem(QStringLiteral("Ganzes Blatt"));
    const double whole = std::min((w - 25) / 793.0, (h - 25) / 1122.0);
    QCOMPARE(f.editor->ZoomFactor, whole);
    f.setZoomItem(QStringLiteral("Blattbreite"));
    QCOMPARE(f.editor->ZoomFactor, (w - 25) / std::trunc(210 / MmPerPixel));
    f.setZoomItem(QStringLiteral("Blatthöhe"));
    QCOMPARE(f.editor->ZoomFactor, (h - 25) / 1122.0);
    // The width fit fills the free width exactly.
    f.setZoomItem(QStringLiteral("Blattbreite"));
    QCOMPARE(f.editor->Page->width(), w - 25);
}

void TestSheetView::resizeRefitsOnlyInFitModes() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("Ganzes Blatt"));
    const double before = f.editor->ZoomFactor;
    f.editor->resize(900, 1000);
    QVERIFY(f.editor->ZoomFactor > before);

    f.setZoomItem(QStringLiteral("75"));
    f.editor->resize(600, 500);
    QCOMPARE(f.editor->ZoomFactor, 0.75);
    QCOMPARE(f.editor->ZoomComboBox->currentText(), QStringLiteral("75"));
}

void TestSheetView::sheetShowsOnlyTheCurrentSide() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("100"));
    TDocElementTXT* front = f.addText(10, 10, 60, 20, 0);
    front->Text = QStringLiteral("WWW");
    TDocElementTXT* back = f.addText(10, 100, 60, 20, 1);
    back->Text = QStringLiteral("WWW");
    f.editor->PageFullRefresh();

    auto inkIn = [&](double topMm) {
        const QImage& sheet = f.editor->SheetBitmap;
        int n = 0;
        for (int y = MmToPixel(1, topMm); y < MmToPixel(1, topMm + 20); ++y)
            for (int x = MmToPixel(1, 10); x < MmToPixel(1, 70); ++x)
                n += blackAt(sheet, x, y) ? 1 : 0;
        return n;
    };
    QVERIFY(inkIn(10) > 0);
    QCOMPARE(inkIn(100), 0);
    f.editor->TabSetSeiten->setCurrentIndex(1);
    QCOMPARE(inkIn(10), 0);
    QVERIFY(inkIn(100) > 0);
}

void TestSheetView::selectionFrameIsDrawnOverTheBitmap() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("100"));
    f.addText(PixelToMm(100, 1), PixelToMm(100, 1), PixelToMm(100, 1), PixelToMm(50, 1));
    f.editor->PageFullRefresh();
    f.click(QPoint(150, 125));
    const QImage shown = f.editor->Page->grab().toImage();
    // The dotted frame is not part of the sheet bitmap, only of what is shown.
    int frameDots = 0, bitmapDots = 0;
    for (int x = 100; x < 200; ++x) {
        frameDots += shown.pixelColor(x, 100) != Qt::white;
        bitmapDots += f.editor->SheetBitmap.pixelColor(x, 100) != Qt::white;
    }
    QVERIFY(frameDots >= 40);
    QCOMPARE(bitmapDots, 0);
}

void TestSheetView::sleepAndWakeUpHideAndShowTheInspector() {
    TEditorFixture f;
    QVERIFY(f.inspector);
    QVERIFY(f.editor->InspectorWasVisible);
    QVERIFY(!f.inspector->isVisible());
    f.editor->WakeUp();
    QVERIFY(f.inspector->isVisible());
    f.editor->Sleep();
    QVERIFY(!f.inspector->isVisible());
    f.editor->WakeUp();
    QVERIFY(f.inspector->isVisible());
    QVERIFY(f.inspector->fullRefresh);
    const int before = f.editor->RebuildCount();
    f.inspector->fullRefresh();
    QCOMPARE(f.editor->RebuildCount(), before + 1);
    QCOMPARE(f.inspector->toggle, f.editor->SpeedButtonObjectInspector);
}

void TestSheetView::worksWithoutInspector() {
    TEditorFixture f(false);
    QCOMPARE(f.editor->Inspector, nullptr);
    f.addText(10, 10, 40, 20);
    f.editor->WakeUp();
    f.click(f.px(20, 20));
    QVERIFY(f.editor->SelectedElement);
    f.press(f.px(50, 30)); // right edge
    f.move(f.px(60, 40));
    f.release(f.px(60, 40));
    f.editor->Sleep();
    QTest::mouseClick(f.editor->SpeedButtonObjectInspector, Qt::LeftButton);
}

void TestSheetView::longHintGoesToTheStatusBar() {
    TEditorFixture f;
    QCOMPARE(f.editor->SpeedButtonCut->toolTip(), QStringLiteral("Ausschneiden"));
    QStatusTipEvent tip(f.editor->SpeedButtonCut->statusTip());
    QCoreApplication::sendEvent(f.editor->SpeedButtonCut, &tip);
    QCOMPARE(f.editor->StatusBar->currentMessage(),
             QStringLiteral("Objekt ausschneiden und im Clipboard deponieren"));
}

QTEST_MAIN(TestSheetView)
#include "tst_sheetview.moc"
