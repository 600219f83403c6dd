#pragma once
// The interpreter core shared by the EMF and WMF players: GDI state, object table,
// coordinate pipeline (world, page, then device-to-destination) and the drawing
// primitives, all drawn through a QPainter.

#include "gdistate.h"
#include "metafileplayer.h"
#include "mfdib.h"

#include <cmath>
#include <QFont>
#include <QHash>
#include <QPainter>
#include <QRawFont>
#include <QPolygonF>
#include <deque>
#include <vector>

namespace mf {

class GdiPlayer {
public:
    // deviceToDest maps the metafile's device space onto the destination rectangle.
    GdiPlayer(QPainter& painter, const QTransform& deviceToDest, const TMetafilePlayOptions& opts);
    ~GdiPlayer();
    GdiPlayer(const GdiPlayer&) = delete;
    GdiPlayer& operator=(const GdiPlayer&) = delete;

    DcState dc;
    std::vector<GdiObject> objects;
    // Reference-device units per millimetre, for the metric mapping modes.
    double devPerMmX = 96 / 25.4;
    double devPerMmY = 96 / 25.4;
    // Geometric pens are drawn no thinner than this many device units (under the world
    // transform). An EMF's device is the screen it was made on, where no line is thinner
    // than a pixel; enlarged, the picture keeps the outlines its author saw there.
    double minPenWidth = 0;

    // Limits instead of trusting the file.
    static constexpr int kMaxDcDepth = 1024;
    static constexpr int kMaxObjects = 65535;
    static constexpr qint64 kMaxPoints = 20'000'000; // over a whole playback
    static constexpr qint64 kMaxBitmapPixels = 200'000'000; // decoded over a whole playback
    // Five bitmaps of the largest size; less when the raster pixel cap was lowered.
    qint64 pixelBudget = kMaxBitmapPixels / kMaxDibPixels * MaxDibPixels();

    // --- state ---
    void saveDc();
    void restoreDc(int which); // negative: relative; positive: absolute level
    int dcDepth() const { return int(m_stack.size()); }
    void setMapMode(int mode);
    void setWindowOrg(QPointF p) { dc.windowOrg = p; }
    void setWindowExt(QSizeF s);
    void setViewportOrg(QPointF p) { dc.viewportOrg = p; }
    void setViewportExt(QSizeF s);
    void scaleWindowExt(double xNum, double xDen, double yNum, double yDen);
    void scaleViewportExt(double xNum, double xDen, double yNum, double yDen);
    void setWorld(const QTransform& t) { dc.world = t; }
    void modifyWorld(const QTransform& t, int mode);

    QTransform logicalToDevice() const; // world then page
    QPointF toDevice(QPointF p) const { return logicalToDevice().map(p); }
    // Scale of one logical unit in the destination, for sizes that are no points.
    double logicalScale() const;

    // A COLORREF: PALETTEINDEX values (high byte 1) are entries of the selected palette.
    QColor colorRef(quint32 c) const;
    // The selected palette, or GDI's default palette of twenty colours when none is.
    const QVector<QRgb>& palette() const;

    // --- objects ---
    // The table grows as objects are made. It is not sized from the header's object count:
    // a slot that was never filled is free either way, and a header may claim 65535.
    bool validIndex(quint32 i) const { return i < objects.size(); }
    // A lowest-free-slot insertion (WMF); returns the slot or -1 when the table is full.
    int insertLowestFree(GdiObject obj);
    void putObject(quint32 index, GdiObject obj); // EMF explicit index
    void selectObject(quint32 index);
    void selectStockObject(quint32 index);
    void deleteObject(quint32 index);

