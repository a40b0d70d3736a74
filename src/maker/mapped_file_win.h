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
    // Opens `path` for reading and keeps others from writing it while it is mapped, so the
    // bytes checked are the bytes embedded. error() is 0 when the file is mapped.
    explicit MappedFile(const std::wstring& path);

    DWORD error() const { return error_; }
    std::span<const std::byte> bytes() const { return bytes_; }

private:
    UniqueKernelHandle file_;
    UniqueKernelHandle mapping_;
    UniqueMappedView view_;
    std::span<const std::byte> bytes_;
    DWORD error_ = ERROR_SUCCESS;
};

}  // namespace maker
