// Mouse editing on the sheet, driven with real mouse events on the page widget.

#include "editor/undokeys.h"
#include "editorfixture.h"

class TestEditorMouse : public QObject {
    Q_OBJECT
private slots:
    void plainClickThenAltClicksWalkDownTheStack();
    void shiftCtrlAndDoubleClickSelectNothing();
    void clickOnEmptyPaperClearsSelection();
    void toleranceIsFiveScreenPixelsAtAnyZoom_data();
    void toleranceIsFiveScreenPixelsAtAnyZoom();
    void elementsOfTheOtherSideAreNeverHit();
    void deadZoneOfThreePixelsBeforeAMove();
    void releaseAfterMoveRecordsOldGeometryOnce();
    void leftEdgeDraggedPastRightEdgeKeepsPositiveWidth();
    void proportionalCornerChangesBothByTheSameMillimetres();
    void proportionalCornerNeverMakesTheOtherSizeNegative();
    void cursorShowsTheEdgeUnderThePointer();
    void newTextIsCarriedUntilTheNextClick();
    void pastedElementIsCarriedAndDroppedWithoutGeometryEntry();
    void draggingOnlyRepaintsReleaseRebuilds();
    void selectionOfAReplacedStackIsDropped();
    void edgeOfTheSelectedElementIsGrabbedUnderAnOverlap();
    void dragAfterAnUndoneInsertionRecordsItsEntry();
};

void TestEditorMouse::edgeOfTheSelectedElementIsGrabbedUnderAnOverlap() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("100"));
    TDocElement* back = f.addText(10, 10, 40, 20); // index 1
    TDocElement* front = f.addText(30, 5, 40, 40); // index 0, covers back's right edge
    // Alt walks to the element behind.
    f.click(f.px(35, 20));
    QCOMPARE(f.editor->SelectedElement, front);
    f.click(f.px(35, 20), Qt::AltModifier);
    QCOMPARE(f.editor->SelectedElement, back);

    // A press on back's right edge, inside the front element, keeps back and resizes it.
    const QPoint edge = f.px(50, 20);
    f.press(edge);
    QCOMPARE(f.editor->SelectedElement, back);
    QCOMPARE(Document->SelectedIndex, 1);
    QCOMPARE(f.editor->EdgeCode, std::uint8_t(2));
    QCOMPARE(f.editor->DragMode, std::uint8_t(2));
    f.move(edge + QPoint(19, 0));
    f.release(edge + QPoint(19, 0));
    QCOMPARE(back->Width, 40 + PixelToMm(19, 1));
    QCOMPARE(front->Width, 40.0);
    QVERIFY(Document->UndoList.first().Key.startsWith(QStringLiteral(">1l")));

    // A plain click away from back's edges selects the front element as before.
    f.click(f.px(40, 20));
    QCOMPARE(f.editor->SelectedElement, front);
}

void TestEditorMouse::dragAfterAnUndoneInsertionRecordsItsEntry() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("100"));
    TDocElement* other = f.addText(100, 100, 20, 10);
    QTest::mouseClick(f.editor->SpeedButtonText, Qt::LeftButton);
    QVERIFY(f.editor->InsertPending);
    // The insertion is undone while its element is carried.
    QTest::mouseClick(f.editor->SpeedButtonReturn, Qt::LeftButton);
    QCOMPARE(Document->Count(), 1);
    QVERIFY(Document->UndoList.isEmpty());

    // Drag the other element: its move is recorded and can be undone.
    const QPoint p = f.px(110, 105);
    f.press(p);
    QCOMPARE(f.editor->SelectedElement, other);
    f.move(p + QPoint(10, 0));
    f.move(p + QPoint(30, 0));
    f.release(p + QPoint(30, 0));
    QCOMPARE(other->Left, 100 + PixelToMm(30, 1));
    QCOMPARE(Document->UndoList.size(), 1);
    QVERIFY(Document->UndoList.first().Key.startsWith(QStringLiteral(">0l100t100")));

    // Erased while carried, then a release on empty paper: the next drag records too.
    QTest::mouseClick(f.editor->SpeedButtonText, Qt::LeftButton);
    QTest::mouseClick(f.editor->SpeedButtonErase, Qt::LeftButton);
    f.click(f.px(180, 250));
    QVERIFY(!f.editor->InsertPending);
    const int entries = int(Document->UndoList.size());
    const QPoint q = f.px(115, 105);
    f.press(q);
    QCOMPARE(f.editor->SelectedElement, other);
    f.move(q + QPoint(0, 10));
    f.move(q + QPoint(0, 20));
    f.release(q + QPoint(0, 20));
    QCOMPARE(int(Document->UndoList.size()), entries + 1);
}

