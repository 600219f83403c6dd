// The bundled libraries in data/ are what tools/libgen writes: running the generator again
// gives the same files, byte for byte.
#include "qmpaths.h"
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestLibGen : public QObject {
    Q_OBJECT
private slots:
    void generatorReproducesTheShippedFiles();
};

static QStringList filesBelow(const QString& root) {
    QStringList files;
    for (const QString& sub : {QStringLiteral("Template"), QStringLiteral("Clipart")}) {
        QDirIterator it(root + "/" + sub, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next().mid(root.size() + 1);
    }
    files << QStringLiteral("adressen.dat");
    files.sort();
    return files;
}

void TestLibGen::generatorReproducesTheShippedFiles() {
    const QString python = QStandardPaths::findExecutable("python3");
    if (python.isEmpty())
        QSKIP("python3 is not installed");
    QTemporaryDir out;
    QProcess gen;
    gen.start(python, {QStringLiteral(QM_SOURCE_DIR "/tools/libgen/libgen.py"), out.path()});
    QVERIFY(gen.waitForFinished(300000));
    QVERIFY2(gen.exitCode() == 0, gen.readAllStandardError().constData());

    const QString data = QStringLiteral(QM_DATA_DIR);
    const QStringList generated = filesBelow(out.path());
    QCOMPARE(filesBelow(data), generated);
    for (const QString& name : generated) {
        QFile a(out.filePath(name)), b(data + "/" + name);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QVERIFY2(a.readAll() == b.readAll(), qPrintable(name + " differs from the generator's"));
    }
}

QTEST_GUILESS_MAIN(TestLibGen)
#include "tst_libgen.moc"
