#include "image_fixups_win.h"

#include <imagehlp.h>

#include <cstring>
#include <optional>

#include "pe_layout.h"
#include "platform/system_library_win.h"
#include "platform/unique_handle_win.h"

namespace maker {

namespace {

// The whole file mapped for writing.
class WritableImage {
public:
    explicit WritableImage(const std::wstring& path)
        : file_(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr))
    {
        LARGE_INTEGER size{};
        if (!file_ || !GetFileSizeEx(file_.get(), &size)) {
            error_ = GetLastError();
            return;
        }
        mapping_ = UniqueKernelHandle(CreateFileMappingW(file_.get(), nullptr, PAGE_READWRITE, 0, 0, nullptr));
        view_ = UniqueMappedView(mapping_ ? MapViewOfFile(mapping_.get(), FILE_MAP_WRITE, 0, 0, 0) : nullptr);
        if (!view_) {
            error_ = GetLastError();
            return;
        }
        size_ = static_cast<std::size_t>(size.QuadPart);
        layout_ = ReadPeLayout({static_cast<const std::byte*>(view_.get()), size_});
        if (!layout_)
            error_ = ERROR_BAD_EXE_FORMAT;
    }

    DWORD error() const { return error_; }
    const PeLayout& layout() const { return *layout_; }
    std::size_t size() const { return size_; }
    void* data() const { return const_cast<void*>(view_.get()); }
    void Put32(std::size_t offset, DWORD value) const { std::memcpy(static_cast<char*>(data()) + offset, &value, 4); }

    // Ends the mapping and cuts the file to `size` bytes.
    DWORD Truncate(std::uint64_t size)
    {
        view_.Reset();
        mapping_.Reset();
        LARGE_INTEGER end{};
        end.QuadPart = static_cast<LONGLONG>(size);
        if (!SetFilePointerEx(file_.get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file_.get()))
            return GetLastError();
        return ERROR_SUCCESS;
    }

private:
    UniqueKernelHandle file_;
    UniqueKernelHandle mapping_;
    UniqueMappedView view_;
    std::size_t size_ = 0;
    std::optional<PeLayout> layout_;
    DWORD error_ = ERROR_SUCCESS;
};

}  // namespace

DWORD RemoveCertificateTable(const std::wstring& path)
{
    WritableImage image(path);
    if (image.error() != ERROR_SUCCESS)
        return image.error();
    const PeLayout layout = image.layout();
    if (layout.certificateOffset == 0 && layout.certificateSize == 0)
        return ERROR_SUCCESS;
    image.Put32(layout.securityEntryOffset, 0);
    image.Put32(layout.securityEntryOffset + 4, 0);
    return image.Truncate(SizeWithoutCertificates(layout, image.size()));
}

DWORD FinishImage(const std::wstring& path)
{
    const SystemLibrary imagehlp(L"imagehlp.dll");
    const auto checkSumMappedFile = imagehlp.Bind<decltype(&::CheckSumMappedFile)>("CheckSumMappedFile");
    if (!checkSumMappedFile)
        return ERROR_PROC_NOT_FOUND;
    const WritableImage image(path);
    if (image.error() != ERROR_SUCCESS)
        return image.error();
    image.Put32(image.layout().timeStampOffset, 0);
    if (image.layout().resourceTimeStampOffset)
        image.Put32(image.layout().resourceTimeStampOffset, 0);
    DWORD headerSum = 0, checkSum = 0;
    if (!checkSumMappedFile(image.data(), static_cast<DWORD>(image.size()), &headerSum, &checkSum)) {
        const DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? error : ERROR_BAD_EXE_FORMAT;
    }
    image.Put32(image.layout().checkSumOffset, checkSum);
    return ERROR_SUCCESS;
}

}  // namespace maker
