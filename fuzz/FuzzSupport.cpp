#include "fuzz/FuzzSupport.h"

#include "engine/AppLog.h"
#include "engine/SoundEvents.h"
#include "engine/TextureManager.h"
#include "framework/platform/Files.h"
#include "framework/platform/HeadlessPlatform.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

namespace fuzz {

namespace {
std::string folder;
}

void Init() {
    if (!folder.empty()) return;
    // In memory where there is such a folder: every run writes its input.
    std::string pattern = std::filesystem::is_directory("/dev/shm") ? "/dev/shm/velmora-fuzz-XXXXXX"
                                                                    : "/tmp/velmora-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("velmora fuzz: mkdtemp");
        std::abort();
    }
    folder = pattern.c_str();
    Quill::SetWorkingFolder(folder);
    // The settings store follows the working folder, never the user's own.
    setenv("VELMORA_CONFIG_HOME", folder.c_str(), 1);
    Quill::SetPlatform(std::make_unique<Quill::HeadlessPlatform>(true));
    AppLogResetForTests();
    ResetSoundEvents();
    Textures().Reset();
    // The folder goes when the process ends normally (libFuzzer's -runs, the
    // replay driver); a crashed run leaves it for a look.
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    });
}

const std::string& Folder() { return folder; }

void WriteFile(const std::string& name, const uint8_t* data, size_t size) {
    std::filesystem::path path = std::filesystem::path(folder) / Quill::NativePath(name);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void WriteFile(const std::string& name, const std::string& text) {
    WriteFile(name, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "velmora fuzz: check failed: %s\n", what);
    std::abort();
}

} // namespace fuzz
