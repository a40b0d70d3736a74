#include <gtest/gtest.h>

#include "app/run_options.h"
#include "apply/product_record.h"
#include "apply/removal.h"
#include "recorded_log.h"
#include "scripted_installer.h"
#include "scripted_platform.h"

namespace {

const std::wstring PatchCode = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1B01}";
const std::wstring ObsoleteCode = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1B00}";
const std::wstring First = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A01}";
const std::wstring Second = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A02}";
const std::wstring Third = L"{6E1D3F6A-2B7C-4C1E-9A55-0D4B2E7C1A03}";

class RemovalTest : public testing::Test {
protected:
    void SetUp() override
    {
        RunOptions = {};
        RunOptions.installMode = false;
        RunOptions.removeMode = true;
        CurrentProductName.clear();
        LoadEnglishAndGerman(platform);
        installer.packages[package][7] = First + L";" + Second + L";" + Third;
        installer.packages[package][9] = PatchCode + ObsoleteCode;
    }

    // An installed product that has the patch.
    ScriptedProduct& Holder(const std::wstring& code, const std::wstring& name, const std::wstring& language = L"1033",
                            const std::wstring& localeId = L"")
    {
        ScriptedProduct& product = installer.products[code];
        product.info = {{L"ProductName", name}, {L"Language", language}, {L"VersionString", L"12.2.0.4"}};
        product.localeId = localeId;
        product.patchRegistered = true;
        return product;
    }

    apply::DriverResult Run()
    {
        Reporter reporter(platform, log);
        return apply::RemovePatchFromProducts({platform, installer, reporter, log, platform.temporaryDirectory});
    }

    std::vector<std::wstring> Removed() const
    {
        std::vector<std::wstring> codes;
        for (const auto& removal : installer.removals)
            codes.push_back(removal.productCode);
        return codes;
    }

    const Box& OnlyBox() const
    {
        EXPECT_EQ(platform.boxes.size(), 1u);
        return platform.boxes.at(0);
    }

    ScriptedPlatform platform;
    ScriptedInstaller installer;
    RecordedLog log;
    const std::wstring package = platform.extractedName;
};

TEST_F(RemovalTest, EveryProductThatHasThePatchLosesItInOrderAndInItsOwnContext)
{
    Holder(First, L"Ledger", L"1033", L"1033");
    Holder(Second, L"Payroll").patchRegistered = false;  // installed, never patched
    Holder(Third, L"Bilanz", L"1031").context = msi::ContextUserUnmanaged;
    const apply::DriverResult result = Run();
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(result.succeeded);
    EXPECT_EQ(Removed(), (std::vector<std::wstring>{First, Third}));
    for (const auto& removal : installer.removals)
        EXPECT_EQ(removal.patchCode, PatchCode) << "the patch's own code, never the package";
    EXPECT_EQ(installer.removals[0].properties, L"LOCALEID=1033 REBOOTPROMPT=SUPPRESS");
    EXPECT_EQ(installer.removals[1].properties, L"REBOOTPROMPT=SUPPRESS");
    // Each removal logs beside the products' install logs, never in their place.
    EXPECT_EQ(installer.removals[0].log, L"C:\\Temp\\Ledger.uninstall.log");
    EXPECT_EQ(installer.removals[1].log, L"C:\\Temp\\Bilanz.uninstall.log");
    EXPECT_EQ(installer.patchStateContexts.back(), msi::ContextUserUnmanaged);
    // The package was read and deleted before any product was changed.
    EXPECT_EQ(platform.removed, std::vector<std::wstring>{package});
    EXPECT_TRUE(platform.files.empty());
    // In the language of the last product handled, as the install mode's box.
    EXPECT_EQ(OnlyBox().caption, L"Entfernen erfolgreich");
    EXPECT_EQ(OnlyBox().text, L"Das service pack wurde erfolgreich entfernt.");
    EXPECT_EQ(log.With(runlog::Type::Information, L"does not have the patch").size(), 1u);
}

TEST_F(RemovalTest, OneRegistrationThatCannotBeRemovedStopsEveryRemovalBeforeAnyChange)
{
    Holder(First, L"Ledger");
    Holder(Second, L"Bilanz", L"1031").uninstallable = L"0";
    Holder(Third, L"Kassa").uninstallable = L"";
    EXPECT_EQ(Run().exitCode, 1646u);
    EXPECT_TRUE(installer.removals.empty());
    EXPECT_EQ(std::count(installer.calls.begin(), installer.calls.end(), L"RemovePatches"), 0);
    // Named, in its own language (the German version here has no text 323: an empty box).
    EXPECT_EQ(OnlyBox().style, 0x50010u);
    EXPECT_EQ(CurrentProductName, L"Bilanz");
    EXPECT_EQ(log.With(runlog::Type::Error, L"Bilanz\" 12.2.0.4, language 1031, installed per machine: its "
                                            L"registration of the patch cannot be removed").size(),
              1u);
}

