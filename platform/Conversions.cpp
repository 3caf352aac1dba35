#include "platform/Conversions.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view skipBlanks(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && isBlank(s[i]))
        ++i;
    return s.substr(i);
}

}

bool boolValue(std::string_view text)
{
    std::string_view s = skipBlanks(text);
    if (!s.empty() && (s.front() == '+' || s.front() == '-'))
        s.remove_prefix(1);
    while (!s.empty() && s.front() == '0')
        s.remove_prefix(1);
    if (s.empty())
        return false;
    char c = s.front();
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

std::int32_t intValue(std::string_view text)
{
    std::string_view s = skipBlanks(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    std::int64_t value = 0;
    constexpr std::int64_t limit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
    for (char c : s) {
        if (!isDigit(c))
            break;
        value = value * 10 + (c - '0');
        if (value > limit)
            value = limit; // Saturate early so long digit runs cannot overflow.
    }
    if (negative)
        return static_cast<std::int32_t>(-value < std::numeric_limits<std::int32_t>::min() ? std::numeric_limits<std::int32_t>::min() : -value);
    return static_cast<std::int32_t>(value > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max() : value);
}

float floatValue(std::string_view text)
{
    std::string_view s = skipBlanks(text);
    std::size_t end = 0;
    if (end < s.size() && (s[end] == '+' || s[end] == '-'))
        ++end;
    std::size_t digits = 0;
    while (end < s.size() && isDigit(s[end]))
        ++end, ++digits;
    if (end < s.size() && s[end] == '.') {
        ++end;
        while (end < s.size() && isDigit(s[end]))
            ++end, ++digits;
    }
    if (digits == 0)
        return 0;
    if (end < s.size() && (s[end] == 'e' || s[end] == 'E')) {
        std::size_t exponent = end + 1;
        if (exponent < s.size() && (s[exponent] == '+' || s[exponent] == '-'))
            ++exponent;
        if (exponent < s.size() && isDigit(s[exponent])) {
            end = exponent;
            while (end < s.size() && isDigit(s[end]))
                ++end;
        }
    }
    // NOTE: The product never calls setlocale, so strtof reads '.' as the decimal point.
    std::string number(s.substr(0, end));
    return std::strtof(number.c_str(), nullptr);
}

std::int32_t intValueOfReal(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(std::trunc(value));
}
