#pragma once
#include <charconv>
#include <concepts>
#include <string>

// A number in decimal. std::to_chars needs neither locale nor printf, which keeps the
// runtime's formatting machinery out of the wrapper. It formats in the number's own width:
// the wrapper's numbers are 32-bit, and on i686 a 64-bit one would bring libgcc's 64-bit
// division along.
template <std::integral Number>
std::wstring Decimal(Number value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return std::wstring(digits, end);
}
