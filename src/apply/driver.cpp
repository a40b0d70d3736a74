#include "driver.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "app/messages.h"
#include "app/run_options.h"
#include "carried_patches.h"
#include "command_line.h"
#include "package/embedded_packages.h"
#include "product_change.h"
#include "product_entries.h"
#include "product_queries.h"
#include "product_record.h"
#include "targets.h"

std::wstring UpToDateVersion;

namespace apply {

namespace {

// By order, and in the set's order where the installer gives two the same place. A set holds
// a handful of patches: an insertion sort is a few bytes where std::sort's introsort is about
// 1 KiB of the stub (and std::stable_sort would bring the nothrow operator new and with it the
// exception runtime).
void SortBySequence(std::vector<std::pair<int, std::size_t>>& sequence)
{
    for (std::size_t i = 1; i < sequence.size(); ++i)
        for (std::size_t j = i; j > 0 && sequence[j] < sequence[j - 1]; --j)
            std::swap(sequence[j], sequence[j - 1]);
}

class Driver {
public:
    explicit Driver(const RunContext& run) : run_(run), queries_{run.installer}, carried_(run) {}

    DriverResult Run()
    {
        std::optional<package::EmbeddedPackages> embedded = package::ReadEmbeddedPackages(run_.platform);
        if (!embedded)
            return Refuse(L"The wrapper's set resource is damaged");
        if (!embedded->set) {
            // A wrapper whose version is missing or damaged cannot tell a patched product from
            // another: it fails as a wrapper without its package does.
            std::optional<std::wstring> version = run_.platform.EmbeddedUpToDateVersion();
            if (!version)
                return Refuse(L"The wrapper carries no up-to-date version");
            UpToDateVersion = std::move(*version);
        }
        // Held from here on, no package can change between the checks and the installer's
        // reads; a package that could not be written whole is never read, and a set is used
        // only whole.
        if (!carried_.Extract(*embedded)) {
            carried_.LetGo();
            return Refuse(L"");
        }
        set_ = std::move(embedded->set);
        const DriverResult result = ReadAndApply();
        carried_.LetGo();
        return result;
    }

private:
    DriverResult Refuse(std::wstring_view reason)
    {
        if (!reason.empty())
            run_.log.Error(reason);
        run_.reporter.ShowMessage(message::InstallationError);
        return {false, msi::InstallFailure};
    }

    DriverResult ReadAndApply()
    {
        if (!carried_.ReadFacts()) {
            run_.reporter.ShowMessage(message::InstallationError);
            return {false, msi::InstallFailure};
        }
        if (set_) {
            for (const package::ProductVersion& product : set_->versions)
                run_.log.Info(L"Up-to-date version of " + product.productCode + L": " + product.version);
        } else {
            run_.log.Info(L"Up-to-date version: " + UpToDateVersion);
        }
        TakeInventory(carried_.Targets());
        return ApplyToProducts();
    }

    void TakeInventory(const std::vector<std::wstring>& targets)
    {
        for (const std::wstring& code : targets) {
            if (!queries_.IsProductInstalled(code)) {
                run_.log.Info(code + L": not installed");
                continue;
            }
            ++installedCount_;
            ProductRecord record = ReadInstalledProduct(queries_, code);
            SelectProduct(run_.reporter, record);
            record.patches = PatchesNeeded(record);
            if (!record.patches.empty())
                ApplicableProducts.push_back(record);
        }
    }

