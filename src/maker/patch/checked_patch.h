#pragma once
// A package as the maker read and checked it: what the wrapper will read from its summary,
// and what its transforms say about the products before and after.
#include <string>
#include <vector>

#include "patch_transforms.h"

namespace maker {

struct CheckedPatch {
    std::wstring path;  // as given, to name it
    std::vector<std::wstring> targets;
    std::wstring patchCode;
    std::vector<TransformProducts> products;
};

}  // namespace maker
