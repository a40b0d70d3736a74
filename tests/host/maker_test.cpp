#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "maker/arguments.h"
#include "maker/patch_checks.h"
#include "maker/patch_transforms.h"
#include "maker/summary_stream.h"
#include "maker/up_to_date_version.h"
#include "maker/version_info.h"

namespace {

using maker::ParseArguments;

const std::wstring Product1 = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A01}";
const std::wstring Product2 = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A02}";
const std::wstring Upgrade = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1C00}";

TEST(MakerArguments, FileNamesAndOptionsInAnyOrderCaseAndStyle)
{
    const maker::ParsedArguments parsed =
        ParseArguments({L"/VERSION", L"12.2.0.4", L"p.msp", L"--Stub", L"s.exe", L"out.exe"});
    ASSERT_EQ(parsed.error, L"");
    EXPECT_EQ(parsed.arguments.package, L"p.msp");
    EXPECT_EQ(parsed.arguments.output, L"out.exe");
    EXPECT_EQ(parsed.arguments.version, L"12.2.0.4");
    EXPECT_EQ(parsed.arguments.stub, L"s.exe");
    const maker::ParsedArguments plain = ParseArguments({L"p.msp", L"out.exe", L"-version", L"1.0"});
    EXPECT_EQ(plain.error, L"");
    EXPECT_EQ(plain.arguments.version, L"1.0");
    EXPECT_EQ(plain.arguments.stub, std::nullopt);
}

TEST(MakerArguments, UnusableCommandLinesAreRefused)
{
    const std::vector<std::vector<std::wstring>> refused{
        {},
        {L"p.msp"},
        {L"p.msp", L"out.exe", L"third.exe"},
        {L"p.msp", L"out.exe", L"/versions", L"1.0"},
        {L"p.msp", L"out.exe", L"/version"},
        {L"p.msp", L"out.exe", L"/stub", L""},
        {L"p.msp", L"out.exe", L"/version", L"1.0\r\n"},
        {L"p.msp", L"out.exe", L"/version", L"1.0", L"/version", L"1.0"},
    };
    for (const auto& words : refused)
        EXPECT_NE(ParseArguments(words).error, L"") << ::testing::PrintToString(words.size());
}

TEST(MakerArguments, AVersionWithAControlCharacterIsRefusedAndOneWithoutIsTaken)
{
    for (const wchar_t c : {wchar_t(0x01), wchar_t(0x1F), wchar_t(0x7F), wchar_t(0x85), wchar_t(0x9F)}) {
        const maker::ParsedArguments parsed = ParseArguments({L"p.msp", L"out.exe", L"/version", L"12.2" + std::wstring(1, c)});
        EXPECT_NE(parsed.error.find(L"no usable version"), std::wstring::npos) << int(c);
        EXPECT_EQ(parsed.arguments.version, std::nullopt) << int(c);
    }
    for (const wchar_t c : {L' ', L'~', wchar_t(0xA0)})
        EXPECT_EQ(ParseArguments({L"p.msp", L"out.exe", L"/version", L"12.2" + std::wstring(1, c)}).arguments.version,
                  L"12.2" + std::wstring(1, c))
            << int(c);
}

TEST(TransformProducts, VersionsComeFromTheTransformSummary)
{
    const auto products = maker::ParseTransformProducts(Product1 + L"12.2.0.3;" + Product1 + L"12.2.0.4;" + Upgrade);
    ASSERT_TRUE(products);
    EXPECT_EQ(products->targetProductCode, Product1);
    EXPECT_EQ(products->targetVersion, L"12.2.0.3");
    EXPECT_EQ(products->upgradedVersion, L"12.2.0.4");
    EXPECT_EQ(products->upgradeCode, Upgrade);
    for (const std::wstring& text : {std::wstring(), Product1 + L";" + Product1 + L"1.0;" + Upgrade,
                                     Product1 + L"1.0;" + Product1 + L"1.1", Product1 + L"1.0;{bad}1.1;" + Upgrade,
                                     Product1 + L"1.0;" + Product1 + L"1.1;" + Upgrade + L"x"})
        EXPECT_FALSE(maker::ParseTransformProducts(text));
    EXPECT_EQ(maker::ListedTransforms(L":T1;:#T1;:T2;;x"), (std::vector<std::wstring>{L"T1", L"#T1", L"T2"}));
}

