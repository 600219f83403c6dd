// The merge's arithmetic: number lists, sheets for a number of records, which record a cell
// shows on either side, and that filling never touches the loaded document or the globals.

#include "document/appdocument.h"
#include "document/docelement.h"
#include "ui/globals.h"
#include "printing/printmerge.h"
#include "printing/printrun.h"
#include <QtTest>

namespace {

// A 2 x 5 layout of 85 x 55 mm cards on A4, all cells selected.
TPrintLayout tenUp(TAppDocument& doc) {
    doc.PageWidth = 85;
    doc.PageHeight = 55;
    TPrintLayout layout;
    layout.Adjust(TPrinterInfo::PdfA4(false, 300), doc);
    layout.SelectAll(true);
    return layout;
}

QList<TAddressRecord> records(int count) {
    QList<TAddressRecord> list;
    for (int i = 1; i <= count; ++i) {
        TAddressRecord r = NewAddressRecord(QStringLiteral("R%1").arg(i));
        r[AfName] = QStringLiteral("Name%1").arg(i);
        list << r;
    }
    return list;
}

// A run to attach the merge to; it is never started.
class TNoOutput : public TPrintOutput {
public:
    QPainter* BeginJob(int) override { return nullptr; }
    bool NewPage() override { return false; }
    bool EndJob(int, bool) override { return true; }
};

struct TIdleRun {
    TIdleRun(const TAppDocument& doc, TPrintLayout& layout) : Run(doc, layout, Output, {}) {}
    TNoOutput Output;
    TPrintRun Run;
};

} // namespace

