#pragma once
// The VERSIONINFO resource of a made wrapper, so that Explorer's properties and inventory
// tools say which patch the file carries and which version it brings.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace maker {

struct VersionTexts {
    std::wstring version;           // FileVersion and ProductVersion
    std::wstring description;       // FileDescription and ProductName
    std::wstring originalFilename;  // OriginalFilename
};

// The description when the patch names itself nowhere.
constexpr std::wstring_view PlainDescription = L"Service pack";

// The leading numbers of a version such as "12.2.0.4 beta", up to four, each below 65536;
// missing ones are 0. They fill the numeric file and product versions.
std::array<std::uint16_t, 4> LeadingVersionNumbers(std::wstring_view version);

// A VS_VERSIONINFO block: the fixed file information, a StringFileInfo table for U.S. English
// in Unicode (040904B0) and the matching VarFileInfo translation.
std::vector<std::byte> BuildVersionInfo(const VersionTexts& texts);

}  // namespace maker
