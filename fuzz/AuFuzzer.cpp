// Sun audio files through the sound reader.
#include "fuzz/FuzzSupport.h"

#include "framework/sound/SoundReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    fuzz::WriteFile("Sound\\fuzz.au", data, size);
    Quill::PcmSound sound;
    if (!Quill::ReadAu("Sound\\fuzz.au", sound)) return 0;
    fuzz::Check(Quill::IsPlayableFormat(sound.channels, sound.sampleRate, sound.bitsPerSample), "playable format");
    fuzz::Check(sound.data.size() % sound.BlockAlign() == 0, "whole frames");
    return 0;
}
