// The SDL thread's task queue and timers, and the agreement between the
// program's bitmap check and SDL's bitmap loader.
#include "backends/sdl_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

#include "../bitmap_maker.h"
#include "resources/bitmap_header.h"

namespace pentrill {
namespace {

using namespace std::chrono_literals;

TEST(SdlThread, RunsTasksInTheOrderPostedAndTheRestBeforeItEnds) {
  std::mutex mutex;
  std::vector<int> order;
  {
    SdlThread sdl;
    ASSERT_FALSE(sdl.started());
    for (int i = 1; i <= 50; ++i)
      ASSERT_TRUE(sdl.post([&, i](const SdlApi&) {
        std::lock_guard lock(mutex);
        order.push_back(i);
      }));
    EXPECT_TRUE(sdl.started());
  }
  ASSERT_EQ(order.size(), 50u) << "tasks posted before the end were dropped";
  for (int i = 0; i < 50; ++i) EXPECT_EQ(order[static_cast<size_t>(i)], i + 1);
}

// While a console reports its frames, a task for after the frame neither
// starts the thread nor runs before the frame is finished and has had its
// moment on the terminal.
TEST(SdlThread, ATaskForAfterTheFrameWaitsForTheFrame) {
  std::mutex mutex;
  std::condition_variable done;
  std::optional<SdlThread::Clock::time_point> ranAt;
  SdlThread sdl;
  SdlThread::reportFrames(true);
  sdl.postAfterFrame([&](const SdlApi&) {
    std::lock_guard lock(mutex);
    ranAt = SdlThread::Clock::now();
    done.notify_all();
  });
  EXPECT_FALSE(sdl.started());
  const auto finished = SdlThread::Clock::now();
  SdlThread::frameFinished();
  SdlThread::reportFrames(false);
  EXPECT_TRUE(sdl.started());
  std::unique_lock lock(mutex);
  ASSERT_TRUE(done.wait_for(lock, 10s, [&] { return ranAt.has_value(); })) << "the task never ran";
  EXPECT_GE(*ranAt - finished, SdlThread::kFrameShowTime);
}

TEST(SdlThread, TimersRunInTimeOrderAfterTheirTime) {
  std::mutex mutex;
  std::vector<int> order;
  std::vector<SdlThread::Clock::duration> late;
  {
    SdlThread sdl;
    const auto start = SdlThread::Clock::now();
    sdl.post([&](const SdlApi&) {
      for (int i : {3, 1, 2}) {
        const auto due = start + i * 60ms;
        sdl.postAt(due, [&, i, due](const SdlApi&) {
          std::lock_guard lock(mutex);
          order.push_back(i);
          late.push_back(SdlThread::Clock::now() - due);
        });
      }
    });
    std::this_thread::sleep_for(400ms);
  }
  ASSERT_EQ(order, (std::vector<int>{1, 2, 3}));
  for (auto lateness : late) EXPECT_GE(lateness, 0ms) << "a timer ran early";
}

// Every picture the check lets through must be one SDL loads, at the size
// the check reports: otherwise a hint would open an empty window.
TEST(SdlBitmaps, EveryBitmapTheCheckAcceptsSdlLoadsAtThatSize) {
  const SdlApi* api = loadSdl();
  ASSERT_NE(api, nullptr) << "the SDL2 library did not load";
  for (int bits : {1, 4, 8, 24, 32})
    for (int height : {5, -5})
      for (std::uint32_t infoSize : {40u, 108u, 124u})
        for (std::uint32_t colours : {0u, 2u}) {
          SCOPED_TRACE(std::to_string(bits) + " bits, height " + std::to_string(height) + ", header " +
                       std::to_string(infoSize) + ", colours " + std::to_string(colours));
          const std::vector<unsigned char> file = testing::makeBitmap(
              {.width = 7, .height = height, .bits = bits, .infoSize = infoSize, .coloursUsed = bits <= 8 ? colours : 0});
          const std::optional<PictureSize> size = drawableBitmapSize(file);
          ASSERT_TRUE(size);
          SDL_Surface* loaded = api->LoadBMP_RW(api->RWFromConstMem(file.data(), static_cast<int>(file.size())), 1);
          ASSERT_NE(loaded, nullptr) << "SDL refused a bitmap the check accepts";
          EXPECT_EQ(loaded->w, size->width);
          EXPECT_EQ(loaded->h, size->height);
          if (bits >= 24) {  // the colours come out where they were put
            SDL_Surface* rgb = api->ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0);
            ASSERT_NE(rgb, nullptr);
            const auto* row = static_cast<const Uint32*>(rgb->pixels);
            const testing::Rgb colour = testing::patternColour(3, 0);
            EXPECT_EQ(row[3] & 0xFFFFFF, static_cast<Uint32>(colour.r << 16 | colour.g << 8 | colour.b));
            api->FreeSurface(rgb);
          }
          api->FreeSurface(loaded);
        }
}

}  // namespace
}  // namespace pentrill
