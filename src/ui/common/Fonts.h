#pragma once
// Fonts chosen by what they do rather than by name.

#include <QFont>

namespace vardel::ui {

// A font whose characters all have the same advance, for formulas: the
// desktop's fixed font when it really is one, else the first fixed-width
// family installed of a list of well-known ones. Whether a font is fixed is
// judged by its glyphs ("iiii" as wide as "WWWW"), not by what the font
// says of itself, which some monospaced fonts get wrong.
QFont formulaFont();

// True when "iiii", "WWWW" and "...." have the same advance in font.
bool hasEqualAdvances(const QFont& font);

}  // namespace vardel::ui
