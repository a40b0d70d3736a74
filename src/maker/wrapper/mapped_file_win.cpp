#include "mapped_file_win.h"

namespace maker {

MappedFile::MappedFile(const std::wstring& path, Access access)
    : file_(CreateFileW(path.c_str(), access == Access::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE,
                        access == Access::Read ? FILE_SHARE_READ : 0, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr))
{
    const bool read = access == Access::Read;
    LARGE_INTEGER size{};
    if (!file_ || !GetFileSizeEx(file_.get(), &size)) {
        error_ = GetLastError();
        return;
    }
    if (size.QuadPart == 0)  // an empty file cannot be mapped; it has no bytes to show
        return;
    if (static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX) {
        error_ = ERROR_FILE_TOO_LARGE;
        return;
    }
    mapping_ = UniqueKernelHandle(CreateFileMappingW(file_.get(), nullptr, read ? PAGE_READONLY : PAGE_READWRITE, 0, 0, nullptr));
    view_ = UniqueMappedView(mapping_ ? MapViewOfFile(mapping_.get(), read ? FILE_MAP_READ : FILE_MAP_WRITE, 0, 0, 0) : nullptr);
    if (!view_) {
        error_ = GetLastError();
        return;
    }
    bytes_ = {static_cast<const std::byte*>(view_.get()), static_cast<std::size_t>(size.QuadPart)};
}

DWORD MappedFile::Truncate(std::uint64_t size)
{
    view_.Reset();
    mapping_.Reset();
    bytes_ = {};
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(file_.get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file_.get()))
        return GetLastError();
    return ERROR_SUCCESS;
}

}  // namespace maker
