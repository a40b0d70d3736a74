#include "patch_metadata_win.h"

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <vector>

#include "platform/system_library_win.h"

namespace maker {

namespace {

class PatchDatabase {
public:
    PatchDatabase() = default;
    PatchDatabase(const PatchDatabase&) = delete;
    PatchDatabase& operator=(const PatchDatabase&) = delete;

    std::optional<std::wstring> DisplayName(const std::wstring& path) const;

private:
    // Closes an installer handle exactly once.
    class Handle {
    public:
        explicit Handle(const PatchDatabase& owner) : owner_(owner) {}
        ~Handle()
        {
            if (handle_ && owner_.closeHandle_)
                owner_.closeHandle_(handle_);
        }
        Handle(const Handle&) = delete;
        Handle& operator=(const Handle&) = delete;
        MSIHANDLE* Put() { return &handle_; }
        MSIHANDLE get() const { return handle_; }

    private:
        const PatchDatabase& owner_;
        MSIHANDLE handle_ = 0;
    };

    std::optional<std::wstring> RecordText(MSIHANDLE record, UINT field) const;

    SystemLibrary library_{L"msi.dll"};
    decltype(&::MsiOpenDatabaseW) openDatabase_ = library_.Bind<decltype(openDatabase_)>("MsiOpenDatabaseW");
    decltype(&::MsiDatabaseOpenViewW) openView_ = library_.Bind<decltype(openView_)>("MsiDatabaseOpenViewW");
    decltype(&::MsiViewExecute) execute_ = library_.Bind<decltype(execute_)>("MsiViewExecute");
    decltype(&::MsiViewFetch) fetch_ = library_.Bind<decltype(fetch_)>("MsiViewFetch");
    decltype(&::MsiRecordGetStringW) getString_ = library_.Bind<decltype(getString_)>("MsiRecordGetStringW");
    decltype(&::MsiCloseHandle) closeHandle_ = library_.Bind<decltype(closeHandle_)>("MsiCloseHandle");
};

// Standard metadata has no company; a company's own "DisplayName" is not the patch's name.
constexpr const wchar_t* DisplayNameQuery =
    L"SELECT `Value` FROM `MsiPatchMetadata` WHERE `Property` = 'DisplayName' AND `Company` IS NULL";

std::optional<std::wstring> PatchDatabase::RecordText(MSIHANDLE record, UINT field) const
{
    DWORD length = 0;
    wchar_t none[1] = {};
    // An empty value answers success at once; only a non-empty one asks for room.
    if (getString_(record, field, none, &length) != ERROR_MORE_DATA)
        return std::nullopt;
    std::vector<wchar_t> text(length + 1);
    length = static_cast<DWORD>(text.size());
    if (getString_(record, field, text.data(), &length) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(text.data(), length);
}

std::optional<std::wstring> PatchDatabase::DisplayName(const std::wstring& path) const
{
    if (!openDatabase_ || !openView_ || !execute_ || !fetch_ || !getString_ || !closeHandle_)
        return std::nullopt;
    Handle database(*this), view(*this), record(*this);
    const auto readOnlyPatch = reinterpret_cast<LPCWSTR>(MSIDBOPEN_READONLY + MSIDBOPEN_PATCHFILE);
    if (openDatabase_(path.c_str(), readOnlyPatch, database.Put()) != ERROR_SUCCESS ||
        openView_(database.get(), DisplayNameQuery, view.Put()) != ERROR_SUCCESS ||
        execute_(view.get(), 0) != ERROR_SUCCESS || fetch_(view.get(), record.Put()) != ERROR_SUCCESS)
        return std::nullopt;
    return RecordText(record.get(), 1);
}

}  // namespace

std::optional<std::wstring> ReadPatchDisplayName(const std::wstring& path)
{
    return PatchDatabase().DisplayName(path);
}

}  // namespace maker
