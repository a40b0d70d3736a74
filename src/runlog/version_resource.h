#pragma once
// The version a wrapper says it is: the FileVersion text in its VERSIONINFO resource, which
// the maker writes into every wrapper it makes. Read from the resource's bytes rather than
// through version.dll, which the wrapper would otherwise have to load for this alone.
#include <cstddef>
#include <optional>
#include <span>
#include <string>

namespace runlog {

// The FileVersion of the first string table of a VS_VERSIONINFO block; no value when the
// block has none or is cut short or malformed anywhere on the way to it.
std::optional<std::wstring> FileVersionOf(std::span<const std::byte> versionInfo);

}  // namespace runlog
