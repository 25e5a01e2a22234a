#include "screen/platform/sdl_thread.h"

#include <pthread.h>

#include <algorithm>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <map>
#include <mutex>
#include <system_error>

namespace pentrill {

struct SdlThread::Shared {
  explicit Shared(const SdlApi& sdl) : api(sdl) {}

  const SdlApi& api;
  std::mutex mutex;
  std::condition_variable wake;      // to the thread: a task, or the stop
  std::condition_variable finished;  // from the thread: it is about to end
  std::deque<Task> tasks;
  std::multimap<Clock::time_point, Task> timers;
  bool stopping = false;
  bool done = false;
  // The thread sleeps in SDL's event wait: a new task must wake it with an
  // SDL event rather than the condition variable.
  bool inSdlWait = false;
  EventHandler handler;  // used by the thread only
};

namespace {

// How long the destructor waits for SDL to shut down before leaving the
// thread to the process's exit.
constexpr auto kShutdownWait = std::chrono::seconds(3);

// The program's signals (Ctrl-C, terminal resize, hang-up) belong to the main
// thread; SDL's own threads inherit this mask.
void blockAsynchronousSignals() {
  sigset_t signals;
  sigfillset(&signals);
  for (int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP}) sigdelset(&signals, fault);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

void discardLogMessage(void*, int, SDL_LogPriority, const char*) {}

// Hints that hold for everything SDL does in this program; set before any
// subsystem starts.
void setProgramHints(const SdlApi& api) {
  api.LogSetOutputFunction(discardLogMessage, nullptr);
  api.SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  api.SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Pentrill");
  api.SetHint(SDL_HINT_APP_NAME, "Pentrill");
  // A picture beside a terminal: the screensaver may run, the compositor
  // keeps compositing, and plain X11 drawing needs no OpenGL.
  api.SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  api.SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  api.SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // The terminal keeps the keyboard (where the video driver heeds this).
  api.SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "1");
}

int millisecondsUntil(SdlThread::Clock::time_point when) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(when - SdlThread::Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, 24 * 3600 * 1000));
}

}  // namespace

const SdlApi* SdlThread::api() { return loadSdl(); }

bool SdlThread::post(Task task) {
  if (!shared_) {
    const SdlApi* sdl = api();
    if (!sdl) return false;
    auto shared = std::make_shared<Shared>(*sdl);
    try {
      thread_ = std::thread(run, shared);
    } catch (const std::system_error&) {
      return false;  // no thread, no SDL; the program goes on
    }
    shared_ = std::move(shared);
  }
  bool inSdlWait = false;
  {
    std::lock_guard lock(shared_->mutex);
    shared_->tasks.push_back(std::move(task));
    inSdlWait = shared_->inSdlWait;
  }
  shared_->wake.notify_one();
  if (inSdlWait) {
    SDL_Event event{};
    event.type = SDL_USEREVENT;
    shared_->api.PushEvent(&event);  // safe from any thread; wakes the event wait
  }
  return true;
}

void SdlThread::postAt(Clock::time_point when, Task task) {
  std::lock_guard lock(shared_->mutex);
  shared_->timers.emplace(when, std::move(task));
}

void SdlThread::setEventHandler(EventHandler handler) { shared_->handler = std::move(handler); }

SdlThread::~SdlThread() {
  if (!shared_) return;
  std::unique_lock lock(shared_->mutex);
  shared_->stopping = true;
  const bool wakeSdl = shared_->inSdlWait;
  lock.unlock();
  shared_->wake.notify_one();
  if (wakeSdl) {
    SDL_Event event{};
    event.type = SDL_USEREVENT;
    shared_->api.PushEvent(&event);
  }
  lock.lock();
  const bool ended = shared_->finished.wait_for(lock, kShutdownWait, [this] { return shared_->done; });
  lock.unlock();
  // A window system that hangs must not hang the program's exit; the thread
  // keeps its own reference to the shared state.
  if (ended)
    thread_.join();
  else
    thread_.detach();
}

void SdlThread::run(std::shared_ptr<Shared> shared) {
  blockAsynchronousSignals();
  const SdlApi& api = shared->api;
  setProgramHints(api);
  std::unique_lock lock(shared->mutex);
  for (;;) {
    const Clock::time_point now = Clock::now();
    while (!shared->timers.empty() && shared->timers.begin()->first <= now) {
      shared->tasks.push_back(std::move(shared->timers.begin()->second));
      shared->timers.erase(shared->timers.begin());
    }
    if (!shared->tasks.empty()) {
      Task task = std::move(shared->tasks.front());
      shared->tasks.pop_front();
      lock.unlock();
      task(api);
      lock.lock();
      continue;
    }
    if (shared->stopping) break;
    const bool timed = !shared->timers.empty();
    const Clock::time_point next = timed ? shared->timers.begin()->first : Clock::time_point::max();
    if (shared->handler) {
      shared->inSdlWait = true;
      lock.unlock();
      SDL_Event event;
      if (api.WaitEventTimeout(&event, timed ? millisecondsUntil(next) : -1)) {
        do {
          // A copy: the handler may remove itself (its last window closed).
          if (EventHandler handler = shared->handler) handler(event);
        } while (api.PollEvent(&event));
      }
      lock.lock();
      shared->inSdlWait = false;
    } else if (timed) {
      shared->wake.wait_until(lock, next);
    } else {
      shared->wake.wait(lock);
    }
  }
  shared->timers.clear();
  shared->handler = nullptr;
  lock.unlock();
  api.Quit();
  lock.lock();
  shared->done = true;
  shared->finished.notify_all();
}

}  // namespace pentrill
