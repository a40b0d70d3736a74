#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

#include "maker/arguments.h"
#include "maker/patch/patch_checks.h"
#include "maker/patch/patch_removal.h"
#include "maker/patch/patch_set.h"
#include "maker/patch/patch_transforms.h"
#include "maker/patch/summary_stream.h"
#include "maker/patch/up_to_date_version.h"
#include "maker/patch/version_order.h"
#include "maker/release/detection_rule.h"
#include "maker/release/report.h"
#include "maker/wrapper/icon_file.h"
#include "maker/wrapper/pe_layout.h"
#include "maker/wrapper/version_info.h"

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
    EXPECT_EQ(parsed.arguments.packages, std::vector<std::wstring>{L"p.msp"});
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
        {L"p.msp", L""},
        {L"p.msp", L"out.exe", L"/versions", L"1.0"},
        {L"p.msp", L"out.exe", L"/version"},
        {L"p.msp", L"out.exe", L"/stub", L""},
        {L"p.msp", L"out.exe", L"/version", L"1.0\r\n"},
        {L"p.msp", L"out.exe", L"/version", L"1.0", L"/version", L"1.0"},
    };
    for (const auto& words : refused)
        EXPECT_NE(ParseArguments(words).error, L"") << ::testing::PrintToString(words.size());
}

TEST(MakerArguments, TheLastFileNameIsTheWrapperAndEveryOtherOneAPackage)
{
    using Files = std::vector<std::wstring>;
    const std::tuple<std::vector<std::wstring>, Files, std::wstring> forms[] = {
        {{L"p.msp", L"out.exe"}, {L"p.msp"}, L"out.exe"},
        {{L"a.msp", L"b.msp", L"out.exe"}, {L"a.msp", L"b.msp"}, L"out.exe"},
        {{L"a.msp", L"/version", L"1.0", L"b.msp", L"c.msp", L"out.exe", L"/stub", L"s.exe"}, {L"a.msp", L"b.msp", L"c.msp"}, L"out.exe"},
        {{L"", L"p.msp", L"", L"out.exe"}, {L"p.msp"}, L"out.exe"},  // an empty word names no file, as it never did
    };
    for (const auto& [words, packages, output] : forms) {
        const maker::ParsedArguments parsed = ParseArguments(words);
        EXPECT_EQ(parsed.error, L"") << words.size();
        EXPECT_EQ(parsed.arguments.packages, packages) << words.size();
        EXPECT_EQ(parsed.arguments.output, output) << words.size();
    }
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

TEST(MakerArguments, IdentityOptionsTakeOneLineOfTextAndAValueEach)
{
    const maker::ParsedArguments parsed = ParseArguments(
        {L"p.msp", L"out.exe", L"/Company", L"Korvanta GmbH", L"-copyright", L"\u00A9 2026 Korvanta", L"--icon", L"a.ico"});
    ASSERT_EQ(parsed.error, L"");
    EXPECT_EQ(parsed.arguments.company, L"Korvanta GmbH");
    EXPECT_EQ(parsed.arguments.copyright, L"\u00A9 2026 Korvanta");
    EXPECT_EQ(parsed.arguments.icon, L"a.ico");
    const std::vector<std::vector<std::wstring>> refused{
        {L"p.msp", L"out.exe", L"/icon"},
        {L"p.msp", L"out.exe", L"/company", L"/icon", L"a.ico"},  // the company was left out
        {L"p.msp", L"out.exe", L"/company", L"Korvanta\tGmbH"},
        {L"p.msp", L"out.exe", L"/copyright", L"Korvanta\x7F"},
        {L"p.msp", L"out.exe", L"/copyright", L"line one\r\nline two"},
        {L"p.msp", L"out.exe", L"/icon", L"a.ico", L"/icon", L"b.ico"},
    };
    for (const auto& words : refused)
        EXPECT_NE(ParseArguments(words).error, L"") << ::testing::PrintToString(words.back().size());
}

TEST(DetectionRule, GuidsArePackedTheInstallersWay)
{
    EXPECT_EQ(maker::PackedGuid(L"{12345678-abcd-EF01-2345-6789ABCDEF01}"), L"87654321DCBA10FE32547698BADCFE10");
    EXPECT_EQ(maker::PackedGuid(L"{12345678-ABCD-EF01-2345-6789ABCDEF01}x"), std::nullopt);
    EXPECT_EQ(maker::PackedGuid(L"12345678-ABCD-EF01-2345-6789ABCDEF01"), std::nullopt);
}

TEST(DetectionRule, EachTargetGetsItsKeysAndTheVersionRuleOnlyWhereThePatchRaisesIt)
{
    const std::wstring patch = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1B01}";
    const std::vector<maker::TransformProducts> products{
        {Product1, L"12.2.0.3", Product1, L"12.2.0.4", Upgrade},
        {Product2, L"12.2.0.4", Product2, L"12.2.0.4", Upgrade},  // leaves ProductVersion as it is
    };
    const maker::DetectionRule rule =
        maker::BuildDetectionRule(patch, true, L"12.2.0.4", {Product1, Product2, L"not a product code"}, products);
    ASSERT_EQ(rule.targets.size(), 2u);
    const std::wstring installer = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\";
    EXPECT_EQ(rule.targets[0].machineKey, installer + L"S-1-5-18\\Products\\A6F3D1E6C7B2E1C4A955D0B4E2C7A110\\Patches\\"
                                                     L"A6F3D1E6C7B2E1C4A955D0B4E2C7B110");
    EXPECT_EQ(rule.targets[0].userKey, installer + L"<UserSID>\\Products\\A6F3D1E6C7B2E1C4A955D0B4E2C7A110\\Patches\\"
                                                  L"A6F3D1E6C7B2E1C4A955D0B4E2C7B110");
    EXPECT_TRUE(rule.targets[0].versionRule);
    EXPECT_FALSE(rule.targets[1].versionRule);
    const std::wstring json = maker::DetectionJson(rule);
    EXPECT_NE(json.find(L"\"productVersionAtLeast\": \"12.2.0.4\""), std::wstring::npos);
    EXPECT_EQ(json.find(L"productVersionAtLeast"), json.rfind(L"productVersionAtLeast"));
    EXPECT_NE(json.find(L"\"key\": \"SOFTWARE\\\\Microsoft\\\\"), std::wstring::npos);  // backslashes escaped
    // A version given by /version may hold any printable character.
    const std::wstring odd = maker::DetectionJson(maker::BuildDetectionRule(patch, true, L"1.0 \"\u00E9\"", {Product1}, products));
    EXPECT_NE(odd.find(L"\"upToDateVersion\": \"1.0 \\\"\\u00e9\\\"\""), std::wstring::npos);
}

