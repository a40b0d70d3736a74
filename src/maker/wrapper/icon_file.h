#pragma once
// A .ico file made into the wrapper's icon: its images become RT_ICON resources and a
// RT_GROUP_ICON directory names them by resource id, the form Explorer reads from a program.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace maker {

struct IconImage {
    std::uint8_t width = 0;   // 0 means 256
    std::uint8_t height = 0;
    std::uint8_t colorCount = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::span<const std::byte> bytes;  // a BITMAPINFOHEADER and its bits, or a PNG
};

struct IconFile {
    std::vector<IconImage> images;  // empty when refused
    std::wstring refusal;           // why the file is no icon
};

// The images of an ICONDIR file; refused unless it is an icon (type 1) with at least one
// image, every image lies inside the file, and each begins as a bitmap or a PNG does.
IconFile ParseIconFile(std::span<const std::byte> file);

// The resource ids an icon group names, in order; empty for bytes that are no group directory.
std::vector<std::uint16_t> GroupIconIds(std::span<const std::byte> group);

// Ids for `count` new images: first those the old group used, then ids above every RT_ICON id
// the program already has, so that no other group loses an image.
std::vector<std::uint16_t> NewIconIds(const std::vector<std::uint16_t>& oldGroup,
                                      const std::vector<std::uint16_t>& existing, std::size_t count);

// The RT_GROUP_ICON directory for `images` under `ids`.
std::vector<std::byte> GroupIconDirectory(const std::vector<IconImage>& images, const std::vector<std::uint16_t>& ids);

}  // namespace maker
