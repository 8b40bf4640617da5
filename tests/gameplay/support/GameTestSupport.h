#pragma once
// Shared set-up of the gameplay tests: a fresh temporary working folder (the
// level files, classes.xml and app.log live there), the headless platform on
// a manual clock, the game, the effects queue, the state and the random
// generator reset to known values, and a record of every sound event played.
#include "gameplay/Game.h"

#include "framework/platform/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

class GameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a file under the working folder (folders created as needed).
    void WriteFile(const std::string& path, const std::string& text);
    // classes.xml with `classes` classes named c0, c1, ... of `shapes` shapes each.
    void WriteClasses(int classes, int shapes);
    // Levels/level_N.xml with the given LevelMap attributes.
    void WriteLevel(int level, const std::map<std::string, std::string>& attributes);
    // classes.xml (8 classes of 3 shapes) and a plain level, loaded; the board is built.
    void LoadPlainLevel(int level = 2, const std::string& lineShapeCount = "11");
    // Copies classes.xml and Levels/ from the test fixtures (or `source`) into
    // the working folder and loads the classes; false if they are not there.
    bool UseContent(const std::string& source = VELMORA_FIXTURES "/gameplay");
    // Starts a level of a new game (score 0) as the level map's Start button does.
    void StartFromMap(int level, int mode);
    // Advances the manual clock.
    void Advance(uint32_t ms) { platform->Advance(ms); }
    float Now() const;

    int CountEvents(const std::string& name) const;
    // Whether a line of the log recorded since SetUp holds `text`.
    bool Logged(const std::string& text) const;
    // Puts the pointer at a screen fraction, with the given buttons down.
    void Pointer(float x, float y, uint32_t buttons);
    // One tick of play: 10 ms, FrameTime, UpdateRound.
    void PlayTick();
    // Puts a shape fitting `cell` (or the bonus) in hand and presses over the
    // cell: PlaceHeldShape as a tick would run it. Returns the score gained.
    int PlaceOn(int cell, int bonus = 0);
    // Updates the effects queue every 10 ms for `ms` milliseconds.
    void RunEffects(int ms);

    Game& game();
    Quill::HeadlessPlatform* platform = nullptr;
    std::vector<std::string> events;
    std::vector<std::string> logLines;
    std::string folder;

private:
    std::unique_ptr<Quill::Platform> previousPlatform;
    std::string previousFolder;
};
