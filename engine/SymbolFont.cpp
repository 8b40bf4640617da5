// The symbol font of TextureManager: a sheet of equally sized cells, one
// symbol per cell, described by the current language's section of
// language.ini (alphabet, grid and per-row symbol widths in sixteenths of a
// cell). Every copy out of language.ini is bounded, so a hostile file can
// neither overrun the symbol list nor the width table.
#include "engine/TextureManager.h"

#include "engine/AppLog.h"
#include "engine/Language.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using Quill::Image;

namespace {

// The language value of `key`, cut to fit `out` (always terminated).
void CopyLanguageString(const char* key, char* out, size_t size) {
    std::snprintf(out, size, "%s", GetLanguageString(key));
}

// One decimal integer, as "%d" reads it.
bool ParseInt(const char* text, int32_t& value) {
    int v = 0;
    if (std::sscanf(text, "%d", &v) != 1) return false;
    value = v;
    return true;
}

// One finite decimal number, as "%f" reads it.
bool ParseWidth(const char* text, float& value) {
    float v = 0.0f;
    if (std::sscanf(text, "%f", &v) != 1 || !std::isfinite(v)) return false;
    value = v;
    return true;
}

// Reads the width rows of a columns x rows grid into `widths` (sixteenths of
// a cell become fractions). A row that runs out keeps the rest of its cells;
// a malformed number is logged and ends its row.
void ReadWidthRows(int32_t columns, int32_t rows, float* widths) {
    for (int32_t r = 0; r < rows; ++r) {
        char key[32];
        int n = r + 1;
        std::snprintf(key, sizeof key, n < 10 ? "Line0%d_Width" : "Line%d_Width", n);
        char value[256];
        CopyLanguageString(key, value, sizeof value);
        char* rest = value;
        for (int32_t c = 0; c < columns; ++c) {
            // Runs of commas separate like one; an empty piece is no piece.
            rest += std::strspn(rest, ",");
            if (*rest == '\0') break;
            size_t length = std::strcspn(rest, ",");
            char* piece = rest;
            rest += length;
            if (*rest == ',') *rest++ = '\0';
            float width = 0.0f;
            if (!ParseWidth(piece, width)) {
                AppLog("Can't load symbol width from 'language.ini'", LogTime);
                break;
            }
            widths[r * columns + c] = width * 0.0625f;
        }
    }
}

} // namespace

void TextureManager::ResetFont() {
    std::lock_guard<std::mutex> guard(fontLock);
    fontTexture = nullptr;
    std::memset(symbolList, 0, sizeof symbolList);
    std::memset(widths, 0, sizeof widths);
    widthsLoaded = false;
    symbolColumns = 16;
    symbolRows = 8;
}

void TextureManager::LoadSymbolFont(const char* file) {
    // Everything is read into locals first and published under the lock, so a
    // frame drawn meanwhile sees either the old font or the new one.
    char list[SymbolListSize];
    CopyLanguageString("SymbolList", list, sizeof list);
    Image* sheet = GetTexture(file);

    int32_t columns = 0, rows = 0;
    bool widthsDone = false;
    float table[WidthCount];
    {
        std::lock_guard<std::mutex> guard(fontLock);
        columns = symbolColumns;
        rows = symbolRows;
        widthsDone = widthsLoaded;
        std::memcpy(table, widths, sizeof table);
    }
    char text[256];
    int32_t newColumns = 0, newRows = 0;
    CopyLanguageString("SYMBOLS_IN_ROW", text, sizeof text);
    bool haveColumns = ParseInt(text, newColumns);
    CopyLanguageString("SYMBOLS_IN_COL", text, sizeof text);
    bool haveRows = ParseInt(text, newRows);
    if (haveColumns && haveRows) {
        if (newColumns >= 1 && newRows >= 1 && int64_t(newColumns) * newRows <= WidthCount) {
            columns = newColumns;
            rows = newRows;
        } else {
            AppLogf(LogWarning, "Symbol grid %d x %d does not fit %d symbols; keeping %d x %d", newColumns, newRows,
                    WidthCount, columns, rows);
        }
    }
    if (!widthsDone) ReadWidthRows(columns, rows, table);

    std::lock_guard<std::mutex> guard(fontLock);
    std::memcpy(symbolList, list, sizeof symbolList);
    fontTexture = sheet;
    symbolColumns = columns;
    symbolRows = rows;
    if (!widthsDone) {
        std::memcpy(widths, table, sizeof widths);
        widthsLoaded = true;
    }
}

int TextureManager::FindSymbolLocked(char c) const {
    if (c == '\0') return -1;
    const void* at = std::memchr(symbolList, c, std::strlen(symbolList));
    return at ? static_cast<int>(static_cast<const char*>(at) - symbolList) : -1;
}

int TextureManager::FindSymbol(char c) const {
    std::lock_guard<std::mutex> guard(fontLock);
    return FindSymbolLocked(c);
}

Image* TextureManager::GetFontTexture() const {
    std::lock_guard<std::mutex> guard(fontLock);
    return fontTexture;
}

int32_t TextureManager::GetSymbolColumns() const {
    std::lock_guard<std::mutex> guard(fontLock);
    return symbolColumns;
}

int32_t TextureManager::GetSymbolRows() const {
    std::lock_guard<std::mutex> guard(fontLock);
    return symbolRows;
}

float TextureManager::GetSymbolWidth(int k) const {
    std::lock_guard<std::mutex> guard(fontLock);
    return k >= 0 && k < WidthCount ? widths[k] : 0.0f;
}

