// A freshly inserted element follows the pointer drawn as itself, not only as its frame, and
// lies on the sheet at the drop place right after the click. Checked by grabbing the sheet
// widget and looking where the ink is.

#include "editorfixture.h"

#include <QImage>
#include <QTemporaryDir>

class TestCarry : public QObject {
    Q_OBJECT
private slots:
    void carriedPictureIsPaintedAtThePointerWithoutRebuilds();
    void droppedPictureIsOnTheSheetAtTheDropPlace();
    void carriedTextLetsTheSheetShowThroughAroundItsLetters();
    void undoOrAnotherZoomWhileCarried();
};

namespace {

// Counts the pixels of roughly this colour inside rect (clipped to the image).
int countColour(const QImage& image, const QRect& rect, QRgb colour) {
    int n = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += std::abs(qRed(p) - qRed(colour)) < 40 &&
                 std::abs(qGreen(p) - qGreen(colour)) < 40 &&
                 std::abs(qBlue(p) - qBlue(colour)) < 40;
        }
    return n;
}

// The bounding box of the pixels of this colour, or an empty rectangle.
QRect inkBox(const QImage& image, QRgb colour) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (countColour(image, QRect(x, y, 1, 1), colour))
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

QImage grabPage(TEditorFixture& f) {
    return f.editor->Page->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// A plain BMP of one colour, imported through the editor's own import.
bool importBlock(TEditorFixture& f, const QTemporaryDir& dir, const QString& name, QSize size,
                 QColor colour) {
    QImage block(size, QImage::Format_RGB32);
    block.fill(colour);
    const QString path = dir.filePath(name);
    return block.save(path, "BMP") && f.editor->ImportGraphicFile(path);
}

// Moves without a button: the first step leaves the dead zone, the second carries.
void carryTo(TEditorFixture& f, QPoint p) {
    f.move(p + QPoint(-10, -10));
    f.move(p);
}

constexpr QRgb Red = 0xffff0000;
constexpr QRgb Blue = 0xff0000ff;

} // namespace

void TestCarry::carriedPictureIsPaintedAtThePointerWithoutRebuilds() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("100"));
    QTemporaryDir dir;
    QVERIFY(importBlock(f, dir, QStringLiteral("rot.bmp"), QSize(60, 40), Qt::red));
    TDocElement* e = Document->Element(0);
    QCOMPARE(f.editor->CarriedElement(), e);

    // Right after the insertion, before any move, it is visible at its first place.
    QVERIFY(countColour(grabPage(f), QRect(0, 0, 60, 40), Red) > 2000);

    const int rebuilds = f.editor->RebuildCount();
    for (int step = 0; step < 5; ++step)
        carryTo(f, QPoint(150 + 20 * step, 120 + 10 * step));
    QCOMPARE(f.editor->RebuildCount(), rebuilds);

    const QImage shot = grabPage(f);
    const QRect ink = inkBox(shot, Red);
    // The top-left corner sits under the pointer; the picture keeps its 60 x 40 pixels.
    QVERIFY2(std::abs(ink.left() - 230) <= 1 && std::abs(ink.top() - 160) <= 1,
             qPrintable(QStringLiteral("ink at %1,%2").arg(ink.left()).arg(ink.top())));
    QVERIFY(std::abs(ink.width() - 60) <= 1 && std::abs(ink.height() - 40) <= 1);
    // Nothing of it is left at the first place, and the sheet image itself is without it.
    QCOMPARE(countColour(shot, QRect(0, 0, 100, 100), Red), 0);
    QCOMPARE(countColour(f.editor->SheetBitmap, f.editor->SheetBitmap.rect(), Red), 0);
}

