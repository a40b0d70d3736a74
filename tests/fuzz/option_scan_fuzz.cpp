// The option scan over arbitrary argument lists: the input is the arguments, each ended by a
// NUL byte, the program first.
#include <algorithm>
#include <initializer_list>

#include "app/run_options.h"
#include "ascii.h"
#include "fuzz_input.h"
#include "require.h"

namespace {

bool Occurs(const std::vector<std::wstring>& arguments, std::wstring_view word)
{
    return std::any_of(arguments.begin() + std::min<std::size_t>(1, arguments.size()), arguments.end(),
                       [&](const std::wstring& argument) { return EqualsIgnoringAsciiCase(argument, word); });
}

bool IsAny(const std::wstring& argument, std::initializer_list<std::wstring_view> words)
{
    return std::any_of(words.begin(), words.end(),
                       [&](std::wstring_view word) { return EqualsIgnoringAsciiCase(argument, word); });
}

// The arguments read as options: all after the program except the one that follows an "/e"
// or a "/log", which is its path, and none after the first "/i".
std::vector<std::size_t> OptionPositions(const std::vector<std::wstring>& arguments)
{
    std::vector<std::size_t> positions;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        positions.push_back(i);
        if (EqualsIgnoringAsciiCase(arguments[i], L"/i"))
            break;
        if (IsAny(arguments[i], {L"/e", L"/log"}))
            ++i;
    }
    return positions;
}

CommandLineOptions ExpectedOptions(const std::vector<std::wstring>& arguments)
{
    CommandLineOptions expected;
    bool uninstall = false;
    for (std::size_t i : OptionPositions(arguments)) {
        const std::wstring& option = arguments[i];
        expected.quiet |= IsAny(option, {L"/q", L"/quiet", L"/passive"});
        if (EqualsIgnoringAsciiCase(option, L"/quiet"))
            expected.installerUi = InstallerUi::None;
        else if (EqualsIgnoringAsciiCase(option, L"/passive") && expected.installerUi != InstallerUi::None)
            expected.installerUi = InstallerUi::ProgressOnly;
        uninstall |= IsAny(option, {L"/uninstall", L"/x"});
        expected.helpOnly |= IsAny(option, {L"/?", L"/help"});
        if (EqualsIgnoringAsciiCase(option, L"/log") && i + 1 < arguments.size())
            expected.logPath = arguments[i + 1];
        expected.noRestart |= EqualsIgnoringAsciiCase(option, L"/norestart");
        expected.listOnly |= EqualsIgnoringAsciiCase(option, L"/i");
        if (EqualsIgnoringAsciiCase(option, L"/e")) {
            expected.extractOnly = true;
            if (i + 1 < arguments.size())
                expected.extractPath = arguments[i + 1];
        }
    }
    const bool otherMode = expected.helpOnly || expected.extractOnly || expected.listOnly;
    expected.extractOnly &= !expected.helpOnly;
    expected.listOnly &= !expected.helpOnly;
    expected.installMode = !uninstall && !otherMode;
    expected.removeMode = uninstall && !otherMode;
    return expected;
}

bool Same(const CommandLineOptions& a, const CommandLineOptions& b)
{
    return a.quiet == b.quiet && a.noRestart == b.noRestart && a.extractOnly == b.extractOnly && a.extractPath == b.extractPath &&
           a.listOnly == b.listOnly && a.installMode == b.installMode && a.removeMode == b.removeMode &&
           a.helpOnly == b.helpOnly && a.installerUi == b.installerUi && a.logPath == b.logPath;
}

// The list up to and including the first "/i" read as an option; all of it when there is none.
std::vector<std::wstring> CutAfterList(const std::vector<std::wstring>& arguments)
{
    const std::vector<std::size_t> positions = OptionPositions(arguments);
    if (positions.empty() || !EqualsIgnoringAsciiCase(arguments[positions.back()], L"/i"))
        return arguments;
    return {arguments.begin(), arguments.begin() + std::ptrdiff_t(positions.back() + 1)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::vector<std::wstring> arguments = input.Texts();
    const CommandLineOptions options = ScanArguments(arguments);

    Require(int(options.installMode) + options.removeMode + options.helpOnly + (options.extractOnly || options.listOnly) == 1,
            "exactly one of install, removal, help, or extraction and listing");
    Require(!options.quiet || Occurs(arguments, L"/q") || Occurs(arguments, L"/quiet") || Occurs(arguments, L"/passive"),
            "quiet only with /q, /quiet or /passive");
    Require(!options.noRestart || Occurs(arguments, L"/norestart"), "no restart only with /norestart");
    Require(!options.extractOnly || Occurs(arguments, L"/e"), "extraction only with /e");
    Require(!options.listOnly || Occurs(arguments, L"/i"), "listing only with /i");
    Require(options.extractPath.empty() ||
                std::find(arguments.begin() + 1, arguments.end(), options.extractPath) != arguments.end(),
            "the extraction path is one of the arguments");
    Require(Same(ScanArguments(CutAfterList(arguments)), options),
            "nothing after the first /i changes the result");
    Require(Same(options, ExpectedOptions(arguments)), "the scan reads the options as the model does");
    return 0;
}
