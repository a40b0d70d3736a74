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
