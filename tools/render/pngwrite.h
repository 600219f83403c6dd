#pragma once
// A PNG writer built for speed: 8-bit RGB, the Sub filter on every row and zlib's fastest
// level. Files come out somewhat larger than with adaptive filters, written several times
// faster, which is what rendering many pictures needs.

#include <QImage>

class QIODevice;

// Writes img (any format; alpha is dropped) to dev; false when writing failed.
bool WritePngFast(const QImage& img, QIODevice& dev);
