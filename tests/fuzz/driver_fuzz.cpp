// The install mode against a scripted installer and machine. The input: flags (1 byte), the
// installer's UI level (1), then the texts package path, temporary directory, target list
// (property 7), patch code (property 9) and files-in-use text, then products until the end.
// A product: which code (1 byte: an entry of the target list, or a text that follows), state
// (1), flags (1), sequence order, status and result (1 each), configure result (1), then the
// texts name, language, version and LOCALEID.
#include <algorithm>
#include <set>

#include "app/messages.h"
#include "app/run_options.h"
#include "apply/driver.h"
#include "apply/product_record.h"
#include "configure_checks.h"
#include "fuzz_input.h"
#include "require.h"
#include "scripted_installer.h"
#include "recorded_log.h"
#include "scripted_platform.h"

namespace {

namespace Flag {
constexpr std::uint8_t ExtractionFails = 0x01;
constexpr std::uint8_t Quiet = 0x02;
constexpr std::uint8_t NoTemporaryDirectory = 0x04;
constexpr std::uint8_t NoPackage = 0x08;
constexpr std::uint8_t NoTargetList = 0x10;
constexpr std::uint8_t NoPatchCode = 0x20;
constexpr std::uint8_t ExtractionFallsShort = 0x40;
}  // namespace Flag

namespace ProductFlag {
constexpr std::uint8_t DoesNotOpen = 0x01;
constexpr std::uint8_t NoLocaleId = 0x02;
constexpr std::uint8_t PatchRegistered = 0x04;
constexpr std::uint8_t UpToDate = 0x08;
constexpr std::uint8_t PerUser = 0x10;
constexpr std::uint8_t PerUserManaged = 0x20;
}  // namespace ProductFlag

struct Scenario {
    ScriptedPlatform platform;
    ScriptedInstaller installer;
    bool extractionFails = false;
    int uiLevelBefore = 0;
    std::vector<std::wstring> targetEntries;
};

void ReadProduct(FuzzInput& input, Scenario& scenario)
{
    const std::uint8_t selector = input.Byte();
    const std::vector<std::wstring>& entries = scenario.targetEntries;
    const std::wstring code = selector < 0x80 ? entries[selector % entries.size()] : input.Text();
    ScriptedProduct& product = scenario.installer.products[code];
    product.state = input.Pick({msi::StateInstalled, msi::StateAdvertised, 2, -1, 3});
    const std::uint8_t flags = input.Byte();
    product.opens = !(flags & ProductFlag::DoesNotOpen);
    product.hasLocaleId = !(flags & ProductFlag::NoLocaleId);
    product.patchRegistered = flags & ProductFlag::PatchRegistered;
    product.context = (flags & ProductFlag::PerUserManaged) ? msi::ContextUserManaged
                      : (flags & ProductFlag::PerUser)      ? msi::ContextUserUnmanaged
                                                            : msi::ContextMachine;
    product.order = input.Pick({0, 1, -1});
    product.status = input.Pick<std::uint32_t>({0, 1});
    product.sequenceResult = input.Pick<std::uint32_t>({msi::Success, msi::UnknownProduct, 1627});
    product.configureResult = input.Pick<std::uint32_t>({msi::Success, msi::RebootRequired, msi::RebootInitiated,
                                                         msi::PackageRejected, msi::InstallFailure, 1618, 1605, 5});
    product.info[L"ProductName"] = input.Text();
    product.info[L"Language"] = input.Text();
    product.info[L"VersionString"] = (flags & ProductFlag::UpToDate) ? *scenario.platform.upToDateVersion : input.Text();
    product.localeId = input.Text();
}

void ReadScenario(FuzzInput& input, Scenario& scenario)
{
    const std::uint8_t flags = input.Byte();
    scenario.platform.extractionFails = flags & Flag::ExtractionFails;
    scenario.platform.extractionFallsShort = flags & Flag::ExtractionFallsShort;
    scenario.extractionFails = flags & (Flag::ExtractionFails | Flag::ExtractionFallsShort);
    RunOptions.quiet = flags & Flag::Quiet;
    scenario.uiLevelBefore = scenario.installer.uiLevel = input.Pick({5, 2, 3, 4, msi::UiLevelBasicNoCancel});
    scenario.platform.extractedName = input.Text();
    const std::wstring temporaryDirectory = input.Text();
    if (!(flags & Flag::NoTemporaryDirectory))
        scenario.platform.temporaryDirectory = temporaryDirectory;
    else
        scenario.platform.temporaryDirectory.reset();
    const std::wstring targets = input.Text();
    const std::wstring patchCode = input.Text();
    LoadEnglishAndGerman(scenario.platform);
    scenario.platform.stringTable[FallbackLanguage][message::FilesInUseText] = input.Text();
    if (!(flags & Flag::NoPackage)) {
        auto& summary = scenario.installer.packages[scenario.platform.extractedName];
        if (!(flags & Flag::NoTargetList))
            summary[msi::SummaryTargetProducts] = targets;
        if (!(flags & Flag::NoPatchCode))
            summary[msi::SummaryPatchCode] = patchCode;
    }
    scenario.targetEntries = SplitText(targets, L';');
    while (!input.AtEnd())
        ReadProduct(input, scenario);
}

// The entries the driver may look at: those before the first empty one.
std::vector<std::wstring> ListedProducts(const std::vector<std::wstring>& entries)
{
    const auto firstEmpty = std::find(entries.begin(), entries.end(), std::wstring());
    return {entries.begin(), firstEmpty};
}

void RequireListedOnce(const std::vector<std::wstring>& configured, const std::vector<std::wstring>& listed)
{
    for (const std::wstring& code : configured) {
        Require(std::find(listed.begin(), listed.end(), code) != listed.end(),
                "only products listed before the first empty entry are configured");
        Require(std::count(configured.begin(), configured.end(), code) == 1,
                "no product is configured twice");
    }
    auto next = listed.begin();
    for (const std::wstring& code : configured) {
        next = std::find(next, listed.end(), code);
        Require(next != listed.end(), "products are configured in list order");
        ++next;
    }
}

void RequireConfigureCalls(const Scenario& scenario)
{
    const ScriptedInstaller& installer = scenario.installer;
    const std::optional<std::wstring>& directory = scenario.platform.temporaryDirectory;
    for (const std::wstring& line : installer.commandLines)
        RequireConfigureCommandLine(line, scenario.platform.extractedName);
    for (int level : installer.uiLevelsAtConfigure)
        Require(level == msi::UiLevelBasicNoCancel, "products are configured with the basic UI");
    for (const std::wstring& log : installer.logsAtConfigure) {
        if (directory && LogPathFits(*directory))
            RequireLogPath(log, *directory);
        else
            Require(log.empty(), "no log without a temporary directory to hold it");
    }
}

bool Completed(std::uint32_t result)
{
    return result == msi::Success || result == msi::RebootRequired || result == msi::RebootInitiated;
}

void RequireExitCode(const Scenario& scenario, const apply::DriverResult& outcome)
{
    std::vector<std::uint32_t> results;
    for (const std::wstring& code : scenario.installer.configured)
        results.push_back(scenario.installer.products.at(code).configureResult);
    std::set<std::uint32_t> allowed = {msi::Success, msi::RebootInitiated, msi::RebootRequired,
                                       msi::PatchTargetNotFound, msi::InstallFailure};
    allowed.insert(results.begin(), results.end());
    Require(allowed.count(outcome.exitCode) == 1, "the exit code is a documented one or an installer result");

    const auto failed = std::find_if_not(results.begin(), results.end(), Completed);
    const auto initiated = std::find(results.begin(), results.end(), msi::RebootInitiated);
    Require(initiated == results.end() || initiated + 1 == results.end(),
            "a restart the installer started ends the configuring");
    if (failed != results.end()) {
        Require(failed + 1 == results.end(), "configuring stops at the first failure");
        Require(!outcome.succeeded && outcome.exitCode == *failed, "a failed configure's result is the exit code");
    } else if (!results.empty()) {
        // Whether every product was patched or the run stopped at one already up to date.
        const auto any = [&](std::uint32_t result) {
            return std::find(results.begin(), results.end(), result) != results.end();
        };
        const std::uint32_t restart = any(msi::RebootInitiated) ? msi::RebootInitiated
                                      : any(msi::RebootRequired) ? msi::RebootRequired
                                                                 : msi::Success;
        Require(outcome.exitCode == restart, "a restart the installer started outranks one still needed");
    }
}

void RequireCleanUp(const Scenario& scenario)
{
    const ScriptedPlatform& platform = scenario.platform;
    const ScriptedInstaller& installer = scenario.installer;
    Require(installer.uiLevel == scenario.uiLevelBefore, "the installer's UI level is restored");
    Require(!installer.logging, "logging is off afterwards");
    Require(installer.openHandles == 0, "every handle is closed");
    Require(platform.held.empty() && platform.removedWhileHeld.empty(),
            "the package is let go before it is deleted");
    if (scenario.extractionFails)
        Require(platform.removed.empty() && installer.calls.empty(),
                "a failed extraction reaches no installer call and deletes nothing");
    else
        Require(platform.removed == std::vector<std::wstring>{platform.extractedName} && platform.files.empty(),
                "the extracted package is deleted");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    RunOptions = {};
    CurrentProductName.clear();
    ApplicableProducts.clear();
    FuzzInput input(data, size);
    Scenario scenario;
    ReadScenario(input, scenario);

    RecordedLog log;
    Reporter reporter(scenario.platform, log);
    const apply::DriverResult result = apply::ApplyPatchToProducts(
        {scenario.platform, scenario.installer, reporter, log, scenario.platform.temporaryDirectory, L""});

    RequireListedOnce(scenario.installer.configured, ListedProducts(scenario.targetEntries));
    RequireConfigureCalls(scenario);
    RequireExitCode(scenario, result);
    RequireCleanUp(scenario);
    return 0;
}
