#pragma once
// Characters that have no place in a one-line text: C0 controls (line breaks, tabs, NUL), DEL
// and the C1 controls. A version or a name holding one would break the lines and files it is
// written into.
#include <algorithm>
#include <string_view>

inline bool IsControlCharacter(wchar_t c) { return c < L' ' || (c >= 0x7F && c <= 0x9F); }

inline bool HasControlCharacter(std::wstring_view text) { return std::ranges::any_of(text, IsControlCharacter); }
