#pragma once
// What both modes that change products read from the extracted package first.
#include <optional>
#include <string>
#include <vector>

#include "run_context.h"

namespace apply {

struct PackageFacts {
    std::wstring patchCode;            // the patch's own code
    std::vector<std::wstring> targets;  // the target product codes, in order (SplitTargetList)
};

// Reads the patch code and the target list and enters both in the run log. No value when
// either cannot be read; the last-error value is then the installer's reason.
std::optional<PackageFacts> ReadPackageFacts(const RunContext& run, const std::wstring& packagePath);

}  // namespace apply
