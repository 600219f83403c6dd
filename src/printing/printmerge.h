#pragma once
// One address record per cell: every selected cell of the printer sheet, sheet after sheet,
// shows the document with its placeholders filled from the next record, and the back of a
// cell (the mirrored cell of the turned sheet) shows the same record. The loaded document is
// never filled: one working copy is filled again for every cell just before it is drawn.
// Shared by the printing workspace ("Adressen reihum") and the batch tool (--merge).

#include "document/appdocument.h"
#include "addresses/addressrecords.h"
#include "printing/printlayout.h"

#include <QList>
#include <QString>
#include <array>
#include <vector>

class TPrintRun;

// The layout's cells as the user counts them: row by row from the top left; element i is the
// index in layout.Cells of cell number i + 1.
std::vector<int> CellsInReadingOrder(const TPrintLayout& layout);

// "all" (every number from 1 to count) or a list of numbers and ranges such as "1,3-4" or
// "2-40". Returns the numbers ascending, each once; false with a German reason in *error when
// the text is not such a list or names a number outside 1..count.
bool ParseNumberList(const QString& text, int count, QList<int>* numbers, QString* error);

// "3 Blätter für 23 Adressen", shown before a merged run.
QString MergeSheetCountText(int sheets, int records);

// The address fields of a record (24 fields, as read from an address source).
void SetAddressFields(TPlaceholderValues& values, const TAddressRecord& record);
class TPrintMerge {
public:
    // The records are printed in the given order; values gives the text blocks.
    TPrintMerge(const TAppDocument& doc, QList<TAddressRecord> records,
                const TPlaceholderValues& values);

    // The first cell number (reading order, from 1) of the first sheet that gets a record;
    // the cells before it are left empty, for a partly used sheet.
    void SetFirstCell(int firstCell) { m_firstCell = std::max(1, firstCell); }
    int FirstCell() const { return m_firstCell; }
    int RecordCount() const { return int(m_records.size()); }

    // Printer sheets the records need on the layout's selected cells (0 when no cell is
    // selected or no record is given).
    int SheetCount(const TPrintLayout& layout) const {
        return SheetCount(layout, RecordCount(), m_firstCell);
    }
    static int SheetCount(const TPrintLayout& layout, int records, int firstCell);
    // Hooks the merge into a run whose settings print SheetCount(layout) * copies sheets:
    // every sheet is printed copies times before the next one. The layout's selection must
    // stay as it is until the run ends; the merge lives as long as the run.
    void Attach(TPrintRun& run, const TPrintLayout& layout, int copies);
    // The record (from 0) shown by a cell of a merge sheet on a side; -1 for an empty cell.
    int RecordAt(int sheet, int cell, int side) const;
    // Texts cut at MaxFilledLength, counted once per record filled so far.
    int CutTexts() const { return m_cutTexts; }
    // "Blatt 1, Zelle 3 (Adresse 3): …": the cells whose code could not be encoded, each
    // record once; the print goes on and shows a crossed frame there.
    QStringList BarcodeProblems() const { return m_barcodeProblems; }

private:
    void plan(const TPrintLayout& layout);
    const TAppDocument* documentFor(int record);
    void checkBarcodes(int record, int sheet, int cell);

    QList<TAddressRecord> m_records;
    TPlaceholderValues m_values;
    TAppDocument m_copy{false};
    int m_firstCell = 1;
    int m_filled = -1; // the record the copy shows
    std::vector<bool> m_counted; // records whose cut texts are counted
    int m_cutTexts = 0;
    // Planned by Attach: per cell index its place among the selected cells of a full sheet and
    // of the first sheet (-1: none), and the front cell behind each cell.
    std::vector<int> m_slot;
    std::vector<int> m_firstSlot;
    std::vector<int> m_front;
    std::vector<int> m_number; // per cell index its number in reading order, from 1
    std::vector<bool> m_checked; // records whose codes were checked
    QStringList m_barcodeProblems;
    int m_perSheet = 0;
    int m_onFirstSheet = 0;
};
