#include "backends/chafa_library.h"

#include <dlfcn.h>

#include <cstdlib>
#include <memory>

#include "backends/library_lookup.h"

namespace pentrill {

namespace {

bool lookUpAll(void* library, ChafaApi& api) {
  return lookUpFunction(library, "chafa_canvas_config_new", api.canvas_config_new) &&
         lookUpFunction(library, "chafa_canvas_config_unref", api.canvas_config_unref) &&
         lookUpFunction(library, "chafa_canvas_config_set_geometry", api.canvas_config_set_geometry) &&
         lookUpFunction(library, "chafa_canvas_config_set_cell_geometry", api.canvas_config_set_cell_geometry) &&
         lookUpFunction(library, "chafa_canvas_config_set_canvas_mode", api.canvas_config_set_canvas_mode) &&
         lookUpFunction(library, "chafa_canvas_config_set_pixel_mode", api.canvas_config_set_pixel_mode) &&
         lookUpFunction(library, "chafa_canvas_config_set_symbol_map", api.canvas_config_set_symbol_map) &&
         lookUpFunction(library, "chafa_canvas_config_set_dither_mode", api.canvas_config_set_dither_mode) &&
         lookUpFunction(library, "chafa_canvas_config_set_fg_color", api.canvas_config_set_fg_color) &&
         lookUpFunction(library, "chafa_canvas_config_set_bg_color", api.canvas_config_set_bg_color) &&
         lookUpFunction(library, "chafa_canvas_config_set_optimizations", api.canvas_config_set_optimizations) &&
         lookUpFunction(library, "chafa_symbol_map_new", api.symbol_map_new) &&
         lookUpFunction(library, "chafa_symbol_map_unref", api.symbol_map_unref) &&
         lookUpFunction(library, "chafa_symbol_map_add_by_tags", api.symbol_map_add_by_tags) &&
         lookUpFunction(library, "chafa_symbol_map_remove_by_tags", api.symbol_map_remove_by_tags) &&
         lookUpFunction(library, "chafa_canvas_new", api.canvas_new) &&
         lookUpFunction(library, "chafa_canvas_unref", api.canvas_unref) &&
         lookUpFunction(library, "chafa_canvas_draw_all_pixels", api.canvas_draw_all_pixels) &&
         lookUpFunction(library, "chafa_canvas_print", api.canvas_print) &&
         lookUpFunction(library, "chafa_canvas_get_char_at", api.canvas_get_char_at) &&
         lookUpFunction(library, "chafa_canvas_get_colors_at", api.canvas_get_colors_at) &&
         lookUpFunction(library, "chafa_term_db_get_default", api.term_db_get_default) &&
         lookUpFunction(library, "chafa_term_db_get_fallback_info", api.term_db_get_fallback_info) &&
         lookUpFunction(library, "chafa_term_info_unref", api.term_info_unref) &&
         lookUpFunction(library, "g_string_free", api.g_string_free);
}

}  // namespace

const ChafaApi* openChafa(const char* libraryName) {
  void* library = dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
  if (!library) return nullptr;
  auto api = std::make_unique<ChafaApi>();
  if (!lookUpAll(library, *api)) {
    dlclose(library);
    return nullptr;
  }
  return api.release();  // lives as long as the library, which stays open
}

const ChafaApi* loadChafa() {
  static const ChafaApi* const api = [] {
    const char* name = std::getenv(kChafaLibraryTestVariable);
    return openChafa(name && *name ? name : kChafaLibrary);
  }();
  return api;
}

}  // namespace pentrill
