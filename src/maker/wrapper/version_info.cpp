#include "version_info.h"

#include <algorithm>
#include <utility>

#include "platform/decimal.h"

namespace maker {

namespace {

constexpr std::uint16_t BinaryValue = 0;
constexpr std::uint16_t TextValue = 1;
constexpr std::uint32_t FixedInfoSignature = 0xFEEF04BD;
constexpr std::uint32_t FixedInfoStructVersion = 0x00010000;
constexpr std::uint32_t FileFlagsMask = 0x3F;            // VS_FFI_FILEFLAGSMASK
constexpr std::uint32_t FileOsWindowsNt = 0x00040004;    // VOS_NT_WINDOWS32
constexpr std::uint32_t FileTypeApplication = 1;         // VFT_APP
constexpr std::uint16_t EnglishUnitedStates = 0x0409;
constexpr std::uint16_t UnicodeCodepage = 1200;
// Every length in the block is 16 bits wide; a text longer than this is cut.
constexpr std::size_t MaxTextChars = 1024;

class Block {
public:
    void U16(std::uint16_t value)
    {
        bytes_.push_back(std::byte(value & 0xFF));
        bytes_.push_back(std::byte(value >> 8));
    }
    void U32(std::uint32_t value)
    {
        U16(static_cast<std::uint16_t>(value & 0xFFFF));
        U16(static_cast<std::uint16_t>(value >> 16));
    }
    // The text and its terminating zero, in UTF-16LE.
    void Text(std::wstring_view text)
    {
        for (const wchar_t c : text)
            U16(static_cast<std::uint16_t>(c));
        U16(0);
    }
    void AlignTo32Bits()
    {
        while (bytes_.size() % 4 != 0)
            bytes_.push_back(std::byte{0});
    }
    void Append(const std::vector<std::byte>& child)
    {
        AlignTo32Bits();
        bytes_.insert(bytes_.end(), child.begin(), child.end());
    }
    std::vector<std::byte> Take() && { return std::move(bytes_); }

private:
    std::vector<std::byte> bytes_;
};

// Every node has the same header: its whole length, its value's length (in characters for a
// text value), its type, its key, then padding to 32 bits before the value and the children.
class Node {
public:
    Node(std::wstring_view key, std::uint16_t valueLength, std::uint16_t type)
    {
        block_.U16(0);  // length, set when taken
        block_.U16(valueLength);
        block_.U16(type);
        block_.Text(key);
        block_.AlignTo32Bits();
    }
    Block& Value() { return block_; }
    void Add(const std::vector<std::byte>& child) { block_.Append(child); }
    std::vector<std::byte> Take() &&
    {
        std::vector<std::byte> bytes = std::move(block_).Take();
        bytes[0] = std::byte(bytes.size() & 0xFF);
        bytes[1] = std::byte((bytes.size() >> 8) & 0xFF);
        return bytes;
    }

private:
    Block block_;
};

std::vector<std::byte> StringEntry(std::wstring_view key, std::wstring_view value)
{
    Node node(key, static_cast<std::uint16_t>(value.size() + 1), TextValue);
    node.Value().Text(value);
    return std::move(node).Take();
}

std::vector<std::byte> StringFileInfo(const VersionTexts& texts)
{
    Node table(L"040904B0", 0, TextValue);
    const auto add = [&](std::wstring_view key, std::wstring_view value) {
        if (!value.empty())
            table.Add(StringEntry(key, value.substr(0, MaxTextChars)));
    };
    add(L"Comments", texts.comments);
    add(L"CompanyName", texts.company);
    add(L"FileDescription", texts.description);
    add(L"FileVersion", texts.version);
    add(L"LegalCopyright", texts.copyright);
    add(L"OriginalFilename", texts.originalFilename);
    add(L"ProductName", texts.productName);
    add(L"ProductVersion", texts.version);
    Node info(L"StringFileInfo", 0, TextValue);
    info.Add(std::move(table).Take());
    return std::move(info).Take();
}

std::vector<std::byte> VarFileInfo()
{
    Node translation(L"Translation", 4, BinaryValue);
    translation.Value().U16(EnglishUnitedStates);
    translation.Value().U16(UnicodeCodepage);
    Node info(L"VarFileInfo", 0, TextValue);
    info.Add(std::move(translation).Take());
    return std::move(info).Take();
}

void FixedFileInfo(Block& block, const std::array<std::uint16_t, 4>& numbers)
{
    const std::uint32_t high = std::uint32_t(numbers[0]) << 16 | numbers[1];
    const std::uint32_t low = std::uint32_t(numbers[2]) << 16 | numbers[3];
    for (const std::uint32_t value : {FixedInfoSignature, FixedInfoStructVersion, high, low, high, low,
                                      FileFlagsMask, 0u, FileOsWindowsNt, FileTypeApplication, 0u, 0u, 0u})
        block.U32(value);
}

constexpr std::uint16_t FixedFileInfoSize = 13 * 4;

// The value every patch has for `field`; empty where they differ.
std::wstring Common(const std::vector<PatchMetadata>& patches, std::wstring PatchMetadata::*field)
{
    const bool same = std::ranges::all_of(patches, [&](const PatchMetadata& p) { return p.*field == patches.front().*field; });
    return same && !patches.empty() ? patches.front().*field : std::wstring();
}

std::wstring SetDescription(const std::vector<PatchMetadata>& patches)
{
    const std::wstring counted = Decimal(static_cast<long long>(patches.size())) + L" patches";
    std::wstring joined;
    for (const PatchMetadata& patch : patches) {
        if (patch.displayName.empty())
            return counted;
        joined += (joined.empty() ? L"" : L"; ") + patch.displayName;
    }
    return joined.size() <= MaxSetDescriptionChars ? joined : counted;
}

}  // namespace

PatchMetadata SetMetadata(const std::vector<PatchMetadata>& patches)
{
    PatchMetadata set;
    set.displayName = SetDescription(patches);
    set.manufacturerName = Common(patches, &PatchMetadata::manufacturerName);
    set.targetProductName = Common(patches, &PatchMetadata::targetProductName);
    set.description = Common(patches, &PatchMetadata::description);
    return set;
}

std::array<std::uint16_t, 4> LeadingVersionNumbers(std::wstring_view version)
{
    std::array<std::uint16_t, 4> numbers{};
    std::size_t at = 0;
    for (std::size_t field = 0; field < numbers.size(); ++field) {
        std::uint32_t value = 0;
        const std::size_t start = at;
        while (at < version.size() && version[at] >= L'0' && version[at] <= L'9' && value <= 0xFFFF)
            value = value * 10 + static_cast<std::uint32_t>(version[at++] - L'0');
        if (at == start || value > 0xFFFF)
            break;
        numbers[field] = static_cast<std::uint16_t>(value);
        if (at == version.size() || version[at] != L'.')
            break;
        ++at;
    }
    return numbers;
}

VersionTexts ChooseVersionTexts(const std::wstring& version, const std::wstring& originalFilename,
                                const PatchMetadata& metadata, const std::optional<std::wstring>& company,
                                const std::optional<std::wstring>& copyright)
{
    const std::wstring description = metadata.displayName.empty() ? std::wstring(PlainDescription) : metadata.displayName;
    return {version,
            description,
            metadata.targetProductName.empty() ? description : metadata.targetProductName,
            originalFilename,
            company.value_or(metadata.manufacturerName),
            metadata.description,
            copyright.value_or(std::wstring())};
}

std::vector<std::byte> BuildVersionInfo(const VersionTexts& texts)
{
    Node root(L"VS_VERSION_INFO", FixedFileInfoSize, BinaryValue);
    FixedFileInfo(root.Value(), LeadingVersionNumbers(texts.version));
    root.Add(StringFileInfo(texts));
    root.Add(VarFileInfo());
    return std::move(root).Take();
}

}  // namespace maker
