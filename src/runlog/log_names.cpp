#include "log_names.h"

namespace runlog {

namespace {

bool EndsWithLogExtension(const std::wstring& path)
{
    constexpr std::wstring_view Extension = L".log";
    if (path.size() < Extension.size())
        return false;
    const std::wstring_view end = std::wstring_view(path).substr(path.size() - Extension.size());
    for (std::size_t i = 0; i < Extension.size(); ++i) {
        const wchar_t c = end[i];
        if ((c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c) != Extension[i])
            return false;
    }
    return true;
}

}  // namespace

std::wstring DefaultRunLogPath(const std::wstring& temporaryDirectory, const std::wstring& wrapperPath)
{
    const std::size_t separator = wrapperPath.find_last_of(L"\\/");
    const std::wstring name = separator == std::wstring::npos ? wrapperPath : wrapperPath.substr(separator + 1);
    return temporaryDirectory + name + L".log";
}

std::wstring RotatedPath(const std::wstring& path)
{
    if (EndsWithLogExtension(path))
        return path.substr(0, path.size() - 1) + L"_";
    return path + L".lo_";
}

}  // namespace runlog
