#include "FontSheet.h"

#include "Paint.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace Content {

namespace {

const char* const Marker = "@FONT@";
const double GlyphSize = 28;
const double Outline = 2.2;

// Where a glyph's centre and baseline sit in its cell: the game draws a cell
// without its right 6 % and top 8 %, so the visible middle is there.
double CellCentreX() { return FontCellWidth * 0.94 / 2; }
double CellBaseline() { return FontCellHeight * (0.08 + 0.92 / 2) + GlyphSize * 0.729 / 2; }

// Where the marker stands alone on a line (a mention in a comment does not count).
size_t MarkerAt(const std::string& text)
{
    const std::string m = Marker;
    for (size_t at = text.find(m); at != std::string::npos; at = text.find(m, at + 1)) {
        bool starts = at == 0 || text[at - 1] == '\n';
        size_t end = at + m.size();
        bool ends = end == text.size() || text[end] == '\n' || text[end] == '\r';
        if (starts && ends)
            return at;
    }
    return std::string::npos;
}

} // namespace

std::string LanguageSection::Get(const std::string& key, const std::string& fallback) const
{
    auto it = keys.find(key);
    return it == keys.end() ? fallback : it->second;
}

bool ReadLanguageTemplate(const std::string& path, LanguageTemplate& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "content: cannot read %s\n", path.c_str());
        return false;
    }
    std::stringstream ss;
    ss << in.rdbuf();
    out.text = ss.str();
    out.sections.clear();
    std::istringstream lines(out.text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[' && line.back() == ']') {
            out.sections.push_back(LanguageSection{line.substr(1, line.size() - 2), "", {}});
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string::npos || out.sections.empty())
            continue;
        LanguageSection& section = out.sections.back();
        section.keys[line.substr(0, eq)] = line.substr(eq + 1);
        if (line.compare(0, eq, "English\\") == 0) {
            section.imageFolder = line.substr(eq + 1);
            for (char& c : section.imageFolder)
                if (c == '\\')
                    c = '/';
        }
    }
    if (out.sections.empty() || MarkerAt(out.text) == std::string::npos) {
        std::fprintf(stderr, "content: %s has no language section with a %s line\n", path.c_str(), Marker);
        return false;
    }
    return true;
}

namespace {

struct Symbol {
    const char* utf8;
    char game; // the byte the game's texts hold
};

// Letters and digits first; the blank sits in the middle of the list so
// that no INI reader can trim it away. Then what German needs beyond ASCII.
const std::vector<Symbol>& SymbolTable()
{
    static const std::vector<Symbol> table = [] {
        std::vector<Symbol> t;
        static const char ascii[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 "
                                    "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";
        static char singles[sizeof ascii][2];
        for (size_t i = 0; i + 1 < sizeof ascii; ++i) {
            singles[i][0] = ascii[i];
            t.push_back(Symbol{singles[i], ascii[i]});
        }
        const Symbol german[] = {
            {"\u00C4", '\xC4'}, {"\u00D6", '\xD6'}, {"\u00DC", '\xDC'}, {"\u00E4", '\xE4'}, {"\u00F6", '\xF6'},
            {"\u00FC", '\xFC'}, {"\u00DF", '\xDF'}, {"\u201E", '\x84'}, {"\u201C", '\x93'}, {"\u201D", '\x94'},
            {"\u201A", '\x82'}, {"\u2018", '\x91'}, {"\u2019", '\x92'}, {"\u2013", '\x96'}, {"\u2026", '\x85'},
        };
        t.insert(t.end(), std::begin(german), std::end(german));
        return t;
    }();
    return table;
}

} // namespace

const std::string& FontSymbols()
{
    static const std::string symbols = [] {
        std::string s;
        for (const Symbol& symbol : SymbolTable())
            s += symbol.game;
        return s;
    }();
    return symbols;
}

std::string ToGameText(const std::string& utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out += char(lead);
            ++i;
            continue;
        }
        size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        const std::string one = utf8.substr(i, length);
        char byte = '?';
        for (const Symbol& symbol : SymbolTable())
            if (one == symbol.utf8)
                byte = symbol.game;
        out += byte;
        i += length;
    }
    return out;
}

bool MakeFont(Output& out, const LanguageTemplate& language)
{
    const std::vector<Symbol>& symbols = SymbolTable();
    const int w = FontColumns * FontCellWidth, h = FontRows * FontCellHeight;
    Canvas sheet(w, h);
    std::vector<double> widths(size_t(FontColumns * FontRows), 0.0);

    auto glyphPaths = [&](cairo_t* cr, bool measure) {
        UseFace(cr, Face::SansBold, GlyphSize);
        for (size_t k = 0; k < symbols.size(); ++k) {
            const char* s = symbols[k].utf8;
            cairo_text_extents_t e;
            cairo_text_extents(cr, s, &e);
            if (measure)
                widths[k] = (e.x_advance + Outline * 1.2) * 16.0 / (FontCellWidth * 0.94);
            if (symbols[k].game == ' ')
                continue;
            double cx = double(k % FontColumns) * FontCellWidth, cy = double(k / FontColumns) * FontCellHeight;
            cairo_move_to(cr, cx + CellCentreX() - e.x_advance / 2, cy + CellBaseline());
            cairo_text_path(cr, s);
        }
    };
    // A soft dark glow under the outline.
    Field glow = Coverage(w, h, [&](cairo_t* cr) {
        glyphPaths(cr, true);
        cairo_set_line_width(cr, Outline * 2 + 2.5);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
        cairo_fill(cr);
    });
    Blur(glow, 1);
    PaintField(sheet.cr, glow, Rgb{0.12, 0.05, 0.02}, 0.55);

    cairo_t* cr = sheet.cr;
    glyphPaths(cr, false);
    cairo_set_line_width(cr, Outline * 2);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    SetColor(cr, Hex(0x3A1A0C));
    cairo_stroke_preserve(cr);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, FontCellHeight);
    cairo_pattern_set_extend(g, CAIRO_EXTEND_REPEAT);
    AddStop(g, 0.0, Rgb{1, 1, 1});
    AddStop(g, 0.55, Rgb{1, 1, 1});
    AddStop(g, 0.85, Hex(0xFFE9B8));
    AddStop(g, 1.0, Hex(0xFFE9B8));
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    for (const LanguageSection& section : language.sections)
        if (!out.WritePng(section.imageFolder + "font01.png", sheet.surface))
            return false;

    std::ostringstream desc;
    desc << "SymbolList=" << FontSymbols() << "\n";
    desc << "SYMBOLS_IN_ROW=" << FontColumns << "\n";
    desc << "SYMBOLS_IN_COL=" << FontRows << "\n";
    for (int r = 0; r < FontRows; ++r) {
        char key[32];
        std::snprintf(key, sizeof key, r + 1 < 10 ? "Line0%d_Width=" : "Line%d_Width=", r + 1);
        desc << key;
        for (int c = 0; c < FontColumns; ++c) {
            char num[16];
            std::snprintf(num, sizeof num, "%.1f", std::min(16.0, widths[size_t(r * FontColumns + c)]));
            desc << (c ? "," : "") << num;
        }
        desc << "\n";
    }
    std::string text = ToGameText(language.text);
    for (size_t at = MarkerAt(text); at != std::string::npos; at = MarkerAt(text)) {
        size_t end = text.find('\n', at);
        text.replace(at, end == std::string::npos ? std::string::npos : end + 1 - at, desc.str());
    }
    return out.WriteText("language.ini", text);
}

} // namespace Content
