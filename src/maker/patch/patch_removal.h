#pragma once
// Whether the patch can be taken off again. The Windows Installer (3.0 and later) registers a
// patch as uninstallable only when its MsiPatchMetadata holds the standard row AllowRemoval
// with the value 1: no table, no row or any other value makes the patch permanent, and the
// wrapper's /uninstall refuses a patch registered so. The release engineer hears of it when
// the wrapper is made, not when a removal is needed.
#include <string>
#include <string_view>

namespace maker {

struct RemovalDecision {
    bool removable = false;
    std::wstring warning;  // set when the patch does not allow its removal
};

// `allowRemoval`: the standard AllowRemoval value, empty when the patch has none.
RemovalDecision DecideRemovable(std::wstring_view allowRemoval);

}  // namespace maker
