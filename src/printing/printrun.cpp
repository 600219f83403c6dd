#include "printing/printrun.h"

#include "document/barcode.h"

#include "document/appdocument.h"
#include "document/cellpainter.h"
#include "document/docelement.h"
#include <QPainter>
#include <algorithm>
#include <utility>
#include <vector>

TPrintRun::TPrintRun(const TAppDocument& doc, TPrintLayout& layout, TPrintOutput& output,
                     const TPrintRunSettings& settings)
    : m_doc(doc), m_layout(layout), m_output(output), m_settings(settings) {}

bool TPrintRun::HasBackSide(const TAppDocument& doc) {
    for (const auto& e : doc.Elements) {
        if (e->Side == 1)
            return true;
    }
    return false;
}

void TPrintRun::Abort() {
    if (m_aborted)
        return;
    m_aborted = true;
    m_output.Abort();
}

std::optional<int> TPrintRun::CommonSplit(const TAppDocument& doc, int side) {
    int split = -1;
    bool filled = false, below = false;
    for (int i = 0; i < doc.Count(); ++i) {
        const TDocElement* e = doc.Element(i);
        const auto* txt = dynamic_cast<const TDocElementTXT*>(e);
        const auto* bar = dynamic_cast<const TDocElementBAR*>(e);
        const bool macro = (txt && !txt->MacroText.isEmpty()) || (bar && !bar->MacroText.isEmpty());
        filled = filled || macro;
        if (e->Side != side)
            continue;
        if (macro) {
            split = i;
            below = false;
        } else {
            below = true;
        }
    }
    // Without placeholders every sheet is the same and is printed as it is.
    if (!filled || !below)
        return std::nullopt;
    return split;
}

bool TPrintRun::sheetIsFull(int sheet, int side) const {
    for (int i = 0; i < int(m_layout.Cells.size()); ++i) {
        if (m_layout.Cells[size_t(i)].Selected && CellUsed && !CellUsed(sheet, i, side))
            return false;
    }
    return true;
}

bool TPrintRun::printSide(int side, const QPoint& offset) {
    QPainter* painter = m_output.BeginJob(side);
    if (!painter) {
        m_error = m_output.Error();
        return false;
    }
    const TCellPainter cellPainter(m_layout.DeviceMetrics(), m_settings.Scale,
                                   m_settings.Separators);
    // The back side is selected in the mirrored cells; each is printed where the back of its
    // front cell lies on the turned paper.
    auto cellRect = [this, side, &offset](const TCell& c) {
        QRectF r = c.Rect();
        if (side == 1) {
            const int front = m_layout.FrontOf(int(&c - m_layout.Cells.data()));
            if (front >= 0)
                r = m_layout.BackOf(m_layout.Cells[size_t(front)]);
        }
        return r.translated(offset.x(), offset.y());
    };
    bool ok = true;
    // What every cell of a full merged sheet shows alike is drawn once, on a page of its own
    // that the full sheets share.
    std::optional<int> split;
    if (m_share && CommonDocument && CellDocument && !PaintCell)
        split = CommonSplit(*CommonDocument, side);
    if (split && m_output.BeginCommonPage()) {
        for (const TCell& c : m_layout.Cells) {
            if (c.Selected)
                cellPainter.PrintCellBelow(*painter, *CommonDocument, side, cellRect(c), *split);
        }
        if (!m_output.NewPage()) {
            m_error = m_output.Error();
            ok = false;
        }
    } else {
        split.reset();
    }
    for (int k = 0; ok && k < m_settings.CopyCount && !m_aborted; ++k) {
        // Every copy of a sheet is the same, unless a cell shows a document of its own.
        if (k > 0 && !CellDocument && !CellUsed && m_output.RepeatLastPage()) {
            for (const TCell& c : m_layout.Cells)
                m_cellsPrinted += c.Selected ? 1 : 0;
            if (AfterCell)
                AfterCell();
            if (!m_aborted)
                sheetDone(k, side);
            continue;
        }
        if (k > 0 && !m_output.NewPage()) {
            m_error = m_output.Error();
            ok = false;
            break;
        }
        // A partly used sheet is drawn whole.
        const bool shared = split && sheetIsFull(k, side);
        if (shared)
            m_output.UseCommonPage();
        for (int i = 0; i < int(m_layout.Cells.size()); ++i) {
            const TCell& c = m_layout.Cells[size_t(i)];
            if (c.Selected && (!CellUsed || CellUsed(k, i, side))) {
                const QRectF rect = cellRect(c);
                if (PaintCell) {
                    PaintCell(*painter, cellPainter, side, rect);
                } else {
                    const TAppDocument* doc = CellDocument ? CellDocument(k, i, side) : nullptr;
                    if (shared)
                        cellPainter.PrintCellAbove(*painter, doc ? *doc : m_doc, side, rect,
                                                   *split);
                    else
                        cellPainter.PrintCell(*painter, doc ? *doc : m_doc, side, rect);
                }
                ++m_cellsPrinted;
            }
            if (AfterCell)
                AfterCell();
            if (m_aborted)
                break;
        }
        if (!m_aborted)
            sheetDone(k, side);
    }
    if (!m_output.EndJob(side, m_aborted) && !m_aborted) {
        m_error = m_output.Error();
        ok = false;
    }
    return ok;
}