TEST(DetectionRule, WhetherThePatchIsRemovableStandsNextToItsCodeAndInTheWords)
{
    const std::wstring patch = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1B01}";
    const std::vector<maker::TransformProducts> products{{Product1, L"12.2.0.3", Product1, L"12.2.0.4", Upgrade}};
    for (const auto& [removable, json, words] :
         {std::tuple{true, L"  \"removable\": true,\n", L"Removable by the wrapper's /uninstall: yes"},
          std::tuple{false, L"  \"removable\": false,\n", L"Removable by the wrapper's /uninstall: no"}}) {
        const maker::DetectionRule rule = maker::BuildDetectionRule(patch, removable, L"12.2.0.4", {Product1}, products);
        const std::wstring document = maker::DetectionJson(rule);
        EXPECT_EQ(document.find(L"{\n  \"patchCode\": \"" + patch + L"\",\n" + json), 0u) << document;
        EXPECT_EQ(maker::DetectionLines(rule, L"w.json").back(), words);
    }
}

TEST(PatchRemoval, OnlyAnAllowRemovalOfExactlyOneMakesThePatchRemovable)
{
    const maker::RemovalDecision allowed = maker::DecideRemovable(L"1");
    EXPECT_TRUE(allowed.removable);
    EXPECT_EQ(allowed.warning, L"");
    const std::wstring_view consequence = L"; the wrapper's /uninstall will refuse it";
    const std::pair<std::wstring, std::wstring> refused[] = {
        {L"", L"the patch does not allow its removal (its MsiPatchMetadata has no AllowRemoval of 1)"},
        {L"0", L"the patch does not allow its removal (its MsiPatchMetadata has AllowRemoval \"0\", not 1)"},
        {L" 1", L"the patch does not allow its removal (its MsiPatchMetadata has AllowRemoval \" 1\", not 1)"},
        {L"01", L"the patch does not allow its removal (its MsiPatchMetadata has AllowRemoval \"01\", not 1)"},
        {L"yes", L"the patch does not allow its removal (its MsiPatchMetadata has AllowRemoval \"yes\", not 1)"},
    };
    for (const auto& [value, cause] : refused) {
        const maker::RemovalDecision decision = maker::DecideRemovable(value);
        EXPECT_FALSE(decision.removable) << ::testing::PrintToString(value);
        EXPECT_EQ(decision.warning, cause + std::wstring(consequence)) << ::testing::PrintToString(value);
    }
}

