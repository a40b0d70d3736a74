#pragma once
// The property command line with which a product is configured with the patch.
#include <string>

namespace apply {

// PATCH="<package>" [LOCALEID=<id> ]REBOOTPROMPT=SUPPRESS FILESINUSETEXT="<text>"; the locale
// id goes on only when it has two or more characters. Values are quoted the installer's way,
// so no value read from a product can add or end a property.
std::wstring BuildCommandLine(const std::wstring& packagePath, const std::wstring& localeId,
                              const std::wstring& filesInUseText);

}  // namespace apply
