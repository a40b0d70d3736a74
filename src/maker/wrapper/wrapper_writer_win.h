#pragma once
// Writes a made wrapper: a copy of the stub without its certificate table, with the package,
// its up-to-date version, a VERSIONINFO and perhaps an icon in its resources, and its checksum
// computed; beside it a companion file (the detection rule). Both are made under temporary
// names in the output's folder and moved into place only when complete, so a failure leaves
// the output paths as they were and never a half-made wrapper.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace maker {

// Every resource goes in language neutral, as the stub's own are, so the wrapper finds it
// whatever the user's language.
inline const WORD NeutralLanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);

// One resource put into the copy, replacing one of the same type, name and language.
struct ResourceEdit {
    const wchar_t* type;
    const wchar_t* name;
    WORD language = NeutralLanguage;
    std::span<const std::byte> bytes;
};

struct CompanionFile {
    std::wstring path;
    std::wstring text;  // ASCII, written one byte a character
};

struct WriteOutcome {
    // The failed step's own error. It may be 0: Wine's UpdateResourceW fails without one for a
    // package it cannot hold, so only the step tells a failure from success.
    DWORD error = ERROR_SUCCESS;
    std::wstring failedStep;            // empty once the wrapper is in place
    std::uint64_t size = 0;             // of the output, once written
    bool whileAddingResources = false;  // the resource writer refused to take them in memory

    bool Written() const { return failedStep.empty(); }
};

// `fromNothing`: the copy's own resources are deleted first, and `edits` bring in all it keeps.
WriteOutcome WriteWrapper(const std::wstring& stub, const std::wstring& output, const std::vector<ResourceEdit>& edits,
                          bool fromNothing, const CompanionFile& companion);

}  // namespace maker
