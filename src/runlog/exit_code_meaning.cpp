#include "exit_code_meaning.h"

#include <algorithm>
#include <array>
#include <utility>

namespace runlog {

namespace {

constexpr std::array<std::pair<std::uint32_t, std::wstring_view>, 9> Meanings{{
    {0, L"success"},
    {1602, L"cancelled"},
    {1603, L"failure"},
    {1618, L"another installation is in progress"},
    {1625, L"forbidden by policy"},
    {1641, L"restart started"},
    {1642, L"no target product is installed, or the patch fits none"},
    {1646, L"the patch cannot be removed"},
    {3010, L"restart required"},
}};

}  // namespace

std::wstring_view ExitCodeMeaning(std::uint32_t code)
{
    const auto found = std::ranges::find(Meanings, code, &std::pair<std::uint32_t, std::wstring_view>::first);
    return found != Meanings.end() ? found->second : L"failure";
}

}  // namespace runlog
