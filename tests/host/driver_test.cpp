#include <gtest/gtest.h>

#include "apply/driver.h"
#include "apply/product_record.h"
#include "app/run_options.h"
#include "scripted_installer.h"
#include "recorded_log.h"
#include "scripted_platform.h"

namespace {

const std::wstring PatchCode = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1B01}";
const std::wstring ObsoleteCode = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1B00}";
const std::wstring First = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A01}";
const std::wstring Second = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A02}";
const std::wstring Third = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A03}";

class DriverTest : public testing::Test {
protected:
    void SetUp() override
    {
        RunOptions = {};
        CurrentProductName.clear();
        ApplicableProducts.clear();
        LoadEnglishAndGerman(platform);
        Targets(First + L";" + Second + L";" + Third);
        installer.packages[package][9] = PatchCode + ObsoleteCode;
    }
    void TearDown() override { ApplicableProducts.clear(); }

    void Targets(const std::wstring& text) { installer.packages[package][7] = text; }

    ScriptedProduct& Product(const std::wstring& code, const std::wstring& name, const std::wstring& language = L"1033",
                             const std::wstring& localeId = L"")
    {
        ScriptedProduct& product = installer.products[code];
        product.info = {{L"ProductName", name}, {L"Language", language}, {L"VersionString", L"12.2.0.3"}};
        product.localeId = localeId;
        return product;
    }

    apply::DriverResult Run()
    {
        Reporter reporter(platform, log);
        return apply::ApplyPatchToProducts({platform, installer, reporter, log, platform.temporaryDirectory});
    }

    bool PackageDeleted() const { return platform.removed == std::vector<std::wstring>{package} && platform.files.empty(); }

    ScriptedPlatform platform;
    ScriptedInstaller installer;
    RecordedLog log;
    const std::wstring package = platform.extractedName;
};

// --- The outcomes, one per row of the driver's failure table ---

TEST_F(DriverTest, ExtractionFailureShowsErrorAndDeletesNothing)
{
    platform.extractionFails = true;
    const apply::DriverResult result = Run();
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.exitCode, 1603u);
    EXPECT_EQ(platform.Captions(), std::vector<std::wstring>{L"Installation Error"});
    EXPECT_TRUE(platform.removed.empty());
    EXPECT_TRUE(installer.calls.empty());
}

TEST_F(DriverTest, AFailedExtractionShowsTheFailingStepsOwnErrorCode)
{
    platform.extractionFails = true;
    platform.extractionError = 5;  // the temporary folder refuses writing
    Run();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_NE(platform.boxes[0].text.find(L"Error Code: 5"), std::wstring::npos);

    platform.boxes.clear();
    platform.extractionFails = false;
    platform.extractionFallsShort = true;  // the disk is full
    Run();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_NE(platform.boxes[0].text.find(L"Error Code: 112"), std::wstring::npos);
    // A short file stays where a failed extraction leaves it; the installer never sees it.
    EXPECT_TRUE(platform.removed.empty());
    EXPECT_TRUE(platform.files.count(package));
    EXPECT_TRUE(installer.calls.empty());
}

TEST_F(DriverTest, AWrapperWithoutItsVersionFailsAsAFailedExtraction)
{
    platform.upToDateVersion.reset();
    Product(First, L"Ledger");
    EXPECT_EQ(Run().exitCode, 1603u);
    ASSERT_EQ(platform.Captions(), std::vector<std::wstring>{L"Installation Error"});
    EXPECT_NE(platform.boxes[0].text.find(L"Error Code: 1813"), std::wstring::npos);
    EXPECT_TRUE(platform.files.empty());
    EXPECT_TRUE(installer.calls.empty());
}

TEST_F(DriverTest, UnreadablePackageShowsErrorAndDeletesIt)
{
    installer.packages.clear();
    EXPECT_EQ(Run().exitCode, 1603u);
    EXPECT_EQ(platform.Captions(), std::vector<std::wstring>{L"Installation Error"});
    // The installer's own answer to the open, not what the string loads left behind.
    EXPECT_NE(platform.boxes[0].text.find(L"Error Code: 1627"), std::wstring::npos);
    EXPECT_TRUE(PackageDeleted());
}

