#pragma once
// The symbol font: a 16 x 8 sheet of cells drawn from a DejaVu face with a
// dark outline and glow so that text reads on any background, and the font
// description (symbol list, grid, per-symbol widths) written into
// language.ini from the same measurements, so that the two always agree.
#include "Output.h"

#include <string>

namespace Content {

constexpr int FontColumns = 16;
constexpr int FontRows = 8;
constexpr int FontCellWidth = 40;
constexpr int FontCellHeight = 48;

// The hand-written language.ini: its text and the language image folder
// (value of the key "English\", backslashes turned into '/').
struct LanguageTemplate {
    std::string text;
    std::string imageFolder;
};

bool ReadLanguageTemplate(const std::string& path, LanguageTemplate& out);
// The characters of the sheet in cell order.
const std::string& FontSymbols();
// Draws <folder>font01.png and writes language.ini with the template's
// "@FONT@" line replaced by the font description.
bool MakeFont(Output& out, const LanguageTemplate& language);

} // namespace Content
