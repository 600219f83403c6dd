#pragma once
// A recording canvas with a GDI-like interface: whatever is drawn on it becomes EMF
// records, and closing it puts the finished EMF into the target picture.
//
// The reference device is a fixed 96-dpi "screen" (never the real one). Coordinates are
// logical units of the current mapping mode and are written to the records as they are,
// so a drawing in 0.01 mm (MM_HIMETRIC) keeps its precision when printed at 1200 dpi.
//
// Pen, brush and font work like a drawing canvas: set them, and the canvas creates and
// selects the matching GDI objects in the recording right before something is drawn.
// The defaults are a solid black pen of width 1, a solid white brush and Arial.
//
// The picture's frame is the size set on the target (MMWidth/MMHeight, 0.01 mm) before
// the canvas was opened; when that size is not set, the frame is the area drawn.

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QTransform>
#include <cstdint>
#include <memory>

#include "tmetafile.h"

class QImage;
namespace emf {
class EmfWriter;
}

using TColor = std::uint32_t; // Windows colour value 0x00BBGGRR

struct TLogFont {
    int Height = -12;     // logical units; negative: character height, positive: cell height
    int Width = 0;        // 0: natural width
    int Escapement = 0;   // angle of the base line, tenths of a degree counter-clockwise
    int Orientation = 0;  // angle of each character, tenths of a degree
    int Weight = 400;     // 400 normal, 700 bold
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    std::uint8_t CharSet = 1; // DEFAULT_CHARSET
    std::uint8_t Quality = 0;
    std::uint8_t PitchAndFamily = 0;
    QString FaceName = QStringLiteral("Arial"); // at most 31 characters are kept
};

class TMetafileCanvas {
public:
    // Mapping modes
    static constexpr int MM_TEXT = 1;
    static constexpr int MM_LOMETRIC = 2;
    static constexpr int MM_HIMETRIC = 3;
    static constexpr int MM_LOENGLISH = 4;
    static constexpr int MM_HIENGLISH = 5;
    static constexpr int MM_TWIPS = 6;
    static constexpr int MM_ISOTROPIC = 7;
    static constexpr int MM_ANISOTROPIC = 8;
    // Pen styles
    static constexpr int PS_SOLID = 0;
    static constexpr int PS_DASH = 1;
    static constexpr int PS_DOT = 2;
    static constexpr int PS_DASHDOT = 3;
    static constexpr int PS_DASHDOTDOT = 4;
    static constexpr int PS_NULL = 5;
    // Line ends and joins of wide pens (round by default, as in GDI)
    static constexpr int PS_ENDCAP_ROUND = 0;
    static constexpr int PS_ENDCAP_SQUARE = 0x100;
    static constexpr int PS_ENDCAP_FLAT = 0x200;
    static constexpr int PS_JOIN_ROUND = 0;
    static constexpr int PS_JOIN_BEVEL = 0x1000;
    static constexpr int PS_JOIN_MITER = 0x2000;
    // Brush styles
    static constexpr int BS_SOLID = 0;
    static constexpr int BS_NULL = 1;
    // Background modes
    static constexpr int BK_TRANSPARENT = 1;
    static constexpr int BK_OPAQUE = 2;
    // Polygon fill modes
    static constexpr int ALTERNATE = 1;
    static constexpr int WINDING = 2;
    // Text alignment (TA_CENTER and TA_BASELINE are multi-bit values)
    static constexpr std::uint32_t TA_LEFT = 0;
    static constexpr std::uint32_t TA_TOP = 0;
    static constexpr std::uint32_t TA_UPDATECP = 1;
    static constexpr std::uint32_t TA_RIGHT = 2;
    static constexpr std::uint32_t TA_CENTER = 6;
    static constexpr std::uint32_t TA_BOTTOM = 8;
    static constexpr std::uint32_t TA_BASELINE = 24;
    // ExtTextOut options
    static constexpr std::uint32_t ETO_OPAQUE = 2;
    static constexpr std::uint32_t ETO_CLIPPED = 4;
    // Raster operations for StretchDIBits
    static constexpr std::uint32_t SRCCOPY = 0x00CC0020;
    static constexpr std::uint32_t NOTSRCCOPY = 0x00330008;

