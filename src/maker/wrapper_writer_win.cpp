#include "wrapper_writer_win.h"

#include <utility>

#include "package/embedded_resources.h"

namespace maker {

namespace {

// Every resource goes in language neutral, as the stub's own are, so the wrapper finds it
// whatever the user's language.
const WORD NeutralLanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
const wchar_t* const VersionInfoName = MAKEINTRESOURCEW(1);

// A file under a temporary name that is deleted unless it was moved into place.
class TemporaryFile {
public:
    explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
    ~TemporaryFile()
    {
        if (!path_.empty())
            DeleteFileW(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::wstring& path() const { return path_; }
    bool MoveTo(const std::wstring& destination)
    {
        if (!MoveFileExW(path_.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return false;
        path_.clear();
        return true;
    }

private:
    std::wstring path_;
};

// Resource changes to one file: discarded unless committed.
class ResourceUpdate {
public:
    explicit ResourceUpdate(const std::wstring& path) : update_(BeginUpdateResourceW(path.c_str(), FALSE)) {}
    ~ResourceUpdate()
    {
        if (update_)
            EndUpdateResourceW(update_, TRUE);
    }
    ResourceUpdate(const ResourceUpdate&) = delete;
    ResourceUpdate& operator=(const ResourceUpdate&) = delete;

    explicit operator bool() const { return update_ != nullptr; }
    bool Put(const wchar_t* type, const wchar_t* name, std::span<const std::byte> bytes)
    {
        return UpdateResourceW(update_, type, name, NeutralLanguage, const_cast<std::byte*>(bytes.data()),
                               static_cast<DWORD>(bytes.size()));
    }
    bool Commit() { return EndUpdateResourceW(std::exchange(update_, nullptr), FALSE); }

private:
    HANDLE update_;
};

std::wstring FolderOf(const std::wstring& path)
{
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? L"." : path.substr(0, separator + 1);
}

WriteOutcome Failed(const wchar_t* step) { return {GetLastError(), step, 0, false}; }

WriteOutcome AddingFailed(const wchar_t* step) { return {GetLastError(), step, 0, true}; }

WriteOutcome WriteResources(const std::wstring& path, const WrapperResources& resources)
{
    ResourceUpdate update(path);
    if (!update)
        return Failed(L"opening the copy of the stub for its resources");
    if (resources.package.size() > MAXDWORD) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return Failed(L"writing the package resource");
    }
    if (!update.Put(package::PackageResourceType, package::PackageResourceName, resources.package) ||
        !update.Put(package::VersionResourceType, package::VersionResourceName, resources.version) ||
        !update.Put(RT_VERSION, VersionInfoName, resources.versionInfo))
        return AddingFailed(L"adding the resources");
    if (!update.Commit())
        return Failed(L"writing the resources");
    return {};
}

}  // namespace

WriteOutcome WriteWrapper(const std::wstring& stub, const std::wstring& output, const WrapperResources& resources)
{
    wchar_t name[MAX_PATH] = {};
    if (!GetTempFileNameW(FolderOf(output).c_str(), L"spk", 0, name))
        return Failed(L"creating a temporary file in its folder");
    TemporaryFile temporary(name);
    if (!CopyFileW(stub.c_str(), temporary.path().c_str(), FALSE) ||
        !SetFileAttributesW(temporary.path().c_str(), FILE_ATTRIBUTE_NORMAL))
        return Failed(L"copying the stub");
    if (WriteOutcome written = WriteResources(temporary.path(), resources); !written.Written())
        return written;
    if (!temporary.MoveTo(output))
        return Failed(L"moving the finished wrapper into place");
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(output.c_str(), GetFileExInfoStandard, &data);
    return {ERROR_SUCCESS, {}, (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow, false};
}

}  // namespace maker
