#include "screen/text.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace pentrill {

std::string numberText(long long n) {
  if (n < 0) return std::to_string(n);
  std::string text = " ";  // appended: GCC 12 misreads " " + std::string&& as an overlapping copy
  text += std::to_string(n);
  return text;
}

std::string plainNumberText(long long n) { return std::to_string(n); }

std::string singleNumberText(float value) {
  if (value == 0.0f) value = 0.0f;  // no "-0"
  char digits[32];
  std::snprintf(digits, sizeof digits, "%.7G", static_cast<double>(value));
  if (std::signbit(value)) return digits;
  std::string text = " ";  // appended, as in numberText
  text += digits;
  return text;
}

// The default rounding mode rounds halves to even; the product is a
// single-precision value, so 3.125 * 100 is exactly the tie 312.5.
float roundToHundredths(float value) {
  const float hundredths = value * 100.0f;
  return std::nearbyint(hundredths) / 100.0f;
}

double numberValue(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  // Copy only the characters that can belong to a number, so strtod never
  // reads past the view and never accepts hex, "inf" or "nan".
  std::string number;
  auto digitsAt = [&](size_t& k) {
    size_t start = k;
    while (k < text.size() && std::isdigit(static_cast<unsigned char>(text[k]))) number += text[k++];
    return k - start;
  };
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
  size_t whole = digitsAt(i);
  size_t fraction = 0;
  if (i < text.size() && text[i] == '.') {
    number += text[i++];
    fraction = digitsAt(i);
  }
  if (whole + fraction == 0) return 0.0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t k = i + 1;
    std::string exponent = "e";
    if (k < text.size() && (text[k] == '+' || text[k] == '-')) exponent += text[k++];
    size_t start = k;
    while (k < text.size() && std::isdigit(static_cast<unsigned char>(text[k]))) exponent += text[k++];
    if (k > start) number += exponent;
  }
  double value = std::strtod(number.c_str(), nullptr);
  return std::isfinite(value) ? value : 0.0;
}

long long roundedNumberValue(std::string_view text) {
  double value = std::nearbyint(numberValue(text));  // default rounding: halves to even
  if (value > 9e18 || value < -9e18) return 0;
  return static_cast<long long>(value);
}

std::string trimBlanks(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::string blanks(int count) { return std::string(static_cast<size_t>(count > 0 ? count : 0), ' '); }

std::string alignedRight(std::string text, size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

std::string paddedRight(std::string text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

}  // namespace pentrill
