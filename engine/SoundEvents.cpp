#include "engine/SoundEvents.h"

#include "engine/AppLog.h"
#include "engine/Config.h"
#include "engine/RandomInt.h"
#include "framework/sound/DSoundManager.h"
#include "framework/ini/IniFile.h"
#include "framework/app/QuillAppBase.h"
#include "framework/sound/SoundManager.h"
#include "framework/platform/Files.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr size_t LineSize = 256; // script lines hold at most 254 characters and the line end

struct State {
    State() {
        tables.musicVolume = 0.8f;
        tables.sfxVolume = 0.75f;
    }
    SoundEvents tables{};
    std::mutex lock; // the tables, between the loading thread and the main thread
    Quill::SoundManager* testManager = nullptr;
    bool noDeviceLogged = false;
};

State& Current() {
    static State state;
    return state;
}

// Copies at most size - 1 characters and always terminates.
void CopyBounded(char* dest, size_t size, const char* source) {
    size_t n = std::min(std::strlen(source), size - 1);
    std::memcpy(dest, source, n);
    dest[n] = '\0';
}

Quill::SoundManager* Manager() {
    State& s = Current();
    if (s.testManager) return s.testManager;
    Quill::QuillAppBase* app = Quill::QuillAppBase::Get();
    return app ? app->GetSoundManager() : nullptr;
}

// LoadSound with the lock held.
bool LoadSoundLocked(const char* path) {
    SoundEvents& t = Current().tables;
    if (t.soundCount >= SoundEvents::MaxSounds) {
        AppLog("too many sound files", LogWarning);
        return false;
    }
    size_t length = std::strlen(path);
    Quill::SoundManager* manager = Manager();
    if (!manager || !manager->Initialized()) {
        // Every play would try again; the log says it once instead of
        // growing by a line per sound for as long as the game runs.
        State& s = Current();
        if (!s.noDeviceLogged) AppLog("Sound: no audio device, sounds are not played", LogTime);
        s.noDeviceLogged = true;
        return false;
    }
    // A name that does not fit the table could never be found again, and every
    // play would load it anew into another id.
    bool ok = length < SoundEvents::NameSize &&
              manager->LoadSound(t.soundCount, std::string(path, length >= 4 ? length - 4 : 0));
    if (!ok) {
        AppLogf(LogTime, "Loading sound: '%s' ... FAILED", path);
        return false;
    }
    CopyBounded(t.soundNames[t.soundCount], SoundEvents::NameSize, path);
    ++t.soundCount; // only once the name is in place
    AppLogf(LogTime, "Loading sound: '%s' ... OK", path);
    return true;
}

int FindOrLoadLocked(const char* path) {
    SoundEvents& t = Current().tables;
    for (uint32_t i = 0; i < t.soundCount; ++i)
        if (std::strcmp(t.soundNames[i], path) == 0) return static_cast<int>(i);
    return LoadSoundLocked(path) ? static_cast<int>(t.soundCount - 1) : -1;
}

// The section name of a header line: the first run of non-blank characters
// after the '[', without its last character (normally the closing bracket).
// Blanks before the run are passed over, so "[ click]" names "click".
void HeaderName(const char* line, char* name) {
    const char* start = line + 1;
    while (*start != '\0' && std::isspace(static_cast<unsigned char>(*start))) ++start;
    size_t run = 0;
    while (start[run] != '\0' && !std::isspace(static_cast<unsigned char>(start[run]))) ++run;
    if (run > 0) --run;
    run = std::min(run, static_cast<size_t>(SoundEvents::NameSize - 1));
    std::memcpy(name, start, run);
    name[run] = '\0';
}

} // namespace

const SoundEvents& GetSoundEvents() { return Current().tables; }

void ResetSoundEvents() {
    State& s = Current();
    std::lock_guard<std::mutex> guard(s.lock);
    s.tables = SoundEvents{};
    s.tables.musicVolume = 0.8f;
    s.tables.sfxVolume = 0.75f;
    s.testManager = nullptr;
    s.noDeviceLogged = false;
}

void SetSoundEventsManager(Quill::SoundManager* manager) { Current().testManager = manager; }

bool InitSounds() {
    State& s = Current();
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.tables.soundCount = 0;
        s.tables.musicVolume = 0.8f;
        s.tables.sfxVolume = 0.75f;
        IniGetFloat("OPTIONS", "MusicVolume", s.tables.musicVolume);
        IniGetFloat("OPTIONS", "SfxVolume", s.tables.sfxVolume);
    }
    LoadSoundEvents("sound.ini");
    return true;
}

