#pragma once
// Where a program's headers keep the two fields the maker fixes after writing resources: the
// checksum, and the certificate table entry that an Authenticode signature adds. A stub's
// signature covers the stub's bytes, not the wrapper's; left in, it would fail verification
// and make signing tools refuse the file.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace maker {

struct PeLayout {
    std::size_t timeStampOffset = 0;        // of IMAGE_FILE_HEADER.TimeDateStamp
    std::size_t resourceTimeStampOffset = 0;  // of the resource directory's TimeDateStamp; 0: none
    std::size_t checkSumOffset = 0;         // of IMAGE_OPTIONAL_HEADER.CheckSum, in the file
    std::size_t securityEntryOffset = 0;    // of the IMAGE_DIRECTORY_ENTRY_SECURITY entry
    std::uint32_t certificateOffset = 0;    // the table's file offset (this entry is no RVA); 0: none
    std::uint32_t certificateSize = 0;
};

// The layout of a PE32 or PE32+ image from its bytes (at least the headers; the whole file for
// the resource directory); no value for bytes that are no such image or whose optional
// header has no security entry.
std::optional<PeLayout> ReadPeLayout(std::span<const std::byte> headers);

// The file size without the certificate table: the table's offset when the table ends the
// file (where signing tools put it), else the size as it is.
std::uint64_t SizeWithoutCertificates(const PeLayout& layout, std::uint64_t fileSize);

}  // namespace maker
