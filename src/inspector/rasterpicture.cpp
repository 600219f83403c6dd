#include "inspector/rasterpicture.h"

#include "platform/metafile/tmetafile.h"
#include "platform/metafile/tmetafilecanvas.h"
#include <QPainter>

TGdiRect PlainRect(int w, int h)
{
    return {0, 0, w + 1, h + 1};
}

TGdiRect MirrorHorizontalRect(int w, int h)
{
    return {w, 0, 1, h + 1};
}

TGdiRect MirrorVerticalRect(int w, int h)
{
    return {0, h, w + 1, 1};
}

TGdiRect Turn180Rect(int w, int h)
{
    return {w, h, 1, 1};
}

QImage RenderPicture(const TMetafile& metafile, const TGdiRect& dest)
{
    const int w = metafile.Width();
    const int h = metafile.Height();
    if (w <= 0 || h <= 0)
        return QImage();
    // Painting into 32-bit pixels is the fast path of the raster engine; the 24-bit form
    // the filters work on is made from it in one pass.
    QImage canvas(w, h, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        // The picture's edges go to (left, top) and (right - 1, bottom - 1); a reversed pair
        // mirrors. The player gets an upright rectangle and the mirroring as a transform.
        const int x0 = dest.left, x1 = dest.right - 1;
        const int y0 = dest.top, y1 = dest.bottom - 1;
        const int dw = std::abs(x1 - x0), dh = std::abs(y1 - y0);
        if (dw > 0 && dh > 0) {
            painter.setTransform(QTransform(x1 < x0 ? -1 : 1, 0, 0, y1 < y0 ? -1 : 1, x0, y0));
            metafile.Play(painter, QRectF(0, 0, dw, dh));
        }
    }
    return canvas.convertToFormat(QImage::Format_RGB888);
}

void RecordPicture(TMetafile& metafile, const QImage& image, bool keepSize, bool inverted)
{
    if (!keepSize) {
        metafile.Clear();
        metafile.SetWidth(image.width());
        metafile.SetHeight(image.height());
    }
    TMetafileCanvas canvas(metafile);
    if (!image.isNull())
        canvas.StretchImage(0, 0, image.width(), image.height(), image,
                            inverted ? TMetafileCanvas::NOTSRCCOPY : TMetafileCanvas::SRCCOPY);
    canvas.Close();
}
