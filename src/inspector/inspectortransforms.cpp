// The graphic page's operations and the colour filters, carried out on the inspected
// graphic element. Raster pictures (kind 1) are played into pixels, changed and recorded
// back; path-list pictures (kind 2) get their list rewritten and rendered again.

#include "ui/globals.h"
#include "inspector/colorfilters.h"
#include "inspector/inspectorwidgets.h"
#include "inspector/pathlistedit.h"
#include "inspector/rasterpicture.h"
#include "inspector/tfilter.h"
#include "inspector/ttoolmaster.h"
#include "inspector/ttoolsubformwmf.h"
#include <QColorDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QToolButton>

namespace {

constexpr std::uint8_t kRaster = 1;
constexpr std::uint8_t kPathList = 2;

// Long pixel work shows the hourglass.
struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};

TRgb adjusted(const TRgb& c, int pr, int pg, int pb) {
    return {AdjustChannel(c.r, pr), AdjustChannel(c.g, pg), AdjustChannel(c.b, pb)};
}

} // namespace

void TToolMaster::TtoolSubFormWMFChangeClick(QObject* sender) {
    auto* element = dynamic_cast<TDocElementWMF*>(m_reference);
    if (!element || !sender)
        return;
    const std::uint8_t kind = element->SourceKind;
    if (sender == GraphicPage->Filter) {
        if (kind == kRaster || kind == kPathList)
            runFilterDialog(*element);
        return;
    }
    if (::Filter && sender->parent() == ::Filter) {
        filterStep(*element, sender);
        return;
    }
    if (sender == GraphicPage->SpBSpiegelnHor || sender == GraphicPage->SpBSpiegelnVer ||
        sender == GraphicPage->SpBtnAngle180) {
        if (kind == kRaster)
            rasterTransform(*element, sender);
        else if (kind == kPathList)
            listTransform(*element, sender);
        return;
    }
    if (kind != kPathList)
        return;
    if (sender == GraphicPage->SpBtnFLFarbe)
        pathColour(*element, QLatin1Char('k'));
    else if (sender == GraphicPage->SpBtnSTFarbe)
        pathColour(*element, QLatin1Char('K'));
    else if (sender == GraphicPage->SpinStrich)
        strokeWidth(*element);
}

bool TToolMaster::renderList(TDocElementWMF& element, const QStringList& list) {
    // Rendered into a copy first: a bad line leaves picture and list as they were.
    TMetafile picture = element.Metafile;
    try {
        TAppDocument::RenderPathList(picture, list);
    } catch (const TPathListError& e) {
        showError(e.message());
        return false;
    }
    element.Metafile = picture;
    element.PathList = list;
    if (Document)
        Document->Modified = true;
    return true;
}

void TToolMaster::rasterTransform(TDocElementWMF& element, QObject* sender) {
    const int w = element.Metafile.Width();
    const int h = element.Metafile.Height();
    if (w <= 0 || h <= 0)
        return; // no pixels to move; the picture stays as it is
    WaitCursor wait;
    TGdiRect dest = Turn180Rect(w, h);
    if (sender == GraphicPage->SpBSpiegelnHor)
        dest = MirrorHorizontalRect(w, h);
    else if (sender == GraphicPage->SpBSpiegelnVer)
        dest = MirrorVerticalRect(w, h);
    const QImage image = RenderPicture(element.Metafile, dest);
    RecordPicture(element.Metafile, image, false, false);
    if (Document)
        Document->Modified = true;
    fullRefresh();
}

void TToolMaster::listTransform(TDocElementWMF& element, QObject* sender) {
    TPathFlip flip = TPathFlip::Turn180;
    if (sender == GraphicPage->SpBSpiegelnHor)
        flip = TPathFlip::Horizontal;
    else if (sender == GraphicPage->SpBSpiegelnVer)
        flip = TPathFlip::Vertical;
    try {
        const QStringList list = FlipPathList(element.PathList, flip, element.Metafile.MMWidth(),
                                              element.Metafile.MMHeight());
        if (!renderList(element, list))
            return;
    } catch (const TPathListError& e) {
        showError(e.message());
        return;
    }
    fullRefresh();
}

void TToolMaster::pathColour(TDocElementWMF& element, QChar letter) {
    QStringList list = element.PathList;
    const int index = FindPathLine(list, letter);
    if (index >= 0) {
        TRgb c;
        try {
            c = ParseColorLine(list.at(index), index);
        } catch (const TPathListError& e) {
            showError(e.message());
            return;
        }
        ColorDialog->setCurrentColor(
            QColor(std::clamp(c.r, 0, 255), std::clamp(c.g, 0, 255), std::clamp(c.b, 0, 255)));
        if (ExecDialog(*ColorDialog) == QDialog::Accepted) {
            const QColor chosen = ColorDialog->currentColor();
            list[index] = ColorLine(letter, {chosen.red(), chosen.green(), chosen.blue()});
        }
    }
    if (renderList(element, list))
        fullRefresh();
}

