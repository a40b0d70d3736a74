#pragma once
// What a made wrapper carries besides its string table: the patch package, byte for byte, and
// the ProductVersion that means a product already has the patch; or, for a vendor's set of
// patches, each package with its file name and the up-to-date version of each target product.
// The stub carries none of it; the maker writes it, so the wrapper and the maker take the names
// and the formats from here.
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
// A set of two or more packages: package i (from 0) is "MSP"/"IDR_MSP<i + 1>", and "IDR_MSP"
// and "IDR_MSPVERSION" are absent, so that a stub that knows no sets refuses such a wrapper as
// one without its package.
constexpr const wchar_t* SetResourceType = L"MSPSET";
constexpr const wchar_t* SetResourceName = L"IDR_MSPSET";
std::wstring SetPackageResourceName(std::size_t index);

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

struct ProductVersion {
    std::wstring productCode;  // a braced GUID, as the patches' target lists give it
    std::wstring version;
};

struct PackageSet {
    // In the maker's order; each the name of the package the release engineer gave, without
    // its folder, which "/e" writes it under.
    std::vector<std::wstring> fileNames;
    // One for each target product of the set, in the order of first appearance.
    std::vector<ProductVersion> versions;
};

// A name "/e" can write into a folder and nowhere else: no folder part, drive, stream or
// wildcard, no control character, not "." or "..", no trailing dot or blank (Windows drops
// them, so two names could meet), no device name, and at most 255 characters.
bool IsUsablePackageFileName(std::wstring_view name);

// The set resource is UTF-16LE text without a terminator: each file name and a line feed, an
// empty line, then "<product code> <version>" and a line feed for each product.
std::vector<std::byte> EncodePackageSet(const PackageSet& set);
// No value unless it holds two or more usable names that differ also regardless of case, and
// for each product, given once, a braced code and a usable version.
std::optional<PackageSet> DecodePackageSet(std::span<const std::byte> bytes);

// The set's up-to-date version of `productCode`, codes compared regardless of case as the
// decoding does; no value for a product the set gives none.
std::optional<std::wstring> UpToDateVersionOf(const PackageSet& set, std::wstring_view productCode);

}  // namespace package
