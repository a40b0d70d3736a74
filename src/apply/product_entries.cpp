#include "product_entries.h"

#include "platform/decimal.h"
#include "runlog/exit_code_meaning.h"
#include "targets.h"

namespace apply {

namespace {

std::wstring_view ContextName(std::uint32_t context)
{
    switch (context) {
    case msi::ContextMachine:
        return L"installed per machine";
    case msi::ContextUserManaged:
        return L"installed for the current user (managed)";
    default:
        return L"installed for the current user";
    }
}

}  // namespace

std::wstring DescribedProduct(const ProductRecord& record)
{
    return record.productCode + L" \"" + record.productName + L"\" " + record.version + L", language " +
           record.language + L", " + std::wstring(ContextName(record.context));
}

std::wstring InstallerAnswer(std::uint32_t result)
{
    return Decimal(result) + L" (" + std::wstring(runlog::ExitCodeMeaning(result)) + L")";
}

void LogInstallerCall(runlog::RunLog& log, const std::wstring& what, std::uint32_t result,
                      const std::optional<std::wstring>& installerLog)
{
    const std::wstring entry = what + L": the installer answered " + InstallerAnswer(result) +
                               L"; its log: " + installerLog.value_or(L"none");
    if (IsSuccessOrRestart(result))
        log.Info(entry);
    else
        log.Error(entry);
}

}  // namespace apply
