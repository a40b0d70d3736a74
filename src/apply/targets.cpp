#include "targets.h"

#include "run_context.h"

#include <algorithm>
#include <cwchar>

namespace apply {

std::vector<std::wstring> SplitTargetList(std::wstring targets)
{
    if (targets.size() > 1 && targets.back() != L';')
        targets.push_back(L';');
    std::vector<std::wstring> codes;
    for (std::size_t start = 0, end = targets.find(L';'); end != std::wstring::npos && end > start;
         start = end + 1, end = targets.find(L';', start)) {
        std::wstring code = targets.substr(start, end - start);
        if (std::find(codes.begin(), codes.end(), code) == codes.end())
            codes.push_back(std::move(code));
    }
    return codes;
}

std::wstring PatchOwnCode(const std::wstring& revisionNumber)
{
    const std::size_t end = revisionNumber.find(L'}');
    if (revisionNumber.empty() || revisionNumber[0] != L'{' || end == std::wstring::npos)
        return revisionNumber;
    return revisionNumber.substr(0, end + 1);
}

ProductRecord ReadInstalledProduct(const ProductQueries& queries, const std::wstring& productCode)
{
    ProductRecord record;
    record.productCode = productCode;
    record.version = queries.QueryProductVersion(productCode);
    queries.QueryProductIdentity(productCode, record.productName, record.language, record.localeId);
    record.context = queries.QueryProductContext(productCode);
    return record;
}

std::uint32_t LocaleFromLanguage(const std::wstring& language)
{
    return static_cast<std::uint32_t>(std::wcstol(language.c_str(), nullptr, 10));
}

void SelectProduct(Reporter& reporter, const ProductRecord& record)
{
    CurrentProductName = record.productName;
    reporter.SelectLanguage(LocaleFromLanguage(record.language));
}

}  // namespace apply
