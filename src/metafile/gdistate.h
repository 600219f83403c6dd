#pragma once
// The graphics state of a metafile player: the objects of the object table and the
// device-context state that SaveDC/RestoreDC keep on a stack.

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRegion>
#include <QSizeF>
#include <QString>
#include <QTransform>
#include <QVector>

namespace mf {

// GDI constants the player needs by name.
enum : int {
    MM_TEXT = 1, MM_LOMETRIC, MM_HIMETRIC, MM_LOENGLISH, MM_HIENGLISH, MM_TWIPS, MM_ISOTROPIC,
    MM_ANISOTROPIC
};
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
enum : int { ALTERNATE = 1, WINDING = 2 };
enum : int { TA_UPDATECP = 1, TA_RIGHT = 2, TA_CENTER = 6, TA_BOTTOM = 8, TA_BASELINE = 24 };
enum : int { ETO_OPAQUE = 2, ETO_CLIPPED = 4, ETO_GLYPH_INDEX = 0x10, ETO_PDY = 0x2000 };
enum : int { PS_SOLID = 0, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME,
             PS_USERSTYLE, PS_ALTERNATE };
enum : int { BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2, BS_PATTERN = 3, BS_DIBPATTERN = 5,
             BS_DIBPATTERNPT = 6 };
enum : int { R2_BLACK = 1, R2_NOT = 6, R2_XORPEN = 7, R2_MASKPEN = 9, R2_NOTXORPEN = 10,
             R2_NOP = 11, R2_COPYPEN = 13, R2_MERGEPEN = 15, R2_WHITE = 16 };
enum : int { AD_COUNTERCLOCKWISE = 1, AD_CLOCKWISE = 2 };
enum : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
enum : quint32 {
    ROP_SRCCOPY = 0x00CC0020, ROP_NOTSRCCOPY = 0x00330008, ROP_SRCAND = 0x008800C6,
    ROP_SRCPAINT = 0x00EE0086, ROP_SRCINVERT = 0x00660046, ROP_SRCERASE = 0x00440328,
    ROP_NOTSRCERASE = 0x001100A6, ROP_MERGEPAINT = 0x00BB0226, ROP_MERGECOPY = 0x00C000CA,
    ROP_PATCOPY = 0x00F00021, ROP_PATINVERT = 0x005A0049, ROP_DSTINVERT = 0x00550009,
    ROP_BLACKNESS = 0x00000042, ROP_WHITENESS = 0x00FF0062, ROP_PATPAINT = 0x00FB0A09,
    ROP_DSTCOPY = 0x00AA0029
};

struct LogPen {
    int style = PS_SOLID;  // low nibble of the pen style
    int endCap = 0;        // 0 round, 0x100 square, 0x200 flat
    int join = 0;          // 0 round, 0x1000 bevel, 0x2000 miter
    double width = 0;      // logical units; 0 = one device pixel
    bool cosmetic = true;
    QColor color = Qt::black;
    QVector<qreal> dashes; // PS_USERSTYLE, logical units
};

struct LogBrush {
    int style = BS_SOLID;
    QColor color = Qt::white;
    int hatch = 0;
    QImage pattern; // BS_PATTERN / BS_DIBPATTERN
};

struct LogFont {
    int height = 0;
    int width = 0;
    int escapement = 0; // tenths of a degree, counter-clockwise
    int orientation = 0;
    int weight = 0;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charSet = 0;
    QString face;
};

struct GdiObject {
    enum Kind { Free, Pen, Brush, Font, Palette, Region, Placeholder };
    Kind kind = Free;
    LogPen pen;
    LogBrush brush;
    LogFont font;
    QVector<QRgb> palette;
    QPainterPath region; // device space
};

struct DcState {
    LogPen pen;
    LogBrush brush;
    LogFont font;
    QVector<QRgb> palette;
    QColor textColor = Qt::black;
    QColor bkColor = Qt::white;
    int bkMode = OPAQUE;
    int textAlign = 0;
    int polyFillMode = ALTERNATE;
    int rop2 = R2_COPYPEN;
    int stretchMode = 1;
    int arcDirection = AD_COUNTERCLOCKWISE;
    double miterLimit = 10;
    int textCharExtra = 0;
    // SetTextJustification: extra logical units spread over this many break characters.
    int textBreakExtra = 0;
    int textBreakCount = 0;
    int mapMode = MM_TEXT;
    QPointF windowOrg;
    QSizeF windowExt{1, 1};
    QPointF viewportOrg;
    QSizeF viewportExt{1, 1};
    QTransform world;
    QPointF curPos; // logical
    bool hasClip = false;
    QRegion clip; // device space, whole device pixels as in GDI
    QPointF brushOrg;
};

} // namespace mf
