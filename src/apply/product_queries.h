#pragma once
// Read-only questions to the installer about one product.
#include <string>

#include "installer/installer.h"

namespace apply {

constexpr std::uint32_t ProductValueChars = 1024;

struct ProductQueries {
    msi::Installer& installer;

    // Advertised or installed.
    bool IsProductInstalled(const std::wstring& productCode) const;
    std::wstring QueryProductVersion(const std::wstring& productCode) const;
    // Name and language always; the locale id only when the product can be opened.
    void QueryProductIdentity(const std::wstring& productCode, std::wstring& productName,
                              std::wstring& language, std::wstring& localeId) const;
    // The context the product is installed in: per machine when it is installed per machine,
    // else the current user's unmanaged or managed one, whichever knows the product (its
    // "State" reads); per machine when none does.
    std::uint32_t QueryProductContext(const std::wstring& productCode) const;
    // Whether the patch (its own code) is registered for the product in `context` ("State"
    // reads), and whether that registration may be taken back ("Uninstallable" is "1").
    bool IsPatchRegistered(const std::wstring& patchCode, const std::wstring& productCode,
                           std::uint32_t context) const;
    bool IsPatchRemovable(const std::wstring& patchCode, const std::wstring& productCode,
                          std::uint32_t context) const;
};

}  // namespace apply
