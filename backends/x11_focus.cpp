#include "backends/x11_focus.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>

#include <algorithm>
#include <vector>

namespace pentrill {

namespace {

struct Xlib {
  decltype(&XGetWMHints) GetWMHints;
  decltype(&XAllocWMHints) AllocWMHints;
  decltype(&XSetWMHints) SetWMHints;
  decltype(&XFree) Free;
  decltype(&XInternAtom) InternAtom;
  decltype(&XChangeProperty) ChangeProperty;
  decltype(&XGetWMProtocols) GetWMProtocols;
  decltype(&XSetWMProtocols) SetWMProtocols;
  decltype(&XGetInputFocus) GetInputFocus;
  decltype(&XSetInputFocus) SetInputFocus;
  decltype(&XSetErrorHandler) SetErrorHandler;
  decltype(&XSync) Sync;
};

// The X11 library SDL's X11 driver has loaded; null when it has not.
const Xlib* loadedXlib() {
  static const Xlib* const xlib = []() -> const Xlib* {
    void* library = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
    if (!library) return nullptr;
    static Xlib functions;
    const bool complete =
        lookUpFunction(library, "XGetWMHints", functions.GetWMHints) &&
        lookUpFunction(library, "XAllocWMHints", functions.AllocWMHints) &&
        lookUpFunction(library, "XSetWMHints", functions.SetWMHints) && lookUpFunction(library, "XFree", functions.Free) &&
        lookUpFunction(library, "XInternAtom", functions.InternAtom) &&
        lookUpFunction(library, "XChangeProperty", functions.ChangeProperty) &&
        lookUpFunction(library, "XGetWMProtocols", functions.GetWMProtocols) &&
        lookUpFunction(library, "XSetWMProtocols", functions.SetWMProtocols) &&
        lookUpFunction(library, "XGetInputFocus", functions.GetInputFocus) &&
        lookUpFunction(library, "XSetInputFocus", functions.SetInputFocus) &&
        lookUpFunction(library, "XSetErrorHandler", functions.SetErrorHandler) && lookUpFunction(library, "XSync", functions.Sync);
    return complete ? &functions : nullptr;
  }();
  return xlib;
}

struct X11Window {
  Display* display = nullptr;
  Window window = 0;
};

X11Window x11WindowOf(const SdlApi& api, SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!api.GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return {};
  return {info.info.x11.display, info.info.x11.window};
}

// An X error in these requests (a focus window that has just gone, say) must
// not reach the default handler, which ends the program.
int ignoreError(Display*, XErrorEvent*) { return 0; }

class ErrorsIgnored {
 public:
  ErrorsIgnored(const Xlib& xlib, Display* display)
      : xlib_(xlib), display_(display), previous_(xlib.SetErrorHandler(ignoreError)) {}
  ~ErrorsIgnored() {
    xlib_.Sync(display_, False);
    xlib_.SetErrorHandler(previous_);
  }
  ErrorsIgnored(const ErrorsIgnored&) = delete;
  ErrorsIgnored& operator=(const ErrorsIgnored&) = delete;

 private:
  const Xlib& xlib_;
  Display* display_;
  XErrorHandler previous_;
};

// Input hint false: the window never wants the keyboard ("no input" model).
void refuseInput(const Xlib& xlib, const X11Window& x) {
  XWMHints* hints = xlib.GetWMHints(x.display, x.window);
  if (!hints) hints = xlib.AllocWMHints();
  if (!hints) return;
  hints->flags |= InputHint;
  hints->input = False;
  xlib.SetWMHints(x.display, x.window, hints);
  xlib.Free(hints);
}

// Without WM_TAKE_FOCUS the window manager never offers the focus either.
void dropTakeFocus(const Xlib& xlib, const X11Window& x) {
  Atom takeFocus = xlib.InternAtom(x.display, "WM_TAKE_FOCUS", False);
  Atom* protocols = nullptr;
  int count = 0;
  if (!xlib.GetWMProtocols(x.display, x.window, &protocols, &count)) return;
  std::vector<Atom> kept(protocols, protocols + count);
  xlib.Free(protocols);
  kept.erase(std::remove(kept.begin(), kept.end(), takeFocus), kept.end());
  xlib.SetWMProtocols(x.display, x.window, kept.data(), static_cast<int>(kept.size()));
}

// A user time of 0 asks the window manager not to activate the window when
// it is mapped.
void noActivationOnMap(const Xlib& xlib, const X11Window& x) {
  Atom userTime = xlib.InternAtom(x.display, "_NET_WM_USER_TIME", False);
  long zero = 0;
  xlib.ChangeProperty(x.display, x.window, userTime, XA_CARDINAL, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(&zero), 1);
}

}  // namespace

X11Focus refuseKeyboardFocus(const SdlApi& api, SDL_Window* window) {
  const X11Window x = x11WindowOf(api, window);
  const Xlib* xlib = x.display ? loadedXlib() : nullptr;
  if (!xlib) return {};
  ErrorsIgnored guard(*xlib, x.display);
  refuseInput(*xlib, x);
  dropTakeFocus(*xlib, x);
  noActivationOnMap(*xlib, x);
  X11Focus before;
  Window focus = 0;
  xlib->GetInputFocus(x.display, &focus, &before.revertTo);
  before.window = focus;
  before.known = true;
  return before;
}

void restoreKeyboardFocus(const SdlApi& api, SDL_Window* window, const X11Focus& before) {
  if (!before.known) return;
  const X11Window x = x11WindowOf(api, window);
  const Xlib* xlib = x.display ? loadedXlib() : nullptr;
  if (!xlib) return;
  ErrorsIgnored guard(*xlib, x.display);
  Window focus = 0;
  int revertTo = 0;
  xlib->GetInputFocus(x.display, &focus, &revertTo);
  if (focus == x.window && before.window != x.window)
    xlib->SetInputFocus(x.display, before.window, before.revertTo, CurrentTime);
}

int x11Connection(const SdlApi& api, SDL_Window* window) {
  const X11Window x = x11WindowOf(api, window);
  return x.display ? ConnectionNumber(x.display) : -1;
}

}  // namespace pentrill