TEST(VersionInfo, IdentityComesFromThePatchAndTheOptionsOverrideIt)
{
    const maker::PatchMetadata full{L"Hotfix 4", L"Korvanta", L"Korvanta Office", L"Fixes printing"};
    const maker::VersionTexts texts = maker::ChooseVersionTexts(L"1.2", L"w.exe", full, std::nullopt, std::nullopt);
    EXPECT_EQ(texts.description, L"Hotfix 4");
    EXPECT_EQ(texts.productName, L"Korvanta Office");
    EXPECT_EQ(texts.company, L"Korvanta");
    EXPECT_EQ(texts.comments, L"Fixes printing");
    EXPECT_EQ(texts.copyright, L"");
    const maker::VersionTexts given = maker::ChooseVersionTexts(L"1.2", L"w.exe", full, L"Other", L"(c) Other");
    EXPECT_EQ(given.company, L"Other");
    EXPECT_EQ(given.copyright, L"(c) Other");
    const maker::VersionTexts nameOnly = maker::ChooseVersionTexts(L"1.2", L"w.exe", {L"Hotfix 4", L"", L"", L""}, {}, {});
    EXPECT_EQ(nameOnly.productName, L"Hotfix 4");
    const maker::VersionTexts none = maker::ChooseVersionTexts(L"1.2", L"w.exe", {}, {}, {});
    EXPECT_EQ(none.productName, L"Service pack");
    EXPECT_EQ(none.description, L"Service pack");
}

std::vector<std::byte> Bytes(std::initializer_list<int> values)
{
    std::vector<std::byte> bytes;
    for (const int v : values)
        bytes.push_back(std::byte(v));
    return bytes;
}

TEST(IconFile, ImagesAreReadAndNamedByIdInTheGroup)
{
    // One 16x16 image of 4 bytes... after its BITMAPINFOHEADER-sized prefix, at offset 22.
    std::vector<std::byte> file = Bytes({0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 44, 0, 0, 0, 22, 0, 0, 0});
    std::vector<std::byte> image = Bytes({40, 0, 0, 0});
    image.resize(44);
    file.insert(file.end(), image.begin(), image.end());
    const maker::IconFile icon = maker::ParseIconFile(file);
    ASSERT_EQ(icon.refusal, L"");
    ASSERT_EQ(icon.images.size(), 1u);
    EXPECT_EQ(icon.images[0].bitCount, 32);
    EXPECT_EQ(icon.images[0].bytes.data(), file.data() + 22);
    const std::vector<std::byte> group = maker::GroupIconDirectory(icon.images, {7});
    EXPECT_EQ(group, Bytes({0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 44, 0, 0, 0, 7, 0}));
    EXPECT_EQ(maker::GroupIconIds(group), (std::vector<std::uint16_t>{7}));

    std::vector<std::byte> beyond = file;
    beyond[14] = std::byte{45};  // one byte more than the file holds
    std::vector<std::byte> notABitmap = file;
    notABitmap[22] = std::byte{41};
    std::vector<std::byte> cursor = file;
    cursor[2] = std::byte{2};
    for (const auto& bad : {beyond, notABitmap, cursor, std::vector<std::byte>(), Bytes({0, 0, 1, 0, 0, 0})})
        EXPECT_NE(maker::ParseIconFile(bad).refusal, L"") << bad.size();
}