void TestEditorMouse::plainClickThenAltClicksWalkDownTheStack() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("100"));
    TDocElement* lower = f.addText(10, 10, 40, 20); // ends at index 1
    TDocElement* upper = f.addText(20, 15, 40, 20); // index 0
    const QPoint p = f.px(30, 20);

    f.click(p);
    QCOMPARE(f.editor->SelectedElement, upper);
    QCOMPARE(Document->SelectedIndex, 0);
    QCOMPARE(f.inspector->reference, upper);
    QVERIFY(f.editor->SpeedButtonErase->isEnabled());
    QVERIFY(f.editor->SpeedButtonCopy->isEnabled());

    f.click(p, Qt::AltModifier);
    QCOMPARE(f.editor->SelectedElement, lower);
    QCOMPARE(Document->SelectedIndex, 1);

    f.click(p, Qt::AltModifier);
    QCOMPARE(f.editor->SelectedElement, nullptr);
    QCOMPARE(Document->SelectedIndex, -1);
    QCOMPARE(f.inspector->reference, nullptr);
    QVERIFY(!f.editor->SpeedButtonErase->isEnabled());
    QVERIFY(!f.editor->SpeedButtonCut->isEnabled());
    QVERIFY(!f.editor->SpeedButtonCopy->isEnabled());
}

void TestEditorMouse::shiftCtrlAndDoubleClickSelectNothing() {
    TEditorFixture f;
    f.addText(10, 10, 40, 20);
    const QPoint p = f.px(30, 20);
    for (Qt::KeyboardModifiers mods :
         {Qt::KeyboardModifiers(Qt::ShiftModifier), Qt::KeyboardModifiers(Qt::ControlModifier),
          Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::AltModifier)}) {
        f.click(p);
        QVERIFY(f.editor->SelectedElement);
        f.click(p, mods);
        QVERIFY2(!f.editor->SelectedElement, qPrintable(QString::number(int(mods))));
        QCOMPARE(Document->SelectedIndex, -1);
    }
    // The second press of a double click carries the double-click mark.
    QTest::mouseDClick(f.editor->Page, Qt::LeftButton, Qt::NoModifier, p);
    QCOMPARE(f.editor->SelectedElement, nullptr);
}

void TestEditorMouse::clickOnEmptyPaperClearsSelection() {
    TEditorFixture f;
    f.addText(10, 10, 40, 20);
    f.click(f.px(30, 20));
    QVERIFY(f.editor->SelectedElement);
    f.click(f.px(150, 200));
    QCOMPARE(f.editor->SelectedElement, nullptr);
    QCOMPARE(f.editor->DragMode, std::uint8_t(0));
    QCOMPARE(f.inspector->reference, nullptr);
    QCOMPARE(Document->UndoList.size(), 0);
    QVERIFY(!Document->Modified);
}

void TestEditorMouse::toleranceIsFiveScreenPixelsAtAnyZoom_data() {
    QTest::addColumn<QString>("zoomItem");
    QTest::addColumn<double>("zoom");
    QTest::newRow("100 %") << QStringLiteral("100") << 1.0;
    QTest::newRow("200 %") << QStringLiteral("200") << 2.0;
}

void TestEditorMouse::toleranceIsFiveScreenPixelsAtAnyZoom() {
    QFETCH(QString, zoomItem);
    QFETCH(double, zoom);
    TEditorFixture f;
    f.setZoomItem(zoomItem);
    QCOMPARE(f.editor->ZoomFactor, zoom);
    // Edges on whole screen pixels: left/top at pixel 100, right/bottom at pixel 200.
    const double a = PixelToMm(100, zoom), b = PixelToMm(200, zoom);
    f.addText(a, a, b - a, b - a);

    const struct {
        QPoint p;
        bool hit;
    } cases[] = {
        {{205, 150}, true}, {{206, 150}, false}, // right
        {{95, 150}, true},  {{94, 150}, false},  // left
        {{150, 205}, true}, {{150, 206}, false}, // bottom
        {{150, 95}, true},  {{150, 94}, false},  // top
        {{205, 205}, true}, {{206, 206}, false}, // corner
    };
    for (const auto& c : cases) {
        f.click(c.p);
        QVERIFY2((f.editor->SelectedElement != nullptr) == c.hit,
                 qPrintable(QStringLiteral("at %1,%2").arg(c.p.x()).arg(c.p.y())));
    }
}

