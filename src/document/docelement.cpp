#include "document/docelement.h"

void TDocElement::copyBaseTo(TDocElement& other) const
{
    other.Left = Left;
    other.Top = Top;
    other.Width = Width;
    other.Height = Height;
    other.Side = Side;
}

TDocElement* TDocElementWMF::Clone() const
{
    auto* copy = new TDocElementWMF;
    copyBaseTo(*copy);
    copy->Metafile = Metafile;
    copy->SourceKind = SourceKind;
    copy->PathList = PathList;
    return copy;
}

TDocElement* TDocElementTXT::Clone() const
{
    auto* copy = new TDocElementTXT(*this);
    return copy;
}
