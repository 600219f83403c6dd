#include "printing/printrun.h"

#include "document/appdocument.h"
#include "document/cellpainter.h"
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

bool TPrintRun::printSide(int side, const QPoint& offset) {
    QPainter* painter = m_output.BeginJob(side);
    if (!painter) {
        m_error = m_output.Error();
        return false;
    }
    const TCellPainter cellPainter(m_layout.DeviceMetrics(), m_settings.Scale,
                                   m_settings.Separators);
    bool ok = true;
    for (int k = 0; k < m_settings.CopyCount && !m_aborted; ++k) {
        // Every copy of a sheet is the same, unless a cell shows a document of its own.
        if (k > 0 && !CellDocument && !CellUsed && m_output.RepeatLastPage()) {
            for (const TCell& c : m_layout.Cells)
                m_cellsPrinted += c.Selected ? 1 : 0;
            if (AfterCell)
                AfterCell();
            if (!m_aborted)
                sheetDone();
            continue;
        }
        if (k > 0 && !m_output.NewPage()) {
            m_error = m_output.Error();
            ok = false;
            break;
        }
        for (int i = 0; i < int(m_layout.Cells.size()); ++i) {
            const TCell& c = m_layout.Cells[size_t(i)];
            if (c.Selected && (!CellUsed || CellUsed(k, i, side))) {
                const QRectF rect(c.Left + offset.x(), c.Top + offset.y(), c.Width, c.Height);
                if (PaintCell) {
                    PaintCell(*painter, cellPainter, side, rect);
                } else {
                    const TAppDocument* doc = CellDocument ? CellDocument(k, i, side) : nullptr;
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
            sheetDone();
    }
    if (!m_output.EndJob(side, m_aborted) && !m_aborted) {
        m_error = m_output.Error();
        ok = false;
    }
    return ok;
}

void TPrintRun::sheetDone() {
    ++m_sheets;
    if (AfterSheet)
        AfterSheet(m_sheets, std::max(m_sheets, m_totalSheets));
}

TPrintRun::Result TPrintRun::Run() {
    // Without a turning question the back side follows for sure, so its sheets count ahead.
    const bool back = PaintCell || HasBackSide(m_doc);
    m_totalSheets = m_settings.CopyCount * (back && !AskTurn ? 2 : 1);
    bool ok = printSide(0, m_settings.FrontOffset);
    if (ok && !m_aborted && (PaintCell || HasBackSide(m_doc)) &&
        (!AskTurn || AskTurn(m_layout.Landscape)) && !m_aborted) {
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
        m_totalSheets = std::max(m_totalSheets, m_sheets + m_settings.CopyCount);
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
