#pragma once
// Our INI profile functions: the reader and writer behind config.ini,
// language.ini, sound.ini, scores.ini and saved.ini. Section and key names
// compare without regard to case; files, sections and keys are created on
// write; values are cut at 255 characters. Binary blocks are stored as two
// upper-case hexadecimal digits per byte and a two-digit checksum (the byte
// sum modulo 256). Every write replaces the file atomically, so a crash can
// never leave a half-written file; an unwritable file fails silently.
#include <cstddef>
#include <string>

namespace Quill {

// The value of section/key in `path`, or `fallback` when absent (cut at 255).
std::string IniReadString(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& fallback = "");
bool IniWriteString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value);
// Reads a block of exactly `size` bytes with a valid checksum.
bool IniReadStruct(const std::string& path, const std::string& section, const std::string& key, void* block,
                   size_t size);
bool IniWriteStruct(const std::string& path, const std::string& section, const std::string& key,
                    const void* block, size_t size);

} // namespace Quill
