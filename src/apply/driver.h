#pragma once
// The install mode: applies the embedded patch to every installed product that needs it.
#include <cstdint>
#include <string>

#include "run_context.h"

// The version that means a product already has this patch: read from the wrapper's own
// resources when the install mode starts, fixed from then on.
extern std::wstring UpToDateVersion;

namespace apply {

struct DriverResult {
    bool succeeded;          // every applicable product patched, or none needed it
    std::uint32_t exitCode;  // what the process tells the script that ran it
};

DriverResult ApplyPatchToProducts(const RunContext& run);

}  // namespace apply
