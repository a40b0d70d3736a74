#pragma once
// Whether several packages can go into one wrapper. "/e" writes each under its own file name
// into one folder, and the wrapper tells the patches apart by their codes, so no file name and
// no patch code may come twice; two copies of one patch have one code.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checked_patch.h"

namespace maker {

// The part of a path after its last "\" or "/".
std::wstring FileNameOf(std::wstring_view path);

struct SetRefusal {
    std::wstring package;  // the path that is refused, as given
    std::wstring problem;
};

// The first package whose file name the wrapper cannot carry: one "/e" could not write, or one
// an earlier package has, regardless of case.
std::optional<SetRefusal> CheckSetFileNames(const std::vector<std::wstring>& paths);

// The first package whose patch code an earlier one has, or that names a target which is no
// product code: the set resource gives each target product, by its code, its own version.
std::optional<SetRefusal> CheckSetPatches(const std::vector<CheckedPatch>& patches);

// Every product some patch targets, once, in the order of first appearance.
std::vector<std::wstring> SetTargets(const std::vector<CheckedPatch>& patches);

// Whether `patch` lists `productCode` among its targets (codes compared regardless of case).
bool Targets(const CheckedPatch& patch, std::wstring_view productCode);

}  // namespace maker
