// The installed program: cmake --install into a folder that is then moved elsewhere. The moved
// programs find their data beside them; the menu entry, the document type, the icon and the
// manual pages are installed and valid.

#include "app/startup.h"
#include "ui/globals.h"
#include "common/pdfink.h"
#include "common/toolrun.h"
#include "installtest.h"
#include "qmpaths.h"

#include <QImage>
#include <QMimeDatabase>
#include <QSvgRenderer>
#include <QTest>

class TestInstall : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void installedTreeHoldsEverything_data();
    void installedTreeHoldsEverything();
    void movedProgramsFindTheirData_data();
    void movedProgramsFindTheirData();
    void movedBatchPrintsABundledTemplate();
    void menuEntryIsValid();
    void documentTypeIsKnownByNameAndFirstLine_data();
    void documentTypeIsKnownByNameAndFirstLine();
    void iconHasEverySize_data();
    void iconHasEverySize();

private:
    QString installed(const QString& path) const { return m_dir.filePath("moved/" + path); }

    QTemporaryDir m_dir;
};

void TestInstall::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const toolrun::Result r =
        toolrun::Run(QStringLiteral(QM_CMAKE_COMMAND),
                     {QStringLiteral("--install"), QStringLiteral(QM_BUILD_DIR),
                      QStringLiteral("--prefix"), m_dir.filePath("first")});
    QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
    // Moved as a whole, as an unpacked archive or another prefix would be.
    QVERIFY(QDir().rename(m_dir.filePath("first"), m_dir.filePath("moved")));

    // The document type as the desktop sees it: the installed XML compiled by shared-mime-info
    // when it is there, read by Qt directly otherwise; only this tree's types are known.
    qputenv("XDG_DATA_DIRS", QFile::encodeName(installed("share")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath("userdata")));
    const QString mime = installed("share/mime");
    if (!QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty()) {
        const toolrun::Result u = toolrun::Run(QStringLiteral("update-mime-database"), {mime});
        QVERIFY2(u.code == 0 && u.err.isEmpty(), qPrintable(u.err));
        QVERIFY(QFileInfo::exists(mime + "/application/x-quillmark.xml"));
    }
}

void TestInstall::installedTreeHoldsEverything_data()
{
    QTest::addColumn<QString>("path");
    for (const char* path :
         {"bin/quillmark", "bin/quillmark-batch", "bin/quillmark-render",
          "share/quillmark/quillmark.inf", "share/quillmark/lang.txt",
          "share/quillmark/adressen.dat", "share/quillmark/help/quillmark.html",
          "share/quillmark/Template/Visitenkarten.lst",
          "share/quillmark/Template/Visitenkarten/karte_1.qmk",
          "share/quillmark/Clipart/Symbole.lst", "share/applications/quillmark.desktop",
          "share/mime/packages/quillmark.xml", "share/icons/hicolor/scalable/apps/quillmark.svg",
          "share/man/de/man1/quillmark.1", "share/man/de/man1/quillmark-batch.1",
          "share/man/de/man1/quillmark-render.1"})
        QTest::newRow(path) << QString::fromLatin1(path);
}

void TestInstall::installedTreeHoldsEverything()
{
    QFETCH(QString, path);
    const QFileInfo info(installed(path));
    QVERIFY2(info.isFile() && info.size() > 0, qPrintable(info.filePath()));
    if (path.startsWith(QLatin1String("bin/")))
        QVERIFY(info.isExecutable());
    if (path.contains(QLatin1String("/man1/"))) {
        QFile page(info.filePath());
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QByteArray text = page.readAll();
        QVERIFY(text.contains(".TH " + info.baseName().toUpper().toLatin1() + ' '));
        QVERIFY2(text.contains(".SH BESCHREIBUNG"), "German sections");
    }
}

void TestInstall::movedProgramsFindTheirData_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("quillmark") << "quillmark";
    QTest::newRow("quillmark-batch") << "quillmark-batch";
}

