#include "screen/platform/sdl_sound.h"

#include <SDL.h>
#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <system_error>

#include "resources/resources.h"

namespace pentrill {

struct AlertHandoff {
  std::mutex mutex;
  std::condition_variable wake;      // to the sound thread: an alert or the stop
  std::condition_variable finished;  // from the sound thread: it is about to end
  bool alertPending = false;
  bool stopping = false;
  bool done = false;
};

namespace {

using Clock = std::chrono::steady_clock;

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
// How long the destructor waits for SDL to shut down before letting the
// thread finish on its own.
constexpr auto kShutdownWait = std::chrono::seconds(2);

void discardLogMessage(void*, int, SDL_LogPriority, const char*) {}

// The program's signals (Ctrl-C, terminal resize, hang-up) belong to the main
// thread; SDL's own threads inherit this mask.
void blockAsynchronousSignals() {
  sigset_t signals;
  sigfillset(&signals);
  for (int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP}) sigdelset(&signals, fault);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

// SDL audio with the alert loaded, and the output device while it is open;
// it lives for one burst of alerts.
class AudioOutput {
 public:
  AudioOutput() {
    SDL_LogSetOutputFunction(discardLogMessage, nullptr);
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Pentrill");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
    initialised_ = true;
    std::span<const unsigned char> wave = alertSoundWave();
    SDL_RWops* source = SDL_RWFromConstMem(wave.data(), static_cast<int>(wave.size()));
    if (source && SDL_LoadWAV_RW(source, 1, &format_, &samples_, &length_) == nullptr) samples_ = nullptr;
    format_.samples = kDeviceBufferSamples;
  }

  ~AudioOutput() {
    closeDevice();
    if (samples_) SDL_FreeWAV(samples_);
    if (initialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  AudioOutput(const AudioOutput&) = delete;
  AudioOutput& operator=(const AudioOutput&) = delete;

  bool ready() const { return samples_ != nullptr; }

  // Starts the alert from its beginning, cutting off one still playing. Where
  // no device opens, nothing plays; the next alert tries again.
  void play() {
    if (device_ == 0) device_ = SDL_OpenAudioDevice(nullptr, 0, &format_, nullptr, 0);
    if (device_ == 0) return;
    SDL_ClearQueuedAudio(device_);
    SDL_QueueAudio(device_, samples_, length_);
    SDL_PauseAudioDevice(device_, 0);
  }

  bool isOpen() const { return device_ != 0; }
  bool drained() const { return device_ == 0 || SDL_GetQueuedAudioSize(device_) == 0; }

  void closeDevice() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    device_ = 0;
  }

 private:
  bool initialised_ = false;
  SDL_AudioSpec format_{};
  Uint8* samples_ = nullptr;
  Uint32 length_ = 0;
  SDL_AudioDeviceID device_ = 0;
};

// One burst of alerts: plays each alert handed over until the last one has
// played out and the device has lingered, or until told to stop. Called and
// returns with the lock held.
void playBurst(std::unique_lock<std::mutex>& lock, AlertHandoff& handoff, AudioOutput& output);
void soundThread(std::shared_ptr<AlertHandoff> handoff);

}  // namespace

void SdlSound::playAlert() {
  if (!handoff_) {
    handoff_ = std::make_shared<AlertHandoff>();
    handoff_->alertPending = true;
    try {
      thread_ = std::thread(soundThread, handoff_);
    } catch (const std::system_error&) {
      // No thread, no sound; the program goes on.
    }
    return;
  }
  {
    std::lock_guard lock(handoff_->mutex);
    handoff_->alertPending = true;
  }
  handoff_->wake.notify_one();
}

SdlSound::~SdlSound() {
  if (!thread_.joinable()) return;
  std::unique_lock lock(handoff_->mutex);
  handoff_->stopping = true;
  handoff_->wake.notify_one();
  bool ended = handoff_->finished.wait_for(lock, kShutdownWait, [this] { return handoff_->done; });
  lock.unlock();
  // A sound system that hangs must not hang the program's exit; the thread
  // keeps its own reference to the handoff.
  if (ended)
    thread_.join();
  else
    thread_.detach();
}

namespace {

void playBurst(std::unique_lock<std::mutex>& lock, AlertHandoff& handoff, AudioOutput& output) {
  Clock::time_point closeAt;
  while (!handoff.stopping) {
    if (handoff.alertPending) {
      handoff.alertPending = false;
      lock.unlock();
      output.play();
      lock.lock();
      if (!output.isOpen()) return;  // no device: nothing to wait for
      closeAt = Clock::now() + kDeviceLinger;
    } else if (handoff.wake.wait_until(lock, closeAt) == std::cv_status::timeout &&
               !handoff.alertPending && !handoff.stopping) {
      lock.unlock();
      bool finished = output.drained();
      lock.lock();
      if (finished) return;
      closeAt = Clock::now() + kDrainCheck;
    }
  }
}

void soundThread(std::shared_ptr<AlertHandoff> handoff) {
  blockAsynchronousSignals();
  std::unique_lock lock(handoff->mutex);
  while (!handoff->stopping) {
    if (!handoff->alertPending) {
      handoff->wake.wait(lock);
      continue;
    }
    lock.unlock();
    {
      AudioOutput output;
      lock.lock();
      if (output.ready())
        playBurst(lock, *handoff, output);
      else
        handoff->alertPending = false;  // no sound system: the alert is silent
      lock.unlock();
    }
    lock.lock();
  }
  handoff->done = true;
  handoff->finished.notify_all();
}

}  // namespace

}  // namespace pentrill
