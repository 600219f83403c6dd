#include "document/docfilecodec.h"
#include "platform/nocoverage.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <QtGlobal>

namespace docfile {

void AppendReal(QByteArray& out, double value)
{
    // Values no reader could take back are stored as 0 rather than as "NAN" or "INF".
    if (!std::isfinite(value) || value == 0)
        value = 0;
    char buf[64];
    // Exactly what printf's "%.14E" writes, without printf: "d.dddddddddddddde+xx", with at
    // least two exponent digits.
    const auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf - 1, std::fabs(value), std::chars_format::scientific, 14);
    *end = '\0';
    const char* e = static_cast<const char*>(std::memchr(buf, 'e', size_t(end - buf)));
    out.append(value < 0 ? '-' : ' ');
    out.append(buf, e - buf);
    out.append('E');
    out.append(e[1]);
    const char* digits = e + 2;
    const int len = int(std::strlen(digits));
    for (int i = len; i < 4; ++i)
        out.append('0');
    out.append(digits, len);
}

QByteArray FormatReal(double value)
{
    QByteArray out;
    out.reserve(23);
    AppendReal(out, value);
    return out;
}

namespace {

QByteArrayView trimmed(QByteArrayView t)
{
    qsizetype b = 0, e = t.size();
    while (b < e && (t[b] == ' ' || t[b] == '\t'))
        ++b;
    while (e > b && (t[e - 1] == ' ' || t[e - 1] == '\t'))
        --e;
    return t.sliced(b, e - b);
}

} // namespace

double ParseReal(QByteArrayView text)
{
    QByteArrayView t = trimmed(text);
    if (!t.isEmpty() && t[0] == '+')
        t = t.sliced(1);
    if (t.isEmpty() || t[0] == '+')
        return 0;
    double v = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(v))
        return 0;
    return v;
}

std::int64_t ParseInt(QByteArrayView text, bool* ok)
{
    QByteArrayView t = trimmed(text);
    if (!t.isEmpty() && t[0] == '+')
        t = t.sliced(1);
    std::int64_t v = 0;
    const auto r = t.isEmpty() || t[0] == '+'
                       ? std::from_chars_result{t.data(), std::errc::invalid_argument}
                       : std::from_chars(t.data(), t.data() + t.size(), v, 10);
    const bool good = r.ec == std::errc() && r.ptr == t.data() + t.size();
    if (ok)
        *ok = good;
    return good ? v : 0;
}

namespace {

// The two letters of every byte value, first letter in the low byte (memory order).
struct PairTable {
    std::uint16_t pairs[256];
    PairTable()
    {
        for (int b = 0; b < 256; ++b)
            pairs[b] = std::uint16_t(('A' + (b >> 4)) | (('A' + (b & 15)) << 8));
    }
};

const PairTable& pairTable()
{
    static const PairTable t;
    return t;
}

// Eight letters (four pairs) to four bytes, all lanes at once. Each letter has "A"
// subtracted modulo 256 (no borrow between lanes), then first * 16 + second per pair.
inline std::uint32_t decodeEight(std::uint64_t x)
{
    constexpr std::uint64_t H = 0x8080808080808080ull;
    constexpr std::uint64_t A = 0x4141414141414141ull;
    const std::uint64_t d = ((x | H) - (A & ~H)) ^ ((x ^ ~A) & H);
    constexpr std::uint64_t lanes = 0x00FF00FF00FF00FFull;
    std::uint64_t v = (((d & lanes) << 4) + ((d >> 8) & lanes)) & lanes;
    v = (v | (v >> 8)) & 0x0000FFFF0000FFFFull;
    v = (v | (v >> 16)) & 0x00000000FFFFFFFFull;
    return std::uint32_t(v);
}

} // namespace

QM_NO_COVERAGE void AppendLetterPairs(QByteArray& out, const QByteArray& bytes)
{
    const qsizetype n = bytes.size();
    if (n == 0)
        return;
    const qsizetype lines = (n + 39) / 40;
    const qsizetype start = out.size();
    out.resize(start + n * 2 + lines * 5);
    char* w = out.data() + start;
    const unsigned char* src = reinterpret_cast<const unsigned char*>(bytes.constData());
    const std::uint16_t* tab = pairTable().pairs;
    for (qsizetype i = 0; i < n; i += 40) {
        const qsizetype chunk = std::min<qsizetype>(40, n - i);
        std::memcpy(w, "## ", 3);
        w += 3;
        const unsigned char* s = src + i;
        qsizetype k = 0;
        for (; k + 4 <= chunk; k += 4) {
            const std::uint64_t v = std::uint64_t(tab[s[k]]) | std::uint64_t(tab[s[k + 1]]) << 16 |
                                    std::uint64_t(tab[s[k + 2]]) << 32 |
                                    std::uint64_t(tab[s[k + 3]]) << 48;
            std::memcpy(w, &v, 8);
            w += 8;
        }
        for (; k < chunk; ++k) {
            std::memcpy(w, &tab[s[k]], 2);
            w += 2;
        }
        std::memcpy(w, "\r\n", 2);
        w += 2;
    }
}

QM_NO_COVERAGE void DecodeLetterPairs(QByteArrayView text, QByteArray& out)
{
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the lane arithmetic assumes little endian");
    const qsizetype pairs = text.size() / 2;
    const qsizetype start = out.size();
    out.resize(start + pairs);
    unsigned char* w = reinterpret_cast<unsigned char*>(out.data()) + start;
    const unsigned char* r = reinterpret_cast<const unsigned char*>(text.data());
    qsizetype i = 0;
    for (; i + 4 <= pairs; i += 4) {
        std::uint64_t x;
        std::memcpy(&x, r + 2 * i, 8);
        const std::uint32_t v = decodeEight(x);
        std::memcpy(w + i, &v, 4);
    }
    for (; i < pairs; ++i) {
        // Unsigned arithmetic wraps, which is the modulo 256 the format asks for.
        w[i] = static_cast<unsigned char>((r[2 * i] - 'A') * 16 + (r[2 * i + 1] - 'A'));
    }
}

QByteArrayView LineReader::Next()
{
    if (m_p >= m_end)
        return {};
    ++m_line;
    const char* start = m_p;
    const char* nl = static_cast<const char*>(std::memchr(m_p, '\n', size_t(m_end - m_p)));
    const char* stop = nl ? nl : m_end;
    m_p = nl ? nl + 1 : m_end;
    if (stop > start && stop[-1] == '\r')
        --stop;
    return QByteArrayView(start, stop - start);
}

} // namespace docfile