void TestEditorMouse::elementsOfTheOtherSideAreNeverHit() {
    TEditorFixture f;
    TDocElement* back = f.addText(10, 10, 40, 20, 1);
    f.click(f.px(30, 20));
    QCOMPARE(f.editor->SelectedElement, nullptr);
    f.editor->TabSetSeiten->setCurrentIndex(1);
    QCOMPARE(CurrentSide, 1);
    f.click(f.px(30, 20));
    QCOMPARE(f.editor->SelectedElement, back);
}

void TestEditorMouse::deadZoneOfThreePixelsBeforeAMove() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("100"));
    TDocElement* e = f.addText(20, 20, 40, 20);
    const QPoint p0 = f.px(40, 30);
    f.press(p0);
    QCOMPARE(f.editor->DragMode, std::uint8_t(1));

    f.move(p0 + QPoint(3, 3));
    f.move(p0 + QPoint(-3, 3));
    QVERIFY(!f.editor->DragStarted);
    QCOMPARE(e->Left, 20.0);
    QCOMPARE(e->Top, 20.0);

    // Four pixels leave the dead zone, but the element moves only with the next event.
    f.move(p0 + QPoint(4, 0));
    QVERIFY(f.editor->DragStarted);
    QCOMPARE(e->Left, 20.0);
    f.move(p0 + QPoint(10, -6));
    QCOMPARE(e->Left, 20.0 + PixelToMm(10, 1.0));
    QCOMPARE(e->Top, 20.0 + PixelToMm(-6, 1.0));
    QVERIFY(f.inspector->updates > 0);
    f.release(p0 + QPoint(10, -6));

    // A press followed by a move inside the dead zone changes nothing and records nothing.
    Document->UndoList.clear();
    Document->Modified = false;
    const double left = e->Left;
    const QPoint p1 = f.px(e->Left + 20, e->Top + 10);
    f.press(p1);
    f.move(p1 + QPoint(2, -3));
    f.release(p1 + QPoint(2, -3));
    QCOMPARE(e->Left, left);
    QCOMPARE(Document->UndoList.size(), 0);
    QVERIFY(!Document->Modified);
}

void TestEditorMouse::releaseAfterMoveRecordsOldGeometryOnce() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("100"));
    TDocElement* e = f.addText(20.5, 20.25, 40, 20);
    f.addText(150, 150, 10, 10); // the moved element is at index 1
    const QPoint p0 = f.px(40, 30);
    f.press(p0);
    QCOMPARE(Document->SelectedIndex, 1);
    f.move(p0 + QPoint(20, 0));
    f.move(p0 + QPoint(40, 8));
    f.release(p0 + QPoint(40, 8));

    QCOMPARE(Document->UndoList.size(), 1);
    const TUndoKey key = ParseUndoKey(Document->UndoList.first().Key);
    QCOMPARE(key.kind, TUndoKey::Geometry);
    QCOMPARE(key.index, 1);
    QCOMPARE(key.left, 20.5);
    QCOMPARE(key.top, 20.25);
    QCOMPARE(key.width, 40.0);
    QCOMPARE(key.height, 20.0);
    QVERIFY(Document->Modified);
    QCOMPARE(f.editor->DragMode, std::uint8_t(0));

    // The undo button puts the element back.
    QVERIFY(f.editor->SpeedButtonReturn->isEnabled());
    QTest::mouseClick(f.editor->SpeedButtonReturn, Qt::LeftButton);
    QCOMPARE(e->Left, 20.5);
    QCOMPARE(e->Top, 20.25);
    QCOMPARE(Document->UndoList.size(), 0);
}

void TestEditorMouse::leftEdgeDraggedPastRightEdgeKeepsPositiveWidth() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("100"));
    // Left edge on pixel 100, right edge on pixel 180.
    TDocElement* e = f.addText(PixelToMm(100, 1), 30, PixelToMm(80, 1), 20);
    const int y = f.px(0, 40).y();
    f.press(QPoint(100, y));
    QCOMPARE(f.editor->EdgeCode, std::uint8_t(1));
    QCOMPARE(f.editor->DragMode, std::uint8_t(2));

    // On an edge there is no dead zone: a single pixel resizes.
    f.move(QPoint(101, y));
    QCOMPARE(e->Width, PixelToMm(80, 1) - PixelToMm(1, 1));
    f.move(QPoint(179, y));
    const double lastWidth = PixelToMm(80, 1) - PixelToMm(79, 1);
    QVERIFY(qAbs(e->Width - lastWidth) < 1e-9);
    for (int x : {180, 181, 220, 400}) {
        f.move(QPoint(x, y));
        QVERIFY(qAbs(e->Width - lastWidth) < 1e-9);
        QVERIFY(qAbs(e->Left - PixelToMm(179, 1)) < 1e-9);
    }
    f.release(QPoint(400, y));
    QVERIFY(e->Width > 0);
    QCOMPARE(ParseUndoKey(Document->UndoList.first().Key).kind, TUndoKey::Geometry);
}