maker::TransformProducts Upgrades(const std::wstring& product, const std::wstring& from, const std::wstring& to)
{
    return {product, from, product, to, Upgrade};
}

TEST(UpToDateVersion, TheVersionAllTargetsUpgradeToIsTaken)
{
    const auto decision = maker::DecideUpToDateVersion(
        {Upgrades(Product1, L"12.2.0.3", L"12.2.0.4"), Upgrades(Product2, L"12.1", L"12.2.0.4")}, std::nullopt);
    EXPECT_EQ(decision.version, L"12.2.0.4");
    EXPECT_FALSE(decision.fromOption);
    EXPECT_EQ(decision.refusal, L"");
    EXPECT_EQ(decision.warning, L"");
}

TEST(UpToDateVersion, WithoutAVersionToTrustTheMakerRefusesUnlessGivenOne)
{
    const std::vector<std::vector<maker::TransformProducts>> untrusted{
        {},
        {Upgrades(Product1, L"12.2.0.3", L"12.2.0.4"), Upgrades(Product2, L"12.2.0.3", L"12.2.0.5")},
        {Upgrades(Product1, L"12.2.0.4", L"12.2.0.4")},
        {Upgrades(Product1, L"12.2.0.3", L"12.2.0.4\x7F")},  // the wrapper would refuse it as its resource
    };
    for (const auto& products : untrusted) {
        const auto refused = maker::DecideUpToDateVersion(products, std::nullopt);
        EXPECT_EQ(refused.version, L"");
        EXPECT_NE(refused.refusal, L"");
        const auto given = maker::DecideUpToDateVersion(products, L"12.2.0.9");
        EXPECT_EQ(given.version, L"12.2.0.9");
        EXPECT_TRUE(given.fromOption);
        EXPECT_EQ(given.refusal, L"");
        EXPECT_EQ(given.warning.empty(), products.empty());
    }
    EXPECT_NE(maker::DecideUpToDateVersion(untrusted[1], std::nullopt).refusal.find(L"12.2.0.5"), std::wstring::npos);
}

TEST(UpToDateVersion, AGivenVersionWarnsOnlyWhenThePatchSaysOtherwise)
{
    const std::vector<maker::TransformProducts> products{Upgrades(Product1, L"12.2.0.3", L"12.2.0.4")};
    EXPECT_EQ(maker::DecideUpToDateVersion(products, L"12.2.0.4").warning, L"");
    const auto differing = maker::DecideUpToDateVersion(products, L"12.2.0.5");
    EXPECT_EQ(differing.version, L"12.2.0.5");
    EXPECT_NE(differing.warning.find(L"12.2.0.4"), std::wstring::npos);
}

TEST(PatchChecks, ProductDatabasesTransformsAndBrokenSummariesAreNamed)
{
    EXPECT_EQ(maker::WhyNotAPatchClass(L"{000c1086-0000-0000-c000-000000000046}"), L"");
    EXPECT_NE(maker::WhyNotAPatchClass(maker::DatabaseClass).find(L".msi"), std::wstring::npos);
    EXPECT_NE(maker::WhyNotAPatchClass(maker::TransformClass).find(L".mst"), std::wstring::npos);
    EXPECT_NE(maker::WhyNotAPatchClass(L"{00000000-0000-0000-0000-000000000000}"), L"");
    EXPECT_EQ(maker::WhyNotAPatchSummary(Product1, Product2 + Product1), L"");
    EXPECT_NE(maker::WhyNotAPatchSummary(L"", Product2), L"");
    EXPECT_NE(maker::WhyNotAPatchSummary(Product1, L"x" + Product2), L"");
    EXPECT_EQ(maker::TargetProductCodes(Product1 + L";" + Product2 + L";;" + Product1),
              (std::vector<std::wstring>{Product1, Product2}));
}

