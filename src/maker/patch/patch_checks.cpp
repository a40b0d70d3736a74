#include "patch_checks.h"

#include <algorithm>
#include <cwctype>

#include "patch_transforms.h"
#include "text/split.h"

namespace maker {

namespace {

bool SameClass(std::wstring_view a, std::wstring_view b)
{
    return std::ranges::equal(a, b, [](wchar_t x, wchar_t y) { return std::towupper(x) == std::towupper(y); });
}

}  // namespace

std::wstring WhyNotAPatchClass(std::wstring_view rootClass)
{
    if (SameClass(rootClass, PatchClass))
        return {};
    if (SameClass(rootClass, DatabaseClass))
        return L"is an installer database (.msi or .msm), not a patch package (.msp)";
    if (SameClass(rootClass, TransformClass))
        return L"is a transform (.mst), not a patch package (.msp)";
    return L"is a compound file but no patch package (its class is " + std::wstring(rootClass) + L")";
}

std::wstring WhyNotAPatchSummary(std::wstring_view targets, std::wstring_view revision)
{
    if (targets.empty())
        return L"names no target products (summary property 7 is empty)";
    if (!StartsWithBracedGuid(revision))
        return L"has no patch code (summary property 9 does not begin with a GUID in braces)";
    return {};
}

std::vector<std::wstring> TargetProductCodes(std::wstring_view targets)
{
    std::vector<std::wstring> codes;
    for (const std::wstring_view code : Split(targets, L';')) {
        if (code.empty())
            break;
        codes.emplace_back(code);
    }
    return codes;
}

}  // namespace maker
