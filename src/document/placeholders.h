#pragma once
// Filling a text element's placeholder text: "<t1>" .. "<t10>" from the text blocks, then the
// 23 address placeholders, in that order. A value may hold placeholders that come later in
// the order (a text block with "<name>"), and those are filled too; earlier ones stay as they
// are. Each placeholder's filled value is worked out once, so filling takes time in
// proportion to the filled text, and a text that would grow past MaxFilledLength (values that
// hold their followers twice, again and again) stops there.

#include <QString>
#include <QStringView>
#include <array>
#include <vector>

// The longest filled text; longer ones are cut here.
constexpr qsizetype MaxFilledLength = 64 * 1024;

struct TFilledText {
    QString Text;
    bool Cut = false; // the text was longer than MaxFilledLength and ends there
};

// The text blocks ("<t1>" .. "<t10>") and address fields the placeholders are filled with.
struct TPlaceholderValues {
    std::array<QString, 11> TextBlocks;    // 1..10 used
    std::array<QString, 23> AddressFields; // in placeholder order, "<vorname>" first
};

class TPlaceholderFiller {
public:
    // With skipEmpty ("Leere Felder auslassen"), a placeholder that comes out empty takes its
    // surroundings along: the blanks around it shrink to one (to none at the start or end of
    // the text), a part between separators (" · ", " | ", " – ", " / ", " • ") whose
    // placeholders are all empty goes with its words and one separator, and a text whose
    // placeholders are all empty is left out entirely.
    TPlaceholderFiller(const TPlaceholderValues& values, bool skipEmpty);

    TFilledText Fill(QStringView macroText) const;

    // The placeholders in filling order, and the number of them.
    static constexpr int Count = 33;
    static QString Name(int index);

private:
    TFilledText expand(QStringView text, int level) const;

    bool m_skipEmpty;
    // Per placeholder (filling order) its value with the later placeholders filled.
    std::vector<TFilledText> m_filled;
};

// "3 Texte wurden nach 65.536 Zeichen abgeschnitten …": the note for texts that were cut.
QString CutTextsNote(int texts);
