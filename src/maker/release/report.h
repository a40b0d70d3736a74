#pragma once
// What the maker prints: its usage, one line per refusal, and what it made.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "maker/patch/up_to_date_version.h"

namespace maker {

extern const wchar_t* const Usage;

// "svcpack-make: <file>: <what is wrong>", the one line a refusal prints.
std::wstring RefusalLine(std::wstring_view file, std::wstring_view problem);

struct MadeWrapper {
    std::vector<std::wstring> targetProductCodes;
    std::wstring patchCode;
    std::wstring version;
    bool versionFromOption = false;
    std::wstring outputPath;
    std::uint64_t outputSize = 0;
};

std::vector<std::wstring> SummaryLines(const MadeWrapper& made);

struct MadeSetWrapper {
    std::vector<std::wstring> fileNames;   // each package's, in the set's order
    std::vector<std::wstring> patchCodes;  // in the same order
    std::vector<ProductUpToDate> products;
    std::wstring outputPath;
    std::uint64_t outputSize = 0;
};

std::vector<std::wstring> SetSummaryLines(const MadeSetWrapper& made);

// The refusal of packages too large for the 32-bit maker: one alone, or several together.
std::wstring TooLargeLine(const std::vector<std::wstring>& packages);

}  // namespace maker
