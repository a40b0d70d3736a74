#include "driver.h"

#include <memory>
#include <vector>

#include "app/messages.h"
#include "app/run_options.h"
#include "command_line.h"
#include "installer/scoped_log.h"
#include "installer/scoped_ui_level.h"
#include "log_name.h"
#include "package_facts.h"
#include "product_entries.h"
#include "product_queries.h"
#include "product_record.h"
#include "targets.h"

std::wstring UpToDateVersion;

namespace apply {

namespace {

class Driver {
public:
    explicit Driver(const RunContext& run) : run_(run), queries_{run.installer} {}

    DriverResult Run()
    {
        // A wrapper whose version is missing or damaged cannot tell a patched product from
        // another: it fails as a wrapper without its package does.
        std::optional<std::wstring> version = run_.platform.EmbeddedUpToDateVersion();
        // Held from here on, the package cannot change between the checks and the
        // installer's reads; a package that could not be written whole is never read.
        std::unique_ptr<HeldFile> held = version ? run_.platform.ExtractAndHoldPatchPackage(packagePath_) : nullptr;
        if (!held) {
            run_.log.Error(version ? L"The patch package could not be extracted"
                                   : L"The wrapper carries no up-to-date version");
            run_.reporter.ShowMessage(message::InstallationError);
            return {false, msi::InstallFailure};
        }
        UpToDateVersion = std::move(*version);
        const DriverResult result = ReadAndApply();
        held.reset();  // a held file cannot be deleted, not even by its holder
        run_.platform.RemoveFile(packagePath_);
        return result;
    }

private:
    DriverResult ReadAndApply()
    {
        const std::optional<PackageFacts> facts = ReadPackageFacts(run_, packagePath_);
        if (!facts) {
            run_.reporter.ShowMessage(message::InstallationError);
            return {false, msi::InstallFailure};
        }
        run_.log.Info(L"Up-to-date version: " + UpToDateVersion);
        TakeInventory(facts->patchCode, facts->targets);
        return ApplyToProducts();
    }

    void TakeInventory(const std::wstring& patchCode, const std::vector<std::wstring>& targets)
    {
        for (const std::wstring& code : targets) {
            if (!queries_.IsProductInstalled(code)) {
                run_.log.Info(code + L": not installed");
                continue;
            }
            ++installedCount_;
            ProductRecord record = ReadInstalledProduct(queries_, code);
            SelectProduct(run_.reporter, record);
            if (NeedsPatch(record, patchCode))
                ApplicableProducts.push_back(record);
        }
    }

    // Both questions are asked in the product's own context: a product installed for this
    // user alone is unknown per machine.
    bool NeedsPatch(const ProductRecord& record, const std::wstring& patchCode)
    {
        const std::wstring product = DescribedProduct(record);
        int order = -1;
        std::uint32_t status = 0;
        const std::uint32_t result =
            run_.installer.DeterminePatchSequence(record.productCode, record.context, packagePath_, order, status);
        if (result != msi::Success || status != 0) {
            run_.log.Warning(product + L": the patch does not fit it (the installer answered " +
                             InstallerAnswer(result) + L", status " + InstallerAnswer(status) + L")");
            run_.reporter.ShowMessage(message::PatchDoesNotFit);
            return false;
        }
        if (order == -1) {
            anyUpToDate_ = true;
            run_.log.Info(product + L": the installer has no use for the patch here");
            return false;
        }
        if (queries_.IsPatchRegistered(patchCode, record.productCode, record.context)) {
            anyUpToDate_ = true;
            run_.log.Info(product + L": the patch is already registered");
            return false;
        }
        run_.log.Info(product + L": needs the patch");
        return true;
    }

    DriverResult ApplyToProducts()
    {
        std::uint32_t restart = msi::Success;
        for (ProductRecord& record : ApplicableProducts) {
            SelectProduct(run_.reporter, record);
            if (record.version == UpToDateVersion) {
                run_.log.Info(DescribedProduct(record) + L": already at the up-to-date version");
                run_.reporter.ShowMessage(message::AlreadyUpToDate);
                // Products configured before this one may still owe a restart.
                return {false, restart};
            }
            const std::uint32_t result = Configure(record);
            if (!IsSuccessOrRestart(result))
                return ReportFailure(result);
            restart = MoreUrgentRestart(restart, result);
            // The machine is already restarting: REBOOTPROMPT=SUPPRESS takes away the question,
            // not the restart. A product configured now would be cut off halfway; the ones
            // left are patched by the next run.
            if (result == msi::RebootInitiated) {
                run_.log.Warning(L"The installer is restarting the computer: the products left are patched by the "
                                 L"next run");
                break;
            }
        }
        return ReportOutcome(restart);
    }

    std::uint32_t Configure(ProductRecord& record)
    {
        const std::wstring filesInUse = run_.reporter.LoadResourceString(message::FilesInUseText, StringCapacity);
        record.commandLine = BuildCommandLine(packagePath_, record.localeId, filesInUse, RunOptions.noRestart);
        const std::optional<std::wstring> log =
            run_.logFolder ? LogFilePath(*run_.logFolder, record.productName, {}, run_.runLogPath)
                          : std::nullopt;
        std::uint32_t result = 0;
        {
            const msi::ScopedLog logging(run_.installer, log.value_or(L""));
            const msi::ScopedUiLevel uiLevel(
                run_.installer, InstallerUiLevel(RunOptions.installerUi, run_.reporter.WindowsVisible()));
            result = run_.installer.ConfigureProductEx(record.productCode, 0, 5, record.commandLine);
        }
        LogInstallerCall(run_.log, DescribedProduct(record) + L": configured with " + record.commandLine, result,
                         log);
        return result;
    }

    DriverResult ReportFailure(std::uint32_t result)
    {
        if (result == msi::PackageRejected) {
            run_.reporter.ShowMessage(message::ProgramsRunning);
        } else {
            run_.platform.SetLastErrorValue(result);
            run_.reporter.ShowMessage(message::InstallationError);
        }
        return {false, result};
    }

    DriverResult ReportOutcome(std::uint32_t restart)
    {
        if (!ApplicableProducts.empty()) {
            run_.reporter.ShowMessage(message::AllPatched);
            return {true, restart};
        }
        if (installedCount_ == 0) {
            run_.log.Warning(L"No target product is installed");
            run_.reporter.ShowMessage(message::NoTargetInstalled);
            return {false, msi::PatchTargetNotFound};
        }
        // Every installed target failed the sequence check and was told so (308): saying
        // now that it is up to date would contradict that.
        if (!anyUpToDate_)
            return {false, msi::PatchTargetNotFound};
        run_.reporter.ShowMessage(message::NothingToPatch);
        return {true, msi::Success};
    }

    const RunContext& run_;
    const ProductQueries queries_;
    std::wstring packagePath_;
    int installedCount_ = 0;
    bool anyUpToDate_ = false;
};

}  // namespace

DriverResult ApplyPatchToProducts(const RunContext& run)
{
    return Driver(run).Run();
}

}  // namespace apply