TEST(IconFile, NewImagesReuseTheOldGroupsIdsThenTakeFreeOnes)
{
    EXPECT_EQ(maker::NewIconIds({1, 2}, {1, 2, 5}, 1), (std::vector<std::uint16_t>{1}));
    EXPECT_EQ(maker::NewIconIds({1, 2}, {1, 2, 5}, 4), (std::vector<std::uint16_t>{1, 2, 6, 7}));
    EXPECT_EQ(maker::NewIconIds({}, {}, 2), (std::vector<std::uint16_t>{1, 2}));
}

// The headers of a PE image up to its data directories, with a certificate table entry.
std::vector<std::byte> Headers(std::uint16_t magic, std::uint32_t certificateOffset, std::uint32_t certificateSize)
{
    std::vector<std::byte> headers(0x200);
    const auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(headers.data() + at, &v, 4); };
    headers[0] = std::byte{'M'};
    headers[1] = std::byte{'Z'};
    put32(0x3C, 0x80);
    put32(0x80, 0x4550);
    put32(0x98, magic);
    const std::size_t directories = 0x98 + (magic == 0x10B ? 96 : 112);
    put32(directories - 4, 16);
    put32(directories + 32, certificateOffset);
    put32(directories + 36, certificateSize);
    // One section, .rsrc, at RVA 0x3000 from file offset 0x400, holding the resource directory.
    headers.resize(0x500);
    const std::size_t optionalSize = magic == 0x10B ? 224 : 240;
    headers[0x86] = std::byte{1};
    headers[0x94] = std::byte(optionalSize);
    put32(directories + 16, 0x3010);
    put32(0x98 + optionalSize + 12, 0x3000);
    put32(0x98 + optionalSize + 16, 0x100);
    put32(0x98 + optionalSize + 20, 0x400);
    return headers;
}

TEST(PeLayout, TheChecksumAndCertificateEntriesAreFoundInBothFormats)
{
    const auto pe32 = maker::ReadPeLayout(Headers(0x10B, 0x1000, 0x300));
    ASSERT_TRUE(pe32);
    EXPECT_EQ(pe32->checkSumOffset, 0x98u + 64);
    EXPECT_EQ(pe32->securityEntryOffset, 0x98u + 96 + 32);
    EXPECT_EQ(pe32->certificateOffset, 0x1000u);
    EXPECT_EQ(pe32->timeStampOffset, 0x88u);
    EXPECT_EQ(pe32->resourceTimeStampOffset, 0x414u);
    const auto plus = maker::ReadPeLayout(Headers(0x20B, 0x1000, 0x2FC));
    ASSERT_TRUE(plus);
    EXPECT_EQ(plus->securityEntryOffset, 0x98u + 112 + 32);
    EXPECT_EQ(plus->resourceTimeStampOffset, 0x414u);
    const std::vector<std::byte> headersOnly = Headers(0x20B, 0, 0);
    EXPECT_EQ(maker::ReadPeLayout(std::span(headersOnly).first(0x300))->resourceTimeStampOffset, 0u);
    // The table is cut only where it ends the file, padded to 8 bytes or not.
    EXPECT_EQ(maker::SizeWithoutCertificates(*pe32, 0x1300), 0x1000u);
    EXPECT_EQ(maker::SizeWithoutCertificates(*plus, 0x1300), 0x1000u);
    EXPECT_EQ(maker::SizeWithoutCertificates(*pe32, 0x1400), 0x1400u);
    EXPECT_EQ(maker::SizeWithoutCertificates(*maker::ReadPeLayout(Headers(0x10B, 0, 0)), 0x1400), 0x1400u);
    std::vector<std::byte> notPe = Headers(0x10B, 0, 0);
    notPe[0x80] = std::byte{'X'};
    EXPECT_FALSE(maker::ReadPeLayout(notPe));
    const std::vector<std::byte> whole = Headers(0x10B, 0, 0);
    EXPECT_FALSE(maker::ReadPeLayout(std::span(whole).first(0x90)));
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
    const std::vector<std::byte> block =
        maker::BuildVersionInfo({L"12.2.0.4", L"Hotfix \u00E9", L"Hotfix \u00E9", L"hotfix.exe", {}, {}, {}});
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
        const std::vector<std::byte> block =
            maker::BuildVersionInfo({version, description, description, file, description, description, description});
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
        EXPECT_EQ(entries, (std::map<std::wstring, std::wstring>{{L"Comments", kept}, {L"CompanyName", kept},
                                                                 {L"FileDescription", kept}, {L"FileVersion", version},
                                                                 {L"LegalCopyright", kept}, {L"OriginalFilename", file},
                                                                 {L"ProductName", kept}, {L"ProductVersion", version}}));
        const VersionNode& variables = root.children[1];
        EXPECT_EQ(variables.key, L"VarFileInfo");
        ASSERT_EQ(variables.children.size(), 1u);
        EXPECT_EQ(variables.children[0].key, L"Translation");
        EXPECT_EQ(Text(variables.children[0].value), std::wstring({wchar_t(0x0409), wchar_t(1200)}));
    }
}

