// One interrupted game per mode: written when the player ends a game from
// the pause screen, offered again when that mode is chosen, and put back
// exactly (board, panel, lines, clocks) when the player continues it.
#include "gameplay/SavedGame.h"

#include "gameplay/EffectQueue.h"
#include "gameplay/Game.h"
#include "gameplay/GameModes.h"
#include "gameplay/GameSeams.h"

#include "engine/Config.h"

#include <cmath>
#include <cstring>

namespace {

bool Finite(float v, float limit) { return std::isfinite(v) && std::fabs(v) <= limit; }

bool ShapeIsSound(const ShapeCell& s) {
    const float numbers[] = {s.restY, s.x, s.y, s.width, s.height, s.speed};
    for (float v : numbers)
        if (!Finite(v, kMaxSavedPosition)) return false;
    return s.classIndex >= 0 && s.classIndex < kMaxClasses && s.shape >= 0 && s.shape < kMaxShapesPerClass &&
           s.bonus >= Bonus::None && s.bonus <= Bonus::Area;
}

bool LineIsSound(const BoardLine& line) {
    return Finite(line.x, kMaxSavedPosition) && Finite(line.y, kMaxSavedPosition) &&
           Finite(line.drift, kMaxSavedPosition) && line.fade >= 0.0f && line.fade <= 1.0f;
}

// The shape exists among the level's classes as they were loaded now.
bool FitsLevel(const ShapeCell& s, const ShapeClass* classes, int32_t classCount) {
    return s.classIndex < classCount && s.shape < classes[s.classIndex].shapeCount;
}

// A shape in the hand goes back to the front of the panel, where it is
// taken again on continuing; the shapes behind it keep their spacing. On a
// full panel it takes the place of the newest arrival, still off to the right.
void ReturnHeldShape(const ShapeCell& held, SavedGameRecord& r) {
    if (!held.shown || r.panelCount < 0) return;
    if (r.panelCount >= Geometry::kMaxPanelInPlay) r.panelCount = Geometry::kMaxPanelInPlay - 1;
    for (int32_t i = r.panelCount; i > 0; --i) r.panel[i] = r.panel[i - 1];
    ShapeCell& front = r.panel[0];
    front = held;
    front.shown = 0;
    front.x = Geometry::kPanelStopX;
    front.y = Geometry::kPanelY;
    ++r.panelCount;
    for (int32_t i = 1; i < r.panelCount; ++i)
        if (r.panel[i].x - r.panel[i - 1].x < Geometry::kPanelSpacing)
            r.panel[i].x = r.panel[i - 1].x + Geometry::kPanelSpacing;
}

} // namespace

bool SavedGameRecordIsSound(const SavedGameRecord& r) {
    if (r.levelNumber < 1 || r.levelNumber > kMaxSavedLevel || r.score < 0 || r.score > kMaxSavedScore) return false;
    if (r.panelCount < 0 || r.panelCount > Geometry::kMaxPanelInPlay || r.cellCount < 0 || r.cellCount > kMaxCells)
        return false;
    if (r.linesLeft < 0 || r.linesLeft > kLineCount) return false;
    if (!Finite(r.timeSinceLevelStart, kMaxSavedSeconds) || !Finite(r.playTimeElapsed, kMaxSavedSeconds)) return false;
    for (int32_t i = 0; i < r.panelCount; ++i)
        if (!ShapeIsSound(r.panel[i])) return false;
    for (int32_t i = 0; i < r.cellCount; ++i)
        if (!ShapeIsSound(r.cells[i])) return false;
    for (const BoardLine& line : r.lines)
        if (!LineIsSound(line)) return false;
    return true;
}

bool Game::SaveGame() {
    const char* section = ModeSectionName(gameMode);
    if (!section) return false;
    SavedGameRecord record{};
    std::memcpy(record.panel, panel, sizeof record.panel);
    std::memcpy(record.cells, cells, sizeof record.cells);
    record.panelCount = panelCount;
    ReturnHeldShape(heldShape, record);
    record.cellCount = cellCount;
    std::memcpy(record.lines, lines, sizeof record.lines);
    record.boardReserved = boardReserved;
    record.linesLeft = linesLeft;
    // The effects that close the lines up and fade a removed one out are not
    // saved, so the lines are stored as they will stand once those end;
    // otherwise a game saved within a second of a line going comes back with
    // that line half faded and its neighbours stopped halfway, for good.
    const int32_t perLine = static_cast<int32_t>(lineShapeCount);
    const bool wholeLines = perLine > 0 && perLine * kLineCount == cellCount;
    for (int32_t r = 0; r < kLineCount; ++r) {
        BoardLine& line = record.lines[r];
        if (line.removed) line.fade = 0;
        line.x = lineTargetX[r];
        for (int32_t c = 0; wholeLines && c < perLine; ++c) record.cells[r * perLine + c].x = lineTargetX[r];
    }
    record.levelNumber = levelNumber;
    record.score = score;
    record.timeSinceLevelStart = timeSinceLevelStart;
    // The clock the player sees: while the first level's guide holds it,
    // play time runs on underneath, but the time left stands still.
    record.playTimeElapsed = tutorialOn ? levelTime - timeLeft : playTimeElapsed;
    record.shapesSpawned = shapesSpawned;
    const bool written = IniSetStruct(section, "Data", &record, sizeof record, kSavedGameFile);
    SetGameSaved(1);
    return written;
}

