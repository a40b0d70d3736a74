#include "options.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cerrno>
#include <cwchar>
#include <cwctype>
#include <functional>
#include <map>

#include "text/split.h"

const wchar_t* const Usage =
    L"usage: patchbuilder --out <file.msp> --patch-code {GUID} [--obsoletes {GUID}]...\n"
    L"                    --new-version <a.b.c.d> --target {PRODUCT},{UPGRADE},<old version>[,<new version>]...\n"
    L"                    [--display-name <text>] [--metadata <property>=<value>]...\n"
    L"                    [--targets-text <text> | --targets-file <UTF-8 file>] [--revision-text <text>]\n"
    L"                    [--omit-property 7|9]... [--filler-bytes <n>]\n"
    L"       patchbuilder --out <file> --not-a-package\n";

namespace {

// IIDFromString takes exactly the braced form, unlike CLSIDFromString, which also resolves
// program ids.
bool IsGuid(const std::wstring& text)
{
    IID parsed;
    return text.size() == 38 && SUCCEEDED(IIDFromString(text.c_str(), &parsed));
}

// One to four numbers separated by dots, as ProductVersion is written.
bool IsVersion(const std::wstring& text)
{
    std::size_t fields = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = std::min(text.find(L'.', start), text.size());
        const bool digits = end > start && std::all_of(text.begin() + start, text.begin() + end,
                                                       [](wchar_t c) { return std::iswdigit(c); });
        if (!digits || ++fields > 4)
            return false;
        if (end == text.size())
            return true;
        start = end + 1;
    }
}

std::wstring ParseTarget(const std::wstring& text, PackageOptions& options)
{
    const std::vector<std::wstring_view> views = Split(text, L',');
    const std::vector<std::wstring> parts(views.begin(), views.end());
    if ((parts.size() != 3 && parts.size() != 4) || !IsGuid(parts[0]) || !IsGuid(parts[1]) || !IsVersion(parts[2]) ||
        (parts.size() == 4 && !IsVersion(parts[3])))
        return L"--target wants {PRODUCTCODE},{UPGRADECODE},<old version>[,<new version>], not \"" + text + L"\"";
    options.targets.push_back({parts[0], parts[1], parts[2],
                               parts.size() == 4 ? std::optional<std::wstring>(parts[3]) : std::nullopt});
    return {};
}

std::wstring ParseGuid(const std::wstring& option, const std::wstring& text, std::wstring& field)
{
    if (!IsGuid(text))
        return option + L" wants a GUID in braces, not \"" + text + L"\"";
    field = text;
    return {};
}

std::wstring ParseOmitted(const std::wstring& text, PackageOptions& options)
{
    if (text != L"7" && text != L"9")
        return L"--omit-property takes 7 or 9, not \"" + text + L"\"";
    options.omittedProperties.push_back(text == L"7" ? 7u : 9u);
    return {};
}

// A target text longer than a command line can carry comes from a file.
std::wstring ReadTargetsFile(const std::wstring& path, PackageOptions& options)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return L"--targets-file cannot be read: " + path;
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    const BOOL ok = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    if (!ok || read != bytes.size())
        return L"--targets-file cannot be read: " + path;
    std::wstring text(bytes.size(), L'\0');
    text.resize(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                                    static_cast<int>(text.size())));
    options.targetsText = text;
    return {};
}

// Below 2 GiB: a compound file with 512-byte sectors cannot hold more.
std::wstring ParseFillerBytes(const std::wstring& text, PackageOptions& options)
{
    constexpr unsigned long long Limit = 0x7FFFFFFF;
    wchar_t* end = nullptr;
    errno = 0;
    const unsigned long long bytes = std::wcstoull(text.c_str(), &end, 10);
    if (text.empty() || !std::iswdigit(text[0]) || *end != L'\0' || errno == ERANGE || bytes > Limit)
        return L"--filler-bytes wants a number of bytes below 2 GiB, not \"" + text + L"\"";
    options.fillerBytes = static_cast<std::size_t>(bytes);
    return {};
}

using ValueHandler = std::function<std::wstring(const std::wstring& value, PackageOptions&)>;

const std::map<std::wstring, ValueHandler>& ValueOptions()
{
    static const std::map<std::wstring, ValueHandler> handlers{
        {L"--out", [](const std::wstring& v, PackageOptions& o) { o.outPath = v; return std::wstring(); }},
        {L"--patch-code", [](const std::wstring& v, PackageOptions& o) { return ParseGuid(L"--patch-code", v, o.patchCode); }},
        {L"--obsoletes", [](const std::wstring& v, PackageOptions& o) {
             std::wstring code;
             std::wstring error = ParseGuid(L"--obsoletes", v, code);
             if (error.empty())
                 o.obsoletes.push_back(code);
             return error;
         }},
        {L"--new-version", [](const std::wstring& v, PackageOptions& o) {
             o.newVersion = v;
             return IsVersion(v) ? std::wstring() : L"--new-version wants a version such as 12.2.0.4, not \"" + v + L"\"";
         }},
        {L"--target", ParseTarget},
        {L"--targets-text", [](const std::wstring& v, PackageOptions& o) { o.targetsText = v; return std::wstring(); }},
        {L"--targets-file", ReadTargetsFile},
        {L"--display-name", [](const std::wstring& v, PackageOptions& o) {
             o.metadata.emplace_back(L"DisplayName", v);
             return std::wstring();
         }},
        {L"--metadata", [](const std::wstring& v, PackageOptions& o) {
             const std::size_t equals = v.find(L'=');
             if (equals == 0 || equals == std::wstring::npos)
                 return L"--metadata wants <property>=<value>, not \"" + v + L"\"";
             o.metadata.emplace_back(v.substr(0, equals), v.substr(equals + 1));
             return std::wstring();
         }},
        {L"--revision-text", [](const std::wstring& v, PackageOptions& o) { o.revisionText = v; return std::wstring(); }},
        {L"--omit-property", ParseOmitted},
        {L"--filler-bytes", ParseFillerBytes},
    };
    return handlers;
}

// The options every real package needs; a file that is no package needs only its path.
std::wstring MissingOption(const PackageOptions& options)
{
    if (options.outPath.empty())
        return L"--out is missing";
    if (options.notAPackage)
        return {};
    if (options.patchCode.empty())
        return L"--patch-code is missing";
    if (options.newVersion.empty())
        return L"--new-version is missing";
    if (options.targets.empty())
        return L"at least one --target is needed";
    return {};
}

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::wstring>& arguments)
{
    ParsedOptions parsed;
    for (std::size_t i = 0; i < arguments.size() && parsed.error.empty(); ++i) {
        const std::wstring& name = arguments[i];
        const auto handler = ValueOptions().find(name);
        if (name == L"--not-a-package")
            parsed.options.notAPackage = true;
        else if (handler == ValueOptions().end())
            parsed.error = L"unknown option \"" + name + L"\"";
        else if (i + 1 == arguments.size())
            parsed.error = name + L" needs a value";
        else
            parsed.error = handler->second(arguments[++i], parsed.options);
    }
    if (parsed.error.empty())
        parsed.error = MissingOption(parsed.options);
    return parsed;
}
