#pragma once
#include <windows.h>

#include <string>

// Each folder on the way to `path`, up to its last separator. Prefixes that are no folder of
// their own ("C:", "\\server") fail harmlessly, as does every folder already there; whether
// the way is complete shows when what lies at its end is opened.
inline void CreateFoldersOf(const std::wstring& path)
{
    for (std::size_t at = path.find_first_of(L"\\/", 1); at != std::wstring::npos;
         at = path.find_first_of(L"\\/", at + 1))
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
}
