// The command line and the log file of one configure call, built directly from arbitrary
// texts. The input: package path, LOCALEID, files-in-use text, product name and temporary
// directory, each ended by a NUL byte.
#include "apply/command_line.h"
#include "apply/log_name.h"
#include "configure_checks.h"
#include "fuzz_input.h"
#include "require.h"

namespace {

void RequireCommandLine(const std::wstring& packagePath, const std::wstring& localeId, const std::wstring& filesInUse,
                        bool suppressRestart)
{
    const std::wstring line = apply::BuildCommandLine(packagePath, localeId, filesInUse, suppressRestart);
    const std::vector<CommandLineProperty> properties = RequireConfigureCommandLine(line, packagePath);

    std::vector<std::wstring> expectedNames = {L"PATCH", L"REBOOTPROMPT", L"FILESINUSETEXT"};
    if (suppressRestart)
        expectedNames.insert(expectedNames.begin() + 2, L"REBOOT");
    if (localeId.size() >= 2)
        expectedNames.insert(expectedNames.begin() + 1, L"LOCALEID");
    std::vector<std::wstring> names;
    for (const CommandLineProperty& property : properties)
        names.push_back(property.name);
    Require(names == expectedNames, "the properties are PATCH, LOCALEID when it has 2 characters or more, "
                                    "REBOOTPROMPT, REBOOT under /norestart and FILESINUSETEXT, in this order");
    const CommandLineProperty* reboot = FindProperty(properties, L"REBOOT");
    Require(!reboot || reboot->value == L"ReallySuppress", "REBOOT is ReallySuppress");
    const CommandLineProperty* locale = FindProperty(properties, L"LOCALEID");
    Require(!locale || locale->value == localeId, "LOCALEID is the product's, verbatim");
    Require(FindProperty(properties, L"FILESINUSETEXT")->value == filesInUse,
            "FILESINUSETEXT is the string, verbatim");
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The product name as a file name can hold it: each character it cannot hold made a "_".
std::wstring Replaced(std::wstring name)
{
    for (wchar_t& c : name)
        c = HoldsOnlyFileNameCharacters(std::wstring_view(&c, 1)) ? c : L'_';
    return name;
}

// Whether `kept` is the start of `whole`, cut anywhere but inside a surrogate pair.
bool IsCleanStart(std::wstring_view kept, std::wstring_view whole)
{
    const bool splitsPair = !kept.empty() && kept.size() < whole.size() && IsHighSurrogate(kept.back()) &&
                            IsLowSurrogate(whole[kept.size()]);
    return whole.starts_with(kept) && !splitsPair;
}

void RequireLogFile(const std::wstring& temporaryDirectory, const std::wstring& productName)
{
    const std::optional<std::wstring> path = apply::LogFilePath(temporaryDirectory, productName);
    Require(path.has_value() == LogPathFits(temporaryDirectory),
            "a log path exists exactly when the directory leaves room for one");
    if (!path)
        return;
    RequireLogPath(*path, temporaryDirectory);
    const std::wstring name = Replaced(productName);
    const std::wstring_view stem = std::wstring_view(*path).substr(
        temporaryDirectory.size(), path->size() - temporaryDirectory.size() - 4);
    Require(IsCleanStart(stem, name) || (stem.starts_with(L'_') && IsCleanStart(stem.substr(1), name)),
            "the log name is the product name, perhaps after a \"_\", shortened between characters");
    const std::wstring plain = temporaryDirectory + productName + L".log";
    const bool keepsName = HoldsOnlyFileNameCharacters(productName) && !NamesDevice(productName) &&
                           LogPathFits(temporaryDirectory + productName);
    Require(!keepsName || *path == plain, "a name that is a fitting file name is used as it is");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::wstring packagePath = input.Text();
    const std::wstring localeId = input.Text();
    const std::wstring filesInUse = input.Text();
    const std::wstring productName = input.Text();
    const std::wstring temporaryDirectory = input.Text();
    for (bool suppressRestart : {false, true})
        RequireCommandLine(packagePath, localeId, filesInUse, suppressRestart);
    RequireLogFile(temporaryDirectory, productName);
    return 0;
}
