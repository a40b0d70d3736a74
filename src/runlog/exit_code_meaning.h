#pragma once
// What an exit code of the wrapper tells the administrator reading its log.
#include <cstdint>
#include <string_view>

namespace runlog {

// A few words for `code`, "failure" for any code the wrapper gives no other meaning.
std::wstring_view ExitCodeMeaning(std::uint32_t code);

}  // namespace runlog
