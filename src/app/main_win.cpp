// Entry of the wrapper: parse the options, run the selected mode, tell the caller the outcome.
#include <windows.h>

#include "apply/driver.h"
#include "apply/product_record.h"
#include "apply/removal.h"
#include "apply/targets.h"
#include "installer/msi_library_win.h"
#include "messages.h"
#include "package/extract_mode.h"
#include "package/product_list.h"
#include "parse_command_line.h"
#include "platform/decimal.h"
#include "platform/system_library_win.h"
#include "platform/windows_platform_win.h"
#include "reporter.h"
#include "runlog/exit_code_meaning.h"
#include "runlog/log_names.h"
#include "runlog/run_log_file_win.h"
#include "runlog/start_facts_win.h"

namespace {

std::uint32_t RunOtherModes(const apply::RunContext& run, WindowsPlatform& platform, msi::MsiLibrary& installer)
{
    std::uint32_t exitCode = msi::Success;
    const bool showFolder = !RunOptions.quiet && run.reporter.WindowsVisible();
    if (RunOptions.extractOnly &&
        !package::ExtractEmbeddedPackages(platform, run.log, RunOptions.extractPath, showFolder))
        exitCode = msi::InstallFailure;
    if (RunOptions.listOnly && !package::ShowTargetProductList(platform, installer, run.reporter.WindowsVisible()) &&
        exitCode == msi::Success)
        exitCode = msi::InstallFailure;
    return exitCode;
}

std::uint32_t RunSelectedModes(const apply::RunContext& run, WindowsPlatform& platform, msi::MsiLibrary& installer)
{
    if (RunOptions.helpOnly) {
        run.reporter.ShowMessage(message::Usage);
        return msi::Success;
    }
    if (RunOptions.installMode)
        return apply::ApplyPatchToProducts(run).exitCode;
    if (RunOptions.removeMode)
        return apply::RemovePatchFromProducts(run).exitCode;
    return RunOtherModes(run, platform, installer);
}

// The run log's file: the one "/log" names, else one beside the installer's logs in the
// temporary folder; none when that folder is unknown.
std::wstring RunLogPath(const runlog::StartFacts& facts)
{
    if (RunOptions.logPath)
        return *RunOptions.logPath;
    return facts.temporaryFolder ? runlog::DefaultRunLogPath(*facts.temporaryFolder, facts.wrapperPath) : L"";
}

// The products' installer logs go beside a run log that "/log" placed, once its folder is
// known to exist; else to the temporary folder, as they always have.
std::optional<std::wstring> InstallerLogFolder(const runlog::RunLogFile& log, const runlog::StartFacts& facts)
{
    if (!RunOptions.logPath || !log.IsOpen())
        return facts.temporaryFolder;
    return RunOptions.logPath->substr(0, RunOptions.logPath->find_last_of(L"\\/") + 1);
}

std::wstring FileStem(const std::wstring& path)
{
    const std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
    return name.substr(0, name.rfind(L'.'));
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
    runlog::StartFacts facts = runlog::GatherStartFacts(false, platform.TemporaryDirectory());
    const std::wstring logPath = RunLogPath(facts);
    runlog::RunLogFile log(logPath, FileStem(facts.wrapperPath),
                           RunOptions.logPath ? runlog::RunLogFile::Folders::Create
                                              : runlog::RunLogFile::Folders::MustExist);
    // Whether anyone can see a box is decided here, once, for every mode.
    Reporter reporter(platform, log);
    facts.windowsVisible = reporter.WindowsVisible();
    runlog::WriteStart(log, facts);

    const apply::RunContext run{platform, installer, reporter, log, InstallerLogFolder(log, facts), logPath};
    const std::uint32_t exitCode = RunSelectedModes(run, platform, installer);
    ApplicableProducts.clear();
    const std::wstring end = L"Exit code " + Decimal(exitCode) + L": " + std::wstring(runlog::ExitCodeMeaning(exitCode));
    if (apply::IsSuccessOrRestart(exitCode))
        log.Info(end);
    else
        log.Error(end);
    return static_cast<int>(exitCode);
}
