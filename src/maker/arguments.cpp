#include "arguments.h"

#include <algorithm>
#include <cwctype>

#include "package/embedded_resources.h"
#include "text/control_characters.h"

namespace maker {

namespace {

// The option's word without its "/", "-" or "--", in lower case; empty for a file name.
std::wstring OptionWord(const std::wstring& word)
{
    std::size_t start = 0;
    if (word.starts_with(L"--"))
        start = 2;
    else if (word.starts_with(L"-") || word.starts_with(L"/"))
        start = 1;
    if (start == 0 || word.size() == start)
        return {};
    std::wstring name = word.substr(start);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return name;
}

std::wstring TakeValue(const std::wstring& option, const std::wstring& value,
                       std::optional<std::wstring>& field)
{
    if (field)
        return option + L" is given twice";
    field = value;
    return {};
}

std::wstring TakeFileName(const std::wstring& word, Arguments& arguments)
{
    if (arguments.package.empty())
        arguments.package = word;
    else if (arguments.output.empty())
        arguments.output = word;
    else
        return L"one patch package and one output file are expected, not also \"" + word + L"\"";
    return {};
}

// Each option that takes a value, with where the value goes.
std::optional<std::wstring>* OptionField(const std::wstring& name, Arguments& arguments)
{
    if (name == L"version")
        return &arguments.version;
    if (name == L"stub")
        return &arguments.stub;
    if (name == L"company")
        return &arguments.company;
    if (name == L"copyright")
        return &arguments.copyright;
    if (name == L"icon")
        return &arguments.icon;
    return nullptr;
}

std::wstring TakeWord(const std::vector<std::wstring>& words, std::size_t& i, Arguments& arguments)
{
    const std::wstring name = OptionWord(words[i]);
    if (name.empty())
        return TakeFileName(words[i], arguments);
    std::optional<std::wstring>* field = OptionField(name, arguments);
    if (!field)
        return L"unknown option \"" + words[i] + L"\"";
    // A value that is itself one of the options means the real value was left out.
    Arguments probe;
    if (i + 1 == words.size() || words[i + 1].empty() || OptionField(OptionWord(words[i + 1]), probe))
        return L"/" + name + L" needs a value";
    const std::wstring& value = words[++i];
    if (name == L"version" && !package::IsUsableVersion(value))
        return L"/version \"" + value + L"\" is no usable version";
    if ((name == L"company" || name == L"copyright") && HasControlCharacter(value))
        return L"/" + name + L" holds a control character (a line break, tab or other); give one line of text";
    return TakeValue(L"/" + name, value, *field);
}

}  // namespace

ParsedArguments ParseArguments(const std::vector<std::wstring>& words)
{
    ParsedArguments parsed;
    for (std::size_t i = 0; i < words.size() && parsed.error.empty(); ++i)
        parsed.error = TakeWord(words, i, parsed.arguments);
    if (parsed.error.empty() && parsed.arguments.output.empty())
        parsed.error = parsed.arguments.package.empty() ? L"a patch package and an output file are needed"
                                                        : L"the output file is missing";
    return parsed;
}

}  // namespace maker
