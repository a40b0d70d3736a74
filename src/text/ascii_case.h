#pragma once
// Texts compared as the wrapper's set resource compares them: ASCII letters regardless of
// case, every other character as it is. GUIDs and the file names of a set are compared so.
#include <algorithm>
#include <string_view>

inline wchar_t AsciiUpper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

inline bool SameIgnoringAsciiCase(std::wstring_view a, std::wstring_view b)
{
    return std::ranges::equal(a, b, [](wchar_t x, wchar_t y) { return AsciiUpper(x) == AsciiUpper(y); });
}
