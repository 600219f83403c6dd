#include "document/appdocument.h"
#include "document/barcode.h"

#include "document/placeholders.h"
#include "document/units.h"
#include <QFileInfo>
#include <algorithm>

TAppDocument::TAppDocument(bool askBeforeDiscard) : AskBeforeDiscard(askBeforeDiscard)
{
    Clear();
}

TAppDocument::~TAppDocument() = default;

void TAppDocument::SetFileName(const QString& name)
{
    FileName = name;
    if (FileNameChanged)
        FileNameChanged();
}

void TAppDocument::Clear()
{
    Elements.clear();
    // Entries of the elements gone would act on whatever comes next.
    UndoList.clear();
    RedoList.clear();
    SetFileName(QString());
    SelectedIndex = -1;
    PageWidth = 210;
    PageHeight = 297;
    PrintMarginLeft = 0;
    PrintMarginRight = 0;
    PrintMarginTop = 0;
    PrintMarginBottom = 0;
    PrintDistHor = 0;
    PrintDistVer = 0;
    Modified = false;
    CopyCount = 1;
    SelectAllCells = false;
    Orientation = 0;
    SkipEmpty = false;
    PrintProduct.clear();
    LoadReport = TLoadReport();
    DamagedFile.clear();
}

bool TAppDocument::IsDamagedFile(const QString& path) const
{
    if (DamagedFile.isEmpty() || path.isEmpty())
        return false;
    const QFileInfo a(path), b(DamagedFile);
    if (a.exists() && b.exists())
        return a.canonicalFilePath() == b.canonicalFilePath();
    return a.absoluteFilePath() == b.absoluteFilePath();
}

void TAppDocument::CopyFrom(const TAppDocument& source)
{
    Clear();
    Modified = true;
    SetFileName(QString());
    PageWidth = source.PageWidth;
    PageHeight = source.PageHeight;
    PrintMarginLeft = source.PrintMarginLeft;
    PrintMarginRight = source.PrintMarginRight;
    PrintMarginTop = source.PrintMarginTop;
    PrintMarginBottom = source.PrintMarginBottom;
    PrintDistHor = source.PrintDistHor;
    PrintDistVer = source.PrintDistVer;
    CopyCount = source.CopyCount;
    SelectAllCells = source.SelectAllCells;
    Orientation = source.Orientation;
    SkipEmpty = source.SkipEmpty;
    PrintProduct = source.PrintProduct;
    for (const auto& e : source.Elements) {
        if (TDocElement* copy = e->Clone())
            Elements.emplace_back(copy);
    }
}

double TAppDocument::FitZoom(int boxWidth, int boxHeight) const
{
    if (PageWidth / PageHeight > double(boxWidth) / double(boxHeight))
        return boxWidth * MmPerPixel / PageWidth;
    return boxHeight * MmPerPixel / PageHeight;
}

TDocElement* TAppDocument::Selected() const
{
    if (SelectedIndex < 0 || SelectedIndex >= Count())
        return nullptr;
    return Elements[SelectedIndex].get();
}

void TAppDocument::InsertElement(int index, std::unique_ptr<TDocElement> element)
{
    index = std::clamp(index, 0, Count());
    Elements.insert(Elements.begin() + index, std::move(element));
}

std::unique_ptr<TDocElement> TAppDocument::TakeElement(int index)
{
    if (index < 0 || index >= Count())
        return nullptr;
    std::unique_ptr<TDocElement> e = std::move(Elements[index]);
    Elements.erase(Elements.begin() + index);
    return e;
}

std::unique_ptr<TDocElement> TAppDocument::DeleteSelected()
{
    if (SelectedIndex < 0)
        return nullptr;
    std::unique_ptr<TDocElement> e = TakeElement(SelectedIndex);
    SelectedIndex = -1;
    return e;
}

TDocElementWMF* TAppDocument::AddGraphic(const TMetafile& metafile, int sourceKind,
                                         const QStringList* pathList, int side)
{
    auto e = std::make_unique<TDocElementWMF>();
    e->Left = 0;
    e->Top = 0;
    // The picture's own physical size (its frame); the screen pixels at zoom 1 made it
    // depend on whoever had last scaled the picture (the clipart preview).
    double width = metafile.MMWidth() / 100.0;
    double height = metafile.MMHeight() / 100.0;
    if (!(width > 0 && height > 0)) {
        width = PixelToMm(metafile.Width(), 1);
        height = PixelToMm(metafile.Height(), 1);
    }
    // Larger than the sheet: shrunk in proportion until it fits.
    if (width > 0 && height > 0 && PageWidth > 0 && PageHeight > 0 &&
        (width > PageWidth || height > PageHeight)) {
        const double scale = std::min(PageWidth / width, PageHeight / height);
        width *= scale;
        height *= scale;
    }
    e->Width = width;
    e->Height = height;
    e->Side = side;
    e->Metafile = metafile;
    e->SourceKind = std::uint8_t(sourceKind);
    if (pathList)
        e->PathList = *pathList;
    TDocElementWMF* raw = e.get();
    InsertElement(0, std::move(e));
    Modified = true;
    return raw;
}

TDocElementTXT* TAppDocument::AddText(const QString& text, int side)
{
    auto e = std::make_unique<TDocElementTXT>();
    e->Left = 0;
    e->Top = 0;
    e->Width = 30;
    e->Height = 10;
    e->Side = side;
    e->Text = text;
    TDocElementTXT* raw = e.get();
    InsertElement(0, std::move(e));
    Modified = true;
    return raw;
}

void TAppDocument::PushUndo()
{
    // The entry records this document's selection (the program has one document that edits).
    const TDocElement* sel = Selected();
    if (!sel)
        return;
    InsertUndo(QString::number(SelectedIndex), std::shared_ptr<TDocElement>(sel->Clone()));
}

void TAppDocument::InsertUndo(const QString& key, std::shared_ptr<TDocElement> object)
{
    InsertUndo(TUndoEntry{key, std::move(object), {}});
}

void TAppDocument::InsertUndo(TUndoEntry entry)
{
    RedoList.clear();
    UndoList.insert(0, std::move(entry));
    const int limit = std::max(0, int(UndoLimit));
    while (UndoList.size() > limit)
        UndoList.removeLast();
}

int TAppDocument::FillPlaceholders(const TPlaceholderValues& values)
{
    const TPlaceholderFiller filler(values, SkipEmpty);
    int cut = 0;
    for (const auto& e : Elements) {
        if (auto* bar = dynamic_cast<TDocElementBAR*>(e.get()); bar && !bar->MacroText.isEmpty()) {
            bool wasCut = false;
            bar->Text = FillBarcodeContent(bar->MacroText, values, SkipEmpty,
                                           &wasCut);
            cut += wasCut ? 1 : 0;
            continue;
        }
        auto* txt = dynamic_cast<TDocElementTXT*>(e.get());
        if (!txt || txt->MacroText.isEmpty())
            continue;
        TFilledText filled = filler.Fill(txt->MacroText);
        txt->Text = std::move(filled.Text);
        cut += filled.Cut ? 1 : 0;
    }
    return cut;
}
