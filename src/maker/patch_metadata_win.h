#pragma once
// The patch's own name, from its MsiPatchMetadata table, read through msi.dll from the
// system directory as the wrapper's other installer calls are.
#include <optional>
#include <string>

namespace maker {

// The "DisplayName" value; no value when the patch has none, an empty one, or cannot be opened as a patch
// database.
std::optional<std::wstring> ReadPatchDisplayName(const std::wstring& path);

}  // namespace maker
