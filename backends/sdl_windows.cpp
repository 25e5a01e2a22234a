#include "backends/sdl_windows.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "screen/charset.h"
#include "backends/x11_focus.h"

namespace pentrill {

namespace {

// Generous: the first window also starts SDL video and connects to the
// display, on a machine that may be busy.
constexpr auto kOpenWait = std::chrono::seconds(5);

constexpr Uint32 kDrawingFormat = SDL_PIXELFORMAT_RGB888;
constexpr Uint32 kEmptyColour = 0xFFFFFF;  // what a window shows before (or without) its picture

bool displayNamed() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

struct OpenWindow {
  SDL_Window* window = nullptr;
  SDL_Surface* drawing = nullptr;  // what the window shows, kept for repainting
};

}  // namespace

struct WindowSet : std::enable_shared_from_this<WindowSet> {
  explicit WindowSet(SdlThread& thread) : sdl(thread) {}

  SdlThread& sdl;
  std::atomic<bool> videoFailed = false;  // read by the program thread
  // The rest is used on the SDL thread only.
  const SdlApi* api = nullptr;
  bool videoUp = false;
  std::map<int, OpenWindow> windows;
  int lastHandle = 0;

  bool startVideo(const SdlApi& sdlApi) {
    api = &sdlApi;
    if (videoUp) return true;
    if (videoFailed) return false;
    videoUp = api->InitSubSystem(SDL_INIT_VIDEO) == 0;
    videoFailed = !videoUp;
    return videoUp;
  }

  int open(const SdlApi& sdlApi, const std::string& caption, int left, int top, int width, int height) {
    if (!startVideo(sdlApi)) return 0;
    Uint32 flags = SDL_WINDOW_HIDDEN;  // shown once it is told to keep off the keyboard
    if (caption.empty()) flags |= SDL_WINDOW_BORDERLESS;
    OpenWindow shown;
    shown.window = api->CreateWindow(caption.c_str(), left, top, width, height, flags);
    if (!shown.window) return 0;
    shown.drawing = api->CreateRGBSurfaceWithFormat(0, width, height, 32, kDrawingFormat);
    if (!shown.drawing) {
      api->DestroyWindow(shown.window);
      return 0;
    }
    api->FillRect(shown.drawing, nullptr, kEmptyColour);
    api->SetSurfaceBlendMode(shown.drawing, SDL_BLENDMODE_NONE);
    const X11Focus focus = refuseKeyboardFocus(*api, shown.window);
    api->ShowWindow(shown.window);
    restoreKeyboardFocus(*api, shown.window, focus);
    repaint(shown);
    const int handle = ++lastHandle;
    windows.emplace(handle, shown);
    if (windows.size() == 1) {
      std::weak_ptr<WindowSet> self = weak_from_this();
      sdl.setEventHandler(
          [self](const SDL_Event& event) {
            if (auto set = self.lock()) set->onEvent(event);
          },
          x11Connection(*api, shown.window));
    }
    return handle;
  }

  void draw(int handle, const std::vector<unsigned char>& bitmap, SDL_Rect box) {
    auto found = windows.find(handle);
    if (found == windows.end()) return;
    SDL_RWops* source = api->RWFromConstMem(bitmap.data(), static_cast<int>(bitmap.size()));
    SDL_Surface* picture = source ? api->LoadBMP_RW(source, 1) : nullptr;
    if (!picture) return;  // the window stays as it is
    SDL_Surface* converted = api->ConvertSurfaceFormat(picture, kDrawingFormat, 0);
    api->FreeSurface(picture);
    if (!converted) return;
    api->SetSurfaceBlendMode(converted, SDL_BLENDMODE_NONE);
    api->UpperBlitScaled(converted, nullptr, found->second.drawing, &box);
    api->FreeSurface(converted);
    repaint(found->second);
  }

  void close(int handle) {
    auto found = windows.find(handle);
    if (found == windows.end()) return;  // closed by the user, or never opened
    api->FreeSurface(found->second.drawing);
    api->DestroyWindow(found->second.window);
    windows.erase(found);
    if (windows.empty()) sdl.setEventHandler(nullptr, -1);
  }

  void closeAll() {
    while (!windows.empty()) close(windows.begin()->first);
  }

  int desktopWidth(const SdlApi& sdlApi) {
    if (!startVideo(sdlApi)) return 0;
    SDL_DisplayMode mode;
    return api->GetDesktopDisplayMode(0, &mode) == 0 ? mode.w : 0;
  }

 private:
  void repaint(const OpenWindow& shown) {
    SDL_Surface* surface = api->GetWindowSurface(shown.window);
    if (!surface) return;
    api->UpperBlit(shown.drawing, nullptr, surface, nullptr);
    api->UpdateWindowSurface(shown.window);
  }