TEST_F(DriverTest, PatchCodeOf2048CharactersIsUnreadable)
{
    installer.packages[package][9] = std::wstring(2048, L'{');
    Product(First, L"Ledger");
    EXPECT_EQ(Run().exitCode, 1603u);
    EXPECT_TRUE(installer.configured.empty());
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_NE(platform.boxes[0].text.find(L"Error Code: 234"), std::wstring::npos);
    EXPECT_TRUE(PackageDeleted());
}

TEST_F(DriverTest, ThePackageIsHeldWhileProductsAreConfiguredAndLetGoJustBeforeItIsDeleted)
{
    Product(First, L"Ledger");
    Product(Second, L"Payroll");
    std::vector<bool> heldAtConfigure;
    installer.onConfigure = [&] { heldAtConfigure.push_back(platform.held.count(package) == 1); };
    EXPECT_EQ(Run().exitCode, 0u);
    EXPECT_EQ(heldAtConfigure, (std::vector<bool>{true, true}));
    // A held file cannot be deleted: deleting it at all shows it was let go first.
    EXPECT_TRUE(platform.held.empty());
    EXPECT_TRUE(platform.removedWhileHeld.empty());
    EXPECT_TRUE(PackageDeleted());
}

TEST_F(DriverTest, AnUnreadablePackageIsLetGoBeforeItIsDeleted)
{
    installer.packages.clear();
    EXPECT_EQ(Run().exitCode, 1603u);
    EXPECT_TRUE(platform.removedWhileHeld.empty());
    EXPECT_TRUE(PackageDeleted());
}

TEST_F(DriverTest, AnUpToDateStopLetsThePackageGoBeforeDeletingIt)
{
    Product(First, L"Ledger").info[L"VersionString"] = L"12.2.0.4";
    Run();
    EXPECT_TRUE(platform.removedWhileHeld.empty());
    EXPECT_TRUE(PackageDeleted());
}

TEST_F(DriverTest, NoTargetInstalled)
{
    installer.products[Second].state = 2;
    const apply::DriverResult result = Run();
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.exitCode, 1642u);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text.find(L"The service pack could not be installed because the expected Korvanta"), 0u);
    EXPECT_TRUE(PackageDeleted());
    EXPECT_EQ(std::count(installer.calls.begin(), installer.calls.end(), L"GetProductInfo ProductName"), 0);
}

TEST_F(DriverTest, AlreadyRegisteredEverywhereNeedsNothing)
{
    Product(First, L"Ledger").patchRegistered = true;
    Product(Third, L"Payroll").patchRegistered = true;
    const apply::DriverResult result = Run();
    EXPECT_TRUE(result.succeeded);
    EXPECT_EQ(result.exitCode, 0u);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].caption, L"Installation Unnecessary");
    EXPECT_EQ(platform.boxes[0].text, L"Your version of Payroll is up-to-date and this service pack is not necessary.");
    EXPECT_TRUE(installer.configured.empty());
    EXPECT_TRUE(PackageDeleted());
}

TEST_F(DriverTest, TheStateQueryGetsThePatchsOwnCode)
{
    Product(First, L"Ledger");
    Run();
    EXPECT_EQ(installer.patchStateCodes, std::vector<std::wstring>{PatchCode});
}

TEST_F(DriverTest, OrderMinusOneIsDroppedSilently)
{
    Product(First, L"Ledger").order = -1;
    EXPECT_EQ(Run().exitCode, 0u);
    EXPECT_EQ(platform.Captions(), std::vector<std::wstring>{L"Installation Unnecessary"});
    EXPECT_EQ(std::count(installer.calls.begin(), installer.calls.end(), L"GetPatchInfoEx State"), 0);
}

