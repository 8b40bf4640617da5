#pragma once
// File services of the platform. The game names paths with backslashes
// ("Graphics\back_menu.jpg"); NativePath is the one place that turns them
// into '/' before a file is opened, searched or stat'ed.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace Quill {

// Backslashes become '/'.
std::string NativePath(const std::string& path);
// Opens a file for reading in binary mode with NativePath applied (null on failure).
std::FILE* OpenFile(const std::string& path, const char* mode);
bool FileExists(const std::string& path);
// Whole file into `out`; false when it cannot be read, or when it holds more
// than `maxBytes` (then nothing beyond the limit is read).
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, size_t maxBytes = SIZE_MAX);
// Writes a file atomically: a temporary file in the same folder, flushed and
// synced, then renamed over the target. A crash leaves the old file or the
// new one, never a mix. False when any step fails (the target is untouched).
bool WriteFileAtomic(const std::string& path, const void* data, size_t size);
// Names (not paths) of the regular files in the folder of `pattern` whose names
// match its last component; '*' and '?' are wildcards. Sorted by name.
std::vector<std::string> FindFiles(const std::string& pattern);
// Last-write time as an opaque 64-bit stamp (nanoseconds); 0 when missing.
uint64_t LastWriteTime(const std::string& path);
// The current working folder, without a trailing separator.
std::string GetWorkingFolder();
bool SetWorkingFolder(const std::string& folder);
// The folder that holds the running program.
std::string GetProgramFolder();
bool MakeFolder(const std::string& folder);
// Makes the folder and every missing folder above it; true when it exists.
bool MakeFolders(const std::string& folder);
// True when files can be made in the folder by this process.
bool FolderWritable(const std::string& folder);
// The user's home folder: $HOME, else the password database's entry ("" when neither).
std::string HomeFolder();

} // namespace Quill
