#include "run_options.h"

#include <algorithm>

CommandLineOptions RunOptions;

namespace {

// Only ASCII letters fold, as the options are plain ASCII words.
bool IsOption(const std::wstring& argument, std::wstring_view option)
{
    auto fold = [](wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c; };
    return std::equal(argument.begin(), argument.end(), option.begin(), option.end(),
                      [&](wchar_t a, wchar_t b) { return fold(a) == fold(b); });
}

}  // namespace

CommandLineOptions ScanArguments(const std::vector<std::wstring>& arguments)
{
    CommandLineOptions options;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (IsOption(argument, L"/q")) {
            options.quiet = true;
        } else if (IsOption(argument, L"/norestart")) {
            options.noRestart = true;
        } else if (IsOption(argument, L"/e")) {
            options.extractOnly = true;
            options.installMode = false;
            if (i + 1 < arguments.size())
                options.extractPath = arguments[++i];
        } else if (IsOption(argument, L"/i")) {
            options.listOnly = true;
            options.installMode = false;
            break;
        }
    }
    return options;
}
