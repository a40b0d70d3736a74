#include "up_to_date_version.h"

#include <algorithm>

#include "package/embedded_resources.h"

namespace maker {

namespace {

// The version every transform upgrades to; the refusal when they disagree, upgrade to the
// version they start from, or none carries one.
VersionDecision FromPatch(const std::vector<TransformProducts>& products)
{
    VersionDecision decision;
    if (products.empty()) {
        decision.refusal = L"no transform carries the version it upgrades to";
        return decision;
    }
    const std::wstring& first = products.front().upgradedVersion;
    const auto other = std::ranges::find_if(products, [&](const TransformProducts& p) { return p.upgradedVersion != first; });
    if (other != products.end()) {
        decision.refusal = L"its targets upgrade to different versions (" + first + L" for " +
                           products.front().targetProductCode + L", " + other->upgradedVersion + L" for " +
                           other->targetProductCode + L")";
        return decision;
    }
    const auto unchanged = std::ranges::find_if(products, [&](const TransformProducts& p) { return p.targetVersion == first; });
    if (unchanged != products.end()) {
        decision.refusal = L"it leaves " + unchanged->targetProductCode + L" at version " + first +
                           L", so a wrapper with that version would call every target already up to date";
        return decision;
    }
    if (!package::IsUsableVersion(first)) {
        decision.refusal = L"the version its targets upgrade to is no usable version (empty, too long or with a control character)";
        return decision;
    }
    decision.version = first;
    return decision;
}

}  // namespace

VersionDecision DecideUpToDateVersion(const std::vector<TransformProducts>& products,
                                      const std::optional<std::wstring>& given)
{
    if (!given)
        return FromPatch(products);
    VersionDecision decision{*given, true, {}, {}};
    // Every version the patch names that is not the given one, once each.
    std::wstring others;
    for (const TransformProducts& p : products)
        if (p.upgradedVersion != *given && others.find(L" " + p.upgradedVersion + L",") == std::wstring::npos)
            others += L" " + p.upgradedVersion + L",";
    if (!others.empty()) {
        others.pop_back();
        decision.warning = L"the patch upgrades its targets to" + others + L"; using /version " + *given;
    }
    return decision;
}

}  // namespace maker