  int handleOf(Uint32 windowId) const {
    for (const auto& [handle, shown] : windows)
      if (api->GetWindowID(shown.window) == windowId) return handle;
    return 0;
  }

  void onEvent(const SDL_Event& event) {
    if (event.type != SDL_WINDOWEVENT) return;
    const int handle = handleOf(event.window.windowID);
    if (handle == 0) return;
    switch (event.window.event) {
      case SDL_WINDOWEVENT_CLOSE:  // the user closed it: forgotten, no message
        close(handle);
        break;
      case SDL_WINDOWEVENT_EXPOSED:
      case SDL_WINDOWEVENT_SHOWN:
      case SDL_WINDOWEVENT_RESTORED:
      case SDL_WINDOWEVENT_SIZE_CHANGED:
        repaint(windows.at(handle));
        break;
      default:
        break;
    }
  }
};

// The answer to a request the program thread waits for.
struct PendingOpen {
  std::mutex mutex;
  std::condition_variable answered;
  bool done = false;
  bool abandoned = false;  // the program thread stopped waiting
  int value = 0;
};

namespace {

// Runs the request on the SDL thread and waits for its answer; 0 when none
// comes in time. `undo` receives an answer that came too late.
template <class Request, class Undo>
int ask(SdlThread& sdl, std::shared_ptr<PendingOpen>& unanswered, Request request, Undo undo) {
  auto pending = std::make_shared<PendingOpen>();
  const bool posted = sdl.post([pending, request, undo](const SdlApi& api) {
    const int value = request(api);
    std::unique_lock lock(pending->mutex);
    pending->done = true;
    if (pending->abandoned) {
      lock.unlock();
      undo(value);
      return;
    }
    pending->value = value;
    lock.unlock();
    pending->answered.notify_one();
  });
  if (!posted) return 0;
  std::unique_lock lock(pending->mutex);
  if (!pending->answered.wait_for(lock, kOpenWait, [&pending] { return pending->done; })) {
    pending->abandoned = true;
    unanswered = pending;
    return 0;
  }
  return pending->value;
}

}  // namespace

SdlPictureWindows::SdlPictureWindows(SdlThread& sdl) : sdl_(sdl), windows_(std::make_shared<WindowSet>(sdl)) {}

SdlPictureWindows::~SdlPictureWindows() {
  if (!sdl_.started()) return;
  std::shared_ptr<WindowSet> windows = windows_;
  sdl_.post([windows](const SdlApi&) { windows->closeAll(); });
}

bool SdlPictureWindows::videoPossible() {
  if (!displayNamed() || windows_->videoFailed) return false;
  if (unanswered_) {
    std::lock_guard lock(unanswered_->mutex);
    if (!unanswered_->done) return false;  // the SDL thread is still stuck
  }
  unanswered_.reset();
  return sdl_.api() != nullptr;
}

int SdlPictureWindows::openPictureWindow(std::string_view caption, int left, int top, int width, int height) {
  if (width < 1 || height < 1 || !videoPossible()) return 0;
  std::shared_ptr<WindowSet> windows = windows_;
  std::string title = displayUtf8(caption);
  return ask(
      sdl_, unanswered_,
      [windows, title, left, top, width, height](const SdlApi& api) {
        return windows->open(api, title, left, top, width, height);
      },
      [windows](int handle) { windows->close(handle); });
}

void SdlPictureWindows::drawPicture(int handle, std::span<const unsigned char> bitmap, int left, int top, int right,
                                    int bottom) {
  if (handle == 0 || !sdl_.started() || right < left || bottom < top) return;
  std::shared_ptr<WindowSet> windows = windows_;
  // The caller's bytes need not outlive this call.
  auto bytes = std::make_shared<std::vector<unsigned char>>(bitmap.begin(), bitmap.end());
  const SDL_Rect box{left, top, right - left + 1, bottom - top + 1};
  sdl_.post([windows, bytes, handle, box](const SdlApi&) { windows->draw(handle, *bytes, box); });
}

void SdlPictureWindows::closePictureWindow(int handle) {
  if (handle == 0 || !sdl_.started()) return;
  std::shared_ptr<WindowSet> windows = windows_;
  sdl_.post([windows, handle](const SdlApi&) { windows->close(handle); });
}

int SdlPictureWindows::desktopWidth() {
  if (!videoPossible()) return 0;
  std::shared_ptr<WindowSet> windows = windows_;
  return ask(
      sdl_, unanswered_, [windows](const SdlApi& api) { return windows->desktopWidth(api); }, [](int) {});
}

}  // namespace pentrill
