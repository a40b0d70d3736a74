#include "transform.h"

#include "stream_name.h"
#include "string_pool.h"
#include "summary_stream.h"

namespace {

constexpr std::int16_t SummaryCodepage = 1252;
constexpr std::uint16_t NeutralCodepage = 0;

constexpr std::uint32_t TemplateProperty = 7;    // PID_TEMPLATE: ";" and the language
constexpr std::uint32_t RevisionProperty = 9;    // PID_REVNUMBER: products and upgrade code
constexpr std::uint32_t ValidationProperty = 16;  // PID_CHARCOUNT: validation flags

// The builder does not know the target's language, so the transform declares none ("0"),
// which the installer takes as fitting every language.
constexpr char AnyLanguage[] = ";0";
constexpr std::int32_t ApplyToAnyProduct = 0;

// Codes and versions are plain ASCII (the options are checked), so every codepage holds them.
std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

// "{old product}old version;{new product}new version;{upgrade code}"; a service pack keeps
// the product code.
std::string ProductsBeforeAndAfter(const Target& target, const std::wstring& newVersion)
{
    return Narrow(target.productCode + target.oldVersion + L";" + target.productCode + newVersion +
                  L";" + target.upgradeCode);
}

NamedStream Summary(const Target& target, const std::wstring& newVersion)
{
    SummaryStream summary(SummaryCodepage);
    summary.AddText(TemplateProperty, AnyLanguage);
    summary.AddText(RevisionProperty, ProductsBeforeAndAfter(target, newVersion));
    summary.AddInt32(ValidationProperty, ApplyToAnyProduct);
    return {L"\005SummaryInformation", summary.Serialize()};
}

// One row of Property data: mask 0x0002 says that the key (always present) and the second
// column, Value, follow; a row with that key gets the new value.
Bytes PropertyRow(StringPool& strings, const std::string& property, const std::string& value)
{
    Bytes row;
    AppendU16(row, 0x0002);
    AppendU16(row, strings.Reference(property));
    AppendU16(row, strings.Reference(value));
    return row;
}

}  // namespace

std::vector<NamedStream> VersionTransform(const Target& target, const std::wstring& newVersion)
{
    StringPool strings(NeutralCodepage);
    const Bytes property = PropertyRow(strings, "ProductVersion", Narrow(newVersion));
    return {
        Summary(target, newVersion),
        {EncodeTableStreamName(L"_StringPool"), strings.PoolStream()},
        {EncodeTableStreamName(L"_StringData"), strings.DataStream()},
        {EncodeTableStreamName(L"Property"), property},
    };
}
