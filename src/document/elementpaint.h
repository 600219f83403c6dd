#pragma once
// Painting the elements of one side through a mapping from sheet millimetres to device
// coordinates. The screen (DrawElements) and the printer (TCellPainter) differ only in the
// mapping: how a length becomes a device coordinate, how large a font is and where the text
// shadow goes. The text anchors of every alignment and angle are shared.

#include <QPoint>
#include <QPolygonF>
#include <QRect>

class QPainter;
class TAppDocument;
class TDocElement;
class TDocElementTXT;

class TElementMapping {
public:
    virtual ~TElementMapping() = default;
    // Device coordinates of a sheet position in mm.
    virtual int X(double mm) const = 0;
    virtual int Y(double mm) const = 0;
    // Em height in device pixels of a font of fontSize tenths of a point; 0 when it is too
    // small to be drawn.
    virtual double FontPixelSize(int fontSize) const = 0;
    // How far the shadow lies from the text, and the rectangle it is clipped to.
    virtual QPoint ShadowShift(const TDocElementTXT& e) const = 0;
    virtual QRect ShadowClip(const TDocElementTXT& e) const = 0;

    // The element's box in device coordinates (right and bottom exclusive).
    QRect Box(double left, double top, double right, double bottom) const;
};

// Draws the elements of the side from the bottom of the stack to the top, leaving out skip;
// only those of stack index first..last when these are given.
void PaintSideElements(QPainter& canvas, const TAppDocument& doc, int side,
                       const TElementMapping& mapping, const TDocElement* skip = nullptr,
                       int first = 0, int last = -1);
// Draws one element, whatever its side.
void PaintElement(QPainter& canvas, const TDocElement& element, const TElementMapping& mapping);
// Where the text of a text element lies in the mapping's coordinates, before it is cut to
// its box: ink = the glyphs' tight bounds, otherwise the text's advance and the font's full
// line height. Turned with the text; empty for an empty text or an unprintable size.
QPolygonF TextOutline(const TDocElementTXT& e, const TElementMapping& mapping, bool ink);
