#pragma once
// A run log that keeps its entries, for tests to read.
#include <string>
#include <utility>
#include <vector>

#include "runlog/run_log.h"

class RecordedLog final : public runlog::RunLog {
public:
    std::vector<std::pair<runlog::Type, std::wstring>> entries;

    void Write(runlog::Type type, std::wstring_view text) override { entries.emplace_back(type, text); }

    // The entries of `type` that hold `part`.
    std::vector<std::wstring> With(runlog::Type type, std::wstring_view part) const
    {
        std::vector<std::wstring> found;
        for (const auto& [entryType, text] : entries)
            if (entryType == type && text.find(part) != std::wstring::npos)
                found.push_back(text);
        return found;
    }
};
