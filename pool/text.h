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

// The number a text begins with (after leading blanks): optional sign, digits,
// optional fraction and exponent. 0 when the text does not begin with a number.
double numberValue(std::string_view text);

// numberValue rounded to the nearest whole number, halves to the even neighbour.
long long roundedNumberValue(std::string_view text);

// Removes blanks (0x20 only) at both ends.
std::string trimBlanks(std::string_view text);

}  // namespace pentrill
