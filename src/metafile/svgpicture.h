#pragma once
// SVG drawings as vector pictures: Qt SVG plays the drawing into the EMF recorder, so the
// picture keeps its outlines and text at any print resolution.

#include "tmetafile.h"

#include <QByteArray>
#include <QString>

// The physical size an SVG document names for itself, in 0.01 mm: the root element's
// width and height (px at 96 dpi, in, cm, mm, pt, pc), else its viewBox in px. False when
// neither gives a usable size.
bool SvgPhysicalSize(const QByteArray& svg, int& mmWidth, int& mmHeight);

// Records SVG (or gzip-compressed SVGZ) bytes as an EMF picture of the drawing's physical
// size. Throws TMetafileError naming fileName when the bytes are no usable drawing.
TMetafile RecordSvg(const QByteArray& bytes, const QString& fileName);

// Reads an .svg or .svgz file and records it. Throws TMetafileError naming the file.
TMetafile ImportSvgPicture(const QString& fileName);
