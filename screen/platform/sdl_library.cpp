#include "screen/platform/sdl_library.h"

#include <dlfcn.h>

#include <cstdlib>

namespace pentrill {

namespace {

template <class Function>
bool lookUp(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

SdlApi* openSdl() {
  const char* name = std::getenv(kSdlLibraryTestVariable);
  void* library = dlopen(name && *name ? name : kSdlLibrary, RTLD_NOW | RTLD_LOCAL);
  if (!library) return nullptr;
  static SdlApi api;
  const bool complete =
      lookUp(library, "SDL_SetHint", api.SetHint) &&
      lookUp(library, "SDL_LogSetOutputFunction", api.LogSetOutputFunction) &&
      lookUp(library, "SDL_InitSubSystem", api.InitSubSystem) &&
      lookUp(library, "SDL_QuitSubSystem", api.QuitSubSystem) && lookUp(library, "SDL_WasInit", api.WasInit) &&
      lookUp(library, "SDL_Quit", api.Quit) && lookUp(library, "SDL_RWFromConstMem", api.RWFromConstMem) &&
      lookUp(library, "SDL_LoadWAV_RW", api.LoadWAV_RW) && lookUp(library, "SDL_FreeWAV", api.FreeWAV) &&
      lookUp(library, "SDL_OpenAudioDevice", api.OpenAudioDevice) &&
      lookUp(library, "SDL_CloseAudioDevice", api.CloseAudioDevice) &&
      lookUp(library, "SDL_ClearQueuedAudio", api.ClearQueuedAudio) &&
      lookUp(library, "SDL_QueueAudio", api.QueueAudio) &&
      lookUp(library, "SDL_PauseAudioDevice", api.PauseAudioDevice) &&
      lookUp(library, "SDL_GetQueuedAudioSize", api.GetQueuedAudioSize) &&
      lookUp(library, "SDL_PollEvent", api.PollEvent) &&
      lookUp(library, "SDL_GetDesktopDisplayMode", api.GetDesktopDisplayMode) &&
      lookUp(library, "SDL_CreateWindow", api.CreateWindow) &&
      lookUp(library, "SDL_DestroyWindow", api.DestroyWindow) &&
      lookUp(library, "SDL_GetWindowID", api.GetWindowID) && lookUp(library, "SDL_ShowWindow", api.ShowWindow) &&
      lookUp(library, "SDL_GetWindowWMInfo", api.GetWindowWMInfo) &&
      lookUp(library, "SDL_GetWindowSurface", api.GetWindowSurface) &&
      lookUp(library, "SDL_UpdateWindowSurface", api.UpdateWindowSurface) &&
      lookUp(library, "SDL_LoadBMP_RW", api.LoadBMP_RW) &&
      lookUp(library, "SDL_CreateRGBSurfaceWithFormat", api.CreateRGBSurfaceWithFormat) &&
      lookUp(library, "SDL_ConvertSurfaceFormat", api.ConvertSurfaceFormat) &&
      lookUp(library, "SDL_FreeSurface", api.FreeSurface) && lookUp(library, "SDL_FillRect", api.FillRect) &&
      lookUp(library, "SDL_SetSurfaceBlendMode", api.SetSurfaceBlendMode) &&
      lookUp(library, "SDL_UpperBlit", api.UpperBlit) &&
      lookUp(library, "SDL_UpperBlitScaled", api.UpperBlitScaled);
  if (!complete) {
    dlclose(library);
    return nullptr;
  }
  return &api;
}

}  // namespace

const SdlApi* loadSdl() {
  static const SdlApi* const api = openSdl();  // the library stays open for the process
  return api;
}

}  // namespace pentrill
