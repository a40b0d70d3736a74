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

}  // namespace
