#include "extract_win.h"

#include <algorithm>
#include <span>

#include "platform/decimal.h"
#include "platform/file_identity_win.h"
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

// Tries "MSP<n>" names from a start that differs between processes until one can be created
// where no file or directory stood. When none can, `packagePath` is emptied again and the
// last-error value is that of the last creation tried.
UniqueKernelHandle CreateTemporaryFile(const std::wstring& directory, std::wstring& packagePath)
{
    const DWORD start = GetCurrentProcessId() * 7919u + GetTickCount();
    DWORD error = ERROR_FILE_EXISTS;
    for (DWORD attempt = 0; attempt < NameAttempts; ++attempt) {
        packagePath = directory + L"MSP" + Decimal((start + attempt) % 1000000u);
        UniqueKernelHandle file = CreateNewFile(packagePath, CREATE_NEW);
        if (file)
            return file;
        error = GetLastError();
        // A directory of that name answers "access denied"; tell it from a locked folder.
        const bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
                           (error == ERROR_ACCESS_DENIED &&
                            GetFileAttributesW(packagePath.c_str()) != INVALID_FILE_ATTRIBUTES);
        if (!taken)
            break;
    }
    packagePath.clear();
    SetLastError(error);
    return UniqueKernelHandle();
}

// The last-error value, or `fallback` where a failed call left none.
DWORD LastErrorOr(DWORD fallback)
{
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : fallback;
}

// The embedded package's bytes, or the error that kept them from being used.
DWORD FindPackage(HMODULE module, std::span<const std::byte>& package)
{
    HRSRC resource = FindResourceW(module, PackageResourceName, PackageResourceType);
    if (!resource)
        return LastErrorOr(ERROR_RESOURCE_NAME_NOT_FOUND);
    const DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = size ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return LastErrorOr(ERROR_INVALID_DATA);
    package = {static_cast<const std::byte*>(bytes), size};
    return IsCompleteCompoundFile(package) ? ERROR_SUCCESS : ERROR_INVALID_DATA;
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
DWORD Extract(HMODULE module, std::wstring& packagePath, UniqueKernelHandle* held)
{
    const bool temporary = packagePath.empty();
    std::optional<std::wstring> directory;
    if (temporary) {
        directory = TemporaryDirectory();
        if (!directory)
            return LastErrorOr(ERROR_PATH_NOT_FOUND);
        if (directory->size() >= TemporaryDirectoryChars)
            return ERROR_FILENAME_EXCED_RANGE;
    }

    std::span<const std::byte> package;
    if (const DWORD error = FindPackage(module, package))
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

bool ExtractPatchPackage(HMODULE module, std::wstring& packagePath, UniqueKernelHandle* held)
{
    // Set here, once Extract's handles are closed: closing them may change the value.
    const DWORD error = Extract(module, packagePath, held);
    if (error != ERROR_SUCCESS)
        SetLastError(error);
    return error == ERROR_SUCCESS;
}

std::optional<std::wstring> EmbeddedUpToDateVersion(HMODULE module)
{
    HRSRC resource = FindResourceW(module, VersionResourceName, VersionResourceType);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return std::nullopt;
    std::optional<std::wstring> version =
        DecodeUpToDateVersion({static_cast<const std::byte*>(bytes), SizeofResource(module, resource)});
    if (!version)
        SetLastError(ERROR_INVALID_DATA);
    return version;
}

}  // namespace package
