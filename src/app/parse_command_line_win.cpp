#include "parse_command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>

namespace {

struct LocalFreer {
    void operator()(LPWSTR* arguments) const { LocalFree(arguments); }
};

}  // namespace

bool ParseCommandLine()
{
    int count = 0;
    const std::unique_ptr<LPWSTR, LocalFreer> split(CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::wstring> arguments;
    if (split)
        arguments.assign(split.get(), split.get() + count);
    RunOptions = ScanArguments(arguments);
    return true;
}
