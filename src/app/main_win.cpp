// Entry of the wrapper: parse the options, run the selected mode, tell the caller the outcome.
#include <windows.h>

#include "apply/driver.h"
#include "apply/product_record.h"
#include "installer/msi_library_win.h"
#include "package/product_list.h"
#include "parse_command_line.h"
#include "reporter.h"
#include "platform/system_library_win.h"
#include "platform/windows_platform_win.h"

namespace {

std::uint32_t RunSelectedModes(WindowsPlatform& platform, msi::MsiLibrary& installer)
{
    // Whether anyone can see a box is decided here, once, for every mode.
    Reporter reporter(platform);
    if (RunOptions.installMode)
        return apply::ApplyPatchToProducts(platform, installer, reporter).exitCode;
    std::uint32_t exitCode = msi::Success;
    std::wstring extractPath = RunOptions.extractPath;
    if (RunOptions.extractOnly && !platform.ExtractPatchPackage(extractPath))
        exitCode = msi::InstallFailure;
    if (RunOptions.listOnly && !package::ShowTargetProductList(platform, installer, reporter.WindowsVisible()) &&
        exitCode == msi::Success)
        exitCode = msi::InstallFailure;
    return exitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // Wrappers run from download folders: no DLL may be found beside the executable, on
    // Windows 7 without its DLL-search update too (see DllSearch).
    RestrictDllSearch();
    ModuleInstance = instance;
    if (!ParseCommandLine())
        return 0;
    WindowsPlatform platform;
    msi::MsiLibrary installer;
    const std::uint32_t exitCode = RunSelectedModes(platform, installer);
    ApplicableProducts.clear();
    return static_cast<int>(exitCode);
}
