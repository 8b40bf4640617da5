#include "framework/sound/BassMusicInterface.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace Quill {

namespace {
// Fades add a step per update; the sum of 500 steps of 0.002 can land a hair
// below 1.0, so a volume this close to the cap counts as having reached it.
constexpr double FadeEpsilon = 1e-9;

int32_t Percent(double volume) {
    if (!(volume > 0.0)) return 0;
    return static_cast<int32_t>(std::min(volume, 1.0) * 100.0);
}
} // namespace

BassMusicInterface::BassMusicInterface(std::shared_ptr<Mixer> mixer_, bool decodeThread) : mixer(std::move(mixer_)) {
    if (decodeThread) decoder = std::thread([this] { DecodeLoop(); });
}

BassMusicInterface::~BassMusicInterface() {
    if (decoder.joinable()) {
        {
            std::lock_guard<std::mutex> guard(wakeLock);
            stopping = true;
        }
        wake.notify_all();
        decoder.join();
    }
    UnloadAllMusic();
}

void BassMusicInterface::DecodeLoop() {
    std::unique_lock<std::mutex> guard(wakeLock);
    while (!stopping) {
        guard.unlock();
        Pump();
        guard.lock();
        wake.wait_for(guard, std::chrono::milliseconds(5), [this] { return stopping; });
    }
}

void BassMusicInterface::Pump() {
    std::lock_guard<std::mutex> guard(songLock);
    for (auto& entry : songs) entry.second.stream->Fill();
}

BassMusicInterface::Song* BassMusicInterface::Find(int32_t songId) {
    auto it = songs.find(songId);
    return it == songs.end() ? nullptr : &it->second;
}

void BassMusicInterface::ApplyVolume(Song& song) {
    song.stream->SetGain(static_cast<float>(Percent(song.volume) * globalPercent) / 10000.0f);
}

bool BassMusicInterface::LoadMusic(int32_t songId, const std::string& fileName) {
    std::unique_ptr<MusicStream> stream = MusicStream::Open(fileName);
    if (!stream) return false;
    std::lock_guard<std::mutex> guard(songLock);
    if (Song* old = Find(songId)) {
        mixer->DetachMusic(old->stream.get());
        songs.erase(songId);
    }
    if (!mixer->AttachMusic(stream.get())) return false;
    Song& song = songs[songId];
    song.stream = std::move(stream);
    ApplyVolume(song);
    return true;
}

void BassMusicInterface::PlayMusic(int32_t songId, int32_t offset, bool noLoop) {
    std::lock_guard<std::mutex> guard(songLock);
    Song* song = Find(songId);
    if (!song) return;
    song->volume = song->cap;
    song->step = 0.0;
    song->stopWhenFaded = noLoop;
    ApplyVolume(*song);
    song->stream->Stop();
    // Any offset other than -1 plays from the start (positions are not kept).
    song->stream->Start(offset != -1, !noLoop);
}

void BassMusicInterface::StopMusic(int32_t songId) {
    std::lock_guard<std::mutex> guard(songLock);
    if (Song* song = Find(songId)) {
        song->volume = 0.0;
        ApplyVolume(*song);
        song->stream->Stop();
    }
}

void BassMusicInterface::PauseMusic(int32_t songId) {
    std::lock_guard<std::mutex> guard(songLock);
    if (Song* song = Find(songId)) song->stream->SetPaused(true);
}

void BassMusicInterface::ResumeMusic(int32_t songId) {
    std::lock_guard<std::mutex> guard(songLock);
    if (Song* song = Find(songId)) song->stream->SetPaused(false);
}

void BassMusicInterface::StopAllMusic() {
    std::lock_guard<std::mutex> guard(songLock);
    for (auto& entry : songs) {
        entry.second.volume = 0.0;
        ApplyVolume(entry.second);
        entry.second.stream->Stop();
    }
}

void BassMusicInterface::UnloadMusic(int32_t songId) {
    std::lock_guard<std::mutex> guard(songLock);
    if (Song* song = Find(songId)) {
        mixer->DetachMusic(song->stream.get());
        songs.erase(songId);
    }
}

