#include "engine/Config.h"

#include "engine/PlayerFolder.h"
#include "framework/ini/IniFile.h"
#include "framework/platform/Files.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const char* const kConfigFile = "config.ini";

// The leading number of the value, strtod style; false when the value is
// absent or empty (the caller's preset stands).
bool ReadNumber(const char* section, const char* key, double& number) {
    char text[256];
    if (!IniGetString(section, key, text)) return false;
    number = std::strtod(text, nullptr);
    if (std::isnan(number)) number = 0.0;
    return true;
}

} // namespace

std::string WorkingFilePath(const char* name) {
    std::string folder = Quill::GetWorkingFolder();
    const char* file = name ? name : "";
    // The whole folder, however long: a cut path would name another folder.
    int length = std::snprintf(nullptr, 0, "%s%s%s", folder.c_str(), "\\", file);
    if (length < 0) return Quill::NativePath(file);
    std::vector<char> path(static_cast<size_t>(length) + 1);
    std::snprintf(path.data(), path.size(), "%s%s%s", folder.c_str(), "\\", file);
    return Quill::NativePath(path.data());
}

bool IniGetString(const char* section, const char* key, char* out) {
    if (!out) return false;
    out[0] = '\0';
    if (!section || !key) return false;
    std::string value = Quill::IniReadString(PlayerFilePath(kConfigFile), section, key);
    // A key the player never set comes from the game's shipped config.ini.
    if (value.empty() && PlayerFolder() != GameDataFolder())
        value = Quill::IniReadString(Quill::NativePath(GameDataFolder() + "\\" + kConfigFile), section, key);
    CopyString(out, 256, value.c_str());
    return out[0] != '\0';
}

namespace {
bool playerFilesHeld = false;
} // namespace

void HoldPlayerFiles(bool hold) { playerFilesHeld = hold; }
bool PlayerFilesHeld() { return playerFilesHeld; }

void IniSetString(const char* section, const char* key, const char* value) {
    if (!section || !key || !value || playerFilesHeld) return;
    Quill::IniWriteString(PlayerFilePath(kConfigFile), section, key, value);
}

void IniGetFloat(const char* section, const char* key, float& out) {
    double number;
    if (!ReadNumber(section, key, number)) return;
    if (number > FLT_MAX) number = FLT_MAX;
    if (number < -FLT_MAX) number = -FLT_MAX;
    out = static_cast<float>(number);
}

void IniGetInt(const char* section, const char* key, int& out) {
    double number;
    if (!ReadNumber(section, key, number)) return;
    if (number >= 2147483647.0) out = INT_MAX;
    else if (number <= -2147483648.0) out = INT_MIN;
    else out = static_cast<int>(number);
}

void IniSetInt(const char* section, const char* key, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    IniSetString(section, key, text);
}

bool IniGetStruct(const char* section, const char* key, void* block, size_t size, const char* fileName) {
    if (!section || !key || !fileName) return false;
    return Quill::IniReadStruct(PlayerFileToRead(fileName), section, key, block, size);
}

bool IniSetStruct(const char* section, const char* key, const void* block, size_t size, const char* fileName) {
    if (!section || !key || !fileName || playerFilesHeld) return false;
    return Quill::IniWriteStruct(PlayerFilePath(fileName), section, key, block, size);
}

bool CopyString(char* dest, const char* source) {
    if (!source || !dest) return false;
    std::strcpy(dest, source);
    return true;
}

bool CopyString(char* dest, size_t destSize, const char* source) {
    if (!source || !dest || destSize == 0) return false;
    size_t length = std::strlen(source);
    if (length >= destSize) length = destSize - 1;
    std::memcpy(dest, source, length);
    dest[length] = '\0';
    return true;
}