// A set of patches as the maker reads them: a base patch of two editions and a language pack.
const std::wstring Product3 = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A03}";
const std::wstring PatchA = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1B0A}";
const std::wstring PatchB = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1B0B}";

maker::CheckedPatch SetPatch(const std::wstring& path, const std::wstring& code, std::vector<maker::TransformProducts> products)
{
    maker::CheckedPatch patch{path, {}, code, std::move(products)};
    for (const maker::TransformProducts& p : patch.products)
        patch.targets.push_back(p.targetProductCode);
    return patch;
}

TEST(PackageSet, AFileNameTheWrapperCannotCarryOrThatComesTwiceIsRefusedNamingItsPackage)
{
    const std::tuple<std::vector<std::wstring>, std::wstring, std::wstring> refused[] = {
        {{L"C:\\x\\Base.msp", L"D:\\y\\base.MSP"}, L"D:\\y\\base.MSP", L"has the file name of C:\\x\\Base.msp"},
        {{L"a.msp", L"b.msp", L"sub/A.msp"}, L"sub/A.msp", L"has the file name of a.msp"},
        {{L"a.msp", L"C:\\x\\CON.msp"}, L"C:\\x\\CON.msp", L"its file name \"CON.msp\""},
        {{L"a.msp", L"b.msp."}, L"b.msp.", L"its file name \"b.msp.\""},
        {{L"a.msp", L"C:\\x\\"}, L"C:\\x\\", L"its file name \"\""},
        {{L"a\x01.msp", L"b.msp"}, L"a\x01.msp", L"its file name"},
    };
    for (const auto& [paths, package, problem] : refused) {
        const std::optional<maker::SetRefusal> refusal = maker::CheckSetFileNames(paths);
        ASSERT_TRUE(refusal) << ::testing::PrintToString(package);
        EXPECT_EQ(refusal->package, package);
        EXPECT_EQ(refusal->problem.find(problem), 0u) << ::testing::PrintToString(refusal->problem);
    }
    EXPECT_FALSE(maker::CheckSetFileNames({L"C:\\x\\base.msp", L"C:\\x\\base-de.msp", L"lang/base.msp.de"}));
}