void TToolMaster::strokeWidth(TDocElementWMF& element) {
    const QStringList list = SetStrokeWidths(element.PathList, GraphicPage->Editstrich->text());
    if (renderList(element, list))
        fullRefresh();
}

void TToolMaster::runFilterDialog(TDocElementWMF& element) {
    if (!::Filter) {
        ::Filter = new TFilter(this);
        m_ownsFilter = true;
    }
    TFilter* dialog = ::Filter;
    m_startMetafile = element.Metafile;
    m_startPathList = element.PathList;
    if (element.SourceKind == kRaster) {
        if (element.Metafile.Width() <= 0 || element.Metafile.Height() <= 0)
            return; // a picture of size 0 has no pixels to filter
        WaitCursor wait;
        m_startImage = RenderPicture(
            element.Metafile, PlainRect(element.Metafile.Width(), element.Metafile.Height()));
    }
    dialog->ResetValues();
    dialog->Dispatch = [this](QObject* sender) { TtoolSubFormWMFChangeClick(sender); };
    m_filterOpen = true;
    const int result = ExecDialog(*dialog);
    m_filterOpen = false;
    dialog->Dispatch = nullptr;
    // The element may have gone while the dialog was open only if the selection changed;
    // restore into the element that was filtered.
    if (result != QDialog::Accepted) {
        // The picture (and the list) as they were at opening, exactly.
        element.Metafile = m_startMetafile;
        element.PathList = m_startPathList;
        fullRefresh();
    }
    m_startImage = QImage();
    m_startMetafile = TMetafile();
    m_startPathList.clear();
}

void TToolMaster::filterStep(TDocElementWMF& element, QObject* sender) {
    if (!m_filterOpen)
        return;
    TFilter* f = ::Filter;
    const bool brightness = sender == f->UpDownHelligkeit;
    const bool colour =
        sender == f->UpDownRot || sender == f->UpDownGelb || sender == f->UpDownBlau;
    const bool grey = sender == f->SpBtnGraustufen;
    const bool soften = sender == f->SpBtnWeichwenig;
    const bool invert = sender == f->SpBtnInvertieren;
    int pr = 0, pg = 0, pb = 0;
    if (brightness) {
        pr = pg = pb = f->UpDownHelligkeit->Position();
    } else if (colour) {
        pr = f->UpDownRot->Position();
        pg = f->UpDownGelb->Position();
        pb = f->UpDownBlau->Position();
    }

    if (element.SourceKind == kRaster) {
        if (element.Metafile.Width() <= 0 || element.Metafile.Height() <= 0)
            return; // a picture of size 0 has no pixels to filter
        WaitCursor wait;
        if (brightness || colour) {
            // Absolute values: always from the picture as it was at opening, adjusted on
            // the way into the recording.
            const TChannelTables tables = AdjustTables(pr, pg, pb);
            RecordPicture(element.Metafile, m_startImage, true, false, &tables);
        } else if (grey || soften || invert) {
            QImage image = RenderPicture(
                element.Metafile, PlainRect(element.Metafile.Width(), element.Metafile.Height()));
            if (grey)
                FilterColours(image, GreyScale);
            else if (soften)
                SoftenPicture(image);
            RecordPicture(element.Metafile, image, true, invert);
            f->ResetValues();
        } else {
            return;
        }
    } else if (element.SourceKind == kPathList) {
        // A path list changes only its fill colours; its outlines keep theirs.
        QStringList list;
        try {
            if (brightness || colour) {
                list = MapColorLines(m_startPathList, QLatin1Char('k'),
                                     [=](const TRgb& c) { return adjusted(c, pr, pg, pb); });
            } else if (grey) {
                list = MapColorLines(element.PathList, QLatin1Char('k'), [](const TRgb& c) {
                    const int g = GreyValue(c.r, c.g, c.b);
                    return TRgb{g, g, g};
                });
            } else if (invert) {
                list = MapColorLines(element.PathList, QLatin1Char('k'), [](const TRgb& c) {
                    return TRgb{255 - c.r, 255 - c.g, 255 - c.b};
                });
            } else {
                return; // softening has no meaning for outlines and flat fills
            }
        } catch (const TPathListError& e) {
            showError(e.message());
            return;
        }
        if (!renderList(element, list))
            return;
        if (grey || invert)
            f->ResetValues();
    } else {
        return;
    }
    if (Document)
        Document->Modified = true;
    fullRefresh();
}
