// The alert played through SDL2 audio on a thread of its own.
#pragma once
#include <memory>
#include <thread>

#include "screen/sound.h"

namespace pentrill {

struct AlertHandoff;  // shared by playAlert and the sound thread; outlives either

// Nothing happens until the first alert, so start-up stays instant. That
// alert starts the sound thread, which brings up SDL audio and plays; later
// alerts restart the sound on the same thread. Where no device can be opened
// the alert is silent: no fallback sound, no bell, no message.
class SdlSound : public Sound {
 public:
  SdlSound() = default;
  ~SdlSound() override;
  SdlSound(const SdlSound&) = delete;
  SdlSound& operator=(const SdlSound&) = delete;

  void playAlert() override;

 private:
  std::shared_ptr<AlertHandoff> handoff_;
  std::thread thread_;
};

}  // namespace pentrill
