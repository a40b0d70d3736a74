#pragma once
// Which of two ProductVersion texts is the higher, as the Windows Installer reads them: field
// by field, each a number, so that 12.10 comes after 12.9.
#include <string_view>

namespace maker {

// Negative, zero or positive as `a` is lower than, as high as or higher than `b`. Each
// dot-separated field counts by its leading decimal digits, however many (a missing field or
// one without digits is 0), so "12.2" and "12.2.0" are as high as each other.
int CompareVersions(std::wstring_view a, std::wstring_view b);

}  // namespace maker
