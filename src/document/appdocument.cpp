#include "document/appdocument.h"

#include "document/globals.h"
#include "document/placeholders.h"
#include "document/units.h"
#include <QFileInfo>
#include <QGuiApplication>
#include <QWidget>
#include <algorithm>

namespace {

// Language texts replace the built-in German ones only when a full language file is loaded.
constexpr int kLanguageThreshold = 100;

QString programTitle()
{
    const QString t = LangText(QStringLiteral("0"));
    return t.isEmpty() ? QStringLiteral("Quillmark") : t;
}

} // namespace

QString TAppDocument::ApplicationTitle;

TAppDocument::TAppDocument(bool askBeforeDiscard) : AskBeforeDiscard(askBeforeDiscard)
{
    Clear();
}

TAppDocument::~TAppDocument() = default;

void TAppDocument::SetFileName(const QString& name)
{
    FileName = name;
    if (ShowsTitle) {
        if (name.isEmpty())
            ApplicationTitle = programTitle();
        else
            ApplicationTitle = QFileInfo(name).fileName() + QStringLiteral(" - ") + programTitle();
        // The desktop appends the display name to window titles that do not end with it:
        // it names the program only, so that no title repeats it.
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            QGuiApplication::setApplicationDisplayName(programTitle());
    }
    if (MainWindow)
        MainWindow->setWindowTitle(ApplicationTitle.isEmpty() ? programTitle() : ApplicationTitle);
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
    LoadReport = TLoadReport();
    DamagedFile.clear();
}

bool TAppDocument::QueryDiscard()
{
    if (AskBeforeDiscard && Modified) {
        QString caption = QStringLiteral("Bestätigung");
        QString question = QStringLiteral("Nicht gespeicherte Änderungen verwerfen?");
        if (LangStrings.size() > kLanguageThreshold) {
            caption = LangText(QStringLiteral("0"));
            question = LangText(QStringLiteral("124"));
        }
        bool discard = false;
        if (MainLink)
            discard = MainLink->AskFrage(caption, question);
        else if (AskQuestionHook)
            discard = AskQuestionHook(caption, question);
        // With nobody to ask, the changes are kept: losing them silently is worse.
        if (!discard)
            return false;
    }
    Clear();
    return true;
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

bool TAppDocument::MaySaveOver(const QString& path)
{
    if (!IsDamagedFile(path) || !QFileInfo::exists(path))
        return true;
    const QString caption = QStringLiteral("Warnung");
    const QString question =
        DamageText(path, LoadReport) +
        QStringLiteral("\n\nBeim Speichern wird die Datei durch das Gelesene ersetzt; was nicht "
                       "gelesen werden konnte, geht verloren. Trotzdem überschreiben?");
    if (MainLink)
        return MainLink->AskFrage(caption, question);
    if (AskQuestionHook)
        return AskQuestionHook(caption, question);
    // With nobody to ask, the file is kept.
    return false;
}

void TAppDocument::CopyFrom(const TAppDocument& source)
{
    QueryDiscard();
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
                                         const QStringList* pathList)
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
    e->Side = CurrentSide;
    e->Metafile = metafile;
    e->SourceKind = std::uint8_t(sourceKind);
    if (pathList)
        e->PathList = *pathList;
    TDocElementWMF* raw = e.get();
    InsertElement(0, std::move(e));
    Modified = true;
    return raw;
}

TDocElementTXT* TAppDocument::AddText(const QString& text)
{
    auto e = std::make_unique<TDocElementTXT>();
    e->Left = 0;
    e->Top = 0;
    e->Width = 30;
    e->Height = 10;
    e->Side = CurrentSide;
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

int TAppDocument::FillPlaceholders()
{
    const TPlaceholderFiller filler(TextBlocks, AddressFields, SkipEmpty);
    int cut = 0;
    for (const auto& e : Elements) {
        auto* txt = dynamic_cast<TDocElementTXT*>(e.get());
        if (!txt || txt->MacroText.isEmpty())
            continue;
        TFilledText filled = filler.Fill(txt->MacroText);
        txt->Text = std::move(filled.Text);
        cut += filled.Cut ? 1 : 0;
    }
    return cut;
}
