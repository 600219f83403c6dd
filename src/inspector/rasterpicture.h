#pragma once
// A raster graphic element's picture as pixels and back: the metafile is played into a
// 24-bit picture of its own pixel size, changed, and recorded again as one bitmap.

#include "inspector/colorfilters.h"
#include <QImage>
#include <cstdint>

class TMetafile;

// A destination rectangle as the transforms name it. The picture's left edge lands on
// left and its right edge on right - 1 (top and bottom alike), so (0, 0, W + 1, H + 1)
// copies a W x H picture pixel for pixel and (W, 0, 1, H + 1) mirrors it exactly.
struct TGdiRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

TGdiRect PlainRect(int w, int h);            // (0, 0, W + 1, H + 1)
TGdiRect MirrorHorizontalRect(int w, int h); // (W, 0, 1, H + 1)
TGdiRect MirrorVerticalRect(int w, int h);   // (0, H, W + 1, 1)
TGdiRect Turn180Rect(int w, int h);          // (W, H, 1, 1)

// The picture played into dest on a white W x H picture (W, H: its size in pixels),
// Format_RGB888; a picture with transparent pixels (PictureHasAlpha) is played on a clear
// one instead and comes as Format_ARGB32. Empty when the picture has no size.
QImage RenderPicture(const TMetafile& metafile, const TGdiRect& dest);

// Whether the picture blends a bitmap by its own alpha (an imported PNG, a GIF with a
// transparent colour), so its pixel work must keep the alpha.
bool PictureHasAlpha(const TMetafile& metafile);

// Runs a filter of 24-bit pictures on the colours of image; an ARGB32 image keeps its
// alpha.
void FilterColours(QImage& image, void (*filter)(QImage&));
// Soften (3 x 3 mean) for 24-bit and ARGB32 pictures; the alpha is softened with the colours.
void SoftenPicture(QImage& image);

// Records image at (0, 0) as the picture's only content. With keepSize the picture's
// frame stays as it is; otherwise the picture is emptied first and takes the image's size
// in pixels. inverted records it with the inverting copy mode.
// The EMF bytes of a picture that holds nothing but image (24 bits) at (0, 0), its frame
// mmWidth x mmHeight (0.01 mm); inverted uses the inverting copy mode.
// With tables, every channel is looked up in its table on the way (the colour
// adjustments, without a copy of the picture).
QByteArray OneBitmapEmf(const QImage& image, int mmWidth, int mmHeight, bool inverted,
                        const TChannelTables* tables = nullptr);

// An image with transparent pixels is recorded as an alpha blend, with tables and the
// inversion applied to its colours.
void RecordPicture(TMetafile& metafile, const QImage& image, bool keepSize, bool inverted,
                   const TChannelTables* tables = nullptr);
