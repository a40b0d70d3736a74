// A wrapper that carries a vendor's set of patches, in every mode, against the scripted
// installer and machine.
#include <gtest/gtest.h>

#include <functional>

#include "app/run_options.h"
#include "apply/driver.h"
#include "apply/product_record.h"
#include "apply/removal.h"
#include "package/embedded_resources.h"
#include "package/extract_mode.h"
#include "package/product_list.h"
#include "recorded_log.h"
#include "scripted_installer.h"
#include "scripted_platform.h"

namespace {

const std::wstring Core = L"{7C2D4E6F-1A3B-4C5D-8E9F-0A1B2C3D4B01}";
const std::wstring Language = L"{7C2D4E6F-1A3B-4C5D-8E9F-0A1B2C3D4B02}";
const std::wstring Ledger = L"{7C2D4E6F-1A3B-4C5D-8E9F-0A1B2C3D4A01}";
const std::wstring Payroll = L"{7C2D4E6F-1A3B-4C5D-8E9F-0A1B2C3D4A02}";
const std::wstring Kassa = L"{7C2D4E6F-1A3B-4C5D-8E9F-0A1B2C3D4A03}";
const std::wstring CorePath = L"C:\\Temp\\MSPSET1";
const std::wstring LanguagePath = L"C:\\Temp\\MSPSET2";
const std::wstring Text320 = L"FILESINUSETEXT=\"The following applications should be closed before continuing the install:\"";

ScriptedProduct& Installed(ScriptedInstaller& installer, const std::wstring& code, const std::wstring& name,
                           const std::wstring& version = L"12.2.0.3")
{
    ScriptedProduct& product = installer.products[code];
    product.info = {{L"ProductName", name}, {L"Language", L"1033"}, {L"VersionString", version}};
    return product;
}

// A core patch for Ledger and Payroll, and a language patch for Ledger alone; Kassa is a target
// of the core patch in some cases. Payroll's up-to-date version differs from Ledger's.
class PatchSetTest : public testing::Test {
protected:
    void SetUp() override
    {
        RunOptions = {};
        CurrentProductName.clear();
        ApplicableProducts.clear();
        LoadEnglishAndGerman(platform);
        platform.upToDateVersion.reset();  // a set carries its versions in its own resource
        platform.setResource = package::EncodePackageSet(
            {{L"core.msp", L"lang.msp"}, {{Ledger, L"12.2.0.4"}, {Payroll, L"13.0.0.1"}, {Kassa, L"12.2.0.4"}}});
        installer.packages[CorePath] = {{7, Ledger + L";" + Payroll}, {9, Core}};
        installer.packages[LanguagePath] = {{7, Ledger}, {9, Language}};
    }
    void TearDown() override { ApplicableProducts.clear(); }
    // A second scenario in one test starts from the same machine as the first.
    void Fresh()
    {
        installer = ScriptedInstaller();
        platform = ScriptedPlatform();
        log.entries.clear();
        SetUp();
    }

    apply::DriverResult Install()
    {
        Reporter reporter(platform, log);
        return apply::ApplyPatchToProducts({platform, installer, reporter, log, platform.temporaryDirectory});
    }
    apply::DriverResult Uninstall()
    {
        Reporter reporter(platform, log);
        return apply::RemovePatchFromProducts({platform, installer, reporter, log, platform.temporaryDirectory});
    }

