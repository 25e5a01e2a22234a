#include "screen/terminal_figure.h"

#include <algorithm>
#include <cmath>

#include "resources/bitmap_header.h"

namespace pentrill {

CellPixels terminalCellPixels(int windowWidth, int windowHeight, int columns, int rows, int reportedWidth,
                              int reportedHeight) {
  auto plausible = [](int width, int height) { return width >= 2 && width <= 1000 && height >= 2 && height <= 1000; };
  if (columns > 0 && rows > 0 && plausible(windowWidth / columns, windowHeight / rows))
    return {windowWidth / columns, windowHeight / rows};
  if (plausible(reportedWidth, reportedHeight)) return {reportedWidth, reportedHeight};
  return {};
}

CellRect figureRegion(int pictureWidth, int pictureHeight, CellRect area, CellPixels cell) {
  if (pictureWidth <= 0 || pictureHeight <= 0 || cell.width <= 0 || cell.height <= 0) return {area.row, area.column, 1, 1};
  const double scale = std::min(static_cast<double>(area.width) * cell.width / pictureWidth,
                                static_cast<double>(area.height) * cell.height / pictureHeight);
  auto cells = [](double pixels, int cellPixels, int most) {
    return std::clamp(static_cast<int>(std::lround(pixels / cellPixels)), 1, most);
  };
  const int width = cells(pictureWidth * scale, cell.width, area.width);
  const int height = cells(pictureHeight * scale, cell.height, area.height);
  return {area.row + (area.height - height) / 2, area.column + (area.width - width) / 2, width, height};
}

std::optional<RgbPicture> readBitmapPixels(std::span<const unsigned char> file) {
  const std::optional<PictureSize> size = drawableBitmapSize(file);
  if (!size) return std::nullopt;
  const BitmapHeader header = *readBitmapHeader(file);
  const int bits = header.bitsPerPixel;
  const std::size_t rowBytes = (static_cast<std::size_t>(size->width) * static_cast<std::size_t>(bits) + 31) / 32 * 4;
  const unsigned char* palette = file.data() + 14 + header.infoSize;  // blue, green, red, unused
  RgbPicture picture{size->width, size->height, {}};
  picture.pixels.resize(static_cast<std::size_t>(size->width) * static_cast<std::size_t>(size->height) * 3);
  std::uint8_t* out = picture.pixels.data();
  for (int y = 0; y < size->height; ++y) {
    const int fileRow = header.height > 0 ? size->height - 1 - y : y;  // a positive height: bottom row first
    const unsigned char* row = file.data() + header.pixelOffset + rowBytes * static_cast<std::size_t>(fileRow);
    for (int x = 0; x < size->width; ++x, out += 3) {
      const unsigned char* bgr = nullptr;
      if (bits <= 8) {
        const std::size_t bit = static_cast<std::size_t>(x) * static_cast<std::size_t>(bits);
        const unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
        bgr = palette + 4 * index;
      } else {
        bgr = row + static_cast<std::size_t>(x) * static_cast<std::size_t>(bits / 8);
      }
      out[0] = bgr[2];
      out[1] = bgr[1];
      out[2] = bgr[0];
    }
  }
  return picture;
}

RgbPicture shrinkKeepingLines(const RgbPicture& picture, int width, int height) {
  width = std::clamp(width, 1, std::max(picture.width, 1));
  height = std::clamp(height, 1, std::max(picture.height, 1));
  if (width == picture.width && height == picture.height) return picture;
  // Pixel i takes the source pixels from edges[i] to edges[i + 1]: at least one.
  auto edges = [](int from, int to) {
    std::vector<int> edges(static_cast<std::size_t>(to) + 1);
    for (int i = 0; i <= to; ++i) edges[i] = static_cast<int>(static_cast<std::int64_t>(i) * from / to);
    return edges;
  };
  const std::vector<int> columns = edges(picture.width, width), rows = edges(picture.height, height);
  RgbPicture shrunk{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3, 255)};
  const std::size_t sourceRow = static_cast<std::size_t>(picture.width) * 3;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* const outRow = shrunk.pixels.data() + static_cast<std::size_t>(y) * width * 3;
    for (int sy = rows[y]; sy < std::max(rows[y + 1], rows[y] + 1); ++sy) {
      const std::uint8_t* const in = picture.pixels.data() + static_cast<std::size_t>(sy) * sourceRow;
      for (int x = 0; x < width; ++x) {
        std::uint8_t* const out = outRow + static_cast<std::size_t>(x) * 3;
        for (int sx = columns[x]; sx < std::max(columns[x + 1], columns[x] + 1); ++sx) {
          const std::uint8_t* const pixel = in + static_cast<std::size_t>(sx) * 3;
          out[0] = std::min(out[0], pixel[0]);
          out[1] = std::min(out[1], pixel[1]);
          out[2] = std::min(out[2], pixel[2]);
        }
      }
    }
  }
  return shrunk;
}

void darkenMidtones(RgbPicture& picture, double exponent) {
  std::uint8_t curve[256];
  for (int v = 0; v < 256; ++v) curve[v] = static_cast<std::uint8_t>(std::lround(255.0 * std::pow(v / 255.0, exponent)));
  for (std::uint8_t& value : picture.pixels) value = curve[value];
}

void makeGrey(RgbPicture& picture) {
  for (std::size_t i = 0; i + 2 < picture.pixels.size(); i += 3) {
    std::uint8_t* pixel = &picture.pixels[i];
    const auto grey = static_cast<std::uint8_t>((299 * pixel[0] + 587 * pixel[1] + 114 * pixel[2] + 500) / 1000);
    pixel[0] = pixel[1] = pixel[2] = grey;
  }
}

}  // namespace pentrill
