#pragma once
// The patch package's summary information: its target products and its patch code.
#include <string>

#include "platform/platform.h"
#include "installer/installer.h"

namespace package {

constexpr std::size_t FullPathCapacity = 260;
constexpr std::uint32_t SummaryBufferChars = 2048;

// Owns a summary-information handle and closes it exactly once.
class SummaryHandle {
public:
    SummaryHandle(msi::Installer& installer, msi::Handle handle);
    ~SummaryHandle();
    SummaryHandle(SummaryHandle&& other) noexcept;
    SummaryHandle(const SummaryHandle&) = delete;
    SummaryHandle& operator=(const SummaryHandle&) = delete;
    SummaryHandle& operator=(SummaryHandle&&) = delete;

    msi::Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != 0; }

private:
    msi::Installer* installer_;
    msi::Handle handle_;
};

// ERROR_FILENAME_EXCED_RANGE: no full path of the package within FullPathCapacity characters.
constexpr std::uint32_t FullPathTooLong = 206;

struct PackageReader {
    PathNames& paths;
    msi::Installer& installer;
    // Why the last read that failed did: the installer's result of the call that failed, or
    // FullPathTooLong. The driver shows it as the error code of message 300.
    std::uint32_t failure = msi::Success;

    SummaryHandle OpenPackageSummary(const std::wstring& packagePath);
    // Property 7 as stored; one retry with the length the installer asks for.
    bool ReadTargetProductCodes(const std::wstring& packagePath, std::wstring& targets);
    // Property 9 as stored, in one read of at most 2047 characters.
    bool ReadPatchCode(const std::wstring& packagePath, std::wstring& patchCode);

private:
    bool ReadProperty(const std::wstring& packagePath, std::uint32_t property, bool retry,
                      std::wstring& text);
};

}  // namespace package
