#pragma once
// Every text the player sees comes from language.ini, one section per
// language. The result buffer is per thread: a lookup on the loading thread
// never overwrites a text the main thread is still reading.

// The current language section (at most 255 characters).
extern char LanguageName[256];
// The value of `key` in the current language, or "" when absent. The buffer
// is overwritten by this thread's next call.
const char* GetLanguageString(const char* key);
// The language spoken when the chosen one is missing.
constexpr const char* kFallbackLanguage = "ENGLISH";
// The language choice at start: "LANGUAGE"/"Name" of config.ini into
// LanguageName; when absent or empty (a first start), the language of the
// player's locale, which is also written back. A name language.ini holds no
// section for (no "Velmora" title in it) gives "ENGLISH", config.ini
// untouched, and false so that the caller can warn.
bool ChooseLanguage();
// The language of a locale: the first set one of LC_ALL, LC_MESSAGES and
// LANG decides, as for any program; "GERMAN" for German ("de", "de_AT.UTF-8"),
// else "ENGLISH".
const char* LanguageForLocale(const char* lcAll, const char* lcMessages, const char* lang);
// The options screen's choice: the next language language.ini holds becomes
// the current one and the player's setting.
void NextLanguage();
