#pragma once
// Shared set-up of the fuzzing harnesses. Each harness is a libFuzzer entry
// point (LLVMFuzzerTestOneInput) that hands its input to the game's real
// loader the way the game does: the bytes are written under the file name the
// game reads, in a private working folder, and the loader is called.
//
// The same harnesses also build without libFuzzer, linked to ReplayMain.cpp,
// which runs every file of the corpus folders it is given; the tests run them
// over fuzz/corpus/ in the sanitizer build.
#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Once per process: a fresh temporary working folder, the headless platform on
// a manual clock, no sound device. Later calls do nothing.
void Init();
// The private working folder (an absolute path).
const std::string& Folder();
// Writes `size` bytes to `name` (a path relative to the working folder, with
// '/' or '\\'), creating folders as needed.
void WriteFile(const std::string& name, const uint8_t* data, size_t size);
void WriteFile(const std::string& name, const std::string& text);
// Stops the program when a round trip or an invariant does not hold; libFuzzer
// records the input that did it.
void Check(bool condition, const char* what);

} // namespace fuzz
