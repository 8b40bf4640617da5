// sound.ini, the sound events script: parsed as at start; every event keeps
// to its tables.
#include "fuzz/FuzzSupport.h"

#include "engine/SoundEvents.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    fuzz::WriteFile("sound.ini", data, size);
    ResetSoundEvents();
    LoadSoundEvents("sound.ini");
    const SoundEvents& events = GetSoundEvents();
    fuzz::Check(events.eventCount <= 100, "event count");
    for (uint32_t i = 0; i < events.eventCount; ++i) {
        const SoundEvent& e = events.events[i];
        fuzz::Check(std::memchr(e.name, 0, sizeof e.name) != nullptr, "event name terminated");
        fuzz::Check(e.fileCount >= 0 && e.fileCount <= 10, "file count");
        for (int j = 0; j < e.fileCount; ++j)
            fuzz::Check(std::memchr(e.files[j], 0, sizeof e.files[j]) != nullptr, "file name terminated");
    }
    return 0;
}
