#include "wrapper_writer_win.h"

#include <optional>
#include <utility>

#include "image_fixups_win.h"
#include "platform/unique_handle_win.h"

namespace maker {

namespace {

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
    ResourceUpdate(const std::wstring& path, bool fromNothing) : update_(BeginUpdateResourceW(path.c_str(), fromNothing)) {}
    ~ResourceUpdate()
    {
        if (update_)
            EndUpdateResourceW(update_, TRUE);
    }
    ResourceUpdate(const ResourceUpdate&) = delete;
    ResourceUpdate& operator=(const ResourceUpdate&) = delete;

    explicit operator bool() const { return update_ != nullptr; }
    bool Apply(const ResourceEdit& edit)
    {
        return UpdateResourceW(update_, edit.type, edit.name, edit.language, const_cast<std::byte*>(edit.bytes.data()),
                               static_cast<DWORD>(edit.bytes.size()));
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

// The default error is read when the failed step's call has just returned.
WriteOutcome Failed(const wchar_t* step, DWORD error = GetLastError()) { return {error, step, 0, false}; }

WriteOutcome AddingFailed(const wchar_t* step) { return {GetLastError(), step, 0, true}; }

WriteOutcome WriteResources(const std::wstring& path, const std::vector<ResourceEdit>& edits, bool fromNothing)
{
    ResourceUpdate update(path, fromNothing);
    if (!update)
        return Failed(L"opening the copy of the stub for its resources");
    for (const ResourceEdit& edit : edits) {
        if (edit.bytes.size() > MAXDWORD)
            return Failed(L"writing the package resource", ERROR_FILE_TOO_LARGE);
        if (!update.Apply(edit))
            return AddingFailed(L"adding the resources");
    }
    if (!update.Commit())
        return Failed(L"writing the resources");
    return {};
}

// The stub's copy made into the wrapper, under its temporary name.
WriteOutcome MakeCopy(const std::wstring& stub, const std::wstring& path, const std::vector<ResourceEdit>& edits,
                      bool fromNothing)
{
    if (!CopyFileW(stub.c_str(), path.c_str(), FALSE) || !SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL))
        return Failed(L"copying the stub");
    if (const DWORD error = RemoveCertificateTable(path); error != ERROR_SUCCESS)
        return Failed(L"removing the stub's certificate table", error);
    if (WriteOutcome written = WriteResources(path, edits, fromNothing); !written.Written())
        return written;
    if (const DWORD error = FinishImage(path); error != ERROR_SUCCESS)
        return Failed(L"writing the time stamps and the checksum", error);
    return {};
}

bool WriteWholeFile(const std::wstring& path, const std::wstring& text)
{
    const std::vector<char> bytes(text.begin(), text.end());
    const UniqueKernelHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size() && FlushFileBuffers(file.get());
}

std::optional<std::wstring> TemporaryName(const std::wstring& beside)
{
    wchar_t name[MAX_PATH] = {};
    if (!GetTempFileNameW(FolderOf(beside).c_str(), L"spk", 0, name))
        return std::nullopt;
    return name;
}

}  // namespace

WriteOutcome WriteWrapper(const std::wstring& stub, const std::wstring& output, const std::vector<ResourceEdit>& edits,
                          bool fromNothing, const CompanionFile& companion)
{
    const std::optional<std::wstring> wrapperName = TemporaryName(output);
    if (!wrapperName)
        return Failed(L"creating a temporary file in its folder");
    TemporaryFile wrapper(*wrapperName);
    if (WriteOutcome made = MakeCopy(stub, wrapper.path(), edits, fromNothing); !made.Written())
        return made;
    const std::optional<std::wstring> companionName = TemporaryName(companion.path);
    if (!companionName)
        return Failed(L"creating a temporary file in its folder");
    TemporaryFile companionFile(*companionName);
    if (!WriteWholeFile(companionFile.path(), companion.text))
        return Failed(L"writing the detection rule");
    if (!wrapper.MoveTo(output))
        return Failed(L"moving the finished wrapper into place");
    // A wrapper without its detection rule would be deployed without a way to tell it worked.
    if (!companionFile.MoveTo(companion.path)) {
        const WriteOutcome failed = Failed(L"moving the detection rule into place");
        DeleteFileW(output.c_str());
        return failed;
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(output.c_str(), GetFileExInfoStandard, &data);
    return {ERROR_SUCCESS, {}, (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow, false};
}

}  // namespace maker
