#include "summary_stream.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace maker {

namespace {

constexpr std::uint16_t ByteOrderMark = 0xFFFE;
constexpr std::size_t HeaderSize = 28;  // byte order, version, system, class, section count
constexpr std::size_t SectionEntrySize = 20;  // format id and offset
// F29F85E0-4FF9-1068-AB91-08002B27B3D9 as stored.
constexpr std::array<std::uint8_t, 16> SummaryFormat = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                                                        0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};
constexpr std::uint32_t CodepageProperty = 1;
constexpr std::uint16_t TypeI2 = 2;
constexpr std::uint16_t TypeLpstr = 30;

// Reads little-endian numbers; a read past the end answers no value.
class Reader {
public:
    explicit Reader(std::span<const std::byte> bytes) : bytes_(bytes) {}

    std::optional<std::uint32_t> U32(std::size_t at) const { return Number(at, 4); }
    std::optional<std::uint16_t> U16(std::size_t at) const
    {
        const std::optional<std::uint32_t> value = Number(at, 2);
        return value ? std::optional<std::uint16_t>(static_cast<std::uint16_t>(*value)) : std::nullopt;
    }
    std::span<const std::byte> Slice(std::size_t at, std::size_t size) const
    {
        return at <= bytes_.size() && size <= bytes_.size() - at ? bytes_.subspan(at, size)
                                                                : std::span<const std::byte>();
    }

private:
    std::optional<std::uint32_t> Number(std::size_t at, std::size_t size) const
    {
        const std::span<const std::byte> field = Slice(at, size);
        if (field.size() != size)
            return std::nullopt;
        std::uint32_t value = 0;
        for (std::size_t i = size; i-- > 0;)
            value = value << 8 | std::to_integer<std::uint32_t>(field[i]);
        return value;
    }

    std::span<const std::byte> bytes_;
};

// Where the summary section starts in the stream.
std::optional<std::size_t> SummarySection(const Reader& stream)
{
    const std::optional<std::uint32_t> sections = stream.U32(24);
    if (stream.U16(0) != ByteOrderMark || !sections)
        return std::nullopt;
    for (std::size_t i = 0; i < *sections; ++i) {
        const std::size_t entry = HeaderSize + i * SectionEntrySize;
        const std::span<const std::byte> format = stream.Slice(entry, SummaryFormat.size());
        if (format.size() != SummaryFormat.size())
            return std::nullopt;
        if (std::ranges::equal(format, SummaryFormat, [](std::byte a, std::uint8_t b) { return std::to_integer<std::uint8_t>(a) == b; }))
            return stream.U32(entry + SummaryFormat.size());
    }
    return std::nullopt;
}

// Where the value of `property` starts in the stream (at its type).
std::optional<std::size_t> PropertyValue(const Reader& stream, std::size_t section, std::uint32_t property)
{
    const std::optional<std::uint32_t> count = stream.U32(section + 4);
    for (std::size_t i = 0; count && i < *count; ++i) {
        const std::optional<std::uint32_t> id = stream.U32(section + 8 + 8 * i);
        const std::optional<std::uint32_t> offset = stream.U32(section + 12 + 8 * i);
        if (!id || !offset)
            return std::nullopt;
        if (*id == property)
            return section + *offset;
    }
    return std::nullopt;
}

}  // namespace

std::optional<SummaryText> FindSummaryText(std::span<const std::byte> bytes, std::uint32_t property)
{
    const Reader stream(bytes);
    const std::optional<std::size_t> section = SummarySection(stream);
    const std::optional<std::size_t> value = section ? PropertyValue(stream, *section, property) : std::nullopt;
    const std::optional<std::uint32_t> size = value ? stream.U32(*value + 4) : std::nullopt;
    if (!size || stream.U16(*value) != TypeLpstr)
        return std::nullopt;
    const std::span<const std::byte> text = stream.Slice(*value + 8, *size);
    if (text.size() != *size)
        return std::nullopt;
    SummaryText found;
    const auto end = std::ranges::find(text, std::byte{0});
    std::transform(text.begin(), end, std::back_inserter(found.bytes), [](std::byte b) { return static_cast<char>(b); });
    const std::optional<std::size_t> codepage = PropertyValue(stream, *section, CodepageProperty);
    if (codepage && stream.U16(*codepage) == TypeI2)
        found.codepage = stream.U16(*codepage + 4).value_or(0);
    return found;
}

}  // namespace maker
