#include "parse_command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "platform/path_names_win.h"
#include "platform/system_library_win.h"

namespace {

struct LocalFreer {
    void operator()(LPWSTR* arguments) const { LocalFree(arguments); }
};


// Deployment engines pass "%ProgramData%\..." as typed: the variables are the wrapper's to
// expand. The path is then made full, so that the run log and the installer's logs beside it
// land in one folder whatever folder the engine starts the wrapper in. No value when either
// step fails.
std::optional<std::wstring> ExpandedFullPath(const std::wstring& typed)
{
    std::wstring expanded(LongestPath, L'\0');
    const DWORD length = ExpandEnvironmentStringsW(typed.c_str(), expanded.data(), DWORD(expanded.size()));
    if (length == 0 || length > expanded.size())
        return std::nullopt;
    expanded.resize(length - 1);
    return WindowsPathNames().FullPathName(expanded, LongestPath);
}

}  // namespace

bool ParseCommandLine()
{
    const SystemLibrary shell32(L"shell32.dll");
    const auto splitArguments = shell32.Bind<decltype(&::CommandLineToArgvW)>("CommandLineToArgvW");
    int count = 0;
    const std::unique_ptr<LPWSTR, LocalFreer> split(
        splitArguments ? splitArguments(GetCommandLineW(), &count) : nullptr);
    std::vector<std::wstring> arguments;
    if (split)
        arguments.assign(split.get(), split.get() + count);
    RunOptions = ScanArguments(arguments);
    // A path that cannot be expanded leaves the run without a log of its own, as one whose
    // file cannot be made does; it never falls back to another place.
    if (RunOptions.logPath)
        RunOptions.logPath = ExpandedFullPath(*RunOptions.logPath).value_or(L"");
    return true;
}
