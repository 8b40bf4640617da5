#pragma once
// framework/ini/: the INI files. It may use base/ and platform/ (files).
//
// Our INI profile functions: the reader and writer behind config.ini,
// language.ini, sound.ini, scores.ini and saved.ini. Section and key names
// compare without regard to case or surrounding blanks, and the first
// matching section and key win; values lose their surrounding blanks (and
// one pair of double quotes) and are cut at 255 characters. Files, sections
// and keys are created on write, a new section at the end of the file;
// every other byte of the file stays as it was. Binary blocks are stored as
// two upper-case hexadecimal digits per byte and a two-digit checksum (the
// byte sum modulo 256). Every write replaces the file atomically, so a crash
// can never leave a half-written file; an unwritable file fails silently.
// Writers in one process are serialised. Files over 64 MB are not ours and
// are neither read nor rewritten.
#include <cstddef>
#include <string>

namespace Quill {

// The value of section/key in `path`, or `fallback` when absent (cut at 255).
std::string IniReadString(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& fallback = "");
// Sets section/key, creating what is missing. A value ends at its first line
// end. False when the file cannot be written or a name could never be read
// back (a key with '=', a section with ']', a line end in a name).
bool IniWriteString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value);
// Reads a block of exactly `size` bytes with a valid checksum; `block` is
// untouched on failure.
bool IniReadStruct(const std::string& path, const std::string& section, const std::string& key, void* block,
                   size_t size);
bool IniWriteStruct(const std::string& path, const std::string& section, const std::string& key,
                    const void* block, size_t size);

} // namespace Quill
