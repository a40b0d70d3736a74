#pragma once
// The maker's command line: svcpack-make <patch.msp> <wrapper.exe> [/version <v>] [/stub <stub.exe>]
//     [/company <text>] [/copyright <text>] [/icon <file.ico>]
#include <optional>
#include <string>
#include <vector>

namespace maker {

struct Arguments {
    std::wstring package;
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
// come before, between or after the two file names. Texts for the version resource are refused
// when they hold control characters.
ParsedArguments ParseArguments(const std::vector<std::wstring>& words);

}  // namespace maker
