#include "file_paths_win.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "platform/file_identity_win.h"
#include "platform/path_names_win.h"
#include "platform/unique_handle_win.h"

namespace maker {

namespace {


std::optional<FileIdentity> IdentityOf(const std::wstring& path)
{
    // No access is needed to ask who a file is, so a file that is open elsewhere still answers.
    const UniqueKernelHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file ? ::IdentityOf(file.get()) : std::nullopt;
}

}  // namespace

std::wstring DefaultStubPath()
{
    std::vector<wchar_t> buffer(LongestPath);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), LongestPath);
    std::wstring path(buffer.data(), length < LongestPath ? length : 0);
    const std::size_t separator = path.find_last_of(L"\\/");
    return (separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1)) + L"svcpack.exe";
}

std::wstring FullPath(const std::wstring& path)
{
    return WindowsPathNames().FullPathName(path, LongestPath).value_or(path);
}

bool SameFile(const std::wstring& a, const std::wstring& b)
{
    const std::wstring fullA = FullPath(a);
    const std::wstring fullB = FullPath(b);
    if (CompareStringOrdinal(fullA.c_str(), static_cast<int>(fullA.size()), fullB.c_str(),
                             static_cast<int>(fullB.size()), TRUE) == CSTR_EQUAL)
        return true;
    const std::optional<FileIdentity> first = IdentityOf(fullA);
    return first && first == IdentityOf(fullB);
}

}  // namespace maker
