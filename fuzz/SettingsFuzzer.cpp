// The framework's settings store over a damaged file: every value reads
// without harm, and what the store writes it reads back the same.
#include "fuzz/FuzzSupport.h"

#include "framework/platform/SettingsStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<Quill::SettingsStore::Value> values = Quill::SettingsStore::Parse(text);
    fuzz::Check(values.size() <= Quill::SettingsStore::kMaxValues, "value count within the limit");
    // What is parsed formats and parses again to the same values.
    const std::vector<Quill::SettingsStore::Value> again =
        Quill::SettingsStore::Parse(Quill::SettingsStore::Format(values));
    fuzz::Check(again.size() == values.size(), "round trip keeps the count");
    for (size_t i = 0; i < values.size() && i < again.size(); ++i)
        fuzz::Check(again[i].type == values[i].type && again[i].name == values[i].name &&
                        again[i].data == values[i].data,
                    "round trip keeps every value");

    // The same bytes as the product's file, read as the application does.
    Quill::SettingsStore store("Velmora");
    const std::string path = store.FilePath();
    fuzz::WriteFile(path.substr(fuzz::Folder().size() + 1), data, size);
    uint32_t type = 0;
    std::string bytes;
    for (const char* name : {"MusicVolume", "ScreenMode", "PreferredX", "InProgress"}) store.Read(name, type, bytes);
    if (store.Write("MusicVolume", Quill::SETTING_DWORD, "\x37\0\0\0", 4)) {
        fuzz::Check(store.Read("MusicVolume", type, bytes) && type == Quill::SETTING_DWORD &&
                        bytes == std::string("\x37\0\0\0", 4),
                    "a written value reads back");
    }
    return 0;
}