    // The patches of the set that target the product, asked about together so that the
    // installer can order them and leave out those that others make obsolete or supersede;
    // then less those already registered there. Both questions are asked in the product's own
    // context: a product installed for this user alone is unknown per machine.
    std::vector<std::size_t> PatchesNeeded(const ProductRecord& record)
    {
        const std::wstring product = DescribedProduct(record);
        const std::vector<std::size_t> candidates = carried_.Targeting(record.productCode);
        std::vector<msi::PatchSequenceEntry> entries;
        for (const std::size_t patch : candidates)
            entries.push_back({carried_[patch].packagePath});
        const std::uint32_t result = run_.installer.DeterminePatchSequence(record.productCode, record.context, entries);
        const bool anyFits = std::any_of(entries.begin(), entries.end(),
                                         [](const msi::PatchSequenceEntry& entry) { return entry.status == 0; });
        if (result != msi::Success || !anyFits) {
            run_.log.Warning(product + L": the patch does not fit it (" + SequenceAnswer(result, candidates, entries) +
                             L")");
            run_.reporter.ShowMessage(message::PatchDoesNotFit);
            return {};
        }
        std::vector<std::pair<int, std::size_t>> sequence;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const std::wstring name = carried_.Name(candidates[i]);
            if (entries[i].status != 0)
                run_.log.Info(product + L": " + name + L" does not fit it (status " + InstallerAnswer(entries[i].status) +
                              L")");
            else if (entries[i].order < 0)
                run_.log.Info(product + L": the installer has no use for " + name +
                              L" here (obsolete, superseded or already applied)");
            else
                sequence.emplace_back(entries[i].order, candidates[i]);
        }
        SortBySequence(sequence);
        std::vector<std::size_t> needed;
        for (const auto& [order, patch] : sequence) {
            if (queries_.IsPatchRegistered(carried_[patch].facts.patchCode, record.productCode, record.context))
                run_.log.Info(product + L": " + carried_.Name(patch) + L" is already registered");
            else
                needed.push_back(patch);
        }
        if (needed.empty())
            anyUpToDate_ = true;
        else
            run_.log.Info(product + L": needs " + carried_.Names(needed));
        return needed;
    }

    // "the installer answered 0 (success), status 1642 (...)", with each patch's name for a set.
    std::wstring SequenceAnswer(std::uint32_t result, const std::vector<std::size_t>& candidates,
                                const std::vector<msi::PatchSequenceEntry>& entries) const
    {
        std::wstring answer = L"the installer answered " + InstallerAnswer(result);
        for (std::size_t i = 0; i < entries.size(); ++i)
            answer += L", " + (set_ ? carried_.Name(candidates[i]) + L" " : L"") + L"status " +
                      InstallerAnswer(entries[i].status);
        return answer;
    }

    bool IsUpToDate(const ProductRecord& record) const
    {
        if (!set_)
            return record.version == UpToDateVersion;
        const std::optional<std::wstring> version = package::UpToDateVersionOf(*set_, record.productCode);
        return version && record.version == *version;
    }

    DriverResult ApplyToProducts()
    {
        std::uint32_t restart = msi::Success;
        for (ProductRecord& record : ApplicableProducts) {
            SelectProduct(run_.reporter, record);
            if (IsUpToDate(record)) {
                run_.log.Info(DescribedProduct(record) + L": already at the up-to-date version");
                run_.reporter.ShowMessage(message::AlreadyUpToDate);
                // Products configured before this one may still owe a restart.
                return {false, restart};
            }
            std::uint32_t result = record.patches.size() == 1 ? Configure(record) : ApplyTogether(record);
            // A wrapper of one patch trusts the installer's answer, as it always has.
            if (set_)
                result = CheckedRegistration(result, queries_, run_.log, record, carried_.Named(record.patches),
                                             Registration::Applied);
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
        record.commandLine = BuildCommandLine(carried_[record.patches[0]].packagePath, record.localeId, filesInUse,
                                              RunOptions.noRestart);
        std::optional<std::wstring> log;
        const std::uint32_t result = ChangeProduct(run_, record, {}, log, [&] {
            return run_.installer.ConfigureProductEx(record.productCode, 0, 5, record.commandLine);
        });
        LogInstallerCall(run_.log, DescribedProduct(record) + L": configured with " + record.commandLine, result,
                         log);
        return result;
    }

    // Several patches for one product in one call, which registers each one (a PATCH list
    // through MsiConfigureProductExW registers only the last under Wine), with one log.
    std::uint32_t ApplyTogether(ProductRecord& record)
    {
        const std::wstring filesInUse = run_.reporter.LoadResourceString(message::FilesInUseText, StringCapacity);
        record.commandLine = BuildPatchProperties(record.localeId, filesInUse, RunOptions.noRestart);
        const std::wstring packages = carried_.PackagePathList(record.patches);
        std::optional<std::wstring> log;
        const std::uint32_t result = ChangeProduct(run_, record, {}, log, [&] {
            return run_.installer.ApplyMultiplePatches(packages, record.productCode, record.commandLine);
        });
        LogInstallerCall(run_.log,
                         DescribedProduct(record) + L": given " + carried_.Names(record.patches) + L" together (" +
                             packages + L") with " + record.commandLine,
                         result, log);
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
    CarriedPatches carried_;
    std::optional<package::PackageSet> set_;
    int installedCount_ = 0;
    bool anyUpToDate_ = false;
};

}  // namespace

DriverResult ApplyPatchToProducts(const RunContext& run)
{
    return Driver(run).Run();
}

}  // namespace apply
