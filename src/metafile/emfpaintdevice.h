#pragma once
// A paint device that records what a QPainter draws as EMF into a picture: paths and
// polygons become polygon records, text becomes text records with a font, images become
// 24-bit bitmap records. Coordinates keep a sixteenth of a device pixel.
//
//   TMetafile pic;
//   {
//       TEmfPaintDevice dev(pic, QSize(400, 300));
//       QPainter p(&dev);
//       p.drawEllipse(10, 10, 380, 280);
//   } // the device closes: pic holds the EMF

#include <QPaintDevice>
#include <QSize>
#include <memory>

class TMetafile;
class TMetafileCanvas;
class TEmfPaintEngine;

class TEmfPaintDevice : public QPaintDevice {
public:
    // The painter draws on `size` pixels at `dpi`. The picture's frame is the target's size
    // (MMWidth/MMHeight) when set, otherwise `size` at `dpi`.
    explicit TEmfPaintDevice(TMetafile& target, const QSize& size, double dpi = 96);
    ~TEmfPaintDevice() override; // closes when still open (end the painter first)

    // Finishes the recording into the target. Painting afterwards draws nothing.
    void Close();
    QSize size() const { return m_size; }
    // The recording canvas underneath, e.g. for records a QPainter cannot express.
    TMetafileCanvas& Canvas() { return *m_canvas; }

    QPaintEngine* paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize m_size;
    double m_dpi;
    std::unique_ptr<TMetafileCanvas> m_canvas;
    std::unique_ptr<TEmfPaintEngine> m_engine;
};
