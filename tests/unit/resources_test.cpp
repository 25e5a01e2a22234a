#include "resources/resources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string_view>

namespace pentrill {
namespace {

std::uint32_t littleEndian(std::span<const unsigned char> bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
  return value;
}

std::string_view fourCc(std::span<const unsigned char> bytes, std::size_t at) {
  return {reinterpret_cast<const char*>(bytes.data() + at), 4};
}

// The body of the first chunk with the given id after the RIFF header, the way
// a WAVE reader walks the file (chunks are padded to even lengths).
std::optional<std::span<const unsigned char>> chunk(std::span<const unsigned char> file, std::string_view id) {
  std::size_t at = 12;
  while (at + 8 <= file.size()) {
    std::size_t length = littleEndian(file, at + 4, 4);
    if (at + 8 + length > file.size()) return std::nullopt;
    if (fourCc(file, at) == id) return file.subspan(at + 8, length);
    at += 8 + length + length % 2;
  }
  return std::nullopt;
}

TEST(AlertSoundWave, IsRiffWaveWithPcmMono8BitAt22050) {
  std::span<const unsigned char> file = alertSoundWave();
  ASSERT_GE(file.size(), 44u);
  EXPECT_EQ(fourCc(file, 0), "RIFF");
  EXPECT_EQ(littleEndian(file, 4, 4) + 8, file.size()) << "RIFF length must cover the whole resource";
  EXPECT_EQ(fourCc(file, 8), "WAVE");

  auto format = chunk(file, "fmt ");
  ASSERT_TRUE(format.has_value());
  ASSERT_GE(format->size(), 16u);
  EXPECT_EQ(littleEndian(*format, 0, 2), 1u) << "PCM";
  EXPECT_EQ(littleEndian(*format, 2, 2), 1u) << "channels";
  EXPECT_EQ(littleEndian(*format, 4, 4), 22050u) << "samples per second";
  EXPECT_EQ(littleEndian(*format, 8, 4), 22050u) << "bytes per second";
  EXPECT_EQ(littleEndian(*format, 12, 2), 1u) << "block alignment";
  EXPECT_EQ(littleEndian(*format, 14, 2), 8u) << "bits per sample";
}

TEST(AlertSoundWave, LastsAboutPointFourThreeSeconds) {
  auto data = chunk(alertSoundWave(), "data");
  ASSERT_TRUE(data.has_value());
  double seconds = static_cast<double>(data->size()) / 22050;
  EXPECT_NEAR(seconds, 0.43, 0.005);
}

TEST(AlertSoundWave, IsAnAudibleToneThatNeitherClipsNorClicks) {
  auto data = chunk(alertSoundWave(), "data");
  ASSERT_TRUE(data.has_value());
  ASSERT_GT(data->size(), 100u);
  auto deviation = [](unsigned char sample) { return std::abs(static_cast<int>(sample) - 128); };

  int loudest = 0;
  for (unsigned char sample : *data) loudest = std::max(loudest, deviation(sample));
  EXPECT_GT(loudest, 48) << "too quiet to hear";
  EXPECT_LT(loudest, 127) << "reaches the limits of the 8-bit range";

  // Starting or stopping away from the centre line is heard as a click.
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_LE(deviation((*data)[i]), 2) << "sample " << i;
    EXPECT_LE(deviation((*data)[data->size() - 1 - i]), 2) << "sample from the end " << i;
  }

  // Crossings of the centre line give the mean pitch: a chime, not a hum or a hiss.
  int crossings = 0;
  for (std::size_t i = 1; i < data->size(); ++i)
    if (((*data)[i - 1] < 128) != ((*data)[i] < 128)) ++crossings;
  double pitch = crossings / 2.0 / (static_cast<double>(data->size()) / 22050);
  EXPECT_GT(pitch, 300);
  EXPECT_LT(pitch, 3000);
}

}  // namespace
}  // namespace pentrill
