#pragma once
// The game's settings files. The Ini* getters and setters work on config.ini
// in the current working folder; the struct pair keeps binary blocks (high
// scores, saved games) in any named INI file. Paths are built at each call,
// nothing is cached, and no call throws.
#include <cstddef>

// Reads config.ini; `out` holds 256 bytes. True when a non-empty value was read.
bool IniGetString(const char* section, const char* key, char* out);
void IniSetString(const char* section, const char* key, const char* value);
// Leading decimal number of the value (strtod rules); absent leaves `out` alone.
void IniGetFloat(const char* section, const char* key, float& out);
// Like IniGetFloat, truncated toward zero.
void IniGetInt(const char* section, const char* key, int& out);
void IniSetInt(const char* section, const char* key, int value);
// A binary block of exactly `size` bytes with a valid checksum, from `fileName`.
bool IniGetStruct(const char* section, const char* key, void* block, size_t size, const char* fileName);
bool IniSetStruct(const char* section, const char* key, const void* block, size_t size, const char* fileName);
// Copies a zero-terminated string; false (and nothing copied) for a null source.
bool CopyString(char* dest, const char* source);
