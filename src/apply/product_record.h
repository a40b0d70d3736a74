#pragma once
#include <string>
#include <vector>

// What the wrapper knows about one target product.
struct ProductRecord {
    std::wstring productCode;
    std::wstring productName;
    std::wstring language;
    std::wstring commandLine;
    std::wstring version;
    std::wstring localeId = L"0";  // "0" until the product's LOCALEID has been read
};

// The products the patch is to be applied to, in the order of the package's target list.
extern std::vector<ProductRecord> ApplicableProducts;
