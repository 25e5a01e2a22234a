// Figures stored in the program: their compressed bytes and bitmap headers
// come from headers that the build generates from resources/figures/, so the
// files can be checked against the figure table while the program compiles.
#pragma once
#include <array>
#include <cstddef>
#include <string_view>

#include "pool/compressed_bitmap.h"
#include "pool/edition.h"
#include "resources/bitmap_header.h"

namespace pentrill {

// A figure table row with the embedded file it shows.
struct EmbeddedFigure {
  std::string_view reference;
  std::string_view pictureName;
  int width;
  int height;
  std::string_view caption;
  const CompressedBitmap* bitmap;  // the file, with the header read before it was compressed
  std::string_view description;    // from the figure's .txt beside it, in Windows-1252
};

// The file's header and size, as read before compression, are those of a
// figure bitmap of the row's width and height.
constexpr bool figureFitsItsRow(const EmbeddedFigure& figure) {
  return isFigureBitmap(figure.bitmap->header, figure.bitmap->size, figure.width, figure.height);
}

template <std::size_t N>
constexpr bool allFiguresFitTheirRows(const std::array<EmbeddedFigure, N>& figures) {
  for (const EmbeddedFigure& figure : figures)
    if (!figureFitsItsRow(figure)) return false;
  return true;
}

// Every figure has a description.
template <std::size_t N>
constexpr bool allFiguresDescribed(const std::array<EmbeddedFigure, N>& figures) {
  for (const EmbeddedFigure& figure : figures)
    if (figure.description.empty()) return false;
  return true;
}

constexpr Figure figureOf(const EmbeddedFigure& figure) {
  return Figure{figure.reference, figure.pictureName, figure.width,  figure.height,
                figure.caption,   figure.bitmap,      figure.description};
}

// The figure table of an edition, its rows in the given order.
template <std::size_t N>
constexpr std::array<Figure, N> figureTableOf(const std::array<EmbeddedFigure, N>& figures) {
  std::array<Figure, N> table;
  for (std::size_t i = 0; i < N; ++i) table[i] = figureOf(figures[i]);
  return table;
}

}  // namespace pentrill
