#include "summary.h"

#include <vector>

namespace package {

namespace {
// A length no real summary property reaches; a larger answer is treated as a failed read.
constexpr std::uint32_t MaxRetryChars = 1u << 24;
}  // namespace

SummaryHandle::SummaryHandle(msi::Installer& installer, msi::Handle handle)
    : installer_(&installer), handle_(handle)
{
}

SummaryHandle::SummaryHandle(SummaryHandle&& other) noexcept
    : installer_(other.installer_), handle_(other.handle_)
{
    other.handle_ = 0;
}

SummaryHandle::~SummaryHandle()
{
    if (handle_ != 0)
        installer_->CloseHandle(handle_);
}

SummaryHandle PackageReader::OpenPackageSummary(const std::wstring& packagePath)
{
    msi::Handle handle = 0;
    const std::optional<std::wstring> fullPath = paths.FullPathName(packagePath, FullPathCapacity);
    if (!fullPath) {
        failure = FullPathTooLong;
    } else if (const std::uint32_t result = installer.GetSummaryInformation(*fullPath, handle);
               result != msi::Success) {
        failure = result;
        handle = 0;
    }
    return SummaryHandle(installer, handle);
}

bool PackageReader::ReadProperty(const std::wstring& packagePath, std::uint32_t property,
                                 bool retry, std::wstring& text)
{
    const SummaryHandle summary = OpenPackageSummary(packagePath);
    if (!summary)
        return false;
    std::vector<wchar_t> buffer(SummaryBufferChars);
    std::uint32_t length = SummaryBufferChars;
    std::uint32_t result = installer.SummaryInfoGetProperty(summary.get(), property, buffer.data(), length);
    if (result == msi::MoreData && retry && length < MaxRetryChars) {
        length += 1;
        buffer.assign(length, L'\0');
        result = installer.SummaryInfoGetProperty(summary.get(), property, buffer.data(), length);
    }
    if (result != msi::Success) {
        failure = result;
        return false;
    }
    buffer.back() = L'\0';
    text.assign(buffer.data());
    return true;
}

bool PackageReader::ReadTargetProductCodes(const std::wstring& packagePath, std::wstring& targets)
{
    return ReadProperty(packagePath, msi::SummaryTargetProducts, true, targets);
}

bool PackageReader::ReadPatchCode(const std::wstring& packagePath, std::wstring& patchCode)
{
    return ReadProperty(packagePath, msi::SummaryPatchCode, false, patchCode);
}

}  // namespace package