TEST_F(DriverTest, APatchThatFitsNoInstalledProductReports308AndExits1642)
{
    Product(First, L"Ledger", L"1031").status = 1642;
    Product(Second, L"Payroll").sequenceResult = 1610;
    const apply::DriverResult result = Run();
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.exitCode, 1642u);
    // Each product's box comes in its own language, with its own name, and no "up to date"
    // follows to contradict them.
    EXPECT_EQ(platform.Captions(), (std::vector<std::wstring>{L"Installationsfehler", L"Installation Error"}));
    EXPECT_EQ(platform.boxes[0].text, L"DE service pack passt nicht zu Ledger");
    EXPECT_EQ(platform.boxes[1].text.find(L"This service pack could not be installed"), 0u);
    EXPECT_NE(platform.boxes[1].text.find(L"version of Payroll"), std::wstring::npos);
    EXPECT_TRUE(installer.configured.empty());
    EXPECT_TRUE(PackageDeleted());
}

TEST_F(DriverTest, UpToDateStillFollows308WhereAnotherTargetAlreadyHasThePatch)
{
    Product(First, L"Ledger").status = 1642;
    Product(Second, L"Payroll").patchRegistered = true;
    const apply::DriverResult result = Run();
    EXPECT_TRUE(result.succeeded);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(platform.Captions(), (std::vector<std::wstring>{L"Installation Error", L"Installation Unnecessary"}));
    EXPECT_EQ(platform.boxes[1].text, L"Your version of Payroll is up-to-date and this service pack is not necessary.");
}

TEST_F(DriverTest, ASequenceFailureLeavesTheOtherProductsToPatch)
{
    Product(First, L"Ledger").status = 1642;
    Product(Second, L"Payroll");
    const apply::DriverResult result = Run();
    EXPECT_TRUE(result.succeeded);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(platform.Captions(), (std::vector<std::wstring>{L"Installation Error", L"Installation Successful"}));
    EXPECT_EQ(installer.configured, std::vector<std::wstring>{Second});
}

TEST_F(DriverTest, TheRunLogTellsEachTargetsFateWithFailuresAndWarningsMarked)
{
    RunOptions.quiet = true;
    Targets(First + L";" + Second + L";" + Third + L";{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A09}");
    Product(First, L"Ledger").status = 1642;
    Product(Second, L"Payroll").patchRegistered = true;
    Product(Third, L"Kassa\nKasse").configureResult = 1603;
    EXPECT_EQ(Run().exitCode, 1603u);
    using runlog::Type;
    EXPECT_EQ(log.With(Type::Information, L"Patch code: " + PatchCode + ObsoleteCode).size(), 1u);
    EXPECT_EQ(log.With(Type::Warning, First + L" \"Ledger\" 12.2.0.3, language 1033, installed per machine: the "
                                              L"patch does not fit it").size(),
              1u);
    EXPECT_EQ(log.With(Type::Information, Second + L" \"Payroll\"").back().substr(Second.size()),
              L" \"Payroll\" 12.2.0.3, language 1033, installed per machine: the patch is already registered");
    const std::vector<std::wstring> failed = log.With(Type::Error, L"configured with PATCH=\"" + package);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_NE(failed[0].find(L"Kassa\nKasse"), std::wstring::npos) << "the formatter escapes, not the driver";
    EXPECT_NE(failed[0].find(L": the installer answered 1603 (failure); its log: C:\\Temp\\Kassa_Kasse.log"),
              std::wstring::npos);
    EXPECT_EQ(log.With(Type::Information, L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A09}: not installed").size(), 1u);
    EXPECT_EQ(log.With(Type::Information, L"Message 308 not shown: a quiet option was given").size(), 1u);
}

TEST_F(DriverTest, AProductAtTheUpToDateVersionStopsTheRun)
{
    Product(First, L"Ledger").info[L"VersionString"] = L"12.2.0.4";
    Product(Second, L"Payroll");
    const apply::DriverResult result = Run();
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.exitCode, 0u);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, L"Your version of Ledger is up-to-date and this service pack is not necessary.");
    EXPECT_TRUE(installer.configured.empty());
    EXPECT_TRUE(PackageDeleted());
}

