#include "program_icon.h"

namespace {

struct Module {
    HMODULE handle;
    ~Module()
    {
        if (handle)
            FreeLibrary(handle);
    }
};

// The bytes of a resource of the loaded file, or null.
const BYTE* Resource(HMODULE module, const wchar_t* type, const wchar_t* name, DWORD& size)
{
    HRSRC found = FindResourceW(module, name, type);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    size = found ? SizeofResource(module, found) : 0;
    return loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
}

}  // namespace

Answer ProgramIcon(const std::wstring& path, int size)
{
    const Module module{LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)};
    if (!module.handle)
        return {GetLastError(), L"LoadLibraryExW"};
    DWORD groupSize = 0, imageSize = 0;
    const BYTE* group = Resource(module.handle, RT_GROUP_ICON, L"IDR_MAINFRAME", groupSize);
    if (!group)
        return {ERROR_RESOURCE_NAME_NOT_FOUND, L"FindResourceW IDR_MAINFRAME"};
    const int id = LookupIconIdFromDirectoryEx(const_cast<BYTE*>(group), TRUE, size, size, LR_DEFAULTCOLOR);
    const BYTE* image = id ? Resource(module.handle, RT_ICON, MAKEINTRESOURCEW(id), imageSize) : nullptr;
    if (!image)
        return {ERROR_RESOURCE_NAME_NOT_FOUND, L"LookupIconIdFromDirectoryEx"};
    HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(image), imageSize, TRUE, 0x00030000, size, size,
                                          LR_DEFAULTCOLOR);
    if (!icon)
        return {GetLastError(), L"CreateIconFromResourceEx"};
    ICONINFO info{};
    BITMAP bitmap{};
    const bool measured = GetIconInfo(icon, &info) && GetObjectW(info.hbmMask, sizeof bitmap, &bitmap);
    for (HBITMAP b : {info.hbmColor, info.hbmMask})
        if (b)
            DeleteObject(b);
    DestroyIcon(icon);
    if (!measured)
        return {GetLastError(), L"GetIconInfo"};
    return {ERROR_SUCCESS, std::to_wstring(id) + L" " + std::to_wstring(imageSize) + L" " +
                               std::to_wstring(bitmap.bmWidth)};
}
