#pragma once
// What a mode that changes products works with: the machine, the installer, the reporter and
// the run log, and where the installer writes each product's own log.
#include <optional>
#include <string>

#include "app/reporter.h"
#include "app/run_options.h"
#include "product_record.h"
#include "installer/installer.h"
#include "platform/platform.h"
#include "runlog/run_log.h"

namespace apply {

struct RunContext {
    Platform& platform;
    msi::Installer& installer;
    Reporter& reporter;
    runlog::RunLog& log;
    // The folder of the products' installer logs, with its trailing separator: the run log's
    // own where "/log" named one and it could be made, else the temporary folder; none when
    // neither is known, and then the installer logs nothing.
    std::optional<std::wstring> logFolder;
    // The run log's own file, which no product's installer log may take.
    std::wstring runLogPath;
};

// Names `record` in every message from here on, in the product's own language.
void SelectProduct(Reporter& reporter, const ProductRecord& record);

// The installer's UI while it changes a product. Where no one can see a window its basic UI
// is kept to the progress window, so that no modal error box of its own waits there for a
// click.
constexpr int InstallerUiLevel(InstallerUi ui, bool windowsVisible)
{
    switch (ui) {
    case InstallerUi::None:
        return msi::UiLevelNone;
    case InstallerUi::ProgressOnly:
        return msi::UiLevelProgressOnly;
    case InstallerUi::Basic:
        break;
    }
    return windowsVisible ? msi::UiLevelBasicNoCancel : msi::UiLevelProgressOnly;
}

}  // namespace apply
