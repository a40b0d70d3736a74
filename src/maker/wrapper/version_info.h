#pragma once
// The VERSIONINFO resource of a made wrapper, so that Explorer's properties and inventory
// tools say which patch the file carries and which version it brings.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "maker/patch/patch_metadata.h"

namespace maker {

struct VersionTexts {
    std::wstring version;           // FileVersion and ProductVersion
    std::wstring description;       // FileDescription
    std::wstring productName;       // ProductName
    std::wstring originalFilename;  // OriginalFilename
    std::wstring company;           // CompanyName; left out when empty, as are the two below
    std::wstring comments;          // Comments
    std::wstring copyright;         // LegalCopyright
};

// The description when the patch names itself nowhere.
constexpr std::wstring_view PlainDescription = L"Service pack";

// The texts a wrapper carries: the patch's own words, with /company and /copyright (when
// given) in place of the patch's.
VersionTexts ChooseVersionTexts(const std::wstring& version, const std::wstring& originalFilename,
                                const PatchMetadata& metadata, const std::optional<std::wstring>& company,
                                const std::optional<std::wstring>& copyright);

// Explorer shows FileDescription on one line: the display names of a set's patches stand there
// joined while they fit in this many characters.
constexpr std::size_t MaxSetDescriptionChars = 256;

// What the version resource says about a set: FileDescription the patches' display names joined
// with "; ", or "<n> patches" when one has none or they do not fit; the company, the product
// and the comments where every patch says the same, else nothing (the product name then falls
// back to the description, as for a patch without one).
PatchMetadata SetMetadata(const std::vector<PatchMetadata>& patches);

// The leading numbers of a version such as "12.2.0.4 beta", up to four, each below 65536;
// missing ones are 0. They fill the numeric file and product versions.
std::array<std::uint16_t, 4> LeadingVersionNumbers(std::wstring_view version);

// A VS_VERSIONINFO block: the fixed file information, a StringFileInfo table for U.S. English
// in Unicode (040904B0) and the matching VarFileInfo translation.
std::vector<std::byte> BuildVersionInfo(const VersionTexts& texts);

}  // namespace maker
