#pragma once
// Case folding of ASCII letters only, as option words and property names are ASCII.
#include <algorithm>
#include <string>
#include <string_view>

inline wchar_t AsciiUpper(wchar_t c)
{
    return (c >= L'a' && c <= L'z') ? wchar_t(c - L'a' + L'A') : c;
}

inline std::wstring AsciiUpper(std::wstring_view text)
{
    std::wstring upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](wchar_t c) { return AsciiUpper(c); });
    return upper;
}

inline bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b)
{
    return AsciiUpper(a) == AsciiUpper(b);
}
