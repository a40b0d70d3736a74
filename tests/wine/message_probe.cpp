// Shows one of the wrapper's messages through the real string table and MessageBoxW, so that
// tests can read the box from the relay trace:
//   message_probe <message id> [--language <locale id>] [--error <last-error>] [--product <name>] [--quiet]
#include <windows.h>

#include <cwchar>
#include <string>

#include "app/reporter.h"
#include "app/run_options.h"
#include "platform/windows_platform_win.h"

namespace {

// The probe shows boxes only; what the reporter enters in a run log is the host tests' to see.
class NoLog final : public runlog::RunLog {
public:
    void Write(runlog::Type, std::wstring_view) override {}
};

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
        return 2;
    ModuleInstance = GetModuleHandleW(nullptr);
    WindowsPlatform platform;
    NoLog log;
    Reporter reporter(platform, log);
    DWORD error = 0;
    for (int i = 2; i < argc; ++i) {
        const std::wstring option = argv[i];
        if (option == L"--quiet")
            RunOptions.quiet = true;
        else if (option == L"--language" && i + 1 < argc)
            reporter.SelectLanguage(std::wcstoul(argv[++i], nullptr, 10));
        else if (option == L"--error" && i + 1 < argc)
            error = std::wcstoul(argv[++i], nullptr, 10);
        else if (option == L"--product" && i + 1 < argc)
            CurrentProductName = argv[++i];
        else
            return 2;
    }
    SetLastError(error);
    reporter.ShowMessage(std::wcstoul(argv[1], nullptr, 10));
    return 0;
}