TEST_F(DriverTest, TheVersionMustMatchExactly)
{
    Product(First, L"Ledger").info[L"VersionString"] = L"12.2.0.4 ";
    Product(Second, L"Payroll").info[L"VersionString"] = L"12.2.0.4.0";
    EXPECT_EQ(Run().exitCode, 0u);
    EXPECT_EQ(installer.configured, (std::vector<std::wstring>{First, Second}));
}

TEST_F(DriverTest, ProgramsRunningShows302)
{
    Product(First, L"Ledger").configureResult = 1625;
    Product(Second, L"Payroll");
    const apply::DriverResult result = Run();
    EXPECT_EQ(result.exitCode, 1625u);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text.find(L"The installer has detected"), 0u);
    EXPECT_NE(platform.boxes[0].text.find(L"\n\nLedger\n"), std::wstring::npos);
    EXPECT_EQ(installer.configured, std::vector<std::wstring>{First});
    EXPECT_TRUE(PackageDeleted());
}

TEST_F(DriverTest, AnInstallerFailureShowsItsCodeAndLeavesLaterProductsUntouched)
{
    for (std::uint32_t failure : {1603u, 1618u, 1642u, 2u}) {
        installer = ScriptedInstaller();
        SetUp();
        platform.boxes.clear();
        platform.removed.clear();
        Product(First, L"Ledger").configureResult = failure;
        Product(Second, L"Payroll");
        const apply::DriverResult result = Run();
        EXPECT_FALSE(result.succeeded);
        EXPECT_EQ(result.exitCode, failure);
        ASSERT_EQ(platform.boxes.size(), 1u);
        EXPECT_EQ(platform.boxes[0].caption, L"Installation Error");
        EXPECT_NE(platform.boxes[0].text.find(L"Error Code: " + std::to_wstring(failure)), std::wstring::npos);
        EXPECT_EQ(installer.configured, std::vector<std::wstring>{First});
    }
}

TEST_F(DriverTest, EveryProductPatched)
{
    Product(First, L"Ledger");
    Product(Second, L"Bilanz", L"1031", L"1031");
    const apply::DriverResult result = Run();
    EXPECT_TRUE(result.succeeded);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(installer.configured, (std::vector<std::wstring>{First, Second}));
    // One box, in the language of the last product handled (German lacks 301/312: shown empty).
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].style, 0x50040u);
    EXPECT_EQ(platform.boxes[0].text, L"");
    EXPECT_TRUE(PackageDeleted());
    ASSERT_EQ(ApplicableProducts.size(), 2u);
    EXPECT_EQ(ApplicableProducts[1].commandLine, installer.commandLines[1]);
}

TEST_F(DriverTest, RestartResultsCountAsSuccessAndReachTheExitCode)
{
    struct Case {
        std::uint32_t first, second, exitCode;
    };
    for (const Case& c : {Case{3010, 0, 3010}, Case{0, 3010, 3010}, Case{1641, 3010, 1641}, Case{3010, 1641, 1641}}) {
        installer = ScriptedInstaller();
        SetUp();
        platform.boxes.clear();
        Product(First, L"Ledger").configureResult = c.first;
        Product(Second, L"Payroll").configureResult = c.second;
        const apply::DriverResult result = Run();
        EXPECT_TRUE(result.succeeded);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(platform.Captions(), std::vector<std::wstring>{L"Installation Successful"});
        EXPECT_EQ(installer.configured.size(), c.first == 1641 ? 1u : 2u);
    }
}

TEST_F(DriverTest, ARestartTheInstallerStartedEndsTheRunAsIfAllWerePatched)
{
    Product(First, L"Ledger").configureResult = 1641;
    Product(Second, L"Payroll");
    Product(Third, L"Kassa").info[L"VersionString"] = L"12.2.0.4";
    const apply::DriverResult result = Run();
    EXPECT_TRUE(result.succeeded);
    EXPECT_EQ(result.exitCode, 1641u);
    // The machine is going down: Payroll is left for the next run, and Kassa's stop at the
    // up-to-date version is never reached.
    EXPECT_EQ(installer.configured, std::vector<std::wstring>{First});
    EXPECT_EQ(platform.Captions(), std::vector<std::wstring>{L"Installation Successful"});
    EXPECT_TRUE(PackageDeleted());
}

