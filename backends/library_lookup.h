// Functions of a shared library opened at run time (dlopen): the program
// links neither SDL2 nor libchafa, so it starts without them and runs where
// they are missing.
#pragma once
#include <dlfcn.h>

namespace pentrill {

// Looks a function up in a library opened with dlopen; false when it is missing.
template <class Function>
bool lookUpFunction(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

}  // namespace pentrill
