#include "patch_removal.h"

namespace maker {

RemovalDecision DecideRemovable(std::wstring_view allowRemoval)
{
    // Only the value the installer documents counts: " 1", "01" or "yes" leave the patch permanent.
    if (allowRemoval == L"1")
        return {true, {}};
    const std::wstring found = allowRemoval.empty() ? std::wstring(L"no AllowRemoval of 1")
                                                    : L"AllowRemoval \"" + std::wstring(allowRemoval) + L"\", not 1";
    return {false, L"the patch does not allow its removal (its MsiPatchMetadata has " + found +
                       L"); the wrapper's /uninstall will refuse it"};
}

}  // namespace maker
