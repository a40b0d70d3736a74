#include "driver.h"

#include <cwchar>
#include <memory>
#include <set>
#include <vector>

#include "app/messages.h"
#include "app/run_options.h"
#include "command_line.h"
#include "installer/scoped_log.h"
#include "installer/scoped_ui_level.h"
#include "log_name.h"
#include "package/summary.h"
#include "product_queries.h"
#include "product_record.h"

std::wstring UpToDateVersion;

namespace apply {

namespace {

// The language attribute read as the C runtime reads a number: leading blanks and a sign
// allowed, reading stops at the first non-digit, no digits give 0.
std::uint32_t LocaleFromLanguage(const std::wstring& language)
{
    return static_cast<std::uint32_t>(std::wcstol(language.c_str(), nullptr, 10));
}

// The revision-number text holds the patch's own code followed by the codes it obsoletes;
// the registration query wants the patch's own code alone.
std::wstring PatchOwnCode(const std::wstring& revisionNumber)
{
    const std::size_t end = revisionNumber.find(L'}');
    if (revisionNumber.empty() || revisionNumber[0] != L'{' || end == std::wstring::npos)
        return revisionNumber;
    return revisionNumber.substr(0, end + 1);
}

bool IsSuccessOrRestart(std::uint32_t result)
{
    return result == msi::Success || result == msi::RebootRequired || result == msi::RebootInitiated;
}

// A restart the installer started outranks one that is still needed.
std::uint32_t MoreUrgentRestart(std::uint32_t current, std::uint32_t result)
{
    if (current == msi::RebootInitiated || result == msi::Success)
        return current;
    return result;
}

class Driver {
public:
    Driver(Platform& platform, msi::Installer& installer, Reporter& reporter)
        : platform_(platform), installer_(installer), reporter_(reporter), queries_{installer}
    {
    }

    DriverResult Run()
    {
        // A wrapper whose version is missing or damaged cannot tell a patched product from
        // another: it fails as a wrapper without its package does.
        std::optional<std::wstring> version = platform_.EmbeddedUpToDateVersion();
        // Held from here on, the package cannot change between the checks and the
        // installer's reads; a package that could not be written whole is never read.
        std::unique_ptr<HeldFile> held = version ? platform_.ExtractAndHoldPatchPackage(packagePath_) : nullptr;
        if (!held) {
            reporter_.ShowMessage(message::InstallationError);
            return {false, msi::InstallFailure};
        }
        UpToDateVersion = std::move(*version);
        const DriverResult result = ReadAndApply();
        held.reset();  // a held file cannot be deleted, not even by its holder
        platform_.RemoveFile(packagePath_);
        return result;
    }

private:
    DriverResult ReadAndApply()
    {
        package::PackageReader reader{platform_, installer_};
        std::wstring patchCode;
        std::wstring targets;
        if (!reader.ReadPatchCode(packagePath_, patchCode) ||
            !reader.ReadTargetProductCodes(packagePath_, targets)) {
            platform_.SetLastErrorValue(reader.failure);
            reporter_.ShowMessage(message::InstallationError);
            return {false, msi::InstallFailure};
        }
        TakeInventory(PatchOwnCode(patchCode), targets);
        return ApplyToProducts();
    }

    void SelectProduct(const ProductRecord& record)
    {
        CurrentProductName = record.productName;
        reporter_.SelectLanguage(LocaleFromLanguage(record.language));
    }

    void TakeInventory(const std::wstring& patchCode, std::wstring targets)
    {
        if (targets.size() > 1 && targets.back() != L';')
            targets.push_back(L';');
        std::set<std::wstring> examined;
        for (std::size_t end = targets.find(L';'); end != std::wstring::npos && end > 0;
             end = targets.find(L';')) {
            ProductRecord record;
            record.productCode = targets.substr(0, end);
            targets.erase(0, end + 1);
            // A product the list names twice is looked at, and patched, once.
            if (!examined.insert(record.productCode).second ||
                !queries_.IsProductInstalled(record.productCode))
                continue;
            ++installedCount_;
            record.version = queries_.QueryProductVersion(record.productCode);
            queries_.QueryProductIdentity(record.productCode, record.productName, record.language,
                                          record.localeId);
            record.context = queries_.QueryProductContext(record.productCode);
            SelectProduct(record);
            if (NeedsPatch(record, patchCode))
                ApplicableProducts.push_back(record);
        }
    }

