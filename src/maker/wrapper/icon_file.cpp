#include "icon_file.h"

#include <algorithm>
#include <array>

#include "platform/decimal.h"

namespace maker {

namespace {

constexpr std::uint16_t IconType = 1;
constexpr std::size_t DirectorySize = 6;    // ICONDIR and GRPICONDIR: reserved, type, count
constexpr std::size_t FileEntrySize = 16;   // ICONDIRENTRY
constexpr std::size_t GroupEntrySize = 14;  // GRPICONDIRENTRY
constexpr std::uint32_t BitmapHeaderSize = 40;  // BITMAPINFOHEADER
constexpr std::array<unsigned char, 8> PngSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint16_t U16(std::span<const std::byte> bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(std::to_integer<unsigned>(bytes[at]) | std::to_integer<unsigned>(bytes[at + 1]) << 8);
}

std::uint32_t U32(std::span<const std::byte> bytes, std::size_t at)
{
    return U16(bytes, at) | std::uint32_t(U16(bytes, at + 2)) << 16;
}

void PutU16(std::vector<std::byte>& out, std::uint16_t value)
{
    out.push_back(std::byte(value & 0xFF));
    out.push_back(std::byte(value >> 8));
}

bool LooksLikeAnImage(std::span<const std::byte> image)
{
    if (image.size() >= PngSignature.size() &&
        std::equal(PngSignature.begin(), PngSignature.end(), image.begin(),
                   [](unsigned char a, std::byte b) { return std::byte(a) == b; }))
        return true;
    return image.size() >= BitmapHeaderSize && U32(image, 0) == BitmapHeaderSize;
}

// The directory's image count, or 0 when `bytes` does not begin with an icon directory whose
// entries of `entrySize` fit.
std::size_t DirectoryCount(std::span<const std::byte> bytes, std::size_t entrySize)
{
    if (bytes.size() < DirectorySize || U16(bytes, 0) != 0 || U16(bytes, 2) != IconType)
        return 0;
    const std::size_t count = U16(bytes, 4);
    return bytes.size() >= DirectorySize + count * entrySize ? count : 0;
}

}  // namespace

IconFile ParseIconFile(std::span<const std::byte> file)
{
    const std::size_t count = DirectoryCount(file, FileEntrySize);
    if (count == 0)
        return {{}, L"is no icon file (it does not begin with an icon directory holding an image)"};
    IconFile icon;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = DirectorySize + i * FileEntrySize;
        const std::uint32_t size = U32(file, entry + 8), offset = U32(file, entry + 12);
        if (offset > file.size() || size > file.size() - offset || size == 0)
            return {{}, L"is no icon file: image " + Decimal(static_cast<long long>(i + 1)) + L" lies beyond its end"};
        IconImage image{std::to_integer<std::uint8_t>(file[entry]), std::to_integer<std::uint8_t>(file[entry + 1]),
                        std::to_integer<std::uint8_t>(file[entry + 2]), U16(file, entry + 4), U16(file, entry + 6),
                        file.subspan(offset, size)};
        if (!LooksLikeAnImage(image.bytes))
            return {{}, L"is no icon file: image " + Decimal(static_cast<long long>(i + 1)) + L" is neither a bitmap nor a PNG"};
        icon.images.push_back(image);
    }
    return icon;
}

std::vector<std::uint16_t> GroupIconIds(std::span<const std::byte> group)
{
    std::vector<std::uint16_t> ids;
    const std::size_t count = DirectoryCount(group, GroupEntrySize);
    for (std::size_t i = 0; i < count; ++i)
        ids.push_back(U16(group, DirectorySize + i * GroupEntrySize + 12));
    return ids;
}

std::vector<std::uint16_t> NewIconIds(const std::vector<std::uint16_t>& oldGroup,
                                      const std::vector<std::uint16_t>& existing, std::size_t count)
{
    std::vector<std::uint16_t> ids(oldGroup.begin(), oldGroup.begin() + std::min(count, oldGroup.size()));
    std::uint16_t next = 0;
    for (const std::vector<std::uint16_t>* known : {&oldGroup, &existing})
        if (!known->empty())
            next = std::max<std::uint16_t>(next, *std::ranges::max_element(*known));
    while (ids.size() < count)
        ids.push_back(++next);
    return ids;
}

std::vector<std::byte> GroupIconDirectory(const std::vector<IconImage>& images, const std::vector<std::uint16_t>& ids)
{
    std::vector<std::byte> out;
    PutU16(out, 0);
    PutU16(out, IconType);
    PutU16(out, static_cast<std::uint16_t>(images.size()));
    for (std::size_t i = 0; i < images.size(); ++i) {
        const IconImage& image = images[i];
        for (const std::uint8_t b : {image.width, image.height, image.colorCount, std::uint8_t{0}})
            out.push_back(std::byte(b));
        PutU16(out, image.planes);
        PutU16(out, image.bitCount);
        const auto size = static_cast<std::uint32_t>(image.bytes.size());
        PutU16(out, static_cast<std::uint16_t>(size & 0xFFFF));
        PutU16(out, static_cast<std::uint16_t>(size >> 16));
        PutU16(out, ids[i]);
    }
    return out;
}

}  // namespace maker