void TPrintRun::sheetDone(int sheet, int side) {
    ++m_sheets;
    if (AfterSheet)
        AfterSheet(sheet + 1, m_settings.CopyCount, side);
}

bool TPrintRun::printSides(int from, bool back, int& turned) {
    bool ok = true;
    if (from == 0) {
        m_sheetsBefore[0] = m_sheets;
        m_cellsBefore[0] = m_cellsPrinted;
        ok = printSide(0, m_settings.FrontOffset);
    }
    // The paper is turned once; a side printed again does not ask again.
    if (ok && !m_aborted && back && turned < 0)
        turned = !AskTurn || AskTurn(m_layout.Landscape) ? 1 : 0;
    if (ok && !m_aborted && back && turned == 1) {
        // Remember the front selection as (column, row) and select the mirrored cells.
        std::vector<std::pair<int, int>> entries;
        for (TCell& c : m_layout.Cells) {
            if (c.Selected)
                entries.emplace_back(c.Column, c.Row);
            c.Selected = false;
        }
        for (const auto& [column, row] : entries) {
            for (TCell& c : m_layout.Cells) {
                if (c.Column == MirroredColumn(m_layout.Columns, column) && c.Row == row)
                    c.Selected = true;
            }
        }
        m_sheetsBefore[1] = m_sheets;
        m_cellsBefore[1] = m_cellsPrinted;
        ok = printSide(1, m_settings.BackOffset);
        m_backPrinted = ok && !m_aborted;
        // The selection is as before the run, whatever happened to the back side.
        for (TCell& c : m_layout.Cells) {
            c.Selected = false;
            for (const auto& [column, row] : entries) {
                if (c.Column == column && c.Row == row)
                    c.Selected = true;
            }
        }
    }
    if (!m_output.Finish(m_aborted) && ok && !m_aborted) {
        m_error = m_output.Error();
        ok = false;
    }
    return ok;
}

QString NoCellChosenText() {
    return QStringLiteral("Es ist keine Fläche zum Drucken gewählt.");
}

TPrintRun::Result TPrintRun::Run() {
    // Nothing chosen would print blank sheets.
    if (m_layout.SelectedCount() == 0) {
        m_error = NoCellChosenText();
        return Failed;
    }
    const bool back = PaintCell || HasBackSide(m_doc);
    m_share = CommonDocument != nullptr;
    int turned = -1;
    bool ok = printSides(0, back, turned);
    const int lost = ok || m_aborted || !m_share ? -1 : m_output.SideLostBySharing();
    if (lost >= 0) {
        // The finished file could not take the shared page: the lost side (and the back side
        // after it) is printed again, every sheet whole. Nothing of it had left the program.
        m_share = false;
        m_error.clear();
        m_sheets = m_sheetsBefore[lost];
        m_cellsPrinted = m_cellsBefore[lost];
        m_backPrinted = false;
        ok = printSides(lost, back, turned);
    }
    if (!ok)
        return Failed;
    return m_aborted ? Aborted : Done;
}

QString TurnQuestionCaption() {
    return QStringLiteral("Druck der Rückseite");
}

QString TurnQuestionHint() {
    return QStringLiteral("Bitte legen Sie das Blatt umgedreht");
}

QString TurnQuestionText(bool landscape) {
    return landscape ? QStringLiteral("mit der UNTERkante voraus in den Drucker.")
                     : QStringLiteral("mit der OBERkante voraus in den Drucker.");
}
