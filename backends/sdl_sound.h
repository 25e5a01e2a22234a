// The alert played through SDL2 audio, on the program's SDL thread.
#pragma once
#include <memory>

#include "backends/sdl_thread.h"
#include "platform/sound.h"

namespace pentrill {

struct AlertPlayer;  // lives on the SDL thread

// Nothing happens until the first alert, so start-up stays instant. Each
// alert is handed to the SDL thread, which brings up SDL audio and plays it,
// cutting off an alert still playing. Where no device can be opened the alert
// is silent: no fallback sound, no bell, no message.
class SdlSound : public Sound {
 public:
  explicit SdlSound(SdlThread& sdl);
  ~SdlSound() override;
  SdlSound(const SdlSound&) = delete;
  SdlSound& operator=(const SdlSound&) = delete;

  void playAlert() override;

 private:
  SdlThread& sdl_;
  std::shared_ptr<AlertPlayer> player_;
};

}  // namespace pentrill
