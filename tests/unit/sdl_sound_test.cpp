#include "backends/sdl_sound.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "resources/resources.h"
#include "backends/sdl_library.h"
#include "backends/sdl_thread.h"

namespace pentrill {
namespace {

using namespace std::chrono_literals;

// The samples of the alert as they sit in its data chunk.
std::vector<unsigned char> alertSamples() {
  std::span<const unsigned char> file = alertSoundWave();
  const std::string_view id = "data";
  auto at = std::search(file.begin(), file.end(), id.begin(), id.end());
  if (file.end() - at < 8) return {};
  return {at + 8, file.end()};
}

std::vector<unsigned char> fileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool contains(const std::vector<unsigned char>& haystack, const std::vector<unsigned char>& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

// Whether SDL audio is up, asked of the same library the program loaded.
bool audioUp() {
  const SdlApi* api = loadSdl();
  return api && api->WasInit(SDL_INIT_AUDIO) != 0;
}

class SdlSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // SDL2 comes with the build's packages: a loader that cannot find it is broken.
    ASSERT_NE(loadSdl(), nullptr) << "the SDL2 library did not load";
  }
  void TearDown() override {
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
  }
};

TEST_F(SdlSoundTest, ConstructionAloneTouchesNoSoundSystem) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  {
    SdlThread sdl;
    SdlSound sound(sdl);
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(sdl.started());
    EXPECT_EQ(audioUp(), false);
  }
  EXPECT_EQ(audioUp(), false);
}

// A synchronous play would take 0.43 s per alert, over 2 s for five; the loose
// bound only tells waiting from not waiting, even on a loaded machine.
TEST_F(SdlSoundTest, AlertsReturnAtOnceAndShutDownCleanlyOnTheDummyDevice) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  {
    SdlThread sdl;
    SdlSound sound(sdl);
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 5; ++i) EXPECT_NO_THROW(sound.playAlert());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    std::this_thread::sleep_for(200ms);  // let the thread reach the device
    for (int i = 0; i < 3; ++i) EXPECT_NO_THROW(sound.playAlert());
  }
  EXPECT_EQ(audioUp(), false) << "audio left initialised after destruction";
}

TEST_F(SdlSoundTest, SilentWhereSdlHasNoUsableDriver) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  {
    SdlThread sdl;
    SdlSound sound(sdl);
    for (int i = 0; i < 4; ++i) {
      EXPECT_NO_THROW(sound.playAlert());
      std::this_thread::sleep_for(20ms);
    }
  }
  EXPECT_EQ(audioUp(), false);
}

TEST_F(SdlSoundTest, DestructsCleanlyRightAfterTheFirstAlert) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  {
    SdlThread sdl;
    SdlSound sound(sdl);
    sound.playAlert();
  }
  EXPECT_EQ(audioUp(), false);
}

bool audioInitialisedWithin(bool wanted, std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while ((audioUp()) != wanted) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

// Between alerts nothing of SDL audio may stay awake; the next alert brings it
// back.
TEST_F(SdlSoundTest, ShutsAudioDownOnceTheAlertHasPlayedOutAndRestartsForTheNext) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  SdlThread sdl;
  SdlSound sound(sdl);
  sound.playAlert();
  ASSERT_TRUE(audioInitialisedWithin(true, 2000ms)) << "the first alert never started SDL audio";
  EXPECT_TRUE(audioInitialisedWithin(false, 8000ms)) << "SDL audio still up long after the alert";
  sound.playAlert();
  EXPECT_TRUE(audioInitialisedWithin(true, 2000ms)) << "the next alert did not start SDL audio again";
}

// SDL's disk driver writes what the device plays into a file, so the test can
// hear the alert: its samples must come out whole and in order.
TEST_F(SdlSoundTest, PlaysTheEmbeddedAlertThroughTheDevice) {
  std::filesystem::path output =
      std::filesystem::temp_directory_path() / ("pentrill-sound-" + std::to_string(getpid()) + ".raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
  std::vector<unsigned char> samples = alertSamples();
  ASSERT_GT(samples.size(), 9000u);
  bool heard = false;
  {
    SdlThread sdl;
    SdlSound sound(sdl);
    sound.playAlert();
    for (int wait = 0; wait < 100 && !heard; ++wait) {
      std::this_thread::sleep_for(50ms);
      heard = contains(fileBytes(output), samples);
    }
  }
  std::filesystem::remove(output);
  EXPECT_TRUE(heard) << "the alert's samples never reached the device";
}

}  // namespace
}  // namespace pentrill
