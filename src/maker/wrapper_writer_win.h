#pragma once
// Writes a made wrapper: a copy of the stub with the package, its up-to-date version and a
// VERSIONINFO in its resources. The copy is made under a temporary name in the output's
// folder and moved into place only when complete, so a failure leaves the output path as it
// was and never a half-made wrapper.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace maker {

struct WrapperResources {
    std::span<const std::byte> package;
    std::vector<std::byte> version;
    std::vector<std::byte> versionInfo;
};

struct WriteOutcome {
    // The failed step's own error. It may be 0: Wine's UpdateResourceW fails without one for a
    // package it cannot hold, so only the step tells a failure from success.
    DWORD error = ERROR_SUCCESS;
    std::wstring failedStep;            // empty once the wrapper is in place
    std::uint64_t size = 0;             // of the output, once written
    bool whileAddingResources = false;  // the resource writer refused to take them in memory

    bool Written() const { return failedStep.empty(); }
};

WriteOutcome WriteWrapper(const std::wstring& stub, const std::wstring& output,
                          const WrapperResources& resources);

}  // namespace maker
