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
    DWORD error = ERROR_SUCCESS;
    std::wstring failedStep;  // what was being done when `error` happened
    std::uint64_t size = 0;   // of the output, once written
};

WriteOutcome WriteWrapper(const std::wstring& stub, const std::wstring& output,
                          const WrapperResources& resources);

}  // namespace maker
