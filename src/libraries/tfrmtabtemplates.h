#pragma once
// The template workspace: libraries of complete documents; applying one replaces the
// current document.

#include "libraries/tlibraryworkspace.h"
#include <QImage>
#include <memory>

class TAppDocument;

class TfrmTabTemplates : public TLibraryWorkspace {
    Q_OBJECT
public:
    explicit TfrmTabTemplates(QWidget* parent = nullptr);
    ~TfrmTabTemplates() override;

    void ButtonClick() override;

    // The private document templates are loaded into for the preview.
    TAppDocument* PreviewDocument() const { return m_preview.get(); }
    const QImage& PreviewBitmap() const { return m_bitmap; }

protected:
    QString LibraryRoot() const override;
    QList<TLibraryNode> ParseList(const QStringList& lines) const override;
    void PreviewEntry(const QString& name) override;
    void PaintPreview(QPainter& painter) override;
    void PreviewResized() override;
    void ClearPreview() override;

private:
    void redrawBitmap();

    std::unique_ptr<TAppDocument> m_preview;
    QImage m_bitmap;
};
