#pragma once
// Whether a text element's text fits its box, and growing a box to its text. A text is cut
// at its box on screen and in print; the editor marks cut texts and lets a box the user has
// just created grow with what is typed into it.

class TDocElementTXT;

// The text's glyphs reach beyond its box (by more than a trace), so part of it is not drawn.
bool TextIsCut(const TDocElementTXT& e);

// Widens and heightens the box until the whole line (its advance and the font's line height,
// turned by the angle) lies inside; the top-left corner stays, the box never shrinks.
// Returns whether the box changed.
bool GrowBoxToText(TDocElementTXT& e);