    // --- drawing, logical coordinates ---
    void moveTo(QPointF p);
    void lineTo(QPointF p);
    void polyline(const QPolygonF& pts);
    void polylineTo(const QPolygonF& pts);
    void polygon(const QPolygonF& pts);
    void polyPolygon(const QVector<QPolygonF>& polys);
    void polyPolyline(const QVector<QPolygonF>& polys);
    void polyBezier(const QPolygonF& pts, bool fromCurrent);
    void polyDraw(const QPolygonF& pts, const QByteArray& types);
    void rectangle(QRectF r);
    void roundRect(QRectF r, QSizeF corner);
    void ellipse(QRectF r);
    enum class ArcKind { Arc, ArcTo, Chord, Pie };
    void arc(QRectF box, QPointF start, QPointF end, ArcKind kind);
    void angleArc(QPointF center, double radius, double startDeg, double sweepDeg);
    void setPixel(QPointF p, QColor c);

    // Consecutive LineTo records with a plain pen are collected and drawn as one path;
    // anything else that draws or changes state must flush them first.
    void flushLines();

    // --- paths ---
    void beginPath();
    void endPath() {
        m_pathDefined = m_pathOpen;
        m_pathOpen = false;
    }
    void abortPath();
    void closeFigure();
    void fillPath();
    void strokePath();
    void strokeAndFillPath();
    void flattenPath();
    void widenPath();
    void selectClipPath(int mode);

    // --- clipping (logical rectangles, device-space regions) ---
    void intersectClipRect(QRectF r);
    void excludeClipRect(QRectF r);
    void offsetClip(QPointF logicalOffset);
    void setClipRegion(const QPainterPath& devicePath, int mode, bool reset);
    void setClipRegion(const QRegion& region, int mode, bool reset);
    void fillRegion(const QPainterPath& devicePath, const LogBrush& brush);
    void frameRegion(const QPainterPath& devicePath, const LogBrush& brush, QSizeF logicalSize);
    void invertRegion(const QPainterPath& devicePath);
    // Fills a device-space area with any brush (gradients).
    void fillDevice(const QPainterPath& devicePath, const QBrush& brush, const QString& what);

    // --- text ---
    struct TextRun {
        QPointF ref;            // logical
        QString text;
        QVector<double> dx;     // logical advances, may be empty
        int options = 0;
        QRectF rect;            // logical, for ETO_OPAQUE / ETO_CLIPPED
        bool hasRect = false;
    };
    void textOut(const TextRun& run);

    // --- bitmaps ---
    // Draws src (pixels of img) into the logical rectangle dst with the raster operation.
    void stretchBlt(QRectF dst, const QImage& img, QRectF src, quint32 rop);
    void patBlt(QRectF dst, quint32 rop);
    void alphaBlend(QRectF dst, const QImage& img, QRectF src, int constAlpha, bool srcAlpha);

    // --- bookkeeping ---
    void unsupported(const QString& name);
    // Counts a record about to be played; false (and playback stops) beyond the record limit.
    bool countRecord() {
        if (m_opts.stats)
            ++m_opts.stats->records;
        if (m_maxRecords > 0 && ++m_recordsPlayed > m_maxRecords) {
            stop(QStringLiteral("Zu viele Datensätze; die Wiedergabe wurde abgebrochen."));
            return false;
        }
        return true;
    }
    void stop(const QString& why);
    bool stopped() const { return m_stopped; }
    bool tracing() const { return bool(m_opts.trace); }
    void trace(const QString& line) const {
        if (m_opts.trace)
            m_opts.trace(line);
    }
    // Spends the point budget; false (and playback stops) once it is used up.
    bool spendPoints(qint64 n);

    QPainter& painter() { return m_painter; }

private:
    void emitPath(const QPainterPath& devicePath, bool fill, bool stroke);
    void addToPathOrDraw(const QPainterPath& logicalPath, bool closedShape);
    QPen makePen() const;
    QBrush makeBrush(const LogBrush& b) const;
    QPen seamPen(const QBrush& brush) const; // closes the seams of smoothed fills
    // How much larger than a device unit the output draws it (the mean of both axes).
    double deviceToDestScale() const { return std::sqrt(std::abs(m_deviceToDest.determinant())); }
    QBrush patternBrush() const; // the selected brush as blits use it
    void applyClip();
    void applyRop2(bool& skip, QColor* forcedColor);
    QString fmt(QPointF p) const; // destination coordinates for the trace
    // "N L,T,R,B": element count and bounds in destination pixels.
    QString tracePath(const QPainterPath& devicePath) const;
    QString traceBox(const QRectF& deviceRect) const;
    void traceClip();
    QRegion clipRegionOf(const QPainterPath& devicePath) const; // on the clip grid
    bool hasRasterOps() const;
    void drawImageRop(const QTransform& imageToDevice, const QImage& img, QRectF src, quint32 rop);

