#pragma once
// Turning raster picture files (BMP, GIF, TIFF, JPEG, PNG) into metafiles for the graphic
// import.

#include "raster/dib.h"
#include "metafile/tmetafile.h"

#include <QString>
#include <cstddef>
#include <cstdint>

enum class TRasterKind { Unknown, Bmp, Gif, Tiff, Jpeg, Png };

// The kind named by the file's extension (.bmp, .gif, .tif, .tiff, .jpg, .jpeg, .png; any
// case).
TRasterKind RasterKindOfName(const QString& fileName);
// The kind recognised from the first bytes of a file.
TRasterKind RasterKindOfBytes(const uint8_t* data, size_t size);

// Decodes the bytes of a picture; the content decides the kind and `hint` is used when the
// content is not recognised. Throws TRasterError naming fileName.
HDIB DecodeRasterBytes(const uint8_t* data, size_t size, TRasterKind hint, const QString& fileName);
// Decodes a picture file (kind from its content, else from its extension).
HDIB LoadRasterPicture(const QString& fileName);

// A PNG through Qt's image reader, within RasterLimits, as ARGB32. mmWidth and mmHeight
// (when given) receive its physical size in 0.01 mm from its resolution (pHYs), or 0 when
// the file names none. Throws TRasterError naming fileName.
QImage DecodePng(const uint8_t* data, size_t size, const QString& fileName, int* mmWidth = nullptr,
                 int* mmHeight = nullptr);

// Records the image into a new EMF at the origin. Opaque pictures become a 24-bit
// StretchDIBits, pictures with transparent pixels an alpha blend, so the page shows through.
// The frame is mmWidth x mmHeight (0.01 mm); when not positive, the image's pixels at the
// 96-dpi reference.
TMetafile RecordImage(const QImage& image, int mmWidth = 0, int mmHeight = 0);

// Records the DIB into a new EMF metafile as a 24-bit StretchDIBits at the origin (an alpha
// blend when it has a transparent colour): the metafile's pixel size at the 96-dpi
// reference is the picture's size.
TMetafile RecordDib(const HDIB& dib);

// Decodes the file and records it: the metafile a raster picture is inserted as. Throws
// TRasterError with a German message naming the file when the picture cannot be used.
TMetafile ImportRasterPicture(const QString& fileName);
