#include "parse_command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "platform/system_library_win.h"

namespace {

struct LocalFreer {
    void operator()(LPWSTR* arguments) const { LocalFree(arguments); }
};

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
    return true;
}
