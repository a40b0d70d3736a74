#include <gtest/gtest.h>

#include "package/embedded_resources.h"

namespace {

std::optional<std::wstring> RoundTrip(std::wstring_view version)
{
    const std::vector<std::byte> bytes = package::EncodeUpToDateVersion(version);
    return package::DecodeUpToDateVersion(bytes);
}

TEST(UpToDateVersionResource, AVersionComesBackAsWritten)
{
    EXPECT_EQ(RoundTrip(L"12.2.0.4"), L"12.2.0.4");
    EXPECT_EQ(RoundTrip(L"7.1 SP\u00E9 \u4E8C"), L"7.1 SP\u00E9 \u4E8C");
    EXPECT_EQ(RoundTrip(std::wstring(1023, L'9')), std::wstring(1023, L'9'));
}

TEST(UpToDateVersionResource, DamagedOrUnusableResourcesAreRefused)
{
    EXPECT_EQ(RoundTrip(L""), std::nullopt);
    EXPECT_EQ(RoundTrip(std::wstring(1024, L'9')), std::nullopt);
    EXPECT_EQ(RoundTrip(std::wstring(L"12.2\0.4", 7)), std::nullopt);
    EXPECT_EQ(RoundTrip(L"12.2.0.4\r\n"), std::nullopt);
    const std::vector<std::byte> odd(5, std::byte{'1'});
    EXPECT_EQ(package::DecodeUpToDateVersion(odd), std::nullopt);
}

// Each control character (C0, DEL and C1) inside a version, and the printable neighbours of
// each range, which a version may hold.
constexpr wchar_t ControlCharacters[] = {0x01, 0x09, 0x1F, 0x7F, 0x80, 0x85, 0x9F};
constexpr wchar_t PrintableNeighbours[] = {L' ', L'~', 0xA0};

std::wstring VersionWith(wchar_t c)
{
    return std::wstring(L"12.2") + c + L"0.4";
}

TEST(UpToDateVersionResource, AControlCharacterAnywhereIsRefusedAndItsNeighboursAreNot)
{
    for (const wchar_t c : ControlCharacters) {
        EXPECT_EQ(RoundTrip(VersionWith(c)), std::nullopt) << int(c);
        EXPECT_EQ(RoundTrip(std::wstring(1, c)), std::nullopt) << int(c);
    }
    for (const wchar_t c : PrintableNeighbours)
        EXPECT_EQ(RoundTrip(VersionWith(c)), VersionWith(c)) << int(c);
}

}  // namespace

namespace {

const package::PackageSet EditionSplit{{L"Core-SP1.msp", L"Core-SP1-de.msp"},
                                       {{L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A01}", L"12.2.0.4"},
                                        {L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A02}", L"12.2.1"}}};

std::optional<package::PackageSet> SetFromText(std::wstring_view text)
{
    return package::DecodePackageSet(package::EncodeUpToDateVersion(text));
}

TEST(PackageSetResource, ASetComesBackAsWrittenInItsOrder)
{
    const std::optional<package::PackageSet> decoded = package::DecodePackageSet(package::EncodePackageSet(EditionSplit));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->fileNames, EditionSplit.fileNames);
    ASSERT_EQ(decoded->versions.size(), 2u);
    EXPECT_EQ(decoded->versions[1].productCode, EditionSplit.versions[1].productCode);
    EXPECT_EQ(decoded->versions[1].version, L"12.2.1");
    EXPECT_EQ(package::SetPackageResourceName(0), L"IDR_MSP1");
    EXPECT_EQ(package::SetPackageResourceName(11), L"IDR_MSP12");
}

TEST(PackageSetResource, DamagedSetsAreRefused)
{
    constexpr std::wstring_view code = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A01}";
    const std::wstring versions = std::wstring(L"\n") + std::wstring(code) + L" 12.2.0.4\n";
    for (const std::wstring& text : std::vector<std::wstring>{
             L"a.msp\n" + versions,                       // one package is no set
             L"a.msp\nA.MSP\n" + versions,                // names that meet on a case-blind disk
             L"a.msp\n..\\b.msp\n" + versions,            // a name that leaves the folder
             L"a.msp\nb.msp\n",                           // no version table
             L"a.msp\nb.msp" + versions,                  // no empty line: the table is a name
             L"a.msp\nb.msp\n\n{6E1D3F6A} 12.2.0.4\n",    // a code that is no GUID
             L"a.msp\nb.msp\n\n" + std::wstring(code) + L"\n",  // a product without its version
             L"a.msp\nb.msp\n" + versions + std::wstring(code) + L" 12.2.0.5\n",  // a product twice
             L"a.msp\nb.msp\n" + versions.substr(0, versions.size() - 1),         // cut short
         })
        EXPECT_FALSE(SetFromText(text)) << text;
    const std::vector<std::byte> odd(7, std::byte{'a'});
    EXPECT_FALSE(package::DecodePackageSet(odd));
}

TEST(PackageSetResource, OnlyNamesThatStayInTheFolderAreUsable)
{
    for (const wchar_t* name : {L"Core-SP1.msp", L"kb 1234 (x64).MSP", L"\u00FCbung.msp", L"CONSOLE.msp", L"COM0.msp"})
        EXPECT_TRUE(package::IsUsablePackageFileName(name)) << name;
    for (const wchar_t* name : {L"", L".", L"..", L"a\\b.msp", L"a/b.msp", L"C:b.msp", L"a.msp:stream", L"*.msp",
                                L"a.msp.", L"a.msp ", L"a\tb.msp", L"CON", L"nul.msp", L"Lpt1.txt", L"com9"})
        EXPECT_FALSE(package::IsUsablePackageFileName(name)) << name;
    EXPECT_FALSE(package::IsUsablePackageFileName(std::wstring(256, L'a')));
}

}  // namespace
