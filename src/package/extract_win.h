#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace package {

// The longest temporary directory a temporary package name is made in, terminator included.
constexpr std::size_t TemporaryDirectoryChars = 1024;

// GetTempPathW in full, with its trailing separator.
std::optional<std::wstring> TemporaryDirectory();

// Writes the embedded "MSP"/"IDR_MSP" resource of `module`, byte for byte, in one write
// straight from the resource's memory; a resource that is no complete compound file is not
// written at all. A non-empty `packagePath` is created or truncated;
// an empty one gets a new "MSP<number>" file in the temporary directory, created exclusively
// so that nothing that appears under the name first is ever written into.
bool ExtractPatchPackage(HMODULE module, std::wstring& packagePath);

// The "IDR_MSPVERSION" resource of `module`; no value when it is missing (last error 1813 or 1814) or
// is no usable version (last error 13).
std::optional<std::wstring> EmbeddedUpToDateVersion(HMODULE module);

}  // namespace package
