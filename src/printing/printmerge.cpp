#include "printing/printmerge.h"

#include "document/barcode.h"
#include "printing/printrun.h"

#include <QRegularExpression>
#include <algorithm>
#include <set>

std::vector<int> CellsInReadingOrder(const TPrintLayout& layout) {
    std::vector<int> order(layout.Cells.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::stable_sort(order.begin(), order.end(), [&layout](int a, int b) {
        const TCell& ca = layout.Cells[size_t(a)];
        const TCell& cb = layout.Cells[size_t(b)];
        return ca.Row != cb.Row ? ca.Row < cb.Row : ca.Column < cb.Column;
    });
    return order;
}

bool ParseNumberList(const QString& text, int count, QList<int>* numbers, QString* error) {
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const QString t = text.trimmed();
    std::set<int> chosen;
    if (t.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0 ||
        t.compare(QLatin1String("alle"), Qt::CaseInsensitive) == 0) {
        for (int i = 1; i <= count; ++i)
            chosen.insert(i);
    } else {
        static const QRegularExpression item(QStringLiteral("^\\s*(\\d{1,9})\\s*(?:-\\s*(\\d{1,9})\\s*)?$"));
        if (t.isEmpty())
            return fail(QStringLiteral("„%1“ ist keine Liste von Nummern wie 1,3-4.").arg(text));
        for (const QString& part : t.split(QLatin1Char(','))) {
            const auto m = item.match(part);
            if (!m.hasMatch())
                return fail(QStringLiteral("„%1“ ist keine Liste von Nummern wie 1,3-4.").arg(text));
            const int from = m.captured(1).toInt();
            const int to = m.captured(2).isEmpty() ? from : m.captured(2).toInt();
            if (from < 1 || to < from)
                return fail(QStringLiteral("Der Bereich „%1“ ist leer oder beginnt vor 1.")
                                .arg(part.trimmed()));
            if (to > count)
                return fail(QStringLiteral("Die Nummer %1 gibt es nicht; es gibt nur %2.")
                                .arg(to)
                                .arg(count));
            for (int i = from; i <= to; ++i)
                chosen.insert(i);
        }
    }
    if (numbers)
        *numbers = QList<int>(chosen.begin(), chosen.end());
    return true;
}

QString MergeSheetCountText(int sheets, int records) {
    return QStringLiteral("%1 %2 für %3 %4")
        .arg(sheets)
        .arg(sheets == 1 ? QStringLiteral("Blatt") : QStringLiteral("Blätter"))
        .arg(records)
        .arg(records == 1 ? QStringLiteral("Adresse") : QStringLiteral("Adressen"));
}

void SetAddressFields(TPlaceholderValues& values, const TAddressRecord& record) {
    for (int f = 1; f < AddressFieldCount; ++f)
        values.AddressFields[size_t(AddressFieldsIndex(f))] = record.value(f);
}

TPrintMerge::TPrintMerge(const TAppDocument& doc, QList<TAddressRecord> records,
                         const TPlaceholderValues& values)
    : m_records(std::move(records)), m_values(values) {
    m_copy.CopyFrom(doc);
    m_copy.Modified = false;
}

void TPrintMerge::plan(const TPrintLayout& layout) {
    const size_t n = layout.Cells.size();
    m_slot.assign(n, -1);
    m_firstSlot.assign(n, -1);
    m_front.assign(n, -1);
    m_perSheet = 0;
    m_onFirstSheet = 0;
    const std::vector<int> order = CellsInReadingOrder(layout);
    m_number.assign(n, 0);
    for (size_t k = 0; k < order.size(); ++k) {
        const int i = order[k];
        m_number[size_t(i)] = int(k) + 1;
        if (!layout.Cells[size_t(i)].Selected)
            continue;
        m_slot[size_t(i)] = m_perSheet++;
        if (int(k) + 1 >= m_firstCell)
            m_firstSlot[size_t(i)] = m_onFirstSheet++;
    }
    // The turned sheet shows the back of (column, row) in (mirrored column, row).
    for (size_t i = 0; i < n; ++i) {
        const TCell& c = layout.Cells[i];
        const int column = TPrintRun::MirroredColumn(layout.Columns, c.Column);
        for (size_t j = 0; j < n; ++j) {
            if (layout.Cells[j].Column == column && layout.Cells[j].Row == c.Row)
                m_front[i] = int(j);
        }
    }
}

int TPrintMerge::SheetCount(const TPrintLayout& layout, int records, int firstCell) {
    int perSheet = 0, onFirstSheet = 0;
    const std::vector<int> order = CellsInReadingOrder(layout);
    for (size_t k = 0; k < order.size(); ++k) {
        if (layout.Cells[size_t(order[k])].Selected) {
            ++perSheet;
            onFirstSheet += int(k) + 1 >= firstCell ? 1 : 0;
        }
    }
    if (records <= 0 || perSheet == 0)
        return 0;
    if (records <= onFirstSheet)
        return 1;
    const int rest = records - onFirstSheet;
    return 1 + (rest + perSheet - 1) / perSheet;
}

int TPrintMerge::RecordAt(int sheet, int cell, int side) const {
    if (cell < 0 || size_t(cell) >= m_front.size() || sheet < 0)
        return -1;
    const int front = side == 1 ? m_front[size_t(cell)] : cell;
    if (front < 0)
        return -1;
    int record = -1;
    if (sheet == 0) {
        record = m_firstSlot[size_t(front)];
    } else if (m_slot[size_t(front)] >= 0) {
        record = m_onFirstSheet + (sheet - 1) * m_perSheet + m_slot[size_t(front)];
    }
    return record >= 0 && record < RecordCount() ? record : -1;
}

const TAppDocument* TPrintMerge::documentFor(int record) {
    if (record != m_filled) {
        TPlaceholderValues values = m_values;
        SetAddressFields(values, m_records.at(record));
        const int cut = m_copy.FillPlaceholders(values);
        if (m_counted.empty())
            m_counted.assign(size_t(RecordCount()), false);
        if (!m_counted[size_t(record)]) {
            m_counted[size_t(record)] = true;
            m_cutTexts += cut;
        }
        m_filled = record;
    }
    return &m_copy;
}

void TPrintMerge::checkBarcodes(int record, int sheet, int cell) {
    if (m_checked.empty())
        m_checked.assign(size_t(RecordCount()), false);
    if (m_checked[size_t(record)])
        return;
    m_checked[size_t(record)] = true;
    for (int i = 0; i < m_copy.Count(); ++i) {
        const auto* bar = dynamic_cast<const TDocElementBAR*>(m_copy.Element(i));
        if (!bar)
            continue;
        const QString problem = BarcodeProblem(*bar);
        if (problem.isEmpty())
            continue;
        const int number = cell >= 0 && size_t(cell) < m_number.size() ? m_number[size_t(cell)] : 0;
        m_barcodeProblems << QStringLiteral("Blatt %1, Zelle %2 (Adresse %3): %4 nicht darstellbar: %5")
                                 .arg(sheet + 1)
                                 .arg(number)
                                 .arg(record + 1)
                                 .arg(BarcodeKindName(bar->Kind), problem);
    }
}

void TPrintMerge::Attach(TPrintRun& run, const TPrintLayout& layout, int copies) {
    plan(layout);
    const int repeat = std::max(1, copies);
    run.CellUsed = [this, repeat](int sheet, int cell, int side) {
        return RecordAt(sheet / repeat, cell, side) >= 0;
    };
    run.CellDocument = [this, repeat](int sheet, int cell, int side) -> const TAppDocument* {
        const int record = RecordAt(sheet / repeat, cell, side);
        if (record < 0)
            return nullptr;
        const TAppDocument* doc = documentFor(record);
        checkBarcodes(record, sheet / repeat, cell);
        return doc;
    };
    // Every cell shows the working copy; only the texts of its placeholders change.
    run.CommonDocument = &m_copy;
}
