#pragma once
// Bounds-checked little-endian reads over a byte range. A read past the end returns 0
// and sets a sticky error flag, so parsers check once after a group of reads instead of
// before every field. Nothing is ever cast onto the buffer.

#include <QByteArray>
#include <QtEndian>
#include <QtGlobal>
#include <cstring>
#include <limits>

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const char* data, qsizetype size) : m_data(data), m_size(size < 0 ? 0 : size) {}
    // The array must outlive the reader.
    explicit ByteReader(const QByteArray& bytes) : ByteReader(bytes.constData(), bytes.size()) {}

    qsizetype size() const { return m_size; }
    qsizetype pos() const { return m_pos; }
    qsizetype remaining() const { return m_size - m_pos; }
    bool ok() const { return !m_failed; }
    bool failed() const { return m_failed; }
    bool has(qsizetype n) const { return n >= 0 && n <= remaining(); }
    const char* data() const { return m_data; }

    void seek(qsizetype p) {
        if (p < 0 || p > m_size) {
            m_failed = true;
            m_pos = m_size;
        } else {
            m_pos = p;
        }
    }
    void skip(qsizetype n) {
        if (!has(n)) {
            m_failed = true;
            m_pos = m_size;
        } else {
            m_pos += n;
        }
    }

    quint8 u8() { return quint8(take(1) ? m_data[m_pos - 1] : 0); }
    quint16 u16() {
        if (!take(2))
            return 0;
        return qFromLittleEndian<quint16>(m_data + m_pos - 2);
    }
    qint16 i16() { return qint16(u16()); }
    quint32 u32() {
        if (!take(4))
            return 0;
        return qFromLittleEndian<quint32>(m_data + m_pos - 4);
    }
    qint32 i32() { return qint32(u32()); }
    float f32() {
        quint32 bits = u32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    // Reads n raw bytes (empty and failed when they are not there).
    QByteArray bytes(qsizetype n) {
        if (!take(n))
            return {};
        return QByteArray(m_data + m_pos - n, n);
    }

    // Reads at an absolute offset without moving; 0 when out of range (no error flag).
    quint16 peekU16(qsizetype at) const {
        if (at < 0 || at > m_size - 2)
            return 0;
        return qFromLittleEndian<quint16>(m_data + at);
    }
    quint32 peekU32(qsizetype at) const {
        if (at < 0 || at > m_size - 4)
            return 0;
        return qFromLittleEndian<quint32>(m_data + at);
    }

    // A reader over [offset, offset+len) of this one, clipped to what is there.
    ByteReader sub(qsizetype offset, qsizetype len) const {
        if (offset < 0 || offset > m_size)
            return ByteReader(m_data, 0);
        if (len < 0 || len > m_size - offset)
            len = m_size - offset;
        return ByteReader(m_data + offset, len);
    }

private:
    bool take(qsizetype n) {
        if (m_failed || !has(n)) {
            m_failed = true;
            m_pos = m_size;
            return false;
        }
        m_pos += n;
        return true;
    }

    const char* m_data = nullptr;
    qsizetype m_size = 0;
    qsizetype m_pos = 0;
    bool m_failed = false;
};

// Checked arithmetic for sizes and counts taken from files.
namespace checked {
inline bool mul(qint64 a, qint64 b, qint64& out) { return !__builtin_mul_overflow(a, b, &out); }
inline bool add(qint64 a, qint64 b, qint64& out) { return !__builtin_add_overflow(a, b, &out); }
} // namespace checked
