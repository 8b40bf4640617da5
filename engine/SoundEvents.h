#pragma once
// Sound events: the game never names a sound file, it names an event
// ("place_shape", "level_complete", ...). The script sound.ini maps each event
// to up to ten candidate files and a volume; playing an event picks one of the
// files at random, loads it on first use and plays it once through the
// framework's sound manager. The module also keeps the list of loaded sounds
// (a sound's id is its load-order index, stable for the run), the music and
// effects volumes, and loads the whole sound folder at start.
//
// One process-wide instance. The loading thread runs InitSounds and
// LoadSoundFolder while the main thread may already play menu sounds, so the
// tables are guarded by one lock; after loading only the main thread uses them.
#include <cstdint>

namespace Quill {
class SoundManager;
}

struct SoundEvent {
    char name[60];       // event name (the section name in the script)
    char files[10][60];  // candidate sound file paths, valid for j < fileCount
    int32_t fileCount;   // 0 to 10
    float volume;        // the event's volume, 1.0 when the script gives none
};

struct SoundEvents {
    static constexpr uint32_t MaxEvents = 100;
    static constexpr uint32_t MaxSounds = 100;
    static constexpr int32_t MaxFiles = 10;
    static constexpr uint32_t NameSize = 60;

    SoundEvent events[MaxEvents];
    uint32_t eventCount;
    char soundNames[MaxSounds][NameSize];  // the path each loaded sound was registered under
    uint32_t soundCount;                   // the id of a sound is its index
    float musicVolume;
    float sfxVolume;
};

// The process-wide tables (read-only view for callers).
const SoundEvents& GetSoundEvents();
// Back to the starting state (empty tables, default volumes, no test manager).
void ResetSoundEvents();
// Points the module at a sound manager of the caller's (tests); null returns to
// the application's sound manager. A manager set here also plays the sounds
// directly instead of going through the application.
void SetSoundEventsManager(Quill::SoundManager* manager);

// Volumes from config.ini, then the script "sound.ini". Always true.
bool InitSounds();
// Parses the script in the working folder (file name relative to it).
bool LoadSoundEvents(const char* fileName);
// Loads every "*.ogg" file of the folder, then every "*.wav" file.
void LoadSoundFolder(const char* folder);
// Registers one sound (path with extension) under the next id.
bool LoadSound(const char* path);
// The id of the sound registered under path, loading it when needed; -1 on failure.
int FindOrLoadSound(const char* path);
// The sound id to play for an event (one of its files at random); -1 when none.
int PickEventSound(const char* eventName);
// Plays sound id once (auto-released); false for ids that were never loaded.
bool PlaySoundId(int id, int reserved = 0);
// PlaySoundId(PickEventSound(eventName), 0).
bool PlaySoundEvent(const char* eventName);
// Hands v (0..1) to the application's music or effects volume and keeps it.
bool SetMusicVolume(float volume);
bool SetSfxVolume(float volume);
// Releases every sound the framework holds (at shutdown); the tables stay.
void FreeMusicManager();
