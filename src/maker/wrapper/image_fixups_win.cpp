#include "image_fixups_win.h"

#include <imagehlp.h>

#include <cstring>
#include <optional>

#include "mapped_file_win.h"
#include "pe_layout.h"
#include "platform/system_library_win.h"
#include "platform/unique_handle_win.h"

namespace maker {

namespace {

// The whole file mapped for writing, read as a PE image.
class WritableImage {
public:
    explicit WritableImage(const std::wstring& path) : file_(path, MappedFile::Access::ReadWrite)
    {
        error_ = file_.error();
        if (error_ == ERROR_SUCCESS && !(layout_ = ReadPeLayout(file_.bytes())))
            error_ = ERROR_BAD_EXE_FORMAT;
    }

    DWORD error() const { return error_; }
    const PeLayout& layout() const { return *layout_; }
    std::size_t size() const { return file_.bytes().size(); }
    void* data() const { return file_.writable(); }
    void Put32(std::size_t offset, DWORD value) const { std::memcpy(file_.writable() + offset, &value, 4); }
    DWORD Truncate(std::uint64_t size) { return file_.Truncate(size); }

private:
    MappedFile file_;
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