    // Opens a recording on the target. The target's content is replaced when the canvas is
    // closed; until then the target is left as it was.
    explicit TMetafileCanvas(TMetafile& target);
    ~TMetafileCanvas(); // closes the canvas when still open
    TMetafileCanvas(const TMetafileCanvas&) = delete;
    TMetafileCanvas& operator=(const TMetafileCanvas&) = delete;

    // Finishes the EMF and hands it to the target (TMetafile::SetRecorded). Later drawing
    // calls are ignored; a second Close does nothing.
    void Close();
    bool IsClosed() const { return m_closed; }
    // Sets the frame (0.01 mm) the picture gets, instead of the target's size.
    void SetFrame(int mmWidth, int mmHeight) {
        m_frameW = mmWidth;
        m_frameH = mmHeight;
    }

    // Page mapping (window and viewport extents count in MM_ISOTROPIC/MM_ANISOTROPIC only)
    void SetMapMode(int mode);
    void SetWindowOrgEx(int x, int y);
    void SetWindowExtEx(int cx, int cy);
    void SetViewportOrgEx(int x, int y);
    void SetViewportExtEx(int cx, int cy);
    // MM_ANISOTROPIC with the scale window : viewport given per axis as an exact fraction of
    // 64-bit counts, reduced (and halved while too large) to the extents GDI can hold.
    void SetAnisotropicScale(qint64 windowX, qint64 viewportX, qint64 windowY, qint64 viewportY);
    // World transform (logical -> page), on top of the mapping mode; identity by default.
    void SetWorldTransform(const QTransform& t);
    int MapMode() const { return m_map.mode; }

    // Pen
    void SetPen(int style, int width, TColor colour);
    void SetPenStyle(int style);
    void SetPenWidth(int width);
    void SetPenColor(TColor colour);
    // One PS_ENDCAP_* and one PS_JOIN_* value; anything but round makes a geometric pen.
    void SetPenEnds(int endCap, int join);
    int PenStyle() const { return m_pen.style; }
    int PenWidth() const { return m_pen.width; }
    TColor PenColor() const { return m_pen.colour; }
    // Brush
    void SetBrush(int style, TColor colour);
    void SetBrushStyle(int style);
    void SetBrushColor(TColor colour);
    int BrushStyle() const { return m_brush.style; }
    TColor BrushColor() const { return m_brush.colour; }
    // Font and text state
    void SetFont(const TLogFont& font);
    const TLogFont& Font() const { return m_font; }
    void SetTextColor(TColor colour);
    void SetBkColor(TColor colour);
    void SetBkMode(int mode);
    void SetTextAlign(std::uint32_t align);
    void SetPolyFillMode(int mode);

    // State stack and clipping
    void SaveDC();
    void RestoreDC(); // back to the state of the matching SaveDC
    void IntersectClipRect(const QRect& r); // logical units, l/t inclusive, r/b exclusive
    // Clips to the polygons (logical units, fill mode as set), intersected with the clip.
    void IntersectClipPolygons(const QList<QList<QPoint>>& polygons);

    // Drawing, all in logical units
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polyline(const QList<QPoint>& points);
    void Polygon(const QList<QPoint>& points);
    void PolyPolygon(const QList<QList<QPoint>>& polygons);
    void PolyPolyline(const QList<QList<QPoint>>& lines);
    void Rectangle(int left, int top, int right, int bottom);
    void Ellipse(int left, int top, int right, int bottom);
    // Text at (x, y) aligned as set; clip (when given) is used with ETO_CLIPPED/ETO_OPAQUE.
    // dx: advance of each character in logical units; computed from the font when empty.
    void ExtTextOut(int x, int y, std::uint32_t options, const QRect* clip, const QString& text,
                    const QList<int>& dx = {});
    void TextOut(int x, int y, const QString& text) { ExtTextOut(x, y, 0, nullptr, text); }

