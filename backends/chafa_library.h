// libchafa reached at run time, as SDL2 is: the program does not link it, so
// it starts without loading libchafa and GLib, and runs where they are not
// installed. The library is opened when a figure is first drawn in the
// terminal, and only the functions below are looked up (GLib's among them
// through libchafa's handle, which reaches the libraries it depends on).
#pragma once
#include <chafa.h>

namespace pentrill {

// The libchafa (and GLib) functions the program calls, by their names
// without "chafa_".
struct ChafaApi {
  decltype(&chafa_canvas_config_new) canvas_config_new;
  decltype(&chafa_canvas_config_unref) canvas_config_unref;
  decltype(&chafa_canvas_config_set_geometry) canvas_config_set_geometry;
  decltype(&chafa_canvas_config_set_cell_geometry) canvas_config_set_cell_geometry;
  decltype(&chafa_canvas_config_set_canvas_mode) canvas_config_set_canvas_mode;
  decltype(&chafa_canvas_config_set_pixel_mode) canvas_config_set_pixel_mode;
  decltype(&chafa_canvas_config_set_symbol_map) canvas_config_set_symbol_map;
  decltype(&chafa_canvas_config_set_dither_mode) canvas_config_set_dither_mode;
  decltype(&chafa_canvas_config_set_fg_color) canvas_config_set_fg_color;
  decltype(&chafa_canvas_config_set_bg_color) canvas_config_set_bg_color;
  decltype(&chafa_canvas_config_set_optimizations) canvas_config_set_optimizations;
  decltype(&chafa_symbol_map_new) symbol_map_new;
  decltype(&chafa_symbol_map_unref) symbol_map_unref;
  decltype(&chafa_symbol_map_add_by_tags) symbol_map_add_by_tags;
  decltype(&chafa_symbol_map_remove_by_tags) symbol_map_remove_by_tags;
  decltype(&chafa_canvas_new) canvas_new;
  decltype(&chafa_canvas_unref) canvas_unref;
  decltype(&chafa_canvas_draw_all_pixels) canvas_draw_all_pixels;
  decltype(&chafa_canvas_print) canvas_print;
  decltype(&chafa_canvas_get_char_at) canvas_get_char_at;
  decltype(&chafa_canvas_get_colors_at) canvas_get_colors_at;
  decltype(&chafa_term_db_get_default) term_db_get_default;
  decltype(&chafa_term_db_get_fallback_info) term_db_get_fallback_info;
  decltype(&chafa_term_info_unref) term_info_unref;
  gchar* (*g_string_free)(GString*, gboolean);  // a macro in later GLib versions
};

// The library's name (Debian's libchafa0); tests may name one that does not
// exist, to see the program without it.
inline constexpr const char* kChafaLibrary = "libchafa.so.0";
inline constexpr const char* kChafaLibraryTestVariable = "PENTRILL_TEST_CHAFA_LIBRARY";

// Opens the library by this name and looks the functions up; null when the
// library or one of the functions is missing. Each call opens it anew.
const ChafaApi* openChafa(const char* libraryName);

// openChafa of kChafaLibrary (or the test variable's library), once per
// process (safe from any thread); the library stays open.
const ChafaApi* loadChafa();

}  // namespace pentrill
