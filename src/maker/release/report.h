#pragma once
// What the maker prints: its usage, one line per refusal, and what it made.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

}  // namespace maker
