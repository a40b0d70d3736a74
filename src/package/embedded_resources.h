#pragma once
// What a made wrapper carries besides its string table: the patch package, byte for byte, and
// the ProductVersion that means a product already has the patch. The stub carries neither;
// the maker writes both, so the wrapper and the maker take the names from here.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace package {

constexpr const wchar_t* PackageResourceType = L"MSP";
constexpr const wchar_t* PackageResourceName = L"IDR_MSP";
constexpr const wchar_t* VersionResourceType = L"MSPVERSION";
constexpr const wchar_t* VersionResourceName = L"IDR_MSPVERSION";

// Product values are read through 1024-character buffers, so a longer version could never
// match one.
constexpr std::size_t MaxVersionChars = 1023;

// A version the wrapper can compare with: not empty, not longer than a product value can be,
// and free of control characters (C0, DEL and C1).
bool IsUsableVersion(std::wstring_view version);

// The version resource holds the text as UTF-16LE without a terminator.
std::vector<std::byte> EncodeUpToDateVersion(std::wstring_view version);
// No value when the bytes are no usable version (odd length, a control character, too long).
std::optional<std::wstring> DecodeUpToDateVersion(std::span<const std::byte> bytes);

}  // namespace package
