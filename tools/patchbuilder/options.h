#pragma once
// What the command line asks the builder to write.
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct Target {
    std::wstring productCode;
    std::wstring upgradeCode;
    std::wstring oldVersion;
    std::optional<std::wstring> newVersion;  // when this target upgrades to another version than the rest
};

struct PackageOptions {
    std::wstring outPath;
    std::wstring patchCode;
    std::vector<std::wstring> obsoletes;
    std::wstring newVersion;
    std::vector<Target> targets;
    // Standard MsiPatchMetadata rows (no company), property and value, in order.
    std::vector<std::pair<std::wstring, std::wstring>> metadata;
    // Bytes of one extra stream, standing in for the payload cabinet a real patch carries, so
    // that packages of a real patch's size can be made; 0: no such stream.
    std::size_t fillerBytes = 0;
    // Odd packages for tests: exact texts instead of the ones derived from the codes, or
    // summary properties left out, or no package at all.
    std::optional<std::wstring> targetsText;
    std::optional<std::wstring> revisionText;
    std::vector<unsigned> omittedProperties;
    bool notAPackage = false;
};

struct ParsedOptions {
    PackageOptions options;
    std::wstring error;  // empty when the command line was usable
};

ParsedOptions ParseOptions(const std::vector<std::wstring>& arguments);

extern const wchar_t* const Usage;