TEST(PackageSet, TwoPackagesOfOnePatchOrATargetThatIsNoProductCodeAreRefused)
{
    const maker::CheckedPatch a = SetPatch(L"a.msp", PatchA, {Upgrades(Product1, L"1.0", L"1.1")});
    maker::CheckedPatch copy = SetPatch(L"copy.msp", L"{6e1d3f6a-2b7c-4c1e-9a55-0d4b2e7c1b0a}", {});
    const maker::CheckedPatch b = SetPatch(L"b.msp", PatchB, {Upgrades(Product2, L"1.0", L"1.1")});
    maker::CheckedPatch odd = SetPatch(L"odd.msp", PatchB, {});
    odd.targets = {Product2, L"Product3"};
    const std::tuple<std::vector<maker::CheckedPatch>, std::wstring, std::wstring> refused[] = {
        {{a, b, copy}, L"copy.msp", L"has the patch code {6e1d3f6a-2b7c-4c1e-9a55-0d4b2e7c1b0a} of a.msp"},
        {{a, odd}, L"odd.msp", L"names the target \"Product3\""},
    };
    for (const auto& [patches, package, problem] : refused) {
        const std::optional<maker::SetRefusal> refusal = maker::CheckSetPatches(patches);
        ASSERT_TRUE(refusal) << ::testing::PrintToString(package);
        EXPECT_EQ(refusal->package, package);
        EXPECT_EQ(refusal->problem.find(problem), 0u) << ::testing::PrintToString(refusal->problem);
    }
    EXPECT_FALSE(maker::CheckSetPatches({a, b}));
}

TEST(VersionOrder, FieldsCompareAsNumbers)
{
    const std::tuple<std::wstring, std::wstring, int> cases[] = {
        {L"12.10", L"12.9", 1},          {L"12.2.0.4", L"12.2.0.5", -1}, {L"12.2", L"12.2.0", 0},
        {L"1.02", L"1.2", 0},            {L"2", L"10", -1},              {L"1.0 beta", L"1.0", 0},
        {L"123456789012345678901.1", L"99999999999999999999.9", 1},
    };
    for (const auto& [a, b, order] : cases) {
        EXPECT_EQ(maker::CompareVersions(a, b), order) << ::testing::PrintToString(a) << " " << ::testing::PrintToString(b);
        EXPECT_EQ(maker::CompareVersions(b, a), -order);
    }
}

TEST(SetVersions, EachProductGetsTheHighestVersionItsPatchesBringItTo)
{
    struct Case {
        const char* story;
        std::vector<maker::CheckedPatch> patches;
        std::optional<std::wstring> given;
        std::vector<std::tuple<std::wstring, std::wstring, bool>> products;  // code, version, from /version
        std::wstring highest;
    };
    const maker::CheckedPatch base = SetPatch(L"base.msp", PatchA, {Upgrades(Product1, L"12.2.0.3", L"12.2.0.9"),
                                                                   Upgrades(Product2, L"12.2.0.3", L"12.2.0.9")});
    const maker::CheckedPatch later = SetPatch(L"later.msp", PatchB, {Upgrades(Product2, L"12.2.0.9", L"12.2.0.10"),
                                                                     Upgrades(Product3, L"1.0", L"1.1")});
    // Lists Product3 too, but its one transform names Product1: it counts for both, as for one patch.
    maker::CheckedPatch shared = SetPatch(L"shared.msp", PatchB, {Upgrades(Product1, L"12.2.0.3", L"12.3")});
    shared.targets.push_back(Product3);
    const maker::CheckedPatch silent = SetPatch(L"silent.msp", PatchB, {});
    const Case cases[] = {
        {"numerically highest, products in order of first appearance", {base, later}, std::nullopt,
         {{Product1, L"12.2.0.9", false}, {Product2, L"12.2.0.10", false}, {Product3, L"1.1", false}}, L"12.2.0.10"},
        {"a patch without a transform of a product it targets", {base, shared}, std::nullopt,
         {{Product1, L"12.3", false}, {Product2, L"12.2.0.9", false}, {Product3, L"12.3", false}}, L"12.3"},
        {"/version only where the patches cannot tell", {base, [&] { auto p = silent; p.targets = {Product2, Product3}; return p; }()},
         L"12.4", {{Product1, L"12.2.0.9", false}, {Product2, L"12.4", true}, {Product3, L"12.4", true}}, L"12.4"},
    };
    for (const Case& c : cases) {
        const maker::SetVersionDecision decision = maker::DecideSetVersions(c.patches, c.given);
        EXPECT_EQ(decision.refusal, L"") << c.story;
        std::vector<std::tuple<std::wstring, std::wstring, bool>> products;
        for (const maker::ProductUpToDate& p : decision.products)
            products.emplace_back(p.productCode, p.version, p.fromOption);
        EXPECT_EQ(products, c.products) << c.story;
        EXPECT_EQ(decision.highest, c.highest) << c.story;
        EXPECT_EQ(decision.warning, L"") << c.story;
    }
}

