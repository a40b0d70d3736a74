#include "extract_win.h"

#include <memory>

#include "platform/decimal.h"
#include "compound_file.h"
#include "embedded_resources.h"

namespace package {

namespace {

struct HandleCloser {
    using pointer = HANDLE;
    void operator()(HANDLE handle) const
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};
using UniqueFile = std::unique_ptr<HANDLE, HandleCloser>;

constexpr DWORD NameAttempts = 1000;

UniqueFile CreateNewFile(const std::wstring& path, DWORD disposition)
{
    return UniqueFile(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Tries "MSP<n>" names from a start that differs between processes until one can be created
// where no file or directory stood; the name tried last stays in `packagePath`.
UniqueFile CreateTemporaryFile(const std::wstring& directory, std::wstring& packagePath)
{
    const DWORD start = GetCurrentProcessId() * 7919u + GetTickCount();
    for (DWORD attempt = 0; attempt < NameAttempts; ++attempt) {
        packagePath = directory + L"MSP" + Decimal((start + attempt) % 1000000u);
        UniqueFile file = CreateNewFile(packagePath, CREATE_NEW);
        const DWORD error = GetLastError();
        if (file.get() != INVALID_HANDLE_VALUE)
            return file;
        // A directory of that name answers "access denied"; tell it from a locked folder.
        const bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
                           (error == ERROR_ACCESS_DENIED &&
                            GetFileAttributesW(packagePath.c_str()) != INVALID_FILE_ATTRIBUTES);
        if (!taken)
            return file;
    }
    return UniqueFile(INVALID_HANDLE_VALUE);
}

}  // namespace

std::optional<std::wstring> TemporaryDirectory()
{
    std::wstring buffer(MAX_PATH + 1, L'\0');
    DWORD length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length > buffer.size()) {
        buffer.resize(length);
        length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    }
    if (length == 0 || length >= buffer.size())
        return std::nullopt;
    buffer.resize(length);
    return buffer;
}

bool ExtractPatchPackage(HMODULE module, std::wstring& packagePath)
{
    const bool temporary = packagePath.empty();
    std::optional<std::wstring> directory;
    if (temporary) {
        directory = TemporaryDirectory();
        if (!directory || directory->size() >= TemporaryDirectoryChars)
            return false;
    }

    HRSRC resource = FindResourceW(module, PackageResourceName, PackageResourceType);
    const DWORD size = resource ? SizeofResource(module, resource) : 0;
    HGLOBAL loaded = size ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || !IsCompleteCompoundFile({static_cast<const std::byte*>(bytes), size}))
        return false;

    const UniqueFile file = temporary ? CreateTemporaryFile(*directory, packagePath)
                                      : CreateNewFile(packagePath, CREATE_ALWAYS);
    if (file.get() == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes, size, &written, nullptr) && written == size;
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
