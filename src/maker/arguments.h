#pragma once
// The maker's command line: svcpack-make <patch.msp>... <wrapper.exe> [/version <v>] [/stub <stub.exe>]
//     [/company <text>] [/copyright <text>] [/icon <file.ico>]
// One package makes a wrapper for that patch; several make one wrapper for the vendor's set.
#include <optional>
#include <string>
#include <vector>

namespace maker {

struct Arguments {
    std::vector<std::wstring> packages;  // in the order given; one or more
    std::wstring output;
    std::optional<std::wstring> version;
    std::optional<std::wstring> stub;
    std::optional<std::wstring> company;
    std::optional<std::wstring> copyright;
    std::optional<std::wstring> icon;
};

struct ParsedArguments {
    Arguments arguments;
    std::wstring error;  // empty when the command line was usable
};

// Options are matched whole and regardless of case, written with "/", "-" or "--"; they may
// come before, between or after the file names, of which the last is the wrapper. Texts for the version resource are refused
// when they hold control characters.
ParsedArguments ParseArguments(const std::vector<std::wstring>& words);

}  // namespace maker