    // A packed DIB (BITMAPINFOHEADER, palette, rows) stretched from its source rectangle (in
    // pixels; the whole picture is 0, 0, width, height) into the destination (logical units). A negative
    // destination width or height mirrors. The bytes are checked; a bad DIB is not recorded.
    void StretchDIBits(int xDest, int yDest, int cxDest, int cyDest, int xSrc, int ySrc,
                       int cxSrc, int cySrc, const QByteArray& dib,
                       std::uint32_t rop = SRCCOPY);
    // The image, whole, into the destination rectangle: as a 24-bit DIB, or, when it has
    // pixels that are not fully opaque and is copied plainly (SRCCOPY), as an alpha blend.
    void StretchImage(int xDest, int yDest, int cxDest, int cyDest, const QImage& image,
                      std::uint32_t rop = SRCCOPY);
    // The image as a 32-bit premultiplied DIB blended over the page by its own alpha
    // (EMR_ALPHABLEND with AC_SRC_ALPHA): transparent pixels leave the page as it is.
    void AlphaBlendImage(int xDest, int yDest, int cxDest, int cyDest, const QImage& image);
    // The image 1:1 (one pixel per logical unit) with its top-left corner at (x, y).
    void Draw(int x, int y, const QImage& image);

    // A 24-bit bottom-up packed DIB of the image (rows padded to 4 bytes).
    static QByteArray ImageToDib24(const QImage& image);
    // A 32-bit bottom-up packed DIB of the image, blue-green-red-alpha, premultiplied.
    static QByteArray ImageToDib32(const QImage& image);
    // Whether the image has a pixel that is not fully opaque.
    static bool HasTransparency(const QImage& image);

    // The EMF recorded so far, finished as if closed now (for inspection; the canvas stays
    // open).
    QByteArray Snapshot() const;

private:
    struct PenState {
        int style = PS_SOLID;
        int width = 1;
        TColor colour = 0;
        int ends = 0; // end cap | join
        bool operator==(const PenState&) const = default;
    };
    struct BrushState {
        int style = BS_SOLID;
        TColor colour = 0xFFFFFF;
        bool operator==(const BrushState&) const = default;
    };
    struct Mapping {
        int mode = MM_TEXT;
        QPoint windowOrg, viewportOrg;
        QSize windowExt{1, 1}, viewportExt{1, 1};
        QTransform world;
    };
    // What the recording has selected (handles with the high bit are stock objects).
    struct Selection {
        std::uint32_t pen = 0, brush = 0, font = 0;
        bool penValid = false, brushValid = false, fontValid = false;
        PenState penState;
        BrushState brushState;
        TLogFont fontState;
    };
    // Device-context values GDI starts with.
    struct TextState {
        TColor textColour = 0;
        TColor bkColour = 0xFFFFFF;
        int bkMode = BK_OPAQUE;
        std::uint32_t align = 0;
        int fillMode = ALTERNATE;
    };
    struct SavedState {
        Mapping mapping;
        Selection sel;
        TextState text;
        QPoint current;
        bool advancedMode = false;
    };

    bool usable() const { return !m_closed; }
    static void setModeExtents(Mapping& m);
    void fixIsotropic();
    QTransform logicalToDevice() const;
    double deviceScale() const;
    double penMargin() const;
    void addDeviceBounds(const QRectF& logical, double logicalMargin, bool exclusive = false);
    QRect deviceBoundsOf(const QRectF& logical, bool exclusive = false) const;
    void realisePen();
    void realiseBrush();
    void realiseFont();
    void selectObject(std::uint32_t& slot, std::uint32_t handle);
    bool handleInUse(std::uint32_t h) const;
    void releaseHandles();
    void writePoly(std::uint32_t type, const QList<QPoint>& pts, bool bounds);
    void writePolyPoly(std::uint32_t type, const QList<QList<QPoint>>& polys, int minPoints,
                       bool bounds);
    QByteArray finish(QRect* frame) const;

    TMetafile& m_target;
    std::unique_ptr<emf::EmfWriter> m_writer;
    bool m_closed = false;
    int m_frameW = 0, m_frameH = 0; // target size when the canvas was opened

    Mapping m_map;
    bool m_advancedMode = false;
    PenState m_pen;
    BrushState m_brush;
    TLogFont m_font;
    Selection m_sel;
    TextState m_text;
    QPoint m_current;
    QList<SavedState> m_saved;
    QList<std::uint32_t> m_pending; // objects to delete once nothing selects them
};
