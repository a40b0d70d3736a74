#include <gtest/gtest.h>

#include "package/product_list.h"
#include "package/summary.h"
#include "scripted_installer.h"
#include "scripted_platform.h"

namespace {

const std::wstring Package = L"C:\\Temp\\MSP1";
const std::wstring Code = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A01}";

class PackageReaderTest : public testing::Test {
protected:
    ScriptedPlatform platform;
    ScriptedInstaller installer;
    package::PackageReader reader{platform, installer};

    void Store(std::uint32_t property, std::wstring text) { installer.packages[Package][property] = std::move(text); }
};

TEST_F(PackageReaderTest, TargetTextIsReturnedAsStored)
{
    for (const std::wstring& text : {Code, Code + L";", Code + L";" + Code, std::wstring(L";;x")}) {
        Store(7, text);
        std::wstring targets = L"old";
        EXPECT_TRUE(reader.ReadTargetProductCodes(Package, targets));
        EXPECT_EQ(targets, text);
    }
    EXPECT_EQ(installer.openHandles, 0);
}

TEST_F(PackageReaderTest, ATargetTextThatFitsIsReadOnce)
{
    Store(7, std::wstring(2047, L'A'));
    std::wstring targets;
    EXPECT_TRUE(reader.ReadTargetProductCodes(Package, targets));
    EXPECT_EQ(targets.size(), 2047u);
    EXPECT_EQ(installer.propertyReads.size(), 1u);
}

TEST_F(PackageReaderTest, ALongerTargetTextIsReadWholeOnTheRetry)
{
    for (std::size_t size : {2048u, 2049u, 5000u}) {
        installer.propertyReads.clear();
        Store(7, std::wstring(size, L'B') + L"C");
        std::wstring targets;
        EXPECT_TRUE(reader.ReadTargetProductCodes(Package, targets));
        EXPECT_EQ(targets.size(), size + 1);
        EXPECT_EQ(targets.back(), L'C');
        EXPECT_EQ(installer.propertyReads, (std::vector<std::uint32_t>{7, 7}));
    }
    EXPECT_EQ(installer.openHandles, 0);
}

TEST_F(PackageReaderTest, PatchCodeOfTwoCodesComesBackWhole)
{
    Store(9, Code + Code);
    std::wstring patchCode;
    EXPECT_TRUE(reader.ReadPatchCode(Package, patchCode));
    EXPECT_EQ(patchCode.size(), 76u);
}

TEST_F(PackageReaderTest, PatchCodeIsNotRetriedWhereTheTargetTextWouldBe)
{
    Store(9, std::wstring(2048, L'D'));
    Store(7, std::wstring(2048, L'D'));
    std::wstring patchCode = L"untouched";
    EXPECT_FALSE(reader.ReadPatchCode(Package, patchCode));
    EXPECT_EQ(patchCode, L"untouched");
    EXPECT_EQ(installer.propertyReads, std::vector<std::uint32_t>{9});
    std::wstring targets;
    EXPECT_TRUE(reader.ReadTargetProductCodes(Package, targets));
    EXPECT_EQ(installer.openHandles, 0);
}

TEST_F(PackageReaderTest, NoPackageLeavesTheTextsAlone)
{
    std::wstring targets = L"untouched";
    EXPECT_FALSE(reader.ReadTargetProductCodes(L"C:\\Temp\\nothing", targets));
    EXPECT_FALSE(reader.ReadPatchCode(L"C:\\Temp\\nothing", targets));
    EXPECT_EQ(targets, L"untouched");
}

TEST_F(PackageReaderTest, AFailedReadKeepsTheInstallersOwnResult)
{
    std::wstring text;
    EXPECT_FALSE(reader.ReadPatchCode(L"C:\\Temp\\nothing", text));
    EXPECT_EQ(reader.failure, 1627u);  // the open
    Store(9, std::wstring(2048, L'D'));
    EXPECT_FALSE(reader.ReadPatchCode(Package, text));
    EXPECT_EQ(reader.failure, 234u);   // the read
    EXPECT_FALSE(reader.ReadTargetProductCodes(L"C:\\" + std::wstring(257, L'p'), text));
    EXPECT_EQ(reader.failure, 206u);   // no full path within 260 characters
}

