#include "exit_codes.h"

#include <algorithm>
#include <array>
#include <utility>

namespace runlog {

std::wstring_view ExitCodeMeaning(std::uint32_t code)
{
    static constexpr std::array<std::pair<std::uint32_t, std::wstring_view>, 10> meanings = {{
        {0, L"success"},
        {1602, L"cancelled by the user"},
        {1603, L"failure"},
        {1618, L"another installation is in progress"},
        {1625, L"forbidden by system policy"},
        {1641, L"success, the installer started a restart"},
        {1642, L"no target product installed, or the patch fits none"},
        {1646, L"the patch cannot be removed"},
        {1647, L"the patch is not registered"},
        {3010, L"success, a restart is required"},
    }};
    const auto found = std::find_if(meanings.begin(), meanings.end(),
                                    [&](const auto& entry) { return entry.first == code; });
    return found == meanings.end() ? L"failure" : found->second;
}

}  // namespace runlog
