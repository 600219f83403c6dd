// The model stays free of the interface: no folder of it includes a header of the workspaces
// or of QtWidgets, and the command-line tools load no widget library.

#include "common/toolrun.h"
#include "qmpaths.h"
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

class TestLayering : public QObject {
    Q_OBJECT

private slots:
    void modelIncludesNoInterface_data() {
        QTest::addColumn<QString>("folder");
        for (const char* f : {"platform", "raster", "metafile", "document", "addresses", "printing"})
            QTest::newRow(f) << QString::fromLatin1(f);
    }
    void modelIncludesNoInterface() {
        QFETCH(QString, folder);
        // Our own interface folders, and the Qt modules and classes of widgets and printers.
        static const QRegularExpression forbidden(
            QStringLiteral("^\\s*#\\s*include\\s*[<\"]((ui|fileworkspace|editor|inspector|settings|"
                           "printworkspace|libraries|cdlabel|app)/|QtWidgets|QtPrintSupport|"
                           "QWidget|QApplication|QDialog|QMessageBox|QPrinter|QPrintDialog)"),
            QRegularExpression::MultilineOption);
        QStringList offenders;
        int files = 0;
        QDirIterator it(QStringLiteral(QM_SOURCE_DIR "/src/") + folder,
                        {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            ++files;
            const QString text = QString::fromUtf8(f.readAll());
            for (auto m = forbidden.globalMatch(text); m.hasNext();)
                offenders << QFileInfo(path).fileName() + QStringLiteral(": ") + m.next().captured(0).trimmed();
        }
        QVERIFY(files > 0);
        QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join(QLatin1Char('\n'))));
    }

    void toolsLoadNoWidgets_data() {
        QTest::addColumn<QString>("tool");
        QTest::newRow("quillmark-batch") << QStringLiteral("quillmark-batch");
        QTest::newRow("quillmark-render") << QStringLiteral("quillmark-render");
    }
    void toolsLoadNoWidgets() {
        QFETCH(QString, tool);
        const QString program = QStringLiteral(QM_BIN_DIR "/") + tool;
        if (!QFile::exists(program))
            QSKIP("the tool is not built");
        const toolrun::Result r = toolrun::Run(QStringLiteral("ldd"), {program});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains(QStringLiteral("libQt6Gui")));
        QVERIFY2(!r.out.contains(QStringLiteral("libQt6Widgets")), qPrintable(r.out));
        QVERIFY2(!r.out.contains(QStringLiteral("libQt6PrintSupport")), qPrintable(r.out));
    }
};

QTEST_MAIN(TestLayering)
#include "tst_layering.moc"
