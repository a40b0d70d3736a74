#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "maker/wrapper/version_info.h"
#include "runlog/start_entries.h"
#include "runlog/version_resource.h"

namespace {

class RecordingLog final : public runlog::RunLog {
public:
    void Write(runlog::Type type, std::wstring_view text) override { entries.emplace_back(type, text); }
    std::vector<std::pair<runlog::Type, std::wstring>> entries;
};

runlog::StartFacts Facts()
{
    return {L"C:\\Deploy\\MyProduct-SP1.exe", L"12.2.0.4", L"i686", L"\"C:\\Deploy\\MyProduct-SP1.exe\" /q",
            L"NT AUTHORITY\\SYSTEM (SYSTEM)", false, L"C:\\Windows\\SystemTemp\\"};
}

TEST(StartEntries, SayWhichWrapperRanHowAndAsWhom)
{
    RecordingLog log;
    runlog::WriteStart(log, Facts());
    const std::vector<std::pair<runlog::Type, std::wstring>> expected = {
        {runlog::Type::Information, L"svcpack 12.2.0.4 (i686) started: C:\\Deploy\\MyProduct-SP1.exe"},
        {runlog::Type::Information, L"Command line: \"C:\\Deploy\\MyProduct-SP1.exe\" /q"},
        {runlog::Type::Information, L"Account: NT AUTHORITY\\SYSTEM (SYSTEM)"},
        {runlog::Type::Information, L"Windows can be seen: no"},
        {runlog::Type::Information, L"Temporary folder: C:\\Windows\\SystemTemp\\"},
    };
    EXPECT_EQ(log.entries, expected);
}

TEST(StartEntries, SayWhatIsMissing)
{
    runlog::StartFacts facts = Facts();
    facts.version.clear();
    facts.windowsVisible = true;
    facts.temporaryFolder.reset();
    RecordingLog log;
    runlog::WriteStart(log, facts);
    ASSERT_EQ(log.entries.size(), 5u);
    EXPECT_EQ(log.entries[0].second, L"svcpack (no version) (i686) started: C:\\Deploy\\MyProduct-SP1.exe");
    EXPECT_EQ(log.entries[3].second, L"Windows can be seen: yes");
    EXPECT_EQ(log.entries[4].second, L"Temporary folder: none usable");
}

std::vector<std::byte> MadeVersionInfo(const std::wstring& version)
{
    maker::VersionTexts texts;
    texts.version = version;
    texts.description = L"Service pack";
    texts.productName = L"Korvanta Ledger";
    texts.originalFilename = L"MyProduct-SP1.exe";
    texts.company = L"Korvanta";
    return maker::BuildVersionInfo(texts);
}

TEST(OwnVersion, IsTheFileVersionTheMakerWrote)
{
    EXPECT_EQ(runlog::FileVersionOf(MadeVersionInfo(L"12.2.0.4")), L"12.2.0.4");
    EXPECT_EQ(runlog::FileVersionOf(MadeVersionInfo(L"7 beta (Büro)")), L"7 beta (Büro)");
}

TEST(OwnVersion, IsMissingFromABlockWithoutOne)
{
    EXPECT_EQ(runlog::FileVersionOf(MadeVersionInfo(L"")), std::nullopt);
    EXPECT_EQ(runlog::FileVersionOf({}), std::nullopt);
}

TEST(OwnVersion, IsNeverReadPastTheEndOfACutBlock)
{
    const std::vector<std::byte> block = MadeVersionInfo(L"12.2.0.4");
    for (std::size_t size = 0; size < block.size(); ++size)
        EXPECT_EQ(runlog::FileVersionOf(std::span(block).first(size)), std::nullopt) << size;
}

TEST(OwnVersion, IsNotTakenFromAMalformedBlock)
{
    std::vector<std::byte> block = MadeVersionInfo(L"12.2.0.4");
    std::vector<std::byte> zeroLengthChild = block;
    // After the root's header (6 bytes), key (32), padding (2) and fixed information (52).
    constexpr std::size_t firstChild = 92;
    zeroLengthChild[firstChild] = std::byte{0};
    zeroLengthChild[firstChild + 1] = std::byte{0};
    EXPECT_EQ(runlog::FileVersionOf(zeroLengthChild), std::nullopt);
    block[2] = std::byte{0xFF};  // a value longer than the whole block
    EXPECT_EQ(runlog::FileVersionOf(block), std::nullopt);
}

}  // namespace
