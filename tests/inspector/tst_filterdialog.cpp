// The colour filter dialog driven through its controls while it is open: absolute
// brightness and colour values, cumulative one-shot filters, OK and Cancel.

#include "inspector/colorfilters.h"
#include "inspector/rasterpicture.h"
#include "inspector/tfilter.h"
#include "inspector/ttoolsubformwmf.h"
#include "inspectorfixture.h"
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

namespace {

std::unique_ptr<TDocElementWMF> rasterElement(const QImage& img) {
    auto e = std::make_unique<TDocElementWMF>();
    RecordPicture(e->Metafile, img, false, false);
    e->SourceKind = 1;
    e->Width = 20;
    e->Height = 10;
    return e;
}

QImage uniform(QColor c, int w = 8, int h = 6) {
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(c);
    return img;
}

QImage shown(const TDocElementWMF& e) {
    return RenderPicture(e.Metafile, PlainRect(e.Metafile.Width(), e.Metafile.Height()));
}

// Moves an up-down to value with a last arrow click and releases the mouse over it.
void setValue(TUpDown* upDown, int value) {
    const bool up = value > upDown->Min;
    upDown->SetPosition(up ? value - 1 : value + 1);
    QTest::mouseClick(up ? upDown->UpButton() : upDown->DownButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
    QCOMPARE(upDown->Position(), value);
}

bool allPixels(const QImage& img, QColor c) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) != c)
                return false;
    return true;
}

} // namespace

class TestFilterDialog : public QObject {
    Q_OBJECT
private slots:
    void brightnessIsAbsoluteFromTheStartingPicture();
    void colourValuesActOnTheirChannels();
    void greyScaleBuildsOnBrightnessAndBrightnessDropsIt();
    void greyOfPrimariesThroughThePicture();
    void softenAndInvertAccumulate();
    void cancelRestoresTheStartingPicture();
    void okKeepsTheResultAndValuesStartAtZero();
    void pathListFillColours();
    void onlyRasterAndListPicturesOpenTheDialog();

private:
    // Opens the filter dialog of the inspected element and runs steps while it is open.
    static void withDialog(InspectorFixture& f, const std::function<void(TFilter&)>& steps,
                           bool confirm) {
        bool opened = false, startedAtZero = true;
        f.answer = [&](QDialog& d) {
            auto* dialog = qobject_cast<TFilter*>(&d);
            if (!dialog)
                return int(QDialog::Rejected);
            opened = true;
            for (TUpDown* u : {dialog->UpDownHelligkeit, dialog->UpDownRot, dialog->UpDownGelb,
                               dialog->UpDownBlau})
                startedAtZero = startedAtZero && u->Position() == 0;
            for (QLineEdit* e :
                 {dialog->EditHelligkeit, dialog->EditRot, dialog->EditGelb, dialog->EditBlau})
                startedAtZero = startedAtZero && e->text() == QStringLiteral("0");
            steps(*dialog);
            return int(confirm ? QDialog::Accepted : QDialog::Rejected);
        };
        QTest::mouseClick(f.inspector->GraphicPage->Filter, Qt::LeftButton);
        f.answer = nullptr;
        QVERIFY(opened);
        QVERIFY(startedAtZero);
    }
};

void TestFilterDialog::brightnessIsAbsoluteFromTheStartingPicture() {
    InspectorFixture f;
    TDocElementWMF* e = f.select(rasterElement(uniform(QColor(100, 100, 100))));
    withDialog(
        f,
        [&](TFilter& d) {
            setValue(d.UpDownHelligkeit, 50);
            QCOMPARE(d.EditHelligkeit->text(), QStringLiteral("50"));
            QVERIFY(allPixels(shown(*e), QColor(177, 177, 177)));
            setValue(d.UpDownHelligkeit, 20); // 20 %, not 50 % and then 20 %
            QVERIFY(allPixels(shown(*e), QColor(131, 131, 131)));
            setValue(d.UpDownHelligkeit, -50);
            QVERIFY(allPixels(shown(*e), QColor(50, 50, 50)));
            setValue(d.UpDownHelligkeit, 100);
            QVERIFY(allPixels(shown(*e), Qt::white));
            setValue(d.UpDownHelligkeit, -100);
            QVERIFY(allPixels(shown(*e), Qt::black));
            QCOMPARE(d.UpDownHelligkeit->Position(), -100);
        },
        true);
    QVERIFY(allPixels(shown(*e), Qt::black));
    QVERIFY(Document->UndoList.isEmpty());
}

