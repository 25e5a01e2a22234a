#include "backends/sdl_sound.h"

#include <chrono>

#include "resources/resources.h"

namespace pentrill {

namespace {

using Clock = SdlThread::Clock;

// After an alert the device stays open this long, so that a quick second alert
// starts at once. Then the device is closed and SDL audio shut down until the
// next alert: an open device keeps its mixing thread awake even when it plays
// nothing, and some drivers poll for new devices, while a waiting program
// should cost no CPU at all.
constexpr auto kDeviceLinger = std::chrono::seconds(2);
// About 46 ms at 22,050 samples per second: a short delay before the alert is
// heard, and a short wait when the device closes.
constexpr Uint16 kDeviceBufferSamples = 1024;
constexpr auto kDrainCheck = std::chrono::milliseconds(100);

}  // namespace

// SDL audio with the alert loaded and the output device, from an alert until
// the device has lingered after the last one. Used on the SDL thread only.
struct AlertPlayer {
  explicit AlertPlayer(SdlThread& thread) : sdl(thread) {}

  // Starts the alert from its beginning, cutting off one still playing.
  void play(const SdlApi& api, const std::shared_ptr<AlertPlayer>& self) {
    if (!start(api)) return;
    api.ClearQueuedAudio(device);
    api.QueueAudio(device, samples, length);
    api.PauseAudioDevice(device, 0);
    closeAt = Clock::now() + kDeviceLinger;
    if (!closeCheckDue) scheduleCloseCheck(closeAt, self);
  }

  // Shuts audio down once the last alert has played out and lingered.
  void closeWhenIdle(const SdlApi& api, const std::shared_ptr<AlertPlayer>& self) {
    closeCheckDue = false;
    if (device == 0) return;
    if (Clock::now() < closeAt) {
      scheduleCloseCheck(closeAt, self);
    } else if (api.GetQueuedAudioSize(device) != 0) {
      scheduleCloseCheck(Clock::now() + kDrainCheck, self);
    } else {
      stop(api);
    }
  }

  void stop(const SdlApi& api) {
    if (device != 0) api.CloseAudioDevice(device);
    device = 0;
    if (samples) api.FreeWAV(samples);
    samples = nullptr;
    if (initialised) api.QuitSubSystem(SDL_INIT_AUDIO);
    initialised = false;
  }

 private:
  // SDL audio up, the alert loaded and the device open; false (and all of it
  // undone) where any of it fails. The next alert tries again.
  bool start(const SdlApi& api) {
    if (device != 0) return true;
    if (!initialised) {
      if (api.InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
      initialised = true;
    }
    if (!samples) {
      std::span<const unsigned char> wave = alertSoundWave();
      SDL_RWops* source = api.RWFromConstMem(wave.data(), static_cast<int>(wave.size()));
      if (!source || api.LoadWAV_RW(source, 1, &format, &samples, &length) == nullptr) samples = nullptr;
      format.samples = kDeviceBufferSamples;
    }
    if (samples) device = api.OpenAudioDevice(nullptr, 0, &format, nullptr, 0);
    if (device == 0) stop(api);
    return device != 0;
  }

  void scheduleCloseCheck(Clock::time_point when, const std::shared_ptr<AlertPlayer>& self) {
    closeCheckDue = true;
    sdl.postAt(when, [self](const SdlApi& api) { self->closeWhenIdle(api, self); });
  }

  SdlThread& sdl;
  bool initialised = false;
  SDL_AudioSpec format{};
  Uint8* samples = nullptr;
  Uint32 length = 0;
  SDL_AudioDeviceID device = 0;
  Clock::time_point closeAt;
  bool closeCheckDue = false;
};

SdlSound::SdlSound(SdlThread& sdl) : sdl_(sdl), player_(std::make_shared<AlertPlayer>(sdl)) {}

SdlSound::~SdlSound() {
  if (!sdl_.started()) return;  // never loads SDL just to shut it down
  std::shared_ptr<AlertPlayer> player = player_;
  sdl_.post([player](const SdlApi& api) { player->stop(api); });
}

// The alert's lines are drawn first: the sound is set up once they are on
// the terminal.
void SdlSound::playAlert() {
  std::shared_ptr<AlertPlayer> player = player_;
  sdl_.postAfterFrame([player](const SdlApi& api) { player->play(api, player); });
}

}  // namespace pentrill
