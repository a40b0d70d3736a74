// patchbuilder: writes Windows Installer patch packages for the wrapper's tests and its demo
// package. Exit code 0 when the file was written, 1 when writing failed, 2 on bad usage.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "options.h"
#include "package.h"

int wmain(int argc, wchar_t** argv)
{
    const ParsedOptions parsed = ParseOptions(std::vector<std::wstring>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fwprintf(stderr, L"patchbuilder: %ls\n%ls", parsed.error.c_str(), Usage);
        return 2;
    }
    const Outcome outcome = WritePackage(parsed.options);
    if (outcome.Failed()) {
        std::fwprintf(stderr, L"patchbuilder: %ls failed (0x%08lX)\n", outcome.failedStep.c_str(), outcome.code);
        return 1;
    }
    return 0;
}
