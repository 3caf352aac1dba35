#pragma once

#include <cstdint>
#include <string_view>

// The platform's string conversions (NSString's boolValue, intValue, floatValue): they read the
// start of the string and never fail.

// True when, after leading blanks, an optional sign and leading zeros, the string starts with
// Y, y, T, t or a digit from 1 to 9.
bool boolValue(std::string_view);
// The decimal integer that begins the string after leading blanks and an optional sign; 0 when
// there is none. Out-of-range values saturate at INT32_MIN and INT32_MAX.
std::int32_t intValue(std::string_view);
// The decimal number that begins the string ("5.1.1" gives 5.1); 0 when there is none.
float floatValue(std::string_view);

// A real number truncated toward zero into 32 bits, saturating instead of overflowing; NaN gives 0.
std::int32_t intValueOfReal(double);
