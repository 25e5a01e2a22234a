#include "backends/sdl_library.h"

#include <dlfcn.h>

#include <cstdlib>

namespace pentrill {

namespace {

SdlApi* openSdl() {
  const char* name = std::getenv(kSdlLibraryTestVariable);
  void* library = dlopen(name && *name ? name : kSdlLibrary, RTLD_NOW | RTLD_LOCAL);
  if (!library) return nullptr;
  static SdlApi api;
  const bool complete =
      lookUpFunction(library, "SDL_SetHint", api.SetHint) &&
      lookUpFunction(library, "SDL_LogSetOutputFunction", api.LogSetOutputFunction) &&
      lookUpFunction(library, "SDL_InitSubSystem", api.InitSubSystem) &&
      lookUpFunction(library, "SDL_QuitSubSystem", api.QuitSubSystem) && lookUpFunction(library, "SDL_WasInit", api.WasInit) &&
      lookUpFunction(library, "SDL_Quit", api.Quit) && lookUpFunction(library, "SDL_RWFromConstMem", api.RWFromConstMem) &&
      lookUpFunction(library, "SDL_LoadWAV_RW", api.LoadWAV_RW) && lookUpFunction(library, "SDL_FreeWAV", api.FreeWAV) &&
      lookUpFunction(library, "SDL_OpenAudioDevice", api.OpenAudioDevice) &&
      lookUpFunction(library, "SDL_CloseAudioDevice", api.CloseAudioDevice) &&
      lookUpFunction(library, "SDL_ClearQueuedAudio", api.ClearQueuedAudio) &&
      lookUpFunction(library, "SDL_QueueAudio", api.QueueAudio) &&
      lookUpFunction(library, "SDL_PauseAudioDevice", api.PauseAudioDevice) &&
      lookUpFunction(library, "SDL_GetQueuedAudioSize", api.GetQueuedAudioSize) &&
      lookUpFunction(library, "SDL_PollEvent", api.PollEvent) &&
      lookUpFunction(library, "SDL_GetDesktopDisplayMode", api.GetDesktopDisplayMode) &&
      lookUpFunction(library, "SDL_CreateWindow", api.CreateWindow) &&
      lookUpFunction(library, "SDL_DestroyWindow", api.DestroyWindow) &&
      lookUpFunction(library, "SDL_GetWindowID", api.GetWindowID) && lookUpFunction(library, "SDL_ShowWindow", api.ShowWindow) &&
      lookUpFunction(library, "SDL_GetWindowWMInfo", api.GetWindowWMInfo) &&
      lookUpFunction(library, "SDL_GetWindowSurface", api.GetWindowSurface) &&
      lookUpFunction(library, "SDL_UpdateWindowSurface", api.UpdateWindowSurface) &&
      lookUpFunction(library, "SDL_LoadBMP_RW", api.LoadBMP_RW) &&
      lookUpFunction(library, "SDL_CreateRGBSurfaceWithFormat", api.CreateRGBSurfaceWithFormat) &&
      lookUpFunction(library, "SDL_ConvertSurfaceFormat", api.ConvertSurfaceFormat) &&
      lookUpFunction(library, "SDL_FreeSurface", api.FreeSurface) && lookUpFunction(library, "SDL_FillRect", api.FillRect) &&
      lookUpFunction(library, "SDL_SetSurfaceBlendMode", api.SetSurfaceBlendMode) &&
      lookUpFunction(library, "SDL_UpperBlit", api.UpperBlit) &&
      lookUpFunction(library, "SDL_UpperBlitScaled", api.UpperBlitScaled);
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
