#pragma once
// The framework's registry-style settings: typed values (DWORD, string,
// binary) under one product key, kept in one small text file per product key
// in the user's config folder ($VELMORA_CONFIG_HOME, else
// $XDG_CONFIG_HOME/velmora, else ~/.config/velmora). A value name may carry a
// subkey before its last backslash ("Sub\Name"); it is kept as one name in the
// product's file. Names compare without regard to case, as registry names do.
//
// The file is read at each call and replaced atomically on each write, so a
// crash leaves the old settings or the new ones. A damaged or hostile file
// reads as missing values (bad lines are skipped); nothing in it can make a
// read run past a buffer.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Quill {

enum SettingType : uint32_t { SETTING_STRING = 1, SETTING_BINARY = 3, SETTING_DWORD = 4 };

class SettingsStore {
public:
    // Limits that keep a hostile file small in memory.
    static constexpr size_t kMaxFileBytes = 256 * 1024;
    static constexpr size_t kMaxValues = 1024;
    static constexpr size_t kMaxNameBytes = 255;
    static constexpr size_t kMaxValueBytes = 16 * 1024;

    struct Value {
        uint32_t type = 0;
        std::string name;
        std::string data; // raw bytes; a DWORD is 4 bytes, little-endian
    };

    // productKey names the product's settings (e.g. "Velmora"); an
    // empty key makes every call fail.
    explicit SettingsStore(std::string productKey);

    // The folder that holds the settings files (not created here).
    static std::string Folder();
    // The settings file of this product key; empty for an empty key.
    std::string FilePath() const;

    // The value's type and bytes; false when it is missing.
    bool Read(const std::string& name, uint32_t& type, std::string& data) const;
    // Sets a value (creating the folder and file as needed). False for an
    // empty key, a bad name or size, or a failed write.
    bool Write(const std::string& name, uint32_t type, const void* data, size_t size);
    // Sets several values with one replace of the file (all or none).
    bool WriteAll(const std::vector<Value>& values);
    // Removes a value; false when it was not there or the write failed.
    bool Erase(const std::string& name);

    // The file format, exposed for tests: one value per line,
    // "type<TAB>name<TAB>value"; DWORDs in decimal, other values and all
    // names with '%XX' escapes for bytes that are not plain printable text.
    static std::vector<Value> Parse(const std::string& text);
    static std::string Format(const std::vector<Value>& values);

private:
    std::vector<Value> Load() const;
    bool Save(const std::vector<Value>& values) const;

    std::string key;
};

} // namespace Quill
