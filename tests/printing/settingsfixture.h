#pragma once
// A settings workspace of its own for each test: a program folder with an address file, a
// private user data folder and settings file, notices and questions caught instead of shown.

#include "ui/globals.h"
#include "ui/clicklabel.h"
#include "ui/messages.h"
#include "addresses/addressrecords.h"
#include "settings/tfrmtabsettings.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TFakeMain : public TMainLink {
public:
    void SelectElement(int, bool) override {}
    void Change2Save() override {}
    bool AskFrage(const QString& caption, const QString& question) override
    {
        Questions << caption + QLatin1Char('|') + question;
        return Answer;
    }
    bool Answer = true;
    QStringList Questions;
};

struct SettingsFixture {
    QTemporaryDir dir;
    QString programDir;
    QStringList messages;
    TFakeMain main;
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<TfrmTabSettings> form;

    SettingsFixture()
    {
        QStandardPaths::setTestModeEnabled(true);
        ResetGlobals();
        programDir = dir.filePath(QStringLiteral("program/"));
        QDir().mkpath(programDir);
        SetUserDataFolder(dir.filePath(QStringLiteral("user")));
        settings = std::make_unique<QSettings>(dir.filePath(QStringLiteral("settings.ini")),
                                               QSettings::IniFormat);
        Registry = settings.get();
        MainLink = &main;
        MessageHook = [this](const QString&, const QString& text) { messages << text; };
    }
    ~SettingsFixture()
    {
        form.reset();
        MessageHook = nullptr;
        MainLink = nullptr;
        Registry = nullptr;
        SetUserDataFolder(QString());
        ResetGlobals();
    }

    void writeProgramFile(const QByteArray& bytes) { write(programDir + "adressen.dat", bytes); }
    static void write(const QString& name, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(name).absolutePath());
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QByteArray read(const QString& name)
    {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // A workspace as the program starts it: created, shown, the address file loaded.
    TfrmTabSettings* start()
    {
        form = std::make_unique<TfrmTabSettings>();
        form->resize(640, 440);
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            qWarning("the settings workspace was not shown");
        form->FormShow(programDir);
        return form.get();
    }
};

// Chooses a list entry the way the keyboard does, one step at a time.
inline void chooseItem(QComboBox* combo, int index)
{
    combo->setFocus();
    while (combo->currentIndex() < index)
        QTest::keyClick(combo, Qt::Key_Down);
    while (combo->currentIndex() > index)
        QTest::keyClick(combo, Qt::Key_Up);
}

// Replaces the text of an edit by typing.
inline void typeInto(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::keyClicks(edit, text);
}
