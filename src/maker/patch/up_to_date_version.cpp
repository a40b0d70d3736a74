#include "up_to_date_version.h"

#include <algorithm>
#include <iterator>

#include "package/embedded_resources.h"
#include "patch_set.h"
#include "text/ascii_case.h"
#include "version_order.h"

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

// The transforms of `patch` that name `productCode` as their target; all of them where none
// does, as a wrapper of that patch alone would take them.
std::vector<TransformProducts> TransformsOf(const CheckedPatch& patch, const std::wstring& productCode)
{
    std::vector<TransformProducts> own;
    std::ranges::copy_if(patch.products, std::back_inserter(own),
                         [&](const TransformProducts& p) { return SameIgnoringAsciiCase(p.targetProductCode, productCode); });
    return own.empty() ? patch.products : own;
}

std::wstring PathsOf(const std::vector<const CheckedPatch*>& patches)
{
    std::wstring paths;
    for (const CheckedPatch* patch : patches)
        paths += (paths.empty() ? L"" : L", ") + patch->path;
    return paths;
}

// The product's version from the patches that target it; the refusal names them and the first
// one that cannot tell.
ProductUpToDate DecideProductVersion(const std::wstring& productCode, const std::vector<const CheckedPatch*>& patches,
                                     const std::optional<std::wstring>& given, std::wstring& refusal)
{
    ProductUpToDate product{productCode, {}, false};
    for (const CheckedPatch* patch : patches) {
        const VersionDecision decision = DecideUpToDateVersion(TransformsOf(*patch, productCode), std::nullopt);
        if (!decision.refusal.empty() && given)
            return {productCode, *given, true};
        if (!decision.refusal.empty()) {
            refusal = L"its up-to-date version cannot be derived from its patches (" + PathsOf(patches) + L"): for " +
                      patch->path + L", " + decision.refusal + L"; give it with /version";
            return product;
        }
        if (product.version.empty() || CompareVersions(decision.version, product.version) > 0)
            product.version = decision.version;
    }
    return product;
}

}  // namespace

SetVersionDecision DecideSetVersions(const std::vector<CheckedPatch>& patches, const std::optional<std::wstring>& given)
{
    SetVersionDecision decision;
    for (const std::wstring& code : SetTargets(patches)) {
        std::vector<const CheckedPatch*> targeting;
        for (const CheckedPatch& patch : patches)
            if (Targets(patch, code))
                targeting.push_back(&patch);
        ProductUpToDate product = DecideProductVersion(code, targeting, given, decision.refusal);
        if (!decision.refusal.empty()) {
            decision.refusedProduct = code;
            decision.products.clear();
            return decision;
        }
        if (decision.highest.empty() || CompareVersions(product.version, decision.highest) > 0)
            decision.highest = product.version;
        decision.products.push_back(std::move(product));
    }
    if (given && std::ranges::none_of(decision.products, &ProductUpToDate::fromOption))
        decision.warning = L"the patches give every product's up-to-date version; /version " + *given + L" is not used";
    return decision;
}

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
