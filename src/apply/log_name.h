#pragma once
// Where the installer writes a product's verbose log.
#include <optional>
#include <string>

namespace apply {

constexpr std::size_t MaxPathChars = 259;

// "<folder><product name><suffix>.log", with every character that a file name cannot hold
// replaced and the name shortened so that the path keeps within 259 characters; the suffix
// is never cut, so that a removal's log ("<name>.uninstall.log") never replaces the
// product's install log. A name that would be `runLog`'s, whatever its case, gets "_" before
// the product's name: the installer replaces its log, and would wipe out the run's. No value
// when even an empty name would not fit.
std::optional<std::wstring> LogFilePath(const std::wstring& folder, const std::wstring& productName,
                                        std::wstring_view suffix = {}, const std::wstring& runLog = {});

// What a removal's log adds to the name.
inline constexpr std::wstring_view RemovalLogSuffix = L".uninstall";

}  // namespace apply
