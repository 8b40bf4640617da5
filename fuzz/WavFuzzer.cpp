// WAV files through the sound reader. A sound that loads is written as our
// decoded-sound cache file and must read back the same.
#include "fuzz/FuzzSupport.h"

#include "framework/platform/Files.h"
#include "framework/sound/SoundReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    fuzz::WriteFile("Sound\\fuzz.wav", data, size);
    Quill::PcmSound sound;
    if (Quill::ReadWav("Sound\\fuzz.wav", sound) != Quill::WavResult::Ok) return 0;
    fuzz::Check(Quill::IsPlayableFormat(sound.channels, sound.sampleRate, sound.bitsPerSample), "playable format");
    fuzz::Check(sound.data.size() % sound.BlockAlign() == 0, "whole frames");
    std::vector<uint8_t> cache =
        Quill::BuildCacheWav(sound, "Sound\\fuzz.wav", Quill::LastWriteTime("Sound\\fuzz.wav"));
    Quill::PcmSound back;
    fuzz::Check(Quill::ParseWav(cache.data(), cache.size(), back) == Quill::WavResult::Ok, "cache file reads");
    fuzz::Check(back.channels == sound.channels && back.sampleRate == sound.sampleRate &&
                    back.bitsPerSample == sound.bitsPerSample && back.data == sound.data,
                "cache file reads back the same sound");
    return 0;
}