    // Both questions are asked in the product's own context: a product installed for this
    // user alone is unknown per machine.
    bool NeedsPatch(const ProductRecord& record, const std::wstring& patchCode)
    {
        int order = -1;
        std::uint32_t status = 0;
        if (installer_.DeterminePatchSequence(record.productCode, record.context, packagePath_, order, status) !=
                msi::Success ||
            status != 0) {
            reporter_.ShowMessage(message::PatchDoesNotFit);
            return false;
        }
        if (order == -1 || installer_.GetPatchState(patchCode, record.productCode, record.context) == msi::Success) {
            anyUpToDate_ = true;
            return false;
        }
        return true;
    }

    DriverResult ApplyToProducts()
    {
        std::uint32_t restart = msi::Success;
        for (ProductRecord& record : ApplicableProducts) {
            SelectProduct(record);
            if (record.version == UpToDateVersion) {
                reporter_.ShowMessage(message::AlreadyUpToDate);
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
            if (result == msi::RebootInitiated)
                break;
        }
        return ReportOutcome(restart);
    }

    std::uint32_t Configure(ProductRecord& record)
    {
        const std::wstring filesInUse = reporter_.LoadResourceString(message::FilesInUseText, StringCapacity);
        record.commandLine = BuildCommandLine(packagePath_, record.localeId, filesInUse, RunOptions.noRestart);
        const std::optional<std::wstring> directory = platform_.TemporaryDirectory();
        const std::optional<std::wstring> log =
            directory ? LogFilePath(*directory, record.productName) : std::nullopt;
        const msi::ScopedLog logging(installer_, log.value_or(L""));
        // Where no one can see a window, the installer's UI is kept to its progress window, so
        // that no modal error box of its own waits there for a click.
        const msi::ScopedUiLevel uiLevel(installer_, reporter_.WindowsVisible() ? msi::UiLevelBasicNoCancel
                                                                                : msi::UiLevelProgressOnly);
        return installer_.ConfigureProductEx(record.productCode, 0, 5, record.commandLine);
    }

    DriverResult ReportFailure(std::uint32_t result)
    {
        if (result == msi::PackageRejected) {
            reporter_.ShowMessage(message::ProgramsRunning);
        } else {
            platform_.SetLastErrorValue(result);
            reporter_.ShowMessage(message::InstallationError);
        }
        return {false, result};
    }

    DriverResult ReportOutcome(std::uint32_t restart)
    {
        if (!ApplicableProducts.empty()) {
            reporter_.ShowMessage(message::AllPatched);
            return {true, restart};
        }
        if (installedCount_ == 0) {
            reporter_.ShowMessage(message::NoTargetInstalled);
            return {false, msi::PatchTargetNotFound};
        }
        // Every installed target failed the sequence check and was told so (308): saying
        // now that it is up to date would contradict that.
        if (!anyUpToDate_)
            return {false, msi::PatchTargetNotFound};
        reporter_.ShowMessage(message::NothingToPatch);
        return {true, msi::Success};
    }

    Platform& platform_;
    msi::Installer& installer_;
    Reporter& reporter_;
    const ProductQueries queries_;
    std::wstring packagePath_;
    int installedCount_ = 0;
    bool anyUpToDate_ = false;
};

}  // namespace

DriverResult ApplyPatchToProducts(Platform& platform, msi::Installer& installer, Reporter& reporter)
{
    return Driver(platform, installer, reporter).Run();
}

}  // namespace apply
