#pragma once
// Who a file is, whatever name reaches it: the volume it lives on and its identifier there.
// Two handles with one identity are one file; a link, a renamed file or a copy put in a file's
// place has another.
#include <windows.h>

#include <array>
#include <cstring>
#include <optional>

struct FileIdentity {
    ULONGLONG volume = 0;
    std::array<BYTE, 16> identifier{};

    bool operator==(const FileIdentity&) const = default;
};

namespace file_identity_detail {

// FileIdInfo and its FILE_ID_INFO, Windows 8 and Server 2012 on, which the headers leave out
// for the Windows 7 this program also runs on.
constexpr auto FileIdInfoClass = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
struct FileIdInfo {
    ULONGLONG volumeSerialNumber;
    BYTE fileId[16];
};

}  // namespace file_identity_detail

// The whole 128-bit identifier where the file system gives one: on ReFS two files may share
// the 64-bit index of GetFileInformationByHandle, which would make them look like one file.
// Windows 7 and file systems without it answer with that index, the whole identity on NTFS
// and FAT; both handles of one file get the same kind of answer.
inline std::optional<FileIdentity> IdentityOf(HANDLE file)
{
    FileIdentity identity;
    file_identity_detail::FileIdInfo id{};
    if (GetFileInformationByHandleEx(file, file_identity_detail::FileIdInfoClass, &id, sizeof id)) {
        identity.volume = id.volumeSerialNumber;
        std::memcpy(identity.identifier.data(), id.fileId, sizeof id.fileId);
        return identity;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info))
        return std::nullopt;
    identity.volume = info.dwVolumeSerialNumber;
    const ULONGLONG index = (ULONGLONG(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    std::memcpy(identity.identifier.data(), &index, sizeof index);
    return identity;
}
