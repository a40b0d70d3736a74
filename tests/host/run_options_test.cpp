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
    for (const wchar_t* word : {L"/-q", L"-q", L"/qq", L"/quie", L"/quiets", L"-quiet", L"q", L"/", L"", L"/ q", L"/e2",
                                L"/ii", L"\u0130", L"/norestar", L"/norestarts", L"-norestart", L"norestart",
                                L"/no restart", L"/passiv", L"/xx", L"-x", L"/uninstal", L"/uninstalls", L"?",
                                L"/??", L"-?", L"/hel", L"/helps", L"/lo", L"/logs", L"-log"}) {
        const CommandLineOptions options = Scan({word, L"C:\\run.log"});
        EXPECT_FALSE(options.quiet || options.noRestart || options.helpOnly || options.removeMode) << word;
        EXPECT_TRUE(options.installMode) << word;
        EXPECT_FALSE(options.extractOnly || options.listOnly || options.logPath) << word;
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

// --- The deployment engines' words: silence, removal, help and the run log's path ---

struct WordsCase {
    std::vector<std::wstring> arguments;
    bool quiet;
    InstallerUi installerUi;
    bool installMode, removeMode, helpOnly, extractOnly, listOnly;
};

class EngineWordsTest : public testing::TestWithParam<WordsCase> {};

TEST_P(EngineWordsTest, SelectTheirModeAndSilence)
{
    const WordsCase& expected = GetParam();
    const CommandLineOptions options = Scan(expected.arguments);
    EXPECT_EQ(options.quiet, expected.quiet);
    EXPECT_EQ(options.installerUi, expected.installerUi);
    EXPECT_EQ(options.installMode, expected.installMode);
    EXPECT_EQ(options.removeMode, expected.removeMode);
    EXPECT_EQ(options.helpOnly, expected.helpOnly);
    EXPECT_EQ(options.extractOnly, expected.extractOnly);
    EXPECT_EQ(options.listOnly, expected.listOnly);
}

constexpr InstallerUi Basic = InstallerUi::Basic;
constexpr InstallerUi Progress = InstallerUi::ProgressOnly;
constexpr InstallerUi None = InstallerUi::None;

INSTANTIATE_TEST_SUITE_P(Words, EngineWordsTest, testing::Values(
    //        arguments                          quiet  ui        install remove help  extract list
    WordsCase{{L"/quiet"},                        true,  None,     true,  false, false, false, false},
    WordsCase{{L"/QUIET", L"/norestart"},         true,  None,     true,  false, false, false, false},
    WordsCase{{L"/Passive"},                      true,  Progress, true,  false, false, false, false},
    // The least the installer may show wins, in either order; "/q" only silences the boxes.
    WordsCase{{L"/quiet", L"/passive"},           true,  None,     true,  false, false, false, false},
    WordsCase{{L"/passive", L"/quiet", L"/q"},    true,  None,     true,  false, false, false, false},
    WordsCase{{L"/q"},                            true,  Basic,    true,  false, false, false, false},
    WordsCase{{L"/uninstall"},                    false, Basic,    false, true,  false, false, false},
    WordsCase{{L"/X", L"/q", L"/norestart"},      true,  Basic,    false, true,  false, false, false},
    // "/e" and "/i" win over the removal, wherever they stand.
    WordsCase{{L"/uninstall", L"/e", L"p.msp"},   false, Basic,    false, false, false, true,  false},
    WordsCase{{L"/e", L"p.msp", L"/x"},           false, Basic,    false, false, false, true,  false},
    WordsCase{{L"/x", L"/i"},                     false, Basic,    false, false, false, false, true},
    WordsCase{{L"/i", L"/x"},                     false, Basic,    false, false, false, false, true},
    // Help wins over every mode, but a value and the words after "/i" are never examined.
    WordsCase{{L"/?"},                            false, Basic,    false, false, true,  false, false},
    WordsCase{{L"/HELP", L"/q"},                  true,  Basic,    false, false, true,  false, false},
    WordsCase{{L"/x", L"/e", L"p.msp", L"/?"},    false, Basic,    false, false, true,  false, false},
    WordsCase{{L"/e", L"/?"},                     false, Basic,    false, false, false, true,  false},
    WordsCase{{L"/log", L"/?"},                   false, Basic,    true,  false, false, false, false},
    WordsCase{{L"/i", L"/help"},                  false, Basic,    false, false, false, false, true}));

TEST(ScanArguments, LogTakesTheNextArgumentAsItsPathWhateverItIs)
{
    EXPECT_EQ(Scan({L"/LOG", L"%ProgramData%\\Logs\\sp1.log"}).logPath, L"%ProgramData%\\Logs\\sp1.log");
    const CommandLineOptions options = Scan({L"/log", L"/uninstall", L"/q"});
    EXPECT_EQ(options.logPath, L"/uninstall");
    EXPECT_TRUE(options.installMode && options.quiet);
    EXPECT_EQ(Scan({L"/log", L"a.log", L"/log", L"b.log"}).logPath, L"b.log");
    EXPECT_EQ(Scan({L"/log", L"a.log", L"/log"}).logPath, L"a.log");
    EXPECT_FALSE(Scan({L"/log"}).logPath);
}

}  // namespace
