#include "version_resource.h"

#include <cstdint>
#include <string_view>

namespace runlog {

namespace {

constexpr std::uint16_t TextValue = 1;
constexpr std::size_t HeaderBytes = 6;  // length, value length, type

std::size_t AlignTo32Bits(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

std::uint16_t U16At(std::span<const std::byte> bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(std::to_integer<unsigned>(bytes[offset]) |
                                      std::to_integer<unsigned>(bytes[offset + 1]) << 8);
}

// The UTF-16 text from `offset` up to its terminating zero or `end`, whichever comes first;
// `offset` is moved past the zero.
std::wstring TextAt(std::span<const std::byte> bytes, std::size_t& offset, std::size_t end)
{
    std::wstring text;
    while (offset + 2 <= end) {
        const std::uint16_t unit = U16At(bytes, offset);
        offset += 2;
        if (unit == 0)
            break;
        text += static_cast<wchar_t>(unit);
    }
    return text;
}

// One node of the block: its key, its value's bytes and the span its children occupy. Every
// offset is from the block's start, which the resource loader aligns to 32 bits.
struct Node {
    std::wstring key;
    std::span<const std::byte> value;
    std::size_t childrenBegin = 0;
    std::size_t end = 0;
    std::uint16_t type = 0;
};

std::optional<Node> NodeAt(std::span<const std::byte> bytes, std::size_t offset, std::size_t limit)
{
    if (offset + HeaderBytes > limit)
        return std::nullopt;
    const std::uint16_t length = U16At(bytes, offset);
    if (length < HeaderBytes || offset + length > limit)
        return std::nullopt;
    Node node;
    node.end = offset + length;
    node.type = U16At(bytes, offset + 4);
    const std::size_t valueLength = U16At(bytes, offset + 2) * std::size_t{node.type == TextValue ? 2u : 1u};
    std::size_t at = offset + HeaderBytes;
    node.key = TextAt(bytes, at, node.end);
    const std::size_t valueBegin = AlignTo32Bits(at);
    if (valueBegin > node.end || valueLength > node.end - valueBegin)
        return std::nullopt;
    node.value = bytes.subspan(valueBegin, valueLength);
    node.childrenBegin = AlignTo32Bits(valueBegin + valueLength);
    return node;
}

// The first child of `parent` with `key`, or with any key when `key` is empty.
std::optional<Node> ChildOf(std::span<const std::byte> bytes, const Node& parent, std::wstring_view key)
{
    for (std::size_t at = parent.childrenBegin; at < parent.end;) {
        const std::optional<Node> child = NodeAt(bytes, at, parent.end);
        if (!child)
            return std::nullopt;
        if (key.empty() || child->key == key)
            return child;
        at = AlignTo32Bits(child->end);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::wstring> FileVersionOf(std::span<const std::byte> versionInfo)
{
    const std::optional<Node> root = NodeAt(versionInfo, 0, versionInfo.size());
    const std::optional<Node> strings = root ? ChildOf(versionInfo, *root, L"StringFileInfo") : std::nullopt;
    const std::optional<Node> table = strings ? ChildOf(versionInfo, *strings, L"") : std::nullopt;
    const std::optional<Node> version = table ? ChildOf(versionInfo, *table, L"FileVersion") : std::nullopt;
    if (!version || version->type != TextValue)
        return std::nullopt;
    std::size_t at = 0;
    return TextAt(version->value, at, version->value.size());
}

}  // namespace runlog
