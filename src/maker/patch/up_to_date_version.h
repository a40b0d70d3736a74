#pragma once
// Which ProductVersion a made wrapper treats as "already patched". The wrapper stops at a
// product already at that version, so a wrong value either re-patches products or tells users
// an unpatched product is up to date: the maker takes it from the patch and refuses to guess.
#include <optional>
#include <string>
#include <vector>

#include "checked_patch.h"
#include "patch_transforms.h"

namespace maker {

struct VersionDecision {
    std::wstring version;  // empty when refused
    bool fromOption = false;
    std::wstring warning;  // set when /version overrides a different version in the patch
    std::wstring refusal;  // why the patch gives no version and /version is needed
};

// `products`: what each product transform of the patch says, in the patch's order.
VersionDecision DecideUpToDateVersion(const std::vector<TransformProducts>& products,
                                      const std::optional<std::wstring>& given);

// One product of a set and the version that means it has the set's patches.
struct ProductUpToDate {
    std::wstring productCode;
    std::wstring version;
    bool fromOption = false;
};

struct SetVersionDecision {
    std::vector<ProductUpToDate> products;  // every target of the set, in order; empty when refused
    std::wstring highest;                   // the highest of their versions, for the version resource
    std::wstring warning;                   // set when /version was given but no product needs it
    std::wstring refusedProduct;            // the product whose version cannot be derived
    std::wstring refusal;                   // why, naming its patches; /version is needed
};

// For each product the set targets, the highest version a patch targeting it brings it to,
// each patch's taken as for a wrapper of that patch alone from its transforms of that product
// (or from all of them where none names it). `given` stands in where a patch cannot tell.
SetVersionDecision DecideSetVersions(const std::vector<CheckedPatch>& patches, const std::optional<std::wstring>& given);

}  // namespace maker
