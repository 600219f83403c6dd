// The document file: exact bytes written, round trips, and what the reader tolerates.

#include "document/appdocument.h"
#include "document/docfilecodec.h"
#include "ui/globals.h"
#include "qmpaths.h"
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

const QByteArray kHeader = "Quillmark 10000\r\n";

QByteArray emptyDocumentBytes()
{
    return "Quillmark 10000\r\n"
           "# W= 2.10000000000000E+0002\r\n"
           "# H= 2.97000000000000E+0002\r\n"
           "# ML= 0.00000000000000E+0000\r\n"
           "# MT= 0.00000000000000E+0000\r\n"
           "# MR= 0.00000000000000E+0000\r\n"
           "# MB= 0.00000000000000E+0000\r\n"
           "# DH= 0.00000000000000E+0000\r\n"
           "# DV= 0.00000000000000E+0000\r\n"
           "# CC=1\r\n"
           "# PM=F\r\n"
           "# POP\r\n"
           "# NTZ=\r\n"
           "\r\n";
}

QByteArray sequenceBytes(int n, int start = 0)
{
    QByteArray b(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        b[i] = char((start + i * 7) & 0xFF);
    return b;
}

TDocElementTXT* textAt(TAppDocument& d, int i)
{
    return dynamic_cast<TDocElementTXT*>(d.Element(i));
}

TDocElementWMF* graphicAt(TAppDocument& d, int i)
{
    return dynamic_cast<TDocElementWMF*>(d.Element(i));
}

// Every field of an element as text, for comparing a loaded element with its original.
QStringList describe(TDocElement* e)
{
    QStringList f;
    for (double v : {e->Left, e->Top, e->Width, e->Height})
        f << QString::number(v, 'g', 17);
    f << QString::number(e->Side);
    if (auto* t = dynamic_cast<TDocElementTXT*>(e)) {
        f << t->Text << t->MacroText << t->FontName << QString::number(t->FontStyle)
          << QString::number(t->FontSize) << QString::number(t->Angle)
          << QString::number(t->FontColor) << QString::number(t->AlignH)
          << QString::number(t->AlignV) << QString::number(t->ReservedL)
          << QString::number(t->Shadow);
        if (t->Shadow)
            f << QString::number(t->ShadowX) << QString::number(t->ShadowY)
              << QString::number(t->ShadowColor);
    } else if (auto* g = dynamic_cast<TDocElementWMF*>(e)) {
        f << QString::number(g->SourceKind) << QString::fromLatin1(g->Metafile.Bytes().toHex())
          << (g->SourceKind == 2 ? g->PathList : QStringList());
    }
    return f;
}

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

} // namespace

