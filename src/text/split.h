#pragma once
// A text cut at every separator, empty parts included ("a;;b" gives "a", "", "b"): the
// installer's lists (target products, transforms, products before and after) are written so.
#include <string_view>
#include <vector>

inline std::vector<std::wstring_view> Split(std::wstring_view text, wchar_t separator)
{
    std::vector<std::wstring_view> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::wstring_view::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}
