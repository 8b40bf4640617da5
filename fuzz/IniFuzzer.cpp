// The INI functions over a damaged file: the game's getters on config.ini,
// blocks read as the scores and saved games read theirs, and round trips:
// a value or block written into the damaged file must read back as written.
#include "fuzz/FuzzSupport.h"

#include "engine/Config.h"
#include "framework/ini/IniFile.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    fuzz::WriteFile("config.ini", data, size);
    char text[256];
    IniGetString("OPTIONS", "MusicVolume", text);
    fuzz::Check(std::strlen(text) < 256, "value fits its buffer");
    float f = 0.5f;
    IniGetFloat("VIDEO", "Brightness", f);
    int n = 1;
    IniGetInt("GAMEPLAY", "LastOpenedLevel", n);
    uint8_t block[64];
    IniGetStruct("HIGH SCORES", "Data", block, sizeof block, "config.ini");

    const std::string path = fuzz::Folder() + "/config.ini";
    // A value of the file's own first bytes, cut at its first line end.
    std::string value(reinterpret_cast<const char*>(data), std::min<size_t>(size, 200));
    value = value.substr(0, value.find_first_of("\r\n"));
    value = value.substr(0, value.find('\0'));
    // Values lose surrounding blanks and one pair of quotes: keep to ones that don't.
    const bool plain = value.find_first_of(" \t\"") == std::string::npos;
    if (Quill::IniWriteString(path, "Fuzz", "Key", value) && plain)
        fuzz::Check(Quill::IniReadString(path, "Fuzz", "Key") == value, "a written value reads back");

    uint8_t written[40], back[40];
    for (size_t i = 0; i < sizeof written; ++i) written[i] = i < size ? data[size - 1 - i] : uint8_t(i);
    if (Quill::IniWriteStruct(path, "HIGH SCORES", "Data", written, sizeof written)) {
        fuzz::Check(Quill::IniReadStruct(path, "HIGH SCORES", "Data", back, sizeof back), "a written block reads");
        fuzz::Check(std::memcmp(written, back, sizeof back) == 0, "a written block reads back the same");
        fuzz::Check(!Quill::IniReadStruct(path, "HIGH SCORES", "Data", back, sizeof back - 1),
                    "a block of another size is refused");
    }
    return 0;
}