TEST_F(RemovalTest, NothingToRemoveSucceedsInTheUsersLanguageAndQuietlyUnderQ)
{
    Holder(First, L"Bilanz", L"1031").patchRegistered = false;
    EXPECT_EQ(Run().exitCode, 0u);
    EXPECT_TRUE(installer.removals.empty());
    EXPECT_EQ(OnlyBox().caption, L"Removal Unnecessary");
    EXPECT_EQ(OnlyBox().text, L"The service pack is not installed on this computer. There is nothing to remove.");

    platform.boxes.clear();
    installer.products.clear();
    RunOptions.quiet = true;
    EXPECT_EQ(Run().exitCode, 0u);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(RemovalTest, ASuccessThatLeavesThePatchRegisteredIsAFailure)
{
    Holder(First, L"Ledger").removalTakes = false;
    Holder(Second, L"Payroll");
    EXPECT_EQ(Run().exitCode, 1603u);
    EXPECT_EQ(Removed(), std::vector<std::wstring>{First});
    EXPECT_EQ(OnlyBox().caption, L"Removal Error");
    EXPECT_NE(OnlyBox().text.find(L"Error Code: 1603"), std::wstring::npos);
    EXPECT_TRUE(installer.products[Second].patchRegistered);
}

struct ResultCase {
    std::uint32_t first, second;
    std::uint32_t exitCode;
    std::size_t removals;
    const wchar_t* caption;
};

class RemovalResultTest : public RemovalTest, public testing::WithParamInterface<ResultCase> {};

TEST_P(RemovalResultTest, TheInstallersAnswerBecomesTheExitCode)
{
    const ResultCase& c = GetParam();
    Holder(First, L"Ledger").removeResult = c.first;
    Holder(Second, L"Payroll").removeResult = c.second;
    EXPECT_EQ(Run().exitCode, c.exitCode);
    EXPECT_EQ(installer.removals.size(), c.removals);
    EXPECT_EQ(OnlyBox().caption, c.caption);
    if (c.exitCode == 1618u)
        EXPECT_NE(OnlyBox().text.find(L"Error Code: 1618"), std::wstring::npos);
}

INSTANTIATE_TEST_SUITE_P(Results, RemovalResultTest, testing::Values(
    ResultCase{3010, 0, 3010, 2, L"Removal Successful"},
    ResultCase{0, 3010, 3010, 2, L"Removal Successful"},
    ResultCase{1641, 0, 1641, 1, L"Removal Successful"},  // the machine is restarting
    ResultCase{3010, 1641, 1641, 2, L"Removal Successful"},
    ResultCase{1618, 0, 1618, 1, L"Removal Error"},       // the second is left untouched
    ResultCase{0, 1603, 1603, 2, L"Removal Error"}));

TEST_F(RemovalTest, NoRestartSuppressesTheRestartOfEveryRemoval)
{
    RunOptions.noRestart = true;
    Holder(First, L"Ledger", L"1033", L"1033");
    Holder(Second, L"Payroll");
    Run();
    ASSERT_EQ(installer.removals.size(), 2u);
    EXPECT_EQ(installer.removals[0].properties, L"LOCALEID=1033 REBOOTPROMPT=SUPPRESS REBOOT=ReallySuppress");
    EXPECT_EQ(installer.removals[1].properties, L"REBOOTPROMPT=SUPPRESS REBOOT=ReallySuppress");
}

TEST_F(RemovalTest, AnUnreadablePackageIsRefusedBeforeAnyProductIsAsked)
{
    installer.packages.clear();
    Holder(First, L"Ledger");
    EXPECT_EQ(Run().exitCode, 1603u);
    EXPECT_TRUE(installer.removals.empty());
    EXPECT_EQ(std::count(installer.calls.begin(), installer.calls.end(), L"QueryProductState"), 0);
    EXPECT_EQ(OnlyBox().caption, L"Removal Error");
    EXPECT_NE(OnlyBox().text.find(L"Error Code: 1627"), std::wstring::npos);
    EXPECT_TRUE(platform.files.empty());
}

// --- The installer's own UI, in both modes that change products ---

struct UiCase {
    const wchar_t* option;
    bool windowsVisible;
    int level;
};

class InstallerUiTest : public RemovalTest, public testing::WithParamInterface<UiCase> {};

TEST_P(InstallerUiTest, FollowsTheOptionsAndWhetherAnyoneCanSeeIt)
{
    const UiCase& c = GetParam();
    platform.windowStationVisible = c.windowsVisible;
    const CommandLineOptions options = ScanArguments({L"svcpack.exe", c.option, L"/x"});
    RunOptions = options;
    Holder(First, L"Ledger");
    Run();
    ASSERT_EQ(installer.removals.size(), 1u);
    EXPECT_EQ(installer.removals[0].uiLevel, c.level);
    EXPECT_EQ(installer.uiLevel, 5) << "restored";

    RunOptions = ScanArguments({L"svcpack.exe", c.option});
    installer.products[First].patchRegistered = false;
    installer.products[First].info[L"VersionString"] = L"12.2.0.3";
    installer.packages[package][7] = First;
    Reporter reporter(platform, log);
    apply::ApplyPatchToProducts({platform, installer, reporter, log, platform.temporaryDirectory});
    ApplicableProducts.clear();
    EXPECT_EQ(installer.uiLevelsAtConfigure, std::vector<int>{c.level});
}

INSTANTIATE_TEST_SUITE_P(Levels, InstallerUiTest, testing::Values(
    UiCase{L"/q", true, 0x23}, UiCase{L"/q", false, 0x63},
    UiCase{L"/passive", true, 0x63}, UiCase{L"/passive", false, 0x63},
    UiCase{L"/quiet", true, 2}, UiCase{L"/quiet", false, 2}));

}  // namespace
