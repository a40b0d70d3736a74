#include <gtest/gtest.h>

#include "app/run_options.h"

namespace {

CommandLineOptions Scan(std::vector<std::wstring> arguments)
{
    arguments.insert(arguments.begin(), L"C:\\Downloads\\svcpack.exe");
    return ScanArguments(arguments);
}

TEST(ScanArguments, NoArgumentsIsInstallMode)
{
    const CommandLineOptions options = Scan({});
    EXPECT_TRUE(options.installMode);
    EXPECT_FALSE(options.quiet || options.noRestart || options.extractOnly || options.listOnly);
    EXPECT_TRUE(options.extractPath.empty());
}

TEST(ScanArguments, QuietInAnyCaseKeepsInstallMode)
{
    for (const wchar_t* word : {L"/q", L"/Q"}) {
        const CommandLineOptions options = Scan({word});
        EXPECT_TRUE(options.quiet) << word;
        EXPECT_TRUE(options.installMode) << word;
    }
}

TEST(ScanArguments, NoRestartInAnyCaseKeepsInstallMode)
{
    for (const wchar_t* word : {L"/norestart", L"/NoRestart", L"/NORESTART"}) {
        const CommandLineOptions options = Scan({L"/q", word});
        EXPECT_TRUE(options.noRestart && options.quiet && options.installMode) << word;
    }
}

TEST(ScanArguments, NearMissesAreIgnored)
{
    for (const wchar_t* word : {L"/-q", L"-q", L"/qq", L"/quiet", L"q", L"/", L"", L"/ q", L"/e2", L"/ii", L"\u0130",
                                L"/norestar", L"/norestarts", L"-norestart", L"norestart", L"/no restart"}) {
        const CommandLineOptions options = Scan({word});
        EXPECT_FALSE(options.quiet || options.noRestart) << word;
        EXPECT_TRUE(options.installMode) << word;
        EXPECT_FALSE(options.extractOnly || options.listOnly) << word;
    }
}

TEST(ScanArguments, ExtractTakesTheNextArgumentWhateverItIs)
{
    const CommandLineOptions options = Scan({L"/E", L"/q"});
    EXPECT_TRUE(options.extractOnly);
    EXPECT_FALSE(options.installMode);
    EXPECT_EQ(options.extractPath, L"/q");
    EXPECT_FALSE(options.quiet);
    const CommandLineOptions restart = Scan({L"/e", L"/norestart"});
    EXPECT_EQ(restart.extractPath, L"/norestart");
    EXPECT_FALSE(restart.noRestart);
}

TEST(ScanArguments, ExtractLastLeavesThePathEmpty)
{
    const CommandLineOptions options = Scan({L"/q", L"/e"});
    EXPECT_TRUE(options.extractOnly && options.quiet);
    EXPECT_TRUE(options.extractPath.empty());
}

TEST(ScanArguments, LaterExtractReplacesThePathAndALastBareOneKeepsIt)
{
    EXPECT_EQ(Scan({L"/e", L"a.msp", L"/e", L"b.msp"}).extractPath, L"b.msp");
    EXPECT_EQ(Scan({L"/e", L"a.msp", L"/e"}).extractPath, L"a.msp");
}

TEST(ScanArguments, ListEndsTheScan)
{
    const CommandLineOptions options = Scan({L"/I", L"/e", L"x.msp", L"/q", L"/norestart"});
    EXPECT_TRUE(options.listOnly);
    EXPECT_FALSE(options.installMode);
    EXPECT_FALSE(options.extractOnly);
    EXPECT_FALSE(options.quiet || options.noRestart);
    EXPECT_TRUE(options.extractPath.empty());
}

TEST(ScanArguments, ExtractThenListDoesBoth)
{
    const CommandLineOptions options = Scan({L"/e", L"C:\\out dir\\p.msp", L"/i"});
    EXPECT_TRUE(options.extractOnly && options.listOnly);
    EXPECT_FALSE(options.installMode);
    EXPECT_EQ(options.extractPath, L"C:\\out dir\\p.msp");
}

TEST(ScanArguments, ThePathIsNeverExaminedAsAnOption)
{
    const CommandLineOptions options = Scan({L"/e", L"/i", L"/q"});
    EXPECT_EQ(options.extractPath, L"/i");
    EXPECT_FALSE(options.listOnly);
    EXPECT_TRUE(options.quiet);
}

TEST(ScanArguments, UnknownWordsAndTheProgramPathAreIgnored)
{
    EXPECT_FALSE(ScanArguments({L"/q"}).quiet);
    const CommandLineOptions options = Scan({L"/forcerestart", L"/q", L"REBOOT=1"});
    EXPECT_TRUE(options.quiet && options.installMode);
    EXPECT_TRUE(ScanArguments({}).installMode);
}

}  // namespace