bool Game::LoadSavedGame(bool checkOnly) {
    if (!checkOnly) EngineCalls::Log("Loading saved game...", 2);
    const char* section = ModeSectionName(gameMode);
    SavedGameRecord record{};
    if (!section || !IniGetStruct(section, "Data", &record, sizeof record, kSavedGameFile) ||
        !SavedGameRecordIsSound(record)) {
        EngineCalls::Log("File 'saved.ini' is corrupted!", 2);
        return false;
    }
    levelNumber = record.levelNumber;
    score = record.score;
    if (checkOnly) return true;

    StartLevel();
    if (!RestoreBoard(record)) {
        // The level file has changed since the game was saved: play the
        // saved level from its start, with the saved score.
        EngineCalls::Logf(2, "Saved game does not fit level %d; the level starts afresh",
                          static_cast<int>(levelNumber));
        return true;
    }

    const float now = EngineCalls::NowSeconds();
    levelStartTime = now - record.timeSinceLevelStart;
    playStartTime = now - record.playTimeElapsed;
    timeLeftAtResume = levelTime - record.playTimeElapsed;
    timeSinceLevelStart = record.timeSinceLevelStart;
    playTimeElapsed = record.playTimeElapsed;
    timeLeft = timeLeftAtResume;
    shapesSpawned = record.shapesSpawned;
    resumed = 1;
    phase = Phase::Playing;
    std::memcpy(backgroundImage, nextBackgroundImage, sizeof backgroundImage);
    // Play goes on at once: no fade or title of a fresh start may follow.
    TheEffectQueue().Clear();
    screenFade = 1.0f;
    return true;
}

bool Game::RestoreBoard(const SavedGameRecord& record) {
    if (record.cellCount != cellCount) return false;
    for (int32_t i = 0; i < record.cellCount; ++i)
        if (!FitsLevel(record.cells[i], levelClasses, shapeClassCount)) return false;
    for (int32_t i = 0; i < record.panelCount; ++i)
        if (!FitsLevel(record.panel[i], levelClasses, shapeClassCount)) return false;

    std::memcpy(cells, record.cells, sizeof(ShapeCell) * static_cast<size_t>(record.cellCount));
    std::memcpy(panel, record.panel, sizeof(ShapeCell) * static_cast<size_t>(record.panelCount));
    panelCount = record.panelCount;
    std::memcpy(lines, record.lines, sizeof lines);
    linesLeft = record.linesLeft;
    boardReserved = record.boardReserved;
    ResolveImages();
    // Lines that had closed up move on from where they stand.
    for (int32_t r = 0; r < kLineCount; ++r) lineTargetX[r] = lines[r].x;

    // The record keeps no scroll offset; the first cell tells it, so the
    // board goes on scrolling from where it stood instead of jumping.
    const float span = static_cast<float>(lineShapeCount) * Geometry::kCellSpacing;
    if (cellCount > 0 && span > 0) {
        float offset = std::fmod(cells[0].y - cells[0].restY, span);
        if (offset < 0) offset += span;
        scrollOffset = offset;
    }
    filledCount = 0;
    for (int32_t i = 0; i < cellCount; ++i)
        if (cells[i].filled) ++filledCount;
    progress = cellCount > 0 ? static_cast<float>(filledCount) / static_cast<float>(cellCount) : 1.0f;
    return true;
}

bool Game::HasSavedGame() const {
    const char* section = ModeSectionName(gameMode);
    int32_t flag = 0;
    return section && IniGetStruct(section, "IsGameSaved", &flag, sizeof flag, kSavedGameFile) && flag != 0;
}

void Game::WriteSavedFlag(int32_t value) const {
    const char* section = ModeSectionName(gameMode);
    if (section) IniSetStruct(section, "IsGameSaved", &value, sizeof value, kSavedGameFile);
}