    ScriptedPlatform platform;
    ScriptedInstaller installer;
    RecordedLog log;
};

// "<product> <- <packages>" for each change, in order: one package through
// MsiConfigureProductExW ("PATCH=" of its command line), several through MsiApplyMultiplePatchesW.
std::vector<std::wstring> Changes(const ScriptedInstaller& installer)
{
    std::vector<std::wstring> changes;
    std::size_t configured = 0;
    std::size_t multiple = 0;
    for (const std::wstring& call : installer.calls) {
        if (call == L"ConfigureProductEx") {
            const std::wstring& line = installer.commandLines[configured];
            const std::size_t end = line.find(L'"', 7);
            changes.push_back(installer.configured[configured++] + L" <- " + line.substr(7, end - 7));
        } else if (call == L"ApplyMultiplePatches") {
            const auto& application = installer.multipleApplications[multiple++];
            changes.push_back(application.productCode + L" <- " + application.patchPaths + L" together");
        }
    }
    return changes;
}

// --- Which patches each product gets ---

struct ChoiceCase {
    const char* name;
    std::function<void(ScriptedInstaller&)> script;
    std::vector<std::wstring> changes;
    std::uint32_t exitCode;
    std::vector<std::wstring> captions;
};

class PatchChoiceTest : public PatchSetTest, public testing::WithParamInterface<ChoiceCase> {};

TEST_P(PatchChoiceTest, EachInstalledProductGetsWhatTheInstallerSequencesLessWhatItHas)
{
    const ChoiceCase& c = GetParam();
    c.script(installer);
    const apply::DriverResult result = Install();
    EXPECT_EQ(Changes(installer), c.changes);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_EQ(platform.Captions(), c.captions);
    EXPECT_EQ(platform.removed, (std::vector<std::wstring>{CorePath, LanguagePath}));
    EXPECT_TRUE(platform.removedWhileHeld.empty());
}

const std::vector<std::wstring> Patched = {L"Installation Successful"};

INSTANTIATE_TEST_SUITE_P(Cases, PatchChoiceTest, testing::Values(
    ChoiceCase{"EditionSplit",
               [](ScriptedInstaller& i) {
                   i.packages[CorePath][7] = Payroll + L";" + Kassa;
                   Installed(i, Ledger, L"Ledger");
                   Installed(i, Payroll, L"Payroll");
                   Installed(i, Kassa, L"Kassa");
               },
               {Payroll + L" <- " + CorePath, Kassa + L" <- " + CorePath, Ledger + L" <- " + LanguagePath}, 0, Patched},
    ChoiceCase{"CoreAndLanguageTogether",
               [](ScriptedInstaller& i) { Installed(i, Ledger, L"Ledger"); },
               {Ledger + L" <- " + CorePath + L";" + LanguagePath + L" together"}, 0, Patched},
    ChoiceCase{"InTheInstallersOrder",
               [](ScriptedInstaller& i) {
                   Installed(i, Ledger, L"Ledger").sequence = {{CorePath, {1, 0}}, {LanguagePath, {0, 0}}};
               },
               {Ledger + L" <- " + LanguagePath + L";" + CorePath + L" together"}, 0, Patched},
    ChoiceCase{"TheSamePlaceKeepsTheSetsOrder",
               [](ScriptedInstaller& i) {
                   Installed(i, Ledger, L"Ledger").sequence = {{CorePath, {0, 0}}, {LanguagePath, {0, 0}}};
               },
               {Ledger + L" <- " + CorePath + L";" + LanguagePath + L" together"}, 0, Patched},
    ChoiceCase{"ObsoleteOrSupersededLeftOut",
               [](ScriptedInstaller& i) { Installed(i, Ledger, L"Ledger").sequence = {{CorePath, {-1, 0}}}; },
               {Ledger + L" <- " + LanguagePath}, 0, Patched},
    ChoiceCase{"OneThatDoesNotFitLeftOut",
               [](ScriptedInstaller& i) { Installed(i, Ledger, L"Ledger").sequence = {{LanguagePath, {-1, 1642}}}; },
               {Ledger + L" <- " + CorePath}, 0, Patched},
    ChoiceCase{"NoneFits",
               [](ScriptedInstaller& i) { Installed(i, Ledger, L"Ledger").status = 1642; },
               {}, 1642, {L"Installation Error"}},
    ChoiceCase{"OneAlreadyRegistered",
               [](ScriptedInstaller& i) { Installed(i, Ledger, L"Ledger").registeredPatches = {Core}; },
               {Ledger + L" <- " + LanguagePath}, 0, Patched},
    ChoiceCase{"AllRegistered",
               [](ScriptedInstaller& i) {
                   Installed(i, Ledger, L"Ledger").registeredPatches = {Core, Language};
                   Installed(i, Payroll, L"Payroll").registeredPatches = {Core};
               },
               {}, 0, {L"Installation Unnecessary"}},
    ChoiceCase{"AtItsOwnUpToDateVersion",
               [](ScriptedInstaller& i) {
                   Installed(i, Ledger, L"Ledger", L"12.2.0.4");
                   Installed(i, Payroll, L"Payroll");
               },
               {}, 0, {L"Installation Unnecessary"}},
    ChoiceCase{"AtAnotherProductsUpToDateVersion",
               [](ScriptedInstaller& i) { Installed(i, Payroll, L"Payroll", L"12.2.0.4"); },
               {Payroll + L" <- " + CorePath}, 0, Patched},
    ChoiceCase{"NoneInstalled", [](ScriptedInstaller&) {}, {}, 1642, {L"Installation Error"}}),
    [](const testing::TestParamInfo<ChoiceCase>& info) { return info.param.name; });

TEST_F(PatchSetTest, AllOfAProductsPatchesAreWeighedInOneQuestionInItsOwnContext)
{
    Installed(installer, Ledger, L"Ledger").context = msi::ContextUserUnmanaged;
    Installed(installer, Payroll, L"Payroll");
    EXPECT_EQ(Install().exitCode, 0u);
    EXPECT_EQ(installer.sequenceLists,
              (std::vector<std::vector<std::wstring>>{{CorePath, LanguagePath}, {CorePath}}));
    EXPECT_EQ(installer.sequenceContexts, (std::vector<std::uint32_t>{msi::ContextUserUnmanaged, msi::ContextMachine}));
    // Left out, and why, for the administrator.
    Fresh();
    Installed(installer, Ledger, L"Ledger").sequence = {{CorePath, {-1, 0}}, {LanguagePath, {-1, 1642}}};
    Install();
    EXPECT_EQ(log.With(runlog::Type::Information, L"the installer has no use for core.msp here").size(), 1u);
    EXPECT_EQ(log.With(runlog::Type::Information, L"lang.msp does not fit it (status 1642").size(), 1u);
}

TEST_F(PatchSetTest, SeveralPatchesGoInOneCallWithTodaysPropertiesButPatchAndOneLog)
{
    RunOptions.noRestart = true;
    installer.uiLevel = 5;
    Installed(installer, Ledger, L"Ledger").localeId = L"1031";
    EXPECT_EQ(Install().exitCode, 0u);
    ASSERT_EQ(installer.multipleApplications.size(), 1u);
    const auto& application = installer.multipleApplications[0];
    EXPECT_EQ(application.patchPaths, CorePath + L";" + LanguagePath);
    EXPECT_EQ(application.properties, L"LOCALEID=1031 REBOOTPROMPT=SUPPRESS REBOOT=ReallySuppress " + Text320);
    EXPECT_EQ(application.uiLevel, 0x23);
    EXPECT_EQ(application.log, L"C:\\Temp\\Ledger.log");
    EXPECT_EQ(installer.uiLevel, 5);
    EXPECT_FALSE(installer.logging);
    EXPECT_EQ(installer.products[Ledger].registeredPatches, (std::set<std::wstring>{Core, Language}));
    EXPECT_EQ(log.With(runlog::Type::Information, L"given core.msp, lang.msp together").size(), 1u);
}

TEST_F(PatchSetTest, APatchLeftUnregisteredAfterTheInstallersSuccessIsAFailure)
{
    for (const bool several : {true, false}) {
        Fresh();
        ScriptedProduct& ledger = Installed(installer, Ledger, L"Ledger");
        ledger.applyingTakes = false;
        if (!several)
            ledger.registeredPatches = {Core};
        Installed(installer, Payroll, L"Payroll");
        EXPECT_EQ(Install().exitCode, 1603u);
        ASSERT_EQ(platform.boxes.size(), 1u);
        EXPECT_EQ(platform.boxes[0].caption, L"Installation Error");
        EXPECT_NE(platform.boxes[0].text.find(L"Error Code: 1603"), std::wstring::npos);
        EXPECT_EQ(log.With(runlog::Type::Error, L"lang.msp is not registered after the installer's success").size(), 1u);
        EXPECT_EQ(log.With(runlog::Type::Error, L"core.msp is not registered").size(), several ? 1u : 0u);
        // The run ends with the failure: Payroll, after it, is left untouched.
        EXPECT_EQ(Changes(installer).size(), 1u);
    }
}

TEST_F(PatchSetTest, ADamagedSetOrPackageChangesNoProduct)
{
    const std::vector<std::function<void(ScriptedPlatform&, ScriptedInstaller&)>> damages = {
        [](ScriptedPlatform& p, ScriptedInstaller&) { p.setResource = package::EncodeUpToDateVersion(L"core.msp\n\n"); },
        [](ScriptedPlatform& p, ScriptedInstaller&) { p.failingResource = L"IDR_MSP2"; },
        [](ScriptedPlatform&, ScriptedInstaller& i) { i.packages.erase(LanguagePath); },
    };
    for (std::size_t d = 0; d < damages.size(); ++d) {
        Fresh();
        Installed(installer, Ledger, L"Ledger");
        damages[d](platform, installer);
        EXPECT_EQ(Install().exitCode, 1603u) << d;
        EXPECT_EQ(platform.Captions(), std::vector<std::wstring>{L"Installation Error"}) << d;
        EXPECT_EQ(std::count(installer.calls.begin(), installer.calls.end(), L"QueryProductState"), 0) << d;
        EXPECT_TRUE(platform.files.empty()) << d << ": every copy made is deleted";
    }
}

// --- Taking the set back ---

TEST_F(PatchSetTest, EachProductLosesEveryPatchItHasInOneRemoval)
{
    Installed(installer, Ledger, L"Ledger").registeredPatches = {Core, Language};
    Installed(installer, Payroll, L"Payroll").registeredPatches = {Core};
    Installed(installer, Kassa, L"Kassa");
    installer.packages[LanguagePath][7] = Ledger + L";" + Kassa;
    EXPECT_EQ(Uninstall().exitCode, 0u);
    ASSERT_EQ(installer.removals.size(), 2u);
    EXPECT_EQ(installer.removals[0].patchCode, Core + L";" + Language);
    EXPECT_EQ(installer.removals[0].productCode, Ledger);
    EXPECT_EQ(installer.removals[1].patchCode, Core);
    EXPECT_EQ(installer.removals[1].productCode, Payroll);
    EXPECT_EQ(platform.Captions(), std::vector<std::wstring>{L"Removal Successful"});
    EXPECT_EQ(log.With(runlog::Type::Information, L"\"Kassa\" 12.2.0.3, language 1033, installed per machine: does not "
                                                  L"have lang.msp").size(),
              1u);
    EXPECT_EQ(log.With(runlog::Type::Information, L"removal of core.msp, lang.msp asked with").size(), 1u);
    EXPECT_TRUE(platform.files.empty());
}

TEST_F(PatchSetTest, OnePatchThatCannotBeRemovedFromOneProductStopsEveryRemoval)
{
    Installed(installer, Ledger, L"Ledger").registeredPatches = {Core};
    Installed(installer, Payroll, L"Payroll").registeredPatches = {Core};
    installer.products[Payroll].uninstallable = L"0";
    EXPECT_EQ(Uninstall().exitCode, 1646u);
    EXPECT_TRUE(installer.removals.empty());
    EXPECT_EQ(CurrentProductName, L"Payroll");
    EXPECT_EQ(log.With(runlog::Type::Error, L"its registration of core.msp cannot be removed").size(), 1u);
}

TEST_F(PatchSetTest, ARemovalThatLeavesAPatchRegisteredIsAFailure)
{
    ScriptedProduct& ledger = Installed(installer, Ledger, L"Ledger");
    ledger.registeredPatches = {Core, Language};
    ledger.removalTakes = false;
    EXPECT_EQ(Uninstall().exitCode, 1603u);
    EXPECT_EQ(platform.Captions(), std::vector<std::wstring>{L"Removal Error"});
    EXPECT_EQ(log.With(runlog::Type::Error, L"is still registered after the removal").size(), 2u);
}

// --- "/e" and "/i" ---

TEST_F(PatchSetTest, ExtractionWritesEachPackageUnderItsNameIntoTheFolder)
{
    EXPECT_TRUE(package::ExtractEmbeddedPackages(platform, log, L"D:\\Out\\Set", true));
    EXPECT_EQ(platform.folders, std::set<std::wstring>{L"D:\\Out\\Set"});
    EXPECT_EQ(platform.files, (std::set<std::wstring>{L"D:\\Out\\Set\\core.msp", L"D:\\Out\\Set\\lang.msp"}));
    EXPECT_EQ(platform.extractedResources, (std::vector<std::wstring>{L"IDR_MSP1", L"IDR_MSP2"}));
    EXPECT_TRUE(platform.boxes.empty()) << "the folder was named by whoever asked";

    // Without a folder: a new one in the temporary folder, named in the run log and, where
    // someone can see it and no quiet option was given, in a box.
    for (const bool show : {true, false}) {
        platform.boxes.clear();
        EXPECT_TRUE(package::ExtractEmbeddedPackages(platform, log, L"", show));
        const std::wstring folder = L"C:\\Temp\\MSP" + std::to_wstring(platform.nextTemporaryFolder - 1) + L"\\";
        EXPECT_TRUE(platform.files.count(folder + L"lang.msp"));
        EXPECT_EQ(log.With(runlog::Type::Information, L"The patch packages are in " + folder).size(), 1u);
        EXPECT_EQ(platform.boxes.size(), show ? 1u : 0u);
        if (show)
            EXPECT_EQ(platform.boxes[0].text, folder);
    }

    platform.foldersFail = true;
    EXPECT_FALSE(package::ExtractEmbeddedPackages(platform, log, L"D:\\Locked", true));
    platform.foldersFail = false;
    platform.failingResource = L"IDR_MSP2";
    EXPECT_FALSE(package::ExtractEmbeddedPackages(platform, log, L"D:\\Out\\Again\\", true));
    EXPECT_EQ(log.With(runlog::Type::Error, L"lang.msp could not be written to D:\\Out\\Again\\lang.msp").size(), 1u);
}

TEST_F(PatchSetTest, TheListNamesEachPackageWithItsTargets)
{
    EXPECT_TRUE(package::ShowTargetProductList(platform, installer, true));
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].caption, L"List of Products");
    EXPECT_EQ(platform.boxes[0].text, L"core.msp: " + Ledger + L";" + Payroll + L"\nlang.msp: " + Ledger);

    platform.boxes.clear();
    installer.packages.erase(CorePath);
    EXPECT_FALSE(package::ShowTargetProductList(platform, installer, true));
    EXPECT_EQ(platform.boxes[0].text, L"core.msp: \nlang.msp: " + Ledger);
}

}  // namespace
