// The application's registry-style settings over the settings store: the
// Registry* access functions and the settings read at start and written at
// the end.
#include "framework/app/QuillAppBase.h"

#include "framework/platform/SettingsStore.h"

#include <cmath>
#include <cstring>

namespace Quill {

namespace {
// Volumes are stored as whole percent. The small bias keeps a stored value
// from creeping down on every run: 0.29 read back is 0.28999..., which would
// otherwise truncate to 28.
int32_t VolumePercent(double volume) { return static_cast<int32_t>(std::trunc(volume * 100.0 + 1e-6)); }

// A DWORD's four bytes, low byte first, as the store keeps them.
std::string DwordBytes(int32_t value) {
    std::string bytes(4, '\0');
    uint32_t v = static_cast<uint32_t>(value);
    for (size_t i = 0; i < 4; ++i) bytes[i] = static_cast<char>(v >> (8 * i));
    return bytes;
}
} // namespace

namespace {
// Every product key lies below "SOFTWARE\"; the store names its file after
// the product key alone.
std::string StoreKey(const std::string& registryKey) {
    std::string key = registryKey;
    if (!key.empty() && (key.back() == '\\' || key.back() == '/')) key.pop_back();
    return key;
}
} // namespace

std::string QuillAppBase::RegistryKeyPath() const {
    if (registryKey.empty()) return "";
    std::string key = registryKey;
    if (key.back() == '\\' || key.back() == '/') key.pop_back();
    return "SOFTWARE\\" + key;
}

bool QuillAppBase::RegistryWrite(const std::string& valueName, uint32_t type, const void* data, uint32_t length) {
    if (registryKey.empty()) return false;
    return SettingsStore(StoreKey(registryKey)).Write(valueName, type, data, length);
}

bool QuillAppBase::RegistryRead(const std::string& valueName, uint32_t& type, void* data, uint32_t& length) {
    if (registryKey.empty()) return false;
    std::string bytes;
    if (!SettingsStore(StoreKey(registryKey)).Read(valueName, type, bytes)) return false;
    // Like the registry: a buffer too small fails and says what it needs.
    if (bytes.size() > length || (!data && !bytes.empty())) {
        length = static_cast<uint32_t>(bytes.size());
        return false;
    }
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    length = static_cast<uint32_t>(bytes.size());
    return true;
}

void QuillAppBase::RegistryEraseValue(const std::string& valueName) {
    if (!registryKey.empty()) SettingsStore(StoreKey(registryKey)).Erase(valueName);
}

bool QuillAppBase::RegistryWriteString(const std::string& valueName, const std::string& value) {
    return RegistryWrite(valueName, SETTING_STRING, value.data(), static_cast<uint32_t>(value.size()));
}

bool QuillAppBase::RegistryWriteInteger(const std::string& valueName, int32_t value) {
    std::string bytes = DwordBytes(value);
    return RegistryWrite(valueName, SETTING_DWORD, bytes.data(), 4);
}

bool QuillAppBase::RegistryReadInteger(const std::string& valueName, int32_t& value) {
    uint32_t type = 0, length = 4;
    uint8_t bytes[4] = {};
    if (!RegistryRead(valueName, type, bytes, length) || type != SETTING_DWORD || length != 4) return false;
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | bytes[i];
    value = static_cast<int32_t>(v);
    return true;
}

void QuillAppBase::ReadSettings() {
    settingsRead = true;
    int32_t v = 0;
    // Volumes from a damaged file are kept inside 0..1.
    if (RegistryReadInteger("MusicVolume", v)) musicVolume = std::clamp(v * 0.01, 0.0, 1.0);
    if (RegistryReadInteger("SfxVolume", v)) sfxVolume = std::clamp(v * 0.01, 0.0, 1.0);
    // Only 0 or 1 is ever written; anything else counts as one user mute.
    if (RegistryReadInteger("Muted", v)) muteCount = v != 0 ? 1 : 0;
    if (RegistryReadInteger("ScreenMode", v)) windowed = v == 0;
    if (RegistryReadInteger("PreferredX", v)) preferredX = v;
    if (RegistryReadInteger("PreferredY", v)) preferredY = v;
    if (RegistryReadInteger("PreferredWidth", v)) preferredWidth = v;
    if (RegistryReadInteger("PreferredHeight", v)) preferredHeight = v;
    if (RegistryReadInteger("CustomCursors", v)) {
        customCursors = v != 0;
        UpdateCursor();
    }
    if (RegistryReadInteger("WaitForVSync", v)) windowedFrameLimit = v != 0;
    if (RegistryReadInteger("InProgress", v)) lastRunEndedNormally = v == 0;
    RegistryWriteInteger("InProgress", 1);
}

void QuillAppBase::WriteSettings() {
    if (registryKey.empty()) return;
    const std::pair<const char*, int32_t> values[] = {
        {"MusicVolume", VolumePercent(musicVolume)},
        {"SfxVolume", VolumePercent(sfxVolume)},
        {"Muted", muteCount > autoMuteCount ? 1 : 0},
        {"ScreenMode", windowed ? 0 : 1},
        {"PreferredX", preferredX},
        {"PreferredY", preferredY},
        {"PreferredWidth", preferredWidth},
        {"PreferredHeight", preferredHeight},
        {"CustomCursors", customCursors ? 1 : 0},
        {"InProgress", 0},
        {"WaitForVSync", windowedFrameLimit ? 1 : 0},
    };
    // One replace of the settings file for the whole set.
    std::vector<SettingsStore::Value> batch;
    for (const auto& [name, value] : values) batch.push_back({SETTING_DWORD, name, DwordBytes(value)});
    SettingsStore(StoreKey(registryKey)).WriteAll(batch);
}

} // namespace Quill