void TestCarry::droppedPictureIsOnTheSheetAtTheDropPlace() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("100"));
    QTemporaryDir dir;
    QVERIFY(importBlock(f, dir, QStringLiteral("rot.bmp"), QSize(60, 40), Qt::red));
    TDocElement* e = Document->Element(0);
    carryTo(f, QPoint(300, 200));
    f.press(QPoint(300, 200));
    // Already with the press: the carry is over and the picture is part of the sheet image.
    QCOMPARE(f.editor->CarriedElement(), nullptr);
    QVERIFY(countColour(f.editor->SheetBitmap, QRect(300, 200, 60, 40), Red) > 2000);
    f.release(QPoint(300, 200));

    QCOMPARE(Document->Count(), 1);
    QCOMPARE(e->Left, PixelToMm(300, 1));
    QCOMPARE(e->Top, PixelToMm(200, 1));
    QVERIFY(!f.editor->InsertPending);
    const QImage shot = grabPage(f);
    QVERIFY(countColour(shot, QRect(300, 200, 60, 40), Red) > 2000);
    QCOMPARE(countColour(shot, QRect(0, 0, 299, 199), Red), 0);

    // Later moves without a button leave it where it was dropped.
    f.move(QPoint(500, 500));
    QCOMPARE(inkBox(grabPage(f), Red).topLeft(), QPoint(300, 200));
}

void TestCarry::carriedTextLetsTheSheetShowThroughAroundItsLetters() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("100"));
    QTemporaryDir dir;
    // A blue ground, dropped at the top-left corner of the sheet.
    QVERIFY(importBlock(f, dir, QStringLiteral("blau.bmp"), QSize(300, 200), Qt::blue));
    f.click(QPoint(0, 0));
    QCOMPARE(f.editor->CarriedElement(), nullptr);

    QTest::mouseClick(f.editor->SpeedButtonText, Qt::LeftButton);
    auto* text = dynamic_cast<TDocElementTXT*>(Document->Element(0));
    QVERIFY(text);
    QCOMPARE(f.editor->CarriedElement(), text);
    text->FontColor = 0x0000FF;  // red, 0x00BBGGRR
    f.editor->PageFullRefresh(); // what the inspector does after a change
    carryTo(f, QPoint(40, 50));

    const QRect box = f.editor->CarriedRect();
    QVERIFY(box.isValid());
    const QImage shot = grabPage(f);
    // Inside the carried text's frame: its letters and the blue ground between them, no white.
    const QRect inside = box.adjusted(2, 2, -2, -2);
    QVERIFY(countColour(shot, inside, Red) > 10);
    QVERIFY(countColour(shot, inside, Blue) > box.width() * box.height() / 3);
    QCOMPARE(countColour(shot, inside, 0xffffffff), 0);
}

void TestCarry::undoOrAnotherZoomWhileCarried() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("100"));
    QTemporaryDir dir;
    QVERIFY(importBlock(f, dir, QStringLiteral("rot.bmp"), QSize(60, 40), Qt::red));
    carryTo(f, QPoint(100, 100));

    // Another zoom renders the carried picture anew at that scale.
    f.setZoomItem(QStringLiteral("200"));
    QVERIFY(f.editor->CarriedElement());
    carryTo(f, QPoint(100, 100));
    const QRect ink = inkBox(grabPage(f), Red);
    QVERIFY2(std::abs(ink.width() - 120) <= 2 && std::abs(ink.height() - 80) <= 2,
             qPrintable(QStringLiteral("%1 x %2").arg(ink.width()).arg(ink.height())));

    // Undo takes the carried element away: nothing of it is painted any more.
    f.editor->SpeedButtonReturnClick();
    QCOMPARE(Document->Count(), 0);
    QCOMPARE(f.editor->CarriedElement(), nullptr);
    QCOMPARE(countColour(grabPage(f), f.editor->Page->rect(), Red), 0);
    carryTo(f, QPoint(200, 200));
    QCOMPARE(countColour(grabPage(f), f.editor->Page->rect(), Red), 0);
}

QTEST_MAIN(TestCarry)
#include "tst_carry.moc"
