#pragma once
// What the patch says about itself in its MsiPatchMetadata table: the standard properties the
// maker looks at, no company's own.
#include <string>

namespace maker {

// Each empty when the patch has no such row; the table never holds an empty value.
struct PatchMetadata {
    std::wstring displayName;        // "DisplayName"
    std::wstring manufacturerName;   // "ManufacturerName"
    std::wstring targetProductName;  // "TargetProductName"
    std::wstring description;        // "Description"
    std::wstring allowRemoval;       // "AllowRemoval"
};

}  // namespace maker
