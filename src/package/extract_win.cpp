#include "extract_win.h"

#include <algorithm>
#include <span>

#include "platform/decimal.h"
#include "platform/file_identity_win.h"
#include "platform/folders_win.h"
#include "platform/system_library_win.h"
#include "platform/temporary_directory.h"
#include "compound_file.h"
#include "embedded_resources.h"
#include "written_package.h"

namespace package {

namespace {

constexpr DWORD NameAttempts = 1000;

UniqueKernelHandle CreateNewFile(const std::wstring& path, DWORD disposition)
{
    return UniqueKernelHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Tries "MSP<n>" names in `directory` from a start that differs between processes until
// `create(path)` makes one where no file or directory stood. When none can be made, `path` is
// emptied again and the last-error value is that of the last creation tried.
template <class Create>
bool CreateUnderNewName(const std::wstring& directory, std::wstring& path, Create create)
{
    const DWORD start = GetCurrentProcessId() * 7919u + GetTickCount();
    DWORD error = ERROR_FILE_EXISTS;
    for (DWORD attempt = 0; attempt < NameAttempts; ++attempt) {
        path = directory + L"MSP" + Decimal((start + attempt) % 1000000u);
        if (create(path))
            return true;
        error = GetLastError();
        // A directory of that name answers "access denied"; tell it from a locked folder.
        const bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
                           (error == ERROR_ACCESS_DENIED && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES);
        if (!taken)
            break;
    }
    path.clear();
    SetLastError(error);
    return false;
}

UniqueKernelHandle CreateTemporaryFile(const std::wstring& directory, std::wstring& packagePath)
{
    UniqueKernelHandle file;
    CreateUnderNewName(directory, packagePath, [&](const std::wstring& path) {
        file = CreateNewFile(path, CREATE_NEW);
        return static_cast<bool>(file);
    });
    return file;
}

// The last-error value, or `fallback` where a failed call left none.
DWORD LastErrorOr(DWORD fallback)
{
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : fallback;
}

// The bytes of resource `name` of `type`, or the error that kept them from being found.
DWORD FindBytes(HMODULE module, LPCWSTR name, LPCWSTR type, std::span<const std::byte>& bytes)
{
    HRSRC resource = FindResourceW(module, name, type);
    if (!resource)
        return LastErrorOr(ERROR_RESOURCE_NAME_NOT_FOUND);
    const DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = size ? LoadResource(module, resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return LastErrorOr(ERROR_INVALID_DATA);
    bytes = {static_cast<const std::byte*>(data), size};
    return ERROR_SUCCESS;
}

// The embedded package's bytes, or the error that kept them from being used.
DWORD FindPackage(HMODULE module, const std::wstring& resourceName, std::span<const std::byte>& package)
{
    if (const DWORD error = FindBytes(module, resourceName.c_str(), PackageResourceType, package))
        return error;
    return IsCompleteCompoundFile(package) ? ERROR_SUCCESS : ERROR_INVALID_DATA;
}

// The temporary folder that new names are made in, or the error that keeps it from use.
DWORD UsableTemporaryDirectory(std::optional<std::wstring>& directory)
{
    directory = TemporaryDirectory();
    if (!directory)
        return LastErrorOr(ERROR_PATH_NOT_FOUND);
    return directory->size() >= TemporaryDirectoryChars ? ERROR_FILENAME_EXCED_RANGE : ERROR_SUCCESS;
}

// How much of the written file is mapped at a time: a whole mapping of a large package would
// keep every page of it resident beside the package's own until the comparison ends. A
// multiple of the allocation granularity (64 KiB), as view offsets must be.
constexpr unsigned long long ComparisonWindow = 16ull << 20;

// Whether `file` holds exactly `package`, read through read-only mappings of it, one window
// after another.
DWORD CompareWithPackage(HANDLE file, std::span<const std::byte> package)
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size))
        return GetLastError();
    // An empty file cannot be mapped; the comparison tells it from the package unread.
    const UniqueKernelHandle mapping(size.QuadPart > 0 ? CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr)
                                                       : nullptr);
    UniqueMappedView view;
    const auto readWindow = [&](std::uint64_t offset, std::size_t length) {
        view = UniqueMappedView(mapping ? MapViewOfFile(mapping.get(), FILE_MAP_READ, static_cast<DWORD>(offset >> 32),
                                                        static_cast<DWORD>(offset), length)
                                        : nullptr);
        return view ? std::span(static_cast<const std::byte*>(view.get()), length) : std::span<const std::byte>();
    };
    switch (CompareWrittenPackage(package, static_cast<std::uint64_t>(size.QuadPart), ComparisonWindow, readWindow)) {
    case WrittenPackage::Same:
        return ERROR_SUCCESS;
    case WrittenPackage::Unreadable:
        return LastErrorOr(ERROR_READ_FAULT);
    case WrittenPackage::Different:
        break;
    }
    return ERROR_INVALID_DATA;
}

