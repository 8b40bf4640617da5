#pragma once
// A scripted player for tests and for the game's demos. Driven by the
// headless platform's manual clock, it plays the real game the way a person
// would: it looks at the
// panel and the board, moves the pointer onto a panel shape whose cell is on
// screen, presses the left button to take it, carries it to the cell and lets
// go there (turning it first with the right button in Transformer). When
// nothing fits for a while it throws a shape away with Space. Each tick
// advances the clock by 10 ms, sets FrameTime and runs the step of the
// current screen (UpdateRound, NextLevel or the game-complete frame).
// Without a platform it only decides: the demo asks it for each step's
// pointer, buttons and Space key and feeds them to the game as input.
#include <cstdint>
#include <functional>

class Game;
struct ShapeCell;

namespace Quill {
class HeadlessPlatform;
}

class AutoPlayer {
public:
    AutoPlayer(Game& game, Quill::HeadlessPlatform& platform);
    explicit AutoPlayer(Game& game);

    // What the player does in one step: where the pointer is, which buttons
    // are down (Quill::MouseBit), and whether it presses Space.
    struct Move {
        int x = 0, y = 0;
        uint32_t buttons = 0;
        bool space = false;
    };
    // Looks at the game and decides this step's move (only while playing;
    // otherwise the pointer rests and the buttons come up).
    Move Decide();

    // One 10 ms tick.
    void Tick();
    // Only the player's part of a tick: looks at the game and puts this
    // tick's pointer and buttons on the platform, for a driver that runs the
    // real main loop (and with it the game) itself. Call it once between two
    // gameplay ticks, so that each tick sees one change of the buttons.
    void Steer();
    // Ticks until `done` answers true (checked before each tick) or maxTicks
    // have run; returns whether `done` came true.
    bool RunUntil(const std::function<bool()>& done, int maxTicks);

    int Takes() const { return takes; }
    int Discards() const { return discards; }
    int Ticks() const { return ticks; }

private:
    void ChooseInput();
    // An empty cell on screen that `shape` can go to; with anyShapeOfClass a
    // cell of its class that a turn or two would fit. -1 when there is none.
    int FindCell(const ShapeCell& shape, bool anyShapeOfClass) const;
    void Point(float x, float y);
    void Discard();

    Game& game;
    Quill::HeadlessPlatform* platform = nullptr;
    bool spaceWanted = false;
    unsigned buttons = 0;
    int pointerX = 0, pointerY = 0;
    int waitingTicks = 0;
    int takes = 0, discards = 0, ticks = 0;
};
