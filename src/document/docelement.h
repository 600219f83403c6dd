#pragma once
// The elements of a sheet: graphic elements holding a metafile and single-line texts.
// All lengths are millimetres, origin at the sheet's top-left corner, y downwards.

#include "metafile/tmetafile.h"
#include <QString>
#include <QStringList>
#include <cstdint>

using TColor = std::uint32_t; // Windows colour value 0x00BBGGRR

class TDocElement {
public:
    virtual ~TDocElement() = default;
    // An independent copy; the base class has none.
    virtual TDocElement* Clone() const { return nullptr; }

    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;
    std::int32_t Side = 0; // 0 front, 1 back

protected:
    void copyBaseTo(TDocElement& other) const;
};

class TDocElementWMF : public TDocElement {
public:
    TDocElement* Clone() const override;

    TMetafile Metafile;
    std::uint8_t SourceKind = 0; // 0 "W" metafile, 1 "B" raster picture, 2 "P" path list
    QStringList PathList;        // only kept for kind 2
};

enum TFontStyleBit : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

class TDocElementTXT : public TDocElement {
public:
    TDocElementTXT() { Width = 0; }
    TDocElement* Clone() const override;

    QString Text;
    QString MacroText;
    QString FontName = QStringLiteral("Arial");
    std::uint8_t FontStyle = 0;  // TFontStyleBit set
    std::int32_t FontSize = 300; // tenths of a point
    std::int32_t Angle = 0;      // tenths of a degree, counter-clockwise
    TColor FontColor = 0;
    std::uint8_t AlignH = 0;     // 0 left, 1 centre, 2 right
    std::uint8_t AlignV = 0;     // 0 top, 1 centre, 2 bottom (stored, not used for drawing)
    std::uint8_t ReservedL = 0;
    bool Shadow = false;
    double ShadowX = 1.0;
    double ShadowY = 1.0;
    TColor ShadowColor = 0xFF0000; // blue
    // A box the user has just created grows with the text typed into it, until its size is
    // set by hand. Not stored: a loaded box keeps its size.
    bool GrowsWithText = false;
};
