// The one thread that talks to SDL. SDL's initialisation is not safe from two
// threads, and windows must be served by the thread that made them, so sound
// and picture windows hand their work to this thread as tasks.
//
// Nothing happens until the first task: then the thread is started, and it
// loads SDL2. It sleeps in poll() until a task or a timer is due, or, while a
// window is open, until the window system has something for it, so windows
// are repainted and closed by the user without any polling. (SDL's own event
// wait can fall back to waking every millisecond, for good.)
#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "backends/sdl_library.h"

namespace pentrill {

class SdlThread {
 public:
  using Clock = std::chrono::steady_clock;
  using Task = std::function<void(const SdlApi&)>;
  using EventHandler = std::function<void(const SDL_Event&)>;

  SdlThread() = default;
  // Runs the tasks already handed over and due (one not yet due is
  // dropped), shuts SDL down and ends the thread; a thread that does not end
  // within a few seconds is left to the exit.
  ~SdlThread();
  SdlThread(const SdlThread&) = delete;
  SdlThread& operator=(const SdlThread&) = delete;

  // SDL2, loaded at the first call; null where it cannot be loaded.
  const SdlApi* api();

  // Runs the task on the SDL thread, after the tasks handed over before it;
  // starts the thread first, which loads SDL2, so that the caller never
  // waits for the library. False (and the task dropped) where no thread can
  // be started or SDL2 is known not to load; tasks handed over before that
  // was known are dropped too.
  bool post(Task task);

  // As post, but only once the program thread has finished the frame it is
  // drawing (when its console next waits) and the terminal has had
  // kFrameShowTime to show it: neither loading SDL2 nor the task then takes
  // the processor from that frame, even on a busy machine. Where no console
  // reports its frames, kFrameShowTime from now. Dropped if this SdlThread
  // ends first.
  void postAfterFrame(Task task);
  static constexpr std::chrono::milliseconds kFrameShowTime{20};

  // For the program thread's console, on the program thread: whether it
  // reports its frames, and that a frame has reached the terminal.
  static void reportFrames(bool on);
  static void frameFinished();

  // True once the thread has been started.
  bool started() const { return shared_ != nullptr; }

  // For tasks, on the SDL thread: runs the task at that time, or soon after.
  void postAt(Clock::time_point when, Task task);

  // For tasks, on the SDL thread: while a handler is set, SDL's events go to
  // it, and the thread also wakes when the window system's connection (the
  // descriptor given, or -1 where it is unknown) has input for SDL. Where it
  // is unknown the thread looks for events every kUnwatchedEventsPoll.
  void setEventHandler(EventHandler handler, int connection);
  static constexpr std::chrono::milliseconds kUnwatchedEventsPoll{100};

 private:
  struct Shared;  // the queue and flags, shared with the thread; outlives either
  static void run(std::shared_ptr<Shared> shared);
  // Queues the task to run at once, or when it is due; starts the thread.
  bool handOver(Task task, std::optional<Clock::time_point> due);

  std::shared_ptr<Shared> shared_;
  std::thread thread_;
  std::vector<Task> afterFrame_;  // program thread only
};

}  // namespace pentrill
