#pragma once
// The diagnostic log app.log, in the player's folder (engine/PlayerFolder.h)
// as it was at the first call. One call writes all its output before another thread's call starts.
// A log that cannot be opened loses the message without a word.

enum AppLogFlags : int {
    LogNewFile = 1,   // start a new app.log
    LogTime = 2,      // "hh:mm:ss : " before the message
    LogFrame = 4,     // a line of 74 asterisks before and after
    LogNoNewline = 8, // no line end, no flush
    LogWarning = 16,  // "===> Warning: " before the message
};

void AppLog(const char* message, int flags = 0);
// printf-style convenience; the text is cut at 1023 characters.
void AppLogf(int flags, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Test hook only: forgets the log folder, so the next call fixes it anew in
// the then current player's folder. The game never calls it.
void AppLogResetForTests();
