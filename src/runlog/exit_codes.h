#pragma once
// What the wrapper's exit codes, which are the installer's results, mean to an administrator.
#include <cstdint>
#include <string_view>

namespace runlog {

std::wstring_view ExitCodeMeaning(std::uint32_t code);

}  // namespace runlog
