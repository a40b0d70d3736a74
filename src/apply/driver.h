#pragma once
// The install mode: applies the embedded patch to every installed product that needs it.
#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "app/reporter.h"
#include "installer/installer.h"

// The version that means a product already has this patch: read from the wrapper's own
// resources when the install mode starts, fixed from then on.
extern std::wstring UpToDateVersion;

namespace apply {

struct DriverResult {
    bool succeeded;          // every applicable product patched, or none needed it
    std::uint32_t exitCode;  // what the process tells the script that ran it
};

DriverResult ApplyPatchToProducts(Platform& platform, msi::Installer& installer, Reporter& reporter);

}  // namespace apply