void TestInstall::movedProgramsFindTheirData()
{
    QFETCH(QString, program);
    const QString data = installed("share/quillmark/");
    QCOMPARE(DataDirFor(installed("bin/" + program)), data);
    QCOMPARE(InitProgramPaths(installed("bin/" + program)), data);
    if (program == QLatin1String("quillmark"))
        QCOMPARE(QFileInfo(CatalogueFile).absoluteFilePath(), data + "quillmark.inf");
    // In the build folder the data lies beside the programs.
    QCOMPARE(DataDirFor(QStringLiteral(QM_BIN_DIR "/") + program),
             QStringLiteral(QM_BIN_DIR "/"));
}

void TestInstall::movedBatchPrintsABundledTemplate()
{
    if (!pdfink::Available())
        QSKIP("pdftoppm and pdftotext (poppler-utils) are not installed");
    // The bundled address file of the moved tree, with a company only it knows: the card's
    // placeholders show it only when the moved program reads its own data folder.
    const QString addresses = installed("share/quillmark/adressen.dat");
    QFile file(addresses);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    QVERIFY(bytes.contains("Sonnenfeld Design GmbH"));
    bytes.replace("Sonnenfeld Design GmbH", "Umzugsprobe GmbH");
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath("config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath("userdata"));
    const QString pdf = m_dir.filePath("karte.pdf");
    const toolrun::Result r = toolrun::Run(
        installed("bin/quillmark-batch"),
        {installed("share/quillmark/Template/Visitenkarten/karte_1.qmk"), QStringLiteral("-o"),
         pdf, QStringLiteral("--text-block"), QStringLiteral("1=Umgezogen")},
        env);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY2(r.out.startsWith(pdf + QLatin1Char('\n')), qPrintable(r.out));
    const QString text = pdfink::Text(pdf);
    QVERIFY2(text.contains(QStringLiteral("Umzugsprobe GmbH")), qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("Sonnenfeld Design GmbH")));
}

void TestInstall::menuEntryIsValid()
{
    const QString entry = installed("share/applications/quillmark.desktop");
    QSettings desktop(entry, QSettings::IniFormat);
    desktop.beginGroup(QStringLiteral("Desktop Entry"));
    QCOMPARE(desktop.value("Exec").toString(), QStringLiteral("quillmark %f"));
    QVERIFY(desktop.value("MimeType").toString().startsWith(QLatin1String("application/x-quillmark")));
    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("\nCategories=Office;"));
    if (QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate")).isEmpty())
        QSKIP("desktop-file-validate (desktop-file-utils) is not installed");
    const toolrun::Result r = toolrun::Run(QStringLiteral("desktop-file-validate"), {entry});
    QCOMPARE(r.code, 0);
    // Hints and warnings are printed too, with status 0.
    QVERIFY2(r.out.isEmpty() && r.err.isEmpty(), qPrintable(r.out + r.err));
}

void TestInstall::documentTypeIsKnownByNameAndFirstLine_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("document");
    QTest::newRow("by extension") << "karte.qmk" << QByteArray("") << true;
    QTest::newRow("by first line") << "karte.dat"
                                   << QByteArray("Quillmark 10000\r\n# W= 2.1E+0002\r\n") << true;
    QTest::newRow("first line without extension")
        << "karte" << QByteArray("Quillmark 10000\n") << true;
    QTest::newRow("another first line") << "karte.dat" << QByteArray("Quillmark 1000\r\n")
                                        << false;
}

void TestInstall::documentTypeIsKnownByNameAndFirstLine()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, document);
    QTemporaryDir dir;
    QFile file(dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const QMimeType type = QMimeDatabase().mimeTypeForFile(file.fileName());
    QCOMPARE(type.name() == QLatin1String("application/x-quillmark"), document);
    if (document)
        QCOMPARE(type.iconName(), QStringLiteral("quillmark"));
}

void TestInstall::iconHasEverySize_data()
{
    QTest::addColumn<int>("size");
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        QTest::newRow(qPrintable(QString::number(size))) << size;
}

void TestInstall::iconHasEverySize()
{
    QFETCH(int, size);
    const QString folder = installed("share/icons/hicolor/%1x%1/apps/").arg(size);
    const QImage png(folder + "quillmark.png");
    QCOMPARE(png.size(), QSize(size, size));
    QVERIFY(png.hasAlphaChannel());
    QVERIFY(QSvgRenderer(installed("share/icons/hicolor/scalable/apps/quillmark.svg")).isValid());
}

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
