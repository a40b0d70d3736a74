#pragma once
// Reads a property command line the way the installer does, to check what a configure call
// would set: NAME=VALUE pairs separated by spaces, a value either bare up to the next space or
// in double quotes, where "" stands for one quote.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct CommandLineProperty {
    std::wstring name;
    std::wstring value;
    bool quoted;
};

// No value when the line is not such a list: a name that is empty or holds a space or quote,
// a missing "=", an unterminated quote, a quote inside a bare value, or anything but a space
// right after a closing quote.
std::optional<std::vector<CommandLineProperty>> ParseCommandLine(std::wstring_view line);

// The property named exactly `name`; null when there is none.
const CommandLineProperty* FindProperty(const std::vector<CommandLineProperty>& properties,
                                        std::wstring_view name);
