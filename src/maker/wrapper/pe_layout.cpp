#include "pe_layout.h"

namespace maker {

namespace {

constexpr std::size_t NewHeaderPointer = 0x3C;     // e_lfanew
constexpr std::size_t FileHeaderSize = 20;         // IMAGE_FILE_HEADER
constexpr std::size_t CheckSumInOptional = 64;     // the same in PE32 and PE32+
constexpr std::uint16_t Pe32Magic = 0x10B, Pe32PlusMagic = 0x20B;
constexpr std::size_t Pe32Directories = 96, Pe32PlusDirectories = 112;
constexpr std::size_t DirectoryCountBefore = 4;    // NumberOfRvaAndSizes precedes the directories
constexpr std::size_t SecurityDirectory = 4;       // IMAGE_DIRECTORY_ENTRY_SECURITY
constexpr std::size_t DirectoryEntrySize = 8;
constexpr std::size_t CertificateAlignment = 8;
constexpr std::size_t ResourceDirectory = 2;       // IMAGE_DIRECTORY_ENTRY_RESOURCE
constexpr std::size_t SectionHeaderSize = 40;      // IMAGE_SECTION_HEADER
constexpr std::size_t TimeStampInDirectory = 4;    // IMAGE_RESOURCE_DIRECTORY.TimeDateStamp

std::uint32_t U32(std::span<const std::byte> bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= std::to_integer<std::uint32_t>(bytes[at + i]) << (8 * i);
    return value;
}

std::uint16_t U16(std::span<const std::byte> bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(U32(bytes, at) & 0xFFFF);
}

// The file offset of the resource directory's time stamp, found through the section that
// holds the directory; 0 when there is none or it lies outside the bytes.
std::size_t ResourceTimeStamp(std::span<const std::byte> image, std::size_t pe, std::size_t directories)
{
    const std::uint32_t rva = U32(image, directories + ResourceDirectory * DirectoryEntrySize);
    const std::size_t sections = pe + 4 + FileHeaderSize + U16(image, pe + 4 + 16);
    const std::size_t count = U16(image, pe + 4 + 2);
    for (std::size_t i = 0; rva != 0 && i < count; ++i) {
        const std::size_t header = sections + i * SectionHeaderSize;
        if (header + SectionHeaderSize > image.size())
            return 0;
        const std::uint32_t virtualAddress = U32(image, header + 12), rawSize = U32(image, header + 16),
                            raw = U32(image, header + 20);
        if (rva >= virtualAddress && rva - virtualAddress < rawSize) {
            const std::size_t at = std::size_t(raw) + (rva - virtualAddress) + TimeStampInDirectory;
            return at + 4 <= image.size() ? at : 0;
        }
    }
    return 0;
}

}  // namespace

std::optional<PeLayout> ReadPeLayout(std::span<const std::byte> headers)
{
    if (headers.size() < NewHeaderPointer + 4 || headers[0] != std::byte{'M'} || headers[1] != std::byte{'Z'})
        return std::nullopt;
    const std::size_t pe = U32(headers, NewHeaderPointer);
    const std::size_t optional = pe + 4 + FileHeaderSize;
    if (pe > headers.size() || headers.size() - pe < 4 + FileHeaderSize + 2 || U32(headers, pe) != 0x00004550)
        return std::nullopt;
    const auto magic = static_cast<std::uint16_t>(U32(headers, optional) & 0xFFFF);
    if (magic != Pe32Magic && magic != Pe32PlusMagic)
        return std::nullopt;
    const std::size_t directories = optional + (magic == Pe32Magic ? Pe32Directories : Pe32PlusDirectories);
    const std::size_t entry = directories + SecurityDirectory * DirectoryEntrySize;
    if (entry + DirectoryEntrySize > headers.size() || U32(headers, directories - DirectoryCountBefore) <= SecurityDirectory)
        return std::nullopt;
    return PeLayout{pe + 4 + 4, ResourceTimeStamp(headers, pe, directories), optional + CheckSumInOptional, entry,
                    U32(headers, entry), U32(headers, entry + 4)};
}

std::uint64_t SizeWithoutCertificates(const PeLayout& layout, std::uint64_t fileSize)
{
    if (layout.certificateOffset == 0 || layout.certificateOffset > fileSize)
        return fileSize;
    const std::uint64_t end = std::uint64_t(layout.certificateOffset) + layout.certificateSize;
    const std::uint64_t alignedEnd = (end + CertificateAlignment - 1) / CertificateAlignment * CertificateAlignment;
    return end == fileSize || alignedEnd == fileSize ? layout.certificateOffset : fileSize;
}

}  // namespace maker
