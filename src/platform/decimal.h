#pragma once
#include <charconv>
#include <string>

// A number in decimal. std::to_chars needs neither locale nor printf, which keeps the
// runtime's formatting machinery out of the wrapper.
inline std::wstring Decimal(long long value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return std::wstring(digits, end);
}
