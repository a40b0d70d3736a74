#include "configure_checks.h"

#include <algorithm>
#include <string_view>

#include "ascii.h"
#include "require.h"

namespace {

constexpr std::size_t MaxPathChars = 259;
constexpr std::wstring_view LogExtension = L".log";

bool Names(const CommandLineProperty& property, std::wstring_view name)
{
    return EqualsIgnoringAsciiCase(property.name, name);
}

bool IsWrapperProperty(const CommandLineProperty& property)
{
    return property.name == L"PATCH" || property.name == L"LOCALEID" ||
           property.name == L"REBOOTPROMPT" || property.name == L"REBOOT" || property.name == L"FILESINUSETEXT";
}

std::size_t CountNamed(const std::vector<CommandLineProperty>& properties, std::wstring_view name)
{
    return std::count_if(properties.begin(), properties.end(),
                         [&](const CommandLineProperty& property) { return Names(property, name); });
}

}  // namespace

bool HoldsOnlyFileNameCharacters(std::wstring_view fileName)
{
    return std::all_of(fileName.begin(), fileName.end(), [](wchar_t c) {
        return c >= 0x20 && std::wstring_view(L"\\/:*?\"<>|").find(c) == std::wstring_view::npos;
    });
}

bool NamesDevice(std::wstring_view fileName)
{
    std::wstring stem = AsciiUpper(fileName.substr(0, fileName.find(L'.')));
    stem.erase(stem.find_last_not_of(L' ') + 1);
    if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL")
        return true;
    const bool numbered = stem.size() == 4 && stem[3] >= L'1' && stem[3] <= L'9';
    return numbered && (stem.starts_with(L"COM") || stem.starts_with(L"LPT"));
}

std::vector<CommandLineProperty> RequireConfigureCommandLine(const std::wstring& line,
                                                             const std::wstring& packagePath)
{
    Require(line.starts_with(L"PATCH=\""), "the command line begins with PATCH=\"");
    const std::optional<std::vector<CommandLineProperty>> parsed = ParseCommandLine(line);
    Require(parsed.has_value() && !parsed->empty(), "the command line is a well-formed property list");
    const std::vector<CommandLineProperty>& properties = *parsed;
    Require(properties.front().name == L"PATCH" && properties.front().quoted &&
                properties.front().value == packagePath,
            "the first property is the package path, quoted");
    Require(CountNamed(properties, L"PATCH") == 1, "PATCH is set once");
    Require(std::all_of(properties.begin(), properties.end(), IsWrapperProperty),
            "only the wrapper's own properties are set");
    for (const CommandLineProperty& property : properties)
        Require(CountNamed(properties, property.name) == 1, "no property is set twice");
    const CommandLineProperty* restartPrompt = FindProperty(properties, L"REBOOTPROMPT");
    Require(restartPrompt && restartPrompt->value == L"SUPPRESS", "the restart prompt is suppressed");
    return properties;
}

void RequireLogPath(const std::wstring& path, const std::wstring& temporaryDirectory)
{
    Require(path.size() <= MaxPathChars, "the log path has at most 259 characters");
    Require(path.starts_with(temporaryDirectory), "the log is in the temporary directory");
    const std::wstring_view fileName = std::wstring_view(path).substr(temporaryDirectory.size());
    Require(HoldsOnlyFileNameCharacters(fileName),
            "the log's file name holds no separator or character file names cannot hold");
    Require(fileName.ends_with(LogExtension), "the log file name ends in .log");
    Require(!NamesDevice(fileName), "the log file name names no device");
}

bool LogPathFits(const std::wstring& temporaryDirectory)
{
    return !temporaryDirectory.empty() && temporaryDirectory.size() + LogExtension.size() <= MaxPathChars;
}
