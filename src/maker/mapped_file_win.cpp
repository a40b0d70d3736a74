#include "mapped_file_win.h"

namespace maker {

MappedFile::MappedFile(const std::wstring& path)
    : file_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr))
{
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
    mapping_ = UniqueKernelHandle(CreateFileMappingW(file_.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    view_ = UniqueMappedView(mapping_ ? MapViewOfFile(mapping_.get(), FILE_MAP_READ, 0, 0, 0) : nullptr);
    if (!view_) {
        error_ = GetLastError();
        return;
    }
    bytes_ = {static_cast<const std::byte*>(view_.get()), static_cast<std::size_t>(size.QuadPart)};
}

}  // namespace maker