TEST_F(DriverTest, NoRestartSuppressesTheRestartOnEveryProductsCommandLine)
{
    RunOptions.noRestart = true;
    Product(First, L"Ledger").configureResult = 3010;
    Product(Second, L"Bilanz", L"1031", L"1031");
    EXPECT_EQ(Run().exitCode, 3010u);
    ASSERT_EQ(installer.commandLines.size(), 2u);
    EXPECT_EQ(installer.commandLines[0],
              L"PATCH=\"" + package + L"\" REBOOTPROMPT=SUPPRESS REBOOT=ReallySuppress FILESINUSETEXT=\"" +
                  platform.stringTable[1033][320] + L"\"");
    EXPECT_EQ(installer.commandLines[1].find(L"PATCH=\"" + package + L"\" LOCALEID=1031 REBOOTPROMPT=SUPPRESS "
                                             L"REBOOT=ReallySuppress FILESINUSETEXT=\""),
              0u);
}

TEST_F(DriverTest, WithoutNoRestartTheCommandLineHasNoReboot)
{
    Product(First, L"Ledger");
    Run();
    ASSERT_EQ(installer.commandLines.size(), 1u);
    EXPECT_EQ(installer.commandLines[0].find(L"REBOOT="), std::wstring::npos);
}

TEST_F(DriverTest, OnAStationNoOneSeesNoBoxWaitsAndTheInstallerShowsProgressOnly)
{
    platform.windowStationVisible = false;
    installer.uiLevel = 5;
    Product(First, L"Ledger");
    Product(Second, L"Payroll").configureResult = 1603;
    EXPECT_EQ(Run().exitCode, 1603u);
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(installer.uiLevelsAtConfigure, (std::vector<int>{0x63, 0x63}));
    EXPECT_EQ(installer.uiLevel, 5);
    EXPECT_TRUE(PackageDeleted());

    installer.products.clear();
    ApplicableProducts.clear();
    platform.removed.clear();
    EXPECT_EQ(Run().exitCode, 1642u);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(DriverTest, QuietChangesNoCodeAndShowsNothing)
{
    RunOptions.quiet = true;
    Product(First, L"Ledger").configureResult = 1603;
    EXPECT_EQ(Run().exitCode, 1603u);
    installer.products.clear();
    ApplicableProducts.clear();
    EXPECT_EQ(Run().exitCode, 1642u);
    EXPECT_TRUE(platform.boxes.empty());
}

// --- The inventory ---

TEST_F(DriverTest, ShortOrEmptyListsGiveNoInventory)
{
    for (const wchar_t* list : {L"", L";", L"x", L";;", L";" }) {
        platform.boxes.clear();
        installer.calls.clear();
        Targets(list);
        EXPECT_EQ(Run().exitCode, 1642u) << list;
        EXPECT_EQ(std::count(installer.calls.begin(), installer.calls.end(), L"QueryProductState"), 0) << list;
    }
}

TEST_F(DriverTest, AnEmptyEntryEndsTheInventory)
{
    Product(First, L"Ledger");
    Product(Second, L"Payroll");
    Targets(First + L";;" + Second);
    Run();
    EXPECT_EQ(installer.configured, std::vector<std::wstring>{First});
    installer.configured.clear();
    ApplicableProducts.clear();
    Targets(L";" + First);
    EXPECT_EQ(Run().exitCode, 1642u);
    EXPECT_TRUE(installer.configured.empty());
}

TEST_F(DriverTest, ATrailingSeparatorIsNotDoubled)
{
    Product(First, L"Ledger");
    Targets(First + L";");
    Run();
    EXPECT_EQ(std::count(installer.calls.begin(), installer.calls.end(), L"QueryProductState"), 1);
}

TEST_F(DriverTest, CodesAreUsedAsTheyStand)
{
    Targets(L" {a};{B} ; x ;" + First);
    Product(First, L"Ledger");
    Run();
    EXPECT_EQ(installer.configured, std::vector<std::wstring>{First});
}

TEST_F(DriverTest, ThreadLocaleFollowsEachProductsLanguage)
{
    Product(First, L"Ledger", L" +1031xyz");
    Product(Second, L"Payroll", L"abc");
    Product(Third, L"Kassa", L"");
    Run();
    EXPECT_EQ(platform.threadLocales, (std::vector<std::uint32_t>{1031, 0, 0, 1031, 0, 0}));
}

TEST_F(DriverTest, BothQuestionsAreAskedInTheProductsOwnContext)
{
    Product(First, L"Ledger");                                          // per machine
    Product(Second, L"Payroll").context = msi::ContextUserUnmanaged;    // for this user alone
    Product(Third, L"Kassa").context = msi::ContextUserManaged;         // for this user, by policy
    const apply::DriverResult result = Run();
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(installer.sequenceContexts, (std::vector<std::uint32_t>{4, 2, 1}));
    EXPECT_EQ(installer.patchStateContexts, (std::vector<std::uint32_t>{4, 2, 1}));
    EXPECT_EQ(installer.configured, (std::vector<std::wstring>{First, Second, Third}));
    EXPECT_EQ(platform.Captions(), std::vector<std::wstring>{L"Installation Successful"});
    ASSERT_EQ(ApplicableProducts.size(), 3u);
    EXPECT_EQ(ApplicableProducts[1].context, msi::ContextUserUnmanaged);
}

TEST_F(DriverTest, APerUserProductAlreadyPatchedForItsUserNeedsNothing)
{
    ScriptedProduct& product = Product(First, L"Ledger");
    product.context = msi::ContextUserUnmanaged;
    product.patchRegistered = true;
    EXPECT_EQ(Run().exitCode, 0u);
    EXPECT_EQ(platform.Captions(), std::vector<std::wstring>{L"Installation Unnecessary"});
    EXPECT_TRUE(installer.configured.empty());
}

TEST_F(DriverTest, ProductsInRelatedLanguagesGetTheirFamilysTexts)
{
    LoadEveryTableLanguage(platform);
    Product(First, L"Contabilidad", L"3082", L"3082");  // Spanish, modern sort
    Product(Second, L"Buchhaltung", L"3079", L"3079");  // Austrian German
    Product(Third, L"Caisse", L"3084", L"3084");        // Canadian French
    Run();
    ASSERT_EQ(installer.commandLines.size(), 3u);
    EXPECT_NE(installer.commandLines[0].find(L"FILESINUSETEXT=\"Files 1034\""), std::wstring::npos);
    EXPECT_NE(installer.commandLines[1].find(L"FILESINUSETEXT=\"Schließen Sie die folgenden Anwendungen:\""),
              std::wstring::npos);
    EXPECT_NE(installer.commandLines[2].find(L"FILESINUSETEXT=\"Files 1036\""), std::wstring::npos);
    // The locale id goes to the installer as the product has it.
    EXPECT_NE(installer.commandLines[0].find(L"LOCALEID=3082 "), std::wstring::npos);
}

TEST_F(DriverTest, AProductWithoutAUsableLanguageGetsTheUserInterfaceLanguage)
{
    platform.uiLanguage = 1031;
    Product(First, L"Ledger", L"1033").status = 1642;
    Product(Second, L"Payroll", L"").status = 1642;
    Product(Third, L"Kassa", L"abc").status = 1642;
    Run();
    ASSERT_EQ(platform.boxes.size(), 3u);
    EXPECT_EQ(platform.boxes[0].caption, L"Installation Error");
    EXPECT_EQ(platform.boxes[1].text, L"DE service pack passt nicht zu Payroll");
    EXPECT_EQ(platform.boxes[2].text, L"DE service pack passt nicht zu Kassa");
}

// --- Configuring one product ---

TEST_F(DriverTest, CommandLineCarriesTheLocaleIdOnlyWhenItHasTwoCharacters)
{
    Product(First, L"Ledger", L"1033", L"1033");
    Product(Second, L"Payroll").opens = false;  // keeps "0"
    Product(Third, L"Kassa").hasLocaleId = false;  // ""
    Run();
    const std::wstring text = L"FILESINUSETEXT=\"The following applications should be closed before continuing the install:\"";
    ASSERT_EQ(installer.commandLines.size(), 3u);
    EXPECT_EQ(installer.commandLines[0], L"PATCH=\"" + package + L"\" LOCALEID=1033 REBOOTPROMPT=SUPPRESS " + text);
    EXPECT_EQ(installer.commandLines[1], L"PATCH=\"" + package + L"\" REBOOTPROMPT=SUPPRESS " + text);
    EXPECT_EQ(installer.commandLines[2], installer.commandLines[1]);
}

TEST_F(DriverTest, FilesInUseTextComesInTheProductsLanguage)
{
    Product(First, L"Bilanz", L"1031", L"1031");
    Run();
    ASSERT_EQ(installer.commandLines.size(), 1u);
    EXPECT_NE(installer.commandLines[0].find(L"FILESINUSETEXT=\"Schließen Sie die folgenden Anwendungen:\""),
              std::wstring::npos);
}

TEST_F(DriverTest, UiLevelAndLoggingAreSetAroundEachConfigurationAndRestored)
{
    installer.uiLevel = 5;
    Product(First, L"Ledger");
    Product(Second, L"A/B: <Payroll>").configureResult = 1603;
    Run();
    EXPECT_EQ(installer.uiLevelsAtConfigure, (std::vector<int>{0x23, 0x23}));
    EXPECT_EQ(installer.logsAtConfigure,
              (std::vector<std::wstring>{L"C:\\Temp\\Ledger.log", L"C:\\Temp\\A_B_ _Payroll_.log"}));
    EXPECT_EQ(installer.uiLevel, 5);
    EXPECT_FALSE(installer.logging);
}

TEST_F(DriverTest, WithoutATemporaryDirectoryTheProductIsPatchedWithoutALog)
{
    platform.temporaryDirectory.reset();
    Product(First, L"Ledger");
    EXPECT_EQ(Run().exitCode, 0u);
    EXPECT_EQ(installer.logsAtConfigure, std::vector<std::wstring>{L""});
    EXPECT_EQ(std::count(installer.calls.begin(), installer.calls.end(), L"EnableLog 4096"), 1);
}

TEST_F(DriverTest, HostileProductValuesKeepTheCommandLinesShape)
{
    Product(First, std::wstring(1023, L'\\'), L"1033", L"1 PATCH=\"C:\\x.msp\"").info[L"VersionString"] =
        std::wstring(1023, L'9');
    Run();
    ASSERT_EQ(installer.commandLines.size(), 1u);
    const std::wstring& line = installer.commandLines[0];
    EXPECT_EQ(line.find(L"PATCH=\"" + package + L"\" LOCALEID=\""), 0u);
    EXPECT_EQ(installer.logsAtConfigure[0].substr(0, 8), L"C:\\Temp\\");
    EXPECT_EQ(installer.logsAtConfigure[0].find(L'\\', 8), std::wstring::npos);
    EXPECT_LE(installer.logsAtConfigure[0].size(), 259u);
}

// --- A restart still owed ---

// (A restart the installer started never meets that stop: it ends the run at once.)
TEST_F(DriverTest, ARestartStillNeededOutlivesAStopAtAProductAlreadyUpToDate)
{
    const std::uint32_t restart = 3010;
    Product(First, L"Ledger").configureResult = restart;
    Product(Second, L"Payroll").info[L"VersionString"] = L"12.2.0.4";
    Product(Third, L"Kassa");
    const apply::DriverResult result = Run();
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.exitCode, restart);
    EXPECT_EQ(platform.Captions(), std::vector<std::wstring>{L"Installation Unnecessary"});
    EXPECT_EQ(installer.configured, std::vector<std::wstring>{First});
}

}  // namespace
