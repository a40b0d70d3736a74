#include "command_line.h"

#include <algorithm>

namespace apply {

namespace {

// A double quote inside a quoted value is written twice.
std::wstring Quoted(const std::wstring& value)
{
    std::wstring quoted = L"\"";
    for (wchar_t c : value) {
        quoted.push_back(c);
        if (c == L'"')
            quoted.push_back(c);
    }
    quoted.push_back(L'"');
    return quoted;
}

// Locale ids are plain numbers and go on bare; anything else is quoted.
std::wstring LocaleValue(const std::wstring& localeId)
{
    const bool plain = std::all_of(localeId.begin(), localeId.end(),
                                   [](wchar_t c) { return c >= L'0' && c <= L'9'; });
    return plain ? localeId : Quoted(localeId);
}

}  // namespace

std::wstring BuildRemovalProperties(const std::wstring& localeId, bool suppressRestart)
{
    std::wstring line;
    if (localeId.size() >= 2)
        line += L"LOCALEID=" + LocaleValue(localeId) + L" ";
    line += L"REBOOTPROMPT=SUPPRESS";
    if (suppressRestart)
        line += L" REBOOT=ReallySuppress";
    return line;
}

std::wstring BuildPatchProperties(const std::wstring& localeId, const std::wstring& filesInUseText,
                                  bool suppressRestart)
{
    return BuildRemovalProperties(localeId, suppressRestart) + L" FILESINUSETEXT=" + Quoted(filesInUseText);
}

std::wstring BuildCommandLine(const std::wstring& packagePath, const std::wstring& localeId,
                              const std::wstring& filesInUseText, bool suppressRestart)
{
    return L"PATCH=" + Quoted(packagePath) + L" " + BuildPatchProperties(localeId, filesInUseText, suppressRestart);
}

}  // namespace apply
