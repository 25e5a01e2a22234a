// make_alert_wave <output.wav>
//
// Synthesises the program's alert: a short falling two-note chime (A5 then F5)
// with bell-like overtones, 8-bit unsigned mono PCM at 22,050 samples per
// second, 0.43 s long. Each note rises over a few milliseconds and decays
// exponentially, and the whole sound fades to the centre line at both ends, so
// playing it or cutting it short never clicks. The output is deterministic.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kSampleRate = 22050;
constexpr int kSampleCount = 9482;  // 0.43 s
constexpr double kPeak = 96.0;      // of the 127 steps either side of the centre
constexpr double kEdgeFade = 0.012; // seconds of fade at the very start and end

struct Note {
  double start;      // seconds
  double frequency;  // Hz
  double loudness;   // relative
};

constexpr Note kNotes[] = {{0.0, 880.0, 1.0}, {0.16, 698.46, 0.9}};

// One note: a raised-cosine attack and an exponential decay, with two
// overtones that fade faster than the fundamental, as a struck bell does.
double noteValue(const Note& note, double t) {
  double local = t - note.start;
  if (local < 0) return 0;
  constexpr double kAttack = 0.006;
  constexpr double kDecay = 0.11;
  double envelope = std::exp(-local / kDecay);
  if (local < kAttack) envelope *= 0.5 - 0.5 * std::cos(std::numbers::pi * local / kAttack);
  double phase = 2 * std::numbers::pi * note.frequency * local;
  double tone = std::sin(phase) + 0.35 * std::exp(-local / 0.05) * std::sin(2 * phase) +
                0.12 * std::exp(-local / 0.03) * std::sin(3 * phase);
  return note.loudness * envelope * tone;
}

double edgeFade(double t) {
  double duration = static_cast<double>(kSampleCount) / kSampleRate;
  double distance = std::min(t, duration - t);
  if (distance >= kEdgeFade) return 1.0;
  return 0.5 - 0.5 * std::cos(std::numbers::pi * std::max(distance, 0.0) / kEdgeFade);
}

std::vector<double> synthesise() {
  std::vector<double> wave(kSampleCount);
  for (int i = 0; i < kSampleCount; ++i) {
    double t = static_cast<double>(i) / kSampleRate;
    double value = 0;
    for (const Note& note : kNotes) value += noteValue(note, t);
    wave[static_cast<std::size_t>(i)] = value * edgeFade(t);
  }
  return wave;
}

std::vector<std::uint8_t> quantise(const std::vector<double>& wave) {
  double largest = 0;
  for (double v : wave) largest = std::max(largest, std::fabs(v));
  double scale = largest > 0 ? kPeak / largest : 0;
  std::vector<std::uint8_t> samples;
  samples.reserve(wave.size());
  for (double v : wave) samples.push_back(static_cast<std::uint8_t>(std::lround(128 + v * scale)));
  return samples;
}

void putLittleEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// RIFF/WAVE with a 16-byte PCM format chunk and one data chunk.
std::string waveFile(const std::vector<std::uint8_t>& samples) {
  auto dataSize = static_cast<std::uint32_t>(samples.size());
  std::uint32_t padding = dataSize % 2;  // chunks are word-aligned
  std::string out = "RIFF";
  putLittleEndian(out, 4 + (8 + 16) + (8 + dataSize + padding), 4);
  out += "WAVEfmt ";
  putLittleEndian(out, 16, 4);
  putLittleEndian(out, 1, 2);            // PCM
  putLittleEndian(out, 1, 2);            // mono
  putLittleEndian(out, kSampleRate, 4);
  putLittleEndian(out, kSampleRate, 4);  // bytes per second
  putLittleEndian(out, 1, 2);            // bytes per sample frame
  putLittleEndian(out, 8, 2);            // bits per sample
  out += "data";
  putLittleEndian(out, dataSize, 4);
  out.append(samples.begin(), samples.end());
  if (padding) out += '\0';
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_alert_wave <output.wav>\n";
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << waveFile(quantise(synthesise()));
  if (!out.flush()) {
    std::cerr << "make_alert_wave: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
