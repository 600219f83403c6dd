#pragma once
// The pictures of the program's forms, drawn here instead of being stored as bitmaps.

#include <QPixmap>
#include <QStringList>
#include <QVector>

// Left edges of the register's click areas in the order of the captions passed to
// RegisterPicture; the last area ends at RegisterHelpLeft.
inline constexpr int RegisterPictureWidth = 1024;
inline constexpr int RegisterPictureHeight = 33;
inline constexpr int RegisterHelpLeft = 608;

// The register strip: one index tab per caption, tabs starting at the given left edges.
QPixmap RegisterPicture(const QStringList& captions, const QVector<int>& lefts,
                        const QColor& tabColor);
// The program's name as a banner.
QPixmap LogoPicture(int width, int height);
// An open book, the picture that opens the manual.
QPixmap ManualPicture();
