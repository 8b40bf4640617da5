#pragma once
// The game's settings files. The Ini* getters and setters work on config.ini
// in the player's folder (engine/PlayerFolder.h); the struct pair keeps binary
// blocks (high scores, saved games) in any named INI file there. Reads fall
// back to the copy the game folder ships. Paths are built at each call,
// nothing is cached, and no call throws. Null arguments are refused (false,
// or nothing done).
#include <cstddef>
#include <string>

// Reads config.ini; `out` holds 256 bytes. True when a non-empty value was read.
bool IniGetString(const char* section, const char* key, char* out);
void IniSetString(const char* section, const char* key, const char* value);
// Leading decimal number of the value (strtod rules); absent leaves `out` alone.
// NaN reads as 0 and out-of-range values are held at the float's limits.
void IniGetFloat(const char* section, const char* key, float& out);
// Like IniGetFloat, truncated toward zero and held to the int's range.
void IniGetInt(const char* section, const char* key, int& out);
void IniSetInt(const char* section, const char* key, int value);
// A binary block of exactly `size` bytes with a valid checksum, from `fileName`.
// `block` is untouched on failure.
bool IniGetStruct(const char* section, const char* key, void* block, size_t size, const char* fileName);
bool IniSetStruct(const char* section, const char* key, const void* block, size_t size, const char* fileName);
// While held, the setters above write nothing (IniSetStruct answers false):
// a demo or a replay plays the real game without touching the player's
// options, progress, high scores or saved games.
void HoldPlayerFiles(bool hold);
bool PlayerFilesHeld();
// Copies a zero-terminated string; false (and nothing copied) for a null
// source. `dest` must hold the whole source: prefer the bounded form below.
bool CopyString(char* dest, const char* source);
// Copies at most destSize - 1 characters and always terminates `dest`;
// false (and nothing copied) for a null source or destination or a zero size.
bool CopyString(char* dest, size_t destSize, const char* source);
// The path of a file in the current working folder: folder, a backslash and
// the name ("%s%s%s"), made native. The folder is asked for at each call.
std::string WorkingFilePath(const char* name);
