#pragma once
// The game's one input handler. The main widget packs every key and mouse
// event into an InputMessage and hands it here. F1 shows or hides the frame
// rate anywhere; while playing, keys go to the game (Space throws a shape
// away); otherwise the message goes to the menu screen of the current state,
// which answers with the action text of the button or slider it activated
// ("procOptions"), and the command table below that turns the action into a
// screen change, a game operation or an option change. The action texts are
// the words the menu files and the game share.
#include "engine/InputMessage.h"

#include <cstdint>

// Draw the frame-rate figure in the corner (F1 turns it on and off).
extern int32_t ShowFps;

// One key or mouse event, on the main thread.
void ProcessMessage(InputMessage m);

// Runs the command of `action` in `state`, as a click on a button with that
// action would; an action the state does not know does nothing. Returns
// whether the state knows the action.
bool RunMenuCommand(int32_t state, const char* action);

// The common end of a game: the score goes into the mode's high-score list
// and, when it qualified, the high-score screen opens for the name, else the
// main menu. With restoreMusic the music comes back to the player's volume
// (the end of a round turned it off). A negative score counts as 0.
void EndGameToScores(bool restoreMusic);

// The program is closing (its window closed, a logout, a termination signal):
// a level under way is saved as the pause screen's end saves it (without the
// score table), a high score still waiting for its name is kept, and a slider
// being dragged keeps its value. Main thread.
void KeepProgressOnClose();

// The particles per burst that suit the display: 10 with 3D on, 5 without.
int ParticlesFor3D(bool is3D);