TEST_F(PackageReaderTest, AFullPathOf260CharactersIsNotOpened)
{
    const std::wstring longPath = L"C:\\" + std::wstring(257, L'p');
    installer.packages[longPath][7] = Code;
    std::wstring targets;
    EXPECT_FALSE(reader.ReadTargetProductCodes(longPath, targets));
    EXPECT_TRUE(installer.calls.empty());
    const std::wstring fits = L"C:\\" + std::wstring(256, L'p');
    installer.packages[fits][7] = Code;
    EXPECT_TRUE(reader.ReadTargetProductCodes(fits, targets));
}

TEST_F(PackageReaderTest, AnAbsentPropertyReadsEmpty)
{
    Store(9, Code);
    std::wstring targets = L"x";
    EXPECT_TRUE(reader.ReadTargetProductCodes(Package, targets));
    EXPECT_EQ(targets, L"");
}

// An installer that claims more data on every read, with a length of its choosing.
class GreedyInstaller : public ScriptedInstaller {
public:
    std::uint32_t claimed = 0;
    std::uint32_t SummaryInfoGetProperty(msi::Handle, std::uint32_t property, wchar_t* buffer,
                                         std::uint32_t& length) override
    {
        propertyReads.push_back(property);
        std::fill_n(buffer, length, L'Z');  // no terminator at all
        length = claimed;
        return msi::MoreData;
    }
};

TEST(PackageReaderFailures, RepeatedMoreDataFailsAfterOneRetryAndClosesTheHandle)
{
    ScriptedPlatform platform;
    GreedyInstaller installer;
    installer.packages[Package][7] = Code;
    package::PackageReader reader{platform, installer};
    for (std::uint32_t claimed : {0u, 10u, 4096u, 0xFFFFFFFFu}) {
        installer.claimed = claimed;
        installer.propertyReads.clear();
        std::wstring targets = L"untouched";
        EXPECT_FALSE(reader.ReadTargetProductCodes(Package, targets));
        EXPECT_EQ(targets, L"untouched");
        EXPECT_LE(installer.propertyReads.size(), 2u);
    }
    EXPECT_EQ(installer.openHandles, 0);
}

TEST(SummaryHandle, ClosesExactlyOnceAndNotAtAllWhenZero)
{
    ScriptedInstaller installer;
    installer.packages[Package][7] = Code;
    msi::Handle raw = 0;
    installer.GetSummaryInformation(Package, raw);
    {
        package::SummaryHandle first(installer, raw);
        package::SummaryHandle moved(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_TRUE(moved);
    }
    { package::SummaryHandle none(installer, 0); }
    EXPECT_EQ(installer.openHandles, 0);
    EXPECT_EQ(std::count(installer.calls.begin(), installer.calls.end(), L"CloseHandle"), 1);
}

TEST(ShowTargetProductList, ShowsTheTextAsReadAndKeepsThePackage)
{
    ScriptedPlatform platform;
    ScriptedInstaller installer;
    installer.packages[Package][7] = Code + L";" + Code + L";";
    EXPECT_TRUE(package::ShowTargetProductList(platform, installer, true));
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, Code + L";" + Code + L";");
    EXPECT_EQ(platform.boxes[0].caption, L"List of Products");
    EXPECT_EQ(platform.boxes[0].style, 0x50000u);
    EXPECT_TRUE(platform.removed.empty());
    EXPECT_TRUE(platform.files.count(Package));
}

TEST(ShowTargetProductList, WhereNoOneCanSeeItTheListIsReadButNotShown)
{
    ScriptedPlatform platform;
    ScriptedInstaller installer;
    installer.packages[Package][7] = Code;
    EXPECT_TRUE(package::ShowTargetProductList(platform, installer, false));
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_TRUE(platform.files.count(Package));
}

TEST(ShowTargetProductList, AnUnreadablePackageShowsAnEmptyBox)
{
    ScriptedPlatform platform;
    ScriptedInstaller installer;
    platform.extractionFails = true;
    EXPECT_FALSE(package::ShowTargetProductList(platform, installer, true));
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, L"");
    EXPECT_TRUE(installer.calls.empty());
}

TEST(ShowTargetProductList, AShortExtractionNeverReachesTheInstaller)
{
    ScriptedPlatform platform;
    ScriptedInstaller installer;
    installer.packages[Package][7] = Code;  // what a reader would find in the short file
    platform.extractionFallsShort = true;
    EXPECT_FALSE(package::ShowTargetProductList(platform, installer, true));
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, L"");
    EXPECT_TRUE(installer.calls.empty());
    EXPECT_TRUE(platform.files.count(Package));  // left, as "/i" leaves its file
}

}  // namespace