// A summary stream laid out as the installer writes one: a codepage and one text property.
std::vector<std::byte> SummaryStreamBytes(const std::string& text)
{
    std::vector<std::byte> bytes;
    const auto u16 = [&](std::uint32_t v) { for (int i = 0; i < 2; ++i) bytes.push_back(std::byte((v >> (8 * i)) & 0xFF)); };
    const auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
    const std::uint8_t format[16] = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                                     0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};
    u16(0xFFFE), u16(0), u32(0x00020006);
    bytes.resize(bytes.size() + 16);
    u32(1);
    for (const std::uint8_t b : format)
        bytes.push_back(std::byte(b));
    u32(48);
    const std::uint32_t padded = static_cast<std::uint32_t>((text.size() + 1 + 3) & ~std::size_t(3));
    u32(8 + 16 + 8 + 8 + padded), u32(2);
    u32(1), u32(24), u32(9), u32(32);
    u32(2), u32(1252);
    u32(30), u32(static_cast<std::uint32_t>(text.size() + 1));
    for (const char c : text)
        bytes.push_back(std::byte(c));
    bytes.resize(bytes.size() + padded - text.size());
    return bytes;
}

TEST(SummaryStream, TextAndCodepageAreReadAndEveryCutShortStreamIsRefused)
{
    // 47 characters and the terminator: no padding, so every shorter stream cuts the text.
    const std::string text = "{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A01}12.2.0.3;";
    const std::vector<std::byte> stream = SummaryStreamBytes(text);
    const auto found = maker::FindSummaryText(stream, 9);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->bytes, text);
    EXPECT_EQ(found->codepage, 1252);
    EXPECT_FALSE(maker::FindSummaryText(stream, 8));
    EXPECT_FALSE(maker::FindSummaryText(stream, 1));  // the codepage is a number, not a text
    for (std::size_t size = 0; size < stream.size(); ++size)
        EXPECT_FALSE(maker::FindSummaryText(std::span(stream).first(size), 9)) << size;
}

TEST(VersionInfo, NumericVersionsComeFromTheLeadingNumbers)
{
    using Numbers = std::array<std::uint16_t, 4>;
    EXPECT_EQ(maker::LeadingVersionNumbers(L"12.2.0.4"), (Numbers{12, 2, 0, 4}));
    EXPECT_EQ(maker::LeadingVersionNumbers(L"12.2 SP1"), (Numbers{12, 2, 0, 0}));
    EXPECT_EQ(maker::LeadingVersionNumbers(L"1.2.3.4.5"), (Numbers{1, 2, 3, 4}));
    EXPECT_EQ(maker::LeadingVersionNumbers(L"7.65536.1"), (Numbers{7, 0, 0, 0}));
    EXPECT_EQ(maker::LeadingVersionNumbers(L"v2"), (Numbers{0, 0, 0, 0}));
}

TEST(VersionInfo, TheBlockStatesItsLengthAndCarriesTheFixedVersion)
{
    const std::vector<std::byte> block = maker::BuildVersionInfo({L"12.2.0.4", L"Hotfix \u00E9", L"hotfix.exe"});
    ASSERT_GT(block.size(), 92u);
    const auto u32 = [&](std::size_t at) { std::uint32_t v; std::memcpy(&v, block.data() + at, 4); return v; };
    EXPECT_EQ(u32(0) & 0xFFFF, block.size());
    EXPECT_EQ(u32(40), 0xFEEF04BDu);
    EXPECT_EQ(u32(48), 0x000C0002u);  // 12.2
    EXPECT_EQ(u32(52), 0x00000004u);  // 0.4
}

// A VS_VERSIONINFO node read the way the format lays it out, apart from the writer: its whole
// length, its value's length (characters with the terminator for a text, bytes otherwise), its
// type, its key, padding to 32 bits, the value, padding, then the children up to its length.
struct VersionNode {
    std::wstring key;
    std::vector<std::byte> value;  // for a text, without its terminator
    std::vector<VersionNode> children;
};

class VersionBlockReader {
public:
    explicit VersionBlockReader(const std::vector<std::byte>& block) : block_(block) {}

