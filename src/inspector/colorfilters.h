#pragma once
// Pixel work of the colour filters on 24-bit pictures (QImage::Format_RGB888). Every
// filter walks the scanlines directly; a picture of size 0 is left alone.

#include <QImage>
#include <array>
#include <cstdint>

// Moves a channel value v (0..255) toward 255 by p percent of the distance (p >= 0) or
// toward 0 by -p percent of v (p < 0); integer arithmetic truncating toward zero.
int AdjustChannel(int v, int percent);

// Lookup tables of the adjustment for the red, green and blue channel.
struct TChannelTables {
    std::array<std::uint8_t, 256> red, green, blue;
};
TChannelTables AdjustTables(int percentRed, int percentGreen, int percentBlue);

// Each channel adjusted with its own percentage (brightness uses one value for all three).
void AdjustColors(QImage& image, int percentRed, int percentGreen, int percentBlue);
// g = 0.3 red + 0.59 green + 0.11 blue, rounded to the nearest integer (halves to even).
int GreyValue(int r, int g, int b);
void GreyScale(QImage& image);
// Each inner pixel becomes the truncated mean of its 3 x 3 neighbourhood of the original;
// the outer border stays as it was.
void Soften(QImage& image);
// Every channel becomes 255 minus its value.
void InvertColors(QImage& image);
