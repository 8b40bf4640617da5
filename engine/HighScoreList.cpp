#include "engine/HighScoreList.h"

#include "engine/Config.h"
#include "engine/Language.h"
#include "engine/TextureManager.h"
#include "framework/platform/Platform.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t KeyBackspace = 8;
constexpr uint32_t KeyEnter = 13;
constexpr uint32_t KeyEscape = 27;

void HandleKeyDown(HighScoreTable& table, char* name, uint32_t key) {
    const size_t length = std::strlen(name);
    switch (key) {
    case KeyEscape:
        table.CancelName();
        break;
    case KeyEnter:
        // A row without a name stays open until one is typed.
        table.ConfirmName();
        break;
    case KeyBackspace:
        if (length > 0) name[length - 1] = '\0';
        break;
    default:
        break;
    }
}

void HandleCharacter(char* name, uint32_t c) {
    // Control characters stay out of names: Enter's and Escape's own character
    // messages follow their key downs and would otherwise land in the name.
    if (c < 32 || c == 127) return;
    size_t length = std::strlen(name);
    if (length >= MaxTypedName) return;
    name[length] = static_cast<char>(c);
    name[length + 1] = '\0';
}

// Grey between 127 and 255, three radians a second. The alpha byte follows
// the grey, so at full grey it wraps to 0, which reads as opaque.
uint32_t PulseColour(double seconds) {
    uint32_t v = static_cast<uint32_t>(255.0 * (0.75 + 0.25 * std::sin(3.0 * seconds)));
    uint32_t alpha = (v + 1) & 0xFF;
    return alpha << 24 | v << 16 | v << 8 | v;
}

} // namespace

void HandleNameKey(HighScoreTable& table, const InputMessage& m) {
    HighScoreEntry* entry = table.EditedEntry();
    if (!entry) return;
    const uint32_t low = m.wParam & 0xFF;
    if (m.message == INPUT_KEY_DOWN)
        HandleKeyDown(table, entry->name, low);
    else if (m.message == INPUT_CHAR)
        HandleCharacter(entry->name, low);
}

void HandleNameKey(const InputMessage& m) { HandleNameKey(GetHighScores(), m); }

void LayoutScoreList(const HighScoreTable& table, double seconds, float top, float size, ScoreListRow rows[10],
                     const char* prompt) {
    static const HighScoreEntry noEntries[HighScoreTable::RankCount] = {};
    const HighScoreEntry* entries =
        HighScoreTable::IsList(table.currentList) ? table.lists[table.currentList] : noEntries;
    const bool editing = table.EditingCurrentList();
    const bool pulsing = table.justSaved && table.insertList == table.currentList;
    // trunc(2t) even shows the cursor: it blinks twice a second.
    const bool cursorOn = std::fmod(std::trunc(2.0 * seconds), 2.0) == 0.0;
    for (int32_t i = 0; i < HighScoreTable::RankCount; ++i) {
        ScoreListRow& row = rows[i];
        const HighScoreEntry& entry = entries[i];
        row.y = static_cast<float>(i + 1) * size * 1.25f + top;
        std::snprintf(row.rank, sizeof row.rank, "%d", i + 1);
        // The stored score is unsigned; shown as such it never turns negative.
        std::snprintf(row.score, sizeof row.score, "%u", entry.score);
        // The name field is always terminated, so at most 31 characters here.
        std::snprintf(row.name, sizeof row.name, "%.*s", static_cast<int>(HighScoreTable::NameSize - 1), entry.name);
        row.colour = ScoreListColour::Plain;
        if (i != table.insertPos) continue;
        if (editing) {
            row.colour = ScoreListColour::Typing;
            if (entry.name[0] == '\0' && prompt && prompt[0]) std::snprintf(row.name, sizeof row.name, "%s ", prompt);
            std::strncat(row.name, cursorOn ? "_" : " ", sizeof row.name - std::strlen(row.name) - 1);
        } else if (pulsing) {
            row.colour = PulseColour(seconds);
        }
    }
}

void DrawScoreList(float top, float size, float rankX, float nameX, float scoreX) {
    const double seconds = static_cast<double>(Quill::GetPlatform().Ticks()) * 0.001;
    ScoreListRow rows[HighScoreTable::RankCount];
    char prompt[64];
    CopyString(prompt, sizeof prompt, GetLanguageString("EnterName"));
    LayoutScoreList(GetHighScores(), seconds, top, size, rows, prompt);
    TextureManager& textures = Textures();
    for (const ScoreListRow& row : rows) {
        textures.DrawText(rankX, row.y, size, row.colour, 0, row.rank);
        textures.DrawText(nameX, row.y, size, row.colour, TEXT_LITERAL, row.name);
        textures.DrawText(scoreX, row.y, size, row.colour, 0, row.score);
    }
}
