// Conversions between numbers and the program's 8-bit texts.
#pragma once
#include <string>
#include <string_view>

namespace pentrill {

// Decimal text of a whole number: a blank in front of a non-negative number,
// a minus sign in front of a negative one (" 11", "-3").
std::string numberText(long long n);

// The same without the leading blank, for numbers embedded in labels ("11").
std::string plainNumberText(long long n);

// Decimal text of a single-precision value (counts and scores): at most 7
// significant digits, a blank in front of a non-negative value and a minus
// sign in front of a negative one, no trailing zeros and no decimal point for
// a whole number (" 37", " 66.67", "-0.5"). A value that needs more than 7
// digits before the point is written with an exponent (" 1.234568E+07").
std::string singleNumberText(float value);

// The value rounded to two decimals in single precision: times 100, to the
// nearest whole number with ties to the even one, divided by 100 (3.125
// gives 3.12, 9.375 gives 9.38).
float roundToHundredths(float value);

// The number a text begins with (after leading blanks): optional sign, digits,
// optional fraction and exponent. 0 when the text does not begin with a number.
double numberValue(std::string_view text);

// numberValue rounded to the nearest whole number, halves to the even neighbour.
long long roundedNumberValue(std::string_view text);

// count blanks (none for a count below 1).
std::string blanks(int count);

// Blanks before the text, to `width` characters: numbers in a column.
std::string alignedRight(std::string text, size_t width);
// Blanks after the text, to `width` characters.
std::string paddedRight(std::string text, size_t width);

// Removes blanks (0x20 only) at both ends.
std::string trimBlanks(std::string_view text);

}  // namespace pentrill
