#pragma once
// The field "Bogen" of the printing workspace: the label and card products to print on, found
// by typing a maker, part number or description; choosing one sets the paper, the margins
// and the distances. It also keeps the user's own sheets and takes a label's size over as the
// sheet format when the document's differs.

#include <QString>
#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
struct TLabelProduct;

class TProductChooser : public QWidget {
    Q_OBJECT
public:
    TProductChooser(QPrinter& printer, QWidget* parent);

    // Entered with the workspace: reads the catalogue on first use, lists the products and
    // sets the printer's paper to the document's product.
    void Activate();
    // Shows the products matching the search text (all when empty).
    void Refill();
    // Chooses the entry of the list (0 = "Kein Bogen").
    void Choose(int index);
    void FitSheet();
    void SaveOwn();
    void DeleteOwn();
    // The product the document names, or null.
    const TLabelProduct* Current() const;
    // Sets the printer's paper to the product's; without one, a PDF goes back to A4.
    void SetPaper(const TLabelProduct* product);

    // Replaces the dialog asking for an own sheet's name in tests (empty = cancelled).
    std::function<QString(const QString& proposed)> NameHook;

    QLabel* Caption = nullptr;
    QLineEdit* Search = nullptr;
    QComboBox* Combo = nullptr;
    QLabel* Info = nullptr;
    QPushButton* FitSheetButton = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* DeleteButton = nullptr;

signals:
    // The document's product, margins, distances, orientation or sheet format changed.
    void Changed();

private:
    void updateInfo();
    bool printerHasPaper(const TLabelProduct& product) const;

    QPrinter& m_printer;
};
