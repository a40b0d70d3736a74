#pragma once
// How the run log names a product and an installer's answer.
#include <cstdint>
#include <optional>
#include <string>

#include "product_record.h"
#include "runlog/run_log.h"

namespace apply {

// `{code} "name" version, language n, installed per machine` (or for the current user).
std::wstring DescribedProduct(const ProductRecord& record);

// "0 (success)", "1603 (failure)": the number and what it means.
std::wstring InstallerAnswer(std::uint32_t result);

// One entry for one change of a product: what was asked, the answer and the installer's own
// log; an error entry unless the answer is success or a restart.
void LogInstallerCall(runlog::RunLog& log, const std::wstring& what, std::uint32_t result,
                      const std::optional<std::wstring>& installerLog);

}  // namespace apply
