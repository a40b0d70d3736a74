#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "installer/installer.h"

// What the wrapper knows about one target product.
struct ProductRecord {
    std::wstring productCode;
    std::wstring productName;
    std::wstring language;
    std::wstring commandLine;
    std::wstring version;
    std::wstring localeId = L"0";  // "0" until the product's LOCALEID has been read
    // Where the installer keeps the product: per machine, or the current user's own context
    // for a product installed for this user alone.
    std::uint32_t context = msi::ContextMachine;
    // The run's patches (their places among those the wrapper carries) that the product is
    // to get, in the installer's order.
    std::vector<std::size_t> patches;
};

// The products the patch is to be applied to, in the order of the package's target list.
extern std::vector<ProductRecord> ApplicableProducts;
