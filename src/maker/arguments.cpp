#include "arguments.h"

#include <algorithm>
#include <cwctype>
#include <string_view>
#include <utility>

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

// Each option that takes a value, with the field its value goes to.
using ValueField = std::optional<std::wstring> Arguments::*;
constexpr std::pair<std::wstring_view, ValueField> ValueOptions[] = {
    {L"version", &Arguments::version},
    {L"stub", &Arguments::stub},
    {L"company", &Arguments::company},
    {L"copyright", &Arguments::copyright},
    {L"icon", &Arguments::icon},
};

ValueField ValueOption(const std::wstring& name)
{
    const auto option = std::ranges::find(ValueOptions, name, &std::pair<std::wstring_view, ValueField>::first);
    return option != std::end(ValueOptions) ? option->second : nullptr;
}

std::wstring TakeWord(const std::vector<std::wstring>& words, std::size_t& i, Arguments& arguments)
{
    const std::wstring name = OptionWord(words[i]);
    if (name.empty()) {
        // The last file name is the output, taken out at the end; an empty word names no file.
        if (!words[i].empty())
            arguments.packages.push_back(words[i]);
        return {};
    }
    const ValueField field = ValueOption(name);
    if (!field)
        return L"unknown option \"" + words[i] + L"\"";
    // A value that is itself one of the options means the real value was left out.
    if (i + 1 == words.size() || words[i + 1].empty() || ValueOption(OptionWord(words[i + 1])))
        return L"/" + name + L" needs a value";
    const std::wstring& value = words[++i];
    if (name == L"version" && !package::IsUsableVersion(value))
        return L"/version \"" + value + L"\" is no usable version";
    if ((name == L"company" || name == L"copyright") && HasControlCharacter(value))
        return L"/" + name + L" holds a control character (a line break, tab or other); give one line of text";
    return TakeValue(L"/" + name, value, arguments.*field);
}

}  // namespace

ParsedArguments ParseArguments(const std::vector<std::wstring>& words)
{
    ParsedArguments parsed;
    for (std::size_t i = 0; i < words.size() && parsed.error.empty(); ++i)
        parsed.error = TakeWord(words, i, parsed.arguments);
    std::vector<std::wstring>& files = parsed.arguments.packages;
    if (parsed.error.empty() && files.size() < 2)
        parsed.error = files.empty() ? L"a patch package and an output file are needed" : L"the output file is missing";
    if (parsed.error.empty()) {
        parsed.arguments.output = std::move(files.back());
        files.pop_back();
    }
    return parsed;
}

}  // namespace maker
