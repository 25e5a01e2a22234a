// Figures stored in the program: their bytes come from headers that the
// build generates from resources/figures/, so they can be checked against
// the figure table while the program is compiled.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

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
  const std::uint64_t* words;  // the file, packed into little-endian words
  std::size_t size;            // in bytes
};

constexpr unsigned embeddedByte(const std::uint64_t* words, std::size_t i) {
  return static_cast<unsigned>((words[i / 8] >> (8 * (i % 8))) & 0xFF);
}

constexpr bool figureFitsItsRow(const EmbeddedFigure& figure) {
  auto byteAt = [&figure](std::size_t i) { return embeddedByte(figure.words, i); };
  return isFigureBitmap(readBitmapHeader(byteAt, figure.size), figure.size, figure.width, figure.height);
}

template <std::size_t N>
constexpr bool allFiguresFitTheirRows(const EmbeddedFigure (&figures)[N]) {
  for (const EmbeddedFigure& figure : figures)
    if (!figureFitsItsRow(figure)) return false;
  return true;
}

inline Figure figureOf(const EmbeddedFigure& figure) {
  return Figure{figure.reference, figure.pictureName, figure.width, figure.height, figure.caption,
                std::span(reinterpret_cast<const unsigned char*>(figure.words), figure.size)};
}

// The figure table of an edition, its rows in the given order.
template <std::size_t N>
std::array<Figure, N> figureTableOf(const EmbeddedFigure (&figures)[N]) {
  std::array<Figure, N> table;
  for (std::size_t i = 0; i < N; ++i) table[i] = figureOf(figures[i]);
  return table;
}

}  // namespace pentrill
