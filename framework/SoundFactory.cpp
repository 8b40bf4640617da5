#include "framework/MusicInterface.h"
#include "framework/SoundManager.h"

namespace Quill {

// Silent stand-ins until the mixer exists.
std::unique_ptr<SoundManager> CreateSoundManager(bool) { return std::make_unique<SoundManager>(); }
std::unique_ptr<MusicInterface> CreateMusicInterface(bool) { return std::make_unique<MusicInterface>(); }

} // namespace Quill