    // The node at `at`, which must end by `end`; every length that does not fit is a failure.
    VersionNode Read(std::size_t at, std::size_t end)
    {
        VersionNode node;
        const std::size_t length = U16(at), valueLength = U16(at + 2), type = U16(at + 4);
        EXPECT_LE(at + length, end);
        EXPECT_LE(type, 1u);
        std::size_t pos = at + 6;
        for (; pos + 2 <= at + length && U16(pos) != 0; pos += 2)
            node.key.push_back(static_cast<wchar_t>(U16(pos)));
        pos = Aligned(pos + 2);
        const std::size_t valueBytes = type == 1 ? 2 * valueLength : valueLength;
        EXPECT_LE(pos + valueBytes, at + length) << "value of " << ::testing::PrintToString(node.key);
        if (pos + valueBytes > at + length)
            return node;
        node.value.assign(block_.begin() + pos, block_.begin() + pos + valueBytes);
        if (type == 1 && valueLength > 0) {
            EXPECT_EQ(U16(pos + valueBytes - 2), 0) << "terminator of " << ::testing::PrintToString(node.key);
            node.value.resize(valueBytes - 2);
        }
        pos += valueBytes;
        while (Aligned(pos) < at + length) {
            const std::size_t child = Aligned(pos);
            node.children.push_back(Read(child, at + length));
            pos = child + std::max<std::size_t>(U16(child), 1);
        }
        EXPECT_EQ(pos, at + length) << "children of " << ::testing::PrintToString(node.key);
        return node;
    }

private:
    std::uint16_t U16(std::size_t at) const
    {
        if (at + 2 > block_.size()) {
            ADD_FAILURE() << "read beyond the block at " << at;
            return 0;
        }
        return static_cast<std::uint16_t>(std::to_integer<unsigned>(block_[at]) | std::to_integer<unsigned>(block_[at + 1]) << 8);
    }
    static std::size_t Aligned(std::size_t at) { return (at + 3) & ~std::size_t(3); }

    const std::vector<std::byte>& block_;
};

std::wstring Text(const std::vector<std::byte>& value)
{
    std::wstring text;
    for (std::size_t i = 0; i + 1 < value.size(); i += 2)
        text.push_back(static_cast<wchar_t>(std::to_integer<unsigned>(value[i]) | std::to_integer<unsigned>(value[i + 1]) << 8));
    return text;
}

TEST(VersionInfo, EveryLengthFieldFitsTheFormatWhateverTheTextsPadding)
{
    // Texts of each length modulo 4 (in bytes, the terminator makes the padding differ), and a
    // description longer than the block keeps.
    for (const std::wstring& description : {std::wstring(L"H"), std::wstring(L"Hotfix \u00E9"), std::wstring(L"Hot"),
                                            std::wstring(L"Hotfix 12"), std::wstring(3000, L'd')}) {
        const std::wstring version = L"12.2.0.4" + std::wstring(description.size() % 4, L'x');
        const std::wstring file = description.substr(0, 5) + L".exe";
        const std::vector<std::byte> block = maker::BuildVersionInfo({version, description, file});
        const VersionNode root = VersionBlockReader(block).Read(0, block.size());
        EXPECT_EQ(std::to_integer<unsigned>(block[0]) | std::to_integer<unsigned>(block[1]) << 8, block.size());
        EXPECT_EQ(root.key, L"VS_VERSION_INFO");
        EXPECT_EQ(root.value.size(), 52u);
        ASSERT_EQ(root.children.size(), 2u);
        const VersionNode& strings = root.children[0];
        EXPECT_EQ(strings.key, L"StringFileInfo");
        ASSERT_EQ(strings.children.size(), 1u);
        EXPECT_EQ(strings.children[0].key, L"040904B0");
        std::map<std::wstring, std::wstring> entries;
        for (const VersionNode& entry : strings.children[0].children)
            entries[entry.key] = Text(entry.value);
        const std::wstring kept = description.substr(0, 1024);
        EXPECT_EQ(entries, (std::map<std::wstring, std::wstring>{{L"FileDescription", kept}, {L"FileVersion", version},
                                                                 {L"OriginalFilename", file}, {L"ProductName", kept},
                                                                 {L"ProductVersion", version}}));
        const VersionNode& variables = root.children[1];
        EXPECT_EQ(variables.key, L"VarFileInfo");
        ASSERT_EQ(variables.children.size(), 1u);
        EXPECT_EQ(variables.children[0].key, L"Translation");
        EXPECT_EQ(Text(variables.children[0].value), std::wstring({wchar_t(0x0409), wchar_t(1200)}));
    }
}

}  // namespace