void TestEditorMouse::proportionalCornerChangesBothByTheSameMillimetres() {
    for (bool proportional : {true, false}) {
        TEditorFixture f;
        f.setZoomItem(QStringLiteral("100"));
        f.inspector->proportional = proportional;
        // Bottom-right corner on pixel (200, 180).
        TDocElement* e =
            f.addText(PixelToMm(100, 1), PixelToMm(100, 1), PixelToMm(100, 1), PixelToMm(80, 1));
        const double w0 = e->Width, h0 = e->Height;
        f.press(QPoint(200, 180));
        QCOMPARE(f.editor->EdgeCode, std::uint8_t(5));
        f.move(QPoint(210, 200));
        f.release(QPoint(210, 200));
        if (proportional) {
            QCOMPARE(e->Width, w0 + PixelToMm(20, 1));
            QCOMPARE(e->Height, h0 + PixelToMm(20, 1));
        } else {
            QCOMPARE(e->Width, w0 + PixelToMm(10, 1));
            QCOMPARE(e->Height, h0 + PixelToMm(20, 1));
        }
        QCOMPARE(e->Left, PixelToMm(100, 1));
        QCOMPARE(e->Top, PixelToMm(100, 1));
    }

    // Top-left corner: the opposite (bottom-right) corner stays where it was.
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("100"));
    f.inspector->proportional = true;
    TDocElement* e =
        f.addText(PixelToMm(100, 1), PixelToMm(100, 1), PixelToMm(100, 1), PixelToMm(80, 1));
    const double right = e->Left + e->Width, bottom = e->Top + e->Height;
    f.press(QPoint(100, 100));
    QCOMPARE(f.editor->EdgeCode, std::uint8_t(8));
    f.move(QPoint(110, 120));
    QVERIFY(qAbs(e->Left + e->Width - right) < 1e-9);
    QVERIFY(qAbs(e->Top + e->Height - bottom) < 1e-9);
    QVERIFY(qAbs(e->Height - (PixelToMm(80, 1) - PixelToMm(20, 1))) < 1e-9);
    QVERIFY(qAbs(e->Width - (PixelToMm(100, 1) - PixelToMm(20, 1))) < 1e-9);
}

void TestEditorMouse::proportionalCornerNeverMakesTheOtherSizeNegative() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("100"));
    f.inspector->proportional = true;
    // Narrow and tall: dragging the bottom-right corner up by more than the width would
    // take the width below zero while the height stays positive.
    TDocElement* e =
        f.addText(PixelToMm(100, 1), PixelToMm(100, 1), PixelToMm(20, 1), PixelToMm(150, 1));
    f.press(QPoint(120, 250));
    QCOMPARE(f.editor->EdgeCode, std::uint8_t(5));
    for (int y : {240, 200, 150, 120}) {
        f.move(QPoint(120, y));
        QVERIFY2(e->Width > 0 && e->Height > 0, qPrintable(QString::number(y)));
    }
    f.release(QPoint(120, 120));
    QVERIFY(e->Width > 0);
}

void TestEditorMouse::cursorShowsTheEdgeUnderThePointer() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("100"));
    f.addText(PixelToMm(100, 1), PixelToMm(100, 1), PixelToMm(100, 1), PixelToMm(80, 1));
    f.click(QPoint(150, 140));
    const struct {
        QPoint p;
        Qt::CursorShape shape;
    } cases[] = {
        {{150, 140}, Qt::ArrowCursor},     {{100, 140}, Qt::SizeHorCursor},
        {{200, 140}, Qt::SizeHorCursor},   {{150, 100}, Qt::SizeVerCursor},
        {{150, 180}, Qt::SizeVerCursor},   {{200, 180}, Qt::SizeFDiagCursor},
        {{100, 100}, Qt::SizeFDiagCursor}, {{200, 100}, Qt::SizeBDiagCursor},
        {{100, 180}, Qt::SizeBDiagCursor}, {{400, 400}, Qt::ArrowCursor},
    };
    for (const auto& c : cases) {
        f.move(c.p);
        QCOMPARE(f.editor->Page->cursor().shape(), c.shape);
    }
}

