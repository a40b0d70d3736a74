#include "removal.h"

#include <memory>
#include <vector>

#include "app/messages.h"
#include "command_line.h"
#include "installer/scoped_log.h"
#include "installer/scoped_ui_level.h"
#include "log_name.h"
#include "package_facts.h"
#include "product_entries.h"
#include "product_queries.h"
#include "targets.h"

namespace apply {

namespace {

class Removal {
public:
    explicit Removal(const RunContext& run) : run_(run), queries_{run.installer} {}

    DriverResult Run()
    {
        // The package is read for its patch code and targets only: the installer removes a
        // patch by its code, so no path of a temporary copy ever reaches it.
        std::wstring packagePath;
        std::unique_ptr<HeldFile> held = run_.platform.ExtractAndHoldPatchPackage(packagePath);
        if (!held) {
            run_.log.Error(L"The patch package could not be extracted");
            run_.reporter.ShowMessage(message::RemovalError);
            return {false, msi::InstallFailure};
        }
        const std::optional<PackageFacts> facts = ReadPackageFacts(run_, packagePath);
        held.reset();
        run_.platform.RemoveFile(packagePath);
        if (!facts) {
            run_.reporter.ShowMessage(message::RemovalError);
            return {false, msi::InstallFailure};
        }
        patchCode_ = facts->patchCode;
        const std::vector<ProductRecord> holders = ProductsWithThePatch(facts->targets);
        if (holders.empty()) {
            // Said in the user's own language: no product is concerned.
            CurrentProductName.clear();
            run_.reporter.SelectLanguage(0);
            run_.log.Info(L"No target product has the patch: nothing to remove");
            run_.reporter.ShowMessage(message::NothingToRemove);
            return {true, msi::Success};
        }
        // Half a removal is worse than none: every product must allow it before any changes.
        for (const ProductRecord& record : holders) {
            if (!queries_.IsPatchRemovable(patchCode_, record.productCode, record.context)) {
                SelectProduct(run_.reporter, record);
                run_.log.Error(DescribedProduct(record) +
                               L": its registration of the patch cannot be removed; no product is changed");
                run_.reporter.ShowMessage(message::CannotBeRemoved);
                return {false, msi::PatchRemovalUnsupported};
            }
        }
        return RemoveFrom(holders);
    }

private:
    // In the order of the target list, each asked in its own context.
    std::vector<ProductRecord> ProductsWithThePatch(const std::vector<std::wstring>& targets)
    {
        std::vector<ProductRecord> holders;
        for (const std::wstring& code : targets) {
            if (!queries_.IsProductInstalled(code)) {
                run_.log.Info(code + L": not installed");
                continue;
            }
            ProductRecord record = ReadInstalledProduct(queries_, code);
            const bool registered = queries_.IsPatchRegistered(patchCode_, code, record.context);
            run_.log.Info(DescribedProduct(record) +
                          (registered ? L": has the patch" : L": does not have the patch"));
            if (registered)
                holders.push_back(std::move(record));
        }
        return holders;
    }

    DriverResult RemoveFrom(const std::vector<ProductRecord>& holders)
    {
        std::uint32_t restart = msi::Success;
        for (const ProductRecord& record : holders) {
            SelectProduct(run_.reporter, record);
            std::uint32_t result = Remove(record);
            // The installer's word is not enough: a patch still registered was not removed.
            if (IsSuccessOrRestart(result) &&
                queries_.IsPatchRegistered(patchCode_, record.productCode, record.context)) {
                run_.log.Error(DescribedProduct(record) + L": the patch is still registered after the removal");
                result = msi::InstallFailure;
            }
            if (!IsSuccessOrRestart(result)) {
                run_.platform.SetLastErrorValue(result);
                run_.reporter.ShowMessage(message::RemovalError);
                return {false, result};
            }
            restart = MoreUrgentRestart(restart, result);
            if (result == msi::RebootInitiated) {
                run_.log.Warning(L"The installer is restarting the computer: the products left are changed by the "
                                 L"next run");
                break;
            }
        }
        run_.reporter.ShowMessage(message::AllRemoved);
        return {true, restart};
    }

    std::uint32_t Remove(const ProductRecord& record)
    {
        const std::wstring properties = BuildRemovalProperties(record.localeId, RunOptions.noRestart);
        const std::optional<std::wstring> log =
            run_.logFolder ? LogFilePath(*run_.logFolder, record.productName, RemovalLogSuffix, run_.runLogPath)
                          : std::nullopt;
        std::uint32_t result = 0;
        {
            const msi::ScopedLog logging(run_.installer, log.value_or(L""));
            const msi::ScopedUiLevel uiLevel(
                run_.installer, InstallerUiLevel(RunOptions.installerUi, run_.reporter.WindowsVisible()));
            result = run_.installer.RemovePatches(patchCode_, record.productCode, properties);
        }
        LogInstallerCall(run_.log, DescribedProduct(record) + L": removal of the patch asked with " + properties, result, log);
        return result;
    }

    const RunContext& run_;
    const ProductQueries queries_;
    std::wstring patchCode_;
};

}  // namespace

DriverResult RemovePatchFromProducts(const RunContext& run)
{
    return Removal(run).Run();
}

}  // namespace apply
