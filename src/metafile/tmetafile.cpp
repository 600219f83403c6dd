#include "tmetafile.h"

#include "metafileformat.h"
#include "metafileplayer.h"
#include "platform/fileerror.h"
#include "platform/safefile.h"

#include <QFile>
#include <cerrno>
#include <QDir>
#include <QFileInfo>
#include <QPainter>

namespace {
// Larger files are refused rather than read into memory.
constexpr qint64 kMaxFileSize = 512LL * 1024 * 1024;
} // namespace

bool TMetafile::LoadFromBytes(const QByteArray& bytes) {
    m_bytes = bytes;
    analyse();
    return Valid();
}

void TMetafile::LoadFromFile(const QString& fileName) {
    QFile f(fileName);
    const QString shown = QFileInfo(fileName).fileName().isEmpty() ? fileName
                                                                  : QDir::toNativeSeparators(fileName);
    errno = 0;
    if (!f.open(QIODevice::ReadOnly))
        throw TMetafileError(QStringLiteral("Die Datei „%1“ kann nicht gelesen werden: %2")
                                 .arg(shown, FileErrorText(f, errno)));
    if (f.size() > kMaxFileSize)
        throw TMetafileError(
            QStringLiteral("Die Datei „%1“ ist zu groß für eine Metadatei.").arg(shown));
    errno = 0;
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw TMetafileError(QStringLiteral("Die Datei „%1“ kann nicht gelesen werden: %2")
                                 .arg(shown, FileErrorText(f, errno)));
    // Check first so a failed load leaves the current picture as it was.
    TMetafile probe;
    probe.LoadFromBytes(bytes);
    if (!probe.Valid()) {
        QString why = probe.Problem().isEmpty() ? QStringLiteral("Die Datei ist leer.")
                                                : probe.Problem();
        throw TMetafileError(
            QStringLiteral("Die Datei „%1“ ist keine lesbare Metadatei. %2").arg(shown, why));
    }
    *this = probe;
}

void TMetafile::SaveToFile(const QString& fileName) const {
    const QString shown = QDir::toNativeSeparators(fileName);
    if (m_bytes.isEmpty())
        throw TMetafileError(
            QStringLiteral("Die Datei „%1“ wurde nicht geschrieben: das Bild ist leer.").arg(shown));
    QString error;
    if (!WriteFileSafely(fileName, m_bytes, &error))
        throw TMetafileError(error);
}

void TMetafile::Clear() {
    *this = TMetafile();
}

int TMetafile::Width() const { return mf::MmToPixels(m_mmWidth); }
int TMetafile::Height() const { return mf::MmToPixels(m_mmHeight); }
void TMetafile::SetWidth(int px) { m_mmWidth = mf::PixelsToMm(px); }
void TMetafile::SetHeight(int px) { m_mmHeight = mf::PixelsToMm(px); }

void TMetafile::Play(QPainter& painter, const QRect& dest) const {
    Play(painter, QRectF(QPointF(dest.left(), dest.top()), QPointF(dest.right(), dest.bottom())));
}

void TMetafile::Play(QPainter& painter, const QRectF& dest) const {
    if (!Valid())
        return;
    TMetafilePlayer::Play(*this, painter, dest);
}

void TMetafile::SetRecorded(const QByteArray& emfBytes, int mmWidth, int mmHeight) {
    m_bytes = emfBytes;
    analyse();
    m_mmWidth = mmWidth;
    m_mmHeight = mmHeight;
    m_enhanced = true;
}

void TMetafile::analyse() {
    mf::Layout l = mf::InspectBytes(m_bytes);
    m_form = l.form;
    m_problem = l.problem;
    m_mmWidth = l.mmWidth;
    m_mmHeight = l.mmHeight;
    m_enhanced = l.form == Form::Emf;
    m_layout = std::make_shared<const mf::Layout>(std::move(l));
}
