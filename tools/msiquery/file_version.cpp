#include "file_version.h"

#include <cstdio>
#include <vector>

namespace {

std::wstring Dotted(DWORD high, DWORD low)
{
    return std::to_wstring(HIWORD(high)) + L"." + std::to_wstring(LOWORD(high)) + L"." +
           std::to_wstring(HIWORD(low)) + L"." + std::to_wstring(LOWORD(low));
}

}  // namespace

Answer FileVersionValue(const std::wstring& path, const std::wstring& name)
{
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    std::vector<BYTE> block(size);
    if (!size || !GetFileVersionInfoW(path.c_str(), 0, size, block.data()))
        return {GetLastError(), L"GetFileVersionInfoW"};
    void* value = nullptr;
    UINT length = 0;
    if (name == L"fixed") {
        if (!VerQueryValueW(block.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
            return {ERROR_RESOURCE_TYPE_NOT_FOUND, L"VerQueryValueW \\"};
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
        return {ERROR_SUCCESS, Dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS) + L" " +
                                   Dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS)};
    }
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) || length < 4)
        return {ERROR_RESOURCE_TYPE_NOT_FOUND, L"VerQueryValueW Translation"};
    const auto* translation = static_cast<const WORD*>(value);
    wchar_t table[64];
    std::swprintf(table, 64, L"\\StringFileInfo\\%04X%04X\\", translation[0], translation[1]);
    if (!VerQueryValueW(block.data(), (table + name).c_str(), &value, &length))
        return {ERROR_RESOURCE_NAME_NOT_FOUND, std::wstring(L"VerQueryValueW ") + table + name};
    return {ERROR_SUCCESS, static_cast<const wchar_t*>(value)};
}
