#pragma once
// The music interface over our mixer's music streams. Songs are addressed by
// id; each loaded song is a stream (Ogg Vorbis or WAV) with a volume, a fade
// step per update and a volume cap. Update runs once per 10 ms fixed update and
// moves every fading song one step: a fade-in stops at the cap, a fade-out at
// silence, stopping the song when asked to. The channel plays at
// trunc(volume x 100) percent of the global music volume, itself whole percent.
//
// With a decode thread the streams are decoded ahead in the background; without
// one (tests) Update tops them up itself, so a test drives everything from one
// thread: Update, then render the mixer.
#include "framework/sound/Mixer.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/MusicStream.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace Quill {

class BassMusicInterface : public MusicInterface {
public:
    BassMusicInterface(std::shared_ptr<Mixer> mixer, bool decodeThread);
    ~BassMusicInterface() override;

    // ".ogg" and ".wav" play as streams; other kinds are not supported here.
    bool LoadMusic(int32_t songId, const std::string& fileName) override;
    void PlayMusic(int32_t songId, int32_t offset = 0, bool noLoop = false) override;
    void StopMusic(int32_t songId) override;
    void PauseMusic(int32_t songId) override;
    void ResumeMusic(int32_t songId) override;
    void StopAllMusic() override;
    void UnloadMusic(int32_t songId) override;
    void UnloadAllMusic() override;
    void PauseAllMusic() override;
    void ResumeAllMusic() override;
    void FadeIn(int32_t songId, int32_t offset = -1, double speed = 0.002, bool noLoop = false) override;
    void FadeOut(int32_t songId, bool stopWhenDone = true, double speed = 0.004) override;
    void FadeOutAll(bool stopWhenDone = true, double speed = 0.004) override;
    void SetSongVolume(int32_t songId, double volume) override;
    void SetSongVolumeCap(int32_t songId, double volume) override;
    bool IsPlaying(int32_t songId) override;
    void SetVolume(double volume) override;
    void SetModuleAmplify(int32_t songId, double amplify) override;
    void Update() override;

    // Decodes ahead for every song (the decode thread's work).
    void Pump();
    // The song's volume and fade step (-1 and 0 for an unknown song).
    double GetSongVolume(int32_t songId);
    double GetSongStep(int32_t songId);
    // The gain the song's channel plays at (0 for an unknown song).
    float GetChannelGain(int32_t songId);

private:
    struct Song {
        std::unique_ptr<MusicStream> stream;
        double volume = 0.0;
        double step = 0.0;
        double cap = 1.0;
        bool stopWhenFaded = false;
    };
    Song* Find(int32_t songId);
    void ApplyVolume(Song& song);
    void FadeOutLocked(Song& song, bool stopWhenDone, double speed);
    void DecodeLoop();

    std::shared_ptr<Mixer> mixer;
    std::mutex songLock; // the song map, against the decode thread
    std::map<int32_t, Song> songs;
    int32_t globalPercent = 100;
    std::thread decoder;
    std::mutex wakeLock;
    std::condition_variable wake;
    bool stopping = false;
};

} // namespace Quill
