// The document and its elements: defaults, element operations, undo entries, the
// discard question, titles, unit conversion, hit testing and edge zones.

#include "document/appdocument.h"
#include "ui/globals.h"
#include "document/units.h"
#include <QApplication>
#include <QWidget>
#include <QtTest>

namespace {

struct FakeMainLink : TMainLink {
    bool answer = true;
    int asked = 0;
    QString caption, question;
    void SelectElement(int, bool) override {}
    void Change2Save() override {}
    bool AskFrage(const QString& c, const QString& q) override
    {
        ++asked;
        caption = c;
        question = q;
        return answer;
    }
};

// An element whose edges lie on whole pixels at the zoom.
TDocElementTXT* addBox(TAppDocument& d, int x, int y, int w, int h, double zoom)
{
    TDocElementTXT* t = d.AddText(QStringLiteral("x"), CurrentSide);
    t->Left = PixelToMm(x, zoom);
    t->Top = PixelToMm(y, zoom);
    t->Width = PixelToMm(w, zoom);
    t->Height = PixelToMm(h, zoom);
    return t;
}

} // namespace

class TestDocModel : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetGlobals(); }

    void clearGivesAnEmptyA4Sheet()
    {
        TAppDocument d(true);
        d.AddText(QStringLiteral("a"), CurrentSide);
        d.PageWidth = 1;
        d.PageHeight = 2;
        d.PrintMarginLeft = d.PrintMarginRight = d.PrintMarginTop = d.PrintMarginBottom = 3;
        d.PrintDistHor = d.PrintDistVer = 4;
        d.CopyCount = 7;
        d.SelectAllCells = true;
        d.Orientation = 1;
        d.SelectedIndex = 0;
        d.FileName = QStringLiteral("/x.qmk");
        d.Notes = QStringLiteral("bleibt");
        d.InsertUndo(QStringLiteral("-0"));
        d.Clear();
        QCOMPARE(d.Count(), 0);
        QCOMPARE(d.PageWidth, 210.0);
        QCOMPARE(d.PageHeight, 297.0);
        for (double v : {d.PrintMarginLeft, d.PrintMarginRight, d.PrintMarginTop,
                         d.PrintMarginBottom, d.PrintDistHor, d.PrintDistVer})
            QCOMPARE(v, 0.0);
        QCOMPARE(d.CopyCount, std::uint16_t(1));
        QVERIFY(!d.SelectAllCells);
        QCOMPARE(d.Orientation, std::uint8_t(0));
        QCOMPARE(d.SelectedIndex, -1);
        QCOMPARE(d.FileName, QString());
        QVERIFY(!d.Modified);
        // Notes survive; undo entries of the elements gone do not.
        QCOMPARE(d.Notes, QStringLiteral("bleibt"));
        QVERIFY(d.UndoList.isEmpty());
    }

    void unitConversionTruncatesTowardZero()
    {
        QCOMPARE(MmToPixel(1, 105), 394);
        QCOMPARE(MmToPixel(1, 1), 3);   // 3.75
        QCOMPARE(MmToPixel(1, -1), -3); // not -4
        QCOMPARE(MmToPixel(2, 1), 7);   // 7.5
        QCOMPARE(MmToPixel(0.5, 1), 1);
        QCOMPARE(MmToPixel(1, 1e300), std::numeric_limits<int>::max());
        QCOMPARE(PixelToMm(394, 1), 105.0);
        QCOMPARE(PixelToMm(394, 2), 52.5);
    }

    void fitZoomUsesTheTighterSide()
    {
        TAppDocument d(false);
        QCOMPARE(d.FitZoom(600, 400), 400 * 0.266497461928934 / 297);
        QCOMPARE(d.FitZoom(100, 1000), 100 * 0.266497461928934 / 210);
        d.PageWidth = 297;
        d.PageHeight = 210;
        QCOMPARE(d.FitZoom(600, 500), 600 * 0.266497461928934 / 297);
        QCOMPARE(d.FitZoom(600, 400), 400 * 0.266497461928934 / 210);
    }

    void addedElementsGoOnTopOfTheShownSide()
    {
        TAppDocument d(false);
        CurrentSide = 1;
        TDocElementTXT* t = d.AddText(QStringLiteral("Hallo"), CurrentSide);
        QCOMPARE(d.Element(0), t);
        QCOMPARE(t->Side, 1);
        QCOMPARE(t->Left, 0.0);
        QCOMPARE(t->Width, 30.0);
        QCOMPARE(t->Height, 10.0);
        QCOMPARE(t->Text, QStringLiteral("Hallo"));
        QCOMPARE(t->FontSize, 300);
        QCOMPARE(t->ShadowColor, TColor(0xFF0000));
        QVERIFY(d.Modified);

        CurrentSide = 0;
        TMetafile mf;
        mf.SetMMWidth(2540); // 96 pixels at the reference
        mf.SetMMHeight(1270);
        const QStringList list = {QStringLiteral("x2540b1270h")};
        TDocElementWMF* g = d.AddGraphic(mf, 2, &list, CurrentSide);
        QCOMPARE(d.Element(0), g);
        QCOMPARE(d.Element(1), t);
        QCOMPARE(g->Side, 0);
        // Its own physical size (the frame), not screen pixels.
        QCOMPARE(g->Width, 25.4);
        QCOMPARE(g->Height, 12.7);
        QCOMPARE(g->SourceKind, std::uint8_t(2));
        QCOMPARE(g->PathList, list);

        // Larger than the 85 x 55 mm card: shrunk in proportion to fit it.
        d.PageWidth = 85;
        d.PageHeight = 55;
        TMetafile large;
        large.SetMMWidth(22300);
        large.SetMMHeight(11150);
        TDocElementWMF* big = d.AddGraphic(large, 0, nullptr, CurrentSide);
        QCOMPARE(big->Width, 85.0);
        QCOMPARE(big->Height, 42.5);
    }

    void clonesAreIndependent()
    {
        TDocElement base;
        QCOMPARE(base.Clone(), nullptr);

        TDocElementWMF g;
        g.Left = 1;
        g.Top = 2;
        g.Width = 3;
        g.Height = 4;
        g.Side = 1;
        g.SourceKind = 2;
        g.PathList = QStringList{QStringLiteral("x1b1h")};
        g.Metafile.LoadFromBytes(QByteArray("abc"));
        std::unique_ptr<TDocElement> c(g.Clone());
        auto* gc = dynamic_cast<TDocElementWMF*>(c.get());
        QVERIFY(gc);
        QCOMPARE(gc->Height, 4.0);
        QCOMPARE(gc->Side, 1);
        QCOMPARE(gc->Metafile.Bytes(), QByteArray("abc"));
        // A copy stays what the original is: a path-list picture keeps its list (it was
        // kind 0 without a list, so pasted cliparts lost their colour and stroke controls).
        QCOMPARE(gc->SourceKind, std::uint8_t(2));
        QCOMPARE(gc->PathList, QStringList{QStringLiteral("x1b1h")});
        g.Metafile.LoadFromBytes(QByteArray("xyz"));
        g.PathList << QStringLiteral("x2");
        QCOMPARE(gc->Metafile.Bytes(), QByteArray("abc"));
        QCOMPARE(gc->PathList.size(), 1);

        TDocElementTXT t;
        t.Text = QStringLiteral("T");
        t.MacroText = QStringLiteral("M");
        t.Angle = 450;
        t.Shadow = true;
        t.ShadowX = 2;
        t.ReservedL = 9;
        t.Side = 1;
        std::unique_ptr<TDocElement> tc(t.Clone());
        auto* tt = dynamic_cast<TDocElementTXT*>(tc.get());
        QVERIFY(tt);
        QCOMPARE(tt->Text, QStringLiteral("T"));
        QCOMPARE(tt->MacroText, QStringLiteral("M"));
        QCOMPARE(tt->Angle, 450);
        QVERIFY(tt->Shadow);
        QCOMPARE(tt->ShadowX, 2.0);
        QCOMPARE(tt->ReservedL, std::uint8_t(9));
        QCOMPARE(tt->Side, 1);
    }

    void copyFromPlacesATemplate()
    {
        TAppDocument tpl(false);
        tpl.PageWidth = 100;
        tpl.PrintDistVer = 5;
        tpl.CopyCount = 3;
        tpl.Orientation = 1;
        tpl.Notes = QStringLiteral("nicht kopiert");
        tpl.AddText(QStringLiteral("unten"), CurrentSide);
        const QStringList list = {QStringLiteral("x1b1h")};
        tpl.AddGraphic(TMetafile(), 2, &list, CurrentSide);
        tpl.FileName = QStringLiteral("/vorlage.qmk");

        TAppDocument d(false);
        d.FileName = QStringLiteral("/alt.qmk");
        d.CopyFrom(tpl);
        QVERIFY(d.Modified);
        QCOMPARE(d.FileName, QString());
        QCOMPARE(d.PageWidth, 100.0);
        QCOMPARE(d.PrintDistVer, 5.0);
        QCOMPARE(d.CopyCount, std::uint16_t(3));
        QCOMPARE(d.Orientation, std::uint8_t(1));
        QCOMPARE(d.Notes, QString());
        QCOMPARE(d.Count(), 2);
        QVERIFY(d.Element(0) != tpl.Element(0));
        auto* g = dynamic_cast<TDocElementWMF*>(d.Element(0));
        QVERIFY(g);
        // A template's path-list picture stays one, with its list.
        QCOMPARE(g->SourceKind, std::uint8_t(2));
        QCOMPARE(g->PathList, list);
        QCOMPARE(dynamic_cast<TDocElementTXT*>(d.Element(1))->Text, QStringLiteral("unten"));
    }

    void queryDiscardAsksOnlyAboutChanges()
    {
        int asked = 0;
        QString caption, question;
        bool answer = false;
        AskQuestionHook = [&](const QString& c, const QString& q) {
            ++asked;
            caption = c;
            question = q;
            return answer;
        };
        TAppDocument d(true);
        d.AddText(QStringLiteral("a"), CurrentSide);
        d.Modified = false;
        QVERIFY(QueryDiscard(d));
        QCOMPARE(asked, 0);
        QCOMPARE(d.Count(), 0);

        d.AddText(QStringLiteral("a"), CurrentSide);
        QVERIFY(!QueryDiscard(d));
        QCOMPARE(asked, 1);
        QCOMPARE(caption, QStringLiteral("Bestätigung"));
        QCOMPARE(question, QStringLiteral("Nicht gespeicherte Änderungen verwerfen?"));
        QCOMPARE(d.Count(), 1);
        QVERIFY(d.Modified);

        answer = true;
        QVERIFY(QueryDiscard(d));
        QCOMPARE(d.Count(), 0);
        QVERIFY(!d.Modified);

        // A full language file supplies both texts.
        for (int i = 0; i < 101; ++i) {
            LangKeys << QString::number(i == 100 ? 124 : i);
            LangStrings << QStringLiteral("L%1").arg(i);
        }
        d.AddText(QStringLiteral("a"), CurrentSide);
        QVERIFY(QueryDiscard(d));
        QCOMPARE(caption, QStringLiteral("L0"));
        QCOMPARE(question, QStringLiteral("L100"));

        // A document that never asks clears at once.
        TAppDocument preview(false);
        preview.AddText(QStringLiteral("a"), CurrentSide);
        QVERIFY(QueryDiscard(preview));
        QCOMPARE(preview.Count(), 0);
    }

    void queryDiscardPrefersTheMainWindowAndKeepsChangesWithoutAnyone()
    {
        TAppDocument d(true);
        d.AddText(QStringLiteral("a"), CurrentSide);
        // Nobody to ask: the changes are kept.
        QVERIFY(!QueryDiscard(d));
        QCOMPARE(d.Count(), 1);

        FakeMainLink link;
        MainLink = &link;
        bool hookAsked = false;
        AskQuestionHook = [&](const QString&, const QString&) { return hookAsked = true; };
        link.answer = false;
        QVERIFY(!QueryDiscard(d));
        QCOMPARE(link.asked, 1);
        QVERIFY(!hookAsked);
        link.answer = true;
        QVERIFY(QueryDiscard(d));
        QCOMPARE(d.Count(), 0);
        MainLink = nullptr;
    }

    void undoEntriesAreLimited()
    {
        TAppDocument d(false);
        d.PushUndo(); // nothing selected: nothing recorded
        QCOMPARE(d.UndoList.size(), 0);

        TDocElementTXT* t = d.AddText(QStringLiteral("a"), CurrentSide);
        d.AddText(QStringLiteral("b"), CurrentSide);
        d.SelectedIndex = 1;
        d.PushUndo();
        QCOMPARE(d.UndoList.size(), 1);
        QCOMPARE(d.UndoList[0].Key, QStringLiteral("1"));
        QVERIFY(d.UndoList[0].Object.get() != t);
        t->Text = QStringLiteral("geändert");
        QCOMPARE(dynamic_cast<TDocElementTXT*>(d.UndoList[0].Object.get())->Text,
                 QStringLiteral("a"));

        d.UndoLimit = 3;
        for (int i = 0; i < 5; ++i)
            d.InsertUndo(QStringLiteral("-%1").arg(i));
        QCOMPARE(d.UndoList.size(), 3);
        QCOMPARE(d.UndoList[0].Key, QStringLiteral("-4"));
        QCOMPARE(d.UndoList[2].Key, QStringLiteral("-2"));
    }

    void deleteSelectedHandsTheElementOver()
    {
        TAppDocument d(false);
        QVERIFY(!d.DeleteSelected());
        d.AddText(QStringLiteral("unten"), CurrentSide);
        TDocElementTXT* top = d.AddText(QStringLiteral("oben"), CurrentSide);
        d.SelectedIndex = 0;
        std::unique_ptr<TDocElement> e = d.DeleteSelected();
        QCOMPARE(e.get(), top);
        QCOMPARE(d.SelectedIndex, -1);
        QCOMPARE(d.Count(), 1);
        QVERIFY(!d.Selected());
    }

    void hitToleranceIsFivePixels_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::newRow("0.5") << 0.5;
        QTest::newRow("1") << 1.0;
        QTest::newRow("2") << 2.0;
    }
    void hitToleranceIsFivePixels()
    {
        QFETCH(double, zoom);
        TAppDocument d(false);
        // Box from pixel 100 to 160 across and 200 to 230 down.
        TDocElementTXT* t = addBox(d, 100, 200, 60, 30, zoom);
        const Qt::KeyboardModifiers none = Qt::NoModifier;
        QCOMPARE(d.HitTest(95, 215, none, zoom, 0), t);
        QCOMPARE(d.SelectedIndex, 0);
        QCOMPARE(d.HitTest(94, 215, none, zoom, 0), nullptr);
        QCOMPARE(d.SelectedIndex, -1);
        QCOMPARE(d.HitTest(165, 215, none, zoom, 0), t);
        QCOMPARE(d.HitTest(166, 215, none, zoom, 0), nullptr);
        QCOMPARE(d.HitTest(130, 195, none, zoom, 0), t);
        QCOMPARE(d.HitTest(130, 194, none, zoom, 0), nullptr);
        QCOMPARE(d.HitTest(130, 235, none, zoom, 0), t);
        QCOMPARE(d.HitTest(130, 236, none, zoom, 0), nullptr);
        QCOMPARE(d.HitTest(165, 235, none, zoom, 0), t);
        // An element of the other side is never hit.
        t->Side = 1;
        QCOMPARE(d.HitTest(130, 215, none, zoom, 0), nullptr);
        QCOMPARE(d.HitTest(130, 215, none, zoom, 1), t);
    }

    void altClicksWalkDownThroughOverlappingElements()
    {
        TAppDocument d(false);
        TDocElementTXT* bottom = addBox(d, 0, 0, 100, 100, 1);
        TDocElementTXT* elsewhere = addBox(d, 500, 500, 10, 10, 1);
        TDocElementTXT* back = addBox(d, 0, 0, 100, 100, 1);
        back->Side = 1;
        TDocElementTXT* middle = addBox(d, 20, 20, 50, 50, 1);
        TDocElementTXT* top = addBox(d, 30, 30, 10, 10, 1);
        Q_UNUSED(elsewhere);
        // Stack: top 0, middle 1, back 2, elsewhere 3, bottom 4.
        QCOMPARE(d.HitTest(35, 35, Qt::NoModifier, 1, 0), top);
        QCOMPARE(d.HitTest(35, 35, Qt::AltModifier, 1, 0), middle);
        QCOMPARE(d.HitTest(35, 35, Qt::AltModifier, 1, 0), bottom);
        QCOMPARE(d.SelectedIndex, 4);
        QCOMPARE(d.HitTest(35, 35, Qt::AltModifier, 1, 0), nullptr);
        QCOMPARE(d.SelectedIndex, -1);
        // After nothing, the walk starts again at the top.
        QCOMPARE(d.HitTest(35, 35, Qt::AltModifier, 1, 0), top);
        // A plain click always takes the topmost.
        QCOMPARE(d.HitTest(35, 35, Qt::NoModifier, 1, 0), top);
        QCOMPARE(d.HitTest(80, 80, Qt::NoModifier, 1, 0), bottom);
    }

    void otherShiftStatesSelectNothing()
    {
        TAppDocument d(false);
        addBox(d, 0, 0, 100, 100, 1);
        const Qt::KeyboardModifiers states[] = {
            Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier | Qt::ShiftModifier,
            Qt::AltModifier | Qt::ControlModifier, Qt::MetaModifier};
        for (Qt::KeyboardModifiers s : states) {
            d.SelectedIndex = 0;
            QCOMPARE(d.HitTest(50, 50, s, 1, 0), nullptr);
            QCOMPARE(d.SelectedIndex, -1);
        }
        QCOMPARE(d.HitTest(50, 50, Qt::NoModifier, 1, 0, true), nullptr);
        QCOMPARE(d.HitTest(50, 50, Qt::AltModifier, 1, 0, true), nullptr);
        // The keypad flag is not a key the user holds.
        QVERIFY(d.HitTest(50, 50, Qt::KeypadModifier, 1, 0));
    }

    void edgeZonesGripEdgesAndCorners()
    {
        TDocElementTXT e;
        e.Left = PixelToMm(100, 1);
        e.Top = PixelToMm(100, 1);
        e.Width = PixelToMm(100, 1);
        e.Height = PixelToMm(50, 1);
        QCOMPARE(EdgeZone(e, 150, 125, 1), 0); // inside
        QCOMPARE(EdgeZone(e, 20, 20, 1), 0);   // far away
        QCOMPARE(EdgeZone(e, 102, 125, 1), 1);
        QCOMPARE(EdgeZone(e, 96, 125, 1), 1);
        QCOMPARE(EdgeZone(e, 95, 125, 1), 0); // five pixels away is no longer near
        QCOMPARE(EdgeZone(e, 198, 125, 1), 2);
        QCOMPARE(EdgeZone(e, 150, 101, 1), 3);
        QCOMPARE(EdgeZone(e, 150, 152, 1), 4);
        QCOMPARE(EdgeZone(e, 199, 149, 1), 5);
        QCOMPARE(EdgeZone(e, 199, 101, 1), 6);
        QCOMPARE(EdgeZone(e, 101, 149, 1), 7);
        QCOMPARE(EdgeZone(e, 101, 101, 1), 8);
        // Outside the box beside an edge only corners count.
        QCOMPARE(EdgeZone(e, 97, 97, 1), 8);
        QCOMPARE(EdgeZone(e, 150, 97, 2), 0);
    }

    void titleShowsFileAndProgram()
    {
        TAppDocument d(false);
        QWidget window;
        ShowTitleOf(d, &window);
        d.SetFileName(QStringLiteral("/tmp/ordner/brief.qmk"));
        QCOMPARE(d.GetFileName(), QStringLiteral("/tmp/ordner/brief.qmk"));
        QCOMPARE(ApplicationTitle, QStringLiteral("brief.qmk - Quillmark"));
        QCOMPARE(window.windowTitle(), QStringLiteral("brief.qmk - Quillmark"));
        // The desktop adds the program's name to every window title that does not end with
        // it: that name is the program's, never the document's, or a box titled "Quillmark"
        // would read "Quillmark — brief.qmk - Quillmark".
        QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Quillmark"));
        LangKeys << QStringLiteral("0");
        LangStrings << QStringLiteral("Folderkit");
        d.SetFileName(QString());
        QCOMPARE(window.windowTitle(), QStringLiteral("Folderkit"));

        // A preview document leaves the title alone.
        TAppDocument preview(false);
        preview.SetFileName(QStringLiteral("/x/vorschau.qmk"));
        QCOMPARE(ApplicationTitle, QStringLiteral("Folderkit"));
    }

    void languageLookupIgnoresCase()
    {
        LangKeys = QStringList{QStringLiteral("12a"), QStringLiteral("7"), QStringLiteral("12A")};
        LangStrings = QStringList{QStringLiteral("erste"), QStringLiteral("sieben"),
                                  QStringLiteral("zweite")};
        QCOMPARE(LangText(QStringLiteral("12A")), QStringLiteral("erste"));
        QCOMPARE(LangText(QStringLiteral("7")), QStringLiteral("sieben"));
        QCOMPARE(LangText(QStringLiteral("8")), QString());
    }

    void embeddedFormsFillTheirPanel()
    {
        QWidget panel;
        panel.resize(300, 200);
        auto* form = new QWidget(nullptr, Qt::Window);
        EmbedForm(&panel, form);
        panel.show();
        QCOMPARE(form->parentWidget(), &panel);
        QVERIFY(!form->isWindow());
        QVERIFY(form->isVisible());
        QCOMPARE(form->size(), panel.size());
    }
};

QTEST_MAIN(TestDocModel)
#include "tst_docmodel.moc"
