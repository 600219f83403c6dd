#pragma once
// Barcode elements: a content text (with placeholders, filled like a text element's) encoded
// by zint into QR, DataMatrix, EAN, UPC, Code 128, Code 39, ITF, PDF417 or Aztec symbols and
// drawn from zint's vector output as rectangles, never as a scaled bitmap.

#include "document/placeholders.h"
#include "document/docelement.h"
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QVector>
#include <array>

class QPainter;
class QRect;

enum class TBarcodeKind : std::uint8_t {
    QR,
    DataMatrix,
    EAN13,
    EAN8,
    UPCA,
    Code128,
    Code39,
    ITF,
    PDF417,
    Aztec,
};
constexpr int BarcodeKindCount = 10;

class TDocElementBAR : public TDocElement {
public:
    TDocElementBAR() { Width = 30; Height = 30; }
    TDocElement* Clone() const override;

    QString Text;      // what is encoded
    QString MacroText; // content with placeholders; when not empty, Text is filled from it
    TBarcodeKind Kind = TBarcodeKind::QR;
    double ModuleSize = 0;       // mm per module; 0 fits the symbol into the box
    std::uint8_t ErrorLevel = 0; // 2-D codes: 0 zint's choice, 1..4 lowest to highest
    TColor ForeColor = 0;
    TColor BackColor = 0xFFFFFF;
    bool QuietZone = true;
    bool HumanReadable = true; // the digits or text under a linear code
    std::uint8_t Turns = 0;    // quarter turns counter-clockwise, 0..3
};

// File key, shown name, and whether the kind is a one-dimensional (bar) code.
QString BarcodeKindKey(TBarcodeKind kind);
QString BarcodeKindName(TBarcodeKind kind);
bool BarcodeKindIsLinear(TBarcodeKind kind);
bool BarcodeKindHasErrorLevels(TBarcodeKind kind);
// The kind of a file key; false when the key is unknown.
bool BarcodeKindFromKey(const QString& key, TBarcodeKind* kind);

// One symbol as zint draws it, in zint's vector units (two per module).
struct TBarcodeSymbol {
    struct Text {
        QPointF Baseline;
        double Size = 0;
        int HAlign = 0; // 0 centre, 1 left, 2 right
        QString Value;
    };
    struct Circle {
        QPointF Centre;
        double Diameter = 0;
        double LineWidth = 0; // 0 filled
        bool Background = false;
    };
    bool Ok = false;
    QString Error;           // German: why the content cannot be encoded
    double Width = 0;        // the whole symbol with its quiet zone and text
    double Height = 0;
    int Modules = 0;         // modules across
    QVector<QRectF> Rects;   // foreground
    QVector<QPolygonF> Hexagons;
    QVector<Circle> Circles;
    QVector<Text> Texts;
};
constexpr double BarcodeUnitsPerModule = 2.0;

// Encodes the element's Text. barHeight (in modules) sets the bars' height of linear codes;
// 0 takes zint's default.
TBarcodeSymbol EncodeBarcode(const TDocElementBAR& e, double barHeight = 0);
// The symbol as it is laid into the element's box: units scaled to mm, linear codes with
// bars as high as the box. Error is set when it does not fit.
struct TBarcodeLayout {
    TBarcodeSymbol Symbol;
    double MmPerUnit = 0;
};
TBarcodeLayout LayoutBarcode(const TDocElementBAR& e);
// Why the element's content cannot be drawn; empty when it can.
QString BarcodeProblem(const TDocElementBAR& e);

// Draws the element into box (device coordinates of its Left/Top/Right/Bottom): the symbol
// in vectors, or a crossed frame when the content cannot be encoded.
void PaintBarcode(QPainter& p, const TDocElementBAR& e, const QRect& box);

// The text a text or barcode element shows, which filling the placeholders replaces; none
// for other elements.
QString* FilledTextOf(TDocElement* e);

// "vCard des Absenders": a vCard 3.0 of the sender's address placeholders.
QString SenderVCardTemplate();
// Whether a content text is a vCard: its values are escaped when filled, and properties
// that come out empty are left out.
bool IsVCard(QStringView content);
// Fills a barcode content from the text blocks and address fields; cut is set when a text
// grew past the filling limit.
QString FillBarcodeContent(const QString& macro, const TPlaceholderValues& values,
                           bool skipEmpty, bool* cut);

// The content in the form of a document line (backslash, line breaks and characters the code
// page lacks escaped), and back.
QString EscapeBarcodeLine(const QString& s);
QString UnescapeBarcodeLine(const QString& s);
