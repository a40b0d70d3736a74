#pragma once
// What the patch says about itself in its MsiPatchMetadata table, read through msi.dll from
// the system directory as the wrapper's other installer calls are.
#include <string>

#include "patch_metadata.h"

namespace maker {

// The standard properties the maker looks at; each empty when the patch has none, or when the
// package cannot be opened as a patch database or has no such table.
PatchMetadata ReadPatchMetadata(const std::wstring& path);

}  // namespace maker
