#include "backends/sdl_thread.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

namespace pentrill {

struct SdlThread::Shared {
  explicit Shared(int wakeDescriptor) : wakeFd(wakeDescriptor) {}
  ~Shared() { close(wakeFd); }
  Shared(const Shared&) = delete;
  Shared& operator=(const Shared&) = delete;

  // To the thread: a task, or the stop. Never lost: the count stays until
  // the thread reads it.
  void wake() const {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(wakeFd, &one, sizeof one);
  }

  const int wakeFd;  // an eventfd
  std::mutex mutex;
  bool unavailable = false;  // SDL2 could not be loaded: no task will run
  std::condition_variable finished;  // from the thread: it is about to end
  std::deque<Task> tasks;
  std::multimap<Clock::time_point, Task> timers;
  bool stopping = false;
  bool done = false;
  // Used by the thread only.
  EventHandler handler;
  int connection = -1;
};

namespace {

// Which SdlThreads hold tasks for after the frame, and whether a console
// says when a frame is finished. Used on the program thread only.
bool framesReported = false;
std::vector<SdlThread*> waitingForFrame;

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

// Sleeps until the wake descriptor or the window system's connection (when
// not -1) has input, or the time (-1: none) has passed.
void sleepUntilWoken(int wakeFd, int connection, int milliseconds) {
  pollfd watched[2] = {{wakeFd, POLLIN, 0}, {connection, POLLIN, 0}};
  if (poll(watched, connection >= 0 ? 2 : 1, milliseconds) > 0 && (watched[0].revents & POLLIN)) {
    std::uint64_t count = 0;
    [[maybe_unused]] ssize_t got = read(wakeFd, &count, sizeof count);
  }
}

// Hands every event SDL has (it reads the window system first) to the
// handler, which may remove itself on the way.
void deliverEvents(const SdlApi& api, const SdlThread::EventHandler& current) {
  SDL_Event event;
  while (current && api.PollEvent(&event)) {
    if (SdlThread::EventHandler handler = current) handler(event);
  }
}

}  // namespace

const SdlApi* SdlThread::api() { return loadSdl(); }

bool SdlThread::post(Task task) { return handOver(std::move(task), std::nullopt); }

bool SdlThread::handOver(Task task, std::optional<Clock::time_point> due) {
  if (!shared_) {
    const int wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0) return false;
    auto shared = std::make_shared<Shared>(wakeFd);
    try {
      thread_ = std::thread(run, shared);
    } catch (const std::system_error&) {
      return false;  // no thread, no SDL; the program goes on
    }
    shared_ = std::move(shared);
  }
  {
    std::lock_guard lock(shared_->mutex);
    if (shared_->unavailable) return false;
    if (due) {
      shared_->timers.emplace(*due, std::move(task));
    } else {
      shared_->tasks.push_back(std::move(task));
    }
  }
  shared_->wake();
  return true;
}

void SdlThread::postAfterFrame(Task task) {
  if (!framesReported) {
    handOver(std::move(task), Clock::now() + kFrameShowTime);
    return;
  }
  if (afterFrame_.empty()) waitingForFrame.push_back(this);
  afterFrame_.push_back(std::move(task));
}

void SdlThread::reportFrames(bool on) {
  framesReported = on;
  if (!on) frameFinished();
}

void SdlThread::frameFinished() {
  if (waitingForFrame.empty()) return;
  const Clock::time_point due = Clock::now() + kFrameShowTime;
  for (SdlThread* sdl : std::exchange(waitingForFrame, {}))
    for (Task& task : std::exchange(sdl->afterFrame_, {})) sdl->handOver(std::move(task), due);
}

void SdlThread::postAt(Clock::time_point when, Task task) {
  std::lock_guard lock(shared_->mutex);
  shared_->timers.emplace(when, std::move(task));
}

void SdlThread::setEventHandler(EventHandler handler, int connection) {
  shared_->handler = std::move(handler);
  shared_->connection = shared_->handler ? connection : -1;
}

SdlThread::~SdlThread() {
  std::erase(waitingForFrame, this);
  if (!shared_) return;
  std::unique_lock lock(shared_->mutex);
  shared_->stopping = true;
  lock.unlock();
  shared_->wake();
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

// SDL2 and its dozens of libraries are loaded here, when the first task is
// due, never on the program's thread: the frame that a first alert comes
// with must not wait for them.
void SdlThread::run(std::shared_ptr<Shared> shared) {
  blockAsynchronousSignals();
  const SdlApi* loaded = nullptr;
  std::unique_lock lock(shared->mutex);
  for (;;) {
    const Clock::time_point now = Clock::now();
    while (!shared->timers.empty() && shared->timers.begin()->first <= now) {
      shared->tasks.push_back(std::move(shared->timers.begin()->second));
      shared->timers.erase(shared->timers.begin());
    }
    if (!shared->tasks.empty() && loaded == nullptr) {
      lock.unlock();
      loaded = loadSdl();
      if (loaded != nullptr) setProgramHints(*loaded);
      lock.lock();
      if (loaded == nullptr) {
        shared->unavailable = true;
        shared->tasks.clear();
        break;
      }
    }
    if (!shared->tasks.empty()) {
      Task task = std::move(shared->tasks.front());
      shared->tasks.pop_front();
      lock.unlock();
      task(*loaded);
      lock.lock();
      continue;
    }
    if (shared->stopping) break;
    if (shared->handler) {
      lock.unlock();
      deliverEvents(*loaded, shared->handler);
      lock.lock();
      if (!shared->tasks.empty() || shared->stopping) continue;
    }
    long long milliseconds = shared->timers.empty() ? -1 : millisecondsUntil(shared->timers.begin()->first);
    if (shared->handler && shared->connection < 0) {
      const long long unwatched = kUnwatchedEventsPoll.count();
      milliseconds = milliseconds < 0 ? unwatched : std::min(milliseconds, unwatched);
    }
    lock.unlock();
    sleepUntilWoken(shared->wakeFd, shared->connection, static_cast<int>(milliseconds));
    lock.lock();
  }
  shared->timers.clear();
  shared->handler = nullptr;
  lock.unlock();
  if (loaded != nullptr) loaded->Quit();
  lock.lock();
  shared->done = true;
  shared->finished.notify_all();
}

}  // namespace pentrill
