#include "run_options.h"

#include <algorithm>
#include <initializer_list>

CommandLineOptions RunOptions;

namespace {

// Only ASCII letters fold, as the options are plain ASCII words.
bool IsOption(const std::wstring& argument, std::wstring_view option)
{
    auto fold = [](wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c; };
    return std::equal(argument.begin(), argument.end(), option.begin(), option.end(),
                      [&](wchar_t a, wchar_t b) { return fold(a) == fold(b); });
}

bool IsAnyOf(const std::wstring& argument, std::initializer_list<std::wstring_view> options)
{
    return std::any_of(options.begin(), options.end(),
                       [&](std::wstring_view option) { return IsOption(argument, option); });
}

// Asked for more than once, the installer shows the least that was asked for.
void LimitInstallerUi(CommandLineOptions& options, InstallerUi ui)
{
    options.quiet = true;
    options.installerUi = std::max(options.installerUi, ui);
}

// The words that are followed by a value take the next argument whatever it is, so that a
// path is never examined as an option; a last one without a value leaves the earlier value.
template <class Value>
void TakeValue(const std::vector<std::wstring>& arguments, std::size_t& i, Value& value)
{
    if (i + 1 < arguments.size())
        value = arguments[++i];
}

}  // namespace

CommandLineOptions ScanArguments(const std::vector<std::wstring>& arguments)
{
    CommandLineOptions options;
    bool uninstall = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (IsOption(argument, L"/q")) {
            options.quiet = true;
        } else if (IsOption(argument, L"/quiet")) {
            LimitInstallerUi(options, InstallerUi::None);
        } else if (IsOption(argument, L"/passive")) {
            LimitInstallerUi(options, InstallerUi::ProgressOnly);
        } else if (IsOption(argument, L"/norestart")) {
            options.noRestart = true;
        } else if (IsAnyOf(argument, {L"/uninstall", L"/x"})) {
            uninstall = true;
        } else if (IsAnyOf(argument, {L"/?", L"/help"})) {
            options.helpOnly = true;
        } else if (IsOption(argument, L"/log")) {
            TakeValue(arguments, i, options.logPath);
        } else if (IsOption(argument, L"/e")) {
            options.extractOnly = true;
            TakeValue(arguments, i, options.extractPath);
        } else if (IsOption(argument, L"/i")) {
            options.listOnly = true;
            break;
        }
    }
    // "/e" and "/i" win over the removal, and a request for help over everything.
    const bool otherMode = options.helpOnly || options.extractOnly || options.listOnly;
    options.extractOnly = options.extractOnly && !options.helpOnly;
    options.listOnly = options.listOnly && !options.helpOnly;
    options.removeMode = uninstall && !otherMode;
    options.installMode = !uninstall && !otherMode;
    return options;
}