void TestEditorMouse::newTextIsCarriedUntilTheNextClick() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("100"));
    f.addText(100, 100, 10, 10);
    QTest::mouseClick(f.editor->SpeedButtonText, Qt::LeftButton);
    QCOMPARE(Document->Count(), 2);
    TDocElement* e = Document->Element(0);
    QCOMPARE(f.editor->SelectedElement, e);
    QCOMPARE(f.inspector->reference, e);
    QVERIFY(f.editor->InsertPending);
    QCOMPARE(f.editor->DragMode, std::uint8_t(1));
    QCOMPARE(Document->UndoList.first().Key, QStringLiteral("-0"));

    // No button held: the first move leaves the dead zone, then the corner follows.
    f.move(QPoint(60, 70));
    f.move(QPoint(80, 90));
    QCOMPARE(e->Left, PixelToMm(80, 1));
    QCOMPARE(e->Top, PixelToMm(90, 1));

    f.press(QPoint(80, 90));
    QCOMPARE(f.editor->SelectedElement, e);
    QCOMPARE(f.editor->EdgeCode, std::uint8_t(8));
    f.release(QPoint(80, 90));
    QVERIFY(!f.editor->InsertPending);
    QVERIFY(Document->Modified);
    QCOMPARE(Document->UndoList.size(), 1); // only the insertion's "-0"

    // Carry mode is over: moving without a button no longer moves the element.
    f.move(QPoint(300, 300));
    QCOMPARE(e->Left, PixelToMm(80, 1));
}

void TestEditorMouse::pastedElementIsCarriedAndDroppedWithoutGeometryEntry() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("100"));
    f.addText(50, 50, 30, 10);
    f.click(f.px(60, 55));
    QTest::mouseClick(f.editor->SpeedButtonCopy, Qt::LeftButton);
    QVERIFY(f.editor->SpeedButtonPaste->isEnabled());
    QTest::mouseClick(f.editor->SpeedButtonPaste, Qt::LeftButton);
    QCOMPARE(Document->Count(), 2);
    TDocElement* pasted = Document->Element(0);
    QCOMPARE(pasted->Left, 0.0);
    QVERIFY(f.editor->InsertPending);

    f.move(QPoint(30, 30));
    f.move(QPoint(40, 44));
    QCOMPARE(pasted->Left, PixelToMm(40, 1));
    QCOMPARE(pasted->Top, PixelToMm(44, 1));
    f.click(QPoint(40, 44));
    QCOMPARE(Document->UndoList.size(), 1);
    QCOMPARE(Document->UndoList.first().Key, QStringLiteral("-0"));
    QVERIFY(!f.editor->InsertPending);

    // A main window that hands over the pointer position in its own coordinates does not
    // shift the carried element away from the pointer.
    QTest::mouseClick(f.editor->SpeedButtonPaste, Qt::LeftButton);
    f.editor->PageProcessSimpleHit(Document->Element(0), 250, 40, true);
    f.move(QPoint(60, 70));
    f.move(QPoint(70, 75));
    QCOMPARE(Document->Element(0)->Left, PixelToMm(70, 1));
    QCOMPARE(Document->Element(0)->Top, PixelToMm(75, 1));
}

void TestEditorMouse::draggingOnlyRepaintsReleaseRebuilds() {
    TEditorFixture f;
    f.setZoomItem(QStringLiteral("100"));
    f.addText(20, 20, 40, 20);
    const QPoint p0 = f.px(40, 30);
    f.press(p0);
    const int before = f.editor->RebuildCount();
    for (int d = 5; d < 60; d += 5)
        f.move(p0 + QPoint(d, d));
    QCOMPARE(f.editor->RebuildCount(), before);
    f.release(p0 + QPoint(55, 55));
    QCOMPARE(f.editor->RebuildCount(), before + 1);
}

void TestEditorMouse::selectionOfAReplacedStackIsDropped() {
    TEditorFixture f;
    f.addText(20, 20, 40, 20);
    f.click(f.px(30, 30));
    QVERIFY(f.editor->SelectedElement);
    // Another workspace replaces the document behind the editor's back.
    Document->Clear();
    f.addText(20, 20, 40, 20);
    f.editor->WakeUp();
    QCOMPARE(f.editor->SelectedElement, nullptr);
    QCOMPARE(f.inspector->reference, nullptr);
    f.move(f.px(30, 30));
    f.release(f.px(30, 30));
    QCOMPARE(Document->UndoList.size(), 0);
}

QTEST_MAIN(TestEditorMouse)
#include "tst_editormouse.moc"
