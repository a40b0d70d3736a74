#include "package_facts.h"

#include "package/summary.h"
#include "product_entries.h"
#include "targets.h"

namespace apply {

std::optional<PackageFacts> ReadPackageFacts(const RunContext& run, const std::wstring& packagePath)
{
    package::PackageReader reader{run.platform, run.installer};
    std::wstring patchCode;
    std::wstring targets;
    if (!reader.ReadPatchCode(packagePath, patchCode) || !reader.ReadTargetProductCodes(packagePath, targets)) {
        run.log.Error(L"The patch package cannot be read: the installer answered " +
                      InstallerAnswer(reader.failure));
        run.platform.SetLastErrorValue(reader.failure);
        return std::nullopt;
    }
    run.log.Info(L"Patch code: " + patchCode);
    run.log.Info(L"Target product codes: " + targets);
    return PackageFacts{PatchOwnCode(patchCode), SplitTargetList(targets)};
}

}  // namespace apply
