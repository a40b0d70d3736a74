#include "patch_transforms.h"

#include <algorithm>
#include <cwctype>

#include "text/split.h"

namespace maker {

namespace {

// A braced GUID followed by a non-empty version, such as "{...}12.2.0.4".
bool SplitCodeAndVersion(std::wstring_view text, std::wstring& code, std::wstring& version)
{
    if (!StartsWithBracedGuid(text) || text.size() == BracedGuidLength)
        return false;
    code = text.substr(0, BracedGuidLength);
    version = text.substr(BracedGuidLength);
    return true;
}

}  // namespace

bool StartsWithBracedGuid(std::wstring_view text)
{
    if (text.size() < BracedGuidLength || text[0] != L'{' || text[37] != L'}')
        return false;
    for (std::size_t i = 1; i < 37; ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? text[i] != L'-' : !std::iswxdigit(text[i]))
            return false;
    }
    return true;
}

std::optional<TransformProducts> ParseTransformProducts(std::wstring_view text)
{
    const std::vector<std::wstring_view> parts = Split(text, L';');
    TransformProducts products;
    if (parts.size() != 3 ||
        !SplitCodeAndVersion(parts[0], products.targetProductCode, products.targetVersion) ||
        !SplitCodeAndVersion(parts[1], products.upgradedProductCode, products.upgradedVersion) ||
        parts[2].size() != BracedGuidLength || !StartsWithBracedGuid(parts[2]))
        return std::nullopt;
    products.upgradeCode = parts[2];
    return products;
}

std::vector<std::wstring> ListedTransforms(std::wstring_view property8)
{
    std::vector<std::wstring> names;
    for (const std::wstring_view entry : Split(property8, L';'))
        if (entry.size() > 1 && entry[0] == L':')
            names.emplace_back(entry.substr(1));
    return names;
}

}  // namespace maker
