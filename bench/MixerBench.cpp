// The mixer's cost as a share of real time on one core: 32 sounds playing at
// once (mono and stereo, resampled, panned, pitched) plus one music stream,
// mixed in the device's 1024-frame blocks. The baseline, measured in the same
// run, is the time audio of that length lasts; a second line gives the cost of
// decoding the music ahead (the decode thread's work) when an Ogg file is at
// hand: the first argument, or the game's own theme.
#include "framework/sound/BassMusicInterface.h"
#include "framework/sound/DSoundManager.h"
#include "framework/sound/Mixer.h"
#include "framework/platform/Files.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

using namespace Quill;

namespace {

using Clock = std::chrono::steady_clock;

std::vector<uint8_t> WavImage(int channels, int rate, int frames, double hertz) {
    std::vector<uint8_t> b;
    auto put16 = [&](uint32_t v) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto put32 = [&](uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    auto tag = [&](const char* t) { b.insert(b.end(), t, t + 4); };
    uint32_t dataSize = static_cast<uint32_t>(frames * channels * 2);
    tag("RIFF");
    put32(dataSize + 36);
    tag("WAVE");
    tag("fmt ");
    put32(16);
    put16(1);
    put16(static_cast<uint32_t>(channels));
    put32(static_cast<uint32_t>(rate));
    put32(static_cast<uint32_t>(rate * channels * 2));
    put16(static_cast<uint32_t>(channels * 2));
    put16(16);
    tag("data");
    put32(dataSize);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            put16(static_cast<uint16_t>(static_cast<int16_t>(8000 * std::sin(2 * M_PI * hertz * i / rate))));
    return b;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

} // namespace

int main(int argc, char** argv) {
    char folderPattern[] = "/tmp/velmora-mixerbench-XXXXXX";
    char* folder = mkdtemp(folderPattern);
    if (!folder) return 1;
    std::string dir = folder;
    for (int i = 0; i < 4; ++i) {
        std::vector<uint8_t> image = WavImage(1 + i % 2, i % 2 ? 44100 : 22050, 30000 + 7000 * i, 200.0 + 100 * i);
        WriteFileAtomic(dir + "/s" + std::to_string(i) + ".wav", image.data(), image.size());
    }
    std::vector<uint8_t> song = WavImage(2, 44100, 44100 * 3, 330);
    WriteFileAtomic(dir + "/song.wav", song.data(), song.size());

    auto mixer = std::make_shared<Mixer>();
    DSoundManager sounds(mixer);
    BassMusicInterface music(mixer, false);
    for (uint32_t i = 0; i < 4; ++i) sounds.LoadSound(i, dir + "/s" + std::to_string(i));
    for (uint32_t c = 0; c < 32; ++c) {
        SoundInstance* instance = sounds.AcquireInstance(c % 4);
        if (!instance) return 1;
        instance->SetPan(static_cast<int32_t>(c * 600) - 9000);
        instance->SetVolume(0.3 + 0.02 * c);
        instance->AdjustPitch((static_cast<int>(c) % 7) - 3);
        instance->Play(true, false);
    }
    music.LoadMusic(0, dir + "/song.wav");
    music.PlayMusic(0, 0, false);

    const int block = 1024;
    const int blocks = 44100 * 20 / block; // twenty seconds of audio
    std::vector<int16_t> out(2 * block);
    Clock::duration mixing{};
    for (int b = 0; b < blocks; ++b) {
        music.Update(); // decodes ahead (not timed here: the decode thread's share is below)
        auto start = Clock::now();
        mixer->Render(out.data(), block);
        mixing += Clock::now() - start;
    }
    double audio = static_cast<double>(blocks) * block / 44100.0;
    std::printf("mixer: 32 channels + music, %.1f s of audio mixed in %.4f s: %.3f %% of real time\n", audio,
                Seconds(mixing), 100.0 * Seconds(mixing) / audio);

    std::string ogg = argc > 1 ? argv[1] : GetProgramFolder() + "/../game/Music/theme1.ogg";
    PcmSound decoded;
    auto start = Clock::now();
    if (ReadOgg(ogg, decoded) && decoded.sampleRate > 0) {
        double seconds = Seconds(Clock::now() - start);
        double length = static_cast<double>(decoded.Frames()) / decoded.sampleRate;
        std::printf("music decode: %.1f s of %s in %.4f s: %.3f %% of real time\n", length, ogg.c_str(), seconds,
                    100.0 * seconds / length);
    } else {
        std::printf("music decode: no Ogg file at %s\n", ogg.c_str());
    }
    for (const char* name : {"s0.wav", "s1.wav", "s2.wav", "s3.wav", "song.wav"}) std::remove((dir + "/" + name).c_str());
    rmdir(folder);
    return 0;
}