    bool canBatchLines() const;
    void drawTextRun(const TextRun& run);
    // Font of the last text run, reused while the font and size stay.
    struct FontCache {
        QString key;
        QFont font;
        double ascent = 0, descent = 0, averageWidth = 0;
        bool substituted = false; // the family asked for is not installed
        QString rawKey;
        QRawFont raw;
    };
    // Text given as glyph numbers of the selected font, as characters; false where the
    // glyphs of that font cannot be known here.
    bool glyphsToText(const QString& glyphs, QString& text);
    QHash<QString, QHash<quint32, char16_t>> m_glyphToChar; // per installed font
    bool glyphsTooLargeToCache(const QFont& font) const;
    bool drawPlacedGlyphs(const QString& text, const QVector<QPointF>& adv, QPointF start,
                          const QFont& font);
    // asked: the family the picture names, to know whether another font stands in for it.
    const FontCache& fontFor(const QFont& font, const QString& asked);
    double cellToEm(const QFont& font);

    QPainter& m_painter;
    QPainterPath m_lines; // collected LineTo segments, device space
    FontCache m_fontCache;
    QHash<QString, double> m_cellToEm;
    // What the font standing in for a missing face (by family) cannot draw.
    struct StandIn {
        bool symbols = false;    // a font of symbols, no letters
        bool italicOnly = false; // slanted even where upright text is asked for
    };
    QHash<QString, StandIn> m_standIn;
    bool standInUnfit(const QFont& font, bool italic); // font: not yet made italic
    QTransform m_deviceToDest;
    QTransform m_base;
    bool m_baseHasClip = false;
    QPainterPath m_baseClip;
    const TMetafilePlayOptions& m_opts;
    struct SavedDc {
        DcState dc;
        QPainterPath path;
        bool pathOpen = false;
        bool pathDefined = false;
    };
    std::deque<SavedDc> m_stack; // a deque: the oldest level goes when the depth is reached
    bool m_pathOpen = false;
    bool m_pathDefined = false; // a closed bracket's path is there to fill, stroke or clip
    QPainterPath m_path; // device space
    bool m_clipDirty = true;
    int m_clipGrid = 1; // clip region units per device pixel
    bool m_stopped = false;
    qint64 m_maxRecords = 0;
    bool m_fewFonts = false;
    qint64 m_recordsPlayed = 0;
    qint64 m_points = 0;
};

QColor ColorRef(quint32 c);
// The inverse of an affine transform however small its scale: QTransform::inverted() takes
// a scale or determinant below 1e-12 for zero, as a picture drawn almost to nothing has.
// invertible is false only for a transform that really has no inverse.
QTransform InvertedAffine(const QTransform& t, bool* invertible);
// A device-space area as a region of whole pixels; rectangles are merged pairwise so
// that many of them stay fast. Polygons are cut to `window`, the part that can be seen, and
// made in steps of `detailStep` units, the size of an output pixel where that is coarser.
QRegion RegionFromPath(const QPainterPath& devicePath, const QRectF& window, int detailStep);
// 8-bit text in the code page of a GDI character set (double-byte sets included);
// charBytes, when given, receives how many bytes made each UTF-16 unit (0 for the second
// unit of a pair).
QString DecodeAnsi(const QByteArray& bytes, int charSet, QVector<int>* charBytes = nullptr);
// Advances given per byte (Dx arrays of 8-bit text) summed per character; pairs: dx, dy.
QVector<double> DxPerChar(const QVector<double>& dxPerByte, const QVector<int>& charBytes,
                          bool pairs);

} // namespace mf
