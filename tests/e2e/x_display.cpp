#include "x_display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace pentrill::e2e {

namespace {

using Clock = std::chrono::steady_clock;

// Windows may vanish between two requests; such errors are expected here
// and must not end the test run.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

// Reads the display number Xvfb writes once it accepts connections.
int readDisplayNumber(int fd, std::chrono::milliseconds timeout) {
  std::string text;
  const auto deadline = Clock::now() + timeout;
  while (Clock::now() < deadline) {
    pollfd ready{fd, POLLIN, 0};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (::poll(&ready, 1, static_cast<int>(std::max<long long>(left, 1))) <= 0) continue;
    char buffer[32];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got <= 0) return -1;
    text.append(buffer, static_cast<size_t>(got));
    if (text.find('\n') != std::string::npos) return std::stoi(text);
  }
  return -1;
}

// The bytes of a text property, whatever its type (STRING or UTF8_STRING).
std::optional<std::string> textProperty(Display* display, Window window, const char* name) {
  Atom property = XInternAtom(display, name, False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::optional<std::string> text;
  if (XGetWindowProperty(display, window, property, 0, 1024, False, AnyPropertyType, &type, &format, &count, &after,
                         &data) == Success &&
      data && format == 8)
    text = std::string(reinterpret_cast<const char*>(data), count);
  if (data) XFree(data);
  return text;
}

std::string windowTitle(Display* display, Window window) {
  if (std::optional<std::string> title = textProperty(display, window, "_NET_WM_NAME")) return *title;
  return textProperty(display, window, "WM_NAME").value_or("");
}

pid_t windowPid(Display* display, Window window) {
  Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  pid_t pid = 0;
  if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) ==
          Success &&
      data && count == 1 && format == 32)
    pid = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
  if (data) XFree(data);
  return pid;
}

bool acceptsFocus(Display* display, Window window) {
  XWMHints* hints = XGetWMHints(display, window);
  if (!hints) return true;  // no hint: the window manager's default, which is to give it the focus
  const bool accepts = !(hints->flags & InputHint) || hints->input;
  XFree(hints);
  return accepts;
}

}  // namespace

XvfbDisplay::XvfbDisplay(int width, int height) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
    whyNot_ = "no pipe for Xvfb";
    return;
  }
  // Well away from 3, where Xvfb is to find the writing end; both ends close
  // on exec, the copy at 3 does not.
  for (int& fd : pipeFds) {
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 10);
    ::close(fd);
    fd = moved;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 3);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  const char* argv[] = {"Xvfb", "-displayfd", "3", "-screen", "0", screen.c_str(), "-nolisten", "tcp", nullptr};
  const int spawned = posix_spawnp(&server_, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);
  if (spawned != 0) {
    server_ = -1;
    ::close(pipeFds[0]);
    installed_ = spawned != ENOENT;
    whyNot_ = !installed_ ? "Xvfb is not installed (Debian package xvfb)"
                                : std::string("Xvfb could not be started: ") + std::strerror(spawned);
    return;
  }
  number_ = readDisplayNumber(pipeFds[0], std::chrono::seconds(30));
  ::close(pipeFds[0]);
  if (number_ < 0) {
    whyNot_ = "Xvfb did not report a display";
    return;
  }
  XSetErrorHandler(ignoreXError);
  display_ = XOpenDisplay(name().c_str());
  if (!display_) whyNot_ = "cannot connect to Xvfb at " + name();
}

XvfbDisplay::~XvfbDisplay() {
  if (display_) XCloseDisplay(display_);
  if (server_ > 0) {
    ::kill(server_, SIGTERM);
    int status = 0;
    ::waitpid(server_, &status, 0);
  }
}

std::vector<XWindowInfo> XvfbDisplay::windows() {
  std::vector<XWindowInfo> found;
  Window root = DefaultRootWindow(display_), parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display_, root, &root, &parent, &children, &count)) return found;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, children[i], &attributes) || attributes.map_state != IsViewable) continue;
    XWindowInfo info;
    info.id = children[i];
    info.title = windowTitle(display_, children[i]);
    Window child = 0;
    XTranslateCoordinates(display_, children[i], root, 0, 0, &info.x, &info.y, &child);
    info.width = attributes.width;
    info.height = attributes.height;
    info.pid = windowPid(display_, children[i]);
    info.acceptsFocus = acceptsFocus(display_, children[i]);
    found.push_back(info);
  }
  if (children) XFree(children);
  return found;
}

std::optional<XWindowInfo> XvfbDisplay::waitForWindow(const std::function<bool(const XWindowInfo&)>& condition,
                                                      std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    for (const XWindowInfo& window : windows())
      if (condition(window)) return window;
    if (Clock::now() > deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

bool XvfbDisplay::waitForNoWindow(const std::function<bool(const XWindowInfo&)>& condition,
                                  std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    bool any = false;
    for (const XWindowInfo& window : windows()) any = any || condition(window);
    if (!any) return true;
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::vector<unsigned> XvfbDisplay::capture(const XWindowInfo& window) {
  std::vector<unsigned> pixels;
  XImage* image = XGetImage(display_, window.id, 0, 0, static_cast<unsigned>(window.width),
                            static_cast<unsigned>(window.height), AllPlanes, ZPixmap);
  if (!image) return pixels;
  pixels.reserve(static_cast<size_t>(window.width) * static_cast<size_t>(window.height));
  for (int y = 0; y < window.height; ++y)
    for (int x = 0; x < window.width; ++x) pixels.push_back(static_cast<unsigned>(XGetPixel(image, x, y) & 0xFFFFFF));
  XDestroyImage(image);
  return pixels;
}

unsigned long XvfbDisplay::createFocusWindow() {
  const int screen = DefaultScreen(display_);
  Window window = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 10, 10, 200, 100, 0,
                                      BlackPixel(display_, screen), WhitePixel(display_, screen));
  XStoreName(display_, window, "terminal stand-in");
  XMapWindow(display_, window);
  XSync(display_, False);
  XSetInputFocus(display_, window, RevertToParent, CurrentTime);
  XSync(display_, False);
  return window;
}

unsigned long XvfbDisplay::focusWindow() {
  Window focus = 0;
  int revertTo = 0;
  XGetInputFocus(display_, &focus, &revertTo);
  return focus;
}

}  // namespace pentrill::e2e
