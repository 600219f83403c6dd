#include "raster/decoders.h"
#include "platform/fileerror.h"
#include <cerrno>

TRasterFileData::TRasterFileData(const QString& fileName) : m_file(fileName) {
    errno = 0;
    if (!m_file.open(QIODevice::ReadOnly))
        throw TRasterError(fileName, QStringLiteral("Die Datei kann nicht geöffnet werden: %1")
                                         .arg(FileErrorText(m_file, errno)));
    const qint64 size = m_file.size();
    if (size <= 0)
        throw TRasterError(fileName, QStringLiteral("Die Datei ist leer."));
    if (size > RasterLimits::MaxFileBytes)
        throw TRasterError(fileName, QStringLiteral("Die Datei ist zu groß."));
    // Read, not mapped: a mapped file that another program shortens meanwhile would
    // end the program with a bus error.
    errno = 0;
    m_copy = m_file.readAll();
    if (m_copy.isEmpty())
        throw TRasterError(fileName, QStringLiteral("Die Datei kann nicht gelesen werden: %1")
                                         .arg(FileErrorText(m_file, errno)));
    m_data = reinterpret_cast<const uint8_t*>(m_copy.constData());
    m_size = size_t(m_copy.size());
}

TRasterFileData::~TRasterFileData() {
    if (m_map)
        m_file.unmap(m_map);
}
