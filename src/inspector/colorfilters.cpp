#include "inspector/colorfilters.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using Lut = std::array<std::uint8_t, 256>;

Lut adjustLut(int percent) {
    Lut lut;
    for (int v = 0; v < 256; ++v)
        lut[v] = std::uint8_t(AdjustChannel(v, percent));
    return lut;
}

bool usable(const QImage& image) {
    return !image.isNull() && image.width() > 0 && image.height() > 0 &&
           image.format() == QImage::Format_RGB888;
}

} // namespace

int AdjustChannel(int v, int percent) {
    // C++ division truncates toward zero, as the rule asks.
    if (percent >= 0)
        return v + ((255 - v) * percent) / 100;
    return v + (v * percent) / 100;
}

TChannelTables AdjustTables(int percentRed, int percentGreen, int percentBlue) {
    return {adjustLut(percentRed), adjustLut(percentGreen), adjustLut(percentBlue)};
}

void AdjustColors(QImage& image, int percentRed, int percentGreen, int percentBlue) {
    if (!usable(image))
        return;
    const TChannelTables t = AdjustTables(percentRed, percentGreen, percentBlue);
    const Lut& lr = t.red;
    const Lut& lg = t.green;
    const Lut& lb = t.blue;
    const int w = image.width();
    if (percentRed == percentGreen && percentGreen == percentBlue) {
        const int n = w * 3;
        for (int y = 0; y < image.height(); ++y) {
            std::uint8_t* p = image.scanLine(y);
            for (int i = 0; i < n; ++i)
                p[i] = lr[p[i]];
        }
        return;
    }
    for (int y = 0; y < image.height(); ++y) {
        std::uint8_t* p = image.scanLine(y);
        for (int x = 0; x < w; ++x, p += 3) {
            p[0] = lr[p[0]];
            p[1] = lg[p[1]];
            p[2] = lb[p[2]];
        }
    }
}

int GreyValue(int r, int g, int b) {
    // In hundredths, exactly: 30 r + 59 g + 11 b.
    const int sum = 30 * r + 59 * g + 11 * b;
    int q = sum / 100;
    const int rest = sum % 100;
    if (rest > 50 || (rest == 50 && (q & 1)))
        ++q;
    return q;
}

void GreyScale(QImage& image) {
    if (!usable(image))
        return;
    // Weighted sums per channel in hundredths; the rounding table covers 0..25500.
    static const auto tables = [] {
        struct T {
            std::array<std::uint16_t, 256> r, g, b;
            std::array<std::uint8_t, 25501> round;
        } t;
        for (int v = 0; v < 256; ++v) {
            t.r[v] = std::uint16_t(30 * v);
            t.g[v] = std::uint16_t(59 * v);
            t.b[v] = std::uint16_t(11 * v);
        }
        for (int s = 0; s <= 25500; ++s) {
            int q = s / 100;
            const int rest = s % 100;
            if (rest > 50 || (rest == 50 && (q & 1)))
                ++q;
            t.round[s] = std::uint8_t(q);
        }
        return t;
    }();
    const int w = image.width();
    for (int y = 0; y < image.height(); ++y) {
        std::uint8_t* p = image.scanLine(y);
        for (int x = 0; x < w; ++x, p += 3) {
            const std::uint8_t g = tables.round[tables.r[p[0]] + tables.g[p[1]] + tables.b[p[2]]];
            p[0] = p[1] = p[2] = g;
        }
    }
}

void Soften(QImage& image) {
    if (!usable(image) || image.width() < 3 || image.height() < 3)
        return;
    const int w = image.width();
    const int h = image.height();
    const int n = w * 3;
    // The original rows above, at and below the current one (rows are overwritten as the
    // loop goes down), and the vertical three-row sums of each channel.
    std::vector<std::uint8_t> ring(static_cast<std::size_t>(n) * 3);
    std::vector<std::uint16_t> column(static_cast<std::size_t>(n));
    std::uint8_t* rows[3] = {ring.data(), ring.data() + n, ring.data() + 2 * n};
    std::memcpy(rows[0], image.constScanLine(0), std::size_t(n));
    std::memcpy(rows[1], image.constScanLine(1), std::size_t(n));
    std::uint16_t* v = column.data();
    for (int y = 1; y < h - 1; ++y) {
        std::memcpy(rows[2], image.constScanLine(y + 1), std::size_t(n));
        const std::uint8_t* a = rows[0];
        const std::uint8_t* b = rows[1];
        const std::uint8_t* c = rows[2];
        for (int i = 0; i < n; ++i)
            v[i] = std::uint16_t(a[i] + b[i] + c[i]);
        std::uint8_t* p = image.scanLine(y);
        // x / 9 for x <= 2295 is exactly (x * 7282) >> 16.
        for (int i = 3; i < n - 3; ++i)
            p[i] = std::uint8_t((std::uint32_t(v[i - 3] + v[i] + v[i + 3]) * 7282u) >> 16);
        std::uint8_t* t = rows[0];
        rows[0] = rows[1];
        rows[1] = rows[2];
        rows[2] = t;
    }
}

void InvertColors(QImage& image) {
    if (!usable(image))
        return;
    const int n = image.width() * 3;
    for (int y = 0; y < image.height(); ++y) {
        std::uint8_t* p = image.scanLine(y);
        for (int i = 0; i < n; ++i)
            p[i] = std::uint8_t(255 - p[i]);
    }
}
