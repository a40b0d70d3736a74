#include "summary_stream.h"

namespace {

constexpr std::uint32_t CodepageProperty = 1;
constexpr std::uint32_t TypeInt16 = 2;   // VT_I2
constexpr std::uint32_t TypeInt32 = 3;   // VT_I4
constexpr std::uint32_t TypeText = 30;   // VT_LPSTR

// F29F85E0-4FF9-1068-AB91-08002B27B3D9, in the byte order of a stored GUID.
constexpr std::uint8_t SummaryFormatId[16] = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                                              0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};

constexpr std::uint32_t HeaderSize = 28;          // byte order, version, system, class, count
constexpr std::uint32_t SectionListSize = 16 + 4;  // format id and offset of the one section

void PadToFour(Bytes& out)
{
    while (out.size() % 4 != 0)
        out.push_back(0);
}

}  // namespace

SummaryStream::SummaryStream(std::int16_t codepage)
{
    Bytes value;
    AppendU32(value, TypeInt16);
    AppendU16(value, static_cast<std::uint16_t>(codepage));
    PadToFour(value);
    properties_.push_back({CodepageProperty, value});
}

void SummaryStream::AddInt32(std::uint32_t id, std::int32_t number)
{
    Bytes value;
    AppendU32(value, TypeInt32);
    AppendU32(value, static_cast<std::uint32_t>(number));
    properties_.push_back({id, value});
}

void SummaryStream::AddText(std::uint32_t id, const std::string& text)
{
    Bytes value;
    AppendU32(value, TypeText);
    AppendU32(value, static_cast<std::uint32_t>(text.size() + 1));
    AppendText(value, text);
    value.push_back(0);
    PadToFour(value);
    properties_.push_back({id, value});
}

Bytes SummaryStream::Serialize() const
{
    Bytes out;
    AppendU16(out, 0xFFFE);      // byte order
    AppendU16(out, 0);           // format version
    AppendU32(out, 0x00020006);  // written on Win32, system version 6.0
    out.insert(out.end(), 16, 0);  // no class
    AppendU32(out, 1);           // one section
    out.insert(out.end(), std::begin(SummaryFormatId), std::end(SummaryFormatId));
    AppendU32(out, HeaderSize + SectionListSize);

    // Section: its size, the property count, (id, offset) pairs, then the values.
    const std::uint32_t indexSize = 8 + 8 * static_cast<std::uint32_t>(properties_.size());
    std::uint32_t sectionSize = indexSize;
    for (const Property& property : properties_)
        sectionSize += static_cast<std::uint32_t>(property.value.size());
    AppendU32(out, sectionSize);
    AppendU32(out, static_cast<std::uint32_t>(properties_.size()));
    std::uint32_t offset = indexSize;
    for (const Property& property : properties_) {
        AppendU32(out, property.id);
        AppendU32(out, offset);
        offset += static_cast<std::uint32_t>(property.value.size());
    }
    for (const Property& property : properties_)
        out.insert(out.end(), property.value.begin(), property.value.end());
    return out;
}
