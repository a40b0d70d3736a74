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
};

}  // namespace apply
