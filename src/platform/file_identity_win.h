#pragma once
// Who a file is, whatever name reaches it: the volume it lives on and its index there. Two
// handles with one identity are one file; a link, a renamed file or a copy put in a file's
// place has another.
#include <windows.h>

#include <optional>

struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;

    bool operator==(const FileIdentity&) const = default;
};

// GetFileInformationByHandle, which every Windows the wrapper runs on has. Its 64-bit index is
// the file's whole identity on NTFS and FAT; on ReFS, whose identifiers are 128-bit, two files
// may share it, which can make two files look like one but never one file like two.
inline std::optional<FileIdentity> IdentityOf(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info))
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}