namespace {

// The text DrawText shows for `key`: the key's language text, the key itself
// when it has none, or, for TEXT_LITERAL, the bytes as they are.
void ShownText(const char* key, int32_t flags, char (&text)[256]) {
    if (flags & TEXT_LITERAL) {
        // Player-typed text (high-score names) is never a key or a file name.
        std::snprintf(text, sizeof text, "%s", key);
        return;
    }
    CopyLanguageString(key, text, sizeof text);
    if (text[0] == '\0') std::snprintf(text, sizeof text, "%s", key);
}

bool IsPicture(const char* text, int32_t flags) {
    return !(flags & TEXT_LITERAL) && (std::strstr(text, ".png") || std::strstr(text, ".tga"));
}

} // namespace

float TextureManager::MeasureLocked(const char* text, float size, int32_t flags, float& glyphWidth) const {
    glyphWidth = 0.0f;
    if (!fontTexture) return 0.0f;
    int32_t clientW = 0, clientH = 0, sheetW = 0, sheetH = 0;
    GetClientSize(clientW, clientH);
    GetTextureSize(fontTexture, sheetW, sheetH);
    if (clientW <= 0 || clientH <= 0 || sheetW <= 0 || sheetH <= 0) return 0.0f;
    const float columns = static_cast<float>(symbolColumns), rows = static_cast<float>(symbolRows);
    // The cell keeps its pixel aspect at a line height of `size`.
    float a = static_cast<float>(sheetW) / columns / static_cast<float>(clientW);
    float b = static_cast<float>(sheetH) / rows / static_cast<float>(clientH);
    glyphWidth = (flags & TEXT_PIXEL_SIZE) ? a : a / b * size;
    float total = 0.0f;
    for (size_t i = 0, length = std::strlen(text); i < length; ++i) {
        const int k = FindSymbolLocked(text[i]);
        total += k < 0 ? glyphWidth * 0.5f : glyphWidth * widths[k];
    }
    return total;
}

float TextureManager::TextWidth(float size, int32_t flags, const char* key) const {
    if (!key) return 0.0f;
    char text[256];
    ShownText(key, flags, text);
    if (IsPicture(text, flags)) return 0.0f;
    std::lock_guard<std::mutex> guard(fontLock);
    float glyphWidth = 0.0f;
    return MeasureLocked(text, size, flags, glyphWidth);
}

void TextureManager::DrawText(float x, float y, float size, uint32_t colour, int32_t flags, const char* key) {
    if (!key) return;
    char text[256];
    ShownText(key, flags, text);
    if (IsPicture(text, flags)) {
        DrawPicture(x, y, size, colour, flags, text);
        return;
    }

    std::lock_guard<std::mutex> guard(fontLock);
    float gw = 0.0f;
    const float total = MeasureLocked(text, size, flags, gw);
    if (gw <= 0.0f) return;
    const float columns = static_cast<float>(symbolColumns), rows = static_cast<float>(symbolRows);
    auto widthOf = [&](int k) { return k < 0 ? gw * 0.5f : gw * widths[k]; };
    const size_t length = std::strlen(text);

    float start = x;
    if (flags & TEXT_RIGHT)
        start = x - total;
    else if (flags & TEXT_CENTRE)
        start = x - total * 0.5f;
    const int32_t spriteFlags = (flags & TEXT_PIXEL_SIZE) ? SPRITE_PIXEL_SIZE : 0;
    float pen = 0.0f, previous = 0.0f;
    for (size_t i = 0; i < length; ++i) {
        int k = FindSymbolLocked(text[i]);
        float width = widthOf(k);
        if (k < 0) {
            // An unknown character is a gap of half a cell.
            pen += gw * 0.5f;
        } else {
            float centre = i == 0 ? width * 0.5f : pen + (previous + width) * 0.5f;
            pen = centre;
            float column = static_cast<float>(k % symbolColumns), row = static_cast<float>(k / symbolColumns);
            // The cell without its rightmost 0.06 and topmost 0.08, where the
            // neighbouring symbols may bleed in.
            DrawSprite(fontTexture, start + centre, y, gw, size, column / columns, (row + 0.08f) / rows,
                       (column + 1.0f - 0.06f) / columns, (row + 1.0f) / rows, colour, spriteFlags, 0.0f);
        }
        previous = width;
    }
}

void TextureManager::DrawPicture(float x, float y, float size, uint32_t colour, int32_t flags, const char* file) {
    Image* image = GetTexture(file);
    int32_t clientW = 0, clientH = 0, iw = 0, ih = 0;
    GetClientSize(clientW, clientH);
    GetTextureSize(image, iw, ih);
    float w = static_cast<float>(std::max(clientW, 1)), h = static_cast<float>(std::max(clientH, 1));
    float wi = 0.0f, height = size;
    int32_t spriteFlags = SPRITE_NORMAL;
    if (flags & TEXT_PIXEL_SIZE) {
        wi = iw / w;
        height = ih / h;
        spriteFlags = SPRITE_NORMAL | SPRITE_PIXEL_SIZE;
    } else if (ih > 0) {
        // Aspect kept, height = size.
        wi = h / w / static_cast<float>(ih) * static_cast<float>(iw) * size;
    }
    float offset = wi * 0.5f;
    if (flags & TEXT_RIGHT)
        offset = -wi * 0.5f;
    else if (flags & TEXT_CENTRE)
        offset = 0.0f;
    DrawSprite(image, x + offset, y, wi, height, 0.0f, 0.0f, 1.0f, 1.0f, colour, spriteFlags, 0.0f);
}
