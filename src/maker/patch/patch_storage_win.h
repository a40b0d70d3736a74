#pragma once
// The patch package read as the compound file it is, through structured storage: the class of
// its root storage and the summary information of the package and of each transform in it.
#include <optional>
#include <string>
#include <vector>

#include "patch_transforms.h"

namespace maker {

struct PatchStorage {
    std::wstring rootClass;  // "{...}"
    std::wstring transformList;  // summary property 8 of the package
    // What each listed transform that names its products says, in the order listed.
    std::vector<TransformProducts> products;
};

// No value when the file cannot be opened as a compound file; a transform that cannot be
// read is left out, as one that carries no versions is.
std::optional<PatchStorage> ReadPatchStorage(const std::wstring& path);

}  // namespace maker
