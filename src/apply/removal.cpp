#include "removal.h"

#include <vector>

#include "app/messages.h"
#include "carried_patches.h"
#include "command_line.h"
#include "package/embedded_packages.h"
#include "product_change.h"
#include "product_entries.h"
#include "product_queries.h"
#include "targets.h"

namespace apply {

namespace {

class Removal {
public:
    explicit Removal(const RunContext& run) : run_(run), queries_{run.installer}, carried_(run) {}

    DriverResult Run()
    {
        // The packages are read for their patch codes and targets only: the installer removes
        // a patch by its code, so no path of a temporary copy ever reaches it.
        const std::optional<package::EmbeddedPackages> embedded = package::ReadEmbeddedPackages(run_.platform);
        if (!embedded)
            run_.log.Error(L"The wrapper's set resource is damaged");
        const bool read = embedded && carried_.Extract(*embedded) && carried_.ReadFacts();
        carried_.LetGo();
        if (!read) {
            run_.reporter.ShowMessage(message::RemovalError);
            return {false, msi::InstallFailure};
        }
        const std::vector<ProductRecord> holders = ProductsWithThePatch(carried_.Targets());
        if (holders.empty()) {
            // Said in the user's own language: no product is concerned.
            CurrentProductName.clear();
            run_.reporter.SelectLanguage(0);
            run_.log.Info(L"No target product has the patch: nothing to remove");
            run_.reporter.ShowMessage(message::NothingToRemove);
            return {true, msi::Success};
        }
        // Half a removal is worse than none: every product must allow it for every patch it
        // has before any changes.
        for (const ProductRecord& record : holders) {
            for (const NamedPatch& patch : carried_.Named(record.patches)) {
                if (!queries_.IsPatchRemovable(patch.patchCode, record.productCode, record.context)) {
                    SelectProduct(run_.reporter, record);
                    run_.log.Error(DescribedProduct(record) + L": its registration of " + patch.name +
                                   L" cannot be removed; no product is changed");
                    run_.reporter.ShowMessage(message::CannotBeRemoved);
                    return {false, msi::PatchRemovalUnsupported};
                }
            }
        }
        return RemoveFrom(holders);
    }

private:
    // In the order of the target list, each asked in its own context; each holder with the
    // patches it has (ProductRecord::patches).
    std::vector<ProductRecord> ProductsWithThePatch(const std::vector<std::wstring>& targets)
    {
        std::vector<ProductRecord> holders;
        for (const std::wstring& code : targets) {
            if (!queries_.IsProductInstalled(code)) {
                run_.log.Info(code + L": not installed");
                continue;
            }
            ProductRecord record = ReadInstalledProduct(queries_, code);
            std::vector<std::size_t> lacking;
            for (const std::size_t patch : carried_.Targeting(code))
                (queries_.IsPatchRegistered(carried_[patch].facts.patchCode, code, record.context) ? record.patches
                                                                                                 : lacking)
                    .push_back(patch);
            std::wstring holding = record.patches.empty() ? L"" : L"has " + carried_.Names(record.patches);
            if (!lacking.empty())
                holding += (holding.empty() ? L"" : L"; ") + std::wstring(L"does not have ") + carried_.Names(lacking);
            run_.log.Info(DescribedProduct(record) + L": " + holding);
            if (!record.patches.empty())
                holders.push_back(std::move(record));
        }
        return holders;
    }

    DriverResult RemoveFrom(const std::vector<ProductRecord>& holders)
    {
        std::uint32_t restart = msi::Success;
        for (const ProductRecord& record : holders) {
            SelectProduct(run_.reporter, record);
            const std::uint32_t result = CheckedRegistration(Remove(record), queries_, run_.log, record,
                                                             carried_.Named(record.patches), Registration::Removed);
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
        std::optional<std::wstring> log;
        const std::uint32_t result = ChangeProduct(run_, record, RemovalLogSuffix, log, [&] {
            return run_.installer.RemovePatches(carried_.PatchCodeList(record.patches), record.productCode,
                                                properties);
        });
        LogInstallerCall(run_.log,
                         DescribedProduct(record) + L": removal of " + carried_.Names(record.patches) +
                             L" asked with " + properties,
                         result, log);
        return result;
    }

    const RunContext& run_;
    const ProductQueries queries_;
    CarriedPatches carried_;
};

}  // namespace

DriverResult RemovePatchFromProducts(const RunContext& run)
{
    return Removal(run).Run();
}

}  // namespace apply
