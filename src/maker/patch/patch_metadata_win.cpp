#include "patch_metadata_win.h"

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/system_library_win.h"

namespace maker {

namespace {

class PatchDatabase {
public:
    PatchDatabase() = default;
    PatchDatabase(const PatchDatabase&) = delete;
    PatchDatabase& operator=(const PatchDatabase&) = delete;

    PatchMetadata Read(const std::wstring& path) const;

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
constexpr const wchar_t* StandardMetadataQuery =
    L"SELECT `Property`, `Value` FROM `MsiPatchMetadata` WHERE `Company` IS NULL";

// Where each standard property goes; others are not the maker's business.
using MetadataField = std::wstring PatchMetadata::*;
constexpr std::pair<std::wstring_view, MetadataField> StandardProperties[] = {
    {L"DisplayName", &PatchMetadata::displayName},
    {L"ManufacturerName", &PatchMetadata::manufacturerName},
    {L"TargetProductName", &PatchMetadata::targetProductName},
    {L"Description", &PatchMetadata::description},
    {L"AllowRemoval", &PatchMetadata::allowRemoval},
};

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

PatchMetadata PatchDatabase::Read(const std::wstring& path) const
{
    PatchMetadata metadata;
    if (!openDatabase_ || !openView_ || !execute_ || !fetch_ || !getString_ || !closeHandle_)
        return metadata;
    Handle database(*this), view(*this);
    const auto readOnlyPatch = reinterpret_cast<LPCWSTR>(MSIDBOPEN_READONLY + MSIDBOPEN_PATCHFILE);
    if (openDatabase_(path.c_str(), readOnlyPatch, database.Put()) != ERROR_SUCCESS ||
        openView_(database.get(), StandardMetadataQuery, view.Put()) != ERROR_SUCCESS ||
        execute_(view.get(), 0) != ERROR_SUCCESS)
        return metadata;
    for (;;) {
        Handle record(*this);
        if (fetch_(view.get(), record.Put()) != ERROR_SUCCESS)
            return metadata;
        const std::optional<std::wstring> property = RecordText(record.get(), 1);
        const auto standard = std::ranges::find(StandardProperties, property.value_or(std::wstring()),
                                                &std::pair<std::wstring_view, MetadataField>::first);
        if (standard != std::end(StandardProperties))
            metadata.*standard->second = RecordText(record.get(), 2).value_or(std::wstring());
    }
}

}  // namespace

PatchMetadata ReadPatchMetadata(const std::wstring& path)
{
    return PatchDatabase().Read(path);
}

}  // namespace maker
