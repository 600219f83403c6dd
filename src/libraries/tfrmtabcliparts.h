#pragma once
// The clipart workspace: libraries of single pictures (metafiles, bitmaps, path lists);
// applying one adds a graphic element to the sheet.

#include "libraries/tlibraryworkspace.h"
#include "metafile/tmetafile.h"

class TfrmTabCliparts : public TLibraryWorkspace {
    Q_OBJECT
public:
    explicit TfrmTabCliparts(QWidget* parent = nullptr);
    ~TfrmTabCliparts() override;

    void ButtonClick() override;

    const TMetafile& PreviewMetafile() const { return m_metafile; }

    // Loads a bitmap file and draws it 1:1 into the metafile, which takes the bitmap's
    // pixel size. Throws TLibraryError naming the file.
    static void LoadBitmapPicture(const QString& fileName, TMetafile& metafile);

protected:
    QString LibraryRoot() const override;
    QList<TLibraryNode> ParseList(const QStringList& lines) const override;
    void PreviewEntry(const QString& name) override;
    void PaintPreview(QPainter& painter) override;
    void PreviewResized() override;
    void ClearPreview() override;

private:
    void fitPreview();

    TMetafile m_metafile;
    int m_pictureWidth = 0; // pixel size before fitting
    int m_pictureHeight = 0;
    // The picture's own frame (0.01 mm); the preview scales m_metafile to its box.
    int m_frameWidth = 0;
    int m_frameHeight = 0;
};
