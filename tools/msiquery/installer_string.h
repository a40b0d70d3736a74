#pragma once
// Reads a string the installer's way: a first try into a buffer, and when the installer
// answers ERROR_MORE_DATA with the length it needs, one more try with that much room.
#include <algorithm>
#include <cwchar>
#include <string>

#include "answer.h"

template <typename Read>  // UINT read(wchar_t* buffer, DWORD* length)
Answer ReadInstallerString(Read read, const std::wstring& what)
{
    std::wstring buffer(256, L'\0');
    DWORD length = static_cast<DWORD>(buffer.size());
    UINT result = read(buffer.data(), &length);
    if (result == ERROR_MORE_DATA) {
        buffer.assign(length + 1, L'\0');
        length = static_cast<DWORD>(buffer.size());
        result = read(buffer.data(), &length);
    }
    if (result != ERROR_SUCCESS)
        return {result, what};
    // For a Property row whose value is empty, Wine's MsiGetProductPropertyW succeeds without
    // touching the buffer or the length: the zeroed buffer then reads as the empty value.
    buffer.resize(std::min<std::size_t>(length, std::wcslen(buffer.c_str())));
    return {ERROR_SUCCESS, buffer};
}
