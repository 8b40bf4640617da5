#pragma once
// The symbol font: a 16 x 8 sheet of cells drawn from a DejaVu face with a
// dark outline and glow so that text reads on any background, and the font
// description (symbol list, grid, per-symbol widths) written into
// language.ini from the same measurements, so that the two always agree.
#include "Output.h"

#include <map>
#include <string>
#include <vector>

namespace Content {

constexpr int FontColumns = 16;
constexpr int FontRows = 8;
constexpr int FontCellWidth = 40;
constexpr int FontCellHeight = 48;

// One language of the hand-written language.ini: its section name, its image
// folder (value of the key "English\", backslashes turned into '/') and its
// keys as written (UTF-8), for the words the generator draws into pictures.
struct LanguageSection {
    std::string name;
    std::string imageFolder;
    std::map<std::string, std::string> keys;
    // The value of `key`, or `fallback` when the section lacks it.
    std::string Get(const std::string& key, const std::string& fallback) const;
};

// The hand-written language.ini, written in UTF-8, and its languages in order.
struct LanguageTemplate {
    std::string text;
    std::vector<LanguageSection> sections;
};

bool ReadLanguageTemplate(const std::string& path, LanguageTemplate& out);
// The characters of the sheet in cell order, as the game's 8-bit texts hold
// them (Windows-1252: ASCII, then the German letters and quotes).
const std::string& FontSymbols();
// UTF-8 text in the game's 8-bit encoding; a character the font cannot show
// becomes '?', so no text carries a byte the sheet lacks.
std::string ToGameText(const std::string& utf8);
// Draws font01.png into every language's image folder and writes
// language.ini in the game's encoding, each "@FONT@" line replaced by the
// font description.
bool MakeFont(Output& out, const LanguageTemplate& language);

} // namespace Content