TEST(SetVersions, AProductWhoseVersionCannotBeDerivedIsNamedWithItsPatchesUnlessVersionIsGiven)
{
    const maker::CheckedPatch base = SetPatch(L"base.msp", PatchA, {Upgrades(Product1, L"12.2.0.3", L"12.2.0.4"),
                                                                   Upgrades(Product2, L"12.2.0.3", L"12.2.0.4")});
    // Two transforms of Product2 to different versions: this patch cannot tell.
    const maker::CheckedPatch split = SetPatch(L"split.msp", PatchB, {Upgrades(Product2, L"12.2.0.3", L"12.2.0.5"),
                                                                     Upgrades(Product2, L"12.2.0.1", L"12.2.0.6")});
    const maker::SetVersionDecision refused = maker::DecideSetVersions({base, split}, std::nullopt);
    EXPECT_EQ(refused.refusedProduct, Product2);
    EXPECT_TRUE(refused.products.empty());
    EXPECT_EQ(refused.refusal.find(L"its up-to-date version cannot be derived from its patches (base.msp, split.msp): "
                                   L"for split.msp, its targets upgrade to different versions"), 0u)
        << ::testing::PrintToString(refused.refusal);
    EXPECT_TRUE(refused.refusal.ends_with(L"; give it with /version"));

    const maker::SetVersionDecision given = maker::DecideSetVersions({base, split}, L"12.2.0.6");
    ASSERT_EQ(given.products.size(), 2u);
    EXPECT_EQ(std::tie(given.products[1].version, given.products[1].fromOption), std::tuple(L"12.2.0.6", true));
    EXPECT_FALSE(given.products[0].fromOption);

    const maker::SetVersionDecision unused = maker::DecideSetVersions({base}, L"12.9");
    EXPECT_EQ(unused.warning, L"the patches give every product's up-to-date version; /version 12.9 is not used");
}

TEST(VersionInfo, ASetIsDescribedByItsPatchesDisplayNamesWhileTheyAllHaveOneAndFit)
{
    const maker::PatchMetadata base{L"Büro SP1", L"Korvanta", L"Korvanta Büro", L"Fixes printing", L"1"};
    const maker::PatchMetadata german{L"Büro SP1 (Deutsch)", L"Korvanta", L"Korvanta Büro", L"Behebt Drucken", L"1"};
    const maker::PatchMetadata unnamed{L"", L"Korvanta", L"Korvanta Büro", L"", L""};
    const maker::PatchMetadata otherVendor{L"Viewer SP1", L"Other", L"Viewer", L"Fixes printing", L""};
    const std::tuple<std::vector<maker::PatchMetadata>, maker::PatchMetadata> cases[] = {
        {{base, german}, {L"Büro SP1; Büro SP1 (Deutsch)", L"Korvanta", L"Korvanta Büro", L"", L""}},
        {{base, unnamed, german}, {L"3 patches", L"Korvanta", L"Korvanta Büro", L"", L""}},
        {{base, otherVendor}, {L"Büro SP1; Viewer SP1", L"", L"", L"Fixes printing", L""}},
        {{maker::PatchMetadata{std::wstring(250, L'n')}, maker::PatchMetadata{L"12345"}}, {L"2 patches"}},
        {{maker::PatchMetadata{std::wstring(249, L'n')}, maker::PatchMetadata{L"12345"}}, {std::wstring(249, L'n') + L"; 12345"}},
    };
    for (const auto& [patches, expected] : cases) {
        const maker::PatchMetadata set = maker::SetMetadata(patches);
        EXPECT_EQ(std::tie(set.displayName, set.manufacturerName, set.targetProductName, set.description, set.allowRemoval),
                  std::tie(expected.displayName, expected.manufacturerName, expected.targetProductName,
                           expected.description, expected.allowRemoval))
            << patches.size();
    }
}

