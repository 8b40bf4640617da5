#include "engine/Language.h"

#include "engine/AppLog.h"
#include "engine/Config.h"
#include "framework/ini/IniFile.h"

#include <cstdlib>
#include <cstring>

char LanguageName[256];

const char* GetLanguageString(const char* key) {
    // One buffer per thread: the loading thread looks texts up while the
    // main thread is still drawing with the text it got a moment ago.
    thread_local char result[256];
    std::string path = WorkingFilePath("language.ini");
    if (LanguageName[0] == '\0') AppLog("Warning: language not defined in 'config.ini'", LogTime);
    result[0] = '\0';
    if (!key) return result;
    // The name is set once at start; a copy keeps a bounded C string even if
    // someone filled the array to the brim.
    char section[256];
    CopyString(section, sizeof section, LanguageName);
    std::string value = Quill::IniReadString(path, section, key);
    CopyString(result, sizeof result, value.c_str());
    return result;
}

namespace {

// The languages the game ships, in the order the options screen offers them.
const char* const kLanguages[] = {"ENGLISH", "GERMAN"};

} // namespace

const char* LanguageForLocale(const char* lcAll, const char* lcMessages, const char* lang) {
    const char* locale = "";
    for (const char* value : {lcAll, lcMessages, lang})
        if (value && value[0]) {
            locale = value;
            break;
        }
    const bool german = locale[0] == 'd' && locale[1] == 'e' && (locale[2] == '\0' || locale[2] == '_' ||
                                                                  locale[2] == '.' || locale[2] == '@');
    return german ? "GERMAN" : "ENGLISH";
}

bool ChooseLanguage() {
    if (!IniGetString("LANGUAGE", "Name", LanguageName)) {
        const char* chosen =
            LanguageForLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
        CopyString(LanguageName, sizeof LanguageName, chosen);
        IniSetString("LANGUAGE", "Name", LanguageName);
        return true;
    }
    if (std::strcmp(LanguageName, kFallbackLanguage) == 0) return true;
    // Every language carries the game's title; a section without it is no
    // language the game can speak, and every text would come out blank. The
    // player's setting stays as it is, for a language.ini that has it later.
    const std::string path = WorkingFilePath("language.ini");
    if (!Quill::IniReadString(path, LanguageName, "Velmora").empty()) return true;
    CopyString(LanguageName, sizeof LanguageName, kFallbackLanguage);
    return false;
}

void NextLanguage() {
    const std::string path = WorkingFilePath("language.ini");
    const size_t count = sizeof kLanguages / sizeof kLanguages[0];
    size_t current = count - 1;
    for (size_t i = 0; i < count; ++i)
        if (std::strcmp(LanguageName, kLanguages[i]) == 0) current = i;
    // The next language that language.ini really holds (it has a title).
    for (size_t step = 1; step <= count; ++step) {
        const char* next = kLanguages[(current + step) % count];
        if (Quill::IniReadString(path, next, "Velmora").empty()) continue;
        CopyString(LanguageName, sizeof LanguageName, next);
        IniSetString("LANGUAGE", "Name", LanguageName);
        return;
    }
}
