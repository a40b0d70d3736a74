#include <gtest/gtest.h>

#include "app/reporter.h"
#include "app/run_options.h"
#include "recorded_log.h"
#include "scripted_platform.h"

namespace {

class ReporterTest : public testing::Test {
protected:
    void SetUp() override
    {
        RunOptions = {};
        CurrentProductName.clear();
        LoadEnglishAndGerman(platform);
    }

    const Box& OnlyBox()
    {
        EXPECT_EQ(platform.boxes.size(), 1u);
        return platform.boxes.at(0);
    }

    ScriptedPlatform platform;
    RecordedLog log;
    Reporter reporter{platform, log};
};

TEST_F(ReporterTest, QuietShowsNothingAndReadsNothing)
{
    RunOptions.quiet = true;
    for (std::uint32_t id : {300u, 302u, 303u, 306u, 307u, 308u, 316u})
        reporter.ShowMessage(id);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(platform.lastErrorReads, 0u);
    EXPECT_EQ(platform.lastError, 0u) << "no string was loaded";
}

TEST_F(ReporterTest, OnAStationNoOneSeesNothingIsShownOrRead)
{
    ScriptedPlatform service;
    LoadEnglishAndGerman(service);
    service.windowStationVisible = false;
    Reporter unseen(service, log);
    EXPECT_FALSE(unseen.WindowsVisible());
    for (std::uint32_t id : {300u, 302u, 303u, 306u, 307u, 308u, 316u})
        unseen.ShowMessage(id);
    EXPECT_TRUE(service.boxes.empty());
    EXPECT_EQ(service.lastErrorReads, 0u);
    EXPECT_EQ(service.windowStationQueries, 1u) << "asked once, when the reporter is made";
    EXPECT_TRUE(reporter.WindowsVisible());
}

TEST_F(ReporterTest, ErrorShowsTheWordAndTheLastErrorReadBeforeAnyLoad)
{
    platform.lastError = 1603;
    reporter.ShowMessage(300);
    const Box& box = OnlyBox();
    EXPECT_EQ(box.text, L"A problem prevented the service pack from being installed. Contact your system "
                        L"administrator. \n\n Error Code: 1603");
    EXPECT_EQ(box.caption, L"Installation Error");
    EXPECT_EQ(box.style, 0x50010u);
}

TEST_F(ReporterTest, NegativeErrorValuesShowSigned)
{
    platform.lastError = 0x80070002;
    reporter.ShowMessage(300);
    EXPECT_NE(OnlyBox().text.find(L"Error Code: -2147024894"), std::wstring::npos);
}

TEST_F(ReporterTest, SuccessShowsText301WithoutTheProductName)
{
    CurrentProductName = L"Korvanta Ledger";
    reporter.ShowMessage(316);
    const Box& box = OnlyBox();
    EXPECT_EQ(box.text, L"The service pack has been successfully installed.");
    EXPECT_EQ(box.caption, L"Installation Successful");
    EXPECT_EQ(box.style, 0x50040u);
}

TEST_F(ReporterTest, NothingToPatchAndUpToDateAreTheSameBox)
{
    CurrentProductName = L"Korvanta Ledger";
    reporter.ShowMessage(303);
    reporter.ShowMessage(306);
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_EQ(platform.boxes[0].text, L"Your version of Korvanta Ledger is up-to-date and this service pack is not necessary.");
    EXPECT_EQ(platform.boxes[0].text, platform.boxes[1].text);
    EXPECT_EQ(platform.boxes[0].caption, L"Installation Unnecessary");
    EXPECT_EQ(platform.boxes[1].style, 0x50040u);
}

TEST_F(ReporterTest, AnUnsetProductNameShowsNothing)
{
    reporter.ShowMessage(306);
    EXPECT_EQ(OnlyBox().text, L"Your version of  is up-to-date and this service pack is not necessary.");
}

TEST_F(ReporterTest, ProductNamesGoInVerbatim)
{
    CurrentProductName = L"Evil %s%d%n%% \n Name";
    reporter.ShowMessage(308);
    EXPECT_EQ(OnlyBox().text, L"This service pack could not be installed because it is not designed for the "
                              L"version of Evil %s%d%n%% \n Name that is installed on your computer.");
}

TEST_F(ReporterTest, ProgramsRunningLeavesItsSecondPlaceholderEmpty)
{
    CurrentProductName = L"Ledger";
    reporter.ShowMessage(302);
    const std::wstring& text = OnlyBox().text;
    EXPECT_NE(text.find(L"\n\nLedger\nIn order"), std::wstring::npos);
    EXPECT_EQ(text.substr(text.size() - 8), L"closed.\n");
}

TEST_F(ReporterTest, TheSelectedLanguageChoosesTheTable)
{
    reporter.SelectLanguage(1031);
    EXPECT_EQ(platform.threadLocales, std::vector<std::uint32_t>{1031});
    platform.lastError = 1603;
    reporter.ShowMessage(300);
    EXPECT_EQ(OnlyBox().text, L"Das Service Pack konnte nicht installiert werden. \n\n Fehlercode: 1603");
    EXPECT_EQ(OnlyBox().caption, L"Installationsfehler");
}

TEST_F(ReporterTest, AnIdMissingFromTheSelectedVersionIsEmpty)
{
    reporter.SelectLanguage(1031);
    reporter.ShowMessage(302);
    EXPECT_EQ(OnlyBox().text, L"");
    EXPECT_EQ(OnlyBox().caption, L"Installationsfehler");
}

TEST_F(ReporterTest, ALanguageTheTableLacksGetsEnglish)
{
    reporter.SelectLanguage(1036);
    reporter.ShowMessage(316);
    EXPECT_EQ(OnlyBox().caption, L"Installation Successful");
    EXPECT_EQ(reporter.LoadResourceString(320, 512),
              L"The following applications should be closed before continuing the install:");
}

TEST_F(ReporterTest, BeforeAnyProductTheUserInterfaceLanguageHolds)
{
    ScriptedPlatform german;
    LoadEnglishAndGerman(german);
    german.uiLanguage = 1031;
    Reporter reporter(german, log);
    EXPECT_EQ(reporter.LoadResourceString(311, 512), L"Installationsfehler");
    EXPECT_TRUE(german.threadLocales.empty());
}

// --- Which version of the table a language gets ---

struct FamilyCase {
    std::uint32_t locale;
    std::uint16_t version;  // of the table's fourteen
};

class LanguageFamilyTest : public testing::TestWithParam<FamilyCase> {};

TEST_P(LanguageFamilyTest, TheExactVersionElseTheFamilysElseEnglish)
{
    RunOptions = {};
    ScriptedPlatform platform;
    LoadEveryTableLanguage(platform);
    RecordedLog log;
    Reporter reporter(platform, log);
    reporter.SelectLanguage(GetParam().locale);
    EXPECT_EQ(reporter.LoadResourceString(311, 512), L"Error " + std::to_wstring(GetParam().version));
    EXPECT_EQ(platform.threadLocales, std::vector<std::uint32_t>{GetParam().locale});
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageFamilyTest, testing::Values(
    FamilyCase{1031, 1031}, FamilyCase{1034, 1034}, FamilyCase{2052, 2052}, FamilyCase{1028, 1028},
    FamilyCase{3082, 1034},     // Spanish, modern sort
    FamilyCase{2058, 1034},     // Spanish, Mexico
    FamilyCase{3079, 1031},     // German, Austria
    FamilyCase{2055, 1031},     // German, Switzerland
    FamilyCase{0x10407, 1031},  // German with the phone-book sort
    FamilyCase{3084, 1036},     // French, Canada
    FamilyCase{2070, 1046},     // Portuguese, Portugal
    FamilyCase{3076, 1028},     // Chinese, Hong Kong: traditional characters
    FamilyCase{5124, 1028},     // Chinese, Macao
    FamilyCase{0x7C04, 1028},   // Chinese, Traditional script
    FamilyCase{4100, 2052},     // Chinese, Singapore: simplified characters
    FamilyCase{0x0004, 2052},   // Chinese, Simplified script
    FamilyCase{2057, 1033},     // English, United Kingdom
    FamilyCase{1043, 1033},     // Dutch: no version in its family
    FamilyCase{1053, 1033}));   // Swedish

TEST_F(ReporterTest, TheFamilysVersionIsTakenWhereTheExactOneIsMissingAltogether)
{
    platform.stringTable[1034] = {{311, L"Error de instalación"}};
    reporter.SelectLanguage(3082);
    EXPECT_EQ(reporter.LoadResourceString(311, 512), L"Error de instalación");
    // A text the family's version lacks is empty there, as for the exact language.
    EXPECT_EQ(reporter.LoadResourceString(320, 512), L"");
}

TEST_F(ReporterTest, ALanguageOfNoNumberBringsBackTheUserInterfaceLanguage)
{
    ScriptedPlatform spanish;
    LoadEnglishAndGerman(spanish);
    LoadEveryTableLanguage(spanish);
    spanish.uiLanguage = 3082;  // chosen by the same rule: Spanish
    Reporter reporter(spanish, log);
    EXPECT_EQ(reporter.LoadResourceString(311, 512), L"Error 1034");
    for (std::uint32_t none : {0u, 0x400u, 0x800u, 0x10000u}) {  // no language, user or system default
        reporter.SelectLanguage(1031);
        reporter.SelectLanguage(none);
        EXPECT_EQ(reporter.SelectedLanguage(), 3082) << none;
        EXPECT_EQ(reporter.LoadResourceString(311, 512), L"Error 1034") << none;
    }
}

TEST_F(ReporterTest, LoadedTextsAreCutBeforeTheCapacity)
{
    platform.stringTable[1033][309] = std::wstring(600, L'x');
    EXPECT_EQ(reporter.LoadResourceString(309, 512).size(), 511u);
    EXPECT_EQ(reporter.LoadResourceString(309, 10), std::wstring(9, L'x'));
    EXPECT_EQ(reporter.LoadResourceString(309, 1), L"");
    platform.stringTable[1033][309] = std::wstring(L"ab\0cd", 5);
    EXPECT_EQ(reporter.LoadResourceString(309, 512), L"ab");
}

TEST_F(ReporterTest, OutputIsBoundedByTheMessagesOwnTextLength)
{
    CurrentProductName = std::wstring(1023, L'P');
    reporter.ShowMessage(303);  // no text of its own: 1024 characters with the terminator
    EXPECT_EQ(OnlyBox().text.size(), 1023u);
    platform.boxes.clear();
    reporter.ShowMessage(306);  // its own text: 62 characters + 1024
    EXPECT_EQ(OnlyBox().text.size(), 62u + 1023u);
}

TEST_F(ReporterTest, UnknownMessagesShowNothing)
{
    reporter.ShowMessage(309);
    reporter.ShowMessage(999);
    EXPECT_TRUE(platform.boxes.empty());
}

}  // namespace
