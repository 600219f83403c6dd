#include "metafileinfo.h"

#include "emfplayer.h"
#include "metafileformat.h"
#include "metafileplayer.h"
#include "wmfplayer.h"

#include <QImage>
#include <QPainter>
#include <array>
#include <map>
#include <vector>

namespace {

QString formName(TMetafile::Form f) {
    switch (f) {
    case TMetafile::Form::None: return QStringLiteral("leer");
    case TMetafile::Form::PlaceableWmf: return QStringLiteral("WMF (platzierbar)");
    case TMetafile::Form::Wmf: return QStringLiteral("WMF");
    case TMetafile::Form::Emf: return QStringLiteral("EMF");
    case TMetafile::Form::EmfInWmf: return QStringLiteral("EMF in WMF");
    case TMetafile::Form::Unknown: return QStringLiteral("keine Metadatei");
    }
    return {};
}

// How often each record type occurs. The types of both formats lie below 4096 (WMF function
// numbers up to 0x0F43); a table counts those without a lookup per record, and the types seen
// are kept in order of their first record.
class TypeCounts {
public:
    void add(quint32 type) {
        if (type >= m_common.size()) {
            ++m_rare[type];
        } else if (m_common[type]++ == 0) {
            m_seen.push_back(type);
        }
    }
    template <typename F> void forEach(F f) const {
        for (quint32 t : m_seen)
            f(t, m_common[t]);
        for (const auto& [type, n] : m_rare)
            f(type, n);
    }

private:
    std::array<int, 4096> m_common{};
    std::vector<quint32> m_seen;
    std::map<quint32, int> m_rare;
};

} // namespace

TMetafileInfo AnalyseMetafile(const TMetafile& mf) {
    TMetafileInfo info;
    info.form = formName(mf.GetForm());
    info.mmWidth = mf.MMWidth();
    info.mmHeight = mf.MMHeight();
    info.width = mf.Width();
    info.height = mf.Height();
    info.problem = mf.Problem();
    if (!mf.Valid())
        return info;

    QByteArray bytes = mf.Bytes();
    mf::Layout layout = mf::InspectBytes(bytes);
    QString readProblem;
    // Counted by type first; the names are made once per type, not once per record.
    TypeCounts counts;
    if (!layout.emf.isEmpty()) {
        mf::EmfRecordIterator it{ByteReader(layout.emf)};
        mf::EmfRecord rec;
        while (it.next(rec))
            counts.add(rec.type);
        info.records = it.count();
        readProblem = it.problem();
        counts.forEach([&info](quint32 type, int n) { info.recordCounts[mf::EmfRecordName(type)] += n; });
    } else {
        mf::WmfRecordIterator it(ByteReader(bytes), layout.wmfOffset);
        mf::WmfRecord rec;
        while (it.next(rec))
            counts.add(rec.function);
        info.records = it.count();
        readProblem = it.problem();
        counts.forEach([&info](quint32 function, int n) {
            info.recordCounts[mf::WmfRecordName(quint16(function))] += n;
        });
    }

    // What playback skips shows only when it plays; a small picture is enough.
    QImage img(64, 64, QImage::Format_RGB32);
    img.fill(Qt::white);
    TMetafilePlayStats stats;
    TMetafilePlayOptions opts;
    opts.stats = &stats;
    {
        QPainter p(&img);
        TMetafilePlayer::Play(mf, p, QRectF(0, 0, 64, 64), opts);
    }
    info.unsupported = stats.unsupported;
    if (info.problem.isEmpty())
        info.problem = !stats.problem.isEmpty() ? stats.problem : readProblem;
    return info;
}

QString TMetafileInfo::ToText() const {
    QStringList lines;
    lines << QStringLiteral("Form: %1").arg(form);
    lines << QStringLiteral("Rahmen: %1 x %2 (0,01 mm)").arg(mmWidth).arg(mmHeight);
    lines << QStringLiteral("Pixel (96 dpi): %1 x %2").arg(width).arg(height);
    lines << QStringLiteral("Datensätze: %1").arg(records);
    for (auto it = recordCounts.constBegin(); it != recordCounts.constEnd(); ++it)
        lines << QStringLiteral("  %1: %2").arg(it.key()).arg(it.value());
    if (unsupported.isEmpty()) {
        lines << QStringLiteral("Nicht unterstützt: keine");
    } else {
        lines << QStringLiteral("Nicht unterstützt:");
        for (auto it = unsupported.constBegin(); it != unsupported.constEnd(); ++it)
            lines << QStringLiteral("  %1: %2").arg(it.key()).arg(it.value());
    }
    if (!problem.isEmpty())
        lines << QStringLiteral("Problem: %1").arg(problem);
    return lines.join(QLatin1Char('\n'));
}
