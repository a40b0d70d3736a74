#pragma once
// The file names the maker works with: where its default stub is, and whether two names
// reach the same file.
#include <string>

namespace maker {

// svcpack.exe in the maker's own folder.
std::wstring DefaultStubPath();

// GetFullPathNameW; the name as given when that fails.
std::wstring FullPath(const std::wstring& path);

// True when both names reach one file: the same full path, ignoring case as the file system
// does, or, where both exist, the same file on the same volume (a link, a short name, a share).
bool SameFile(const std::wstring& a, const std::wstring& b);

}  // namespace maker
