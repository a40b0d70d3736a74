#pragma once
// The package's target list and what the installer says about each product on it; both
// modes go through the list the same way.
#include <string>
#include <vector>

#include "product_queries.h"
#include "product_record.h"

namespace apply {

// The codes of the ';'-separated list in order, up to its first empty entry (a list of one
// character names none); a code named twice comes once, so that no product is changed twice.
std::vector<std::wstring> SplitTargetList(std::wstring targets);

// The revision-number text holds the patch's own code followed by the codes it obsoletes;
// the installer's questions about a registered patch want the patch's own code alone.
std::wstring PatchOwnCode(const std::wstring& revisionNumber);

// The record of an installed target: version, name, language, locale id and context.
ProductRecord ReadInstalledProduct(const ProductQueries& queries, const std::wstring& productCode);

// The language attribute read as the C runtime reads a number: leading blanks and a sign
// allowed, reading stops at the first non-digit, no digits give 0.
std::uint32_t LocaleFromLanguage(const std::wstring& language);

constexpr bool IsSuccessOrRestart(std::uint32_t result)
{
    return result == msi::Success || result == msi::RebootRequired || result == msi::RebootInitiated;
}

// A restart the installer started outranks one that is still needed.
constexpr std::uint32_t MoreUrgentRestart(std::uint32_t current, std::uint32_t result)
{
    return current == msi::RebootInitiated || result == msi::Success ? current : result;
}

}  // namespace apply