std::wstring Joined(const std::vector<std::wstring>& lines)
{
    std::wstring text;
    for (const std::wstring& line : lines)
        text += line + L"\n";
    return text;
}

TEST(DetectionRule, ASinglePatchGetsTheRuleAndWordsItAlwaysGot)
{
    const std::wstring patch = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1B01}";
    const maker::DetectionRule rule = maker::BuildDetectionRule(
        patch, false, L"12.2.0.4", {Product1, Product2},
        {{Product1, L"12.2.0.3", Product1, L"12.2.0.4", Upgrade}, {Product2, L"12.2.0.4", Product2, L"12.2.0.4", Upgrade}});
    const std::wstring made = maker::DetectionJson(rule) + L"----\n" + Joined(maker::DetectionLines(rule, L"w.exe.detection.json")) +
                              L"----\n" + Joined(maker::SummaryLines({{Product1, Product2}, patch, L"12.2.0.4", false, L"C:\\w.exe", 1234}));
    std::ifstream file(SVCPACK_SINGLE_PATCH_RULE);
    std::stringstream expected;
    expected << file.rdbuf();
    ASSERT_FALSE(expected.str().empty());
    EXPECT_EQ(std::string(made.begin(), made.end()), expected.str());
}

TEST(DetectionRule, EachProductOfASetListsTheKeysOfThePatchesThatTargetItAndTheVersionWhereTheSetRaisesIt)
{
    const maker::CheckedPatch base = SetPatch(L"C:\\x\\base.msp", PatchA, {Upgrades(Product1, L"12.2.0.3", L"12.2.0.4"),
                                                                            Upgrades(Product2, L"12.2.0.3", L"12.2.0.4")});
    // The language pack leaves its product's version as it is.
    const maker::CheckedPatch language = SetPatch(L"lang.msp", PatchB, {Upgrades(Product2, L"12.2.0.3", L"12.2.0.4"),
                                                                       Upgrades(Product3, L"1.0", L"1.0")});
    const std::vector<maker::ProductUpToDate> products{
        {Product1, L"12.2.0.4", false}, {Product2, L"12.2.0.4", false}, {Product3, L"2.0", true}};
    const maker::SetDetectionRule rule =
        maker::BuildSetDetectionRule({base, language}, {L"base.msp", L"lang.msp"}, {true, false}, products);
    ASSERT_EQ(rule.targets.size(), 3u);
    const auto patchesOf = [&](std::size_t target) {
        std::vector<std::size_t> patches;
        for (const maker::SetPatchKeys& keys : rule.targets[target].patches)
            patches.push_back(keys.patch);
        return patches;
    };
    EXPECT_EQ(patchesOf(0), std::vector<std::size_t>{0});
    EXPECT_EQ(patchesOf(1), (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(patchesOf(2), std::vector<std::size_t>{1});
    EXPECT_EQ(rule.targets[1].patches[1].machineKey,
              L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products\\"
              L"A6F3D1E6C7B2E1C4A955D0B4E2C7A120\\Patches\\A6F3D1E6C7B2E1C4A955D0B4E2C7B1B0");
    EXPECT_EQ(rule.targets[1].versionAtLeast, L"12.2.0.4");
    EXPECT_EQ(rule.targets[2].versionAtLeast, L"");
    const std::wstring json = maker::SetDetectionJson(rule);
    EXPECT_EQ(json.find(L"{\n  \"patches\": [\n    {\n      \"fileName\": \"base.msp\",\n      \"patchCode\": \"" + PatchA +
                        L"\",\n      \"removable\": true\n    },"), 0u) << json;
    EXPECT_EQ(maker::SetDetectionLines(rule, L"w.json").back(), L"Removable by the wrapper's /uninstall: base.msp yes; lang.msp no");
}

}  // namespace