void TestFilterDialog::colourValuesActOnTheirChannels() {
    InspectorFixture f;
    TDocElementWMF* e = f.select(rasterElement(uniform(QColor(200, 100, 50))));
    withDialog(
        f,
        [&](TFilter& d) {
            setValue(d.UpDownRot, -50);
            QVERIFY(allPixels(shown(*e), QColor(100, 100, 50)));
            setValue(d.UpDownGelb, 50); // red stays in force: all three values are read
            QVERIFY(allPixels(shown(*e), QColor(100, 177, 50)));
            setValue(d.UpDownBlau, 100);
            QVERIFY(allPixels(shown(*e), QColor(100, 177, 255)));
            // Brightness replaces the colour result, from the starting picture.
            setValue(d.UpDownHelligkeit, 0);
            QVERIFY(allPixels(shown(*e), QColor(200, 100, 50)));
        },
        true);
}

void TestFilterDialog::greyScaleBuildsOnBrightnessAndBrightnessDropsIt() {
    InspectorFixture f;
    TDocElementWMF* e = f.select(rasterElement(uniform(QColor(255, 0, 0))));
    withDialog(
        f,
        [&](TFilter& d) {
            setValue(d.UpDownHelligkeit, 40);
            QVERIFY(allPixels(shown(*e), QColor(255, 102, 102)));
            QTest::mouseClick(d.SpBtnGraustufen, Qt::LeftButton);
            const int g = GreyValue(255, 102, 102);
            QCOMPARE(g, 148);
            QVERIFY(allPixels(shown(*e), QColor(g, g, g)));
            QCOMPARE(d.UpDownHelligkeit->Position(), 0);
            QCOMPARE(d.EditHelligkeit->text(), QStringLiteral("0"));
            setValue(d.UpDownHelligkeit, 10);
            QVERIFY(allPixels(shown(*e), QColor(255, 25, 25))); // the grey is gone
        },
        true);
}

void TestFilterDialog::greyOfPrimariesThroughThePicture() {
    InspectorFixture f;
    QImage img(3, 3, QImage::Format_RGB888);
    for (int y = 0; y < 3; ++y) {
        img.setPixelColor(0, y, QColor(255, 0, 0));
        img.setPixelColor(1, y, QColor(0, 255, 0));
        img.setPixelColor(2, y, QColor(0, 0, 255));
    }
    TDocElementWMF* e = f.select(rasterElement(img));
    withDialog(
        f,
        [&](TFilter& d) {
            QTest::mouseClick(d.SpBtnGraustufen, Qt::LeftButton);
            const QImage out = shown(*e);
            QCOMPARE(out.pixelColor(0, 1), QColor(76, 76, 76));
            QCOMPARE(out.pixelColor(1, 1), QColor(150, 150, 150));
            QCOMPARE(out.pixelColor(2, 1), QColor(28, 28, 28));
        },
        true);
}

void TestFilterDialog::softenAndInvertAccumulate() {
    InspectorFixture f;
    QImage img = uniform(Qt::white, 9, 7);
    for (int y = 0; y < 7; ++y)
        img.setPixelColor(4, y, Qt::black);
    TDocElementWMF* e = f.select(rasterElement(img));
    withDialog(
        f,
        [&](TFilter& d) {
            setValue(d.UpDownRot, 30);
            QTest::mouseClick(d.SpBtnWeichwenig, Qt::LeftButton);
            QCOMPARE(d.UpDownRot->Position(), 0);
            QCOMPARE(d.EditRot->text(), QStringLiteral("0"));
            QImage out = shown(*e);
            // The red adjustment was in the picture when it was softened.
            const int red = AdjustChannel(0, 30);
            QCOMPARE(out.pixelColor(4, 0), QColor(red, 0, 0)); // border row unchanged
            QCOMPARE(out.pixelColor(3, 3), QColor((red + 2 * 255) / 3, 170, 170));
            QCOMPARE(out.pixelColor(2, 3), QColor(255, 255, 255));
            const QImage softened = out;
            QTest::mouseClick(d.SpBtnInvertieren, Qt::LeftButton);
            out = shown(*e);
            QCOMPARE(out.pixelColor(3, 3), QColor(255 - softened.pixelColor(3, 3).red(), 85, 85));
            QTest::mouseClick(d.SpBtnInvertieren, Qt::LeftButton);
            QCOMPARE(shown(*e), softened);
            // Softening again softens more.
            QTest::mouseClick(d.SpBtnWeichwenig, Qt::LeftButton);
            QVERIFY(shown(*e).pixelColor(2, 3).green() < 255);
        },
        true);
}