bool LoadSoundEvents(const char* fileName) {
    State& s = Current();
    std::string path = Quill::GetWorkingFolder() + "\\" + (fileName ? fileName : "");
    // Scan the section headers without holding the lock; the table is filled after.
    std::vector<SoundEvent> parsed(SoundEvents::MaxEvents);
    uint32_t count = 0;
    if (std::FILE* f = Quill::OpenFile(path, "r")) {
        char line[LineSize];
        while (std::fgets(line, sizeof line, f)) {
            size_t length = std::strlen(line);
            if (length == LineSize - 1 && line[length - 1] != '\n') {
                // An over-long line is skipped whole rather than read in pieces
                // (a piece could pass for a header).
                int c;
                while ((c = std::fgetc(f)) != EOF && c != '\n') {
                }
                continue;
            }
            if (line[0] != '[') continue;
            if (count == SoundEvents::MaxEvents) {
                AppLog("too many sound events", LogWarning);
                break;
            }
            parsed[count] = SoundEvent{};
            HeaderName(line, parsed[count].name);
            ++count;
        }
        std::fclose(f);
    }
    for (uint32_t i = 0; i < count; ++i) {
        SoundEvent& e = parsed[i];
        std::string volume = Quill::IniReadString(path, e.name, "volume");
        e.volume = volume.empty() ? 1.0f : static_cast<float>(std::strtod(volume.c_str(), nullptr));
        for (int n = 0; n < SoundEvents::MaxFiles; ++n) {
            std::string file = Quill::IniReadString(path, e.name, "file" + std::to_string(n));
            if (file.empty()) break;
            CopyBounded(e.files[e.fileCount], SoundEvents::NameSize, file.c_str());
            ++e.fileCount;
        }
    }
    {
        std::lock_guard<std::mutex> guard(s.lock);
        std::copy(parsed.begin(), parsed.begin() + count, s.tables.events);
        s.tables.eventCount = count;
    }
    AppLogf(LogTime, "Loading sound events script: %d events parsed", static_cast<int>(count));
    return true;
}

void LoadSoundFolder(const char* folder) {
    std::string base = folder ? folder : "";
    for (const char* pattern : {"*.ogg", "*.wav"})
        for (const std::string& name : Quill::FindFiles(base + pattern)) {
            // The sound manager's decoded copies of the Ogg files lie beside
            // them; as sounds of their own they would load every sound twice.
            if (Quill::IsSoundCacheFile(name)) continue;
            LoadSound((base + name).c_str());
        }
}

bool LoadSound(const char* path) {
    if (!path) return false;
    std::lock_guard<std::mutex> guard(Current().lock);
    return LoadSoundLocked(path);
}

int FindOrLoadSound(const char* path) {
    if (!path) return -1;
    std::lock_guard<std::mutex> guard(Current().lock);
    return FindOrLoadLocked(path);
}

int PickEventSound(const char* eventName) {
    State& s = Current();
    const char* name = eventName ? eventName : "";
    std::lock_guard<std::mutex> guard(s.lock);
    const SoundEvent* event = nullptr;
    for (uint32_t i = 0; i < s.tables.eventCount; ++i)
        if (std::strcmp(s.tables.events[i].name, name) == 0) event = &s.tables.events[i];
    if (!event || event->fileCount <= 0) {
        AppLogf(0, "%s%s", "Warning: couldn't find sound event - ", name);
        return -1;
    }
    int j = event->fileCount == 1 ? 0 : RandomInt(0, event->fileCount - 1);
    j = std::clamp(j, 0, event->fileCount - 1);
    int id = FindOrLoadLocked(event->files[j]);
    if (id < 0) return -1;
    if (Quill::SoundManager* manager = Manager()) manager->SetSoundVolume(static_cast<uint32_t>(id), event->volume);
    return id;
}

bool PlaySoundId(int id, int /*reserved*/) {
    State& s = Current();
    {
        std::lock_guard<std::mutex> guard(s.lock);
        if (id < 0 || static_cast<uint32_t>(id) >= s.tables.soundCount) return false;
    }
    if (s.testManager) {
        if (Quill::SoundInstance* instance = s.testManager->AcquireInstance(static_cast<uint32_t>(id)))
            instance->Play(false, true);
    } else if (Quill::QuillAppBase* app = Quill::QuillAppBase::Get()) {
        app->PlaySound(id);
    }
    return true;
}

bool PlaySoundEvent(const char* eventName) { return PlaySoundId(PickEventSound(eventName), 0); }

bool SetMusicVolume(float volume) {
    if (Quill::QuillAppBase* app = Quill::QuillAppBase::Get()) app->SetMusicVolume(volume);
    Current().tables.musicVolume = volume;
    return true;
}

bool SetSfxVolume(float volume) {
    if (Quill::QuillAppBase* app = Quill::QuillAppBase::Get()) app->SetSfxVolume(volume);
    Current().tables.sfxVolume = volume;
    return true;
}

void FreeMusicManager() {
    if (Quill::SoundManager* manager = Manager()) manager->FreeAllSounds();
    AppLog("FreeMusicManager()", 0);
}
