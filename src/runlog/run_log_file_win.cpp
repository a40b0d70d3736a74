#include "run_log_file_win.h"

#include <optional>
#include <string_view>
#include <vector>

#include "entry.h"
#include "platform/folders_win.h"
#include "log_names.h"

namespace runlog {

namespace {

constexpr std::string_view LogStart = "<![LOG[";

// Reads for the start check and the size, appends for the entries (without FILE_WRITE_DATA
// every write goes to the end, wherever another run has taken it), DELETE for the rename of
// rotation. Others may do all of that too.
constexpr DWORD Access = FILE_READ_DATA | FILE_READ_ATTRIBUTES | FILE_APPEND_DATA | DELETE | SYNCHRONIZE;
constexpr DWORD Sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool BeginsAsALog(HANDLE file)
{
    char start[LogStart.size()];
    OVERLAPPED fromTheStart{};
    DWORD read = 0;
    return ReadFile(file, start, sizeof start, &read, &fromTheStart) && read == sizeof start &&
           std::string_view(start, read) == LogStart;
}

// The size of the file behind `file` when it is one this wrapper may write to: a file on a
// disk (no device, pipe or console), no folder, no reparse point (with
// FILE_FLAG_OPEN_REPARSE_POINT a link is opened itself and shows as one), no other name
// (a hard link would let entries land in a file elsewhere), and empty or a log already.
std::optional<ULONGLONG> WritableSize(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info))
        return std::nullopt;
    if (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT) || info.nNumberOfLinks != 1)
        return std::nullopt;
    const ULONGLONG size = (ULONGLONG(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size != 0 && !BeginsAsALog(file))
        return std::nullopt;
    return size;
}

UniqueKernelHandle OpenChecked(const std::wstring& path, DWORD disposition, ULONGLONG& size)
{
    UniqueKernelHandle file(CreateFileW(path.c_str(), Access, Sharing, nullptr, disposition,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    const std::optional<ULONGLONG> writable = file ? WritableSize(file.get()) : std::nullopt;
    if (!writable)
        return UniqueKernelHandle();
    size = *writable;
    return file;
}

// Renames the file behind `file` itself, the one that was checked, so that a name swapped in
// the meantime cannot turn the rename onto another file.
bool RenameTo(HANDLE file, const std::wstring& path)
{
    const DWORD nameBytes = static_cast<DWORD>(path.size() * sizeof(wchar_t));
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = nameBytes;
    path.copy(rename->FileName, path.size());
    return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size()));
}

// Moves a full log aside and opens a fresh one in its place. When either step fails, the
// full log keeps the run's entries: a log grown too long is better than one lost.
UniqueKernelHandle Rotated(UniqueKernelHandle full, const std::wstring& path)
{
    if (!RenameTo(full.get(), RotatedPath(path)))
        return full;
    ULONGLONG size = 0;
    UniqueKernelHandle fresh = OpenChecked(path, CREATE_NEW, size);
    return fresh ? std::move(fresh) : std::move(full);
}

Stamp Now()
{
    SYSTEMTIME local{};
    GetLocalTime(&local);
    TIME_ZONE_INFORMATION zone{};
    const DWORD which = GetTimeZoneInformation(&zone);
    const LONG extra = which == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias
                       : which == TIME_ZONE_ID_STANDARD ? zone.StandardBias
                                                        : 0;
    return {local.wYear,   local.wMonth,        local.wDay,        local.wHour,          local.wMinute,
            local.wSecond, local.wMilliseconds, zone.Bias + extra, GetCurrentThreadId()};
}

}  // namespace

RunLogFile::RunLogFile(const std::wstring& path, std::wstring component, Folders folders)
    : component_(std::move(component))
{
    if (folders == Folders::Create)
        CreateFoldersOf(path);
    ULONGLONG size = 0;
    file_ = OpenChecked(path, OPEN_ALWAYS, size);
    if (file_ && ShouldRotate(size))
        file_ = Rotated(std::move(file_), path);
}

void RunLogFile::Write(Type type, std::wstring_view text)
{
    if (!file_)
        return;
    const std::string line = FormatEntry(text, component_, type, Now());
    DWORD written = 0;
    WriteFile(file_.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace runlog
