#pragma once
// Where the installer writes a product's verbose log.
#include <optional>
#include <string>

namespace apply {

constexpr std::size_t MaxPathChars = 259;

// "<temporary directory><product name>.log", with every character that a file name cannot
// hold replaced and the name shortened so that the path keeps within 259 characters. No
// value when even an empty name would not fit.
std::optional<std::wstring> LogFilePath(const std::wstring& temporaryDirectory,
                                        const std::wstring& productName);

}  // namespace apply
