// contact-sheet run as a program: one grid cell per picture, refused pictures marked.

#include "qmpaths.h"
#include "metafile/tmetafile.h"
#include "metafile/tmetafilecanvas.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestContactSheet : public QObject {
    Q_OBJECT

private slots:
    void gridHoldsEveryPicture();
    void folderWithoutPicturesIsRefused();
};

namespace {

const QString kTool = QStringLiteral(QM_BIN_DIR "/contact-sheet");

int run(const QStringList& args, QString* out = nullptr, QString* err = nullptr) {
    QProcess p;
    p.start(kTool, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return -1;
    if (out)
        *out = QString::fromUtf8(p.readAllStandardOutput());
    if (err)
        *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitCode();
}

} // namespace

void TestContactSheet::gridHoldsEveryPicture() {
    if (!QFile::exists(kTool))
        QSKIP("contact-sheet is not built");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QDir(dir.path()).mkdir("pics");
    TMetafile red;
    red.SetWidth(100);
    red.SetHeight(100);
    {
        TMetafileCanvas c(red);
        c.SetBrushColor(0x0000FF);
        c.SetPenStyle(TMetafileCanvas::PS_NULL);
        c.Rectangle(0, 0, 100, 100);
    }
    red.SaveToFile(dir.filePath("pics/a.emf"));
    QImage blue(40, 20, QImage::Format_RGB888);
    blue.fill(Qt::blue);
    QVERIFY(blue.save(dir.filePath("pics/b.bmp"), "BMP"));
    QFile bad(dir.filePath("pics/c.wmf"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture");
    bad.close();
    // A document whose file ends before its elements: marked, not drawn as an empty sheet.
    QFile cut(dir.filePath("pics/d.qmk"));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write("Quillmark 10000\r\n");
    cut.close();
    QFile other(dir.filePath("pics/notes.txt")); // not a picture kind: left out
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.close();

    QString out;
    const QString sheet = dir.filePath("sheet.png");
    QCOMPARE(run({dir.filePath("pics"), sheet, "--cell", "60", "--columns", "2"}, &out), 0);
    QVERIFY2(out.startsWith("4 Bilder, 2 nicht darstellbar"), qPrintable(out));
    const QImage img(sheet);
    QCOMPARE(img.width(), 2 * (60 + 12));
    QVERIFY(img.height() > 2 * (60 + 12));
    // a.emf fills its cell; b.bmp lies centred in the second; c.wmf is marked
    QCOMPARE(img.pixelColor(6 + 30, 6 + 30), QColor(Qt::red));
    QCOMPARE(img.pixelColor(72 + 6 + 30, 6 + 30), QColor(Qt::blue));
    QCOMPARE(img.pixelColor(72 + 6 + 30, 6 + 5), QColor(Qt::white));
    const int row2 = img.height() / 2;
    QCOMPARE(img.pixelColor(6 + 2, row2 + 6 + 2), QColor(255, 225, 225));
    QCOMPARE(img.pixelColor(72 + 6 + 2, row2 + 6 + 2), QColor(255, 225, 225));
}

void TestContactSheet::folderWithoutPicturesIsRefused() {
    if (!QFile::exists(kTool))
        QSKIP("contact-sheet is not built");
    QTemporaryDir dir;
    QString err;
    QCOMPARE(run({dir.path(), dir.filePath("s.png")}, nullptr, &err), 1);
    QCOMPARE(err.count('\n'), 1);
    QVERIFY(err.contains(dir.path()));
    QCOMPARE(run({dir.filePath("missing"), dir.filePath("s.png")}, nullptr, &err), 1);
    QVERIFY(err.contains("missing"));
    QVERIFY(!QFile::exists(dir.filePath("s.png")));
}

QTEST_MAIN(TestContactSheet)
#include "tst_contactsheet.moc"
