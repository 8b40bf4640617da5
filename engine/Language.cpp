#include "engine/Language.h"

#include "engine/AppLog.h"
#include "engine/Config.h"
#include "framework/ini/IniFile.h"

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

void ChooseLanguage() {
    if (!IniGetString("LANGUAGE", "Name", LanguageName)) {
        CopyString(LanguageName, sizeof LanguageName, "ENGLISH");
        IniSetString("LANGUAGE", "Name", LanguageName);
    }
}
