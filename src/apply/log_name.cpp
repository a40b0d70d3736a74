#include "log_name.h"

#include <algorithm>
#include <array>
#include <cwctype>

namespace apply {

namespace {

constexpr std::wstring_view Extension = L".log";

bool IsForbidden(wchar_t c)
{
    return c < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// "CON.log" and its kind name devices, not files.
bool IsDeviceName(const std::wstring& name)
{
    static constexpr std::array<std::wstring_view, 22> devices = {
        L"CON",  L"PRN",  L"AUX",  L"NUL",  L"COM1", L"COM2", L"COM3", L"COM4",
        L"COM5", L"COM6", L"COM7", L"COM8", L"COM9", L"LPT1", L"LPT2", L"LPT3",
        L"LPT4", L"LPT5", L"LPT6", L"LPT7", L"LPT8", L"LPT9"};
    std::wstring stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ')
        stem.pop_back();
    std::transform(stem.begin(), stem.end(), stem.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return std::find(devices.begin(), devices.end(), stem) != devices.end();
}

// Cuts `name` to `room` characters without splitting a surrogate pair.
void ShortenTo(std::wstring& name, std::size_t room)
{
    if (name.size() <= room)
        return;
    name.resize(room);
    if (!name.empty() && IsHighSurrogate(name.back()))
        name.pop_back();
}

bool SameFileName(const std::wstring& a, const std::wstring& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](wchar_t x, wchar_t y) { return std::towupper(x) == std::towupper(y); });
}

std::optional<std::wstring> NamedLogFilePath(const std::wstring& folder, const std::wstring& productName,
                                             std::wstring_view suffix)
{
    const std::size_t fixed = folder.size() + suffix.size() + Extension.size();
    if (folder.empty() || fixed > MaxPathChars)
        return std::nullopt;

    const std::size_t room = MaxPathChars - fixed;
    std::wstring name = productName;
    std::replace_if(name.begin(), name.end(), IsForbidden, L'_');
    ShortenTo(name, room);
    // Checked after shortening, which can itself leave one ("CONSOLE" cut to "CON").
    if (IsDeviceName(name)) {
        name.insert(0, 1, L'_');
        ShortenTo(name, room);
    }
    return folder + name + std::wstring(suffix) + std::wstring(Extension);
}

}  // namespace

std::optional<std::wstring> LogFilePath(const std::wstring& folder, const std::wstring& productName,
                                        std::wstring_view suffix, const std::wstring& runLog)
{
    const std::optional<std::wstring> path = NamedLogFilePath(folder, productName, suffix);
    if (!path || !SameFileName(*path, runLog))
        return path;
    // In front, where shortening cannot cut it off again.
    return NamedLogFilePath(folder, L"_" + productName, suffix);
}

}  // namespace apply
