// The program's command line: a document given to it opens as "Öffnen" would; --help,
// --version and refused lines are answered in German without a window.

#include "shellfixture.h"

#include "app/startcommand.h"
#include "common/toolrun.h"
#include "document/appdocument.h"
#include "fileworkspace/tfrmtabfiler.h"

#include <QLineEdit>

namespace {
const QString Card = QStringLiteral(QM_DATA_DIR "/Template/Visitenkarten/karte_1.qmk");
const QString Program = QStringLiteral(QM_BIN_DIR "/quillmark");

// The environment of a start without any display.
QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    return env;
}
} // namespace

class TestStartCommand : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_errors.clear();
        TfrmTabFiler::ErrorHook = [this](const QString& m) { m_errors << m; };
    }
    void cleanup() { TfrmTabFiler::ErrorHook = nullptr; }

    void commandLineIsRead_data();
    void commandLineIsRead();
    void helpAndVersionNeedNoDisplay_data();
    void helpAndVersionNeedNoDisplay();
    void refusalsAreOneGermanLineWithoutWindow_data();
    void refusalsAreOneGermanLineWithoutWindow();
    void documentOpensInTheEditor();
    void badFileIsReportedAndNothingOpens_data();
    void badFileIsReportedAndNothingOpens();
    void readErrorIsTheOneOfOpen();

private:
    QStringList m_errors;
};

void TestStartCommand::commandLineIsRead_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text");  // part of the answer
    QTest::addColumn<bool>("early");    // answered before QApplication exists

    using C = TStartCommand;
    QTest::newRow("nothing") << QStringList{"quillmark"} << int(C::Run) << "" << "" << false;
    QTest::newRow("one document") << QStringList{"quillmark", "karte.qmk"} << int(C::Run)
                                  << "karte.qmk" << "" << false;
    QTest::newRow("name like an option after --")
        << QStringList{"quillmark", "--", "-karte.qmk"} << int(C::Run) << "-karte.qmk" << ""
        << false;
    QTest::newRow("help") << QStringList{"quillmark", "--help"} << int(C::Help) << ""
                          << "Aufruf: quillmark [DOKUMENT.qmk]" << true;
    QTest::newRow("short help") << QStringList{"quillmark", "-h"} << int(C::Help) << ""
                                << "Optionen:" << true;
    QTest::newRow("version") << QStringList{"quillmark", "--version"} << int(C::Version) << ""
                             << "Quillmark 1." << true;
    QTest::newRow("help beside a document")
        << QStringList{"quillmark", "--help", "karte.qmk"} << int(C::Help) << ""
        << "Aufruf:" << false;
    // Qt's own options are still in the line before QApplication takes them out.
    QTest::newRow("help after a Qt option")
        << QStringList{"quillmark", "-platform", "offscreen", "--help"} << int(C::Refuse) << ""
        << "" << false;
    QTest::newRow("two documents")
        << QStringList{"quillmark", "a.qmk", "b.qmk"} << int(C::Refuse) << ""
        << "Quillmark öffnet nur ein Dokument auf einmal; angegeben sind 2: a.qmk, b.qmk."
        << false;
    QTest::newRow("unknown option") << QStringList{"quillmark", "--drucken"} << int(C::Refuse)
                                    << "" << "Unbekannte Option „--drucken“" << false;
    QTest::newRow("empty name") << QStringList{"quillmark", ""} << int(C::Refuse) << ""
                                << "leer" << false;
}

void TestStartCommand::commandLineIsRead()
{
    QFETCH(QStringList, args);
    QFETCH(int, action);
    QFETCH(QString, file);
    QFETCH(QString, text);
    QFETCH(bool, early);
    const TStartCommand c = ParseStartCommand(args);
    QCOMPARE(int(c.What), action);
    QCOMPARE(c.File, file);
    QVERIFY2(c.Text.contains(text), qPrintable(c.Text));
    if (c.What == TStartCommand::Refuse)
        QVERIFY2(!c.Text.isEmpty() && !c.Text.contains(QLatin1Char('\n')), qPrintable(c.Text));
    QCOMPARE(AsksForHelpOrVersion(args), early);
}

void TestStartCommand::helpAndVersionNeedNoDisplay_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("start");
    QTest::newRow("help") << "--help" << "Aufruf: quillmark [DOKUMENT.qmk]\n";
    QTest::newRow("version") << "--version" << "Quillmark 1.";
}

void TestStartCommand::helpAndVersionNeedNoDisplay()
{
    QFETCH(QString, option);
    QFETCH(QString, start);
    // Without a display, making the application object would end the program.
    const toolrun::Result r = toolrun::Run(Program, {option}, withoutDisplay(), 60000);
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.startsWith(start), qPrintable(r.out));
    QCOMPARE(r.err, QString());
}

