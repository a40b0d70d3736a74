#pragma once
// A file read through a read-only mapping: a patch package may be hundreds of megabytes, and
// the maker only looks at it and hands it to UpdateResourceW, so it is never copied.
#include <windows.h>

#include <cstddef>
#include <span>
#include <string>

#include "platform/unique_handle_win.h"

namespace maker {

class MappedFile {
public:
    enum class Access { Read, ReadWrite };

    // Opens `path` for reading and keeps others from writing it while it is mapped, so the
    // bytes checked are the bytes embedded; for ReadWrite, opens it for itself alone and maps
    // it for writing. error() is 0 when the file is mapped.
    explicit MappedFile(const std::wstring& path, Access access = Access::Read);

    DWORD error() const { return error_; }
    std::span<const std::byte> bytes() const { return bytes_; }
    // The mapped bytes to change in place; only for ReadWrite.
    std::byte* writable() const { return const_cast<std::byte*>(bytes_.data()); }
    // Ends the mapping and cuts the file to `size` bytes.
    DWORD Truncate(std::uint64_t size);

private:
    UniqueKernelHandle file_;
    UniqueKernelHandle mapping_;
    UniqueMappedView view_;
    std::span<const std::byte> bytes_;
    DWORD error_ = ERROR_SUCCESS;
};

}  // namespace maker
