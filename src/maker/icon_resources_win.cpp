#include "icon_resources_win.h"

#include <algorithm>
#include <cstdint>
#include <span>

#include "platform/unique_handle_win.h"

namespace maker {

namespace {

const wchar_t* const GroupName = L"IDR_MAINFRAME";

BOOL CALLBACK CollectId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR ids)
{
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<std::uint16_t>*>(ids)->push_back(static_cast<std::uint16_t>(
            reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR languages)
{
    reinterpret_cast<std::vector<WORD>*>(languages)->push_back(language);
    return TRUE;
}

std::vector<WORD> Languages(HMODULE stub, const wchar_t* type, const wchar_t* name)
{
    std::vector<WORD> languages;
    EnumResourceLanguagesW(stub, type, name, CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

std::span<const std::byte> ResourceBytes(HMODULE stub, const wchar_t* type, const wchar_t* name)
{
    HRSRC found = FindResourceW(stub, name, type);
    HGLOBAL loaded = found ? LoadResource(stub, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return {};
    return {static_cast<const std::byte*>(bytes), SizeofResource(stub, found)};
}

}  // namespace

IconEdits::IconEdits(const std::wstring& stub, const std::vector<IconImage>& images)
{
    const UniqueModule module(LoadLibraryExW(stub.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    std::vector<std::uint16_t> existing;
    if (module)
        EnumResourceNamesW(module.get(), RT_ICON, CollectId, reinterpret_cast<LONG_PTR>(&existing));
    const std::vector<std::uint16_t> oldGroup =
        module ? GroupIconIds(ResourceBytes(module.get(), RT_GROUP_ICON, GroupName)) : std::vector<std::uint16_t>();
    const std::vector<std::uint16_t> ids = NewIconIds(oldGroup, existing, images.size());
    group_ = GroupIconDirectory(images, ids);

    // What the new resources would not replace: every language of an old image no longer
    // used, and other languages than neutral of the group and the reused images.
    const auto removeOthers = [&](const wchar_t* type, const wchar_t* name, bool reused) {
        for (const WORD language : module ? Languages(module.get(), type, name) : std::vector<WORD>())
            if (!reused || language != NeutralLanguage)
                edits_.push_back({type, name, language, {}, true});
    };
    removeOthers(RT_GROUP_ICON, GroupName, true);
    for (const std::uint16_t id : oldGroup)
        removeOthers(RT_ICON, MAKEINTRESOURCEW(id), std::ranges::find(ids, id) != ids.end());
    for (std::size_t i = 0; i < images.size(); ++i)
        edits_.push_back({RT_ICON, MAKEINTRESOURCEW(ids[i]), NeutralLanguage, images[i].bytes});
    edits_.push_back({RT_GROUP_ICON, GroupName, NeutralLanguage, group_});
}

}  // namespace maker
