#include "platform/path_names_win.h"

#include <windows.h>

#include <vector>

std::optional<std::wstring> WindowsPathNames::FullPathName(const std::wstring& path, std::size_t capacity)
{
    std::vector<wchar_t> buffer(capacity);
    const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(capacity), buffer.data(), nullptr);
    if (length == 0 || length >= capacity)
        return std::nullopt;
    return std::wstring(buffer.data(), length);
}
