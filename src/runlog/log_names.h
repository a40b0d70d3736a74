#pragma once
// Where the run log lies and where its older part goes.
#include <cstdint>
#include <string>

namespace runlog {

// "<temporary directory><wrapper's file name>.log", such as
// C:\Windows\SystemTemp\MyProduct-SP1.exe.log: one log per wrapper, beside the installer's
// verbose logs, found by the name an administrator already knows.
std::wstring DefaultRunLogPath(const std::wstring& temporaryDirectory, const std::wstring& wrapperPath);

// Configuration Manager's name for a log's previous part: "X.log" becomes "X.lo_"; any other
// name gets ".lo_" appended.
std::wstring RotatedPath(const std::wstring& path);

// A run writes a few kilobytes, so 1 MiB holds the last several hundred runs of a wrapper,
// and the log and its previous part together keep within 2 MiB of the temporary folder,
// which the viewers open in a moment.
constexpr std::uint64_t RotateAtBytes = 1u << 20;

// Whether a log of `size` bytes is moved to its rotated name before a run writes to it.
constexpr bool ShouldRotate(std::uint64_t size) { return size >= RotateAtBytes; }

}  // namespace runlog