void TestFilterDialog::cancelRestoresTheStartingPicture() {
    InspectorFixture f;
    QImage img(6, 5, QImage::Format_RGB888);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            img.setPixelColor(x, y, QColor(x * 40, y * 50, 90));
    TDocElementWMF* e = f.select(rasterElement(img));
    const QByteArray before = e->Metafile.Bytes();
    withDialog(
        f,
        [&](TFilter& d) {
            setValue(d.UpDownHelligkeit, 30);
            QTest::mouseClick(d.SpBtnGraustufen, Qt::LeftButton);
            QTest::mouseClick(d.SpBtnInvertieren, Qt::LeftButton);
            QTest::mouseClick(d.SpBtnWeichwenig, Qt::LeftButton);
            QVERIFY(shown(*e) != img);
        },
        false);
    QCOMPARE(e->Metafile.Bytes(), before);
    QCOMPARE(shown(*e), img);
    QCOMPARE(e->Width, 20.0);
}

void TestFilterDialog::okKeepsTheResultAndValuesStartAtZero() {
    InspectorFixture f;
    TDocElementWMF* e = f.select(rasterElement(uniform(QColor(0, 0, 0))));
    withDialog(
        f, [&](TFilter& d) { setValue(d.UpDownBlau, 100); }, true);
    QVERIFY(allPixels(shown(*e), QColor(0, 0, 255)));
    const int refreshes = f.refreshes;
    QVERIFY(refreshes >= 1);
    // The next opening starts at 0 again (checked in withDialog) and from the new picture.
    withDialog(
        f, [&](TFilter& d) { setValue(d.UpDownRot, 100); }, true);
    QVERIFY(allPixels(shown(*e), QColor(255, 0, 255)));
}

void TestFilterDialog::pathListFillColours() {
    InspectorFixture f;
    auto element = std::make_unique<TDocElementWMF>();
    const QStringList list = {"x100b100h", "k255r0g10b", "K1r2g3b", "M0x0y",
                              "L90x0y",    "L0x90y",     "B",       "k0r0g0b"};
    element->Metafile.SetMMWidth(100);
    element->Metafile.SetMMHeight(100);
    element->PathList = list;
    TAppDocument::RenderPathList(element->Metafile, list);
    element->SourceKind = 2;
    TDocElementWMF* e = f.select(std::move(element));
    const QByteArray before = e->Metafile.Bytes();
    withDialog(
        f,
        [&](TFilter& d) {
            QTest::mouseClick(d.SpBtnInvertieren, Qt::LeftButton);
            QCOMPARE(e->PathList.at(1), QStringLiteral("k0r255g245b"));
            QCOMPARE(e->PathList.at(2), QStringLiteral("K1r2g3b")); // outlines keep theirs
            QCOMPARE(e->PathList.at(7), QStringLiteral("k255r255g255b"));
            QTest::mouseClick(d.SpBtnWeichwenig, Qt::LeftButton); // nothing for a list
            QCOMPARE(e->PathList.at(1), QStringLiteral("k0r255g245b"));
            // Brightness works from the list as it was at opening.
            setValue(d.UpDownHelligkeit, 50);
            QCOMPARE(e->PathList.at(1), QStringLiteral("k255r127g132b"));
        },
        false);
    // Cancel brings back list and picture alike, so a later render shows no filter.
    QCOMPARE(e->PathList, list);
    QCOMPARE(e->Metafile.Bytes(), before);
    QCOMPARE(int(e->SourceKind), 2);
}

void TestFilterDialog::onlyRasterAndListPicturesOpenTheDialog() {
    InspectorFixture f;
    // The dialog made at start-up is the one that opens.
    auto* shared = new TFilter;
    Filter = shared;
    auto element = rasterElement(uniform(Qt::red));
    element->SourceKind = 0;
    f.select(std::move(element));
    bool opened = false;
    f.answer = [&](QDialog& d) {
        opened = &d == shared;
        return int(QDialog::Rejected);
    };
    f.inspector->TtoolSubFormWMFChangeClick(f.inspector->GraphicPage->Filter);
    QVERIFY(!opened);
    f.select(rasterElement(uniform(Qt::red)));
    QTest::mouseClick(f.inspector->GraphicPage->Filter, Qt::LeftButton);
    QVERIFY(opened);
    QCOMPARE(Filter, shared);
    delete shared;
    QCOMPARE(Filter, nullptr);
}

QTEST_MAIN(TestFilterDialog)
#include "tst_filterdialog.moc"