class TestPrintMerge : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetGlobals(); }

    void numberLists_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("numbers");
        QTest::addColumn<bool>("ok");
        QTest::newRow("all") << "all" << 3 << QList<int>{1, 2, 3} << true;
        QTest::newRow("ranges, blanks, doubles")
            << " 4-5, 1 ,5,2-2" << 9 << QList<int>{1, 2, 4, 5} << true;
        QTest::newRow("last number") << "2-40" << 40 << QList<int>{} << true;
        QTest::newRow("beyond the count") << "2-41" << 40 << QList<int>{} << false;
        QTest::newRow("zero") << "0-2" << 9 << QList<int>{} << false;
        QTest::newRow("backwards") << "5-3" << 9 << QList<int>{} << false;
        QTest::newRow("empty item") << "1,,2" << 9 << QList<int>{} << false;
        QTest::newRow("empty") << "" << 9 << QList<int>{} << false;
        QTest::newRow("negative") << "-1" << 9 << QList<int>{} << false;
        QTest::newRow("huge") << "99999999999" << 9 << QList<int>{} << false;
    }
    void numberLists() {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(QList<int>, numbers);
        QFETCH(bool, ok);
        QList<int> got;
        QString why;
        QCOMPARE(ParseNumberList(text, count, &got, &why), ok);
        QCOMPARE(why.isEmpty(), ok);
        if (ok && !numbers.isEmpty())
            QCOMPARE(got, numbers);
        if (ok && numbers.isEmpty())
            QCOMPARE(got.size(), 39);
    }

    void cellsAreCountedRowByRow() {
        TAppDocument doc(false);
        const TPrintLayout layout = tenUp(doc);
        const std::vector<int> order = CellsInReadingOrder(layout);
        QCOMPARE(order.size(), size_t(10));
        // Cell number 2 is the right one of the first row, number 3 the left of the second.
        QCOMPARE(layout.Cells[size_t(order[1])].Column, 1);
        QCOMPARE(layout.Cells[size_t(order[1])].Row, 0);
        QCOMPARE(layout.Cells[size_t(order[2])].Column, 0);
        QCOMPARE(layout.Cells[size_t(order[2])].Row, 1);
    }

    void sheetsForRecords_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("firstCell");
        QTest::addColumn<int>("sheets");
        QTest::newRow("23 on 10") << 23 << 1 << 3;
        QTest::newRow("exactly full") << 20 << 1 << 2;
        QTest::newRow("one") << 1 << 1 << 1;
        QTest::newRow("none") << 0 << 1 << 0;
        QTest::newRow("first cell 4, fits") << 7 << 4 << 1;
        QTest::newRow("first cell 4, spills") << 8 << 4 << 2;
        QTest::newRow("first cell 10") << 11 << 10 << 2;
    }
    void sheetsForRecords() {
        QFETCH(int, count);
        QFETCH(int, firstCell);
        QFETCH(int, sheets);
        TAppDocument doc(false);
        const TPrintLayout layout = tenUp(doc);
        TPrintMerge merge(doc, records(count), TPlaceholderValues{});
        merge.SetFirstCell(firstCell);
        QCOMPARE(merge.SheetCount(layout), sheets);
    }

    void sheetCountWording() {
        QCOMPARE(MergeSheetCountText(3, 23), QStringLiteral("3 Blätter für 23 Adressen"));
        QCOMPARE(MergeSheetCountText(1, 1), QStringLiteral("1 Blatt für 1 Adresse"));
    }

    // Records follow the selected cells in reading order; the back shows a cell's record in
    // the mirrored cell; cells before the first cell and after the last record stay empty.
    void recordOfEveryCell() {
        TAppDocument doc(false);
        TPrintLayout layout = tenUp(doc);
        const std::vector<int> order = CellsInReadingOrder(layout);
        layout.Cells[size_t(order[4])].Selected = false; // cell 5 is used up
        TPrintMerge merge(doc, records(12), TPlaceholderValues{});
        merge.SetFirstCell(2);
        TIdleRun run(doc, layout);
        merge.Attach(run.Run, layout, 1);
        auto at = [&](int sheet, int cellNumber, int side) {
            return merge.RecordAt(sheet, order[size_t(cellNumber - 1)], side);
        };
        QCOMPARE(at(0, 1, 0), -1);
        QCOMPARE(at(0, 2, 0), 0);
        QCOMPARE(at(0, 4, 0), 2);
        QCOMPARE(at(0, 5, 0), -1);
        QCOMPARE(at(0, 6, 0), 3);
        QCOMPARE(at(0, 10, 0), 7);
        QCOMPARE(at(1, 1, 0), 8);
        QCOMPARE(at(1, 4, 0), 11);
        QCOMPARE(at(1, 6, 0), -1);
        // Back: cell 1 carries the back of cell 2, cell 6 that of cell 5 (empty).
        QCOMPARE(at(0, 1, 1), 0);
        QCOMPARE(at(0, 2, 1), -1);
        QCOMPARE(at(0, 6, 1), -1);
        QCOMPARE(at(1, 3, 1), 11);
    }

    // The copy is filled; the loaded document and the program's placeholder values are not.
    void fillsACopyOnly() {
        TAppDocument doc(false);
        TPrintLayout layout = tenUp(doc);
        auto* t = doc.AddText(QStringLiteral("Geladen"));
        t->MacroText = QStringLiteral("<name> <t2>");
        const size_t name = size_t(AddressFieldsIndex(AfName));
        AddressFields[name] = QStringLiteral("Aktuell");
        TextBlocks[2] = QStringLiteral("Block");
        TPlaceholderValues values;
        values.TextBlocks[2] = QStringLiteral("Zwei");
        TPrintMerge merge(doc, records(3), values);
        TIdleRun run(doc, layout);
        merge.Attach(run.Run, layout, 2);
        // Copies repeat a sheet: sheet 1 of the run is the second copy of merge sheet 0.
        const std::vector<int> order = CellsInReadingOrder(layout);
        const TAppDocument* second = run.Run.CellDocument(1, order[1], 0);
        QVERIFY(second);
        QCOMPARE(static_cast<TDocElementTXT*>(second->Element(0))->Text, QStringLiteral("Name2 Zwei"));
        QVERIFY(second != &doc);
        QCOMPARE(t->Text, QStringLiteral("Geladen"));
        QCOMPARE(AddressFields[name], QStringLiteral("Aktuell"));
        QCOMPARE(TextBlocks[2], QStringLiteral("Block"));
        QVERIFY(run.Run.CellUsed(0, order[2], 0));
        QVERIFY(!run.Run.CellUsed(0, order[3], 0));
    }
};

QTEST_MAIN(TestPrintMerge)
#include "tst_printmerge.moc"
