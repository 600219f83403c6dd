#pragma once
// The print run: the front side of the selected cells as one job of CopyCount sheets, then,
// when the document has a back side and the user has turned the paper, the back side as a
// second job into the mirrored cells. Independent of widgets: the workspace hands it hooks for
// the turning question and for keeping the interface alive, the batch tool runs it as it is.

#include "printing/printlayout.h"
#include <QPoint>
#include <QString>
#include <functional>
#include <optional>

class QPainter;
class TAppDocument;
class TCellPainter;

// Where the pages of a run go.
class TPrintOutput {
public:
    virtual ~TPrintOutput() = default;
    // Starts the job of a side; nullptr when the device refuses (Error() says why).
    virtual QPainter* BeginJob(int side) = 0;
    virtual bool NewPage() = 0;
    // Puts another copy of the last page after it without drawing it again; false when the
    // device cannot, and the run then draws the sheet anew.
    virtual bool RepeatLastPage() { return false; }
    // Makes the current (still empty) page hold what the following sheets of the side have in
    // common; it is not printed itself. False when the device cannot share contents.
    virtual bool BeginCommonPage() { return false; }
    // The current sheet shows the side's common page beneath its own drawing.
    virtual void UseCommonPage() {}
    // After a failed job: the first side whose pages were lost because the common page could
    // not be shared; -1 when the job failed otherwise. The run prints from there again, whole.
    virtual int SideLostBySharing() const { return -1; }
    // Finishes the job of a side; an aborted job is discarded. False when the output failed.
    virtual bool EndJob(int side, bool aborted) = 0;
    // Called once after the last job, also after an abort.
    virtual bool Finish(bool aborted) { return true; }
    // Tells the device to stop; the run ends after the current cell.
    virtual void Abort() {}
    virtual QString Error() const { return m_error; }

protected:
    QString m_error;
};

struct TPrintRunSettings {
    int CopyCount = 1;
    double Scale = 1.0; // "Einpassen": the layout's FitScale, else 1
    bool Separators = false;
    QPoint FrontOffset; // "Blattversatz", whole mm
    QPoint BackOffset;
};

class TPrintRun {
public:
    enum Result { Done, Aborted, Failed };

    TPrintRun(const TAppDocument& doc, TPrintLayout& layout, TPrintOutput& output,
              const TPrintRunSettings& settings);

    // Called after every cell: the workspace lets the interface handle its events there.
    std::function<void()> AfterCell;
    // Asks the user to turn the paper; true prints the back side. Without it the back side
    // follows at once.
    std::function<bool(bool landscape)> AskTurn;
    // The document a cell shows (sheet counts from 0, cell is the index in the layout);
    // nullptr or no hook: the run's document.
    std::function<const TAppDocument*(int sheet, int cell, int side)> CellDocument;
    // Whether a selected cell is drawn at all (a merge leaves cells without a record empty);
    // no hook: every selected cell.
    std::function<bool(int sheet, int cell, int side)> CellUsed;
    // With CellDocument: a document whose elements below its lowest placeholder text are the
    // same in every cell's document. Full sheets then share them, drawn once per side.
    const TAppDocument* CommonDocument = nullptr;
    // Called after every finished side of a sheet of paper, for progress reports: the sheet's
    // number (from 1), the number of sheets of paper and the side just printed (0 front,
    // 1 back). A sheet printed on both sides counts once.
    std::function<void(int sheet, int sheets, int side)> AfterSheet;
    // Draws a cell instead of the document's elements (the calibration sheet); with it the run
    // always has a back side.
    std::function<void(QPainter& painter, const TCellPainter& cellPainter, int side,
                       const QRectF& cellMm)>
        PaintCell;

    Result Run();
    // Ends the run after the current cell and discards the job.
    void Abort();
    bool IsAborted() const { return m_aborted; }
    QString Error() const { return m_error; }
    int CellsPrinted() const { return m_cellsPrinted; }
    int SheetsPrinted() const { return m_sheets; }
    bool BackPrinted() const { return m_backPrinted; }

    // The document has elements on its back side.
    static bool HasBackSide(const TAppDocument& doc);
    // The stack index of the lowest element of the side whose text is filled from
    // placeholders, when elements of the side lie below it and so are the same in every
    // filled copy (-1: the side has no placeholder text, all of it is the same); none when
    // nothing lies below or the document has no placeholders at all.
    static std::optional<int> CommonSplit(const TAppDocument& doc, int side);
    // The cell that carries the back of (column, row) when the sheet is turned.
    static int MirroredColumn(int columns, int column) { return columns - 1 - column; }

private:
    bool printSides(int from, bool back, int& turned);
    bool printSide(int side, const QPoint& offset);
    bool sheetIsFull(int sheet, int side) const;
    void sheetDone(int sheet, int side);

    const TAppDocument& m_doc;
    TPrintLayout& m_layout;
    TPrintOutput& m_output;
    TPrintRunSettings m_settings;
    bool m_aborted = false;
    QString m_error;
    int m_cellsPrinted = 0;
    int m_sheets = 0;
    bool m_backPrinted = false;
    bool m_share = false;
    int m_sheetsBefore[2] = {0, 0}; // counts when a side began, for printing it again
    int m_cellsBefore[2] = {0, 0};
};

// Why a run without a chosen cell is refused.
QString NoCellChosenText();

// The question asked between the two jobs.
QString TurnQuestionCaption();
QString TurnQuestionHint();
QString TurnQuestionText(bool landscape);
