#pragma once
// One change of one product by the installer, as every mode makes it: with the installer's
// UI as the options and the window station allow, and a verbose log of the product's own.
#include <cstdint>
#include <optional>
#include <string>

#include "installer/scoped_log.h"
#include "installer/scoped_ui_level.h"
#include "log_name.h"
#include "run_context.h"

namespace apply {

// Runs `change()` (the installer call) between the log and UI settings and restores both;
// `log` gets the installer log's path, none where no folder for it is known.
template <class Change>
std::uint32_t ChangeProduct(const RunContext& run, const ProductRecord& record, std::wstring_view logSuffix,
                            std::optional<std::wstring>& log, Change change)
{
    log = run.logFolder ? LogFilePath(*run.logFolder, record.productName, logSuffix, run.runLogPath) : std::nullopt;
    const msi::ScopedLog logging(run.installer, log.value_or(L""));
    const msi::ScopedUiLevel uiLevel(run.installer,
                                     InstallerUiLevel(RunOptions.installerUi, run.reporter.WindowsVisible()));
    return change();
}

}  // namespace apply