void BassMusicInterface::UnloadAllMusic() {
    std::lock_guard<std::mutex> guard(songLock);
    for (auto& entry : songs) mixer->DetachMusic(entry.second.stream.get());
    songs.clear();
}

void BassMusicInterface::PauseAllMusic() {
    std::lock_guard<std::mutex> guard(songLock);
    for (auto& entry : songs) entry.second.stream->SetPaused(true);
}

void BassMusicInterface::ResumeAllMusic() {
    std::lock_guard<std::mutex> guard(songLock);
    for (auto& entry : songs) entry.second.stream->SetPaused(false);
}

void BassMusicInterface::FadeIn(int32_t songId, int32_t offset, double speed, bool noLoop) {
    std::lock_guard<std::mutex> guard(songLock);
    Song* song = Find(songId);
    if (!song) return;
    song->step = speed;
    song->stopWhenFaded = noLoop;
    song->stream->Stop();
    ApplyVolume(*song);
    song->stream->Start(offset != -1, !noLoop);
}

void BassMusicInterface::FadeOutLocked(Song& song, bool stopWhenDone, double speed) {
    if (song.volume == 0.0) return;
    song.step = -speed;
    song.stopWhenFaded = stopWhenDone;
}

void BassMusicInterface::FadeOut(int32_t songId, bool stopWhenDone, double speed) {
    std::lock_guard<std::mutex> guard(songLock);
    if (Song* song = Find(songId)) FadeOutLocked(*song, stopWhenDone, speed);
}

void BassMusicInterface::FadeOutAll(bool stopWhenDone, double speed) {
    std::lock_guard<std::mutex> guard(songLock);
    for (auto& entry : songs) FadeOutLocked(entry.second, stopWhenDone, speed);
}

void BassMusicInterface::SetSongVolume(int32_t songId, double volume) {
    std::lock_guard<std::mutex> guard(songLock);
    if (Song* song = Find(songId)) {
        song->volume = volume;
        ApplyVolume(*song);
    }
}

void BassMusicInterface::SetSongVolumeCap(int32_t songId, double volume) {
    std::lock_guard<std::mutex> guard(songLock);
    if (Song* song = Find(songId)) {
        song->cap = volume;
        song->volume = std::min(song->volume, volume);
        ApplyVolume(*song);
    }
}

bool BassMusicInterface::IsPlaying(int32_t songId) {
    std::lock_guard<std::mutex> guard(songLock);
    Song* song = Find(songId);
    return song && song->stream->IsActive();
}

void BassMusicInterface::SetVolume(double volume) {
    std::lock_guard<std::mutex> guard(songLock);
    globalPercent = Percent(volume);
    for (auto& entry : songs) ApplyVolume(entry.second);
}

// Our streams have no module amplification.
void BassMusicInterface::SetModuleAmplify(int32_t, double) {}

void BassMusicInterface::Update() {
    {
        std::lock_guard<std::mutex> guard(songLock);
        for (auto& entry : songs) {
            Song& song = entry.second;
            if (song.step == 0.0) continue;
            song.volume += song.step;
            if (song.volume > song.cap - FadeEpsilon && song.step > 0.0) {
                song.volume = song.cap;
                song.step = 0.0;
            } else if (song.volume < FadeEpsilon && song.step < 0.0) {
                song.volume = 0.0;
                song.step = 0.0;
                if (song.stopWhenFaded) song.stream->Stop();
            }
            ApplyVolume(song);
        }
    }
    if (!decoder.joinable()) Pump();
}

double BassMusicInterface::GetSongVolume(int32_t songId) {
    std::lock_guard<std::mutex> guard(songLock);
    Song* song = Find(songId);
    return song ? song->volume : -1.0;
}

double BassMusicInterface::GetSongStep(int32_t songId) {
    std::lock_guard<std::mutex> guard(songLock);
    Song* song = Find(songId);
    return song ? song->step : 0.0;
}

float BassMusicInterface::GetChannelGain(int32_t songId) {
    std::lock_guard<std::mutex> guard(songLock);
    Song* song = Find(songId);
    return song ? song->stream->Gain() : 0.0f;
}

} // namespace Quill
