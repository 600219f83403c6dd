// One print job for the "Drucken" workspace and the batch tool: a bundled template printed
// through the workspace's widgets (all cells, with and without "Adressen reihum") gives the
// same pages as the job the batch tool fills, and both refuse the same things with the same
// words.

#include "common/questionanswer.h"
#include "common/pdfink.h"
#include "addresses/addressrecords.h"
#include "document/appdocument.h"
#include "printing/printdocument.h"
#include "printing/printeroutput.h"
#include "printing/printrun.h"
#include "printworkspace/qprintertarget.h"
#include "printworkspace/tfrmtabprinting.h"
#include "qmpaths.h"
#include "ui/globals.h"
#include "ui/messages.h"
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

// Three addresses, as the settings workspace keeps them.
void storeAddresses() {
    AddressRecords = QStringList{AddressHeaderLine()};
    for (int i = 1; i <= 3; ++i) {
        TAddressRecord r = NewAddressRecord(QStringLiteral("Name%1").arg(i));
        r[AfVorname] = QStringLiteral("Vorname%1").arg(i);
        r[AfOrt] = QStringLiteral("Ort%1").arg(i);
        AddressRecords << JoinAddressRecord(r);
    }
}

QList<TAddressRecord> storedAddresses() {
    QList<TAddressRecord> records;
    for (qsizetype i = 1; i < AddressRecords.size(); ++i)
        records << SplitAddressRecord(AddressRecords.at(i));
    return records;
}

} // namespace

class TestPrintJob : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<QSettings> settings;
    QStringList messages;

    // Prints the loaded document through the workspace: every cell, optionally merged.
    QString printInWorkspace(bool merge) {
        TfrmTabPrinting form;
        form.resize(900, 700);
        form.show();
        SetupPdfPrinter(form.Printer(), Document->Orientation == 1);
        const QString pdf = dir->filePath(QStringLiteral("arbeitsbereich.pdf"));
        form.PdfFileHook = [&pdf](const QString&) { return pdf; };
        form.Activate();
        QTest::mouseClick(form.SelectAllButton, Qt::LeftButton);
        if (merge != form.MergeCheck->isChecked())
            form.MergeCheck->click();
        // Turning the sheets for the back side: "OK".
        const fixtures::QuestionAnswerer answer;
        QTest::mouseClick(form.Button, Qt::LeftButton);
        return pdf;
    }

    TPrintJob batchJob(bool merge) const {
        TPrintJob job;
        job.PdfFile = dir->filePath(QStringLiteral("stapel.pdf"));
        job.AllCells = true;
        if (merge) {
            job.Merge = true;
            job.Records = storedAddresses();
            job.Values = CurrentPlaceholderValues();
        }
        return job;
    }

private slots:
    void initTestCase() {
        if (!pdfink::Available())
            QSKIP("pdftoppm is not installed");
    }
    void init() {
        QStandardPaths::setTestModeEnabled(true);
        ResetGlobals();
        dir = std::make_unique<QTemporaryDir>();
        settings = std::make_unique<QSettings>(dir->filePath(QStringLiteral("reg.ini")),
                                               QSettings::IniFormat);
        Registry = settings.get();
        messages.clear();
        MessageHook = [this](const QString&, const QString& text) { messages << text; };
        storeAddresses();
        TextBlocks[1] = QStringLiteral("Baustein");
    }
    void cleanup() {
        MessageHook = nullptr;
        Registry = nullptr;
        // The settings write their file when they go; after the folder, they would make it again.
        settings.reset();
        dir.reset();
    }

    void workspaceAndBatchPrintTheSamePages_data() {
        QTest::addColumn<QString>("templateFile");
        QTest::addColumn<bool>("merge");
        QStringList templates{"Visitenkarten/karte_1.qmk", "Visitenkarten/karte_6.qmk",
                              "Briefbogen/brief_klassik.qmk", "CD/cd_etikett_blau.qmk",
                              "Grusskarten/gruss_danke.qmk"};
        // QM_ALL_TEMPLATES=1 compares every bundled template (about a minute).
        const QDir root(QStringLiteral(QM_DATA_DIR "/Template"));
        if (qEnvironmentVariableIntValue("QM_ALL_TEMPLATES")) {
            templates.clear();
            QDirIterator it(root.path(), {"*.qmk"}, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext())
                templates << root.relativeFilePath(it.next());
            templates.sort();
        }
        for (const QString& t : templates) {
            for (const bool merge : {false, true})
                QTest::addRow("%s%s", qPrintable(t), merge ? ", merged" : "")
                    << root.filePath(t) << merge;
        }
    }
    void workspaceAndBatchPrintTheSamePages() {
        QFETCH(QString, templateFile);
        QFETCH(bool, merge);
        Document->LoadFromFile(templateFile);
        const TPdfPrint batch = PrintDocumentJob(*Document, batchJob(merge));
        QVERIFY2(batch.Ok, qPrintable(batch.Error));
        const QString workspace = printInWorkspace(merge);
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
        const QString stapel = batchJob(merge).PdfFile;
        for (const auto& [a, b] : {std::pair{stapel, workspace},
                                   std::pair{BackSideFileName(stapel), BackSideFileName(workspace)}}) {
            QCOMPARE(QFile::exists(b), QFile::exists(a));
            if (!QFile::exists(a))
                continue;
            const QList<QImage> pa = pdfink::Pages(a, 50), pb = pdfink::Pages(b, 50);
            QVERIFY(!pa.isEmpty());
            QCOMPARE(pb.size(), pa.size());
            for (int i = 0; i < pa.size(); ++i)
                QVERIFY2(pa[i] == pb[i], qPrintable(QStringLiteral("Seite %1").arg(i + 1)));
        }
    }

    // A merge without addresses is refused alike on both paths; a first cell past the sheet
    // (the batch tool's --first-cell) says so.
    void mergeRefusals_data() {
        QTest::addColumn<bool>("addresses");
        QTest::addColumn<int>("firstCell");
        QTest::addColumn<QString>("says");
        QTest::newRow("no addresses") << false << 1 << QStringLiteral("Es gibt keine Adressen zum Drucken.");
        QTest::newRow("first cell past the sheet")
            << true << 11
            << QStringLiteral("Das Druckblatt hat nur 10 Zellen; Zelle 11 gibt es nicht.");
    }
    void mergeRefusals() {
        QFETCH(bool, addresses);
        QFETCH(int, firstCell);
        QFETCH(QString, says);
        Document->LoadFromFile(QStringLiteral(QM_DATA_DIR "/Template/Visitenkarten/karte_1.qmk"));
        if (!addresses)
            AddressRecords = QStringList{AddressHeaderLine()};
        TPrintJob job = batchJob(true);
        job.AllCells = false;
        job.Cells = {1};
        job.FirstCell = firstCell;
        const TPdfPrint batch = PrintDocumentJob(*Document, job);
        QVERIFY(!batch.Ok);
        QCOMPARE(batch.Error, says);
        QVERIFY(!QFile::exists(job.PdfFile));
        if (firstCell == 1) {
            const QString pdf = printInWorkspace(true);
            QCOMPARE(messages, QStringList{says});
            QVERIFY(!QFile::exists(pdf));
        }
    }
};

QTEST_MAIN(TestPrintJob)
#include "tst_printjob.moc"