// The extraction's steps; the error of the step that failed, or ERROR_SUCCESS. Every handle
// it opens is closed by the time it returns, but the one it hands to `held`.
DWORD Extract(HMODULE module, const std::wstring& resourceName, std::wstring& packagePath, UniqueKernelHandle* held)
{
    const bool temporary = packagePath.empty();
    std::optional<std::wstring> directory;
    if (temporary) {
        if (const DWORD error = UsableTemporaryDirectory(directory))
            return error;
    }

    std::span<const std::byte> package;
    if (const DWORD error = FindPackage(module, resourceName, package))
        return error;

    std::optional<FileIdentity> writtenFile;
    {
        const UniqueKernelHandle file = temporary ? CreateTemporaryFile(*directory, packagePath)
                                          : CreateNewFile(packagePath, CREATE_ALWAYS);
        if (!file)
            return GetLastError();
        DWORD written = 0;
        if (!WriteFile(file.get(), package.data(), static_cast<DWORD>(package.size()), &written, nullptr))
            return GetLastError();
        if (written != package.size())
            return ERROR_DISK_FULL;
        writtenFile = IdentityOf(file.get());
        if (!writtenFile)
            return GetLastError();
    }

    UniqueKernelHandle checked(CreateFileW(packagePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!checked)
        return GetLastError();
    // Between the two opens the name is free: what stands under it now may be another file
    // with the same bytes, or a link that Wine, unlike Windows, follows although asked not to.
    const std::optional<FileIdentity> checkedFile = IdentityOf(checked.get());
    if (!checkedFile)
        return GetLastError();
    if (checkedFile != writtenFile)
        return ERROR_INVALID_DATA;
    if (const DWORD error = CompareWithPackage(checked.get(), package))
        return error;
    if (held)
        *held = std::move(checked);
    return ERROR_SUCCESS;
}

}  // namespace

std::optional<std::wstring> TemporaryDirectory()
{
    return platform::SecuredTemporaryDirectory(SecuredTemporaryPathFunction(), &::GetTempPathW);
}

bool ExtractPatchPackage(HMODULE module, const std::wstring& resourceName, std::wstring& packagePath,
                         UniqueKernelHandle* held)
{
    // Set here, once Extract's handles are closed: closing them may change the value.
    const DWORD error = Extract(module, resourceName, packagePath, held);
    if (error != ERROR_SUCCESS)
        SetLastError(error);
    return error == ERROR_SUCCESS;
}

std::optional<std::wstring> EmbeddedUpToDateVersion(HMODULE module)
{
    std::span<const std::byte> bytes;
    if (const DWORD error = FindBytes(module, VersionResourceName, VersionResourceType, bytes)) {
        SetLastError(error);
        return std::nullopt;
    }
    std::optional<std::wstring> version = DecodeUpToDateVersion(bytes);
    if (!version)
        SetLastError(ERROR_INVALID_DATA);
    return version;
}

std::optional<std::vector<std::byte>> EmbeddedSetResource(HMODULE module)
{
    std::span<const std::byte> bytes;
    if (FindBytes(module, SetResourceName, SetResourceType, bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return std::vector<std::byte>(bytes.begin(), bytes.end());
}

bool CreateFolders(const std::wstring& path)
{
    CreateFoldersOf(path + L"\\");
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::wstring> CreateTemporaryFolder()
{
    std::optional<std::wstring> directory;
    if (const DWORD error = UsableTemporaryDirectory(directory)) {
        SetLastError(error);
        return std::nullopt;
    }
    std::wstring folder;
    if (!CreateUnderNewName(*directory, folder,
                            [](const std::wstring& path) { return CreateDirectoryW(path.c_str(), nullptr) != 0; }))
        return std::nullopt;
    return folder + L"\\";
}

}  // namespace package
