#pragma once
// The gameplay layer's one doorway to the services below it: the clock, the
// pointer and mouse-button edges, textures and sprite drawing, the symbol
// font, sound events, random numbers, settings and the log. Everything in
// gameplay/ calls these instead of the engine directly, so there is exactly
// one place that knows the engine's signatures.
//
// Two observation hooks serve the tests: every sound event the game plays and
// every log line it writes can be recorded (the real sound and log calls still
// happen).
#include <cstdint>
#include <functional>

namespace Quill {
class Image;
}

namespace EngineCalls {

using Texture = Quill::Image*;

// --- clock and pointer ---
// What the game reads as its clock, pointer and buttons while it plays on
// fixed steps (demos, recordings, replays): the player of those steps sets
// it before each one, so play never depends on the wall clock or on when
// the platform happened to deliver input.
struct SteppedInput {
    uint32_t clockMs = 0;
    int32_t x = 0, y = 0; // pointer in client pixels
    uint32_t buttons = 0; // Quill::MouseBit
};
// Null goes back to the platform's clock and pointer.
void SetSteppedInput(const SteppedInput* input);
// The platform clock in seconds (milliseconds x 0.001), or the stepped clock.
float NowSeconds();
// Reads the pointer as a fraction of the client area; false (and 0, 0) when unknown.
bool PointerFraction(float& x, float& y);
// The left button's level right now, read from the platform.
bool LeftButtonDown();
// Once per game tick: finds the press and release edges since the last call.
void UpdateButtonEdges();
bool LeftPressed();
bool LeftReleased();
bool RightPressed();

// --- textures and drawing (fractions of the client area; the texture manager's sprite flags) ---
Texture GetTexture(const char* path);
void DrawSprite(Texture texture, float x, float y, float w, float h, float su, float sv, float eu, float ev,
                uint32_t colour, int flags, float rotation);
void DrawSpriteFrame(Texture texture, float x, float y, float w, float h, int flags, int columns, int rows,
                     float speed, uint32_t colour);
void DrawDigits(Texture texture, float x, float y, float spacing, uint32_t colour, const char* text, float scale);
// A language key (or literal text) in the symbol font.
void DrawText(float x, float y, float size, uint32_t colour, int flags, const char* key);
// The widths those two give a text.
float TextWidth(float size, int flags, const char* key);
float DigitsWidth(Texture texture, float spacing, const char* text, float scale);

// --- sound ---
// Plays a sound event by name (pick one of its sounds, play it once).
void PlayEvent(const char* name);
void SetMusicVolume(double volume);
// Test hook: called with the name of every event played; empty to stop.
void SetEventRecorder(std::function<void(const char* name)> recorder);

// --- random numbers (the game's one seedable generator) ---
int RandomInt(int min, int max);
// One raw draw of the 15-bit generator, 0..32767.
int RandomRaw();
void SeedRandom(uint32_t seed);

// --- settings and log ---
void SetConfigInt(const char* section, const char* key, int value);
// Leaves `value` alone when the key is absent.
void GetConfigInt(const char* section, const char* key, int& value);
void Log(const char* message, int flags);
void Logf(int flags, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Test hook: called with every log message; empty to stop.
void SetLogRecorder(std::function<void(const char* message)> recorder);

} // namespace EngineCalls
