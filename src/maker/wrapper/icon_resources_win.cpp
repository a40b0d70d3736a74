#include "icon_resources_win.h"

#include <algorithm>
#include <cstdint>
#include <span>

#include "platform/unique_handle_win.h"

namespace maker {

namespace {

const wchar_t* const GroupName = L"IDR_MAINFRAME";

// Types or names as an enumeration gives them: a string one is valid only during its
// callback, so it is copied into `owner` there.
struct Names {
    std::list<std::wstring>* owner;
    std::vector<const wchar_t*> items;

    void Add(const wchar_t* item) { items.push_back(IS_INTRESOURCE(item) ? item : owner->emplace_back(item).c_str()); }
};

BOOL CALLBACK CollectType(HMODULE, LPWSTR type, LONG_PTR names)
{
    reinterpret_cast<Names*>(names)->Add(type);
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names)
{
    reinterpret_cast<Names*>(names)->Add(name);
    return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR languages)
{
    reinterpret_cast<std::vector<WORD>*>(languages)->push_back(language);
    return TRUE;
}

std::span<const std::byte> ResourceBytes(HMODULE stub, const wchar_t* type, const wchar_t* name, WORD language)
{
    HRSRC found = FindResourceExW(stub, type, name, language);
    HGLOBAL loaded = found ? LoadResource(stub, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return {};
    return {static_cast<const std::byte*>(bytes), SizeofResource(stub, found)};
}

std::vector<WORD> Languages(HMODULE stub, const wchar_t* type, const wchar_t* name)
{
    std::vector<WORD> languages;
    EnumResourceLanguagesW(stub, type, name, CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

std::vector<std::uint16_t> IdsOf(const Names& names)
{
    std::vector<std::uint16_t> ids;
    for (const wchar_t* name : names.items)
        if (IS_INTRESOURCE(name))
            ids.push_back(static_cast<std::uint16_t>(reinterpret_cast<ULONG_PTR>(name)));
    return ids;
}

}  // namespace

void IconEdits::CarryOver(const wchar_t* type, const wchar_t* name, const std::vector<std::uint16_t>& leftOut)
{
    if (type == RT_GROUP_ICON && !IS_INTRESOURCE(name) && std::wstring_view(name) == GroupName)
        return;
    if (type == RT_ICON && IS_INTRESOURCE(name) &&
        std::ranges::find(leftOut, static_cast<std::uint16_t>(reinterpret_cast<ULONG_PTR>(name))) != leftOut.end())
        return;
    for (const WORD language : Languages(module_.get(), type, name))
        edits_.push_back({type, name, language, ResourceBytes(module_.get(), type, name, language)});
}

IconEdits::IconEdits(const std::wstring& stub, const std::vector<IconImage>& images)
    : module_(LoadLibraryExW(stub.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE))
{
    Names types{&names_, {}}, icons{&names_, {}};
    std::vector<std::uint16_t> oldGroup;
    if (module_) {
        EnumResourceTypesW(module_.get(), CollectType, reinterpret_cast<LONG_PTR>(&types));
        EnumResourceNamesW(module_.get(), RT_ICON, CollectName, reinterpret_cast<LONG_PTR>(&icons));
        for (const WORD language : Languages(module_.get(), RT_GROUP_ICON, GroupName))
            oldGroup = GroupIconIds(ResourceBytes(module_.get(), RT_GROUP_ICON, GroupName, language));
    }
    const std::vector<std::uint16_t> ids = NewIconIds(oldGroup, IdsOf(icons), images.size());
    group_ = GroupIconDirectory(images, ids);

    for (const wchar_t* type : types.items) {
        Names names{&names_, {}};
        EnumResourceNamesW(module_.get(), type, CollectName, reinterpret_cast<LONG_PTR>(&names));
        for (const wchar_t* name : names.items)
            CarryOver(type, name, oldGroup);
    }
    for (std::size_t i = 0; i < images.size(); ++i)
        edits_.push_back({RT_ICON, MAKEINTRESOURCEW(ids[i]), NeutralLanguage, images[i].bytes});
    edits_.push_back({RT_GROUP_ICON, GroupName, NeutralLanguage, group_});
}

}  // namespace maker
