#pragma once
// A Windows metafile picture (EMF or WMF) held as its bytes.
//
// The picture keeps the exact bytes it was loaded from, so saving a loaded picture is
// lossless. Pictures recorded by the program are EMF. Sizes: the frame in 0.01 mm
// (MMWidth/MMHeight) and the pixel size at the fixed 96-dpi reference device
// (Width/Height = round(0.01 mm size * 96 / 2540)).

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QStringList>
#include <memory>
#include <stdexcept>

class QPainter;
namespace mf {
struct Layout;
}

// Raised for files and bytes that cannot be used; what() and message() name the file
// (when there is one) and the reason, in German, ready for the interface.
class TMetafileError : public std::runtime_error {
public:
    explicit TMetafileError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

class TMetafile {
public:
    enum class Form { None, PlaceableWmf, Wmf, Emf, EmfInWmf, Unknown };

    TMetafile() = default;
    TMetafile(const TMetafile&) = default;            // deep copy (bytes are values)
    TMetafile& operator=(const TMetafile&) = default; // "Assign"

    // Loads the bytes; the form is recognised from them. Bytes that are no metafile at all
    // are kept as they are (so a document that holds them saves them back unchanged), the
    // picture then draws nothing and Problem() says why. Returns whether the bytes form a
    // usable metafile.
    bool LoadFromBytes(const QByteArray& bytes);
    // Loads a file; throws TMetafileError naming the file when it cannot be read or holds
    // no metafile.
    void LoadFromFile(const QString& fileName);
    // The picture's bytes in their stream form: the loaded bytes unchanged, or EMF for a
    // recorded picture. Empty for an empty picture.
    QByteArray Bytes() const { return m_bytes; }
    void SaveToFile(const QString& fileName) const; // throws TMetafileError

    bool Empty() const { return m_bytes.isEmpty(); }
    void Clear();
    bool Valid() const { return m_form == Form::PlaceableWmf || m_form == Form::Wmf ||
                                m_form == Form::Emf || m_form == Form::EmfInWmf; }
    QString Problem() const { return m_problem; }
    Form GetForm() const { return m_form; }
    bool Enhanced() const { return m_enhanced; }
    void SetEnhanced(bool e) { m_enhanced = e; }

    // Frame size in 0.01 mm; setting it defines the size a following recording gets.
    int MMWidth() const { return m_mmWidth; }
    int MMHeight() const { return m_mmHeight; }
    void SetMMWidth(int w) { m_mmWidth = w; }
    void SetMMHeight(int h) { m_mmHeight = h; }
    // Pixel size at the 96-dpi reference.
    int Width() const;
    int Height() const;
    void SetWidth(int px);  // sets MMWidth from pixels at 96 dpi
    void SetHeight(int px);

    // Plays the picture stretched into dest; left > right or top > bottom mirrors it.
    // dest is read as the corners (left, top) - (right, bottom) of a GDI rectangle, so build
    // it with QRect(QPoint(left, top), QPoint(right, bottom)); a picture drawn into
    // (0, 0)-(W, H) fills W x H pixels.
    void Play(QPainter& painter, const QRect& dest) const;
    // The same with a floating-point rectangle: x, y, width, height; a negative width or
    // height mirrors.
    void Play(QPainter& painter, const QRectF& dest) const;

    // Replaces the content with freshly recorded EMF bytes (used by the recorder).
    void SetRecorded(const QByteArray& emfBytes, int mmWidth, int mmHeight);

private:
    void analyse(); // sets form, sizes and problem from m_bytes

    QByteArray m_bytes;
    Form m_form = Form::None;
    bool m_enhanced = false;
    int m_mmWidth = 0;
    int m_mmHeight = 0;
    QString m_problem;
    // Derived from m_bytes by analyse(): where the records lie and how to map them.
    // Shared between copies; it never changes once made.
    std::shared_ptr<const mf::Layout> m_layout;

    friend class TMetafilePlayer;
};
