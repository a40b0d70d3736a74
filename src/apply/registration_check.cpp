#include "registration_check.h"

#include "product_entries.h"
#include "targets.h"

namespace apply {

std::uint32_t CheckedRegistration(std::uint32_t result, const ProductQueries& queries, runlog::RunLog& log,
                                  const ProductRecord& record, const std::vector<NamedPatch>& patches,
                                  Registration wanted)
{
    if (!IsSuccessOrRestart(result))
        return result;
    const bool applied = wanted == Registration::Applied;
    for (const NamedPatch& patch : patches) {
        if (queries.IsPatchRegistered(patch.patchCode, record.productCode, record.context) == applied)
            continue;
        log.Error(DescribedProduct(record) + L": " + patch.name +
                  (applied ? L" is not registered after the installer's success" : L" is still registered after the removal"));
        result = msi::InstallFailure;
    }
    return result;
}

}  // namespace apply
