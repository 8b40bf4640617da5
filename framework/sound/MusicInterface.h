#pragma once
// Songs addressed by id, streamed, faded and looped. The base class is the
// silent interface used with noSound: it does nothing, and LoadMusic and
// IsPlaying answer false.
#include <cstdint>
#include <string>

namespace Quill {

class MusicInterface {
public:
    virtual ~MusicInterface() = default;
    virtual bool LoadMusic(int32_t /*songId*/, const std::string& /*fileName*/) { return false; }
    virtual void PlayMusic(int32_t /*songId*/, int32_t /*offset*/ = 0, bool /*noLoop*/ = false) {}
    virtual void StopMusic(int32_t /*songId*/) {}
    virtual void PauseMusic(int32_t /*songId*/) {}
    virtual void ResumeMusic(int32_t /*songId*/) {}
    virtual void StopAllMusic() {}
    virtual void UnloadMusic(int32_t /*songId*/) {}
    virtual void UnloadAllMusic() {}
    virtual void PauseAllMusic() {}
    virtual void ResumeAllMusic() {}
    virtual void FadeIn(int32_t /*songId*/, int32_t /*offset*/ = -1, double /*speed*/ = 0.002, bool /*noLoop*/ = false) {}
    virtual void FadeOut(int32_t /*songId*/, bool /*stopWhenDone*/ = true, double /*speed*/ = 0.004) {}
    virtual void FadeOutAll(bool /*stopWhenDone*/ = true, double /*speed*/ = 0.004) {}
    virtual void SetSongVolume(int32_t /*songId*/, double /*volume*/) {}
    virtual void SetSongVolumeCap(int32_t /*songId*/, double /*volume*/) {}
    virtual bool IsPlaying(int32_t /*songId*/) { return false; }
    virtual void SetVolume(double /*volume*/) {}
    virtual void SetModuleAmplify(int32_t /*songId*/, double /*amplify*/) {}
    // One fade step; called once per fixed update.
    virtual void Update() {}
};

} // namespace Quill
