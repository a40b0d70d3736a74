#pragma once
// The installer's word is not enough: after it answered that it changed a product, the
// wrapper asks again whether each patch is registered there as the change should have left it.
#include <cstdint>
#include <string>
#include <vector>

#include "product_queries.h"
#include "product_record.h"
#include "runlog/run_log.h"

namespace apply {

struct NamedPatch {
    std::wstring patchCode;
    std::wstring name;  // as the run log calls it
};

enum class Registration { Applied, Removed };

// `result` when it is no success (nor a restart), or when each of `patches` is registered for
// the product (Applied) or no longer is (Removed); else InstallFailure, with an error entry
// for each patch that is not as it should be. Asked in the product's own context.
std::uint32_t CheckedRegistration(std::uint32_t result, const ProductQueries& queries, runlog::RunLog& log,
                                  const ProductRecord& record, const std::vector<NamedPatch>& patches,
                                  Registration wanted);

}  // namespace apply
