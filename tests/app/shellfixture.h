#pragma once
// A program folder of its own for each main-window test: catalogue, language file and help
// file written there, settings in a file of the folder, notices caught instead of shown.

#include "qmpaths.h"
#include "app/startup.h"
#include "app/tfrmmain.h"
#include "ui/globals.h"
#include "ui/messages.h"
#include "addresses/addressrecords.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

struct ShellFixture {
    QTemporaryDir dir;
    QString programDir;
    QStringList messages;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<TfrmMain> window;

    ShellFixture()
    {
        QStandardPaths::setTestModeEnabled(true);
        // A test that closes its window must not end the dialogs of the next one.
        QApplication::setQuitOnLastWindowClosed(false);
        ResetGlobals();
        programDir = InitProgramPaths(dir.filePath("quillmark"));
        // The bundled address file beside the program; the user's one in a folder of the test.
        QFile::copy(QStringLiteral(QM_DATA_DIR "/adressen.dat"), dir.filePath("adressen.dat"));
        SetUserDataFolder(dir.filePath("userdata"));
        settings = std::make_unique<QSettings>(dir.filePath("settings.ini"), QSettings::IniFormat);
        Registry = settings.get();
        MessageHook = [this](const QString&, const QString& text) { messages << text; };
    }
    ~ShellFixture()
    {
        window.reset();
        Registry = nullptr;
        MessageHook = nullptr;
        SetUserDataFolder(QString());
        ResetGlobals();
    }

    void write(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    void writeCatalogue(const QByteArray& bytes) { write("quillmark.inf", bytes); }
    // The bundled language file, or a copy of it cut to the first `lines` lines.
    void writeBundledLanguage(int lines = -1)
    {
        QFile f(QStringLiteral(QM_DATA_DIR "/lang.txt"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QList<QByteArray> all = f.readAll().split('\n');
        if (!all.isEmpty() && all.last().isEmpty())
            all.removeLast();
        if (lines >= 0)
            all = all.mid(0, lines);
        write("lang.txt", all.join('\n') + '\n');
    }
    void writeBundledHelp()
    {
        QVERIFY(QDir().mkpath(dir.filePath("help")));
        QVERIFY(QFile::copy(QStringLiteral(QM_DATA_DIR "/help/quillmark.html"),
                            dir.filePath("help/quillmark.html")));
    }

    TfrmMain* create()
    {
        window = std::make_unique<TfrmMain>(programDir);
        ShowTitleOf(*Document, window.get());
        return window.get();
    }
    // Shows the window and waits until the start-up timer runs.
    TfrmMain* start()
    {
        create();
        window->show();
        QTest::qWaitForWindowExposed(window.get());
        // The first activation starts the timer of the start-up switch.
        QTest::qWaitFor([this] { return !window->StartTimer.isNull(); });
        return window.get();
    }
};
