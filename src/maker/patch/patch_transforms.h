#pragma once
// What a patch says about its products: the transforms it lists (summary property 8) and, in
// each product transform's own summary (property 9), the product before and after.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace maker {

// "{target product code}target version;{upgraded product code}upgraded version;{upgrade code}"
struct TransformProducts {
    std::wstring targetProductCode;
    std::wstring targetVersion;
    std::wstring upgradedProductCode;
    std::wstring upgradedVersion;
    std::wstring upgradeCode;
};

constexpr std::size_t BracedGuidLength = 38;

// True when `text` begins with a GUID in braces ("{" 8-4-4-4-12 hex digits "}").
bool StartsWithBracedGuid(std::wstring_view text);

// No value when the text does not have that shape (a patch transform carries none) or a
// version is empty.
std::optional<TransformProducts> ParseTransformProducts(std::wstring_view text);

// The sub-storage names in property 8 (":name;:#name"), in order, without the colons. A patch
// transform (its name begins with "#") is listed too; it carries no versions.
std::vector<std::wstring> ListedTransforms(std::wstring_view property8);

}  // namespace maker