class TestDocFile : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        ResetGlobals();
        QVERIFY(m_dir.isValid());
    }

    void emptyDocumentIsWrittenExactly()
    {
        TAppDocument d(false);
        const QString path = m_dir.filePath("leer.qmk");
        d.SaveToFile(path);
        QCOMPARE(readAll(path), emptyDocumentBytes());
    }

    void realsUseTheFixedScientificForm_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("210") << 210.0 << QByteArray(" 2.10000000000000E+0002");
        QTest::newRow("-1.5") << -1.5 << QByteArray("-1.50000000000000E+0000");
        QTest::newRow("0.1") << 0.1 << QByteArray(" 1.00000000000000E-0001");
        QTest::newRow("zero") << 0.0 << QByteArray(" 0.00000000000000E+0000");
        QTest::newRow("negative zero") << -0.0 << QByteArray(" 0.00000000000000E+0000");
        QTest::newRow("rounds up") << 9.999999999999999 << QByteArray(" 1.00000000000000E+0001");
        QTest::newRow("large") << 1.25e123 << QByteArray(" 1.25000000000000E+0123");
        QTest::newRow("tiny") << -3e-300 << QByteArray("-3.00000000000000E-0300");
        QTest::newRow("not a number") << qQNaN() << QByteArray(" 0.00000000000000E+0000");
    }
    void realsUseTheFixedScientificForm()
    {
        QFETCH(double, value);
        QFETCH(QByteArray, text);
        QCOMPARE(docfile::FormatReal(value), text);
        QCOMPARE(docfile::FormatReal(value).size(), 23);
    }

    // The digits are printf's "%.14E", correctly rounded: compared on values of every size,
    // including ties of the last digit and subnormals.
    void realsMatchPrintfsScientificDigits()
    {
        QRandomGenerator rng(7);
        QList<double> values = {0.5, 1.000000000000005, 2.5e-14, 123456789012345.5, 4.9e-324,
                                1.7976931348623157e308, 1e22, 5e-5};
        for (int i = 0; i < 5000; ++i) {
            quint64 bits = rng.generate64();
            double v;
            std::memcpy(&v, &bits, sizeof v);
            values << v;
        }
        for (double v : values) {
            if (!std::isfinite(v) || v == 0)
                continue;
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.14E", std::fabs(v));
            QByteArray expected(buf);
            const qsizetype e = expected.indexOf('E');
            QByteArray exponent = expected.mid(e + 2);
            expected = (v < 0 ? "-" : " ") + expected.left(e + 2) +
                       QByteArray(qMax<qsizetype>(0, 4 - exponent.size()), '0') + exponent;
            QCOMPARE(docfile::FormatReal(v), expected);
        }
    }

    void roundTripKeepsEveryField()
    {
        TAppDocument d(false);
        d.PageWidth = 85.5;
        d.PageHeight = 54.25;
        d.PrintMarginLeft = 1.1;
        d.PrintMarginRight = 2.2;
        d.PrintMarginTop = 3.3;
        d.PrintMarginBottom = 4.4;
        d.PrintDistHor = -0.5;
        d.PrintDistVer = 0.1;
        d.CopyCount = 65535;
        d.SelectAllCells = true;
        d.Orientation = 1;
        d.Notes = QStringLiteral("Zeile 1\r\nZeile 2 mit <#> darin");

        // Texts on both sides, with every alignment and the shadow on and off.
        for (int i = 0; i < 3; ++i) {
            CurrentSide = i % 2;
            TDocElementTXT* t = d.AddText(QStringLiteral("Grüße € %1").arg(i), CurrentSide);
            t->Left = 10.25 + i;
            t->Top = -3.5;
            t->Width = 40 + i;
            t->Height = 12.125;
            t->MacroText = QStringLiteral("<vorname> <name> ") + QString::number(i);
            t->FontName = QStringLiteral("Liberation Serif");
            t->FontStyle = std::uint8_t(i == 2 ? 15 : i);
            t->FontSize = 95 + i;
            t->Angle = i == 0 ? -1799 : (i == 1 ? 1800 : 450);
            t->FontColor = i == 0 ? 0x00123456u : 0x80000005u;
            t->AlignH = std::uint8_t(i);
            t->AlignV = std::uint8_t(2 - i);
            t->ReservedL = std::uint8_t(200 + i);
            t->Shadow = i != 1;
            t->ShadowX = 0.75 * (i + 1);
            t->ShadowY = -0.25;
            t->ShadowColor = 0x00FF00u + TColor(i);
        }
        CurrentSide = 1;
        TMetafile mf;
        mf.LoadFromBytes(sequenceBytes(123));
        const QStringList list = {QStringLiteral("x1000b2000h"), QStringLiteral("k255r0g0b"),
                                  QStringLiteral("M0x0y"), QStringLiteral("Ünicode ä"),
                                  QString()};
        TDocElementWMF* g = d.AddGraphic(mf, 2, &list, CurrentSide);
        g->Left = 5;
        g->Top = 6;
        g->Width = 7.5;
        g->Height = 8.75;
        TMetafile raster;
        raster.LoadFromBytes(sequenceBytes(80, 3));
        d.AddGraphic(raster, 1, nullptr, CurrentSide)->Side = 0;
        d.AddGraphic(TMetafile(), 0, nullptr, CurrentSide);

        const QString path = m_dir.filePath("voll.qmk");
        d.SaveToFile(path);
        QVERIFY(!d.Modified);
        QCOMPARE(d.FileName, path);

        TAppDocument r(false);
        r.LoadFromFile(path);
        QCOMPARE(r.FileName, path);
        QVERIFY(!r.Modified);
        QCOMPARE(r.SelectedIndex, -1);
        QCOMPARE(r.PageWidth, 85.5);
        QCOMPARE(r.PageHeight, 54.25);
        QCOMPARE(r.PrintMarginLeft, 1.1);
        QCOMPARE(r.PrintMarginRight, 2.2);
        QCOMPARE(r.PrintMarginTop, 3.3);
        QCOMPARE(r.PrintMarginBottom, 4.4);
        QCOMPARE(r.PrintDistHor, -0.5);
        QCOMPARE(r.PrintDistVer, 0.1);
        QCOMPARE(r.CopyCount, std::uint16_t(65535));
        QVERIFY(r.SelectAllCells);
        QCOMPARE(r.Orientation, std::uint8_t(1));
        // The literal "<#>" comes back as a line break: the format cannot tell them apart.
        QCOMPARE(r.Notes, QStringLiteral("Zeile 1\r\nZeile 2 mit \r\n darin"));
        QCOMPARE(r.Count(), d.Count());
        for (int i = 0; i < d.Count(); ++i)
            QCOMPARE(describe(r.Element(i)), describe(d.Element(i)));
        // The shadow's values are not written while it is off: the defaults come back.
        QCOMPARE(textAt(r, 4)->ShadowX, 1.0);
        QCOMPARE(textAt(r, 4)->ShadowColor, TColor(0xFF0000));
        // Written again, the file is the same byte for byte.
        const QString again = m_dir.filePath("nochmal.qmk");
        r.SaveToFile(again);
        QCOMPARE(readAll(again), readAll(path));
    }

    void textsAreWindows1252()
    {
        TAppDocument d(false);
        d.AddText(QStringLiteral("Grüße €"), CurrentSide)->FontName = QStringLiteral("Ω-Schrift");
        const QByteArray bytes = d.SaveToBytes();
        QVERIFY(bytes.contains("## T=Gr\xFC\xDF" "e \x80\r\n"));
        // A character the code page lacks is written as "?".
        QVERIFY(bytes.contains("## FN=?-Schrift\r\n"));

        // Every byte value a text line can hold comes back unchanged.
        QByteArray all;
        for (int b = 0x20; b < 0x100; ++b)
            all.append(char(b));
        all.append('\t');
        QByteArray file = kHeader + "\r\n#TXT\r\n## T=" + all + "\r\n##\r\n";
        const QString path = m_dir.filePath("bytes.qmk");
        writeAll(path, file);
        TAppDocument r(false);
        r.LoadFromFile(path);
        QCOMPARE(r.Count(), 1);
        QVERIFY(r.SaveToBytes().contains("## T=" + all + "\r\n"));
    }

    void linesBreaksInsideValuesCannotBreakTheFile()
    {
        TAppDocument d(false);
        d.Notes = QStringLiteral("a\nb\rc\r\nd");
        d.AddText(QStringLiteral("eins\nzwei"), CurrentSide);
        const QString path = m_dir.filePath("umbruch.qmk");
        d.SaveToFile(path);
        QVERIFY(readAll(path).contains("# NTZ=a<#>b<#>c<#>d\r\n"));
        TAppDocument r(false);
        r.LoadFromFile(path);
        QCOMPARE(r.Notes, QStringLiteral("a\r\nb\r\nc\r\nd"));
        QCOMPARE(r.Count(), 1);
        QCOMPARE(textAt(r, 0)->Text, QStringLiteral("eins zwei"));
    }

    void dataBlocksHoldFortyBytesALine()
    {
        TAppDocument d(false);
        TMetafile mf;
        mf.LoadFromBytes(QByteArray(80, char(0x00)));
        QStringList list;
        // 79 characters and CR LF: 81 bytes.
        list << QString(79, QLatin1Char('x'));
        d.AddGraphic(mf, 2, &list, CurrentSide);
        const QByteArray bytes = d.SaveToBytes();
        const QByteArray a80 = QByteArray(80, 'A');
        const QByteArray x = "HI"; // 0x78
        const QByteArray expected = "## PT=P\r\n##\r\n"
                                    "## " + a80 + "\r\n## " + a80 + "\r\n##\r\n"
                                    "## " + x.repeated(40) + "\r\n"
                                    "## " + x.repeated(39) + "AN\r\n"
                                    "## AK\r\n##\r\n";
        QVERIFY2(bytes.endsWith(expected), bytes.right(expected.size() + 20).constData());

        // An empty metafile writes no data lines at all.
        TAppDocument e(false);
        e.AddGraphic(TMetafile(), 0, nullptr, CurrentSide);
        QVERIFY(e.SaveToBytes().endsWith("## PT=W\r\n##\r\n##\r\n"));
    }

    void letterPairsDecodeByTheFormula()
    {
        const QByteArray file = kHeader + "\r\n#WMF\r\n##\r\n"
                                          "## APPAAQ\r\n"   // 0x0F, 0xF0, 0x10
                                          "## ZZaa00\r\n"   // 425, 544, -289 modulo 256
                                          "##ABAB\r\n"      // no blank after "##": no data
                                          "\r\n"            // empty line: no data
                                          "## BCD\r\n"      // the odd letter is dropped
                                          "## ZZaa00~~PPAA!!zAAz\r\n" // long line, same rule
                                          "##\r\n";
        const QString path = m_dir.filePath("paare.qmk");
        writeAll(path, file);
        TAppDocument r(false);
        r.LoadFromFile(path);
        QCOMPARE(r.Count(), 1);
        QCOMPARE(graphicAt(r, 0)->Metafile.Bytes(),
                 QByteArray("\x0F\xF0\x10\xA9\x20\xDF\x12"
                            "\xA9\x20\xDF\x0D\xFF\x00\xE0\x90\x39",
                            16));
    }

    void everyLetterPairFollowsTheFormula()
    {
        // All 65536 combinations of two byte values, decoded in one run.
        QByteArray text;
        for (int a = 0; a < 256; ++a) {
            for (int b = 0; b < 256; ++b)
                text.append(char(a)).append(char(b));
        }
        QByteArray bytes;
        docfile::DecodeLetterPairs(text, bytes);
        QCOMPARE(bytes.size(), 65536);
        for (int i = 0; i < 65536; ++i) {
            const int expected = (((i >> 8) - 'A') * 16 + ((i & 255) - 'A')) & 255;
            if (static_cast<unsigned char>(bytes[i]) != expected)
                QFAIL(qPrintable(QStringLiteral("pair %1 gives %2").arg(i).arg(int(bytes[i]))));
        }
        // Writing gives the letters "A".."P" back.
        QByteArray lines;
        docfile::AppendLetterPairs(lines, QByteArray("\x00\x7F\xFF", 3));
        QCOMPARE(lines, QByteArray("## AAHPPP\r\n"));
    }

    void readerToleratesOrderUnknownLinesAndLfEnds()
    {
        const QByteArray file = "Quillmark 10000\n"
                                "# H=100\n"
                                "irgendwas\n"
                                "# POL\n"
                                "# W=  5.0E+0001\n"
                                "# PM=X\n"
                                "# NTZ=  zwei Blanks<#>\n"
                                "\n"
                                "noch etwas\n"
                                "#TXT\n"
                                "## AH=C\n"
                                "## T=\n"
                                "## M=  mit Blanks  \n"
                                "## AV=X\n"
                                "## S?=T\n"
                                "## Unbekannt=1\n"
                                "##\n"
                                "#WMF\n"
                                "## PT=Q\n"
                                "## B=1\n"
                                "##\n"
                                "##\n"
                                "#TXT\n"
                                "## AH=R\n"
                                "##\n";
        const QString path = m_dir.filePath("lf.qmk");
        writeAll(path, file);
        TAppDocument r(false);
        r.LoadFromFile(path);
        QCOMPARE(r.PageWidth, 50.0);
        QCOMPARE(r.PageHeight, 100.0);
        QCOMPARE(r.Orientation, std::uint8_t(1));
        QCOMPARE(r.CopyCount, std::uint16_t(1));
        QVERIFY(!r.SelectAllCells);
        QCOMPARE(r.Notes, QStringLiteral("  zwei Blanks\r\n"));
        QCOMPARE(r.Count(), 3);
        TDocElementTXT* t = textAt(r, 0);
        QVERIFY(t);
        QCOMPARE(t->AlignH, std::uint8_t(1));
        QCOMPARE(t->AlignV, std::uint8_t(0));
        QCOMPARE(t->Text, QString());
        QCOMPARE(t->MacroText, QStringLiteral("  mit Blanks  "));
        QVERIFY(t->Shadow);
        QCOMPARE(t->FontName, QStringLiteral("Arial"));
        QCOMPARE(t->FontSize, 300);
        TDocElementWMF* g = graphicAt(r, 1);
        QVERIFY(g);
        QCOMPARE(g->SourceKind, std::uint8_t(0));
        QCOMPARE(g->Side, 1);
        QVERIFY(g->Metafile.Empty());
        QCOMPARE(textAt(r, 2)->AlignH, std::uint8_t(2));
    }

    void malformedNumbersGiveZero()
    {
        const QByteArray file = kHeader + "# W=abc\r\n# H=1.5.3\r\n# ML=1,5\r\n# MT=+2.5\r\n"
                                          "# MR=-1E+0001\r\n# MB=nan\r\n# DH=1e999\r\n"
                                          "# CC=-3\r\n\r\n"
                                          "#TXT\r\n## FS=12x\r\n## FE=\r\n## B=99999999999\r\n"
                                          "## FC=-1\r\n## SC=4294967295\r\n## L=258\r\n"
                                          "## CL=  7.25  \r\n##\r\n";
        const QString path = m_dir.filePath("zahlen.qmk");
        writeAll(path, file);
        TAppDocument r(false);
        r.LoadFromFile(path);
        QCOMPARE(r.PageWidth, 0.0);
        QCOMPARE(r.PageHeight, 0.0);
        QCOMPARE(r.PrintMarginLeft, 0.0);
        QCOMPARE(r.PrintMarginTop, 2.5);
        QCOMPARE(r.PrintMarginRight, -10.0);
        QCOMPARE(r.PrintMarginBottom, 0.0);
        QCOMPARE(r.PrintDistHor, 0.0);
        QCOMPARE(r.CopyCount, std::uint16_t(1));
        TDocElementTXT* t = textAt(r, 0);
        QVERIFY(t);
        QCOMPARE(t->FontSize, 0);
        QCOMPARE(t->Angle, 0);
        QCOMPARE(t->Side, 0);
        QCOMPARE(t->FontColor, TColor(0xFFFFFFFF));
        QCOMPARE(t->ShadowColor, TColor(0xFFFFFFFF));
        QCOMPARE(t->ReservedL, std::uint8_t(2));
        QCOMPARE(t->Left, 7.25);
    }

    void truncatedFilesKeepWhatWasRead()
    {
        TAppDocument r(false);
        const QString path = m_dir.filePath("kurz.qmk");

        // Ends inside the properties of a graphic element: every line read counts.
        writeAll(path, kHeader + "\r\n#WMF\r\n## CL=3\r\n## CW=4");
        r.LoadFromFile(path);
        QCOMPARE(r.Count(), 1);
        QCOMPARE(r.Element(0)->Left, 3.0);
        QCOMPARE(r.Element(0)->Width, 4.0);

        // Ends inside the data and inside the path list.
        writeAll(path, kHeader + "\r\n#WMF\r\n## PT=P\r\n##\r\n## ABAC\r\n##\r\n## GH");
        r.LoadFromFile(path);
        QCOMPARE(r.Count(), 1);
        QCOMPARE(graphicAt(r, 0)->Metafile.Bytes(), QByteArray("\x01\x02", 2));
        QCOMPARE(graphicAt(r, 0)->PathList, QStringList{QStringLiteral("g")});

        // A text element's last line without "##" is not applied.
        writeAll(path, kHeader + "\r\n#TXT\r\n## T=eins\r\n## FS=120\r\n");
        r.LoadFromFile(path);
        QCOMPARE(r.Count(), 1);
        QCOMPARE(textAt(r, 0)->Text, QStringLiteral("eins"));
        QCOMPARE(textAt(r, 0)->FontSize, 300);

        // Ends in the header.
        writeAll(path, "Quillmark 10000\r\n# W=100");
        r.LoadFromFile(path);
        QCOMPARE(r.PageWidth, 100.0);
        QCOMPARE(r.Count(), 0);

        // Only "#TXT" as the last line.
        writeAll(path, kHeader + "\r\n#TXT");
        r.LoadFromFile(path);
        QCOMPARE(r.Count(), 1);
    }

    // "Leere Felder auslassen" is stored only when on: other documents keep their bytes.
    void skipEmptyIsAnOptionalHeaderLine()
    {
        TAppDocument d(false);
        QCOMPARE(d.SaveToBytes(), emptyDocumentBytes());
        d.SkipEmpty = true;
        const QByteArray on = d.SaveToBytes();
        QVERIFY(on.contains("# POP\r\n# LFA=T\r\n# NTZ="));
        TAppDocument r(false);
        QVERIFY(!r.LoadFromBytes(on).Damaged);
        QVERIFY(r.SkipEmpty);
        QCOMPARE(r.SaveToBytes(), on);
        TAppDocument copy(false);
        copy.CopyFrom(r);
        QVERIFY(copy.SkipEmpty);
        r.Clear();
        QVERIFY(!r.SkipEmpty);
        // Every bundled template reads without damage and writes back byte for byte.
        QDirIterator it(QStringLiteral(QM_SOURCE_DIR "/data/Template"), {"*.qmk"}, QDir::Files,
                        QDirIterator::Subdirectories);
        int templates = 0;
        while (it.hasNext()) {
            const QByteArray bytes = readAll(it.next());
            TAppDocument t(false);
            QVERIFY2(!t.LoadFromBytes(bytes).Damaged, qPrintable(it.filePath()));
            QVERIFY2(t.SkipEmpty, qPrintable(it.filePath()));
            QCOMPARE(t.SaveToBytes(), bytes);
            ++templates;
        }
        QVERIFY(templates >= 20);
    }

    // A file that ends too early or carries broken data says so, and how much was read.
    void damagedFilesAreReported_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("elements");   // read whole
        QTest::addColumn<int>("incomplete"); // kept although cut
        QTest::addColumn<int>("goodLines");  // -1: not damaged
        QTest::addColumn<QString>("reason");
        const QByteArray text = "#TXT\r\n## T=a\r\n##\r\n";
        const QByteArray sound = emptyDocumentBytes() + text + text;
        QTest::newRow("sound") << sound << 2 << 0 << -1 << QString();
        QTest::newRow("last line cut") << sound.chopped(2) << 2 << 0 << -1 << QString();
        QTest::newRow("inside a text element")
            << sound.chopped(6) << 1 << 1 << 18 << QStringLiteral("mitten im 2. Element");
        QTest::newRow("after the element's start")
            << emptyDocumentBytes() + text + "#TXT" << 1 << 1 << 17
            << QStringLiteral("mitten im 2. Element");
        QTest::newRow("inside graphic data")
            << emptyDocumentBytes() + "#WMF\r\n## PT=W\r\n##\r\n## ABAC\r\n" << 0 << 1 << 18
            << QStringLiteral("mitten im 1. Element");
        QTest::newRow("inside a path list")
            << emptyDocumentBytes() + "#WMF\r\n## PT=P\r\n##\r\n##\r\n## GH" << 0 << 1 << 19
            << QStringLiteral("mitten im 1. Element");
        QTest::newRow("broken letters")
            << emptyDocumentBytes() + text + "#WMF\r\n##\r\n## AB\x01Z\r\n##\r\n" << 2 << 0 << 19
            << QStringLiteral("ungültige Bilddaten");
        QTest::newRow("odd letters")
            << emptyDocumentBytes() + "#WMF\r\n##\r\n## ABA\r\n##\r\n" << 1 << 0 << 16
            << QStringLiteral("ungültige Bilddaten");
        QTest::newRow("inside the header")
            << QByteArray("Quillmark 10000\r\n# W=100\r\n") << 0 << 0 << 2
            << QStringLiteral("vor den Elementen");
        QTest::newRow("garbage") << QByteArray("\x89PNG\r\n\x1a\nblabla") << 0 << 0 << 0
                                 << QStringLiteral("kein Quillmark-Dokument");
        QTest::newRow("empty") << QByteArray() << 0 << 0 << 0
                               << QStringLiteral("kein Quillmark-Dokument");
    }

    void damagedFilesAreReported()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, elements);
        QFETCH(int, incomplete);
        QFETCH(int, goodLines);
        QFETCH(QString, reason);
        const QString path = m_dir.filePath("schaden.qmk");
        writeAll(path, bytes);
        TAppDocument r(false);
        r.LoadFromFile(path);
        const TLoadReport& report = r.LoadReport;
        QCOMPARE(report.Damaged, goodLines >= 0);
        QCOMPARE(r.IsDamagedFile(path), goodLines >= 0);
        QCOMPARE(report.Elements, elements);
        QCOMPARE(report.Incomplete, incomplete);
        QCOMPARE(r.Count(), elements + incomplete);
        if (goodLines < 0)
            return;
        QCOMPARE(report.GoodLines, goodLines);
        const QString message = DamageText(path, report);
        QVERIFY2(message.contains(reason), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("„%1“").arg(path)), qPrintable(message));
        if (goodLines > 0)
            QVERIFY2(message.contains(QStringLiteral("%1 von %2 Zeilen")
                                          .arg(goodLines)
                                          .arg(report.Lines)),
                     qPrintable(message));
        // Saving over the damaged file asks first; "no" keeps it, "yes" replaces it.
        QStringList asked;
        bool answer = false;
        AskQuestionHook = [&](const QString&, const QString& q) {
            asked << q;
            return answer;
        };
        QVERIFY(!MaySaveOver(r, path));
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked.first().contains(QStringLiteral("Trotzdem überschreiben?")));
        QVERIFY(MaySaveOver(r, m_dir.filePath("anders.qmk")));
        QCOMPARE(asked.size(), 1);
        answer = true;
        QVERIFY(MaySaveOver(r, path));
        AskQuestionHook = nullptr;
        // A new document is no longer tied to the damaged file.
        QueryDiscard(r);
        QVERIFY(!r.IsDamagedFile(path));
    }

    void wrongMagicLeavesAnEmptyTitledDocument()
    {
        const QString path = m_dir.filePath("fremd.qmk");
        writeAll(path, "Quillmark 10001\r\n# W=100\r\n\r\n#TXT\r\n##\r\n");
        TAppDocument r(false);
        r.AddText(QStringLiteral("alt"), CurrentSide);
        r.Notes = QStringLiteral("alte Notiz");
        r.LoadFromFile(path);
        QCOMPARE(r.Count(), 0);
        QCOMPARE(r.PageWidth, 210.0);
        QCOMPARE(r.FileName, path);
        QCOMPARE(r.Notes, QString());
        QVERIFY(!r.Modified);
    }

    void missingFileChangesNothing()
    {
        TAppDocument r(false);
        r.AddText(QStringLiteral("bleibt"), CurrentSide);
        r.FileName = QStringLiteral("/vorher.qmk");
        r.LoadFromFile(m_dir.filePath("gibtsnicht.qmk"));
        QCOMPARE(r.Count(), 1);
        QVERIFY(r.Modified);
        QCOMPARE(r.FileName, QStringLiteral("/vorher.qmk"));
    }

    void unreadableFileRaisesAndKeepsTheDocument()
    {
        TAppDocument r(false);
        r.AddText(QStringLiteral("bleibt"), CurrentSide);
        // A folder cannot be read as a document.
        try {
            r.LoadFromFile(m_dir.path());
            QFAIL("no error raised");
        } catch (const TDocumentError& e) {
            QVERIFY(e.message().contains(QDir::toNativeSeparators(m_dir.path())));
        }
        QCOMPARE(r.Count(), 1);
        QVERIFY(r.Modified);

        if (runningAsRoot())
            QSKIP("file permissions do not stop root");
        const QString path = m_dir.filePath("gesperrt.qmk");
        writeAll(path, emptyDocumentBytes());
        QFile::setPermissions(path, QFileDevice::Permissions());
        QVERIFY_THROWS_EXCEPTION(TDocumentError, r.LoadFromFile(path));
        QCOMPARE(r.Count(), 1);
    }

    void wildcardNameIsNeverWritten()
    {
        TAppDocument d(false);
        d.AddText(QStringLiteral("x"), CurrentSide);
        const QString path = m_dir.filePath("*.qmk");
        d.SaveToFile(path);
        QVERIFY(!QFile::exists(path));
        QVERIFY(d.Modified);
        QCOMPARE(d.FileName, QString());
    }

    void failedSaveKeepsTheOldFileAndModified()
    {
        TAppDocument d(false);
        d.AddText(QStringLiteral("neu"), CurrentSide);
        // Into a folder that does not exist, and below a plain file.
        const QString blocker = m_dir.filePath("datei");
        writeAll(blocker, "kein Ordner");
        for (const QString& target : {m_dir.filePath("fehlt/x.qmk"), blocker + "/x.qmk"}) {
            try {
                d.SaveToFile(target);
                QFAIL("no error raised");
            } catch (const TDocumentError& e) {
                QVERIFY2(e.message().contains(QDir::toNativeSeparators(target)),
                         qPrintable(e.message()));
            }
            QVERIFY(d.Modified);
            QCOMPARE(d.FileName, QString());
        }
        QCOMPARE(readAll(blocker), QByteArray("kein Ordner"));

        if (runningAsRoot())
            QSKIP("folder permissions do not stop root");
        const QString folder = m_dir.filePath("nurlesen");
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + "/alt.qmk";
        writeAll(path, emptyDocumentBytes());
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QVERIFY_THROWS_EXCEPTION(TDocumentError, d.SaveToFile(path));
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        QCOMPARE(readAll(path), emptyDocumentBytes());
        QVERIFY(d.Modified);
    }

    void saveReplacesAnExistingFileWhole()
    {
        const QString folder = m_dir.filePath("ersetzen");
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + "/ersetzt.qmk";
        writeAll(path, QByteArray(10000, 'x'));
        TAppDocument d(false);
        d.SaveToFile(path);
        QCOMPARE(readAll(path), emptyDocumentBytes());
        // No temporary file is left behind.
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"ersetzt.qmk"});
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestDocFile)
#include "tst_docfile.moc"
