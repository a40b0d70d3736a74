#pragma once
// Whether the file just written holds exactly the package. The file is read back one window
// at a time, so that a large package's pages do not all stay resident beside the package's
// own; only the reading is the platform's.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace package {

enum class WrittenPackage { Same, Different, Unreadable };

// `readWindow(offset, length)` gives the file's bytes from `offset`, `length` of them, or an
// empty span when they cannot be read. A file of another size is Different unread.
template <class ReadWindow>
WrittenPackage CompareWrittenPackage(std::span<const std::byte> package, std::uint64_t fileSize,
                                     std::uint64_t window, ReadWindow readWindow)
{
    if (fileSize != package.size())
        return WrittenPackage::Different;
    for (std::uint64_t offset = 0; offset < package.size(); offset += window) {
        const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(window, package.size() - offset));
        const std::span<const std::byte> written = readWindow(offset, length);
        if (written.size() != length)
            return WrittenPackage::Unreadable;
        if (!std::ranges::equal(written, package.subspan(static_cast<std::size_t>(offset), length)))
            return WrittenPackage::Different;
    }
    return WrittenPackage::Same;
}

}  // namespace package
