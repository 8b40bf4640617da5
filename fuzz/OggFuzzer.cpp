// Ogg Vorbis files as the game meets them: decoded whole as a sound effect,
// and streamed as music, started, looped at its end and restarted, as the
// first fade-in and every loop do.
#include "fuzz/FuzzSupport.h"

#include "framework/sound/MusicStream.h"
#include "framework/sound/SoundReaders.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Init();
    fuzz::WriteFile("Sound\\fuzz.ogg", data, size);
    Quill::PcmSound sound;
    if (Quill::ReadOgg("Sound\\fuzz.ogg", sound))
        fuzz::Check(sound.bitsPerSample == 16 && sound.data.size() % sound.BlockAlign() == 0, "whole frames");

    std::unique_ptr<Quill::MusicStream> music = Quill::MusicStream::Open("Sound\\fuzz.ogg");
    if (!music) return 0;
    std::vector<float> mix(2 * 4096);
    // Enough rounds of decoding and playing to pass the end of a short song
    // and loop; then a restart from the top, as a new fade-in does.
    for (int restart = 0; restart < 2; ++restart) {
        music->Start(true, true);
        music->SetGain(1.0f);
        for (int round = 0; round < 24 && music->IsActive(); ++round) {
            music->Fill();
            music->MixInto(mix.data(), 4096);
        }
    }
    music->Stop();
    return 0;
}
