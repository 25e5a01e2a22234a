// SDL2 reached at run time: the program does not link it, so it starts
// without loading SDL2 and its dozens of libraries, and it runs (silently,
// without windows) where SDL2 is not installed. The library is opened the
// first time a sound or a window is needed, and only the functions below are
// looked up.
#pragma once
#include <SDL.h>
#include <dlfcn.h>

#include "backends/library_lookup.h"

struct SDL_SysWMinfo;  // SDL_syswm.h brings in the X11 headers and their macros

namespace pentrill {

// The SDL2 functions the program calls, by their SDL names without "SDL_".
struct SdlApi {
  decltype(&SDL_SetHint) SetHint;
  decltype(&SDL_LogSetOutputFunction) LogSetOutputFunction;
  decltype(&SDL_InitSubSystem) InitSubSystem;
  decltype(&SDL_QuitSubSystem) QuitSubSystem;
  decltype(&SDL_WasInit) WasInit;
  decltype(&SDL_Quit) Quit;
  // Sound.
  decltype(&SDL_RWFromConstMem) RWFromConstMem;
  decltype(&SDL_LoadWAV_RW) LoadWAV_RW;
  decltype(&SDL_FreeWAV) FreeWAV;
  decltype(&SDL_OpenAudioDevice) OpenAudioDevice;
  decltype(&SDL_CloseAudioDevice) CloseAudioDevice;
  decltype(&SDL_ClearQueuedAudio) ClearQueuedAudio;
  decltype(&SDL_QueueAudio) QueueAudio;
  decltype(&SDL_PauseAudioDevice) PauseAudioDevice;
  decltype(&SDL_GetQueuedAudioSize) GetQueuedAudioSize;
  // Events.
  decltype(&SDL_PollEvent) PollEvent;
  // Windows and pictures.
  decltype(&SDL_GetDesktopDisplayMode) GetDesktopDisplayMode;
  decltype(&SDL_CreateWindow) CreateWindow;
  decltype(&SDL_DestroyWindow) DestroyWindow;
  decltype(&SDL_GetWindowID) GetWindowID;
  decltype(&SDL_ShowWindow) ShowWindow;
  SDL_bool(SDLCALL* GetWindowWMInfo)(SDL_Window*, SDL_SysWMinfo*);
  decltype(&SDL_GetWindowSurface) GetWindowSurface;
  decltype(&SDL_UpdateWindowSurface) UpdateWindowSurface;
  decltype(&SDL_LoadBMP_RW) LoadBMP_RW;
  decltype(&SDL_CreateRGBSurfaceWithFormat) CreateRGBSurfaceWithFormat;
  decltype(&SDL_ConvertSurfaceFormat) ConvertSurfaceFormat;
  decltype(&SDL_FreeSurface) FreeSurface;
  decltype(&SDL_FillRect) FillRect;
  decltype(&SDL_SetSurfaceBlendMode) SetSurfaceBlendMode;
  decltype(&SDL_UpperBlit) UpperBlit;
  decltype(&SDL_UpperBlitScaled) UpperBlitScaled;
};

// The library's name; tests may name one that does not exist, to see the
// program without SDL2.
inline constexpr const char* kSdlLibrary = "libSDL2-2.0.so.0";
inline constexpr const char* kSdlLibraryTestVariable = "PENTRILL_TEST_SDL_LIBRARY";

// Opens the library and looks the functions up, once per process (safe from
// any thread). Null when the library or one of the functions is missing.
const SdlApi* loadSdl();

}  // namespace pentrill