void TestStartCommand::refusalsAreOneGermanLineWithoutWindow_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("text");
    QTest::newRow("two documents") << QStringList{Card, Card}
                                   << "quillmark: Quillmark öffnet nur ein Dokument auf einmal";
    QTest::newRow("unknown option") << QStringList{"--drucken"}
                                    << "quillmark: Unbekannte Option „--drucken“";
}

void TestStartCommand::refusalsAreOneGermanLineWithoutWindow()
{
    QFETCH(QStringList, args);
    QFETCH(QString, text);
    QTemporaryDir home;
    QProcessEnvironment env = withoutDisplay();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    // A window would wait for the user: the guard ends a hanging run.
    const toolrun::Result r = toolrun::Run(Program, args, env, 60000);
    QVERIFY(!r.crashed);
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.startsWith(text), qPrintable(r.err));
    QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
    QVERIFY(r.err.endsWith(QLatin1Char('\n')));
    QCOMPARE(r.out, QString());
    QVERIFY(!QFileInfo::exists(home.filePath(QStringLiteral("config"))));
}

void TestStartCommand::documentOpensInTheEditor()
{
    TAppDocument expected(false);
    expected.LoadFromFile(Card);
    QVERIFY(expected.Count() > 0);

    ShellFixture f;
    TfrmMain* w = f.create();
    w->OpenAtStart(Card);
    w->show();
    QTRY_COMPARE(Document->GetFileName(), Card);
    QTRY_COMPARE(w->ActiveTab(), TfrmMain::TabEditor);
    QCOMPARE(Document->Count(), expected.Count());
    QVERIFY(!Document->Modified);
    QVERIFY(!w->StartupPending);
    // The file workspace shows where the document came from, as after "Öffnen".
    QCOMPARE(w->frmTabFiler->LoadDirectory(), QFileInfo(Card).absolutePath());
    QCOMPARE(w->frmTabFiler->LoadEdit->text(), QFileInfo(Card).fileName());
    QCOMPARE(m_errors, QStringList());
    QCOMPARE(f.messages, QStringList());
}

void TestStartCommand::badFileIsReportedAndNothingOpens_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // empty: no file is made
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "fehlt.qmk" << QByteArray()
                             << "konnte nicht gelesen werden: Die Datei oder der Ordner "
                                "existiert nicht.";
    QTest::newRow("no document") << "notiz.txt" << QByteArray("Einkaufen: Papier\r\n")
                                 << "ist kein Quillmark-Dokument.";
    QTest::newRow("folder") << "ordner.qmk" << QByteArray("/")
                            << "konnte nicht gelesen werden: Das ist ein Ordner.";
}

void TestStartCommand::badFileIsReportedAndNothingOpens()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    ShellFixture f;
    const QString path = f.dir.filePath(name);
    if (bytes == "/")
        QVERIFY(QDir().mkpath(path));
    else if (!bytes.isEmpty())
        f.write(name, bytes);
    TfrmMain* w = f.create();
    w->OpenAtStart(path);
    w->show();
    QTRY_COMPARE(m_errors.size(), 1);
    QVERIFY2(m_errors.first().contains(QLatin1Char('"') + path + QLatin1Char('"')),
             qPrintable(m_errors.first()));
    QVERIFY2(m_errors.first().endsWith(reason), qPrintable(m_errors.first()));
    QCOMPARE(Document->GetFileName(), QString());
    QCOMPARE(Document->Count(), 0);
    // A folder is passed to the document's reader, which names it, as with "Öffnen".
    if (bytes != "/")
        QCOMPARE(w->ActiveTab(), TfrmMain::TabInfo);
    if (bytes.size() > 1) {
        // The other program's file is as it was.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
    }
}

void TestStartCommand::readErrorIsTheOneOfOpen()
{
    // A document too large to read: "Öffnen" reports it; the command line says the same.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("riesig.qmk"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Quillmark 10000\r\n");
        QVERIFY(file.resize((qint64(1) << 30) + 1)); // sparse: takes no room
    }
    ResetGlobals();
    {
        TfrmTabFiler filer;
        filer.SetLoadDirectory(dir.path());
        filer.LoadEdit->setText(QStringLiteral("riesig.qmk"));
        filer.OpenButtonClick();
    }
    QCOMPARE(m_errors.size(), 1);
    const QString byOpen = m_errors.takeFirst();
    QVERIFY2(byOpen.contains(QStringLiteral("zu groß")), qPrintable(byOpen));

    ShellFixture f;
    TfrmMain* w = f.create();
    w->OpenAtStart(path);
    w->show();
    QTRY_COMPARE(m_errors, QStringList{byOpen});
}

QTEST_MAIN(TestStartCommand)
#include "tst_startcommand.moc"
