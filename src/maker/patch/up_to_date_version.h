#pragma once
// Which ProductVersion a made wrapper treats as "already patched". The wrapper stops at a
// product already at that version, so a wrong value either re-patches products or tells users
// an unpatched product is up to date: the maker takes it from the patch and refuses to guess.
#include <optional>
#include <string>
#include <vector>

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

}  // namespace maker
